// Every simulated fault kind at every request of a small download, and at every operation the
// device carries out: whatever goes wrong, an update is reported done only when the flash holds
// the image and the device came back running its version, the device is never told to leave DFU
// mode after a failure (nor without the whole image), a slow device is still updated, and
// nothing hangs.
#include "DfuProtocol.h"
#include "EngineTestSupport.h"
#include "UpdateCompletion.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace OrvTest;
using OrvPlatform::SimulatedControlRequest;
using OrvPlatform::SimulatedFault;
using OrvPlatform::SimulatedFaultRule;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;
using Engine = LUpdateEngineInterface;

namespace
{
constexpr std::uint16_t kImageVersion = 0x0042;

struct Injection
{
    std::string name;
    SimulatedFaultRule rule;
    // The fault comes before the request that makes the device leave DFU mode.
    bool beforeLeave;
};

// The step a logged request belongs to, as the simulated unit classifies it.
SimulatedStep StepOf(const SimulatedControlRequest& request)
{
    switch (request.request)
    {
        case DfuProtocol::DNLOAD:
            if (request.length == 0)
            {
                return SimulatedStep::LeaveRequest;
            }
            if (request.value == 0)
            {
                return !request.data.empty() && request.data[0] == 0x41
                           ? SimulatedStep::EraseRequest
                           : SimulatedStep::SetAddressRequest;
            }
            return SimulatedStep::DataRequest;
        case DfuProtocol::UPLOAD:
            return SimulatedStep::UploadRequest;
        case DfuProtocol::GETSTATUS:
            return SimulatedStep::GetStatusRequest;
        case DfuProtocol::CLRSTATUS:
            return SimulatedStep::ClearStatusRequest;
        case DfuProtocol::ABORT:
            return SimulatedStep::AbortRequest;
        default:
            return SimulatedStep::GetStateRequest;
    }
}

const char* FaultName(SimulatedFault fault)
{
    switch (fault)
    {
        case SimulatedFault::Fail:
            return "fail";
        case SimulatedFault::Stall:
            return "stall";
        case SimulatedFault::Slow:
            return "slow";
        case SimulatedFault::Vanish:
            return "vanish";
        case SimulatedFault::ShortAnswer:
            return "short answer";
    }
    return "?";
}

SimulatedFaultRule Rule(SimulatedStep step, SimulatedFault fault, unsigned occurrence)
{
    SimulatedFaultRule rule;
    rule.step = step;
    rule.fault = fault;
    rule.occurrence = occurrence;
    rule.delay = Milliseconds(3);
    rule.answerLength = 3;
    return rule;
}

class FaultInjectionTest : public DownloadTestBase
{
protected:
    void TearDown() override
    {
        Orv::GetApplicationNotificationCenter()->Clear();
        DownloadTestBase::TearDown();
    }

    // At least 40 ms: the unit comes back 10 ms after manifesting.
    const UpdateCompletion completion{UpdateCompletion::Timings{2, 20}};
};
} // namespace

TEST_F(FaultInjectionTest, EveryFaultAtEveryRequestAndOperation)
{
    // Three blocks, the last short with a pointer of its own: every kind of request.
    const auto data = ImageData(kImageVersion, 5000);
    TempFile file("faults.dfu");
    file.Write(DfuSeFile(kApplicationStart, data));
    const auto version = DeviceVersion(kImageVersion);

    // The requests of a download that meets no fault.
    std::vector<SimulatedControlRequest> baseline;
    {
        auto unit = AddBootloader(kControllerPid);
        auto engine = Ready(kControllerPid, file, version);
        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        ASSERT_TRUE(SUCCEEDED(completion.Complete(Orv::RCPtr<Engine>(engine.Get()), true)));
        baseline = unit->RequestLog();
    }
    const auto leave = std::find_if(baseline.begin(), baseline.end(),
                                    [](const SimulatedControlRequest& r)
                                    { return StepOf(r) == SimulatedStep::LeaveRequest; });
    ASSERT_NE(leave, baseline.end());
    const std::size_t leaveIndex = static_cast<std::size_t>(leave - baseline.begin());

    std::vector<Injection> injections;
    std::map<SimulatedStep, unsigned> seen;
    for (std::size_t k = 0; k < baseline.size(); ++k)
    {
        const SimulatedStep step = StepOf(baseline[k]);
        const unsigned occurrence = ++seen[step];
        for (SimulatedFault fault :
             {SimulatedFault::Fail, SimulatedFault::Stall, SimulatedFault::Slow,
              SimulatedFault::Vanish, SimulatedFault::ShortAnswer})
        {
            injections.push_back({"request " + std::to_string(k) + ": " + FaultName(fault),
                                  Rule(step, fault, occurrence), k < leaveIndex});
        }
    }
    struct Operation
    {
        const char* name;
        SimulatedStep step;
        unsigned count;
        bool beforeLeave;
        std::vector<SimulatedFault> faults;
    };
    const std::vector<SimulatedFault> all = {SimulatedFault::Fail, SimulatedFault::Stall,
                                             SimulatedFault::Slow, SimulatedFault::Vanish};
    const Operation operations[] = {
        {"open", SimulatedStep::Open, 1, true, all},
        {"claim", SimulatedStep::ClaimInterface, 1, true, all},
        {"erase", SimulatedStep::EraseOperation,
         static_cast<unsigned>(seen[SimulatedStep::EraseRequest]), true, all},
        {"program", SimulatedStep::ProgramOperation,
         static_cast<unsigned>(seen[SimulatedStep::DataRequest]), true, all},
        {"manifest", SimulatedStep::ManifestOperation, 1, false, all},
        {"return",
         SimulatedStep::ReturnToNormal,
         1,
         false,
         {SimulatedFault::Fail, SimulatedFault::Slow, SimulatedFault::Vanish}},
    };
    for (const Operation& operation : operations)
    {
        for (unsigned n = 1; n <= operation.count; ++n)
        {
            for (SimulatedFault fault : operation.faults)
            {
                injections.push_back({std::string(operation.name) + " " + std::to_string(n) + ": " +
                                          FaultName(fault),
                                      Rule(operation.step, fault, n), operation.beforeLeave});
            }
        }
    }
    ASSERT_GE(injections.size(), 5 * baseline.size());

    for (const Injection& injection : injections)
    {
        SCOPED_TRACE(injection.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        unit->AddFault(injection.rule);
        auto engine = Ready(kControllerPid, file, version);

        ASSERT_EQ(engine->StartDownload(), S_OK);
        // No hang.
        ASSERT_EQ(engine->WaitForTask(10000), S_OK);
        const bool downloaded = engine->GetUpdateResult(false) == Engine::kUpdateCompleted;
        const bool took =
            SUCCEEDED(completion.Complete(Orv::RCPtr<Engine>(engine.Get()), downloaded));
        const bool flashHolds =
            unit->ReadFlash(kApplicationStart, static_cast<std::uint32_t>(data.size())) == data;
        const auto requests = Requests(*unit);
        const bool leaveSent = std::count(requests.begin(), requests.end(), "L") > 0;

        if (took)
        {
            EXPECT_TRUE(flashHolds);
            EXPECT_EQ(unit->Mode(), SimulatedMode::Normal);
            EXPECT_EQ(unit->FirmwareVersion(), kImageVersion);
        }
        if (leaveSent)
        {
            EXPECT_TRUE(flashHolds);
        }
        if (!downloaded && injection.beforeLeave)
        {
            EXPECT_FALSE(leaveSent);
            EXPECT_FALSE(engine->GetLastFailureText().IsEmpty());
        }
        if (injection.rule.fault == SimulatedFault::Slow)
        {
            EXPECT_TRUE(took) << FailureText(*engine);
        }
        // Settled: the wait for the device has ended one way or the other.
        EXPECT_NE(engine->GetDeviceState(), Engine::kDeviceUpdating);
    }
}

// After the leave request, a stalled status request or a stalled manifestation is an answer: the
// device is still on the bus in DFU mode (dfuERROR, errSTALLEDPKT), so the update failed, and the
// failure text gives its state and status. Only a device that has left the bus is resetting.
TEST_F(FaultInjectionTest, AStallAfterTheLeaveRequestIsAFailedUpdateNotAReset)
{
    const auto data = ImageData(kImageVersion, 5000);
    TempFile file("stall.dfu");
    file.Write(DfuSeFile(kApplicationStart, data));
    const auto version = DeviceVersion(kImageVersion);

    // The status requests up to the leave request, in a download that meets no fault.
    unsigned statusBeforeLeave = 0;
    {
        auto unit = AddBootloader(kControllerPid);
        auto engine = Ready(kControllerPid, file, version);
        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        for (const SimulatedControlRequest& request : unit->RequestLog())
        {
            if (StepOf(request) == SimulatedStep::LeaveRequest)
            {
                break;
            }
            statusBeforeLeave += StepOf(request) == SimulatedStep::GetStatusRequest ? 1 : 0;
        }
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
    }
    const Injection cells[] = {
        {"the status request after the leave request stalled",
         Rule(SimulatedStep::GetStatusRequest, SimulatedFault::Stall, statusBeforeLeave + 1),
         false},
        {"manifestation stalled", Rule(SimulatedStep::ManifestOperation, SimulatedFault::Stall, 1),
         false},
    };
    for (const Injection& cell : cells)
    {
        SCOPED_TRACE(cell.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        unit->AddFault(cell.rule);
        auto engine = Ready(kControllerPid, file, version);
        EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
        EXPECT_FALSE(engine->IsAwaitingReset());
        const std::string text = FailureText(*engine);
        EXPECT_NE(text.find("leaving DFU mode"), std::string::npos) << text;
        EXPECT_NE(text.find("dfuERROR (bState 10)"), std::string::npos) << text;
        EXPECT_NE(text.find("errSTALLEDPKT"), std::string::npos) << text;
        EXPECT_FALSE(SUCCEEDED(completion.Complete(Orv::RCPtr<Engine>(engine.Get()), false)));
        EXPECT_EQ(unit->Mode(), SimulatedMode::Bootloader);
    }
}

// A device that comes back from its reset as the bootloader (its new firmware did not start) is
// not back: the rescans of the wait keep the engine waiting, with the reason it would fail with,
// and the end of the wait finds it still in update mode; the verdict is a failed update.
TEST_F(FaultInjectionTest, TheBootloaderDuringTheResetWaitIsNotTheDevicesReturn)
{
    const auto data = ImageData(kImageVersion, 5000);
    TempFile file("return.dfu");
    file.Write(DfuSeFile(kApplicationStart, data));
    auto unit = AddBootloader(kControllerPid);
    unit->AddFault(Rule(SimulatedStep::ReturnToNormal, SimulatedFault::Fail, 1));
    auto engine = Ready(kControllerPid, file, DeviceVersion(kImageVersion));
    ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
    ASSERT_TRUE(engine->IsAwaitingReset());
    ASSERT_TRUE(unit->WaitForMode(SimulatedMode::OffBus, Milliseconds(5000)));
    ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Bootloader, Milliseconds(5000)));

    EXPECT_EQ(engine->RescanSelectedDevice(), E_FAIL);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdating);
    EXPECT_TRUE(engine->IsAwaitingReset());
    EXPECT_NE(FailureText(*engine).find("still in DFU mode"), std::string::npos);

    const Orv::RCPtr<Engine> asInterface(engine.Get());
    EXPECT_FALSE(SUCCEEDED(completion.Complete(asInterface, true)));
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
    EXPECT_EQ(UpdateCompletion::Judge(asInterface, true),
              UpdateCompletion::Verdict::StillInUpdateMode);
    EXPECT_NE(FailureText(*engine).find("came back still in DFU mode"), std::string::npos);
}
