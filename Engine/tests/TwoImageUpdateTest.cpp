// The whole update road with the simulated controller and wheel display: the processor's silent
// run switches each part into update mode by MIDI, writes its image, waits for its reset and goes
// on to the other part; and the same road driven by notifications, as the main window drives it.
#include "UpdaterTestSupport.h"

#include "NotificationPump.h"
#include "UpdateNotificationData.h"
#include "notification/NotificationClient.h"

#include <optional>

using namespace OrvTest;
using Orv::WString;

namespace
{
const std::vector<std::uint8_t> kUpdateModeMessage{0xF0, 0x7D, 0x00, 0x00, 0x01,
                                                   0x10, 0x72, 0x00, 0x00, 0xF7};

// The order in which the units received the update-mode message and their first DFU request.
class WriteOrder
{
public:
    static bool ReceivedUpdateMessage(const SimulatedUnit& unit)
    {
        const auto received = unit.MidiPort()->Received();
        return received == std::vector<std::vector<std::uint8_t>>{kUpdateModeMessage};
    }
};
} // namespace

class TwoImageUpdateTest : public UpdaterTest
{
};

TEST_F(TwoImageUpdateTest, ASilentRunWritesTheControllerThenTheWheelDisplay)
{
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040);

    EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), 0);

    // Both parts were switched by their own message, written, and are back with the target.
    EXPECT_TRUE(WriteOrder::ReceivedUpdateMessage(*controller));
    EXPECT_TRUE(WriteOrder::ReceivedUpdateMessage(*wheel));
    EXPECT_EQ(controller->Mode(), SimulatedMode::Normal);
    EXPECT_EQ(wheel->Mode(), SimulatedMode::Normal);
    EXPECT_EQ(controller->FirmwareVersion(), kControllerTarget);
    EXPECT_EQ(wheel->FirmwareVersion(), kWheelDisplayTarget);
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_TRUE(FlashHolds(*wheel, wheelDisplayImage));

    // The controller first: its download completed before the wheel display's began.
    const auto completions = engine->GetCompletions();
    EXPECT_EQ(completions, (std::vector<bool>{true, true}));
    // Each part's erases were those of its own sector table: the controller's image ends in its
    // second sector, the wheel display's reaches into the fourth of its table.
    const auto controllerRequests = Requests(*controller);
    const auto wheelRequests = Requests(*wheel);
    EXPECT_EQ(CountPrefix(controllerRequests, 'E'), 2u);
    EXPECT_EQ(CountPrefix(wheelRequests, 'E'), 4u);
    EXPECT_EQ(CountPrefix(controllerRequests, 'D'), 10u);
    EXPECT_EQ(CountPrefix(wheelRequests, 'D'), 75u);

    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kWheelDisplay);
    EXPECT_TRUE(sequencer->IsDone(LDualUpdater::kController));
    EXPECT_TRUE(sequencer->IsDone(LDualUpdater::kWheelDisplay));
    EXPECT_FALSE(sequencer->IsRestartPending());
    EXPECT_TRUE(processor->IsIdle());
}

TEST_F(TwoImageUpdateTest, OnlyThePartThatIsNotCurrentIsWritten)
{
    {
        auto controller = AddController(kControllerTarget);
        auto wheel = AddWheelDisplay(0x0040);
        EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
        EXPECT_EQ(processor->GetExitStatus(), 0);
        EXPECT_FALSE(WasTouched(*controller));
        EXPECT_TRUE(FlashHolds(*wheel, wheelDisplayImage));
        EXPECT_EQ(wheel->FirmwareVersion(), kWheelDisplayTarget);
        EXPECT_EQ(engine->GetCompletions().size(), 1u);
    }
    StartRow();
    {
        auto controller = AddController(0x0029);
        auto wheel = AddWheelDisplay(kWheelDisplayTarget);
        EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
        EXPECT_EQ(processor->GetExitStatus(), 0);
        EXPECT_FALSE(WasTouched(*wheel));
        EXPECT_TRUE(FlashHolds(*controller, controllerImage));
        EXPECT_EQ(controller->FirmwareVersion(), kControllerTarget);
        EXPECT_EQ(engine->GetCompletions().size(), 1u);
    }
}

TEST_F(TwoImageUpdateTest, AWheelDisplayLeftInDfuModeIsWrittenFirstThenTheController)
{
    // An earlier run failed while writing the wheel display: it is still in its bootloader.
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040, SimulatedMode::Bootloader);

    EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), 0);

    // No message for the wheel display: it was in update mode already.
    EXPECT_TRUE(wheel->MidiPort()->Received().empty());
    EXPECT_TRUE(WriteOrder::ReceivedUpdateMessage(*controller));
    EXPECT_TRUE(FlashHolds(*wheel, wheelDisplayImage));
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_EQ(wheel->FirmwareVersion(), kWheelDisplayTarget);
    EXPECT_EQ(controller->FirmwareVersion(), kControllerTarget);
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kController);
}

TEST_F(TwoImageUpdateTest, AFailedSecondImageEndsTheSilentRunWithStatus1)
{
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040);
    OrvPlatform::SimulatedFaultRule stall;
    stall.step = SimulatedStep::DataRequest;
    stall.fault = OrvPlatform::SimulatedFault::Stall;
    stall.occurrence = 3;
    wheel->AddFault(stall);

    EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), LUpdateProcessor::kStatusSilentUpdateFailed);
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_EQ(engine->GetCompletions(), (std::vector<bool>{true, false}));
    // The next run resumes with the wheel display, which waits in its bootloader.
    EXPECT_EQ(wheel->Mode(), SimulatedMode::Bootloader);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
}

// An update that does not take fails the silent run (exit status 1) whether the sequence runs or
// the command line fixes the image: the device stays in DFU mode, never comes back, or comes back
// running another version than the image's. Nothing goes on to the wheel display.
TEST_F(TwoImageUpdateTest, AnUpdateThatDoesNotTakeFailsTheSilentRun)
{
    struct Case
    {
        const char* name;
        std::optional<SimulatedStep> step;
        OrvPlatform::SimulatedFault fault;
        bool otherVersion;
    };
    const Case cases[] = {
        {"the leave request fails", SimulatedStep::LeaveRequest, OrvPlatform::SimulatedFault::Fail,
         false},
        {"it does not come back", SimulatedStep::ReturnToNormal,
         OrvPlatform::SimulatedFault::Vanish, false},
        {"it comes back in DFU mode", SimulatedStep::ReturnToNormal,
         OrvPlatform::SimulatedFault::Fail, false},
        {"its image holds another version", std::nullopt, OrvPlatform::SimulatedFault::Fail, true},
    };
    for (const char* line : {"-SILENT", "-SILENT -DEVICE_PID=32784"})
    {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(std::string(line) + ": " + c.name);
            StartRow();
            // Long enough for a unit that comes back (10 ms after manifesting).
            completionTimings.pause = 10;
            completionTimings.rounds = 10;
            MakeEngineAndProcessor();
            auto controller = AddController(0x0030);
            auto wheel = AddWheelDisplay(0x0040);
            if (c.step)
            {
                OrvPlatform::SimulatedFaultRule rule;
                rule.step = *c.step;
                rule.fault = c.fault;
                controller->AddFault(rule);
            }
            if (c.otherVersion)
            {
                folder.WriteImage("zk71_tp_update_00_31_120936.dfu",
                                  OrvPlatform::SimulatedFirmwareImage::Make(0x0030, 20 * 1024));
            }
            EXPECT_EQ(processor->Initialize(WString(line)), LUpdateProcessor::kQuietStop);
            EXPECT_EQ(processor->GetExitStatus(), LUpdateProcessor::kStatusSilentUpdateFailed);
            EXPECT_FALSE(WasTouched(*wheel));
            EXPECT_NE(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceUpdating);
            EXPECT_TRUE(processor->IsIdle());
        }
    }
}

TEST_F(TwoImageUpdateTest, ASwitchThatNeverShowsTheBootloaderFailsTheSilentRun)
{
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040);
    OrvPlatform::SimulatedFaultRule ignore;
    ignore.step = SimulatedStep::UpdateMessage;
    ignore.fault = OrvPlatform::SimulatedFault::Fail;
    controller->AddFault(ignore);
    modeTimings.searchPeriod = 100;
    MakeEngineAndProcessor();

    EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), 1);
    EXPECT_TRUE(engine->GetCompletions().empty());
    EXPECT_EQ(controller->FirmwareVersion(), 0x0030);
    EXPECT_FALSE(WasTouched(*wheel));
}

TEST_F(TwoImageUpdateTest, NotificationsDriveTheSequenceAsTheMainWindowDoes)
{
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040);

    // What the main window does with "NID_FIRMWARE_UPDATE_COMPLETED" on its thread.
    class CompletionHandler : public Orv::LNotificationClient
    {
    public:
        CompletionHandler(Orv::RCPtr<LUpdateEngineInterface> engine,
                          const UpdateCompletion::Timings& timings)
            : mEngine(std::move(engine))
            , mCompletion(timings)
        {
        }
        Orv::ORVRESULT
        ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>&,
                            const Orv::RCPtr<Orv::LNotification>& notification) override
        {
            const auto* data = dynamic_cast<const Orv::LFirmwareUpdateCompletedNotificationData*>(
                notification->param.Get());
            results.push_back(mCompletion.Complete(mEngine, data != nullptr && data->GetSuccess()));
            return S_OK;
        }
        std::vector<Orv::ORVRESULT> results;

    private:
        Orv::RCPtr<LUpdateEngineInterface> mEngine;
        UpdateCompletion mCompletion;
    };
    Orv::RCPtr<CompletionHandler> handler(
        new CompletionHandler(Orv::RCPtr<LUpdateEngineInterface>(engine.Get()), completionTimings));
    handler->RegisterNotification(
        Orv::RCPtr<Orv::LNotificationDistributor>(Orv::GetApplicationNotificationCenter().Get()),
        LUpdateEngineInterface::kFirmwareUpdateCompleted);
    // The main window's way to start an update, which the sequencer takes for the next image.
    host->SetStartUpdate([this] { processor->StartUpdate(); });

    // The window is shown and the update starts by itself.
    EXPECT_EQ(processor->Initialize(WString(L"-START_UPDATE_AUTOMATICALLY")), S_OK);
    const int started = engine->GetUpdateResult(false);
    EXPECT_TRUE(started == LUpdateEngineInterface::kUpdateInProgress ||
                started == LUpdateEngineInterface::kUpdateCompleted);
    ASSERT_TRUE(PumpUntil([&] { return handler->results.size() == 2; }))
        << handler->results.size() << " " << engine->GetDeviceState() << " "
        << engine->GetCompletions().size();
    EXPECT_EQ(handler->results, (std::vector<Orv::ORVRESULT>{S_OK, S_OK}));
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    EXPECT_TRUE(FlashHolds(*wheel, wheelDisplayImage));
    EXPECT_EQ(processor->GetExitStatus(), 0);
    handler->UnregisterAllNotifications();
    while (PumpNotifications())
    {
    }
}
