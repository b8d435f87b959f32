// The window object: creation with attachment, the message maps, the modal loop.
#include "platform/Afx.h"
#include "platform/Kernel.h"

#include <map>
#include <mutex>

namespace
{
std::mutex gMapLock;
std::map<HWND, CWnd*>& Permanent()
{
    static auto* map = new std::map<HWND, CWnd*>();
    return *map;
}

// The object waiting for its window during CreateEx.
thread_local CWnd* tCreating = nullptr;

// The message each thread's window procedures are handling now, for Default.
struct CurrentMessage
{
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local CurrentMessage tCurrent;

const AFX_MSGMAP kRootMap{nullptr, nullptr, 0};

// Whether a message starts a new idle period (shared by the modal loop and the application).
DWORD gLastMove = 0xFFFFFFFFu;
bool StartsIdle(const MSG& msg)
{
    if (msg.message == WM_MOUSEMOVE)
    {
        const DWORD position = static_cast<DWORD>(msg.lParam);
        if (position == gLastMove)
        {
            return false;
        }
        gLastMove = position;
        return true;
    }
    return msg.message != WM_PAINT && msg.message != WM_SYSTIMER;
}
} // namespace

struct AfxCreation
{
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && tCreating != nullptr)
        {
            CWnd* window = tCreating;
            tCreating = nullptr;
            window->Attach(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
    {
        ::DestroyWindow(m_hWnd);
    }
    Detach();
}

void CWnd::Attach(HWND window)
{
    m_hWnd = window;
    {
        std::lock_guard<std::mutex> guard(gMapLock);
        Permanent()[window] = this;
    }
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

void CWnd::Detach()
{
    if (m_hWnd == nullptr)
    {
        return;
    }
    std::lock_guard<std::mutex> guard(gMapLock);
    auto found = Permanent().find(m_hWnd);
    if (found != Permanent().end() && found->second == this)
    {
        Permanent().erase(found);
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    std::lock_guard<std::mutex> guard(gMapLock);
    auto found = Permanent().find(window);
    return found == Permanent().end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND window)
{
    return FromHandlePermanent(window);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, LPVOID parameter)
{
    CREATESTRUCTW create{};
    create.lpCreateParams = parameter;
    create.hInstance = AfxGetApp() != nullptr ? AfxGetApp()->m_hInstance : nullptr;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = width;
    create.cy = height;
    create.x = x;
    create.y = y;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (!PreCreateWindow(create))
    {
        PostNcDestroy();
        return FALSE;
    }
    HHOOK hook = SetWindowsHookExW(WH_CBT, &AfxCreation::Hook, nullptr, GetCurrentThreadId());
    tCreating = this;
    HWND window =
        CreateWindowExW(create.dwExStyle, create.lpszClass, create.lpszName,
                        static_cast<DWORD>(create.style), create.x, create.y, create.cx, create.cy,
                        create.hwndParent, create.hMenu, create.hInstance, create.lpCreateParams);
    tCreating = nullptr;
    UnhookWindowsHookEx(hook);
    return window != nullptr ? TRUE : FALSE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& create)
{
    if (create.lpszClass == nullptr)
    {
        create.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW));
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
    {
        return FALSE;
    }
    return ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy() {}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (object == nullptr)
    {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    const LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY)
    {
        object->Detach();
        object->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage saved = tCurrent;
    tCurrent = CurrentMessage{message, wParam, lParam};
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
    {
        result = DefWindowProc(message, wParam, lParam);
    }
    tCurrent = saved;
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->baseMap != nullptr ? map->baseMap() : nullptr)
    {
        for (std::size_t i = 0; i < map->count; ++i)
        {
            if (map->entries[i].message == message)
            {
                const LRESULT answer = map->entries[i].handler(*this, wParam, lParam);
                if (result != nullptr)
                {
                    *result = answer;
                }
                return TRUE;
            }
        }
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr && m_pfnSuper != &AfxWndProc)
    {
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    return &kRootMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

LRESULT CWnd::Default()
{
    return DefWindowProc(tCurrent.message, tCurrent.wParam, tCurrent.lParam);
}

void CWnd::OnSetFocus(CWnd*)
{
    Default();
}

void CWnd::OnKillFocus(CWnd*)
{
    Default();
}

void CWnd::BeginModalState()
{
    ::EnableWindow(m_hWnd, FALSE);
}

void CWnd::EndModalState()
{
    ::EnableWindow(m_hWnd, TRUE);
}

BOOL CWnd::ContinueModal()
{
    return (m_nFlags & WF_CONTINUEMODAL) != 0 ? TRUE : FALSE;
}

void CWnd::EndModalLoop(int result)
{
    m_nModalResult = result;
    if ((m_nFlags & WF_CONTINUEMODAL) != 0)
    {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wakes the loop should it wait for a message.
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

int CWnd::RunModalLoop(DWORD flags)
{
    bool idle = true;
    LONG idleCount = 0;
    bool showOnIdle = (flags & MLF_SHOWONIDLE) != 0 && (GetStyle() & WS_VISIBLE) == 0;
    HWND owner = ::GetParent(m_hWnd);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    MSG msg{};
    for (;;)
    {
        while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (showOnIdle)
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            if ((flags & MLF_NOIDLEMSG) == 0 && owner != nullptr && idleCount == 0)
            {
                ::SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX,
                               reinterpret_cast<LPARAM>(m_hWnd));
            }
            if ((flags & MLF_NOKICKIDLE) != 0 ||
                ::SendMessageW(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++) == 0)
            {
                idle = false;
            }
        }
        do
        {
            if (!ContinueModal())
            {
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return m_nModalResult;
            }
            if (!AfxPumpMessage())
            {
                ::PostQuitMessage(0);
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return -1;
            }
            CWinApp* app = AfxGetApp();
            const MSG& current = app != nullptr ? app->m_msgCur : msg;
            if (showOnIdle && (current.message == WM_SYSTIMER || current.message == WM_SYSKEYDOWN))
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            if (!ContinueModal())
            {
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return m_nModalResult;
            }
            if (app != nullptr ? app->IsIdleMessage(&app->m_msgCur) : StartsIdle(current))
            {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

LPCWSTR AfxRegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex lock;
    static auto* names = new std::map<std::wstring, std::wstring>();
    std::wstring name = L"Afx:" + std::to_wstring(style) + L":" +
                        std::to_wstring(reinterpret_cast<std::uintptr_t>(cursor)) + L":" +
                        std::to_wstring(reinterpret_cast<std::uintptr_t>(background)) + L":" +
                        std::to_wstring(reinterpret_cast<std::uintptr_t>(icon));
    std::lock_guard<std::mutex> guard(lock);
    auto& stored = (*names)[name];
    if (stored.empty())
    {
        stored = name;
        WNDCLASSW windowClass{};
        windowClass.style = style;
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hCursor = cursor;
        windowClass.hbrBackground = background;
        windowClass.hIcon = icon;
        windowClass.lpszClassName = stored.c_str();
        RegisterClassW(&windowClass);
    }
    return stored.c_str();
}

BOOL AfxPumpMessage()
{
    if (CWinApp* app = AfxGetApp())
    {
        return app->PumpMessage();
    }
    MSG msg{};
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0)
    {
        return FALSE;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return TRUE;
}

namespace OrvPlatform::Window::Detail
{
bool StartsIdlePeriod(const MSG& msg)
{
    return StartsIdle(msg);
}
} // namespace OrvPlatform::Window::Detail
