// A first-in first-out ring of reference-counted pointers that never drops an element.
//
// The ring starts with InitialSize cells; one cell is always left empty, so it holds up to
// (cells - 1) elements. An enqueue into a full ring inserts one empty cell in front of the
// oldest element: the ring grows by exactly one cell, keeps its order and has no upper limit.
// With a lock (anything with Enter and Leave) every operation runs under it, so any thread may
// enqueue while another dequeues; without one the queue belongs to one thread.
#pragma once

#include "ObjectBase/Exception.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Storage/RCPtrArray.h"

#include <string>
#include <typeinfo>
#include <utility>

namespace Orv
{
template <class T, unsigned int InitialSize, class L>
class RCPtrQueue
{
public:
    explicit RCPtrQueue(L* lock = nullptr)
        : mCells(InitialSize)
        , mLock(lock)
    {
    }
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;
    virtual ~RCPtrQueue() = default;

    // Appends a counted copy of element (null is stored as null); returns S_OK.
    ORVRESULT Enqueue(const RCPtr<T>& element) { return Enqueue(RCPtr<T>(element)); }

    // Appends element, taking over its reference; returns S_OK.
    ORVRESULT Enqueue(RCPtr<T>&& element)
    {
        Guard guard(mLock);
        if (mCells.GetCount() < 2)
        {
            mCells.SetCount(2);
            mWrite = 0;
            mRead = 0;
        }
        if (CountLocked() == mCells.GetCount() - 1)
        {
            // Full: an empty cell goes in front of the oldest element.
            if (mWrite > mRead)
            {
                ++mWrite;
            }
            ORV_REQUIRE_SUCCESS(mCells.InsertItems(mRead, 1));
            mRead = (mRead + 1) % mCells.GetCount();
        }
        mCells.GetElementPointer(mWrite) = std::move(element);
        mWrite = (mWrite + 1) % mCells.GetCount();
        return S_OK;
    }

    // Takes out the oldest element. Throws "Runtime Error" when the queue is empty.
    RCPtr<T> Dequeue()
    {
        RCPtr<T> element;
        if (!TryDequeue(element))
        {
            const std::string function = "Orv::RCPtrQueue<class " + GetReadableTypeName(typeid(T)) +
                                         "," + std::to_string(InitialSize) + ",class " +
                                         GetReadableTypeName(typeid(L)) + ">::Dequeue";
            ORV_THROW_FOR(std::runtime_error, function);
        }
        return element;
    }

    // Moves the oldest element into element and returns true; false (element cleared) when the
    // queue is empty. Unlike a count followed by Dequeue, this cannot race with another thread
    // that empties the queue.
    bool TryDequeue(RCPtr<T>& element)
    {
        RCPtr<T> taken;
        bool found = false;
        {
            Guard guard(mLock);
            if (CountLocked() != 0)
            {
                taken = std::move(mCells.GetElementPointer(mRead));
                mRead = (mRead + 1) % mCells.GetCount();
                found = true;
            }
        }
        // What element held is released outside the lock.
        element = std::move(taken);
        return found;
    }

    // The number of queued elements.
    unsigned int GetCount() const
    {
        Guard guard(mLock);
        return CountLocked();
    }

    // The number of cells of the ring (one more than it can hold before it grows).
    unsigned int GetCellCount() const
    {
        Guard guard(mLock);
        return mCells.GetCount();
    }

private:
    class Guard
    {
    public:
        explicit Guard(L* lock)
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
        L* mLock;
    };

    unsigned int CountLocked() const
    {
        const unsigned int cells = mCells.GetCount();
        if (cells == 0)
        {
            return 0;
        }
        return mWrite >= mRead ? mWrite - mRead : mWrite + cells - mRead;
    }

    RCPtrArray<T, 1, 0> mCells;
    unsigned int mWrite = 0;
    unsigned int mRead = 0;
    L* mLock;
};
} // namespace Orv
