// The main window's texts and visibility: from the update result, the device state and the file
// state, the text of every status label and which buttons, labels and progress bars show. Each
// text is looked up in the string table of the label it is shown in.
#include "DualUpdater.h"
#include "LabelText.h"
#include "MainControl.h"
#include "UpdateCompletion.h"
#include "Utilities/Debug/DebugOutput.h"

#include <ostream>

namespace Orv
{
namespace
{
using Engine = LUpdateEngineInterface;

// Sets the label's text to its string of the id, when the label is there and the id is given.
void SetTextFromTable(const RCPtr<LLabel>& label, const wchar_t* id)
{
    if (label && id != nullptr)
    {
        label->SetText(label->GetString(id));
    }
}

bool FileUnusable(int file)
{
    return file == Engine::kFileNone || file == Engine::kFileMissing ||
           file == Engine::kFilePresent;
}
} // namespace

bool LMainControl::IsUpdateWanted() const
{
    if (mUpdateProcessor && mUpdateProcessor->GetAlwaysUpdate())
    {
        return true;
    }
    const RCPtr<Engine> engine = GetEngine();
    return engine && engine->IsFileNewer();
}

void LMainControl::GetDeviceStateLabel(int deviceState)
{
    const wchar_t* id = nullptr;
    switch (deviceState)
    {
        case Engine::kDeviceNotDefined:
            id = L"LABEL_NO_DEVICE_DEFINED";
            break;
        case Engine::kDeviceNotFound:
            id = L"LABEL_NO_DEVICE_FOUND";
            break;
        case Engine::kDeviceBusy:
            id = L"LABEL_SCANNING_FOR_DEVICE";
            break;
        case Engine::kDevicesFound:
            id = L"LABEL_DEVICES_AVAILABLE_NONE_SELECTED";
            break;
        case Engine::kDeviceNormalMode:
            id = L"LABEL_DEVICE_NOT_IN_UPDATE_MODE";
            break;
        case Engine::kDeviceUpdateMode:
            id = L"LABEL_DEVICE_IN_UPDATE_MODE";
            break;
        default:
            break;
    }
    SetTextFromTable(mLabelDeviceInformation, id);
}

void LMainControl::GetFileStateLabel(int fileState)
{
    const wchar_t* id = nullptr;
    switch (fileState)
    {
        case Engine::kFileNone:
            id = L"LABEL_NO_FILE_DEFINED";
            break;
        case Engine::kFileMissing:
        case Engine::kFilePresent:
            id = L"LABEL_FIRMARE_FILE_INVALID";
            break;
        case Engine::kFileVersionKnown:
            id = L"LABEL_FIRMARE_FILE_FOUND_VERSION_KNOWN";
            break;
        default:
            break;
    }
    SetTextFromTable(mLabelFirmwareFileInformation, id);
}

void LMainControl::GetUpdateStateLabel(int result, int deviceState)
{
    const RCPtr<Engine> engine = GetEngine();
    const bool newer = engine && engine->IsFileNewer();
    const wchar_t* id = nullptr;
    switch (result)
    {
        case Engine::kUpdateReady:
            if (deviceState == Engine::kDeviceSwitching)
            {
                mLabelUpdateProcessInformation->SetText(mTransitioningText);
                return;
            }
            id = newer ? L"LABEL_READY_FOR_UPDATE" : L"LABEL_READY_FOR_DOWNGRADE_UPDATE";
            break;
        case Engine::kUpdateInProgress:
            id = L"LABEL_UPDATE_IN_PROGRESS";
            break;
        case Engine::kUpdateAborted:
            id = L"LABEL_UPDATE_ABORTED";
            break;
        case Engine::kUpdateCompleted:
            if (!mUpdateRunning)
            {
                // The verdict: written, back in normal mode, running the file's version.
                switch (UpdateCompletion::Judge(engine, true))
                {
                    case UpdateCompletion::Verdict::Took:
                        id = L"LABEL_UPDATE_SUCCEEDED";
                        break;
                    case UpdateCompletion::Verdict::OtherVersion:
                    case UpdateCompletion::Verdict::StillInUpdateMode:
                        id = L"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL";
                        break;
                    default:
                        id = L"LABEL_UPDATE_SUCESS_UNKNOWN";
                        break;
                }
            }
            else
            {
                // Still running: the device resets, and the verdict is not in yet.
                const RCPtr<LStringTable> table = mLabelUpdateProcessInformation->GetStringTable();
                WString unused;
                id = table && table->Lookup(L"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE", unused)
                         ? L"LABEL_UPDATE_TRANSITIONING_AFTER_UPDATE"
                         : L"LABEL_UPDATE_IN_PROGRESS";
            }
            break;
        default:
            break;
    }
    SetTextFromTable(mLabelUpdateProcessInformation, id);
}

void LMainControl::GetCannotUpdateLabel(int /*deviceState*/, bool updateWanted)
{
    const RCPtr<Engine> engine = GetEngine();
    const unsigned int reason = engine ? engine->GetFailureReason() : Engine::kNoFailure;
    // A failure is never told as "up to date": a system, file or device failure keeps its own
    // text whether or not the file is newer; without one the text says why nothing is written.
    const wchar_t* id = updateWanted
                            ? (reason == 0 ? L"LABEL_DEVICE_CANNOT_BE_UPDATED_NO_REASON" : nullptr)
                            : L"LABEL_UPDATE_NOT_NEEDED";
    switch (reason)
    {
        case 1:
            id = L"LABEL_DRIVER_IS_TOO_OLD";
            break;
        case 2:
            id = L"LABEL_CANNOT_UPDATE_SYSTEM_FAILURE";
            break;
        case 3:
            id = L"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE";
            break;
        case 4:
            id = L"LABEL_DEVICE_DEVICE_ACCESS_FAILURE";
            break;
        default:
            break;
    }
    SetTextFromTable(mLabelDeviceCannotUpdateError, id);
}

void LMainControl::UpdateDeviceFirmwareVersionLabel()
{
    const RCPtr<Engine> engine = GetEngine();
    WString version;
    if (engine && engine->GetDeviceFirmwareVersionText(version) == S_OK)
    {
        mLabelDeviceFirmwareVersion->SetText(
            SubstituteFirst(mLabelDeviceFirmwareVersion->GetString(L"LABEL"), version));
    }
}

void LMainControl::UpdateFileFirmwareVersionLabel()
{
    const RCPtr<Engine> engine = GetEngine();
    WString version;
    if (engine && engine->GetFileFirmwareVersionText(version) == S_OK)
    {
        mLabelFileFirmwareVersion->SetText(
            SubstituteFirst(mLabelFileFirmwareVersion->GetString(L"LABEL"), version));
    }
}

void LMainControl::UpdateUI(const int& result, const int& deviceState, const int& fileState)
{
    const RCPtr<LMainControl> self(this);
    const int r = result;
    const int d = deviceState;
    const int f = fileState;
    GetDeviceStateLabel(d);
    GetFileStateLabel(f);
    GetUpdateStateLabel(r, d);
    UpdateDeviceFirmwareVersionLabel();
    UpdateFileFirmwareVersionLabel();
    const bool wanted = IsUpdateWanted();
    GetCannotUpdateLabel(d, wanted);

    const RCPtr<Engine> engine = GetEngine();
    const auto asControl = [](const auto& pointer) { return RCPtr<LControl>(pointer.Get()); };
    Show(asControl(mButtonSelectFirmwareFile), f != Engine::kFileVersionKnown);

    if (r >= Engine::kUpdateReady && r <= Engine::kUpdateCompleted)
    {
        const bool ready = r == Engine::kUpdateReady;
        const bool inProgress = r == Engine::kUpdateInProgress;
        const bool failed = r == Engine::kUpdateFailed;
        const bool aborted = r == Engine::kUpdateAborted;
        const bool completed = r == Engine::kUpdateCompleted;
        const bool fileKnown = f == Engine::kFileVersionKnown;
        const bool noDeviceOrNormal = d <= Engine::kDevicesFound || d == Engine::kDeviceNormalMode;

        // Rule A: the device information.
        bool ruleA = false;
        if (noDeviceOrNormal && !fileKnown)
        {
            ruleA = false;
        }
        else if (d == Engine::kDeviceFailed)
        {
            ruleA = false;
        }
        else if (d <= Engine::kDevicesFound || FileUnusable(f))
        {
            ruleA = true;
        }
        else
        {
            ruleA = wanted;
        }
        // Rule C: the cannot-update error.
        bool ruleC = false;
        if (d == Engine::kDeviceFailed)
        {
            ruleC = true;
        }
        else if (d <= Engine::kDevicesFound || FileUnusable(f))
        {
            ruleC = false;
        }
        else
        {
            ruleC = !wanted;
        }
        // Rule U: the update button.
        const bool ruleU = fileKnown && wanted &&
                           (d == Engine::kDeviceNormalMode || d == Engine::kDeviceUpdateMode);
        // Rule S: the scan button.
        const bool ruleS = !mNoScanButton && fileKnown &&
                           (d == Engine::kDeviceNotFound || d == Engine::kDevicesFound) && ready;
        // Rule T: try again.
        bool ruleT = false;
        if (completed)
        {
            ruleT = !mUpdateRunning &&
                    UpdateCompletion::Judge(engine, true) != UpdateCompletion::Verdict::Took;
        }
        else if (ready)
        {
            ruleT = d == Engine::kDeviceFailed && f > Engine::kFileMissing;
        }
        // Rule V: the device's firmware version.
        bool ruleV = false;
        WString deviceVersion;
        if (engine && SUCCEEDED(engine->GetDeviceFirmwareVersionText(deviceVersion)) &&
            engine->GetFileState() == Engine::kFileVersionKnown)
        {
            const bool shown = !deviceVersion.IsEmpty() && d == Engine::kDeviceNormalMode;
            ruleV = engine->GetUpdateModeSwitchMethod() == Engine::kSwitchManually
                        ? shown || d == Engine::kDeviceSwitching
                        : shown;
        }

        Show(asControl(mLabelFirmwareFileInformation),
             ready ? noDeviceOrNormal && !fileKnown : failed);
        Show(asControl(mLabelDeviceInformation), ready && ruleA);
        Show(asControl(mLabelFileFirmwareVersion), ready ? fileKnown : true);
        Show(asControl(mLabelDeviceFirmwareVersion), ruleV);
        Show(asControl(mProgressBar), ready ? d == Engine::kDeviceUpdating : inProgress);
        Show(asControl(mButtonUpdateFirmware), ready && ruleU);
        Show(asControl(mLabelUpdateProcessInformation),
             ready ? ruleU || d == Engine::kDeviceSwitching || d == Engine::kDeviceUpdating
                   : !failed);
        Show(asControl(mLabelDeviceCannotUpdateError), ready ? ruleC : failed);
        Show(asControl(mButtonReinitialize), ready || completed ? ruleT : failed || aborted);
        Show(asControl(mButtonScanForDevice), ready && ruleS);
        Show(asControl(mButtonManualDeviceReadyForUpdate), ready && d == Engine::kDeviceSwitching);
        Show(asControl(mButtonManualDeviceHasUpdatedRescan),
             completed && d != Engine::kDeviceNormalMode);
        Show(mControlTransitioningToUpdateMode, ready && d == Engine::kDeviceSwitching);
        Show(mLabelDeviceNotFound,
             ready && d == Engine::kDeviceNotFound &&
                 (f == Engine::kFilePresent || f == Engine::kFileVersionKnown));
        Show(asControl(mButtonExit), ready ? d != Engine::kDeviceSwitching : !inProgress);
        // ABORT also shows while the device resets after a write: an abort there ends the
        // sequence before the next image.
        Show(asControl(mButtonAbort), ready || inProgress || (completed && mUpdateRunning));

        const bool transitionIsBar =
            dynamic_cast<LProgressBar*>(mControlTransitioningToUpdateMode.Get()) != nullptr;
        if (ready && mControlTransitioningToUpdateMode && d == Engine::kDeviceSwitching)
        {
            mAnimating = transitionIsBar;
            Show(asControl(mLabelDeviceInformation), false);
            Show(asControl(mLabelDeviceCannotUpdateError), false);
        }
        else
        {
            mAnimating = false;
        }
        // A device being written is not one that cannot be updated.
        if (ready && d == Engine::kDeviceUpdating)
        {
            Show(asControl(mLabelDeviceCannotUpdateError), false);
        }
        UpdateIdleRequest();
    }

    LDualUpdater::UpdateLabels(*this, r, d, f);
    ShowReportedDeviceVersion(d);
    LogShownTexts();
}

void LMainControl::ShowReportedDeviceVersion(int deviceState)
{
    const RCPtr<Engine> engine = GetEngine();
    const RCPtr<LDualUpdater> sequencer = LDualUpdater::GetInstance();
    if (!engine || !sequencer || !sequencer->IsSequenceOn() || !mLabelDeviceFirmwareVersion ||
        deviceState != Engine::kDeviceNormalMode)
    {
        return;
    }
    const LDualUpdater::ProbeResult& probe = sequencer->GetProbeResult();
    Orv::Array<Engine::DeviceDefinition> devices;
    const int index = engine->GetSelectedIndex();
    Engine::VersionInfo reported;
    if (!probe.found || FAILED(engine->GetFoundDevices(devices)) || index < 0 ||
        static_cast<unsigned int>(index) >= devices.GetCount() ||
        FAILED(engine->GetDeviceFirmwareVersion(static_cast<unsigned int>(index), reported)))
    {
        return;
    }
    // The probe's versions are those from before the update; the unit the engine holds says
    // what it runs now.
    WString controller = probe.controllerVersion.text;
    WString wheelDisplay = probe.wheelDisplayVersion.text;
    const std::uint32_t productId =
        devices.GetConstElementPointer(static_cast<unsigned int>(index)).productId;
    if (productId == LDualUpdater::GetImageInfo(LDualUpdater::kController).productId)
    {
        controller = reported.text;
    }
    else if (productId == LDualUpdater::GetImageInfo(LDualUpdater::kWheelDisplay).productId)
    {
        wheelDisplay = reported.text;
    }
    else
    {
        return;
    }
    mLabelDeviceFirmwareVersion->SetText(
        SubstituteFirst(mLabelDeviceFirmwareVersion->GetString(L"LABEL"), controller) +
        wheelDisplay);
}

void LMainControl::LogShownTexts()
{
    WString shown;
    for (const RCPtr<LLabel>* label :
         {&mLabelDeviceFirmwareVersion, &mLabelFileFirmwareVersion, &mLabelDeviceInformation,
          &mLabelFirmwareFileInformation, &mLabelUpdateProcessInformation,
          &mLabelDeviceCannotUpdateError})
    {
        if (*label && (*label)->IsVisible(false) && !(*label)->GetText().IsEmpty())
        {
            if (!shown.IsEmpty())
            {
                shown += WString(L" | ");
            }
            shown += (*label)->GetText();
        }
    }
    if (shown != mShownTexts)
    {
        mShownTexts = shown;
        GetDebugOutput().Narrow() << "The window shows: " << shown.ToNarrow().GetBuffer()
                                  << std::endl;
    }
}
} // namespace Orv
