// The main window driving the update engine against the simulated controller and wheel display
// in this process: a click on UPDATE FIRMWARE writes both images with the progress bar moving, the
// window waits for each reset on the application's clock, and the verdict the two-image
// sequencer is given says whether the device came back in normal mode running the image.
#include "MainControlFixture.h"

#include <fstream>

namespace
{
using namespace OrvTest;
using Engine = LUpdateEngineInterface;
using Orv::WString;
using std::chrono::milliseconds;

// Stands between the engine and the program's sequencer: hands everything on and notes the
// verdicts it is given.
class VerdictRecorder : public IUpdateImageSequence
{
public:
    explicit VerdictRecorder(const Orv::RCPtr<LDualUpdater>& sequencer)
        : mSequencer(sequencer)
    {
    }
    ORVRESULT OnRescan(LUpdateEngineInterface& engine) override
    {
        return mSequencer->OnRescan(engine);
    }
    ORVRESULT ProcessUpdateResult(LUpdateEngineInterface& engine, bool succeeded) override
    {
        verdicts.push_back(succeeded);
        return mSequencer->ProcessUpdateResult(engine, succeeded);
    }
    WString GetDeviceName(unsigned int index) const override
    {
        return mSequencer->GetDeviceName(index);
    }
    unsigned int GetSectorCount() const override { return mSequencer->GetSectorCount(); }
    bool LookupSector(unsigned int index, std::uint32_t& address) const override
    {
        return mSequencer->LookupSector(index, address);
    }
    WString ToString() const override { return WString(L"VerdictRecorder"); }

    std::vector<bool> verdicts;

private:
    Orv::RCPtr<LDualUpdater> mSequencer;
};

class MainControlUpdateTest : public MainControlFixture
{
protected:
    // The program's sequencer and an engine whose sequence records the verdicts.
    void OpenRecordedWindow()
    {
        host = UpdaterHost::Create(WString(folder.Path().c_str()));
        LDualUpdater::CreateInstance(host);
        recorder = new VerdictRecorder(LDualUpdater::GetInstance());
        LUpdateEngine::UpdateModeTimings timings;
        timings.settle = 20;
        timings.searchInterval = 10;
        timings.searchPeriod = 3000;
        OpenWindow(Orv::RCPtr<Engine>(
            LUpdateEngine::Create(timings, Orv::GetSystemClock(),
                                  Orv::RCPtr<IUpdateImageSequence>(recorder.Get()))
                .Get()));
    }

    // Idle passes until the completion has handed its verdict on (count verdicts in all).
    bool UntilVerdicts(std::size_t count)
    {
        return IdleUntil([&] { return recorder->verdicts.size() >= count; });
    }

    bool FlashHolds(const SimulatedUnit& unit, const std::vector<std::uint8_t>& image) const
    {
        return unit.ReadFlash(kApplicationStart, static_cast<std::uint32_t>(image.size())) == image;
    }

    Orv::RCPtr<VerdictRecorder> recorder;
};

TEST_F(MainControlUpdateTest, UpdateFirmwareClickWritesBothImagesThroughTheWindow)
{
    WriteBuiltInImages();
    // Both come back from their resets only when the test plugs them in.
    const auto controller =
        AddUnit(SimulatedUnitConfig::Controller(0x0020), milliseconds(10), milliseconds(60000));
    const auto wheelDisplay =
        AddUnit(SimulatedUnitConfig::WheelDisplay(0x0040), milliseconds(10), milliseconds(60000));
    OpenRecordedWindow();
    ASSERT_TRUE(IdleUntil([&] { return Shown(L"buttonUpdateFirmware"); }));
    EXPECT_EQ(Text(L"labelUpdateProcessInformation"),
              TableText(L"labelUpdateProcessInformation", L"LABEL_READY_FOR_UPDATE"));
    EXPECT_EQ(Text(L"labelDeviceFirmwareVersion"),
              "Current Controller Firmware Version: 00.20\nCurrent Display Firmware Version: "
              "00.40");
    EXPECT_EQ(Text(L"labelFileFirmwareVersion"),
              "Updating to Controller Firmware Version: 00.31\nUpdating to Display Firmware "
              "Version: 00.50");
    EXPECT_TRUE(Shown(L"labelSimulatedDevices"));
    const std::vector<std::uint32_t> atRest = Screenshot("main-control-at-rest.png");

    // Each reset wait: the unit that was written is plugged back in before the first round ends.
    ClockDriver driver(clock);
    std::atomic<int> resets{0};
    driver.SetHook(
        [&](int)
        {
            for (const auto& unit : {controller, wheelDisplay})
            {
                if (unit->Mode() == SimulatedMode::OffBus)
                {
                    ++resets;
                    unit->Plug(SimulatedMode::Normal);
                }
            }
        });

    // Every value the progress bar takes, as it takes it.
    std::vector<double> fractions;
    const Orv::RCPtr<Orv::LControl> bar = Child(L"progressBar");
    const Orv::RCPtr<CountingClient> values(new CountingClient());
    values->onReceive = [&](const std::wstring&) { fractions.push_back(bar->GetValue()); };
    values->RegisterNotification(Orv::RCPtr<Orv::LNotificationDistributor>(bar.Get()),
                                 L"NID_VALUE_CHANGE", 0);
    std::vector<std::uint32_t> during;
    std::string duringLabel;
    ClickOn(L"buttonUpdateFirmware");
    ASSERT_TRUE(IdleUntil(
        [&]
        {
            if (during.empty() && bar->IsVisible(true) && bar->GetValue() > 0.2)
            {
                during = Screenshot("main-control-during-update.png");
                duringLabel = Text(L"labelFileFirmwareVersion");
            }
            return !recorder->verdicts.empty();
        }));
    ASSERT_TRUE(UntilVerdicts(2));
    ASSERT_TRUE(IdleUntil([&] { return Shown(L"buttonExit"); }));
    IdlePass();
    const std::vector<std::uint32_t> after = Screenshot("main-control-after-update.png");

    // Both images written, each verdict a success, each after one reset wait.
    EXPECT_EQ(recorder->verdicts, (std::vector<bool>{true, true}));
    EXPECT_EQ(resets.load(), 2);
    EXPECT_EQ(controller->FirmwareVersion(), kControllerTarget);
    EXPECT_EQ(wheelDisplay->FirmwareVersion(), kWheelDisplayTarget);
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_TRUE(FlashHolds(*wheelDisplay, wheelDisplayImage));
    EXPECT_EQ(Text(L"labelUpdateProcessInformation"),
              TableText(L"labelUpdateProcessInformation", L"LABEL_UPDATE_SUCCEEDED"));
    EXPECT_FALSE(Shown(L"buttonReinitialize"));
    EXPECT_FALSE(mainControl->IsUpdateRunning());

    values->UnregisterAllNotifications();
    // The progress bar moved up through each download.
    ASSERT_FALSE(fractions.empty());
    double highest = 0;
    int rises = 0;
    for (double fraction : fractions)
    {
        rises += fraction > highest ? 1 : 0;
        highest = std::max(highest, fraction);
    }
    EXPECT_GT(rises, 5);
    EXPECT_GT(highest, 0.9);

    // At rest: the update button at its place, with the focus (the first in the tab order), and
    // the background around; during the update the bar's filled part (green) at the left and the
    // trough (dark) at the right; after, the update button gone and the exit button, which took
    // the focus, shown.
    EXPECT_EQ(At(atRest, 30, 258), 0x3A89DCu);
    EXPECT_EQ(At(atRest, 400, 250), 0x202A36u);
    ASSERT_FALSE(during.empty());
    // While the controller is written, the sequencer's label names it.
    EXPECT_EQ(duringLabel, "Updating Controller Firmware");
    EXPECT_EQ(At(during, 22, 232), 0x35B45Au);
    EXPECT_EQ(At(during, 458, 232), 0x141B24u);
    EXPECT_EQ(At(after, 30, 258), 0x202A36u);
    EXPECT_EQ(At(after, 402, 258), 0x3A89DCu);
}

struct CompletionRow
{
    const char* name;
    // The controller image's data is stamped with this version.
    std::uint16_t stamp;
    // The round of the wait in which the controller is plugged back in; 0: never.
    int backInRound;
    // The download fails.
    bool downloadFails;
    bool verdict;
    // The wait's length on the application's clock.
    DWORD waited;
    const wchar_t* label;
};

TEST_F(MainControlUpdateTest, CompletionWaitsForTheResetAndJudgesTheUpdate)
{
    const CompletionRow rows[] = {
        {"back with the image's version after three rounds", kControllerTarget, 3, false, true,
         1500, L"LABEL_UPDATE_SUCCEEDED"},
        {"back with another version", 0x0030, 2, false, false, 1000,
         L"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"},
        {"not back within the wait", kControllerTarget, 0, false, false, 10000,
         L"LABEL_UPDATE_SUCESS_UNKNOWN"},
        {"the download failed", kControllerTarget, 0, true, false, 0, nullptr},
    };
    for (const CompletionRow& row : rows)
    {
        SCOPED_TRACE(row.name);
        SimulatedDevices::Reset();
        WriteBuiltInImages(row.stamp);
        // The wheel display is up to date: the controller is the only image.
        const auto controller =
            AddUnit(SimulatedUnitConfig::Controller(0x0020), milliseconds(10), milliseconds(60000));
        AddUnit(SimulatedUnitConfig::WheelDisplay(kWheelDisplayTarget), milliseconds(10),
                milliseconds(60000));
        if (row.downloadFails)
        {
            OrvPlatform::SimulatedFaultRule fault;
            fault.step = OrvPlatform::SimulatedStep::DataRequest;
            fault.fault = OrvPlatform::SimulatedFault::Stall;
            fault.occurrence = 3;
            controller->AddFault(fault);
        }
        OpenRecordedWindow();
        ASSERT_TRUE(IdleUntil([&] { return Shown(L"buttonUpdateFirmware"); }));

        ClockDriver driver(clock);
        driver.SetHook(
            [&](int round)
            {
                if (round == row.backInRound)
                {
                    controller->Plug(SimulatedMode::Normal);
                }
            });
        ClickOn(L"buttonUpdateFirmware");
        const DWORD start = clock->GetMilliseconds();
        ASSERT_TRUE(UntilVerdicts(1));
        const DWORD waited = clock->GetMilliseconds() - start;
        IdlePass();

        EXPECT_EQ(recorder->verdicts, std::vector<bool>{row.verdict});
        EXPECT_EQ(waited, row.waited);
        EXPECT_FALSE(mainControl->IsUpdateRunning());
        if (row.label != nullptr)
        {
            EXPECT_EQ(Text(L"labelUpdateProcessInformation"),
                      TableText(L"labelUpdateProcessInformation", row.label));
        }
        else
        {
            // A failed download: the failed column.
            EXPECT_TRUE(Shown(L"labelDeviceCannotUpdateError"));
            EXPECT_TRUE(Shown(L"buttonReinitialize"));
            EXPECT_FALSE(Shown(L"labelUpdateProcessInformation"));
        }
        // The window may end: no update is being written any more.
        EXPECT_TRUE(application->MayExit());
        CloseWindow();
    }
}

TEST_F(MainControlUpdateTest, AbortStopsOnlyAnUpdateThatRunsAndTryAgainStartsOver)
{
    WriteBuiltInImages();
    const auto controller =
        AddUnit(SimulatedUnitConfig::Controller(0x0020), milliseconds(10), milliseconds(10));
    AddUnit(SimulatedUnitConfig::WheelDisplay(kWheelDisplayTarget), milliseconds(10),
            milliseconds(10));
    OpenRecordedWindow();
    ASSERT_TRUE(IdleUntil([&] { return Shown(L"buttonUpdateFirmware"); }));

    // Before an update, ABORT changes nothing.
    ClickOn(L"buttonAbort");
    IdlePass();
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    EXPECT_TRUE(controller->RequestLog().empty());
    EXPECT_TRUE(controller->MidiPort()->Received().empty());

    // Programming slowly, the download is still running when ABORT is clicked.
    OrvPlatform::SimulatedFaultRule slow;
    slow.step = OrvPlatform::SimulatedStep::ProgramOperation;
    slow.fault = OrvPlatform::SimulatedFault::Slow;
    slow.occurrence = 0;
    slow.delay = OrvPlatform::Milliseconds(100);
    controller->AddFault(slow);
    ClickOn(L"buttonUpdateFirmware");
    ASSERT_TRUE(IdleUntil([&] { return Shown(L"progressBar"); }));
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdating);
    ClickOn(L"buttonAbort");
    ASSERT_TRUE(UntilVerdicts(1));
    IdlePass();
    EXPECT_EQ(recorder->verdicts, std::vector<bool>{false});
    EXPECT_EQ(Text(L"labelUpdateProcessInformation"),
              TableText(L"labelUpdateProcessInformation", L"LABEL_UPDATE_ABORTED"));
    EXPECT_TRUE(Shown(L"buttonReinitialize"));
    EXPECT_FALSE(Shown(L"buttonAbort"));

    // TRY AGAIN runs the command line again and rescans: the window is ready for the update
    // again, which now writes the image.
    controller->ClearFaults();
    ClickOn(L"buttonReinitialize");
    ASSERT_TRUE(IdleUntil([&] { return Shown(L"buttonUpdateFirmware"); }));
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateReady);
    // The reset wait's first round ends once the controller is back from its (short) reset.
    ClockDriver driver(clock);
    driver.SetHook(
        [&](int)
        { controller->WaitForMode(SimulatedMode::Normal, OrvPlatform::Milliseconds(5000)); });
    ClickOn(L"buttonUpdateFirmware");
    ASSERT_TRUE(UntilVerdicts(2));
    IdlePass();
    EXPECT_EQ(recorder->verdicts, (std::vector<bool>{false, true}));
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_EQ(Text(L"labelUpdateProcessInformation"),
              TableText(L"labelUpdateProcessInformation", L"LABEL_UPDATE_SUCCEEDED"));
}

// The program's skin with the scan button taken out, in the test's folder.
std::string SkinWithoutScanButton(const TempFolder& folder)
{
    std::string skin = ReadFile(std::string(ORV_UPDATER_RESOURCES) + "/Skins.xml");
    const std::size_t name = skin.find("Name=\"buttonScanForDevice\"");
    const std::size_t start = skin.rfind("<SubControl", name);
    const std::size_t end = skin.find("</SubControl>", name);
    EXPECT_NE(name, std::string::npos);
    skin.erase(start, end + std::string("</SubControl>").size() - start);
    const std::string path = folder.Path() + "/NoScanButton.xml";
    std::ofstream(path) << skin;
    return path;
}

TEST_F(MainControlUpdateTest, WithoutAScanButtonTheWindowScansByItself)
{
    struct Case
    {
        const char* name;
        bool withScanButton;
        int deviceStateAfter;
    };
    const Case cases[] = {
        {"the skin's scan button: the user scans", true, Engine::kDeviceNotFound},
        {"no scan button: a scan from the idle pass", false, Engine::kDeviceNormalMode},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        WriteBuiltInImages();
        OpenWindow(nullptr, L"updater",
                   c.withScanButton ? std::string() : SkinWithoutScanButton(folder));
        EXPECT_EQ(Child(L"buttonScanForDevice") != nullptr, c.withScanButton);
        ASSERT_EQ(engine->GetDeviceState(), Engine::kDeviceNotFound);
        // The units are plugged in after the start: only a scan finds them.
        AddUnit(SimulatedUnitConfig::Controller(0x0020), milliseconds(10), milliseconds(10));
        AddUnit(SimulatedUnitConfig::WheelDisplay(0x0040), milliseconds(10), milliseconds(10));
        for (int pass = 0; pass < 3; ++pass)
        {
            IdlePass();
        }
        EXPECT_EQ(engine->GetDeviceState(), c.deviceStateAfter);
        EXPECT_EQ(mainControl->GetIdleRequestCount(), 0);
        if (c.withScanButton)
        {
            ClickOn(L"buttonScanForDevice");
            IdlePass();
            EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
        }
        EXPECT_TRUE(Shown(L"buttonUpdateFirmware"));
        CloseWindow();
    }
}
} // namespace
