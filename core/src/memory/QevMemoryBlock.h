#pragma once

#include "memory/QevHeapBlock.h"

namespace qev
{

// An owned byte buffer. The empty block holds a null pointer and size 0. When memory runs out
// the operations throw qev::Exception "out of memory" and leave the block as it was.
class MemoryBlock
{
public:
    MemoryBlock() noexcept = default;
    // A copy of size bytes from source.
    MemoryBlock(void const* source, unsigned long size);
    MemoryBlock(MemoryBlock const& other);
    MemoryBlock(MemoryBlock&& other) noexcept;
    MemoryBlock& operator=(MemoryBlock const& other);
    MemoryBlock& operator=(MemoryBlock&& other) noexcept;
    ~MemoryBlock();

    // Keeps the old bytes; with clear set a grown tail is zero-filled. Size 0 frees the data.
    void SetSize(unsigned long newSize, bool clear);

    char* GetData() noexcept { return data.Get(); }
    char const* GetData() const noexcept { return data.Get(); }
    unsigned long GetSize() const noexcept { return size; }
    bool IsEmpty() const noexcept { return size == 0; }

    bool operator==(MemoryBlock const& other) const noexcept;
    bool operator!=(MemoryBlock const& other) const noexcept { return !(*this == other); }

private:
    HeapBlock<char> data;
    unsigned long size = 0;
};

} // namespace qev
