#include "ControlWindowFixture.h"

#include "System/WindowOSServices.h"
#include "WindowInput.h"

#include "platform/User32.h"

#include <gtest/gtest.h>

namespace OrvTest
{
using namespace Orv;

ControlWindowFixture::ControlWindowFixture(const char* skinFile)
    : ControlsFixture(skinFile)
{
    StartClock();
}

void ControlWindowFixture::SetUp()
{
    mMain = MakeMainWindow();
    ASSERT_TRUE(mMain);
    mWindow = mMain->GetServices()->GetWindowHandle();
    mRecorder = new CountingClient();
    mRecorder->onReceive = [this](const std::wstring& name) { mTimes.push_back({name, Ms()}); };
}

void ControlWindowFixture::TearDown()
{
    if (mMain)
    {
        // Every idle request taken in the scenario has been given back.
        EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    }
    if (mRecorder)
    {
        mRecorder->UnregisterAllNotifications();
    }
}

void ControlWindowFixture::Mouse(UINT message, int x, int y, WPARAM keys)
{
    SendMouse(mWindow, message, x, y, keys);
}

void ControlWindowFixture::Press(int x, int y)
{
    Mouse(WM_MOUSEMOVE, x, y);
    Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
}

void ControlWindowFixture::MoveHeld(int x, int y)
{
    Mouse(WM_MOUSEMOVE, x, y, MK_LBUTTON);
}

void ControlWindowFixture::Release(int x, int y)
{
    Mouse(WM_LBUTTONUP, x, y);
}

void ControlWindowFixture::Click(int x, int y)
{
    Press(x, y);
    Release(x, y);
}

void ControlWindowFixture::Key(WPARAM key)
{
    SendMessageW(mWindow, WM_KEYDOWN, key, 1);
    SendMessageW(mWindow, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void ControlWindowFixture::IdlePass(DWORD ms)
{
    mApplication->GetClock()->Advance(ms);
    mApplication->ProcessIdle(true);
}

std::vector<std::uint32_t> ControlWindowFixture::Screenshot(const char* file, int width, int height)
{
    PumpMessages();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), width, height));
    SavePng(pixels.data(), width, height, ControlsArtefact(file));
    return pixels;
}

long ControlWindowFixture::Ms() const
{
    return static_cast<long>(mApplication->GetClock()->GetMilliseconds()) - mStart;
}

void ControlWindowFixture::StartClock()
{
    mStart = static_cast<long>(mApplication->GetClock()->GetMilliseconds());
}

std::vector<long> ControlWindowFixture::Times(const wchar_t* name) const
{
    std::vector<long> times;
    for (const auto& [each, ms] : mTimes)
    {
        if (each == name)
        {
            times.push_back(ms);
        }
    }
    return times;
}
} // namespace OrvTest
