// The root window in a real window (SDL's offscreen driver): mouse messages sent to the window
// reach the controls of a skin fixture with hover, capture and clicks; wheel steps; keys.
//
// The fixture's window (320 x 200) holds "left" (20, 20, 100 x 80) with "floating" (a child of
// left that does not clip to it: 90, 60, 60 x 60 in the window) and its own unclipped child
// "nested" (130, 125, 20 x 15), "right" (150, 20, 100 x 80) with "inner" (160, 30, 40 x 30), and
// "label" (20, 140, 200 x 24).
#include "TestApplication.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "System/Dialog.h"
#include "System/OSWindow.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

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

    // Sends a mouse message at a client point, the buttons in keys held as the window system
    // would report them.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMouse(mWindow, message, x, y, keys);
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
        // The unclipped child of the floating control, outside both its ancestors.
        {135, 130, "nested"},
        {149, 139, "nested"},
        {150, 139, "mainControl"},
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

TEST_F(RootWindowTest, APressedControlHoldsThePointerAndIsClickedOnlyWhenReleasedOverIt)
{
    Mouse(WM_MOUSEMOVE, 30, 30);
    Mouse(WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
    EXPECT_EQ(CaptureName(), "left");
    // Dragged over another control, the pointer stays with the pressed one.
    Mouse(WM_MOUSEMOVE, 165, 35, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 165, 35);
    EXPECT_EQ(CaptureName(), "");
    EXPECT_EQ(HoverName(), "inner");
    // Pressed and released over the same control: a click.
    Mouse(WM_LBUTTONDOWN, 166, 36, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 166, 36);
    Mouse(WM_RBUTTONDOWN, 167, 37, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 167, 37);
    // The first move beyond the drag distance starts a drag from the press point; the window's
    // capture ends with the release, and the control hears of it before its click.
    EXPECT_EQ(Take({"down", "up", "click", "move", "capture"}),
              (std::vector<std::string>{"left:move 10,10", "left:down 1 10,10", "left:move 145,15",
                                        "left:move 10,10", "left:up 1 145,15", "left:capture lost",
                                        "inner:down 1 6,6", "inner:up 1 6,6", "inner:capture lost",
                                        "inner:click", "inner:down 4 7,7", "inner:up 4 7,7",
                                        "inner:capture lost", "inner:right click"}));
    // A press takes the focus.
    ASSERT_TRUE(mMain->GetFocusControl());
    EXPECT_EQ(mMain->GetFocusControl()->GetName(), WString(L"inner"));
}

TEST_F(RootWindowTest, LosingTheWindowCaptureTellsThePressedControl)
{
    Mouse(WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
    ASSERT_EQ(CaptureName(), "left");
    ReleaseCapture();
    PumpMessages();
    EXPECT_EQ(CaptureName(), "");
    EXPECT_EQ(Take({"capture"}), (std::vector<std::string>{"left:capture lost"}));
}

TEST_F(RootWindowTest, TheWheelGivesOneStepPerWholeNotch)
{
    Panel("inner")->takesWheel = true;
    // One step per whole notch, as its direction (0 down, 1 up, 2 left, 3 right).
    struct Case
    {
        int delta;
        std::vector<std::string> steps;
    };
    // The deltas follow each other: a part of a notch is kept for the next message.
    const Case cases[] = {
        {240, {"inner:wheel 1", "inner:wheel 1"}},
        {120, {"inner:wheel 1"}},
        {60, {}},
        {60, {"inner:wheel 1"}},
        {-360, {"inner:wheel 0", "inner:wheel 0", "inner:wheel 0"}},
        {-100, {}},
        {100, {}},
        {-119, {}},
        {-1, {"inner:wheel 0"}},
    };
    for (const Case& c : cases)
    {
        Wheel(WM_MOUSEWHEEL, c.delta, 170, 40);
        EXPECT_EQ(Take({"wheel"}), c.steps) << c.delta;
    }
    Wheel(WM_MOUSEHWHEEL, 240, 170, 40);
    EXPECT_EQ(Take({"wheel"}), (std::vector<std::string>{"inner:hwheel 3", "inner:hwheel 3"}));
}

TEST_F(RootWindowTest, KeysReachTheFocusControlWithTheStandardModifierBits)
{
    Mouse(WM_LBUTTONDOWN, 165, 35, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 165, 35);
    Take();
    // A first press, a repeat, the release; Control held for a second key; a typed character.
    SendMessageW(mWindow, WM_KEYDOWN, 'A', 1);
    SendMessageW(mWindow, WM_KEYDOWN, 'A', 1 | (1 << 30));
    SendMessageW(mWindow, WM_KEYUP, 'A', 1 | (1u << 30) | (1u << 31));
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(mWindow, WM_KEYDOWN, 'B', 1);
    keys[VK_CONTROL] = 0;
    keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    SendMessageW(mWindow, WM_CHAR, L'x', 1);
    EXPECT_EQ(Take({"key"}),
              (std::vector<std::string>{"inner:key 20410000 0", "inner:key 20410000 1",
                                        "inner:key 00410000 1", "inner:key 21420000 0",
                                        "inner:key 00000078 0"}));
}

TEST_F(RootWindowTest, APaintRedrawsExactlyTheInvalidatedArea)
{
    const int width = 320;
    const int height = 200;
    std::vector<std::uint32_t> before(static_cast<std::size_t>(width) * height);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, before.data(), width, height));
    EXPECT_EQ(before[35 * width + 165], 0xFFF0E020u);  // inner, yellow
    EXPECT_EQ(before[50 * width + 30], 0xFFE02020u);   // left, red
    EXPECT_EQ(before[5 * width + 5], 0xFF404040u);     // the window, grey
    EXPECT_EQ(before[130 * width + 140], 0xFFE02020u); // nested, red, drawn above the window

    // The next drawing of every panel is a new colour; only what is repainted shows it.
    for (const char* name :
         {"mainControl", "left", "floating", "nested", "right", "inner", "label"})
    {
        Panel(name)->fill = 0xFF000000u | 0x0000FFu;
    }
    Take();
    const RectT<LONG> invalid(160, 50, 60, 20); // across inner's bottom edge and into right
    mMain->InvalidateControl(invalid);
    PumpMessages();
    std::vector<std::uint32_t> after(before.size());
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, after.data(), width, height));
    SavePng(after.data(), width, height,
            std::string(ORV_TEST_ARTEFACTS) + "/root-window-partial-repaint.png");
    int changedOutside = 0;
    int unchangedInside = 0;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const bool inside =
                x >= invalid.x && x < invalid.Right() && y >= invalid.y && y < invalid.Bottom();
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            changedOutside += !inside && after[at] != before[at] ? 1 : 0;
            unchangedInside += inside && after[at] != 0xFF0000FFu ? 1 : 0;
        }
    }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_EQ(unchangedInside, 0);
    // Controls outside the area are not drawn at all.
    std::vector<std::string> drawn = Take({"draw"});
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, (std::vector<std::string>{"inner:draw", "mainControl:draw", "right:draw"}));
}

TEST_F(RootWindowTest, AModalDialogReturnsTheResultItWasClosedWith)
{
    // The dialog closes itself when the modal loop's first idle pass delivers a notification.
    RCPtr<CountingClient> client(new CountingClient);
    client->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(), L"NID_TEST");
    unsigned int windowsWhileModal = 0;
    client->onReceive = [&](const std::wstring&)
    {
        windowsWhileModal = mApplication->GetRootWindowCount();
        const RCPtr<LRootWindow> dialogWindow = mApplication->GetRootWindow(1);
        ASSERT_TRUE(dialogWindow);
        EXPECT_FALSE(IsWindowEnabled(mWindow));
        auto* dialog = dynamic_cast<LDialog*>(dialogWindow->GetRootControl().Get());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Close(7), S_OK);
    };
    LFrameworkApp::GetApplicationNotificationCenter()->PostNotification(
        LNotification::Create(L"NID_TEST"));
    EXPECT_EQ(mApplication->RunModalRootWindow(WString(L"dialogControl"), 0), 7);
    EXPECT_EQ(windowsWhileModal, 2u);
    EXPECT_EQ(mApplication->GetRootWindowCount(), 1u);
    EXPECT_TRUE(IsWindowEnabled(mWindow));
    EXPECT_EQ(mApplication->RunModalRootWindow(WString(L"noSuchControl"), 0), E_FAIL);
    client->UnregisterAllNotifications();
}
