// What the tests of entering update mode, the two-image sequencer and the update processor share:
// the simulated controller and wheel display with fast timings, the two built-in image files in
// a temporary default folder, and the application's host, sequencer, engine and processor, made
// for each test (or each row of a test) without touching the program's one sequencer.
#pragma once

#include "DualUpdater.h"
#include "EngineTestSupport.h"
#include "Midi/MidiRenderPort.h"
#include "UpdateCompletion.h"
#include "UpdateProcessor.h"
#include "UpdaterHost.h"
#include "notification/NotificationCenterManager.h"

#include <cstdlib>
#include <filesystem>

namespace OrvTest
{
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;

constexpr std::uint16_t kControllerTarget = 0x0031;
constexpr std::uint16_t kWheelDisplayTarget = 0x0050;

// A temporary folder, removed with its files.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = ::testing::TempDir() + "orv_updater_XXXXXX";
        mPath = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(mPath, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return mPath; }
    std::string File(const std::string& name) const { return mPath + "/" + name; }
    // Writes a DfuSe file with the element at the application start.
    void WriteImage(const std::string& name, const std::vector<std::uint8_t>& data) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        const auto bytes = DfuSeFile(kApplicationStart, data);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string mPath;
};

// The simulated bus, the two built-in images in the default folder, and the application's host,
// sequencer, engine and processor; short update-mode and reset waits.
class UpdaterTest : public SimulatedBusTest
{
protected:
    void SetUp() override
    {
        SimulatedBusTest::SetUp();
        modeTimings = LUpdateEngine::UpdateModeTimings();
        // The simulated port always completes a send: a time-out here would only race the
        // machine's load (the time-out itself is tested on the manual clock).
        modeTimings.sendTimeout = INFINITE;
        modeTimings.settle = 20;
        modeTimings.searchInterval = 10;
        modeTimings.searchPeriod = 1500;
        completionTimings = UpdateCompletion::Timings();
        completionTimings.pause = 10;
        completionTimings.rounds = 150;

        controllerImage = OrvPlatform::SimulatedFirmwareImage::Make(kControllerTarget, 20 * 1024);
        wheelDisplayImage =
            OrvPlatform::SimulatedFirmwareImage::Make(kWheelDisplayTarget, 150 * 1024);
        folder.WriteImage("zk71_tp_update_00_31_120936.dfu", controllerImage);
        folder.WriteImage("zk71_wd_update_00_50_3A7CE2CA.dfu", wheelDisplayImage);

        MakeEngineAndProcessor();
    }

    // A new host (with the folder as its default folder), sequencer, engine and processor, with
    // the fixture's timings (on the system clock: the simulated units come and go in real time).
    // The host starts no update until a test registers a way.
    void MakeEngineAndProcessor()
    {
        ReleaseEngineAndProcessor();
        host = UpdaterHost::Create(Orv::WString(folder.Path().c_str()));
        sequencer = LDualUpdater::Create(host);
        engine = new RecordingEngine(modeTimings, Orv::GetSystemClock(),
                                     Orv::RCPtr<IUpdateImageSequence>(sequencer));
        processor = new LUpdateProcessor(Orv::RCPtr<LUpdateEngineInterface>(engine.Get()),
                                         UpdateCompletion(completionTimings));
    }

    // Waits for the engine's task (asked to stop), and drops what MakeEngineAndProcessor made.
    void ReleaseEngineAndProcessor()
    {
        if (engine)
        {
            engine->Abort();
            engine->WaitForTask(INFINITE);
        }
        processor = nullptr;
        engine = nullptr;
        sequencer = nullptr;
        host = nullptr;
    }

    // A fresh start for one row of a table: the bus emptied, nothing left posted, the default
    // timings and the built-in images, and a new host, sequencer, engine and processor.
    void StartRow()
    {
        TearDown();
        SetUp();
    }

    void TearDown() override
    {
        ReleaseEngineAndProcessor();
        // What the engines posted and nobody pumped does not reach the next test.
        Orv::GetApplicationNotificationCenter()->Clear();
        SimulatedBusTest::TearDown();
    }

    static std::shared_ptr<SimulatedUnit> AddController(std::uint16_t version,
                                                        SimulatedMode mode = SimulatedMode::Normal)
    {
        return SimulatedDevices::AddUnit(FastUnit(SimulatedUnitConfig::Controller(version), mode));
    }
    static std::shared_ptr<SimulatedUnit>
    AddWheelDisplay(std::uint16_t version, SimulatedMode mode = SimulatedMode::Normal)
    {
        return SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::WheelDisplay(version), mode));
    }

    // Whether the unit's flash holds the image at the application start, byte for byte.
    static bool FlashHolds(const SimulatedUnit& unit, const std::vector<std::uint8_t>& image)
    {
        return unit.ReadFlash(kApplicationStart, static_cast<std::uint32_t>(image.size())) == image;
    }

    // Whether the unit received anything: the update-mode message or a DFU request.
    static bool WasTouched(const SimulatedUnit& unit)
    {
        return !unit.RequestLog().empty() || !unit.MidiPort()->Received().empty();
    }

    LUpdateEngine::UpdateModeTimings modeTimings;
    UpdateCompletion::Timings completionTimings;
    TempFolder folder;
    std::vector<std::uint8_t> controllerImage;
    std::vector<std::uint8_t> wheelDisplayImage;
    Orv::RCPtr<UpdaterHost> host;
    Orv::RCPtr<LDualUpdater> sequencer;
    Orv::RCPtr<RecordingEngine> engine;
    Orv::RCPtr<LUpdateProcessor> processor;
};
} // namespace OrvTest
