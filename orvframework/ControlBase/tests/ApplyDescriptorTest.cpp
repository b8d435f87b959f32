// Applying a new skin's descriptor to a live control tree: states carried over, the window kept
// where it is, children re-attached by name in layout order, the text and the look weights kept.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// The first skin: root with a (layout order 0), b (1) and c (2), c holding cc. The second: root
// 500 wide with d (0, new), c (1, floating, tab stop -1), b (1, hidden, tab stop 3) and a (2, not
// focusable by its create parameter).
std::string TwoSkins()
{
    const std::string first =
        Sub("root", 0, 0, 300, 200, "label", "",
            Sub("a", 0, 0, 20, 20, "red", "LayoutOrder=\"0\"") +
                Sub("b", 30, 0, 20, 20, "red", "LayoutOrder=\"1\"") +
                Sub("c", 60, 0, 20, 20, "red", "LayoutOrder=\"2\"", Sub("cc", 0, 0, 5, 5, "blue")));
    const std::string second = Sub(
        "root", 0, 0, 500, 200, "label", "",
        Sub("a", 0, 0, 20, 20, "blue", "LayoutOrder=\"2\"",
            "<CreateParamList><CreateParam ID=\"NOT_FOCUSABLE\">True</CreateParam>"
            "</CreateParamList>") +
            Sub("c", 60, 0, 20, 20, "blue",
                "LayoutOrder=\"1\" ClipToParent=\"False\" TabStop=\"-1\"") +
            Sub("d", 90, 0, 20, 20, "blue", "LayoutOrder=\"0\"") +
            Sub("b", 30, 0, 20, 20, "blue", "LayoutOrder=\"1\" IsVisible=\"False\" TabStop=\"3\""));
    return SkinDocument(first, "", "", second);
}

std::vector<std::string> ChildNames(const LControl& control)
{
    std::vector<std::string> names;
    for (unsigned int i = 0; i < control.GetChildren().GetCount(); ++i)
    {
        names.push_back(RecordingControl::Narrow(
            control.GetChildren().GetAt(i, LControl::kInsertionOrder)->GetName()));
    }
    return names;
}

using ReapplyingDescriptors = ControlTreeTest;
} // namespace

TEST_F(ReapplyingDescriptors, ALiveTreeTakesTheNewSkinAndKeepsItsStates)
{
    Show(TwoSkins(), L"root");
    const RCPtr<LControl> a = At("a");
    const RCPtr<LControl> b = At("b");
    const RCPtr<LControl> c = At("c");
    ASSERT_EQ(a->SetEnabled(false), S_OK);
    ASSERT_EQ(root->SetText(WString(L"Title")), S_OK);
    const RCPtr<NotificationJournal> journal(new NotificationJournal());
    journal->Watch(b, {L"NID_VISIBLITY_CONDITION_CHANGE"});
    window->windowRects.clear();

    factory->SetCurrentSkinIndex(1);
    ASSERT_EQ(factory->ReapplyDescriptor(root), S_OK);

    // The same objects, re-attached in layout order; the new "d" is not made and "cc", which the
    // new skin does not name, has left the tree.
    EXPECT_EQ(ChildNames(*root), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(At("c").Get(), c.Get());
    EXPECT_FALSE(c->FindChildControl(WString(L"cc")));
    EXPECT_EQ(c->GetLook(0)->GetDescriptor()->GetName(), WString(L"blue"));

    // States carried over: a stays disabled, b is hidden through SetVisible.
    EXPECT_FALSE(a->IsEnabled(false));
    EXPECT_EQ(journal->Take(), (std::vector<std::string>{"b:VISIBLITY"}));
    EXPECT_FALSE(b->IsVisible(false));
    // Focusable or not by the create parameter, else by the sign of the tab stop.
    EXPECT_TRUE(a->IsNotFocusable(false));
    EXPECT_FALSE(b->IsNotFocusable(false));
    EXPECT_TRUE(c->IsNotFocusable(false));
    // c now floats: the top-level control counts it.
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 1);

    // The window stays where it was, at its size; the text and the shown look stay.
    EXPECT_EQ(root->GetRect(), RectT<double>(0, 0, 300, 200));
    ASSERT_FALSE(window->windowRects.empty());
    EXPECT_EQ(window->windowRects.back(), RectT<LONG>(0, 0, 300, 200));
    EXPECT_EQ(root->GetText(), WString(L"Title"));
    EXPECT_EQ(root->GetLook(0)->GetTextPart()->GetText(), WString(L"Title"));
    EXPECT_EQ(root->GetActiveLookIndex(), 0);

    // Back to the first skin: c clips again and is counted no more.
    factory->SetCurrentSkinIndex(0);
    ASSERT_EQ(factory->ReapplyDescriptor(root), S_OK);
    EXPECT_EQ(ChildNames(*root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(root->GetUnclippedDescendantCount(), 0);
    EXPECT_TRUE(b->IsVisible(false));
}
