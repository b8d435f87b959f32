// Start-up, memory and idle cost of a framework window against a bare SDL2 and cairo program.
//
// Runs, side by side and interleaved, the framework program (a 640 x 480 skinned control tree in
// a window of the framework, bench_startup_window) and the baseline (bench_startup_baseline: one
// SDL2 window painted with one cairo image holding one line of text). For each it measures the
// time from starting the process to its first painted frame, its peak resident memory, and, in
// one further run, the CPU time it uses while its shown window stays idle for 10 s (from the
// first frame to the end of the idle time, teardown left out). Both draw on an X server of the
// benchmark's own (Xvfb) when one can be started, else on SDL's offscreen driver. Prints the
// medians and the ratios (framework over baseline).
//
//   bench_startup [repetitions] [idle seconds]
#include "ProcessCpuTime.h"
#include "VirtualDisplay.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
using OrvTest::ProcessCpuSeconds;

double Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Run
{
    bool ok = false;
    double startup = 0;
    // Kilobytes.
    long peakRss = 0;
    double idleCpu = 0;
};

Run RunOnce(const char* program, int idleSeconds)
{
    Run run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
    {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string idle = std::to_string(idleSeconds);
    const char* argv[] = {program, idle.c_str(), nullptr};
    pid_t pid = 0;
    const double start = Now();
    const int spawned =
        posix_spawn(&pid, program, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0)
    {
        close(pipeFds[0]);
        return run;
    }
    std::string output;
    char buffer[256];
    bool painted = false;
    double cpuAtPaint = 0;
    bool idleEnded = false;
    double cpuAtIdleEnd = 0;
    for (;;)
    {
        const ssize_t count = read(pipeFds[0], buffer, sizeof(buffer));
        if (count <= 0)
        {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(count));
        if (!painted && output.find("painted\n") != std::string::npos)
        {
            painted = true;
            run.startup = Now() - start;
            cpuAtPaint = ProcessCpuSeconds(pid);
        }
        if (painted && !idleEnded && output.find("idle-end\n") != std::string::npos)
        {
            idleEnded = true;
            cpuAtIdleEnd = ProcessCpuSeconds(pid);
        }
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.ok = painted && idleEnded && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakRss = usage.ru_maxrss;
    // From the first frame to the end of the idle time, before the program tears down.
    run.idleCpu = cpuAtIdleEnd - cpuAtPaint;
    return run;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    OrvTest::VirtualDisplay display;
    if (display.Start(800, 600))
    {
        display.UseForThisProcess();
        std::printf("Display: Xvfb %s\n", display.Name().c_str());
    }
    else
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::printf("Display: SDL offscreen driver (Xvfb could not be started)\n");
    }

    const char* programs[2] = {ORV_STARTUP_WINDOW, ORV_STARTUP_BASELINE};
    const char* names[2] = {"framework window", "SDL2 + cairo"};
    std::vector<double> startup[2];
    std::vector<double> rss[2];
    double idleCpu[2] = {0, 0};
    // A first run of each warms the file cache and the font configuration's caches.
    for (const char* program : programs)
    {
        RunOnce(program, 0);
    }
    for (int r = 0; r < repetitions; ++r)
    {
        for (int k = 0; k < 2; ++k)
        {
            // Alternate which program goes first.
            const int which = (r % 2 == 0) ? k : 1 - k;
            const Run run = RunOnce(programs[which], 0);
            if (!run.ok)
            {
                std::fprintf(stderr, "%s did not paint or did not end well\n", names[which]);
                return 1;
            }
            startup[which].push_back(run.startup);
            rss[which].push_back(static_cast<double>(run.peakRss));
        }
    }
    for (int k = 0; k < 2; ++k)
    {
        const Run run = RunOnce(programs[k], idleSeconds);
        if (!run.ok)
        {
            std::fprintf(stderr, "%s did not paint or did not end well\n", names[k]);
            return 1;
        }
        idleCpu[k] = run.idleCpu;
    }

    std::printf("%d repetitions, medians\n", repetitions);
    for (int k = 0; k < 2; ++k)
    {
        std::printf("  %-17s start-up to first painted frame %7.1f ms, peak RSS %7.1f MB, "
                    "CPU while idle %4.2f s of %d s (%.3f %% of one core)\n",
                    names[k], Median(startup[k]) * 1e3, Median(rss[k]) / 1024.0, idleCpu[k],
                    idleSeconds, 100.0 * idleCpu[k] / idleSeconds);
    }
    std::printf("Ratios (framework / baseline): start-up %.2f (aim under 2), peak RSS %.2f (aim "
                "under 1.5); idle CPU of the framework window %.3f %% of one core (aim under "
                "1 %%)\n",
                Median(startup[0]) / Median(startup[1]), Median(rss[0]) / Median(rss[1]),
                100.0 * idleCpu[0] / idleSeconds);
    return 0;
}
