// The process-wide pool of region nodes: one block of 512 fixed-size cells handed out through a
// ring of free cell indices, so that regions built and cleared many times per frame need no heap
// call. When every cell is in use, further nodes come from the heap and go back there. A region
// that copies or clears many nodes takes or gives back the whole chain in one pass through the
// pool's lock.
#pragma once

#include "platform/Types.h"

#include <cstdint>

namespace Orv
{
// One rectangle of a region and the link to the next.
struct RegionNode
{
    RECT rect;
    RegionNode* next;
};

class RegionNodePool
{
public:
    static constexpr unsigned int kCapacity = 512;
    static_assert((kCapacity & (kCapacity - 1)) == 0, "the ring wraps by masking");

    // The pool of the process. It is never destroyed: regions that outlive the other globals
    // still give their nodes back to it at exit.
    static RegionNodePool& Instance();

    RegionNodePool(const RegionNodePool&) = delete;
    RegionNodePool& operator=(const RegionNodePool&) = delete;

    // A zeroed node. The first call sets the pool up.
    RegionNode* Allocate();
    // count zeroed nodes, each linked to the next through next (the last's next is null); null
    // for none. As count calls of Allocate, with one pass through the lock.
    RegionNode* AllocateChain(unsigned int count);
    // Gives a node of Allocate back (null does nothing).
    void Free(RegionNode* node);
    // Gives back first and every node that follows it through next, in one pass through the lock.
    void FreeChain(RegionNode* first);

    // The counters, read under the lock. Capacity is 0 until the first allocation.
    unsigned int GetCapacity();
    unsigned int GetFreeCount();
    unsigned int GetLiveCount();
    unsigned int GetPeakCount();

private:
    RegionNodePool() = default;
    ~RegionNodePool() = default;

    // A node and, directly behind it, its word of the ring of free indices.
    struct Cell
    {
        RegionNode node;
        std::uint32_t ring;
    };

    void SetUp();
    // With the lock held.
    RegionNode* TakeLocked();
    void GiveBackLocked(RegionNode* node);

    Cell* mStorage = nullptr;
    unsigned int mFreeCount = 0;
    unsigned int mHead = 0;
    unsigned int mCapacity = 0;
    unsigned int mLiveCount = 0;
    unsigned int mPeakCount = 0;
};
} // namespace Orv
