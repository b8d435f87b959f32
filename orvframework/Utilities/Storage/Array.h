// The array of structured values: a standard vector behind the collection interfaces, with
// range-checked element access.
#pragma once

#include "Utilities/Storage/Iterable.h"

#include <stdexcept>
#include <type_traits>
#include <vector>

namespace Orv
{
template <class T>
class Array : public IArray<T>
{
    static_assert(!std::is_same_v<T, bool>, "flags go into ArrayBuffer<bool,...>");

public:
    using Position = typename IIterable<T>::Position;
    using IArray<T>::GetData;
    using IIterable<T>::GetItemAtPosition;

    Array() = default;
    Array(const Array&) = default;
    Array& operator=(const Array&) = default;
    virtual ~Array() = default;

    unsigned int GetCount() const override { return static_cast<unsigned int>(mItems.size()); }
    T& GetItemAtPosition(Position position) override { return *position; }
    // Throws std::out_of_range ("invalid vector<T> subscript") for index >= count.
    T& GetElementPointer(unsigned int index) override
    {
        CheckIndex(index);
        return mItems[index];
    }
    const T& GetConstElementPointer(unsigned int index) const override
    {
        CheckIndex(index);
        return mItems[index];
    }
    Position Advance(Position position, int steps) const override
    {
        return ContiguousPositions::Advance(Data(), GetCount(), position, steps);
    }
    Position GetFirstPosition() const override { return mItems.empty() ? nullptr : Data(); }
    Position GetEndPosition() const override
    {
        return mItems.empty() ? nullptr : ContiguousPositions::At(Data(), GetCount());
    }
    Position GetLastPosition() const override
    {
        return mItems.empty() ? nullptr : ContiguousPositions::At(Data(), GetCount() - 1);
    }
    Position GetBeforeFirstPosition() const override
    {
        return mItems.empty() ? nullptr : ContiguousPositions::At(Data(), -1);
    }

    // Returns the index; E_INVALIDARG (nothing changed) for index > count.
    ORVRESULT InsertItem(unsigned int index, const T& item) override
    {
        if (index > GetCount())
        {
            return E_INVALIDARG;
        }
        if (GetCount() >= IIterable<T>::kMaxCount)
        {
            return E_FAIL;
        }
        mItems.insert(mItems.begin() + index, item);
        return static_cast<ORVRESULT>(index);
    }
    // Throws like GetElementPointer for index >= count.
    ORVRESULT RemoveItem(unsigned int index, T& item) override
    {
        item = GetElementPointer(index);
        return RemoveItems(index, 1);
    }
    // Resizes (new elements default-constructed); returns the count, E_INVALIDARG for a count
    // above GetMaxCount.
    ORVRESULT SetCount(unsigned int count) override
    {
        if (count > IIterable<T>::kMaxCount)
        {
            return E_INVALIDARG;
        }
        mItems.resize(count);
        return static_cast<ORVRESULT>(GetCount());
    }
    ORVRESULT InsertItems(unsigned int index, unsigned int count) override
    {
        if (index > GetCount() || count > IIterable<T>::kMaxCount - GetCount())
        {
            return E_INVALIDARG;
        }
        mItems.insert(mItems.begin() + index, count, T());
        return static_cast<ORVRESULT>(GetCount());
    }
    // E_INVALIDARG for index >= count (even when nothing is to be removed) or a range past the
    // end; else returns the new count.
    ORVRESULT RemoveItems(unsigned int index, unsigned int count) override
    {
        if (index >= GetCount() || count > GetCount() - index)
        {
            return E_INVALIDARG;
        }
        mItems.erase(mItems.begin() + index, mItems.begin() + index + count);
        return static_cast<ORVRESULT>(GetCount());
    }
    // Null when empty.
    T* GetData() override { return mItems.empty() ? nullptr : mItems.data(); }

private:
    T* Data() const { return const_cast<T*>(mItems.data()); }

    void CheckIndex(unsigned int index) const
    {
        if (index >= mItems.size())
        {
            throw std::out_of_range("invalid vector<T> subscript");
        }
    }

    std::vector<T> mItems;
};
} // namespace Orv
