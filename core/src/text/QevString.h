#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "text/QevCharPointer_UTF8.h"

namespace qev
{

template <typename T> class Vector;

// How comparisons and searches treat letters. Insensitive folds only the ASCII letters A-Z.
enum class Case : std::int32_t
{
    Sensitive = 0,
    Insensitive = 1
};

// The library's text type: a value holding UTF-8 bytes. Lengths and indices count bytes.
class String
{
public:
    String() noexcept = default;
    String(char const* text) noexcept; // a null pointer gives the empty text
    String(std::basic_string_view<char> const& text) noexcept;
    String(std::string const& text) noexcept;
    String(std::string&& text) noexcept;
    explicit String(CharPointer_UTF8 text) noexcept;
    String(CharPointer_UTF8 begin, CharPointer_UTF8 end) noexcept;
    String(CharPointer_UTF8 text, unsigned long numBytes) noexcept;

    // Plain decimal texts.
    explicit String(int value) noexcept;
    explicit String(unsigned int value) noexcept;
    explicit String(long value) noexcept;
    explicit String(unsigned long value) noexcept;
    explicit String(long long value) noexcept;

    // General form with 6 significant digits, "." as decimal point whatever the locale.
    explicit String(float value) noexcept;
    explicit String(double value) noexcept;
    // Fixed form with that many decimals (0 decimals gives the general form).
    String(double value, unsigned int decimals) noexcept;

    explicit String(bool value) noexcept;

    // printf-style text of one value under the C locale, never cut. The format may hold one
    // conversion of the matching kind (floating for float/double, integer for unsigned);
    // any other conversion gives the empty text.
    String(float value, String const& format) noexcept;
    String(double value, String const& format) noexcept;
    String(unsigned int value, String const& format) noexcept;

    String(String const& other) = default;
    String(String&& other) noexcept = default;
    String& operator=(String const& other) noexcept;
    String& operator=(String&& other) noexcept = default;
    ~String() = default;

    static String const& Empty() noexcept;
    static String const& NewLine() noexcept;
    static String const& Slash() noexcept;

    // Access
    unsigned long GetLength() const noexcept { return text.size(); }
    bool IsEmpty() const noexcept { return text.empty(); }
    bool IsNotEmpty() const noexcept { return !text.empty(); }
    char const* GetCString() const noexcept { return text.c_str(); }
    CharPointer_UTF8 GetCharPointer() const noexcept { return CharPointer_UTF8(text.c_str()); }
    std::string const& GetStdString() const noexcept { return text; }
    std::string_view GetView() const noexcept { return text; }
    char operator[](unsigned long index) const noexcept { return text[index]; }

    // Appending
    void Append(char c) noexcept;
    void Append(wchar_t c) noexcept; // the low 8 bits of the code; callers pass ASCII
    void Append(String const& other) noexcept;
    void AppendCharPointer(CharPointer_UTF8 begin, CharPointer_UTF8 end) noexcept;
    void AppendCharPointer(CharPointer_UTF8 text) noexcept;
    void Prepend(char c) noexcept;
    void Prepend(String const& other) noexcept;
    String& operator+=(String const& other) noexcept;
    String& operator+=(char c) noexcept;
    String& operator+=(char const* other) noexcept;

    // Case (ASCII letters only)
    void MakeLowerCase() noexcept;
    String ToLowerCase() const noexcept;

    // Comparison
    bool IsEqual(String const& other, Case const& caseMode) const noexcept;
    int CompareIgnoreCase(String const& other) const noexcept;
    // Order after dropping each text's leading bytes that are neither ASCII letters nor digits.
    int CompareLexicographically(String const& other, Case const& caseMode) const noexcept;

    // Searching: indices are signed, -1 when absent.
    std::int64_t IndexOfFirstOccurence(String const& needle, Case const& caseMode) const noexcept;
    std::int64_t IndexOfFirstOccurence(char c, Case const& caseMode) const noexcept;
    std::int64_t IndexOfLastOccurence(char c, Case const& caseMode) const noexcept;
    std::int64_t IndexOfLastOccurence(String const& needle, Case const& caseMode) const noexcept;
    // Starts of all occurrences, overlapping ones included.
    Vector<unsigned long> GetAllOccurences(String const& needle, Case const& caseMode) const noexcept;
    std::uint64_t CountOccurence(char c, Case const& caseMode) const noexcept;
    bool Contains(char c) const noexcept;
    bool Contains(String const& other) const noexcept;
    bool ContainsLetter() const noexcept;
    bool ContainsNonWhitespaceCharacters() const noexcept;
    bool ContainsOnly(String const& allowed) const noexcept;
    bool ContainsAnyOf(char const* set) const noexcept;
    bool EndsWith(char c) const noexcept;
    bool EndsWith(String const& suffix) const noexcept;
    char GetLastCharacter() const noexcept;

    // Substrings, trimming, removal and replacement
    String SubString(unsigned long start, unsigned long end) const noexcept;
    String SubString(unsigned long start) const noexcept;
    String FromFirstOccurrenceOf(String const& needle, bool including, Case const& caseMode) const noexcept;
    String FromFirstOccurrenceOf(char c, bool including, Case const& caseMode) const noexcept;
    // Empty (not the whole text) when c does not occur.
    String UpToFirstOccurrenceOf(char c, bool including, Case const& caseMode) const noexcept;
    String TrimCharactersAtEnd(char c) const noexcept;          // removes one trailing c
    String TrimCharactersAtEnd(String const& s) const noexcept; // removes every trailing repeat of s
    void RemoveLastCharacter() noexcept;
    void RemoveLastCharacters(unsigned int n) noexcept;
    void RemoveFirstAndLastCharacter() noexcept;
    void RemoveLastOccurence(String const& needle, Case const& caseMode) noexcept;
    void RemoveAllOccurence(char c) noexcept;
    // Non-overlapping, left to right; inserted text is never searched again.
    void Replace(String const& from, String const& to) noexcept;
    void Replace(char from, char to) noexcept;
    String Replacing(char from, char to) const noexcept;
    void RemoveLeadingSpaces() noexcept;
    void RemoveTrailingSpaces() noexcept;
    void RemoveLeadingAndTrailingSpaces() noexcept;
    String Trimmed() const noexcept;
    String PaddedWith(unsigned long total, String const& pad) const noexcept;
    void Clear() noexcept;
    // Cuts or appends NUL bytes; throws qev::Exception when the storage cannot grow.
    void Resize(unsigned long n);

    // Quoting
    bool IsQuoted() const noexcept;
    String Quoted(char quote) const noexcept;
    String Unquoted() const noexcept;
    String GetFirstQuotedSubString(char quote) const noexcept;

    // Value tests and conversions
    bool IsNumber() const noexcept;
    bool IsInt() const noexcept;
    bool IsDigit() const noexcept;
    bool IsBoolean() const noexcept;
    bool GetBooleanValue() const noexcept;
    int GetIntValue() const noexcept;
    double GetDoubleValue() const noexcept;

    // Hexadecimal, without prefix or leading zeros; the value is taken as unsigned 32-bit.
    static String Int2Hexa(int value, bool upperCase) noexcept;
    static String ToHexString(int value) noexcept;

private:
    std::string text;
};

String& operator<<(String& s, String const& other) noexcept;
String& operator<<(String& s, char c) noexcept;
String& operator<<(String& s, char const* other) noexcept;
String& operator<<(String& s, std::string const& other) noexcept;
String& operator<<(String& s, int value) noexcept;
std::ostream& operator<<(std::ostream& stream, String const& s);

String operator+(String const& a, String const& b) noexcept;
String operator+(String const& a, char const* b) noexcept;
String operator+(char const* a, String const& b) noexcept;
String operator+(String const& a, char b) noexcept;
// A temporary left side is extended in place, so chains of + copy each piece once.
String operator+(String&& a, String const& b) noexcept;
String operator+(String&& a, char const* b) noexcept;
String operator+(String&& a, char b) noexcept;

// Exact byte comparisons of the whole texts.
bool operator==(String const& a, String const& b) noexcept;
bool operator==(String const& a, char const* b) noexcept;
bool operator==(char const* a, String const& b) noexcept;
bool operator!=(String const& a, String const& b) noexcept;
bool operator!=(String const& a, char const* b) noexcept;
bool operator!=(char const* a, String const& b) noexcept;
bool operator<(String const& a, String const& b) noexcept;

namespace Characters
{
// 0..15 for a hexadecimal digit of either case, -1 otherwise.
int GetHexDigitValue(wchar_t c) noexcept;
} // namespace Characters

} // namespace qev
