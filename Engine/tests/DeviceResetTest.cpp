// After the request that makes the device leave DFU mode: a device that still answers in a state
// other than dfuMANIFEST-SYNC, dfuMANIFEST or dfuMANIFEST-WAIT-RESET failed the update; one that
// does not answer may be resetting, and the completion step decides, by whether it comes back in
// normal mode running the image. While it resets, its state stays "updating".
#include "DfuProtocol.h"
#include "EngineTestSupport.h"
#include "UpdateCompletion.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace OrvTest;
using OrvPlatform::SimulatedFault;
using OrvPlatform::SimulatedFaultRule;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;
using Engine = LUpdateEngineInterface;

namespace
{
class DeviceResetTest : public DownloadTestBase
{
protected:
    void TearDown() override
    {
        Orv::GetApplicationNotificationCenter()->Clear();
        DownloadTestBase::TearDown();
    }

    // 75 ms at least: the units come back 10 ms after manifesting.
    const UpdateCompletion completion{UpdateCompletion::Timings{5, 15}};

    // Adds the fault when the device has answered the request that makes it leave DFU mode, so
    // that it hits the requests after it.
    static void AddFaultAfterTheLeaveRequest(SimulatedUnit& unit, const SimulatedFaultRule& rule)
    {
        unit.SetRequestHook(
            [&unit, rule](const OrvPlatform::SimulatedControlRequest& request)
            {
                if (request.request == DfuProtocol::DNLOAD && request.length == 0)
                {
                    unit.AddFault(rule);
                }
            });
    }
};

SimulatedFaultRule Rule(SimulatedStep step, SimulatedFault fault,
                        OrvPlatform::Milliseconds delay = OrvPlatform::Milliseconds(0))
{
    SimulatedFaultRule rule;
    rule.step = step;
    rule.fault = fault;
    rule.delay = delay;
    return rule;
}
} // namespace

TEST_F(DeviceResetTest, TheDevicesAnswerOrItsReturnDecides)
{
    enum class Verdict
    {
        Took,           // download completed, the device back with the image's version
        DownloadFailed, // the device answered: the download itself failed
        DidNotComeBack, // download completed, the completion step reports failure
    };
    struct Case
    {
        const char* name;
        std::optional<SimulatedFaultRule> fault;
        bool afterLeave;
        Verdict verdict;
        int state;        // the device state at the end
        const char* text; // in the failure text
        std::uint16_t fileVersion = 0x0042;
    };
    const Case cases[] = {
        {"nothing goes wrong", std::nullopt, false, Verdict::Took, Engine::kDeviceNormalMode, ""},
        {"the leave request fails", Rule(SimulatedStep::LeaveRequest, SimulatedFault::Fail), false,
         Verdict::DownloadFailed, Engine::kDeviceFailed,
         "leaving DFU mode: DNLOAD of no data failed: system error 31 (ERROR_GEN_FAILURE: the "
         "device stalled the request, or it failed); then GETSTATUS answered dfuDNLOAD-IDLE "
         "(bState 5), status OK (bStatus 0x00): the device did not leave DFU mode"},
        {"the leave request stalls", Rule(SimulatedStep::LeaveRequest, SimulatedFault::Stall),
         false, Verdict::DownloadFailed, Engine::kDeviceFailed,
         "GETSTATUS answered dfuERROR (bState 10), status errSTALLEDPKT (bStatus 0x0F): the "
         "device did not leave DFU mode"},
        {"the device vanishes at the leave request",
         Rule(SimulatedStep::LeaveRequest, SimulatedFault::Vanish), false, Verdict::DidNotComeBack,
         Engine::kDeviceFailed, ""},
        // A device still on the bus is asked once more: it answers and manifests.
        {"the status request after it fails",
         Rule(SimulatedStep::GetStatusRequest, SimulatedFault::Fail), true, Verdict::Took,
         Engine::kDeviceNormalMode, ""},
        // A stall is an answer: still in DFU mode, in dfuERROR.
        {"the status request after it stalls",
         Rule(SimulatedStep::GetStatusRequest, SimulatedFault::Stall), true,
         Verdict::DownloadFailed, Engine::kDeviceFailed,
         "GETSTATUS answered dfuERROR (bState 10), status errSTALLEDPKT (bStatus 0x0F): the "
         "device did not leave DFU mode"},
        {"the device vanishes at the status request after it",
         Rule(SimulatedStep::GetStatusRequest, SimulatedFault::Vanish), true,
         Verdict::DidNotComeBack, Engine::kDeviceFailed, ""},
        {"manifestation fails", Rule(SimulatedStep::ManifestOperation, SimulatedFault::Fail), false,
         Verdict::DownloadFailed, Engine::kDeviceFailed,
         "GETSTATUS answered dfuERROR (bState 10), status errFIRMWARE (bStatus 0x0A): the device "
         "did not leave DFU mode"},
        {"manifestation is slow",
         Rule(SimulatedStep::ManifestOperation, SimulatedFault::Slow,
              OrvPlatform::Milliseconds(30)),
         false, Verdict::Took, Engine::kDeviceNormalMode, ""},
        {"the device does not come back",
         Rule(SimulatedStep::ReturnToNormal, SimulatedFault::Vanish), false,
         Verdict::DidNotComeBack, Engine::kDeviceFailed,
         "Device failure: the device has not come back from its reset after the update"},
        {"it comes back in DFU mode", Rule(SimulatedStep::ReturnToNormal, SimulatedFault::Fail),
         false, Verdict::DidNotComeBack, Engine::kDeviceUpdateMode,
         "after the update the device came back still in DFU mode"},
        {"it comes back running another version than the file's", std::nullopt, false,
         Verdict::DidNotComeBack, Engine::kDeviceNormalMode, "", 0x0043},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        const auto data = ImageData(0x0042, 5000);
        TempFile file("reset.dfu");
        file.Write(DfuSeFile(kApplicationStart, data));
        auto engine = Ready(kControllerPid, file, DeviceVersion(c.fileVersion));
        if (c.fault && c.afterLeave)
        {
            AddFaultAfterTheLeaveRequest(*unit, *c.fault);
        }
        else if (c.fault)
        {
            unit->AddFault(*c.fault);
        }

        const int result = Run(*engine);
        unit->SetRequestHook(nullptr);
        const bool downloaded = result == Engine::kUpdateCompleted;
        EXPECT_EQ(downloaded, c.verdict != Verdict::DownloadFailed) << FailureText(*engine);
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{downloaded});
        // One leave request (unseen when the device vanishes at it).
        EXPECT_LE(CountPrefix(Requests(*unit), 'L'), 1u);
        if (downloaded)
        {
            // Resetting: no verdict yet.
            EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdating);
        }
        const ORVRESULT completed =
            completion.Complete(Orv::RCPtr<Engine>(engine.Get()), downloaded);
        EXPECT_EQ(SUCCEEDED(completed), c.verdict == Verdict::Took);
        EXPECT_EQ(engine->GetDeviceState(), c.state);
        if (c.state == Engine::kDeviceFailed)
        {
            EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
        }
        EXPECT_NE(FailureText(*engine).find(c.text), std::string::npos) << FailureText(*engine);
        if (c.verdict == Verdict::Took)
        {
            EXPECT_EQ(unit->Mode(), SimulatedMode::Normal);
            EXPECT_EQ(unit->FirmwareVersion(), 0x0042);
            EXPECT_EQ(unit->ReadFlash(kApplicationStart, 5000), data);
        }
    }
}

// While the device resets after a successful download, its state stays "updating": never
// "failed" for a device that is only away, never "update mode" for one that is leaving it; it
// becomes "normal mode" when the device is back.
TEST_F(DeviceResetTest, WhileTheDeviceResetsItsStateSaysUpdating)
{
    for (int delay : {0, 1, 3, 10, 25, 40})
    {
        SCOPED_TRACE(delay);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        unit->SetDelays(Milliseconds(10), Milliseconds(delay));
        TempFile file("reset.dfu");
        file.Write(DfuSeFile(kApplicationStart, ImageData(0x0042, 4096)));
        auto engine = Ready(kControllerPid, file, DeviceVersion(0x0042));

        EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdating);
        EXPECT_TRUE(engine->IsAwaitingReset());
        // A rescan while it is away changes nothing. The device may come back between the look
        // at the bus and the rescan: then the rescan finds it in normal mode.
        if (unit->Mode() == SimulatedMode::OffBus)
        {
            const ORVRESULT rescan = engine->RescanSelectedDevice();
            if (rescan == E_FAIL)
            {
                EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdating);
            }
            else
            {
                EXPECT_EQ(rescan, S_OK);
                EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
            }
        }
        EXPECT_TRUE(SUCCEEDED(completion.Complete(Orv::RCPtr<Engine>(engine.Get()), true)));
        EXPECT_FALSE(engine->IsAwaitingReset());
        EXPECT_EQ(engine->GetDeviceStates(),
                  (std::vector<std::pair<int, int>>{
                      {Engine::kDeviceUpdating, Engine::kDeviceUpdateMode},
                      {Engine::kDeviceNormalMode, Engine::kDeviceUpdating}}));
        unsigned int reason = 99;
        EXPECT_EQ(engine->GetFailureReason(0, reason), S_OK);
        EXPECT_EQ(reason, Engine::kNoFailure);
        EXPECT_TRUE(engine->GetLastFailureText().IsEmpty());
    }
}
