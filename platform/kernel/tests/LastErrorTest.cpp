#include "platform/Interlocked.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(LastError, IsKeptPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByOther = 12345;
    std::thread other(
        [&]
        {
            seenByOther = GetLastError();
            SetLastError(ERROR_FILE_NOT_FOUND);
        });
    other.join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Interlocked, ReturnsTheDocumentedValues)
{
    LONG value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 5);
    EXPECT_EQ(value, 15);
    EXPECT_EQ(InterlockedExchangeAdd(&value, 0), 15);
    EXPECT_EQ(InterlockedExchange(&value, 3), 15);
    EXPECT_EQ(value, 3);
    // Compare-exchange returns the previous value whether or not it stored.
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 4), 3);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(InterlockedCompareExchange(&value, 9, 3), 3);
    EXPECT_EQ(value, 9);
}

TEST(Interlocked, ConcurrentIncrementsAreNotLost)
{
    LONG counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < 20000; ++i)
                {
                    InterlockedIncrement(&counter);
                    InterlockedDecrement(&counter);
                    InterlockedIncrement(&counter);
                }
            });
    }
    for (auto& t : threads)
    {
        t.join();
    }
    EXPECT_EQ(counter, 4 * 20000);
}

TEST(Interlocked, PointerExchange)
{
    int a = 1;
    int b = 2;
    void* slot = &a;
    EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &b, nullptr), &a);
    EXPECT_EQ(slot, &a);
    EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &b, &a), &a);
    EXPECT_EQ(slot, &b);
    EXPECT_EQ(InterlockedExchangePointer(&slot, nullptr), &b);
    EXPECT_EQ(slot, nullptr);
}
