// The condition word and the reports of its changes: forced hover, enabling down the tree,
// hiding the hovered control, and the focus moving with enabled and visible states.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// root (0,0)-(300,200); panel (10,10)-(210,160) with button (20,20)-(70,50) and label
// (20,70)-(70,100); label holds tag (25,75)-(35,85).
std::string ConditionTree()
{
    return SkinDocument(
        Sub("root", 0, 0, 300, 200, "grey", "",
            Sub("panel", 10, 10, 200, 150, "red", "",
                Sub("button", 10, 10, 50, 30, "green") +
                    Sub("label", 10, 60, 50, 30, "blue", "", Sub("tag", 5, 5, 10, 10, "red")))));
}

class Conditions : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        journal = new NotificationJournal();
        Show(ConditionTree(), L"root");
        button = At("panel/button");
    }

    RCPtr<NotificationJournal> journal;
    RCPtr<LControl> button;
};
} // namespace

TEST_F(Conditions, ForcedHoverReportsHoverOnlyWhereThePointerDoesNot)
{
    journal->Watch(button, {L"NID_CONDITION_CHANGE", L"NID_HOVER_CONDITION_CHANGE"});
    const DWORD shown = LControl::kEnabled | LControl::kVisible;
    EXPECT_EQ(button->GetConditions(), shown);
    button->SetForcedHover(true);
    EXPECT_EQ(journal->Take(),
              (std::vector<std::string>{"button:CONDITION_CHANGE", "button:HOVER"}));
    EXPECT_EQ(button->GetConditions(), shown | LControl::kHoverOrForced);
    EXPECT_EQ(button->GetConditionsParam()->oldConditions, shown);
    EXPECT_EQ(button->GetConditionsParam()->newConditions, shown | LControl::kHoverOrForced);

    // The pointer arriving over a forced-hovered control changes bit 0x4 only: no hover report,
    // but its cursor shows.
    button->SetCursor(7);
    window->Move(30, 30);
    EXPECT_EQ(journal->Take(), (std::vector<std::string>{"button:CONDITION_CHANGE"}));
    EXPECT_EQ(window->cursors, (std::vector<int>{7}));
    // Setting the flag it has reports nothing.
    button->SetForcedHover(true);
    EXPECT_TRUE(journal->Take().empty());
}

TEST_F(Conditions, DisablingAParentReportsItThenEachDescendantLastChildFirst)
{
    for (const char* path : {"panel", "panel/button", "panel/label", "panel/label/tag"})
    {
        journal->Watch(At(path), {L"NID_ENABLED_CONDITION_CHANGE"});
    }
    ASSERT_EQ(At("panel")->SetEnabled(false), S_OK);
    EXPECT_EQ(journal->Take(), (std::vector<std::string>{"panel:ENABLED", "label:ENABLED",
                                                         "tag:ENABLED", "button:ENABLED"}));
    EXPECT_EQ(button->GetConditions() & LControl::kEnabled, 0u);
    EXPECT_FALSE(button->AcceptsInput());
    EXPECT_EQ(At("panel")->SetEnabled(false), S_FALSE);
    ASSERT_EQ(At("panel")->SetEnabled(true), S_OK);
    EXPECT_EQ(button->GetConditions() & LControl::kEnabled, LControl::kEnabled);
}

TEST_F(Conditions, HidingTheHoveredControlHoversWhatIsBelowWithoutAMove)
{
    window->Move(30, 30);
    ASSERT_EQ(window->hover.Get(), button.Get());
    journal->Watch(button, {L"NID_HOVER_CONDITION_CHANGE", L"NID_VISIBLITY_CONDITION_CHANGE"});
    EXPECT_FALSE(button->SetVisible(false));
    EXPECT_EQ(window->hover.Get(), At("panel").Get());
    EXPECT_EQ(journal->Take(), (std::vector<std::string>{"button:VISIBLITY", "button:HOVER"}));
    EXPECT_EQ(button->GetConditions() & (LControl::kVisible | LControl::kHover), 0u);
    // Hiding invalidated the area it left.
    ASSERT_FALSE(window->invalidated.empty());
    EXPECT_EQ(window->invalidated.back(), RectT<LONG>(20, 20, 50, 30));
    EXPECT_TRUE(button->SetVisible(true));
}

TEST_F(Conditions, TheFocusLeavesAControlThatIsHiddenDisabledOrMarkedNotFocusable)
{
    // Made focusable by their tab stops; the label is taken out, so that the button and its
    // containers are the only ones.
    At("panel/label")->SetNotFocusable(true);
    const RCPtr<LControl> panel = At("panel");
    ASSERT_EQ(button->SetFocus(true), S_OK);
    EXPECT_EQ(window->focus.Get(), button.Get());
    EXPECT_EQ(panel->GetConditions() & LControl::kContainsFocus, LControl::kContainsFocus);

    // Hidden, the button hands the focus to its container.
    button->SetVisible(false);
    EXPECT_EQ(window->focus.Get(), panel.Get());
    EXPECT_EQ(button->GetConditions() & LControl::kHasFocus, 0u);
    EXPECT_EQ(panel->GetConditions() & (LControl::kHasFocus | LControl::kContainsFocus),
              LControl::kHasFocus);
    // Shown again while its container holds the focus, it takes it back.
    button->SetVisible(true);
    EXPECT_EQ(window->focus.Get(), button.Get());
    button->SetEnabled(false);
    EXPECT_EQ(window->focus.Get(), panel.Get());
    EXPECT_EQ(root->GetConditions() & LControl::kContainsFocus, LControl::kContainsFocus);

    // A container marked not focusable while it holds the focus gives it to its parent.
    panel->SetNotFocusable(true);
    EXPECT_EQ(window->focus.Get(), root.Get());
    EXPECT_EQ(root->GetConditions() & (LControl::kHasFocus | LControl::kContainsFocus),
              LControl::kHasFocus);
    EXPECT_EQ(panel->GetConditions() & (LControl::kHasFocus | LControl::kContainsFocus), 0u);
}
