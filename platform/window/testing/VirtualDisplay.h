// An X server of the test's own (Xvfb) on a free display number, stopped with the object.
#pragma once

#include <string>
#include <sys/types.h>

namespace OrvTest
{
class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay() { Stop(); }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // Starts a server with one screen of width x height at 24 bits; false when none could be
    // started (the server is awaited for at most 10 s).
    bool Start(int width, int height);
    void Stop();
    // ":n" once started.
    const std::string& Name() const { return mName; }
    // Points this process's X clients at the server: DISPLAY, SDL's X11 video driver, and a
    // session bus address that leads nowhere (the test's display has no bus beside it).
    void UseForThisProcess() const;

private:
    pid_t mPid = 0;
    std::string mName;
};
} // namespace OrvTest
