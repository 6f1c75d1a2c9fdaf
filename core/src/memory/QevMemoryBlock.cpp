#include "memory/QevMemoryBlock.h"

#include "common/QevException.h"

#include <cstring>
#include <utility>

namespace qev
{

namespace
{
[[noreturn]] void throwOutOfMemory(unsigned long line)
{
    throw Exception(String("out of memory"), SourceLineInfo("QevMemoryBlock", line), true, false);
}
} // namespace

MemoryBlock::MemoryBlock(void const* source, unsigned long size)
{
    if (size == 0)
        return;
    if (!data.Allocate(size, false))
        throwOutOfMemory(__LINE__);
    std::memcpy(data.Get(), source, size);
    this->size = size;
}

MemoryBlock::MemoryBlock(MemoryBlock const& other) : MemoryBlock(other.data.Get(), other.size) {}

MemoryBlock::MemoryBlock(MemoryBlock&& other) noexcept
    : data(std::move(other.data)), size(std::exchange(other.size, 0))
{
}

MemoryBlock& MemoryBlock::operator=(MemoryBlock const& other)
{
    if (&other == this)
        return *this;
    if (size != other.size)
    {
        if (other.size == 0)
            data.Free();
        else if (!data.IsNull())
        {
            if (!data.Realloc(other.size, 1))
                throwOutOfMemory(__LINE__);
        }
        else if (!data.Allocate(other.size, false))
            throwOutOfMemory(__LINE__);
        size = other.size;
    }
    if (size != 0)
        std::memcpy(data.Get(), other.data.Get(), size);
    return *this;
}

MemoryBlock& MemoryBlock::operator=(MemoryBlock&& other) noexcept
{
    if (&other != this)
    {
        data = std::move(other.data);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

MemoryBlock::~MemoryBlock() = default;

void MemoryBlock::SetSize(unsigned long newSize, bool clear)
{
    if (newSize == size)
        return;
    if (newSize == 0)
        data.Free();
    else if (!data.IsNull())
    {
        if (!data.Realloc(newSize, 1))
            throwOutOfMemory(__LINE__);
        if (clear && newSize > size)
            std::memset(data.Get() + size, 0, newSize - size);
    }
    else if (!data.Allocate(newSize, clear))
        throwOutOfMemory(__LINE__);
    size = newSize;
}

bool MemoryBlock::operator==(MemoryBlock const& other) const noexcept
{
    return size == other.size && (size == 0 || std::memcmp(data.Get(), other.data.Get(), size) == 0);
}

} // namespace qev
