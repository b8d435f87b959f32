// The operating-system window: its life, its renderer and root window, the modal loop, and the
// services it gives the root window.
#include "System/OSWindow.h"

#include "Application/FrameworkApp.h"
#include "System/RootWindow.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace Orv
{
namespace
{
// The window class name the application registers its main window under.
WString& WindowClassName()
{
    static auto* name = new WString();
    return *name;
}

// The cursor shown over the framework's windows, shared by all of them.
HCURSOR gCurrentCursor = nullptr;

RECT ToRECT(const RectT<LONG>& rect)
{
    return RECT{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}
} // namespace

OSWindow::OSWindow() = default;

OSWindow::~OSWindow()
{
    mDestroying = true;
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
    {
        DestroyWindow();
    }
    if (mRootWindow)
    {
        // The root window may outlive this object (someone else may hold it): it must not reach
        // this window any more.
        mRootWindow->DetachWindow();
        if (LFrameworkApp* application = GetFrameworkApp())
        {
            application->RemoveRootWindow(mRootWindow.Get());
        }
    }
    mRenderContext = nullptr;
    mRenderer = nullptr;
    mRootWindow = nullptr;
}

const WString& OSWindow::GetWindowClassName()
{
    return WindowClassName();
}

void OSWindow::SetWindowClassName(const WString& name)
{
    WindowClassName() = name;
}

BOOL OSWindow::PreCreateWindow(CREATESTRUCTW& create)
{
    create.style |= static_cast<LONG>(WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    const WString& className = WindowClassName();
    if (!className.IsEmpty() && create.lpszClass != nullptr && !IS_INTRESOURCE(create.lpszClass) &&
        className == WString(create.lpszClass))
    {
        WNDCLASSW windowClass{};
        if (!::GetClassInfoW(create.hInstance, className.GetBuffer(), &windowClass))
        {
            windowClass.style = kClassStyle;
            windowClass.lpfnWndProc = ::DefWindowProcW;
            windowClass.hInstance = create.hInstance;
            windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            windowClass.lpszClassName = className.GetBuffer();
            if (::RegisterClassW(&windowClass) == 0)
            {
                ORV_THROW(std::runtime_error, "Resource Exception",
                          "the window class cannot be registered");
            }
        }
        create.lpszClass = className.GetBuffer();
        return TRUE;
    }
    create.lpszClass = AfxRegisterWndClass(kClassStyle, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL OSWindow::DestroyWindow()
{
    if (m_hWnd == nullptr)
    {
        return FALSE;
    }
    if (IsMainWindow() && ::GetParent(m_hWnd) == nullptr)
    {
        if (CWinApp* application = AfxGetApp())
        {
            WINDOWPLACEMENT placement{};
            placement.length = sizeof(placement);
            if (::GetWindowPlacement(m_hWnd, &placement))
            {
                application->WriteProfileBinary(WindowClassName().GetBuffer(), L"WP",
                                                reinterpret_cast<BYTE*>(&placement),
                                                sizeof(placement));
            }
        }
    }
    return CWnd::DestroyWindow();
}

bool OSWindow::RestorePlacement()
{
    CWinApp* application = AfxGetApp();
    if (m_hWnd == nullptr || application == nullptr || !IsMainWindow() ||
        ::GetParent(m_hWnd) != nullptr)
    {
        return false;
    }
    BYTE* data = nullptr;
    UINT bytes = 0;
    if (!application->GetProfileBinary(WindowClassName().GetBuffer(), L"WP", &data, &bytes))
    {
        return false;
    }
    const std::unique_ptr<BYTE[]> owned(data);
    WINDOWPLACEMENT placement{};
    if (data == nullptr || bytes != sizeof(placement))
    {
        GetDebugOutput().Narrow() << "The saved window placement has " << bytes
                                  << " bytes instead of " << sizeof(placement) << ": ignored"
                                  << std::endl;
        return false;
    }
    std::memcpy(&placement, data, sizeof(placement));
    if (placement.length != sizeof(placement))
    {
        GetDebugOutput().Narrow() << "The saved window placement is not one: ignored" << std::endl;
        return false;
    }
    // The normal rectangle is relative to the work area.
    const RectT<LONG> work = mRootWindow->GetWorkArea();
    RECT current{};
    ::GetWindowRect(m_hWnd, &current);
    RECT& r = placement.rcNormalPosition;
    auto extent = [](LONG from, LONG to)
    {
        const long long size = static_cast<long long>(to) - from;
        return static_cast<LONG>(std::clamp<long long>(size, 0, std::numeric_limits<LONG>::max()));
    };
    LONG width = extent(r.left, r.right);
    LONG height = extent(r.top, r.bottom);
    if (width <= 0 || height <= 0)
    {
        width = current.right - current.left;
        height = current.bottom - current.top;
    }
    width = std::max<LONG>(1, std::min(width, work.width));
    height = std::max<LONG>(1, std::min(height, work.height));
    const LONG left = std::clamp<LONG>(r.left, 0, std::max<LONG>(0, work.width - width));
    const LONG top = std::clamp<LONG>(r.top, 0, std::max<LONG>(0, work.height - height));
    r = RECT{left, top, left + width, top + height};
    placement.flags = 0;
    placement.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.ptMinPosition = POINT{-1, -1};
    placement.ptMaxPosition = POINT{-1, -1};
    return ::SetWindowPlacement(m_hWnd, &placement) != FALSE;
}

void OSWindow::PostNcDestroy()
{
    if (mModal)
    {
        // The window went while its modal loop runs: the loop ends with the result it has.
        if ((m_nFlags & WF_CONTINUEMODAL) != 0)
        {
            EndModalLoop(m_nModalResult);
        }
        return;
    }
    if (!mDestroying)
    {
        delete this;
    }
}

void OSWindow::Show(bool show)
{
    ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
}

ORVRESULT OSWindow::SetRenderer(const ConstRCPtr<LRenderer>& renderer)
{
    mRenderer = renderer;
    RectT<LONG> client(0, 0, 0, 0);
    GetClientRect(client);
    renderer.GetMutable()->InitRenderContextInfo(client, m_hWnd, false, mRenderContext);
    const RCPtr<LRootWindow> root(new LRootWindow(renderer, this));
    // The queue delivers into the window itself.
    root->SetDistributor(root);
    root->TakeWindowReference();
    mRootWindow = root;
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        application->AddRootWindow(root);
    }
    return S_OK;
}

ORVRESULT OSWindow::CreateRenderer(int type)
{
    RectT<LONG> client(0, 0, 0, 0);
    GetClientRect(client);
    const ConstRCPtr<LRenderer> renderer = LRenderer::Create(type, client, m_hWnd);
    ::SetTimer(m_hWnd, kIdleTimer, kIdleTimerPeriod, nullptr);
    return SetRenderer(renderer);
}

bool OSWindow::IsMainWindow() const
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr && mRootWindow &&
           application->GetRootWindow(0).Get() == mRootWindow.Get();
}

// --- Services ---

ORVRESULT OSWindow::SetWindowText(const WString& text)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    ::SetWindowTextW(m_hWnd, text.GetBuffer());
    return S_OK;
}

ORVRESULT OSWindow::InvalidateAll()
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return S_OK;
}

ORVRESULT OSWindow::InvalidateRect(const RectT<LONG>& rect)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    const RECT area = ToRECT(rect);
    ::InvalidateRect(m_hWnd, &area, FALSE);
    return S_OK;
}

ORVRESULT OSWindow::GetClientRect(RectT<LONG>& rect)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    RECT client{};
    if (!::GetClientRect(m_hWnd, &client) || client.right < client.left ||
        client.bottom < client.top)
    {
        return S_OK;
    }
    rect = RectT<LONG>(client.left, client.top, client.right - client.left,
                       client.bottom - client.top);
    return S_OK;
}

PointT<LONG> OSWindow::ScreenToClient(const PointT<LONG>& point)
{
    POINT converted{point.x, point.y};
    ::ScreenToClient(m_hWnd, &converted);
    return PointT<LONG>(converted.x, converted.y);
}

PointT<LONG> OSWindow::ClientToScreen(const PointT<LONG>& point)
{
    POINT converted{point.x, point.y};
    ::ClientToScreen(m_hWnd, &converted);
    return PointT<LONG>(converted.x, converted.y);
}

ORVRESULT OSWindow::SetWindowRect(const RectT<LONG>& rect)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    RECT window{};
    RECT client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    // The frame around the client area keeps its thickness on every side.
    const LONG left = origin.x - window.left;
    const LONG top = origin.y - window.top;
    const LONG right = window.right - (origin.x + client.right);
    const LONG bottom = window.bottom - (origin.y + client.bottom);
    ::SetWindowPos(m_hWnd, nullptr, rect.x - left, rect.y - top, rect.width + left + right,
                   rect.height + top + bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

bool OSWindow::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command) != FALSE;
}

ORVRESULT OSWindow::Redraw()
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    return ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW)
               ? S_OK
               : E_FAIL;
}

ORVRESULT OSWindow::BringToTop()
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    ::BringWindowToTop(m_hWnd);
    return S_OK;
}

ORVRESULT OSWindow::SetTopMost(bool topMost)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    ::SetWindowPos(m_hWnd, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
    return S_OK;
}

ORVRESULT OSWindow::EndDialog(int result)
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    if (mModal)
    {
        EndModalLoop(result);
        return S_OK;
    }
    // This object goes with its window.
    DestroyWindow();
    return S_OK;
}

int OSWindow::DoModal()
{
    if (m_hWnd == nullptr)
    {
        return -1;
    }
    mModal = true;
    HWND parent = ::GetParent(m_hWnd);
    bool parentDisabled = false;
    if (parent != nullptr && parent != ::GetDesktopWindow() && ::IsWindowEnabled(parent))
    {
        ::EnableWindow(parent, FALSE);
        parentDisabled = true;
    }
    ::EnableWindow(m_hWnd, TRUE);
    const int result = RunModalLoop(MLF_SHOWONIDLE);
    if (parentDisabled)
    {
        ::EnableWindow(parent, TRUE);
        if (m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        {
            ::SetActiveWindow(parent);
        }
    }
    // The result is kept before the window goes; this object stays for the caller.
    DestroyWindow();
    mModal = false;
    return result;
}

bool OSWindow::IsActive()
{
    if (m_hWnd == nullptr)
    {
        return false;
    }
    HWND active = ::GetActiveWindow();
    if (active == m_hWnd)
    {
        return true;
    }
    HWND parent = ::GetParent(m_hWnd);
    return parent != nullptr && active == parent && IsMainWindow();
}

bool OSWindow::HasFocus()
{
    return m_hWnd != nullptr && ::GetFocus() == m_hWnd;
}

ORVRESULT OSWindow::SetFocus()
{
    if (m_hWnd == nullptr)
    {
        return E_FAIL;
    }
    ::SetFocus(m_hWnd);
    return S_OK;
}

HCURSOR OSWindow::SetCursor(HCURSOR cursor)
{
    if (m_hWnd == nullptr)
    {
        return nullptr;
    }
    if (cursor == gCurrentCursor)
    {
        return cursor;
    }
    HCURSOR previous = gCurrentCursor;
    ::SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    ::SetCursor(cursor);
    gCurrentCursor = cursor;
    return previous;
}

PointT<LONG> OSWindow::GetCursorPos()
{
    if (!mCaptured)
    {
        POINT point{0, 0};
        if (::GetCursorPos(&point))
        {
            ::ScreenToClient(m_hWnd, &point);
            mMousePoint = PointT<LONG>(point.x, point.y);
        }
    }
    return mMousePoint;
}

DWORD OSWindow::GetMouseButtons()
{
    if (!mCaptured)
    {
        mMouseButtons = 0;
        if (::GetKeyState(VK_LBUTTON) < 0)
        {
            mMouseButtons |= LRootWindow::kLeftButton;
        }
        if (::GetKeyState(VK_MBUTTON) < 0)
        {
            mMouseButtons |= LRootWindow::kMiddleButton;
        }
        if (::GetKeyState(VK_RBUTTON) < 0)
        {
            mMouseButtons |= LRootWindow::kRightButton;
        }
    }
    return mMouseButtons;
}

void OSWindow::UpdateTextCursor(bool, LControl*, double) {}
} // namespace Orv
