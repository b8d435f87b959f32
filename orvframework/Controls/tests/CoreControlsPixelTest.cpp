// The window of the core controls, drawn by the GDI+ renderer of a root window (SDL's offscreen
// driver) and saved as artefacts/CoreControlsWindow.png: a button in each state, a scroll view
// with both bars, a label, a progress bar at 40 % and a status bar with a posted text. Chosen
// pixels give each part's colour, and the boxes of light pixels show where the texts were drawn.
#include "ControlsFixture.h"

#include "Controls/Button.h"
#include "Controls/Label.h"
#include "Controls/Panel.h"
#include "Controls/ProgressBar.h"
#include "Controls/ScrollView.h"
#include "Controls/StatusBar.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 480;
constexpr int kHeight = 320;

// The bounding box of the light pixels (each of red, green and blue above 160: text drawn in white
// on the dark parts) inside area; empty when there are none.
RectT<LONG> LightBox(const std::vector<std::uint32_t>& pixels, const RectT<LONG>& area)
{
    LONG left = area.x + area.width;
    LONG top = area.y + area.height;
    LONG right = area.x - 1;
    LONG bottom = area.y - 1;
    for (LONG y = area.y; y < area.y + area.height; ++y)
    {
        for (LONG x = area.x; x < area.x + area.width; ++x)
        {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * kWidth + x];
            if (((p >> 16) & 0xFF) > 160 && ((p >> 8) & 0xFF) > 160 && (p & 0xFF) > 160)
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < left)
    {
        return RectT<LONG>(0, 0, 0, 0);
    }
    return RectT<LONG>(left, top, right - left + 1, bottom - top + 1);
}

class CoreControlsPixelTest : public ControlsFixture
{
protected:
    CoreControlsPixelTest()
        : ControlsFixture("CoreControlsWindow.xml")
    {
        WString strings;
        strings.AssignUtf8(ControlsTestData("CoreControlsWindowStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    RCPtr<LControl> Control(const wchar_t* name) const
    {
        return mMain->GetRootControl()->FindChildControl(WString(name));
    }
    std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<std::size_t>(y) * kWidth + x];
    }

    RCPtr<LRootWindow> mMain;
    std::vector<std::uint32_t> mPixels = std::vector<std::uint32_t>(kWidth * kHeight);
};
} // namespace

TEST_F(CoreControlsPixelTest, TheWindowShowsEveryCoreControl)
{
    mMain = MakeMainWindow();
    ASSERT_TRUE(mMain);
    const HWND window = mMain->GetServices()->GetWindowHandle();

    // The buttons' states.
    Control(L"btnHover")->SetForcedHover(true);
    Control(L"btnChecked")->SetValue(1.0);
    Control(L"btnDisabled")->SetEnabled(false);
    // "btnPressed" is held down by the mouse while the window is read.
    BYTE keys[256] = {};
    keys[VK_LBUTTON] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 2 * 77 + 36, 23));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10 + 2 * 77 + 36, 23));
    // The press gave "btnPressed" the focus; it goes on to "btnFocused", the button stays held.
    ASSERT_EQ(Control(L"btnFocused")->SetFocus(true), S_OK);

    // The extent follows the content, twice the view's size on each axis: both bars show.
    const RCPtr<LScrollView> view = DynamicCast<LScrollView>(Control(L"scrollView"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetExtent().x, 400.0);
    EXPECT_EQ(view->GetExtent().y, 300.0);
    EXPECT_TRUE(view->IsScrollbarShown(LScrollView::kHorizontal));
    EXPECT_TRUE(view->IsScrollbarShown(LScrollView::kVertical));

    const RCPtr<LProgressBar> progress = DynamicCast<LProgressBar>(Control(L"progressBar"));
    ASSERT_TRUE(progress);
    progress->SetValue(0.4);
    progress->SetTimeRemaining(42);

    // A posted status text shows after the idle pass.
    ASSERT_EQ(mApplication->SetStatusText(WString(L"Writing firmware..."), false), S_OK);
    mApplication->GetClock()->Advance(33);
    mApplication->ProcessIdle(true);
    PumpMessages();

    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(window, mPixels.data(), kWidth, kHeight));
    SavePng(mPixels.data(), kWidth, kHeight, ControlsArtefact("CoreControlsWindow.png"));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10 + 2 * 77 + 36, 23));
    SetKeyboardState(keys);

    // Each button's look, at its top-left corner (clear of its text).
    struct ButtonRow
    {
        int index;
        std::uint32_t color;
    };
    const ButtonRow buttons[] = {
        {0, 0xFF3060A0u}, // normal
        {1, 0xFF5088D8u}, // hover
        {2, 0xFF102848u}, // pressed
        {3, 0xFFE0A020u}, // focused
        {4, 0xFF20A040u}, // checked
        {5, 0xFF707070u}, // disabled
    };
    for (const ButtonRow& row : buttons)
    {
        EXPECT_EQ(At(10 + 77 * row.index + 3, 13), row.color) << "button " << row.index;
    }
    EXPECT_EQ(At(5, 5), 0xFF303030u); // the window

    // The scroll view: the content and its mark at the origin, the bars along the bottom and the
    // right edge with their arrows and thumbs at the start, the corner between them.
    EXPECT_EQ(At(15, 100), 0xFFF0E020u);                   // content
    EXPECT_EQ(At(35, 75), 0xFFE02020u);                    // mark
    EXPECT_EQ(At(12, 50 + 130 - 7), 0xFF808080u);          // hBar's dec
    EXPECT_EQ(At(10 + 186 - 5, 173), 0xFF808080u);         // hBar's inc
    EXPECT_EQ(At(10 + 14 + 4, 173), 0xFFB0B0B0u);          // hBar's thumb
    EXPECT_EQ(At(10 + 120, 173), 0xFF202020u);             // hBar's channel
    EXPECT_EQ(At(10 + 200 - 7, 52), 0xFF808080u);          // vBar's dec
    EXPECT_EQ(At(10 + 200 - 7, 50 + 14 + 4), 0xFFB0B0B0u); // vBar's thumb
    EXPECT_EQ(At(10 + 200 - 7, 50 + 100), 0xFF202020u);    // vBar's channel
    EXPECT_EQ(At(10 + 200 - 7, 50 + 110), 0xFF808080u);    // vBar's inc

    // The progress bar: 96 of 240 pixels of overlay, the trough after it.
    EXPECT_EQ(At(230 + 1, 91), 0xFF20C040u);
    EXPECT_EQ(At(230 + 95, 91), 0xFF20C040u);
    EXPECT_EQ(At(230 + 96, 91), 0xFF181818u);
    EXPECT_EQ(At(230 + 230, 91), 0xFF181818u);
    // The status bar's fill.
    EXPECT_EQ(At(476, 298), 0xFF101010u);

    // The texts: each inside its label's text area, from its left edge (4 pixels in, and the
    // first glyph's side bearing).
    struct TextRow
    {
        const char* what;
        RectT<LONG> area;
        LONG minWidth;
    };
    const TextRow texts[] = {
        {"info label", RectT<LONG>(230, 50, 240, 24), 120},
        {"percentage", RectT<LONG>(230 + 96, 90, 30, 22), 8},
        {"percent sign", RectT<LONG>(230 + 122, 90, 20, 22), 5},
        {"time remaining", RectT<LONG>(230, 90 + 26, 240, 22), 120},
        {"status text", RectT<LONG>(0, 296, 480, 24), 80},
    };
    for (const TextRow& row : texts)
    {
        const RectT<LONG> box = LightBox(mPixels, row.area);
        EXPECT_GE(box.width, row.minWidth) << row.what;
        EXPECT_LE(box.x - row.area.x, 10) << row.what;
        EXPECT_GE(box.x - row.area.x, 4) << row.what;
        EXPECT_GT(box.height, 5) << row.what;
        EXPECT_LT(box.height, row.area.height) << row.what;
    }
    // The percentage reads "40" and the time "42 Seconds Remaining".
    EXPECT_EQ(progress->GetPercentCompleteLabel()->GetText(), WString(L"40"));
    EXPECT_EQ(progress->GetTimeRemainingLabel()->GetText(), WString(L"42 Seconds Remaining"));
}
