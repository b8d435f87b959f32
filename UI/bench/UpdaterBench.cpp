// The updater program against its baselines, as timed runs of the real programs side by side on
// an X server of the benchmark's own (Xvfb):
//
//   start-up    from starting the process to the first painted frame of its window, the updater
//               (against a simulated controller and wheel display) against a bare SDL2 program
//               painting one cairo image with one line of text (bench_startup_baseline); the
//               frame is seen the same way for both, by polling the window's pixels through the
//               server until it shows more than a blank fill. Both present through the X
//               server's framebuffer without GL (the updater's windows do; the baseline is told
//               so through SDL's hint). Aim: under 2.
//   update      the whole two-image update through the window (start, wait for the devices,
//               click UPDATE FIRMWARE through the server, until both units run their target
//               versions and the window has left its progress display) against the same update
//               run with -SILENT (start until the process ends), with the same simulated devices,
//               times and waits. Aim: under 1.05.
//   idle CPU    the CPU time the shown window uses over some seconds once the devices are
//               found (the run time the scheduler counts for its threads), against the
//               baseline's window over the same time, in as many runs as the others. Aim: under
//               1 % of one core.
//
// Runs are interleaved (the measured program and its baseline alternate which goes first) and
// the medians are printed with their ratios.
//
//   bench_updater [repetitions (5)] [idle seconds (5)]
#include "ProcessCpuTime.h"
#include "ProgramUnderDisplay.h"
#include "SkinPlaces.h"
#include "UpdaterWorld.h"
#include "VirtualDisplay.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using OrvTest::ProcessCpuSeconds;
using OrvTest::ProgramUnderDisplay;
using OrvTest::Screenshot;
using OrvTest::Unit;
using OrvTest::UpdaterWorld;
using OrvTest::XServerClient;
using namespace std::chrono_literals;

// The simulated devices' times of the update runs: about a second of writing per image.
const std::string kTimes =
    "update-delay-ms=300 reset-delay-ms=300 erase-ms-per-16k=2 program-ms-per-block=25 "
    "manifest-ms=10";
constexpr std::size_t kImageSize = 64 * 1024;
constexpr const char* kUpdaterClass = "orv-firmware-updater";
constexpr int kUpdaterWidth = 480;
constexpr int kBaselineWidth = 640;
constexpr const char* kBaselineClass = "bench_startup_baseline";
// The UPDATE FIRMWARE button and the progress bar, where the skin puts them (read at the start).
OrvTest::Place gButton;
OrvTest::Place gProgress;

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The CPU seconds a process used while it idled: as the scheduler counts its threads' run time,
// and in the clock ticks of its /proc entry (too coarse for a fraction of a percent over a few
// seconds: one tick is 10 ms).
struct IdleCpu
{
    double run = 0;
    double ticks = 0;
};

// The CPU time a running process has used so far, in seconds, as the scheduler counts it for each
// of its threads in nanoseconds (/proc/<pid>/task/<tid>/schedstat). A thread that ends between
// two readings takes its time with it; the idle programs keep theirs.
double ProcessRunSeconds(pid_t pid)
{
    double seconds = 0;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
    {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long nanoseconds = 0;
        if (in >> nanoseconds)
        {
            seconds += static_cast<double>(nanoseconds) / 1e9;
        }
    }
    return seconds;
}

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > 8 || difference < -8)
        {
            return false;
        }
    }
    return true;
}

// Whether the window's progress bar shows (its trough or its fill along its middle row).
bool ProgressShows(const Screenshot& shot)
{
    if (shot.height <= gProgress.CentreY() || shot.width < gProgress.right)
    {
        return false;
    }
    int bar = 0;
    for (int x = gProgress.left; x < gProgress.right; ++x)
    {
        const std::uint32_t pixel = shot.At(x, gProgress.CentreY());
        bar += Near(pixel, 0xFF141B24) || Near(pixel, 0xFF35B45A) ? 1 : 0;
    }
    return bar > (gProgress.right - gProgress.left) / 2;
}

// Whether the UPDATE FIRMWARE button shows (in any of its looks but the disabled one).
bool UpdateButtonShows(const Screenshot& shot)
{
    if (shot.height <= gButton.bottom || shot.width <= gButton.right)
    {
        return false;
    }
    // A point of the button left of its text.
    const std::uint32_t pixel = shot.At(gButton.left + 3, gButton.top + 3);
    return Near(pixel, 0xFF2E7DD1) || Near(pixel, 0xFF4A95E6) || Near(pixel, 0xFF3A89DC);
}

class Bench
{
public:
    bool Start(std::string& error)
    {
        if (!mDisplay.Start(800, 600))
        {
            error = "Xvfb could not be started";
            return false;
        }
        mDisplay.UseForThisProcess();
        return mServer.Connect(mDisplay.Name(), error);
    }

    // A viewable window of the class and the width (the updater's main window, not its splash);
    // 0 when there is none.
    unsigned long FindWindow(const char* className, int width) const
    {
        for (const auto& window : mServer.FindWindows(className))
        {
            if (window.width == width)
            {
                return window.id;
            }
        }
        return 0;
    }

    // Polls (every millisecond, at most 20 s) until a window of the class shows a painted frame;
    // its id, 0 when none came. A window that goes away before (SDL may replace its first one)
    // is looked for again.
    unsigned long WaitForPaintedWindow(const char* className, int width) const
    {
        const auto end = Clock::now() + 20s;
        while (Clock::now() < end)
        {
            if (const unsigned long id = FindWindow(className, width);
                id != 0 && mServer.Capture(id).ColourCount() > 2)
            {
                return id;
            }
            std::this_thread::sleep_for(1ms);
        }
        return 0;
    }

    // One start of the updater against both units with old versions; the world is made before
    // the clock starts. The seconds to its first painted frame, or a negative number.
    double UpdaterStartup(IdleCpu* idleCpu, int idleSeconds)
    {
        UpdaterWorld world(ORV_UPDATER_PROGRAM, "/tmp", kImageSize);
        if (!world.Ok() || !world.WriteDevices(world.DeviceLine(Unit::Controller, "00.30") +
                                               world.DeviceLine(Unit::WheelDisplay, "00.49")))
        {
            return -1;
        }
        ProgramUnderDisplay program(world.Program(), world.Environment(mDisplay.Name()));
        const auto start = Clock::now();
        if (!program.Start({}, world.Path("errors.txt")))
        {
            return -1;
        }
        const unsigned long window = WaitForPaintedWindow(kUpdaterClass, kUpdaterWidth);
        const double startup = Seconds(Clock::now() - start);
        if (window == 0)
        {
            return -1;
        }
        if (idleCpu != nullptr)
        {
            // Idle once the devices are found and the window offers the update.
            OrvTest::PollUntil(20s, [&] { return UpdateButtonShows(mServer.Capture(window)); });
            *idleCpu = MeasureIdle(program.Pid(), idleSeconds);
        }
        return startup;
    }

    double BaselineStartup(IdleCpu* idleCpu, int idleSeconds)
    {
        // Presenting through the X server's own framebuffer, as the updater's windows do (an
        // accelerated one would start a GL renderer first).
        ProgramUnderDisplay program(ORV_STARTUP_BASELINE, {{"SDL_FRAMEBUFFER_ACCELERATION", "0"}});
        const auto start = Clock::now();
        // It stays until it is ended.
        if (!program.Start({"3600"}, "/dev/null"))
        {
            return -1;
        }
        const unsigned long window = WaitForPaintedWindow(kBaselineClass, kBaselineWidth);
        const double startup = Seconds(Clock::now() - start);
        if (window == 0)
        {
            return -1;
        }
        if (idleCpu != nullptr)
        {
            *idleCpu = MeasureIdle(program.Pid(), idleSeconds);
        }
        return startup;
    }

    // The whole two-image update through the window: the seconds from the start to the end,
    // or a negative number.
    double WindowUpdate()
    {
        UpdaterWorld world(ORV_UPDATER_PROGRAM, "/tmp", kImageSize);
        if (!WriteUnitsToUpdate(world))
        {
            return -1;
        }
        ProgramUnderDisplay program(world.Program(), world.Environment(mDisplay.Name()));
        const auto start = Clock::now();
        if (!program.Start({}, world.Path("errors.txt")))
        {
            return -1;
        }
        unsigned long window = 0;
        const bool offered = OrvTest::PollUntil(
            20s,
            [&]
            {
                window = window != 0 ? window : FindWindow(kUpdaterClass, kUpdaterWidth);
                return window != 0 && UpdateButtonShows(mServer.Capture(window));
            });
        if (!offered || !mServer.Click(window, gButton.CentreX(), gButton.CentreY()))
        {
            return -1;
        }
        const bool done = OrvTest::PollUntil(120s,
                                             [&]
                                             {
                                                 return world.FlashVersion(Unit::Controller) ==
                                                            UpdaterWorld::kControllerTarget &&
                                                        world.FlashVersion(Unit::WheelDisplay) ==
                                                            UpdaterWorld::kWheelDisplayTarget &&
                                                        !ProgressShows(mServer.Capture(window));
                                             });
        const double seconds = Seconds(Clock::now() - start);
        return done && FlashHoldsBothImages(world) ? seconds : -1;
    }

    // The same update run with -SILENT: from the start until the process ends.
    double SilentUpdate()
    {
        UpdaterWorld world(ORV_UPDATER_PROGRAM, "/tmp", kImageSize);
        if (!WriteUnitsToUpdate(world))
        {
            return -1;
        }
        ProgramUnderDisplay program(world.Program(), world.Environment(mDisplay.Name()));
        const auto start = Clock::now();
        if (!program.Start({"-SILENT"}, world.Path("errors.txt")))
        {
            return -1;
        }
        const auto status = program.WaitForExit(120s);
        const double seconds = Seconds(Clock::now() - start);
        return status == 0 && FlashHoldsBothImages(world) ? seconds : -1;
    }

private:
    // Both units on the bus with the versions before the update and the update run's times;
    // false when the world could not be made or the devices not written.
    static bool WriteUnitsToUpdate(UpdaterWorld& world)
    {
        return world.Ok() &&
               world.WriteDevices(world.DeviceLine(Unit::Controller, "00.30", kTimes) +
                                  world.DeviceLine(Unit::WheelDisplay, "00.49", kTimes));
    }
    // Both units' flash holds its image byte for byte.
    static bool FlashHoldsBothImages(const UpdaterWorld& world)
    {
        return world.FlashHoldsImage(Unit::Controller) && world.FlashHoldsImage(Unit::WheelDisplay);
    }

    static IdleCpu MeasureIdle(pid_t pid, int seconds)
    {
        const double runBefore = ProcessRunSeconds(pid);
        const double ticksBefore = ProcessCpuSeconds(pid);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        return IdleCpu{ProcessRunSeconds(pid) - runBefore, ProcessCpuSeconds(pid) - ticksBefore};
    }

    OrvTest::VirtualDisplay mDisplay;
    XServerClient mServer;
};

// Runs measured and baseline `repetitions` times each, alternating which goes first; false
// when a run failed.
template <class Measured, class Baseline>
bool Interleave(int repetitions, Measured measured, Baseline baseline, std::vector<double>& a,
                std::vector<double>& b)
{
    for (int r = 0; r < repetitions; ++r)
    {
        for (int k = 0; k < 2; ++k)
        {
            const bool first = (r % 2 == 0) == (k == 0);
            const double seconds = first ? measured() : baseline();
            if (seconds < 0)
            {
                return false;
            }
            (first ? a : b).push_back(seconds);
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    OrvTest::SkinPlaces skin;
    std::string error;
    if (!skin.Read(ORV_UPDATER_SKIN, error))
    {
        std::fprintf(stderr, "bench_updater: %s\n", error.c_str());
        return 1;
    }
    gButton = skin.Of("buttonUpdateFirmware");
    gProgress = skin.Of("progressBar");
    Bench bench;
    if (!bench.Start(error))
    {
        std::fprintf(stderr, "bench_updater: %s\n", error.c_str());
        return 1;
    }
    // One run of each first: the file cache and the font configuration's caches.
    if (bench.UpdaterStartup(nullptr, 0) < 0 || bench.BaselineStartup(nullptr, 0) < 0)
    {
        std::fprintf(stderr, "bench_updater: the updater or the baseline did not paint its "
                             "window\n");
        return 1;
    }

    std::vector<double> updaterStartup;
    std::vector<double> baselineStartup;
    if (!Interleave(
            repetitions, [&] { return bench.UpdaterStartup(nullptr, 0); },
            [&] { return bench.BaselineStartup(nullptr, 0); }, updaterStartup, baselineStartup))
    {
        std::fprintf(stderr, "bench_updater: a start-up run did not paint its window\n");
        return 1;
    }
    std::printf("Start-up to the first painted frame, medians of %d runs:\n", repetitions);
    std::printf("  updater %8.1f ms   SDL2 + cairo baseline %8.1f ms   ratio %.2f (aim under 2)\n",
                Median(updaterStartup) * 1e3, Median(baselineStartup) * 1e3,
                Median(updaterStartup) / Median(baselineStartup));
    std::fflush(stdout);

    // The CPU seconds of one idle run (the scheduler's count; the clock ticks are kept beside),
    // negative when its window did not paint.
    std::vector<double> updaterTicks;
    std::vector<double> baselineTicks;
    auto idleRun = [&](bool updater)
    {
        IdleCpu idle;
        const double startup = updater ? bench.UpdaterStartup(&idle, idleSeconds)
                                       : bench.BaselineStartup(&idle, idleSeconds);
        (updater ? updaterTicks : baselineTicks).push_back(idle.ticks);
        return startup < 0 ? -1 : idle.run;
    };
    std::vector<double> updaterIdle;
    std::vector<double> baselineIdle;
    if (!Interleave(
            repetitions, [&] { return idleRun(true); }, [&] { return idleRun(false); }, updaterIdle,
            baselineIdle))
    {
        std::fprintf(stderr, "bench_updater: an idle run did not paint its window\n");
        return 1;
    }
    std::printf("CPU of the shown window while idle for %d s, medians of %d runs:\n", idleSeconds,
                repetitions);
    std::printf("  updater %.3f %% of one core   SDL2 + cairo baseline %.3f %% (aim: updater "
                "under 1 %%)\n",
                100.0 * Median(updaterIdle) / idleSeconds,
                100.0 * Median(baselineIdle) / idleSeconds);
    std::printf("  in the clock ticks of /proc/<pid>/stat: updater %.3f %%   baseline %.3f %%\n",
                100.0 * Median(updaterTicks) / idleSeconds,
                100.0 * Median(baselineTicks) / idleSeconds);
    std::fflush(stdout);

    std::vector<double> windowUpdate;
    std::vector<double> silentUpdate;
    if (!Interleave(
            repetitions, [&] { return bench.WindowUpdate(); }, [&] { return bench.SilentUpdate(); },
            windowUpdate, silentUpdate))
    {
        std::fprintf(stderr, "bench_updater: an update run did not end with both images "
                             "written\n");
        return 1;
    }
    std::printf("The whole two-image update, medians of %d runs:\n", repetitions);
    std::printf("  through the window %8.1f ms   -SILENT %8.1f ms   ratio %.3f (aim under 1.05)\n",
                Median(windowUpdate) * 1e3, Median(silentUpdate) * 1e3,
                Median(windowUpdate) / Median(silentUpdate));
    return 0;
}
