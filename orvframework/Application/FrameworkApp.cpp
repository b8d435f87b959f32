#include "Application/FrameworkApp.h"

#include "ControlBase/Control.h"
#include "ControlBase/StatusBarInterface.h"
#include "System/RootWindow.h"
#include "System/WindowOSServices.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"
#include "notification/NotificationName.h"

namespace Orv
{
namespace
{
LFrameworkApp* gApplication = nullptr;
} // namespace

LFrameworkApp* GetFrameworkApp()
{
    return gApplication;
}

const RCPtr<LRootWindow>& GetEmptyRootWindow()
{
    static const RCPtr<LRootWindow> empty;
    return empty;
}

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory,
                             const RCPtr<LStringTable>& frameworkStringTable,
                             const WString& commandLine, const RCPtr<LClock>& clock)
    : mFactory(factory)
    , mCommandLine(commandLine.ToNarrow())
    , mFrameworkStringTable(frameworkStringTable)
    , mClock(clock ? clock : GetSystemClock())
    , mLastClock(mClock->GetMilliseconds())
{
    gApplication = this;
    // The "application" center exists before any worker thread posts to it.
    const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    mHotKeys = LGlobalHotKeyManager::Create(center ? center->GetPostingReceiver() : nullptr);
    mClipboard = LClipboard::Create();
    if (mFactory)
    {
        mFactory->GetApplicationStringTable(mApplicationStringTable);
    }
}

LFrameworkApp::~LFrameworkApp()
{
    UnregisterAllNotifications();
    if (mClipboard)
    {
        mClipboard->UnregisterAllNotifications();
    }
    ReleaseNotificationCenterManager();
    LNotification::SetRecycling(false);
    if (gApplication == this)
    {
        gApplication = nullptr;
    }
}

RCPtr<LNotificationCenter> LFrameworkApp::GetApplicationNotificationCenter()
{
    return Orv::GetApplicationNotificationCenter();
}

ORVRESULT LFrameworkApp::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>& notification)
{
    // Identities are interned: the same name is the same pointer.
    if (!notification || notification->id != InternNotificationName(L"NID_APP_EXIT_REQ"))
    {
        return S_OK;
    }
    mExiting = true;
    // The main window is closed by the application itself.
    for (unsigned int i = mRootWindows.GetCount(); i-- > 1;)
    {
        if (i < mRootWindows.GetCount())
        {
            const RCPtr<LRootWindow> window = mRootWindows.GetConstElementPointer(i);
            window->RequestClose(0);
        }
    }
    return S_OK;
}

ORVRESULT LFrameworkApp::ReceiveCommandLine(const WString&)
{
    return S_OK;
}

void LFrameworkApp::Run()
{
    if (mRootWindows.GetCount() > 0)
    {
        const RCPtr<LRootWindow> main = mRootWindows.GetConstElementPointer(0);
        main->RedrawNow();
    }
    OnBeforeRun();
    ProcessIdle(true);
    try
    {
        RunMessageLoop();
    }
    catch (...)
    {
        WString text;
        WString caption;
        if (mFrameworkStringTable)
        {
            mFrameworkStringTable->Lookup(L"STARTUP_ERROR", text);
            mFrameworkStringTable->Lookup(L"STARTUP_ERROR_CAPTION", caption);
        }
        ShowMessage(text, caption, MB_ICONERROR);
        GetApplicationNotificationCenter()->PostNotification(
            LNotification::Create(L"NID_APP_EXIT_REQ"));
    }
    ProcessIdle(true);
}

ORVRESULT LFrameworkApp::GetStatusBar(RCPtr<LControl>& out)
{
    out = nullptr;
    const RCPtr<LRootWindow>& main = GetRootWindow(0);
    const RCPtr<LControl> root = main ? main->GetRootControl() : nullptr;
    if (!root)
    {
        return E_FAIL;
    }
    RCPtr<LControl> bar = root->FindChildControl(WString(L"statusBar"));
    if (dynamic_cast<IStatusBar*>(bar.Get()) == nullptr)
    {
        return E_FAIL;
    }
    out = bar;
    return S_OK;
}

ORVRESULT LFrameworkApp::SetStatusText(const WString& text, bool immediate)
{
    RCPtr<LControl> control;
    GetStatusBar(control);
    auto* bar = dynamic_cast<IStatusBar*>(control.Get());
    if (bar == nullptr)
    {
        return E_FAIL;
    }
    return immediate ? bar->SetStatusText(text) : bar->QueueStatusText(text);
}

ORVRESULT LFrameworkApp::RestoreStatusText(bool immediate)
{
    RCPtr<LControl> control;
    GetStatusBar(control);
    auto* bar = dynamic_cast<IStatusBar*>(control.Get());
    if (bar == nullptr)
    {
        return E_FAIL;
    }
    return SetStatusText(bar->GetDefaultText(), immediate);
}

ORVRESULT LFrameworkApp::GetDefaultFont(ConstRCPtr<LFont>& out)
{
    out = mSkinFont;
    return out ? S_OK : E_FAIL;
}

int LFrameworkApp::AddRootWindow(const RCPtr<LRootWindow>& window)
{
    const int index = mRootWindows.Find(window.Get());
    if (index >= 0)
    {
        return index;
    }
    return static_cast<int>(mRootWindows.AddItem(window));
}

int LFrameworkApp::RemoveRootWindow(const LRootWindow* window)
{
    const int index = mRootWindows.Find(window);
    if (index < 0)
    {
        return index;
    }
    // The list may hold the window's last outside reference: it goes after the list is
    // consistent.
    RCPtr<LRootWindow> removed;
    mRootWindows.RemoveItem(static_cast<unsigned int>(index), removed);
    return index;
}

const RCPtr<LRootWindow>& LFrameworkApp::GetActiveRootWindow() const
{
    for (unsigned int i = mRootWindows.GetCount(); i-- > 0;)
    {
        const RCPtr<LRootWindow>& window = mRootWindows.GetConstElementPointer(i);
        IWindowOSServices* services = window->GetServices();
        if (services != nullptr && services->IsActive())
        {
            return window;
        }
    }
    return GetEmptyRootWindow();
}

const RCPtr<LRootWindow>& LFrameworkApp::GetRootWindow(unsigned int index) const
{
    return index < mRootWindows.GetCount() ? mRootWindows.GetConstElementPointer(index)
                                           : GetEmptyRootWindow();
}

PointT<LONG> LFrameworkApp::GetCursorPos()
{
    const RCPtr<LRootWindow>& active = GetActiveRootWindow();
    if (active)
    {
        if (IWindowOSServices* services = active->GetServices())
        {
            return services->ClientToScreen(active->GetCursorPos());
        }
    }
    POINT point{0, 0};
    ::GetCursorPos(&point);
    return PointT<LONG>(point.x, point.y);
}

DWORD LFrameworkApp::GetMouseButtons()
{
    const RCPtr<LRootWindow>& active = GetActiveRootWindow();
    if (active)
    {
        return active->GetMouseButtons();
    }
    DWORD buttons = 0;
    const struct
    {
        int key;
        DWORD bit;
    } kButtons[] = {{VK_LBUTTON, 1}, {VK_MBUTTON, 2}, {VK_RBUTTON, 4}};
    for (const auto& button : kButtons)
    {
        BYTE down = 0;
        BYTE toggled = 0;
        GetKeyState(button.key, down, toggled);
        if (down != 0)
        {
            buttons |= button.bit;
        }
    }
    return buttons;
}

ORVRESULT LFrameworkApp::ReleaseServices()
{
    const RCPtr<LControlFactory> factory = std::move(mFactory);
    mHotKeys = nullptr;
    if (mClipboard)
    {
        mClipboard->UnregisterAllNotifications();
        mClipboard = nullptr;
    }
    return S_OK;
}
} // namespace Orv
