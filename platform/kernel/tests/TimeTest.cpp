#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <ctime>

namespace
{
unsigned long long MonotonicMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1000ull +
           static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
}
} // namespace

TEST(KernelTime, ClocksAreTheMonotonicMillisecondsCutToThirtyTwoBits)
{
    for (DWORD (*clock)() : {&GetTickCount, &timeGetTime})
    {
        const unsigned long long before = MonotonicMs();
        const DWORD value = clock();
        const unsigned long long after = MonotonicMs();
        // Differences are taken modulo 2^32, as callers of a wrapping count do.
        EXPECT_LE(static_cast<DWORD>(value - static_cast<DWORD>(before)),
                  static_cast<DWORD>(after - before));
    }
}

TEST(KernelTime, SleepWaitsAtLeastItsTime)
{
    const DWORD start = timeGetTime();
    Sleep(25);
    EXPECT_GE(static_cast<DWORD>(timeGetTime() - start), 25u);
    const DWORD before = GetTickCount();
    Sleep(0);
    EXPECT_LT(static_cast<DWORD>(GetTickCount() - before), 1000u);
}
