#include "Utilities/Storage/PurgableObjectCache.h"

#include "ObjectBase/Holder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orv;

namespace
{
using Object = LHolder<int>;

// Integer keys hashed by bits 4..11, as the renderer's path cache does.
int Identity(const int& key)
{
    return key;
}
using IntCache = PurgableObjectCache<Object, int, int, &Identity, 8, &GetBits<8, 4, int>>;

// Takes the key's entry and fills it when empty; true when it was a hit.
bool Use(IntCache& cache, int key)
{
    RCPtr<Object>& object = cache.GetEntry(key, false);
    if (object != nullptr)
    {
        EXPECT_EQ(object->GetValue(), key);
        return true;
    }
    object = new Object(key);
    return false;
}

// The keys held by the entries, in entry order.
std::vector<int> Keys(const IntCache& cache)
{
    std::vector<int> keys;
    for (int i = 0; i < cache.GetCapacity(); ++i)
    {
        keys.push_back(cache.GetEntryAt(i).handle);
    }
    return keys;
}
} // namespace

TEST(PurgableObjectCache, EntriesAreTakenInOrderAndFoundAgain)
{
    IntCache cache(4);
    EXPECT_FALSE(Use(cache, 10));
    EXPECT_FALSE(Use(cache, 20));
    EXPECT_TRUE(Use(cache, 10));
    EXPECT_TRUE(Use(cache, 10));
    EXPECT_EQ(Keys(cache), (std::vector<int>{10, 20, 0, 0}));
    EXPECT_EQ(cache.GetCount(), 2);
    EXPECT_EQ(cache.GetUseClock(), 4u);
    EXPECT_EQ(cache.GetEntryAt(0).uses, 3u);
    EXPECT_EQ(cache.GetEntryAt(0).lastUse, 4u);
    EXPECT_EQ(cache.GetEntryAt(1).lastUse, 2u);
    // Invalidating a found entry drops its object but keeps its key.
    EXPECT_EQ(cache.GetEntry(20, true), nullptr);
    EXPECT_EQ(cache.GetEntryAt(1).uses, 1u);
    EXPECT_EQ(cache.GetCount(), 2);
}

TEST(PurgableObjectCache, AFullCacheEvictsTheLeastRecentlyUsed)
{
    IntCache cache(3);
    Use(cache, 1);
    Use(cache, 2);
    Use(cache, 3);
    Use(cache, 1); // 2 is now the oldest
    EXPECT_FALSE(Use(cache, 4));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 4, 3}));
    EXPECT_FALSE(Use(cache, 2)); // evicts 3
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 4, 2}));
    EXPECT_EQ(cache.GetCount(), 3);
    // The evicted keys are gone from the index; the kept ones are hits.
    EXPECT_TRUE(Use(cache, 4));
    EXPECT_TRUE(Use(cache, 2));
    EXPECT_TRUE(Use(cache, 1));
}

TEST(PurgableObjectCache, PurgedEntriesKeepTheirKeysAndAreTakenFirst)
{
    IntCache cache(4);
    for (int key : {1, 2, 3, 4})
    {
        Use(cache, key);
    }
    const unsigned int threshold = cache.GetUseClock();
    Use(cache, 3);
    Use(cache, 4);
    // Entries last used before the threshold lose their objects; a last use equal to it stays.
    EXPECT_EQ(cache.Purge(threshold), 2);
    EXPECT_TRUE(cache.GetEntryAt(0).IsEmpty());
    EXPECT_TRUE(cache.GetEntryAt(1).IsEmpty());
    EXPECT_EQ(cache.GetEntryAt(0).lastUse, 0u);
    EXPECT_FALSE(cache.GetEntryAt(2).IsEmpty());
    // A purged key is still found: an empty object to rebuild, nobody evicted.
    EXPECT_FALSE(Use(cache, 2));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 2, 3, 4}));
    // A new key takes the first empty entry, although entry 2 (key 3) is older.
    EXPECT_FALSE(Use(cache, 5));
    EXPECT_EQ(Keys(cache), (std::vector<int>{5, 2, 3, 4}));
    EXPECT_FALSE(Use(cache, 1));
    EXPECT_EQ(Keys(cache), (std::vector<int>{5, 2, 1, 4}));
    // Dropped entries are counted again by every later purge above them.
    EXPECT_EQ(cache.Purge(cache.GetUseClock() + 1), 4);
    EXPECT_EQ(cache.Purge(1), 4);
    EXPECT_EQ(cache.Purge(0), 0);
}

TEST(PurgableObjectCache, InvalidatingAKeyEmptiesItsEntryButKeepsTheKey)
{
    IntCache cache(2);
    Use(cache, 1);
    Use(cache, 2);
    Use(cache, 1);
    cache.Invalidate(1);
    cache.Invalidate(7); // not held: nothing happens
    EXPECT_TRUE(cache.GetEntryAt(0).IsEmpty());
    EXPECT_EQ(cache.GetEntryAt(0).uses, 0u);
    EXPECT_EQ(cache.GetEntryAt(0).lastUse, 0u);
    EXPECT_FALSE(cache.GetEntryAt(1).IsEmpty());
    EXPECT_EQ(cache.GetCount(), 2);
    // The emptied entry is taken by the next new key before the older entry of key 2.
    EXPECT_FALSE(Use(cache, 3));
    EXPECT_EQ(Keys(cache), (std::vector<int>{3, 2}));
}

TEST(PurgableObjectCache, UsesSaturateAndTheClockMayWrap)
{
    IntCache cache(2);
    Use(cache, 1);
    // A stamp just below the wrap still counts as older than one just after it.
    EXPECT_EQ(cache.Purge(0xFFFFFFF0u), 0);
    EXPECT_EQ(cache.Purge(2), 2);
}

TEST(PurgableObjectCache, KeysSharingABucketAreKeptApart)
{
    // 16 and 31 share bucket 1 (bits 4..11); 4096 + 16 shares it too.
    EXPECT_EQ((GetBits<8, 4, int>(16)), 1u);
    EXPECT_EQ((GetBits<8, 4, int>(31)), 1u);
    EXPECT_EQ((GetBits<8, 4, int>(4096 + 16)), 1u);
    IntCache cache(8);
    for (int key : {16, 31, 4096 + 16})
    {
        EXPECT_FALSE(Use(cache, key));
    }
    for (int key : {16, 31, 4096 + 16})
    {
        EXPECT_TRUE(Use(cache, key));
    }
}

namespace
{
// A key that holds a counted reference, as the renderer's bitmap keys hold their bitmaps.
struct HeldKey
{
    ConstRCPtr<Object> held;
    bool operator==(const HeldKey& other) const { return held.Get() == other.held.Get(); }
};
unsigned int HeldBits(const HeldKey& key)
{
    return key.held != nullptr ? static_cast<unsigned int>(key.held->GetValue()) : 0u;
}
using HeldCache = PurgableObjectCache<Object, HeldKey, HeldKey, &GetSelf<HeldKey>, 8, &HeldBits>;
} // namespace

TEST(PurgableObjectCache, KeysReleaseWhatTheyHoldWhenReplacedOrDestroyed)
{
    ConstRCPtr<Object> a(new Object(1));
    ConstRCPtr<Object> b(new Object(2));
    {
        HeldCache cache(1);
        cache.GetEntry(HeldKey{a}, false) = new Object(0);
        EXPECT_GT(a->GetRefCount(), 1);
        // b evicts a's entry: the entry and the index let go of a.
        cache.GetEntry(HeldKey{b}, false) = new Object(0);
        EXPECT_EQ(a->GetRefCount(), 1);
        EXPECT_GT(b->GetRefCount(), 1);
    }
    EXPECT_EQ(b->GetRefCount(), 1);
}

namespace
{
struct Item
{
    int handle;
};
const int& ItemHandle(Item* const& item)
{
    return item->handle;
}
} // namespace

TEST(HashedList, AddFindAndRemoveByHandle)
{
    using List = HashedList<Item*, int, &ItemHandle, 8, &GetBits<8, 4, int>>;
    List list;
    Item a{16}, b{17}, c{16};
    EXPECT_TRUE(list.Add(&a));
    EXPECT_TRUE(list.Add(&b));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Find(16), &a);
    EXPECT_EQ(list.Find(18), nullptr);
    // The same handle again: its pair now holds the new item.
    EXPECT_FALSE(list.Add(&c));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Find(16), &c);
    EXPECT_TRUE(list.Remove(16));
    EXPECT_FALSE(list.Remove(16));
    EXPECT_EQ(list.Find(16), nullptr);
    EXPECT_EQ(list.Find(17), &b);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(HashedList, FindGivesWhereTheItemIsStoredAndClearDropsEveryPair)
{
    using List = HashedList<Item*, int, &ItemHandle, 8, &GetBits<8, 4, int>>;
    List list;
    IHashedList<Item*, int>& index = list;
    Item a{16}, b{4096 + 16}, replacement{16};
    index.Add(&a);
    index.Add(&b);
    Item* none = nullptr;
    Item** found = index.Find(16, &none);
    ASSERT_NE(found, &none);
    EXPECT_EQ(*found, &a);
    // What is stored can be replaced through the pointer.
    *found = &replacement;
    EXPECT_EQ(list.Find(16), &replacement);
    EXPECT_EQ(index.Find(17, &none), &none);
    index.Clear();
    EXPECT_EQ(index.GetCount(), 0);
    EXPECT_EQ(index.Find(16, &none), &none);
    EXPECT_EQ(index.Find(4096 + 16, &none), &none);
    EXPECT_TRUE(index.Add(&a));
}

TEST(HashedList, PairsNameTheirKeyType)
{
    LPair<int, void*> pair(1, nullptr);
    EXPECT_EQ(pair.ToString(), WString(L"int"));
}
