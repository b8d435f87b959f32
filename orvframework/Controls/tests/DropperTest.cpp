// The two droppers made by the factory from DropperSkin.xml in a root window (SDL's offscreen
// driver), driven by mouse messages and idle passes on the application's manual clock: a left drag
// moves a dropper freely and its end takes the dropper out of its parent at the next idle pass;
// other buttons start no drag; a dropper never takes the focus.
//
// The window (400 x 300) holds the panel "field" at (20, 20) with "dropper" at window (40, 40)
// and "fileDropper" at (120, 40), each 40 x 40, and the button "other" at (220, 220).
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Dropper.h"
#include "Controls/FileDropper.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orv;
using namespace OrvTest;

namespace
{
class DropperTest : public ControlWindowFixture
{
public:
    DropperTest()
        : ControlWindowFixture("DropperSkin.xml")
    {
    }

    RCPtr<LControl> Control(const std::string& name) const
    {
        return RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), name));
    }

    // Both classes, with the window point at the middle of each.
    struct Case
    {
        const char* name;
        int x;
        int y;
    };
    static constexpr Case kCases[] = {{"dropper", 60, 60}, {"fileDropper", 140, 60}};
};
} // namespace

TEST_F(DropperTest, BothClassesAreMadeVisibleAndNeverTakeTheFocus)
{
    EXPECT_TRUE(dynamic_cast<LDropper*>(Control("dropper").Get()) != nullptr);
    EXPECT_TRUE(dynamic_cast<LFileDropper*>(Control("fileDropper").Get()) != nullptr);
    const RCPtr<LControl> field = Control("field");
    for (const Case& each : kCases)
    {
        SCOPED_TRACE(each.name);
        const RCPtr<LControl> dropper = Control(each.name);
        ASSERT_TRUE(dropper);
        EXPECT_TRUE(dropper->IsVisible(true));
        EXPECT_TRUE(dropper->IsNotFocusable(false));
        EXPECT_EQ(dropper->GetDragMode(), LControl::kDragNone);
        // A click does not give it the focus, and Tab walks past it.
        Click(each.x, each.y);
        EXPECT_EQ(dropper->GetConditions() & LControl::kHasFocus, 0u);
        ASSERT_EQ(field->SetFocus(true), S_OK);
        EXPECT_NE(Control("other")->GetConditions() & LControl::kHasFocus, 0u);
        // A click without a move starts a drag that never ran: the dropper stays.
        IdlePass(33);
        EXPECT_EQ(field->FindChildControl(dropper->GetName()).Get(), dropper.Get());
    }
}

TEST_F(DropperTest, ALeftDragMovesTheDropperAndItsEndRemovesIt)
{
    const RCPtr<LControl> field = Control("field");
    for (const Case& each : kCases)
    {
        SCOPED_TRACE(each.name);
        const RCPtr<LControl> dropper = Control(each.name);
        ASSERT_TRUE(dropper);
        ASSERT_EQ(dropper->SetIndex(5), S_OK);
        const RectT<double> start = dropper->GetRect();

        Press(each.x, each.y);
        // The press starts a free drag on both axes and resets the index.
        EXPECT_EQ(dropper->GetDragMode(), LControl::kDragMove);
        EXPECT_EQ(dropper->GetIndex(), 0);
        MoveHeld(each.x + 60, each.y + 100);
        MoveHeld(each.x + 100, each.y + 150);
        EXPECT_EQ(dropper->GetRect().x, start.x + 100);
        EXPECT_EQ(dropper->GetRect().y, start.y + 150);
        IdlePass(33);
        EXPECT_EQ(field->FindChildControl(dropper->GetName()).Get(), dropper.Get());

        Release(each.x + 100, each.y + 150);
        // Hidden at once, out of the parent at the next idle pass.
        EXPECT_FALSE(dropper->IsVisible(false));
        EXPECT_EQ(field->GetPendingRemovalCount(), 1u);
        IdlePass(33);
        EXPECT_FALSE(field->FindChildControl(dropper->GetName()));
        EXPECT_FALSE(dropper->GetParent());
        EXPECT_EQ(field->GetPendingRemovalCount(), 0u);
    }
    // The other children stay.
    EXPECT_TRUE(field->FindChildControl(WString(L"other")));
}

TEST_F(DropperTest, OtherButtonsStartNoDrag)
{
    const RCPtr<LControl> field = Control("field");
    struct Button
    {
        UINT down;
        UINT up;
        WPARAM held;
    };
    const Button buttons[] = {{WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON},
                              {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON}};
    for (const Case& each : kCases)
    {
        const RCPtr<LControl> dropper = Control(each.name);
        ASSERT_TRUE(dropper);
        const RectT<double> start = dropper->GetRect();
        for (const Button& button : buttons)
        {
            SCOPED_TRACE(std::string(each.name) + " " + std::to_string(button.down));
            Mouse(WM_MOUSEMOVE, each.x, each.y);
            Mouse(button.down, each.x, each.y, button.held);
            EXPECT_EQ(dropper->GetDragMode(), LControl::kDragNone);
            Mouse(WM_MOUSEMOVE, each.x + 80, each.y + 80, button.held);
            Mouse(button.up, each.x + 80, each.y + 80);
            IdlePass(33);
            EXPECT_EQ(dropper->GetRect(), start);
            EXPECT_TRUE(dropper->IsVisible(false));
            EXPECT_EQ(field->FindChildControl(dropper->GetName()).Get(), dropper.Get());
        }
    }
}
