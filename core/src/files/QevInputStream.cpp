#include "files/QevInputStream.h"

#include "files/QevBigEndian.h"
#include "memory/QevMemoryBlock.h"

#include <string>

namespace qev
{

long long InputStream::GetNumBytesRemaining() const
{
    long long const total = GetTotalLength();
    return total < 0 ? total : total - GetPosition();
}

long long InputStream::ReadIntoMemoryBlock(MemoryBlock& block, long long maxBytes)
{
    long long const remaining = GetNumBytesRemaining();
    long long n;
    if (remaining > 0 && (maxBytes < 0 || remaining < maxBytes))
        n = remaining;
    else if (maxBytes < 1)
        return 0;
    else
        n = maxBytes;

    block.SetSize(static_cast<unsigned long>(n), false);

    // A stream may hand its bytes over in pieces; keep asking until it has none left, and
    // never leave bytes in the block that were not read.
    char* const destination = static_cast<char*>(block.GetData());
    long long total = 0;
    while (total < n)
    {
        long long const got = Read(destination + total, n - total);
        if (got <= 0)
            break;
        total += got;
    }
    if (total < n)
        block.SetSize(static_cast<unsigned long>(total), false);
    return total;
}

String InputStream::ReadString()
{
    std::string text;
    char buffer[256];
    unsigned long used = 0;
    for (;;)
    {
        char byte = 0;
        if (Read(&byte, 1) != 1 || byte == 0)
            break;
        if (used == sizeof buffer)
        {
            text.append(buffer, used);
            used = 0;
        }
        buffer[used++] = byte;
    }
    text.append(buffer, used);
    return String(std::move(text));
}

char InputStream::ReadByte()
{
    char byte = 0;
    return Read(&byte, 1) == 1 ? byte : 0;
}

int InputStream::ReadIntBigEndian()
{
    char bytes[4];
    return Read(bytes, sizeof bytes) == sizeof bytes ? static_cast<int>(BigEndian::Load32(bytes)) : 0;
}

long long InputStream::ReadInt64BigEndian()
{
    char bytes[8];
    return Read(bytes, sizeof bytes) == sizeof bytes ? static_cast<long long>(BigEndian::Load64(bytes)) : 0;
}

float InputStream::ReadFloatBigEndian()
{
    char bytes[4];
    return Read(bytes, sizeof bytes) == sizeof bytes ? BigEndian::FloatFromBits(BigEndian::Load32(bytes))
                                                     : 0.0f;
}

double InputStream::ReadDoubleBigEndian()
{
    char bytes[8];
    return Read(bytes, sizeof bytes) == sizeof bytes ? BigEndian::DoubleFromBits(BigEndian::Load64(bytes))
                                                     : 0.0;
}

} // namespace qev
