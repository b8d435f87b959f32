#include "KernelObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <unordered_map>

namespace OrvPlatform::Kernel
{
namespace
{
pthread_mutex_t gKernelMutex = PTHREAD_MUTEX_INITIALIZER;

struct HandleTable
{
    std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
    // Handle values are multiples of 4 and never used twice.
    std::uintptr_t next = 4;
};

HandleTable& Table()
{
    // Never destroyed: handles may still be closed by destructors that run at exit.
    static HandleTable* table = new HandleTable;
    return *table;
}

std::uintptr_t Key(HANDLE handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}

bool ListedTwice(DWORD count, const HANDLE* handles)
{
    for (DWORD i = 0; i < count; ++i)
    {
        for (DWORD j = i + 1; j < count; ++j)
        {
            if (handles[i] == handles[j])
            {
                return true;
            }
        }
    }
    return false;
}

timespec DeadlineAfter(DWORD ms)
{
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L)
    {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}
} // namespace

void Object::Signal()
{
    mSignalled = true;
    for (Waiter* waiter : mWaiters)
    {
        pthread_cond_signal(&waiter->condition);
    }
}

void Object::RemoveWaiter(Waiter* waiter)
{
    mWaiters.erase(std::remove(mWaiters.begin(), mWaiters.end(), waiter), mWaiters.end());
}

KernelLock::KernelLock()
{
    pthread_mutex_lock(&gKernelMutex);
}

KernelLock::~KernelLock()
{
    pthread_mutex_unlock(&gKernelMutex);
}

pthread_mutex_t* KernelLock::Native()
{
    return &gKernelMutex;
}

HANDLE InsertObject(std::shared_ptr<Object> object)
{
    KernelLock lock;
    HandleTable& table = Table();
    const std::uintptr_t key = table.next;
    table.next += 4;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<Object> FindObject(HANDLE handle)
{
    HandleTable& table = Table();
    auto found = table.objects.find(Key(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

bool RemoveObject(HANDLE handle)
{
    std::shared_ptr<Object> removed;
    {
        KernelLock lock;
        HandleTable& table = Table();
        auto found = table.objects.find(Key(handle));
        if (found == table.objects.end())
        {
            return false;
        }
        removed = std::move(found->second);
        table.objects.erase(found);
    }
    // The object may end here, outside the lock.
    return true;
}
} // namespace OrvPlatform::Kernel

using namespace OrvPlatform::Kernel;

BOOL CloseHandle(HANDLE handle)
{
    if (!RemoveObject(handle))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    return WaitForMultipleObjects(1, &handle, FALSE, ms);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr ||
        (waitAll && ListedTwice(count, handles)))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }

    std::shared_ptr<Object> objects[MAXIMUM_WAIT_OBJECTS];
    Waiter waiter;
    bool registered = false;
    const timespec deadline = DeadlineAfter(ms == INFINITE ? 0 : ms);
    DWORD result = WAIT_TIMEOUT;
    {
        KernelLock lock;
        for (DWORD i = 0; i < count; ++i)
        {
            objects[i] = FindObject(handles[i]);
            if (!objects[i])
            {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
        }

        bool timedOut = false;
        for (;;)
        {
            if (waitAll)
            {
                const bool all =
                    std::all_of(objects, objects + count,
                                [](const auto& object) { return object->IsSignalled(); });
                if (all)
                {
                    for (DWORD i = 0; i < count; ++i)
                    {
                        objects[i]->Consume();
                    }
                    result = WAIT_OBJECT_0;
                    break;
                }
            }
            else
            {
                DWORD i = 0;
                while (i < count && !objects[i]->IsSignalled())
                {
                    ++i;
                }
                if (i < count)
                {
                    objects[i]->Consume();
                    result = WAIT_OBJECT_0 + i;
                    break;
                }
            }
            if (ms == 0 || timedOut)
            {
                break;
            }
            if (!registered)
            {
                pthread_condattr_t attributes;
                pthread_condattr_init(&attributes);
                pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
                pthread_cond_init(&waiter.condition, &attributes);
                pthread_condattr_destroy(&attributes);
                for (DWORD i = 0; i < count; ++i)
                {
                    objects[i]->AddWaiter(&waiter);
                }
                registered = true;
            }
            if (ms == INFINITE)
            {
                pthread_cond_wait(&waiter.condition, KernelLock::Native());
            }
            else
            {
                // After a time-out the objects are tested once more before giving up.
                timedOut = pthread_cond_timedwait(&waiter.condition, KernelLock::Native(),
                                                  &deadline) == ETIMEDOUT;
            }
        }
        if (registered)
        {
            for (DWORD i = 0; i < count; ++i)
            {
                objects[i]->RemoveWaiter(&waiter);
            }
        }
    }
    if (registered)
    {
        pthread_cond_destroy(&waiter.condition);
    }
    return result;
}
