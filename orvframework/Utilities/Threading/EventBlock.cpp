#include "Utilities/Threading/EventBlock.h"

#include "ObjectBase/Exception.h"
#include "platform/Interlocked.h"

#include <string>

namespace Orv
{
EventBlock::EventBlock(bool autoReset, const char* owner)
    : mHandle(CreateEventW(nullptr, autoReset ? FALSE : TRUE, FALSE, nullptr))
{
    if (mHandle == nullptr)
    {
        const std::string detail =
            "CreateEventW failed with error " + std::to_string(GetLastError());
        ORV_THROW_FOR(std::runtime_error, owner, detail);
    }
}

EventBlock::~EventBlock()
{
    CloseHandle(mHandle);
}

bool EventBlock::Set()
{
    return SetEvent(mHandle) != FALSE;
}

bool EventBlock::Reset()
{
    return ResetEvent(mHandle) != FALSE;
}

DWORD EventBlock::Wait(DWORD ms)
{
    InterlockedIncrement(&mWaiterCount);
    const DWORD result = WaitForSingleObject(mHandle, ms);
    InterlockedDecrement(&mWaiterCount);
    return result;
}

bool EventBlock::IsSet()
{
    return Wait(0) == WAIT_OBJECT_0;
}

LONG EventBlock::GetWaiterCount() const
{
    return InterlockedExchangeAdd(const_cast<LONG*>(&mWaiterCount), 0);
}
} // namespace Orv
