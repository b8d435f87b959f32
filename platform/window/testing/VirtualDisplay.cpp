#include "VirtualDisplay.h"

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace OrvTest
{
namespace
{
bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}
} // namespace

bool VirtualDisplay::Start(int width, int height)
{
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    for (int number = 300 + getpid() % 100; number < 500; ++number)
    {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (Exists(socket) || Exists(lock))
        {
            continue;
        }
        // Built in a string of its own: ":" + a temporary string, or assigning ":" to the
        // member, trips a false -Wrestrict of g++ 12 at -O3.
        std::string name(":");
        name += std::to_string(number);
        mName = std::move(name);
        const char* argv[] = {"Xvfb",         mName.c_str(), "-screen", "0",
                              screen.c_str(), "-nolisten",   "tcp",     nullptr};
        if (posix_spawnp(&mPid, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        {
            mPid = 0;
            return false;
        }
        // The server is up once its socket is there (looked at every 20 ms).
        for (int i = 0; i < 500; ++i)
        {
            if (Exists(socket))
            {
                return true;
            }
            int status = 0;
            if (waitpid(mPid, &status, WNOHANG) == mPid)
            {
                mPid = 0;
                break;
            }
            usleep(20000);
        }
        Stop();
    }
    return false;
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
