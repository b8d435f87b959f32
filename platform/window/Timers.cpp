// Timers: due times on the timer clock, turned into WM_TIMER by the owning thread's retrieval.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <algorithm>

using namespace OrvPlatform::Window::Detail;

namespace
{
UINT Clamp(UINT elapse)
{
    return std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
}

// Whether the due time has come (the clock wraps at 32 bits).
bool IsDue(DWORD due, DWORD now)
{
    return static_cast<std::int32_t>(now - due) >= 0;
}

DWORD ThreadOf(WindowSystem& system, const Timer& timer)
{
    if (timer.window == nullptr)
    {
        return static_cast<DWORD>(timer.id >> 32);
    }
    auto record = system.Find(timer.window);
    return record ? record->thread : 0;
}

// A thread timer's id carries its thread in the high half of the stored id.
UINT_PTR StoredId(HWND window, UINT_PTR id, DWORD thread)
{
    return window == nullptr ? (static_cast<UINT_PTR>(thread) << 32) | id : id;
}
} // namespace

namespace OrvPlatform::Window::Detail
{
DWORD UntilNextTimer(WindowSystem& system, DWORD thread, DWORD limit)
{
    const DWORD now = system.Now();
    DWORD result = limit;
    for (const Timer& timer : system.timers)
    {
        if (ThreadOf(system, timer) != thread)
        {
            continue;
        }
        if (IsDue(timer.due, now))
        {
            return 0;
        }
        result = std::min<DWORD>(result, timer.due - now);
    }
    return result;
}

bool TakeDueTimer(WindowSystem& system, DWORD thread, const Filter& filter, bool remove, MSG& out)
{
    if (!(filter.min == 0 && filter.max == 0) && (WM_TIMER < filter.min || WM_TIMER > filter.max))
    {
        return false;
    }
    const DWORD now = system.Now();
    for (Timer& timer : system.timers)
    {
        if (!IsDue(timer.due, now) || ThreadOf(system, timer) != thread)
        {
            continue;
        }
        if (filter.window != nullptr &&
            filter.window != (timer.window == nullptr ? reinterpret_cast<HWND>(-1) : timer.window))
        {
            continue;
        }
        out = MSG{};
        out.hwnd = timer.window;
        out.message = WM_TIMER;
        out.wParam = timer.window == nullptr ? (timer.id & 0xFFFFFFFFu) : timer.id;
        out.lParam = reinterpret_cast<LPARAM>(timer.procedure);
        out.time = GetTickCount();
        if (remove)
        {
            timer.due = now + timer.elapse;
        }
        return true;
    }
    return false;
}

void RemoveTimers(WindowSystem& system, HWND window)
{
    std::erase_if(system.timers, [&](const Timer& timer) { return timer.window == window; });
}
} // namespace OrvPlatform::Window::Detail

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    const DWORD thread = system.CurrentQueue().thread;
    if (window != nullptr)
    {
        auto record = system.Find(window);
        if (!record)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (record->thread != thread)
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    else
    {
        // A thread timer gets an id of its own unless it names one of the thread's timers.
        const bool known =
            id != 0 && std::any_of(system.timers.begin(), system.timers.end(),
                                   [&](const Timer& timer) {
                                       return timer.window == nullptr &&
                                              timer.id == StoredId(nullptr, id, thread);
                                   });
        if (!known)
        {
            id = ++system.nextThreadTimerId;
        }
    }
    const UINT_PTR stored = StoredId(window, id, thread);
    Timer timer;
    timer.window = window;
    timer.id = stored;
    timer.elapse = Clamp(elapse);
    timer.due = system.Now() + timer.elapse;
    timer.procedure = procedure;
    auto existing =
        std::find_if(system.timers.begin(), system.timers.end(),
                     [&](const Timer& t) { return t.window == window && t.id == stored; });
    if (existing != system.timers.end())
    {
        *existing = timer;
    }
    else
    {
        system.timers.push_back(timer);
    }
    if (ThreadQueue* queue = system.QueueOf(thread))
    {
        system.Wake(*queue);
    }
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    const DWORD thread = system.CurrentQueue().thread;
    const UINT_PTR stored = StoredId(window, id, thread);
    auto found = std::find_if(system.timers.begin(), system.timers.end(),
                              [&](const Timer& t) { return t.window == window && t.id == stored; });
    if (found == system.timers.end())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    system.timers.erase(found);
    // A WM_TIMER is never queued ahead, so none of this timer remains.
    return TRUE;
}

namespace OrvPlatform::Window
{
void SetTimerClock(Clock clock)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    system.clock = clock;
}
} // namespace OrvPlatform::Window
