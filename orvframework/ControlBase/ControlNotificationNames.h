// The names of the notifications a control sends about its conditions and its mouse input,
// interned once.
#pragma once

namespace Orv
{
struct ControlNotificationNames
{
    const wchar_t* conditionChange;
    const wchar_t* hasFocusChange;
    const wchar_t* containsFocusChange;
    const wchar_t* hoverChange;
    const wchar_t* captureChange;
    const wchar_t* leftDragChange;
    const wchar_t* middleDragChange;
    const wchar_t* rightDragChange;
    const wchar_t* enabledChange;
    const wchar_t* visibilityChange;
    const wchar_t* mouseDown;
    const wchar_t* mouseUp;
    const wchar_t* mouseMove;
    const wchar_t* leftClick;
    const wchar_t* middleClick;
    const wchar_t* rightClick;
    const wchar_t* valueChange;

    static const ControlNotificationNames& Get();
};
} // namespace Orv
