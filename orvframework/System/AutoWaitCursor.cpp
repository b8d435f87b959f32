// The wait cursor and its status text.
#include "System/AutoWaitCursor.h"

#include "Application/FrameworkApp.h"

namespace Orv
{
CAutoWaitCursor::CAutoWaitCursor(const WString& statusText)
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return;
    }
    mRootWindow = application->GetActiveRootWindow();
    if (!mRootWindow)
    {
        mRootWindow = application->GetRootWindow(0);
    }
    if (mRootWindow)
    {
        mReplaced = mRootWindow->SetCursor(application->GetCursor(L"UI_CURSOR_WAIT"));
    }
    // The text is posted; the idle pass below delivers it, so that it and the cursor are drawn
    // before the long step begins.
    application->SetStatusText(statusText, false);
    application->ProcessIdle(true);
}

CAutoWaitCursor::~CAutoWaitCursor()
{
    if (mRootWindow)
    {
        mRootWindow->SetCursor(mReplaced);
    }
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        // The previous text comes back at once.
        application->RestoreStatusText(true);
    }
}
} // namespace Orv
