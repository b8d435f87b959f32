#include "platform/Kernel.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace
{
DWORD MonotonicMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ull +
                                  static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
    // The low 32 bits: the count wraps to 0 after 0xFFFFFFFF.
    return static_cast<DWORD>(ms);
}
} // namespace

DWORD GetTickCount()
{
    return MonotonicMilliseconds();
}

DWORD timeGetTime()
{
    return MonotonicMilliseconds();
}

void GetLocalTime(LPSYSTEMTIME time)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    // A leap second reads as the last second of its minute.
    time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000L);
}

void Sleep(DWORD ms)
{
    if (ms == 0)
    {
        sched_yield();
        return;
    }
    if (ms == INFINITE)
    {
        for (;;)
        {
            pause();
        }
    }
    timespec remaining{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &remaining, &remaining) == EINTR)
    {
    }
}
