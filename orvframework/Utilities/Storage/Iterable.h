// The collection interfaces: IIterable (read and walk), IIterableModifiable (insert, remove,
// resize) and IArray (contiguous storage), and the iterators that walk them.
//
// Every operation is virtual and the default bodies call one another through the interface, so
// a collection overrides only what its storage does differently. A position points at an element;
// a non-empty collection has four special positions: the first element, the end (one past the
// last), the last element and the before-first (one before the first). For an empty collection
// every position is null. Indices and counts are unsigned 32-bit; results that carry a count or
// an index are negative on failure (E_INVALIDARG for a bad index, E_FAIL for a failed resize).
#pragma once

#include "ObjectBase/Exception.h"

#include <cstddef>
#include <cstdint>

namespace Orv
{
template <class T>
class IIterable;

// Walks a collection by asking it to advance its position by the step (+1 forward, -1 back).
template <class T>
class IterableIterator
{
public:
    IterableIterator(IIterable<T>* collection, T* position, int step)
        : mCollection(collection)
        , mPosition(position)
        , mStep(step)
    {
    }

    T& operator*() const { return mCollection->GetItemAtPosition(mPosition); }
    T* operator->() const { return &**this; }
    IterableIterator& operator++()
    {
        mPosition = mCollection->Advance(mPosition, mStep);
        return *this;
    }
    T* GetPosition() const { return mPosition; }
    int GetStep() const { return mStep; }
    // Iterators compare by position.
    bool operator==(const IterableIterator& other) const { return mPosition == other.mPosition; }

private:
    IIterable<T>* mCollection;
    T* mPosition;
    int mStep;
};

template <class T>
class ConstIterableIterator
{
public:
    ConstIterableIterator(const IIterable<T>* collection, T* position, int step)
        : mCollection(collection)
        , mPosition(position)
        , mStep(step)
    {
    }

    const T& operator*() const { return mCollection->GetItemAtPosition(mPosition); }
    const T* operator->() const { return &**this; }
    ConstIterableIterator& operator++()
    {
        mPosition = mCollection->Advance(mPosition, mStep);
        return *this;
    }
    T* GetPosition() const { return mPosition; }
    int GetStep() const { return mStep; }
    bool operator==(const ConstIterableIterator& other) const
    {
        return mPosition == other.mPosition;
    }

private:
    const IIterable<T>* mCollection;
    T* mPosition;
    int mStep;
};

// Position arithmetic of contiguous storage, done on addresses so that the before-first
// position (one element before the data) is never formed by pointer arithmetic.
namespace ContiguousPositions
{
template <class T>
T* At(T* data, std::ptrdiff_t index)
{
    return reinterpret_cast<T*>(reinterpret_cast<std::uintptr_t>(data) +
                                static_cast<std::uintptr_t>(index) * sizeof(T));
}

template <class T>
std::ptrdiff_t IndexOf(T* data, T* position)
{
    return static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(position) -
                                       reinterpret_cast<std::uintptr_t>(data)) /
           static_cast<std::ptrdiff_t>(sizeof(T));
}

// new = position + steps; at or before the before-first position gives the before-first, else
// the smaller of new and the end. A null position (empty storage) stays null.
template <class T>
T* Advance(T* data, unsigned int count, T* position, int steps)
{
    if (position == nullptr || data == nullptr || count == 0)
    {
        return nullptr;
    }
    std::ptrdiff_t index = IndexOf(data, position) + steps;
    if (index <= -1)
    {
        index = -1;
    }
    else if (index > static_cast<std::ptrdiff_t>(count))
    {
        index = count;
    }
    return At(data, index);
}
} // namespace ContiguousPositions

template <class T>
class IIterable
{
public:
    using Position = T*;
    using Iterator = IterableIterator<T>;
    using ConstIterator = ConstIterableIterator<T>;

    static constexpr unsigned int kMaxCount = 0x7fffffff;

    virtual unsigned int GetCount() const = 0;
    virtual unsigned int GetMaxCount() const { return kMaxCount; }
    virtual Iterator Begin() { return Iterator(this, GetFirstPosition(), +1); }
    virtual ConstIterator Begin() const { return ConstIterator(this, GetFirstPosition(), +1); }
    virtual Iterator End() { return Iterator(this, GetEndPosition(), +1); }
    virtual ConstIterator End() const { return ConstIterator(this, GetEndPosition(), +1); }
    virtual Iterator RBegin() { return Iterator(this, GetLastPosition(), -1); }
    virtual ConstIterator RBegin() const { return ConstIterator(this, GetLastPosition(), -1); }
    virtual Iterator REnd() { return Iterator(this, GetBeforeFirstPosition(), -1); }
    virtual ConstIterator REnd() const { return ConstIterator(this, GetBeforeFirstPosition(), -1); }
    virtual const T& GetItemAtPosition(Position position) const
    {
        return const_cast<IIterable*>(this)->GetItemAtPosition(position);
    }
    virtual T& GetItemAtPosition(Position position) = 0;
    // The element at index, reached by walking from the first one.
    virtual T& GetElementPointer(unsigned int index)
    {
        Position position = GetFirstPosition();
        if (index != 0)
        {
            position = Advance(position, static_cast<int>(index));
        }
        return GetItemAtPosition(position);
    }
    virtual const T& GetConstElementPointer(unsigned int index) const
    {
        return const_cast<IIterable*>(this)->GetElementPointer(index);
    }
    virtual ORVRESULT Swap(unsigned int i, unsigned int j)
    {
        const unsigned int count = GetCount();
        if (i >= count || j >= count)
        {
            return E_INVALIDARG;
        }
        T held = GetElementPointer(i);
        GetElementPointer(i) = GetElementPointer(j);
        GetElementPointer(j) = held;
        return S_OK;
    }
    virtual Position Advance(Position position, int steps) const = 0;
    virtual Position GetFirstPosition() const = 0;
    virtual Position GetEndPosition() const = 0;
    virtual Position GetLastPosition() const = 0;
    virtual Position GetBeforeFirstPosition() const = 0;

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
    ~IIterable() = default;
};

template <class T>
class IIterableModifiable : public IIterable<T>
{
public:
    // Empties the collection: E_FAIL when elements remain.
    virtual ORVRESULT RemoveAll() { return SetCount(0) != 0 ? E_FAIL : S_OK; }
    // Inserts a copy of item before the element at index (index == count appends). Returns the
    // result of InsertItems; E_INVALIDARG (nothing changed) for index > count.
    virtual ORVRESULT InsertItem(unsigned int index, const T& item)
    {
        // The item may be an element of this collection, which the insertion moves.
        T copy(item);
        const ORVRESULT result = InsertItems(index, 1);
        if (result < 0)
        {
            return result;
        }
        this->GetElementPointer(index) = copy;
        return result;
    }
    // Copies the element out, then removes it.
    virtual ORVRESULT RemoveItem(unsigned int index, T& item)
    {
        item = this->GetElementPointer(index);
        return RemoveItems(index, 1);
    }
    // Appends the other collection's elements; returns the new count.
    virtual ORVRESULT AppendAll(const IIterable<T>& other)
    {
        const unsigned int count = this->GetCount();
        const unsigned int otherCount = other.GetCount();
        const unsigned int wanted = count + otherCount;
        if (wanted <= count)
        {
            return static_cast<ORVRESULT>(wanted);
        }
        if (SetCount(wanted) != static_cast<ORVRESULT>(wanted))
        {
            return E_FAIL;
        }
        // Walks taken after the resize, so that appending a collection to itself reads the
        // elements as they now stand.
        auto from = other.Begin();
        typename IIterable<T>::Position to =
            this->Advance(this->GetFirstPosition(), static_cast<int>(count));
        for (unsigned int k = 0; k < otherCount; ++k)
        {
            this->GetItemAtPosition(to) = *from;
            ++from;
            to = this->Advance(to, 1);
        }
        return static_cast<ORVRESULT>(wanted);
    }
    virtual ORVRESULT AddItem(const T& item) { return InsertItem(this->GetCount(), item); }
    virtual ORVRESULT RemoveLastItem(T& item) { return RemoveItem(this->GetCount() - 1, item); }
    // Makes this collection a copy of the other one (assigning a collection to itself keeps it).
    virtual ORVRESULT Assign(const IIterable<T>& other)
    {
        if (&other == this)
        {
            return static_cast<ORVRESULT>(this->GetCount());
        }
        SetCount(0);
        return AppendAll(other);
    }
    virtual ORVRESULT SetCount(unsigned int count) = 0;
    virtual ORVRESULT InsertItems(unsigned int index, unsigned int count) = 0;
    virtual ORVRESULT RemoveItems(unsigned int index, unsigned int count) = 0;

protected:
    IIterableModifiable() = default;
    IIterableModifiable(const IIterableModifiable&) = default;
    IIterableModifiable& operator=(const IIterableModifiable&) = default;
    ~IIterableModifiable() = default;
};

template <class T>
class IArray : public IIterableModifiable<T>
{
public:
    // Contiguous storage: the element at index is data + index, unchecked.
    T& GetElementPointer(unsigned int index) override { return GetData()[index]; }
    virtual const T* GetData() const { return const_cast<IArray*>(this)->GetData(); }
    virtual T* GetData() = 0;
    // Like AppendAll, but writes straight into the storage from the old count on.
    virtual ORVRESULT AddItems(const IIterable<T>& other)
    {
        const unsigned int count = this->GetCount();
        const unsigned int otherCount = other.GetCount();
        const unsigned int wanted = count + otherCount;
        if (wanted <= count)
        {
            return static_cast<ORVRESULT>(wanted);
        }
        if (this->SetCount(wanted) != static_cast<ORVRESULT>(wanted))
        {
            return E_FAIL;
        }
        T* to = GetData() + count;
        auto from = other.Begin();
        for (unsigned int k = 0; k < otherCount; ++k)
        {
            to[k] = *from;
            ++from;
        }
        return static_cast<ORVRESULT>(wanted);
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
    ~IArray() = default;
};
} // namespace Orv
