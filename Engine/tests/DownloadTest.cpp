// The download, run by the real engine on its worker against the simulated DfuSe bootloader.
#include "EngineTestSupport.h"
#include "WinUsbConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

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
constexpr std::uint16_t kControllerPid = 0x8010;
constexpr std::uint16_t kWheelDisplayPid = 0xB010;

class DownloadTest : public SimulatedBusTest
{
protected:
    std::shared_ptr<SimulatedUnit> AddBootloader(std::uint16_t productId)
    {
        const auto config = productId == kControllerPid ? SimulatedUnitConfig::Controller(0x0010)
                                                        : SimulatedUnitConfig::WheelDisplay(0x0010);
        return SimulatedDevices::AddUnit(FastUnit(config, SimulatedMode::Bootloader));
    }

    // An engine with the file and the device found in update mode (state 7).
    Orv::RCPtr<RecordingEngine> Ready(std::uint16_t productId, const TempFile& file)
    {
        Orv::RCPtr<RecordingEngine> engine(new RecordingEngine());
        EXPECT_EQ(engine->Initialize(Orv::WString()), S_OK);
        engine->SetDeviceDefinitions(Definitions({MakeDefinition(productId)}));
        EXPECT_EQ(engine->SetFirmwareFile(file.WidePath(), Engine::VersionInfo()), S_OK);
        EXPECT_EQ(engine->Rescan(), S_OK);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
        engine->ClearRecords();
        return engine;
    }

    // Runs the download to its end; the update result.
    static int Run(RecordingEngine& engine)
    {
        EXPECT_EQ(engine.StartDownload(), S_OK);
        EXPECT_EQ(engine.WaitForTask(30000), S_OK);
        return engine.GetUpdateResult(false);
    }

    static unsigned int FailureReason(const RecordingEngine& engine)
    {
        unsigned int reason = 0;
        EXPECT_EQ(engine.GetSelectedFailureReason(reason), S_OK);
        return reason;
    }
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
// block gets a pointer of its own and goes out as 2. A whole last block needs none.
TEST_F(DownloadTest, BlocksAreNumberedFromTheirAddressPointer)
{
    struct Case
    {
        std::uint32_t size;
        std::vector<std::string> writes;
    };
    const std::vector<Case> cases = {
        {5000, {"A08008000", "D2:2048", "D3:2048", "A08009000", "D2:904"}},
        {4098, {"A08008000", "D2:2048", "D3:2048", "A08009000", "D2:2"}},
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
    TestSequence wheel;
    wheel.sectors = {0x08008000, 0x0800C000, 0x08010000, 0x08020000, 0x08040000, 0x08060000};
    IUpdateImageSequence::Install(&wheel);
    auto unit = AddBootloader(kWheelDisplayPid);
    unit->SetTimings({Milliseconds(1), Milliseconds(2), Milliseconds(0), Milliseconds(1)});
    const std::uint32_t size = 100 * 1024;
    TempFile file("progress.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, size)));
    auto engine = Ready(kWheelDisplayPid, file);

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
        if (wheel.sectors[i] >= kApplicationStart + size)
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
// reason 4, completion with false), and is never told to leave DFU mode.
TEST_F(DownloadTest, DeviceFailuresAreReportedAsFailures)
{
    struct Case
    {
        const char* name;
        SimulatedFaultRule fault;
        bool unplug;
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
         rule(SimulatedStep::DataRequest, SimulatedFault::Vanish, 5), false},
        {"vanishes while it erases", rule(SimulatedStep::EraseOperation, SimulatedFault::Vanish, 2),
         false},
        {"stalls the erase request", rule(SimulatedStep::EraseRequest, SimulatedFault::Stall, 2),
         false},
        {"stalls a data request", rule(SimulatedStep::DataRequest, SimulatedFault::Stall, 3),
         false},
        {"fails to program a block (dfuERROR)",
         rule(SimulatedStep::ProgramOperation, SimulatedFault::Fail, 3), false},
        {"fails to erase (dfuERROR)", rule(SimulatedStep::EraseOperation, SimulatedFault::Fail),
         false},
        {"fails a status request", rule(SimulatedStep::GetStatusRequest, SimulatedFault::Fail, 4),
         false},
        {"answers a status request short", shortStatus, false},
        {"cannot be claimed", rule(SimulatedStep::ClaimInterface, SimulatedFault::Fail), false},
        {"is gone before the download", {}, true},
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

        EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
        const auto requests = Requests(*unit);
        EXPECT_EQ(std::count(requests.begin(), requests.end(), "L"), 0);
        EXPECT_NE(unit->Mode(), SimulatedMode::Normal);
        // The result is read and cleared once.
        EXPECT_EQ(engine->GetUpdateResult(true), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetUpdateResult(true), Engine::kUpdateReady);
    }
}

// A device found in dfuERROR is cleared with CLRSTATUS first; one that stays in error is a
// failure.
TEST_F(DownloadTest, ADeviceInErrorIsClearedFirst)
{
    for (bool clearFails : {false, true})
    {
        SCOPED_TRACE(clearFails);
        SimulatedDevices::Reset();
        auto unit = AddBootloader(kControllerPid);
        TempFile file("error.dfu");
        file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
        auto engine = Ready(kControllerPid, file);
        {
            // CLRSTATUS is not allowed in dfuIDLE: the device stalls it and enters dfuERROR.
            LUpdateEngine::DeviceDefinitionEx record;
            ASSERT_TRUE(engine->GetFoundDevice(0, record));
            WinUsbConnection connection;
            ASSERT_EQ(connection.Open(record.bootloaderPath), 1);
            connection.ClearStatus();
        }
        ASSERT_EQ(unit->State(), DfuState::dfuERROR);
        unit->ClearRequestLog();
        if (clearFails)
        {
            SimulatedFaultRule fault;
            fault.step = SimulatedStep::ClearStatusRequest;
            fault.fault = SimulatedFault::Fail;
            unit->AddFault(fault);
        }

        const int result = Run(*engine);
        const auto requests = Requests(*unit, true);
        ASSERT_GE(requests.size(), 2u);
        EXPECT_EQ(requests[0], "S");
        EXPECT_EQ(requests[1], "C");
        if (clearFails)
        {
            EXPECT_EQ(result, Engine::kUpdateFailed);
            EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
            EXPECT_EQ(CountPrefix(requests, 'E'), 0u);
        }
        else
        {
            EXPECT_EQ(result, Engine::kUpdateCompleted);
            EXPECT_EQ(requests[2], "S");
            EXPECT_EQ(requests[3], "E08008000");
        }
    }
}

// A corrupt, truncated or oversized file is refused before the device is touched: result 2,
// reason 3, file state 1, nothing erased.
TEST_F(DownloadTest, BadFilesAreRefusedBeforeAnythingIsErased)
{
    TestSequence controller;
    controller.sectors = {0x08008000, 0x0800C000, 0x08010000};
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool controllerSequence;
    };
    auto good = DfuSeFile(kApplicationStart, ImageData(0x0031, 0x6000));
    auto corrupt = good;
    corrupt[400] ^= 0x01;
    auto truncated = good;
    truncated.resize(truncated.size() - 100);
    auto badTargets = good;
    badTargets[10] = 2;
    RefreshCrc(badTargets);
    const std::vector<Case> cases = {
        {"corrupt", corrupt, false},
        {"truncated", truncated, false},
        {"two targets", badTargets, false},
        {"not a DfuSe file", std::vector<std::uint8_t>(4096, 0x20), false},
        {"past the end of the flash", DfuSeFile(0x080F8000, ImageData(0x0031, 0x10000)), false},
        {"in the bootloader's sectors", DfuSeFile(0x08000000, ImageData(0x0031, 0x1000)), false},
        {"larger than the image's sectors",
         DfuSeFile(kApplicationStart, ImageData(0x0031, 0x18000 + 2048)), true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedDevices::Reset();
        IUpdateImageSequence::Install(c.controllerSequence ? &controller : nullptr);
        auto unit = AddBootloader(kControllerPid);
        const auto before = unit->ReadFlash(0x08000000, 0x100000);
        TempFile file("bad.dfu");
        file.Write(c.bytes);
        auto engine = Ready(kControllerPid, file);

        EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
        EXPECT_EQ(FailureReason(*engine), Engine::kFailureFile);
        EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
        EXPECT_EQ(engine->GetFileStates(), (std::vector<std::pair<int, int>>{
                                               {Engine::kFileMissing, Engine::kFileVersionKnown}}));
        EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
        EXPECT_TRUE(unit->RequestLog().empty());
        EXPECT_EQ(unit->ReadFlash(0x08000000, 0x100000), before);
        // A refused file is not tried again until a file is set.
        EXPECT_EQ(engine->StartDownload(), E_FAIL);
    }
}

// A file that is gone by the time the download starts is a file failure.
TEST_F(DownloadTest, AVanishedFileIsAFileFailure)
{
    auto unit = AddBootloader(kControllerPid);
    auto file = std::make_unique<TempFile>("gone.dfu");
    file->Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    auto engine = Ready(kControllerPid, *file);
    file.reset();
    EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
    EXPECT_EQ(FailureReason(*engine), Engine::kFailureFile);
    EXPECT_TRUE(unit->RequestLog().empty());
}

// An element of no bytes erases and writes nothing; the closing request goes out and the
// download completes.
TEST_F(DownloadTest, AnEmptyElementWritesNothing)
{
    auto unit = AddBootloader(kControllerPid);
    TempFile file("empty.dfu");
    file.Write(DfuSeFile(kApplicationStart, {}));
    auto engine = Ready(kControllerPid, file);
    EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
    EXPECT_EQ(Requests(*unit), std::vector<std::string>{"L"});
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
        bool LookupSector(unsigned int, std::uint32_t&) const override
        {
            throw std::runtime_error("the sector table cannot be read");
        }
    };
    ThrowingSequence sequence;
    sequence.sectors = {0x08008000};
    IUpdateImageSequence::Install(&sequence);
    auto unit = AddBootloader(kControllerPid);
    TempFile file("throw.dfu");
    const auto data = ImageData(0x0031, 4096);
    file.Write(DfuSeFile(kApplicationStart, data));
    auto engine = Ready(kControllerPid, file);

    EXPECT_EQ(Run(*engine), Engine::kUpdateFailed);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
    EXPECT_EQ(FailureReason(*engine), Engine::kFailureDevice);
    EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
    EXPECT_TRUE(unit->RequestLog().empty());

    // The same engine and worker write the image once the table can be read.
    IUpdateImageSequence::Install(nullptr);
    ASSERT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(Run(*engine), Engine::kUpdateCompleted);
    EXPECT_EQ(unit->ReadFlash(kApplicationStart, 4096), data);
}

// A file cut short while the device is erased is a file failure when its block cannot be read.
TEST_F(DownloadTest, AFileCutShortDuringTheDownloadIsAFileFailure)
{
    auto unit = AddBootloader(kWheelDisplayPid);
    unit->SetTimings({Milliseconds(30), Milliseconds(0), Milliseconds(0), Milliseconds(1)});
    TempFile file("cut.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0050, 0x20000)));
    auto engine = Ready(kWheelDisplayPid, file);

    ASSERT_EQ(engine->StartDownload(), S_OK);
    ASSERT_TRUE(engine->WaitForProgress(0.0, std::chrono::seconds(20)));
    ASSERT_EQ(truncate(file.Path().c_str(), 293 + 4096), 0);
    EXPECT_EQ(engine->WaitForTask(30000), S_OK);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateFailed);
    EXPECT_EQ(FailureReason(*engine), Engine::kFailureFile);
    EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
    const auto requests = Requests(*unit);
    EXPECT_EQ(CountPrefix(requests, 'D'), 2u);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "L"), 0);
}
