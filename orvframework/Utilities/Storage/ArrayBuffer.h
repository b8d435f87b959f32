// The array of plain values (numbers, flags, pool free lists): the elements live as bytes in a
// framework buffer, are copied bytewise, and new elements are zero.
//
// The buffer's grain and slack are the element grain and slack times the element size, so
// ArrayBuffer<unsigned int,1,1600> grows one element (4 bytes) at a time and keeps up to 1600
// spare elements before it shrinks. Align is the buffer's alignment argument. Flags (always 1)
// only tells instances apart: no sizing depends on it.
#pragma once

#include "Utilities/Storage/Buffer.h"
#include "Utilities/Storage/Iterable.h"

#include <cstring>
#include <limits>
#include <type_traits>

namespace Orv
{
// The typed GetData of the element interface hides the byte buffer's untyped one on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
template <class T, unsigned int Grain, unsigned int Slack, unsigned int Flags = 1,
          unsigned int Align = 8, IAllocator& (*GetAllocator)() = &GetSystemAllocator>
class ArrayBuffer : public IArray<T>,
                    public BufferT<Grain * sizeof(T), Slack * sizeof(T), Align, char*, GetAllocator>
{
    static_assert(std::is_trivially_copyable_v<T>, "ArrayBuffer holds plain values");

    using Storage = BufferT<Grain * sizeof(T), Slack * sizeof(T), Align, char*, GetAllocator>;

public:
    using Position = typename IIterable<T>::Position;
    using IArray<T>::GetData;
    using IIterable<T>::GetItemAtPosition;

    // count zero elements.
    explicit ArrayBuffer(unsigned int count = 0)
        : Storage(0, 0, false)
    {
        if (count != 0)
        {
            SetCount(count);
        }
    }
    ArrayBuffer(const ArrayBuffer&) = default;
    ArrayBuffer& operator=(const ArrayBuffer&) = default;

    unsigned int GetCount() const override
    {
        return static_cast<unsigned int>(Storage::GetSize() / sizeof(T));
    }
    T& GetItemAtPosition(Position position) override { return *position; }
    const T& GetConstElementPointer(unsigned int index) const override { return Items()[index]; }
    Position Advance(Position position, int steps) const override
    {
        return ContiguousPositions::Advance(Items(), GetCount(), position, steps);
    }
    Position GetFirstPosition() const override { return GetCount() == 0 ? nullptr : Items(); }
    Position GetEndPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Items(), GetCount());
    }
    Position GetLastPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Items(), GetCount() - 1);
    }
    Position GetBeforeFirstPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Items(), -1);
    }

    // Inserts a zero element through InsertItems and stores the item there; returns the new
    // count, E_INVALIDARG (nothing changed) for index > count.
    ORVRESULT InsertItem(unsigned int index, const T& item) override
    {
        if (index > GetCount())
        {
            return E_INVALIDARG;
        }
        const T copy = item;
        const ORVRESULT result = InsertItems(index, 1);
        if (result < 0)
        {
            return result;
        }
        Items()[index] = copy;
        return result;
    }
    // E_INVALIDARG (item untouched) for index >= count.
    ORVRESULT RemoveItem(unsigned int index, T& item) override
    {
        if (index >= GetCount())
        {
            return E_INVALIDARG;
        }
        item = Items()[index];
        return RemoveItems(index, 1);
    }
    // New elements are zero.
    ORVRESULT SetCount(unsigned int count) override
    {
        const unsigned int old = GetCount();
        const ORVRESULT result = SetBufferCount(count);
        if (result < 0 || count <= old)
        {
            return result;
        }
        std::memset(static_cast<void*>(Items() + old), 0, (count - old) * sizeof(T));
        return result;
    }
    ORVRESULT InsertItems(unsigned int index, unsigned int count) override
    {
        const unsigned int old = GetCount();
        if (count == 0)
        {
            return static_cast<ORVRESULT>(old);
        }
        if (index > old)
        {
            return E_INVALIDARG;
        }
        if (count > IIterable<T>::kMaxCount - old)
        {
            return E_INVALIDARG;
        }
        if (index == old)
        {
            return SetCount(old + count);
        }
        const ORVRESULT result = SetBufferCount(old + count);
        if (result < 0)
        {
            return result;
        }
        T* items = Items();
        std::memmove(static_cast<void*>(items + index + count), items + index,
                     (old - index) * sizeof(T));
        std::memset(static_cast<void*>(items + index), 0, count * sizeof(T));
        return static_cast<ORVRESULT>(old + count);
    }
    // Removing nothing returns the count whatever the index.
    ORVRESULT RemoveItems(unsigned int index, unsigned int count) override
    {
        const unsigned int old = GetCount();
        if (count == 0)
        {
            return static_cast<ORVRESULT>(old);
        }
        if (index > old || count > old - index)
        {
            return E_INVALIDARG;
        }
        T* items = Items();
        std::memmove(static_cast<void*>(items + index), items + index + count,
                     (old - index - count) * sizeof(T));
        return SetBufferCount(old - count);
    }
    // The buffer's data pointer.
    T* GetData() override { return Items(); }

    // Resizes the store to count elements keeping the contents, without zero-filling the new
    // ones; returns the new count. E_INVALIDARG for a count above GetMaxCount or one whose byte
    // size does not fit the buffer.
    virtual ORVRESULT SetBufferCount(unsigned int count)
    {
        if (count > IIterable<T>::kMaxCount ||
            count > std::numeric_limits<unsigned int>::max() / sizeof(T))
        {
            return E_INVALIDARG;
        }
        Storage::Resize(static_cast<unsigned int>(count * sizeof(T)));
        return static_cast<ORVRESULT>(count);
    }

private:
    T* Items() const { return reinterpret_cast<T*>(Storage::GetTypedData()); }
};
#pragma GCC diagnostic pop

// The byte array of captured MIDI data. Variant (4) only tells the type apart from a plain
// ArrayBuffer; sizing and behaviour are those of ArrayBuffer<T,Grain,Slack,Flags,Align>.
template <class T, unsigned int Variant, unsigned int Grain, unsigned int Slack,
          unsigned int Flags = 1, unsigned int Align = 8,
          IAllocator& (*GetAllocator)() = &GetSystemAllocator>
class ArrayBufferM : public ArrayBuffer<T, Grain, Slack, Flags, Align, GetAllocator>
{
public:
    using ArrayBuffer<T, Grain, Slack, Flags, Align, GetAllocator>::ArrayBuffer;
};
} // namespace Orv
