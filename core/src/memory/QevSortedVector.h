#pragma once

#include "memory/QevVector.h"

namespace qev
{

// A vector whose elements stay strictly increasing: no value is held twice. Elements must only
// be added through Insert.
template <typename T> class SortedVector : public Vector<T>
{
public:
    // Inserts value before the first greater element and returns its index, or returns -1 and
    // changes nothing when the value is already present.
    long Insert(T const& value)
    {
        long low = 0;
        long high = static_cast<long>(this->GetSize()) - 1;
        while (low <= high)
        {
            long const mid = low + (high - low) / 2;
            T const& element = (*this)[static_cast<unsigned long>(mid)];
            if (value < element)
                high = mid - 1;
            else if (element < value)
                low = mid + 1;
            else
                return -1;
        }
        // low is now the first index whose element is greater than value (or the size).
        Vector<T>::Insert(static_cast<unsigned long>(low), value);
        return low;
    }

    // Index of value, -1 when absent.
    long IndexOf(T const& value) const
    {
        long low = 0;
        long high = static_cast<long>(this->GetSize()) - 1;
        while (low <= high)
        {
            long const mid = low + (high - low) / 2;
            T const& element = (*this)[static_cast<unsigned long>(mid)];
            if (value < element)
                high = mid - 1;
            else if (element < value)
                low = mid + 1;
            else
                return mid;
        }
        return -1;
    }

    bool Contains(T const& value) const { return IndexOf(value) >= 0; }
};

} // namespace qev
