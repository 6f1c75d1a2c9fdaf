#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "files/QevMemoryInputStream.h"
#include "files/QevMemoryOutputStream.h"
#include "memory/QevMemoryBlock.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using qev::MemoryBlock;
using qev::MemoryInputStream;
using qev::MemoryOutputStream;

std::string bytesOf(MemoryOutputStream const& stream)
{
    return std::string(stream.GetData(), stream.GetDataSize());
}

struct Growth
{
    unsigned long initialSize;
    std::vector<unsigned long> writes;
    unsigned long allocated;
};

TEST(MemoryOutputStream, GrowsByHalfTheNeedCappedAtOneMebibytePlus32RoundedDown)
{
    std::vector<Growth> const cases = {
        {0, {10}, 32},                    // 10 + 5 + 32 = 47
        {0, {40}, 64},                    // 40 + 20 + 32 = 92
        {0, {10, 22}, 64},                // filling the buffer exactly grows it: 32 + 16 + 32, rounded down
        {256, {100}, 256},                // room left: no growth
        {16, {16}, 32},                   // 16 + 8 + 32 = 56
        {0, {4u << 20}, (5u << 20) + 32}, // the extra is capped at 1 MiB
        {0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 32}, // small writes keep the first buffer
    };
    for (Growth const& c : cases)
    {
        MemoryOutputStream stream(c.initialSize);
        unsigned long total = 0;
        for (unsigned long n : c.writes)
        {
            EXPECT_TRUE(stream.WriteRepeatedByte('x', n));
            total += n;
        }
        EXPECT_EQ(stream.GetAllocatedSize(), c.allocated) << c.initialSize << " + " << c.writes.size();
        EXPECT_EQ(stream.GetDataSize(), total);
        EXPECT_EQ(stream.GetPosition(), static_cast<long long>(total));
    }
}

TEST(MemoryOutputStream, SeeksOnlyWithinTheWrittenBytesAndOverwritesInPlace)
{
    MemoryOutputStream stream(0);
    EXPECT_EQ(stream.GetData(), nullptr);
    stream << "abcdef";
    EXPECT_FALSE(stream.SetPosition(7));
    EXPECT_EQ(stream.GetPosition(), 6);
    EXPECT_TRUE(stream.SetPosition(6));
    EXPECT_TRUE(stream.SetPosition(-1)); // a negative position moves to the end
    EXPECT_EQ(stream.GetPosition(), 6);

    EXPECT_TRUE(stream.SetPosition(1));
    stream << "XY";
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(bytesOf(stream), "aXYdef");

    EXPECT_TRUE(stream.SetPosition(4));
    stream << "1234";
    EXPECT_EQ(bytesOf(stream), "aXYd1234");

    // The NUL after the bytes is not counted.
    EXPECT_EQ(stream.GetData()[stream.GetDataSize()], 0);
    EXPECT_EQ(stream.ConvertToUTF8(), qev::String("aXYd1234"));
}

TEST(MemoryOutputStream, WritesNumbersBigEndianAndTextsUpToTheirFirstNul)
{
    MemoryOutputStream stream(0);
    stream.WriteIntBigEndian(0x01020304);
    stream.WriteInt64BigEndian(-2);
    stream.WriteFloatBigEndian(1.0f);
    stream.WriteDoubleBigEndian(-2.0);
    stream.WriteString(qev::String(""));
    stream.WriteString(qev::String("ab"));
    stream.WriteString(qev::String(std::string("c\0d", 3)));
    stream.WriteByte('z');
    stream << 'q' << qev::String(std::string("r\0s", 3));
    std::string const expected("\x01\x02\x03\x04"
                               "\xff\xff\xff\xff\xff\xff\xff\xfe"
                               "\x3f\x80\x00\x00"
                               "\xc0\x00\x00\x00\x00\x00\x00\x00"
                               "\x00"
                               "ab\x00"
                               "c\x00"
                               "zqr\x00s",
                               35);
    EXPECT_EQ(bytesOf(stream), expected);
}

TEST(MemoryOutputStream, WritesItsOwnBytesAcrossAReallocation)
{
    MemoryOutputStream stream(0);
    stream << "0123456789abcdefghijklmnopqrstu"; // 31 bytes in a 32-byte buffer
    for (int i = 0; i < 6; ++i)
        stream.Write(stream.GetData(), stream.GetDataSize());
    std::string const bytes = bytesOf(stream);
    ASSERT_EQ(bytes.size(), 31u * 64);
    for (std::size_t i = 0; i < bytes.size(); i += 31)
        EXPECT_EQ(bytes.compare(i, 31, "0123456789abcdefghijklmnopqrstu"), 0) << i;
}

TEST(MemoryOutputStream, RefusesSizesThatWouldWrapAndChangesNothing)
{
    int const savedLogType = qev::ConsoleLog::type;
    qev::ConsoleLog::type = -1;
    MemoryOutputStream stream(0);
    stream << "abc";
    char const byte = 0;
    // Each would wrap the size arithmetic; none may move the position or the size.
    for (unsigned long count : {ULONG_MAX, ULONG_MAX - 2, 1ul << 62})
    {
        try
        {
            stream.WriteRepeatedByte(byte, count);
            ADD_FAILURE() << count;
        }
        catch (qev::Exception const& e)
        {
            EXPECT_EQ(e.GetMessage(), qev::String("out of memory"));
        }
        EXPECT_THROW(stream.Write(&byte, count), qev::Exception);
        EXPECT_EQ(stream.GetPosition(), 3);
        EXPECT_EQ(stream.GetDataSize(), 3u);
        EXPECT_EQ(bytesOf(stream), "abc");
    }
    qev::ConsoleLog::type = savedLogType;
}

TEST(MemoryInputStream, ReadsBigEndianAndYieldsZeroForShortReads)
{
    std::string const bytes("\x01\x02\x03\x04"
                            "\xff\xff\xff\xff\xff\xff\xff\xfe"
                            "\x3f\x80\x00\x00"
                            "\xc0\x00\x00\x00\x00\x00\x00\x00"
                            "\x7f\x01\x02",
                            27);
    MemoryInputStream stream(bytes.data(), bytes.size());
    EXPECT_EQ(stream.GetTotalLength(), 27);
    EXPECT_EQ(stream.ReadIntBigEndian(), 0x01020304);
    EXPECT_EQ(stream.ReadInt64BigEndian(), -2);
    EXPECT_EQ(stream.ReadFloatBigEndian(), 1.0f);
    EXPECT_EQ(stream.ReadDoubleBigEndian(), -2.0);
    EXPECT_EQ(stream.GetNumBytesRemaining(), 3);
    EXPECT_EQ(stream.ReadIntBigEndian(), 0); // 3 bytes left: consumed, value 0
    EXPECT_TRUE(stream.IsExhausted());
    EXPECT_EQ(stream.ReadByte(), 0);

    struct ShortRead
    {
        unsigned long available;
        double (*read)(MemoryInputStream&);
    };
    ShortRead const shortReads[] = {
        {7, [](MemoryInputStream& s) { return static_cast<double>(s.ReadInt64BigEndian()); }},
        {3, [](MemoryInputStream& s) { return static_cast<double>(s.ReadFloatBigEndian()); }},
        {7, [](MemoryInputStream& s) { return s.ReadDoubleBigEndian(); }},
    };
    for (ShortRead const& r : shortReads)
    {
        MemoryInputStream shortStream(bytes.data(), r.available);
        EXPECT_EQ(r.read(shortStream), 0.0);
        EXPECT_TRUE(shortStream.IsExhausted());
    }
}

TEST(MemoryInputStream, ClampsPositionsAndReadsNothingForCountsBelowOne)
{
    char const bytes[] = "abcdef";
    MemoryInputStream stream(bytes, 6);
    char out[8] = {};
    EXPECT_EQ(stream.Read(out, 0), 0);
    EXPECT_EQ(stream.Read(out, -3), 0);
    EXPECT_TRUE(stream.SetPosition(-5));
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_TRUE(stream.SetPosition(16));
    EXPECT_EQ(stream.GetPosition(), 6);
    EXPECT_TRUE(stream.SetPosition(4));
    EXPECT_EQ(stream.Read(out, 8), 2);
    EXPECT_EQ(std::string(out, 2), "ef");
    EXPECT_EQ(stream.Read(out, 8), 0);

    MemoryInputStream empty(nullptr, 10); // no bytes: nothing to read, whatever the size says
    EXPECT_TRUE(empty.IsExhausted());
    EXPECT_EQ(empty.Read(out, 4), 0);
}

TEST(InputStream, ReadStringStopsAtTheNulOrTheEnd)
{
    struct Case
    {
        std::string bytes;
        std::string text;
        long long position;
    };
    std::vector<Case> const cases = {
        {std::string("ab\0c", 4), "ab", 3},
        {std::string("\0", 1), "", 1},
        {"abc", "abc", 3},
        {"", "", 0},
        {std::string(1000, 'x') + std::string("\0y", 2), std::string(1000, 'x'), 1001},
    };
    for (Case const& c : cases)
    {
        MemoryInputStream stream(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(stream.ReadString().GetStdString(), c.text);
        EXPECT_EQ(stream.GetPosition(), c.position);
    }
}

// A stream of unknown length that hands its bytes out a few at a time.
class TrickleStream : public qev::InputStream
{
public:
    explicit TrickleStream(std::string b) : bytes(std::move(b)) {}
    long long GetTotalLength() const override { return -1; }
    bool IsExhausted() const override { return position >= bytes.size(); }
    long long Read(void* destination, long long count) override
    {
        long long n = std::min<long long>({count, 3, static_cast<long long>(bytes.size() - position)});
        if (n < 1)
            return 0;
        std::memcpy(destination, bytes.data() + position, static_cast<std::size_t>(n));
        position += static_cast<std::size_t>(n);
        return n;
    }
    long long GetPosition() const override { return static_cast<long long>(position); }
    bool SetPosition(long long) override { return false; }

private:
    std::string bytes;
    std::size_t position = 0;
};

TEST(InputStream, ReadIntoMemoryBlockHoldsExactlyTheBytesRead)
{
    struct Case
    {
        long long start;
        long long maxBytes;
        long long result;
        std::string content;
    };
    std::string const bytes = "0123456789";
    std::vector<Case> const cases = {
        {0, -1, 10, "0123456789"}, // negative: everything left
        {2, -1, 8, "23456789"},
        {0, 4, 4, "0123"},
        {6, 100, 4, "6789"},
        {10, 5, 0, ""}, // at the end the block is emptied, not left at 5 unread bytes
    };
    for (Case const& c : cases)
    {
        MemoryInputStream stream(bytes.data(), bytes.size());
        stream.SetPosition(c.start);
        MemoryBlock block("stale bytes", 11);
        EXPECT_EQ(stream.ReadIntoMemoryBlock(block, c.maxBytes), c.result);
        EXPECT_EQ(std::string(block.GetData(), block.GetSize()), c.content) << c.start << " " << c.maxBytes;
    }

    MemoryInputStream stream(bytes.data(), bytes.size());
    MemoryBlock untouched("keep", 4);
    EXPECT_EQ(stream.ReadIntoMemoryBlock(untouched, 0), 0);
    EXPECT_EQ(untouched.GetSize(), 4u);

    TrickleStream trickle("abcdefghij");
    EXPECT_EQ(trickle.GetNumBytesRemaining(), -1);
    MemoryBlock block;
    EXPECT_EQ(trickle.ReadIntoMemoryBlock(block, 8), 8);
    EXPECT_EQ(std::string(block.GetData(), block.GetSize()), "abcdefgh");
    EXPECT_EQ(trickle.ReadIntoMemoryBlock(block, 8), 2);
    EXPECT_EQ(std::string(block.GetData(), block.GetSize()), "ij");
}

} // namespace
