#include "KernelObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>

namespace OrvPlatform::Kernel
{
namespace
{
pthread_mutex_t gKernelMutex = PTHREAD_MUTEX_INITIALIZER;

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
    return InsertHandle(std::move(object));
}

std::shared_ptr<Object> FindObject(HANDLE handle)
{
    std::shared_ptr<HandleObject> found = FindHandleLocked(handle);
    if (!found)
    {
        return nullptr;
    }
    switch (found->GetKind())
    {
        case HandleObject::Kind::Event:
        case HandleObject::Kind::Thread:
            return std::static_pointer_cast<Object>(found);
        case HandleObject::Kind::DeviceFile:
        {
            // No transfer of a device file is ever pending, so it is always signalled. Never
            // destroyed: waits may still run at exit.
            static auto* signalled = new std::shared_ptr<Object>(
                std::make_shared<Object>(HandleObject::Kind::DeviceFile, true, true));
            return *signalled;
        }
        default:
            return nullptr;
    }
}

bool RemoveObject(HANDLE handle)
{
    HandleObject::Kind kind;
    {
        KernelLock lock;
        std::shared_ptr<HandleObject> found = FindHandleLocked(handle);
        if (!found)
        {
            return false;
        }
        kind = found->GetKind();
    }
    if (kind != HandleObject::Kind::Event && kind != HandleObject::Kind::Thread &&
        kind != HandleObject::Kind::DeviceFile)
    {
        return false;
    }
    // The object may end here, outside the lock.
    return RemoveHandle(handle, kind) != nullptr;
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
