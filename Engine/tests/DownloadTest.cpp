// The download, run by the real engine on its worker against the simulated DfuSe bootloader.
#include "DfuProtocol.h"
#include "EngineTestSupport.h"
#include "WinUsbConnection.h"
#include "platform/WinUsb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace OrvTest;
using OrvPlatform::BusyAnswer;
using OrvPlatform::DfuState;
using OrvPlatform::SimulatedFault;
using OrvPlatform::SimulatedFaultRule;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;
using Engine = LUpdateEngineInterface;

namespace
{
class DownloadTest : public DownloadTestBase
{
};

struct ImageCase
{
    const char* name;
    std::uint16_t productId;
    std::uint32_t address;
    std::uint32_t size;
    std::vector<std::uint32_t> erased;
};

std::string Word(char kind, std::uint32_t address)
{
    char word[16];
    std::snprintf(word, sizeof(word), "%c%08X", kind, address);
    return word;
}
} // namespace

// Each image ends byte for byte in the flash, the sectors it overlaps erased first, and the
// device comes back in normal mode running the image's version.
TEST_F(DownloadTest, ImagesEndByteForByteInTheFlash)
{
    const std::vector<ImageCase> cases = {
        {"controller, whole blocks", kControllerPid, 0x08008000, 0x8000, {0x08008000, 0x0800C000}},
        {"controller, short last block",
         kControllerPid,
         0x08008000,
         0x18000 - 904,
         {0x08008000, 0x0800C000, 0x08010000}},
        {"wheel display, 480 KB",
         kWheelDisplayPid,
         0x08008000,
         480 * 1024,
         {0x08008000, 0x0800C000, 0x08010000, 0x08020000, 0x08040000, 0x08060000}},
        {"wheel display, short last block",
         kWheelDisplayPid,
         0x08008000,
         480 * 1024 - 100,
         {0x08008000, 0x0800C000, 0x08010000, 0x08020000, 0x08040000, 0x08060000}},
    };
    for (const ImageCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(c.productId);
        const auto data = ImageData(0x0042, c.size);
        TempFile file("image.dfu");
        file.Write(DfuSeFile(c.address, data));
        auto engine = Ready(c.productId, file);

        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        EXPECT_EQ(unit->ReadFlash(c.address, c.size), data);
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{true});

        const auto requests = Requests(*unit);
        std::vector<std::string> erases;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(erases),
                     [](const std::string& w) { return w[0] == 'E'; });
        std::vector<std::string> expected;
        for (std::uint32_t address : c.erased)
        {
            expected.push_back(Word('E', address));
        }
        EXPECT_EQ(erases, expected);
        EXPECT_EQ(CountPrefix(requests, 'D'), (c.size + 2047) / 2048);
        EXPECT_EQ(requests.back(), "L");

        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
        EXPECT_EQ(unit->FirmwareVersion(), 0x0042);
    }
}

// DfuSe addressing: block i goes out as i + 2 after the pointer is set at block 0; a short last
// block gets a pointer of its own and goes out as 2. A whole last block needs none. The
// bootloader leaves DFU mode by jumping to its pointer: after a short last block the pointer is
// set back to the image's start before the leave request, so the device starts its new image
// there and comes back running it.
TEST_F(DownloadTest, BlocksAreNumberedFromTheirAddressPointer)
{
    struct Case
    {
        std::uint32_t size;
        std::vector<std::string> writes;
    };
    const std::vector<Case> cases = {
        {5000, {"A08008000", "D2:2048", "D3:2048", "A08009000", "D2:904", "A08008000"}},
        {4098, {"A08008000", "D2:2048", "D3:2048", "A08009000", "D2:2", "A08008000"}},
        {6144, {"A08008000", "D2:2048", "D3:2048", "D4:2048"}},
        {2048, {"A08008000", "D2:2048"}},
        {1000, {"A08008000", "D2:1000"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.size);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        const auto data = ImageData(0x0031, c.size);
        TempFile file("numbering.dfu");
        file.Write(DfuSeFile(kApplicationStart, data));
        auto engine = Ready(kControllerPid, file);

        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        auto requests = Requests(*unit);
        std::vector<std::string> writes;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(writes),
                     [](const std::string& w) { return w[0] == 'A' || w[0] == 'D'; });
        EXPECT_EQ(writes, c.writes);
        EXPECT_EQ(requests,
                  [&]
                  {
                      std::vector<std::string> all = {"E08008000"};
                      all.insert(all.end(), c.writes.begin(), c.writes.end());
                      all.push_back("L");
                      return all;
                  }());
        EXPECT_EQ(unit->ReadFlash(kApplicationStart, c.size), data);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
        EXPECT_EQ(unit->LastJumpAddress(), std::optional<std::uint32_t>(kApplicationStart));
        EXPECT_EQ(unit->FirmwareVersion(), 0x0031);
    }
}

// The sector an element starts inside of is erased too, and a sector wholly below the element is
// left alone.
TEST_F(DownloadTest, ErasesEverySectorTheImageOverlaps)
{
    auto unit = AddBootloader(kControllerPid);
    // Something in the flash where the second image goes.
    const auto first = ImageData(0x0010, 0x8000);
    {
        TempFile file("first.dfu");
        file.Write(DfuSeFile(kApplicationStart, first));
        ASSERT_EQ(Run(*Ready(kControllerPid, file)), Engine::kUpdateCompleted);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
        unit->Plug(SimulatedMode::Bootloader);
    }

    struct Case
    {
        std::uint32_t address;
        std::uint32_t size;
        std::vector<std::string> erases;
    };
    const std::vector<Case> cases = {
        // Starts half-way into the sector at 0x08008000 and runs into the next one.
        {0x0800A000, 0x3000, {"E08008000", "E0800C000"}},
        // Starts at the second sector: the first is not erased.
        {0x0800C000, 0x1000, {"E0800C000"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.address);
        unit->ClearRequestLog();
        const auto data = ImageData(0x0020, c.size);
        TempFile file("overlap.dfu");
        file.Write(DfuSeFile(c.address, data));
        auto engine = Ready(kControllerPid, file);
        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        EXPECT_EQ(unit->ReadFlash(c.address, c.size), data);
        const auto requests = Requests(*unit);
        std::vector<std::string> erases;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(erases),
                     [](const std::string& w) { return w[0] == 'E'; });
        EXPECT_EQ(erases, c.erases);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
        unit->Plug(SimulatedMode::Bootloader);
    }
}

// Progress runs from 0 towards 1 in order: the erase phase below 0.5 in steps of 1 / (2n) for the
// n listed sectors, the write phase from 0.5 in steps of 1 / (2N) for the N blocks. While the
// worker writes, the user-interface thread reads the engine's state.
TEST_F(DownloadTest, ProgressRunsInOrderWhileTheStateIsRead)
{
    Orv::RCPtr<TestSequence> wheel(new TestSequence());
    wheel->sectors = {0x08008000, 0x0800C000, 0x08010000, 0x08020000, 0x08040000, 0x08060000};
    auto unit = AddBootloader(kWheelDisplayPid);
    unit->SetTimings({Milliseconds(1), Milliseconds(2), Milliseconds(0), Milliseconds(1)});
    const std::uint32_t size = 100 * 1024;
    TempFile file("progress.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, size)));
    auto engine = Ready(kWheelDisplayPid, file, {}, Orv::RCPtr<IUpdateImageSequence>(wheel));

    ASSERT_EQ(engine->StartDownload(), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateInProgress);
    // Reads that race the worker's writes (the thread sanitizer build watches them).
    do
    {
        const int state = engine->GetDeviceState();
        EXPECT_TRUE(state == Engine::kDeviceUpdating || state >= Engine::kDeviceFailed) << state;
        Orv::WString text;
        engine->GetDeviceFirmwareVersionText(text);
        Orv::Array<Engine::DeviceDefinition> found;
        engine->GetFoundDevices(found);
        engine->IsBootloader(0);
        engine->IsFileNewer();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    } while (engine->GetUpdateResult(false) == Engine::kUpdateInProgress);
    // The result is in before the completion is posted; WaitForTask waits for that too.
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{true});
    ASSERT_EQ(engine->GetUpdateResult(false), Engine::kUpdateCompleted);

    const auto progress = engine->GetProgress();
    const unsigned int blocks = size / 2048;
    std::vector<double> expected;
    for (unsigned int i = 0; i < 6; ++i)
    {
        // The first sector past the element's end is counted, and ends the erase phase.
        expected.push_back(i / 6.0 * 0.5);
        if (wheel->sectors[i] >= kApplicationStart + size)
        {
            break;
        }
    }
    for (unsigned int i = 0; i < blocks; ++i)
    {
        expected.push_back(double(i + blocks) / (2.0 * blocks));
    }
    ASSERT_EQ(progress.size(), expected.size());
    for (std::size_t i = 0; i < progress.size(); ++i)
    {
        EXPECT_DOUBLE_EQ(progress[i].fraction, expected[i]) << i;
        EXPECT_EQ(progress[i].index, 0u);
        EXPECT_TRUE(progress[i].flagA);
        EXPECT_EQ(progress[i].value, -1);
        EXPECT_FALSE(progress[i].flagB);
        EXPECT_TRUE(progress[i].textEmpty);
        if (i > 0)
        {
            EXPECT_GT(progress[i].fraction, progress[i - 1].fraction);
        }
    }
    EXPECT_EQ(progress.front().fraction, 0.0);
    EXPECT_LT(progress.back().fraction, 1.0);
    // 7 -> 8 when started, then what the closing rescan found.
    const auto states = engine->GetDeviceStates();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), std::make_pair(Engine::kDeviceUpdating, Engine::kDeviceUpdateMode));
}

// An abort takes effect after the sector or block in progress: the device gets ABORT, never the
// zero-length download that would have it leave DFU mode, and stays in DFU mode, idle and ready
// for another download; the engine says so (result 3, state 7).
TEST_F(DownloadTest, AbortLeavesTheDeviceInDfuMode)
{
    struct Case
    {
        const char* name;
        OrvPlatform::DfuTimings timings;
        double abortAt;
        bool blocksWritten;
    };
    const std::vector<Case> cases = {
        {"during the erase",
         {Milliseconds(40), Milliseconds(0), Milliseconds(0), Milliseconds(1)},
         0.05,
         false},
        {"during the write",
         {Milliseconds(1), Milliseconds(5), Milliseconds(0), Milliseconds(1)},
         0.6,
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kWheelDisplayPid);
        unit->SetTimings(c.timings);
        const auto data = ImageData(0x0050, 480 * 1024);
        TempFile file("abort.dfu");
        file.Write(DfuSeFile(kApplicationStart, data));
        auto engine = Ready(kWheelDisplayPid, file);

        ASSERT_EQ(engine->StartDownload(), S_OK);
        ASSERT_TRUE(engine->WaitForProgress(c.abortAt, std::chrono::seconds(20)));
        EXPECT_EQ(engine->Abort(), S_OK);
        ASSERT_EQ(engine->WaitForTask(30000), S_OK);

        EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateAborted);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
        const auto requests = Requests(*unit);
        EXPECT_EQ(std::count(requests.begin(), requests.end(), "L"), 0);
        EXPECT_EQ(requests.back(), "X");
        const std::size_t blocks = CountPrefix(requests, 'D');
        EXPECT_EQ(blocks > 0, c.blocksWritten);
        EXPECT_LT(blocks, data.size() / 2048);
        EXPECT_EQ(unit->Mode(), SimulatedMode::Bootloader);
        EXPECT_EQ(unit->State(), DfuState::dfuIDLE);

        // The device takes the next download.
        engine->ClearRecords();
        unit->SetTimings(FastTimings());
        EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
        EXPECT_EQ(unit->ReadFlash(kApplicationStart, static_cast<std::uint32_t>(data.size())),
                  data);
    }
}

// Abort is refused when no long operation runs.
TEST_F(DownloadTest, AbortOutsideAnOperationIsRefused)
{
    AddBootloader(kControllerPid);
    TempFile file("idle.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    auto engine = Ready(kControllerPid, file);
    EXPECT_EQ(engine->Abort(), E_FAIL);
    EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
}

// A device that fails, stalls, vanishes or reports dfuERROR gives a failure (result 2, state 4,
// reason 4, completion with false), is never told to leave DFU mode, and the failure keeps its
// cause as text: the step, the request, the state and status the device answered, the system's
// error. The text goes to the debug output too.
TEST_F(DownloadTest, DeviceFailuresAreReportedAsFailuresWithTheirCause)
{
    struct Case
    {
        const char* name;
        SimulatedFaultRule fault;
        bool unplug;
        std::vector<std::string> text;
    };
    auto rule = [](SimulatedStep step, SimulatedFault fault, unsigned occurrence = 1)
    {
        SimulatedFaultRule r;
        r.step = step;
        r.fault = fault;
        r.occurrence = occurrence;
        return r;
    };
    SimulatedFaultRule shortStatus =
        rule(SimulatedStep::GetStatusRequest, SimulatedFault::ShortAnswer, 6);
    shortStatus.answerLength = 5;
    const std::vector<Case> cases = {
        {"vanishes while a block is sent",
         rule(SimulatedStep::DataRequest, SimulatedFault::Vanish, 5),
         false,
         {"writing block 5 of 32 (2048 bytes at 0x0800A000): DNLOAD failed: system error 1167 "
          "(ERROR_DEVICE_NOT_CONNECTED"}},
        {"vanishes while it erases",
         rule(SimulatedStep::EraseOperation, SimulatedFault::Vanish, 2),
         false,
         {"erasing the sector at 0x0800C000: GETSTATUS failed", "ERROR_DEVICE_NOT_CONNECTED"}},
        {"stalls the erase request",
         rule(SimulatedStep::EraseRequest, SimulatedFault::Stall, 2),
         false,
         {"erasing the sector at 0x0800C000: DNLOAD failed: system error 31 (ERROR_GEN_FAILURE"}},
        {"stalls a data request",
         rule(SimulatedStep::DataRequest, SimulatedFault::Stall, 3),
         false,
         {"writing block 3 of 32", "DNLOAD failed", "ERROR_GEN_FAILURE"}},
        {"fails to program a block (dfuERROR)",
         rule(SimulatedStep::ProgramOperation, SimulatedFault::Fail, 3),
         false,
         {"writing block 3 of 32", "GETSTATUS answered dfuERROR (bState 10), status errPROG "
                                   "(bStatus 0x06)"}},
        {"fails to erase (dfuERROR)",
         rule(SimulatedStep::EraseOperation, SimulatedFault::Fail),
         false,
         {"erasing the sector at 0x08008000: GETSTATUS answered dfuERROR (bState 10), status "
          "errERASE (bStatus 0x04)"}},
        {"fails a status request",
         rule(SimulatedStep::GetStatusRequest, SimulatedFault::Fail, 4),
         false,
         {"erasing the sector at 0x0800C000: GETSTATUS failed: system error 31"}},
        {"answers a status request short",
         shortStatus,
         false,
         {"erasing the sector at 0x08010000: GETSTATUS failed", "ERROR_INVALID_DATA"}},
        {"cannot be claimed",
         rule(SimulatedStep::ClaimInterface, SimulatedFault::Fail),
         false,
         {"opening the device in DFU mode failed: system error 5 (ERROR_ACCESS_DENIED"}},
        {"is gone before the download",
         {},
         true,
         {"opening the device in DFU mode failed: system error 2 (ERROR_FILE_NOT_FOUND"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kWheelDisplayPid);
        TempFile file("failure.dfu");
        file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, 0x10000)));
        auto engine = Ready(kWheelDisplayPid, file);
        if (c.unplug)
        {
            unit->Unplug();
        }
        else
        {
            unit->AddFault(c.fault);
        }

        ::testing::internal::CaptureStderr();
        const int result = Run(*engine);
        const std::string debugOutput = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
        const auto requests = Requests(*unit);
        EXPECT_EQ(std::count(requests.begin(), requests.end(), "L"), 0);
        EXPECT_NE(unit->Mode(), SimulatedMode::Normal);
        const std::string text = FailureText(*engine);
        EXPECT_EQ(text.rfind("Device failure: ", 0), 0u) << text;
        for (const std::string& part : c.text)
        {
            EXPECT_NE(text.find(part), std::string::npos) << text;
        }
        EXPECT_NE(debugOutput.find(text), std::string::npos) << debugOutput;
        // The result is read and cleared once.
        EXPECT_EQ(engine->GetUpdateResult(true), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetUpdateResult(true), Engine::kUpdateReady);
    }
}

namespace
{
// Sends one UPLOAD of a whole frame through the Windows-named calls, leaving the device in
// dfuUPLOAD-IDLE.
void UploadOneFrame(const Orv::WString& path)
{
    HANDLE file = CreateFileW(path.GetBuffer(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    WINUSB_INTERFACE_HANDLE usb = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(WinUsb_Initialize(file, &usb));
    std::vector<std::uint8_t> frame(2048);
    ULONG transferred = 0;
    const WINUSB_SETUP_PACKET upload{0xA1, DfuProtocol::UPLOAD, 2, 0, 2048};
    EXPECT_TRUE(WinUsb_ControlTransfer(usb, upload, frame.data(), 2048, &transferred, nullptr));
    EXPECT_EQ(transferred, 2048u);
    WinUsb_Free(usb);
    CloseHandle(file);
}
} // namespace

// A device left in the middle of something by an earlier, interrupted transfer is brought to
// dfuIDLE before the erase, and the update goes through at the first attempt: ABORT ends a
// download or upload left half-way, CLRSTATUS clears dfuERROR (DFU 1.1 allows it only there), an
// operation still running is waited for. A device that stays in error is a failure.
TEST_F(DownloadTest, ADeviceLeftMidTransferIsBroughtToIdleAtTheFirstAttempt)
{
    enum class Left
    {
        Error,
        DownloadIdle,
        UploadIdle,
        Busy,
        ErrorThatStays,
    };
    struct Case
    {
        const char* name;
        Left left;
        DfuState state;
        const char* request; // what brings it to dfuIDLE
    };
    const Case cases[] = {
        {"dfuERROR", Left::Error, DfuState::dfuERROR, "C"},
        {"dfuDNLOAD-IDLE", Left::DownloadIdle, DfuState::dfuDNLOAD_IDLE, "X"},
        {"dfuUPLOAD-IDLE", Left::UploadIdle, DfuState::dfuUPLOAD_IDLE, "X"},
        {"dfuDNBUSY, then dfuDNLOAD-IDLE", Left::Busy, DfuState::dfuDNBUSY, "X"},
        {"dfuERROR, and CLRSTATUS fails", Left::ErrorThatStays, DfuState::dfuERROR, "C"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        const auto data = ImageData(0x0031, 4096);
        TempFile file("left.dfu");
        file.Write(DfuSeFile(kApplicationStart, data));
        auto engine = Ready(kControllerPid, file);
        LUpdateEngine::DeviceDefinitionEx record;
        ASSERT_TRUE(engine->GetFoundDevice(0, record));
        {
            WinUsbConnection connection;
            ASSERT_TRUE(connection.Open(record.bootloaderPath));
            DfuStatus status;
            std::uint8_t command[5] = {0x21, 0x00, 0x80, 0x00, 0x08};
            switch (c.left)
            {
                case Left::Error:
                case Left::ErrorThatStays:
                    // Not allowed in dfuIDLE: the device stalls it and enters dfuERROR.
                    connection.ClearStatus();
                    break;
                case Left::DownloadIdle:
                    ASSERT_EQ(connection.Download(command, 5, 0), 0);
                    connection.GetStatus(status);
                    connection.GetStatus(status);
                    break;
                case Left::UploadIdle:
                    connection.Close();
                    UploadOneFrame(record.bootloaderPath);
                    break;
                case Left::Busy:
                    unit->SetBusyAnswer(BusyAnswer::AnswerBusy);
                    unit->SetTimings(
                        {Milliseconds(20), Milliseconds(0), Milliseconds(0), Milliseconds(1)});
                    command[0] = 0x41; // erase the 64 KB sector at 0x08010000: 80 ms
                    command[3] = 0x01;
                    ASSERT_EQ(connection.Download(command, 5, 0), 0);
                    connection.GetStatus(status);
                    break;
            }
        }
        ASSERT_EQ(unit->State(), c.state);
        unit->ClearRequestLog();
        if (c.left == Left::ErrorThatStays)
        {
            SimulatedFaultRule fault;
            fault.step = SimulatedStep::ClearStatusRequest;
            fault.fault = SimulatedFault::Fail;
            unit->AddFault(fault);
        }

        const int result = Run(*engine);
        auto requests = Requests(*unit, true);
        ASSERT_GE(requests.size(), 2u);
        EXPECT_EQ(requests[0], "S");
        // Status requests while it is busy, then the one request that brings it to dfuIDLE.
        const auto request = std::find_if(requests.begin(), requests.end(),
                                          [](const std::string& w) { return w != "S"; });
        ASSERT_NE(request, requests.end());
        EXPECT_EQ(*request, c.request);
        if (c.left == Left::ErrorThatStays)
        {
            EXPECT_EQ(result, Engine::kUpdateFailed);
            EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
            EXPECT_EQ(CountPrefix(requests, 'E'), 0u);
            EXPECT_NE(FailureText(*engine).find("bringing the device to dfuIDLE: CLRSTATUS failed"),
                      std::string::npos)
                << FailureText(*engine);
            continue;
        }
        EXPECT_EQ(result, Engine::kUpdateCompleted);
        ASSERT_GE(requests.end() - request, 3);
        EXPECT_EQ(request[1], "S");
        EXPECT_EQ(request[2], "E08008000");
        EXPECT_EQ(unit->ReadFlash(kApplicationStart, 4096), data);
        EXPECT_TRUE(FailureText(*engine).empty()) << FailureText(*engine);
    }
}

// Two engines in one process, each made with its own sequence, erase by their own sector tables:
// an image that reaches into the fourth sector is refused by the engine with the controller's
// three sectors and written by the one with the wheel display's six, on the same device.
TEST_F(DownloadTest, EachEngineErasesByItsOwnSequence)
{
    Orv::RCPtr<TestSequence> controller(new TestSequence());
    controller->sectors = {0x08008000, 0x0800C000, 0x08010000};
    Orv::RCPtr<TestSequence> wheel(new TestSequence());
    wheel->sectors = {0x08008000, 0x0800C000, 0x08010000, 0x08020000, 0x08040000, 0x08060000};
    auto unit = AddBootloader(kWheelDisplayPid);
    TempFile file("two_engines.dfu");
    const auto data = ImageData(0x0050, 100 * 1024);
    file.Write(DfuSeFile(kApplicationStart, data));
    auto first = Ready(kWheelDisplayPid, file, {}, Orv::RCPtr<IUpdateImageSequence>(controller));
    auto second = Ready(kWheelDisplayPid, file, {}, Orv::RCPtr<IUpdateImageSequence>(wheel));

    EXPECT_EQ(Run(*first), Engine::kUpdateFailed);
    EXPECT_NE(FailureText(*first).find("flash sectors"), std::string::npos) << FailureText(*first);
    EXPECT_TRUE(unit->RequestLog().empty());

    EXPECT_EQ(Run(*second), Engine::kUpdateCompleted);
    const auto words = Requests(*unit);
    std::vector<std::string> erases;
    std::copy_if(words.begin(), words.end(), std::back_inserter(erases),
                 [](const std::string& w) { return w[0] == 'E'; });
    EXPECT_EQ(erases,
              (std::vector<std::string>{"E08008000", "E0800C000", "E08010000", "E08020000"}));
    EXPECT_EQ(unit->ReadFlash(kApplicationStart, static_cast<std::uint32_t>(data.size())), data);
}

// A bad file is refused before the device is touched: result 2, reason 3, file state 1, nothing
// erased, and the reason kept as the failure text. Among them: an empty element (an update that
// would write nothing), a target for another alternate setting, a suffix naming another device,
// and a pipe (which must not hold the download up).
TEST_F(DownloadTest, BadFilesAreRefusedBeforeAnythingIsErased)
{
    Orv::RCPtr<TestSequence> controller(new TestSequence());
    controller->sectors = {0x08008000, 0x0800C000, 0x08010000};
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
        bool controllerSequence = false;
        bool pipe = false;
    };
    const auto data = ImageData(0x0031, 0x6000);
    auto good = DfuSeFile(kApplicationStart, data);
    auto corrupt = good;
    corrupt[400] ^= 0x01;
    auto truncated = good;
    truncated.resize(truncated.size() - 100);
    auto badTargets = good;
    badTargets[10] = 2;
    RefreshCrc(badTargets);
    auto forDevice =
        [&](std::uint16_t vendorId, std::uint16_t productId, std::uint8_t alternateSetting = 0)
    {
        OrvTools::DfuSeImage image;
        image.vendorId = vendorId;
        image.productId = productId;
        image.alternateSetting = alternateSetting;
        image.address = kApplicationStart;
        image.data = data;
        return OrvTools::DfuSeWriter::Build(image);
    };
    const std::vector<Case> cases = {
        {"corrupt", corrupt, "CRC"},
        {"truncated", truncated, "DFU suffix"},
        {"two targets", badTargets, "2 targets"},
        {"not a DfuSe file", std::vector<std::uint8_t>(4096, 0x20), "signature"},
        {"past the end of the flash", DfuSeFile(0x080F8000, ImageData(0x0031, 0x10000)),
         "flash sectors"},
        {"in the bootloader's sectors", DfuSeFile(0x08000000, ImageData(0x0031, 0x1000)),
         "flash sectors"},
        {"larger than the image's sectors",
         DfuSeFile(kApplicationStart, ImageData(0x0031, 0x18000 + 2048)), "flash sectors", true},
        {"an empty element", DfuSeFile(kApplicationStart, {}), "empty"},
        {"alternate setting 1", forDevice(0x0483, 0xDF11, 1), "alternate setting 1"},
        {"for vendor 0x1234", forDevice(0x1234, 0xDF11),
         "made for the USB device 0x1234:0xDF11, not for this device (0x7A5E:0x8010, in DFU mode "
         "0x0483:0xDF11)"},
        {"for the wheel display", forDevice(0x7A5E, 0xB010), "0x7A5E:0xB010"},
        {"for any product of vendor 0x1234", forDevice(0x1234, 0xFFFF), "0x1234:0xFFFF"},
        {"a pipe", {}, "not a regular file", false, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        const auto before = unit->ReadFlash(0x08000000, 0x100000);
        TempFile file("bad.dfu");
        if (c.pipe)
        {
            ASSERT_EQ(mkfifo(file.Path().c_str(), 0600), 0);
        }
        else
        {
            file.Write(c.bytes);
        }
        // Each row's engine with its own sequence: the controller's sector table, or none (the
        // device's flash layout).
        Orv::RCPtr<RecordingEngine> engine(new RecordingEngine(
            c.controllerSequence ? Orv::RCPtr<IUpdateImageSequence>(controller) : nullptr));
        ASSERT_EQ(engine->Initialize(Orv::WString()), S_OK);
        engine->SetDeviceDefinitions(Definitions({MakeDefinition(kControllerPid)}));
        const bool accepted = SUCCEEDED(engine->SetFirmwareFile(file.WidePath(), {}));
        ASSERT_EQ(engine->Rescan(), S_OK);
        ASSERT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
        if (!accepted)
        {
            // What the file itself gets wrong is refused as soon as the file is set: it is never
            // offered for an update.
            EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
            const std::string text = FailureText(*engine);
            EXPECT_EQ(text.rfind("Firmware file refused: " + file.Path() + ": ", 0), 0u) << text;
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
            EXPECT_EQ(engine->StartDownload(), E_FAIL);
            EXPECT_TRUE(unit->RequestLog().empty());
            EXPECT_EQ(unit->ReadFlash(0x08000000, 0x100000), before);
            continue;
        }
        engine->ClearRecords();

        ASSERT_EQ(engine->StartDownload(), S_OK);
        if (engine->WaitForTask(5000) != S_OK)
        {
            // Release a download that waits for a writer of the pipe, so that the test ends.
            const int writer = open(file.Path().c_str(), O_WRONLY | O_NONBLOCK);
            ADD_FAILURE() << "the download waited on the file";
            engine->WaitForTask(INFINITE);
            if (writer >= 0)
            {
                close(writer);
            }
        }
        EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureFile);
        EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
        EXPECT_EQ(engine->GetFileStates(), (std::vector<std::pair<int, int>>{
                                               {Engine::kFileMissing, Engine::kFileVersionKnown}}));
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
        EXPECT_TRUE(unit->RequestLog().empty());
        EXPECT_EQ(unit->ReadFlash(0x08000000, 0x100000), before);
        const std::string text = FailureText(*engine);
        EXPECT_EQ(text.rfind("Firmware file refused: " + file.Path() + ": ", 0), 0u) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        // A refused file is not tried again until a file is set.
        EXPECT_EQ(engine->StartDownload(), E_FAIL);
    }
}

// What other packers write is accepted: an image size that counts the suffix, a target size
// without the element's header; and a suffix for any device or for the device in normal mode.
TEST_F(DownloadTest, FilesOfOtherPackersAreWritten)
{
    const auto data = ImageData(0x0031, 5000);
    auto build = [&](std::uint16_t vendorId, std::uint16_t productId)
    {
        OrvTools::DfuSeImage image;
        image.vendorId = vendorId;
        image.productId = productId;
        image.address = kApplicationStart;
        image.data = data;
        return OrvTools::DfuSeWriter::Build(image);
    };
    auto withSuffixInImageSize = build(0x0483, 0xDF11);
    for (int i = 0; i < 4; ++i)
    {
        withSuffixInImageSize[6 + i] =
            static_cast<std::uint8_t>(withSuffixInImageSize.size() >> (8 * i));
    }
    RefreshCrc(withSuffixInImageSize);
    auto bareTargetSize = build(0x0483, 0xDF11);
    bareTargetSize[277] = 5000 & 0xFF;
    bareTargetSize[278] = 5000 >> 8;
    RefreshCrc(bareTargetSize);
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"image size counting the suffix", withSuffixInImageSize},
        {"target size without the element's header", bareTargetSize},
        {"for any device", build(0xFFFF, 0xFFFF)},
        {"for the device in normal mode", build(0x7A5E, 0x8010)},
    };
    for (const auto& [name, bytes] : cases)
    {
        SCOPED_TRACE(name);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        TempFile file("packer.dfu");
        file.Write(bytes);
        auto engine = Ready(kControllerPid, file);
        EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted) << FailureText(*engine);
        EXPECT_EQ(unit->ReadFlash(kApplicationStart, 5000), data);
    }
}

// The bytes written are the bytes checked: a file rewritten, then cut short, while the device
// erases changes nothing of what reaches the flash.
TEST_F(DownloadTest, TheBytesWrittenAreTheBytesChecked)
{
    auto unit = AddBootloader(kWheelDisplayPid);
    const auto data = ImageData(0x0050, 0x8000);
    TempFile file("changed.dfu");
    file.Write(DfuSeFile(kApplicationStart, data));
    auto engine = Ready(kWheelDisplayPid, file);
    auto other = data;
    for (std::size_t i = 0x200; i < other.size(); i += 97)
    {
        other[i] ^= 0x5A;
    }
    int erases = 0;
    unit->SetRequestHook(
        [&](const OrvPlatform::SimulatedControlRequest& request)
        {
            if (request.request != DfuProtocol::DNLOAD || request.data.empty() ||
                request.data[0] != 0x41)
            {
                return;
            }
            // A valid file with other data at the first erase, cut short at the second.
            if (++erases == 1)
            {
                file.Write(DfuSeFile(kApplicationStart, other));
            }
            else if (erases == 2)
            {
                EXPECT_EQ(truncate(file.Path().c_str(), 293 + 100), 0);
            }
        });

    EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted) << FailureText(*engine);
    unit->SetRequestHook(nullptr);
    EXPECT_EQ(erases, 2);
    EXPECT_EQ(unit->ReadFlash(kApplicationStart, 0x8000), data);
}

// The download waits the poll time-out the device gives instead of asking it again and again,
// and takes an erase that lasts longer than any fixed pause: with the device answering "busy"
// while it works, each request is followed by about two status requests.
TEST_F(DownloadTest, PollTimeoutsAreHonoured)
{
    for (BusyAnswer busy : {BusyAnswer::AnswerBusy, BusyAnswer::Hold})
    {
        SCOPED_TRACE(busy == BusyAnswer::Hold ? "hold" : "answer busy");
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        unit->SetBusyAnswer(busy);
        unit->SetTimings({Milliseconds(60), Milliseconds(15), Milliseconds(2), Milliseconds(1)});
        const auto data = ImageData(0x0031, 0x4000);
        TempFile file("poll.dfu");
        file.Write(DfuSeFile(kApplicationStart, data));
        auto engine = Ready(kControllerPid, file);
        ASSERT_EQ(Run(*engine), Engine::kUpdateCompleted);
        EXPECT_EQ(unit->ReadFlash(kApplicationStart, 0x4000), data);

        const auto requests = Requests(*unit, true);
        const std::size_t operations =
            CountPrefix(requests, 'E') + CountPrefix(requests, 'A') + CountPrefix(requests, 'D');
        EXPECT_EQ(operations, 1u + 1u + 8u);
        // One status request to start, one to see the device idle, now and then one more.
        EXPECT_LE(CountPrefix(requests, 'S'), 1 + 2 * operations + 3);
    }
}

// A device that tells the host to poll at once (bwPollTimeout 0) but erases a 128 KB sector for
// 2 s is polled every millisecond or so until it is done, not given up; one that stays busy past
// the engine's ceiling fails with the cause, goes on erasing by itself, and takes the next
// download at the first attempt.
TEST_F(DownloadTest, ABusyDeviceIsPolledAtItsIntervalUpToTheCeiling)
{
    const std::uint32_t sector = 0x08020000; // 128 KB
    const auto data = ImageData(0x0031, 4096);
    TempFile file("busy.dfu");
    file.Write(DfuSeFile(sector, data));
    {
        SCOPED_TRACE("2 s erase, bwPollTimeout 0");
        auto unit = AddBootloader(kControllerPid);
        unit->SetBusyAnswer(BusyAnswer::AnswerBusy);
        unit->SetReportedPollTimeout(Milliseconds(0));
        unit->SetTimings({Milliseconds(250), Milliseconds(0), Milliseconds(0), Milliseconds(1)});
        auto engine = Ready(kControllerPid, file);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted) << FailureText(*engine);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
        EXPECT_EQ(unit->ReadFlash(sector, 4096), data);
        // At least 1 ms between the status requests of the erase.
        const auto requests = Requests(*unit, true);
        const auto erase = std::find(requests.begin(), requests.end(), "E08020000");
        ASSERT_NE(erase, requests.end());
        const auto polls =
            std::find_if(erase + 1, requests.end(), [](const std::string& w) { return w != "S"; }) -
            (erase + 1);
        EXPECT_GE(polls, 3);
        EXPECT_LE(polls, 2000 + 10);
    }
    {
        SCOPED_TRACE("past a ceiling of 50 ms");
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        unit->SetBusyAnswer(BusyAnswer::AnswerBusy);
        unit->SetTimings({Milliseconds(40), Milliseconds(0), Milliseconds(0), Milliseconds(1)});
        // Something in the sector, which the erase that goes on must blank.
        auto first = Ready(kControllerPid, file);
        ASSERT_EQ(Run(*first), Engine::kUpdateCompleted);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(5000)));
        unit->Plug(SimulatedMode::Bootloader);

        auto engine = Ready(kControllerPid, file);
        unit->ClearRequestLog();
        engine->SetBusyCeiling(50);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
        const std::string text = FailureText(*engine);
        EXPECT_NE(text.find("erasing the sector at 0x08020000: the device was still busy "
                            "(dfuDNBUSY (bState 4)"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("after 50 ms"), std::string::npos) << text;
        EXPECT_EQ(CountPrefix(Requests(*unit), 'L'), 0u);

        // The device finishes the erase by itself (320 ms); the next download waits for it.
        const auto blank = std::vector<std::uint8_t>(4096, 0xFF);
        while (unit->ReadFlash(sector, 4096) != blank &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        {
            std::this_thread::sleep_for(Milliseconds(5));
        }
        EXPECT_EQ(unit->ReadFlash(sector, 4096), blank);
        engine->SetBusyCeiling(LUpdateEngine::kBusyCeiling);
        ASSERT_EQ(engine->Rescan(), S_OK);
        EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted) << FailureText(*engine);
        EXPECT_EQ(unit->ReadFlash(sector, 4096), data);
    }
}

// An engine released while its download runs is kept by its worker until the download has
// ended: the image is written whole and nothing is cut off.
TEST_F(DownloadTest, ReleasingTheEngineLetsTheDownloadFinish)
{
    auto unit = AddBootloader(kWheelDisplayPid);
    unit->SetTimings({Milliseconds(1), Milliseconds(3), Milliseconds(0), Milliseconds(1)});
    const auto data = ImageData(0x0050, 0x20000);
    TempFile file("release.dfu");
    file.Write(DfuSeFile(kApplicationStart, data));
    auto lifetime = std::make_shared<RecordingEngine::Lifetime>();
    {
        Orv::RCPtr<RecordingEngine> engine(new RecordingEngine(lifetime));
        engine->SetDeviceDefinitions(Definitions({MakeDefinition(kWheelDisplayPid)}));
        engine->SetFirmwareFile(file.WidePath(), Engine::VersionInfo());
        ASSERT_EQ(engine->Rescan(), S_OK);
        ASSERT_EQ(engine->StartDownload(), S_OK);
        ASSERT_TRUE(engine->WaitForProgress(0.5, std::chrono::seconds(20)));
    }
    // The engine dies on its worker once the download is over.
    ASSERT_TRUE(lifetime->WaitForDestruction(std::chrono::seconds(20)));
    EXPECT_NE(lifetime->thread, std::this_thread::get_id());
    ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(20000)));
    EXPECT_EQ(unit->FirmwareVersion(), 0x0050);
    EXPECT_EQ(unit->ReadFlash(kApplicationStart, 0x20000), data);
}

// The device is reported in update mode after an abort only when it still answers as a DFU
// device; one that is gone by then is reported gone.
TEST_F(DownloadTest, AnAbortedDeviceThatIsGoneIsReportedGone)
{
    auto unit = AddBootloader(kWheelDisplayPid);
    unit->SetTimings({Milliseconds(1), Milliseconds(5), Milliseconds(0), Milliseconds(1)});
    SimulatedFaultRule vanish;
    vanish.step = SimulatedStep::AbortRequest;
    vanish.fault = SimulatedFault::Vanish;
    unit->AddFault(vanish);
    TempFile file("gone.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, 480 * 1024)));
    auto engine = Ready(kWheelDisplayPid, file);

    ASSERT_EQ(engine->StartDownload(), S_OK);
    ASSERT_TRUE(engine->WaitForProgress(0.6, std::chrono::seconds(20)));
    EXPECT_EQ(engine->Abort(), S_OK);
    ASSERT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateAborted);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
    EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
    EXPECT_EQ(unit->Mode(), SimulatedMode::OffBus);
}

// An exception on the worker ends the download as a failure; the worker lives on.
TEST_F(DownloadTest, AnExceptionOnTheWorkerIsAFailure)
{
    class ThrowingSequence : public TestSequence
    {
    public:
        bool LookupSector(unsigned int index, std::uint32_t& address) const override
        {
            if (throwing.load())
            {
                throw std::runtime_error("the sector table cannot be read");
            }
            return TestSequence::LookupSector(index, address);
        }
        std::atomic<bool> throwing{true};
    };
    Orv::RCPtr<ThrowingSequence> sequence(new ThrowingSequence());
    sequence->sectors = {0x08008000};
    auto unit = AddBootloader(kControllerPid);
    TempFile file("throw.dfu");
    const auto data = ImageData(0x0031, 4096);
    file.Write(DfuSeFile(kApplicationStart, data));
    auto engine = Ready(kControllerPid, file, {}, Orv::RCPtr<IUpdateImageSequence>(sequence));

    EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
    EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
    EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
    EXPECT_TRUE(unit->RequestLog().empty());

    // The same engine and worker write the image once the table can be read.
    sequence->throwing.store(false);
    ASSERT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
    EXPECT_EQ(unit->ReadFlash(kApplicationStart, 4096), data);
}
