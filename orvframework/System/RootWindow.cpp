// The root window: its life, its root control, focus and capture, invalidation and the idle pass.
#include "System/RootWindow.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "System/Dialog.h"
#include "System/WindowOSServices.h"
#include "Utilities/Geometry/RectOperations.h"
#include "Utilities/Threading/ScopedLock.h"
#include "notification/KeyCode.h"
#include "notification/NotificationName.h"

#include <algorithm>
#include <vector>

namespace Orv
{
LRootWindow::LRootWindow(const ConstRCPtr<LRenderer>& renderer, IWindowOSServices* services)
    : mRenderer(renderer)
    , mServices(services)
    , mHotKeys(LGlobalHotKeyManager::Create(GetPostingReceiver()))
{
}

LRootWindow::~LRootWindow() = default;

ORVRESULT LRootWindow::ReleaseInternalReferences()
{
    UnregisterAllClients();
    mServices = nullptr;
    SetRootControl(nullptr);
    Detach();
    if (mWindowReferenceInternal)
    {
        mWindowReferenceInternal = false;
        ReleaseInternalReference();
    }
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

void LRootWindow::TakeWindowReference()
{
    if (!mWindowReferenceInternal)
    {
        mWindowReferenceInternal = true;
        AddInternalReference();
    }
}

void LRootWindow::DetachWindow()
{
    mServices = nullptr;
    if (mWindowReferenceInternal)
    {
        mWindowReferenceInternal = false;
        ReleaseInternalReference();
    }
}

// --- The root control ---

ORVRESULT LRootWindow::CreateRootControl(const WString& className)
{
    RCPtr<LControl> control;
    if (!className.IsEmpty())
    {
        LFrameworkApp* application = GetFrameworkApp();
        const RCPtr<LControlFactory>& factory =
            application != nullptr ? application->GetControlFactory() : GetControlFactory();
        if (!factory)
        {
            SetRootControl(nullptr);
            return E_FAIL;
        }
        const ORVRESULT made = factory->CreateTopLevelControl(control, className, this);
        if (FAILED(made))
        {
            SetRootControl(nullptr);
            return made;
        }
    }
    return SetRootControl(control);
}

ORVRESULT LRootWindow::SetRootControl(const RCPtr<LControl>& control)
{
    // The new control may be held only by the caller's reference.
    const RCPtr<LControl> installing = control;
    mFocus = nullptr;
    mPreviousFocus = nullptr;
    mHover = nullptr;
    mToolTipControl = nullptr;
    mCapture = nullptr;
    if (mRootControl)
    {
        const RCPtr<LControl> old = std::move(mRootControl);
        if (mRootControlReferenceInternal)
        {
            mRootControlReferenceInternal = false;
            ReleaseInternalReference();
        }
        if (old->GetRootWindow().Get() == static_cast<IRootWindow*>(this))
        {
            old->SetRootWindow(nullptr);
        }
        mHotKeys->Clear();
    }
    if (!installing)
    {
        return S_OK;
    }
    mRootControl = installing;
    if (const RCPtr<LStringTable> table = installing->GetStringTable())
    {
        mHotKeys->LoadHotKeys(table, WString(L"GHK"));
        // Context-menu items bound to these hot keys fire them as the keys do.
        LControl::ControlList controls;
        installing->CollectDescendants(controls);
        controls.AddItem(installing);
        for (unsigned int i = 0; i < controls.GetCount(); ++i)
        {
            const RCPtr<LControl>& control = controls.GetConstElementPointer(i);
            if (const RCPtr<LMenuDescriptor> menu = control->GetContextMenu())
            {
                control->SubscribeMenuCommands(menu, true);
            }
        }
    }
    if (!installing->GetRootWindow())
    {
        installing->SetRootWindow(this);
    }
    // The control fills the window: at the client area's origin, as large as the client area
    // (a top-level control's "parent" reference is the screen).
    AxisPlacement fill;
    fill.position = LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, 0};
    fill.size = LayoutSpec{LLayoutDescriptor::kSizeClient, WString(), 1.0f, 0};
    installing->SetPlacement(fill, fill);
    if (!mFocus && mServices != nullptr)
    {
        if (mServices->HasFocus())
        {
            installing->SetFocus(true);
        }
        else
        {
            mServices->SetFocus();
        }
    }
    // The control's reference to this window.
    if (installing->GetRootWindow().Get() == static_cast<IRootWindow*>(this))
    {
        mRootControlReferenceInternal = true;
        AddInternalReference();
    }
    const RectT<LONG> client = GetClientRect();
    InvalidateControl(RectT<LONG>(0, 0, client.width, client.height));
    return S_OK;
}

// --- Focus, capture, hover ---

void LRootWindow::SetFocusControl(const RCPtr<LControl>& control)
{
    mFocus = control;
}

void LRootWindow::ClearFocusControl()
{
    mPreviousFocus = mFocus;
    mFocus = nullptr;
}

RCPtr<LControl> LRootWindow::GetFocusControl()
{
    return mFocus;
}

ORVRESULT LRootWindow::SetCaptureControl(const RCPtr<LControl>& control)
{
    if (!control)
    {
        return E_INVALIDARG;
    }
    if (mCapture)
    {
        // Also a control that asks again loses the capture first.
        const RCPtr<LControl> old = mCapture;
        old->OnCaptureLost();
    }
    mCapture = control;
    return S_OK;
}

ORVRESULT LRootWindow::ReleaseCaptureControl()
{
    mCapture = nullptr;
    return S_OK;
}

ORVRESULT LRootWindow::SetHoverControl(const RCPtr<LControl>& control)
{
    RCPtr<LControl> hover = control;
    // While a control holds the capture, no other control is under the pointer.
    if (mCapture && hover.Get() != mCapture.Get())
    {
        hover = nullptr;
    }
    if (hover.Get() == mHover.Get())
    {
        return S_OK;
    }
    // The tool tip follows the control that gives the hovered control its tip.
    const RCPtr<LControl> tipped = ToolTipSource(hover);
    if (tipped.Get() != mToolTipControl.Get())
    {
        if (const RCPtr<LControl> old = std::move(mToolTipControl))
        {
            old->ShowToolTip(false);
        }
        mToolTipControl = tipped;
        if (tipped)
        {
            tipped->ShowToolTip(true);
        }
    }
    if (const RCPtr<LControl> old = std::move(mHover))
    {
        // A control that has left its tree is simply dropped.
        if (old->GetParent() || old->GetRootWindow())
        {
            old->OnMouseLeave();
        }
    }
    mHover = hover;
    if (hover)
    {
        hover->OnMouseEnter();
    }
    return S_OK;
}

RCPtr<LControl> LRootWindow::ToolTipSource(const RCPtr<LControl>& control) const
{
    if (!control || control.Get() == mCapture.Get())
    {
        return nullptr;
    }
    RCPtr<LControl> source = control;
    while (source->UsesParentToolTip() && source->GetParent())
    {
        source = source->GetParent();
    }
    return source->GetToolTipText().IsEmpty() ? nullptr : source;
}

void LRootWindow::HideToolTip()
{
    if (const RCPtr<LControl> control = mToolTipControl)
    {
        control->ShowToolTip(false);
    }
}

void LRootWindow::RestoreFocus()
{
    if (!mFocus && mPreviousFocus &&
        mPreviousFocus->GetTreeRootWindow().Get() == static_cast<IRootWindow*>(this))
    {
        const RCPtr<LControl> previous = mPreviousFocus;
        previous->SetFocus(true);
    }
    else if (mRootControl)
    {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
    }
}

void LRootWindow::HandleFocusLost()
{
    SetHoverControl(nullptr);
    if (mRootControl)
    {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
        root->OnKillFocus();
    }
}

void LRootWindow::NotifyCaptureLost()
{
    if (mCapture)
    {
        const RCPtr<LControl> capture = mCapture;
        capture->OnCaptureLost();
    }
}

void LRootWindow::HandleResize(const SizeT<LONG>& size)
{
    if (mRootControl)
    {
        const RCPtr<LControl> root = mRootControl;
        root->OnResize(size);
    }
}

void LRootWindow::CloseWindow()
{
    if (auto* dialog = dynamic_cast<LDialog*>(mRootControl.Get()))
    {
        const RCPtr<LControl> keep = mRootControl;
        dialog->Close(LDialog::kCancel);
    }
    else if (mServices != nullptr)
    {
        RequestClose(0);
    }
}

void LRootWindow::CycleFocus(const RCPtr<LKeyParam>& key)
{
    if (mServices == nullptr || !mServices->IsActive() || mServices->IsModal())
    {
        return;
    }
    const bool backward = key && (key->key.code & KeyCode::kShift) != 0;
    LFrameworkApp* application = GetFrameworkApp();
    const unsigned int count = application != nullptr ? application->GetRootWindowCount() : 0;
    if (count < 2)
    {
        if (mRootControl)
        {
            const RCPtr<LControl> root = mRootControl;
            root->OnKillFocus();
            root->SetFocus(!backward);
        }
        return;
    }
    int index = -1;
    for (unsigned int i = count; i-- > 0;)
    {
        if (application->GetRootWindow(i).Get() == this)
        {
            index = static_cast<int>(i);
            break;
        }
    }
    if (index < 0)
    {
        return;
    }
    int next = backward ? index - 1 : index + 1;
    if (next < 0)
    {
        next = static_cast<int>(count) - 1;
    }
    else if (next >= static_cast<int>(count))
    {
        next = 0;
    }
    const RCPtr<LRootWindow> target = application->GetRootWindow(static_cast<unsigned int>(next));
    if (target && target->mServices != nullptr && !target->mServices->IsActive())
    {
        target->mServices->SetFocus();
    }
}

// --- Queries ---

DWORD LRootWindow::GetKeyboardModifiers() const
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return 0;
    }
    DWORD modifiers = 0;
    const struct
    {
        int key;
        DWORD flag;
    } kKeys[] = {{VK_CONTROL, kControl}, {VK_SHIFT, kShift}, {VK_MENU, kAlt}};
    for (const auto& entry : kKeys)
    {
        BYTE down = 0;
        BYTE toggled = 0;
        application->GetKeyState(entry.key, down, toggled);
        if (down != 0)
        {
            modifiers |= entry.flag;
        }
    }
    return modifiers;
}

DWORD LRootWindow::GetMouseButtons()
{
    if (mServices == nullptr)
    {
        return 0;
    }
    if (mServices->IsActive())
    {
        return mServices->GetMouseButtons();
    }
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetMouseButtons() : 0;
}

PointT<LONG> LRootWindow::GetCursorPos()
{
    if (mServices == nullptr)
    {
        return PointT<LONG>(0, 0);
    }
    if (mServices->IsActive())
    {
        return mServices->GetCursorPos();
    }
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return PointT<LONG>(0, 0);
    }
    return mServices->ScreenToClient(application->GetCursorPos());
}

RectT<LONG>& LRootWindow::RefreshClientRect() const
{
    if (mServices != nullptr)
    {
        mServices->GetClientRect(mClientRect);
    }
    return mClientRect;
}

RectT<LONG> LRootWindow::GetClientRect() const
{
    return RefreshClientRect();
}

HCURSOR LRootWindow::SetCursor(HCURSOR cursor)
{
    if (mServices == nullptr)
    {
        return nullptr;
    }
    if (cursor == nullptr)
    {
        if (LFrameworkApp* application = GetFrameworkApp())
        {
            cursor = application->GetCursor(WString(L"UI_CURSOR_ARROW"));
        }
    }
    return mServices->SetCursor(cursor);
}

int LRootWindow::SetCursor(int cursor)
{
    return GetCursorId(SetCursor(GetCursorFromId(cursor)));
}

namespace
{
// The cursors controls have named by id; an id is the position plus one.
std::vector<HCURSOR>& CursorIds()
{
    static auto* ids = new std::vector<HCURSOR>();
    return *ids;
}
} // namespace

int LRootWindow::GetCursorId(HCURSOR cursor)
{
    if (cursor == nullptr)
    {
        return 0;
    }
    std::vector<HCURSOR>& ids = CursorIds();
    const auto found = std::find(ids.begin(), ids.end(), cursor);
    if (found != ids.end())
    {
        return static_cast<int>(found - ids.begin()) + 1;
    }
    ids.push_back(cursor);
    return static_cast<int>(ids.size());
}

HCURSOR LRootWindow::GetCursorFromId(int id)
{
    const std::vector<HCURSOR>& ids = CursorIds();
    return id > 0 && static_cast<std::size_t>(id) <= ids.size() ? ids[id - 1] : nullptr;
}

DWORD LRootWindow::GetTimeMs()
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetTimeMs() : 0;
}

double LRootWindow::GetElapsedSeconds()
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetElapsedSeconds() : 0;
}

RCPtr<LNotificationDistributor> LRootWindow::GetIdleDistributor()
{
    return RCPtr<LNotificationDistributor>(this);
}

LONG LRootWindow::GetIdleSubscriberCount()
{
    const LNotificationClientPool* pool = GetClientPool(InternNotificationName(L"NID_IDLE"));
    return pool != nullptr ? pool->GetRegistrationCount() : 0;
}

RectT<LONG> LRootWindow::GetWorkArea()
{
    RectT<LONG> area(0, 0, 0, 0);
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        application->GetWorkArea(area);
    }
    return area;
}

PointT<LONG> LRootWindow::GetClientOrigin()
{
    return mServices != nullptr ? mServices->ClientToScreen(PointT<LONG>(0, 0))
                                : PointT<LONG>(0, 0);
}

SizeT<LONG> LRootWindow::GetClientSize()
{
    const RectT<LONG> client = GetClientRect();
    return SizeT<LONG>(client.width, client.height);
}

void LRootWindow::InvalidateControl(const RectT<LONG>& rect)
{
    const RectT<LONG> client = GetClientRect();
    const std::int64_t left = std::max<std::int64_t>(rect.x, client.x);
    const std::int64_t top = std::max<std::int64_t>(rect.y, client.y);
    const std::int64_t right =
        std::min<std::int64_t>(static_cast<std::int64_t>(rect.x) + rect.width,
                               static_cast<std::int64_t>(client.x) + client.width);
    const std::int64_t bottom =
        std::min<std::int64_t>(static_cast<std::int64_t>(rect.y) + rect.height,
                               static_cast<std::int64_t>(client.y) + client.height);
    if (right - left < 1 || bottom - top < 1)
    {
        return;
    }
    const RECT area{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                    static_cast<LONG>(bottom)};
    {
        ScopedLock<Mutex> lock(mRegionLock);
        mInvalidRegion.AddRect(area);
    }
    if (mServices != nullptr)
    {
        mServices->InvalidateRect(
            RectT<LONG>(area.left, area.top, area.right - area.left, area.bottom - area.top));
    }
}

void LRootWindow::RedrawNow()
{
    const RectT<LONG> client = GetClientRect();
    InvalidateControl(RectT<LONG>(0, 0, client.width, client.height));
    if (mServices != nullptr)
    {
        mServices->Redraw();
    }
}

ORVRESULT LRootWindow::SetWindowRect(const RectT<LONG>& rect)
{
    const RectT<LONG> client = GetClientRect();
    if (rect == client)
    {
        return S_FALSE;
    }
    if (mServices != nullptr)
    {
        const PointT<LONG> origin = mServices->ClientToScreen(PointT<LONG>(rect.x, rect.y));
        mServices->SetWindowRect(RectT<LONG>(origin.x, origin.y, rect.width, rect.height));
    }
    if (mRootControl)
    {
        const RCPtr<LControl> root = mRootControl;
        root->RecalcLayout();
    }
    return S_OK;
}

ORVRESULT LRootWindow::SetWindowText(const WString& text)
{
    return mServices != nullptr ? mServices->SetWindowText(text) : E_FAIL;
}

void LRootWindow::UpdateTextCursor(bool show, const RCPtr<LControl>& control, double value)
{
    if (mServices != nullptr)
    {
        mServices->UpdateTextCursor(show, control.Get(), value);
    }
}

ORVRESULT LRootWindow::RequestClose(int result)
{
    if (mServices == nullptr)
    {
        return E_FAIL;
    }
    mCloseResult = result;
    mCloseRequested = true;
    return S_OK;
}

SizeT<LONG> LRootWindow::ConstrainSize(const SizeT<LONG>& proposed, const RectT<LONG>& workArea,
                                       const PointT<LONG>& cursor)
{
    SizeT<LONG> size = proposed;
    if (mRootControl && mRootControl->GetLayout())
    {
        const RCPtr<LControl> root = mRootControl;
        RectT<double> rect;
        root->ComputeLayoutRect(
            root->GetLayout().Get(), nullptr,
            RectT<double>(workArea.x, workArea.y, workArea.width, workArea.height),
            SizeT<double>(proposed.width, proposed.height), PointT<double>(cursor.x, cursor.y),
            rect);
        root->ApplyMinimumSize(rect);
        root->ApplyMaximumSize(rect);
        RoundRectOutward(rect);
        size = SizeT<LONG>(RoundDoubleToLong(rect.width), RoundDoubleToLong(rect.height));
    }
    size.width = std::max<LONG>(size.width, 1);
    size.height = std::max<LONG>(size.height, 1);
    return size;
}

// --- Idle ---

void LRootWindow::QueueKey(const RCPtr<LKeyParam>& key)
{
    mKeys.Enqueue(key);
}

bool LRootWindow::ProcessQueues(bool sendIdle)
{
    RCPtr<LKeyParam> key;
    while (mKeys.TryDequeue(key))
    {
        HideToolTip();
        if (mFocus)
        {
            const RCPtr<LControl> focus = mFocus;
            focus->OnKey(key);
        }
    }
    const bool more = ProcessNotifications(sendIdle);
    if (mCloseRequested && mServices != nullptr)
    {
        mCloseRequested = false;
        // The window may go here, and this object with it once the caller lets go.
        mServices->EndDialog(mCloseResult);
    }
    return more;
}
} // namespace Orv
