// Window services: window classes and windows, the per-thread message queues, painting with
// the update rectangle, timers, mouse and keyboard input, capture, focus and activation,
// cursors, the desktop's work area and monitors, and the message box. Drawn by SDL.
//
// Every window is a top-level window (overlapped or pop-up) with an SDL window of its own;
// child windows (WS_CHILD) are not offered. A window belongs to the thread that created it: its
// messages are retrieved by that thread's GetMessageW/PeekMessageW, and its procedure runs on
// that thread. A thread that waits for messages also reads SDL's events and hands each to the
// queue of the thread that owns its window. SDL is only ever called by one thread at a time.
//
// A window's client area is a block of 32-bit pixels in memory, lent to the GDI+ layer
// (SetWindowPixels in platform/Gdi.h): graphics made for the window draw there, and the layer
// shows the pixels on screen after each WM_PAINT the window procedure has handled.
//
// One input state serves the whole process: the active window, the focus window, the capture
// window and the key state are shared by all threads.
#pragma once

#include "platform/IntResource.h"
#include "platform/Types.h"

#include <functional>

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HMONITOR__;
using HMONITOR = HMONITOR__*;
struct HDC__;
using HDC = HDC__*;

using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using SHORT = std::int16_t;

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT
{
    LONG x;
    LONG y;
};
using LPPOINT = POINT*;
struct SIZE
{
    LONG cx;
    LONG cy;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// Word and parameter helpers.
constexpr WORD LOWORD(DWORD_PTR value)
{
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR value)
{
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr int GET_X_LPARAM(LPARAM value)
{
    return static_cast<int>(static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(value))));
}
constexpr int GET_Y_LPARAM(LPARAM value)
{
    return static_cast<int>(static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(value))));
}
constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                                                  ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int low, int high)
{
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(low, high)));
}
constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM value)
{
    return static_cast<SHORT>(HIWORD(value));
}
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM value)
{
    return LOWORD(value);
}

// --- Messages --------------------------------------------------------------------------------

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_GETICON = 0x007F;
constexpr UINT WM_SETICON = 0x0080;
// Which of a window's two icons WM_SETICON and WM_GETICON mean (wParam).
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_SYSTIMER = 0x0118;
constexpr UINT WM_ENTERIDLE = 0x0121;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSEHWHEEL = 0x020E;
constexpr UINT WM_SIZING = 0x0214;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_POWERBROADCAST = 0x0218;
constexpr UINT WM_RENDERFORMAT = 0x0305;
constexpr UINT WM_RENDERALLFORMATS = 0x0306;
constexpr UINT WM_DESTROYCLIPBOARD = 0x0307;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr UINT WHEEL_DELTA = 120;

// WM_ACTIVATE.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SIZE.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_SYSCOMMAND.
constexpr WPARAM SC_CLOSE = 0xF060;

// Mouse-message key flags.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// WM_SETCURSOR hit-test code of the client area.
constexpr WORD HTCLIENT = 1;

// The data of WM_COPYDATA (lParam). Between windows of one process the receiver sees the
// sender's block, valid for the duration of the call.
struct COPYDATASTRUCT
{
    ULONG_PTR dwData;
    DWORD cbData;
    PVOID lpData;
};
using PCOPYDATASTRUCT = COPYDATASTRUCT*;

// --- Window classes --------------------------------------------------------------------------

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;

struct WNDCLASSW
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};
using LPWNDCLASSW = WNDCLASSW*;

// Registers a class by its name (compared without regard to letter case). 0 with
// ERROR_CLASS_ALREADY_EXISTS for a name already registered by the same instance, with
// ERROR_INVALID_PARAMETER for a missing name or procedure; class and window extra bytes are not
// offered (ERROR_NOT_SUPPORTED when asked for).
ATOM RegisterClassW(const WNDCLASSW* windowClass);
// FALSE with ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while a window of it lives.
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// The registration of a class (by name or atom); FALSE with ERROR_CLASS_DOES_NOT_EXIST.
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW windowClass);

constexpr int GCLP_HCURSOR = -12;
// Replaces the class's cursor (GCLP_HCURSOR) for every window of the class; returns the old one.
ULONG_PTR SetClassLongPtrW(HWND window, int index, LONG_PTR value);
ULONG_PTR GetClassLongPtrW(HWND window, int index);

// --- Windows ---------------------------------------------------------------------------------

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// Position or size left to the system: 800 x 600 at a place of the window system's choosing.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

struct CREATESTRUCTW
{
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};
using LPCREATESTRUCTW = CREATESTRUCTW*;

// Creates a window of a registered class. A pop-up or overlapped window's parent is its owner:
// it is hidden and destroyed with its owner. Sends WM_NCCREATE (FALSE ends the creation) and
// WM_CREATE (-1 ends it: the window is destroyed and NULL returned), both with the
// CREATESTRUCTW in lParam, then shows the window when WS_VISIBLE is given. x, y, width and
// height are the window rectangle in screen coordinates. The client area is the window
// rectangle less the frame the window system draws (none for WS_POPUP without caption or
// frame, which gives a borderless window). NULL with ERROR_CANNOT_FIND_WND_CLASS,
// ERROR_NOT_SUPPORTED for WS_CHILD, ERROR_INVALID_WINDOW_HANDLE for a bad owner, or
// ERROR_GEN_FAILURE when the window system refuses.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter);
// Destroys the window (and first the windows it owns): hides it, takes away its activation,
// focus and capture, kills its timers, sends WM_DESTROY and WM_NCDESTROY. Only the owning
// thread may destroy a window (else FALSE with ERROR_ACCESS_DENIED).
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// The id of the thread that owns the window (0 for an unknown window); the process id through
// processId when that is not null.
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
// Shows, hides, minimises, maximises or restores; the forms without NOACTIVATE/NA activate the
// window. Sends WM_SHOWWINDOW, and WM_SIZE/WM_MOVE the first time it is shown. The result is
// whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);

// Window rectangle in screen coordinates, client rectangle (0, 0, width, height).
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
// Moves and sizes the window rectangle; a changed size sends WM_SIZE, a changed place WM_MOVE;
// repaint TRUE invalidates the whole client area.
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);

constexpr HWND HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
// Place, size and stacking. HWND_TOPMOST/HWND_NOTOPMOST keep a window above all others or not;
// HWND_TOP raises it; other insert-after windows are not offered (ERROR_NOT_SUPPORTED).
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL BringWindowToTop(HWND window);

struct WINDOWPLACEMENT
{
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
// The show state and the restored window rectangle (screen coordinates). length must be
// sizeof(WINDOWPLACEMENT) (else FALSE with ERROR_INVALID_PARAMETER).
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);

BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Copies at most count - 1 characters and a terminating zero; returns the characters copied.
int GetWindowTextW(HWND window, LPWSTR buffer, int count);
int GetWindowTextLengthW(HWND window);

// The owner of a pop-up or overlapped window (NULL for none).
HWND GetParent(HWND window);
constexpr UINT GW_OWNER = 4;
HWND GetWindow(HWND window, UINT command);
// The window that stands for the whole screen; it has no procedure and takes no messages.
HWND GetDesktopWindow();
// The first top-level window of the class (and title, when given) in stacking order, top first.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
// The visible, not minimised top-level window whose rectangle holds the point, top first; NULL
// when none of this process's windows does.
HWND WindowFromPoint(POINT point);
// The last active window owned by the window (itself when none of its pop-ups was active last).
HWND GetLastActivePopup(HWND window);

// A disabled window receives no mouse or key input. Sends WM_ENABLE on a change; disabling the
// focus window takes the focus away. The result is whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_USERDATA = -21;
LONG_PTR GetWindowLongPtrW(HWND window, int index);
// GWLP_USERDATA and GWLP_WNDPROC may be set; styles cannot be changed after creation
// (ERROR_NOT_SUPPORTED).
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);

// --- Hooks ----------------------------------------------------------------------------------

// A computer-based-training hook of the calling thread: told of each window the thread creates,
// before the window's first message (HCBT_CREATEWND, wParam the window, lParam a
// CBT_CREATEWNDW). Only WH_CBT hooks of the calling thread are offered.
struct HHOOK__;
using HHOOK = HHOOK__*;
using HOOKPROC = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);
constexpr int WH_CBT = 5;
constexpr int HCBT_CREATEWND = 3;
struct CBT_CREATEWNDW
{
    CREATESTRUCTW* lpcs;
    HWND hwndInsertAfter;
};
// NULL with ERROR_NOT_SUPPORTED for other hook kinds or another thread.
HHOOK SetWindowsHookExW(int kind, HOOKPROC procedure, HINSTANCE instance, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
// Passes the notification to the hooks installed before this one.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// --- Messages and queues ---------------------------------------------------------------------

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

// The default handling: WM_NCCREATE TRUE; WM_CLOSE destroys the window; WM_SYSCOMMAND with
// SC_CLOSE sends WM_CLOSE; WM_ACTIVATE gives the activated window the focus; WM_SETCURSOR sets
// the class cursor over the client area; WM_PAINT validates the window; WM_GETTEXT and
// WM_GETTEXTLENGTH read the title, WM_SETTEXT sets it; WM_SETICON sets the window's big or small
// icon and answers the one it replaced, WM_GETICON answers it (the window shows its big icon, else
// its small one, else its class's); every other message gives 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window procedure and returns its result. On the owning thread the call is direct;
// from another thread the message waits in the owner's queue of sent messages, which its next
// message retrieval handles first, while the sending thread handles the messages sent to it.
// 0 with ERROR_INVALID_WINDOW_HANDLE for an unknown window.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Places the message in the queue of the window's thread (NULL: the calling thread, as a
// thread message). FALSE with ERROR_INVALID_WINDOW_HANDLE. Any thread may post.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message for the thread itself (hwnd NULL). FALSE with ERROR_INVALID_THREAD_ID when the
// thread has no queue yet (a thread's queue is made by its first call of a function of this
// family, PeekMessageW being the usual one).
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Asks the calling thread's message loop to end: WM_QUIT (wParam the exit code) is retrieved
// once the posted messages are through.
void PostQuitMessage(int exitCode);

// Retrieves the next message for the calling thread, in this order: sent messages are handled
// first; then posted messages, WM_QUIT, input (mouse and keys), WM_PAINT for a window with an
// update area, and WM_TIMER for a due timer. filter NULL: any window of the thread and thread
// messages; (HWND)-1: thread messages only; a window: that window's. min/max 0, 0: every
// message. GetMessageW waits for a message and returns 0 for WM_QUIT, else nonzero (-1 with
// ERROR_INVALID_WINDOW_HANDLE for a bad filter window).
BOOL GetMessageW(LPMSG message, HWND filter, UINT min, UINT max);
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;
// As GetMessageW without waiting: FALSE when no message is there. PM_NOREMOVE leaves a posted
// or input message in the queue.
BOOL PeekMessageW(LPMSG message, HWND filter, UINT min, UINT max, UINT remove);
// Waits until a message (or an event that becomes one) is there for the calling thread.
BOOL WaitMessage();
// For WM_KEYDOWN and WM_SYSKEYDOWN: posts WM_CHAR for the keys that type a control character
// (Return 13, Backspace 8, Tab 9, Escape 27, Control with a letter 1 to 26). Other typed
// characters arrive as WM_CHAR from the window system's text input, one per code point.
// TRUE for key-down messages, else FALSE.
BOOL TranslateMessage(const MSG* message);
// Calls the message's window procedure (a WM_TIMER with a timer procedure in lParam calls that
// instead) and returns its result; after WM_PAINT the window's pixels are shown on screen.
LRESULT DispatchMessageW(const MSG* message);
// The time and cursor position of the last message retrieved by the thread.
LONG GetMessageTime();
DWORD GetMessagePos();

// --- Painting ---------------------------------------------------------------------------------

struct PAINTSTRUCT
{
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

// Adds the rectangle (client coordinates; NULL: the whole client area) to the window's update
// area, which WM_PAINT then reports. The update area is kept as the rectangle bounding what was
// added; it is clipped to the client area.
BOOL InvalidateRect(HWND window, LPCRECT rect, BOOL erase);
// Takes the rectangle (NULL: everything) out of the update area, as far as the area stays one
// rectangle; a rectangle that covers the whole area empties it.
BOOL ValidateRect(HWND window, LPCRECT rect);
// The update area's rectangle (empty when none); TRUE when it is not empty.
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
// Starts painting: fills the structure with a device context for the window and the update
// rectangle, and validates the window. EndPaint releases the context.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// Sends WM_PAINT at once when the window has an update area (and is visible).
BOOL UpdateWindow(HWND window);
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_UPDATENOW = 0x0100;
// RDW_INVALIDATE adds the rectangle (NULL: all), RDW_VALIDATE takes it away, RDW_UPDATENOW then
// paints at once. Regions are not offered (a non-null region gives ERROR_NOT_SUPPORTED).
BOOL RedrawWindow(HWND window, LPCRECT rect, void* region, UINT flags);

// --- Timers -----------------------------------------------------------------------------------

constexpr UINT USER_TIMER_MINIMUM = 10;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
// Starts or restarts (same window and id) a timer of elapse milliseconds (clamped to 10 ..
// 0x7FFFFFFF). Its WM_TIMER is generated, when the queue holds nothing more urgent, once the
// time has passed, and then every elapse milliseconds counted from that moment; a late timer
// gives one message, not several. Returns the id (for a window NULL, a new id of its own), 0
// with ERROR_INVALID_WINDOW_HANDLE or ERROR_ACCESS_DENIED for another thread's window.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);

// --- Keyboard and mouse -----------------------------------------------------------------------

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_HELP = 0x2F;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F4 = 0x73;
constexpr int VK_F10 = 0x79;
constexpr int VK_F24 = 0x87;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;
constexpr int VK_OEM_102 = 0xE2;

// The key's state as of the message the thread retrieved last: high bit (0x8000) down, low bit
// toggled (flips at each press). VK_SHIFT, VK_CONTROL and VK_MENU stand for either key.
SHORT GetKeyState(int virtualKey);
// The key's state now, as the window system last reported it: high bit down.
SHORT GetAsyncKeyState(int virtualKey);
// Copies 256 key states (bit 0x80 down, bit 0x01 toggled) into the state GetKeyState reads;
// the state the window system reports does not change. FALSE for a null array.
BOOL SetKeyboardState(PBYTE keyState);

// The window that receives all mouse input while set, wherever the pointer is. Returns the
// previous capture window. WM_CAPTURECHANGED (lParam the new window) goes to the window that
// loses it.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// Activation and focus. Activating a window sends WM_ACTIVATE (WA_INACTIVE) to the window that
// was active and WM_ACTIVATE (WA_ACTIVE) to the new one, whose default handling gives it the
// focus; a focus change sends WM_KILLFOCUS and WM_SETFOCUS. A disabled window can be neither
// activated nor focused.
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
HWND SetFocus(HWND window);
HWND GetFocus();

// The pointer's position in screen coordinates.
BOOL GetCursorPos(LPPOINT point);
// Moves the pointer (within this process's windows: the window system does not let a program
// move it elsewhere); FALSE with ERROR_NOT_SUPPORTED where the pointer is over no window.
BOOL SetCursorPos(int x, int y);

// --- Cursors ----------------------------------------------------------------------------------

// The system cursors (for LoadCursorW with a null instance).
inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDC_WAIT = MAKEINTRESOURCEW(32514);
inline LPCWSTR const IDC_CROSS = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDC_UPARROW = MAKEINTRESOURCEW(32516);
inline LPCWSTR const IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline LPCWSTR const IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline LPCWSTR const IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline LPCWSTR const IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline LPCWSTR const IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline LPCWSTR const IDC_NO = MAKEINTRESOURCEW(32648);
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);
inline LPCWSTR const IDC_APPSTARTING = MAKEINTRESOURCEW(32650);
inline LPCWSTR const IDC_HELP = MAKEINTRESOURCEW(32651);

// A system cursor (instance NULL), or a cursor resource of the module (RT_CURSOR in
// platform/Resources.h: the hot spot's x and y as 16-bit little-endian values, then a PNG image;
// one image per cursor, so there is no group level). NULL with ERROR_RESOURCE_NAME_NOT_FOUND (or
// FindResourceW's error) when there is none, ERROR_INVALID_DATA when the resource is not a cursor
// image. The handles are shared: the same resource gives the same handle, valid for the process.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// An icon resource of the module (RT_ICON: a PNG image), as LoadCursorW loads cursors; an icon
// handle also serves as a cursor with its hot spot at the centre. System icons (instance NULL)
// are not offered: NULL with ERROR_RESOURCE_NAME_NOT_FOUND.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
// Makes the cursor the one shown (NULL: none); returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Raises (TRUE) or lowers the display counter; the cursor shows while it is 0 or more. Returns
// the new count.
int ShowCursor(BOOL show);

// --- Desktop, monitors, system settings --------------------------------------------------------

constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr int LF_FACESIZE = 32;
struct LOGFONTW
{
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};

// SPI_GETWORKAREA: the primary display's usable area (RECT, screen coordinates).
// SPI_GETICONTITLELOGFONT: the desktop's interface font (LOGFONTW of size given by uiParam):
// the family and size the font configuration gives for "sans-serif", the height negative in
// pixels at 96 DPI. Other actions: FALSE with ERROR_INVALID_PARAMETER.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni);

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
struct MONITORINFO
{
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};
using LPMONITORINFO = MONITORINFO*;
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
// cbSize must be sizeof(MONITORINFO).
BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
int GetSystemMetrics(int index);

// --- Message box --------------------------------------------------------------------------------

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONHAND = MB_ICONERROR;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows the text and caption with the buttons of the type and waits for the answer (IDOK ...).
// The owner, when given, is disabled meanwhile. Without a display the box cannot be shown: 0
// with ERROR_NOT_SUPPORTED, and the caption and text go to the debugger output.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// --- Error codes of this family -----------------------------------------------------------------

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;

// --- This platform's own
// --------------------------------------------------------------------------

struct SDL_Window;

namespace OrvPlatform::Window
{
// The cursor for one of the framework's cursor names ("UI_CURSOR_ARROW", ...): a system cursor
// where one fits, else a cursor drawn by this layer; NULL for an unknown name. The handles stay
// valid for the process.
HCURSOR LoadNamedCursor(LPCWSTR name);

// The clock timers run on (milliseconds). Tests install a clock they drive; null restores
// GetTickCount. Waits in GetMessageW are bounded, so a waiting thread sees a clock a test moves.
using Clock = DWORD (*)();
void SetTimerClock(Clock clock);

// Answers MessageBoxW in place of the window system while set (for tests): the handler gets
// owner, text, caption and type and returns the button id. An empty handler restores the box.
using MessageBoxHandler = std::function<int(HWND, LPCWSTR, LPCWSTR, UINT)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// The window's client pixels as shown after the last paint (32-bit premultiplied, bytes blue,
// green, red, alpha): a copy of width x height pixels, rows top down. False for an unknown
// window.
bool ReadClientPixels(HWND window, std::uint32_t* pixels, int width, int height);

// OpenGL on windows, for the OpenGL family. EnableOpenGL makes a window able to take OpenGL
// contexts by making its SDL window anew as an SDL OpenGL window (shown again when it was shown):
// contexts of the compatibility profile with 8 bits of red, green and blue and no depth or
// stencil buffer, double-buffered where the video driver offers it. Such a window shows what
// OpenGL draws there, no longer the pixels lent to GDI+ (ReadClientPixels still reads those).
// True when the window is able afterwards; false with ERROR_INVALID_WINDOW_HANDLE for an unknown
// window, with ERROR_INVALID_PIXEL_FORMAT when the video driver makes no OpenGL window.
bool EnableOpenGL(HWND window);
// Runs work while this layer's calls into SDL are held off, with the SDL window of the window (a
// null window: work gets null). False, and work is not run, for an unknown window
// (ERROR_INVALID_WINDOW_HANDLE) or when no video driver starts (ERROR_GEN_FAILURE).
bool RunWithSdlWindow(HWND window, const std::function<void(SDL_Window*)>& work);
} // namespace OrvPlatform::Window
