// An index of items by handle: 2^HashBits buckets, each an array of (handle, item) pairs. The
// bucket of a handle is GetHashBits(handle); a bucket is searched from its end, where the newest
// pairs are. Each handle is held at most once.
#pragma once

#include "Utilities/Storage/Pair.h"
#include "Utilities/Storage/RCPtrArray.h"

namespace Orv
{
// Items by handle.
template <class Item, class Handle>
class IHashedList
{
public:
    IHashedList() = default;
    IHashedList(const IHashedList&) = delete;
    IHashedList& operator=(const IHashedList&) = delete;
    virtual ~IHashedList() = default;

    // The number of pairs held.
    virtual int GetCount() const = 0;
    // Drops every pair.
    virtual void Clear() = 0;
    // Holds the item under its handle: true when a new pair was added, false when the pair
    // already held for that handle now holds this item.
    virtual bool Add(Item item) = 0;
    // Where the item held for the handle is stored (it may be replaced through the pointer, and
    // stays valid until the handle's bucket changes); notFound when the handle is absent.
    virtual Item* Find(const Handle& handle, Item* notFound) = 0;
    // Removes the pair of the handle; false when there is none.
    virtual bool Remove(const Handle& handle) = 0;
};

// Item: what the index finds. GetItemID(item) gives an item's handle. GetHashBits(handle) gives a
// bucket number below 2^HashBits.
template <class Item, class Handle, auto GetItemID, unsigned int HashBits, auto GetHashBits>
class HashedList : public IHashedList<Item, Handle>
{
public:
    static constexpr unsigned int kBucketCount = 1u << HashBits;
    using PairType = LPair<Handle, Item>;

    HashedList() = default;

    // The item held for the handle; a null item when there is none.
    Item Find(const Handle& handle) const
    {
        const Bucket& bucket = BucketOf(handle);
        const int at = IndexIn(bucket, handle);
        return at < 0 ? Item()
                      : bucket.GetConstElementPointer(static_cast<unsigned int>(at))->second;
    }

    Item* Find(const Handle& handle, Item* notFound) override
    {
        Bucket& bucket = BucketOf(handle);
        const int at = IndexIn(bucket, handle);
        return at < 0 ? notFound : &bucket.GetElementPointer(static_cast<unsigned int>(at))->second;
    }

    bool Add(Item item) override
    {
        const Handle& handle = GetItemID(item);
        Bucket& bucket = BucketOf(handle);
        const int at = IndexIn(bucket, handle);
        if (at >= 0)
        {
            bucket.GetElementPointer(static_cast<unsigned int>(at))->second = item;
            return false;
        }
        ORV_REQUIRE_SUCCESS(bucket.AddItem(RCPtr<PairType>(new PairType(handle, item))));
        ++mCount;
        return true;
    }

    bool Remove(const Handle& handle) override
    {
        Bucket& bucket = BucketOf(handle);
        const int at = IndexIn(bucket, handle);
        if (at < 0)
        {
            return false;
        }
        bucket.RemoveItems(static_cast<unsigned int>(at), 1);
        --mCount;
        return true;
    }

    void Clear() override
    {
        for (Bucket& bucket : mBuckets)
        {
            bucket.RemoveAll();
        }
        mCount = 0;
    }

    int GetCount() const override { return mCount; }

private:
    using Bucket = RCPtrArray<PairType>;

    Bucket& BucketOf(const Handle& handle)
    {
        return mBuckets[static_cast<unsigned int>(GetHashBits(handle)) & (kBucketCount - 1)];
    }
    const Bucket& BucketOf(const Handle& handle) const
    {
        return mBuckets[static_cast<unsigned int>(GetHashBits(handle)) & (kBucketCount - 1)];
    }
    // The index of the handle's pair in the bucket, searched from the end; -1 when absent.
    static int IndexIn(const Bucket& bucket, const Handle& handle)
    {
        for (int i = static_cast<int>(bucket.GetCount()) - 1; i >= 0; --i)
        {
            if (bucket.GetConstElementPointer(static_cast<unsigned int>(i))->first == handle)
            {
                return i;
            }
        }
        return -1;
    }

    int mCount = 0;
    Bucket mBuckets[kBucketCount];
};
} // namespace Orv
