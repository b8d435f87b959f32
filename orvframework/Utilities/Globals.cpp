#include "Utilities/Globals.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/GlobalsOrder.h"

namespace Orv
{
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

namespace
{
struct CoreStartup
{
    CoreStartup()
    {
        GetOneSpaceString();
        GetEmptyNString();
        GetEmptyWString();
        GetWorkerParamsPool();
    }
};
ORV_GLOBALS_STARTUP(kGlobalsRowOneSpace, 0) const CoreStartup gCoreStartup;

struct DebugOutputStartup
{
    DebugOutputStartup() { GetDebugOutput(); }
};
ORV_GLOBALS_STARTUP(kGlobalsRowDebugOutput, 0) const DebugOutputStartup gDebugOutputStartup;

struct CursorNamesStartup
{
    CursorNamesStartup() { GetCursorNames(); }
};
ORV_GLOBALS_STARTUP(kGlobalsRowCursorNames, 0) const CursorNamesStartup gCursorNamesStartup;
} // namespace
} // namespace Orv
