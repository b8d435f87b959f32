#include "Utilities/Threading/EventPool.h"

#include "platform/Interlocked.h"

namespace Orv
{
struct EventPool::Block
{
    RCPtrArray<LEvent, 1, 0> events;
    LONG waiterCount = 0;
    std::unique_ptr<HANDLE[]> handles;
};

EventPool::EventPool(unsigned int count)
    : mBlock(std::make_unique<Block>())
{
    mBlock->handles = std::make_unique<HANDLE[]>(count);
    mBlock->events.SetCount(count);
    for (unsigned int i = 0; i < count; ++i)
    {
        mBlock->events.GetElementPointer(i) = LEvent::Create();
        mBlock->handles[i] = mBlock->events.GetElementPointer(i)->GetHandle();
    }
}

EventPool::~EventPool()
{
    mBlock->events.SetCount(0);
}

int EventPool::WaitForAny(DWORD ms)
{
    const unsigned int count = GetCount();
    InterlockedIncrement(&mBlock->waiterCount);
    const DWORD result = WaitForMultipleObjects(count, mBlock->handles.get(), FALSE, ms);
    InterlockedDecrement(&mBlock->waiterCount);
    if (result == WAIT_FAILED || result == WAIT_TIMEOUT || result - WAIT_OBJECT_0 >= count)
    {
        return -1;
    }
    return static_cast<int>(result - WAIT_OBJECT_0);
}

RCPtr<LEvent>& EventPool::GetEvent(unsigned int index)
{
    return mBlock->events.GetElementPointer(index);
}

unsigned int EventPool::GetCount() const
{
    return mBlock->events.GetCount();
}
} // namespace Orv
