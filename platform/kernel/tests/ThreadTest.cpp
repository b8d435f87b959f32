#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
struct Context
{
    std::atomic<int> runs{0};
    DWORD exitCode = 0;
    HANDLE release = nullptr;
};

DWORD WINAPI CountAndReturn(LPVOID parameter)
{
    auto* context = static_cast<Context*>(parameter);
    const DWORD exitCode = context->exitCode;
    if (context->release != nullptr)
    {
        WaitForSingleObject(context->release, INFINITE);
    }
    // The last touch of the context: a waiter may end it once the count is seen.
    ++context->runs;
    return exitCode;
}

DWORD ExitCodeOf(HANDLE thread)
{
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    return code;
}
} // namespace

TEST(KernelThread, SuspendedThreadRunsOnlyAfterResume)
{
    Context context;
    context.exitCode = 0x80004005u;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, CountAndReturn, &context, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
    EXPECT_EQ(context.runs, 0);
    EXPECT_EQ(ExitCodeOf(thread), STILL_ACTIVE);

    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(context.runs, 1);
    EXPECT_EQ(ExitCodeOf(thread), 0x80004005u);
    // An ended thread stays signalled, and resuming it again changes nothing.
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(KernelThread, ThreadWithoutFlagsRunsAtOnceWithItsOwnId)
{
    Context first, second;
    first.exitCode = 7;
    DWORD firstId = 0, secondId = 0;
    HANDLE a = CreateThread(nullptr, 0, CountAndReturn, &first, 0, &firstId);
    HANDLE b = CreateThread(nullptr, 0, CountAndReturn, &second, 0, &secondId);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(firstId, secondId);
    const HANDLE both[] = {a, b};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(second.runs, 1);
    EXPECT_EQ(ExitCodeOf(a), 7u);
    EXPECT_EQ(ResumeThread(a), 0u);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(KernelThread, ClosingTheHandleLeavesTheThreadRunning)
{
    Context context;
    context.release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, CountAndReturn, &context, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, nullptr));
    SetEvent(context.release);
    for (int i = 0; i < 2000 && context.runs == 0; ++i)
    {
        Sleep(1);
    }
    EXPECT_EQ(context.runs, 1);
    CloseHandle(context.release);
}

TEST(KernelThread, RefusesBadArgumentsAndHandles)
{
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    Context context;
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, CountAndReturn, &context, 0x10000, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // An event is no thread.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0;
    SetLastError(0);
    EXPECT_EQ(ResumeThread(event), static_cast<DWORD>(-1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(GetExitCodeThread(event, &code));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(SetThreadPriority(event, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(SetThreadPriorityBoost(event, TRUE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(event);
}

TEST(KernelThread, StackSizeIsAtLeastTheSystemMinimum)
{
    // A tiny request is raised to what the system needs; the thread runs normally.
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{256 * 1024}})
    {
        Context context;
        context.exitCode = 3;
        HANDLE thread = CreateThread(nullptr, size, CountAndReturn, &context, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(ExitCodeOf(thread), 3u);
        CloseHandle(thread);
    }
}

namespace
{
int OwnNice()
{
    errno = 0;
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

struct PriorityProbe
{
    HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE read = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    int nice[3] = {};
};

DWORD WINAPI ReadNiceThreeTimes(LPVOID parameter)
{
    auto* probe = static_cast<PriorityProbe*>(parameter);
    for (int& nice : probe->nice)
    {
        WaitForSingleObject(probe->go, INFINITE);
        nice = OwnNice();
        SetEvent(probe->read);
    }
    return 0;
}
} // namespace

TEST(KernelThread, PrioritiesAreCheckedAndNormalIsAlwaysReachedAgain)
{
    PriorityProbe probe;
    HANDLE thread = CreateThread(nullptr, 0, ReadNiceThreeTimes, &probe, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    for (int bad : {3, -3, 14, 16, -16})
    {
        SetLastError(0);
        EXPECT_FALSE(SetThreadPriority(thread, bad)) << bad;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    errno = 0;
    const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));

    // Lower, raise, back to normal: whatever the system allows, the thread never ends up
    // below normal weight once normal is asked for again.
    const int sequence[] = {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_HIGHEST,
                            THREAD_PRIORITY_NORMAL};
    for (int priority : sequence)
    {
        EXPECT_TRUE(SetThreadPriority(thread, priority));
        SetEvent(probe.go);
        WaitForSingleObject(probe.read, INFINITE);
    }
    EXPECT_GE(probe.nice[0], base);
    EXPECT_LE(probe.nice[1], base);
    EXPECT_EQ(probe.nice[2], base);

    EXPECT_TRUE(SetThreadPriorityBoost(thread, TRUE));
    WaitForSingleObject(thread, INFINITE);
    // An ended thread keeps its handle; its priority may still be set.
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_IDLE));
    CloseHandle(thread);
    CloseHandle(probe.go);
    CloseHandle(probe.read);
}

namespace
{
DWORD WINAPI ReportOwnId(LPVOID parameter)
{
    *static_cast<DWORD*>(parameter) = GetCurrentThreadId();
    return 0;
}
} // namespace

TEST(KernelThread, CurrentThreadIdIsTheCreatedIdAndOthersGetTheirOwn)
{
    DWORD seen = 0;
    DWORD created = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReportOwnId, &seen, 0, &created);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(seen, created);
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    EXPECT_NE(mine, created);
    EXPECT_TRUE(CloseHandle(thread));
}
