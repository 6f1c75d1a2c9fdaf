#pragma once

#include "text/QevCharPointer_UTF8.h"
#include "text/QevString.h"

#include <cstdint>
#include <string_view>

namespace qev
{

// Whether one part of an OSC address pattern (the text between two '/') matches one part of an
// address, by the OSC 1.0 wildcards '*', '?', [...] with '!' and '-', and {...} with ','.
// When one side is a number and the other holds a wildcard, numeric ranges and lists are read
// as sets of whole numbers first, so [1-16] matches "12" and "3" matches [1-4].
// Pure and thread-safe; malformed constructs simply do not match. Cost is bounded by the product
// of the two lengths, and short parts allocate nothing.
bool matchOscPattern(std::string_view pattern, std::string_view target);
inline bool matchOscPattern(String const& pattern, String const& target)
{
    return matchOscPattern(pattern.GetView(), target.GetView());
}
inline bool matchOscPattern(char const* pattern, char const* target)
{
    return matchOscPattern(std::string_view(pattern), std::string_view(target));
}

// Numeric reading of a pattern part against a whole number.
struct PatternMathingWithIndices
{
    // Returns false when the pattern is not a numeric form ([n], [lo-hi], {n}, {n,m,...}) and
    // holds no '*' or '?' (result untouched); otherwise writes result and returns true. A part
    // holding '*' or '?' matches every number. A number too large for an int is not read as a
    // number at all: the pattern is then left to the character rules.
    static bool matchOscPattern(bool& result, int index, String const& pattern);

    // The same, with the number given as its decimal digits.
    static bool matchDigits(bool& result, std::string_view indexDigits, std::string_view pattern);
};

// The character-by-character wildcard rules. Characters are UTF-8 code points.
class OscPatternMatcherImpl
{
public:
    // Whether the pattern [pattern, patternEnd) matches the whole target [target, targetEnd).
    static bool match(CharPointer_UTF8 pattern, CharPointer_UTF8 patternEnd, CharPointer_UTF8 target,
                      CharPointer_UTF8 targetEnd);
    static bool match(std::string_view pattern, std::string_view target);

private:
    friend bool matchOscPattern(std::string_view, std::string_view);

    // The numeric reading when either side starts with a digit, then matchPart. The first takes
    // the common forms quickly, and leaves the rest to the second.
    static bool matchNumbersFirst(std::string_view pattern, std::string_view target, std::size_t equalPrefix);
    static bool matchNumbers(std::string_view pattern, std::string_view target, std::size_t equalPrefix);
    // The character rules for a whole part whose first equalPrefix bytes are equal literals.
    static bool matchPart(std::string_view pattern, std::string_view target, std::size_t equalPrefix);
    // For a pattern that starts with '{' and ends with '}'.
    static bool matchFinalBraces(std::string_view pattern, std::string_view target);
    static bool matchCharacters(std::string_view pattern, std::string_view target);

    // Where a run of deterministic steps (literals, '?', character sets) stopped.
    struct Step
    {
        enum Kind
        {
            failed,   // no match from the starting pair
            finished, // pattern used up; a match when the target is used up too
            atStar,   // just after a '*'
            atBrace   // just after a '{'
        };
        Kind kind;
        char const* pattern;
        char const* target;
    };

    OscPatternMatcherImpl(std::string_view pattern, std::string_view target) noexcept
        : patternBegin(pattern.data()), patternEnd(pattern.data() + pattern.size()),
          targetBegin(target.data()), targetEnd(target.data() + target.size())
    {
    }

    Step walk(char const* p, char const* t) const noexcept;
    // The rest of the match once the first walk stopped at a '*' or a '{'.
    bool matchFromBranch(Step const& first) const;
    // p is just after '['. Failed, or the positions after the set (and the character it took).
    Step matchCharSet(char const* p, char const* t) const noexcept;
    // Whether the pattern from p, holding no '*' or '{', matches the target from t.
    bool restMatches(char const* p, char const* t) const noexcept;
    // p is just after the pattern's only '*', which is not its last character.
    bool matchAnyOrNoChars(char const* p, char const* t) const noexcept;
    bool matchByTable(Step const& first) const;

    char const* patternBegin;
    char const* patternEnd;
    char const* targetBegin;
    char const* targetEnd;
};

} // namespace qev
