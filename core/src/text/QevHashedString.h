#pragma once

#include "text/QevString.h"

#include <string_view>

namespace qev
{

// A text with its cached 64-bit hash. Hashes live only inside one process: they are never
// written to files or sent anywhere, so the standard library's string hash serves.
class HashedString
{
public:
    HashedString();
    HashedString(String const& text);
    // Stores the given hash as it is, without recomputing it (the pool's entries).
    HashedString(std::string_view text, unsigned long hash);

    HashedString(HashedString const&) = default;
    HashedString(HashedString&&) noexcept = default;
    HashedString& operator=(HashedString const&) = default;
    HashedString& operator=(HashedString&&) noexcept = default;

    // Keeps the stored text when the new text hashes to the stored hash.
    HashedString& operator=(String const& text);

    // Inserts text at the front and recomputes the hash.
    void Prepend(String const& text);

    String const& GetText() const noexcept { return text; }
    unsigned long GetHash() const noexcept { return hash; }
    operator String const&() const noexcept { return text; }

    // Two hashed strings are the same exactly when their hashes are.
    bool operator==(HashedString const& other) const noexcept { return hash == other.hash; }
    bool operator!=(HashedString const& other) const noexcept { return hash != other.hash; }

    // The hash of the bytes up to the first NUL.
    static unsigned long ComputeHash(std::string_view text) noexcept;

private:
    String text;
    unsigned long hash;
};

} // namespace qev
