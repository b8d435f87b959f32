// The waitable objects behind the kernel handles (events and threads; device files are always
// signalled), kept in the process's handle table (platform/HandleTable.h).
//
// One process-wide lock, the kernel lock, guards the table and the state of every object. A wait
// registers a waiter (its own condition variable) with each object it waits on; signalling an
// object wakes its waiters, which then test again under the lock.
#pragma once

#include "platform/HandleTable.h"
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

class Object : public HandleObject
{
public:
    Object(Kind kind, bool manualReset, bool signalled)
        : HandleObject(kind)
        , mManualReset(manualReset)
        , mSignalled(signalled)
    {
    }

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
// The waitable object of an open handle of the kernel's kinds (for a device file, one that is
// always signalled), or null. The caller holds the kernel lock.
std::shared_ptr<Object> FindObject(HANDLE handle);
// Closes a handle of the kernel's kinds; false when there is no such open handle. Takes the
// kernel lock.
bool RemoveObject(HANDLE handle);

// The object of an open handle of any kind, or null. The caller holds the kernel lock.
std::shared_ptr<HandleObject> FindHandleLocked(HANDLE handle);
} // namespace OrvPlatform::Kernel
