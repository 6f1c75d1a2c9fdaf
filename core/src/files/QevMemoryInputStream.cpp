#include "files/QevMemoryInputStream.h"

#include <cstring>

namespace qev
{

MemoryInputStream::MemoryInputStream(void const* sourceData, unsigned long sourceSize) noexcept
    : data(static_cast<char const*>(sourceData)), size(sourceData != nullptr ? sourceSize : 0)
{
}

long long MemoryInputStream::Read(void* destination, long long count)
{
    if (count < 1 || position >= size)
        return 0;
    unsigned long const n = static_cast<unsigned long long>(count) < size - position
                                ? static_cast<unsigned long>(count)
                                : size - position;
    std::memcpy(destination, data + position, n);
    position += n;
    return static_cast<long long>(n);
}

bool MemoryInputStream::SetPosition(long long newPosition)
{
    if (newPosition < 0)
        position = 0;
    else if (static_cast<unsigned long long>(newPosition) > size)
        position = size;
    else
        position = static_cast<unsigned long>(newPosition);
    return true;
}

} // namespace qev
