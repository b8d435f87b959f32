// Centred sliders of SliderWindow.xml: "centred" at (10, 100), 140 x 20, its markers at x 10 and
// 110 (10 pixels wide), its range panels 40 x 4 at y 8, "lowRangeBounds" reaching left of its
// position and "highRangeBounds" right of it; "bareCentred" at (10, 130) has the same panels and
// no markers, so no thumb.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/CenteredSlider.h"

#include <gtest/gtest.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
class CenteredSliderTest : public ControlWindowFixture
{
public:
    CenteredSliderTest()
        : ControlWindowFixture("SliderWindow.xml")
    {
    }

    LCenteredSlider* Slider(const char* name) const
    {
        LCenteredSlider* slider =
            dynamic_cast<LCenteredSlider*>(FindControl(mMain->GetRootControl().Get(), name));
        EXPECT_NE(slider, nullptr) << name;
        return slider;
    }
    static double PositionOf(const LControl& control)
    {
        return control.GetLayout()->axes[LLayoutDescriptor::kAxisX].position.abs;
    }
};

TEST_F(CenteredSliderTest, TheRangePanelsFollowTheThumbsCentre)
{
    LCenteredSlider* slider = Slider("centred");
    ASSERT_TRUE(slider->GetThumb());
    ASSERT_TRUE(slider->GetLowRangeBounds());
    ASSERT_TRUE(slider->GetHighRangeBounds());
    // At creation: the thumb at 10, its centre at 15.
    EXPECT_EQ(PositionOf(*slider->GetLowRangeBounds()), 15.0);
    EXPECT_EQ(PositionOf(*slider->GetHighRangeBounds()), 15.0);

    // By value: the thumb at 40 (width 10) puts both panels at 45; the low panel reaches left.
    struct Case
    {
        double value;
        double centre;
    };
    for (const Case& c : {Case{0.3, 45}, Case{1.0, 115}, Case{0.5, 65}})
    {
        slider->SetValue(c.value);
        EXPECT_EQ(PositionOf(*slider->GetLowRangeBounds()), c.centre) << c.value;
        EXPECT_EQ(PositionOf(*slider->GetHighRangeBounds()), c.centre) << c.value;
        EXPECT_EQ(slider->GetLowRangeBounds()->GetRect().x, c.centre - 40) << c.value;
        EXPECT_EQ(slider->GetHighRangeBounds()->GetRect().x, c.centre) << c.value;
    }

    // During a drag: the thumb's centre at 65 is window x 75, under the panels, which let the
    // mouse through to the thumb.
    Press(75, 110);
    MoveHeld(35, 112);
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.1);
    EXPECT_EQ(PositionOf(*slider->GetLowRangeBounds()), 25.0);
    EXPECT_EQ(PositionOf(*slider->GetHighRangeBounds()), 25.0);
    Release(35, 112);
    // Keys step it as a slider; the panels follow.
    ASSERT_EQ(slider->GetThumb()->SetFocus(true), S_OK);
    Key(VK_RIGHT);
    IdlePass(0);
    EXPECT_NEAR(slider->GetValue(), 0.1 + 1.0 / 127, 1e-12);
    EXPECT_EQ(PositionOf(*slider->GetHighRangeBounds()), 26.0);
}

TEST_F(CenteredSliderTest, ACentredSliderWithoutAThumbWorksAsASlider)
{
    LCenteredSlider* slider = Slider("bareCentred");
    EXPECT_FALSE(slider->GetThumb());
    EXPECT_EQ(PositionOf(*slider->GetLowRangeBounds()), 15.0);
    // Keys, the wheel and values from outside change the value; the panels stay.
    ASSERT_EQ(slider->SetFocus(true), S_OK);
    Key(VK_RIGHT);
    Key(VK_UP);
    IdlePass(0);
    EXPECT_NEAR(slider->GetValue(), 2.0 / 127, 1e-12);
    mMain->HandleMouseWheel(PointT<LONG>(120, 140), 0, LRootWindow::kWheelUp);
    EXPECT_NEAR(slider->GetValue(), 3.0 / 127, 1e-12);
    EXPECT_EQ(slider->SetValue(0.75), 0.75);
    Click(120, 140);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.65);
    EXPECT_EQ(PositionOf(*slider->GetLowRangeBounds()), 15.0);
    EXPECT_EQ(PositionOf(*slider->GetHighRangeBounds()), 15.0);
}
} // namespace
