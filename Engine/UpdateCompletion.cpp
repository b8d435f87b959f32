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

UpdateCompletion::Verdict UpdateCompletion::Judge(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                                  bool downloaded)
{
    if (!downloaded || !engine)
    {
        return Verdict::NotWritten;
    }
    switch (engine->GetDeviceState())
    {
        case LUpdateEngineInterface::kDeviceNormalMode:
            return RunsFileVersion(engine) ? Verdict::Took : Verdict::OtherVersion;
        case LUpdateEngineInterface::kDeviceUpdateMode:
            return Verdict::StillInUpdateMode;
        default:
            return Verdict::NotBack;
    }
}

Orv::WString UpdateCompletion::Describe(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                        Verdict verdict)
{
    switch (verdict)
    {
        case Verdict::OtherVersion:
        {
            Orv::WString device;
            Orv::WString file;
            engine->GetDeviceFirmwareVersionText(device);
            engine->GetFileVersionText(file);
            return Orv::WString(L"The update did not take: the device came back running version ") +
                   device + Orv::WString(L", not the file's version ") + file + Orv::WString(L".");
        }
        case Verdict::StillInUpdateMode:
        case Verdict::NotBack:
            return Orv::WString(L"The update did not take: ") + engine->GetLastFailureText();
        case Verdict::Took:
        case Verdict::NotWritten:
            break;
    }
    return Orv::WString();
}

ORVRESULT UpdateCompletion::Complete(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                     bool succeeded) const
{
    if (!engine)
    {
        return E_FAIL;
    }
    // After a failed download the device is not waited for: it did not reset.
    if (succeeded)
    {
        AwaitDeviceReset(engine);
        engine->EndResetWait();
    }
    const Verdict verdict = Judge(engine, succeeded);
    const Orv::WString text = Describe(engine, verdict);
    if (!text.IsEmpty())
    {
        Orv::GetDebugOutput().Narrow() << text.ToNarrow().GetBuffer() << std::endl;
    }
    const bool took = verdict == Verdict::Took;
    const Orv::RCPtr<IUpdateImageSequence> images = engine->GetImageSequence();
    const ORVRESULT sequence = images ? images->ProcessUpdateResult(*engine, took) : S_FALSE;
    if (!took || FAILED(sequence))
    {
        return E_FAIL;
    }
    return sequence;
}
