// What the controls of a tree ask of the root window that hosts it. The root window lives in the
// window layer, above the control model; it implements this interface, and a control reaches it
// only through it: the top-level control holds it, every other control asks its top-level
// ancestor (LControl::GetTreeRootWindow).
//
// Coordinates are the window's client coordinates unless a comment says otherwise. UI thread
// only.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"
#include "notification/NotificationReceiver.h"

namespace Orv
{
class LControl;
class LKeyParam;
class LNotificationDistributor;

class IRootWindow : public virtual LRefCountedObject
{
public:
    ~IRootWindow() override = default;

    // Adds a rectangle (x, y, width, height) to the window's invalid region and asks for a
    // repaint.
    virtual void InvalidateControl(const RectT<LONG>& rect) = 0;

    // The control under a point, or null; local receives the point in the found control's
    // coordinates. With updateHover the result becomes the hover control (the old one gets
    // OnMouseLeave, the new one OnMouseEnter).
    virtual RCPtr<LControl> GetControlAt(const PointT<LONG>& point, PointT<LONG>& local,
                                         bool updateHover) = 0;
    // The pointer's position.
    virtual PointT<LONG> GetCursorPos() = 0;
    // The mouse buttons held: 1 left, 2 middle, 4 right.
    virtual DWORD GetMouseButtons() = 0;

    // Makes control the capture control; the control that held the capture before (also when it
    // is control itself) first gets OnCaptureLost. E_INVALIDARG for null, else S_OK.
    virtual ORVRESULT SetCaptureControl(const RCPtr<LControl>& control) = 0;
    // Ends the capture. S_OK.
    virtual ORVRESULT ReleaseCaptureControl() = 0;

    // Shows a cursor (0: the application's arrow); returns the cursor shown before.
    virtual int SetCursor(int cursor) = 0;

    // The control with the keyboard focus, or null.
    virtual RCPtr<LControl> GetFocusControl() = 0;
    virtual void SetFocusControl(const RCPtr<LControl>& control) = 0;
    // The focus control becomes the previous focus control, and no control has the focus.
    virtual void ClearFocusControl() = 0;

    // The application's millisecond clock (32 bits, wrapping).
    virtual DWORD GetTimeMs() = 0;
    // The application's clock in seconds.
    virtual double GetElapsedSeconds() = 0;
    // Where the controls of the tree subscribe to "NID_IDLE", which the window sends once per
    // idle period; null when the window has none.
    virtual RCPtr<LNotificationDistributor> GetIdleDistributor() = 0;
    // A Tab that left the top-level control: the focus moves on to the next root window, or
    // round the tree again.
    virtual void CycleFocus(const RCPtr<LKeyParam>& key) = 0;
    // A key that no control of the tree took: the window's hot keys (bound from its top-level
    // control's string table), then the application's global hot keys. S_OK when one of them
    // made the key's notification, S_FALSE when the key is no hot key.
    virtual ORVRESULT ProcessHotKey(const RCPtr<LKeyParam>& key) = 0;
    // Menu items that share their notification with a hot key fire it as the key would. Whether
    // the window's hot keys or the application's global hot keys bind the notification nid; a
    // window without hot keys binds nothing.
    virtual bool IsHotKeyNotification(const WString& /*nid*/) { return false; }
    // The receiver the window's own hot keys deliver to (the window's queue) when they bind nid;
    // null when they do not.
    virtual RCPtr<LNotificationReceiver> GetHotKeyReceiver(const WString& /*nid*/)
    {
        return nullptr;
    }

    // What the layout of the top-level control is computed against: the desktop's work area
    // (screen coordinates), the screen position of the window's client origin, and the size of
    // the client area.
    virtual RectT<LONG> GetWorkArea() = 0;
    virtual PointT<LONG> GetClientOrigin() = 0;
    virtual SizeT<LONG> GetClientSize() = 0;
    // Moves and sizes the window to the top-level control's rectangle (x and y relative to the
    // current client origin), when it differs from the client rectangle.
    virtual ORVRESULT SetWindowRect(const RectT<LONG>& rect) = 0;
    // The top-level control's text became text: the window's title follows it. E_FAIL when the
    // window has no title to set.
    virtual ORVRESULT SetWindowText(const WString& /*text*/) { return E_FAIL; }
};
} // namespace Orv
