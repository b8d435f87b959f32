// The handle table and the waitable objects behind the kernel handles (events and threads).
//
// One process-wide lock guards the table and the state of every object. A wait registers a
// waiter (its own condition variable) with each object it waits on; signalling an object wakes
// its waiters, which then test again under the lock.
#pragma once

#include "platform/Kernel.h"

#include <memory>
#include <pthread.h>
#include <vector>

namespace OrvPlatform::Kernel
{
struct Waiter
{
    pthread_cond_t condition;
};

class Object
{
public:
    enum class Kind
    {
        Event,
        Thread,
        DeviceFile // a USB device opened by CreateFileW (platform/usb); always signalled
    };

    Object(Kind kind, bool manualReset, bool signalled)
        : mKind(kind)
        , mManualReset(manualReset)
        , mSignalled(signalled)
    {
    }
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Kind GetKind() const { return mKind; }

    // The following run with the kernel lock held.
    bool IsSignalled() const { return mSignalled; }
    // A wait that this object released: an auto-reset object becomes unsignalled.
    void Consume()
    {
        if (!mManualReset)
        {
            mSignalled = false;
        }
    }
    void Signal();
    void Unsignal() { mSignalled = false; }
    void AddWaiter(Waiter* waiter) { mWaiters.push_back(waiter); }
    void RemoveWaiter(Waiter* waiter);

private:
    Kind mKind;
    bool mManualReset;
    bool mSignalled;
    std::vector<Waiter*> mWaiters;
};

// The process-wide kernel lock.
class KernelLock
{
public:
    KernelLock();
    ~KernelLock();
    KernelLock(const KernelLock&) = delete;
    KernelLock& operator=(const KernelLock&) = delete;

    static pthread_mutex_t* Native();
};

// Enters an object into the table and returns its new handle. Takes the kernel lock.
HANDLE InsertObject(std::shared_ptr<Object> object);
// The object of an open handle, or null. The caller holds the kernel lock.
std::shared_ptr<Object> FindObject(HANDLE handle);
// Removes a handle from the table; false when it is not open. Takes the kernel lock.
bool RemoveObject(HANDLE handle);
} // namespace OrvPlatform::Kernel
