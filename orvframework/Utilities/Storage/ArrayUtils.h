// Helpers over the collection interfaces.
#pragma once

#include "Utilities/Storage/Iterable.h"

#include <algorithm>

namespace Orv
{
class ArrayUtils
{
public:
    // Sorts count items of array from first on in place with compare (a strict weak order of
    // two items), not stably. A count below 2 does nothing; a range that leaves the array
    // throws "Out of Range".
    template <class T, class Compare>
    static void Sort(IArray<T>& array, unsigned int first, unsigned int count, Compare compare)
    {
        if (count < 2)
        {
            return;
        }
        if (static_cast<unsigned long long>(first) + count > array.GetCount())
        {
            ORV_THROW(std::out_of_range);
        }
        T* data = array.GetData();
        std::sort(data + first, data + first + count,
                  [&compare](const T& a, const T& b) { return compare(a, b); });
    }

    // Fills indices with first, first + 1, ..., first + count - 1 and sorts them (unstable)
    // with compare, which receives two indices of items. Throws "Out of Range" when the range
    // leaves items.
    template <class Items, class Compare>
    static void SortIndecies(IArray<unsigned int>& indices, const Items& items, unsigned int first,
                             unsigned int count, Compare compare)
    {
        if (static_cast<unsigned long long>(first) + count > items.GetCount())
        {
            ORV_THROW(std::out_of_range);
        }
        if (indices.SetCount(count) != static_cast<ORVRESULT>(count))
        {
            ORV_THROW(std::runtime_error, "the index array cannot hold the count");
        }
        unsigned int* data = indices.GetData();
        for (unsigned int k = 0; k < count; ++k)
        {
            data[k] = first + k;
        }
        if (count >= 2)
        {
            std::sort(data, data + count,
                      [&compare](unsigned int a, unsigned int b) { return compare(a, b); });
        }
    }
};
} // namespace Orv
