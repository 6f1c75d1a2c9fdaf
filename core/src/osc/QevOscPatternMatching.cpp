#include "osc/QevOscPatternMatching.h"

#include "common/QevException.h"
#include "common/QevSourceLineInfo.h"

#include <climits>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace qev
{

namespace
{

// What each byte is to the matchers.
enum : unsigned char
{
    digit = 1,     // '0'..'9'
    wildcard = 2,  // one of "*?{}[]": marks a part for the numeric reading
    special = 4,   // one of "*?[{": not a literal for the character rules
    branch = 8,    // '*' or '{': a point where the character rules try several ways
    anyOrOne = 16, // '*' or '?': matches every number
    notDigit = 32, // every byte but '0'..'9'
    braceStop = 64 // ',' or '}': where an alternative inside braces ends
};

struct ByteClasses
{
    constexpr ByteClasses() : of()
    {
        for (auto& classes : of)
            classes = notDigit;
        for (int c = '0'; c <= '9'; ++c)
            of[c] = digit;
        mark('*', notDigit | wildcard | special | branch | anyOrOne);
        mark('?', notDigit | wildcard | special | anyOrOne);
        mark('{', notDigit | wildcard | special | branch);
        mark('[', notDigit | wildcard | special);
        mark('}', notDigit | wildcard | braceStop);
        mark(']', notDigit | wildcard);
        mark(',', notDigit | braceStop);
    }
    // A plain char index would be negative for bytes above 0x7f where char is signed.
    constexpr void mark(char c, int classes)
    {
        of[static_cast<unsigned char>(c)] = static_cast<unsigned char>(classes);
    }
    unsigned char of[256];
};

constexpr ByteClasses byteClasses;

inline unsigned char classOf(char c) noexcept
{
    return byteClasses.of[static_cast<unsigned char>(c)];
}

bool holdsAny(std::string_view text, unsigned char classes) noexcept
{
    for (char const c : text)
        if ((classOf(c) & classes) != 0)
            return true;
    return false;
}

// Parts are short: a plain loop beats a library call here.
inline bool sameBytes(char const* a, char const* b, std::size_t n) noexcept
{
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// substr without its bounds check and exception: n is known to be within the text.
inline std::string_view withoutFirst(std::string_view text, std::size_t n) noexcept
{
    return {text.data() + n, text.size() - n};
}

inline bool sameText(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

// Reads one UTF-8 code point and advances past it, never beyond end. Stray or truncated
// sequences yield what their bits give; ASCII bytes are never swallowed by them.
std::uint32_t readMultiByte(char const*& s, char const* end) noexcept
{
    auto const lead = static_cast<unsigned char>(*s++);
    std::uint32_t mask = 0x7f;
    std::uint32_t bit = 0x40;
    int extra = 0;
    while ((lead & bit) != 0 && bit > 0x8)
    {
        mask >>= 1;
        bit >>= 1;
        ++extra;
    }
    std::uint32_t value = lead & mask;
    for (; extra > 0 && s != end && (static_cast<unsigned char>(*s) & 0xc0) == 0x80; --extra, ++s)
        value = (value << 6) | (static_cast<unsigned char>(*s) & 0x3f);
    return value;
}

inline std::uint32_t readCodePoint(char const*& s, char const* end) noexcept
{
    auto const lead = static_cast<unsigned char>(*s);
    if (lead < 0x80)
    {
        ++s;
        return lead;
    }
    return readMultiByte(s, end);
}

// The '}' closing braces opened just before p; null when there is none.
inline char const* closingBrace(char const* p, char const* patternEnd) noexcept
{
    return static_cast<char const*>(std::memchr(p, '}', static_cast<std::size_t>(patternEnd - p)));
}

inline bool endsAlternative(char c) noexcept
{
    return (classOf(c) & braceStop) != 0;
}

// Calls next(length) for each alternative of the braces opened just before p that the target
// [t, t + available) begins with, in order, until one returns true. The braces must be closed:
// every alternative then ends at a ',' or at a '}', so no scan needs another bound. Wildcards
// inside the braces are literal and braces do not nest.
// Returns null when next returned true, else the '}' closing the braces.
template <typename Next>
char const* findAlternative(char const* p, char const* t, std::size_t available, Next&& next)
{
    for (;; ++p)
    {
        std::size_t length = 0;
        while (!endsAlternative(p[length]) && length < available && p[length] == t[length])
            ++length;
        p += length;
        if (endsAlternative(*p))
        {
            if (next(length))
                return nullptr;
        }
        else
            while (!endsAlternative(*p))
                ++p;
        if (*p == '}')
            return p;
    }
}

inline unsigned digitValue(char c) noexcept
{
    // Every byte but '0'..'9' wraps around to a value above 9.
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
}

// What the readers below give instead of a number: results travel in registers this way, not
// through memory.
constexpr int tooLarge = -1;   // digits, but beyond an int
constexpr int notANumber = -2; // not made only of digits

// The digits [s, end), too many to be sure they fit in an int.
__attribute__((noinline)) int readLongDigits(char const* s, char const* end) noexcept
{
    while (s != end && *s == '0')
        ++s;
    if (end - s > 10)
        return tooLarge;
    std::uint64_t v = 0;
    for (; s != end; ++s)
        v = v * 10 + digitValue(*s);
    return v > INT_MAX ? tooLarge : static_cast<int>(v);
}

// Reads the run of digits at s as a number, or tooLarge.
inline int readDigits(char const*& s, char const* end) noexcept
{
    // Numbers are mostly a digit or two: up to nine digits fit for sure, and the loop needs no
    // check but the one ending the run. Longer runs may wrap here, and are read again.
    char const* const start = s;
    std::uint32_t v = 0;
    for (; s != end; ++s)
    {
        unsigned const d = digitValue(*s);
        if (d > 9)
            break;
        v = v * 10 + d;
    }
    if (s - start > 9)
        return readLongDigits(start, s);
    return static_cast<int>(v);
}

// The whole text as a number, tooLarge, or notANumber.
inline int readNumber(std::string_view text) noexcept
{
    char const* s = text.data();
    char const* const end = s + text.size();
    if (s == end)
        return notANumber;
    int const value = readDigits(s, end);
    return s == end ? value : notANumber;
}

// Reads the digits from s, which points at one, up to the first other character or end; that
// must be near enough for the value to fit.
inline std::uint32_t readShortDigits(char const*& s, char const* end) noexcept
{
    std::uint32_t value = digitValue(*s);
    while (++s != end)
    {
        unsigned const d = digitValue(*s);
        if (d > 9)
            break;
        value = value * 10 + d;
    }
    return value;
}

// How far a numeric reading went.
enum class Reading
{
    noMatch,
    match,
    notNumeric // the pattern is no numeric form: other rules decide
};

inline Reading matchIf(bool condition) noexcept
{
    return condition ? Reading::match : Reading::noMatch;
}

// [n] and [lo-hi] split at the first '-', given what is between the brackets.
inline Reading matchRangeForm(int index, char const* s, char const* end) noexcept
{
    char const* start = s;
    int const low = readDigits(s, end);
    if (low < 0 || s == start)
        return Reading::notNumeric;
    if (s == end)
        return matchIf(index == low);
    if (*s++ != '-')
        return Reading::notNumeric;
    start = s;
    int const high = readDigits(s, end);
    if (high < 0 || s == start || s != end)
        return Reading::notNumeric;
    return matchIf(low <= index && index <= high);
}

// {n} and {n,m,...} whose empty pieces are dropped except the last, given what is between the
// braces.
__attribute__((noinline)) Reading matchListForm(int index, char const* s, char const* end) noexcept
{
    bool found = false;
    for (;;)
    {
        char const* const start = s;
        int const value = readDigits(s, end);
        if (value < 0)
            return Reading::notNumeric;
        if (s == end)
        {
            if (s == start)
                return Reading::notNumeric; // the piece after the last ',' is kept even when empty
            return matchIf(found || index == value);
        }
        if (*s++ != ',')
            return Reading::notNumeric;
        found = found || (s - 1 != start && index == value);
    }
}

// The bracket forms of the numeric reading, for a pattern without '*' or '?'. Every piece must
// be a whole digit string; a number beyond an int is no number.
inline Reading matchNumericForm(int index, std::string_view pattern) noexcept
{
    if (pattern.size() < 2)
        return Reading::notNumeric;
    char const* const s = pattern.data() + 1;
    char const* const end = pattern.data() + pattern.size() - 1;
    if (pattern.front() == '[' && *end == ']')
        return matchRangeForm(index, s, end);
    if (pattern.front() == '{' && *end == '}')
        return matchListForm(index, s, end);
    return Reading::notNumeric;
}

// A pattern made of digits against any target. A number beyond an int is still no literal match
// for a wildcard-free target.
__attribute__((noinline)) Reading matchNumberPattern(std::string_view pattern,
                                                     std::string_view target) noexcept
{
    int const index = readNumber(pattern);
    if (index == notANumber)
        return Reading::notNumeric;
    if (index != tooLarge)
    {
        Reading const reading = matchNumericForm(index, target);
        if (reading != Reading::notNumeric)
            return reading;
    }
    return matchIf(holdsAny(target, anyOrOne) || sameText(pattern, target));
}

// Writes a settled reading to result; false when it is not settled.
inline bool settle(bool& result, Reading reading) noexcept
{
    if (reading == Reading::notNumeric)
        return false;
    result = reading == Reading::match;
    return true;
}

[[noreturn]] void throwOutOfMemory(unsigned long line)
{
    throw Exception(String("out of memory"), SourceLineInfo("QevOscPatternMatching", line), true, false);
}

// A block of T on the stack when small enough, else on the heap.
template <typename T, std::size_t stackCount> class WorkArea
{
public:
    explicit WorkArea(std::size_t count)
    {
        if (count > stackCount)
        {
            heap.reset(new (std::nothrow) T[count]);
            if (heap == nullptr)
                throwOutOfMemory(__LINE__);
            data = heap.get();
        }
    }
    T* get() noexcept { return data; }

private:
    T local[stackCount];
    std::unique_ptr<T[]> heap;
    T* data = local;
};

} // namespace

inline OscPatternMatcherImpl::Step OscPatternMatcherImpl::walk(char const* p, char const* t) const noexcept
{
    while (p != patternEnd)
    {
        char const c = *p++;
        if ((classOf(c) & special) == 0)
        {
            // Byte by byte: for UTF-8 this is the comparison of whole code points.
            if (t == targetEnd || *t != c)
                return {Step::failed, p, t};
            ++t;
            continue;
        }
        switch (c)
        {
        case '*':
            return {Step::atStar, p, t};
        case '{':
            return {Step::atBrace, p, t};
        case '?':
            if (t == targetEnd)
                return {Step::failed, p, t};
            readCodePoint(t, targetEnd);
            break;
        case '[':
        {
            Step const set = matchCharSet(p, t);
            if (set.kind == Step::failed)
                return set;
            p = set.pattern;
            t = set.target;
            break;
        }
        default:
            break;
        }
    }
    return {Step::finished, p, t};
}

__attribute__((noinline)) bool OscPatternMatcherImpl::matchCharacters(std::string_view pattern,
                                                                      std::string_view target)
{
    OscPatternMatcherImpl const matcher(pattern, target);
    Step const first = matcher.walk(matcher.patternBegin, matcher.targetBegin);
    // Most patterns hold no '*' or '{': the walk alone settles them, so the code for branch
    // points stays out of line.
    switch (first.kind)
    {
    case Step::failed:
        return false;
    case Step::finished:
        return first.target == matcher.targetEnd;
    case Step::atStar:
    case Step::atBrace:
        break;
    }
    return matcher.matchFromBranch(first);
}

__attribute__((noinline)) bool OscPatternMatcherImpl::matchFromBranch(Step const& first) const
{
    // With a single branch point no pair of positions is reached twice, so the plain search
    // stays within pattern x target steps; with more, results are tabulated to stay there.
    auto moreBranches = [this](char const* rest)
    { return holdsAny(std::string_view(rest, static_cast<std::size_t>(patternEnd - rest)), branch); };
    if (first.kind == Step::atStar)
    {
        if (first.pattern == patternEnd)
            return true;
        if (moreBranches(first.pattern))
            return matchByTable(first);
        return matchAnyOrNoChars(first.pattern, first.target);
    }
    char const* const close = closingBrace(first.pattern, patternEnd);
    if (close == nullptr)
        return false;
    char const* const rest = close + 1;
    char const* const t = first.target;
    auto const available = static_cast<std::size_t>(targetEnd - t);
    // Braces that end the pattern are the common case: an alternative must then take the whole
    // rest of the target, and no walk follows.
    if (rest == patternEnd)
        return findAlternative(first.pattern, t, available,
                               [available](std::size_t length) { return length == available; }) == nullptr;
    if (moreBranches(rest))
        return matchByTable(first);
    if (available >= 64)
        return findAlternative(first.pattern, t, available,
                               [&](std::size_t length) { return restMatches(rest, t + length); }) == nullptr;
    // Alternatives of equal length lead to the same place, and which one is tried first cannot
    // change the answer: each length is walked from once.
    std::uint64_t lengths = 0;
    findAlternative(first.pattern, t, available,
                    [&lengths](std::size_t length)
                    {
                        lengths |= std::uint64_t(1) << length;
                        return false;
                    });
    for (; lengths != 0; lengths &= lengths - 1)
        if (restMatches(rest, t + __builtin_ctzll(lengths)))
            return true;
    return false;
}

// equalPrefix bytes at the start are equal on both sides and hold no wildcard character.
__attribute__((noinline)) bool
OscPatternMatcherImpl::matchPart(std::string_view pattern, std::string_view target, std::size_t equalPrefix)
{
    // Parts like {gain,pan} are common enough for a road of their own.
    if (equalPrefix < pattern.size() && pattern[equalPrefix] == '{' && pattern.back() == '}')
        return matchFinalBraces(withoutFirst(pattern, equalPrefix), withoutFirst(target, equalPrefix));
    // Literals and '?' on ASCII are walked here, without calls, which keeps this road short. They
    // take one byte each whatever follows, so the rest can then be matched on its own.
    char const* p = pattern.data() + equalPrefix;
    char const* const patternEnd = pattern.data() + pattern.size();
    char const* t = target.data() + equalPrefix;
    char const* const targetEnd = target.data() + target.size();
    for (; p != patternEnd; ++p, ++t)
    {
        char const c = *p;
        if ((classOf(c) & special) != 0)
        {
            if (c != '?' || t == targetEnd || static_cast<unsigned char>(*t) >= 0x80)
                break;
        }
        else if (t == targetEnd || *t != c)
            return false;
    }
    if (p == patternEnd)
        return t == targetEnd;
    auto const rest = std::string_view(p, static_cast<std::size_t>(patternEnd - p));
    auto const targetRest = std::string_view(t, static_cast<std::size_t>(targetEnd - t));
    if (*p == '{' && patternEnd[-1] == '}')
        return matchFinalBraces(rest, targetRest);
    return matchCharacters(rest, targetRest);
}

// The pattern is braces up to its last character: when these are its only braces, the target
// must be one of the alternatives. Else the general road is taken; it gives the same answer, only
// slower.
__attribute__((noinline)) bool OscPatternMatcherImpl::matchFinalBraces(std::string_view pattern,
                                                                       std::string_view target)
{
    std::size_t const available = target.size();
    bool found = false;
    char const* const close = findAlternative(pattern.data() + 1, target.data(), available,
                                              [&found, available](std::size_t length)
                                              {
                                                  found = found || length == available;
                                                  return false;
                                              });
    if (close == pattern.data() + pattern.size() - 1)
        return found;
    return matchCharacters(pattern, target);
}

bool matchOscPattern(std::string_view pattern, std::string_view target)
{
    // Most parts are plain words equal on both sides: no wildcard anywhere, so no other rule
    // can apply. This road keeps no state, so the other rules are reached by tail calls and
    // their setup costs nothing here.
    std::size_t const common = pattern.size() < target.size() ? pattern.size() : target.size();
    std::size_t i = 0;
    while (i < common && pattern[i] == target[i] && (classOf(pattern[i]) & wildcard) == 0)
        ++i;
    if (i == pattern.size() && i == target.size())
        return true;
    if (pattern.size() == 1 && pattern[0] == '*')
        return true; // under every rule
    if ((!pattern.empty() && classOf(pattern[0]) == digit) ||
        (!target.empty() && classOf(target[0]) == digit))
        return OscPatternMatcherImpl::matchNumbersFirst(pattern, target, i);
    return OscPatternMatcherImpl::matchPart(pattern, target, i);
}

// The most common numeric case: a number against [n] or [lo-hi]. Short parts cannot hold a number
// beyond an int, so the reading needs no overflow check and no call, which keeps this road short.
// Anything else goes on to matchNumbers, which gives the same answer here, only slower.
__attribute__((noinline)) bool OscPatternMatcherImpl::matchNumbersFirst(std::string_view pattern,
                                                                        std::string_view target,
                                                                        std::size_t equalPrefix)
{
    if (pattern.size() < 3 || pattern.size() > 11 || target.size() > 9 || pattern.front() != '[' ||
        pattern.back() != ']' || digitValue(pattern[1]) > 9)
        return matchNumbers(pattern, target, equalPrefix);
    // Here the target starts with a digit, as the pattern does not, and equalPrefix is 0.
    char const* t = target.data();
    std::uint32_t const index = readShortDigits(t, target.data() + target.size());
    if (t == target.data() + target.size())
    {
        char const* const close = pattern.data() + pattern.size() - 1;
        char const* p = pattern.data() + 1;
        std::uint32_t const low = readShortDigits(p, close);
        if (p == close)
            return index == low;
        if (*p == '-' && digitValue(*++p) <= 9)
        {
            std::uint32_t const high = readShortDigits(p, close);
            if (p == close)
                return low <= index && index <= high;
        }
    }
    return matchNumbers(pattern, target, 0);
}

// A number against a part holding wildcards is read numerically first, whichever side holds
// them; a number too large for an int is no number, and the character rules decide. A valid
// numeric form holds no '*' or '?', so trying it first gives what testing for those would.
__attribute__((noinline)) bool OscPatternMatcherImpl::matchNumbers(std::string_view pattern,
                                                                   std::string_view target,
                                                                   std::size_t equalPrefix)
{
    // Patterns mostly start with a letter or a bracket, and are rarely read as numbers.
    if (!pattern.empty() && classOf(pattern[0]) == digit)
    {
        Reading const reading = matchNumberPattern(pattern, target);
        if (reading != Reading::notNumeric)
            return reading == Reading::match;
    }
    int const index = readNumber(target);
    if (index == notANumber)
        return matchPart(pattern, target, equalPrefix);
    if (index != tooLarge)
    {
        Reading const reading = matchNumericForm(index, pattern);
        if (reading != Reading::notNumeric)
            return reading == Reading::match;
    }
    if (holdsAny(pattern, anyOrOne))
        return true;
    return matchPart(pattern, target, equalPrefix);
}

// The public entry points below keep their out-parameter: callers outside this file use it.
bool PatternMathingWithIndices::matchOscPattern(bool& result, int index, String const& pattern)
{
    if (holdsAny(pattern.GetView(), anyOrOne))
    {
        result = true;
        return true;
    }
    return settle(result, matchNumericForm(index, pattern.GetView()));
}

bool PatternMathingWithIndices::matchDigits(bool& result, std::string_view indexDigits,
                                            std::string_view pattern)
{
    int const index = readNumber(indexDigits);
    if (index == notANumber)
        return false;
    if (holdsAny(pattern, anyOrOne))
    {
        result = true;
        return true;
    }
    return index != tooLarge && settle(result, matchNumericForm(index, pattern));
}

bool OscPatternMatcherImpl::match(CharPointer_UTF8 pattern, CharPointer_UTF8 patternEnd,
                                  CharPointer_UTF8 target, CharPointer_UTF8 targetEnd)
{
    auto view = [](CharPointer_UTF8 begin, CharPointer_UTF8 end)
    {
        return std::string_view(begin.GetAddress(),
                                static_cast<std::size_t>(end.GetAddress() - begin.GetAddress()));
    };
    return match(view(pattern, patternEnd), view(target, targetEnd));
}

bool OscPatternMatcherImpl::match(std::string_view pattern, std::string_view target)
{
    return matchCharacters(pattern, target);
}

__attribute__((noinline)) OscPatternMatcherImpl::Step
OscPatternMatcherImpl::matchCharSet(char const* p, char const* t) const noexcept
{
    Step const failed{Step::failed, p, t};
    bool const haveTarget = t != targetEnd;
    char const* afterTarget = t;
    std::uint32_t const wanted = haveTarget ? readCodePoint(afterTarget, targetEnd) : 0;

    bool negated = false;
    bool empty = true;
    bool member = false;
    std::uint32_t last = 0; // the character added last: the start of a following range
    auto add = [&](std::uint32_t c)
    {
        empty = false;
        last = c;
        member = member || (haveTarget && c == wanted);
    };
    for (;;)
    {
        if (p == patternEnd)
            return failed;
        std::uint32_t const c = readCodePoint(p, patternEnd);
        if (c == ']')
            break;
        if (c == '-')
        {
            if (!haveTarget || p == patternEnd)
                return failed;
            // The range's end is only looked at here; it is read again, and added, as the next
            // character of the set.
            char const* ahead = p;
            std::uint32_t const end = readCodePoint(ahead, patternEnd);
            if (end == ',' || end == '{' || end == '}')
                return failed;
            if (end == ']')
            {
                add('-');
                continue;
            }
            if (empty)
                return failed;
            if (end > last)
            {
                member = member || (wanted > last && wanted <= end);
                last = end;
            }
            continue;
        }
        if (c == '!' && empty && !negated)
        {
            negated = true;
            continue;
        }
        add(c);
    }
    if (empty)
        return {Step::finished, p, t}; // [] and [!] take nothing
    if (!haveTarget || member == negated)
        return failed;
    return {Step::finished, p, afterTarget};
}

inline bool OscPatternMatcherImpl::restMatches(char const* p, char const* t) const noexcept
{
    Step const step = walk(p, t);
    return step.kind == Step::finished && step.target == targetEnd;
}

bool OscPatternMatcherImpl::matchAnyOrNoChars(char const* p, char const* t) const noexcept
{
    // Only a '*' that ends the pattern succeeds at the end of the target (the caller has taken
    // that case), so the target must keep a character for the rest.
    char const next = *p;
    bool const literalNext = (classOf(next) & special) == 0;
    for (;;)
    {
        // Where the rest begins with a literal, only the places holding it can match.
        if (literalNext)
            while (t != targetEnd && *t != next)
                readCodePoint(t, targetEnd);
        if (t == targetEnd)
            return false;
        if (restMatches(p, t))
            return true;
        readCodePoint(t, targetEnd);
    }
}

// Tabulates, for each point just after a '*' or a '{...}' (a row) and each target position (a
// column), whether the rest matches; rows are filled from the last, so every pair is worked out
// once. A row after '*' holds the result of the '*' itself: whether the rest matches from this
// column or any later one.
// first is where the walk from the start stopped: at the first branch point.
__attribute__((noinline)) bool OscPatternMatcherImpl::matchByTable(Step const& first) const
{
    // The rows, in pattern order. Sets and braces end at their first ']' or '}', as the walk
    // reads them; past an unterminated one nothing is reachable.
    auto forEachRow = [this](auto&& visit)
    {
        for (char const* p = patternBegin; p != patternEnd;)
        {
            char const c = *p++;
            if (c == '*')
                visit(p);
            else if (c == '[' || c == '{')
            {
                auto const* close = static_cast<char const*>(
                    std::memchr(p, c == '[' ? ']' : '}', static_cast<std::size_t>(patternEnd - p)));
                if (close == nullptr)
                    return;
                p = close + 1;
                if (c == '{')
                    visit(p);
            }
        }
    };
    std::size_t numRows = 0;
    forEachRow([&numRows](char const*) { ++numRows; });
    WorkArea<char const*, 64> rowStarts(numRows);
    std::size_t filled = 0;
    forEachRow([&](char const* p) { rowStarts.get()[filled++] = p; });

    auto const columns = static_cast<std::size_t>(targetEnd - targetBegin) + 1;
    if (numRows > (std::numeric_limits<std::size_t>::max() - 63) / columns)
        throwOutOfMemory(__LINE__);
    std::size_t const numWords = (numRows * columns + 63) / 64;
    WorkArea<std::uint64_t, 128> words(numWords);
    std::uint64_t* const bits = words.get();
    std::memset(bits, 0, numWords * sizeof(std::uint64_t));

    auto index = [&](std::size_t row, char const* t)
    { return row * columns + static_cast<std::size_t>(t - targetBegin); };
    auto get = [&](std::size_t row, char const* t)
    {
        std::size_t const i = index(row, t);
        return (bits[i / 64] >> (i % 64) & 1) != 0;
    };
    // The rest of the match once a walk has stopped at the branch point of row.
    auto resolve = [&](Step const& step, std::size_t row)
    {
        switch (step.kind)
        {
        case Step::failed:
            return false;
        case Step::finished:
            return step.target == targetEnd;
        case Step::atStar:
            return row < numRows && get(row, step.target);
        case Step::atBrace:
            return row < numRows && closingBrace(step.pattern, patternEnd) != nullptr &&
                   findAlternative(
                       step.pattern, step.target, static_cast<std::size_t>(targetEnd - step.target),
                       [&](std::size_t length) { return get(row, step.target + length); }) == nullptr;
        }
        return false;
    };

    for (std::size_t row = numRows; row-- > 0;)
    {
        char const* const p = rowStarts.get()[row];
        bool const afterStar = p[-1] == '*';
        for (char const* t = targetEnd;; --t)
        {
            bool value;
            if (afterStar && t == targetEnd)
                value = p == patternEnd;
            else
            {
                value = resolve(walk(p, t), row + 1);
                if (afterStar && !value)
                {
                    char const* next = t;
                    readCodePoint(next, targetEnd);
                    value = get(row, next);
                }
            }
            if (value)
            {
                std::size_t const i = index(row, t);
                bits[i / 64] |= std::uint64_t(1) << (i % 64);
            }
            if (t == targetBegin)
                break;
        }
    }
    return resolve(first, 0);
}

} // namespace qev
