// The tool tip in a window (SDL's offscreen driver): armed by a control's ShowToolTip, it shows
// after more than 500 ms of the application's clock near the pointer, inside the window, and
// hides after more than 5000 ms or when the control lets it go; a tip armed right after a shown
// one was hidden shows at once. Its idle request is given back every time.
//
// The window (320 x 240, grey) holds "tipped" (20, 20, 120 x 60) and "second" (180, 20), both
// blue, each with a tool-tip text; the skin's "toolTip" is yellow with black text, 22 high.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/ToolTip.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// A panel whose tool-tip text names it.
class Tipped : public TestPanel
{
public:
    using TestPanel::TestPanel;
    WString GetToolTipText() const override
    {
        return GetName() == WString(L"tipped") ? WString(L"Select the firmware file")
                                               : WString(L"A second tip");
    }
};

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class ToolTipTest : public ControlWindowFixture
{
protected:
    ToolTipTest()
        : ControlWindowFixture("ToolTipSkin.xml")
    {
        mFactory->RegisterControlCreateFunction(WString(L"Test.Tipped"), &CreateControlOf<Tipped>);
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        ASSERT_TRUE(mMain);
        // Tool tips share the moment the last shown one was hidden: start well after it.
        DWORD lastHide = 0;
        if (LToolTip::GetLastHideTime(lastHide) &&
            mApplication->GetTimeMs() - lastHide < LToolTip::kQuickShowMs)
        {
            mApplication->GetClock()->Advance(LToolTip::kQuickShowMs);
        }
    }

    RCPtr<LControl> Control(const char* name) const
    {
        return mMain->GetRootControl()->FindChildControl(WString(name));
    }
    RCPtr<LToolTip> Tip(const char* owner) const
    {
        const RCPtr<LControl> control = Control(owner);
        return control ? RCPtr<LToolTip>(control->FindChildControl(WString(L"toolTip"))) : nullptr;
    }
    void PointerAt(int x, int y) { SendMessageW(mWindow, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    std::vector<std::uint32_t> Screenshot(const char* name)
    {
        return ControlWindowFixture::Screenshot(name, kWidth, kHeight);
    }
};

TEST_F(ToolTipTest, TheTipShowsAfterTheDelayBelowThePointerAndHidesAfterItsTime)
{
    PointerAt(60, 40);
    const RCPtr<LControl> tipped = Control("tipped");
    ASSERT_EQ(tipped->ShowToolTip(true), S_OK);
    const RCPtr<LToolTip> tip = Tip("tipped");
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->GetText(), WString(L"Select the firmware file"));
    EXPECT_EQ(tip->GetState(), LToolTip::kWaiting);
    EXPECT_FALSE(tip->IsVisible(false));
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 1);

    // Exactly 500 ms after it was armed the tip still waits; one more and it shows.
    IdlePass(300);
    IdlePass(200);
    EXPECT_EQ(tip->GetState(), LToolTip::kWaiting);
    EXPECT_FALSE(tip->IsVisible(false));
    IdlePass(1);
    EXPECT_EQ(tip->GetState(), LToolTip::kShown);
    ASSERT_TRUE(tip->IsVisible(false));
    // At the pointer, 20 pixels below it, as wide as its text and 22 high.
    const PointT<double> at = tip->GetRectInRoot();
    EXPECT_EQ(at.x, 60);
    EXPECT_EQ(at.y, 60);
    EXPECT_EQ(tip->GetRect().height, 22);
    EXPECT_GT(tip->GetRect().width, 100);
    EXPECT_LT(tip->GetRect().width, 312);

    mMain->RedrawNow();
    const std::vector<std::uint32_t> pixels = Screenshot("tool-tip-shown.png");
    auto pixel = [&pixels](int x, int y)
    { return pixels[static_cast<std::size_t>(y) * kWidth + x]; };
    EXPECT_EQ(pixel(62, 62), 0xFFF0E020u);  // the tip's yellow, over the blue panel
    EXPECT_EQ(pixel(150, 62), 0xFFF0E020u); // and past the panel's edge
    EXPECT_EQ(pixel(62, 58), 0xFF2040E0u);  // the panel above the tip
    EXPECT_EQ(pixel(10, 200), 0xFF404040u); // the window
    // Black text inside the tip.
    int ink = 0;
    for (int y = 62; y < 80; ++y)
    {
        for (int x = 64; x < 64 + static_cast<int>(tip->GetRect().width) - 8; ++x)
        {
            ink += pixel(x, y) != 0xFFF0E020u ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 30);

    // Shown for 5000 ms it stays; a millisecond more and it is gone.
    IdlePass(4000);
    IdlePass(1000);
    EXPECT_EQ(tip->GetState(), LToolTip::kShown);
    IdlePass(1);
    EXPECT_EQ(tip->GetState(), LToolTip::kHidden);
    EXPECT_FALSE(Tip("tipped"));
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    mMain->RedrawNow();
    const std::vector<std::uint32_t> after = Screenshot("tool-tip-hidden.png");
    EXPECT_EQ(after[62 * kWidth + 150], 0xFF404040u);
}

TEST_F(ToolTipTest, ATipArmedRightAfterAShownOneWasHiddenShowsAtOnce)
{
    PointerAt(60, 40);
    ASSERT_EQ(Control("tipped")->ShowToolTip(true), S_OK);
    IdlePass(501);
    ASSERT_EQ(Tip("tipped")->GetState(), LToolTip::kShown);
    // The pointer moves on to the next control: the first tip goes, the next one comes at once.
    PointerAt(200, 40);
    ASSERT_EQ(Control("tipped")->ShowToolTip(false), S_OK);
    EXPECT_FALSE(Tip("tipped"));
    mApplication->GetClock()->Advance(49);
    ASSERT_EQ(Control("second")->ShowToolTip(true), S_OK);
    const RCPtr<LToolTip> second = Tip("second");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetState(), LToolTip::kShown);
    EXPECT_TRUE(second->IsVisible(false));
    EXPECT_EQ(second->GetText(), WString(L"A second tip"));
    // Arming it again takes no second idle request.
    ASSERT_EQ(Control("second")->ShowToolTip(true), S_OK);
    EXPECT_EQ(Tip("second").Get(), second.Get());
    EXPECT_EQ(second->GetIdleRequestCount(), 1);
    ASSERT_EQ(Control("second")->ShowToolTip(false), S_OK);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);

    // 50 ms after a hide is too late: the full delay again.
    mApplication->GetClock()->Advance(50);
    ASSERT_EQ(Control("tipped")->ShowToolTip(true), S_OK);
    EXPECT_EQ(Tip("tipped")->GetState(), LToolTip::kWaiting);
    ASSERT_EQ(Control("tipped")->ShowToolTip(false), S_OK);
}

TEST_F(ToolTipTest, HidingATipThatNeverShowedKeepsTheDelayForTheNext)
{
    PointerAt(60, 40);
    ASSERT_EQ(Control("tipped")->ShowToolTip(true), S_OK);
    IdlePass(100);
    ASSERT_EQ(Control("tipped")->ShowToolTip(false), S_OK);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    mApplication->GetClock()->Advance(10);
    ASSERT_EQ(Control("second")->ShowToolTip(true), S_OK);
    EXPECT_EQ(Tip("second")->GetState(), LToolTip::kWaiting);
    EXPECT_FALSE(Tip("second")->IsVisible(false));
    ASSERT_EQ(Control("second")->ShowToolTip(false), S_OK);
}

TEST_F(ToolTipTest, NearTheCornerTheTipMovesUpAndLeftToStayInTheWindow)
{
    struct Case
    {
        int x;
        int y;
        bool right; // the tip ends at the window's right edge
        bool bottom;
    };
    const Case cases[] = {
        {310, 230, true, true},
        {10, 230, false, true},
        {310, 10, true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        PointerAt(c.x, c.y);
        ASSERT_EQ(Control("tipped")->ShowToolTip(true), S_OK);
        IdlePass(501);
        const RCPtr<LToolTip> tip = Tip("tipped");
        ASSERT_TRUE(tip && tip->IsVisible(false));
        const PointT<double> at = tip->GetRectInRoot();
        const RectT<double> rect = tip->GetRect();
        EXPECT_GE(at.x, 0);
        EXPECT_GE(at.y, 0);
        EXPECT_EQ(at.x, c.right ? kWidth - rect.width : c.x);
        EXPECT_EQ(at.y, c.bottom ? kHeight - rect.height : c.y + 20);
        ASSERT_EQ(Control("tipped")->ShowToolTip(false), S_OK);
        // Past the quick re-show for the next case.
        mApplication->GetClock()->Advance(100);
    }
    // A tip wider than the window is cut to the window less 8.
    PointerAt(100, 100);
    const RCPtr<LControl> tipped = Control("tipped");
    ASSERT_EQ(tipped->ShowToolTip(true), S_OK);
    const RCPtr<LToolTip> tip = Tip("tipped");
    tip->SetText(WString(L"A tool tip text far too long to fit into the window of this test, "
                         L"whatever font draws it"));
    IdlePass(501);
    EXPECT_LE(tip->GetRect().width, kWidth - 8);
    EXPECT_GE(tip->GetRectInRoot().x, 0);
    ASSERT_EQ(tipped->ShowToolTip(false), S_OK);
}

TEST_F(ToolTipTest, TheWindowArmsTheTipOfTheHoveredControlAndHidesItOnInput)
{
    PointerAt(60, 40);
    const RCPtr<LControl> tipped = Control("tipped");
    EXPECT_EQ(mMain->GetToolTipControl().Get(), tipped.Get());
    ASSERT_TRUE(Tip("tipped"));
    EXPECT_EQ(Tip("tipped")->GetState(), LToolTip::kWaiting);
    IdlePass(501);
    EXPECT_EQ(Tip("tipped")->GetState(), LToolTip::kShown);
    // Moving inside the control keeps the tip as it is.
    const RCPtr<LToolTip> shown = Tip("tipped");
    PointerAt(70, 45);
    EXPECT_EQ(Tip("tipped").Get(), shown.Get());
    EXPECT_EQ(shown->GetState(), LToolTip::kShown);
    // Onto the window, which has no tip: the tip goes.
    PointerAt(160, 150);
    EXPECT_FALSE(Tip("tipped"));
    EXPECT_FALSE(mMain->GetToolTipControl());
    // Onto the next control at once: its tip shows without the delay.
    mApplication->GetClock()->Advance(20);
    PointerAt(200, 40);
    ASSERT_TRUE(Tip("second"));
    EXPECT_EQ(Tip("second")->GetState(), LToolTip::kShown);
    // A press hides it; it stays hidden while the pointer stays on the control.
    SendMessageW(mWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 40));
    SendMessageW(mWindow, WM_LBUTTONUP, 0, MAKELPARAM(200, 40));
    EXPECT_FALSE(Tip("second"));
    PointerAt(205, 45);
    EXPECT_FALSE(Tip("second"));
    // A key hides a waiting tip.
    mApplication->GetClock()->Advance(100);
    PointerAt(60, 40);
    ASSERT_TRUE(Tip("tipped"));
    SendMessageW(mWindow, WM_KEYDOWN, 'A', 1);
    SendMessageW(mWindow, WM_KEYUP, 'A', 1 | (1u << 30) | (1u << 31));
    EXPECT_FALSE(Tip("tipped"));
    IdlePass(600);
    EXPECT_FALSE(Tip("tipped"));
}
} // namespace
