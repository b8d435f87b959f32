#include "Renderer/RegionNodePool.h"

#include "Utilities/Globals.h"
#include "Utilities/Threading/ScopedLock.h"

#include <cstring>
#include <new>

namespace Orv
{
RegionNodePool& RegionNodePool::Instance()
{
    static RegionNodePool* const pool = new RegionNodePool();
    return *pool;
}

void RegionNodePool::SetUp()
{
    mStorage = new Cell[kCapacity];
    for (unsigned int i = 0; i < kCapacity; ++i)
    {
        mStorage[i].ring = i;
    }
    mCapacity = kCapacity;
    mFreeCount = kCapacity;
    mHead = 0;
}

RegionNode* RegionNodePool::Allocate()
{
    RegionNode* node = nullptr;
    {
        ScopedLock<Mutex> lock(GetRegionLock());
        if (mPeakCount == 0)
        {
            SetUp();
        }
        if (mFreeCount > 0)
        {
            const std::uint32_t index = mStorage[mHead].ring;
            mHead = (mHead + 1) % mCapacity;
            --mFreeCount;
            node = &mStorage[index].node;
        }
        else
        {
            node = new RegionNode;
        }
        ++mLiveCount;
        if (mLiveCount > mPeakCount)
        {
            mPeakCount = mLiveCount;
        }
    }
    std::memset(node, 0, sizeof(RegionNode));
    return node;
}

void RegionNodePool::Free(RegionNode* node)
{
    if (node == nullptr)
    {
        return;
    }
    ScopedLock<Mutex> lock(GetRegionLock());
    // The cell index, as an unsigned number: a node outside the block gives a value beyond the
    // capacity whichever side of the block it lies on.
    const std::uintptr_t offset =
        reinterpret_cast<std::uintptr_t>(node) - reinterpret_cast<std::uintptr_t>(mStorage);
    const std::uintptr_t index = offset / mNodeSize;
    if (mStorage != nullptr && mFreeCount < mCapacity && index < mCapacity)
    {
        mStorage[(mHead + mFreeCount) % mCapacity].ring = static_cast<std::uint32_t>(index);
        ++mFreeCount;
    }
    else
    {
        delete node;
    }
    --mLiveCount;
}

unsigned int RegionNodePool::GetCapacity()
{
    ScopedLock<Mutex> lock(GetRegionLock());
    return mCapacity;
}

unsigned int RegionNodePool::GetFreeCount()
{
    ScopedLock<Mutex> lock(GetRegionLock());
    return mFreeCount;
}

unsigned int RegionNodePool::GetLiveCount()
{
    ScopedLock<Mutex> lock(GetRegionLock());
    return mLiveCount;
}

unsigned int RegionNodePool::GetPeakCount()
{
    ScopedLock<Mutex> lock(GetRegionLock());
    return mPeakCount;
}
} // namespace Orv
