// An array of reference-counted pointers with read-only element access.
//
// The elements live in a framework buffer of pointers, each a smart pointer that owns one
// counted reference (null allowed). An element is one pointer wide and is moved bytewise when
// the store grows or the tail shifts. Elements that leave the array are released only after the
// array is consistent again, so a destructor that runs on that release may use the array.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Storage/Buffer.h"
#include "Utilities/Storage/Iterable.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <typeinfo>
#include <utility>

namespace Orv
{
// The typed GetData of the element interface hides the byte buffer's untyped one on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
template <class T, unsigned int Grain = 1, unsigned int Slack = 0>
class ConstRCPtrArray
    : public IArray<ConstRCPtr<T>>,
      protected BufferT<Grain * sizeof(void*), Slack * sizeof(void*), 8, char*, &GetSystemAllocator>
{
protected:
    using Storage =
        BufferT<Grain * sizeof(void*), Slack * sizeof(void*), 8, char*, &GetSystemAllocator>;
    // Every slot holds a writable smart pointer; the read-only interface sees its base part.
    using Slot = RCPtr<T>;
    static_assert(sizeof(Slot) == sizeof(void*) && sizeof(ConstRCPtr<T>) == sizeof(void*),
                  "an element is one pointer");

public:
    using Element = ConstRCPtr<T>;
    using Position = Element*;
    using IArray<Element>::GetData;
    using IIterable<Element>::GetItemAtPosition;

    // count null elements, with room for capacity elements.
    explicit ConstRCPtrArray(unsigned int count = 0, unsigned int capacity = 0)
        : Storage(0, static_cast<unsigned int>(std::min<unsigned long long>(
                         static_cast<unsigned long long>(capacity) * sizeof(void*),
                         std::numeric_limits<unsigned int>::max())))
    {
        if (count != 0)
        {
            ORV_REQUIRE_SUCCESS(Grow(count));
        }
    }
    ConstRCPtrArray(const ConstRCPtrArray&) = delete;
    ConstRCPtrArray& operator=(const ConstRCPtrArray&) = delete;
    // Releases every element.
    virtual ~ConstRCPtrArray() { ShrinkTo(0); }

    unsigned int GetCount() const override
    {
        return static_cast<unsigned int>(Storage::GetSize() / sizeof(void*));
    }
    Element& GetItemAtPosition(Position position) override { return *position; }
    // Unchecked.
    Element& GetElementPointer(unsigned int index) override { return Slots()[index]; }
    const Element& GetConstElementPointer(unsigned int index) const override
    {
        return Slots()[index];
    }
    // Exchanges the two pointers; every object keeps its count.
    ORVRESULT Swap(unsigned int i, unsigned int j) override
    {
        if (i >= GetCount() || j >= GetCount())
        {
            return E_INVALIDARG;
        }
        std::swap(Slots()[i], Slots()[j]);
        return S_OK;
    }
    Position Advance(Position position, int steps) const override
    {
        return ContiguousPositions::Advance(Elements(), GetCount(), position, steps);
    }
    Position GetFirstPosition() const override { return GetCount() == 0 ? nullptr : Elements(); }
    Position GetEndPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Elements(), GetCount());
    }
    Position GetLastPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Elements(), GetCount() - 1);
    }
    Position GetBeforeFirstPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(Elements(), -1);
    }

    // Stores a counted copy of item (null stays null) before the element at index; returns the
    // index, E_INVALIDARG for index > count.
    ORVRESULT InsertItem(unsigned int index, const Element& item) override
    {
        Element copy(item);
        const ORVRESULT result = InsertItems(index, 1);
        if (result < 0)
        {
            return result;
        }
        static_cast<Element&>(Slots()[index]) = std::move(copy);
        return static_cast<ORVRESULT>(index);
    }
    // Moves the element's reference into item (releasing what item held) and closes the gap;
    // returns the new count. Throws "Out of Range" for index >= count, changing nothing.
    ORVRESULT RemoveItem(unsigned int index, Element& item) override
    {
        return RemoveInto(index, item, "ConstRCPtrArray");
    }
    // Clears item; E_FAIL on an empty array, else moves the last element into item.
    ORVRESULT RemoveLastItem(Element& item) override { return RemoveLastInto(item); }
    // Shrinking releases the elements from count on; growing appends null elements. Returns the
    // new count, E_INVALIDARG for a count above GetMaxCount.
    ORVRESULT SetCount(unsigned int count) override
    {
        if (count > GetCount())
        {
            return Grow(count);
        }
        ShrinkTo(count);
        return static_cast<ORVRESULT>(GetCount());
    }
    // Makes room for count null elements at index; returns the new count, E_INVALIDARG for
    // index > count.
    ORVRESULT InsertItems(unsigned int index, unsigned int count) override
    {
        const unsigned int old = GetCount();
        if (index > old || count > IIterable<Element>::kMaxCount - old)
        {
            return E_INVALIDARG;
        }
        if (count == 0)
        {
            return static_cast<ORVRESULT>(old);
        }
        Storage::Resize((old + count) * static_cast<unsigned int>(sizeof(void*)));
        Slot* slots = Slots();
        std::memmove(static_cast<void*>(slots + index + count), static_cast<void*>(slots + index),
                     (old - index) * sizeof(Slot));
        for (unsigned int k = 0; k < count; ++k)
        {
            new (slots + index + k) Slot();
        }
        return static_cast<ORVRESULT>(old + count);
    }
    // Removes count elements from index on; returns the new count. Removing nothing returns the
    // count whatever the index; a range past the end throws "Out of Range", changing nothing.
    ORVRESULT RemoveItems(unsigned int index, unsigned int count) override
    {
        return RemoveRange(index, count, "ConstRCPtrArray");
    }
    Element* GetData() override { return Elements(); }

    // The position of the first element that holds object, searching from the first; -1 when
    // none does.
    int Find(const T* object) const
    {
        const Slot* slots = Slots();
        const unsigned int count = GetCount();
        for (unsigned int i = 0; i < count; ++i)
        {
            if (slots[i].Get() == object)
            {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

protected:
    static constexpr unsigned int kReleaseChunk = 16;

    Slot* Slots() const { return reinterpret_cast<Slot*>(Storage::GetTypedData()); }
    // The slots seen as their read-only base part (same address, same size).
    Element* Elements() const { return reinterpret_cast<Element*>(Storage::GetTypedData()); }

    ORVRESULT Grow(unsigned int count)
    {
        const unsigned int old = GetCount();
        if (count > IIterable<Element>::kMaxCount)
        {
            return E_INVALIDARG;
        }
        Storage::Resize(count * static_cast<unsigned int>(sizeof(void*)));
        Slot* slots = Slots();
        for (unsigned int k = old; k < count; ++k)
        {
            new (slots + k) Slot();
        }
        return static_cast<ORVRESULT>(count);
    }

    // Shrinks to count elements, releasing the removed ones chunk by chunk after each resize.
    void ShrinkTo(unsigned int count)
    {
        while (GetCount() > count)
        {
            const unsigned int old = GetCount();
            const unsigned int take = std::min(old - count, kReleaseChunk);
            Slot held[kReleaseChunk];
            Slot* slots = Slots();
            for (unsigned int k = 0; k < take; ++k)
            {
                held[k] = std::move(slots[old - take + k]);
            }
            // The emptied slots are null; dropping them needs no release.
            Storage::Resize((old - take) * static_cast<unsigned int>(sizeof(void*)));
        }
    }

    [[noreturn]] void ThrowOutOfRange(const char* arrayName, const char* operation) const
    {
        const std::string function = std::string("Orv::") + arrayName + "<class " +
                                     GetReadableTypeName(typeid(T)) + "," + std::to_string(Grain) +
                                     "," + std::to_string(Slack) + ">::" + operation;
        ORV_THROW_FOR(std::out_of_range, function);
    }

    // Takes the element at index out of the array (the store is consistent on return).
    Slot TakeOut(unsigned int index)
    {
        const unsigned int old = GetCount();
        Slot* slots = Slots();
        Slot taken = std::move(slots[index]);
        std::memmove(static_cast<void*>(slots + index), static_cast<void*>(slots + index + 1),
                     (old - index - 1) * sizeof(Slot));
        new (slots + old - 1) Slot();
        Storage::Resize((old - 1) * static_cast<unsigned int>(sizeof(void*)));
        return taken;
    }

    ORVRESULT RemoveInto(unsigned int index, Element& item, const char* arrayName)
    {
        if (index >= GetCount())
        {
            ThrowOutOfRange(arrayName, "RemoveItem");
        }
        Slot taken = TakeOut(index);
        item = std::move(static_cast<Element&>(taken));
        return static_cast<ORVRESULT>(GetCount());
    }

    ORVRESULT RemoveLastInto(Element& item)
    {
        item = nullptr;
        if (GetCount() == 0)
        {
            return E_FAIL;
        }
        Slot taken = TakeOut(GetCount() - 1);
        item = std::move(static_cast<Element&>(taken));
        return static_cast<ORVRESULT>(GetCount());
    }

    ORVRESULT RemoveRange(unsigned int index, unsigned int count, const char* arrayName)
    {
        if (count == 0)
        {
            return static_cast<ORVRESULT>(GetCount());
        }
        if (index >= GetCount() || count > GetCount() - index)
        {
            ThrowOutOfRange(arrayName, "RemoveItem");
        }
        unsigned int remaining = count;
        // A release may change the array; stop when the range is no longer there.
        while (remaining != 0 && index < GetCount())
        {
            const unsigned int old = GetCount();
            const unsigned int take = std::min({remaining, kReleaseChunk, old - index});
            Slot held[kReleaseChunk];
            Slot* slots = Slots();
            for (unsigned int k = 0; k < take; ++k)
            {
                held[k] = std::move(slots[index + k]);
            }
            std::memmove(static_cast<void*>(slots + index),
                         static_cast<void*>(slots + index + take),
                         (old - index - take) * sizeof(Slot));
            for (unsigned int k = old - take; k < old; ++k)
            {
                new (slots + k) Slot();
            }
            Storage::Resize((old - take) * static_cast<unsigned int>(sizeof(void*)));
            remaining -= take;
        }
        return static_cast<ORVRESULT>(GetCount());
    }
};
#pragma GCC diagnostic pop
} // namespace Orv
