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
    notDigit = 32  // every byte but '0'..'9'
};

struct ByteClasses
{
    constexpr ByteClasses() : of()
    {
        for (auto& classes : of)
            classes = notDigit;
        for (int c = '0'; c <= '9'; ++c)
            of[c] = digit;
        of['*'] = notDigit | wildcard | special | branch | anyOrOne;
        of['?'] = notDigit | wildcard | special | anyOrOne;
        of['{'] = notDigit | wildcard | special | branch;
        of['['] = notDigit | wildcard | special;
        of['}'] = notDigit | wildcard;
        of[']'] = notDigit | wildcard;
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

// The '}' closing braces opened just before p; patternEnd when there is none.
inline char const* closingBrace(char const* p, char const* patternEnd) noexcept
{
    while (p != patternEnd && *p != '}')
        ++p;
    return p;
}

// Calls next(target after the alternative) for each alternative of the braces [p, close) that
// the target begins with, in order, until one returns true. Wildcards inside the braces are
// literal and braces do not nest.
template <typename Next>
bool anyAlternative(char const* p, char const* close, char const* t, char const* targetEnd, Next&& next)
{
    auto const available = static_cast<std::size_t>(targetEnd - t);
    char const* start = p;
    for (char const* q = p;; ++q)
    {
        if (q == close || *q == ',')
        {
            auto const length = static_cast<std::size_t>(q - start);
            if (length <= available && sameBytes(start, t, length) && next(t + length))
                return true;
            if (q == close)
                return false;
            start = q + 1;
        }
    }
}

// Reads the run of digits at s as a number; false when it does not fit in an int.
inline bool readDigits(char const*& s, char const* end, int& value) noexcept
{
    long long v = 0;
    for (; s != end; ++s)
    {
        auto const d = static_cast<unsigned>(*s - '0');
        if (d > 9)
            break;
        v = v * 10 + d;
        if (v > INT_MAX)
            return false;
    }
    value = static_cast<int>(v);
    return true;
}

enum class Number
{
    none,     // not made only of digits
    tooLarge, // digits, but beyond an int
    read
};

inline Number readNumber(std::string_view text, int& value) noexcept
{
    char const* s = text.data();
    char const* const end = s + text.size();
    if (s == end || classOf(*s) != digit)
        return Number::none;
    bool const fits = readDigits(s, end, value);
    while (s != end && classOf(*s) == digit)
        ++s;
    if (s != end)
        return Number::none;
    return fits ? Number::read : Number::tooLarge;
}

inline bool bracketedAtFront(std::string_view pattern) noexcept
{
    return pattern.size() >= 2 && (pattern[0] == '[' || pattern[0] == '{');
}

// The bracket forms of the numeric reading, for a pattern without '*' or '?': [n] and [lo-hi]
// split at the first '-', {n} and {n,m,...} whose empty pieces are dropped except the last.
// Every piece must be a whole digit string; a number beyond an int is no number.
inline __attribute__((always_inline)) bool matchNumericForm(bool& result, int index,
                                                            std::string_view pattern) noexcept
{
    if (pattern.size() < 2)
        return false;
    char const* s = pattern.data() + 1;
    char const* const end = pattern.data() + pattern.size() - 1;
    char const open = pattern.front();
    char const close = *end;
    int value = 0;
    if (open == '[' && close == ']')
    {
        char const* start = s;
        if (!readDigits(s, end, value) || s == start)
            return false;
        if (s == end)
        {
            result = index == value;
            return true;
        }
        int high = 0;
        if (*s++ != '-')
            return false;
        start = s;
        if (!readDigits(s, end, high) || s == start || s != end)
            return false;
        result = value <= index && index <= high;
        return true;
    }
    if (open != '{' || close != '}')
        return false;
    bool found = false;
    for (;;)
    {
        char const* const start = s;
        if (!readDigits(s, end, value))
            return false;
        if (s == end)
        {
            if (s == start)
                return false; // the piece after the last ',' is kept even when empty
            result = found || index == value;
            return true;
        }
        if (*s++ != ',')
            return false;
        found = found || (s - 1 != start && index == value);
    }
}

// A number against a part holding wildcards is read numerically first, whichever side holds
// them; a number too large for an int is no number, and the character rules decide. A valid
// numeric form holds no '*' or '?', so trying it first gives what testing for those would.
// Returns whether the numeric reading settled the match, with its result.
inline bool matchNumbers(bool& result, std::string_view pattern, std::string_view target) noexcept
{
    int index = 0;
    Number number = readNumber(pattern, index);
    if (number != Number::none)
    {
        if (number == Number::read && bracketedAtFront(target) && matchNumericForm(result, index, target))
            return true;
        result = holdsAny(target, anyOrOne) || sameText(pattern, target);
        return true;
    }
    number = readNumber(target, index);
    if (number == Number::read && bracketedAtFront(pattern) && matchNumericForm(result, index, pattern))
        return true;
    if (number != Number::none && holdsAny(pattern, anyOrOne))
    {
        result = true;
        return true;
    }
    return false;
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

bool matchOscPattern(std::string_view pattern, std::string_view target)
{
    // Most parts are plain words equal on both sides: no wildcard anywhere, so no other rule
    // can apply.
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

// Kept apart so that the road of the character rules stays lean.
__attribute__((noinline)) bool OscPatternMatcherImpl::matchNumbersFirst(std::string_view pattern,
                                                                        std::string_view target,
                                                                        std::size_t equalPrefix)
{
    bool result = false;
    if (matchNumbers(result, pattern, target))
        return result;
    return matchPart(pattern, target, equalPrefix);
}

bool PatternMathingWithIndices::matchOscPattern(bool& result, int index, String const& pattern)
{
    if (holdsAny(pattern.GetView(), anyOrOne))
    {
        result = true;
        return true;
    }
    return matchNumericForm(result, index, pattern.GetView());
}

bool PatternMathingWithIndices::matchDigits(bool& result, std::string_view indexDigits,
                                            std::string_view pattern)
{
    int index = 0;
    Number const number = readNumber(indexDigits, index);
    if (number == Number::none)
        return false;
    if (holdsAny(pattern, anyOrOne))
    {
        result = true;
        return true;
    }
    return number == Number::read && matchNumericForm(result, index, pattern);
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

inline __attribute__((always_inline)) bool OscPatternMatcherImpl::matchCharacters(std::string_view pattern,
                                                                                  std::string_view target)
{
    OscPatternMatcherImpl const matcher(pattern, target);
    Step const first = matcher.walk(matcher.patternBegin, matcher.targetBegin);
    char const* const end = matcher.patternEnd;
    // With a single branch point no pair of positions is reached twice, so the plain search
    // stays within pattern x target steps; with more, results are tabulated to stay there.
    auto moreBranches = [end](char const* rest)
    { return holdsAny(std::string_view(rest, static_cast<std::size_t>(end - rest)), branch); };
    switch (first.kind)
    {
    case Step::failed:
        return false;
    case Step::finished:
        return first.target == matcher.targetEnd;
    case Step::atStar:
        if (first.pattern == end)
            return true;
        if (moreBranches(first.pattern))
            return matcher.matchByTable(first);
        return matcher.matchAnyOrNoChars(first.pattern, first.target);
    case Step::atBrace:
        break;
    }
    char const* const t = first.target;
    auto const available = static_cast<std::size_t>(matcher.targetEnd - t);
    if (available >= 64)
    {
        char const* const close = closingBrace(first.pattern, end);
        if (close == end)
            return false;
        if (moreBranches(close + 1))
            return matcher.matchByTable(first);
        return anyAlternative(first.pattern, close, t, matcher.targetEnd,
                              [&](char const* after) { return matcher.restMatches(close + 1, after); });
    }
    // One pass over the braces notes the lengths of the alternatives the target begins with;
    // alternatives of equal length lead to the same place, and which one is tried first cannot
    // change the answer.
    std::uint64_t lengths = 0;
    char const* close = first.pattern;
    for (;;)
    {
        std::size_t length = 0;
        while (close != end && *close != ',' && *close != '}' && length < available && *close == t[length])
        {
            ++close;
            ++length;
        }
        if (close == end)
            return false;
        if (*close == ',' || *close == '}')
            lengths |= std::uint64_t(1) << length;
        else
            while (close != end && *close != ',' && *close != '}')
                ++close;
        if (close == end)
            return false;
        if (*close++ == '}')
            break;
    }
    --close;
    if (moreBranches(close + 1))
        return matcher.matchByTable(first);
    for (; lengths != 0; lengths &= lengths - 1)
        if (matcher.restMatches(close + 1, t + __builtin_ctzll(lengths)))
            return true;
    return false;
}

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

// equalPrefix bytes at the start are equal on both sides and hold no wildcard character.
bool OscPatternMatcherImpl::matchPart(std::string_view pattern, std::string_view target,
                                      std::size_t equalPrefix)
{
    // The rest of the literal start of the pattern, compared in place.
    std::size_t const common = pattern.size() < target.size() ? pattern.size() : target.size();
    std::size_t i = equalPrefix;
    for (; i < common && (classOf(pattern[i]) & special) == 0; ++i)
        if (pattern[i] != target[i])
            return false;
    if (i == pattern.size())
        return i == target.size();
    if ((classOf(pattern[i]) & special) == 0)
        return false; // the target ended before a literal
    if (pattern[i] == '*' && i + 1 == pattern.size())
        return true; // a '*' that ends the pattern takes whatever is left
    return matchCharacters(pattern.substr(i), target.substr(i));
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
        {
            char const* const close = closingBrace(step.pattern, patternEnd);
            return row < numRows && close != patternEnd &&
                   anyAlternative(step.pattern, close, step.target, targetEnd,
                                  [&](char const* after) { return get(row, after); });
        }
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
