// An index of items by handle: 2^HashBits buckets, each an array of (handle, item) pairs. The
// bucket of a handle is GetHashBits(handle); a bucket is searched from its end, where the newest
// pairs are. Each handle is held at most once.
#pragma once

#include "Utilities/Storage/Pair.h"
#include "Utilities/Storage/RCPtrArray.h"

namespace Orv
{
// Item: what the index finds (a pointer). GetItemID(item) gives an item's handle.
// GetHashBits(handle) gives a bucket number below 2^HashBits.
template <class Item, class Handle, auto GetItemID, unsigned int HashBits, auto GetHashBits>
class HashedList
{
public:
    static constexpr unsigned int kBucketCount = 1u << HashBits;
    using PairType = LPair<Handle, Item>;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;

    // The item held for the handle; a null item when there is none.
    Item Find(const Handle& handle) const
    {
        const Bucket& bucket = BucketOf(handle);
        const int at = IndexIn(bucket, handle);
        return at < 0 ? Item()
                      : bucket.GetConstElementPointer(static_cast<unsigned int>(at))->second;
    }

    // Holds the item under its handle: true when a new pair was added, false when the pair
    // already held for that handle now holds this item.
    bool Add(Item item)
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

    // Removes the pair of the handle; false when there is none.
    bool Remove(const Handle& handle)
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

    // The number of pairs held.
    int GetCount() const { return mCount; }

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
