#include "files/QevOutputStream.h"

#include "files/QevBigEndian.h"

#include <cstring>

namespace qev
{

bool OutputStream::WriteByte(char byte)
{
    return Write(&byte, 1);
}

bool OutputStream::WriteIntBigEndian(int value)
{
    char bytes[4];
    BigEndian::Store32(bytes, static_cast<std::uint32_t>(value));
    return Write(bytes, sizeof bytes);
}

bool OutputStream::WriteInt64BigEndian(long long value)
{
    char bytes[8];
    BigEndian::Store64(bytes, static_cast<std::uint64_t>(value));
    return Write(bytes, sizeof bytes);
}

bool OutputStream::WriteFloatBigEndian(float value)
{
    char bytes[4];
    BigEndian::Store32(bytes, BigEndian::FloatBits(value));
    return Write(bytes, sizeof bytes);
}

bool OutputStream::WriteDoubleBigEndian(double value)
{
    char bytes[8];
    BigEndian::Store64(bytes, BigEndian::DoubleBits(value));
    return Write(bytes, sizeof bytes);
}

bool OutputStream::WriteString(String const& text)
{
    // The text may hold a NUL of its own; the reader would stop there, so the writer does too.
    // The terminating NUL of the C string is written with it.
    char const* bytes = text.GetCString();
    return Write(bytes, std::strlen(bytes) + 1);
}

OutputStream& operator<<(OutputStream& stream, char byte)
{
    stream.WriteByte(byte);
    return stream;
}

OutputStream& operator<<(OutputStream& stream, char const* text)
{
    if (text != nullptr)
        stream.Write(text, std::strlen(text));
    return stream;
}

OutputStream& operator<<(OutputStream& stream, String const& text)
{
    stream.Write(text.GetCString(), text.GetLength());
    return stream;
}

} // namespace qev
