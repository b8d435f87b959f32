// Runs a benchmark program's benchmarks in repetitions interleaved with one another (so that a
// busy moment of the machine falls on both sides of a comparison alike), keeps the CPU time of
// every repetition, and ends with the median of each and the ratios of the pairs the program
// names: a figure against its baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace OrvTest
{
// One comparison: the benchmark measured, the one it is measured against, and how many items
// (notifications, nodes, frames) one iteration handles, for the time per item.
struct Ratio
{
    const char* label;
    std::string measured;
    std::string baseline;
    double itemsPerIteration = 1;
};

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    explicit RatioReporter(std::vector<Ratio> ratios)
        : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_ColorTabular : OO_Tabular)
        , mRatios(std::move(ratios))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.error_occurred || run.iterations <= 0)
            {
                continue;
            }
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
            {
                name += "/" + run.run_name.args;
            }
            // Per iteration, in nanoseconds.
            const double time = run.GetAdjustedCPUTime() *
                                benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Iteration)
            {
                mTimes[name].push_back(time);
            }
            else if (run.aggregate_name == "median")
            {
                // Only the aggregates are reported (--benchmark_report_aggregates_only).
                mReportedMedians[name] = time;
            }
        }
    }

    // The medians and ratios; false when a pair was not measured.
    bool PrintRatios() const
    {
        bool complete = true;
        std::printf("\nMedians of the CPU time per item over the repetitions, and their ratios:\n");
        for (const Ratio& ratio : mRatios)
        {
            const double measured = Median(ratio.measured);
            const double baseline = Median(ratio.baseline);
            if (measured <= 0 || baseline <= 0)
            {
                std::printf("%-44s not measured\n", ratio.label);
                complete = false;
                continue;
            }
            std::printf("%-44s %10.1f ns / %10.1f ns = %6.2f x  (%zu repetitions)\n", ratio.label,
                        measured / ratio.itemsPerIteration, baseline / ratio.itemsPerIteration,
                        measured / baseline,
                        std::min(Count(ratio.measured), Count(ratio.baseline)));
        }
        return complete;
    }

    // The median CPU time per iteration of a benchmark ("BM_Name/arg"), in nanoseconds; 0 when
    // it was not measured.
    double Median(const std::string& name) const
    {
        const auto found = mTimes.find(name);
        if (found == mTimes.end() || found->second.empty())
        {
            const auto reported = mReportedMedians.find(name);
            return reported == mReportedMedians.end() ? 0 : reported->second;
        }
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const std::size_t middle = times.size() / 2;
        return times.size() % 2 != 0 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    }

private:
    std::size_t Count(const std::string& name) const
    {
        const auto found = mTimes.find(name);
        return found == mTimes.end() ? 0 : found->second.size();
    }

    std::vector<Ratio> mRatios;
    std::map<std::string, std::vector<double>> mTimes;
    std::map<std::string, double> mReportedMedians;
};

// Keeps a second thread waiting for as long as it lives. The C library's locks and the C++
// library's shared_ptr skip their atomic instructions while a process has one thread; the
// application always has several, and the baselines are measured as they run there.
class SecondThread
{
public:
    SecondThread()
        : mThread([this] { mDone.wait(false); })
    {
    }
    ~SecondThread()
    {
        mDone = true;
        mDone.notify_one();
        mThread.join();
    }
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;

private:
    std::atomic<bool> mDone{false};
    std::thread mThread;
};

// The program's main: ten interleaved repetitions unless the command line asks otherwise, the
// usual console output, then the ratios and what `after` prints from the same measurements.
// Runs with a second thread (see SecondThread).
inline int RunWithRatios(int argc, char** argv, std::vector<Ratio> ratios,
                         std::function<void(const RatioReporter&)> after = {})
{
    const SecondThread second;
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=10";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    const auto given = [&](const char* flag)
    {
        return std::any_of(arguments.begin() + 1, arguments.end(),
                           [flag](const char* argument)
                           { return std::string(argument).rfind(flag, 0) == 0; });
    };
    if (!given("--benchmark_repetitions"))
    {
        arguments.push_back(repetitions.data());
    }
    if (!given("--benchmark_enable_random_interleaving"))
    {
        arguments.push_back(interleaving.data());
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    if (after)
    {
        after(reporter);
    }
    benchmark::Shutdown();
    return 0;
}
} // namespace OrvTest
