// The core's global objects. Each one is made at its first use, so that code running before main
// (the constructor of a global elsewhere) finds it ready; those not used earlier are made before
// main at their rows of the start-up order (GlobalsOrder.h), and all are destroyed at exit in the
// reverse order of their making. The other subsystems own theirs (NotificationGlobals.h,
// RendererGlobals.h, the engine's EngineGlobals.h).
#pragma once

#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/ReuseAllocator.h"
#include "Utilities/Threading/ThreadPool.h"

namespace Orv
{
class DebugOutput;

// " ", for a control that draws a space.
const WString& GetOneSpaceString();

// The global empty strings: they share the buffer of every default-made string.
const NString& GetEmptyNString();
const WString& GetEmptyWString();

// The pool of the thread pool's jobs (locked: jobs are made and freed on several threads).
ReuseAllocator<LThreadPool::LWorkerParams, 1>& GetWorkerParamsPool();

// The program's debug output: the debugger output until the command line says otherwise.
DebugOutput& GetDebugOutput();

// The cursor names, in the order they are made. They belong to the application's cursor table and
// the controls that set cursors, which are still to come.
struct CursorNames
{
    WString appStarting{L"UI_CURSOR_APP_STARTING"};
    WString arrow{L"UI_CURSOR_ARROW"};
    WString cross{L"UI_CURSOR_CROSS"};
    // The arrow's name once more, a global of its own.
    WString arrowSecond{L"UI_CURSOR_ARROW"};
    WString dropCopy{L"UI_CURSOR_DROP_COPY"};
    WString dropMove{L"UI_CURSOR_DROP_MOVE"};
    WString hand{L"UI_CURSOR_HAND"};
    WString help{L"UI_CURSOR_HELP"};
    WString iBeam{L"UI_CURSOR_IBEAM"};
    WString mag{L"UI_CURSOR_MAG"};
    WString magMinus{L"UI_CURSOR_MAG_MINUS"};
    WString magPlus{L"UI_CURSOR_MAG_PLUS"};
    WString noDrop{L"UI_CURSOR_NO_DROP"};
    WString rotate{L"UI_CURSOR_ROTATE"};
    WString sizeAll{L"UI_CURSOR_SIZE_ALL"};
    WString sizeNesw{L"UI_CURSOR_SIZE_NESW"};
    WString sizeNs{L"UI_CURSOR_SIZE_NS"};
    WString sizeNwse{L"UI_CURSOR_SIZE_NWSE"};
    WString sizeWe{L"UI_CURSOR_SIZE_WE"};
    WString splitH{L"UI_CURSOR_SPLIT_H"};
    WString splitV{L"UI_CURSOR_SPLIT_V"};
    WString upArrow{L"UI_CURSOR_UP_ARROW"};
    WString wait{L"UI_CURSOR_WAIT"};
};
const CursorNames& GetCursorNames();
} // namespace Orv
