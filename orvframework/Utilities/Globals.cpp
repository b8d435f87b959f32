#include "Utilities/Globals.h"

#include "Utilities/Debug/DebugOutput.h"

namespace Orv
{
const WString& GetControllerDeviceName()
{
    static const WString name(L"Halvex DJ Brelune VANTA");
    return name;
}

const WString& GetWheelDisplayDeviceName()
{
    static const WString name(L"Halvex DJ Brelune VANTA WD");
    return name;
}

const WString& GetOneSpaceString()
{
    static const WString space(L" ");
    return space;
}

const NString& GetEmptyNString()
{
    static const NString empty;
    return empty;
}

const WString& GetEmptyWString()
{
    static const WString empty;
    return empty;
}

ReuseAllocator<LThreadPool::LWorkerParams, 1>& GetWorkerParamsPool()
{
    static ReuseAllocator<LThreadPool::LWorkerParams, 1> pool(true);
    return pool;
}

Mutex& GetNotificationLock()
{
    // Never destroyed: a thread still posting or drawing while the process exits must not
    // find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

Mutex& GetNotificationQueueLock()
{
    // Never destroyed: a thread still posting or drawing while the process exits must not
    // find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

Mutex& GetRegionLock()
{
    // Never destroyed: a thread still posting or drawing while the process exits must not
    // find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

DebugOutput& GetDebugOutput()
{
    static DebugOutput output;
    return output;
}

const CursorNames& GetCursorNames()
{
    static const CursorNames names;
    return names;
}

const WString& GetNewLineString()
{
    static const WString newLine(L"\n");
    return newLine;
}

namespace
{
// Makes the globals before main, in this order; exit destroys them in the reverse one. The
// subsystems that are still to come put theirs at their place in the same list:
//   the application's and the dual updater's smart pointers (before the device names);
//   the dual-updater instance, further smart pointers and the application object (after them);
//   the null element pointers of the control, look, descriptor, notification, bitmap, menu-item,
//   visual-part and worker-parameter arrays (before the one-space string);
//   the pool of notifications (after the thread pool's job pool);
//   the name "application" and the pool of MIDI capture data (before the debug output);
//   the bitmap cache and the two key-code maps (before the cursor names);
//   the list of notification distributors (before the "\n" string);
//   the six pools of input and value parameters, then the font-file list and its hashed index
//   (at the end).
struct StartupConstruction
{
    StartupConstruction()
    {
        GetControllerDeviceName();
        GetWheelDisplayDeviceName();
        GetOneSpaceString();
        GetEmptyNString();
        GetEmptyWString();
        GetWorkerParamsPool();
        GetNotificationLock();
        GetNotificationQueueLock();
        GetRegionLock();
        GetDebugOutput();
        GetCursorNames();
        GetNewLineString();
    }
};
const StartupConstruction gStartupConstruction;
} // namespace
} // namespace Orv
