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
    bool back = false;
    if (ResetsItself(engine->GetUpdateModeSwitchMethod()))
    {
        if (downloaded)
        {
            {
                CAutoWaitCursor wait{WString(kResetWaitText)};
                Refresh();
                RedrawWindow();
                if (!ResetsItself(engine->GetUpdateModeSwitchMethod()))
                {
                    back = SUCCEEDED(engine->RefreshDeviceState()) &&
                           engine->GetDeviceState() == Engine::kDeviceNormalMode;
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
                            back = true;
                            break;
                        }
                    }
                }
                if (engine->GetDeviceState() == Engine::kDeviceUpdating)
                {
                    // It never came back: a failed device, not one still being written.
                    engine->SetDeviceState(Engine::kDeviceFailed);
                }
                mUpdateRunning = false;
                Refresh();
            }
        }
        else
        {
            mUpdateRunning = false;
            Refresh();
        }
    }
    else
    {
        Refresh();
        mUpdateRunning = false;
        back = engine->GetDeviceState() == Engine::kDeviceNormalMode;
    }
    // The update took only when the device came back in normal mode running the image.
    const bool took = downloaded && back && UpdateCompletion::RunsFileVersion(engine);
    if (downloaded && !took)
    {
        GetDebugOutput().Narrow()
            << (back ? "The device came back without the image's version"
                     : "The device did not come back in normal mode after the update")
            << std::endl;
    }
    if (const RCPtr<IUpdateImageSequence>& images = engine->GetImageSequence())
    {
        images->ProcessUpdateResult(*engine, took);
    }
    return 1;
}
} // namespace Orv
