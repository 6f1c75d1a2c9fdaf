#pragma once

// The library's growable array. Growth failures never escape as bare standard exceptions: they
// are rethrown as qev::Exception naming "QevVectorImplementation", logged when built.
//
// This header deliberately includes no other library header: qev::String and qev::Exception
// use vectors themselves, so the failure translation lives out of line (QevVectorImplementation).

#include <cstddef>
#include <utility>
#include <vector>

namespace qev
{

namespace VectorImplementation
{
// Each must be called from inside a catch handler; it rethrows the exception being handled
// as the library's own exception.
[[noreturn]] void RethrowPushBackFailure();
[[noreturn]] void RethrowInsertFailure();
// An index beyond the storage: thrown before anything is read or written.
[[noreturn]] void ThrowIndexOutOfRange();
} // namespace VectorImplementation

template <typename T> class Vector
{
public:
    using ValueType = T;

    Vector() = default;
    // The copy's capacity equals its size.
    Vector(Vector const& other) : items(other.items) {}
    Vector(Vector&& other) noexcept = default;
    Vector& operator=(Vector const& other) = default;
    Vector& operator=(Vector&& other) noexcept = default;
    virtual ~Vector() = default;

    unsigned long GetSize() const noexcept { return items.size(); }
    bool IsEmpty() const noexcept { return items.empty(); }
    unsigned long GetCapacity() const noexcept { return items.capacity(); }

    // Unchecked, as for a plain array.
    T& operator[](unsigned long index) noexcept { return items[index]; }
    T const& operator[](unsigned long index) const noexcept { return items[index]; }

    T* GetData() noexcept { return items.data(); }
    T const* GetData() const noexcept { return items.data(); }
    T* begin() noexcept { return items.data(); }
    T* end() noexcept { return items.data() + items.size(); }
    T const* begin() const noexcept { return items.data(); }
    T const* end() const noexcept { return items.data() + items.size(); }

    // The bare standard array inside, for qev::Allocations.
    std::vector<T>& GetStdVector() noexcept { return items; }
    std::vector<T> const& GetStdVector() const noexcept { return items; }

    void PushBack(T const& value)
    {
        if (items.size() < items.capacity())
        {
            items.push_back(value);
            return;
        }
        growAndPushBack(value);
    }

    // Inserts before index; index == size appends.
    void Insert(unsigned long index, T const& value)
    {
        if (index > items.size())
            VectorImplementation::ThrowIndexOutOfRange();
        try
        {
            items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), value);
        }
        catch (...)
        {
            VectorImplementation::RethrowInsertFailure();
        }
    }

    // Removes one slot, moving the later ones down; the capacity stays.
    void Remove(unsigned long index)
    {
        if (index >= items.size())
            VectorImplementation::ThrowIndexOutOfRange();
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
    }

    // Destroys the elements from the last to the first; the capacity stays.
    void Clear() noexcept
    {
        while (!items.empty())
            items.pop_back();
    }

    // Index of the first element equal to value, -1 when none.
    long IndexOf(T const& value) const
    {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == value)
                return static_cast<long>(i);
        return -1;
    }

    bool Contains(T const& value) const { return IndexOf(value) >= 0; }

    // Pointer elements only: deletes every object pointed to and nulls its slot; the size stays.
    void DeleteAllElements() noexcept
    {
        for (auto& element : items)
        {
            auto* object = element;
            element = nullptr;
            delete object;
        }
    }

private:
    // Kept out of the inlined fast path: only growth needs the guard.
    __attribute__((noinline)) void growAndPushBack(T const& value)
    {
        try
        {
            items.push_back(value);
        }
        catch (...)
        {
            VectorImplementation::RethrowPushBackFailure();
        }
    }

    std::vector<T> items;
};

} // namespace qev
