// An array of reference-counted pointers with writable element access: the read-only array
// and, on the same store, the collection interface over RCPtr<T>.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/ConstRCPtrArray.h"

namespace Orv
{
template <class T, unsigned int Grain = 1, unsigned int Slack = 0>
class RCPtrArray : public ConstRCPtrArray<T, Grain, Slack>, public IArray<RCPtr<T>>
{
    using Base = ConstRCPtrArray<T, Grain, Slack>;
    using Slot = typename Base::Slot;

public:
    using WritablePosition = RCPtr<T>*;
    using Base::Advance;
    using Base::GetItemAtPosition;
    using Base::InsertItem;
    using Base::RemoveItem;
    using Base::RemoveLastItem;
    // The operations that both interfaces give, told apart by their element type.
    using IIterableModifiable<ConstRCPtr<T>>::AddItem;
    using IIterableModifiable<RCPtr<T>>::AddItem;
    using IIterableModifiable<ConstRCPtr<T>>::AppendAll;
    using IIterableModifiable<RCPtr<T>>::AppendAll;
    using IIterableModifiable<ConstRCPtr<T>>::Assign;
    using IIterableModifiable<RCPtr<T>>::Assign;
    using IArray<ConstRCPtr<T>>::AddItems;
    using IArray<RCPtr<T>>::AddItems;

    explicit RCPtrArray(unsigned int count = 0, unsigned int capacity = 0)
        : Base(count, capacity)
    {
    }

    unsigned int GetCount() const override { return Base::GetCount(); }
    unsigned int GetMaxCount() const override { return Base::GetMaxCount(); }
    ORVRESULT RemoveAll() override { return Base::RemoveAll(); }
    RCPtr<T>& GetItemAtPosition(WritablePosition position) override { return *position; }
    // Unchecked.
    RCPtr<T>& GetElementPointer(unsigned int index) override { return this->Slots()[index]; }
    const RCPtr<T>& GetConstElementPointer(unsigned int index) const override
    {
        return this->Slots()[index];
    }
    ORVRESULT Swap(unsigned int i, unsigned int j) override { return Base::Swap(i, j); }
    WritablePosition Advance(WritablePosition position, int steps) const override
    {
        return ContiguousPositions::Advance(this->Slots(), GetCount(), position, steps);
    }
    WritablePosition GetFirstPosition() const override
    {
        return GetCount() == 0 ? nullptr : this->Slots();
    }
    WritablePosition GetEndPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(this->Slots(), GetCount());
    }
    WritablePosition GetLastPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(this->Slots(), GetCount() - 1);
    }
    WritablePosition GetBeforeFirstPosition() const override
    {
        return GetCount() == 0 ? nullptr : ContiguousPositions::At(this->Slots(), -1);
    }

    ORVRESULT InsertItem(unsigned int index, const RCPtr<T>& item) override
    {
        return Base::InsertItem(index, item);
    }
    // Throws "Out of Range" for index >= count, changing nothing.
    ORVRESULT RemoveItem(unsigned int index, RCPtr<T>& item) override
    {
        return this->RemoveInto(index, item, "RCPtrArray");
    }
    ORVRESULT RemoveLastItem(RCPtr<T>& item) override { return this->RemoveLastInto(item); }
    ORVRESULT SetCount(unsigned int count) override { return Base::SetCount(count); }
    ORVRESULT InsertItems(unsigned int index, unsigned int count) override
    {
        return Base::InsertItems(index, count);
    }
    ORVRESULT RemoveItems(unsigned int index, unsigned int count) override
    {
        return this->RemoveRange(index, count, "RCPtrArray");
    }
    RCPtr<T>* GetData() override { return this->Slots(); }
};

// An RCPtrArray that is itself a shared object, so that one list can be held by many owners.
template <class T, unsigned int Grain = 1, unsigned int Slack = 0>
class LRCPtrArray : public RCPtrArray<T, Grain, Slack>, public virtual LRefCountedObject
{
public:
    using RCPtrArray<T, Grain, Slack>::RCPtrArray;
};
} // namespace Orv
