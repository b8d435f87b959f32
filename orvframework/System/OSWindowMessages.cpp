// The operating-system window's message map: each message turned into root-window calls.
#include "System/OSWindow.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "System/ClipBoard.h"
#include "System/RootWindow.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/KeyCode.h"
#include "notification/KeyParam.h"
#include "notification/Notification.h"

#include <cstdlib>

namespace Orv
{
namespace
{
bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

bool AnyMouseButtonDown()
{
    return KeyDown(VK_LBUTTON) || KeyDown(VK_MBUTTON) || KeyDown(VK_RBUTTON);
}

// Bit 29 of a key message's data (bit 13 of its flag word): Alt was down.
constexpr UINT kAltContext = 0x2000;
// Bit 30 (bit 14 of the flag word): the key was down before this message.
constexpr UINT kWasDown = 0x4000;

// The key flags of the modifier keys held: Shift 8 (left +16, right +32), Control 1 (left +2,
// right +4), the Windows keys 0x600 (left) and 0xA00 (right), and, when the message says Alt is
// down, Alt 64 (left +128, right +256).
DWORD KeyModifiers(UINT flags)
{
    DWORD modifiers = 0;
    if (KeyDown(VK_SHIFT))
    {
        modifiers |= 8;
        modifiers |= KeyDown(VK_LSHIFT) ? 16 : 0;
        modifiers |= KeyDown(VK_RSHIFT) ? 32 : 0;
    }
    if (KeyDown(VK_CONTROL))
    {
        modifiers |= 1;
        modifiers |= KeyDown(VK_LCONTROL) ? 2 : 0;
        modifiers |= KeyDown(VK_RCONTROL) ? 4 : 0;
    }
    modifiers |= KeyDown(VK_LWIN) ? 0x600 : 0;
    modifiers |= KeyDown(VK_RWIN) ? 0xA00 : 0;
    if ((flags & kAltContext) != 0)
    {
        modifiers |= 64;
        modifiers |= KeyDown(VK_LMENU) ? 128 : 0;
        modifiers |= KeyDown(VK_RMENU) ? 256 : 0;
    }
    return modifiers;
}
} // namespace

const AFX_MSGMAP* OSWindow::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        AfxEntry<WM_PAINT, &OSWindow::OnPaint>(),
        AfxEntry<WM_KEYDOWN, &OSWindow::OnKeyDown>(),
        AfxEntry<WM_KEYUP, &OSWindow::OnKeyUp>(),
        AfxEntry<WM_SYSKEYDOWN, &OSWindow::OnSysKeyDown>(),
        AfxEntry<WM_SYSKEYUP, &OSWindow::OnSysKeyUp>(),
        AfxEntry<WM_CHAR, &OSWindow::OnChar>(),
        AfxEntry<WM_LBUTTONDOWN, &OSWindow::OnLButtonDown>(),
        AfxEntry<WM_LBUTTONUP, &OSWindow::OnLButtonUp>(),
        AfxEntry<WM_LBUTTONDBLCLK, &OSWindow::OnLButtonDblClk>(),
        AfxEntry<WM_MBUTTONDOWN, &OSWindow::OnMButtonDown>(),
        AfxEntry<WM_MBUTTONUP, &OSWindow::OnMButtonUp>(),
        AfxEntry<WM_MBUTTONDBLCLK, &OSWindow::OnMButtonDblClk>(),
        AfxEntry<WM_RBUTTONDOWN, &OSWindow::OnRButtonDown>(),
        AfxEntry<WM_RBUTTONUP, &OSWindow::OnRButtonUp>(),
        AfxEntry<WM_RBUTTONDBLCLK, &OSWindow::OnRButtonDblClk>(),
        AfxEntry<WM_NCLBUTTONDOWN, &OSWindow::OnNcLButtonDown>(),
        AfxEntry<WM_NCMBUTTONDOWN, &OSWindow::OnNcMButtonDown>(),
        AfxEntry<WM_NCRBUTTONDOWN, &OSWindow::OnNcRButtonDown>(),
        AfxEntry<WM_SIZING, &OSWindow::OnSizing>(),
        AfxEntry<WM_SIZE, &OSWindow::OnSize>(),
        AfxEntry<WM_MOVE, &OSWindow::OnMove>(),
        AfxEntry<WM_CLOSE, &OSWindow::OnClose>(),
        AfxEntry<WM_MOUSEMOVE, &OSWindow::OnMouseMove>(),
        AfxEntry<WM_MOUSEWHEEL, &OSWindow::OnMouseWheel>(),
        AfxEntry<WM_MOUSEHWHEEL, &OSWindow::OnMouseHWheel>(),
        AfxEntry<WM_CAPTURECHANGED, &OSWindow::OnCaptureChanged>(),
        AfxEntry<WM_KICKIDLE, &OSWindow::OnKickIdle>(),
        AfxEntry<WM_SETFOCUS, &OSWindow::OnSetFocus>(),
        AfxEntry<WM_KILLFOCUS, &OSWindow::OnKillFocus>(),
        AfxEntry<WM_SYSCOMMAND, &OSWindow::OnSysCommand>(),
        AfxEntry<WM_COPYDATA, &OSWindow::OnCopyData>(),
        AfxEntry<WM_DESTROYCLIPBOARD, &OSWindow::OnDestroyClipboard>(),
        AfxEntry<WM_RENDERFORMAT, &OSWindow::OnRenderFormat>(),
        AfxEntry<WM_RENDERALLFORMATS, &OSWindow::OnRenderAllFormats>(),
        AfxEntry<WM_DISPLAYCHANGE, &OSWindow::OnDisplayChange>(),
        AfxEntry<WM_POWERBROADCAST, &OSWindow::OnPowerBroadcast>(),
    };
    static const AFX_MSGMAP map{&CWnd::GetThisMessageMap, entries, std::size(entries)};
    return &map;
}

// --- Paint ---

void OSWindow::OnPaint()
{
    if (!mRootWindow || !mRenderer || !mRenderContext)
    {
        Default();
        return;
    }
    RECT update{};
    ::GetUpdateRect(m_hWnd, &update, FALSE);
    ::ValidateRect(m_hWnd, nullptr);
    LRegion taken;
    mRootWindow->TakeInvalidRegion(taken);
    LRenderContextInfo& context = *mRenderContext.GetMutable();
    LRegion& dirty = context.GetDirtyRegion();
    dirty.Clear();
    dirty.AppendRects(taken);
    dirty.AddRect(update);
    LRenderer& renderer = *mRenderer.GetMutable();
    renderer.RenderStart(mRenderContext);
    RECT bounds{};
    const RectT<LONG>& contextBounds = context.GetBounds();
    const bool whole = dirty.GetRectCount() == 1 && dirty.GetBounds(bounds) &&
                       bounds.left == contextBounds.x && bounds.top == contextBounds.y &&
                       bounds.right == contextBounds.Right() &&
                       bounds.bottom == contextBounds.Bottom();
    mRootWindow->PaintRegion(whole ? dirty : taken);
    renderer.RenderFinish(mRenderContext);
    taken.Clear();
}

// --- Keys ---

void OSWindow::Key(bool down, UINT key, UINT, UINT flags)
{
    if (!mRootWindow)
    {
        return;
    }
    const DWORD modifiers = KeyModifiers(flags);
    KeyCode code;
    if (key != 0)
    {
        code = KeyCode::FromVirtualKey(static_cast<int>(key), down, modifiers);
        code.extra = down ? ((flags & kWasDown) != 0 ? 1 : 0) : 1;
    }
    else if ((modifiers & KeyCode::kFlagCtrl) != 0 && (modifiers & KeyCode::kFlagAlt) != 0)
    {
        // Only Control with Alt reaches the window as a key without a key.
        code = KeyCode::FromCharacter(0, modifiers);
    }
    else
    {
        return;
    }
    mRootWindow->DeliverKey(LKeyParam::Create(code, !down));
}

void OSWindow::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    Key(true, key, repeat, flags);
}

void OSWindow::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    Key(false, key, repeat, flags);
}

void OSWindow::OnSysKeyDown(UINT key, UINT repeat, UINT flags)
{
    Key(true, key, repeat, flags);
}

void OSWindow::OnSysKeyUp(UINT key, UINT repeat, UINT flags)
{
    Key(false, key, repeat, flags);
}

void OSWindow::OnChar(UINT character, UINT, UINT flags)
{
    if (mRootWindow && !KeyDown(VK_LWIN) && !KeyDown(VK_RWIN))
    {
        DWORD modifiers = 0;
        modifiers |= KeyDown(VK_SHIFT) ? KeyCode::kFlagShift : 0;
        modifiers |= KeyDown(VK_CONTROL) ? KeyCode::kFlagCtrl : 0;
        modifiers |= (flags & kAltContext) != 0 ? KeyCode::kFlagAlt : 0;
        mRootWindow->DeliverKey(LKeyParam::Create(
            KeyCode::FromCharacter(static_cast<WORD>(character), modifiers), false));
    }
    Default();
}

// --- Mouse ---

DWORD OSWindow::MouseModifiers(UINT keys)
{
    DWORD modifiers = 0;
    modifiers |= (keys & MK_CONTROL) != 0 ? LRootWindow::kControl : 0;
    modifiers |= (keys & MK_SHIFT) != 0 ? LRootWindow::kShift : 0;
    modifiers |= KeyDown(VK_MENU) ? LRootWindow::kAlt : 0;
    return modifiers;
}

void OSWindow::ButtonDown(int action, DWORD button, UINT keys, CPoint point)
{
    mMousePoint = PointT<LONG>(point.x, point.y);
    if (mRootWindow && !mRootWindow->GetFocusControl())
    {
        ::SetFocus(m_hWnd);
    }
    mMouseButtons |= button;
    if (!mRootWindow)
    {
        return;
    }
    if (mPressCount++ == 0 && !mCaptured)
    {
        ::SetCapture(m_hWnd);
        mCaptured = true;
    }
    const RCPtr<LRootWindow> root = mRootWindow;
    root->HandleMouseButton(action, button, MouseModifiers(keys), mMousePoint, 0);
}

void OSWindow::ButtonUp(DWORD button, UINT keys, CPoint point)
{
    mMouseButtons &= ~button;
    mMousePoint = PointT<LONG>(point.x, point.y);
    if (!mRootWindow)
    {
        return;
    }
    const RCPtr<LRootWindow> root = mRootWindow;
    POINT screen{point.x, point.y};
    ::ClientToScreen(m_hWnd, &screen);
    if (::WindowFromPoint(screen) != m_hWnd && !AnyMouseButtonDown() && mPressCount != 0)
    {
        // Released over another window with nothing held: the capture ends after the release.
        mPressCount = 0;
        mCaptured = false;
        root->HandleMouseButton(LRootWindow::kRelease, button, MouseModifiers(keys), mMousePoint,
                                0);
        ::ReleaseCapture();
        return;
    }
    root->HandleMouseButton(LRootWindow::kRelease, button, MouseModifiers(keys), mMousePoint, 0);
}

void OSWindow::OnLButtonDown(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kPress, LRootWindow::kLeftButton, keys, point);
}

void OSWindow::OnLButtonUp(UINT keys, CPoint point)
{
    ButtonUp(LRootWindow::kLeftButton, keys, point);
}

void OSWindow::OnLButtonDblClk(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kDoubleClick, LRootWindow::kLeftButton, keys, point);
}

void OSWindow::OnMButtonDown(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kPress, LRootWindow::kMiddleButton, keys, point);
}

void OSWindow::OnMButtonUp(UINT keys, CPoint point)
{
    ButtonUp(LRootWindow::kMiddleButton, keys, point);
}

void OSWindow::OnMButtonDblClk(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kDoubleClick, LRootWindow::kMiddleButton, keys, point);
}

void OSWindow::OnRButtonDown(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kPress, LRootWindow::kRightButton, keys, point);
}

void OSWindow::OnRButtonUp(UINT keys, CPoint point)
{
    ButtonUp(LRootWindow::kRightButton, keys, point);
}

void OSWindow::OnRButtonDblClk(UINT keys, CPoint point)
{
    ButtonDown(LRootWindow::kDoubleClick, LRootWindow::kRightButton, keys, point);
}

void OSWindow::OnNcLButtonDown(UINT, CPoint)
{
    if (mRootWindow)
    {
        mRootWindow->RestoreFocus();
    }
    Default();
}

void OSWindow::OnNcMButtonDown(UINT hitTest, CPoint point)
{
    OnNcLButtonDown(hitTest, point);
}

void OSWindow::OnNcRButtonDown(UINT hitTest, CPoint point)
{
    OnNcLButtonDown(hitTest, point);
}

bool OSWindow::IsOverNonClientArea(const POINT& screenPoint) const
{
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const bool inWindow = screenPoint.x >= window.left && screenPoint.x < window.right &&
                          screenPoint.y >= window.top && screenPoint.y < window.bottom;
    if (!inWindow)
    {
        return false;
    }
    POINT client = screenPoint;
    ::ScreenToClient(m_hWnd, &client);
    RECT area{};
    ::GetClientRect(m_hWnd, &area);
    return client.x < area.left || client.x >= area.right || client.y < area.top ||
           client.y >= area.bottom;
}

void OSWindow::OnMouseMove(UINT keys, CPoint point)
{
    POINT screen{point.x, point.y};
    ::ClientToScreen(m_hWnd, &screen);
    if (mCaptured)
    {
        if (!AnyMouseButtonDown() &&
            (::WindowFromPoint(screen) != m_hWnd || IsOverNonClientArea(screen)))
        {
            mCaptured = false;
            ::ReleaseCapture();
        }
    }
    else
    {
        // The window follows the pointer with the capture, so it sees the pointer leave.
        HWND foreground = ::GetForegroundWindow();
        HWND parent = ::GetParent(m_hWnd);
        if ((parent != nullptr && foreground == parent) ||
            (foreground == m_hWnd && !IsOverNonClientArea(screen)))
        {
            ::SetCapture(m_hWnd);
            mCaptured = true;
        }
    }
    mMousePoint = PointT<LONG>(point.x, point.y);
    if (mRootWindow)
    {
        const RCPtr<LRootWindow> root = mRootWindow;
        root->HandleMouseMove(mMousePoint, MouseModifiers(keys), 0);
    }
}

void OSWindow::Wheel(bool horizontal, UINT keys, short delta, CPoint screenPoint)
{
    int& remainder = mWheelRemainder[horizontal ? 1 : 0];
    remainder += delta;
    if (std::abs(remainder) < static_cast<int>(WHEEL_DELTA))
    {
        return;
    }
    // One event per whole step; the rest stays, with its sign, for the next message.
    const int steps = remainder / static_cast<int>(WHEEL_DELTA);
    remainder -= steps * static_cast<int>(WHEEL_DELTA);
    int direction = steps > 0 ? LRootWindow::kWheelUp : LRootWindow::kWheelDown;
    if (horizontal)
    {
        direction = steps > 0 ? LRootWindow::kWheelRight : LRootWindow::kWheelLeft;
    }
    mMousePoint = ScreenToClient(PointT<LONG>(screenPoint.x, screenPoint.y));
    if (!mRootWindow)
    {
        return;
    }
    const RCPtr<LRootWindow> root = mRootWindow;
    const DWORD modifiers = MouseModifiers(keys);
    for (int i = 0; i < std::abs(steps); ++i)
    {
        root->HandleMouseWheel(mMousePoint, modifiers, direction);
    }
}

BOOL OSWindow::OnMouseWheel(UINT keys, short delta, CPoint point)
{
    Wheel(false, keys, delta, point);
    return TRUE;
}

void OSWindow::OnMouseHWheel(UINT keys, short delta, CPoint point)
{
    Wheel(true, keys, delta, point);
}

void OSWindow::OnCaptureChanged(CWnd* newCapture)
{
    if (newCapture == this)
    {
        return;
    }
    mPressCount = 0;
    mCaptured = false;
    if (mRootWindow)
    {
        const RCPtr<LRootWindow> root = mRootWindow;
        root->NotifyCaptureLost();
    }
}

// --- Size, place and the work area ---

void OSWindow::ConstrainWindowRect(RECT& rect)
{
    if (!mRootWindow)
    {
        return;
    }
    RECT window{};
    RECT client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const LONG frameWidth = (window.right - window.left) - (client.right - client.left);
    const LONG frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
    const SizeT<LONG> proposed(rect.right - rect.left - frameWidth,
                               rect.bottom - rect.top - frameHeight);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    const RectT<LONG> workArea(work.left - origin.x, work.top - origin.y, work.right - work.left,
                               work.bottom - work.top);
    const SizeT<LONG> allowed = mRootWindow->ConstrainSize(proposed, workArea, GetCursorPos());
    if (allowed.width != proposed.width || allowed.height != proposed.height)
    {
        rect.right = rect.left + allowed.width + frameWidth;
        rect.bottom = rect.top + allowed.height + frameHeight;
    }
}

void OSWindow::OnSizing(UINT, LPRECT rect)
{
    if (rect != nullptr)
    {
        ConstrainWindowRect(*rect);
    }
    Default();
}

void OSWindow::OnSize(UINT kind, int width, int height)
{
    if (!mRootWindow)
    {
        return;
    }
    const RCPtr<LRootWindow> root = mRootWindow;
    if (kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED)
    {
        root->HandleResize(SizeT<LONG>(width, height));
        root->SetRepaintAll();
    }
    RECT proposed{0, 0, width, height};
    ConstrainWindowRect(proposed);
    if (mRenderContext)
    {
        mRenderContext.GetMutable()->SetBounds(RectT<LONG>(0, 0, width, height));
    }
}

void OSWindow::OnMove(int, int)
{
    if (mRootWindow)
    {
        if (mOutsideWorkArea)
        {
            mRootWindow->SetRepaintAll();
            mOutsideWorkArea = false;
        }
        RECT window{};
        RECT work{};
        ::GetWindowRect(m_hWnd, &window);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        if (window.left < work.left || window.top < work.top || window.right > work.right ||
            window.bottom > work.bottom)
        {
            mOutsideWorkArea = true;
        }
    }
    Default();
}

void OSWindow::OnClose()
{
    if (mModal)
    {
        // A modal window ends its loop; DoModal destroys it.
        EndModalLoop(IDCANCEL);
        return;
    }
    // This object goes with its window: nothing of it is touched afterwards.
    DestroyWindow();
}

// --- Idle, focus, commands ---

LRESULT OSWindow::OnKickIdle(WPARAM, LPARAM count)
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return 0;
    }
    return application->RunIdlePeriodPass(static_cast<LONG>(count)) ? 1 : 0;
}

void OSWindow::OnSetFocus(CWnd* oldWindow)
{
    if (mRootWindow)
    {
        const RCPtr<LRootWindow> root = mRootWindow;
        root->RestoreFocus();
    }
    CWnd::OnSetFocus(oldWindow);
}

void OSWindow::OnKillFocus(CWnd*)
{
    if (mCaptured)
    {
        mCaptured = false;
        ::ReleaseCapture();
    }
    if (mRootWindow)
    {
        const RCPtr<LRootWindow> root = mRootWindow;
        root->HandleFocusLost();
    }
    Default();
}

void OSWindow::OnSysCommand(UINT command, LPARAM)
{
    if ((command & 0xFFF0) != SC_CLOSE)
    {
        Default();
        return;
    }
    if (IsMainWindow())
    {
        // The application decides how the main window closes.
        LFrameworkApp::GetApplicationNotificationCenter()->PostNotification(
            LNotification::Create(L"NID_APP_EXIT_REQ"));
    }
    else if (mRootWindow)
    {
        const RCPtr<LRootWindow> root = mRootWindow;
        root->CloseWindow();
    }
}

BOOL OSWindow::OnCopyData(CWnd*, COPYDATASTRUCT* data)
{
    if (data == nullptr || data->dwData != kCommandLineTag)
    {
        return static_cast<BOOL>(Default());
    }
    // Another process's data: only whole characters within the given size, at most a command
    // line's length, each a Unicode scalar value; the text ends at the first NUL or the size.
    const DWORD count = data->cbData / sizeof(wchar_t);
    if (data->lpData == nullptr || data->cbData % sizeof(wchar_t) != 0 ||
        count > kMaxCommandLineLength + 1)
    {
        GetDebugOutput().Narrow() << "OSWindow: a command line handed over was refused ("
                                  << data->cbData << " bytes)" << std::endl;
        return FALSE;
    }
    const auto* characters = static_cast<const wchar_t*>(data->lpData);
    DWORD length = 0;
    while (length < count && characters[length] != 0)
    {
        const auto c = static_cast<std::uint32_t>(characters[length]);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        {
            GetDebugOutput().Narrow()
                << "OSWindow: a command line handed over holds a character that is not text"
                << std::endl;
            return FALSE;
        }
        ++length;
    }
    WString text;
    text.Assign(characters, length);
    LFrameworkApp* application = GetFrameworkApp();
    if (application != nullptr && ::IsWindowEnabled(m_hWnd))
    {
        application->ReceiveCommandLine(text);
    }
    Default();
    return TRUE;
}

void OSWindow::OnDestroyClipboard()
{
    // The clipboard went to another owner: the application's kept copy of its text goes.
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        if (const RCPtr<LClipboard> clipboard = application->GetClipboard())
        {
            clipboard->SetText(nullptr);
        }
    }
}

void OSWindow::OnRenderFormat(UINT) {}

void OSWindow::OnRenderAllFormats() {}

LRESULT OSWindow::OnDisplayChange(WPARAM, LPARAM)
{
    if (mRootWindow)
    {
        const RectT<LONG> client = mRootWindow->GetClientRect();
        mRootWindow->InvalidateControl(RectT<LONG>(0, 0, client.width, client.height));
    }
    return 1;
}

LRESULT OSWindow::OnPowerBroadcast(WPARAM event, LPARAM data)
{
    LRESULT result = 1;
    LFrameworkApp* application = GetFrameworkApp();
    if (application != nullptr && IsMainWindow())
    {
        result = application->OnPowerBroadcast(event, data);
    }
    if (mRootWindow)
    {
        const RectT<LONG> client = mRootWindow->GetClientRect();
        mRootWindow->InvalidateControl(RectT<LONG>(0, 0, client.width, client.height));
    }
    return result;
}
} // namespace Orv
