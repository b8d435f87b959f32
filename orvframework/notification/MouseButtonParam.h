// A mouse button event. Taken from its class's pool (UI thread only).
#pragma once

#include "notification/PointWithModifiersParam.h"

namespace Orv
{
class LMouseButtonParam : public LPointWithModifiersParam
{
public:
    static RCPtr<LMouseButtonParam> Create(DWORD button, const PointT<LONG>& point, DWORD modifiers,
                                           bool pressed, DWORD clickData, DWORD extra);

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The button's bit: 1 left, 2 middle, 4 right.
    DWORD button;
    // Whether that button is down in the window layer's button state.
    bool pressed;
    // A word from the window layer.
    DWORD clickData;

private:
    LMouseButtonParam(DWORD button, const PointT<LONG>& point, DWORD modifiers, bool pressed,
                      DWORD clickData, DWORD extra);
};
} // namespace Orv
