// The application and window classes the framework builds its windows and start-up on: a window
// object with a message map and a modal loop, and the application object with its message loop,
// idle protocol and profile storage.
//
// A message map is a table of AFX_MSGMAP_ENTRY, each made with AfxEntry<message, &Class::Handler>,
// whose handler takes the message's parameters in the documented form (see AfxEntry). A class
// returns its table from GetMessageMap; a message without an entry goes to the base class's
// table, then to the default window procedure.
#pragma once

#include "platform/User32.h"

#include <string>
#include <type_traits>
#include <vector>

class CWnd;
class CWinApp;

// Sent to a window by a modal loop when its queue runs empty: wParam MSGF_DIALOGBOX, lParam the
// idle count of the idle period (0, 1, 2 ...). A nonzero result asks for another.
constexpr UINT WM_KICKIDLE = 0x036A;
constexpr WPARAM MSGF_DIALOGBOX = 0;

struct CPoint : POINT
{
    CPoint()
        : POINT{0, 0}
    {
    }
    CPoint(int x, int y)
        : POINT{x, y}
    {
    }
    explicit CPoint(LPARAM packed)
        : POINT{GET_X_LPARAM(packed), GET_Y_LPARAM(packed)}
    {
    }
};

using AFX_HANDLER = LRESULT (*)(CWnd& window, WPARAM wParam, LPARAM lParam);
struct AFX_MSGMAP_ENTRY
{
    UINT message;
    AFX_HANDLER handler;
};
struct AFX_MSGMAP
{
    // The base class's map; null at the root.
    const AFX_MSGMAP* (*baseMap)();
    const AFX_MSGMAP_ENTRY* entries;
    std::size_t count;
};

class CWnd
{
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Creates the window and attaches this object to it before its first message.
    // PreCreateWindow may change the creation values first; FALSE stops the creation.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, LPVOID parameter = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& create);
    virtual BOOL DestroyWindow();
    // Called after the last message of the window, once this object is detached from it.
    virtual void PostNcDestroy();

    // The message road: WindowProc gives the message to OnWndMsg, which looks it up in the
    // message maps; a message without an entry goes to DefWindowProc, which calls the window
    // class's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
    // The default handling of the message being handled now.
    LRESULT Default();

    // The default handlers of messages that derived classes pass on.
    void OnSetFocus(CWnd* oldWindow);
    void OnKillFocus(CWnd* newWindow);

    // The modal loop: runs until EndModalLoop. While the queue is empty it sends WM_ENTERIDLE to
    // the owner on the first idle round and WM_KICKIDLE to this window with the idle count until
    // that returns 0. flags MLF_SHOWONIDLE shows a hidden window at the first idle round (or at a
    // system key or system timer). A WM_QUIT ends the loop with -1 and is posted again.
    int RunModalLoop(DWORD flags = 0);
    virtual void EndModalLoop(int result);
    virtual BOOL ContinueModal();
    virtual void BeginModalState();
    virtual void EndModalState();
    static constexpr DWORD MLF_SHOWONIDLE = 0x0001;
    static constexpr DWORD MLF_NOIDLEMSG = 0x0002;
    static constexpr DWORD MLF_NOKICKIDLE = 0x0004;
    static constexpr UINT WF_MODALLOOP = 0x0008;
    static constexpr UINT WF_CONTINUEMODAL = 0x0010;
    UINT m_nFlags = 0;
    int m_nModalResult = 0;

    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }

    // The object attached to a window, null when none is.
    static CWnd* FromHandle(HWND window);
    static CWnd* FromHandlePermanent(HWND window);

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend struct AfxCreation;
    // Attaches this object to the window and routes the window's messages through it.
    void Attach(HWND window);
    void Detach();

    WNDPROC m_pfnSuper = nullptr;
};

// The window procedure of every window with an attached CWnd.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One message-map entry: AfxEntry<WM_PAINT, &MyWindow::OnPaint>(). The handler's form follows
// the message:
//   WM_PAINT, WM_CLOSE, WM_DESTROYCLIPBOARD, WM_RENDERALLFORMATS: void ()
//   WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR: void (UINT key, UINT repeat, UINT
//   flags) WM_MOUSEMOVE, WM_[LMR]BUTTON{DOWN,UP,DBLCLK}: void (UINT keyFlags, CPoint point)
//   WM_NC[LMR]BUTTONDOWN: void (UINT hitTest, CPoint screenPoint)
//   WM_MOUSEWHEEL: BOOL (UINT keyFlags, short delta, CPoint screenPoint); WM_MOUSEHWHEEL: void
//   (...) WM_SIZE: void (UINT kind, int width, int height); WM_MOVE: void (int x, int y) WM_SIZING:
//   void (UINT edge, LPRECT rect) WM_SETFOCUS, WM_KILLFOCUS: void (CWnd* other); WM_CAPTURECHANGED:
//   void (CWnd* newCapture) WM_SYSCOMMAND: void (UINT command, LPARAM lParam) WM_COPYDATA: BOOL
//   (CWnd* sender, COPYDATASTRUCT* data) WM_RENDERFORMAT: void (UINT format) any message: LRESULT
//   (WPARAM, LPARAM)
namespace AfxDetail
{
template <typename T>
struct MemberOf;
template <typename R, typename C, typename... A>
struct MemberOf<R (C::*)(A...)>
{
    using Class = C;
    using Result = R;
};

template <UINT Message, auto Handler>
LRESULT Crack(CWnd& window, WPARAM wParam, LPARAM lParam)
{
    using Traits = MemberOf<decltype(Handler)>;
    auto& self = static_cast<typename Traits::Class&>(window);
    if constexpr (std::is_same_v<typename Traits::Result, LRESULT> &&
                  std::is_invocable_v<decltype(Handler), typename Traits::Class&, WPARAM, LPARAM>)
    {
        return static_cast<LRESULT>((self.*Handler)(wParam, lParam));
    }
    else if constexpr (Message == WM_PAINT || Message == WM_CLOSE ||
                       Message == WM_DESTROYCLIPBOARD || Message == WM_RENDERALLFORMATS)
    {
        (self.*Handler)();
        return 0;
    }
    else if constexpr (Message == WM_KEYDOWN || Message == WM_KEYUP || Message == WM_SYSKEYDOWN ||
                       Message == WM_SYSKEYUP || Message == WM_CHAR)
    {
        (self.*Handler)(static_cast<UINT>(wParam), LOWORD(static_cast<DWORD_PTR>(lParam)),
                        HIWORD(static_cast<DWORD_PTR>(lParam)));
        return 0;
    }
    else if constexpr ((Message >= WM_MOUSEMOVE && Message <= WM_MBUTTONDBLCLK) ||
                       Message == WM_NCLBUTTONDOWN || Message == WM_NCMBUTTONDOWN ||
                       Message == WM_NCRBUTTONDOWN)
    {
        (self.*Handler)(static_cast<UINT>(wParam), CPoint(lParam));
        return 0;
    }
    else if constexpr (Message == WM_MOUSEWHEEL || Message == WM_MOUSEHWHEEL)
    {
        if constexpr (std::is_void_v<typename Traits::Result>)
        {
            (self.*Handler)(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam),
                            CPoint(lParam));
            return 0;
        }
        else
        {
            return static_cast<LRESULT>((self.*Handler)(
                GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), CPoint(lParam)));
        }
    }
    else if constexpr (Message == WM_SIZE)
    {
        (self.*Handler)(static_cast<UINT>(wParam),
                        static_cast<int>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                        static_cast<int>(HIWORD(static_cast<DWORD_PTR>(lParam))));
        return 0;
    }
    else if constexpr (Message == WM_MOVE)
    {
        (self.*Handler)(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    }
    else if constexpr (Message == WM_SIZING)
    {
        (self.*Handler)(static_cast<UINT>(wParam), reinterpret_cast<LPRECT>(lParam));
        return TRUE;
    }
    else if constexpr (Message == WM_SETFOCUS || Message == WM_KILLFOCUS)
    {
        (self.*Handler)(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));
        return 0;
    }
    else if constexpr (Message == WM_CAPTURECHANGED)
    {
        (self.*Handler)(CWnd::FromHandle(reinterpret_cast<HWND>(lParam)));
        return 0;
    }
    else if constexpr (Message == WM_SYSCOMMAND)
    {
        (self.*Handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    }
    else if constexpr (Message == WM_COPYDATA)
    {
        return static_cast<LRESULT>(
            (self.*Handler)(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)),
                            reinterpret_cast<COPYDATASTRUCT*>(lParam)));
    }
    else if constexpr (Message == WM_RENDERFORMAT)
    {
        (self.*Handler)(static_cast<UINT>(wParam));
        return 0;
    }
    else
    {
        static_assert(Message == 0xFFFFFFFF,
                      "no handler form for this message: use LRESULT (WPARAM, LPARAM)");
        return 0;
    }
}
} // namespace AfxDetail

template <UINT Message, auto Handler>
constexpr AFX_MSGMAP_ENTRY AfxEntry()
{
    return AFX_MSGMAP_ENTRY{Message, &AfxDetail::Crack<Message, Handler>};
}

// The message loop of the application (also the loop of a thread with windows).
class CWinApp
{
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    // Without a main window: posts the quit message first. Then the message loop: while the
    // queue is empty OnIdle runs with the idle count of the idle period (0, 1, 2 ...) until it
    // returns FALSE; each message is pumped; a message other than a repeated pointer move, a
    // paint or a system timer starts a new idle period. WM_QUIT ends it with ExitInstance.
    virtual int Run();
    virtual BOOL OnIdle(LONG count);
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* message);
    // Gets, translates and dispatches one message; FALSE for WM_QUIT.
    virtual BOOL PumpMessage();
    virtual BOOL IsIdleMessage(MSG* message);

    // The profile: values by section and entry, kept for the user in the configuration folder
    // ($XDG_CONFIG_HOME, else ~/.config), below the registry key when one is set, in the file
    // "<application name>.profile". A write replaces the file whole (a new file renamed over the
    // old), so a failed write leaves the old values. Lines the reader does not understand are
    // kept as they are.
    void SetRegistryKey(LPCWSTR key);
    UINT GetProfileIntW(LPCWSTR section, LPCWSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);
    std::wstring GetProfileStringW(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
    BOOL WriteProfileStringW(LPCWSTR section, LPCWSTR entry, LPCWSTR value);
    // The bytes of a binary entry: FALSE when there is none (data null, size 0). The caller frees
    // the block with delete[].
    BOOL GetProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE** data, UINT* bytes);
    BOOL WriteProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE* data, UINT bytes);
    // The file the profile lives in.
    std::string GetProfilePath() const;

    std::wstring m_appName;
    std::wstring m_registryKey;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::wstring m_cmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;
    MSG m_msgCur{};

private:
    DWORD m_lastMouseMove = 0xFFFFFFFFu;
};

// The application object (the one made last and not yet destroyed), null when none is.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Records the entry values in the application object; FALSE without one.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPCWSTR commandLine, int show);
void AfxWinTerm();
// A window class of the style and cursor, registered on first use under a name of its own;
// the name stays valid for the process. Its procedure is the default window procedure.
LPCWSTR AfxRegisterWndClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
// One message of the calling thread through the application's PumpMessage (or plainly when there
// is no application object); FALSE for WM_QUIT.
BOOL AfxPumpMessage();
