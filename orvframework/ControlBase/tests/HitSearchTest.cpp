// The control under a point: z order, floating controls and their levels, transparent looks,
// excluded, hidden and empty controls, children outside their parent's client area; the point
// conversions and the drop-target search.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// A control that accepts every drop.
class DropTarget : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    bool AcceptsDrop(const RCPtr<LControl>&) override { return true; }
};

// Root coordinates of each control, as laid out:
//   root (0,0)-(300,200) grey
//   left (10,10)-(90,90) red; leftInner (20,20)-(60,60); leftFloat (70,70)-(130,100), floating,
//     z 5
//   right (100,10)-(180,90) yellow; rightFloat (80,50)-(120,90), floating, z 7; holey
//     (110,20)-(140,50) transparent with holeyChild (115,25)-(125,35); excluded (150,60)-(170,80)
//   overlapA (10,110)-(60,150), overlapB (30,120)-(80,160), later in the z order
//   box (200,110)-(260,150), client area from x 210: marginDocked (202,110)-(208,120) docked on
//     both axes; marginPlain (202,125)-(208,135) not docked; spill (250,130)-(280,140)
//   hidden (10,170)-(40,190) not visible, with the floating hiddenFloat
//   zero (50,170), width 0, with the floating zeroFloat
std::string HitTree(const char* rootClass = "Test.Recording")
{
    const std::string floating = "ClipToParent=\"False\" ";
    const std::string left =
        Sub("left", 10, 10, 80, 80, "red", "",
            Sub("leftInner", 10, 10, 40, 40, "green") +
                Sub("leftFloat", 60, 60, 60, 30, "blue", floating + "Z_Order=\"5\""));
    const std::string right =
        Sub("right", 100, 10, 80, 80, "yellow", "",
            Sub("rightFloat", -20, 40, 40, 40, "green", floating + "Z_Order=\"7\"") +
                Sub("holey", 10, 10, 30, 30, "clear", "", Sub("holeyChild", 5, 5, 10, 10, "red")) +
                Sub("excluded", 50, 50, 20, 20, "red"));
    const std::string box =
        Sub("box", 200, 110, 60, 40, "framed", "",
            Sub("marginDocked", -8, 0, 6, 10, "red", "XIsDocked=\"True\" YIsDocked=\"True\"") +
                Sub("marginPlain", -8, 15, 6, 10, "red") + Sub("spill", 40, 20, 30, 10, "red"));
    std::string tree =
        left + right + Sub("overlapA", 10, 110, 50, 40, "red") +
        Sub("overlapB", 30, 120, 50, 40, "blue") + box +
        Sub("hidden", 10, 170, 30, 20, "red", "IsVisible=\"False\"",
            Sub("hiddenFloat", 0, 0, 10, 10, "red", floating)) +
        Sub("zero", 50, 170, 0, 20, "red", "", Sub("zeroFloat", 0, 0, 10, 10, "red", floating));
    std::string top = Sub("root", 0, 0, 300, 200, "grey", "", tree);
    top.replace(top.find("Test.Recording"), 14, rootClass);
    return SkinDocument(top);
}

class HitSearch : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.DropTarget"),
                                               &CreateControlOf<DropTarget>);
    }

    // The name of the control at a root point and the local point, "name@x,y"; "none".
    std::string At(LONG x, LONG y)
    {
        PointT<LONG> local;
        const RCPtr<LControl> found = window->GetControlAt(PointT<LONG>(x, y), local, false);
        if (!found)
        {
            return "none";
        }
        return RecordingControl::Narrow(found->GetName()) + "@" + std::to_string(local.x) + "," +
               std::to_string(local.y);
    }
    using ControlTreeTest::At;
};
} // namespace

TEST_F(HitSearch, TheDeepestControlUnderAPointWins)
{
    Show(HitTree(), L"root");
    ASSERT_TRUE(root);
    const struct
    {
        LONG x, y;
        const char* expected;
    } cases[] = {
        {5, 5, "root@5,5"},
        {15, 15, "left@5,5"},
        {25, 25, "leftInner@5,5"},
        // Floating controls are found outside their parent, the higher level winning.
        {125, 95, "leftFloat@55,25"},
        {75, 75, "leftFloat@5,5"},
        {100, 80, "rightFloat@20,30"},
        // A transparent look lets the pointer through to what lies below; its child is found.
        {112, 22, "right@12,12"},
        {118, 28, "holeyChild@3,3"},
        // Of two overlapping siblings the later one in the z order (drawn on top).
        {40, 130, "overlapB@10,10"},
        {15, 115, "overlapA@5,5"},
        // Outside the client area only a child docked on both axes is found.
        {204, 112, "marginDocked@2,2"},
        {204, 127, "box@4,17"},
        {255, 135, "spill@5,5"},
        {265, 135, "root@265,135"},
        // Hidden and empty controls yield nothing, their floating children neither.
        {15, 175, "root@15,175"},
        {55, 175, "root@55,175"},
        {350, 50, "none"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(At(c.x, c.y), c.expected) << c.x << "," << c.y;
    }
}

TEST_F(HitSearch, AnExcludedControlIsNeverTheResultButItsChildrenAre)
{
    Show(HitTree(), L"root");
    EXPECT_EQ(At(155, 65), "excluded@5,5");
    At("right/excluded")->SetSearchExcluded(true);
    EXPECT_EQ(At(155, 65), "right@55,55");
    At("right")->SetSearchExcluded(true);
    EXPECT_EQ(At(150, 40), "root@150,40");
    EXPECT_EQ(At(118, 28), "holeyChild@3,3");
    EXPECT_EQ(At(100, 80), "rightFloat@20,30");
}

TEST_F(HitSearch, FloatingLevelsRankByTheHighestZOrderAmongTheirAncestors)
{
    Show(HitTree(), L"root");
    EXPECT_EQ(At("left/leftFloat")->GetUnclippedZLevel(), 5);
    EXPECT_EQ(At("left/leftInner")->GetUnclippedZLevel(), LControl::kNoUnclippedLevel);
    // Raising the left float above the right one turns the overlap over.
    At("left/leftFloat")->GetLayout()->zOrder = 9;
    EXPECT_EQ(At(100, 80), "leftFloat@30,10");
    EXPECT_EQ(At("left/leftFloat")->GetUnclippedZLevel(), 9);
}

TEST_F(HitSearch, PointsConvertBetweenControls)
{
    Show(HitTree(), L"root");
    const RCPtr<LControl> inner = At("left/leftInner");
    const RCPtr<LControl> docked = At("box/marginDocked");
    EXPECT_EQ(inner->GetRectInRoot(), PointT<double>(20, 20));
    EXPECT_EQ(docked->GetRectInRoot(), PointT<double>(202, 110));
    // In the parent's own coordinates: the box's client area starts 10 pixels in.
    EXPECT_EQ(docked->GetPositionInParent(), PointT<double>(2, 0));
    EXPECT_EQ(At("right/rightFloat")->ConvertPointFrom(inner.Get(), PointT<double>(1.5, 2)),
              PointT<double>(20 + 1.5 - 80, 20 + 2 - 50));
    EXPECT_TRUE(inner->HitTest(PointT<LONG>(0, 0)));
    EXPECT_TRUE(inner->HitTest(PointT<LONG>(39, 39)));
    EXPECT_FALSE(inner->HitTest(PointT<LONG>(40, 0)));
    EXPECT_FALSE(inner->HitTest(PointT<LONG>(-1, 0)));

    const RCPtr<LControl> left = At("left");
    EXPECT_EQ(root->GetChildIndex(left.Get(), LControl::kInsertionOrder), 0);
    EXPECT_EQ(root->GetChildIndex(inner.Get(), LControl::kInsertionOrder), -1);
    LControl::ControlList all;
    EXPECT_EQ(At("right")->CollectDescendants(all), 4u);
    std::vector<std::string> names;
    for (unsigned int i = 0; i < all.GetCount(); ++i)
    {
        names.push_back(RecordingControl::Narrow(all.GetConstElementPointer(i)->GetName()));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"rightFloat", "holey", "holeyChild", "excluded"}));
}

TEST_F(HitSearch, WithoutATargetThatAcceptsADropThereIsNone)
{
    Show(HitTree(), L"root");
    const RCPtr<LControl> dragged = At("left/leftInner");
    EXPECT_FALSE(At("right/holey/holeyChild")->FindDropTarget(dragged, PointT<double>(118, 28)));
    EXPECT_FALSE(At("left/leftFloat")->FindDropTarget(dragged, PointT<double>(75, 75)));
}

TEST_F(HitSearch, TheDropTargetIsTheFirstAncestorThatAcceptsOrWhatLiesBeneathAFloatingControl)
{
    // With a top-level control that accepts, a clipped control climbs to it; a floating control
    // hands the search to what lies beneath it. Every excluded flag is clear afterwards.
    Show(HitTree("Test.DropTarget"), L"root");
    const RCPtr<LControl> dragged = At("left/leftInner");
    EXPECT_EQ(At("right/holey/holeyChild")->FindDropTarget(dragged, PointT<double>(118, 28)).Get(),
              root.Get());
    const int before = window->searches;
    EXPECT_EQ(At("left/leftFloat")->FindDropTarget(dragged, PointT<double>(75, 75)).Get(),
              root.Get());
    EXPECT_EQ(window->searches, before + 1);
    LControl::ControlList all;
    root->CollectDescendants(all);
    for (unsigned int i = 0; i < all.GetCount(); ++i)
    {
        EXPECT_FALSE(all.GetConstElementPointer(i)->IsSearchExcluded());
    }

    // A search that throws leaves no control excluded.
    window->throwOnSearch = true;
    EXPECT_THROW(At("left/leftFloat")->FindDropTarget(dragged, PointT<double>(75, 75)),
                 std::runtime_error);
    for (unsigned int i = 0; i < all.GetCount(); ++i)
    {
        EXPECT_FALSE(all.GetConstElementPointer(i)->IsSearchExcluded())
            << RecordingControl::Narrow(all.GetConstElementPointer(i)->GetName());
    }
}
