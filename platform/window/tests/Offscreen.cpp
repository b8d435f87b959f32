// The tests of this program draw with SDL's offscreen video driver: no display is needed.
#include <cstdlib>

namespace
{
const bool kOffscreen = []
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return true;
}();
} // namespace
