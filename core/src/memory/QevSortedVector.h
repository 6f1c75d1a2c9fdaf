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
        Place const place = find(value);
        if (place.found)
            return -1;
        Vector<T>::Insert(static_cast<unsigned long>(place.index), value);
        return place.index;
    }

    // Index of value, -1 when absent.
    long IndexOf(T const& value) const
    {
        Place const place = find(value);
        return place.found ? place.index : -1;
    }

    bool Contains(T const& value) const { return IndexOf(value) >= 0; }

private:
    // One search serves lookups and inserts alike: where value is, or else where it keeps the order
    // (the first greater element, or the size).
    struct Place
    {
        long index;
        bool found;
    };

    Place find(T const& value) const
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
                return {mid, true};
        }
        return {low, false};
    }
};

} // namespace qev
