// The virtual keys of the window system's keys.
#pragma once

#include <SDL.h>

namespace OrvPlatform::Window::Detail
{
struct VirtualKey
{
    // The key of the key messages (VK_SHIFT for either Shift key); 0 for a key without one.
    int key = 0;
    // The left or right variant (VK_LSHIFT ...), 0 when the key has none.
    int specific = 0;
    // The extended-key flag of the key data (bit 24): the right-hand Control and Alt, the
    // navigation keys outside the number pad, the number pad's Enter and divide key.
    bool extended = false;
};

VirtualKey MapKey(const SDL_Keysym& key);
} // namespace OrvPlatform::Window::Detail
