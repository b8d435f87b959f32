#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

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

TEST(KernelTime, LocalTimeIsTheCalendarTimeInTheLocalZone)
{
    // A zone far from UTC, so that a reading in UTC would show.
    const char* previous = getenv("TZ");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("TZ", "UTC-14", 1);
    tzset();
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        const time_t before = ::time(nullptr);
        SYSTEMTIME now{};
        GetLocalTime(&now);
        const time_t after = ::time(nullptr);
        if (before != after)
        {
            continue; // a second boundary fell between the readings
        }
        tm expected{};
        // 14 hours east of UTC.
        const time_t shifted = before + 14 * 3600;
        gmtime_r(&shifted, &expected);
        EXPECT_EQ(now.wYear, expected.tm_year + 1900);
        EXPECT_EQ(now.wMonth, expected.tm_mon + 1);
        EXPECT_EQ(now.wDayOfWeek, expected.tm_wday);
        EXPECT_EQ(now.wDay, expected.tm_mday);
        EXPECT_EQ(now.wHour, expected.tm_hour);
        EXPECT_EQ(now.wMinute, expected.tm_min);
        EXPECT_EQ(now.wSecond, expected.tm_sec);
        EXPECT_LT(now.wMilliseconds, 1000);
        break;
    }
    if (previous != nullptr)
    {
        setenv("TZ", saved.c_str(), 1);
    }
    else
    {
        unsetenv("TZ");
    }
    tzset();
}
