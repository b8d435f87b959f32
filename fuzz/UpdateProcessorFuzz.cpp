// Fuzz target of the updater's command line: LUpdateProcessor::Initialize with the real engine
// over the simulated bus, in one of the bus situations the processor's tests use.
//
// Input: one byte choosing the situation, then the command line as UTF-8. The scratch folder is
// the default folder, with the two built-in images and "custom_V0_32.dfu", "image_V0_00.dfu" and
// "bad.dfu"; "@/" in the line stands for the scratch folder's path and "/", so that an absolute
// path can name them. The simulated units take no time for anything, so whole updates run in a
// few milliseconds.
//
// What must hold: Initialize returns S_OK, the quiet stop or a non-negative result and throws
// nothing; an exit status is 1 to 5 and comes only with the quiet stop; once any update started
// with the window has ended and its completion step has run, the processor is idle; every unit
// is back on the bus.
#include "DualUpdater.h"
#include "FuzzSupport.h"
#include "Midi/MidiRenderPort.h"
#include "UpdateCompletion.h"
#include "UpdateEngine.h"
#include "UpdateProcessor.h"
#include "UpdaterHost.h"
#include "notification/NotificationCenterManager.h"

#include "DfuSeWriter.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"

#include <string>
#include <vector>

namespace
{
using OrvPlatform::Milliseconds;
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedUnitConfig;

constexpr std::uint32_t kApplicationStart = 0x08008000u;
// The versions of the built-in images.
constexpr std::uint16_t kControllerTarget = 0x0031;
constexpr std::uint16_t kWheelDisplayTarget = 0x0050;

enum class Situation
{
    None,
    BothOld,
    BothCurrent,
    OnlyWheelDisplay,
    ControllerInDfuMode,
    WheelDisplayInDfuMode,
    TwoInDfuMode,
    kCount,
};

std::string Narrow(const wchar_t* text)
{
    return Orv::NString(text).GetBuffer();
}

void WriteImage(const OrvTest::ScratchFolder& folder, const std::string& name,
                const std::vector<std::uint8_t>& data)
{
    OrvTools::DfuSeImage image;
    image.address = kApplicationStart;
    image.data = data;
    const auto bytes = OrvTools::DfuSeWriter::Build(image);
    folder.Write(name, bytes.data(), bytes.size());
}

// The scratch folder with the built-in images and three more; made once.
const OrvTest::ScratchFolder& Folder()
{
    static const OrvTest::ScratchFolder folder;
    return folder;
}

void SetUpOnce()
{
    static const bool done = []
    {
        const auto& folder = Folder();
        using OrvPlatform::SimulatedFirmwareImage;
        WriteImage(folder,
                   Narrow(LDualUpdater::GetImageInfo(LDualUpdater::kController).defaultFileName),
                   SimulatedFirmwareImage::Make(kControllerTarget, 2048));
        WriteImage(folder,
                   Narrow(LDualUpdater::GetImageInfo(LDualUpdater::kWheelDisplay).defaultFileName),
                   SimulatedFirmwareImage::Make(kWheelDisplayTarget, 4096 + 100));
        WriteImage(folder, "custom_V0_32.dfu", SimulatedFirmwareImage::Make(0x0032, 1024));
        WriteImage(folder, "image_V0_00.dfu", SimulatedFirmwareImage::Make(0x0032, 1024));
        const std::uint8_t bad[] = "DfuSe, but nothing more";
        folder.Write("bad.dfu", bad, sizeof(bad));
        SimulatedDevices::Activate();
        return true;
    }();
    (void)done;
}

void AddUnit(SimulatedUnitConfig config, SimulatedMode mode)
{
    config.initialMode = mode;
    config.updateModeDelay = Milliseconds(0);
    config.resetDelay = Milliseconds(0);
    config.timings = {Milliseconds(0), Milliseconds(0), Milliseconds(0), Milliseconds(0)};
    SimulatedDevices::AddUnit(config);
}

void Place(Situation situation)
{
    using C = SimulatedUnitConfig;
    constexpr auto kNormal = SimulatedMode::Normal;
    constexpr auto kDfu = SimulatedMode::Bootloader;
    switch (situation)
    {
        case Situation::BothOld:
            AddUnit(C::Controller(0x0030), kNormal);
            AddUnit(C::WheelDisplay(0x0040), kNormal);
            break;
        case Situation::BothCurrent:
            AddUnit(C::Controller(kControllerTarget), kNormal);
            AddUnit(C::WheelDisplay(kWheelDisplayTarget), kNormal);
            break;
        case Situation::OnlyWheelDisplay:
            AddUnit(C::WheelDisplay(0x0040), kNormal);
            break;
        case Situation::ControllerInDfuMode:
            AddUnit(C::Controller(0x0030), kDfu);
            AddUnit(C::WheelDisplay(kWheelDisplayTarget), kNormal);
            break;
        case Situation::WheelDisplayInDfuMode:
            AddUnit(C::Controller(kControllerTarget), kNormal);
            AddUnit(C::WheelDisplay(0x0040), kDfu);
            break;
        case Situation::TwoInDfuMode:
            AddUnit(C::Controller(0x0030), kNormal);
            AddUnit(C::WheelDisplay(0x0040), kDfu);
            AddUnit(C::WheelDisplay(0x0040), kDfu);
            break;
        default:
            break;
    }
}

// Paths into the system's device and process folders could block on open or read; the folder of
// the run has all the files worth naming.
bool NamesSystemFolders(const std::string& line)
{
    for (const char* folder : {"dev/", "proc/", "sys/", "run/"})
    {
        if (line.find(folder) != std::string::npos)
        {
            return true;
        }
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    if (NamesSystemFolders(line))
    {
        return 0;
    }
    SetUpOnce();
    for (std::size_t at = line.find("@/"); at != std::string::npos;
         at = line.find("@/", at + Folder().Path().size() + 1))
    {
        line.replace(at, 2, Folder().Path() + "/");
    }
    SimulatedDevices::Reset();
    Place(static_cast<Situation>(data[0] % static_cast<int>(Situation::kCount)));

    LUpdateEngine::UpdateModeTimings modeTimings;
    modeTimings.sendTimeout = 2000;
    modeTimings.settle = 0;
    modeTimings.searchInterval = 1;
    // The bootloader comes at once or not at all.
    modeTimings.searchPeriod = 50;
    UpdateCompletion::Timings completionTimings;
    completionTimings.pause = 1;
    completionTimings.rounds = 50;
    const UpdateCompletion completion(completionTimings);
    // What the application makes: the host with the scratch folder as its default folder, the
    // sequencer, the engine with the sequencer, and the processor; the window's way to start an
    // update is the processor's.
    Orv::RCPtr<UpdaterHost> host = UpdaterHost::Create(Orv::WString(Folder().Path().c_str()));
    Orv::RCPtr<LDualUpdater> sequencer = LDualUpdater::Create(host);
    Orv::RCPtr<LUpdateEngine> engine = LUpdateEngine::Create(
        modeTimings, Orv::GetSystemClock(), Orv::RCPtr<IUpdateImageSequence>(sequencer));
    Orv::RCPtr<LUpdateProcessor> processor(
        new LUpdateProcessor(Orv::RCPtr<LUpdateEngineInterface>(engine.Get()), completion));
    LUpdateProcessor* const window = processor.Get();
    host->SetStartUpdate([window] { window->StartUpdate(); });

    const ORVRESULT result = processor->Initialize(Orv::WString(line.c_str()));
    const int status = processor->GetExitStatus();
    ORV_FUZZ_CHECK(result == LUpdateProcessor::kQuietStop || result >= 0,
                   "S_OK, the quiet stop or the engine's non-negative result");
    ORV_FUZZ_CHECK(status >= 0 && status <= 5, "an exit status of the list");
    ORV_FUZZ_CHECK(status == 0 || result == LUpdateProcessor::kQuietStop,
                   "an exit status only with the quiet stop");
    // An update started with the window runs on the worker. When it has delivered an image, the
    // window's completion step waits for the device to come back from its reset, which may start
    // the other image's update: at most the two images of the sequence.
    for (int image = 0; image < 2; ++image)
    {
        ORV_FUZZ_CHECK(engine->WaitForTask(INFINITE) == S_OK, "the worker ends");
        if (processor->IsIdle())
        {
            break;
        }
        completion.Complete(Orv::RCPtr<LUpdateEngineInterface>(engine.Get()),
                            engine->GetUpdateResult(false) ==
                                LUpdateEngineInterface::kUpdateCompleted);
    }
    ORV_FUZZ_CHECK(engine->WaitForTask(INFINITE) == S_OK, "the worker ends");
    ORV_FUZZ_CHECK(processor->IsIdle(), "nothing is being written once the completion step ran");
    for (const auto& unit : SimulatedDevices::Units())
    {
        ORV_FUZZ_CHECK(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(0)) ||
                           unit->WaitForMode(SimulatedMode::Bootloader, Milliseconds(0)),
                       "every unit is on the bus");
    }

    engine->Abort();
    engine->WaitForTask(INFINITE);
    host->SetStartUpdate(nullptr);
    processor = nullptr;
    engine = nullptr;
    sequencer = nullptr;
    host = nullptr;
    Orv::GetApplicationNotificationCenter()->Clear();
    SimulatedDevices::Reset();
    return 0;
}
