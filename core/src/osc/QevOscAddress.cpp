#include "osc/QevOscAddress.h"

#include "common/QevException.h"
#include "common/QevSourceLineInfo.h"
#include "osc/QevOscPatternMatching.h"

#include <string_view>
#include <utility>

namespace qev
{

namespace
{

char const* const sourceName = "QevOscAddress";
char const* const wildcardCharacters = "*?{}[]";

[[noreturn]] void throwFormatError(String const& what, unsigned long line)
{
    throw Exception(String("OSC format error: ") + what, SourceLineInfo(sourceName, line), true, false);
}

// Length in bytes of the UTF-8 character at the start of text (never more than text holds) and
// whether it is printable ASCII. A malformed or truncated sequence ends at its first bad byte.
struct Utf8Character
{
    unsigned long length;
    bool printableAscii;
};

Utf8Character readCharacter(std::string_view text) noexcept
{
    auto const lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {1, lead >= 32 && lead <= 126};

    unsigned long expected = 1;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        expected = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        expected = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        expected = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }

    unsigned long length = 1;
    while (length < expected && length < text.size())
    {
        auto const byte = static_cast<unsigned char>(text[length]);
        if (length == 1 ? (byte < low || byte > high) : (byte & 0xC0) != 0x80)
            break;
        ++length;
    }
    return {length, false};
}

bool isRefusedInAddress(char c) noexcept
{
    switch (c)
    {
    case ' ':
    case '#':
    case '*':
    case ',':
    case '/':
    case '?':
    case '[':
    case ']':
    case '{':
    case '}':
        return true;
    default:
        return false;
    }
}

// Checks one part by the address or the pattern rules; input is the whole text, for the message.
void checkPart(std::string_view part, String const& input, bool isPattern)
{
    bool squareOpen = false, squareClose = false, curlyOpen = false, curlyClose = false, comma = false;
    unsigned long dashes = 0;

    for (unsigned long i = 0; i < part.size();)
    {
        auto const character = readCharacter(part.substr(i));
        char const c = part[i];
        bool const refused = !character.printableAscii ||
                             (isPattern ? (c == ' ' || c == '#' || c == '/') : isRefusedInAddress(c));
        if (refused)
            throwFormatError(String("Character ") + String(part.substr(i, character.length)).Quoted('"') +
                                 " not allowed in address pattern " + input.Quoted('"'),
                             98);
        squareOpen |= c == '[';
        squareClose |= c == ']';
        curlyOpen |= c == '{';
        curlyClose |= c == '}';
        comma |= c == ',';
        dashes += c == '-' ? 1 : 0;
        i += character.length;
    }
    if (!isPattern)
        return;

    // Only which characters occur is looked at, never their order or nesting.
    if (squareOpen && !squareClose)
        throwFormatError("missing ']'", 127);
    if (squareClose && !squareOpen)
        throwFormatError("missing '['", 131);
    if (curlyOpen && !curlyClose)
        throwFormatError("missing '}'", 135);
    if (curlyClose && !curlyOpen)
        throwFormatError("missing '{'", 139);
    if (comma && !squareOpen && !curlyOpen)
        throwFormatError("anormal ','", 145);
    if (squareOpen && dashes >= 2)
        throwFormatError("too many '-'", 152);
    if (squareOpen && comma)
        throwFormatError("use curly brackets for ',' separator", 156);
    if (curlyOpen && dashes > 0)
        throwFormatError("use square brackets for '-' separator", 163);
}

// Checks every part the tokeniser will make, in order, before anything enters the string pool:
// the first character is skipped and the rest is cut at '/'.
void checkText(String const& input, bool isPattern)
{
    std::string_view const view = input.GetView();
    if (view.empty())
        return;
    std::string_view rest = view.substr(1);
    for (;;)
    {
        auto const slash = rest.find('/');
        checkPart(rest.substr(0, slash), input, isPattern);
        if (slash == std::string_view::npos)
            return;
        rest.remove_prefix(slash + 1);
    }
}

// The stored text: the input less one trailing '/', with its hash.
HashedString normalised(String const& input)
{
    std::string_view text = input.GetView();
    if (!text.empty() && text.back() == '/')
        text.remove_suffix(1);
    return HashedString(text, HashedString::ComputeHash(text));
}

bool holdsWildcard(String const& text) noexcept
{
    return text.ContainsAnyOf(wildcardCharacters);
}

bool isRoot(String const& text) noexcept
{
    return text.GetLength() == 1 && text[0] == '/';
}

// Everything that can throw happens before parts or text change, so a refused input leaves the
// address or pattern as it was.
void tokenise(String const& input, bool isPattern, PooledHashedStringArray& parts, HashedString& text)
{
    if (isRoot(input))
    {
        HashedString root(input);
        parts.Clear();
        text = std::move(root);
        return;
    }
    checkText(input, isPattern);
    auto newParts = PooledHashedStringArray::TokeniseOsc(input);
    HashedString newText = normalised(input);
    parts = std::move(newParts);
    text = std::move(newText);
}

} // namespace

//==============================================================================
OscAddress::OscAddress(String const& input)
{
    tokeniseAddress(input);
}

OscAddress::OscAddress(char const* input) : OscAddress(String(input)) {}

void OscAddress::tokeniseAddress(String const& input)
{
    tokenise(input, false, parts, text);
}

unsigned long OscAddress::GetNumParts() const noexcept
{
    return parts.GetSize();
}

unsigned long OscAddress::GetPartHash(unsigned long i) const noexcept
{
    return parts.GetHash(i);
}

HashedString const& OscAddress::GetPart(unsigned long i) const
{
    return parts[i];
}

String const& OscAddress::GetText() const noexcept
{
    return text.GetText();
}

unsigned long OscAddress::GetHash() const noexcept
{
    return text.GetHash();
}

//==============================================================================
OscAddressPattern::OscAddressPattern(String const& input)
{
    tokeniseAddress(input);
}

OscAddressPattern::OscAddressPattern(char const* input) : OscAddressPattern(String(input)) {}

OscAddressPattern::OscAddressPattern(OscAddress const& address) : parts(address.parts), text(address.text) {}

void OscAddressPattern::tokeniseAddress(String const& input)
{
    tokenise(input, true, parts, text);
    wildcard = holdsWildcard(text.GetText());
}

void OscAddressPattern::TrimFirstPattern()
{
    auto const numParts = GetNumParts();
    if (numParts == 0)
        return;
    if (numParts == 1)
    {
        HashedString root(String::Slash());
        parts.Clear();
        text = std::move(root);
        wildcard = false;
        return;
    }

    String const needle = String::Slash() + parts[0].GetText();
    auto const index = GetText().IndexOfFirstOccurence(needle, Case::Sensitive);
    HashedString newText(index < 0 ? String()
                                   : GetText().SubString((unsigned long)index + needle.GetLength()));
    parts.Remove(0);
    text = std::move(newText);
    wildcard = holdsWildcard(text.GetText());
}

bool OscAddressPattern::StartsWith(OscAddress const& address) const
{
    auto const n = GetNumParts();
    auto const m = address.GetNumParts();
    if (n == 0)
        return m == 0;

    if (!wildcard)
    {
        auto const k = n < m ? n : m;
        for (unsigned long i = 0; i < k; ++i)
            if (GetPartHash(i) != address.GetPartHash(i))
                return false;
        return true;
    }

    if (n < m)
        return false;
    for (unsigned long i = 0; i < m; ++i)
        if (!matchOscPattern(parts[i].GetText(), address.parts[i].GetText()))
            return false;
    return true;
}

void OscAddressPattern::Prepend(OscAddress const& address)
{
    if (address.GetText().GetLength() == 1)
        return;
    if (GetText().GetLength() == 1)
    {
        parts = address.parts;
        text = address.text;
        wildcard = false;
        return;
    }
    auto newParts = parts;
    newParts.PushFront(address.parts);
    HashedString newText(text);
    newText.Prepend(address.GetText());
    parts = std::move(newParts);
    text = std::move(newText);
}

bool OscAddressPattern::matchOscPattern(String const& pattern, String const& target)
{
    return qev::matchOscPattern(pattern, target);
}

unsigned long OscAddressPattern::GetNumParts() const noexcept
{
    return parts.GetSize();
}

unsigned long OscAddressPattern::GetPartHash(unsigned long i) const noexcept
{
    return parts.GetHash(i);
}

HashedString const& OscAddressPattern::GetPart(unsigned long i) const
{
    return parts[i];
}

String const& OscAddressPattern::GetText() const noexcept
{
    return text.GetText();
}

unsigned long OscAddressPattern::GetHash() const noexcept
{
    return text.GetHash();
}

} // namespace qev
