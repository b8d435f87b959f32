// The one road by which framework code reaches the operating-system window of a root window.
// The operating-system window (OSWindow) implements it; a root window without one has none.
//
// Results: S_OK, or E_FAIL when the window has no handle. Coordinates are client coordinates of
// the window unless the operation says screen.
#pragma once

#include "ObjectBase/Exception.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"

#include "platform/User32.h"

namespace Orv
{
class LControl;

class IWindowOSServices
{
public:
    virtual ~IWindowOSServices() = default;

    // The window title.
    virtual ORVRESULT SetWindowText(const WString& text) = 0;
    // The whole client area is to be repainted.
    virtual ORVRESULT InvalidateAll() = 0;
    // The rectangle (x, y, width, height) is to be repainted, without erasing.
    virtual ORVRESULT InvalidateRect(const RectT<LONG>& rect) = 0;
    // The client rectangle as 0, 0, width, height; rect is left untouched on failure.
    virtual ORVRESULT GetClientRect(RectT<LONG>& rect) = 0;
    virtual PointT<LONG> ScreenToClient(const PointT<LONG>& point) = 0;
    virtual PointT<LONG> ClientToScreen(const PointT<LONG>& point) = 0;
    // Moves and sizes the window so that its client area gets the rectangle (screen
    // coordinates); the stacking order stays.
    virtual ORVRESULT SetWindowRect(const RectT<LONG>& rect) = 0;
    // ShowWindow's command (SW_SHOW ...); whether the window was visible before.
    virtual bool ShowWindow(int command) = 0;
    // Invalidates everything and paints at once.
    virtual ORVRESULT Redraw() = 0;
    virtual ORVRESULT BringToTop() = 0;
    virtual ORVRESULT SetTopMost(bool topMost) = 0;
    // A modal window ends its modal loop with result; any other window is destroyed.
    virtual ORVRESULT EndDialog(int result) = 0;
    // Runs the window's modal loop; its result.
    virtual int DoModal() = 0;
    virtual bool IsModal() = 0;
    // The window is the active one (the main window also when its owner is).
    virtual bool IsActive() = 0;
    // The window has the keyboard focus.
    virtual bool HasFocus() = 0;
    virtual ORVRESULT SetFocus() = 0;
    // Shows the cursor over the window; the cursor shown before.
    virtual HCURSOR SetCursor(HCURSOR cursor) = 0;
    // The pointer's position as the window last saw it.
    virtual PointT<LONG> GetCursorPos() = 0;
    // The mouse buttons held in the window: 1 left, 2 middle, 4 right.
    virtual DWORD GetMouseButtons() = 0;
    virtual HWND GetWindowHandle() = 0;
    // The text cursor of a control; nothing on this platform.
    virtual void UpdateTextCursor(bool show, LControl* control, double value) = 0;
};
} // namespace Orv
