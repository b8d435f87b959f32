// The fixture of the controls' tests that drive a skin's main window: the window made in SetUp,
// mouse and key messages sent to it, idle passes on the application's manual clock, and a
// recorder of notifications with the time each arrived. TearDown checks that every idle request
// taken in the scenario has been given back.
#pragma once

#include "ControlsFixture.h"

#include "System/RootWindow.h"

#include "platform/Afx.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace OrvTest
{
class ControlWindowFixture : public ControlsFixture
{
public:
    // skinFile: a file name in Controls/tests/data.
    explicit ControlWindowFixture(const char* skinFile);

    void SetUp() override;
    void TearDown() override;

    // A mouse message at a client point, the buttons in keys held as the window system would
    // report them.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0);
    // The pointer moved to the point and the left button pressed there.
    void Press(int x, int y);
    void MoveHeld(int x, int y);
    void Release(int x, int y);
    void Click(int x, int y);
    // A key pressed and released.
    void Key(WPARAM key);
    // One idle period's first pass, after ms of the application's clock.
    void IdlePass(DWORD ms);
    // The window's client pixels (width x height) once the messages waiting are handled, saved as
    // the artefact file.
    std::vector<std::uint32_t> Screenshot(const char* file, int width, int height);

    // Milliseconds since the test began, or since the last StartClock, on the application's clock.
    long Ms() const;
    void StartClock();
    // The times (Ms) of the notifications of name the recorder received so far.
    std::vector<long> Times(const wchar_t* name) const;

    Orv::RCPtr<Orv::LRootWindow> mMain;
    HWND mWindow = nullptr;
    // Receives what the test registers it for; each arrival is noted in mTimes.
    Orv::RCPtr<CountingClient> mRecorder;
    std::vector<std::pair<std::wstring, long>> mTimes;
    long mStart = 0;
};
} // namespace OrvTest
