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
    application->SetStatusText(statusText, true);
    // The text and the cursor are drawn before the long step begins.
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
        application->RestoreStatusText(false);
    }
}
} // namespace Orv
