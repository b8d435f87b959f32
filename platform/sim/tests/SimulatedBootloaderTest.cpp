#include "DfuHost.h"
#include "platform/SimulatedBus.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

using namespace OrvPlatform;
using OrvTest::DfuHost;
using OrvTest::StatusAnswer;

namespace
{
constexpr std::uint32_t kApp = kSimulatedApplicationStart;

DfuTimings FastTimings()
{
    DfuTimings t;
    t.eraseTimePer16K = Milliseconds(1);
    t.programTimePerBlock = Milliseconds(0);
    t.commandTime = Milliseconds(0);
    t.manifestTime = Milliseconds(1);
    return t;
}

class SimulatedBootloader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
        auto config = SimulatedUnitConfig::Controller(0x0030);
        config.initialMode = SimulatedMode::Bootloader;
        config.timings = FastTimings();
        config.resetDelay = Milliseconds(5);
        config.updateModeDelay = Milliseconds(5);
        unit = SimulatedDevices::AddUnit(config);
        host = std::make_unique<DfuHost>(Open());
    }
    void TearDown() override { SimulatedDevices::Reset(); }

    std::shared_ptr<SimulatedUsbLink> Open()
    {
        const auto devices = SimulatedBus::ListUsbDevices();
        if (devices.empty())
        {
            return nullptr;
        }
        DWORD error = 0;
        auto link = SimulatedBus::OpenUsbDevice(devices[0].path, error);
        if (link && link->Claim() != 0)
        {
            return nullptr;
        }
        return link;
    }

    // Erases the sectors of [address, address + size) and writes data at address in blocks of
    // 2048 bytes, then sets the address pointer back to address (where the bootloader jumps when
    // it leaves DFU mode); the state after the last request.
    StatusAnswer Write(std::uint32_t address, const std::vector<std::uint8_t>& data)
    {
        for (const auto& sector : SimulatedFlashSectors())
        {
            if (sector.address + sector.size > address && sector.address < address + data.size())
            {
                const auto s = host->Run(host->Erase(sector.address));
                if (s.state != DfuState::dfuDNLOAD_IDLE)
                {
                    return s;
                }
            }
        }
        StatusAnswer s = host->Run(host->SetAddress(address));
        bool moved = false;
        for (std::size_t offset = 0, block = 2;
             offset < data.size() && s.state == DfuState::dfuDNLOAD_IDLE; offset += 2048, ++block)
        {
            const std::size_t n = std::min<std::size_t>(2048, data.size() - offset);
            if (n < 2048 && block > 2)
            {
                // A short block is addressed by its own length: anchor the pointer at it.
                s = host->Run(host->SetAddress(address + static_cast<std::uint32_t>(offset)));
                block = 2;
                moved = true;
            }
            s = host->Run(host->Download(
                static_cast<std::uint16_t>(block),
                std::vector<std::uint8_t>(data.begin() + offset, data.begin() + offset + n)));
        }
        if (moved && s.state == DfuState::dfuDNLOAD_IDLE)
        {
            s = host->Run(host->SetAddress(address));
        }
        return s;
    }

    std::shared_ptr<SimulatedUnit> unit;
    std::unique_ptr<DfuHost> host;
};

// GETSTATUS until the device leaves dfuDNBUSY, waiting the poll time-out it gives (at least 1 ms)
// between requests; the last answer.
StatusAnswer SettleByPolling(DfuHost& host)
{
    StatusAnswer status = host.GetStatus();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (status.error == 0 && status.state == DfuState::dfuDNBUSY &&
           std::chrono::steady_clock::now() < end)
    {
        std::this_thread::sleep_for(Milliseconds(std::max(1u, status.pollTimeout)));
        status = host.GetStatus();
    }
    return status;
}
} // namespace

TEST_F(SimulatedBootloader, EnumeratesWithTheBootloaderIdsAndStartsIdle)
{
    const auto devices = SimulatedBus::ListUsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].vendorId, 0x0483);
    EXPECT_EQ(devices[0].productId, 0xDF11);
    EXPECT_EQ(devices[0].bcdDevice, 0x2200);
    const auto status = host->GetStatus();
    EXPECT_EQ(status.error, 0u);
    EXPECT_EQ(status.state, DfuState::dfuIDLE);
    EXPECT_EQ(status.status, DfuStatus::OK);
}

TEST_F(SimulatedBootloader, WritesAnImageAndComesBackInNormalModeWithItsVersion)
{
    const auto image = SimulatedFirmwareImage::Make(0x0031, 0x8000 + 904);
    ASSERT_EQ(Write(kApp, image).state, DfuState::dfuDNLOAD_IDLE);
    EXPECT_EQ(unit->ReadFlash(kApp, static_cast<std::uint32_t>(image.size())), image);

    // The next sector was erased as well (the image runs into it), the rest of it is blank.
    const auto tail = unit->ReadFlash(kApp + static_cast<std::uint32_t>(image.size()), 16);
    EXPECT_EQ(tail, std::vector<std::uint8_t>(16, 0xFF));

    ASSERT_EQ(host->Leave(), 0u);
    const auto manifest = host->GetStatus();
    EXPECT_EQ(manifest.state, DfuState::dfuMANIFEST);
    EXPECT_EQ(manifest.pollTimeout, 1u);
    // The bootloader detaches itself: the held request finds it gone.
    EXPECT_EQ(host->GetStatus().error, ERROR_DEVICE_NOT_CONNECTED);
    ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(2000)));
    EXPECT_EQ(unit->FirmwareVersion(), 0x0031);
    const auto devices = SimulatedBus::ListUsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].productId, 0x8010);
    EXPECT_EQ(devices[0].bcdDevice, 0x0031);
}

TEST_F(SimulatedBootloader, KeepsTheOldVersionAfterAnIncompleteOrCorruptImage)
{
    struct Case
    {
        const char* what;
        bool dropLastBlock;
        bool corrupt;
    };
    for (const Case c : {Case{"incomplete", true, false}, Case{"corrupt", false, true}})
    {
        SCOPED_TRACE(c.what);
        unit->Plug(SimulatedMode::Bootloader);
        host = std::make_unique<DfuHost>(Open());
        auto image = SimulatedFirmwareImage::Make(0x0031, 3 * 2048);
        if (c.corrupt)
        {
            image[5000] ^= 0x01;
        }
        if (c.dropLastBlock)
        {
            image.resize(2 * 2048); // the record still says 3 blocks
            ASSERT_EQ(Write(kApp, image).state, DfuState::dfuDNLOAD_IDLE);
        }
        else
        {
            ASSERT_EQ(Write(kApp, image).state, DfuState::dfuDNLOAD_IDLE);
        }
        ASSERT_EQ(host->Leave(), 0u);
        EXPECT_EQ(host->GetStatus().state, DfuState::dfuMANIFEST);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Normal, Milliseconds(2000)));
        EXPECT_EQ(unit->FirmwareVersion(), 0x0030);
    }
}

// A unit made with a flash file and a fault from its description: the file follows every change
// of the flash, and the fault strikes at the block it names, once.
TEST_F(SimulatedBootloader, KeepsItsFlashInItsFileAndStartsWithItsFaults)
{
    const std::string file = ::testing::TempDir() + "orv_sim_flash_" + std::to_string(getpid());
    std::remove(file.c_str());
    auto config = SimulatedUnitConfig::Controller(0x0030);
    config.initialMode = SimulatedMode::Bootloader;
    config.timings = FastTimings();
    config.flashFile = file;
    SimulatedFaultRule fault;
    fault.step = SimulatedStep::ProgramOperation;
    fault.occurrence = 2;
    config.faults.push_back(fault);
    SimulatedDevices::Reset();
    unit = SimulatedDevices::AddUnit(config);
    const auto readFile = [&]
    {
        std::ifstream in(file, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(readFile(), unit->ReadFlash(kSimulatedFlashBase, kSimulatedFlashSize));

    host = std::make_unique<DfuHost>(Open());
    const auto image = SimulatedFirmwareImage::Make(0x0031, 3 * 2048);
    const auto failed = Write(kApp, image);
    EXPECT_EQ(failed.state, DfuState::dfuERROR);
    EXPECT_EQ(failed.status, DfuStatus::errPROG);
    const auto partial = readFile();
    EXPECT_EQ(partial, unit->ReadFlash(kSimulatedFlashBase, kSimulatedFlashSize));
    EXPECT_NE(
        std::vector<std::uint8_t>(partial.begin() + (kApp - kSimulatedFlashBase),
                                  partial.begin() + (kApp - kSimulatedFlashBase) + image.size()),
        image);

    ASSERT_EQ(host->Run(host->ClearStatus()).state, DfuState::dfuIDLE);
    ASSERT_EQ(Write(kApp, image).state, DfuState::dfuDNLOAD_IDLE);
    const auto whole = readFile();
    EXPECT_EQ(whole, unit->ReadFlash(kSimulatedFlashBase, kSimulatedFlashSize));
    EXPECT_EQ(
        std::vector<std::uint8_t>(whole.begin() + (kApp - kSimulatedFlashBase),
                                  whole.begin() + (kApp - kSimulatedFlashBase) + image.size()),
        image);
    std::remove(file.c_str());
}

TEST_F(SimulatedBootloader, RejectsWhatTheRealBootloaderRejects)
{
    struct Case
    {
        const char* what;
        std::function<StatusAnswer(DfuHost&)> steps;
        DfuStatus status;
        bool stalled;
    };
    const std::vector<std::uint8_t> block(2048, 0x11);
    const Case cases[] = {
        // Without a set-address the pointer is the start of the flash: the bootloader's sector.
        {"data before a set-address", [&](DfuHost& h) { return h.Run(h.Download(2, block)); },
         DfuStatus::errWRITE, false},
        {"writing flash that is not erased (the unit's own image)",
         [&](DfuHost& h)
         {
             h.Run(h.SetAddress(kApp));
             return h.Run(h.Download(2, block));
         },
         DfuStatus::errCHECK_ERASED, false},
        {"set-address outside the flash",
         [&](DfuHost& h) { return h.Run(h.SetAddress(0x20000000)); }, DfuStatus::errADDRESS, false},
        {"data running past the end of the flash",
         [&](DfuHost& h)
         {
             h.Run(h.SetAddress(kSimulatedFlashBase + kSimulatedFlashSize - 1024));
             return h.Run(h.Download(2, block));
         },
         DfuStatus::errADDRESS, false},
        {"erasing the bootloader's sector",
         [&](DfuHost& h) { return h.Run(h.Erase(kSimulatedFlashBase)); }, DfuStatus::errERASE,
         false},
        {"writing the bootloader's sector",
         [&](DfuHost& h)
         {
             h.Run(h.SetAddress(kSimulatedFlashBase));
             return h.Run(h.Download(2, block));
         },
         DfuStatus::errWRITE, false},
        {"block number 1", [&](DfuHost& h) { return h.Run(h.Download(1, block)); },
         DfuStatus::errSTALLEDPKT, true},
        {"an unknown command", [&](DfuHost& h) { return h.Run(h.Download(0, {0x92})); },
         DfuStatus::errSTALLEDPKT, true},
        {"a block longer than wTransferSize",
         [&](DfuHost& h) { return h.Run(h.Download(2, std::vector<std::uint8_t>(2049, 0))); },
         DfuStatus::errSTALLEDPKT, true},
        {"a zero-length download in dfuIDLE", [&](DfuHost& h) { return h.Run(h.Leave()); },
         DfuStatus::errSTALLEDPKT, true},
        {"CLRSTATUS in dfuIDLE", [&](DfuHost& h) { return h.Run(h.ClearStatus()); },
         DfuStatus::errSTALLEDPKT, true},
        {"a download in dfuDNLOAD-SYNC",
         [&](DfuHost& h)
         {
             h.SetAddress(kApp);
             return h.Run(h.SetAddress(kApp));
         },
         DfuStatus::errSTALLEDPKT, true},
        {"DETACH in DFU mode", [&](DfuHost& h) { return h.Run(h.Out(0, 1000)); },
         DfuStatus::errSTALLEDPKT, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        unit->Plug(SimulatedMode::Bootloader);
        host = std::make_unique<DfuHost>(Open());
        const StatusAnswer last = c.steps(*host);
        if (c.stalled)
        {
            EXPECT_EQ(last.error, ERROR_GEN_FAILURE);
            const auto log = unit->RequestLog();
            ASSERT_FALSE(log.empty());
            EXPECT_TRUE(log.back().stalled);
        }
        const auto status = host->GetStatus();
        EXPECT_EQ(status.state, DfuState::dfuERROR);
        EXPECT_EQ(status.status, c.status);
        // CLRSTATUS brings it back to dfuIDLE.
        EXPECT_EQ(host->ClearStatus(), 0u);
        const auto cleared = host->GetStatus();
        EXPECT_EQ(cleared.state, DfuState::dfuIDLE);
        EXPECT_EQ(cleared.status, DfuStatus::OK);
    }
}

TEST_F(SimulatedBootloader, ShortBlockLandsWhereItsBlockNumberSays)
{
    const std::uint32_t sector = 0x08010000;
    ASSERT_EQ(host->Run(host->Erase(sector)).state, DfuState::dfuDNLOAD_IDLE);
    ASSERT_EQ(host->Run(host->SetAddress(sector)).state, DfuState::dfuDNLOAD_IDLE);
    // A 2-byte last block sent as number 4 (not 2 after a new pointer) lands at
    // pointer + (4 - 2) * 2, not after the 4096 bytes before it.
    ASSERT_EQ(host->Run(host->Download(4, {0xAB, 0xCD})).state, DfuState::dfuDNLOAD_IDLE);
    EXPECT_EQ(unit->ReadFlash(sector, 8),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xAB, 0xCD, 0xFF, 0xFF}));
    EXPECT_EQ(unit->ReadFlash(sector + 4096, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
}

TEST_F(SimulatedBootloader, AnswersBusyWithThePollTimeoutAndHoldsTheNextStatus)
{
    DfuTimings timings = FastTimings();
    timings.eraseTimePer16K = Milliseconds(40);
    unit->SetTimings(timings);
    ASSERT_EQ(host->Erase(0x08008000), 0u);
    const auto start = std::chrono::steady_clock::now();
    const auto busy = host->GetStatus();
    EXPECT_EQ(busy.state, DfuState::dfuDNBUSY);
    EXPECT_EQ(busy.pollTimeout, 40u);
    const auto idle = host->GetStatus();
    EXPECT_GE(std::chrono::steady_clock::now() - start, Milliseconds(40));
    EXPECT_EQ(idle.state, DfuState::dfuDNLOAD_IDLE);

    // Answering busy again instead: GETSTATUS reports the rest of the time; other requests
    // stall.
    unit->SetBusyAnswer(BusyAnswer::AnswerBusy);
    ASSERT_EQ(host->Erase(0x08020000), 0u); // 128 KB: 320 ms
    EXPECT_EQ(host->GetStatus().pollTimeout, 320u);
    const auto again = host->GetStatus();
    EXPECT_EQ(again.state, DfuState::dfuDNBUSY);
    EXPECT_LE(again.pollTimeout, 320u);
    EXPECT_EQ(host->Abort(), ERROR_GEN_FAILURE);
    EXPECT_EQ(host->GetStatus().status, DfuStatus::errSTALLEDPKT);
}

// A request stalled while the device is busy ends the wait for the operation, not the operation:
// the erase still blanks its sector at its time, and the next operation waits for it.
TEST_F(SimulatedBootloader, AStallWhileBusyDoesNotAbandonTheErase)
{
    const std::uint32_t sector = 0x08010000; // 64 KB
    ASSERT_EQ(Write(sector, std::vector<std::uint8_t>(4096, 0x33)).state, DfuState::dfuDNLOAD_IDLE);
    DfuTimings timings = FastTimings();
    timings.eraseTimePer16K = Milliseconds(20); // 80 ms
    unit->SetTimings(timings);
    unit->SetBusyAnswer(BusyAnswer::AnswerBusy);

    ASSERT_EQ(host->Erase(sector), 0u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuDNBUSY);
    EXPECT_EQ(host->Abort(), ERROR_GEN_FAILURE); // not allowed in dfuDNBUSY
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuERROR);
    ASSERT_EQ(host->ClearStatus(), 0u);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuIDLE);

    // The next erase is busy for what is left of the first and its own time.
    ASSERT_EQ(host->Erase(0x08020000), 0u); // 128 KB: 160 ms
    const auto second = host->GetStatus();
    EXPECT_EQ(second.state, DfuState::dfuDNBUSY);
    EXPECT_GT(second.pollTimeout, 160u);
    EXPECT_LE(second.pollTimeout, 240u);
    EXPECT_EQ(SettleByPolling(*host).state, DfuState::dfuDNLOAD_IDLE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, Milliseconds(240));
    EXPECT_EQ(unit->ReadFlash(sector, 4096), std::vector<std::uint8_t>(4096, 0xFF));
}

// A device may tell the host to poll sooner than it will be done.
TEST_F(SimulatedBootloader, ReportsTheConfiguredPollTimeoutWhenOneIsSet)
{
    unit->SetBusyAnswer(BusyAnswer::AnswerBusy);
    DfuTimings timings = FastTimings();
    timings.eraseTimePer16K = Milliseconds(10);
    unit->SetTimings(timings);
    unit->SetReportedPollTimeout(Milliseconds(0));
    ASSERT_EQ(host->Erase(0x08010000), 0u);
    const auto first = host->GetStatus();
    EXPECT_EQ(first.state, DfuState::dfuDNBUSY);
    EXPECT_EQ(first.pollTimeout, 0u);
    const auto again = host->GetStatus();
    EXPECT_EQ(again.state, DfuState::dfuDNBUSY);
    EXPECT_EQ(again.pollTimeout, 0u);
    EXPECT_EQ(SettleByPolling(*host).state, DfuState::dfuDNLOAD_IDLE);
}

// The request hook sees each answered request as the log records it, and may use the unit.
TEST_F(SimulatedBootloader, TheRequestHookSeesEachAnsweredRequest)
{
    std::vector<SimulatedControlRequest> seen;
    std::vector<DfuState> states;
    unit->SetRequestHook(
        [&](const SimulatedControlRequest& request)
        {
            seen.push_back(request);
            states.push_back(unit->State());
        });
    ASSERT_EQ(host->SetAddress(kApp), 0u);
    ASSERT_EQ(host->Settle().state, DfuState::dfuDNLOAD_IDLE);
    EXPECT_EQ(host->ClearStatus(), ERROR_GEN_FAILURE); // not allowed in dfuDNLOAD-IDLE
    unit->SetRequestHook(nullptr);
    EXPECT_EQ(host->ClearStatus(), 0u);

    const auto log = unit->RequestLog();
    ASSERT_GE(seen.size(), 4u);
    ASSERT_EQ(log.size(), seen.size() + 1);
    for (std::size_t i = 0; i < seen.size(); ++i)
    {
        EXPECT_EQ(seen[i].request, log[i].request);
        EXPECT_EQ(seen[i].data, log[i].data);
        EXPECT_EQ(seen[i].stalled, log[i].stalled);
    }
    EXPECT_EQ(seen.front().request, 1);
    EXPECT_EQ(states.front(), DfuState::dfuDNLOAD_SYNC);
    EXPECT_TRUE(seen.back().stalled);
    EXPECT_EQ(states.back(), DfuState::dfuERROR);
}

TEST_F(SimulatedBootloader, AbortReturnsToIdleAndUploadReadsTheFlash)
{
    // Before any set-address the pointer is the start of the flash.
    std::vector<std::uint8_t> answer;
    ASSERT_EQ(host->In(2, 2, 64, answer), 0u);
    EXPECT_EQ(answer, unit->ReadFlash(kSimulatedDefaultAddressPointer, 64));
    ASSERT_EQ(host->Abort(), 0u);

    ASSERT_EQ(host->Run(host->SetAddress(kApp)).state, DfuState::dfuDNLOAD_IDLE);
    EXPECT_EQ(host->Abort(), 0u);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuIDLE);

    ASSERT_EQ(host->In(2, 0, 16, answer), 0u);
    EXPECT_EQ(answer, (std::vector<std::uint8_t>{0x00, 0x21, 0x41}));
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuIDLE); // short frame ends the upload
    ASSERT_EQ(host->Run(host->SetAddress(kApp)).state, DfuState::dfuDNLOAD_IDLE);
    ASSERT_EQ(host->Abort(), 0u);
    ASSERT_EQ(host->In(2, 3, 256, answer), 0u);
    EXPECT_EQ(answer, unit->ReadFlash(kApp + 256, 256));
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuUPLOAD_IDLE);
}

TEST_F(SimulatedBootloader, StepsCanBeToldToFailStallBeSlowOrVanish)
{
    // A failed transfer changes nothing on the device.
    unit->AddFault({SimulatedStep::SetAddressRequest, SimulatedFault::Fail});
    EXPECT_EQ(host->SetAddress(kApp), ERROR_GEN_FAILURE);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuIDLE);

    // The second GETSTATUS from now stalls.
    unit->AddFault({SimulatedStep::GetStatusRequest, SimulatedFault::Stall, 2});
    EXPECT_EQ(host->GetStatus().error, 0u);
    EXPECT_EQ(host->GetStatus().error, ERROR_GEN_FAILURE);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuERROR);
    ASSERT_EQ(host->ClearStatus(), 0u);

    // A failed erase is reported by the status after the busy one.
    unit->AddFault({SimulatedStep::EraseOperation, SimulatedFault::Fail});
    ASSERT_EQ(host->Erase(0x08010000), 0u);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuDNBUSY);
    const auto failed = host->GetStatus();
    EXPECT_EQ(failed.state, DfuState::dfuERROR);
    EXPECT_EQ(failed.status, DfuStatus::errERASE);
    ASSERT_EQ(host->ClearStatus(), 0u);

    // A slow operation reports its time; a request slower than the time-out times out.
    unit->AddFault({SimulatedStep::ProgramOperation, SimulatedFault::Slow, 1, Milliseconds(30)});
    ASSERT_EQ(host->Run(host->Erase(0x08010000)).state, DfuState::dfuDNLOAD_IDLE);
    ASSERT_EQ(host->Run(host->SetAddress(0x08010000)).state, DfuState::dfuDNLOAD_IDLE);
    ASSERT_EQ(host->Download(2, {1, 2, 3}), 0u);
    EXPECT_EQ(host->GetStatus().pollTimeout, 30u);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuDNLOAD_IDLE);

    // A short answer: the request is carried out, fewer bytes come back.
    unit->AddFault({SimulatedStep::GetStatusRequest, SimulatedFault::ShortAnswer, 1,
                    Milliseconds(0), DfuStatus::OK, 4});
    ASSERT_EQ(host->Download(3, {7, 8, 9}), 0u);
    std::vector<std::uint8_t> answer;
    EXPECT_EQ(host->In(3, 0, 6, answer), 0u);
    EXPECT_EQ(answer.size(), 4u);
    EXPECT_EQ(host->Settle().state, DfuState::dfuDNLOAD_IDLE);

    // Vanishing takes the unit off the bus for good.
    unit->AddFault({SimulatedStep::DataRequest, SimulatedFault::Vanish});
    EXPECT_EQ(host->Download(4, {4, 5, 6}), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(unit->Mode(), SimulatedMode::OffBus);
    EXPECT_TRUE(SimulatedBus::ListUsbDevices().empty());
    std::this_thread::sleep_for(Milliseconds(20));
    EXPECT_EQ(unit->Mode(), SimulatedMode::OffBus);
}

TEST_F(SimulatedBootloader, ARequestSlowerThanTheUnitsTimeOutTimesOut)
{
    // A unit with a time-out of its own.
    SimulatedDevices::Reset();
    auto config = SimulatedUnitConfig::Controller(0x0030);
    config.initialMode = SimulatedMode::Bootloader;
    config.timings = FastTimings();
    config.controlTimeout = Milliseconds(20);
    unit = SimulatedDevices::AddUnit(config);
    host = std::make_unique<DfuHost>(Open());
    std::vector<std::uint8_t> state;
    unit->AddFault({SimulatedStep::GetStateRequest, SimulatedFault::Slow, 1, Milliseconds(50)});
    EXPECT_EQ(host->In(5, 0, 1, state), ERROR_SEM_TIMEOUT);
    unit->AddFault({SimulatedStep::GetStateRequest, SimulatedFault::Slow, 1, Milliseconds(5)});
    ASSERT_EQ(host->In(5, 0, 1, state), 0u);
    EXPECT_EQ(state, std::vector<std::uint8_t>{static_cast<std::uint8_t>(DfuState::dfuIDLE)});
}

TEST_F(SimulatedBootloader, ReturnToNormalCanFailIntoTheBootloader)
{
    unit->AddFault({SimulatedStep::ReturnToNormal, SimulatedFault::Fail});
    ASSERT_EQ(Write(kApp, SimulatedFirmwareImage::Make(0x0031, 4096)).state,
              DfuState::dfuDNLOAD_IDLE);
    ASSERT_EQ(host->Leave(), 0u);
    EXPECT_EQ(host->GetStatus().state, DfuState::dfuMANIFEST);
    EXPECT_EQ(host->GetStatus().error, ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_TRUE(unit->WaitForMode(SimulatedMode::Bootloader, Milliseconds(2000)));
    // The image was good: the version is the new one even so.
    EXPECT_EQ(unit->FirmwareVersion(), 0x0031);
}

// Leaving DFU mode, the bootloader jumps to its address pointer: at the start of the written
// image the unit comes back running it; left at the image's short last block (where a host
// anchored the pointer to write it), it runs no image and comes back as the bootloader.
TEST_F(SimulatedBootloader, StartsTheCodeAtItsAddressPointer)
{
    const auto image = SimulatedFirmwareImage::Make(0x0031, 0x8000 + 904);
    const std::uint32_t lastBlock = kApp + 0x8000;
    struct Case
    {
        const char* what;
        std::uint32_t pointer;
        SimulatedMode comesBackIn;
        std::uint16_t version;
    };
    for (const Case c : {Case{"at the last block", lastBlock, SimulatedMode::Bootloader, 0x0030},
                         Case{"at the image's start", kApp, SimulatedMode::Normal, 0x0031}})
    {
        SCOPED_TRACE(c.what);
        unit->Plug(SimulatedMode::Bootloader);
        host = std::make_unique<DfuHost>(Open());
        ASSERT_EQ(Write(kApp, image).state, DfuState::dfuDNLOAD_IDLE);
        ASSERT_EQ(host->Run(host->SetAddress(c.pointer)).state, DfuState::dfuDNLOAD_IDLE);
        ASSERT_EQ(host->Leave(), 0u);
        EXPECT_EQ(host->GetStatus().state, DfuState::dfuMANIFEST);
        ASSERT_TRUE(unit->WaitForMode(SimulatedMode::OffBus, Milliseconds(2000)));
        EXPECT_EQ(unit->LastJumpAddress(), std::optional<std::uint32_t>(c.pointer));
        ASSERT_TRUE(unit->WaitForMode(c.comesBackIn, Milliseconds(2000)));
        EXPECT_EQ(unit->FirmwareVersion(), c.version);
    }
}

TEST(SimulatedUnit, UpdateModeMessageSendsItIntoTheBootloader)
{
    SimulatedDevices::Activate();
    SimulatedDevices::Reset();
    auto config = SimulatedUnitConfig::WheelDisplay(0x0040);
    config.updateModeDelay = Milliseconds(200);
    auto unit = SimulatedDevices::AddUnit(config);
    auto ports = SimulatedBus::ListMidiPorts(true);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0]->Name(), L"Halvex DJ Brelune VANTA WD");
    auto devices = SimulatedBus::ListUsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].vendorId, 0x7A5E);
    EXPECT_EQ(devices[0].productId, 0xB010);
    EXPECT_EQ(devices[0].bcdDevice, 0x0040);
    EXPECT_NE(devices[0].path.find(L"vid_7a5e&pid_b010"), std::wstring::npos);

    // In normal mode the interface belongs to the MIDI driver.
    DWORD error = 0;
    auto link = SimulatedBus::OpenUsbDevice(devices[0].path, error);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->Claim(), ERROR_NOT_SUPPORTED);

    // Another message does nothing.
    const std::vector<std::uint8_t> note = {0x90, 0x3C, 0x7F};
    EXPECT_TRUE(ports[0]->ReceiveFromHost(note.data(), note.size(), nullptr));
    EXPECT_EQ(unit->Mode(), SimulatedMode::Normal);

    const auto& message = UpdateModeMessage();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ports[0]->ReceiveFromHost(message.data(), message.size(), nullptr));
    EXPECT_EQ(unit->Mode(), SimulatedMode::OffBus);
    EXPECT_TRUE(SimulatedBus::ListMidiPorts(true).empty());
    EXPECT_EQ(link->Claim(), ERROR_DEVICE_NOT_CONNECTED);
    ASSERT_TRUE(unit->WaitForMode(SimulatedMode::Bootloader, Milliseconds(2000)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, Milliseconds(200));
    devices = SimulatedBus::ListUsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].productId, 0xDF11);
    EXPECT_EQ(ports[0]->Received().size(), 2u);
    SimulatedDevices::Reset();
}

TEST(SimulatedUnit, UpdateMessageFaults)
{
    SimulatedDevices::Activate();
    SimulatedDevices::Reset();
    auto config = SimulatedUnitConfig::Controller(0x0030);
    config.updateModeDelay = Milliseconds(1);
    auto unit = SimulatedDevices::AddUnit(config);
    auto port = unit->MidiPort();
    const auto& message = UpdateModeMessage();

    unit->AddFault({SimulatedStep::UpdateMessage, SimulatedFault::Fail});
    EXPECT_TRUE(port->ReceiveFromHost(message.data(), message.size(), nullptr));
    EXPECT_EQ(unit->Mode(), SimulatedMode::Normal);

    unit->AddFault({SimulatedStep::UpdateMessage, SimulatedFault::Vanish});
    EXPECT_TRUE(port->ReceiveFromHost(message.data(), message.size(), nullptr));
    std::this_thread::sleep_for(Milliseconds(10));
    EXPECT_EQ(unit->Mode(), SimulatedMode::OffBus);
    EXPECT_FALSE(port->ReceiveFromHost(message.data(), message.size(), nullptr));
    SimulatedDevices::Reset();
}
