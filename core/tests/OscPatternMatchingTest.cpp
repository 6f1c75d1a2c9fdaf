#include "osc/QevOscPatternMatching.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#ifdef QEV_HAVE_LIBLO
#include <lo/lo_lowlevel.h>
#endif

using qev::matchOscPattern;
using qev::OscPatternMatcherImpl;
using qev::PatternMathingWithIndices;
using qev::String;

namespace
{

struct MatchCase
{
    char const* pattern;
    char const* target;
    bool expected;
};

// The character rules read as literally as possible, sets and alternatives collected first and
// '*' backtracking without bound: slow, but a plain statement of the expected results.
class ReferenceMatcher
{
public:
    ReferenceMatcher(std::string const& pattern, std::string const& target)
        : pe(pattern.data() + pattern.size()), te(target.data() + target.size())
    {
    }

    bool match(char const* p, char const* t) const
    {
        if (p == pe)
            return t == te;
        char const c = *p++;
        switch (c)
        {
        case '*':
            for (;; ++t)
            {
                if (t == te)
                    return p == pe;
                if (match(p, t))
                    return true;
            }
        case '?':
            return t != te && match(p, t + 1);
        case '[':
            return charSet(p, t);
        case '{':
            return stringSet(p, t);
        default:
            return t != te && *t == c && match(p, t + 1);
        }
    }

private:
    bool addRange(std::vector<int>& set, char const* p, char const* t) const
    {
        if (t == te)
            return false;
        int const end = p == pe ? 0 : *p;
        if (end == ',' || end == '{' || end == '}')
            return false;
        if (end == ']')
        {
            set.push_back('-');
            return true;
        }
        if (set.empty())
            return false;
        for (int c = set.back() + 1; c <= end; ++c)
            set.push_back(c);
        return true;
    }

    bool charSet(char const* p, char const* t) const
    {
        std::vector<int> set;
        bool negated = false;
        for (;;)
        {
            if (p == pe)
                return false;
            char const c = *p++;
            if (c == ']')
                break;
            if (c == '-')
            {
                if (!addRange(set, p, t))
                    return false;
            }
            else if (c == '!' && set.empty() && !negated)
                negated = true;
            else
                set.push_back(c);
        }
        if (set.empty())
            return match(p, t);
        if (t == te)
            return false;
        bool found = false;
        for (int const c : set)
            found = found || c == *t;
        if (negated)
            return !found && match(p, t + 1);
        return found && match(p, t + 1);
    }

    bool stringSet(char const* p, char const* t) const
    {
        std::vector<std::string> set;
        std::string current;
        for (;;)
        {
            if (p == pe)
                return false;
            char const c = *p++;
            if (c == '}')
                break;
            if (c == ',')
            {
                set.push_back(current);
                current.clear();
            }
            else
                current += c;
        }
        set.push_back(current);
        for (auto const& alternative : set)
            if (static_cast<std::size_t>(te - t) >= alternative.size() &&
                std::string(t, alternative.size()) == alternative && match(p, t + alternative.size()))
                return true;
        return false;
    }

    char const* pe;
    char const* te;
};

bool referenceMatch(std::string const& pattern, std::string const& target)
{
    return ReferenceMatcher(pattern, target).match(pattern.data(), target.data());
}

bool isDigits(std::string const& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A digit string as an int; false when beyond an int.
bool toInt(std::string const& digits, long long& value)
{
    value = 0;
    for (char const c : digits)
        if ((value = value * 10 + (c - '0')) > 2147483647)
            return false;
    return true;
}

// The numeric reading, straight from its rules; numbers beyond an int are never answered for.
bool referenceIndex(bool& result, std::string const& number, std::string const& pattern)
{
    if (pattern.find_first_of("*?") != std::string::npos)
        return result = true;
    long long index = 0;
    if (!toInt(number, index) || pattern.size() < 2)
        return false;
    std::string const inner = pattern.substr(1, pattern.size() - 2);
    long long a = 0;
    long long b = 0;
    if (pattern.front() == '[' && pattern.back() == ']')
    {
        std::size_t const dash = inner.find('-');
        if (dash != std::string::npos)
        {
            std::string const low = inner.substr(0, dash);
            std::string const high = inner.substr(dash + 1);
            if (!isDigits(low) || !isDigits(high) || !toInt(low, a) || !toInt(high, b))
                return false;
            result = a <= index && index <= b;
            return true;
        }
        if (!isDigits(inner) || !toInt(inner, a))
            return false;
        result = index == a;
        return true;
    }
    if (pattern.front() != '{' || pattern.back() != '}')
        return false;
    // Split at ',' dropping empty pieces but the last.
    std::vector<std::string> pieces;
    for (std::size_t start = 0;;)
    {
        std::size_t const comma = inner.find(',', start);
        std::string const piece =
            inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (comma == std::string::npos || !piece.empty())
            pieces.push_back(piece);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    bool found = false;
    for (auto const& piece : pieces)
    {
        if (!isDigits(piece) || !toInt(piece, a))
            return false;
        found = found || a == index;
    }
    result = found;
    return true;
}

bool referenceEntry(std::string const& pattern, std::string const& target)
{
    bool result = false;
    char const* const wildcards = "*?{}[]";
    if (isDigits(pattern) && target.find_first_of(wildcards) != std::string::npos)
    {
        if (referenceIndex(result, pattern, target))
            return result;
    }
    else if (isDigits(target) && pattern.find_first_of(wildcards) != std::string::npos &&
             referenceIndex(result, target, pattern))
        return result;
    return referenceMatch(pattern, target);
}

double secondsToMatch(std::string const& pattern, std::string const& target, bool expected)
{
    auto const start = std::chrono::steady_clock::now();
    EXPECT_EQ(matchOscPattern(std::string_view(pattern), std::string_view(target)), expected)
        << pattern << " / " << target;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string repeat(std::string const& text, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

} // namespace

TEST(OscPatternMatchingTest, CharacterRules)
{
    MatchCase const cases[] = {
        {"abc", "abc", true},
        {"abc", "ABC", false},
        {"abc", "ab", false},
        {"", "", true},
        {"", "a", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*", "", true},
        {"*", "anything", true},
        {"a*", "a", true},
        {"a**", "ab", true},
        {"a**", "a", false},
        {"**", "", false},
        {"a*[]", "a", false},
        {"*x", "x", true},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},
        {"[abc]x", "bx", true},
        {"[!abc]x", "dx", true},
        {"[!abc]x", "ax", false},
        {"[a!]", "!", true},
        {"[!!]", "x", true},
        {"[!!]", "!", false},
        {"[a-c]", "b", true},
        {"[a-c]", "d", false},
        {"[z-a]", "z", true},
        {"[z-a]", "a", true},
        {"[z-a]", "m", false},
        {"[a-]", "-", true},
        {"[-a]", "a", false},
        {"[-a]", "-", false},
        {"[!-a]", "b", false},
        {"[a-,]", "a", false},
        {"[a-}]", "a", false},
        {"[a", "a", false},
        {"x[]y", "xy", true},
        {"x[!]y", "xy", true},
        {"{foo,bar}", "bar", true},
        {"{foo,bar}", "baz", false},
        {"{a,ab}c", "abc", true},
        {"{}x", "x", true},
        {"{,y}x", "x", true},
        {"{,y}x", "yx", true},
        {"{a*}", "a*", true},
        {"{a*}", "ab", false},
        {"{a,b", "a", false},
        {"a}", "a}", true},
        {"?", "\xC3\xA9", true},
        {"[\xC3\xA9]", "\xC3\xA9", true},
        {"a,b", "a,b", true},
        {"*{a,b}*{c,d}", "xbyc", true},
        {"*{a,b}*{c,d}", "xbyb", false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(matchOscPattern(c.pattern, c.target), c.expected) << c.pattern << " / " << c.target;
}

TEST(OscPatternMatchingTest, NumericRules)
{
    MatchCase const cases[] = {
        {"[1-16]", "12", true},
        {"[1-16]", "16", true},
        {"[1-16]", "17", false},
        {"[1-16]", "0", false},
        {"[16-1]", "5", false},
        {"[5]", "5", true},
        {"[5]", "05", true},
        {"{1,5,9}", "9", true},
        {"{1,5,9}", "2", false},
        {"{1,,5}", "5", true},
        {"{,}", "5", false},
        {"{,5}", "0", false},
        {"{1,a}", "1", true},
        {"{1,a}", "5", false},
        {"3", "[1-4]", true},
        {"3", "[1-3]", true},
        {"5", "[1-4]", false},
        {"1?", "7", true},
        {"1?", "123", true},
        {"x*", "42", true},
        {"[1-9]", "a", false},
        {"[0-9]", "10", false},
        {"[0-9]x", "5x", true},
        {"007", "[7]", true},
        {"[2147483647]", "2147483647", true},
        // Numbers beyond an int are never read as 0.
        {"[0-3]", "99999999999", false},
        {"{0}", "99999999999", false},
        {"{0,1}", "99999999999", false},
        {"99999999999", "[0-3]", false},
        {"[0-3]", "2147483648", false},
        {"{99999999999}", "99999999999", true},
        {"{0,99999999999}", "0", true},
        {"*", "99999999999", true},
    };
    for (auto const& c : cases)
        EXPECT_EQ(matchOscPattern(c.pattern, c.target), c.expected) << c.pattern << " / " << c.target;
}

TEST(OscPatternMatchingTest, IndexMatcherAnswersOnlyNumericForms)
{
    struct Case
    {
        int index;
        char const* pattern;
        bool answers;
        bool result;
    };
    Case const cases[] = {
        {12, "[1-16]", true, true},  {3, "{1,5,9}", true, false},
        {7, "a*", true, true},       {7, "?", true, true},
        {5, "[5]", true, true},      {5, "{5}", true, true},
        {1, "{1,a}", false, false},  {1, "[a-z]", false, false},
        {1, "[!1-3]", false, false}, {1, "x[1-3]", false, false},
        {1, "[]", false, false},     {1, "{}", false, false},
        {1, "1", false, false},      {1, "[1-99999999999]", false, false},
    };
    for (auto const& c : cases)
    {
        for (bool const initial : {false, true})
        {
            bool result = initial;
            EXPECT_EQ(PatternMathingWithIndices::matchOscPattern(result, c.index, String(c.pattern)),
                      c.answers)
                << c.pattern;
            EXPECT_EQ(result, c.answers ? c.result : initial) << c.pattern;
        }
    }
}

// Random patterns over the special characters, against the literal reading of the rules; this
// covers both the plain search and the tabulated one (two or more '*' or '{').
TEST(OscPatternMatchingTest, AgreesWithLiteralReadingOfTheRules)
{
    std::mt19937 random(20240611);
    std::string const patternAlphabet = "ab**?[]{},!-";
    std::string const targetAlphabet = "ab-!,";
    auto draw = [&](std::string const& alphabet, int maxLength)
    {
        std::string text(std::uniform_int_distribution<int>(0, maxLength)(random), ' ');
        for (char& c : text)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        return text;
    };
    int disagreements = 0;
    for (int i = 0; i < 200000 && disagreements < 10; ++i)
    {
        std::string const pattern = draw(patternAlphabet, 9);
        std::string const target = draw(targetAlphabet, 5);
        bool const expected = referenceMatch(pattern, target);
        if (OscPatternMatcherImpl::match(pattern, target) != expected)
        {
            ++disagreements;
            ADD_FAILURE() << "pattern " << pattern << " target " << target << " expected " << expected;
        }
    }
}

// The same for whole parts, numeric reading included, with either side holding the wildcards.
TEST(OscPatternMatchingTest, PartsAgreeWithLiteralReadingOfTheRules)
{
    std::mt19937 random(7);
    std::vector<std::string> const pieces = {"0", "1", "5", "12", "99999999999", "*", "?", "[",     "]",
                                             "{", "}", ",", "-",  "!",           "a", "b", "[1-9]", "{1,5}"};
    auto draw = [&](int maxPieces)
    {
        std::string text;
        for (int n = std::uniform_int_distribution<int>(0, maxPieces)(random); n > 0; --n)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        return text;
    };
    int disagreements = 0;
    for (int i = 0; i < 200000 && disagreements < 10; ++i)
    {
        std::string const pattern = draw(4);
        std::string const target = i % 2 == 0 ? draw(2) : draw(4);
        bool const expected = referenceEntry(pattern, target);
        if (matchOscPattern(std::string_view(pattern), std::string_view(target)) != expected)
        {
            ++disagreements;
            ADD_FAILURE() << "pattern " << pattern << " target " << target << " expected " << expected;
        }
    }
}

TEST(OscPatternMatchingTest, LongParts)
{
    std::string const as = repeat("a", 70);
    struct Case
    {
        std::string pattern;
        std::string target;
        bool expected;
    };
    Case const cases[] = {
        {"{b," + as + "}x", as + "x", true}, {"{b," + as + "}x", as.substr(1) + "x", false},
        {"{" + as + ",b}", "b", true},       {"*{" + as + ",b}*x", "y" + as + "zx", true},
        {"*[!a]", as + "b", true},           {"*[!a]", as, false},
        {as + "?", as + "!", true},
    };
    for (auto const& c : cases)
        EXPECT_EQ(matchOscPattern(std::string_view(c.pattern), std::string_view(c.target)), c.expected)
            << c.pattern << " / " << c.target;
}

TEST(OscPatternMatchingTest, CostStaysPolynomial)
{
    double const limit = 1.0; // each is well under 10 ms; generous for sanitizer builds
    EXPECT_LT(secondsToMatch(repeat("*", 400) + "x", "open", false), limit);
    EXPECT_LT(secondsToMatch(repeat("*", 5000) + "x", repeat("o", 40), false), limit);
    EXPECT_LT(secondsToMatch(repeat("*a", 60) + "b", repeat("a", 120), false), limit);
    EXPECT_LT(secondsToMatch(repeat("{a,a}", 40) + "x", repeat("a", 40), false), limit);
    EXPECT_LT(secondsToMatch(repeat("*?", 50) + "[!a]", repeat("a", 200), false), limit);
    EXPECT_LT(secondsToMatch(repeat("*{a,aa}", 30) + "y", repeat("a", 100) + "y", true), limit);
}

#ifdef QEV_HAVE_LIBLO
// Cases where a reader of the rules might hesitate, settled against another implementation.
TEST(OscPatternMatchingTest, AgreesWithLiblo)
{
    MatchCase const cases[] = {
        {"[z-a]", "z", true}, {"[z-a]", "a", true},     {"[z-a]", "m", false},
        {"[a-]", "-", true},  {"{a,ab}c", "abc", true}, {"[!!]", "x", true},
        {"[!!]", "!", false}, {"{}x", "x", true},       {"[0-9]", "10", false},
    };
    for (auto const& c : cases)
    {
        EXPECT_EQ(matchOscPattern(c.pattern, c.target), c.expected) << c.pattern << " / " << c.target;
        EXPECT_EQ(lo_pattern_match(c.target, c.pattern) != 0, c.expected) << c.pattern << " / " << c.target;
    }
}
#endif
