#include "UpdateCompletion.h"

#include <algorithm>
#include <iterator>

UpdateCompletion::UpdateCompletion()
    : UpdateCompletion(Timings())
{
}

UpdateCompletion::UpdateCompletion(const Timings& timings, const Orv::RCPtr<Orv::LClock>& clock)
    : mTimings(timings)
    , mClock(clock ? clock : Orv::GetSystemClock())
{
}

bool UpdateCompletion::AwaitDeviceReset(const Orv::RCPtr<LUpdateEngineInterface>& engine) const
{
    const int method = engine->GetUpdateModeSwitchMethod();
    if (method != LUpdateEngineInterface::kSwitchResetsItself &&
        method != LUpdateEngineInterface::kSwitchByMidiMessage)
    {
        engine->RescanSelectedDevice();
        return engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode;
    }
    for (unsigned int round = 0; round < mTimings.rounds; ++round)
    {
        mClock->Sleep(mTimings.pause);
        if (SUCCEEDED(engine->RescanSelectedDevice()) &&
            engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode)
        {
            return true;
        }
    }
    return false;
}

bool UpdateCompletion::RunsFileVersion(const Orv::RCPtr<LUpdateEngineInterface>& engine)
{
    LUpdateEngineInterface::VersionInfo file;
    if (!engine->IsFileVersionGiven() || FAILED(engine->GetFileVersion(file)))
    {
        return true;
    }
    LUpdateEngineInterface::VersionInfo device;
    const int selected = engine->GetSelectedIndex();
    if (selected < 0 ||
        FAILED(engine->GetDeviceFirmwareVersion(static_cast<unsigned int>(selected), device)))
    {
        return false;
    }
    return std::equal(std::begin(file.parts), std::end(file.parts), std::begin(device.parts));
}

ORVRESULT UpdateCompletion::Complete(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                     bool succeeded) const
{
    // After a failed download the device is not waited for: it did not reset.
    const bool back = succeeded && engine && AwaitDeviceReset(engine);
    if (engine && engine->GetDeviceState() == LUpdateEngineInterface::kDeviceUpdating)
    {
        // The device never came back from its reset.
        Orv::GetDebugOutput().Narrow()
            << engine->GetLastFailureText().ToNarrow().GetBuffer() << std::endl;
        engine->SetDeviceState(LUpdateEngineInterface::kDeviceFailed);
    }
    const bool took = succeeded && back && RunsFileVersion(engine);
    Orv::RCPtr<IUpdateImageSequence> images;
    if (engine)
    {
        images = engine->GetImageSequence();
    }
    const ORVRESULT sequence = images ? images->ProcessUpdateResult(*engine, took) : S_FALSE;
    if (!took || FAILED(sequence))
    {
        return E_FAIL;
    }
    return sequence;
}
