#include "text/QevString.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <ostream>

#include "common/QevException.h"
#include "common/QevSourceLineInfo.h"
#include "memory/QevVector.h"

namespace qev
{

namespace
{

inline char foldAscii(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline bool isAsciiLetter(char c) noexcept
{
    unsigned const u = static_cast<unsigned char>(c) & ~0x20u;
    return u >= 'A' && u <= 'Z';
}

inline bool isAsciiDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

inline bool isSpace(char c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isHexDigit(char c) noexcept
{
    return Characters::GetHexDigitValue(static_cast<unsigned char>(c)) >= 0;
}

inline unsigned char asByte(char c) noexcept
{
    return static_cast<unsigned char>(c);
}

// -1, 0 or +1: byte order of (optionally folded) unsigned bytes, a prefix sorting first.
int compareBytes(std::string_view a, std::string_view b, bool fold) noexcept
{
    auto const common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
    {
        unsigned char const x = asByte(fold ? foldAscii(a[i]) : a[i]);
        unsigned char const y = asByte(fold ? foldAscii(b[i]) : b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsFolded(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && compareBytes(a, b, true) == 0;
}

bool foldedMatchAt(std::string_view hay, std::size_t at, std::string_view needle) noexcept
{
    for (std::size_t j = 0; j < needle.size(); ++j)
        if (foldAscii(hay[at + j]) != foldAscii(needle[j]))
            return false;
    return true;
}

// Folding while comparing gives the same answers as searching folded copies, without copying.
std::int64_t findFrom(std::string_view hay, std::string_view needle, std::size_t from, Case caseMode) noexcept
{
    if (needle.empty() || needle.size() > hay.size())
        return -1;
    if (caseMode == Case::Sensitive)
    {
        auto const pos = hay.find(needle, from);
        return pos == std::string_view::npos ? -1 : static_cast<std::int64_t>(pos);
    }
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (foldedMatchAt(hay, i, needle))
            return static_cast<std::int64_t>(i);
    return -1;
}

std::int64_t findLast(std::string_view hay, std::string_view needle, Case caseMode) noexcept
{
    if (needle.empty() || needle.size() > hay.size())
        return -1;
    if (caseMode == Case::Sensitive)
    {
        auto const pos = hay.rfind(needle);
        return pos == std::string_view::npos ? -1 : static_cast<std::int64_t>(pos);
    }
    for (std::size_t i = hay.size() - needle.size() + 1; i-- > 0;)
        if (foldedMatchAt(hay, i, needle))
            return static_cast<std::int64_t>(i);
    return -1;
}

// The C locale, made once: number texts and readings must not follow the user's locale.
locale_t cLocale() noexcept
{
    static locale_t const locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Reads a leading single-precision number as the standard conversion does; a text with no
// number or outside the float range reads as 0.
double readFloat(std::string const& text) noexcept
{
    if (text.empty())
        return 0.0;
    char const* const begin = text.c_str();
    char* end = nullptr;
    int const savedErrno = errno;
    errno = 0;
    locale_t const locale = cLocale();
    float const value = locale != nullptr ? strtof_l(begin, &end, locale) : std::strtof(begin, &end);
    bool const failed = end == begin || errno == ERANGE;
    errno = savedErrno;
    return failed ? 0.0 : static_cast<double>(value);
}

std::string_view const smallNumbers[] = {"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9", "10",
                                         "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"};

template <typename Unsigned> std::string unsignedToText(Unsigned magnitude, bool negative) noexcept
{
    if (!negative && magnitude <= 20)
        return std::string(smallNumbers[magnitude]);
    char buffer[24];
    char* p = buffer + sizeof(buffer);
    do
    {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--p = '-';
    return std::string(p, static_cast<std::size_t>(buffer + sizeof(buffer) - p));
}

template <typename Signed> std::string signedToText(Signed value) noexcept
{
    using Unsigned = std::make_unsigned_t<Signed>;
    // Negating in the unsigned type keeps the most negative value exact.
    Unsigned const magnitude = value < 0 ? static_cast<Unsigned>(Unsigned(0) - static_cast<Unsigned>(value))
                                         : static_cast<Unsigned>(value);
    return unsignedToText(magnitude, value < 0);
}

std::string hexText(int value, char const* digits) noexcept
{
    auto v = static_cast<std::uint32_t>(value);
    char buffer[8];
    char* p = buffer + sizeof(buffer);
    do
    {
        *--p = digits[v & 0xF];
        v >>= 4;
    } while (v != 0);
    return std::string(p, static_cast<std::size_t>(buffer + sizeof(buffer) - p));
}

// Accepts a printf format holding at most one conversion, of a kind in 'allowed', besides any
// "%%": flags, width and precision are fine, but no '*', no positional argument other than
// "1$" and no length modifier other than h/hh for integers and l for floating conversions.
// Anything else would read a missing or wrongly typed argument.
bool isSingleConversionFormat(char const* formatText, char const* allowed, bool isInteger) noexcept
{
    std::string_view const format(formatText); // the formatting stops at the first NUL too
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] != '%')
            continue;
        if (++i >= format.size())
            return false;
        if (format[i] == '%')
            continue;
        std::size_t const start = i;
        while (i < format.size() && isAsciiDigit(format[i]))
            ++i;
        if (i < format.size() && format[i] == '$')
        {
            if (format.compare(start, i - start, "1") != 0)
                return false;
            ++i;
        }
        else
            i = start;
        while (i < format.size() && std::strchr("-+ #0'", format[i]) != nullptr && format[i] != '\0')
            ++i;
        while (i < format.size() && isAsciiDigit(format[i]))
            ++i;
        if (i < format.size() && format[i] == '.')
        {
            ++i;
            while (i < format.size() && isAsciiDigit(format[i]))
                ++i;
        }
        if (isInteger)
            for (int k = 0; k < 2 && i < format.size() && format[i] == 'h'; ++k)
                ++i;
        else if (i < format.size() && format[i] == 'l')
            ++i;
        if (i >= format.size() || format[i] == '\0' || std::strchr(allowed, format[i]) == nullptr)
            return false;
        ++conversions;
    }
    return conversions <= 1;
}

template <typename Value> std::string formatOne(std::string const& format, Value value) noexcept
{
    // Width and precision can make the text any length: format once into the stack buffer
    // and again into the string only when it did not fit, so nothing is ever cut.
    char buffer[56];
    locale_t const locale = cLocale();
    locale_t const previous = locale != nullptr ? uselocale(locale) : static_cast<locale_t>(nullptr);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    int const length = std::snprintf(buffer, sizeof(buffer), format.c_str(), value);
    std::string result;
    if (length >= static_cast<int>(sizeof(buffer)))
    {
        result.resize(static_cast<std::size_t>(length));
        std::snprintf(result.data(), result.size() + 1, format.c_str(), value);
    }
    else if (length > 0)
        result.assign(buffer, static_cast<std::size_t>(length));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    if (previous != nullptr)
        uselocale(previous);
    return result;
}

} // namespace

namespace StringHelper
{

// Fixed or general (6 significant digits) text of a value; "." is always the decimal point.
std::string createFromDouble(double value, unsigned int decimals) noexcept
{
    static constexpr double powersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};
    if (decimals >= 1 && decimals <= 6 && value > -1e20 && value < 1e20)
    {
        double const scaled = std::fabs(value) * powersOfTen[decimals] + 0.5;
        // Beyond 2^63 the integer would overflow: such values take the fixed notation below.
        if (scaled < 9223372036854775808.0)
        {
            auto v = static_cast<std::int64_t>(scaled);
            char buffer[32];
            char* p = buffer + sizeof(buffer);
            unsigned int written = 0;
            while (v != 0 || written <= decimals)
            {
                if (written == decimals)
                    *--p = '.';
                *--p = static_cast<char>('0' + v % 10);
                v /= 10;
                ++written;
            }
            if (value < 0)
                *--p = '-';
            return std::string(p, static_cast<std::size_t>(buffer + sizeof(buffer) - p));
        }
    }

    if (std::isnan(value))
        return "nan"; // the sign of a NaN carries no meaning

    int const precision = static_cast<int>(std::min<unsigned int>(decimals, 0x7FFFFFFF));
    char buffer[64];
    std::to_chars_result result =
        decimals == 0
            ? std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 6)
            : std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, precision);
    if (result.ec == std::errc())
        return std::string(buffer, static_cast<std::size_t>(result.ptr - buffer));

    // Long fixed texts: up to 309 integer digits, sign, point and the decimals.
    std::string text(std::size_t(312) + decimals, '\0');
    result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, precision);
    text.resize(result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - text.data()) : 0);
    return text;
}

} // namespace StringHelper

//==============================================================================
String::String(char const* t) noexcept : text(t != nullptr ? t : "") {}
String::String(std::basic_string_view<char> const& t) noexcept : text(t) {}
String::String(std::string const& t) noexcept : text(t) {}
String::String(std::string&& t) noexcept : text(std::move(t)) {}
String::String(CharPointer_UTF8 t) noexcept : String(t.GetAddress()) {}

String::String(CharPointer_UTF8 begin, CharPointer_UTF8 end) noexcept
{
    if (begin.GetAddress() != nullptr && end.GetAddress() > begin.GetAddress())
        text.assign(begin.GetAddress(), end.GetAddress());
}

String::String(CharPointer_UTF8 t, unsigned long numBytes) noexcept
{
    if (t.GetAddress() != nullptr)
        text.assign(t.GetAddress(), numBytes);
}

String::String(int value) noexcept : text(signedToText(value)) {}
String::String(unsigned int value) noexcept : text(unsignedToText(value, false)) {}
String::String(long value) noexcept : text(signedToText(value)) {}
String::String(unsigned long value) noexcept : text(unsignedToText(value, false)) {}
String::String(long long value) noexcept : text(signedToText(value)) {}

String::String(float value) noexcept : text(StringHelper::createFromDouble(static_cast<double>(value), 0)) {}
String::String(double value) noexcept : text(StringHelper::createFromDouble(value, 0)) {}
String::String(double value, unsigned int decimals) noexcept
    : text(StringHelper::createFromDouble(value, decimals))
{
}

String::String(bool value) noexcept : text(value ? "true" : "false") {}

String::String(float value, String const& format) noexcept : String(static_cast<double>(value), format) {}

String::String(double value, String const& format) noexcept
{
    if (isSingleConversionFormat(format.text.c_str(), "fFeEgGaA", false))
        text = formatOne(format.text, value);
}

String::String(unsigned int value, String const& format) noexcept
{
    if (isSingleConversionFormat(format.text.c_str(), "diouxXc", true))
        text = formatOne(format.text, value);
}

String& String::operator=(String const& other) noexcept
{
    if (this != &other)
        text = other.text;
    return *this;
}

// Never destroyed, so they stay usable from other objects' destructors at exit.
String const& String::Empty() noexcept
{
    static String const* const instance = new String();
    return *instance;
}

String const& String::NewLine() noexcept
{
    static String const* const instance = new String("\n");
    return *instance;
}

String const& String::Slash() noexcept
{
    static String const* const instance = new String("/");
    return *instance;
}

//==============================================================================
void String::Append(char c) noexcept
{
    text.push_back(c);
}

void String::Append(wchar_t c) noexcept
{
    text.push_back(static_cast<char>(static_cast<unsigned char>(c & 0xFF)));
}

void String::Append(String const& other) noexcept
{
    text.append(other.text);
}

void String::AppendCharPointer(CharPointer_UTF8 begin, CharPointer_UTF8 end) noexcept
{
    if (begin.GetAddress() != nullptr && end.GetAddress() > begin.GetAddress())
        text.append(begin.GetAddress(), end.GetAddress());
}

void String::AppendCharPointer(CharPointer_UTF8 t) noexcept
{
    if (t.GetAddress() != nullptr)
        text.append(t.GetAddress());
}

void String::Prepend(char c) noexcept
{
    text.insert(text.begin(), c);
}

void String::Prepend(String const& other) noexcept
{
    text.insert(0, other.text);
}

String& String::operator+=(String const& other) noexcept
{
    text.append(other.text);
    return *this;
}

String& String::operator+=(char c) noexcept
{
    text.push_back(c);
    return *this;
}

String& String::operator+=(char const* other) noexcept
{
    if (other != nullptr)
        text.append(other);
    return *this;
}

//==============================================================================
void String::MakeLowerCase() noexcept
{
    for (char& c : text)
        c = foldAscii(c);
}

String String::ToLowerCase() const noexcept
{
    String copy(*this);
    copy.MakeLowerCase();
    return copy;
}

//==============================================================================
bool String::IsEqual(String const& other, Case const& caseMode) const noexcept
{
    if (caseMode == Case::Sensitive)
        return text == other.text;
    return equalsFolded(text, other.text);
}

int String::CompareIgnoreCase(String const& other) const noexcept
{
    return compareBytes(text, other.text, true);
}

int String::CompareLexicographically(String const& other, Case const& caseMode) const noexcept
{
    auto const rest = [](std::string_view s)
    {
        std::size_t i = 0;
        while (i < s.size() && !isAsciiLetter(s[i]) && !isAsciiDigit(s[i]))
            ++i;
        return s.substr(i);
    };
    return compareBytes(rest(text), rest(other.text), caseMode != Case::Sensitive);
}

//==============================================================================
std::int64_t String::IndexOfFirstOccurence(String const& needle, Case const& caseMode) const noexcept
{
    return findFrom(text, needle.text, 0, caseMode);
}

std::int64_t String::IndexOfFirstOccurence(char c, Case const& caseMode) const noexcept
{
    if (caseMode == Case::Sensitive)
    {
        auto const pos = text.find(c);
        return pos == std::string::npos ? -1 : static_cast<std::int64_t>(pos);
    }
    char const wanted = foldAscii(c);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (foldAscii(text[i]) == wanted)
            return static_cast<std::int64_t>(i);
    return -1;
}

std::int64_t String::IndexOfLastOccurence(char c, Case const& caseMode) const noexcept
{
    if (caseMode == Case::Sensitive)
    {
        auto const pos = text.rfind(c);
        return pos == std::string::npos ? -1 : static_cast<std::int64_t>(pos);
    }
    char const wanted = foldAscii(c);
    for (std::size_t i = text.size(); i-- > 0;)
        if (foldAscii(text[i]) == wanted)
            return static_cast<std::int64_t>(i);
    return -1;
}

std::int64_t String::IndexOfLastOccurence(String const& needle, Case const& caseMode) const noexcept
{
    return findLast(text, needle.text, caseMode);
}

Vector<unsigned long> String::GetAllOccurences(String const& needle, Case const& caseMode) const noexcept
{
    Vector<unsigned long> starts;
    for (std::int64_t pos = findFrom(text, needle.text, 0, caseMode); pos >= 0;
         pos = findFrom(text, needle.text, static_cast<std::size_t>(pos) + 1, caseMode))
        starts.PushBack(static_cast<unsigned long>(pos));
    return starts;
}

std::uint64_t String::CountOccurence(char c, Case const& caseMode) const noexcept
{
    if (caseMode == Case::Sensitive)
        return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), c));
    char const wanted = foldAscii(c);
    return static_cast<std::uint64_t>(
        std::count_if(text.begin(), text.end(), [wanted](char x) { return foldAscii(x) == wanted; }));
}

bool String::Contains(char c) const noexcept
{
    return text.find(c) != std::string::npos;
}

bool String::Contains(String const& other) const noexcept
{
    return !other.text.empty() && text.find(other.text) != std::string::npos;
}

bool String::ContainsLetter() const noexcept
{
    return std::any_of(text.begin(), text.end(), isAsciiLetter);
}

bool String::ContainsNonWhitespaceCharacters() const noexcept
{
    return std::any_of(text.begin(), text.end(), [](char c) { return !isSpace(c); });
}

bool String::ContainsOnly(String const& allowed) const noexcept
{
    return text.find_first_not_of(allowed.text) == std::string::npos;
}

bool String::ContainsAnyOf(char const* set) const noexcept
{
    return set != nullptr && *set != '\0' && text.find_first_of(set) != std::string::npos;
}

bool String::EndsWith(char c) const noexcept
{
    return !text.empty() && text.back() == c;
}

bool String::EndsWith(String const& suffix) const noexcept
{
    auto const n = suffix.text.size();
    return n != 0 && n <= text.size() && text.compare(text.size() - n, n, suffix.text) == 0;
}

char String::GetLastCharacter() const noexcept
{
    return text.empty() ? '\0' : text.back();
}

//==============================================================================
String String::SubString(unsigned long start, unsigned long end) const noexcept
{
    end = std::min<unsigned long>(end, text.size());
    if (start >= text.size() || end <= start)
        return String();
    return String(text.substr(start, end - start));
}

String String::SubString(unsigned long start) const noexcept
{
    return SubString(start, text.size());
}

String String::FromFirstOccurrenceOf(String const& needle, bool including,
                                     Case const& caseMode) const noexcept
{
    auto const pos = IndexOfFirstOccurence(needle, caseMode);
    if (pos < 0)
        return String();
    return String(text.substr(static_cast<std::size_t>(pos) + (including ? 0 : needle.text.size())));
}

String String::FromFirstOccurrenceOf(char c, bool including, Case const& caseMode) const noexcept
{
    auto const pos = IndexOfFirstOccurence(c, caseMode);
    if (pos < 0)
        return String();
    return String(text.substr(static_cast<std::size_t>(pos) + (including ? 0 : 1)));
}

String String::UpToFirstOccurrenceOf(char c, bool including, Case const& caseMode) const noexcept
{
    auto const pos = IndexOfFirstOccurence(c, caseMode);
    if (pos < 0)
        return String();
    return String(text.substr(0, static_cast<std::size_t>(pos) + (including ? 1 : 0)));
}

String String::TrimCharactersAtEnd(char c) const noexcept
{
    String copy(*this);
    if (copy.EndsWith(c))
        copy.text.pop_back();
    return copy;
}

String String::TrimCharactersAtEnd(String const& s) const noexcept
{
    String copy(*this);
    while (copy.EndsWith(s))
        copy.text.resize(copy.text.size() - s.text.size());
    return copy;
}

void String::RemoveLastCharacter() noexcept
{
    if (!text.empty())
        text.pop_back();
}

void String::RemoveLastCharacters(unsigned int n) noexcept
{
    text.resize(text.size() - std::min<std::size_t>(n, text.size()));
}

void String::RemoveFirstAndLastCharacter() noexcept
{
    if (text.size() < 2)
        text.clear();
    else
        text = text.substr(1, text.size() - 2);
}

void String::RemoveLastOccurence(String const& needle, Case const& caseMode) noexcept
{
    auto const pos = IndexOfLastOccurence(needle, caseMode);
    if (pos >= 0)
        text.erase(static_cast<std::size_t>(pos), needle.text.size());
}

void String::RemoveAllOccurence(char c) noexcept
{
    text.erase(std::remove(text.begin(), text.end(), c), text.end());
}

void String::Replace(String const& from, String const& to) noexcept
{
    if (from.text.empty())
        return;
    auto pos = text.find(from.text);
    if (pos == std::string::npos)
        return;
    // One pass into a new buffer: linear however many occurrences there are.
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    while (pos != std::string::npos)
    {
        result.append(text, copied, pos - copied);
        result.append(to.text);
        copied = pos + from.text.size();
        pos = text.find(from.text, copied);
    }
    result.append(text, copied, std::string::npos);
    text.swap(result);
}

void String::Replace(char from, char to) noexcept
{
    if (from != to)
        std::replace(text.begin(), text.end(), from, to);
}

String String::Replacing(char from, char to) const noexcept
{
    String copy(*this);
    copy.Replace(from, to);
    return copy;
}

void String::RemoveLeadingSpaces() noexcept
{
    auto const first = std::find_if(text.begin(), text.end(), [](char c) { return !isSpace(c); });
    text.erase(text.begin(), first);
}

void String::RemoveTrailingSpaces() noexcept
{
    auto n = text.size();
    while (n > 0 && isSpace(text[n - 1]))
        --n;
    text.resize(n);
}

void String::RemoveLeadingAndTrailingSpaces() noexcept
{
    RemoveTrailingSpaces();
    RemoveLeadingSpaces();
}

String String::Trimmed() const noexcept
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return String(text.substr(begin, end - begin));
}

String String::PaddedWith(unsigned long total, String const& pad) const noexcept
{
    String copy(*this);
    if (pad.text.empty() || text.size() >= total)
        return copy;
    auto const copies = (total - text.size()) / pad.text.size();
    copy.text.reserve(text.size() + copies * pad.text.size());
    for (unsigned long i = 0; i < copies; ++i)
        copy.text.append(pad.text);
    return copy;
}

void String::Clear() noexcept
{
    text.clear();
}

void String::Resize(unsigned long n)
{
    try
    {
        text.resize(n);
    }
    catch (std::exception const& e)
    {
        throw Exception(e, SourceLineInfo("QevString"), true, false);
    }
}

//==============================================================================
bool String::IsQuoted() const noexcept
{
    // The first byte being a quote makes it that quote's first occurrence.
    return !text.empty() && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
}

String String::Quoted(char quote) const noexcept
{
    if (IsQuoted())
        return *this;
    std::string result;
    result.reserve(text.size() + 2);
    result.push_back(quote);
    result.append(text);
    result.push_back(quote);
    return String(std::move(result));
}

String String::Unquoted() const noexcept
{
    if (!IsQuoted())
        return *this;
    return text.size() < 2 ? String() : String(text.substr(1, text.size() - 2));
}

String String::GetFirstQuotedSubString(char quote) const noexcept
{
    auto const first = text.find(quote);
    if (first == std::string::npos)
        return String();
    auto const second = text.find(quote, first + 1);
    if (second == std::string::npos)
        return String();
    return String(text.substr(first, second - first + 1));
}

//==============================================================================
bool String::IsNumber() const noexcept
{
    if (text.empty())
        return false;
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x' &&
        std::all_of(text.begin() + 2, text.end(), isHexDigit))
        return true;

    // A mantissa and an optional exponent; each part may hold one sign (anywhere) and one point.
    bool signSeen = false, exponentSeen = false, pointSeen = false;
    int digits = 0;
    for (char const c : text)
    {
        if (c == '+' || c == '-')
        {
            if (signSeen)
                return false;
            signSeen = true;
        }
        else if (isAsciiDigit(c))
            ++digits;
        else if (c == 'e' || c == 'E')
        {
            if (digits == 0 || exponentSeen)
                return false;
            exponentSeen = true;
            digits = 0;
            signSeen = pointSeen = false;
        }
        else if (c == '.')
        {
            if (pointSeen)
                return false;
            pointSeen = true;
        }
        else
            return false;
    }
    return digits > 0;
}

bool String::IsInt() const noexcept
{
    if (!IsNumber())
        return false;
    double const value = readFloat(text);
    // Outside the 64-bit range no integer type can hold the value (and converting would be undefined).
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        return false;
    return value == std::trunc(value);
}

bool String::IsDigit() const noexcept
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

bool String::IsBoolean() const noexcept
{
    return text == "0" || text == "1" || equalsFolded(text, "true") || equalsFolded(text, "false");
}

bool String::GetBooleanValue() const noexcept
{
    return equalsFolded(text, "true") || text == "1";
}

int String::GetIntValue() const noexcept
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !isAsciiDigit(text[i]))
        return 0;
    std::int64_t magnitude = 0;
    for (; i < text.size() && isAsciiDigit(text[i]); ++i)
    {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL)
            return 0;
    }
    std::int64_t const value = negative ? -magnitude : magnitude;
    return value > 2147483647LL ? 0 : static_cast<int>(value);
}

double String::GetDoubleValue() const noexcept
{
    return readFloat(text);
}

//==============================================================================
String String::Int2Hexa(int value, bool upperCase) noexcept
{
    return String(hexText(value, upperCase ? "0123456789ABCDEF" : "0123456789abcdef"));
}

String String::ToHexString(int value) noexcept
{
    return String(hexText(value, "0123456789abcdef"));
}

int Characters::GetHexDigitValue(wchar_t c) noexcept
{
    if (c >= L'0' && c <= L'9')
        return static_cast<int>(c - L'0');
    if (c >= L'a' && c <= L'f')
        return static_cast<int>(c - L'a') + 10;
    if (c >= L'A' && c <= L'F')
        return static_cast<int>(c - L'A') + 10;
    return -1;
}

//==============================================================================
String& operator<<(String& s, String const& other) noexcept
{
    s.Append(other);
    return s;
}

String& operator<<(String& s, char c) noexcept
{
    s.Append(c);
    return s;
}

String& operator<<(String& s, char const* other) noexcept
{
    return s += other;
}

String& operator<<(String& s, std::string const& other) noexcept
{
    s.Append(String(other));
    return s;
}

String& operator<<(String& s, int value) noexcept
{
    s.Append(String(value));
    return s;
}

std::ostream& operator<<(std::ostream& stream, String const& s)
{
    return stream.write(s.GetCString(), static_cast<std::streamsize>(s.GetLength()));
}

String operator+(String const& a, String const& b) noexcept
{
    std::string result;
    result.reserve(a.GetLength() + b.GetLength());
    result.append(a.GetStdString()).append(b.GetStdString());
    return String(std::move(result));
}

String operator+(String const& a, char const* b) noexcept
{
    String result(a);
    result += b;
    return result;
}

String operator+(char const* a, String const& b) noexcept
{
    String result(a);
    result += b;
    return result;
}

String operator+(String const& a, char b) noexcept
{
    String result(a);
    result += b;
    return result;
}

String operator+(String&& a, String const& b) noexcept
{
    a += b;
    return std::move(a);
}

String operator+(String&& a, char const* b) noexcept
{
    a += b;
    return std::move(a);
}

String operator+(String&& a, char b) noexcept
{
    a += b;
    return std::move(a);
}

bool operator==(String const& a, String const& b) noexcept
{
    return a.GetStdString() == b.GetStdString();
}

bool operator==(String const& a, char const* b) noexcept
{
    return a.GetView() == std::string_view(b != nullptr ? b : "");
}

bool operator==(char const* a, String const& b) noexcept
{
    return b == a;
}

bool operator!=(String const& a, String const& b) noexcept
{
    return !(a == b);
}

bool operator!=(String const& a, char const* b) noexcept
{
    return !(a == b);
}

bool operator!=(char const* a, String const& b) noexcept
{
    return !(b == a);
}

bool operator<(String const& a, String const& b) noexcept
{
    return a.GetStdString() < b.GetStdString();
}

} // namespace qev
