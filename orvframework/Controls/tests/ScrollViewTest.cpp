// Scroll views made by the factory from ScrollViewSkin.xml in a root window under SDL's
// offscreen driver: bars that come and go as the content grows and shrinks, the offset kept in
// range, the wheel and the bars moving together, line mode, the extent notification, and a
// picture of a scrolled view.
//
// The window (320 x 240) holds "view" (10, 10, 200 x 150), whose extent follows its children,
// with a 12-pixel "corner", the bars "hBar" and "vBar" and the child "content" (100 x 100 at
// the content origin), and "lines" (220, 10, 90 x 100), a view in line mode (20-pixel lines on
// y) with only a vertical bar, whose extent the tests set.
#include "ControlsFixture.h"
#include "TestControls.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/Panel.h"
#include "Controls/ScrollView.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kExtentChange = L"NID_CLIENT_EXTENT_CHANGE";
constexpr DWORD kShift = 0x8;
constexpr DWORD kAlt = 0x40;
constexpr double kUnlimited = 4503599627370496.0;

// A panel that scrolls its y axis by lines of 20 pixels.
class LineView : public LPanel
{
public:
    LineView(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LPanel(parent, descriptor)
    {
        mLineMode[kVertical] = 1;
        mLineSize[kVertical] = 20;
    }
    void SetLineSize(int pixels) { mLineSize[kVertical] = pixels; }
};

class ScrollViewTest : public ControlsFixture
{
protected:
    ScrollViewTest()
        : ControlsFixture("ScrollViewSkin.xml")
    {
        mFactory->RegisterControlCreateFunction(WString(L"Test.LineView"),
                                                &CreateControlOf<LineView>);
    }

    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        mView = dynamic_cast<LScrollView*>(FindControl(mMain->GetRootControl().Get(), "view"));
        mLines = dynamic_cast<LineView*>(FindControl(mMain->GetRootControl().Get(), "lines"));
        mContent = FindControl(mView, "content");
        ASSERT_TRUE(mView && mLines && mContent);
        ASSERT_TRUE(mView->GetHBar() && mView->GetVBar() && mView->GetCorner());
    }

    // Gives "content" a new size.
    void ResizeContent(double width, double height)
    {
        for (int axis = 0; axis < 2; ++axis)
        {
            AxisPlacement placement;
            mContent->GetLayout()->GetAxisPlacement(axis, placement);
            placement.size = LayoutSpec{LLayoutDescriptor::kSizeAbsolute, WString(), 0,
                                        axis == 0 ? width : height};
            mContent->SetAxisPlacement(axis, placement);
        }
    }

    void Wheel(int x, int y, DWORD modifiers, int direction)
    {
        mMain->HandleMouseWheel(PointT<LONG>(x, y), modifiers, direction);
    }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
    LScrollView* mView = nullptr;
    LineView* mLines = nullptr;
    LControl* mContent = nullptr;
};

TEST_F(ScrollViewTest, BarsShowWhileTheContentDoesNotFitAndTheOffsetStaysInRange)
{
    // The view is 200 x 150, a bar takes 12: the full size without bars, less 12 where the
    // other bar shows.
    struct Step
    {
        double width;
        double height;
        bool h;
        bool v;
        // Scrolls to the far end of both axes afterwards.
        bool toEnd;
        PointT<double> offset;
    };
    const Step steps[] = {
        {100, 100, false, false, false, {0, 0}},
        {400, 100, true, false, false, {0, 0}},
        // One pixel taller than the view: the vertical bar, and the width still fits the rest.
        {100, 151, false, true, false, {0, 0}},
        // The vertical bar takes 12 of the width: now the horizontal one is needed too.
        {195, 151, true, true, false, {0, 0}},
        // A needed horizontal bar forces the vertical one when the height passes 150 - 12.
        {400, 140, true, true, false, {0, 0}},
        {400, 300, true, true, true, {400 - 188, 300 - 138}},
        // Shrinking pulls the offset back to the new end.
        {300, 200, true, true, false, {300 - 188, 200 - 138}},
        {100, 100, false, false, false, {0, 0}},
    };
    for (const Step& step : steps)
    {
        ResizeContent(step.width, step.height);
        if (step.toEnd)
        {
            mView->GetHBar()->SetValue(1.0);
            mView->GetVBar()->SetValue(1.0);
        }
        const std::string at = std::to_string(step.width) + " x " + std::to_string(step.height);
        EXPECT_EQ(mView->GetExtent().x, step.width) << at;
        EXPECT_EQ(mView->GetExtent().y, step.height) << at;
        EXPECT_EQ(mView->IsScrollbarShown(LScrollView::kHorizontal), step.h) << at;
        EXPECT_EQ(mView->IsScrollbarShown(LScrollView::kVertical), step.v) << at;
        EXPECT_EQ(mView->GetContentOffset().x, step.offset.x) << at;
        EXPECT_EQ(mView->GetContentOffset().y, step.offset.y) << at;
        const RectT<double> limits = mView->GetScrollLimits();
        EXPECT_LE(mView->GetContentOffset().x, limits.width) << at;
        EXPECT_LE(mView->GetContentOffset().y, limits.height) << at;
        // The visible area is the view less the shown bars, and the bars do not scroll away.
        const RectT<double> visible = mView->GetVisibleClientRect();
        EXPECT_EQ(visible.width, step.v ? 188 : 200) << at;
        EXPECT_EQ(visible.height, step.h ? 138 : 150) << at;
        if (step.v)
        {
            EXPECT_EQ(mView->GetVBar()->GetRect().x - mView->GetContentOffset().x, 188) << at;
        }
    }
}

TEST_F(ScrollViewTest, BarRangePageAndStepsFollowTheExtent)
{
    // 400 high in a view 150 high: nothing else shows, so the whole height is visible.
    ResizeContent(100, 400);
    const RCPtr<LScrollbar>& bar = mView->GetVBar();
    EXPECT_EQ(bar->GetMinimum(), 0);
    EXPECT_EQ(bar->GetMaximum(), 250);
    EXPECT_EQ(bar->GetPageFraction(), static_cast<double>(150.0f / 400.0f));
    EXPECT_EQ(bar->GetPageStep(), static_cast<double>(static_cast<float>(150.0 / 250.0)));
    EXPECT_EQ(bar->GetLineStep(), static_cast<double>(static_cast<float>(150.0 / 250.0) / 10.0f));
    bar->SetValue(0.5);
    EXPECT_EQ(mView->GetContentOffset().y, 125);

    // A maximum that follows the children is the children's extent; a fixed one stays.
    mView->GetLayout()->axes[LLayoutDescriptor::kAxisY].maximum.kind =
        LLayoutDescriptor::kLimitChildren;
    EXPECT_EQ(mView->GetAbsoluteMaximumSize().height, 400);
    EXPECT_EQ(mView->GetAbsoluteMaximumSize().width, 0);

    // An axis without extent has no limit, and its bar an empty range, never an inverted one.
    mView->SetAutoClientExtent(0, 0, 0);
    mView->SetClientExtent(0, 400);
    EXPECT_EQ(mView->GetScrollLimits().width, kUnlimited);
    EXPECT_EQ(mView->GetHBar()->GetMaximum(), 0);
    EXPECT_EQ(mView->GetHBar()->GetPageFraction(), 1.0);
    EXPECT_FALSE(mView->IsScrollbarShown(LScrollView::kHorizontal));
}

TEST_F(ScrollViewTest, WheelAndBarMovesKeepBarValueAndOffsetInStep)
{
    ResizeContent(400, 400);
    ASSERT_TRUE(mView->IsScrollbarShown(LScrollView::kHorizontal));
    ASSERT_TRUE(mView->IsScrollbarShown(LScrollView::kVertical));
    const RCPtr<LScrollbar> h = mView->GetHBar();
    const RCPtr<LScrollbar> v = mView->GetVBar();
    // Visible 188 x 138 of 400 x 400.
    const double maxX = 400 - 188;
    const double maxY = 400 - 138;
    // Each step moves the bar by its step; the offset lands on a whole pixel, and the bar
    // follows the offset: bar value and offset stay in step.
    struct Move
    {
        const char* what;
        DWORD modifiers;
        int direction;
        // The bar expected to move (0 h, 1 v) and the signed step.
        int axis;
        double step;
    };
    const double smallY = static_cast<float>(138.0 / 262.0) / 10.0f;
    const double largeY = static_cast<float>(138.0 / 262.0);
    const double smallX = static_cast<float>(188.0 / 212.0) / 10.0f;
    const Move moves[] = {
        {"down", 0, LRootWindow::kWheelDown, 1, smallY},
        {"down again", 0, LRootWindow::kWheelDown, 1, smallY},
        {"Shift+down: a page", kShift, LRootWindow::kWheelDown, 1, largeY},
        {"up", 0, LRootWindow::kWheelUp, 1, -smallY},
        {"Alt+down: the horizontal bar", kAlt, LRootWindow::kWheelDown, 0, smallX},
        {"horizontal wheel left", 0, LRootWindow::kWheelLeft, 0, smallX},
        {"horizontal wheel right", 0, LRootWindow::kWheelRight, 0, -smallX},
    };
    for (const Move& move : moves)
    {
        const RCPtr<LScrollbar>& bar = move.axis == 0 ? h : v;
        const RCPtr<LScrollbar>& other = move.axis == 0 ? v : h;
        const double maximum = move.axis == 0 ? maxX : maxY;
        const double otherValue = other->GetValue();
        const double offset = std::round(maximum * (bar->GetValue() + move.step));
        Wheel(60, 60, move.modifiers, move.direction);
        EXPECT_DOUBLE_EQ(bar->GetValue(), offset / maximum) << move.what;
        EXPECT_EQ(other->GetValue(), otherValue) << move.what;
        EXPECT_EQ(mView->GetContentOffset().x, std::round(maxX * h->GetValue())) << move.what;
        EXPECT_EQ(mView->GetContentOffset().y, std::round(maxY * v->GetValue())) << move.what;
    }
    EXPECT_GT(mView->GetContentOffset().x, 0);
    EXPECT_GT(mView->GetContentOffset().y, 100);
    // Up past the top stops at 0.
    for (int i = 0; i < 30; ++i)
    {
        Wheel(60, 60, 0, LRootWindow::kWheelUp);
    }
    EXPECT_EQ(v->GetValue(), 0);
    EXPECT_EQ(mView->GetContentOffset().y, 0);

    // A bar moved by itself moves the offset; an offset set directly moves the bar.
    v->SetValue(0.5);
    EXPECT_EQ(mView->GetContentOffset().y, 131);
    mView->NotifyScrollOffsetChange(PointT<double>(106, 200));
    EXPECT_DOUBLE_EQ(h->GetValue(), 106 / maxX);
    EXPECT_DOUBLE_EQ(v->GetValue(), 200 / maxY);
    EXPECT_EQ(mView->GetContentOffset().y, 200);

    // With no bar shown the view leaves the wheel to others.
    ResizeContent(50, 50);
    ASSERT_FALSE(mView->IsScrollbarShown(LScrollView::kVertical));
    const RCPtr<LMouseWheelParam> step =
        LMouseWheelParam::Create(PointT<LONG>(60, 60), 0, LRootWindow::kWheelDown);
    EXPECT_EQ(mView->OnWheel(step), S_FALSE);
}

TEST_F(ScrollViewTest, LineModeScrollsByWholeLines)
{
    mLines->SetClientExtent(0, 400);
    const RCPtr<LScrollbar> bar = mLines->GetVBar();
    ASSERT_TRUE(mLines->IsScrollbarShown(LScrollView::kVertical));
    // 20 lines, 5 visible.
    EXPECT_EQ(bar->GetMaximum(), 15);
    EXPECT_DOUBLE_EQ(bar->GetLineStep(), 1.0 / 15);
    EXPECT_DOUBLE_EQ(bar->GetPageStep(), 5.0 / 15);
    EXPECT_DOUBLE_EQ(bar->GetPageFraction(), 0.25);

    bar->SetValue(bar->ValueToNormalized(7.6));
    EXPECT_EQ(mLines->GetContentOffset().y, 140);
    Wheel(250, 50, 0, LRootWindow::kWheelDown);
    EXPECT_EQ(mLines->GetContentOffset().y, 160);
    Wheel(250, 50, kShift, LRootWindow::kWheelDown);
    EXPECT_EQ(mLines->GetContentOffset().y, 260);

    // A shorter extent keeps the bar on its line as far as the new range allows.
    mLines->SetClientExtent(0, 200);
    EXPECT_EQ(bar->GetMaximum(), 5);
    EXPECT_DOUBLE_EQ(bar->NormalizedToValue(bar->GetValue()), 5);
    EXPECT_EQ(mLines->GetContentOffset().y, 100);

    // A line size of 0 cannot divide: the axis scrolls continuously.
    mLines->SetLineSize(0);
    mLines->SetClientExtent(0, 400);
    EXPECT_EQ(bar->GetMaximum(), 300);
    EXPECT_DOUBLE_EQ(bar->GetPageFraction(), 0.25);
}

TEST_F(ScrollViewTest, ExtentChangesAreAnnouncedOnce)
{
    mView->SetAutoClientExtent(0, 0, 0);
    RCPtr<CountingClient> client(new CountingClient);
    client->RegisterNotification(RCPtr<LNotificationDistributor>(mView), kExtentChange);
    const PointT<double> start = mView->GetExtent();
    struct Case
    {
        double x;
        double y;
        int result;
        int announced;
    };
    const Case cases[] = {
        {start.x, start.y, 1, 0}, {start.x + 1e-16, start.y - 1e-16, 1, 0},
        {start.x, 500, 0, 1},     {start.x, 500, 1, 1},
        {30, 500, 0, 2},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(mView->SetClientExtent(c.x, c.y), c.result) << c.x << ", " << c.y;
        EXPECT_EQ(client->Count(kExtentChange), c.announced) << c.x << ", " << c.y;
    }
    client->UnregisterAllNotifications();
}

TEST_F(ScrollViewTest, AScrolledViewShowsItsContentBarsAndCorner)
{
    ResizeContent(400, 300);
    mView->GetVBar()->SetValue(1.0);
    PumpMessages();
    const int width = 320;
    const int height = 240;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), width, height));
    SavePng(pixels.data(), width, height, ControlsArtefact("scroll-view.png"));
    auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    // The content fills the visible area; the corner sits at the bottom right of the view.
    EXPECT_EQ(at(60, 60), 0xFFE02020u);
    EXPECT_EQ(at(10 + 200 - 6, 10 + 150 - 6), 0xFF000000u);
    // The vertical bar: arrows at both ends, the thumb at the bottom of the channel.
    EXPECT_EQ(at(10 + 194, 10 + 5), 0xFF2040E0u);
    EXPECT_EQ(at(10 + 194, 10 + 138 - 5), 0xFF2040E0u);
    EXPECT_EQ(at(10 + 194, 10 + 138 - 12 - 3), 0xFFFFFFFFu);
    EXPECT_EQ(at(10 + 194, 10 + 30), 0xFF606060u);
    // The horizontal bar's thumb stays at the left end.
    EXPECT_EQ(at(10 + 12 + 3, 10 + 144), 0xFFFFFFFFu);
    // Outside the view: the window.
    EXPECT_EQ(at(5, 5), 0xFF202020u);
}
} // namespace
