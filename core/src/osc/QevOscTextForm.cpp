// The one-line text form of OSC messages: writing (OscArgument::ToString, OscMessage::ToString)
// and reading (OscMessage::CreateFromText). Number texts never depend on the C locale: they go
// through <charconv>, which always uses '.'.

#include "common/QevException.h"
#include "osc/QevOscMessage.h"
#include "text/QevStringArray.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <system_error>

namespace qev
{

namespace
{

bool isAsciiLetter(char c) noexcept
{
    auto const folded = static_cast<unsigned char>(c) & ~0x20u;
    return folded >= 'A' && folded <= 'Z';
}

bool isDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

bool isWhitespace(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Six significant digits as printf's "%g" gives them; when that text holds a letter (an exponent,
// inf, nan) the value is printed as "%.6f" instead.
void appendReal(std::string& out, double value)
{
    char general[32];
    auto const shortForm =
        std::to_chars(general, general + sizeof general, value, std::chars_format::general, 6);
    bool holdsLetter = false;
    for (char const* c = general; c != shortForm.ptr; ++c)
        holdsLetter = holdsLetter || isAsciiLetter(*c);
    if (!holdsLetter)
    {
        out.append(general, shortForm.ptr);
        return;
    }
    // The largest double has 309 integral digits.
    char fixed[std::numeric_limits<double>::max_exponent10 + 32];
    auto const longForm = std::to_chars(fixed, fixed + sizeof fixed, value, std::chars_format::fixed, 6);
    out.append(fixed, longForm.ptr);
}

template <typename Integer> void appendInteger(std::string& out, Integer value)
{
    char digits[24];
    auto const result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void trimTrailingWhitespace(std::string& out, std::size_t keep) noexcept
{
    while (out.size() > keep && isWhitespace(out.back()))
        out.pop_back();
}

// --- Reading words -------------------------------------------------------------------------

bool startsWithHexPrefix(std::string_view text) noexcept
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// An optional sign, decimal digits, then optionally a point and zeros only: the form the writer
// gives every whole number. Sets the sign and the digits.
bool isPlainInteger(std::string_view word, bool& negative, std::string_view& digits) noexcept
{
    std::size_t i = 0;
    negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        negative = word[i++] == '-';
    std::size_t const first = i;
    while (i < word.size() && isDigit(word[i]))
        ++i;
    if (i == first)
        return false;
    digits = word.substr(first, i - first);
    if (i == word.size())
        return true;
    if (word[i++] != '.')
        return false;
    while (i < word.size() && word[i] == '0')
        ++i;
    return i == word.size();
}

// A whole number written in full: 'i' when it fits 32 bits, 'h' when it fits 64 bits, else 'f'.
OscArgument readPlainInteger(bool negative, std::string_view digits)
{
    std::uint64_t magnitude = 0;
    auto const parsed = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (parsed.ec == std::errc())
    {
        if (!negative && magnitude <= std::uint64_t(std::numeric_limits<int>::max()))
            return OscArgument(static_cast<int>(magnitude));
        if (negative && magnitude <= std::uint64_t(std::numeric_limits<int>::max()) + 1)
            return OscArgument(static_cast<int>(-static_cast<std::int64_t>(magnitude)));
        if (!negative && magnitude <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return OscArgument(static_cast<long long>(magnitude));
        if (negative && magnitude <= std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1)
            return OscArgument(static_cast<long long>(0 - magnitude));
    }
    // Beyond 64 bits: the nearest float, infinity past the float range.
    float single = 0.0f;
    auto const rounded = std::from_chars(digits.data(), digits.data() + digits.size(), single);
    if (rounded.ec == std::errc::result_out_of_range)
        single = std::numeric_limits<float>::infinity();
    return OscArgument(negative ? -single : single);
}

// The whole word read as a double: decimal with an optional exponent, or "0x" and hexadecimal
// digits. False when some character is left over.
bool wholeWordValue(std::string_view word, double& value) noexcept
{
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-'))
    {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    std::from_chars_result result{};
    char const* const end = word.data() + word.size();
    if (startsWithHexPrefix(word))
    {
        if (word.size() == 2)
            return false;
        result = std::from_chars(word.data() + 2, end, value, std::chars_format::hex);
    }
    else
        result = std::from_chars(word.data(), end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    if (negative)
        value = -value;
    return true;
}

// Double quotes pair up from the start of the line, the first with the second and so on; a last
// one without a partner is an ordinary character, as the word splitter reads them.
bool insideDoubleQuotes(std::string const& line, std::size_t position)
{
    bool const afterAnOpening =
        std::count(line.begin(), line.begin() + static_cast<long>(position), '"') % 2 == 1;
    return afterAnOpening && line.find('"', position) != std::string::npos;
}

// One word after the address: the first rule that holds decides.
OscArgument readArgumentWord(String const& word)
{
    std::string_view const text = word.GetView();

    // Whole numbers as the writer prints them are read exactly, whatever their size.
    bool negative = false;
    std::string_view digits;
    if (isPlainInteger(text, negative, digits))
        return readPlainInteger(negative, digits);

    bool isFloat = word.IsNumber();
    if (word.IsInt())
    {
        // Other integral forms (1e3, 0x10) are taken for their full value when it fits an int;
        // a word with text after its number (1-2) keeps only its leading integer.
        double value = 0.0;
        if (!wholeWordValue(text, value))
            return OscArgument(word.GetIntValue());
        if (value >= -2147483648.0 && value <= 2147483647.0 && value == std::trunc(value))
            return OscArgument(static_cast<int>(value));
        isFloat = true;
    }

    if (word.IsBoolean())
        return OscArgument(word.GetBooleanValue());
    if (isFloat)
        return OscArgument(static_cast<float>(word.GetDoubleValue()));
    if (word.IsQuoted())
        return OscArgument(word.Unquoted());
    return OscArgument(word);
}

} // namespace

// --- Writing -------------------------------------------------------------------------------

void OscArgument::AppendText(std::string& out) const
{
    switch (tag)
    {
    case 'i':
        appendInteger(out, GetInt32());
        break;
    case 'h':
        appendInteger(out, GetInt64());
        break;
    case 'f':
        appendReal(out, static_cast<double>(GetFloat32()));
        break;
    case 'd':
        appendReal(out, GetFloat64());
        break;
    case 'T':
    case 'F':
        out.push_back(GetBool() ? '1' : '0');
        break;
    case 's':
        // Line breaks are written as \n and \r so that the text stays on one line; inner
        // double quotes become spaces, since the reader has no escape for them.
        out.reserve(out.size() + text.GetLength() + 2);
        out.push_back('"');
        for (char const c : text.GetView())
        {
            if (c == '"')
                out.push_back(' ');
            else if (c == '\n')
                out.append("\\n");
            else if (c == '\r')
                out.append("\\r");
            else
                out.push_back(c);
        }
        out.push_back('"');
        break;
    default:
        break;
    }
}

String OscArgument::ToString() const
{
    std::string out;
    AppendText(out);
    return String(std::move(out));
}

void OscMessage::appendArgumentsText(std::string& out) const
{
    std::size_t const start = out.size();
    for (auto const& argument : arguments)
    {
        argument.AppendText(out);
        out.push_back(' ');
    }
    trimTrailingWhitespace(out, start);
}

void OscMessage::AppendText(std::string& out) const
{
    out.append(pattern.GetText().GetView());
    if (arguments.IsEmpty())
        return;
    out.push_back(' ');
    appendArgumentsText(out);
}

String OscMessage::ToString() const
{
    std::string out;
    out.reserve(pattern.GetText().GetLength() + 1 + 12 * arguments.GetSize());
    AppendText(out);
    return String(std::move(out));
}

String OscMessage::StringRepresentationWithoutPattern() const
{
    std::string out;
    out.reserve(12 * arguments.GetSize());
    appendArgumentsText(out);
    return String(std::move(out));
}

// --- Reading -------------------------------------------------------------------------------

OscMessage OscMessage::CreateFromText(String const& text)
{
    std::string line = text.GetStdString();
    // Exactly two apostrophes enclose a string: 'hello world' stands for "hello world". An
    // apostrophe inside a double-quoted run belongs to that string ("rock 'n' roll").
    std::size_t const first = line.find('\'');
    std::size_t const second = first == std::string::npos ? first : line.find('\'', first + 1);
    if (second != std::string::npos && line.find('\'', second + 1) == std::string::npos &&
        !insideDoubleQuotes(line, first) && !insideDoubleQuotes(line, second))
        line[first] = line[second] = '"';

    StringArray const words = StringArray::SplitListPreservingQuotedText(String(std::move(line)), '"');
    if (words.IsEmpty())
        throw Exception(String("invalid OSC message"), SourceLineInfo("QevOscMessage", 668), true, false);
    if (!words.ContainsNonWhitespaceCharactersItem())
        throw Exception(String("invalid OSC message"), SourceLineInfo("QevOscMessage", 674), true, false);

    OscMessage message{OscAddressPattern(words[0])};
    message.ReserveArguments(words.GetSize() - 1);
    for (unsigned long i = 1; i < words.GetSize(); ++i)
        message.pushArgument(readArgumentWord(words[i]));
    return message;
}

} // namespace qev
