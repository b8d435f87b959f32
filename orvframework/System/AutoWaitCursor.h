// A scope guard for a long step on the UI thread: the busy cursor over the active root window
// (else the application's first) and a status text, shown before the step begins and taken back
// when the guard ends. Guards nest; each restores what it replaced.
//
// UI thread only.
#pragma once

#include "System/RootWindow.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class CAutoWaitCursor
{
public:
    explicit CAutoWaitCursor(const WString& statusText);
    ~CAutoWaitCursor();
    CAutoWaitCursor(const CAutoWaitCursor&) = delete;
    CAutoWaitCursor& operator=(const CAutoWaitCursor&) = delete;

    // The window the cursor was set on (empty without one) and the cursor it replaced.
    const RCPtr<LRootWindow>& GetRootWindow() const { return mRootWindow; }
    HCURSOR GetReplacedCursor() const { return mReplaced; }

private:
    RCPtr<LRootWindow> mRootWindow;
    HCURSOR mReplaced = nullptr;
};
} // namespace Orv
