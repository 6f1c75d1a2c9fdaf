#include "osc/QevOscInputStream.h"

#include "common/QevException.h"
#include "files/QevBigEndian.h"

#include <cstring>
#include <string>
#include <utility>

namespace qev
{

namespace
{

// What went wrong, with the source line each failure is reported at.
enum Failure : unsigned
{
    int64Short,
    int32Short,
    floatShort,
    doubleShort,
    stringShort,
    stringWithoutNul,
    blobShort,
    blobBeyondEnd,
    timeTagShort,
    typeTagsShort,
    typeTagsWithoutComma,
    typeTagsWithoutNul,
    unsupportedTag,
    argumentWithoutRule,
    bundleTooDeep,
    bundleShort,
    bundleWithoutHeader,
    elementSizeShort,
    elementSizeInvalid,
    elementContentShort,
    elementWithoutContent,
    elementContentInvalid,
    paddingMissing,
    bundleSizeWrong,
    messageSizeWrong,
};

struct FailureText
{
    char const* text;
    unsigned long line;
};

constexpr FailureText failures[] = {
    {"OSC input stream exhausted while reading int64", 68},
    {"OSC input stream exhausted while reading int32", 78},
    {"OSC input stream exhausted while reading float", 98},
    {"OSC input stream exhausted while reading double", 108},
    {"OSC input stream exhausted while reading string", 118},
    {"OSC input stream exhausted before finding null terminator of string", 129},
    {"OSC input stream exhausted while reading blob", 144},
    {"OSC input stream exhausted before reaching end of blob", 151},
    {"OSC input stream exhausted while reading time tag", 166},
    {"OSC input stream exhausted while reading type tag string", 188},
    {"OSC input stream format error: expected type tag string", 193},
    {"OSC input stream exhausted while reading type tag string", 200},
    {"OSC input stream format error: encountered unsupported type tag : ", 212},
    {"OSC input stream: internal error while reading message argument", 241},
    {"OSC input stream format error: bundles nested deeper than 64 levels", 266},
    {"OSC input stream exhausted while reading bundle", 271},
    {"OSC input stream format error: bundle does not start with string '#bundle'", 276},
    {"OSC input stream exhausted while reading bundle element size", 301},
    {"OSC input stream format error: invalid bundle element size", 308},
    {"OSC input stream exhausted while reading bundle element content", 319},
    {"OSC input stream: invalid bundle element content", 328},
    {"OSC input stream: invalid bundle element content", 345},
    {"OSC input stream format error: missing padding zeros", 359},
    {"OSC input stream format error: wrong element content size encountered while reading bundle", 377},
    {"OSC input stream format error: wrong element content size encountered while reading message", 390},
};
static_assert(sizeof failures / sizeof failures[0] == messageSizeWrong + 1, "one text per failure");
static_assert(OscInputStream::maxBundleDepth == 64, "the depth failure's text names the limit");

[[noreturn]] void fail(unsigned failure)
{
    throw Exception(String(failures[failure].text),
                    SourceLineInfo("QevOscInputStream", failures[failure].line), true, false);
}

[[noreturn]] void failWithTag(char tag)
{
    String text(failures[unsupportedTag].text);
    text.Append(tag);
    throw Exception(text, SourceLineInfo("QevOscInputStream", failures[unsupportedTag].line), true, false);
}

// The tags a message may carry; 'N', 'I' and 'r' are refused like every other tag.
inline bool isReadableTag(char tag) noexcept
{
    switch (tag)
    {
    case 'F':
    case 'T':
    case 'b':
    case 'd':
    case 'f':
    case 'h':
    case 'i':
    case 's':
        return true;
    default:
        return false;
    }
}

// Packets repeat their addresses. Parsing one (checking, hashing and pooling every part) costs
// far more than copying the result, so each thread keeps the patterns it parsed last. Pooled
// parts live as long as the process, so a kept pattern never goes stale.
class PatternCache
{
public:
    OscAddressPattern Get(char const* text, unsigned long length)
    {
        if (length > maxLength)
            return OscAddressPattern(String(CharPointer_UTF8(text), length));
        Slot& slot = slots[slotOf(text, length)];
        if (slot.used && slot.text.size() == length && std::memcmp(slot.text.data(), text, length) == 0)
            return slot.pattern;
        OscAddressPattern pattern(String(CharPointer_UTF8(text), length)); // a malformed text throws here
        slot.used = false; // until text and pattern agree again, should copying them throw
        slot.text.assign(text, length);
        slot.pattern = pattern;
        slot.used = true;
        return pattern;
    }

private:
    static constexpr unsigned numSlots = 256;
    static constexpr unsigned long maxLength = 128;

    // Addresses differ mostly at their ends ("/track/1/gain", "/track/2/gain"): mixing the
    // length with the first and last 8 bytes spreads them well at a fixed cost.
    static unsigned slotOf(char const* text, unsigned long length) noexcept
    {
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        if (length >= 8)
        {
            std::memcpy(&head, text, 8);
            std::memcpy(&tail, text + length - 8, 8);
        }
        else
            std::memcpy(&head, text, length);
        std::uint64_t h = (head * 0x9E3779B97F4A7C15ull) ^ (tail + length) * 0xC2B2AE3D27D4EB4Full;
        return static_cast<unsigned>(h >> 56); // the top 8 bits: one of 256 slots
    }

    struct Slot
    {
        std::string text;
        OscAddressPattern pattern;
        bool used = false;
    };
    Slot slots[numSlots];
};

thread_local PatternCache patternCache;

// Counts nesting for as long as one bundle is being read, also when reading throws.
class DepthScope
{
public:
    explicit DepthScope(unsigned& d) noexcept : depth(d) { ++depth; }
    ~DepthScope() { --depth; }
    DepthScope(DepthScope const&) = delete;
    DepthScope& operator=(DepthScope const&) = delete;

private:
    unsigned& depth;
};

} // namespace

void OscInputStream::failWith(unsigned failure)
{
    fail(failure);
}

inline std::uint32_t OscInputStream::take32(unsigned failure)
{
    need(4, failure);
    std::uint32_t const v = BigEndian::Load32(input.GetDataAtPosition());
    input.Skip(4);
    return v;
}

inline std::uint64_t OscInputStream::take64(unsigned failure)
{
    need(8, failure);
    std::uint64_t const v = BigEndian::Load64(input.GetDataAtPosition());
    input.Skip(8);
    return v;
}

inline void OscInputStream::skipPadding(unsigned long n)
{
    unsigned long const padding = (0 - n) & 3;
    if (padding == 0)
        return;
    if (input.GetRemaining() < padding)
        fail(paddingMissing);
    char const* const bytes = input.GetDataAtPosition();
    for (unsigned long i = 0; i < padding; ++i)
    {
        if (bytes[i] != 0)
            fail(paddingMissing);
    }
    input.Skip(padding);
}

std::int32_t OscInputStream::ReadInt32()
{
    return static_cast<std::int32_t>(take32(int32Short));
}

std::int64_t OscInputStream::ReadInt64()
{
    return static_cast<std::int64_t>(take64(int64Short));
}

float OscInputStream::ReadFloat32()
{
    return BigEndian::FloatFromBits(take32(floatShort));
}

double OscInputStream::ReadFloat64()
{
    return BigEndian::DoubleFromBits(take64(doubleShort));
}

std::uint64_t OscInputStream::ReadTimeTag()
{
    return take64(timeTagShort);
}

inline char const* OscInputStream::readStringInPlace(unsigned long& length)
{
    need(4, stringShort);
    char const* const start = input.GetDataAtPosition();
    unsigned long const remaining = input.GetRemaining();
    void const* const nul = std::memchr(start, 0, remaining);
    if (nul == nullptr)
    {
        input.Skip(remaining);
        fail(stringWithoutNul);
    }
    length = static_cast<unsigned long>(static_cast<char const*>(nul) - start);
    input.Skip(length + 1);
    skipPadding(length + 1);
    return start;
}

String OscInputStream::ReadString()
{
    unsigned long length = 0;
    char const* const text = readStringInPlace(length);
    return String(CharPointer_UTF8(text), length);
}

void OscInputStream::readPaddingZeros(unsigned long n)
{
    skipPadding(n);
}

MemoryBlock OscInputStream::ReadBlob()
{
    std::int32_t const count = static_cast<std::int32_t>(take32(blobShort));
    // A negative count is as malformed as one beyond the end.
    if (count < 0 || static_cast<unsigned long>(count) > input.GetRemaining())
        fail(blobBeyondEnd);
    MemoryBlock blob(input.GetDataAtPosition(), static_cast<unsigned long>(count));
    input.Skip(static_cast<unsigned long>(count));
    skipPadding(static_cast<unsigned long>(count));
    return blob;
}

OscAddressPattern OscInputStream::ReadAddressPattern()
{
    unsigned long length = 0;
    char const* const text = readStringInPlace(length);
    return patternCache.Get(text, length);
}

char const* OscInputStream::readTypeTags(unsigned long& numTags)
{
    need(4, typeTagsShort);
    if (*input.GetDataAtPosition() != ',')
        fail(typeTagsWithoutComma);
    input.Skip(1);

    char const* const tags = input.GetDataAtPosition();
    unsigned long const remaining = input.GetRemaining();
    void const* const nul = std::memchr(tags, 0, remaining);
    unsigned long const n =
        nul != nullptr ? static_cast<unsigned long>(static_cast<char const*>(nul) - tags) : remaining;
    // A bad tag is reported before a missing NUL, as reading tag by tag would.
    for (unsigned long i = 0; i < n; ++i)
    {
        if (!isReadableTag(tags[i]))
            failWithTag(tags[i]);
    }
    if (nul == nullptr)
        fail(typeTagsWithoutNul);
    input.Skip(n + 1);
    skipPadding(n + 2);
    numTags = n;
    return tags;
}

Vector<char> OscInputStream::ReadTypeTagString()
{
    unsigned long numTags = 0;
    char const* const tags = readTypeTags(numTags);
    Vector<char> result;
    for (unsigned long i = 0; i < numTags; ++i)
        result.PushBack(tags[i]);
    return result;
}

OscArgument OscInputStream::ReadArgument(char const& tag)
{
    switch (tag)
    {
    case 'T':
        return OscArgument(true);
    case 'F':
        return OscArgument(false);
    case 'i':
        return OscArgument(static_cast<int>(take32(int32Short)));
    case 'h':
        return OscArgument(static_cast<long long>(take64(int64Short)));
    case 'f':
        return OscArgument(BigEndian::FloatFromBits(take32(floatShort)));
    case 'd':
        return OscArgument(static_cast<float>(BigEndian::DoubleFromBits(take64(doubleShort))));
    case 's':
        return OscArgument(ReadString());
    case 'b':
        return OscArgument(ReadBlob());
    default:
        fail(argumentWithoutRule);
    }
}

OscMessage OscInputStream::ReadMessage()
{
    OscMessage message(ReadAddressPattern());
    unsigned long numTags = 0;
    // The tags stay in the caller's bytes: no list of them is built.
    char const* const tags = readTypeTags(numTags);
    message.ReserveArguments(numTags);
    for (unsigned long i = 0; i < numTags; ++i)
        message.Add(ReadArgument(tags[i]));
    return message;
}

OscBundle OscInputStream::ReadBundle(unsigned long limit)
{
    // Reading, copying and destroying a bundle all recurse into its nested bundles, so the
    // depth is bounded here, where outside bytes decide it.
    if (depth >= maxBundleDepth)
        fail(bundleTooDeep);
    DepthScope scope(depth);

    need(16, bundleShort);
    if (std::memcmp(input.GetDataAtPosition(), "#bundle", 8) == 0)
        input.Skip(8);
    else if (ReadString() != String("#bundle"))
        fail(bundleWithoutHeader);

    OscBundle bundle;
    bundle.SetTimeTag(take64(timeTagShort));
    unsigned long count = 16;
    if (unsigned long const n = countElements(limit))
        bundle.Reserve(n);
    while (count < limit && !input.IsExhausted())
    {
        unsigned long const start = static_cast<unsigned long>(input.GetPosition());
        bundle.AddElement(ReadElement());
        count += static_cast<unsigned long>(input.GetPosition()) - start;
    }
    return bundle;
}

unsigned long OscInputStream::countElements(unsigned long limit) const noexcept
{
    // Hops over the element sizes ahead, so that the element list grows once. Reading proper
    // checks everything; this only stops at the first size that cannot be right.
    char const* const start = input.GetDataAtPosition();
    unsigned long const remaining = input.GetRemaining();
    unsigned long offset = 0;
    unsigned long count = 16;
    unsigned long n = 0;
    while (count < limit && remaining - offset >= 4)
    {
        std::int32_t const size = static_cast<std::int32_t>(BigEndian::Load32(start + offset));
        if (size < 4 || static_cast<unsigned long>(size) > remaining - offset - 4)
            break;
        offset += 4 + static_cast<unsigned long>(size);
        count += 4 + static_cast<unsigned long>(size);
        ++n;
    }
    return n;
}

OscBundle::Element OscInputStream::ReadElement()
{
    std::int32_t const size = static_cast<std::int32_t>(take32(elementSizeShort));
    if (size >= 0 && size <= 3)
        fail(elementSizeInvalid);
    // A negative size asks for more than any packet holds.
    return ReadElementWithKnownSize(size < 0 ? ~0ul : static_cast<unsigned long>(size));
}

char OscInputStream::checkElementContent(unsigned long size) const
{
    if (input.GetData() == nullptr)
        fail(elementWithoutContent);
    if (input.GetRemaining() < size)
        fail(elementContentShort);
    if (size == 0)
        fail(elementWithoutContent);
    char const first = *input.GetDataAtPosition();
    if (first != '#' && first != '/')
        fail(elementContentInvalid);
    return first;
}

OscBundle::Element OscInputStream::ReadElementWithKnownSize(unsigned long size)
{
    if (checkElementContent(size) == '#')
        return OscBundle::Element(readBundleWithCheckedSize(size));
    return OscBundle::Element(readMessageWithCheckedSize(size));
}

OscBundle OscInputStream::ReadPacket()
{
    // As ReadElementWithKnownSize over the whole data, without wrapping the result in an element.
    unsigned long const size = input.GetRemaining();
    if (checkElementContent(size) == '#')
        return readBundleWithCheckedSize(size);
    return OscBundle(readMessageWithCheckedSize(size));
}

OscMessage OscInputStream::readMessageWithCheckedSize(unsigned long size)
{
    unsigned long const start = static_cast<unsigned long>(input.GetPosition());
    OscMessage message = ReadMessage();
    if (static_cast<unsigned long>(input.GetPosition()) - start != size)
        fail(messageSizeWrong);
    return message;
}

OscBundle OscInputStream::readBundleWithCheckedSize(unsigned long size)
{
    unsigned long const start = static_cast<unsigned long>(input.GetPosition());
    OscBundle bundle = ReadBundle(size >= 4 ? size - 4 : 0);
    if (static_cast<unsigned long>(input.GetPosition()) - start != size)
        fail(bundleSizeWrong);
    return bundle;
}

OscBundle OscBundle::CreateFromData(char const* data, unsigned long size)
{
    return OscInputStream(data, size).ReadPacket();
}

} // namespace qev
