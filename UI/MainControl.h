// The updater's main window controller ("FirmwareUpdater.MainControl", the skin's "mainControl"):
// the root control of the main window. It binds the skin's buttons, labels and progress bar by
// name, listens to the update engine's notifications, turns clicks and menu commands into calls
// of the engine and the update processor, and drives the update of one image from a present
// device through update mode to the download; after the download it waits for the device's
// reset and hands the outcome to the two-image sequencer, which may start the next image.
//
// The code is split by concern: MainControl.cpp (set-up, clicks, menu, start of an update),
// MainControlTexts.cpp (the texts and visibility of UpdateUI), MainControlCompletion.cpp (the
// end of a download and the waits for the device).
//
// The controller reaches the engine only through the application's update processor. Its waits
// (for update mode, for the reset) block the UI thread in steps of the application's clock,
// repainting the window between them.
//
// UI thread only.
#pragma once

#include "ControlBase/MenuDescriptor.h"
#include "Controls/Button.h"
#include "Controls/Label.h"
#include "Controls/ProgressBar.h"
#include "MainWindowLabels.h"
#include "System/FileDialog.h"
#include "UpdateProcessor.h"

#include <initializer_list>

namespace Orv
{
class LMainControl : public LControl, public IMainWindowLabels
{
public:
    static constexpr const wchar_t* kTypeName = L"FirmwareUpdater.MainControl";
    // The waits for update mode and for the reset: one step, and their whole length.
    static constexpr DWORD kWaitStep = 500;
    static constexpr DWORD kWaitLimit = 10000;
    // The idle animation of the transition's progress bar: its step, in percent.
    static constexpr double kTransitionStep = 2.0;

    LMainControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LMainControl() override;

    // The class's table first, then the control's.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // Subscribes to the engine's notifications, binds the children (throws for a missing
    // required one), sets the updater's version label, takes the update processor, shows the
    // engine's states, switches the engine's notifications on and makes the two-image
    // sequencer. Registers StartUpdate as the host's way to start an update.
    ORVRESULT Initialize() override;
    // The base's, then the menu's commands at the root window. Throws "No Root Window!" without
    // one.
    ORVRESULT ProcessRootWindowAquired() override;
    // Animates the transition's progress bar while the device enters update mode.
    void OnIdleTick() override;
    // Cuts the host's link to this control before the tree goes.
    ORVRESULT ReleaseInternalReferences() override;

    // A menu's question for its item: GetMenuItemState.
    ORVRESULT UpdateMenuItem(const RCPtr<LMenuDescriptor>& menu, int index, const WString& nid,
                             MenuItemInfo& info) override;
    // The check mark of "NID_MENU_OPTIONS_ALLOW_DOWNGRADE": the processor's always-update flag.
    // 0 in every case.
    ORVRESULT GetMenuItemState(const wchar_t* notificationName, MenuItemInfo& item) const;

    // Starts the update of the current image: into update mode when the device is in normal
    // mode, then the download when it is in update mode; then refreshes. Also called by the
    // two-image sequencer for the second image.
    void StartUpdate();
    // The refresh from the three engine values: label texts and visibility (MainControlTexts).
    void UpdateUI(const int& result, const int& deviceState, const int& fileState);
    // Reads the engine's file state, device state and update result, then UpdateUI.
    void Refresh();
    // The update result the window shows: a completed update after ABORT ended the sequence
    // is shown as aborted.
    int ShownResult(int result) const;

    // Waits in steps for the device to reach update mode: S_OK there, E_FAIL otherwise.
    ORVRESULT WaitForUpdateMode();
    // The engine's RefreshDeviceState under a busy cursor.
    ORVRESULT RunWithWaitCursor();
    // Runs the processor's command line again, then refreshes.
    void RefreshFromEngine();
    // The file dialog; the chosen path becomes the engine's firmware file.
    ORVRESULT SelectFirmwareFile(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    // Asks the application to end ("NID_APP_EXIT_REQ"); it decides.
    void RequestExit();
    // On device state 1 in a skin without a scan button: one rescan, from the next idle pass.
    void ScanForDeviceInBackground();

    // The texts of one label each (MainControlTexts.cpp).
    void GetDeviceStateLabel(int deviceState);
    void GetFileStateLabel(int fileState);
    void GetUpdateStateLabel(int result, int deviceState);
    void GetCannotUpdateLabel(int deviceState, bool updateWanted);
    void UpdateDeviceFirmwareVersionLabel();
    void UpdateFileFirmwareVersionLabel();
    // After the sequencer's texts: the selected unit's line of the device version label says
    // what that unit reports now, not what it reported before the update.
    void ShowReportedDeviceVersion(int deviceState);
    // The processor's always-update flag, or else whether the file is newer than the device.
    bool IsUpdateWanted() const;

    // Engine notifications and the end of a download; each returns 1.
    ORVRESULT OnDeviceStateChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification);
    ORVRESULT OnFirmwareFileStateChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                                    const RCPtr<LNotification>& notification);
    ORVRESULT OnFoundDeviceListChangeNotification(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification);
    ORVRESULT OnFirmwareUpdateProgressNotification(const RCPtr<LNotificationDistributor>& source,
                                                   const RCPtr<LNotification>& notification);
    ORVRESULT OnFirmwareUpdateCompletedNotification(const RCPtr<LNotificationDistributor>& source,
                                                    const RCPtr<LNotification>& notification);

    // Clicks and menu commands; each returns 1.
    ORVRESULT OnExitClicked(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    ORVRESULT OnUpdateFirmwareClicked(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);
    ORVRESULT OnReinitializeClicked(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    ORVRESULT OnScanForDeviceClicked(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    ORVRESULT OnManualDeviceReadyForUpdateClicked(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification);
    ORVRESULT
    OnManualDeviceHasUpdatedRescanClicked(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification);
    ORVRESULT OnAbortClicked(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    ORVRESULT OnAllowDowngradeMenu(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);

    // IMainWindowLabels, for the two-image sequencer.
    WString GetLabelString(const wchar_t* label, const wchar_t* id) const override;
    void SetLabelText(const wchar_t* label, const WString& text) override;
    void ShowManualRescanButton(bool show) override;

    // The engine, through the processor (null without one).
    RCPtr<LUpdateEngineInterface> GetEngine() const;
    const RCPtr<LUpdateProcessor>& GetUpdateProcessor() const { return mUpdateProcessor; }
    bool IsUpdateRunning() const { return mUpdateRunning; }
    bool IsDownloadPending() const { return mDownloadPending; }
    bool IsSequenceAborted() const { return mSequenceAborted; }
    // What the status bar was last told is happening.
    const WString& GetStepText() const { return mStepText; }
    // The status text of the waits (the string "WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_
    // TITLE" of the application's table).
    WString GetWaitingText() const;

    // The creator of the control type.
    static RCPtr<LControl>& Create(RCPtr<LControl>& result, const RCPtr<LControl>& parent,
                                   const RCPtr<LControlDescriptor>& descriptor);

private:
    // A child of the class, or null (absent or of another class); throws for a required one.
    template <class T>
    RCPtr<T> Bind(const wchar_t* name, bool required);
    // Subscribes the handler to the button's clicks, when there is a button.
    void SubscribeClick(const RCPtr<LButton>& button,
                        ORVRESULT (LMainControl::*handler)(const RCPtr<LNotificationDistributor>&,
                                                           const RCPtr<LNotification>&));
    // Sets the control's visibility when it is there.
    static void Show(const RCPtr<LControl>& control, bool visible);
    // The label of that name among the bound ones, or null.
    LLabel* FindLabel(const wchar_t* name) const;
    // Starts the download: update-running, the progress bar at 0 without estimation.
    void BeginDownload();
    // Holds one idle request while the transition animates or a background scan waits; gives it
    // back when neither does.
    void UpdateIdleRequest();
    // Repaints the whole window now.
    void RedrawWindow();
    // Lets ms of the application's clock pass, then handles the input that came meanwhile (so
    // that an ABORT clicked during a wait is seen before the next step).
    void Pause(DWORD ms);
    // Handles the window's pending input now. While it runs, only ABORT and EXIT act.
    void HandlePendingInput();
    // Shows the text in the status bar as what is happening now, and again after a busy cursor
    // gives the bar back; an empty text gives the bar its default text.
    void ShowStep(const WString& text);
    // The current image's unit, as the status texts name it: "controller", "wheel display", or
    // "device" when no image sequence runs.
    WString GetUnitName() const;
    // The step text of the application's table with its "%s" places filled in order.
    static WString StepText(const wchar_t* id, std::initializer_list<WString> values);
    // After a download that did not complete, or ended the sequence: the status text that says
    // why (the engine's failure text, or which unit an abort left in what state).
    void ShowOutcome(bool downloaded);
    // Writes the texts the window's labels show to the debug output when they have changed.
    void LogShownTexts();
    // The string of the application's table.
    static WString GetApplicationString(const wchar_t* id);

    RCPtr<LNotificationHandler<LMainControl>> mMainHandler;
    RCPtr<LButton> mButtonUpdateFirmware;
    RCPtr<LButton> mButtonScanForDevice;
    RCPtr<LButton> mButtonExit;
    RCPtr<LButton> mButtonReinitialize;
    RCPtr<LButton> mButtonManualDeviceReadyForUpdate;
    RCPtr<LButton> mButtonManualDeviceHasUpdatedRescan;
    RCPtr<LButton> mButtonSelectFirmwareFile;
    RCPtr<LButton> mButtonAbort;
    RCPtr<LLabel> mLabelDeviceInformation;
    RCPtr<LLabel> mLabelFirmwareFileInformation;
    RCPtr<LLabel> mLabelUpdateProcessInformation;
    RCPtr<LLabel> mLabelFileFirmwareVersion;
    RCPtr<LLabel> mLabelDeviceFirmwareVersion;
    RCPtr<LLabel> mLabelDeviceCannotUpdateError;
    RCPtr<LLabel> mLabelSimulatedDevices;
    RCPtr<LControl> mControlTransitioningToUpdateMode;
    RCPtr<LControl> mLabelDeviceNotFound;
    RCPtr<LProgressBar> mProgressBar;
    RCPtr<LUpdateProcessor> mUpdateProcessor;
    // The host through which the two-image sequencer starts the next image's update.
    RCPtr<UpdaterHost> mHost;
    RCPtr<LFileDialog> mFileDialog;
    int mLastDeviceState = 0;
    bool mNoScanButton = false;
    bool mUpdateRunning = false;
    bool mDownloadPending = false;
    // A background scan asked for, run by the next idle pass.
    bool mBackgroundScanPending = false;
    // The transition's progress bar animates (device state 6 in the ready column).
    bool mAnimating = false;
    // The one idle request of the animation and the background scan is held.
    bool mHoldsIdle = false;
    WString mTransitioningText;
    // ABORT was clicked since the user last started an update: no image starts until the user
    // starts one again.
    bool mSequenceAborted = false;
    // A wait handles pending input (HandlePendingInput).
    bool mHandlingInput = false;
    // What the status bar says is happening (empty: its default text).
    WString mStepText;
    // The visible labels' texts as last written to the debug output.
    WString mShownTexts;
    // The menu's commands are subscribed at the root window.
    bool mMenuCommandsSubscribed = false;
};
} // namespace Orv
