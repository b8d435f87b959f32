// The splitters of SliderWindow.xml, dragged through the window. "leftPane" at (10, 190) is 150
// wide (100 to 300); the vertical "splitter", 6 wide, follows it; "rightPane" follows the
// splitter and reaches to 10 pixels before the window's right edge (400), at least 80 wide.
// Inside "rightPane": "upperPane" 40 high (at least 20), the horizontal "hSplitter" (4 high)
// after it, and "lowerPane" filling the rest (at least 30).
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/SplitterH.h"
#include "Controls/SplitterV.h"

#include <gtest/gtest.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
class SplitterTest : public ControlWindowFixture
{
public:
    SplitterTest()
        : ControlWindowFixture("SliderWindow.xml")
    {
    }

    LControl* Control(const char* name) const
    {
        LControl* control = FindControl(mMain->GetRootControl().Get(), name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    RectT<double> RectOf(const char* name) const { return Control(name)->GetRect(); }
};

TEST_F(SplitterTest, DraggingTheVerticalSplitterResizesThePanesWithinTheirLimits)
{
    LSplitterV* splitter = dynamic_cast<LSplitterV*>(Control("splitter"));
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->GetOrientation(), LSplitterBase::kVertical);
    EXPECT_EQ(splitter->GetDragAxis(), 0);
    EXPECT_EQ(RectOf("splitter").x, 160);
    EXPECT_EQ(RectOf("rightPane").x, 166);
    EXPECT_EQ(RectOf("rightPane").width, 224);

    struct Step
    {
        int pointerX;
        double left, splitterX, rightX, rightWidth;
    };
    // The left pane keeps 100 at least; the right pane keeps 80 (its limit is nearer than the
    // left pane's maximum of 300).
    const Step steps[] = {
        {163 - 30, 120, 130, 136, 254},
        {163 - 100, 100, 110, 116, 274},
        {163 + 60, 210, 220, 226, 164},
        {163 + 200, 294, 304, 310, 80},
    };
    Press(163, 240);
    for (const Step& step : steps)
    {
        MoveHeld(step.pointerX, 240);
        EXPECT_EQ(RectOf("leftPane").width, step.left) << step.pointerX;
        EXPECT_EQ(RectOf("splitter").x, step.splitterX) << step.pointerX;
        EXPECT_EQ(RectOf("rightPane").x, step.rightX) << step.pointerX;
        EXPECT_EQ(RectOf("rightPane").width, step.rightWidth) << step.pointerX;
        EXPECT_EQ(splitter->GetReference().Get(), Control("leftPane"));
        EXPECT_EQ(splitter->GetDragLimits().x, 110);
        EXPECT_EQ(splitter->GetDragLimits().width, 304 - 110);
    }
    EXPECT_EQ(splitter->GetActiveLookIndex(), LSplitterBase::kLookDraggedAway);
    Release(163 + 200, 240);
    EXPECT_FALSE(splitter->GetReference());

    // Released, the splitter follows the pane again.
    const LayoutSpec& position = splitter->GetLayout()->axes[0].position;
    EXPECT_EQ(position.kind, LLayoutDescriptor::kPositionSibling);
    EXPECT_EQ(position.reference, WString(L"leftPane"));
    EXPECT_EQ(position.rel, 1.0f);
    EXPECT_EQ(RectOf("splitter").x, 304);

    // A lower right pane: the lower pane inside would fall below 30, so the upper pane gives way
    // and the horizontal splitter is pulled back to its limit.
    LControl* right = Control("rightPane");
    AxisPlacement height;
    right->GetLayout()->GetAxisPlacement(1, height);
    height.size.abs = 70;
    right->SetAxisPlacement(1, height);
    EXPECT_EQ(RectOf("rightPane").height, 70);
    EXPECT_EQ(RectOf("upperPane").height, 36);
    EXPECT_EQ(RectOf("hSplitter").y, 36);
    EXPECT_EQ(RectOf("lowerPane").y, 40);
    EXPECT_EQ(RectOf("lowerPane").height, 30);
    // The same drag after it: the splitter still follows its pane.
    EXPECT_EQ(RectOf("splitter").x, 304);
}

TEST_F(SplitterTest, TheHorizontalSplitterDragsOnYAndShowsItsState)
{
    LSplitterH* splitter = dynamic_cast<LSplitterH*>(Control("hSplitter"));
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->GetDragAxis(), 1);
    EXPECT_NE(splitter->GetCursor(), 0);
    EXPECT_NE(splitter->GetCursor(), Control("splitter")->GetCursor());
    EXPECT_EQ(splitter->GetActiveLookIndex(), LSplitterBase::kLookNormal);
    // In the window: rightPane at (166, 190), the splitter at y 40 in it.
    Mouse(WM_MOUSEMOVE, 216, 232);
    EXPECT_EQ(splitter->GetActiveLookIndex(), LSplitterBase::kLookHover);
    struct Step
    {
        int pointerY;
        double upper, lowerY, lowerHeight;
    };
    const Step steps[] = {
        {232 - 10, 30, 34, 66}, {232 - 50, 20, 24, 76}, {232 + 100, 66, 70, 30}, {232, 40, 44, 56}};
    Press(216, 232);
    for (const Step& step : steps)
    {
        MoveHeld(216, step.pointerY);
        EXPECT_EQ(RectOf("upperPane").height, step.upper) << step.pointerY;
        EXPECT_EQ(RectOf("lowerPane").y, step.lowerY) << step.pointerY;
        EXPECT_EQ(RectOf("lowerPane").height, step.lowerHeight) << step.pointerY;
    }
    // The pointer over the splitter it drags (the hover follows the next move).
    MoveHeld(216, 233);
    EXPECT_EQ(splitter->GetActiveLookIndex(), LSplitterBase::kLookDraggedOver);
    Release(216, 233);
    EXPECT_EQ(RectOf("hSplitter").y, 41);
    splitter->SetEnabled(false);
    EXPECT_EQ(splitter->GetActiveLookIndex(), LSplitterBase::kLookDisabled);
}

TEST_F(SplitterTest, ASplitterPlacedWithoutAPaneDragsWithinItsFollowersLimitsAndResizesNothing)
{
    LSplitterH* splitter = dynamic_cast<LSplitterH*>(Control("hSplitter"));
    ASSERT_NE(splitter, nullptr);
    AxisPlacement y;
    splitter->GetLayout()->GetAxisPlacement(1, y);
    y.position = LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, 40};
    splitter->SetAxisPlacement(1, y);
    Press(216, 232);
    MoveHeld(216, 200);
    EXPECT_FALSE(splitter->GetReference());
    EXPECT_EQ(RectOf("upperPane").height, 40);
    // Only the lower pane, which follows it, limits it: at most 26 down, nothing holds it up.
    EXPECT_EQ(splitter->GetDragLimits().x, 0);
    EXPECT_EQ(splitter->GetDragLimits().width, 66);
    Release(216, 200);
    EXPECT_EQ(RectOf("hSplitter").y, 40);
}
} // namespace
