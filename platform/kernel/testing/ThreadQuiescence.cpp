// Reads the threads' states and their counts of context switches from /proc.
#include "ThreadQuiescence.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace OrvTest
{
namespace
{
struct ThreadState
{
    bool asleep = false;
    // Voluntary plus involuntary context switches: it changes whenever the thread has run.
    long long switches = -1;

    bool operator==(const ThreadState& other) const
    {
        return asleep == other.asleep && switches == other.switches;
    }
};

// The state of every thread of the process but the calling one, by thread id.
std::map<long, ThreadState> LookAtOtherThreads()
{
    std::map<long, ThreadState> threads;
    const long self = static_cast<long>(::syscall(SYS_gettid));
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr)
    {
        return threads;
    }
    while (const dirent* entry = ::readdir(tasks))
    {
        const long id = std::strtol(entry->d_name, nullptr, 10);
        if (id <= 0 || id == self)
        {
            continue;
        }
        const std::string folder = std::string("/proc/self/task/") + entry->d_name;
        ThreadState state;
        std::ifstream status(folder + "/status");
        std::string line;
        long long switches = 0;
        int counts = 0;
        while (std::getline(status, line))
        {
            std::istringstream fields(line);
            std::string name;
            fields >> name;
            if (name == "State:")
            {
                std::string letter;
                fields >> letter;
                // S: sleeping until woken. D (uninterruptible, a page fault or a disk wait)
                // ends by itself, so it is not asleep in the sense of the probe.
                state.asleep = letter == "S";
            }
            else if (name == "voluntary_ctxt_switches:" || name == "nonvoluntary_ctxt_switches:")
            {
                long long count = 0;
                fields >> count;
                switches += count;
                ++counts;
            }
        }
        if (counts == 2)
        {
            state.switches = switches;
        }
        // A thread that ended between the listing and the read is no longer there.
        if (status.eof() || counts == 2)
        {
            threads[id] = state;
        }
    }
    ::closedir(tasks);
    return threads;
}

bool AllAsleep(const std::map<long, ThreadState>& threads)
{
    for (const auto& [id, state] : threads)
    {
        if (!state.asleep || state.switches < 0)
        {
            return false;
        }
    }
    return true;
}
} // namespace

bool WaitUntilOtherThreadsSleep(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    std::map<long, ThreadState> previous = LookAtOtherThreads();
    for (;;)
    {
        // Gives the other threads the processor between two looks.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::map<long, ThreadState> now = LookAtOtherThreads();
        if (AllAsleep(previous) && now == previous)
        {
            return true;
        }
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        previous = std::move(now);
    }
}
} // namespace OrvTest
