#include "common/QevException.h"
#include "osc/QevOscAddress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using qev::OscAddress;
using qev::OscAddressPattern;
using Parts = std::vector<std::string>;

template <typename T> Parts partsOf(T const& address)
{
    Parts parts;
    for (unsigned long i = 0; i < address.GetNumParts(); ++i)
        parts.push_back(address.GetPart(i).GetText().GetStdString());
    return parts;
}

// The text, its hash, the parts and the wildcard flag, as one comparable value.
template <typename T> std::string describe(T const& address, bool wildcard)
{
    EXPECT_EQ(address.GetHash(), qev::HashedString::ComputeHash(address.GetText().GetView()));
    std::string d = address.GetText().GetStdString() + " |";
    for (auto const& part : partsOf(address))
        d += " <" + part + ">";
    return wildcard ? d + " *" : d;
}
std::string describe(OscAddressPattern const& p)
{
    return describe(p, p.HasWildcard());
}

template <typename T> std::string formatErrorOf(std::string const& text)
{
    try
    {
        T const parsed{qev::String(text)};
        return "accepted";
    }
    catch (qev::Exception const& e)
    {
        EXPECT_EQ(e.GetLocation().GetFile(), "QevOscAddress");
        return e.GetMessage().GetStdString();
    }
}

std::string characterError(std::string const& character, std::string const& input)
{
    return "OSC format error: Character \"" + character + "\" not allowed in address pattern \"" + input +
           "\"";
}

TEST(OscAddress, SplitsAtSlashesAndDropsOneTrailingSlashFromTheText)
{
    // The first character is skipped whatever it is, even one an address refuses.
    std::vector<std::pair<std::string, std::string>> const cases = {
        {"/", "/ |"},
        {"", " |"},
        {"//", "/ | <>"},
        {"/a/b/", "/a/b | <a> <b> <>"},
        {"/a//b", "/a//b | <a> <b>"},
        {"/a/b//", "/a/b/ | <a> <b> <>"},
        {"xa/b", "xa/b | <a> <b>"},
        {"*/a", "*/a | <a>"},
        {"/a\"b'!-~/3", "/a\"b'!-~/3 | <a\"b'!-~> <3>"},
    };
    for (auto const& [input, expected] : cases)
    {
        SCOPED_TRACE(input);
        EXPECT_EQ(describe(OscAddress(qev::String(input)), false), expected);
        EXPECT_EQ(describe(OscAddressPattern(qev::String(input))), expected + (input == "*/a" ? " *" : ""));
    }
    EXPECT_EQ(describe(OscAddressPattern(OscAddress("/a/b/"))), "/a/b | <a> <b> <>");
}

TEST(OscAddress, EqualityComparesTheTextHashOnly)
{
    EXPECT_EQ(OscAddress("/a/b/"), OscAddress("/a/b"));
    EXPECT_EQ(OscAddress("//"), OscAddress("/"));
    EXPECT_EQ(OscAddress(), OscAddress(""));
    EXPECT_NE(OscAddress(""), OscAddress("/"));
    EXPECT_NE(OscAddress("/a//b"), OscAddress("/a/b"));
    EXPECT_NE(OscAddress("/a/b//"), OscAddress("/a/b/"));
}

TEST(OscAddress, RefusesCharactersOutsidePrintableAsciiAndTheOscSpecials)
{
    // {input, the refused character}. Malformed and truncated UTF-8 ends at its last byte.
    std::vector<std::pair<std::string, std::string>> const cases = {
        {"/a b", " "},
        {"/a#", "#"},
        {"/src/*", "*"},
        {"/a,b", ","},
        {"/a?", "?"},
        {"/[a]", "["},
        {"/a]", "]"},
        {"/{a}", "{"},
        {"/a}", "}"},
        {"/a\tb", "\t"},
        {"/a\x1f", "\x1f"},
        {"/a\x7f", "\x7f"},
        {{"/a\0b", 4}, {"\0", 1}},
        {"/caf\xc3\xa9", "\xc3\xa9"},
        {"/\xe2\x82\xac!", "\xe2\x82\xac"},
        {"/a\xc3", "\xc3"},
        {"/a\xe2\x82", "\xe2\x82"},
        {"/a\xf0\x9f\x98", "\xf0\x9f\x98"},
        {"/a\x80z", "\x80"},
        {"/a\xc0\xafz", "\xc0"},
        {"/a\xed\xa0\x80", "\xed"},
        {"/ok/b c/d#", " "},
    };
    for (auto const& [input, character] : cases)
    {
        SCOPED_TRACE(input);
        EXPECT_EQ(formatErrorOf<OscAddress>(input), characterError(character, input));
        auto const byte = static_cast<unsigned char>(character[0]);
        bool const patternRefuses = byte < 33 || byte > 126 || byte == '#';
        std::string const patternError = formatErrorOf<OscAddressPattern>(input);
        if (patternRefuses)
            EXPECT_EQ(patternError, characterError(character, input));
        else // wildcards pass the characters, though some then fail the bracket checks
            EXPECT_EQ(patternError.find("Character"), std::string::npos) << patternError;
    }
}

TEST(OscAddressPattern, BracketChecksRunInTheirFixedOrder)
{
    std::string const e = "OSC format error: ";
    std::vector<std::pair<std::string, std::string>> const cases = {
        {"/a[b", e + "missing ']'"},
        {"/a]", e + "missing '['"},
        {"/{a,b", e + "missing '}'"},
        {"/a}", e + "missing '{'"},
        {"/a,b/", e + "anormal ','"},
        {"/[a-c]-", e + "too many '-'"},
        {"/[a,b]", e + "use curly brackets for ',' separator"},
        {"/{a,b}[0-9]", e + "use curly brackets for ',' separator"},
        {"/{a-b}", e + "use square brackets for '-' separator"},
        // Parts are checked one after the other, characters before brackets.
        {"/a[/b#", e + "missing ']'"},
        {"/a#/b[", characterError("#", "/a#/b[")},
        {"/]a[", "accepted"},
        {"/a-b/!x", "accepted"},
    };
    for (auto const& [input, error] : cases)
        EXPECT_EQ(formatErrorOf<OscAddressPattern>(input), error) << input;

    EXPECT_TRUE(OscAddressPattern("/[0-9]/{a,b}/x?/*/[!a-c]").HasWildcard());
    EXPECT_FALSE(OscAddressPattern("/a-b/!x").HasWildcard());
}

TEST(OscAddressPattern, TrimFirstPatternDropsTheFirstPart)
{
    std::vector<std::pair<char const*, std::string>> const cases = {
        {"/a/b/c", "/b/c | <b> <c>"},
        {"/a", "/ |"},
        {"/*", "/ |"},
        {"/", "/ |"},
        {"", " |"},
        {"/a*/b", "/b | <b>"},
        {"/a/b*", "/b* | <b*> *"},
        {"//a/b", "/b | <b>"},
        {"/a/b/", "/b | <b> <>"},
        {"/ab/a/c", "/a/c | <a> <c>"},
    };
    for (auto const& [input, expected] : cases)
    {
        OscAddressPattern pattern(input);
        pattern.TrimFirstPattern();
        EXPECT_EQ(describe(pattern), expected) << input;
    }
}

TEST(OscAddressPattern, StartsWith)
{
    struct Case
    {
        char const* pattern;
        char const* address;
        bool expected;
    };
    Case const cases[] = {
        {"/a/b", "/a", true},     {"/a", "/a/b", true},
        {"/a/b", "/a/c", false},  {"/*", "/a/b", false},
        {"/*/b/c", "/a/b", true}, {"/*/c", "/a/b", false},
        {"/", "/", true},         {"/", "/a", false},
        {"/x/y", "/", true},      {"/*", "/", true},
        {"/[1-16]", "/12", true}, {"/[1-16]/x", "/17", false},
        {"/a/b/", "/a/b", true},  {"/{x,a}/*/c", "/a/b/c", true},
        {"/b/a", "/a/b", false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(OscAddressPattern(c.pattern).StartsWith(OscAddress(c.address)), c.expected)
            << c.pattern << " starts with " << c.address;
}

TEST(OscAddressPattern, PrependPutsTheAddressInFront)
{
    struct Case
    {
        char const* address;
        char const* pattern;
        char const* expected;
    };
    Case const cases[] = {
        {"/x", "/a/b", "/x/a/b | <x> <a> <b>"},
        {"/x/y", "/a*", "/x/y/a* | <x> <y> <a*> *"},
        {"/", "/a*", "/a* | <a*> *"},
        {"/", "/", "/ |"},
        {"/x", "/", "/x | <x>"},
        {"/x", "", "/x | <x>"},
    };
    for (auto const& c : cases)
    {
        OscAddressPattern pattern(c.pattern);
        pattern.Prepend(OscAddress(c.address));
        EXPECT_EQ(describe(pattern), c.expected) << c.address << " before " << c.pattern;
    }
}

} // namespace
