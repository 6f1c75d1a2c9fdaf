#include "common/QevException.h"
#include "osc/QevOscMessage.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

using qev::MemoryBlock;
using qev::OscArgument;
using qev::OscMessage;
using qev::String;

namespace
{

float const inf = std::numeric_limits<float>::infinity();

OscMessage messageWith(std::vector<OscArgument> const& arguments, char const* pattern = "/m")
{
    OscMessage message(pattern);
    for (auto const& argument : arguments)
        message.Add(argument);
    return message;
}

std::string describe(OscArgument const& a)
{
    std::string text(1, a.GetType() != 0 ? a.GetType() : '0');
    text += ":";
    a.AppendText(text);
    return text;
}

// Switches the C locale for one scope.
class ScopedLocale
{
public:
    explicit ScopedLocale(char const* name) : previous(std::setlocale(LC_ALL, nullptr))
    {
        active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, previous.c_str()); }
    bool IsActive() const { return active; }

private:
    std::string previous;
    bool active = false;
};

} // namespace

TEST(OscTextForm, ArgumentTexts)
{
    char const raw[] = {'a', 0};
    struct Case
    {
        OscArgument argument;
        char const* expected;
    };
    std::vector<Case> const cases = {
        {OscArgument(-12), "-12"},
        {OscArgument(0), "0"},
        {OscArgument(300), "300"},
        {OscArgument(std::numeric_limits<int>::min()), "-2147483648"},
        {OscArgument(5000000001L), "5000000001"},
        {OscArgument(std::numeric_limits<long>::min()), "-9223372036854775808"},
        {OscArgument(0.5f), "0.5"},
        {OscArgument(3.0f), "3"},
        {OscArgument(-29.7638f), "-29.7638"},
        {OscArgument(0.1f), "0.1"},
        {OscArgument(100000.0f), "100000"},
        {OscArgument(0.00001f), "0.000010"},
        {OscArgument(1e-7f), "0.000000"},
        {OscArgument(-1e-7f), "-0.000000"},
        {OscArgument(1234567.0f), "1234567.000000"},
        {OscArgument(1e20f), "100000002004087734272.000000"},
        {OscArgument(inf), "inf"},
        {OscArgument(-inf), "-inf"},
        {OscArgument(std::nanf("")), "nan"},
        {OscArgument(0.1), "0.1"},
        {OscArgument(2.5e-9), "0.000000"},
        {OscArgument(123456789.0), "123456789.000000"},
        {OscArgument(true), "1"},
        {OscArgument(false), "0"},
        {OscArgument("hi there"), "\"hi there\""},
        {OscArgument(""), "\"\""},
        {OscArgument("say \"x\""), "\"say  x \""},
        {OscArgument("a\nb"), "\"a\\nb\""},
        {OscArgument("a\rb"), "\"a\\rb\""},
        {OscArgument("it's"), "\"it's\""},
        {OscArgument(MemoryBlock(raw, sizeof raw)), ""},
        {OscArgument::Rgba(0xFF0000FFu), ""},
        {OscArgument(), ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.argument.ToString(), c.expected) << c.argument.GetType();
}

TEST(OscTextForm, RealsAgreeWithPrintfInTheCLocale)
{
    // The short form is printf's "%g"; a text holding a letter is replaced by "%.6f".
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 40);
    char expected[512];
    for (int i = 0; i < 2000; ++i)
    {
        double const value = mantissa(random) * std::pow(10.0, exponent(random));
        float const single = static_cast<float>(value);
        for (double const printed : {value, static_cast<double>(single)})
        {
            std::snprintf(expected, sizeof expected, "%g", printed);
            if (std::string(expected).find_first_of("einaEINA") != std::string::npos)
                std::snprintf(expected, sizeof expected, "%.6f", printed);
            OscArgument const argument = printed == value ? OscArgument(value) : OscArgument(single);
            ASSERT_EQ(argument.ToString(), expected) << printed;
        }
    }
}

TEST(OscTextForm, MessageLines)
{
    char const raw[] = {1, 2, 3};
    MemoryBlock const blob(raw, sizeof raw);
    struct Case
    {
        OscMessage message;
        char const* line;
        char const* withoutPattern;
    };
    std::vector<Case> const cases = {
        {messageWith({OscArgument(1), OscArgument(0.5f), OscArgument("hi there")}, "/a/b"),
         "/a/b 1 0.5 \"hi there\"", "1 0.5 \"hi there\""},
        {messageWith({}, "/x"), "/x", ""},
        {messageWith({OscArgument(true)}, "/mute"), "/mute 1", "1"},
        {messageWith({OscArgument(1), OscArgument(blob), OscArgument(2)}, "/x"), "/x 1  2", "1  2"},
        {messageWith({OscArgument(1), OscArgument(blob)}, "/x"), "/x 1", "1"},
        {messageWith({OscArgument(blob)}, "/x"), "/x ", ""},
        {messageWith({OscArgument(" ")}, "/x"), "/x \" \"", "\" \""},
        {messageWith({OscArgument(2)}, "/a/*/{b,c}"), "/a/*/{b,c} 2", "2"},
    };
    for (auto const& c : cases)
    {
        EXPECT_EQ(c.message.ToString(), c.line);
        EXPECT_EQ(c.message.StringRepresentationWithoutPattern(), c.withoutPattern) << c.line;
    }
}

TEST(OscTextForm, ReadingWords)
{
    struct Case
    {
        char const* line;
        char const* pattern;
        std::vector<OscArgument> arguments;
    };
    std::vector<Case> const cases = {
        {"/a/b 1 0.5 \"hi there\"", "/a/b", {OscArgument(1), OscArgument(0.5f), OscArgument("hi there")}},
        {"/x", "/x", {}},
        {"   /x   ", "/x", {}},
        {"/x true FALSE 0 1", "/x", {OscArgument(true), OscArgument(false), OscArgument(0), OscArgument(1)}},
        {"/x hello", "/x", {OscArgument("hello")}},
        {"/x \"12\"", "/x", {OscArgument("12")}},
        {"/x 'hello world'", "/x", {OscArgument("hello world")}},
        {"/x it's", "/x", {OscArgument("it's")}},
        // four apostrophes are ordinary characters, but a word enclosed in them is still quoted
        {"/x 'a' 'b' 'c", "/x", {OscArgument("a"), OscArgument("b"), OscArgument("'c")}},
        {"/x -3 +4 3.0 3. -0.000000",
         "/x",
         {OscArgument(-3), OscArgument(4), OscArgument(3), OscArgument(3), OscArgument(0)}},
        {"/x 2.5 -0.25 1e-3 .5",
         "/x",
         {OscArgument(2.5f), OscArgument(-0.25f), OscArgument(0.001f), OscArgument(0.5f)}},
        {"/x nan inf -inf", "/x", {OscArgument("nan"), OscArgument("inf"), OscArgument("-inf")}},
        {"/x a\\nb", "/x", {OscArgument("a\\nb")}},
        // whole numbers beyond 32 bits: exact as 'h', beyond 64 bits as 'f'
        {"/x 2147483647 2147483648 -2147483648 -2147483649",
         "/x",
         {OscArgument(2147483647), OscArgument(2147483648L), OscArgument(std::numeric_limits<int>::min()),
          OscArgument(-2147483649L)}},
        {"/x 5000000001 3000000000.000000 9223372036854775807 -9223372036854775808",
         "/x",
         {OscArgument(5000000001L), OscArgument(3000000000L), OscArgument(std::numeric_limits<long>::max()),
          OscArgument(std::numeric_limits<long>::min())}},
        {"/x 9223372036854775808 100000002004087734272.000000",
         "/x",
         {OscArgument(9223372036854775808.0f), OscArgument(1e20f)}},
        // other integral forms are read for their full value
        {"/x 1e3 1.5e2 0x10 0x",
         "/x",
         {OscArgument(1000), OscArgument(150), OscArgument(16), OscArgument(0)}},
        {"/x 1e10 0xFFFFFFFF", "/x", {OscArgument(1e10f), OscArgument(4294967295.0f)}},
        {"/x 1-2", "/x", {OscArgument(1)}},
        {"/x 1.5.5 --1 0x1G", "/x", {OscArgument("1.5.5"), OscArgument("--1"), OscArgument("0x1G")}},
    };
    for (auto const& c : cases)
    {
        OscMessage const message = OscMessage::CreateFromText(c.line);
        EXPECT_EQ(message.GetAddressPattern().GetText(), c.pattern) << c.line;
        ASSERT_EQ(message.GetNumArguments(), c.arguments.size()) << c.line;
        for (std::size_t i = 0; i < c.arguments.size(); ++i)
            EXPECT_EQ(describe(message[i]), describe(c.arguments[i])) << c.line << " word " << i;
    }
}

TEST(OscTextForm, WrittenAndReadBack)
{
    char const raw[] = {1};
    struct Case
    {
        OscArgument written;
        std::vector<OscArgument> read;
    };
    std::vector<Case> const cases = {
        {OscArgument(-12), {OscArgument(-12)}},
        {OscArgument(7L), {OscArgument(7)}},
        {OscArgument(5000000001L), {OscArgument(5000000001L)}},
        {OscArgument(3.0f), {OscArgument(3)}},
        {OscArgument(2.5f), {OscArgument(2.5f)}},
        {OscArgument(3e9f), {OscArgument(3000000000L)}},
        {OscArgument(1e20f), {OscArgument(1e20f)}},
        {OscArgument(0.00001f), {OscArgument(0.00001f)}},
        {OscArgument(1e-7f), {OscArgument(0)}},
        {OscArgument(0.1), {OscArgument(0.1f)}},
        {OscArgument(inf), {OscArgument("inf")}},
        {OscArgument(std::nanf("")), {OscArgument("nan")}},
        {OscArgument(true), {OscArgument(1)}},
        {OscArgument(false), {OscArgument(0)}},
        {OscArgument("12"), {OscArgument("12")}},
        {OscArgument("say \"x\""), {OscArgument("say  x ")}},
        {OscArgument("a\nb"), {OscArgument("a\\nb")}},
        // a carriage return stays on the line, as \r
        {OscArgument("a\rb"), {OscArgument("a\\rb")}},
        // apostrophes inside a double-quoted string are left alone
        {OscArgument("rock 'n' roll"), {OscArgument("rock 'n' roll")}},
        {OscArgument(MemoryBlock(raw, 1)), {}},
    };
    for (auto const& c : cases)
    {
        String const line = messageWith({c.written}, "/t").ToString();
        EXPECT_EQ(std::string(line.GetCString()).find('\r'), std::string::npos);
        OscMessage const back = OscMessage::CreateFromText(line);
        ASSERT_EQ(back.GetNumArguments(), c.read.size()) << line;
        for (std::size_t i = 0; i < c.read.size(); ++i)
            EXPECT_EQ(describe(back[i]), describe(c.read[i])) << line;
    }
}

TEST(OscTextForm, ReadingFailures)
{
    for (char const* blank : {"", "   ", "\t \t"})
    {
        try
        {
            OscMessage::CreateFromText(blank);
            ADD_FAILURE() << "no exception for a blank line";
        }
        catch (qev::Exception const& e)
        {
            EXPECT_STREQ(e.what(), "invalid OSC message");
            EXPECT_EQ(e.GetLocation().GetFile(), "QevOscMessage");
        }
    }
    try
    {
        OscMessage::CreateFromText("/a[b 1");
        ADD_FAILURE() << "no exception for a malformed pattern";
    }
    catch (qev::Exception const& e)
    {
        EXPECT_STREQ(e.what(), "OSC format error: missing ']'");
    }
}

TEST(OscTextForm, IndependentOfTheCLocale)
{
    OscMessage message("/locale");
    for (float const value : {0.5f, -29.7638f, 1234567.0f, 0.00001f, 1e20f})
        message.Add(value);
    message.Add(OscArgument(0.125));
    message.Add(OscArgument(1e300));
    String const line = message.ToString();
    OscMessage const parsed = OscMessage::CreateFromText(line);

    ScopedLocale const german("de_DE.UTF-8");
    if (!german.IsActive())
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed; generate it to run this test";
    char decimalPoint[8];
    std::snprintf(decimalPoint, sizeof decimalPoint, "%.1f", 0.5);
    ASSERT_STREQ(decimalPoint, "0,5") << "the locale did not switch the decimal separator";

    EXPECT_EQ(message.ToString(), line);
    OscMessage const parsedHere = OscMessage::CreateFromText(line);
    EXPECT_TRUE(parsedHere == parsed) << parsedHere.ToString() << " instead of " << parsed.ToString();
}
