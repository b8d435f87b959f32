// The connection to the window system that SDL reads its events from.
#pragma once

#include <SDL.h>

namespace OrvPlatform::Window::Detail
{
// The descriptor of the connection behind the SDL window (the X display's socket); -1 when the
// video driver has none that can be watched (the offscreen driver).
int EventConnectionOf(SDL_Window* window);
// Whether data waits on the connection, without waiting for it; true when that cannot be told.
bool ConnectionHasData(int connection);
// Waits at most ms milliseconds until the connection has data or the wake descriptor is
// signalled, and takes the signal back. Whether the connection has data (true on an error).
bool WaitForConnection(int connection, int wake, int ms);
// A wake descriptor for WaitForConnection (an eventfd); -1 when none can be made.
int MakeWake();
// Signals the wake descriptor of WaitForConnection.
void SignalWake(int wake);
} // namespace OrvPlatform::Window::Detail
