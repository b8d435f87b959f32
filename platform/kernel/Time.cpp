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
