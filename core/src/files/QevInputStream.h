#pragma once

#include "text/QevString.h"

namespace qev
{

class MemoryBlock;

// A readable byte stream. Multi-byte numbers are big-endian; a short read consumes what was
// there and yields 0.
class InputStream
{
public:
    virtual ~InputStream() = default;

    // Negative when the length cannot be told.
    virtual long long GetTotalLength() const = 0;
    virtual bool IsExhausted() const = 0;
    // The number of bytes copied: 0 at the end or for count < 1.
    virtual long long Read(void* destination, long long count) = 0;
    virtual long long GetPosition() const = 0;
    virtual bool SetPosition(long long position) = 0;

    // Total length minus position; a negative total length is returned unchanged.
    long long GetNumBytesRemaining() const;

    // Reads up to maxBytes bytes (every remaining byte when maxBytes is negative) into the
    // block, which is then sized to exactly the bytes read. Returns that count; 0 without
    // touching the block when nothing is to be read.
    long long ReadIntoMemoryBlock(MemoryBlock& block, long long maxBytes);

    // The bytes up to the next NUL (consumed, not returned) or to the end of the stream.
    String ReadString();

    char ReadByte();
    int ReadIntBigEndian();
    long long ReadInt64BigEndian();
    float ReadFloatBigEndian();
    double ReadDoubleBigEndian();

protected:
    InputStream() = default;
    InputStream(InputStream const&) = default;
    InputStream& operator=(InputStream const&) = default;
};

} // namespace qev
