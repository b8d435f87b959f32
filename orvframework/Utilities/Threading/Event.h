// A plain event: auto-reset (one Set releases one Wait) or manual-reset (stays set until Reset).
#pragma once

#include "Utilities/Threading/EventBlock.h"

#include <memory>

namespace Orv
{
class Event
{
public:
    // Unsignalled at first. Throws "Runtime Error" when the system gives no event.
    explicit Event(bool autoReset);
    virtual ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool Set() { return mBlock->Set(); }
    bool Reset() { return mBlock->Reset(); }
    // The wait's result unchanged: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    DWORD Wait(DWORD ms = INFINITE) { return mBlock->Wait(ms); }
    // Set right now (a zero-time wait that succeeded; consumes an auto-reset signal).
    bool IsSet() { return mBlock->IsSet(); }
    HANDLE GetHandle() const { return mBlock->GetHandle(); }

private:
    std::unique_ptr<EventBlock> mBlock;
};
} // namespace Orv
