#include "Utilities/Threading/ReuseAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

using namespace Orv;

namespace
{
struct Item
{
    double values[3];
};
} // namespace

TEST(ReuseAllocator, FreedBlocksAreReusedLastFreedFirst)
{
    ReuseAllocator<Item, 4> pool(false);
    void* a = pool.Allocate(sizeof(Item));
    pool.Free(a);
    EXPECT_EQ(pool.Allocate(sizeof(Item)), a);
    void* b = pool.Allocate(sizeof(Item));
    EXPECT_NE(a, b);
    pool.Free(a);
    pool.Free(b);
    EXPECT_EQ(pool.Allocate(sizeof(Item)), b);
    EXPECT_EQ(pool.Allocate(sizeof(Item)), a);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % alignof(std::max_align_t), 0u);
}

TEST(ReuseAllocator, OtherSizesComeFromTheHeapAndGoBackThere)
{
    ReuseAllocator<Item, 4> pool(false);
    void* pooled = pool.Allocate(sizeof(Item));
    pool.Free(pooled);
    void* large = pool.Allocate(4 * sizeof(Item));
    void* small = pool.Allocate(1);
    EXPECT_NE(large, pooled);
    EXPECT_NE(small, pooled);
    std::memset(large, 0xAB, 4 * sizeof(Item));
    std::memset(small, 0xCD, 1);
    pool.Free(large);
    pool.Free(small);
    // The pooled block is still the one handed out next.
    EXPECT_EQ(pool.Allocate(sizeof(Item)), pooled);
}

TEST(ReuseAllocator, GrowsPastItsStepAndReusesEveryBlock)
{
    ReuseAllocator<Item, 32> pool(false);
    std::vector<void*> first;
    for (int i = 0; i < 40; ++i)
    {
        first.push_back(pool.Allocate(sizeof(Item)));
        std::memset(first.back(), i, sizeof(Item));
    }
    EXPECT_EQ(std::set<void*>(first.begin(), first.end()).size(), 40u);
    for (void* block : first)
    {
        pool.Free(block);
    }
    std::vector<void*> second;
    for (int i = 0; i < 40; ++i)
    {
        second.push_back(pool.Allocate(sizeof(Item)));
    }
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    EXPECT_EQ(first, second);
}

TEST(ReuseAllocator, LockedPoolIsSharedByThreads)
{
    ReuseAllocator<Item, 4> pool(true);
    // Each thread fills its blocks with its own mark and checks them before giving them back;
    // blocks freed by one thread are taken by others.
    std::vector<std::thread> threads;
    std::atomic<int> damaged{0};
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                for (int round = 0; round < 500; ++round)
                {
                    Item* held[3];
                    for (Item*& item : held)
                    {
                        item = static_cast<Item*>(pool.Allocate(sizeof(Item)));
                        std::fill(std::begin(item->values), std::end(item->values), t + round);
                    }
                    for (Item* item : held)
                    {
                        if (item->values[0] != t + round || item->values[2] != t + round)
                        {
                            ++damaged;
                        }
                        pool.Free(item);
                    }
                }
            });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(damaged, 0);

    // A block freed on another thread is handed out here next.
    void* fromOther = nullptr;
    std::thread other(
        [&]
        {
            fromOther = pool.Allocate(sizeof(Item));
            pool.Free(fromOther);
        });
    other.join();
    EXPECT_EQ(pool.Allocate(sizeof(Item)), fromOther);
}
