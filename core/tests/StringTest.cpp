#include "common/QevException.h"
#include "memory/QevVector.h"
#include "text/QevString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using qev::Case;
using qev::String;

namespace
{

constexpr auto S = Case::Sensitive;
constexpr auto I = Case::Insensitive;

struct TextCase
{
    String actual;
    char const* expected;
};

void expectTexts(std::vector<TextCase> const& cases)
{
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].actual.GetStdString(), cases[i].expected) << "case " << i;
}

std::vector<TextCase> numberTexts()
{
    double const inf = std::numeric_limits<double>::infinity();
    double const nan = std::numeric_limits<double>::quiet_NaN();
    return {
        // integers, including the small-number table's edges and the most negative values
        {String(0), "0"},
        {String(20), "20"},
        {String(21), "21"},
        {String(-1), "-1"},
        {String(-20), "-20"},
        {String(std::numeric_limits<int>::min()), "-2147483648"},
        {String(std::numeric_limits<int>::max()), "2147483647"},
        {String(std::numeric_limits<long>::min()), "-9223372036854775808"},
        {String(std::numeric_limits<long long>::min()), "-9223372036854775808"},
        {String(std::numeric_limits<unsigned long>::max()), "18446744073709551615"},
        {String(4294967295u), "4294967295"},
        {String(7u), "7"},
        {String(100L), "100"},
        // decimal places: integer arithmetic, half away from zero
        {String(3.14159, 2), "3.14"},
        {String(0.125, 2), "0.13"},
        {String(-0.125, 2), "-0.13"},
        {String(-0.001, 2), "-0.00"},
        {String(-0.0, 2), "0.00"},
        {String(1234.5678, 3), "1234.568"},
        {String(0.05, 2), "0.05"},
        {String(7.0, 1), "7.0"},
        {String(0.9999999, 6), "1.000000"},
        {String(-42.0, 6), "-42.000000"},
        {String(9.2e12, 6), "9200000000000.000000"},
        // beyond the integer path: fixed notation with every integer digit
        {String(1e13, 6), "10000000000000.000000"},
        {String(1e20, 2), "100000000000000000000.00"},
        {String(-1e20, 1), "-100000000000000000000.0"},
        {String(1e50, 2), "100000000000000007629769841091887003294964970946560.00"},
        {String(0.5, 7), "0.5000000"},
        {String(1.0 / 3.0, 10), "0.3333333333"},
        {String(inf, 2), "inf"},
        {String(-inf, 2), "-inf"},
        {String(nan, 2), "nan"},
        // general form, 6 significant digits
        {String(2.5, 0), "2.5"},
        {String(0.1f), "0.1"},
        {String(0.1), "0.1"},
        {String(100000.0), "100000"},
        {String(1000000.0), "1e+06"},
        {String(123456789.0), "1.23457e+08"},
        {String(1e20), "1e+20"},
        {String(0.0001), "0.0001"},
        {String(0.00001), "1e-05"},
        {String(-0.0), "-0"},
        {String(3.0f), "3"},
        {String(inf), "inf"},
        {String(-inf), "-inf"},
        {String(nan), "nan"},
        {String(-nan), "nan"},
        {String(true), "true"},
        {String(false), "false"},
        {String::Int2Hexa(255, false), "ff"},
        {String::Int2Hexa(255, true), "FF"},
        {String::Int2Hexa(-1, false), "ffffffff"},
        {String::Int2Hexa(0, true), "0"},
        {String::ToHexString(-1), "ffffffff"},
        {String::ToHexString(0), "0"},
        {String::ToHexString(0xABC0), "abc0"},
    };
}

} // namespace

TEST(String, NumberTexts)
{
    expectTexts(numberTexts());
    // Huge decimal counts are written in full, never cut.
    EXPECT_EQ(String(0.5, 1000).GetLength(), 1002u);
    EXPECT_EQ(String(-1e308, 2).GetLength(), 309u + 1u + 3u);
}

TEST(String, NumberTextsIgnoreTheLocale)
{
    char const* const previous = std::setlocale(LC_ALL, nullptr);
    std::string const saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && std::setlocale(LC_ALL, "de_DE") == nullptr &&
        std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no comma-decimal locale is installed on this machine";
    char probe[16];
    std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
    bool const commaLocale = std::string(probe) == "1,5";

    expectTexts(numberTexts());
    expectTexts({{String(2.5, String("%.2f")), "2.50"}});
    double const tenth = String("0.1").GetDoubleValue();
    bool const threePointFiveIsInt = String("3.5").IsInt();

    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(commaLocale) << "the locale was made but does not use a decimal comma";
    EXPECT_EQ(tenth, static_cast<double>(0.1f));
    EXPECT_FALSE(threePointFiveIsInt);
}

TEST(String, FormattedTexts)
{
    expectTexts({
        {String(7u, "%02d"), "07"},
        {String(255u, "%X"), "FF"},
        {String(65u, "%c"), "A"},
        {String(5u, "%hhu%%"), "5%"},
        {String(2.5, "%.2f"), "2.50"},
        {String(2.5f, "%.1f"), "2.5"},
        {String(2.5, "%lf"), "2.500000"},
        {String(2.5, "%1$.1e"), "2.5e+00"},
        {String(1.0, "x = %g;"), "x = 1;"},
        {String(1.0, "no conversion"), "no conversion"},
        // mismatched or unsafe formats read nothing
        {String(2.5, "%d"), ""},
        {String(2.5, "%s"), ""},
        {String(2.5, "%f %f"), ""},
        {String(2.5, "%*f"), ""},
        {String(2.5, "%Lf"), ""},
        {String(2.5, "%2$f"), ""},
        {String(2.5, "%n"), ""},
        {String(2.5, "%"), ""},
        {String(3u, "%f"), ""},
        {String(3u, "%ld"), ""},
        {String(3u, "%s"), ""},
    });
    // Longer than the stack buffer: written whole.
    EXPECT_EQ(String(1e50, "%.2f"), String(1e50, 2));
    EXPECT_EQ(String(1.0, "%100.1f").GetLength(), 100u);
}

TEST(String, Construction)
{
    char const utf8[] = "a\xC3\xA9\xE2\x82\xAC/z"; // "a", e-acute, euro sign
    qev::CharPointer_UTF8 const p(utf8);
    EXPECT_EQ(String(p).GetStdString(), utf8);
    EXPECT_EQ(String(p, p).GetLength(), 0u);
    EXPECT_EQ(String(p, qev::CharPointer_UTF8(utf8 + 3)), "a\xC3\xA9");
    EXPECT_EQ(String(p, 6ul), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(String(static_cast<char const*>(nullptr)), "");
    EXPECT_EQ(String(std::string_view("abcdef", 3)), "abc");
    String s("abc");
    s = s;
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(String::Empty(), "");
    EXPECT_EQ(String::NewLine(), "\n");
    EXPECT_EQ(String::Slash(), "/");
    EXPECT_EQ(&String::Slash(), &String::Slash());
}

TEST(String, AppendingAndStreaming)
{
    String s("b");
    s.Append('c');
    s.Append(static_cast<wchar_t>(0x141)); // low 8 bits: 'A'
    s.Append(String("d"));
    s.Prepend('a');
    s.Prepend(String(">"));
    char const tail[] = "xyz";
    s.AppendCharPointer(qev::CharPointer_UTF8(tail), qev::CharPointer_UTF8(tail + 2));
    s.AppendCharPointer(qev::CharPointer_UTF8(tail));
    s << String("|") << '-' << "t" << std::string("s") << -12 << 5;
    EXPECT_EQ(s, ">abcAdxyxyz|-ts-125");
    std::ostringstream out;
    out << String(std::string("a\0b", 3));
    EXPECT_EQ(out.str(), std::string("a\0b", 3));
}

TEST(String, ValueTests)
{
    struct Row
    {
        char const* text;
        bool isNumber, isInt;
        int intValue;
    };
    Row const rows[] = {
        {"", false, false, 0},
        {"12", true, true, 12},
        {"-3.5", true, false, -3},
        {"+.5", true, false, 0},
        {"5.", true, true, 5},
        {"1e10", true, true, 1},
        {"1.5E-3", true, false, 1},
        {"1e2.5", true, true, 1}, // the float reading stops at the second point
        {"1-2", true, true, 1},
        {"5-", true, true, 5},
        {"0x", true, true, 0},
        {"0xFFa", true, true, 0},
        {"0x10", true, true, 0},
        {"0x1G", false, false, 0},
        {"0X1F", false, false, 0},
        {"-", false, false, 0},
        {".", false, false, 0},
        {"e5", false, false, 0},
        {"1e", false, false, 1},
        {"1e5e5", false, false, 1},
        {"--1", false, false, 0},
        {"1..2", false, false, 1},
        {" 12", false, false, 12},
        {"1 ", false, false, 1},
        {"12abc", false, false, 12},
        {"abc", false, false, 0},
        {"3.9", true, false, 3},
        {"2.0", true, true, 2},
        {"1e39", true, true, 1},       // out of float range: reads as 0
        {"1e18", true, true, 1},       // inside the 64-bit range
        {"-9e18", true, true, -9},     // inside the 64-bit range
        {"1e19", true, false, 1},      // beyond the 64-bit range
        {"-1e30", true, false, -1},    // beyond the 64-bit range
        {"2147483648", true, true, 0}, // too large for an int
        {"-2147483648", true, true, -2147483647 - 1},
        {"2147483647", true, true, 2147483647},
        {"99999999999", true, true, 0},
        {"\t\n-7x", false, false, -7},
        {"+-1", false, false, 0},
    };
    for (auto const& row : rows)
    {
        String const s(row.text);
        EXPECT_EQ(s.IsNumber(), row.isNumber) << '"' << row.text << '"';
        EXPECT_EQ(s.IsInt(), row.isInt) << '"' << row.text << '"';
        EXPECT_EQ(s.GetIntValue(), row.intValue) << '"' << row.text << '"';
    }

    struct DoubleRow
    {
        char const* text;
        double value;
    };
    DoubleRow const doubles[] = {
        {"", 0.0},        {"0.1", static_cast<double>(0.1f)},
        {"1e39", 0.0},    {"1e-50", 0.0},
        {"abc", 0.0},     {" 2.5x", 2.5},
        {"-3", -3.0},     {"0x10", 16.0},
        {"1e2.5", 100.0},
    };
    for (auto const& row : doubles)
        EXPECT_EQ(String(row.text).GetDoubleValue(), row.value) << '"' << row.text << '"';

    struct BoolRow
    {
        char const* text;
        bool isBoolean, value, isDigit;
    };
    BoolRow const bools[] = {
        {"true", true, true, false}, {"TRUE", true, true, false},  {"False", true, false, false},
        {"1", true, true, true},     {"0", true, false, true},     {"01", false, false, true},
        {"10", false, false, true},  {"yes", false, false, false}, {" true", false, false, false},
        {"2", false, false, true},   {"", false, false, false},    {"1a", false, false, false},
    };
    for (auto const& row : bools)
    {
        String const s(row.text);
        EXPECT_EQ(s.IsBoolean(), row.isBoolean) << '"' << row.text << '"';
        EXPECT_EQ(s.GetBooleanValue(), row.value) << '"' << row.text << '"';
        EXPECT_EQ(s.IsDigit(), row.isDigit) << '"' << row.text << '"';
    }

    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'0'), 0);
    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'9'), 9);
    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'a'), 10);
    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'F'), 15);
    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'g'), -1);
    EXPECT_EQ(qev::Characters::GetHexDigitValue(L'\xFF10'), -1); // a full-width zero
}

TEST(String, Comparisons)
{
    struct Row
    {
        String a, b;
        int ignoreCase, lexicalExact, lexicalFolded;
        bool equalExact, equalFolded;
    };
    Row const rows[] = {
        {"abc", "ABD", -1, 1, -1, false, false},
        {"ab", "AB", 0, 1, 0, false, true},
        {"abc", "ab", 1, 1, 1, false, false},
        {"ab", "abc", -1, -1, -1, false, false},
        {"(b)", "a", -1, 1, 1, false, false},
        {"  Z", "a", -1, -1, 1, false, false},
        {"--", "", 1, 0, 0, false, false},
        {"\xC3\x89", "\xC3\xA9", -1, 0, 0, false, false}, // high bytes: never folded, not alphanumeric
        {"\xFF", "a", 1, -1, -1, false, false},           // unsigned order; not alphanumeric
        {String(std::string("a\0b", 3)), String(std::string("a\0c", 3)), -1, -1, -1, false, false},
        {"", "", 0, 0, 0, true, true},
    };
    auto const sign = [](int v) { return (v > 0) - (v < 0); };
    for (std::size_t i = 0; i < std::size(rows); ++i)
    {
        auto const& r = rows[i];
        EXPECT_EQ(sign(r.a.CompareIgnoreCase(r.b)), r.ignoreCase) << "row " << i;
        EXPECT_EQ(sign(r.a.CompareLexicographically(r.b, S)), r.lexicalExact) << "row " << i;
        EXPECT_EQ(sign(r.a.CompareLexicographically(r.b, I)), r.lexicalFolded) << "row " << i;
        EXPECT_EQ(r.a.IsEqual(r.b, S), r.equalExact) << "row " << i;
        EXPECT_EQ(r.a.IsEqual(r.b, I), r.equalFolded) << "row " << i;
    }
    EXPECT_EQ(String("MiXeD \xC3\x84Z").ToLowerCase(), "mixed \xC3\x84z");
}

TEST(String, Searches)
{
    String const t("aXbxaa");
    EXPECT_EQ(t.IndexOfFirstOccurence(String("x"), S), 3);
    EXPECT_EQ(t.IndexOfFirstOccurence(String("x"), I), 1);
    EXPECT_EQ(t.IndexOfFirstOccurence(String(""), S), -1);
    EXPECT_EQ(t.IndexOfFirstOccurence(String("aXbxaaa"), I), -1);
    EXPECT_EQ(t.IndexOfFirstOccurence('X', S), 1);
    EXPECT_EQ(t.IndexOfFirstOccurence('B', I), 2);
    EXPECT_EQ(t.IndexOfFirstOccurence('q', I), -1);
    EXPECT_EQ(t.IndexOfLastOccurence('x', I), 3);
    EXPECT_EQ(t.IndexOfLastOccurence('X', S), 1);
    EXPECT_EQ(t.IndexOfLastOccurence(String("XB"), I), 1);
    EXPECT_EQ(String("aaa").IndexOfLastOccurence(String("aa"), S), 1);
    EXPECT_EQ(String("").IndexOfLastOccurence(String("a"), S), -1);
    EXPECT_EQ(t.IndexOfLastOccurence(String(""), S), -1);
    EXPECT_EQ(t.CountOccurence('x', S), 1u);
    EXPECT_EQ(t.CountOccurence('x', I), 2u);

    auto const all = String("aAaa").GetAllOccurences(String("aa"), I);
    ASSERT_EQ(all.GetSize(), 3u);
    EXPECT_EQ(all[0], 0u);
    EXPECT_EQ(all[1], 1u);
    EXPECT_EQ(all[2], 2u);
    EXPECT_EQ(String("aAaa").GetAllOccurences(String("aa"), S).GetSize(), 1u);
    EXPECT_TRUE(String("abc").GetAllOccurences(String(""), S).IsEmpty());

    EXPECT_TRUE(t.Contains('b'));
    EXPECT_FALSE(t.Contains(String("")));
    EXPECT_FALSE(t.Contains(String("ax")));
    EXPECT_TRUE(String("1-2").ContainsLetter() == false && String("1z").ContainsLetter());
    EXPECT_FALSE(String(" \t\r\n\v\f").ContainsNonWhitespaceCharacters());
    EXPECT_TRUE(String(" \xA0").ContainsNonWhitespaceCharacters());
    EXPECT_FALSE(String("").ContainsNonWhitespaceCharacters());
    EXPECT_TRUE(String("").ContainsOnly(String("ab")));
    EXPECT_TRUE(String("abba").ContainsOnly(String("ab")));
    EXPECT_FALSE(String("abc").ContainsOnly(String("ab")));
    EXPECT_TRUE(String("a/b").ContainsAnyOf("?/"));
    EXPECT_FALSE(String("a/b").ContainsAnyOf(""));
    EXPECT_FALSE(String("a/b").ContainsAnyOf(nullptr));
    EXPECT_TRUE(String("ab").EndsWith('b'));
    EXPECT_FALSE(String("").EndsWith('\0'));
    EXPECT_TRUE(String("ab").EndsWith(String("ab")));
    EXPECT_FALSE(String("ab").EndsWith(String("")));
    EXPECT_FALSE(String("b").EndsWith(String("ab")));
    EXPECT_EQ(String("ab").GetLastCharacter(), 'b');
    EXPECT_EQ(String("").GetLastCharacter(), '\0');
}

TEST(String, SubstringsAndEdits)
{
    String const abc("abc");
    expectTexts({
        {abc.SubString(3, 2), ""},
        {abc.SubString(10, 20), ""},
        {abc.SubString(1, 100), "bc"},
        {abc.SubString(1), "bc"},
        {abc.SubString(1, 1), ""},
        {String("a/B/c").FromFirstOccurrenceOf(String("/b"), true, I), "/B/c"},
        {String("a/B/c").FromFirstOccurrenceOf(String("/b"), false, I), "/c"},
        {String("a/B/c").FromFirstOccurrenceOf(String("/b"), false, S), ""},
        {String("a/b").FromFirstOccurrenceOf('/', false, S), "b"},
        {String("a/b").FromFirstOccurrenceOf('/', true, S), "/b"},
        {abc.UpToFirstOccurrenceOf('/', false, S), ""},
        {String("ab/c").UpToFirstOccurrenceOf('/', false, S), "ab"},
        {String("ab/c").UpToFirstOccurrenceOf('/', true, S), "ab/"},
        {String("aBc").UpToFirstOccurrenceOf('b', false, I), "a"},
        {String("a//").TrimCharactersAtEnd('/'), "a/"},
        {String("a//").TrimCharactersAtEnd(String("/")), "a"},
        {String("abab").TrimCharactersAtEnd(String("ab")), ""},
        {String("a//").TrimCharactersAtEnd(String("")), "a//"},
        {String("axbx").Replacing('x', '-'), "a-b-"},
        {String(" \t a b \r\n").Trimmed(), "a b"},
        {String(" \xA0").Trimmed(), "\xA0"},
        {String("abcd").PaddedWith(10, String("ab")), "abcdababab"},
        {String("abcd").PaddedWith(11, String("ab")), "abcdababab"},
        {String("abcd").PaddedWith(5, String("ab")), "abcd"},
        {String("abcd").PaddedWith(2, String("ab")), "abcd"},
        {String("abcd").PaddedWith(10, String("")), "abcd"},
    });

    struct ReplaceRow
    {
        char const *text, *from, *to, *expected;
    };
    ReplaceRow const replaces[] = {
        {"aaa", "aa", "b", "ba"}, {"aa", "a", "aa", "aaaa"}, {"abc", "", "x", "abc"},
        {"abc", "d", "x", "abc"}, {"a.b.c", ".", "", "abc"}, {"xyxy", "xy", "xyxy", "xyxyxyxy"},
    };
    for (auto const& r : replaces)
    {
        String s(r.text);
        s.Replace(String(r.from), String(r.to));
        EXPECT_EQ(s, r.expected) << r.text << " / " << r.from << " -> " << r.to;
    }

    String s("a-b-c");
    s.Replace('a', 'a');
    EXPECT_EQ(s, "a-b-c");
    s.RemoveAllOccurence('-');
    EXPECT_EQ(s, "abc");
    s.RemoveLastCharacters(2);
    EXPECT_EQ(s, "a");
    s.RemoveLastCharacters(5);
    EXPECT_EQ(s, "");
    s.RemoveLastCharacter();
    EXPECT_EQ(s, "");
    s = "x";
    s.RemoveFirstAndLastCharacter();
    EXPECT_EQ(s, "");
    s = "[ab]";
    s.RemoveFirstAndLastCharacter();
    EXPECT_EQ(s, "ab");
    s = "aXa xa";
    s.RemoveLastOccurence(String("xA"), I);
    EXPECT_EQ(s, "aXa ");
    s.RemoveLastOccurence(String("q"), I);
    EXPECT_EQ(s, "aXa ");
    s = " \t a ";
    s.RemoveLeadingSpaces();
    EXPECT_EQ(s, "a ");
    s.RemoveTrailingSpaces();
    EXPECT_EQ(s, "a");
    s = "\n \n";
    s.RemoveLeadingAndTrailingSpaces();
    EXPECT_EQ(s, "");
    s = "ab";
    s.Resize(4);
    EXPECT_EQ(s.GetStdString(), std::string("ab\0\0", 4));
    s.Resize(1);
    EXPECT_EQ(s, "a");
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(String, ResizeFailureRaisesQevException)
{
    String s("ab");
    try
    {
        s.Resize(s.GetStdString().max_size() + 1);
        FAIL() << "no exception";
    }
    catch (qev::Exception const& e)
    {
        EXPECT_EQ(e.GetLocation().GetFile(), "QevString");
        EXPECT_TRUE(e.GetMessage().IsNotEmpty());
    }
    EXPECT_EQ(s, "ab");
}

TEST(String, Quoting)
{
    struct Row
    {
        char const* text;
        bool isQuoted;
        char const *quoted, *unquoted, *firstQuoted;
    };
    Row const rows[] = {
        {"abc", false, "\"abc\"", "abc", ""},
        {"\"abc\"", true, "\"abc\"", "abc", "\"abc\""},
        {"'abc'", true, "'abc'", "abc", ""},
        {"\"", true, "\"", "", ""},
        {"'", true, "'", "", ""},
        {"\"abc'", false, "\"\"abc'\"", "\"abc'", ""},
        {"a\"b\"c\"", false, "\"a\"b\"c\"\"", "a\"b\"c\"", "\"b\""},
        {"", false, "\"\"", "", ""},
    };
    for (auto const& r : rows)
    {
        String const s(r.text);
        EXPECT_EQ(s.IsQuoted(), r.isQuoted) << r.text;
        EXPECT_EQ(s.Quoted('"'), r.quoted) << r.text;
        EXPECT_EQ(s.Unquoted(), r.unquoted) << r.text;
        EXPECT_EQ(s.GetFirstQuotedSubString('"'), r.firstQuoted) << r.text;
    }
}
