// The framework's application object: one per process, reached through GetFrameworkApp() by
// every control, window and service. It owns the list of root windows (index 0 is the main
// window), the control factory and the framework's and the application's string tables, runs the
// framework's start-up (the control types, the skin), the idle pass and the run step, selects
// skins, and answers what controls need of the platform: clocks, key and mouse state, cursors,
// fonts, the work area, message boxes.
//
// The operations marked "platform" are what the framework asks of the platform. Those that need
// the application's own knowledge (its version block, folders, main control) are left to the
// application class; the others are answered here over the platform layer, and an application
// may answer them otherwise.
//
// UI thread only.
#pragma once

#include "Application/ControlTypeRegistration.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/StringTable.h"
#include "Renderer/Font.h"
#include "Renderer/Renderer.h"
#include "System/ClipBoard.h"
#include "System/GlobalHotKeyManager.h"
#include "System/IniFileManager.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Threading/Clock.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationClient.h"

#include "platform/User32.h"

namespace Orv
{
class LRootWindow;
class LControl;

class LFrameworkApp : public LNotificationClient
{
public:
    // Sets the global application pointer, fetches the notification center manager and its
    // "application" center, and takes the application's string table from the factory. The
    // application's clocks read clock (the system clock when null).
    LFrameworkApp(const RCPtr<LControlFactory>& factory,
                  const RCPtr<LStringTable>& frameworkStringTable, const WString& commandLine,
                  const RCPtr<LClock>& clock = nullptr);
    // Unregisters the application's notifications, releases the notification center manager,
    // switches notification recycling off and clears the global application pointer.
    ~LFrameworkApp() override;
    LFrameworkApp(const LFrameworkApp&) = delete;
    LFrameworkApp& operator=(const LFrameworkApp&) = delete;

    // "NID_APP_EXIT_REQ" sets the exit flag and asks every root window but the main one to close
    // with result 0, the last first. Every other notification is ignored.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    // A second instance's command line, handed over by the main window; 0.
    virtual ORVRESULT ReceiveCommandLine(const WString& text);
    // Repaints the main window at once, runs OnBeforeRun, one idle pass, the message loop (an
    // exception out of it shows the localized error box and posts "NID_APP_EXIT_REQ"), and one
    // more idle pass.
    virtual void Run();
    virtual bool IsExiting() const { return mExiting; }

    // Platform: texts of the version block and of the settings folders.
    virtual ORVRESULT GetCompanyName(WString& out) = 0;
    virtual ORVRESULT GetProductName(WString& out) = 0;
    virtual ORVRESULT GetProductVersion(WString& out) = 0;
    virtual ORVRESULT GetVersionFolderName(WString& out) = 0;
    virtual ORVRESULT GetProductFolderName(WString& out) = 0;
    // Platform: the descriptor name of the main window's control.
    virtual ORVRESULT GetMainControlName(WString& out) = 0;
    // Platform: the cursor for a framework cursor name ("UI_CURSOR_ARROW"); null when unknown.
    virtual HCURSOR GetCursor(const WString& name);
    // The control classes start-up registers with the factory, in order. The stock controls
    // live in a library above this one, so the framework application alone has none; an
    // application linked with them answers their table (Controls/FrameworkControlTypes.h).
    virtual std::span<const ControlTypeRegistration> GetControlTypes() const { return {}; }
    // The status-bar control of the main window: the child "statusBar" of its root control,
    // when that is a status bar (IStatusBar). S_OK; E_FAIL (out emptied) without one.
    virtual ORVRESULT GetStatusBar(RCPtr<LControl>& out);
    // Shows text in the main window's status bar (immediate: the queued texts first, then text
    // at once with a repaint; else posted into the bar's queue for a later idle pass), and the
    // bar's own text again. E_FAIL without a main window or a status bar; else the bar's result.
    virtual ORVRESULT SetStatusText(const WString& text, bool immediate);
    virtual ORVRESULT RestoreStatusText(bool immediate);
    // Platform: the language id fixed at program start.
    virtual int GetLanguageId() = 0;
    // Platform: the desktop's interface font (its icon-title font): the face name, the size in
    // points (the height in pixels at 96 DPI times 72 / 96), the style bits LFont::kBold (weight
    // 700 or more), kItalic, kUnderline, kStrikeout. E_FAIL when the query fails.
    virtual ORVRESULT GetSystemFont(WString& name, float& size, int& style);
    // Platform: the desktop's work area as x, y, width, height.
    virtual ORVRESULT GetWorkArea(RectT<LONG>& out);
    // Platform: a known folder by path id.
    virtual ORVRESULT GetFolder(WString& out, int pathId) = 0;
    // The font of the main window's root control, else the skin font; out may stay null.
    virtual ORVRESULT GetDefaultFont(ConstRCPtr<LFont>& out);
    // The settings manager: the framework's own, made at first use; an application may hand out
    // another.
    virtual RCPtr<LIniFileManager> GetSettingsManager();
    // Which settings file: the user's or the application's.
    static constexpr int kApplicationSettings = 0;
    static constexpr int kUserSettings = 1;
    // Platform: the handle of an open settings file of the settings manager; 0 when there is
    // none (the framework opens none).
    virtual IniFileHandle GetSettingsFile(int which);
    // The skin index kept in the user settings; 0 while there is no settings file.
    virtual int GetStoredSkinIndex();
    // Selects skin index for every root window and fixes the skin font. S_OK; E_FAIL (nothing
    // changed) when no skin is loaded or index is outside them. Throws the "Failed Result"
    // exception when the system font cannot be read.
    virtual ORVRESULT SetSkin(int index);
    // Platform: seconds as a double, accumulated from the differences of the millisecond clock
    // (so the count goes on across its wrap).
    virtual double GetElapsedSeconds();
    // Platform: the millisecond clock (wraps at 32 bits).
    virtual DWORD GetTimeMs();
    // Platform: the local date and time: year, month (1 to 12), day of week (0 Sunday), day,
    // hour, minute, second, millisecond; S_OK.
    virtual ORVRESULT GetLocalTime(int& year, int& month, int& dayOfWeek, int& day, int& hour,
                                   int& minute, int& second, int& millisecond);
    // Platform: the key's state as two bytes, down and toggled; S_OK.
    virtual ORVRESULT GetKeyState(int key, BYTE& down, BYTE& toggled);
    // Platform: a message box owned by the main window; the button the user chose.
    virtual int ShowMessage(const WString& text, const WString& caption, UINT flags);
    // The window's index in the list: its present index, or the index it was appended at.
    virtual int AddRootWindow(const RCPtr<LRootWindow>& window);
    // The window's former index, or a negative value (nothing changed) when it is not listed.
    virtual int RemoveRootWindow(const LRootWindow* window);
    // Platform: a top-level control of the current skin made for a root window, through the
    // control factory.
    virtual ORVRESULT CreateTopLevelControl(RCPtr<LControl>& out, const WString& name,
                                            const RCPtr<LRootWindow>& rootWindow);
    // Platform: makes a root window for the named control descriptor and runs its window's
    // modal loop, the main window disabled meanwhile; the loop's result, or E_FAIL when the
    // window cannot be made.
    virtual int RunModalRootWindow(const WString& name, DWORD flags);
    // Platform: makes an operating-system window with its root window for the named control
    // descriptor, titled with the control's "LABEL" text, sized by the descriptor's absolute
    // sizes. A window for a modal loop is owned by the main window and stays hidden until its
    // loop shows it; any other is shown. The new window's index in the list, E_FAIL when the
    // window or its control cannot be made. Throws "Null Pointer : Invalid Control Name" for a
    // name the current skin does not hold.
    virtual int CreateRootWindow(const WString& name, bool modal);
    // The renderer type the application's windows are drawn by (LRenderer::Create): GDI+ (1)
    // unless the application asks for another, such as OpenGL (0), whose back-end a program
    // has when it links it.
    virtual int GetRendererType() { return LRenderer::kGdiplus; }
    // Platform: raises (true) or lowers the cursor's display count; the new count.
    virtual int ShowCursor(bool show);
    // Platform: moves the pointer; S_OK or E_FAIL.
    virtual ORVRESULT SetCursorPos(LONG x, LONG y);
    // The pointer in screen coordinates: from the active root window, else the system's.
    virtual PointT<LONG> GetCursorPos();
    // The mouse buttons held (1 left, 2 middle, 4 right): from the active root window, else
    // from the key state.
    virtual DWORD GetMouseButtons();
    // The idle pass: pumps every notification center, then every root window's queues, the
    // last window first. Whether notifications are still pending.
    virtual bool ProcessIdle(bool sendIdle);
    // The most passes an idle period runs (idle counts 0, 1 and 2).
    static constexpr LONG kIdlePassesPerPeriod = 3;
    // One pass of an idle period for the idle count of the period (0 on the first call after the
    // message queue ran empty): ProcessIdle(count == 0), so "NID_IDLE" goes out in the first pass
    // only. Whether the loop should call again: something is still pending and the period has
    // passes left. Modal loops call it through their window's WM_KICKIDLE.
    bool RunIdlePeriodPass(LONG count);
    // The same for the application's message loop: no pass, and no further call, when there is
    // no application object or it is exiting.
    static bool OnMessageLoopIdle(LONG count);
    // Platform: makes the main window.
    virtual ORVRESULT CreateMainWindow() = 0;
    // The framework's share of start-up: notification recycling, the control types, the global
    // hot keys of the application's string table ("GHK" entries), the clipboard, the skin.
    // S_OK; E_FAIL when a step threw (the steps after it are skipped).
    virtual ORVRESULT RunApplicationStartup();
    // Called by Run before its first idle pass; nothing in the framework.
    virtual void OnBeforeRun() {}
    // Platform: the message loop of the application's CWinApp; returns when it ends. -1 without
    // one.
    virtual int RunMessageLoop();
    // The main window's power notification: the result the window answers; 1.
    virtual LRESULT OnPowerBroadcast(WPARAM, LPARAM) { return 1; }
    // Releases the control factory, the hot-key manager and the clipboard. S_OK.
    virtual ORVRESULT ReleaseServices();

    // The last root window, searching from the end, whose window reports itself active; an
    // empty reference when none does.
    const RCPtr<LRootWindow>& GetActiveRootWindow() const;
    unsigned int GetRootWindowCount() const { return mRootWindows.GetCount(); }
    // An empty reference outside the list.
    const RCPtr<LRootWindow>& GetRootWindow(unsigned int index) const;
    const RCPtr<LControlFactory>& GetControlFactory() const { return mFactory; }
    const RCPtr<LStringTable>& GetFrameworkStringTable() const { return mFrameworkStringTable; }
    const RCPtr<LStringTable>& GetApplicationStringTable() const { return mApplicationStringTable; }
    // The UTF-8 copy of the command line.
    const NString& GetCommandLine() const { return mCommandLine; }
    const ConstRCPtr<LFont>& GetSkinFont() const { return mSkinFont; }
    // The global hot keys: matched keys are posted into the "application" center. Empty after
    // ReleaseServices.
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const { return mHotKeys; }
    // The application's clipboard; empty after ReleaseServices.
    const RCPtr<LClipboard>& GetClipboard() const { return mClipboard; }

    // The "application" center of the notification center manager.
    static RCPtr<LNotificationCenter> GetApplicationNotificationCenter();

private:
    RCPtr<LControlFactory> mFactory;
    NString mCommandLine;
    RCPtrArray<LRootWindow, 1, 0> mRootWindows;
    RCPtr<LStringTable> mFrameworkStringTable;
    RCPtr<LStringTable> mApplicationStringTable;
    bool mExiting = false;
    RCPtr<LNotificationCenter> mNotificationCenter;
    ConstRCPtr<LFont> mSkinFont;
    RCPtr<LClock> mClock;
    DWORD mLastClock;
    RCPtr<LIniFileManager> mSettingsManager;
    RCPtr<LGlobalHotKeyManager> mHotKeys;
    RCPtr<LClipboard> mClipboard;
    double mElapsedSeconds = 0;
};

// The application object; null before one is made and after it is gone.
LFrameworkApp* GetFrameworkApp();
// The empty root-window reference that lookups return when they find nothing.
const RCPtr<LRootWindow>& GetEmptyRootWindow();
} // namespace Orv
