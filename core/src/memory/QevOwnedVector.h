#pragma once

#include "memory/QevVector.h"

namespace qev
{

// A vector of pointers that owns the objects they point to. Null slots are allowed and skipped.
// Not copyable: two owners would delete the same objects.
template <typename T> class OwnedVector : public Vector<T*>
{
public:
    OwnedVector() = default;
    OwnedVector(OwnedVector const&) = delete;
    OwnedVector& operator=(OwnedVector const&) = delete;
    OwnedVector(OwnedVector&& other) noexcept = default;
    OwnedVector& operator=(OwnedVector&& other) noexcept
    {
        if (this != &other)
        {
            deleteAll();
            Vector<T*>::operator=(std::move(other));
        }
        return *this;
    }

    ~OwnedVector() override { deleteAll(); }

    // Deletes the object at index (if any), then removes its slot.
    void DeleteAndRemove(unsigned long index)
    {
        if (index >= this->GetSize())
            VectorImplementation::ThrowIndexOutOfRange();
        T* object = (*this)[index];
        (*this)[index] = nullptr;
        delete object;
        this->Remove(index);
    }

    // Deletes every object, then empties the vector; the capacity stays.
    void Clear() noexcept
    {
        deleteAll();
        Vector<T*>::Clear();
    }

private:
    void deleteAll() noexcept
    {
        for (unsigned long i = 0; i < this->GetSize(); ++i)
        {
            T* object = (*this)[i];
            (*this)[i] = nullptr;
            delete object;
        }
    }
};

} // namespace qev
