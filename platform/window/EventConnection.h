// The connection to the window system that SDL reads its events from.
#pragma once

#include <SDL.h>

namespace OrvPlatform::Window::Detail
{
// The connection behind the SDL windows: the X display and its socket.
struct EventConnection
{
    // -1 when the video driver has none that can be watched (the offscreen driver).
    int socket = -1;
    void* display = nullptr;
};

// The connection behind the SDL window.
EventConnection EventConnectionOf(SDL_Window* window);
// Whether events may wait, without waiting for them: events that the X library has read from
// the socket already (any call that waits for a reply of the server reads them) or data on the
// socket; true when that cannot be told.
bool ConnectionHasData(const EventConnection& connection);
// Waits at most ms milliseconds until events wait on the connection (as ConnectionHasData) or
// the wake descriptor is signalled, and takes the signal back. Whether events wait (true on an
// error).
bool WaitForConnection(const EventConnection& connection, int wake, int ms);
// A wake descriptor for WaitForConnection (an eventfd); -1 when none can be made.
int MakeWake();
// Signals the wake descriptor of WaitForConnection.
void SignalWake(int wake);
} // namespace OrvPlatform::Window::Detail
