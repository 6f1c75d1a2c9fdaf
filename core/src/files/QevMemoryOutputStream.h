#pragma once

#include "files/QevOutputStream.h"
#include "memory/QevHeapBlock.h"

namespace qev
{

// An owned, growing buffer. It grows to the need plus half of it (at most 1 MiB more) plus 32
// bytes, rounded down to 32, so that many small writes rarely reallocate. A failed allocation
// throws "out of memory" and leaves the stream as it was.
class MemoryOutputStream final : public OutputStream
{
public:
    // initialSize uninitialised bytes are taken up front; 0 takes nothing.
    explicit MemoryOutputStream(unsigned long initialSize);

    // Within the written bytes only; a negative position moves to the end.
    bool SetPosition(long long newPosition) override;
    long long GetPosition() override { return static_cast<long long>(position); }
    bool Write(void const* source, unsigned long count) override;
    bool WriteRepeatedByte(unsigned char byte, unsigned long count) override;
    void Flush() override {}

    // The written bytes, followed by a NUL (not counted) when the buffer has room for it.
    // Null when nothing was ever allocated. Valid until the next write.
    char const* GetData() const noexcept;
    unsigned long GetDataSize() const noexcept { return size; }
    unsigned long GetAllocatedSize() const noexcept { return allocatedSize; }
    // Exactly the written bytes as a text.
    String ConvertToUTF8() const;

    // Makes room for count bytes at the position, moves the position (and the size when it
    // grows) past them, and returns where they go. The caller fills every one of them.
    char* PrepareToWrite(unsigned long count)
    {
        if (count < allocatedSize - position) // position never exceeds allocatedSize
        {
            char* const destination = data.Get() + position;
            advance(count);
            return destination;
        }
        return prepareToWriteGrowing(count);
    }

    // Writable access to bytes already written, for patching them in place.
    char* GetWrittenData(unsigned long offset) noexcept { return data.Get() + offset; }

private:
    void advance(unsigned long count) noexcept
    {
        position += count;
        if (position > size)
            size = position;
    }
    char* prepareToWriteGrowing(unsigned long count);

    HeapBlock<char> data;
    unsigned long allocatedSize = 0;
    unsigned long position = 0;
    unsigned long size = 0;
};

} // namespace qev
