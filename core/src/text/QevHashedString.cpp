#include "text/QevHashedString.h"

#include <cstring>
#include <functional>

namespace qev
{

unsigned long HashedString::ComputeHash(std::string_view text) noexcept
{
    // A text with an embedded NUL hashes only its first part, as a C string would.
    if (text.empty())
        return static_cast<unsigned long>(std::hash<std::string_view>{}(text));
    if (void const* nul = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<std::size_t>(static_cast<char const*>(nul) - text.data()));
    return static_cast<unsigned long>(std::hash<std::string_view>{}(text));
}

HashedString::HashedString() : hash(ComputeHash(std::string_view())) {}

HashedString::HashedString(String const& text) : text(text), hash(ComputeHash(text.GetView())) {}

HashedString::HashedString(std::string_view text, unsigned long hash) : text(text), hash(hash) {}

HashedString& HashedString::operator=(String const& newText)
{
    unsigned long const newHash = ComputeHash(newText.GetView());
    if (newHash == hash)
        return *this;
    if (&newText != &text)
        text = newText;
    hash = newHash;
    return *this;
}

void HashedString::Prepend(String const& prefix)
{
    text.Prepend(prefix);
    hash = ComputeHash(text.GetView());
}

} // namespace qev
