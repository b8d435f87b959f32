// The framework side of one operating-system window: it owns the window's root control and its
// tree, decides which control receives each mouse and key event (capture, hover, focus), keeps
// the region that needs repainting and paints it, carries the window's own notification queue,
// and carries out a close request in idle time.
//
// It never talks to the operating system itself: every platform action goes through the
// IWindowOSServices its operating-system window gives it; without one (null) those actions do
// nothing, and the operations that need one fail.
//
// The window's queue delivers into the window itself as distributor. The root control holds the
// window while it is installed; that reference, the queue's and the operating-system window's
// are internal references of the window, so the window is torn down (its tree released, its
// queue detached) when the application's list lets go of it.
//
// UI thread only, except the invalid region and the key queue, which other threads may add to.
#pragma once

#include "ControlBase/RootWindowInterface.h"
#include "Renderer/Region.h"
#include "Renderer/Renderer.h"
#include "System/GlobalHotKeyManager.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Storage/RCPtrQueue.h"
#include "Utilities/Threading/Mutex.h"
#include "notification/KeyParam.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationQueue.h"

#include "platform/User32.h"

namespace Orv
{
class LControl;
class IWindowOSServices;

class LRootWindow : public LNotificationDistributor, public LNotificationQueue, public IRootWindow
{
public:
    // Mouse actions of HandleMouseButton.
    static constexpr int kPress = 0;
    static constexpr int kRelease = 1;
    static constexpr int kDoubleClick = 2;
    // Modifier flags of mouse and key events.
    static constexpr DWORD kControl = 1;
    static constexpr DWORD kShift = 8;
    static constexpr DWORD kAlt = 64;
    // Mouse buttons.
    static constexpr DWORD kLeftButton = 1;
    static constexpr DWORD kMiddleButton = 2;
    static constexpr DWORD kRightButton = 4;
    // Wheel directions.
    static constexpr int kWheelDown = 0;
    static constexpr int kWheelUp = 1;
    static constexpr int kWheelLeft = 2;
    static constexpr int kWheelRight = 3;
    // Pointers with a button mask of their own.
    static constexpr unsigned int kPointerCount = 10;

    LRootWindow(const ConstRCPtr<LRenderer>& renderer, IWindowOSServices* services);
    ~LRootWindow() override;
    LRootWindow(const LRootWindow&) = delete;
    LRootWindow& operator=(const LRootWindow&) = delete;

    // Teardown, when only internal references remain: every client of the distributor
    // unregisters, the services are dropped, the root control is released, the queue is
    // detached, and the operating-system window's reference stops being internal. S_OK when one
    // plain reference then remains.
    ORVRESULT ReleaseInternalReferences() override;

    // The operating-system window's reference is internal while it holds the window.
    void TakeWindowReference();
    // The operating-system window goes: its services are dropped, and its reference stops being
    // internal (unless the teardown has done so already).
    void DetachWindow();
    IWindowOSServices* GetServices() const { return mServices; }
    const ConstRCPtr<LRenderer>& GetRenderer() const { return mRenderer; }

    // --- The root control ---

    // Makes the named top-level control of the current skin for this window (an empty name
    // makes none) and installs it.
    ORVRESULT CreateRootControl(const WString& className);
    // Installs control (null: none): focus, hover and capture are cleared, the old control
    // leaves the window, the new one fills it and takes the focus, and the whole window is to
    // be repainted. S_OK.
    ORVRESULT SetRootControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetRootControl() const { return mRootControl; }

    // --- Input, from the operating-system window (client coordinates) ---

    // action kPress, kRelease or kDoubleClick; button 1, 2 or 4. Ignored while the window is
    // not active.
    void HandleMouseButton(int action, DWORD button, DWORD modifiers, const PointT<LONG>& point,
                           unsigned int pointerIndex);
    void HandleMouseMove(const PointT<LONG>& point, DWORD modifiers, unsigned int pointerIndex);
    // One wheel step in a direction kWheelDown ... kWheelRight.
    void HandleMouseWheel(const PointT<LONG>& point, DWORD modifiers, int direction);
    // Gives the key to the focus control at once.
    void DeliverKey(const RCPtr<LKeyParam>& key);
    // Queues a key for the focus control; the idle pass delivers it.
    void QueueKey(const RCPtr<LKeyParam>& key);
    void HandleFocusLost();
    void RestoreFocus();
    void NotifyCaptureLost();
    void HandleResize(const SizeT<LONG>& size);
    void CloseWindow();
    // Tab navigation between root windows.
    void CycleFocus(const RCPtr<LKeyParam>& key) override;
    // A key no control took: this window's hot keys, whose notifications are posted into the
    // window's own queue, then the application's global hot keys.
    ORVRESULT ProcessHotKey(const RCPtr<LKeyParam>& key) override;
    // The window's hot keys: those of the root control's string table ("GHK" entries), bound
    // again whenever the root control is replaced.
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const { return mHotKeys; }
    // Whether this window's hot keys, or else the application's, bind nid.
    bool IsHotKeyNotification(const WString& nid) override;
    // This window's hot keys' receiver (its own queue) when they bind nid; else null.
    RCPtr<LNotificationReceiver> GetHotKeyReceiver(const WString& nid) override;

    // --- Queries and services for controls ---

    // The control under point (client coordinates), with the point in its coordinates in
    // local; null when there is none. updateHover makes it the hover control.
    RCPtr<LControl> GetControlAt(const PointT<LONG>& point, PointT<LONG>& local,
                                 bool updateHover) override;
    // kControl, kShift and kAlt from the application's key state.
    DWORD GetKeyboardModifiers() const;
    // The buttons held: from the window while it is active, else from the application; 0
    // without a window.
    DWORD GetMouseButtons() override;
    // The control whose tool tip shows for the hovered control (null: none).
    const RCPtr<LControl>& GetToolTipControl() const { return mToolTipControl; }
    // The pointer in client coordinates: from the window while it is active, else the
    // application's pointer; (0, 0) without a window.
    PointT<LONG> GetCursorPos() override;
    RCPtr<LControl> GetFocusControl() override;
    void SetFocusControl(const RCPtr<LControl>& control) override;
    // The focus control becomes the previous focus control; no control has the focus.
    void ClearFocusControl() override;
    // E_INVALIDARG for null. The capture control, also when it asks again, first loses it.
    ORVRESULT SetCaptureControl(const RCPtr<LControl>& control) override;
    ORVRESULT ReleaseCaptureControl() override;
    // While a control holds the capture only that control can be the hover control. The old
    // hover control gets OnMouseLeave (unless it has left its tree), the new one OnMouseEnter.
    ORVRESULT SetHoverControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetPreviousFocusControl() const { return mPreviousFocus; }
    const RCPtr<LControl>& GetHoverControl() const { return mHover; }
    const RCPtr<LControl>& GetCaptureControl() const { return mCapture; }
    // Shows cursor over the window (null: the application's arrow); the cursor shown before,
    // null without a window.
    HCURSOR SetCursor(HCURSOR cursor);
    // The same for a cursor by its id (0: the arrow); the id of the cursor shown before.
    int SetCursor(int cursor) override;
    // The id by which controls name a cursor (0 for null): the same id for the same cursor for
    // the life of the process.
    static int GetCursorId(HCURSOR cursor);
    static HCURSOR GetCursorFromId(int id);
    // The application's millisecond clock; 0 without an application.
    DWORD GetTimeMs() override;
    // The application's clock in seconds; 0 without an application.
    double GetElapsedSeconds() override;
    // The window itself: its queue sends "NID_IDLE" in the first pass of an idle period.
    RCPtr<LNotificationDistributor> GetIdleDistributor() override;
    // The number of controls subscribed to "NID_IDLE" here.
    LONG GetIdleSubscriberCount();
    // The desktop's work area in screen coordinates.
    RectT<LONG> GetWorkArea() override;
    // The screen position of the client area's origin; (0, 0) without a window.
    PointT<LONG> GetClientOrigin() override;
    SizeT<LONG> GetClientSize() override;
    // Adds the rectangle (x, y, width, height), cut to the client rectangle, to the invalid
    // region and asks the window to repaint it.
    void InvalidateControl(const RectT<LONG>& rect) override;
    // Invalidates the whole client rectangle and has the window paint at once.
    void RedrawNow();
    // A new client rectangle (x and y relative to the client origin): the window is moved and
    // sized and the root control laid out. S_FALSE when it is the client rectangle already.
    ORVRESULT SetWindowRect(const RectT<LONG>& rect) override;
    // The operating-system window's title; E_FAIL without a window.
    ORVRESULT SetWindowText(const WString& text) override;
    void UpdateTextCursor(bool show, const RCPtr<LControl>& control, double value);
    // Ends the window in the next idle pass with result (a later request before that pass
    // replaces the result); E_FAIL without a window.
    ORVRESULT RequestClose(int result);
    bool IsCloseRequested() const { return mCloseRequested; }
    // The client rectangle, read from the window when there is one.
    RectT<LONG> GetClientRect() const;
    // The size the window may take for a proposed client size: the root control's layout
    // resolved for it against the work area (relative to the client origin) and the pointer,
    // each dimension at least 1.
    SizeT<LONG> ConstrainSize(const SizeT<LONG>& proposed, const RectT<LONG>& workArea,
                              const PointT<LONG>& cursor);

    // --- Idle ---

    // Delivers the queued keys, the window's own queued notifications ("NID_IDLE" too when
    // sendIdle), then a pending close. Whether notifications are still queued.
    bool ProcessQueues(bool sendIdle);

    // --- Painting, from the operating-system window's paint handler ---

    // After a resize or a move back into the work area the next paint repaints everything.
    void SetRepaintAll() { mRepaintAll = true; }
    // Moves the invalid region into region (emptied first).
    void TakeInvalidRegion(LRegion& region);
    // Draws the root control's tree where region says, then the controls that do not clip to
    // their parent on top, ordered by their z order.
    void PaintRegion(const LRegion& region);
    // Draws control and then, on top of it, the descendants it hands over for the unclipped
    // pass. Each call keeps its own list of those, so nested calls never share one.
    void PaintControl(const RCPtr<LControl>& control, const LRegion& region, bool deferredPass);

private:
    // The client rectangle, refreshed from the window.
    RectT<LONG>& RefreshClientRect() const;
    // The capture control's point for a client point.
    PointT<LONG> PointInCapture(const PointT<LONG>& point) const;
    // The control that gives control its tool tip (itself, or the ancestor whose tip a part
    // shows); null for none, the capture control, or one without a tool-tip text.
    RCPtr<LControl> ToolTipSource(const RCPtr<LControl>& control) const;
    // Hides the tool tip of the tool-tip control (a press, a wheel step, a key).
    void HideToolTip();

    ConstRCPtr<LRenderer> mRenderer;
    IWindowOSServices* mServices;
    mutable RectT<LONG> mClientRect{0, 0, 1024, 768};
    // Whether the operating-system window's reference is counted as internal.
    bool mWindowReferenceInternal = false;
    // Whether the root control's reference is counted as internal.
    bool mRootControlReferenceInternal = false;
    RCPtr<LControl> mRootControl;
    RCPtr<LGlobalHotKeyManager> mHotKeys;
    LRegion mInvalidRegion;
    Mutex mRegionLock;
    bool mRepaintAll = false;
    DWORD mDoubleClickBits = 0;
    RCPtr<LControl> mFocus;
    RCPtr<LControl> mPreviousFocus;
    RCPtr<LControl> mHover;
    RCPtr<LControl> mToolTipControl;
    RCPtr<LControl> mCapture;
    bool mCloseRequested = false;
    int mCloseResult = 0;
    Mutex mKeyLock;
    RCPtrQueue<LKeyParam, 256, Mutex> mKeys{&mKeyLock};
    DWORD mButtons[kPointerCount] = {};
};
} // namespace Orv
