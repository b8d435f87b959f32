#include "Renderer/RendererGlobals.h"

#include "Utilities/GlobalsOrder.h"

namespace Orv
{
Mutex& GetRegionLock()
{
    // Never destroyed: a thread still drawing while the process exits must not find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

const WString& GetNewLineString()
{
    static const WString newLine(L"\n");
    return newLine;
}

namespace
{
struct RegionLockStartup
{
    RegionLockStartup() { GetRegionLock(); }
};
// After the notification system's two locks.
ORV_GLOBALS_STARTUP(kGlobalsRowLocks, 2) const RegionLockStartup gRegionLockStartup;

struct NewLineStartup
{
    NewLineStartup() { GetNewLineString(); }
};
ORV_GLOBALS_STARTUP(kGlobalsRowNewLine, 0) const NewLineStartup gNewLineStartup;
} // namespace
} // namespace Orv
