#include "UpdateCompletion.h"

#include "DualUpdater.h"

#include <atomic>

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
    if (method != 1 && method != 4)
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

ORVRESULT UpdateCompletion::Complete(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                     bool succeeded)
{
    const bool back = engine && AwaitDeviceReset(engine);
    const ORVRESULT sequence = LDualUpdater::ProcessUpdateResult(succeeded);
    if (!succeeded || !back || FAILED(sequence))
    {
        return E_FAIL;
    }
    return sequence;
}
