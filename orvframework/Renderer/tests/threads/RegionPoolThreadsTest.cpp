#include "Renderer/Region.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>
#include <vector>

using namespace Orv;

namespace
{
LONG Area(const LRegion& region)
{
    Array<RectT<LONG>> rects;
    region.GetRects(rects);
    LONG area = 0;
    for (unsigned int i = 0; i < rects.GetCount(); ++i)
    {
        area += rects.GetConstElementPointer(i).width * rects.GetConstElementPointer(i).height;
    }
    return area;
}
} // namespace

// Regions on several threads share the node pool: every node handed out comes back, whether it
// came from the pool's cells or, once they ran out, from the heap.
TEST(RegionNodePoolThreads, RegionsOnManyThreadsShareThePool)
{
    RegionNodePool& pool = RegionNodePool::Instance();
    {
        LRegion warm;
        warm.AddRect(RECT{0, 0, 1, 1});
    }
    const unsigned int live = pool.GetLiveCount();
    const unsigned int free = pool.GetFreeCount();

    constexpr int kThreads = 6;
    constexpr int kRects = 150; // together more nodes than the pool has cells
    constexpr int kRounds = 20;
    std::barrier sync(kThreads);
    std::vector<std::thread> threads;
    std::vector<int> wrongAreas(kThreads, 0);
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [t, &sync, &wrongAreas]
            {
                LRegion region;
                for (int round = 0; round < kRounds; ++round)
                {
                    // Pixels apart from one another: one node each.
                    for (LONG i = 0; i < kRects; ++i)
                    {
                        region.AddRect(RECT{2 * i, t, 2 * i + 1, t + 1});
                    }
                    sync.arrive_and_wait();
                    LRegion removed;
                    region.SubtractRect(RECT{round, 0, round + 100, 100}, &removed);
                    region.AppendRects(removed);
                    region.Normalize();
                    if (Area(region) != kRects)
                    {
                        ++wrongAreas[t];
                    }
                    region.Clear();
                    sync.arrive_and_wait();
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(wrongAreas[t], 0) << "thread " << t;
    }
    EXPECT_GE(pool.GetPeakCount(), live + kThreads * kRects);
    EXPECT_EQ(pool.GetLiveCount(), live);
    EXPECT_EQ(pool.GetFreeCount(), free);
}
