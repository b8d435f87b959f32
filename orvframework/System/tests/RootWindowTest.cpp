// The root window in a real window (SDL's offscreen driver): mouse messages sent to the window
// reach the controls of a skin fixture with hover, capture and clicks; wheel steps; keys.
//
// The fixture's window (320 x 200) holds "left" (20, 20, 100 x 80) with "floating" (a child of
// left that does not clip to it: 90, 60, 60 x 60 in the window), "right" (150, 20, 100 x 80)
// with "inner" (160, 30, 40 x 30), and "label" (20, 140, 200 x 24).
#include "TestApplication.h"
#include "TestControls.h"

#include "System/KeyCode.h"
#include "System/OSWindow.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Orv;
using namespace OrvTest;

namespace
{
class RootWindowTest : public ApplicationFixture
{
protected:
    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        ASSERT_TRUE(mMain->GetServices()->IsActive());
        mJournal.clear();
    }

    // Sends a mouse message at a client point.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageW(mWindow, message, keys, MAKELPARAM(x, y));
    }
    // Sends a wheel message at a client point.
    void Wheel(UINT message, int delta, int x, int y, WPARAM keys = 0)
    {
        POINT screen{x, y};
        ClientToScreen(mWindow, &screen);
        SendMessageW(mWindow, message, MAKEWPARAM(static_cast<int>(keys), delta),
                     MAKELPARAM(screen.x, screen.y));
    }
    // The journal since the last call, for the entries that begin with one of the prefixes
    // (all when none is given).
    std::vector<std::string> Take(std::initializer_list<const char*> only = {})
    {
        std::vector<std::string> taken;
        for (const std::string& entry : mJournal)
        {
            bool wanted = only.size() == 0;
            for (const char* prefix : only)
            {
                wanted = wanted || entry.find(prefix) != std::string::npos;
            }
            if (wanted)
            {
                taken.push_back(entry);
            }
        }
        mJournal.clear();
        return taken;
    }
    std::string HoverName() const
    {
        const RCPtr<LControl>& hover = mMain->GetHoverControl();
        return hover ? hover->GetName().ToNarrow().GetBuffer() : "";
    }
    std::string CaptureName() const
    {
        const RCPtr<LControl>& capture = mMain->GetCaptureControl();
        return capture ? capture->GetName().ToNarrow().GetBuffer() : "";
    }
    TestPanel* Panel(const char* name) const { return FindPanel(mMain->GetRootControl(), name); }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
};
} // namespace

TEST_F(RootWindowTest, ThePointerHoversTheTopmostControlUnderIt)
{
    struct Case
    {
        int x;
        int y;
        const char* hover;
    };
    const Case cases[] = {
        {5, 5, "mainControl"},
        {30, 30, "left"},
        // The floating child of left is found outside left too, and above right.
        {100, 70, "floating"},
        {145, 110, "floating"},
        {155, 70, "right"},
        {165, 35, "inner"},
        {199, 59, "inner"},
        {200, 60, "right"},
        {300, 190, "mainControl"},
    };
    for (const Case& c : cases)
    {
        Mouse(WM_MOUSEMOVE, c.x, c.y);
        EXPECT_EQ(HoverName(), c.hover) << c.x << "," << c.y;
    }
}

TEST_F(RootWindowTest, MovingBetweenControlsLeavesOneAndEntersTheNext)
{
    Mouse(WM_MOUSEMOVE, 30, 30);
    Mouse(WM_MOUSEMOVE, 165, 35);
    Mouse(WM_MOUSEMOVE, 166, 36);
    EXPECT_EQ(Take({"enter", "leave", "move"}),
              (std::vector<std::string>{"left:enter", "left:move 10,10", "left:leave",
                                        "inner:enter", "inner:move 5,5", "inner:move 6,6"}));
}
