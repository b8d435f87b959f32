#include "Utilities/Threading/SystemClock.h"

#include "Utilities/Storage/StringT.h"

namespace Orv
{
DWORD LSystemClock::GetMilliseconds() const
{
    return timeGetTime();
}

DWORD LSystemClock::Wait(HANDLE event, DWORD ms)
{
    if (event == nullptr)
    {
        ::Sleep(ms);
        return WAIT_TIMEOUT;
    }
    return WaitForSingleObject(event, ms);
}

WString LSystemClock::ToString() const
{
    return WString(L"LSystemClock");
}

RCPtr<LClock> GetSystemClock()
{
    // Never destroyed: objects that outlive exit's destructors may still ask it the time.
    static LSystemClock* const clock = []
    {
        auto* made = new LSystemClock();
        made->AddRef();
        return made;
    }();
    return RCPtr<LClock>(clock);
}
} // namespace Orv
