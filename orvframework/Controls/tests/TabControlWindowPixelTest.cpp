// One tab control, two level meters and the two droppers in a window drawn by the GDI+ renderer of
// a root window (SDL's offscreen driver), saved as artefacts/TabControlWindow.png after a click on
// the second tab, a level with a peak and a clip, and a dropper dragged away while the other is
// still held. Chosen pixels give each part's colour.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/LevelMeter.h"
#include "Controls/TabControl.h"
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

class TabControlWindowPixelTest : public ControlWindowFixture
{
public:
    TabControlWindowPixelTest()
        : ControlWindowFixture("TabControlWindow.xml")
    {
    }

    LControl* Control(const std::string& name) const
    {
        LControl* control = FindControl(mMain->GetRootControl().Get(), name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<std::size_t>(y) * kWidth + x];
    }
    // Whether some pixel of the area is light (red, green and blue above 200): white text.
    bool HasLightPixel(int left, int top, int width, int height) const
    {
        for (int y = top; y < top + height; ++y)
        {
            for (int x = left; x < left + width; ++x)
            {
                const std::uint32_t p = At(x, y);
                if (((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200)
                {
                    return true;
                }
            }
        }
        return false;
    }

    std::vector<std::uint32_t> mPixels = std::vector<std::uint32_t>(kWidth * kHeight);
};
} // namespace

TEST_F(TabControlWindowPixelTest, TheWindowShowsOneOfEach)
{
    Control("a")->SetText(WString(L"One"));
    Control("b")->SetText(WString(L"Two"));
    Control("c")->SetText(WString(L"Three"));

    // The second tab, clicked.
    Click(10 + 100 + 45, 10 + 15);
    const RCPtr<LTabControl> tabs(dynamic_cast<LTabControl*>(Control("tabs")));
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->GetSelectedTabIndex(), 1);

    // 60 % with the peak at 80 % of its 270-pixel range, and a clip.
    const RCPtr<LLevelMeter> meter(dynamic_cast<LLevelMeter*>(Control("meter")));
    const RCPtr<LLevelMeter> vertical(dynamic_cast<LLevelMeter*>(Control("vmeter")));
    ASSERT_TRUE(meter && vertical);
    meter->SetLevel(0.6, 0.8, 1);
    vertical->SetLevels(0.75, 0);

    // The dropper is dragged down and let go: it is gone after the idle pass. The file dropper is
    // dragged 150 pixels down and still held while the window is read.
    Press(390, 40);
    MoveHeld(390, 140);
    Release(390, 140);
    IdlePass(33);
    Press(390, 100);
    MoveHeld(390, 200);
    MoveHeld(390, 250);
    PumpMessages();

    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, mPixels.data(), kWidth, kHeight));
    SavePng(mPixels.data(), kWidth, kHeight, ControlsArtefact("TabControlWindow.png"));
    Release(390, 250);
    IdlePass(33);

    struct Point
    {
        const char* what;
        int x;
        int y;
        std::uint32_t color;
    };
    const Point points[] = {
        {"tab a off", 13, 13, 0xFF606060u},
        {"tab b on", 113, 13, 0xFFE0A020u},
        {"tab c off", 213, 13, 0xFF606060u},
        {"page b shown", 160, 100, 0xFF30C030u},
        {"page b's far corner", 308, 168, 0xFF30C030u},
        {"tab control's own look beside the buttons", 305, 20, 0xFF303030u},
        {"meter lit up to 180", 15, 195, 0xFF30D050u},
        {"meter lit just before 180", 188, 200, 0xFF30D050u},
        {"meter dark after 180", 192, 200, 0xFF103010u},
        {"peak marker at 216", 10 + 216 + 2, 200, 0xFFF0E040u},
        {"meter dark after the marker", 10 + 216 + 6, 200, 0xFF103010u},
        {"clip light on", 60, 215, 0xFFFF3030u},
        {"vertical meter covered above the level", 340, 30, 0xFF404040u},
        {"vertical meter covered to 50", 340, 10 + 48, 0xFF404040u},
        {"vertical meter lit below 50", 340, 10 + 52, 0xFF30D050u},
        {"vertical meter lit at the bottom", 340, 205, 0xFF30D050u},
        {"the dropper's place, empty", 390, 40, 0xFF202020u},
        {"where the dropper was let go, empty", 390, 140, 0xFF202020u},
        {"the file dropper's old place, empty", 390, 100, 0xFF202020u},
        {"the file dropper where it is held", 390, 250, 0xFF20D0E0u},
        {"the held file dropper's corner", 371, 231, 0xFF20D0E0u},
        {"the window", 450, 300, 0xFF202020u},
    };
    for (const Point& point : points)
    {
        EXPECT_EQ(At(point.x, point.y), point.color) << point.what;
    }
    // The tab texts are drawn in white on the buttons.
    EXPECT_TRUE(HasLightPixel(10, 10, 90, 30));
    EXPECT_TRUE(HasLightPixel(110, 10, 90, 30));
    EXPECT_FALSE(HasLightPixel(10, 45, 300, 120));
}
