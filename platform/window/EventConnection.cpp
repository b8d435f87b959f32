// Kept apart from the window services: the X headers behind SDL's system information define
// names (Bool, Status, None, ...) that clash with the system declarations of the other files.
#include "EventConnection.h"

#include <SDL_syswm.h>

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace OrvPlatform::Window::Detail
{
namespace
{
// Events the X library holds already, read from the socket by an earlier call: the socket no
// longer tells of them.
bool EventsReadAlready(const EventConnection& connection)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    return connection.display != nullptr &&
           XEventsQueued(static_cast<Display*>(connection.display), QueuedAlready) > 0;
#else
    (void)connection;
    return false;
#endif
}
} // namespace

EventConnection EventConnectionOf(SDL_Window* window)
{
    EventConnection connection;
    if (window == nullptr)
    {
        return connection;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE)
    {
        return connection;
    }
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11 && info.info.x11.display != nullptr)
    {
        connection.socket = ConnectionNumber(info.info.x11.display);
        connection.display = info.info.x11.display;
    }
#endif
    return connection;
}

bool ConnectionHasData(const EventConnection& connection)
{
    if (EventsReadAlready(connection))
    {
        return true;
    }
    pollfd watched{};
    watched.fd = connection.socket;
    watched.events = POLLIN;
    // An error or a closed connection is left to SDL's reading to find.
    return poll(&watched, 1, 0) != 0;
}

bool WaitForConnection(const EventConnection& connection, int wake, int ms)
{
    if (EventsReadAlready(connection))
    {
        return true;
    }
    pollfd watched[2]{};
    watched[0].fd = connection.socket;
    watched[0].events = POLLIN;
    watched[1].fd = wake;
    watched[1].events = POLLIN;
    const int ready = poll(watched, 2, ms);
    if (ready > 0 && (watched[1].revents & POLLIN) != 0)
    {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = read(wake, &count, sizeof count);
    }
    return ready < 0 || watched[0].revents != 0;
}

int MakeWake()
{
    return eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

void SignalWake(int wake)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake, &one, sizeof one);
}
} // namespace OrvPlatform::Window::Detail
