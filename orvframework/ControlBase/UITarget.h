// The input interface through which a root window calls a control: pointer and buttons, the
// capture, keys, the wheel, the size of the window and the focus.
//
// Results of the input operations: S_OK when the control handled the event, S_FALSE when it did
// not (the caller may offer it elsewhere), E_INVALIDARG for a bad parameter.
#pragma once

#include "notification/KeyParam.h"
#include "notification/MouseButtonParam.h"
#include "notification/MouseWheelParam.h"
#include "notification/PointWithModifiersParam.h"

namespace Orv
{
class UITarget : public virtual LRefCountedObject
{
public:
    ~UITarget() override = default;

    virtual ORVRESULT OnMouseEnter() = 0;
    // The point in the control's coordinates.
    virtual ORVRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual ORVRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual ORVRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual ORVRESULT OnMouseLeave() = 0;
    // A press of button (1 left, 2 middle, 4 right) at x, y in the control's coordinates.
    virtual ORVRESULT OnMouseButtonDown(DWORD button, LONG x, LONG y) = 0;
    virtual ORVRESULT OnCaptureLost() = 0;
    virtual ORVRESULT OnKey(const RCPtr<LKeyParam>& param) = 0;
    // Vertical (directions 0 and 1) and horizontal (2 and 3) wheel steps; the point is in the
    // root window's client coordinates.
    virtual ORVRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual ORVRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    // The window's client area has this size now.
    virtual ORVRESULT OnResize(const SizeT<LONG>& size) = 0;
    // Whether the focus may move elsewhere.
    virtual bool CanReleaseFocus() = 0;
    // Takes the focus away from the control or the child chain that holds it.
    virtual bool OnKillFocus() = 0;
};
} // namespace Orv
