// The end of a download: the wait for the device's reset into normal mode, the refresh, and the
// verdict handed to the two-image sequencer, which may start the other image's update.
#include "MainControl.h"
#include "UpdateCompletion.h"
#include "UpdateNotificationData.h"

#include "System/AutoWaitCursor.h"

namespace Orv
{
namespace
{
using Engine = LUpdateEngineInterface;

const wchar_t* const kResetWaitText = L"Waiting for Device Reset To Complete...";

bool ResetsItself(int method)
{
    return method == Engine::kSwitchByMidiMessage || method == Engine::kSwitchResetsItself;
}
} // namespace

ORVRESULT
LMainControl::OnFirmwareUpdateCompletedNotification(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>& notification)
{
    const RCPtr<LMainControl> self(this);
    const RCPtr<LFirmwareUpdateCompletedNotificationData> data =
        notification ? DynamicCast<LFirmwareUpdateCompletedNotificationData>(notification->param)
                     : nullptr;
    const RCPtr<Engine> engine = GetEngine();
    if (!data || !engine)
    {
        return 1;
    }
    mDownloadPending = false;
    const bool downloaded = data->GetSuccess();
    if (ResetsItself(engine->GetUpdateModeSwitchMethod()))
    {
        if (downloaded)
        {
            ShowStep(StepText(L"STATUS_WAITING_FOR_RESET", {GetUnitName()}));
            {
                CAutoWaitCursor wait{WString(kResetWaitText)};
                Refresh();
                RedrawWindow();
                if (!ResetsItself(engine->GetUpdateModeSwitchMethod()))
                {
                    engine->RefreshDeviceState();
                }
                else
                {
                    for (DWORD elapsed = 0; elapsed < kWaitLimit; elapsed += kWaitStep)
                    {
                        Pause(kWaitStep);
                        if (FAILED(engine->RefreshDeviceState()))
                        {
                            // Not back yet while the engine still awaits the reset; any other
                            // failure (the device is gone) ends the wait.
                            if (engine->GetDeviceState() == Engine::kDeviceUpdating)
                            {
                                continue;
                            }
                            break;
                        }
                        if (engine->GetDeviceState() == Engine::kDeviceNormalMode)
                        {
                            break;
                        }
                    }
                }
                // How the device came back: in normal mode, still in update mode, or not at all.
                engine->EndResetWait();
                mUpdateRunning = false;
            }
        }
        else
        {
            mUpdateRunning = false;
        }
    }
    else
    {
        mUpdateRunning = false;
    }
    // An ABORT clicked during the wait is handled before the verdict goes to the sequencer.
    HandlePendingInput();
    // The update took only when the device came back in normal mode running the image; an abort
    // anywhere in the sequence stops it whatever the verdict.
    const UpdateCompletion::Verdict verdict = UpdateCompletion::Judge(engine, downloaded);
    const bool took = verdict == UpdateCompletion::Verdict::Took;
    const WString text = UpdateCompletion::Describe(engine, verdict);
    if (!text.IsEmpty())
    {
        GetDebugOutput().Narrow() << text.ToNarrow().GetBuffer() << std::endl;
    }
    Refresh();
    const WString before = mStepText;
    if (const RCPtr<IUpdateImageSequence>& images = engine->GetImageSequence())
    {
        images->ProcessUpdateResult(*engine, took && !mSequenceAborted);
    }
    // Unless the sequencer went on with the next image, the status bar says how it ended.
    if (!mUpdateRunning && mStepText == before)
    {
        ShowOutcome(downloaded);
    }
    return 1;
}

void LMainControl::ShowOutcome(bool downloaded)
{
    const RCPtr<Engine> engine = GetEngine();
    if (!engine)
    {
        return;
    }
    const int result = engine->GetUpdateResult(false);
    if (result == Engine::kUpdateAborted)
    {
        // The write was cut short: the unit keeps an incomplete image, in update mode.
        ShowStep(StepText(engine->GetDeviceState() == Engine::kDeviceUpdateMode
                              ? L"STATUS_ABORTED_INCOMPLETE_IMAGE"
                              : L"STATUS_ABORTED_INCOMPLETE_IMAGE_NOT_ANSWERING",
                          {GetUnitName()}));
        return;
    }
    if (!downloaded)
    {
        ShowStep(engine->GetLastFailureText());
        return;
    }
    const UpdateCompletion::Verdict verdict = UpdateCompletion::Judge(engine, true);
    if (verdict != UpdateCompletion::Verdict::Took)
    {
        ShowStep(UpdateCompletion::Describe(engine, verdict));
        return;
    }
    ShowStep(mSequenceAborted ? StepText(L"STATUS_ABORTED_AFTER_IMAGE", {GetUnitName()})
                              : WString());
}
} // namespace Orv
