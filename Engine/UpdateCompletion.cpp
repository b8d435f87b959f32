#include "UpdateCompletion.h"

#include "DualUpdater.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace
{
std::atomic<DWORD> gPause{500};
std::atomic<unsigned int> gRounds{20};
} // namespace

void UpdateCompletion::SetTimings(const Timings& timings)
{
    gPause.store(timings.pause);
    gRounds.store(timings.rounds);
}

UpdateCompletion::Timings UpdateCompletion::GetTimings()
{
    Timings timings;
    timings.pause = gPause.load();
    timings.rounds = gRounds.load();
    return timings;
}

bool UpdateCompletion::AwaitDeviceReset(const Orv::RCPtr<LUpdateEngineInterface>& engine)
{
    const int method = engine->GetUpdateModeSwitchMethod();
    if (method != LUpdateEngineInterface::kSwitchResetsItself &&
        method != LUpdateEngineInterface::kSwitchByMidiMessage)
    {
        engine->RescanSelectedDevice();
        return engine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode;
    }
    const Timings timings = GetTimings();
    for (unsigned int round = 0; round < timings.rounds; ++round)
    {
        Sleep(timings.pause);
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
                                     bool succeeded)
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
    const ORVRESULT sequence = LDualUpdater::ProcessUpdateResult(took);
    if (!took || FAILED(sequence))
    {
        return E_FAIL;
    }
    return sequence;
}
