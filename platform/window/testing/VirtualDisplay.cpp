#include "VirtualDisplay.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace OrvTest
{
namespace
{
long long MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads the display number the server writes, with its newline, once it accepts clients; -1
// when the server ends first or does not answer within timeoutMs.
int ReadDisplayNumber(int fd, int timeoutMs)
{
    std::string text;
    const long long deadline = MonotonicMs() + timeoutMs;
    for (;;)
    {
        const long long left = deadline - MonotonicMs();
        if (left <= 0)
        {
            return -1;
        }
        pollfd wait{fd, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
        {
            continue;
        }
        if (ready <= 0)
        {
            return -1;
        }
        char buffer[32];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
        {
            continue;
        }
        if (count <= 0)
        {
            return -1;
        }
        text.append(buffer, static_cast<size_t>(count));
        if (const size_t end = text.find('\n'); end != std::string::npos)
        {
            if (end == 0 || end > 6 || text.find_first_not_of("0123456789") != end)
            {
                return -1;
            }
            return std::atoi(text.substr(0, end).c_str());
        }
        if (text.size() > 16)
        {
            return -1;
        }
    }
}
} // namespace

// The server chooses a free display number itself and writes it to a pipe once it accepts
// clients (-displayfd): two tests starting servers at the same moment can never end up on one.
bool VirtualDisplay::Start(int width, int height)
{
    Stop();
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
    {
        return false;
    }
    const std::string writeFd = std::to_string(pipeFds[1]);
    const char* argv[] = {"Xvfb",         "-displayfd", writeFd.c_str(), "-screen", "0",
                          screen.c_str(), "-nolisten",  "tcp",           nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Duplicating a descriptor onto itself clears its close-on-exec flag in the child only.
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], pipeFds[1]);
    const int spawned =
        posix_spawnp(&mPid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0)
    {
        mPid = 0;
        close(pipeFds[0]);
        return false;
    }
    const int number = ReadDisplayNumber(pipeFds[0], 10000);
    close(pipeFds[0]);
    if (number < 0)
    {
        Stop();
        return false;
    }
    std::string name(":");
    name += std::to_string(number);
    mName = std::move(name);
    return true;
}

void VirtualDisplay::Stop()
{
    if (mPid > 0)
    {
        kill(mPid, SIGTERM);
        int status = 0;
        waitpid(mPid, &status, 0);
        mPid = 0;
    }
}

void VirtualDisplay::UseForThisProcess() const
{
    setenv("DISPLAY", mName.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orv-test-bus", 1);
}
} // namespace OrvTest
