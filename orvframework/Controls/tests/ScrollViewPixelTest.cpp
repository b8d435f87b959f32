// The scroll view of the core controls' window, drawn by the GDI+ renderer of a root window
// (SDL's offscreen driver): a wheel step moves the pixels the view's scrolled surface holds and
// draws only the strip the step exposes; what the window shows then is what a whole redraw
// without the surface shows. The windows are saved as artefacts/ScrollViewStep*.png.
#include "ControlsFixture.h"

#include "Controls/ScrollView.h"
#include "System/WindowOSServices.h"
#include "Utilities/Storage/Array.h"
#include "notification/MouseWheelParam.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 480;
// Modifier flags of a wheel step: Shift steps a page, Alt the horizontal bar.
constexpr DWORD kShift = 0x8;
constexpr DWORD kAlt = 0x40;
constexpr int kHeight = 320;
// The view in the window's client area.
const RectT<LONG> kView(10, 50, 200, 130);

class ScrollViewPixelTest : public ControlsFixture
{
protected:
    ScrollViewPixelTest()
        : ControlsFixture("CoreControlsWindow.xml")
    {
        WString strings;
        strings.AssignUtf8(ControlsTestData("CoreControlsWindowStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    std::vector<std::uint32_t> Read(HWND window)
    {
        std::vector<std::uint32_t> pixels(kWidth * kHeight);
        EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), kWidth, kHeight));
        return pixels;
    }
};

// The rectangles of a region as (x, y, width, height) texts.
std::vector<std::string> Rects(const LRegion& region)
{
    Array<RectT<LONG>> rects;
    region.GetRects(rects);
    std::vector<std::string> out;
    for (unsigned int i = 0; i < rects.GetCount(); ++i)
    {
        const RectT<LONG>& r = rects.GetConstElementPointer(i);
        out.push_back(std::to_string(r.x) + "," + std::to_string(r.y) + " " +
                      std::to_string(r.width) + "x" + std::to_string(r.height));
    }
    return out;
}
} // namespace

TEST_F(ScrollViewPixelTest, AWheelStepMovesThePixelsAndDrawsOnlyTheStripItExposes)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_TRUE(main);
    const HWND window = main->GetServices()->GetWindowHandle();
    const RCPtr<LScrollView> view =
        DynamicCast<LScrollView>(main->GetRootControl()->FindChildControl(WString(L"scrollView")));
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->IsScrollingEnabled());
    PumpMessages();

    struct Step
    {
        const char* what;
        LONG direction;
        DWORD modifiers;
    };
    const Step steps[] = {
        {"a page down", LControl::kWheelDown, kShift}, {"up", LControl::kWheelUp, 0},
        {"a page up", LControl::kWheelUp, kShift},     {"down", LControl::kWheelDown, 0},
        {"right", LControl::kWheelDown, kAlt},         {"right again", LControl::kWheelDown, kAlt},
    };
    int index = 0;
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        const RectT<double> before = view->GetVisibleContentRect();
        ASSERT_EQ(view->OnWheel(
                      LMouseWheelParam::Create(PointT<LONG>(0, 0), step.modifiers, step.direction)),
                  S_OK);
        const RectT<double> after = view->GetVisibleContentRect();
        ASSERT_FALSE(after == before);
        PumpMessages();

        // Only what the new offset shows and the old one did not was drawn.
        LRegion strip;
        strip.AddRect(after);
        LRegion old;
        old.AddRect(before);
        strip.Subtract(old);
        strip.Normalize();
        EXPECT_EQ(Rects(view->GetLastScrolledUpdate()), Rects(strip));
        RECT bounds{};
        ASSERT_TRUE(view->GetLastScrolledUpdate().GetBounds(bounds));
        EXPECT_LT((bounds.right - bounds.left) * (bounds.bottom - bounds.top),
                  static_cast<LONG>(after.width * after.height));
        const std::vector<std::uint32_t> moved = Read(window);
        SavePng(moved.data(), kWidth, kHeight,
                ControlsArtefact(("ScrollViewStep" + std::to_string(++index) + ".png").c_str()));

        // The same offset drawn whole, without the surface.
        view->SetScrollingEnabled(false);
        PumpMessages();
        const std::vector<std::uint32_t> whole = Read(window);
        SavePng(whole.data(), kWidth, kHeight,
                ControlsArtefact(("ScrollViewStep" + std::to_string(index) + "Whole.png").c_str()));
        int different = 0;
        for (LONG y = kView.y; y < kView.y + kView.height; ++y)
        {
            for (LONG x = kView.x; x < kView.x + kView.width; ++x)
            {
                const std::size_t at = static_cast<std::size_t>(y) * kWidth + x;
                different += moved[at] != whole[at] ? 1 : 0;
            }
        }
        EXPECT_EQ(different, 0);
        // Back on, the surface is drawn whole once.
        view->SetScrollingEnabled(true);
        PumpMessages();
    }
    // The content as the offset shows it, beside the bars: the red mark (20, 20, 40 x 30 in
    // the content) where the offset puts it, yellow elsewhere.
    const PointT<double> offset = view->GetContentOffset();
    const std::vector<std::uint32_t> last = Read(window);
    for (LONG y = 0; y < kView.height - 14; ++y)
    {
        for (LONG x = 0; x < kView.width - 14; ++x)
        {
            const double cx = x + offset.x;
            const double cy = y + offset.y;
            const bool mark = cx >= 20 && cx < 60 && cy >= 20 && cy < 50;
            const std::uint32_t pixel =
                last[static_cast<std::size_t>(kView.y + y) * kWidth + kView.x + x];
            ASSERT_EQ(pixel, mark ? 0xFFE02020u : 0xFFF0E020u) << x << "," << y;
        }
    }
    DestroyWindows();
}
