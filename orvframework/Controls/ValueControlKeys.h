// The arrow keys that step a value control (the slider, the knob) by one unit of its range: a
// press of Right or Up steps up, of Left or Down steps down; the release of any of them ends the
// series of steps.
#pragma once

#include "notification/KeyCode.h"
#include "platform/User32.h"

namespace Orv
{
// An arrow key pressed without modifiers: +1 (Right, Up), -1 (Left, Down), 0 for other keys.
inline int ArrowPressDirection(const KeyCode& key)
{
    const LONG code = key.code;
    if (code == KeyCode::FromVirtualKey(VK_RIGHT, true, 0).code ||
        code == KeyCode::FromVirtualKey(VK_UP, true, 0).code)
    {
        return 1;
    }
    if (code == KeyCode::FromVirtualKey(VK_LEFT, true, 0).code ||
        code == KeyCode::FromVirtualKey(VK_DOWN, true, 0).code)
    {
        return -1;
    }
    return 0;
}

// An arrow key released: its virtual key, without the pressed bit and the no-key bit.
inline bool IsArrowRelease(const KeyCode& key)
{
    const int virtualKey = key.GetVirtualKey();
    return key.code >= 0 && (key.code & KeyCode::kNamedKey) == 0 && virtualKey >= VK_LEFT &&
           virtualKey <= VK_DOWN;
}
} // namespace Orv
