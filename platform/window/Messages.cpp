// Sending, posting and retrieving messages; the default window procedure.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <algorithm>
#include <cstring>

using namespace OrvPlatform::Window::Detail;

namespace OrvPlatform::Window::Detail
{
namespace
{
HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(-1);
// The longest single wait of GetMessageW before it looks again (timers on a clock a test moves).
constexpr DWORD kLongestWait = 250;

bool InRange(UINT message, const Filter& filter)
{
    if (filter.min == 0 && filter.max == 0)
    {
        return true;
    }
    return message >= filter.min && message <= filter.max;
}

bool ForWindow(HWND window, const Filter& filter)
{
    if (filter.window == nullptr)
    {
        return true;
    }
    if (filter.window == kThreadMessagesOnly)
    {
        return window == nullptr;
    }
    return window == filter.window;
}

template <typename Queue>
typename Queue::iterator FindMatching(Queue& queue, const Filter& filter)
{
    return std::find_if(queue.begin(), queue.end(),
                        [&](const QueuedMessage& queued) {
                            return ForWindow(queued.msg.hwnd, filter) &&
                                   InRange(queued.msg.message, filter);
                        });
}

void NoteRetrievedKey(WindowSystem& system, const QueuedMessage& queued)
{
    const MSG& msg = queued.msg;
    auto press = [&](int key, bool down, bool repeat)
    {
        BYTE& state = system.keys[key & 0xFF];
        if (down)
        {
            if (!repeat)
            {
                state ^= 0x01;
            }
            state |= 0x80;
        }
        else
        {
            state &= 0x01;
        }
    };
    auto combine = [&](int generic, int left, int right)
    {
        const bool down = ((system.keys[left] | system.keys[right]) & 0x80) != 0;
        system.keys[generic] = static_cast<BYTE>((system.keys[generic] & 0x01) | (down ? 0x80 : 0));
    };
    switch (msg.message)
    {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        {
            const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
            const bool repeat = down && (msg.lParam & (1 << 30)) != 0;
            const int key =
                queued.specificKey != 0 ? queued.specificKey : static_cast<int>(msg.wParam);
            press(key, down, repeat);
            if (key != static_cast<int>(msg.wParam))
            {
                // The generic key toggles with its variants.
                if (down && !repeat)
                {
                    system.keys[msg.wParam & 0xFF] ^= 0x01;
                }
                combine(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
                combine(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
                combine(VK_MENU, VK_LMENU, VK_RMENU);
            }
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            press(VK_LBUTTON, true, false);
            break;
        case WM_LBUTTONUP:
            press(VK_LBUTTON, false, false);
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            press(VK_RBUTTON, true, false);
            break;
        case WM_RBUTTONUP:
            press(VK_RBUTTON, false, false);
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            press(VK_MBUTTON, true, false);
            break;
        case WM_MBUTTONUP:
            press(VK_MBUTTON, false, false);
            break;
        default:
            break;
    }
}

// The window of the thread with something to paint, in stacking order.
HWND FindPaintable(WindowSystem& system, DWORD thread, const Filter& filter)
{
    if (!InRange(WM_PAINT, filter))
    {
        return nullptr;
    }
    for (const auto& [handle, record] : system.windows)
    {
        if (record->thread == thread && !record->destroying && record->visible &&
            record->hasUpdate && ForWindow(handle, filter) && handle != nullptr)
        {
            return handle;
        }
    }
    return nullptr;
}
} // namespace

bool Retrieve(WindowSystem& system, ThreadQueue& queue, const Filter& filter, bool remove,
              QueuedMessage& out)
{
    auto posted = FindMatching(queue.posted, filter);
    if (posted != queue.posted.end())
    {
        out = *posted;
        if (remove)
        {
            queue.posted.erase(posted);
        }
        return true;
    }
    if (queue.quit)
    {
        out = QueuedMessage{};
        out.msg.message = WM_QUIT;
        out.msg.wParam = static_cast<WPARAM>(queue.quitCode);
        out.msg.time = GetTickCount();
        out.msg.pt = system.cursor;
        if (remove)
        {
            queue.quit = false;
        }
        return true;
    }
    auto input = FindMatching(queue.input, filter);
    if (input != queue.input.end())
    {
        out = *input;
        if (remove)
        {
            queue.input.erase(input);
            NoteRetrievedKey(system, out);
        }
        return true;
    }
    if (HWND paint = FindPaintable(system, queue.thread, filter))
    {
        out = QueuedMessage{};
        out.msg.hwnd = paint;
        out.msg.message = WM_PAINT;
        out.msg.time = GetTickCount();
        out.msg.pt = system.cursor;
        return true;
    }
    MSG timer{};
    if (TakeDueTimer(system, queue.thread, filter, remove, timer))
    {
        out = QueuedMessage{};
        out.msg = timer;
        out.msg.pt = system.cursor;
        return true;
    }
    return false;
}

bool HasWork(WindowSystem& system, ThreadQueue& queue, const Filter& filter)
{
    if (!queue.sent.empty())
    {
        return true;
    }
    QueuedMessage ignored;
    return Retrieve(system, queue, filter, false, ignored);
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC procedure = nullptr;
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.windows.find(window);
        if (record != system.windows.end())
        {
            procedure = record->second->procedure;
        }
    }
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

void HandleSentMessages()
{
    WindowSystem& system = WindowSystem::Get();
    for (;;)
    {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard<std::mutex> guard(system.lock);
            ThreadQueue& queue = system.CurrentQueue();
            if (queue.sent.empty())
            {
                return;
            }
            sent = queue.sent.front();
            queue.sent.pop_front();
        }
        LRESULT result = 0;
        switch (sent->message)
        {
            case kActivateFromSystem:
                Activate(sent->window, true, static_cast<WORD>(sent->wParam));
                break;
            case kDeactivateFromSystem:
            {
                bool stillActive = false;
                {
                    std::lock_guard<std::mutex> guard(system.lock);
                    stillActive = system.active == sent->window;
                }
                if (stillActive)
                {
                    Activate(nullptr, true, WA_INACTIVE);
                }
                break;
            }
            default:
                result = CallProcedure(sent->window, sent->message, sent->wParam, sent->lParam);
                break;
        }
        std::lock_guard<std::mutex> guard(system.lock);
        sent->result = result;
        sent->done = true;
        if (sent->waited)
        {
            if (ThreadQueue* sender = system.QueueOf(sent->sender))
            {
                system.Wake(*sender);
            }
        }
    }
}
} // namespace OrvPlatform::Window::Detail

namespace
{
// After a mouse message is taken: the window under the pointer sets its cursor, unless a
// window holds the capture.
void SendSetCursor(const MSG& msg)
{
    if (msg.hwnd == nullptr || !(msg.message == WM_MOUSEMOVE || (msg.message >= WM_LBUTTONDOWN &&
                                                                 msg.message <= WM_MBUTTONDBLCLK)))
    {
        return;
    }
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        if (system.capture != nullptr)
        {
            return;
        }
    }
    SendMessageW(msg.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg.hwnd),
                 MAKELPARAM(HTCLIENT, static_cast<int>(msg.message)));
}

BOOL Take(LPMSG message, const Filter& filter, bool remove, bool wait)
{
    WindowSystem& system = WindowSystem::Get();
    if (message == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return wait ? -1 : FALSE;
    }
    for (;;)
    {
        HandleSentMessages();
        if (!wait && system.HasVideo() && system.sdlWanted.load() == 0 && system.sdlLock.try_lock())
        {
            system.PumpEventsIfDueLocked();
            system.sdlLock.unlock();
            HandleSentMessages();
        }
        DWORD timeout = kLongestWait;
        {
            std::lock_guard<std::mutex> guard(system.lock);
            ThreadQueue& queue = system.CurrentQueue();
            if (filter.window != nullptr && filter.window != reinterpret_cast<HWND>(-1) &&
                !system.Find(filter.window))
            {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return wait ? -1 : FALSE;
            }
            QueuedMessage queued;
            if (Retrieve(system, queue, filter, remove, queued))
            {
                *message = queued.msg;
                if (remove)
                {
                    queue.lastTime = static_cast<LONG>(queued.msg.time);
                    queue.lastPos =
                        static_cast<DWORD>(MAKELPARAM(queued.msg.pt.x, queued.msg.pt.y));
                }
                break;
            }
            if (!wait)
            {
                return FALSE;
            }
            timeout = UntilNextTimer(system, queue.thread, kLongestWait);
        }
        system.WaitForWork(timeout, filter);
    }
    if (remove)
    {
        SendSetCursor(*message);
    }
    return wait ? (message->message == WM_QUIT ? FALSE : TRUE) : TRUE;
}
} // namespace

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem& system = WindowSystem::Get();
    auto sent = std::make_shared<SentMessage>();
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        const DWORD me = system.CurrentQueue().thread;
        if (record->thread != me)
        {
            ThreadQueue* owner = system.QueueOf(record->thread);
            if (owner == nullptr)
            {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            sent->window = window;
            sent->message = message;
            sent->wParam = wParam;
            sent->lParam = lParam;
            sent->waited = true;
            sent->sender = me;
            owner->sent.push_back(sent);
            system.Wake(*owner);
        }
        else
        {
            sent.reset();
        }
    }
    if (!sent)
    {
        return CallProcedure(window, message, wParam, lParam);
    }
    // Meanwhile the messages sent to this thread are handled, so that two threads sending to
    // each other do not wait for ever.
    for (;;)
    {
        HandleSentMessages();
        std::unique_lock<std::mutex> guard(system.lock);
        if (sent->done)
        {
            return sent->result;
        }
        ThreadQueue& queue = system.CurrentQueue();
        if (queue.sent.empty())
        {
            queue.wake.wait_for(guard, std::chrono::milliseconds(kLongestWait));
        }
    }
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    QueuedMessage queued;
    queued.msg.hwnd = window;
    queued.msg.message = message;
    queued.msg.wParam = wParam;
    queued.msg.lParam = lParam;
    queued.msg.time = GetTickCount();
    queued.msg.pt = system.cursor;
    if (window == nullptr)
    {
        system.CurrentQueue().posted.push_back(queued);
        return TRUE;
    }
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    system.Post(record->thread, queued, false);
    return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    QueuedMessage queued;
    queued.msg.message = message;
    queued.msg.wParam = wParam;
    queued.msg.lParam = lParam;
    queued.msg.time = GetTickCount();
    queued.msg.pt = system.cursor;
    if (!system.Post(threadId, queued, false))
    {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    ThreadQueue& queue = system.CurrentQueue();
    queue.quit = true;
    queue.quitCode = exitCode;
}

BOOL GetMessageW(LPMSG message, HWND filter, UINT min, UINT max)
{
    return Take(message, Filter{filter, min, max}, true, true);
}

BOOL PeekMessageW(LPMSG message, HWND filter, UINT min, UINT max, UINT remove)
{
    return Take(message, Filter{filter, min, max}, (remove & PM_REMOVE) != 0, false);
}

BOOL WaitMessage()
{
    WindowSystem& system = WindowSystem::Get();
    for (;;)
    {
        DWORD timeout = kLongestWait;
        {
            std::lock_guard<std::mutex> guard(system.lock);
            ThreadQueue& queue = system.CurrentQueue();
            if (HasWork(system, queue, Filter{}))
            {
                return TRUE;
            }
            timeout = UntilNextTimer(system, queue.thread, kLongestWait);
        }
        system.WaitForWork(timeout, Filter{});
    }
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr)
    {
        return FALSE;
    }
    switch (message->message)
    {
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_SYSKEYDOWN:
            return TRUE;
        case WM_KEYDOWN:
            break;
        default:
            return FALSE;
    }
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    int character = 0;
    switch (static_cast<int>(message->wParam))
    {
        case VK_RETURN:
            character = control ? 10 : 13;
            break;
        case VK_BACK:
            character = control ? 127 : 8;
            break;
        case VK_TAB:
            character = control ? 0 : 9;
            break;
        case VK_ESCAPE:
            character = 27;
            break;
        default:
            if (control && !alt && message->wParam >= 'A' && message->wParam <= 'Z')
            {
                character = static_cast<int>(message->wParam) - 'A' + 1;
            }
            break;
    }
    if (character != 0)
    {
        PostMessageW(message->hwnd, WM_CHAR, static_cast<WPARAM>(character), message->lParam);
    }
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (message == nullptr)
    {
        return 0;
    }
    if (message->message == WM_TIMER && message->lParam != 0)
    {
        auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        procedure(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    if (message->hwnd == nullptr)
    {
        return 0;
    }
    const LRESULT result =
        CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
    if (message->message == WM_PAINT)
    {
        SdlLock sdl;
        PresentLocked(WindowSystem::Get(), message->hwnd);
    }
    return result;
}

LONG GetMessageTime()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.CurrentQueue().lastTime;
}

DWORD GetMessagePos()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.CurrentQueue().lastPos;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE)
            {
                SendMessageW(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (1 << 29)) != 0)
            {
                SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0)
            {
                SetFocus(window);
            }
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(static_cast<DWORD_PTR>(lParam)) == HTCLIENT)
            {
                HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
                if (cursor != nullptr)
                {
                    SetCursor(cursor);
                    return TRUE;
                }
            }
            return FALSE;
        case WM_PAINT:
            ValidateRect(window, nullptr);
            return 0;
        case WM_SETTEXT:
            return SetWindowTextW(window, reinterpret_cast<LPCWSTR>(lParam));
        case WM_GETTEXT:
            return GetWindowTextW(window, reinterpret_cast<LPWSTR>(lParam),
                                  static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return GetWindowTextLengthW(window);
        case WM_SETICON:
            return reinterpret_cast<LRESULT>(
                SetWindowIcon(window, wParam, reinterpret_cast<HICON>(lParam)));
        case WM_GETICON:
            return reinterpret_cast<LRESULT>(GetWindowIcon(window, wParam));
        default:
            return 0;
    }
}
