// A fixed number of cached objects by key, with use stamps, least-recently-used eviction and a
// purge of the objects not used since a given stamp. A key is turned into its handle by
// GetHandle; entries are indexed by handle in a HashedList of 2^HashBits buckets, whose bucket
// number GetHashBits gives. Entries are taken in order until the cache is full; after that a
// new key takes the first empty entry, or else evicts the least recently used one.
//
// The caller owns the objects' making: GetEntry returns the entry's object pointer, and the
// caller stores a new object there when it is null.
#pragma once

#include "Utilities/Storage/HashBits.h"
#include "Utilities/Storage/HashedList.h"
#include "Utilities/Storage/PurgableCacheEntry.h"

#include <cstdint>
#include <memory>
#include <type_traits>

namespace Orv
{
template <class T, class Key, class Handle, auto GetHandle, unsigned int HashBits, auto GetHashBits>
class PurgableObjectCache
{
public:
    using Entry = PurgableCacheEntry<T, Handle>;

    explicit PurgableObjectCache(int capacity)
        : mCapacity(capacity > 0 ? capacity : 1)
        , mEntries(new Entry[static_cast<size_t>(mCapacity)])
    {
    }
    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;

    // The object pointer of the key's entry, taking an entry for a new key; with invalidate, a
    // found entry first drops its object. Every call counts as a use of the entry.
    RCPtr<T>& GetEntry(const Key& key, bool invalidate)
    {
        const Handle& handle = GetHandle(key);
        Entry* entry = mIndex.Find(handle);
        if (entry != nullptr)
        {
            if (invalidate)
            {
                entry->Drop();
            }
        }
        else if (mIndex.GetCount() != mCapacity)
        {
            // Never full yet: entries are taken in order.
            entry = &mEntries[static_cast<size_t>(mIndex.GetCount())];
            entry->SetKey(handle);
            mIndex.Add(entry);
        }
        else
        {
            entry = TakeEntry();
            mIndex.Remove(entry->handle);
            entry->SetKey(handle);
            mIndex.Add(entry);
        }
        if (entry->uses < Entry::kMaxUses)
        {
            ++entry->uses;
        }
        ++mUseClock;
        entry->lastUse = mUseClock;
        return entry->object;
    }

    // Drops the object and use record of the key's entry; the entry keeps its key, so the key is
    // found again (with no object). Nothing happens for a key without an entry.
    void Invalidate(const Key& key)
    {
        if (Entry* entry = mIndex.Find(GetHandle(key)))
        {
            entry->Drop();
        }
    }

    // Drops the object of every entry last used before the threshold stamp (compared as a
    // signed difference, so that the clock may wrap); the entries keep their keys. Returns the
    // number of entries dropped.
    int Purge(unsigned int threshold)
    {
        int dropped = 0;
        for (int i = 0; i < mCapacity; ++i)
        {
            Entry& entry = mEntries[static_cast<size_t>(i)];
            if (static_cast<std::int32_t>(entry.lastUse - threshold) < 0)
            {
                entry.Drop();
                ++dropped;
            }
        }
        return dropped;
    }

    int GetCapacity() const { return mCapacity; }
    unsigned int GetUseClock() const { return mUseClock; }
    // The stamp the owner keeps for its next purge.
    unsigned int GetPurgeThreshold() const { return mPurgeThreshold; }
    void SetPurgeThreshold(unsigned int threshold) { mPurgeThreshold = threshold; }
    // The number of keys in the index.
    int GetCount() const { return mIndex.GetCount(); }
    const Entry& GetEntryAt(int index) const { return mEntries[static_cast<size_t>(index)]; }

private:
    static const Handle& EntryHandle(Entry* const& entry) { return entry->handle; }
    static unsigned int HandleBits(const Handle& handle)
    {
        return static_cast<unsigned int>(GetHashBits(handle));
    }

    // In a full cache: the first empty entry, or else the least recently used one (the oldest
    // stamp; among equals the one with fewer uses, then the lowest index).
    Entry* TakeEntry()
    {
        Entry* best = &mEntries[0];
        unsigned int bestAge = 0;
        unsigned int bestUses = Entry::kMaxUses;
        for (int i = 0; i < mCapacity; ++i)
        {
            Entry& entry = mEntries[static_cast<size_t>(i)];
            if (entry.IsEmpty())
            {
                return &entry;
            }
            const unsigned int age = mUseClock - entry.lastUse;
            if (age > bestAge || (age == bestAge && entry.uses < bestUses))
            {
                best = &entry;
                bestAge = age;
                bestUses = entry.uses;
            }
        }
        return best;
    }

    int mCapacity;
    unsigned int mUseClock = 0;
    unsigned int mPurgeThreshold = 0;
    std::unique_ptr<Entry[]> mEntries;
    HashedList<Entry*, Handle, &EntryHandle, HashBits, &HandleBits> mIndex;
};
} // namespace Orv
