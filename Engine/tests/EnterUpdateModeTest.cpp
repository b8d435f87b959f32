// Switching the selected device into its bootloader by the update-mode message.
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
        LUpdateEngine::UpdateModeTimings timings;
        timings.settle = 50;
        timings.searchInterval = 10;
        timings.searchPeriod = 300;
        LUpdateEngine::SetUpdateModeTimings(timings);
        Orv::LMidiRenderPort::SetSendTimeout(300);
        sequence.name = WString(L"Halvex DJ Brelune VANTA");
        IUpdateImageSequence::Install(&sequence);
        controller = SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Normal));
        wheel = SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::WheelDisplay(0x0040), SimulatedMode::Normal));
        engine = new RecordingEngine();
    }
    void TearDown() override
    {
        engine = nullptr;
        LUpdateEngine::SetUpdateModeTimings(LUpdateEngine::UpdateModeTimings());
        Orv::LMidiRenderPort::SetSendTimeout(Orv::LMidiRenderPort::kDefaultSendTimeout);
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

    TestSequence sequence;
    std::shared_ptr<SimulatedUnit> controller;
    std::shared_ptr<SimulatedUnit> wheel;
    Orv::RCPtr<RecordingEngine> engine;
};

TEST_F(EnterUpdateModeTest, TheMessageGoesToTheDevicesPortAndTheBootloaderIsFound)
{
    SelectController();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(engine->StartEnterUpdateMode(), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

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
    sequence.name = WString(L"DJ Brelune VANTA");
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
    sequence.name = WString(L"No Such Port");
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
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(engine->StartEnterUpdateMode(), E_FAIL);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(350));
    EXPECT_EQ(controller->MidiPort()->Received().size(), 1u);
    EXPECT_EQ(engine->GetDeviceStates(), (std::vector<State>{{6, 5}, {4, 6}}));
    EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kFailureDevice);
    EXPECT_NE(engine->GetLastFailureText().Find(WString(L"did not appear in DFU mode")), -1);
}

TEST_F(EnterUpdateModeTest, AnAbortDuringTheSearchEndsIt)
{
    OrvPlatform::SimulatedFaultRule slow;
    slow.step = SimulatedStep::UpdateMessage;
    slow.fault = OrvPlatform::SimulatedFault::Slow;
    slow.delay = Milliseconds(5000);
    controller->AddFault(slow);
    LUpdateEngine::UpdateModeTimings timings = LUpdateEngine::GetUpdateModeTimings();
    timings.searchPeriod = 10000;
    LUpdateEngine::SetUpdateModeTimings(timings);
    SelectController();

    auto switching = std::async(std::launch::async, [&] { return engine->StartEnterUpdateMode(); });
    const auto start = std::chrono::steady_clock::now();
    while (engine->GetDeviceState() != LUpdateEngineInterface::kDeviceSwitching &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
    {
        std::this_thread::sleep_for(Milliseconds(1));
    }
    std::this_thread::sleep_for(Milliseconds(100));
    EXPECT_EQ(engine->Abort(), S_OK);
    EXPECT_EQ(switching.get(), E_ABORT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_EQ(engine->GetUpdateResult(false), LUpdateEngineInterface::kUpdateAborted);
    EXPECT_EQ(FailureReason(), LUpdateEngineInterface::kNoFailure);
}

TEST_F(EnterUpdateModeTest, AnAbortWhileTheMessageHangsEndsAsAnAbort)
{
    SelectController();
    controller->MidiPort()->SetHold(true);
    auto switching = std::async(std::launch::async, [&] { return engine->StartEnterUpdateMode(); });
    const auto start = std::chrono::steady_clock::now();
    while (engine->GetDeviceState() != LUpdateEngineInterface::kDeviceSwitching &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
    {
        std::this_thread::sleep_for(Milliseconds(1));
    }
    EXPECT_EQ(engine->Abort(), S_OK);
    EXPECT_EQ(switching.get(), E_ABORT);
    controller->MidiPort()->SetHold(false);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_EQ(engine->GetUpdateResult(false), LUpdateEngineInterface::kUpdateAborted);
    EXPECT_TRUE(controller->MidiPort()->Received().empty());
    EXPECT_EQ(controller->Mode(), SimulatedMode::Normal);
}
