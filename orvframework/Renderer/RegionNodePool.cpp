#include "Renderer/RegionNodePool.h"

#include "Renderer/RendererGlobals.h"
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

RegionNode* RegionNodePool::TakeLocked()
{
    if (mPeakCount == 0)
    {
        SetUp();
    }
    RegionNode* node = nullptr;
    if (mFreeCount > 0)
    {
        const std::uint32_t index = mStorage[mHead].ring;
        mHead = (mHead + 1) & (kCapacity - 1);
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
    return node;
}

void RegionNodePool::GiveBackLocked(RegionNode* node)
{
    // The cell index, as an unsigned number: a node outside the block gives a value beyond the
    // capacity whichever side of the block it lies on. (The node size is the cell size; it is a
    // constant, so this is a shift.)
    const std::uintptr_t offset =
        reinterpret_cast<std::uintptr_t>(node) - reinterpret_cast<std::uintptr_t>(mStorage);
    const std::uintptr_t index = offset / sizeof(Cell);
    if (mStorage != nullptr && mFreeCount < mCapacity && index < mCapacity)
    {
        mStorage[(mHead + mFreeCount) & (kCapacity - 1)].ring = static_cast<std::uint32_t>(index);
        ++mFreeCount;
    }
    else
    {
        delete node;
    }
    --mLiveCount;
}

RegionNode* RegionNodePool::Allocate()
{
    RegionNode* node = nullptr;
    {
        ScopedLock<Mutex> lock(GetRegionLock());
        node = TakeLocked();
    }
    std::memset(node, 0, sizeof(RegionNode));
    return node;
}

RegionNode* RegionNodePool::AllocateChain(unsigned int count)
{
    RegionNode* first = nullptr;
    {
        ScopedLock<Mutex> lock(GetRegionLock());
        for (unsigned int i = 0; i < count; ++i)
        {
            RegionNode* node = TakeLocked();
            node->next = first;
            first = node;
        }
    }
    for (RegionNode* node = first; node != nullptr;)
    {
        RegionNode* next = node->next;
        std::memset(&node->rect, 0, sizeof(node->rect));
        node = next;
    }
    return first;
}

void RegionNodePool::Free(RegionNode* node)
{
    if (node == nullptr)
    {
        return;
    }
    ScopedLock<Mutex> lock(GetRegionLock());
    GiveBackLocked(node);
}

void RegionNodePool::FreeChain(RegionNode* first)
{
    if (first == nullptr)
    {
        return;
    }
    ScopedLock<Mutex> lock(GetRegionLock());
    while (first != nullptr)
    {
        RegionNode* next = first->next;
        GiveBackLocked(first);
        first = next;
    }
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
