// A pool of storage blocks for objects of type T. Every freed block is kept for reuse (the last
// freed is handed out first), so a pooled class costs no heap call once the pool has grown to
// its working size; blocks go back to the heap only when the pool is destroyed. N is the step
// by which the list of blocks grows, not a limit.
//
// Each block starts with a header holding its index in the block list, so that Free tells its
// own blocks from others in constant time. Requests of another size are served from the C heap
// with the same header (index -1), so Free never reads outside storage that it handed out.
// A pool made with a lock may be used from several threads; one without only from one thread.
#pragma once

#include "ObjectBase/Exception.h"
#include "Utilities/Storage/ArrayBuffer.h"
#include "Utilities/Threading/SpinEventLock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace Orv
{
template <class T, unsigned int N>
class ReuseAllocator
{
    static_assert(alignof(T) <= alignof(std::max_align_t), "pooled types use the heap's alignment");

public:
    struct Buf
    {
        std::int32_t index;
    };
    // The header in front of the storage, keeping the storage at the heap's alignment.
    static constexpr std::size_t kHeaderSize = alignof(std::max_align_t) > sizeof(Buf)
                                                   ? alignof(std::max_align_t)
                                                   : sizeof(Buf);

    explicit ReuseAllocator(bool locked)
        : mLock(locked ? std::make_unique<SpinEventLock>() : nullptr)
    {
        // Grow both lists once and back, so each starts with room for a step of entries.
        mBlocks.SetCount(1);
        mBlocks.SetCount(0);
        mFree.SetCount(1);
        mFree.SetCount(0);
    }

    virtual ~ReuseAllocator()
    {
        for (unsigned int i = mBlocks.GetCount(); i-- > 0;)
        {
            std::free(mBlocks.GetElementPointer(i));
        }
    }

    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    // Storage for size bytes: a pooled block when size is that of T, else heap storage. Throws
    // std::bad_alloc when the heap gives nothing.
    void* Allocate(std::size_t size)
    {
        if (size != sizeof(T))
        {
            return HeapStorage(size);
        }
        Guard guard(mLock.get());
        std::int32_t index;
        if (mFree.GetCount() != 0)
        {
            index = mFree.GetElementPointer(mFree.GetCount() - 1);
            mFree.SetCount(mFree.GetCount() - 1);
        }
        else
        {
            index = static_cast<std::int32_t>(mBlocks.GetCount());
            Buf* block = static_cast<Buf*>(std::malloc(kHeaderSize + sizeof(T)));
            if (block == nullptr)
            {
                throw Exception<std::bad_alloc>();
            }
            block->index = index;
            try
            {
                mBlocks.AddItem(block);
            }
            catch (...)
            {
                std::free(block);
                throw;
            }
        }
        return StorageOf(mBlocks.GetElementPointer(static_cast<unsigned int>(index)));
    }

    // Gives storage from Allocate back: a pooled block is kept, heap storage is freed.
    void Free(void* pointer)
    {
        if (pointer == nullptr)
        {
            return;
        }
        Buf* block = reinterpret_cast<Buf*>(static_cast<char*>(pointer) - kHeaderSize);
        {
            Guard guard(mLock.get());
            const std::int32_t index = block->index;
            if (index >= 0 && static_cast<unsigned int>(index) < mBlocks.GetCount() &&
                mBlocks.GetElementPointer(static_cast<unsigned int>(index)) == block)
            {
                try
                {
                    mFree.AddItem(index);
                    return;
                }
                catch (...)
                {
                    // No room to keep it: the block leaves the pool and goes back to the heap.
                    mBlocks.GetElementPointer(static_cast<unsigned int>(index)) = nullptr;
                }
            }
        }
        std::free(block);
    }

private:
    class Guard
    {
    public:
        explicit Guard(SpinEventLock* lock)
            : mLock(lock)
        {
            if (mLock != nullptr)
            {
                mLock->Enter();
            }
        }
        ~Guard()
        {
            if (mLock != nullptr)
            {
                mLock->Leave();
            }
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        SpinEventLock* mLock;
    };

    static void* StorageOf(Buf* block) { return reinterpret_cast<char*>(block) + kHeaderSize; }

    static void* HeapStorage(std::size_t size)
    {
        Buf* block = static_cast<Buf*>(std::malloc(kHeaderSize + size));
        if (block == nullptr)
        {
            throw Exception<std::bad_alloc>();
        }
        block->index = -1;
        return StorageOf(block);
    }

    ArrayBuffer<Buf*, N, 1600> mBlocks;
    ArrayBuffer<std::int32_t, 32, 1600> mFree;
    std::unique_ptr<SpinEventLock> mLock;
};

// The pool of T for objects made and released on the UI thread only, so without a lock. Never
// destroyed, so that objects released by other globals at exit still find it.
template <class T, unsigned int N>
ReuseAllocator<T, N>& UiThreadPool()
{
    static auto* pool = new ReuseAllocator<T, N>(false);
    return *pool;
}
} // namespace Orv
