// The operating-system window that hosts one root window. It turns the window's messages into
// root-window calls, owns the window's renderer and render context and paints, tracks the mouse
// with the capture, keeps the window inside its size limits and the work area, runs a modal loop
// for dialogs, saves the main window's placement, and gives the root window its
// IWindowOSServices.
//
// The application makes it (with new), creates its window (CreateEx) and calls CreateRenderer,
// which makes the root window and puts it in the application's list. The object lives as long as
// its window: closing or destroying a window that runs no modal loop deletes the object once the
// window is gone (PostNcDestroy). A modal window's object outlives its window: DoModal destroys
// the window and returns, and its caller deletes the object.
//
// UI thread only.
#pragma once

#include "Renderer/RenderContextInfo.h"
#include "Renderer/Renderer.h"
#include "System/WindowOSServices.h"

#include "platform/Afx.h"

namespace Orv
{
class LRootWindow;

class OSWindow : public CWnd, public IWindowOSServices
{
public:
    // The timer that wakes the message loop for the idle pass, and its period.
    static constexpr UINT_PTR kIdleTimer = 1;
    static constexpr UINT kIdleTimerPeriod = 33;
    // The copy-data tag of a command line handed over by another instance, and the most
    // characters such a command line may hold.
    static constexpr ULONG_PTR kCommandLineTag = 1125;
    static constexpr DWORD kMaxCommandLineLength = 32767;
    // The window class style of the application's window class.
    static constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;

    OSWindow();
    // Removes the root window from the application's list and releases the render context, the
    // renderer and the root window.
    ~OSWindow() override;

    // The application's window class name: the class PreCreateWindow registers for the main
    // window, and the profile section of the main window's placement ("WP").
    static const WString& GetWindowClassName();
    static void SetWindowClassName(const WString& name);

    // --- CWnd ---

    // Adds WS_CLIPSIBLINGS and WS_CLIPCHILDREN; registers the application's window class when
    // it is named and missing, and gives any other class name a registered class of the same
    // style. FALSE when the registration fails.
    BOOL PreCreateWindow(CREATESTRUCTW& create) override;
    // Saves the main window's placement, then destroys the window.
    BOOL DestroyWindow() override;
    // Gives the main window the placement saved when it last closed, kept inside the work area:
    // a size of 0 or less keeps the window's size, a larger one than the work area is cut to
    // it, the window is moved fully into the work area, and it shows normally or maximized
    // (never minimized or hidden). A placement that cannot be read is ignored and logged.
    // Whether a placement was applied.
    bool RestorePlacement();
    // The window is gone: a window that runs no modal loop deletes this object.
    void PostNcDestroy() override;
    void BeginModalState() override { ::EnableWindow(m_hWnd, FALSE); }
    void EndModalState() override { ::EnableWindow(m_hWnd, TRUE); }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();

    // --- Its own operations ---

    // Shows (SW_SHOW) or hides the window.
    virtual void Show(bool show);
    // Stores the renderer, makes the render context for the client area, makes the root window
    // and adds it to the application's list. S_OK.
    virtual ORVRESULT SetRenderer(const ConstRCPtr<LRenderer>& renderer);
    // Makes a renderer of type for the window, starts the idle timer and calls SetRenderer.
    virtual ORVRESULT CreateRenderer(int type);

    const RCPtr<LRootWindow>& GetRootWindow() const { return mRootWindow; }
    const ConstRCPtr<LRenderContextInfo>& GetRenderContext() const { return mRenderContext; }

    // --- IWindowOSServices ---

    ORVRESULT SetWindowText(const WString& text) override;
    ORVRESULT InvalidateAll() override;
    ORVRESULT InvalidateRect(const RectT<LONG>& rect) override;
    ORVRESULT GetClientRect(RectT<LONG>& rect) override;
    PointT<LONG> ScreenToClient(const PointT<LONG>& point) override;
    PointT<LONG> ClientToScreen(const PointT<LONG>& point) override;
    ORVRESULT SetWindowRect(const RectT<LONG>& rect) override;
    bool ShowWindow(int command) override;
    ORVRESULT Redraw() override;
    ORVRESULT BringToTop() override;
    ORVRESULT SetTopMost(bool topMost) override;
    ORVRESULT EndDialog(int result) override;
    // Runs the modal loop: the owner is disabled meanwhile, the idle pass runs through
    // WM_KICKIDLE, and the window is destroyed when the loop ends. The loop's result, -1 when
    // the loop ended for WM_QUIT. The object stays; the caller deletes it.
    int DoModal() override;
    bool IsModal() override { return mModal; }
    bool IsActive() override;
    bool HasFocus() override;
    ORVRESULT SetFocus() override;
    HCURSOR SetCursor(HCURSOR cursor) override;
    PointT<LONG> GetCursorPos() override;
    DWORD GetMouseButtons() override;
    HWND GetWindowHandle() override { return m_hWnd; }
    void UpdateTextCursor(bool show, LControl* control, double value) override;

    // --- Message handlers ---

    void OnPaint();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSysKeyUp(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT character, UINT repeat, UINT flags);
    void OnLButtonDown(UINT keys, CPoint point);
    void OnLButtonUp(UINT keys, CPoint point);
    void OnLButtonDblClk(UINT keys, CPoint point);
    void OnMButtonDown(UINT keys, CPoint point);
    void OnMButtonUp(UINT keys, CPoint point);
    void OnMButtonDblClk(UINT keys, CPoint point);
    void OnRButtonDown(UINT keys, CPoint point);
    void OnRButtonUp(UINT keys, CPoint point);
    void OnRButtonDblClk(UINT keys, CPoint point);
    void OnNcLButtonDown(UINT hitTest, CPoint point);
    void OnNcMButtonDown(UINT hitTest, CPoint point);
    void OnNcRButtonDown(UINT hitTest, CPoint point);
    void OnSizing(UINT edge, LPRECT rect);
    void OnSize(UINT kind, int width, int height);
    void OnMove(int x, int y);
    void OnClose();
    void OnMouseMove(UINT keys, CPoint point);
    BOOL OnMouseWheel(UINT keys, short delta, CPoint point);
    void OnMouseHWheel(UINT keys, short delta, CPoint point);
    void OnCaptureChanged(CWnd* newCapture);
    LRESULT OnKickIdle(WPARAM wParam, LPARAM count);
    void OnSetFocus(CWnd* oldWindow);
    void OnKillFocus(CWnd* newWindow);
    void OnSysCommand(UINT command, LPARAM lParam);
    BOOL OnCopyData(CWnd* sender, COPYDATASTRUCT* data);
    void OnDestroyClipboard();
    void OnRenderFormat(UINT format);
    void OnRenderAllFormats();
    LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);

private:
    // Modifier flags of a mouse message's key flags, with Alt from the key state.
    static DWORD MouseModifiers(UINT keys);
    void ButtonDown(int action, DWORD button, UINT keys, CPoint point);
    void ButtonUp(DWORD button, UINT keys, CPoint point);
    void Wheel(bool horizontal, UINT keys, short delta, CPoint screenPoint);
    void Key(bool down, UINT key, UINT repeat, UINT flags);
    // Brings a proposed window rectangle to the size the root control allows.
    void ConstrainWindowRect(RECT& rect);
    // Whether this window hosts the application's main root window.
    bool IsMainWindow() const;
    // The window rectangle (screen) holds the point but the client area does not.
    bool IsOverNonClientArea(const POINT& screenPoint) const;

    RCPtr<LRootWindow> mRootWindow;
    ConstRCPtr<LRenderer> mRenderer;
    ConstRCPtr<LRenderContextInfo> mRenderContext;
    PointT<LONG> mMousePoint;
    DWORD mMouseButtons = 0;
    int mPressCount = 0;
    int mWheelRemainder[2] = {0, 0};
    bool mCaptured = false;
    bool mModal = false;
    bool mOutsideWorkArea = false;
    // Set by the destructor: the window's end must not delete this object again.
    bool mDestroying = false;
};
} // namespace Orv
