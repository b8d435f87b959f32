// Switching the selected device into its bootloader by the update-mode message.
#include "ManualClock.h"
#include "UpdaterTestSupport.h"

#include <future>

using namespace OrvTest;
using Orv::WString;
using State = std::pair<int, int>;

namespace
{
const std::vector<std::uint8_t> kUpdateModeMessage{0xF0, 0x7D, 0x00, 0x00, 0x01,
                                                   0x10, 0x72, 0x00, 0x00, 0xF7};
} // namespace

class EnterUpdateModeTest : public SimulatedBusTest
{
protected:
    void SetUp() override
    {
        SimulatedBusTest::SetUp();
        sequence->name = WString(L"Halvex DJ Brelune VANTA");
        // The bootloader is on the bus as soon as the message is in: every wait of the engine
        // is then the engine's own, on the test's clock.
        auto config = FastUnit(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Normal);
        config.updateModeDelay = Milliseconds(0);
        controller = SimulatedDevices::AddUnit(config);
        wheel = SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::WheelDisplay(0x0040), SimulatedMode::Normal));
        // The timings as specified, but for the send: the simulated port plays the block on a
        // thread of its own, so its wait must not be one that the test's clock ends.
        LUpdateEngine::UpdateModeTimings timings;
        timings.sendTimeout = INFINITE;
        MakeEngine(timings);
    }
    void MakeEngine(const LUpdateEngine::UpdateModeTimings& timings)
    {
        engine = new RecordingEngine(timings, Orv::RCPtr<Orv::LClock>(clock.Get()),
                                     Orv::RCPtr<IUpdateImageSequence>(sequence));
    }
    void TearDown() override
    {
        engine = nullptr;
        Orv::GetApplicationNotificationCenter()->Clear();
        SimulatedBusTest::TearDown();
    }

    // The controller defined and found in normal mode.
    void SelectController()
    {
        engine->SetDeviceDefinitions(Definitions({MakeDefinition(0x8010)}));
        ASSERT_EQ(engine->Rescan(), S_OK);
        ASSERT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceNormalMode);
        engine->ClearRecords();
    }

    unsigned int FailureReason()
    {
        unsigned int reason = 0;
        engine->GetSelectedFailureReason(reason);
        return reason;
    }

    // Runs StartEnterUpdateMode on a thread of its own and moves the clock to each deadline of
    // its waits until it returns.
    ORVRESULT EnterWhileTheClockRuns()
    {
        auto switching =
            std::async(std::launch::async, [&] { return engine->StartEnterUpdateMode(); });
        return DriveToTheEnd(switching);
    }
    ORVRESULT DriveToTheEnd(std::future<ORVRESULT>& switching)
    {
        while (switching.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        {
            clock->AdvanceToNextDeadline();
        }
        return switching.get();
    }

    Orv::RCPtr<LManualClock> clock{new LManualClock()};
    // The engine's sequence; the device name it gives is read when the definitions are set.
    Orv::RCPtr<TestSequence> sequence{new TestSequence()};
    std::shared_ptr<SimulatedUnit> controller;
    std::shared_ptr<SimulatedUnit> wheel;
    Orv::RCPtr<RecordingEngine> engine;
};

TEST_F(EnterUpdateModeTest, TheMessageGoesToTheDevicesPortAndTheBootloaderIsFound)
{
    SelectController();
    EXPECT_EQ(EnterWhileTheClockRuns(), S_OK);
    // Found at the first search, after the 1000 ms pause.
    EXPECT_EQ(clock->GetMilliseconds(), 1000u);

    EXPECT_EQ(controller->MidiPort()->Received(),
              std::vector<std::vector<std::uint8_t>>{kUpdateModeMessage});
    EXPECT_TRUE(wheel->MidiPort()->Received().empty());
    EXPECT_EQ(engine->GetDeviceStates(), (std::vector<State>{{6, 5}, {7, 6}}));
    EXPECT_TRUE(engine->IsBootloader(0));
    LUpdateEngine::DeviceDefinitionEx record;
    ASSERT_TRUE(engine->GetFoundDevice(0, record));
    EXPECT_FALSE(record.bootloaderPath.IsEmpty());
    EXPECT_EQ(controller->Mode(), SimulatedMode::Bootloader);

    // In update mode already: nothing is sent again.
    EXPECT_EQ(engine->StartEnterUpdateMode(), S_FALSE);
    EXPECT_EQ(controller->MidiPort()->Received().size(), 1u);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceUpdateMode);
}

TEST_F(EnterUpdateModeTest, StatesOtherThanNormalModeAreRefused)
{
    EXPECT_EQ(engine->StartEnterUpdateMode(), E_FAIL);
    engine->SetDeviceDefinitions(Definitions({MakeDefinition(0x1234)}));
    engine->Rescan();
    ASSERT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceNotFound);
    engine->ClearRecords();
    EXPECT_EQ(engine->StartEnterUpdateMode(), E_FAIL);
    EXPECT_TRUE(engine->GetDeviceStates().empty());
    EXPECT_TRUE(controller->MidiPort()->Received().empty());
}

TEST_F(EnterUpdateModeTest, ANameThatTwoPortsContainOpensNoneAndTheDeviceFails)
{
    sequence->name = WString(L"DJ Brelune VANTA");
    SelectController();
    EXPECT_EQ(engine->StartEnterUpdateMode(), E_INVALIDARG);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kFailureDevice);
    EXPECT_EQ(engine->GetUpdateResult(false), LUpdateEngineInterface::kUpdateReady);
    EXPECT_TRUE(controller->MidiPort()->Received().empty());
    EXPECT_TRUE(wheel->MidiPort()->Received().empty());
    EXPECT_EQ(controller->Mode(), SimulatedMode::Normal);
    EXPECT_EQ(engine->GetLastFailureText(),
              WString(L"Device failure: entering update mode: the MIDI output port \"DJ Brelune "
                      L"VANTA\" is ambiguous: the names of several ports contain it"));
}

// A port that does not open is a failure with its cause; nothing is sent.
TEST_F(EnterUpdateModeTest, APortThatDoesNotOpenIsAFailureWithItsCause)
{
    sequence->name = WString(L"No Such Port");
    SelectController();
    EXPECT_EQ(engine->StartEnterUpdateMode(), E_FAIL);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kFailureDevice);
    EXPECT_EQ(engine->GetLastFailureText(),
              WString(L"Device failure: entering update mode: the MIDI output port \"No Such "
                      L"Port\" could not be opened: no port of that name opens"));
    EXPECT_TRUE(controller->MidiPort()->Received().empty());
}

TEST_F(EnterUpdateModeTest, ABootloaderThatNeverAppearsFailsAfterTheSearchPeriod)
{
    OrvPlatform::SimulatedFaultRule ignore;
    ignore.step = SimulatedStep::UpdateMessage;
    ignore.fault = OrvPlatform::SimulatedFault::Fail;
    controller->AddFault(ignore);
    SelectController();
    EXPECT_EQ(EnterWhileTheClockRuns(), E_FAIL);
    // The pause, then 20 searches 500 ms apart.
    EXPECT_EQ(clock->GetMilliseconds(), 1000u + 20u * 500u);
    EXPECT_EQ(controller->MidiPort()->Received().size(), 1u);
    EXPECT_EQ(engine->GetDeviceStates(), (std::vector<State>{{6, 5}, {4, 6}}));
    EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kFailureDevice);
    EXPECT_NE(engine->GetLastFailureText().Find(WString(L"did not appear in DFU mode")), -1);
}

TEST_F(EnterUpdateModeTest, AnAbortEndsThePauseAndTheSearchAtOnce)
{
    OrvPlatform::SimulatedFaultRule ignore;
    ignore.step = SimulatedStep::UpdateMessage;
    ignore.fault = OrvPlatform::SimulatedFault::Fail;
    for (const DWORD searches : {1u, 3u})
    {
        SCOPED_TRACE(searches);
        controller->AddFault(ignore);
        SelectController();
        auto switching =
            std::async(std::launch::async, [&] { return engine->StartEnterUpdateMode(); });
        // The pause passes once the send is done (its wait has no deadline)...
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!clock->AdvanceToNextDeadline() && std::chrono::steady_clock::now() < limit)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(clock->GetMilliseconds() % 500u, 0u);
        // ... then the waits between the searches, but for the last one.
        for (DWORD i = 1; i < searches; ++i)
        {
            ASSERT_TRUE(clock->WaitForWaiters(1));
            ASSERT_TRUE(clock->AdvanceToNextDeadline());
        }
        ASSERT_TRUE(clock->WaitForWaiters(1));
        const DWORD before = clock->GetMilliseconds();
        EXPECT_EQ(engine->Abort(), S_OK);
        // Ended without the clock moving on.
        EXPECT_EQ(switching.get(), E_ABORT);
        EXPECT_EQ(clock->GetMilliseconds(), before);
        EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
        EXPECT_EQ(engine->GetUpdateResult(false), LUpdateEngineInterface::kUpdateAborted);
        EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kNoFailure);
        EXPECT_EQ(controller->Mode(), SimulatedMode::Normal);
    }
}

TEST_F(EnterUpdateModeTest, AnAbortWhileTheMessageHangsEndsAsAnAbort)
{
    MakeEngine(LUpdateEngine::UpdateModeTimings());
    SelectController();
    controller->MidiPort()->SetHold(true);
    // The send waits for its block.
    auto switching = std::async(std::launch::async, [&] { return engine->StartEnterUpdateMode(); });
    ASSERT_TRUE(clock->WaitForWaiters(1));
    EXPECT_EQ(engine->Abort(), S_OK);
    // The send gives up after its time-out; then the abort is seen.
    EXPECT_EQ(DriveToTheEnd(switching), E_ABORT);
    EXPECT_GE(clock->GetMilliseconds(), Orv::LMidiRenderPort::kDefaultSendTimeout);
    controller->MidiPort()->SetHold(false);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_EQ(engine->GetUpdateResult(false), LUpdateEngineInterface::kUpdateAborted);
    EXPECT_TRUE(controller->MidiPort()->Received().empty());
    EXPECT_EQ(controller->Mode(), SimulatedMode::Normal);
}
