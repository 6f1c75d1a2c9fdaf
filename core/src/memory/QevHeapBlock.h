#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace qev
{

// One owned block from the system allocator; it knows no size. A failed allocation raises
// nothing: the functions answer false and the owner reports it. Not copyable.
template <typename T> class HeapBlock
{
public:
    HeapBlock() noexcept = default;
    HeapBlock(HeapBlock&& other) noexcept : data(std::exchange(other.data, nullptr)) {}
    HeapBlock& operator=(HeapBlock&& other) noexcept
    {
        if (this != &other)
        {
            Free();
            data = std::exchange(other.data, nullptr);
        }
        return *this;
    }
    HeapBlock(HeapBlock const&) = delete;
    HeapBlock& operator=(HeapBlock const&) = delete;
    ~HeapBlock() { Free(); }

    T* Get() const noexcept { return data; }
    T& operator[](unsigned long index) const noexcept { return data[index]; }
    bool IsNull() const noexcept { return data == nullptr; }

    void Free() noexcept
    {
        std::free(data);
        data = nullptr;
    }

    // Frees the current block, then takes size bytes, zero-filled when clear is set.
    // Size 0 leaves the block null and succeeds. On failure the block is null.
    bool Allocate(unsigned long size, bool clear) noexcept
    {
        Free();
        if (size == 0)
            return true;
        if (size > static_cast<unsigned long>(PTRDIFF_MAX))
            return false;
        data = static_cast<T*>(clear ? std::calloc(size, 1) : std::malloc(size));
        return data != nullptr;
    }

    // Frees the current block, then takes count x elementSize uninitialised bytes.
    bool Malloc(unsigned long count, unsigned long elementSize) noexcept
    {
        Free();
        unsigned long bytes = 0;
        if (!byteCount(count, elementSize, bytes))
            return false;
        if (bytes == 0)
            return true;
        data = static_cast<T*>(std::malloc(bytes));
        return data != nullptr;
    }

    // Resizes to count x elementSize bytes keeping the contents (a new block when there is
    // none). On failure the old block stays held and unchanged. Size 0 frees the block.
    bool Realloc(unsigned long count, unsigned long elementSize) noexcept
    {
        unsigned long bytes = 0;
        if (!byteCount(count, elementSize, bytes))
            return false;
        if (bytes == 0)
        {
            Free();
            return true;
        }
        void* resized = std::realloc(data, bytes);
        if (resized == nullptr)
            return false;
        data = static_cast<T*>(resized);
        return true;
    }

private:
    // No allocator can give more than half the address space; refusing such sizes up front
    // also covers a product that overflowed.
    static bool byteCount(unsigned long count, unsigned long elementSize, unsigned long& bytes) noexcept
    {
        return !__builtin_mul_overflow(count, elementSize, &bytes) &&
               bytes <= static_cast<unsigned long>(PTRDIFF_MAX);
    }

    T* data = nullptr;
};

} // namespace qev
