#pragma once

#include <utility>

namespace qev
{

// One owning pointer. Not copyable; moving hands the object over.
template <typename T> class ScopedPointer
{
public:
    ScopedPointer() noexcept = default;
    explicit ScopedPointer(T* owned) noexcept : object(owned) {}
    ScopedPointer(ScopedPointer&& other) noexcept : object(other.Release()) {}
    ScopedPointer(ScopedPointer const&) = delete;
    ScopedPointer& operator=(ScopedPointer const&) = delete;

    ~ScopedPointer()
    {
        T* old = object;
        object = nullptr;
        delete old;
    }

    // Stores the new pointer, then deletes the object held before. Assigning the pointer already
    // held changes nothing.
    ScopedPointer& operator=(T* newObject)
    {
        if (newObject != object)
        {
            T* old = object;
            object = newObject;
            delete old;
        }
        return *this;
    }

    ScopedPointer& operator=(ScopedPointer&& other) noexcept
    {
        if (this != &other)
            *this = other.Release();
        return *this;
    }

    // Gives the object up without deleting it.
    T* Release() noexcept { return std::exchange(object, nullptr); }

    T* Get() const noexcept { return object; }
    T* operator->() const noexcept { return object; }
    T& operator*() const noexcept { return *object; }
    explicit operator bool() const noexcept { return object != nullptr; }

private:
    T* object = nullptr;
};

} // namespace qev
