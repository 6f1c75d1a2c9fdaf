#include "HostProtocol.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using maxhost::ParsedLine;
using maxhost::Token;

namespace
{

// One letter per token kind, then the value: "l:5", "f:2.5", "s:text", ";", ",", "$:3", "d:$1x".
std::string describe(std::vector<Token> const& tokens)
{
    std::string text;
    for (Token const& t : tokens)
    {
        if (!text.empty())
            text += ' ';
        switch (t.kind)
        {
        case Token::Kind::Long:
            text += "l:" + std::to_string(t.longValue);
            break;
        case Token::Kind::Float:
            text += "f:" + maxhost::FormatDouble(t.floatValue);
            break;
        case Token::Kind::Symbol:
            text += "s:" + t.text;
            break;
        case Token::Kind::Semicolon:
            text += ";";
            break;
        case Token::Kind::Comma:
            text += ",";
            break;
        case Token::Kind::Dollar:
            text += "$:" + std::to_string(t.longValue);
            break;
        case Token::Kind::DollarSymbol:
            text += "d:" + t.text;
            break;
        }
    }
    return text;
}

struct TokenCase
{
    char const* input;
    char const* expected; // empty with an error
    char const* error;
};

} // namespace

TEST(HostProtocol, TokenizesEveryAtomKind)
{
    TokenCase const cases[] = {
        {"64 7 1", "l:64 l:7 l:1", ""},
        {"  -3\t+5  ", "l:-3 l:5", ""},
        {"2.5 .5 1. -0.25 1e3 2E-2 +1.5", "f:2.5 f:0.5 f:1.0 f:-0.25 f:1000.0 f:0.02 f:1.5", ""},
        {"99999999999999999999", "f:1e+20", ""},
        {"1e999 1e 1.2.3 - + . 0x10 12ab inf nan",
         "s:1e999 s:1e s:1.2.3 s:- s:+ s:. s:0x10 s:12ab s:inf s:nan", ""},
        {"; , ;; ,x", "; , s:;; s:,x", ""},
        {"$1 $9 $0 $ $10 $1x $a", "$:1 $:9 s:$0 s:$ d:$10 d:$1x s:$a", ""},
        {"\"hi there\" \"\" \"a \\\"q\\\" \\\\ \\n\"", "s:hi there s: s:a \"q\" \\ \\n", ""},
        {"\"64\" \";\"", "s:64 s:;", ""},
        {"mid\"quote a\\b", "s:mid\"quote s:a\\b", ""},
        {"\"open", "", "unterminated quote"},
        {"\"a\\\"", "", "unterminated quote"},
        {"\"a\"b", "", "text right after a closing quote"},
        {"", "", ""},
    };
    for (TokenCase const& c : cases)
    {
        std::vector<Token> tokens;
        std::string error;
        bool const ok = maxhost::Tokenize(c.input, tokens, error);
        EXPECT_EQ(ok, c.error[0] == '\0') << c.input;
        EXPECT_EQ(error, c.error) << c.input;
        if (ok)
        {
            EXPECT_EQ(describe(tokens), c.expected) << c.input;
        }
    }
}

TEST(HostProtocol, ClassifiesLines)
{
    struct Case
    {
        char const* line;
        ParsedLine::Kind kind;
        char const* name;
        char const* tokens;
    };
    Case const cases[] = {
        {"", ParsedLine::Kind::Blank, "", ""},
        {"   \t\r", ParsedLine::Kind::Blank, "", ""},
        {"# bang", ParsedLine::Kind::Blank, "", ""},
        {"  # indented", ParsedLine::Kind::Blank, "", ""},
        {"bang", ParsedLine::Kind::Message, "", "s:bang"},
        {"64 7 1\r", ParsedLine::Kind::Message, "", "l:64 l:7 l:1"},
        {"@thread scheduler", ParsedLine::Kind::Directive, "thread", "s:scheduler"},
        {"@run 50", ParsedLine::Kind::Directive, "run", "l:50"},
        {"@dialog \"/a b/c.xml\"", ParsedLine::Kind::Directive, "dialog", "s:/a b/c.xml"},
        {"@", ParsedLine::Kind::Directive, "", ""},
        {"@dialog \"/a", ParsedLine::Kind::Malformed, "dialog", ""},
        {"x \"y", ParsedLine::Kind::Malformed, "", ""},
    };
    for (Case const& c : cases)
    {
        ParsedLine const line = maxhost::ParseLine(c.line);
        EXPECT_EQ(line.kind, c.kind) << c.line;
        EXPECT_EQ(line.name, c.name) << c.line;
        EXPECT_EQ(describe(line.tokens), c.tokens) << c.line;
    }
}

TEST(HostProtocol, FloatsPrintShortestAndReadBackAsFloats)
{
    struct Case
    {
        float value;
        char const* text;
    };
    Case const cases[] = {
        {0.5f, "0.5"},
        {1.0f, "1.0"},
        {-30.0f, "-30.0"},
        {-12.755905f, "-12.755905"},
        {0.1f, "0.1"},
        {1e20f, "1e+20"},
        {-0.0f, "-0.0"},
        {16777216.0f, "16777216.0"},
        {1.17549435e-38f, "1.1754944e-38"},
        {std::numeric_limits<float>::infinity(), "inf"},
        {std::nanf(""), "nan"},
    };
    for (Case const& c : cases)
        EXPECT_EQ(maxhost::FormatFloat(c.value), c.text);

    // Every finite float reads back bit for bit, and reads as a float token.
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i)
    {
        std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        std::string const text = maxhost::FormatFloat(value);
        Token const token = maxhost::ClassifyWord(text);
        ASSERT_EQ(token.kind, Token::Kind::Float) << text;
        EXPECT_EQ(static_cast<float>(token.floatValue), value) << text;
    }
}

TEST(HostProtocol, SymbolsPrintAsTheyReadBack)
{
    struct Case
    {
        char const* text;
        char const* printed;
    };
    Case const cases[] = {
        {"abc", "abc"},
        {"/track/1/gain", "/track/1/gain"},
        {"a\\b", "a\\b"},
        {"a b", "\"a b\""},
        {"", "\"\""},
        {"64", "\"64\""},
        {"2.5", "\"2.5\""},
        {";", "\";\""},
        {",", "\",\""},
        {"$1", "\"$1\""},
        {"$1x", "\"$1x\""},
        {"#x", "\"#x\""},
        {"@x", "\"@x\""},
        {"\"q", "\"\\\"q\""},
        {"tab\there", "\"tab\there\""},
        {"back\\ slash", "\"back\\\\ slash\""},
    };
    for (Case const& c : cases)
    {
        std::string const printed = maxhost::FormatSymbol(c.text);
        EXPECT_EQ(printed, c.printed);
        std::vector<Token> tokens;
        std::string error;
        ASSERT_TRUE(maxhost::Tokenize(printed, tokens, error)) << printed;
        ASSERT_EQ(tokens.size(), 1u) << printed;
        EXPECT_EQ(tokens[0].kind, Token::Kind::Symbol) << printed;
        EXPECT_EQ(tokens[0].text, c.text) << printed;
    }
}

TEST(HostProtocol, MessagesJoinSelectorAndAtoms)
{
    symbol selector{"list"};
    symbol spaced{"hi there"};
    atom atoms[6] = {};
    atoms[0].a_type = A_LONG;
    atoms[0].a_w.w_long = -9007199254740993LL;
    atoms[1].a_type = A_FLOAT;
    atoms[1].a_w.w_float = 0.1; // prints as the 32-bit float it narrows to
    atoms[2].a_type = A_SYM;
    atoms[2].a_w.w_sym = &spaced;
    atoms[3].a_type = A_SEMI;
    atoms[4].a_type = A_DOLLAR;
    atoms[4].a_w.w_long = 3;
    atoms[5].a_type = 77;
    EXPECT_EQ(maxhost::FormatMessage(&selector, 6, atoms),
              "list -9007199254740993 0.1 \"hi there\" ; $3 <type 77>");
    EXPECT_EQ(maxhost::FormatMessage(&selector, 0, nullptr), "list");
}
