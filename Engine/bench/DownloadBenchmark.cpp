// How much longer a download takes than the device needs for its own work.
//
// The real engine writes the 480 KB wheel-display image to the simulated DfuSe bootloader. The
// image covers six sectors (16, 16, 64, 128, 128 and 128 KB) and 240 blocks of 2048 bytes; the
// bootloader reports each operation's duration as its bwPollTimeout. Three device speeds:
//   op_ms 20: the timings of a flash of this family: erasing 250 ms per 16 KB (a 128 KB sector
//             2 s; 7.5 s in all), programming a block 20 ms (4.8 s in all);
//   op_ms 5, op_ms 2: fast operations, where oversleeping would show: programming a block and
//             erasing 16 KB take that many milliseconds.
// Setting the address pointer takes 1 ms, manifesting the image 100 ms.
//
// Reported, per iteration: the time from StartDownload to the end of the task, the time the
// device was busy (erasing, programming, setting the pointer and manifesting, from the requests
// it received), and their ratio total_per_busy. answer_busy 0: the bootloader holds status
// requests while it works; 1: it answers them "busy".
#include "DfuSeWriter.h"
#include "UpdateEngine.h"
#include "UpdateImageSequence.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace OrvPlatform;

namespace
{
constexpr std::uint32_t kImageAddress = 0x08008000u;
constexpr std::uint32_t kImageSize = 480 * 1024;
constexpr Milliseconds kCommandTime{1};
constexpr Milliseconds kManifestTime{100};

// The device's timings for an operation time.
DfuTimings TimingsFor(int operationMs)
{
    const Milliseconds program(operationMs);
    const Milliseconds erasePer16K = operationMs == 20 ? Milliseconds(250) : program;
    return {erasePer16K, program, kCommandTime, kManifestTime};
}

// The wheel display's sector table, as the image sequence gives it.
class WheelDisplaySectors : public IUpdateImageSequence
{
public:
    ORVRESULT OnRescan(LUpdateEngineInterface&) override { return S_OK; }
    ORVRESULT ProcessUpdateResult(LUpdateEngineInterface&, bool) override { return S_OK; }
    Orv::WString GetDeviceName(unsigned int) const override { return Orv::WString(); }
    unsigned int GetSectorCount() const override { return 6; }
    bool LookupSector(unsigned int index, std::uint32_t& address) const override
    {
        static const std::uint32_t sectors[6] = {0x08008000, 0x0800C000, 0x08010000,
                                                 0x08020000, 0x08040000, 0x08060000};
        address = index < 6 ? sectors[index] : 0;
        return index < 6;
    }
};

// The device's own time for the requests it received: erasing, programming, setting the
// pointer, manifesting.
Milliseconds DeviceBusyTime(const SimulatedUnit& unit, const DfuTimings& timings)
{
    Milliseconds busy{0};
    for (const auto& request : unit.RequestLog())
    {
        if (request.request != 1)
        {
            continue;
        }
        if (request.length == 0)
        {
            busy += timings.manifestTime;
        }
        else if (request.value == 0 && request.data.size() == 5 && request.data[0] == 0x41)
        {
            const std::uint32_t address = request.data[1] | request.data[2] << 8 |
                                          request.data[3] << 16 |
                                          std::uint32_t(request.data[4]) << 24;
            for (const auto& sector : SimulatedFlashSectors())
            {
                if (sector.address == address)
                {
                    busy += timings.eraseTimePer16K * static_cast<int>(sector.size / 0x4000);
                }
            }
        }
        else if (request.value == 0)
        {
            busy += timings.commandTime;
        }
        else if (request.value >= 2)
        {
            busy += timings.programTimePerBlock;
        }
    }
    return busy;
}

void WheelDisplayDownload(benchmark::State& state)
{
    SimulatedDevices::Activate();
    SimulatedDevices::Reset();
    const DfuTimings timings = TimingsFor(static_cast<int>(state.range(0)));
    auto config = SimulatedUnitConfig::WheelDisplay(0x0040);
    config.initialMode = SimulatedMode::Bootloader;
    config.timings = timings;
    config.busyAnswer = state.range(1) == 0 ? BusyAnswer::Hold : BusyAnswer::AnswerBusy;
    config.resetDelay = Milliseconds(10);
    auto unit = SimulatedDevices::AddUnit(config);

    OrvTools::DfuSeImage image;
    image.address = kImageAddress;
    image.data = SimulatedFirmwareImage::Make(0x0050, kImageSize);
    const std::string path = "/tmp/orv_bench_wheel_display_" + std::to_string(getpid()) + ".dfu";
    std::string error;
    if (!OrvTools::DfuSeWriter::WriteFile(image, path, error))
    {
        state.SkipWithError(error.c_str());
        return;
    }

    auto engine =
        LUpdateEngine::Create(LUpdateEngine::UpdateModeTimings(), Orv::GetSystemClock(),
                              Orv::RCPtr<IUpdateImageSequence>(new WheelDisplaySectors()));
    engine->Initialize(Orv::WString());
    LUpdateEngineInterface::DeviceDefinition definition;
    definition.vendorId = 0x7A5E;
    definition.productId = 0xB010;
    definition.bootloaderVendorId = 0x0483;
    definition.bootloaderProductId = 0xDF11;
    Orv::Array<LUpdateEngineInterface::DeviceDefinition> definitions;
    definitions.AddItem(definition);
    engine->SetDeviceDefinitions(definitions);
    engine->SetFirmwareFile(Orv::WString(path.c_str()), LUpdateEngineInterface::VersionInfo());

    double total = 0;
    double busy = 0;
    for (auto _ : state)
    {
        unit->Plug(SimulatedMode::Bootloader);
        unit->ClearRequestLog();
        if (FAILED(engine->Rescan()) ||
            engine->GetDeviceState() != LUpdateEngineInterface::kDeviceUpdateMode)
        {
            state.SkipWithError("the bootloader was not found");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        engine->StartDownload();
        engine->WaitForTask(INFINITE);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (engine->GetUpdateResult(true) != LUpdateEngineInterface::kUpdateCompleted)
        {
            state.SkipWithError("the download failed");
            break;
        }
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
        busy += std::chrono::duration<double>(DeviceBusyTime(*unit, timings)).count();
        // The device resets into its image; the engine sees it back before the next round.
        if (!unit->WaitForMode(SimulatedMode::Normal, Milliseconds(10000)) ||
            FAILED(engine->RescanSelectedDevice()))
        {
            state.SkipWithError("the device did not come back");
            break;
        }
    }
    state.counters["device_busy_s"] = busy / static_cast<double>(state.iterations());
    state.counters["total_s"] = total / static_cast<double>(state.iterations());
    state.counters["total_per_busy"] = busy > 0 ? total / busy : 0;

    std::remove(path.c_str());
    SimulatedDevices::Reset();
}
} // namespace

// Several iterations of each: the fast operations more, the slow ones (12.4 s each) fewer.
BENCHMARK(WheelDisplayDownload)
    ->ArgNames({"op_ms", "answer_busy"})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({5, 0})
    ->Args({5, 1})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(WheelDisplayDownload)
    ->ArgNames({"op_ms", "answer_busy"})
    ->Args({20, 0})
    ->Args({20, 1})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
