#include "files/QevMemoryOutputStream.h"

#include "common/QevException.h"

#include <cstdint>
#include <cstring>

namespace qev
{

namespace
{
[[noreturn]] void throwOutOfMemory(unsigned long line)
{
    throw Exception(String("out of memory"), SourceLineInfo("QevMemoryOutputStream", line), true, false);
}
} // namespace

MemoryOutputStream::MemoryOutputStream(unsigned long initialSize)
{
    if (initialSize != 0)
    {
        if (!data.Malloc(initialSize, 1))
            throwOutOfMemory(__LINE__);
        allocatedSize = initialSize;
    }
}

char* MemoryOutputStream::prepareToWriteGrowing(unsigned long count)
{
    // Sizes are 64-bit and checked, so no need can wrap into a small buffer.
    unsigned long needed = 0;
    if (__builtin_add_overflow(position, count, &needed) ||
        needed > static_cast<unsigned long>(PTRDIFF_MAX / 2))
        throwOutOfMemory(__LINE__);

    if (needed >= allocatedSize)
    {
        unsigned long const extra = needed / 2 < 1048576ul ? needed / 2 : 1048576ul;
        unsigned long const newSize = (needed + extra + 32) & ~31ul;
        if (allocatedSize < newSize)
        {
            // A failed realloc keeps the old block, so nothing has changed when this throws.
            if (!data.Realloc(newSize, 1))
                throwOutOfMemory(__LINE__);
            allocatedSize = newSize;
        }
    }
    char* const destination = data.Get() + position;
    advance(count);
    return destination;
}

bool MemoryOutputStream::Write(void const* source, unsigned long count)
{
    if (count == 0)
        return true;
    char const* const bytes = static_cast<char const*>(source);
    char const* const oldBuffer = data.Get();
    if (oldBuffer != nullptr && bytes >= oldBuffer && bytes < oldBuffer + allocatedSize)
    {
        // Writing our own bytes: growing may move them, so find them again afterwards.
        unsigned long const offset = static_cast<unsigned long>(bytes - oldBuffer);
        char* const destination = PrepareToWrite(count);
        std::memmove(destination, data.Get() + offset, count);
        return true;
    }
    std::memcpy(PrepareToWrite(count), bytes, count);
    return true;
}

bool MemoryOutputStream::WriteRepeatedByte(unsigned char byte, unsigned long count)
{
    if (count == 0)
        return true;
    std::memset(PrepareToWrite(count), byte, count);
    return true;
}

bool MemoryOutputStream::SetPosition(long long newPosition)
{
    if (newPosition > static_cast<long long>(size))
        return false;
    unsigned long const p = static_cast<unsigned long>(newPosition);
    position = p < size ? p : size;
    return true;
}

char const* MemoryOutputStream::GetData() const noexcept
{
    if (allocatedSize > size)
        data[size] = 0;
    return data.Get();
}

String MemoryOutputStream::ConvertToUTF8() const
{
    char const* const bytes = GetData();
    return bytes != nullptr ? String(CharPointer_UTF8(bytes), size) : String();
}

} // namespace qev
