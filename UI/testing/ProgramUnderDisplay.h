// The updater program run as a person runs it, on an X server of the test's own: the program is
// started as a process with its own folders and simulated devices, its window is found on the
// server by its class, screenshots of it are taken from the server, and mouse clicks are injected
// through the server (XTest), so that nothing of the program is touched from inside.
//
// Every wait is bounded; a wait that runs out says so and the caller reports what it saw.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace OrvTest
{
// The pixels of a window as the server shows them: 0xAARRGGBB, rows top to bottom.
struct Screenshot
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Empty() const { return pixels.empty(); }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // The number of distinct colours (a blank window has one).
    std::size_t ColourCount() const;
    // Saves it as a PNG file (the folders are made); false when it could not be written.
    bool SavePng(const std::string& path) const;
};

// A connection to an X server that finds windows, takes screenshots and injects the mouse.
class XServerClient
{
public:
    XServerClient() = default;
    ~XServerClient();
    XServerClient(const XServerClient&) = delete;
    XServerClient& operator=(const XServerClient&) = delete;

    // Connects to the display (":n"); false with the reason in error when it cannot, or when the
    // server has no XTest extension.
    bool Connect(const std::string& display, std::string& error);

    // The viewable top-level windows whose class (WM_CLASS) is className, with their titles.
    struct Window
    {
        unsigned long id = 0;
        std::string title;
        int x = 0; // on the screen
        int y = 0;
        int width = 0;
        int height = 0;
    };
    std::vector<Window> FindWindows(const std::string& className) const;
    // The window's position and size now; nullopt when it is gone or not viewable.
    std::optional<Window> Describe(unsigned long id) const;
    // The window's pixels as the screen shows them; empty when it cannot be read.
    Screenshot Capture(unsigned long id) const;
    // Moves the pointer to (x, y) of the window and clicks the left button.
    bool Click(unsigned long id, int x, int y) const;
    // Gives the window the keyboard focus and presses and releases the key named as X names
    // key symbols ("Tab", "Return", "Escape"); false when the window or the key is not there.
    bool PressKey(unsigned long id, const std::string& keyName) const;

private:
    void* mDisplay = nullptr; // Display*
};

// Starts the program with the arguments, in this process's environment with the entries of
// environment set over it; its standard output goes to /dev/null and its standard error to the
// file errorFile. The process id, -1 when it could not be started.
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment,
                   const std::string& errorFile);

// The updater started as a process in a world of the test's own.
class ProgramUnderDisplay
{
public:
    // The program, and the environment entries given to it beyond this process's own.
    ProgramUnderDisplay(std::string program, std::map<std::string, std::string> environment);
    ~ProgramUnderDisplay();
    ProgramUnderDisplay(const ProgramUnderDisplay&) = delete;
    ProgramUnderDisplay& operator=(const ProgramUnderDisplay&) = delete;

    // Starts it with the arguments; standard error goes to errorFile. False when it could not be
    // started.
    bool Start(const std::vector<std::string>& arguments, const std::string& errorFile);
    pid_t Pid() const { return mPid; }
    // Its exit status once it has ended within the time; nullopt when it still runs then (it is
    // left running), -1 when it ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);
    // Ends it (SIGKILL) when it still runs.
    void Kill();

private:
    std::string mProgram;
    std::map<std::string, std::string> mEnvironment;
    pid_t mPid = -1;
    std::optional<int> mStatus;
};

// Polls every 10 ms until the condition holds or the time is out; whether it held.
bool PollUntil(std::chrono::milliseconds limit, const std::function<bool()>& condition);
} // namespace OrvTest
