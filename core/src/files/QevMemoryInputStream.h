#pragma once

#include "files/QevInputStream.h"

namespace qev
{

// Reads the caller's bytes in place; they are never copied or freed and must outlive the stream.
class MemoryInputStream final : public InputStream
{
public:
    // Null data reads as an empty stream whatever the size.
    MemoryInputStream(void const* data, unsigned long size) noexcept;

    long long GetTotalLength() const override { return static_cast<long long>(size); }
    bool IsExhausted() const override { return position >= size; }
    long long Read(void* destination, long long count) override;
    long long GetPosition() const override { return static_cast<long long>(position); }
    // Clamps to [0, size]; always succeeds.
    bool SetPosition(long long newPosition) override;

    // Direct access for readers that scan the bytes in place.
    char const* GetData() const noexcept { return data; }
    unsigned long GetDataSize() const noexcept { return size; }
    unsigned long GetRemaining() const noexcept { return size - position; }
    char const* GetDataAtPosition() const noexcept { return data + position; }
    // Moves forward by count bytes; count must not exceed GetRemaining().
    void Skip(unsigned long count) noexcept { position += count; }

private:
    char const* data;
    unsigned long size;
    unsigned long position = 0;
};

} // namespace qev
