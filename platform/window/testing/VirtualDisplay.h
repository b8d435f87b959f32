// An X server of a test's own (Xvfb) on a free display number, for the tests that open real
// windows and photograph them. It ends with the object.
#pragma once

#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace OrvTest
{
class VirtualDisplay
{
public:
    // Starts a 640 x 480 x 24 screen; false when no server could be started.
    bool Start()
    {
        for (int number = 70 + getpid() % 50; number < 200; ++number)
        {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (Exists(socket) || Exists(lock))
            {
                continue;
            }
            mName = ":" + std::to_string(number);
            const char* argv[] = {"Xvfb",       mName.c_str(), "-screen", "0",
                                  "640x480x24", "-nolisten",   "tcp",     nullptr};
            if (posix_spawnp(&mPid, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) !=
                0)
            {
                return false;
            }
            // The server is up once its socket is there (at most 10 s, looked at every 20 ms).
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
    void Stop()
    {
        if (mPid > 0)
        {
            kill(mPid, SIGTERM);
            int status = 0;
            waitpid(mPid, &status, 0);
            mPid = 0;
        }
    }
    ~VirtualDisplay() { Stop(); }
    const std::string& Name() const { return mName; }

private:
    static bool Exists(const std::string& path)
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0;
    }

    pid_t mPid = 0;
    std::string mName;
};
} // namespace OrvTest
