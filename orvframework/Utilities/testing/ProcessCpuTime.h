// The CPU time another process has used so far, as the benchmarks that run programs read it from
// the process's /proc entry.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace OrvTest
{
// The CPU time (user and system) a running process has used, in seconds.
inline double ProcessCpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
    {
        return 0;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int index = 3; index <= 15 && fields >> field; ++index)
    {
        if (index == 14 || index == 15)
        {
            ticks += std::atof(field.c_str());
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}
} // namespace OrvTest
