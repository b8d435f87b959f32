#include "KernelObjects.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

using namespace OrvPlatform::Kernel;
using OrvPlatform::HandleObject;

namespace
{
class ThreadObject : public Object
{
public:
    ThreadObject(LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD id, DWORD suspendCount)
        : Object(Kind::Thread, true, false)
        , start(start)
        , parameter(parameter)
        , id(id)
        , suspendCount(suspendCount)
    {
        pthread_cond_init(&resumed, nullptr);
    }
    ~ThreadObject() override { pthread_cond_destroy(&resumed); }

    const LPTHREAD_START_ROUTINE start;
    const LPVOID parameter;
    const DWORD id;
    // The fields below are guarded by the kernel lock.
    DWORD suspendCount;
    pthread_cond_t resumed;
    DWORD exitCode = STILL_ACTIVE;
    pid_t systemId = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    bool boostDisabled = false;
};

std::atomic<DWORD> gNextThreadId{1};
// The calling thread's id: set when a thread of CreateThread starts, else taken from the same
// counter on first use, so that ids never repeat among the threads of the process.
thread_local DWORD tCurrentThreadId = 0;

// The thread of an open handle, or null (the kernel lock is held).
std::shared_ptr<ThreadObject> FindThread(HANDLE handle)
{
    std::shared_ptr<Object> object = FindObject(handle);
    if (!object || object->GetKind() != HandleObject::Kind::Thread)
    {
        return nullptr;
    }
    return std::static_pointer_cast<ThreadObject>(object);
}

// Scheduling weights: the nice value of a thread, relative to the process's own. The system
// lets an unprivileged process raise a nice value (lower the weight) but not lower it again, so
// priorities are applied only where every priority can be left again, back to normal.
class NiceRange
{
public:
    NiceRange()
    {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, getpid());
        mBase = (nice == -1 && errno != 0) ? 0 : nice;
        mFloor = HasNiceCapability() ? -20 : FloorFromLimit();
    }

    // Whether weights are applied at all: only when a thread can always return to the base.
    bool IsUsable() const { return mFloor <= mBase; }

    int NiceFor(int priority) const
    {
        int offset = 0;
        switch (priority)
        {
            case THREAD_PRIORITY_IDLE:
                offset = 19;
                break;
            case THREAD_PRIORITY_LOWEST:
                offset = 10;
                break;
            case THREAD_PRIORITY_BELOW_NORMAL:
                offset = 5;
                break;
            case THREAD_PRIORITY_ABOVE_NORMAL:
                offset = -5;
                break;
            case THREAD_PRIORITY_HIGHEST:
                offset = -10;
                break;
            case THREAD_PRIORITY_TIME_CRITICAL:
                offset = -20;
                break;
            default:
                break;
        }
        return std::clamp(mBase + offset, std::max(mFloor, -20), 19);
    }

private:
    static bool HasNiceCapability()
    {
        // Bit 23 of the effective capabilities is CAP_SYS_NICE.
        FILE* status = std::fopen("/proc/self/status", "r");
        if (status == nullptr)
        {
            return false;
        }
        char line[256];
        unsigned long long capabilities = 0;
        while (std::fgets(line, sizeof(line), status) != nullptr)
        {
            if (std::sscanf(line, "CapEff: %llx", &capabilities) == 1)
            {
                break;
            }
        }
        std::fclose(status);
        return (capabilities >> 23) & 1u;
    }

    static int FloorFromLimit()
    {
        rlimit limit{};
        if (getrlimit(RLIMIT_NICE, &limit) != 0)
        {
            return 20;
        }
        if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40)
        {
            return -20;
        }
        return 20 - static_cast<int>(limit.rlim_cur);
    }

    int mBase = 0;
    int mFloor = 20;
};

const NiceRange& GetNiceRange()
{
    static const NiceRange range;
    return range;
}

// With the kernel lock held: asks the system for the thread's weight (best effort).
void ApplyPriority(const ThreadObject& thread)
{
    const NiceRange& range = GetNiceRange();
    if (thread.systemId != 0 && range.IsUsable())
    {
        setpriority(PRIO_PROCESS, static_cast<id_t>(thread.systemId),
                    range.NiceFor(thread.priority));
    }
}

void* RunThread(void* argument)
{
    std::unique_ptr<std::shared_ptr<ThreadObject>> self(
        static_cast<std::shared_ptr<ThreadObject>*>(argument));
    ThreadObject& thread = **self;
    tCurrentThreadId = thread.id;
    {
        KernelLock lock;
        thread.systemId = gettid();
        ApplyPriority(thread);
        while (thread.suspendCount > 0)
        {
            pthread_cond_wait(&thread.resumed, KernelLock::Native());
        }
    }
    const DWORD exitCode = thread.start(thread.parameter);
    {
        KernelLock lock;
        thread.exitCode = exitCode;
        // The system may give the id to a new thread now.
        thread.systemId = 0;
        thread.Signal();
    }
    return nullptr;
}

bool IsValidPriority(int priority)
{
    return (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
           priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
}
} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId)
{
    if (start == nullptr || (flags & ~CREATE_SUSPENDED) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GetNiceRange();
    const DWORD id = gNextThreadId.fetch_add(1);
    std::shared_ptr<ThreadObject> thread;
    std::unique_ptr<std::shared_ptr<ThreadObject>> threadReference;
    try
    {
        thread = std::make_shared<ThreadObject>(start, parameter, id,
                                                (flags & CREATE_SUSPENDED) != 0 ? 1u : 0u);
        threadReference = std::make_unique<std::shared_ptr<ThreadObject>>(thread);
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0)
    {
        const SIZE_T page = static_cast<SIZE_T>(sysconf(_SC_PAGESIZE));
        SIZE_T size = std::max<SIZE_T>(stackSize, PTHREAD_STACK_MIN);
        size = (size + page - 1) / page * page;
        pthread_attr_setstacksize(&attributes, size);
    }
    // The handle exists before the thread can end, so that it can be waited on at once.
    HANDLE handle = InsertObject(thread);
    if (threadId != nullptr)
    {
        *threadId = id;
    }
    pthread_t native;
    const int created = pthread_create(&native, &attributes, RunThread, threadReference.get());
    pthread_attr_destroy(&attributes);
    if (created != 0)
    {
        RemoveObject(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    threadReference.release();
    return handle;
}

DWORD GetCurrentThreadId()
{
    if (tCurrentThreadId == 0)
    {
        tCurrentThreadId = gNextThreadId.fetch_add(1);
    }
    return tCurrentThreadId;
}

DWORD ResumeThread(HANDLE handle)
{
    KernelLock lock;
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    const DWORD previous = thread->suspendCount;
    if (previous > 0)
    {
        thread->suspendCount = previous - 1;
        if (thread->suspendCount == 0)
        {
            pthread_cond_signal(&thread->resumed);
        }
    }
    return previous;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode)
{
    KernelLock lock;
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread || exitCode == nullptr)
    {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = thread->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE handle, int priority)
{
    KernelLock lock;
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!IsValidPriority(priority))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    thread->priority = priority;
    ApplyPriority(*thread);
    return TRUE;
}

BOOL SetThreadPriorityBoost(HANDLE handle, BOOL disablePriorityBoost)
{
    KernelLock lock;
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    thread->boostDisabled = disablePriorityBoost != FALSE;
    return TRUE;
}
