#include "WindowSystem.h"

#include "EventConnection.h"

#include "platform/DebugApi.h"
#include "platform/Kernel.h"

#include <string>

namespace OrvPlatform::Window::Detail
{
namespace
{
// How long a thread that does not read SDL waits before it looks whether it should.
constexpr DWORD kQueueSlice = 50;
// SDL finishes some of what it reads a while later, at a later read (a change of the focus
// 200 ms after it came): after traffic on the connection, every look reads SDL's events for this
// long.
constexpr DWORD kSdlDeferredWork = 250;
} // namespace

WindowSystem& WindowSystem::Get()
{
    // Never destroyed: threads may still post while the process exits.
    static WindowSystem* system = []
    {
        auto* made = new WindowSystem();
        RegisterSystemClasses(*made);
        return made;
    }();
    return *system;
}

std::shared_ptr<WindowRecord> WindowSystem::Find(HWND window) const
{
    auto found = windows.find(window);
    if (window == nullptr || found == windows.end() || found->second->destroying)
    {
        return nullptr;
    }
    return found->second;
}

ThreadQueue& WindowSystem::CurrentQueue()
{
    const DWORD thread = GetCurrentThreadId();
    auto& queue = queues[thread];
    if (!queue)
    {
        queue = std::make_shared<ThreadQueue>();
        queue->thread = thread;
    }
    return *queue;
}

ThreadQueue* WindowSystem::QueueOf(DWORD thread)
{
    auto found = queues.find(thread);
    return found == queues.end() ? nullptr : found->second.get();
}

DWORD WindowSystem::Now() const
{
    return clock != nullptr ? clock() : GetTickCount();
}

void WindowSystem::Wake(ThreadQueue& queue)
{
    queue.wake.notify_all();
    if (videoReady.load() && sdlWaiter.load() == queue.thread &&
        queue.thread != GetCurrentThreadId())
    {
        WakeSdlWaiter();
    }
}

void WindowSystem::WakeSdlWaiter()
{
    if (connectionWake >= 0)
    {
        SignalWake(connectionWake);
    }
    SDL_Event event{};
    event.type = wakeEvent;
    SDL_PushEvent(&event);
}

bool WindowSystem::Post(DWORD thread, const QueuedMessage& message, bool isInput)
{
    ThreadQueue* queue = QueueOf(thread);
    if (queue == nullptr)
    {
        return false;
    }
    if (isInput)
    {
        // Pointer moves are merged: only the latest one of a window waits in the queue.
        if (message.msg.message == WM_MOUSEMOVE && !queue->input.empty() &&
            queue->input.back().msg.message == WM_MOUSEMOVE &&
            queue->input.back().msg.hwnd == message.msg.hwnd)
        {
            queue->input.back() = message;
        }
        else
        {
            queue->input.push_back(message);
        }
    }
    else
    {
        queue->posted.push_back(message);
    }
    Wake(*queue);
    return true;
}

void WindowSystem::SendLater(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto record = Find(window);
    if (!record)
    {
        return;
    }
    ThreadQueue* queue = QueueOf(record->thread);
    if (queue == nullptr)
    {
        return;
    }
    auto sent = std::make_shared<SentMessage>();
    sent->window = window;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    queue->sent.push_back(sent);
    Wake(*queue);
}

bool WindowSystem::EnsureVideo()
{
    if (videoReady.load())
    {
        return true;
    }
    if (videoTried)
    {
        return false;
    }
    videoTried = true;
    // The process keeps its own signal handling, and a click that activates a window is also
    // delivered to it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Client pixels are made on the processor: the window system's own framebuffer shows them.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::string text = "Window system: no video driver starts: ";
        text += SDL_GetError();
        text += "\n";
        OutputDebugStringA(text.c_str());
        return false;
    }
    wakeEvent = SDL_RegisterEvents(1);
    connectionWake = MakeWake();
    SetOpenGLAttributes();
    SDL_StartTextInput();
    videoReady.store(true);
    return true;
}

SdlLock::SdlLock()
{
    WindowSystem& system = WindowSystem::Get();
    if (!system.sdlLock.try_lock())
    {
        ++system.sdlWanted;
        if (system.videoReady.load())
        {
            system.WakeSdlWaiter();
        }
        system.sdlLock.lock();
        --system.sdlWanted;
    }
    system.sdlCalledSinceRead = true;
}

SdlLock::~SdlLock()
{
    WindowSystem::Get().sdlLock.unlock();
}

void WindowSystem::PumpEventsLocked()
{
    if (!videoReady.load())
    {
        return;
    }
    sdlCalledSinceRead = false;
    SDL_PumpEvents();
    RouteQueuedEventsLocked();
}

void WindowSystem::PumpEventsIfDueLocked()
{
    PumpEventsIfDueLocked(eventConnection.socket < 0 || ConnectionHasData(eventConnection));
}

void WindowSystem::PumpEventsIfDueLocked(bool connectionHasData)
{
    if (!videoReady.load())
    {
        return;
    }
    const DWORD now = GetTickCount();
    if (sdlCalledSinceRead || connectionHasData)
    {
        lastSdlTraffic = now;
        PumpEventsLocked();
        return;
    }
    if (now - lastSdlTraffic < kSdlDeferredWork)
    {
        PumpEventsLocked();
        return;
    }
    RouteQueuedEventsLocked();
}

void WindowSystem::NoteEventConnectionLocked(SDL_Window* window)
{
    if (eventConnection.socket < 0)
    {
        eventConnection = EventConnectionOf(window);
    }
}

void WindowSystem::RouteQueuedEventsLocked()
{
    SDL_Event events[32];
    for (;;)
    {
        const int count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (count <= 0)
        {
            break;
        }
        std::lock_guard<std::mutex> guard(lock);
        for (int i = 0; i < count; ++i)
        {
            if (events[i].type != wakeEvent)
            {
                RouteEvent(*this, events[i]);
            }
        }
    }
}

void WindowSystem::WaitForWork(DWORD ms, const Filter& filter)
{
    ThreadQueue* queue = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        queue = &CurrentQueue();
    }
    // The thread reads SDL itself when no other thread does.
    if (videoReady.load() && sdlWanted.load() == 0 && sdlLock.try_lock())
    {
        sdlWaiter.store(queue->thread);
        bool ready = false;
        {
            std::lock_guard<std::mutex> guard(lock);
            ready = HasWork(*this, *queue, filter);
        }
        if (!ready && ms > 0 && sdlWanted.load() == 0 && eventConnection.socket >= 0 &&
            connectionWake >= 0)
        {
            // On the connection itself: what SDL has read already is routed first (the wait
            // looks at the connection), then the thread sleeps until the connection has data,
            // the time is up or it is woken.
            PumpEventsIfDueLocked(false);
            {
                std::lock_guard<std::mutex> guard(lock);
                ready = HasWork(*this, *queue, filter);
            }
            bool data = false;
            if (!ready && sdlWanted.load() == 0)
            {
                data = WaitForConnection(eventConnection, connectionWake, static_cast<int>(ms));
            }
            else
            {
                data = ConnectionHasData(eventConnection);
            }
            PumpEventsIfDueLocked(data);
        }
        else
        {
            // The wait returns at once when SDL holds events already.
            if (!ready && ms > 0 && sdlWanted.load() == 0)
            {
                SDL_WaitEventTimeout(nullptr, static_cast<int>(ms));
            }
            PumpEventsLocked();
        }
        sdlWaiter.store(0);
        sdlLock.unlock();
        return;
    }
    std::unique_lock<std::mutex> guard(lock);
    if (HasWork(*this, *queue, filter))
    {
        return;
    }
    const DWORD slice = videoReady.load() && ms > kQueueSlice ? kQueueSlice : ms;
    queue->wake.wait_for(guard, std::chrono::milliseconds(slice));
}

WPARAM MouseKeyFlags(const BYTE* keys)
{
    WPARAM flags = 0;
    if ((keys[VK_LBUTTON] & 0x80) != 0)
    {
        flags |= MK_LBUTTON;
    }
    if ((keys[VK_RBUTTON] & 0x80) != 0)
    {
        flags |= MK_RBUTTON;
    }
    if ((keys[VK_MBUTTON] & 0x80) != 0)
    {
        flags |= MK_MBUTTON;
    }
    if ((keys[VK_SHIFT] & 0x80) != 0)
    {
        flags |= MK_SHIFT;
    }
    if ((keys[VK_CONTROL] & 0x80) != 0)
    {
        flags |= MK_CONTROL;
    }
    return flags;
}
} // namespace OrvPlatform::Window::Detail
