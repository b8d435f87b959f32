// The tests of this program draw into windows of SDL's offscreen video driver: OpenGL through
// EGL without any display.
#include <cstdlib>

namespace
{
const bool kOffscreen = []
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return true;
}();
} // namespace
