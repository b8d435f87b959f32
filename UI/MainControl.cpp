#include "MainControl.h"

#include "Application.h"
#include "ControlBase/ControlCreator.h"
#include "Controls/MainMenu.h"
#include "Controls/NotificationChain.h"
#include "DualUpdater.h"
#include "LabelText.h"
#include "ObjectBase/Exception.h"
#include "System/AutoWaitCursor.h"
#include "System/RootWindow.h"
#include "UpdateEngine.h"
#include "UpdateNotificationData.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Version.h"
#include "notification/NotificationCenterManager.h"

namespace Orv
{
namespace
{
const wchar_t* const kMenuFileSelect = L"NID_MENU_FILE_SELECT";
const wchar_t* const kMenuFileExit = L"NID_MENU_FILE_EXIT_REQ";
const wchar_t* const kMenuAllowDowngrade = L"NID_MENU_OPTIONS_ALLOW_DOWNGRADE";
const wchar_t* const kLeftClick = L"NID_LEFT_CLICK";
const wchar_t* const kWaitingTitle = L"WAITING_FOR_DEVICE_TO_ENTER_UPDATE_MODE_CURSOR_TITLE";

LApplication* GetUpdaterApplication()
{
    return dynamic_cast<LApplication*>(GetFrameworkApp());
}
} // namespace

LMainControl::LMainControl(const RCPtr<LControl>& parent,
                           const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LMainControl::~LMainControl()
{
    // A window that goes without its tree being released first still leaves the host.
    if (mHost)
    {
        mHost->SetStartUpdate(nullptr);
    }
}

RCPtr<LControl>& LMainControl::Create(RCPtr<LControl>& result, const RCPtr<LControl>& parent,
                                      const RCPtr<LControlDescriptor>& descriptor)
{
    return CreateControlOf<LMainControl>(result, parent, descriptor);
}

ORVRESULT LMainControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LControl>(*this, mMainHandler, source, notification);
}

ORVRESULT LMainControl::Unregister(const RCPtr<LNotificationDistributor>& source,
                                   const wchar_t* name)
{
    return UnregisterThroughChain<LControl>(*this, mMainHandler, source, name);
}

template <class T>
RCPtr<T> LMainControl::Bind(const wchar_t* name, bool required)
{
    RCPtr<T> child = DynamicCast<T>(FindChildControl(WString(name)));
    if (!child && required)
    {
        ORV_THROW(std::runtime_error, "Null Pointer",
                  std::string("LMainControl couldn't find ") +
                      WString(name).ToNarrow().GetBuffer());
    }
    return child;
}

void LMainControl::SubscribeClick(
    const RCPtr<LButton>& button,
    ORVRESULT (LMainControl::*handler)(const RCPtr<LNotificationDistributor>&,
                                       const RCPtr<LNotification>&))
{
    if (button)
    {
        ORV_REQUIRE_SUCCESS(mMainHandler->SubscribeHandler(
            handler, RCPtr<LNotificationDistributor>(button.Get()), kLeftClick));
    }
}

ORVRESULT LMainControl::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    if (FAILED(result))
    {
        return result;
    }
    const RCPtr<LMainControl> self(this);
    mMainHandler = new LNotificationHandler<LMainControl>(this);
    // The engine posts to the "application" center, delivered by the idle passes.
    const RCPtr<LNotificationDistributor> center(GetApplicationNotificationCenter().Get());
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnDeviceStateChangeNotification, center,
                                       LUpdateEngineInterface::kDeviceStateChange));
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnFirmwareFileStateChangeNotification, center,
                                       LUpdateEngineInterface::kFirmwareFileStateChange));
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnFoundDeviceListChangeNotification, center,
                                       LUpdateEngineInterface::kFoundDeviceListChange));
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnFirmwareUpdateProgressNotification, center,
                                       LUpdateEngineInterface::kFirmwareUpdateProgress));
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnFirmwareUpdateCompletedNotification, center,
                                       LUpdateEngineInterface::kFirmwareUpdateCompleted));

    mButtonExit = Bind<LButton>(L"buttonExit", true);
    SubscribeClick(mButtonExit, &LMainControl::OnExitClicked);
    mButtonUpdateFirmware = Bind<LButton>(L"buttonUpdateFirmware", true);
    SubscribeClick(mButtonUpdateFirmware, &LMainControl::OnUpdateFirmwareClicked);
    mButtonReinitialize = Bind<LButton>(L"buttonReinitialize", true);
    SubscribeClick(mButtonReinitialize, &LMainControl::OnReinitializeClicked);
    mButtonScanForDevice = Bind<LButton>(L"buttonScanForDevice", false);
    SubscribeClick(mButtonScanForDevice, &LMainControl::OnScanForDeviceClicked);
    mButtonManualDeviceReadyForUpdate =
        Bind<LButton>(L"buttonManualDeviceReadyForUpdateButton", false);
    SubscribeClick(mButtonManualDeviceReadyForUpdate,
                   &LMainControl::OnManualDeviceReadyForUpdateClicked);
    mButtonManualDeviceHasUpdatedRescan =
        Bind<LButton>(L"buttonManualDeviceHasUpdatedRescanButton", false);
    SubscribeClick(mButtonManualDeviceHasUpdatedRescan,
                   &LMainControl::OnManualDeviceHasUpdatedRescanClicked);
    mButtonSelectFirmwareFile = Bind<LButton>(L"buttonSelectFirmwareFile", false);
    SubscribeClick(mButtonSelectFirmwareFile, &LMainControl::SelectFirmwareFile);
    mButtonAbort = Bind<LButton>(L"buttonAbort", false);
    SubscribeClick(mButtonAbort, &LMainControl::OnAbortClicked);

    mLabelDeviceInformation = Bind<LLabel>(L"labelDeviceInformation", true);
    mLabelFirmwareFileInformation = Bind<LLabel>(L"labelFirmwareFileInformation", true);
    mLabelUpdateProcessInformation = Bind<LLabel>(L"labelUpdateProcessInformation", true);
    mLabelFileFirmwareVersion = Bind<LLabel>(kFileFirmwareVersion, true);
    mLabelDeviceFirmwareVersion = Bind<LLabel>(kDeviceFirmwareVersion, true);
    mLabelDeviceCannotUpdateError = Bind<LLabel>(L"labelDeviceCannotUpdateError", true);
    mProgressBar = Bind<LProgressBar>(L"progressBar", true);
    mControlTransitioningToUpdateMode = Bind<LControl>(L"controlTransitioningToUpdateMode", false);
    mLabelDeviceNotFound = Bind<LControl>(L"labelDeviceNotFound", false);

    const RCPtr<LLabel> versionLabel = Bind<LLabel>(L"updaterVersionLabel", true);
    versionLabel->SetText(
        SubstituteFirst(versionLabel->GetString(L"LABEL"), Version::GetProductVersion()));
    mTransitioningText =
        mLabelUpdateProcessInformation->GetString(L"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE");

    // The window says when it drives simulated devices instead of the machine's.
    mLabelSimulatedDevices = Bind<LLabel>(L"labelSimulatedDevices", false);
    Show(RCPtr<LControl>(mLabelSimulatedDevices.Get()), LUpdateEngine::UsesSimulatedDevices());

    // The menu asks this control for its items' check marks.
    if (const RCPtr<LMainMenu> menu =
            DynamicCast<LMainMenu>(FindChildControl(WString(L"mainMenu"))))
    {
        menu->SetMenuItemUpdater(GetMenuItemUpdater());
    }
    if (LApplication* application = GetUpdaterApplication())
    {
        mUpdateProcessor = application->GetUpdateProcessor();
    }
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (engine)
    {
        mLastDeviceState = engine->GetDeviceState();
    }
    mNoScanButton = !mButtonScanForDevice;
    if (engine)
    {
        const int updateResult = engine->GetUpdateResult(false);
        const int fileState = engine->GetFileState();
        UpdateUI(updateResult, mLastDeviceState, fileState);
        if (fileState == LUpdateEngineInterface::kFileMissing)
        {
            ShowStep(engine->GetLastFailureText());
        }
        engine->SetNotify(true);
    }
    if (mUpdateProcessor)
    {
        LDualUpdater::CreateInstance(mUpdateProcessor->GetHost());
    }
    // The sequencer starts the next image through its host. The host holds no counted reference
    // to the window: the link is cut when the window's tree is released.
    const RCPtr<LDualUpdater> sequencer = LDualUpdater::GetInstance();
    mHost = sequencer ? sequencer->GetHost()
                      : (mUpdateProcessor ? mUpdateProcessor->GetHost() : nullptr);
    if (mHost)
    {
        LMainControl* window = this;
        mHost->SetStartUpdate([window] { window->StartUpdate(); });
    }
    return result;
}

ORVRESULT LMainControl::ProcessRootWindowAquired()
{
    const ORVRESULT result = LControl::ProcessRootWindowAquired();
    LRootWindow* root = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get());
    if (root == nullptr)
    {
        // A window that goes away leaves its tree with no root window: nothing to subscribe.
        if (mMenuCommandsSubscribed)
        {
            mMenuCommandsSubscribed = false;
            return result;
        }
        ORV_THROW(std::runtime_error, "No Root Window!");
    }
    if (!mMainHandler)
    {
        return result;
    }
    mMenuCommandsSubscribed = true;
    const RCPtr<LNotificationDistributor> distributor(root);
    ORV_REQUIRE_SUCCESS(mMainHandler->SubscribeHandler(&LMainControl::SelectFirmwareFile,
                                                       distributor, kMenuFileSelect));
    ORV_REQUIRE_SUCCESS(
        mMainHandler->SubscribeHandler(&LMainControl::OnExitClicked, distributor, kMenuFileExit));
    ORV_REQUIRE_SUCCESS(mMainHandler->SubscribeHandler(&LMainControl::OnAllowDowngradeMenu,
                                                       distributor, kMenuAllowDowngrade));
    return result;
}

ORVRESULT LMainControl::ReleaseInternalReferences()
{
    if (mHost)
    {
        mHost->SetStartUpdate(nullptr);
        mHost = nullptr;
    }
    return LControl::ReleaseInternalReferences();
}

RCPtr<LUpdateEngineInterface> LMainControl::GetEngine() const
{
    return mUpdateProcessor ? mUpdateProcessor->GetEngine() : nullptr;
}

ORVRESULT LMainControl::UpdateMenuItem(const RCPtr<LMenuDescriptor>&, int, const WString& nid,
                                       MenuItemInfo& info)
{
    return GetMenuItemState(nid.GetBuffer(), info);
}

ORVRESULT LMainControl::GetMenuItemState(const wchar_t* notificationName, MenuItemInfo& item) const
{
    if (notificationName != nullptr && mUpdateProcessor &&
        InternNotificationName(notificationName) == InternNotificationName(kMenuAllowDowngrade))
    {
        item.checked = mUpdateProcessor->GetAlwaysUpdate();
    }
    return S_OK;
}

void LMainControl::Refresh()
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!engine)
    {
        return;
    }
    const int fileState = engine->GetFileState();
    const int deviceState = engine->GetDeviceState();
    const int result = ShownResult(engine->GetUpdateResult(false));
    UpdateUI(result, deviceState, fileState);
}

int LMainControl::ShownResult(int result) const
{
    // An update that completed after ABORT was clicked ended the sequence there: aborted.
    if (mSequenceAborted && !mUpdateRunning && result == LUpdateEngineInterface::kUpdateCompleted)
    {
        return LUpdateEngineInterface::kUpdateAborted;
    }
    return result;
}

void LMainControl::BeginDownload()
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    // An ABORT clicked while the device entered update mode ends the sequence before the write.
    HandlePendingInput();
    if (!engine)
    {
        return;
    }
    if (mSequenceAborted)
    {
        ShowStep(StepText(L"STATUS_ABORTED_BEFORE_WRITE", {GetUnitName()}));
        return;
    }
    mUpdateRunning = true;
    mProgressBar->SetValue(0.0);
    mProgressBar->SetTimeEstimation(false);
    WString index = L"1";
    WString total = L"1";
    const RCPtr<LDualUpdater> sequencer = LDualUpdater::GetInstance();
    if (sequencer && sequencer->IsSequenceOn())
    {
        const bool controller = sequencer->GetCurrentImage() == LDualUpdater::kController;
        const LDualUpdater::Image other =
            controller ? LDualUpdater::kWheelDisplay : LDualUpdater::kController;
        const LDualUpdater::ProbeResult& probe = sequencer->GetProbeResult();
        const bool otherDone = sequencer->IsDone(other);
        const bool otherNeeded =
            controller ? probe.wheelDisplayNeedsUpdate : probe.controllerNeedsUpdate;
        index = otherDone ? L"2" : L"1";
        total = otherDone || otherNeeded ? L"2" : L"1";
    }
    ShowStep(StepText(L"STATUS_WRITING_IMAGE", {GetUnitName(), index, total}));
    if (FAILED(engine->StartDownload()))
    {
        mUpdateRunning = false;
    }
}

void LMainControl::StartUpdate()
{
    const RCPtr<LMainControl> self(this);
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!engine || mSequenceAborted)
    {
        return;
    }
    if (engine->GetFileState() == LUpdateEngineInterface::kFileVersionKnown)
    {
        if (engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode)
        {
            ShowStep(StepText(L"STATUS_ENTERING_UPDATE_MODE", {GetUnitName()}));
            // The transition shows before the switch starts.
            const int ready = LUpdateEngineInterface::kUpdateReady;
            const int switching = LUpdateEngineInterface::kDeviceSwitching;
            const int file = LUpdateEngineInterface::kFileVersionKnown;
            UpdateUI(ready, switching, file);
            RedrawWindow();
            CAutoWaitCursor wait(GetWaitingText());
            if (SUCCEEDED(engine->StartEnterUpdateMode()))
            {
                mDownloadPending = true;
                const int method = engine->GetUpdateModeSwitchMethod();
                if (engine->GetDeviceState() == LUpdateEngineInterface::kDeviceSwitching &&
                    (method == LUpdateEngineInterface::kSwitchByMidiMessage ||
                     method == LUpdateEngineInterface::kSwitchAwaited) &&
                    FAILED(WaitForUpdateMode()))
                {
                    engine->SetDeviceState(LUpdateEngineInterface::kDeviceNotFound);
                }
            }
        }
        ShowStep(mStepText);
        if (engine->GetDeviceState() == LUpdateEngineInterface::kDeviceUpdateMode)
        {
            BeginDownload();
        }
        else if (engine->GetDeviceState() == LUpdateEngineInterface::kDeviceFailed ||
                 engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNotFound)
        {
            ShowStep(engine->GetLastFailureText());
        }
    }
    Refresh();
}

ORVRESULT LMainControl::WaitForUpdateMode()
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!engine)
    {
        return E_FAIL;
    }
    const int method = engine->GetUpdateModeSwitchMethod();
    if (method != LUpdateEngineInterface::kSwitchByMidiMessage &&
        method != LUpdateEngineInterface::kSwitchAwaited)
    {
        return E_FAIL;
    }
    for (DWORD elapsed = 0; elapsed < kWaitLimit; elapsed += kWaitStep)
    {
        RedrawWindow();
        CAutoWaitCursor wait(GetWaitingText());
        Pause(kWaitStep);
        if (SUCCEEDED(engine->RefreshDeviceState()))
        {
            const int state = engine->GetDeviceState();
            if (state == LUpdateEngineInterface::kDeviceUpdateMode)
            {
                return S_OK;
            }
            if (state != LUpdateEngineInterface::kDeviceSwitching)
            {
                return E_FAIL;
            }
        }
    }
    return E_FAIL;
}

ORVRESULT LMainControl::RunWithWaitCursor()
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!engine)
    {
        return E_FAIL;
    }
    CAutoWaitCursor wait{WString()};
    return engine->RefreshDeviceState();
}

void LMainControl::RefreshFromEngine()
{
    if (mUpdateProcessor)
    {
        mUpdateProcessor->Reinitialize();
    }
    if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
    {
        mLastDeviceState = engine->GetDeviceState();
    }
    mNoScanButton = !mButtonScanForDevice;
    Refresh();
}

ORVRESULT LMainControl::SelectFirmwareFile(const RCPtr<LNotificationDistributor>&,
                                           const RCPtr<LNotification>&)
{
    if (mHandlingInput)
    {
        return 1;
    }
    const WString title = GetApplicationString(L"SELECT_FIRMWARE_FILE_DIALOG_TITLE");
    const WString filter = GetApplicationString(L"SELECT_FIRMWARE_FILE_DIALOG_FILE_FILTER");
    const WString extension = GetApplicationString(L"SELECT_FIRMWARE_FILE_DEFAULT_FILE_EXTENSION");
    if (!mFileDialog)
    {
        mFileDialog = new LFileDialog(WString());
    }
    if (mFileDialog->DoModal(filter, extension, title, false) == S_OK)
    {
        if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
        {
            engine->SetFirmwareFilePath(mFileDialog->GetPathName());
        }
    }
    return 1;
}

void LMainControl::RequestExit()
{
    if (const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter())
    {
        center->PostNotification(LNotification::Create(L"NID_APP_EXIT_REQ"));
    }
}

void LMainControl::ScanForDeviceInBackground()
{
    // One rescan from the next idle pass, so that the notification that asked for it has ended
    // first; the rescan's own notifications then arrive as usual.
    mBackgroundScanPending = true;
    UpdateIdleRequest();
}

void LMainControl::UpdateIdleRequest()
{
    const bool wanted = mAnimating || mBackgroundScanPending;
    if (wanted && !mHoldsIdle)
    {
        mHoldsIdle = SubscribeIdle() == S_OK;
    }
    else if (!wanted && mHoldsIdle)
    {
        mHoldsIdle = false;
        UnsubscribeIdle();
    }
}

void LMainControl::OnIdleTick()
{
    const RCPtr<LMainControl> self(this);
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!engine)
    {
        return;
    }
    if (mBackgroundScanPending)
    {
        mBackgroundScanPending = false;
        UpdateIdleRequest();
        engine->Rescan();
    }
    const int method = engine->GetUpdateModeSwitchMethod();
    LProgressBar* transition = dynamic_cast<LProgressBar*>(mControlTransitioningToUpdateMode.Get());
    if (mAnimating && transition != nullptr &&
        engine->GetDeviceState() == LUpdateEngineInterface::kDeviceSwitching &&
        (method == LUpdateEngineInterface::kSwitchByMidiMessage ||
         method == LUpdateEngineInterface::kSwitchAwaited))
    {
        double next = transition->GetValue() * 100.0 + kTransitionStep;
        if (next > 100.0)
        {
            next = 0.0;
        }
        transition->SetValue(next / 100.0);
    }
}

// --- Engine notifications ---

ORVRESULT LMainControl::OnDeviceStateChangeNotification(const RCPtr<LNotificationDistributor>&,
                                                        const RCPtr<LNotification>& notification)
{
    const RCPtr<LMainControl> self(this);
    const RCPtr<LDeviceStateChangeNotificationData> data =
        notification ? DynamicCast<LDeviceStateChangeNotificationData>(notification->param)
                     : nullptr;
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (!data || !engine)
    {
        return 1;
    }
    int state = data->GetNewState();
    GetDeviceStateLabel(state);
    const int result = ShownResult(engine->GetUpdateResult(false));
    const int fileState = engine->GetFileState();
    if (LRootWindow* root = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get()))
    {
        root->SetCursor(static_cast<HCURSOR>(nullptr));
    }
    switch (state)
    {
        case LUpdateEngineInterface::kDeviceNotFound:
            if (mNoScanButton)
            {
                ScanForDeviceInBackground();
            }
            break;
        case LUpdateEngineInterface::kDevicesFound:
            // Several devices: the first is updated, the others are not.
            engine->SelectDevice(0);
            state = engine->GetDeviceState();
            break;
        case LUpdateEngineInterface::kDeviceUpdateMode:
            if (engine->IsAsynchronous() && !mUpdateRunning && mDownloadPending)
            {
                BeginDownload();
            }
            break;
        default:
            break;
    }
    mLastDeviceState = state;
    UpdateUI(result, state, fileState);
    return 1;
}

ORVRESULT
LMainControl::OnFirmwareFileStateChangeNotification(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>& notification)
{
    const RCPtr<LMainControl> self(this);
    const RCPtr<LFirmwareFileStateChangeNotificationData> data =
        notification ? DynamicCast<LFirmwareFileStateChangeNotificationData>(notification->param)
                     : nullptr;
    if (!data)
    {
        return 1;
    }
    GetFileStateLabel(data->GetNewState());
    if (data->GetNewState() == LUpdateEngineInterface::kFileVersionKnown)
    {
        UpdateFileFirmwareVersionLabel();
    }
    else if (data->GetNewState() == LUpdateEngineInterface::kFileMissing)
    {
        // The reader's refusal of the file, where the user sees it.
        if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
        {
            ShowStep(engine->GetLastFailureText());
        }
    }
    Refresh();
    return 1;
}

ORVRESULT LMainControl::OnFoundDeviceListChangeNotification(const RCPtr<LNotificationDistributor>&,
                                                            const RCPtr<LNotification>&)
{
    return 1;
}

ORVRESULT
LMainControl::OnFirmwareUpdateProgressNotification(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>& notification)
{
    const RCPtr<LFirmwareUpdateProgressNotificationData> data =
        notification ? DynamicCast<LFirmwareUpdateProgressNotificationData>(notification->param)
                     : nullptr;
    if (!data)
    {
        return 1;
    }
    // The estimate flag is the payload's first flag: set, the bar estimates the time itself.
    const bool estimate = data->GetFlagA();
    mProgressBar->SetValue(data->GetFraction());
    if (!estimate)
    {
        mProgressBar->SetTimeRemaining(data->GetValue());
    }
    mProgressBar->SetTimeEstimation(estimate);
    // The download posts no status text of its own: an empty one would only blank the bar.
    LFrameworkApp* application = GetFrameworkApp();
    if (application != nullptr && !data->GetText().IsEmpty())
    {
        application->SetStatusText(data->GetText(), false);
    }
    return 1;
}

// --- Clicks and menu commands ---

ORVRESULT LMainControl::OnExitClicked(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>&)
{
    RequestExit();
    return 1;
}

ORVRESULT LMainControl::OnUpdateFirmwareClicked(const RCPtr<LNotificationDistributor>&,
                                                const RCPtr<LNotification>&)
{
    if (mHandlingInput)
    {
        return 1;
    }
    mSequenceAborted = false;
    StartUpdate();
    return 1;
}

ORVRESULT LMainControl::OnReinitializeClicked(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>&)
{
    const RCPtr<LMainControl> self(this);
    if (mHandlingInput)
    {
        return 1;
    }
    mSequenceAborted = false;
    ShowStep(WString());
    RefreshFromEngine();
    if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
    {
        engine->Rescan();
    }
    return 1;
}

ORVRESULT LMainControl::OnScanForDeviceClicked(const RCPtr<LNotificationDistributor>&,
                                               const RCPtr<LNotification>&)
{
    if (mHandlingInput)
    {
        return 1;
    }
    if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
    {
        engine->Rescan();
    }
    return 1;
}

ORVRESULT LMainControl::OnManualDeviceReadyForUpdateClicked(const RCPtr<LNotificationDistributor>&,
                                                            const RCPtr<LNotification>&)
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (mHandlingInput)
    {
        return 1;
    }
    if (SUCCEEDED(RunWithWaitCursor()) && engine &&
        engine->GetDeviceState() == LUpdateEngineInterface::kDeviceUpdateMode)
    {
        StartUpdate();
    }
    return 1;
}

ORVRESULT
LMainControl::OnManualDeviceHasUpdatedRescanClicked(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>&)
{
    const RCPtr<LUpdateEngineInterface> engine = GetEngine();
    if (mHandlingInput)
    {
        return 1;
    }
    CAutoWaitCursor wait(GetWaitingText());
    if (SUCCEEDED(RunWithWaitCursor()) && engine &&
        engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode)
    {
        mUpdateRunning = false;
        Refresh();
    }
    return 1;
}

ORVRESULT LMainControl::OnAbortClicked(const RCPtr<LNotificationDistributor>&,
                                       const RCPtr<LNotification>&)
{
    if (const RCPtr<LUpdateEngineInterface> engine = GetEngine())
    {
        // Wherever it falls (a write, the wait for the reset, between two images), an abort ends
        // the whole sequence: no image starts after it.
        mSequenceAborted = true;
        const int state = engine->GetDeviceState();
        if (state == LUpdateEngineInterface::kDeviceSwitching ||
            state == LUpdateEngineInterface::kDeviceUpdating)
        {
            engine->AbortUpdate();
        }
    }
    return 1;
}

ORVRESULT LMainControl::OnAllowDowngradeMenu(const RCPtr<LNotificationDistributor>&,
                                             const RCPtr<LNotification>&)
{
    if (mHandlingInput)
    {
        return 1;
    }
    if (mUpdateProcessor)
    {
        mUpdateProcessor->SetAlwaysUpdate(!mUpdateProcessor->GetAlwaysUpdate());
    }
    Refresh();
    return 1;
}

// --- Helpers ---

void LMainControl::Show(const RCPtr<LControl>& control, bool visible)
{
    if (control)
    {
        control->SetVisible(visible);
    }
}

void LMainControl::RedrawWindow()
{
    if (LRootWindow* root = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get()))
    {
        root->RedrawNow();
    }
}

void LMainControl::Pause(DWORD ms)
{
    LApplication* application = GetUpdaterApplication();
    const RCPtr<LClock> clock = application != nullptr ? application->GetClock() : nullptr;
    (clock ? clock : GetSystemClock())->Sleep(ms);
    HandlePendingInput();
}

void LMainControl::HandlePendingInput()
{
    if (mHandlingInput || !GetTreeRootWindow())
    {
        return;
    }
    const RCPtr<LMainControl> self(this);
    mHandlingInput = true;
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    mHandlingInput = false;
}

void LMainControl::ShowStep(const WString& text)
{
    if (!text.IsEmpty() && text != mStepText)
    {
        GetDebugOutput().Narrow() << "Status: " << text.ToNarrow().GetBuffer() << std::endl;
    }
    mStepText = text;
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr)
    {
        return;
    }
    if (text.IsEmpty())
    {
        application->RestoreStatusText(true);
        application->RestoreStatusText(false);
        return;
    }
    // At once, and once more after any restore a busy cursor has queued.
    application->SetStatusText(text, true);
    application->SetStatusText(text, false);
}

WString LMainControl::GetUnitName() const
{
    const RCPtr<LDualUpdater> sequencer = LDualUpdater::GetInstance();
    if (!sequencer || !sequencer->IsSequenceOn())
    {
        return GetApplicationString(L"STATUS_UNIT_DEVICE");
    }
    return GetApplicationString(sequencer->GetCurrentImage() == LDualUpdater::kController
                                    ? L"STATUS_UNIT_CONTROLLER"
                                    : L"STATUS_UNIT_WHEEL_DISPLAY");
}

WString LMainControl::StepText(const wchar_t* id, std::initializer_list<WString> values)
{
    WString text = GetApplicationString(id);
    for (const WString& value : values)
    {
        text = SubstituteFirst(text, value);
    }
    return text;
}

WString LMainControl::GetApplicationString(const wchar_t* id)
{
    WString text;
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        if (const RCPtr<LStringTable> table = application->GetApplicationStringTable())
        {
            table->Lookup(id, text);
        }
    }
    return text;
}

WString LMainControl::GetWaitingText() const
{
    return GetApplicationString(kWaitingTitle);
}

LLabel* LMainControl::FindLabel(const wchar_t* name) const
{
    const WString wanted(name);
    for (LLabel* label : {mLabelFileFirmwareVersion.Get(), mLabelDeviceFirmwareVersion.Get()})
    {
        if (label != nullptr && label->GetName() == wanted)
        {
            return label;
        }
    }
    return nullptr;
}

WString LMainControl::GetLabelString(const wchar_t* label, const wchar_t* id) const
{
    const LLabel* found = FindLabel(label);
    return found != nullptr ? found->GetString(id) : WString();
}

void LMainControl::SetLabelText(const wchar_t* label, const WString& text)
{
    if (LLabel* found = FindLabel(label))
    {
        found->SetText(text);
    }
}

void LMainControl::ShowManualRescanButton(bool show)
{
    Show(RCPtr<LControl>(mButtonManualDeviceHasUpdatedRescan.Get()), show);
}
} // namespace Orv
