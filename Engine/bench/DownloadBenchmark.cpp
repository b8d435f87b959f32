// How much longer a download takes than the device needs for its own work.
//
// The real engine writes the 480 KB wheel-display image to the simulated DfuSe bootloader with
// the timings of a flash of this family: erasing takes 250 ms per 16 KB (a 16 KB sector 250 ms,
// the 64 KB sector 1 s, a 128 KB sector 2 s), programming a 2048-byte block 20 ms, setting the
// address pointer 1 ms; the bootloader reports each operation's duration as its bwPollTimeout.
// The image covers six sectors (16, 16, 64, 128, 128 and 128 KB: 7.5 s of erasing) and 240
// blocks (4.8 s of programming).
//
// Reported: the time from StartDownload to the end of the task, the time the device was busy
// erasing and programming (from the requests it received), and their ratio. Argument 0: the
// bootloader holds status requests while it works; 1: it answers them "busy".
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
constexpr Milliseconds kErasePer16K{250};
constexpr Milliseconds kProgramPerBlock{20};

// The wheel display's sector table, as the image sequence gives it.
class WheelDisplaySectors : public IUpdateImageSequence
{
public:
    ORVRESULT OnRescan() override { return S_OK; }
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

// The device's own time for the erase and program requests it received.
Milliseconds DeviceBusyTime(const SimulatedUnit& unit)
{
    Milliseconds busy{0};
    for (const auto& request : unit.RequestLog())
    {
        if (request.request != 1 || request.length == 0)
        {
            continue;
        }
        if (request.value == 0 && request.data.size() == 5 && request.data[0] == 0x41)
        {
            const std::uint32_t address = request.data[1] | request.data[2] << 8 |
                                          request.data[3] << 16 |
                                          std::uint32_t(request.data[4]) << 24;
            for (const auto& sector : SimulatedFlashSectors())
            {
                if (sector.address == address)
                {
                    busy += kErasePer16K * static_cast<int>(sector.size / 0x4000);
                }
            }
        }
        else if (request.value >= 2)
        {
            busy += kProgramPerBlock;
        }
    }
    return busy;
}

void WheelDisplayDownload(benchmark::State& state)
{
    SimulatedDevices::Activate();
    SimulatedDevices::Reset();
    WheelDisplaySectors sectors;
    IUpdateImageSequence::Install(&sectors);

    auto config = SimulatedUnitConfig::WheelDisplay(0x0040);
    config.initialMode = SimulatedMode::Bootloader;
    config.timings = {kErasePer16K, kProgramPerBlock, Milliseconds(1), Milliseconds(100)};
    config.busyAnswer = state.range(0) == 0 ? BusyAnswer::Hold : BusyAnswer::AnswerBusy;
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

    auto engine = LUpdateEngine::Create();
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
        busy += std::chrono::duration<double>(DeviceBusyTime(*unit)).count();
    }
    state.counters["device_busy_s"] = busy / static_cast<double>(state.iterations());
    state.counters["total_s"] = total / static_cast<double>(state.iterations());
    state.counters["total_per_busy"] = busy > 0 ? total / busy : 0;

    std::remove(path.c_str());
    IUpdateImageSequence::Install(nullptr);
    SimulatedDevices::Reset();
}
} // namespace

BENCHMARK(WheelDisplayDownload)
    ->ArgName("answer_busy")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
