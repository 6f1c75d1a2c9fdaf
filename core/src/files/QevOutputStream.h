#pragma once

#include "text/QevString.h"

namespace qev
{

// A writable byte stream. Multi-byte numbers are written big-endian, one Write per number.
class OutputStream
{
public:
    virtual ~OutputStream() = default;

    virtual bool SetPosition(long long position) = 0;
    virtual long long GetPosition() = 0;
    virtual bool Write(void const* data, unsigned long count) = 0;
    virtual bool WriteRepeatedByte(unsigned char byte, unsigned long count) = 0;
    virtual void Flush() = 0;

    bool WriteByte(char byte);
    bool WriteIntBigEndian(int value);
    bool WriteInt64BigEndian(long long value);
    bool WriteFloatBigEndian(float value);
    bool WriteDoubleBigEndian(double value);
    // The text up to its first NUL, then one NUL.
    bool WriteString(String const& text);

protected:
    OutputStream() = default;
    OutputStream(OutputStream const&) = default;
    OutputStream& operator=(OutputStream const&) = default;
};

OutputStream& operator<<(OutputStream& stream, char byte);
// The bytes up to the NUL, without it.
OutputStream& operator<<(OutputStream& stream, char const* text);
// Every byte of the text, without a NUL.
OutputStream& operator<<(OutputStream& stream, String const& text);

} // namespace qev
