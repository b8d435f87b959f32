// The state behind the window services: classes, windows, the per-thread queues, the input state
// and the one SDL connection.
//
// Two locks: the state lock guards every record of this file; the SDL lock serialises the calls
// into SDL. A thread may take the state lock while it holds the SDL lock, never the other way
// round. No window procedure is called while either lock is held.
#pragma once

#include "EventConnection.h"

#include "platform/User32.h"

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace OrvPlatform::Window::Detail
{
struct WindowClassRecord
{
    std::wstring name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int windows = 0;
};

struct Timer
{
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    DWORD due = 0;
    TIMERPROC procedure = nullptr;
};

struct WindowRecord
{
    HWND handle = nullptr;
    std::shared_ptr<WindowClassRecord> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring text;
    HWND owner = nullptr;
    DWORD thread = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;

    // The client area: its origin on the screen and its size; the frame around it.
    POINT clientOrigin{0, 0};
    int width = 0;
    int height = 0;
    RECT frame{0, 0, 0, 0};
    // The window rectangle when neither minimised nor maximised.
    RECT normal{0, 0, 0, 0};

    bool visible = false;
    bool enabled = true;
    bool minimized = false;
    bool maximized = false;
    bool topmost = false;
    bool sizeSent = false;
    bool destroying = false;
    HWND lastActivePopup = nullptr;

    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    // The client pixels lent to the GDI+ layer.
    std::unique_ptr<std::uint32_t[]> pixels;
    int pixelWidth = 0;
    int pixelHeight = 0;

    // The icons WM_SETICON gave (ICON_BIG, ICON_SMALL).
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;

    bool hasUpdate = false;
    bool updateErase = false;
    RECT update{0, 0, 0, 0};
};

// A message sent to a window: handled by the owning thread's next retrieval. A sender that waits
// for the result (another thread's SendMessageW) waits for done; the routing of window-system
// events only queues and does not wait.
struct SentMessage
{
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    bool waited = false;
    DWORD sender = 0;
};

// Sent messages that carry a change the window system made, handled by the owning thread
// itself rather than by a window procedure.
constexpr UINT kActivateFromSystem = 0x03F0;
constexpr UINT kDeactivateFromSystem = 0x03F1;

// A posted or input message, with the key it stands for when that differs from wParam (the left
// or right variant of Shift, Control and Alt).
struct QueuedMessage
{
    MSG msg{};
    int specificKey = 0;
};

// Which messages a retrieval takes: a window (null: any of the thread's and thread messages;
// (HWND)-1: thread messages only) and a range (0, 0: all).
struct Filter
{
    HWND window = nullptr;
    UINT min = 0;
    UINT max = 0;
};

struct ThreadQueue
{
    DWORD thread = 0;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<QueuedMessage> posted;
    std::deque<QueuedMessage> input;
    bool quit = false;
    int quitCode = 0;
    std::condition_variable wake;
    LONG lastTime = 0;
    DWORD lastPos = 0;
};

class WindowSystem
{
public:
    static WindowSystem& Get();

    // Guards everything below except the SDL calls.
    std::mutex lock;

    std::map<std::wstring, std::shared_ptr<WindowClassRecord>> classes; // by upper-case name
    ATOM nextAtom = 0xC000;

    std::map<HWND, std::shared_ptr<WindowRecord>> windows;
    std::uintptr_t nextHandle = 0x10000;
    // Top-level windows, top of the stacking order first.
    std::vector<HWND> zOrder;

    std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 0x7FF0;
    Clock clock = nullptr;

    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    // The window that emptied the clipboard last, while this process holds the clipboard; it
    // hears WM_DESTROYCLIPBOARD when the clipboard is emptied again or another client takes it.
    HWND clipboardOwner = nullptr;
    POINT cursor{0, 0};
    HCURSOR currentCursor = nullptr;
    int cursorCount = 0;

    // Key state: as of the last retrieved message (bit 0x80 down, 0x01 toggled), and as the
    // window system last reported it.
    BYTE keys[256] = {};
    BYTE asyncKeys[256] = {};

    MessageBoxHandler messageBoxHandler;

    // The record of a window, null when the handle is not a live window (state lock held).
    std::shared_ptr<WindowRecord> Find(HWND window) const;
    // The calling thread's queue, made on first use (state lock held).
    ThreadQueue& CurrentQueue();
    ThreadQueue* QueueOf(DWORD thread);
    DWORD Now() const;

    // Places a message where the owning thread retrieves it and wakes that thread (state lock
    // held). Returns false when the thread has no queue.
    bool Post(DWORD thread, const QueuedMessage& message, bool isInput);
    // Queues a sent message without waiting (state lock held).
    void SendLater(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Wake(ThreadQueue& queue);

    // --- SDL ------------------------------------------------------------------------------
    // Brings SDL's video up once; false when no video driver starts (the reason is logged).
    bool EnsureVideo();
    bool HasVideo() const { return videoReady.load(); }
    std::mutex sdlLock;
    std::atomic<int> sdlWanted{0};
    std::atomic<DWORD> sdlWaiter{0};
    std::atomic<bool> videoReady{false};
    bool videoTried = false;
    Uint32 wakeEvent = 0;

    // Whether SDL was called since its events were last read (SDL lock held): a call may read
    // the window system's connection and keep the events it found there for the next read.
    bool sdlCalledSinceRead = true;
    // The window system's connection SDL reads its events from (SDL lock held); its socket is -1
    // while unknown or when the video driver has none, and then every look reads SDL's events
    // and the reading thread waits inside SDL.
    EventConnection eventConnection;
    // When the connection last had data or SDL was last called (SDL lock held).
    DWORD lastSdlTraffic = 0;
    // Wakes the thread that waits on the connection (an eventfd; -1 when none could be made).
    int connectionWake = -1;
    // Wakes the thread that reads SDL, wherever it waits.
    void WakeSdlWaiter();

    // Reads SDL's pending events and routes them (SDL lock held, state lock not held).
    void PumpEventsLocked();
    // The same when events may have come since SDL's were last read: SDL was called meanwhile,
    // or the connection has data. Otherwise only what SDL's own queue holds is routed, without
    // asking the window system (SDL lock held, state lock not held).
    void PumpEventsIfDueLocked();
    // Notes the connection behind a new SDL window (SDL lock held).
    void NoteEventConnectionLocked(SDL_Window* window);
    // Waits at most ms milliseconds for something for the calling thread's queue.
    void WaitForWork(DWORD ms, const Filter& filter);

private:
    WindowSystem() = default;
    // Routes the events SDL's queue holds, without reading the window system (SDL lock held).
    void RouteQueuedEventsLocked();
    // PumpEventsIfDueLocked, told whether the connection has data.
    void PumpEventsIfDueLocked(bool connectionHasData);
};

// Takes the SDL lock; a thread waiting inside SDL is woken so that it gives the lock up.
class SdlLock
{
public:
    SdlLock();
    ~SdlLock();
    SdlLock(const SdlLock&) = delete;
    SdlLock& operator=(const SdlLock&) = delete;
};

// The atom of the predefined class "STATIC".
constexpr ATOM kStaticClassAtom = 0x8082;
// Registers the classes every program finds registered (at the making of the window system).
void RegisterSystemClasses(WindowSystem& system);
// The class of a name or atom (state lock held).
std::shared_ptr<WindowClassRecord> FindClass(WindowSystem& system, LPCWSTR name);
// The window rectangle (screen coordinates) of a record.
RECT WindowRectOf(const WindowRecord& record);
// Applies a new client size to the record: pixels, update area (state lock held). True when the
// size changed.
bool ResizeClient(WindowRecord& record, int width, int height);
// The top visible top-level window that could take the activation after the window, preferring
// its owner (state lock held).
HWND NextToActivate(WindowSystem& system, HWND leaving);
// The primary display's usable area (SDL lock held; video up).
RECT WorkAreaLocked();

// Shows the picture of a cursor or icon resource as the SDL window's icon (SDL lock held);
// other handles change nothing.
void ShowWindowIcon(SDL_Window* window, HICON icon);
// The icon a window shows: its big one, else its small one, else its class's (state lock held).
HICON ShownIconOf(const WindowRecord& record);
// Sets the window's big or small icon and shows the icon the window then has (its big one, else
// its small one, else its class's); the icon it replaced (no lock held).
HICON SetWindowIcon(HWND window, WPARAM which, HICON icon);
// The window's big or small icon (no lock held).
HICON GetWindowIcon(HWND window, WPARAM which);

// Tells the calling thread's creation hooks of a new window (no lock held).
void CallCreationHooks(HWND window, CREATESTRUCTW* create);

// Key flags of mouse messages from a key state (MK_*).
WPARAM MouseKeyFlags(const BYTE* keys);
// Whether there is something the thread's retrieval would return (state lock held).
bool HasWork(WindowSystem& system, ThreadQueue& queue, const Filter& filter);
// Takes the next message for the filter, in the order of GetMessageW (state lock held); false
// when there is none. remove: posted and input messages leave the queue, a timer restarts.
bool Retrieve(WindowSystem& system, ThreadQueue& queue, const Filter& filter, bool remove,
              QueuedMessage& out);
// Milliseconds until the thread's next timer is due (limit when none is sooner; state lock
// held).
DWORD UntilNextTimer(WindowSystem& system, DWORD thread, DWORD limit);
// The due timer of the thread for the filter, restarted when remove is set (state lock held).
bool TakeDueTimer(WindowSystem& system, DWORD thread, const Filter& filter, bool remove, MSG& out);
// Removes the window's timers (state lock held).
void RemoveTimers(WindowSystem& system, HWND window);
// Routes one SDL event (state lock held).
void RouteEvent(WindowSystem& system, const SDL_Event& event);
// Sets the attributes OpenGL windows and their contexts are made with (SDL lock held; video up).
void SetOpenGLAttributes();
// Shows the window's pixels on its SDL window, unless OpenGL shows what it draws there (SDL
// lock held).
void PresentLocked(WindowSystem& system, HWND window);
// Hands the window's pixel block to the GDI+ layer, made anew for the current size (state lock
// held).
void LendPixels(WindowRecord& record);
// Invalidates a rectangle of the client area (state lock held); null: all.
void AddUpdate(WindowSystem& system, WindowRecord& record, const RECT* rect, bool erase);
// Activation (no lock held): sends the messages of the change. fromSystem: the window system
// already moved its focus, so SDL is not asked.
HWND Activate(HWND window, bool fromSystem, WORD how);
// Calls a window procedure (no lock held).
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Handles the messages sent to the calling thread (no lock held).
void HandleSentMessages();
} // namespace OrvPlatform::Window::Detail
