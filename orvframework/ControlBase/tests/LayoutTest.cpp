// Layout: position and size rules with anchors and far edges, minimums and maximums (absolute,
// by the text, by the children), rounding, the top-level control against its window, applying a
// rectangle and the chain of siblings.
#include "ControlTreeSupport.h"
#include "RecordingRenderer.h"

#include "Renderer/ProcessMeasurementRenderer.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
using Axis = LLayoutDescriptor::Axis;

LayoutSpec Spec(int kind, float rel, double abs, const wchar_t* reference = L"")
{
    return LayoutSpec{kind, WString(reference), rel, abs};
}

// Counts the resizes its parent hands down.
class ResizeCounting : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    ORVRESULT OnResize(const SizeT<LONG>& size) override
    {
        ++resizes;
        return RecordingControl::OnResize(size);
    }
    int resizes = 0;
};

class Layout : public ControlTest
{
protected:
    // A parent of the given size (no looks: its client area is all of it) with a child whose x
    // axis the setup function writes; the child's rectangle after layout.
    RectT<double> LaidOut(double parentWidth, void (*setup)(Axis&))
    {
        const RCPtr<RecordingControl> parent = MakeControl(L"parent");
        parent->SetRect(PointT<double>(0, 0), SizeT<double>(parentWidth, 100));
        const RCPtr<RecordingControl> reference = MakeControl(L"ref", parent);
        reference->GetLayout()->axes[0].position.abs = 10;
        reference->GetLayout()->axes[0].size.abs = 30;
        reference->RecalcLayout();
        const RCPtr<RecordingControl> child = MakeControl(L"child", parent);
        setup(child->GetLayout()->axes[0]);
        child->RecalcLayout();
        return child->GetRect();
    }
};
} // namespace

TEST_F(Layout, PositionAndSizeRulesOnTheXAxis)
{
    const struct
    {
        const char* what;
        void (*setup)(Axis&);
        double x, width;
    } cases[] = {
        {"defaults: the client origin, 16 wide", [](Axis&) {}, 0, 16},
        {"centred on the parent's middle",
         [](Axis& a)
         {
             a.anchor = 0.5f;
             a.position = Spec(LLayoutDescriptor::kPositionParent, 0.5f, 0);
             a.size = Spec(LLayoutDescriptor::kSizeAbsolute, 0, 50);
         },
         75, 50},
        {"far edge at the parent's right edge",
         [](Axis& a)
         {
             a.position.abs = 20;
             a.size = Spec(LLayoutDescriptor::kSizeParent, 1, 0);
         },
         20, 180},
        {"anchor 1 with the far edge left of the position",
         [](Axis& a)
         {
             a.anchor = 1;
             a.position.abs = 100;
             a.size = Spec(LLayoutDescriptor::kSizeClient, 0, 70);
         },
         70, 30},
        {"anchor 0 with the far edge left of the position: no size",
         [](Axis& a)
         {
             a.position.abs = 100;
             a.size = Spec(LLayoutDescriptor::kSizeClient, 0, 70);
         },
         100, 0},
        {"a negative absolute size is 0",
         [](Axis& a) { a.size = Spec(LLayoutDescriptor::kSizeAbsolute, 0, -5); }, 0, 0},
        {"5 right of a sibling's far edge",
         [](Axis& a) { a.position = Spec(LLayoutDescriptor::kPositionSibling, 1, 5, L"ref"); }, 45,
         16},
        {"from the client origin to a sibling's position",
         [](Axis& a) { a.size = Spec(LLayoutDescriptor::kSizeSibling, 0, 0, L"ref"); }, 0, 10},
        {"a missing sibling counts as 0 and 0",
         [](Axis& a) { a.position = Spec(LLayoutDescriptor::kPositionSibling, 1, 7, L"none"); }, 7,
         16},
        {"a minimum grows the control around its anchor",
         [](Axis& a)
         {
             a.anchor = 0.5f;
             a.position.abs = 100;
             a.minimum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 100);
         },
         50, 100},
        {"a maximum shrinks it toward its anchor",
         [](Axis& a)
         {
             a.anchor = 1;
             a.position.abs = 100;
             a.maximum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 10);
         },
         90, 10},
        {"minimum and maximum of 0 change nothing",
         [](Axis& a)
         {
             a.minimum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 0);
             a.maximum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 0);
         },
         0, 16},
        {"a half-pixel position rounds both edges half away from zero",
         [](Axis& a)
         {
             a.anchor = 0.5f;
             a.position.abs = 100;
             a.size = Spec(LLayoutDescriptor::kSizeAbsolute, 0, 25);
         },
         88, 25},
    };
    for (const auto& c : cases)
    {
        const RectT<double> r = LaidOut(200, c.setup);
        EXPECT_EQ(r.x, c.x) << c.what;
        EXPECT_EQ(r.width, c.width) << c.what;
        EXPECT_EQ(r.y, 0) << c.what;
        EXPECT_EQ(r.height, 40) << c.what;
    }
}

TEST_F(Layout, EdgesRoundHalfAwayFromZero)
{
    const struct
    {
        RectT<double> in, out;
    } cases[] = {
        {{0.5, 0.5, 1.0, 1.0}, {1, 1, 1, 1}},
        {{-0.5, -1.5, 1.0, 1.0}, {-1, -2, 2, 1}},
        {{2.4, 0, 0.2, 0.7}, {2, 0, 1, 1}},
    };
    for (const auto& c : cases)
    {
        RectT<double> r = c.in;
        LControl::RoundRectEdges(r);
        EXPECT_EQ(r, c.out) << c.in.x << "," << c.in.y;
    }
}

TEST_F(Layout, LimitsThatFollowTheChildren)
{
    const struct
    {
        const char* what;
        float anchor;
        double position;
        LayoutSpec minimum, maximum;
        double x, width;
        ORVRESULT minimumResult;
    } cases[] = {
        {"grows to all children", 0, 0, Spec(LLayoutDescriptor::kLimitChildren, 1, 0, L"Children"),
         Spec(0, 0, 0), 0, 60, S_OK},
        {"grows around its centre", 0.5f, 100,
         Spec(LLayoutDescriptor::kLimitChildren, 1, 0, L"Children"), Spec(0, 0, 0), 70, 60, S_OK},
        {"grows to one named child plus a margin", 0, 0,
         Spec(LLayoutDescriptor::kLimitChildren, 1, 4, L"near"), Spec(0, 0, 0), 0, 26, S_OK},
        {"anchor 1 cannot grow to the right", 1, 20,
         Spec(LLayoutDescriptor::kLimitChildren, 1, 5, L"Children"), Spec(0, 0, 0), 0, 20, E_FAIL},
        {"a named child that is missing changes nothing", 0, 0,
         Spec(LLayoutDescriptor::kLimitChildren, 1, 0, L"none"), Spec(0, 0, 0), 0, 20, S_FALSE},
    };
    for (const auto& c : cases)
    {
        const RCPtr<RecordingControl> parent = MakeControl(L"parent");
        parent->SetRect(PointT<double>(0, 0), SizeT<double>(400, 100));
        const RCPtr<RecordingControl> box = MakeControl(L"box", parent);
        const RCPtr<RecordingControl> nearKid = MakeControl(L"near", box);
        const RCPtr<RecordingControl> farKid = MakeControl(L"far", box);
        nearKid->GetLayout()->axes[0].size.abs = 22;
        farKid->GetLayout()->axes[0].position.abs = 40;
        farKid->GetLayout()->axes[0].size.abs = 20;
        nearKid->RecalcLayout();
        farKid->RecalcLayout();
        Axis& a = box->GetLayout()->axes[0];
        a.anchor = c.anchor;
        a.position.abs = c.position;
        a.size.abs = 20;
        a.minimum = c.minimum;
        a.maximum = c.maximum;
        RectT<double> rect(c.position - c.anchor * 20, 0, 20, 40);
        EXPECT_EQ(box->ApplyMinimumSize(rect), c.minimumResult) << c.what;
        box->RecalcLayout();
        EXPECT_EQ(box->GetRect().x, c.x) << c.what;
        EXPECT_EQ(box->GetRect().width, c.width) << c.what;
    }

    // A maximum that follows the children shrinks a wide control to them.
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    parent->SetRect(PointT<double>(0, 0), SizeT<double>(400, 100));
    const RCPtr<RecordingControl> box = MakeControl(L"box", parent);
    const RCPtr<RecordingControl> kid = MakeControl(L"kid", box);
    kid->GetLayout()->axes[0].size.abs = 30;
    kid->RecalcLayout();
    box->GetLayout()->axes[0].size.abs = 200;
    box->GetLayout()->axes[0].maximum = Spec(LLayoutDescriptor::kLimitChildren, 1, 0, L"Children");
    box->RecalcLayout();
    EXPECT_EQ(box->GetRect().width, 30);
    EXPECT_EQ(box->GetAbsoluteMaximumSize(), SizeT<double>(0, 0));
}

TEST_F(Layout, ChildrenBoundsLeaveOutDockedChildrenAndAreEmptyWithoutChildren)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    RectT<double> bounds(1, 2, 3, 4);
    EXPECT_FALSE(parent->GetChildrenBounds(bounds));
    EXPECT_EQ(bounds, RectT<double>(0, 0, 0, 0));
    parent->SetRect(PointT<double>(0, 0), SizeT<double>(400, 100));
    const RCPtr<RecordingControl> a = MakeControl(L"a", parent);
    const RCPtr<RecordingControl> b = MakeControl(L"b", parent);
    const RCPtr<RecordingControl> docked = MakeControl(L"docked", parent);
    a->GetLayout()->axes[0].position.abs = 5;
    b->GetLayout()->axes[1].position.abs = -3;
    b->GetLayout()->axes[0].position.abs = 50;
    docked->GetLayout()->axes[0].docked = true;
    docked->GetLayout()->axes[0].position.abs = 300;
    for (const auto& c : {a, b, docked})
    {
        c->RecalcLayout();
    }
    EXPECT_TRUE(parent->GetChildrenBounds(bounds));
    EXPECT_EQ(bounds, RectT<double>(5, -3, 61, 43));
    // The same with every child docked: nothing counts.
    a->GetLayout()->axes[1].docked = true;
    b->GetLayout()->axes[1].docked = true;
    EXPECT_FALSE(parent->GetChildrenBounds(bounds));
    EXPECT_EQ(bounds, RectT<double>(0, 0, 0, 0));
}

TEST_F(Layout, ATopLevelControlIsLaidOutAgainstItsWindow)
{
    const RCPtr<RecordingRootWindow> window(new RecordingRootWindow());
    const RCPtr<RecordingControl> top = MakeControl(L"top");
    top->SetCreated();
    // Made, but without a window: nothing to lay it out against.
    EXPECT_EQ(top->RecalcLayout(), E_FAIL);
    window->Host(top);
    window->cursor = PointT<LONG>(30, 40);
    const struct
    {
        const char* what;
        LayoutSpec position, size;
        double x, width;
    } cases[] = {
        // The screen's origin is (-100, -50) from the client origin at (100, 50).
        {"the screen", Spec(LLayoutDescriptor::kPositionParent, 0, 0),
         Spec(LLayoutDescriptor::kSizeParent, 1, 0), -100, 1920},
        {"the window", Spec(LLayoutDescriptor::kPositionClient, 0.5f, 0),
         Spec(LLayoutDescriptor::kSizeClient, 1, 0), 320, 320},
        {"the mouse", Spec(LLayoutDescriptor::kPositionSibling, 0, 2),
         Spec(LLayoutDescriptor::kSizeAbsolute, 0, 10), 32, 10},
    };
    for (const auto& c : cases)
    {
        Axis& a = top->GetLayout()->axes[0];
        a.position = c.position;
        a.size = c.size;
        window->windowRects.clear();
        top->RecalcLayout();
        EXPECT_EQ(top->GetRect().x, c.x) << c.what;
        EXPECT_EQ(top->GetRect().width, c.width) << c.what;
        // The window follows the control.
        ASSERT_EQ(window->windowRects.size(), 1u) << c.what;
        EXPECT_EQ(window->windowRects[0], top->GetRect().ToInt()) << c.what;
    }
    window->Close();
}

TEST_F(Layout, ApplyingARectangleRelaysTheChildrenOnlyForANewSize)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    const RCPtr<ResizeCounting> child(new ResizeCounting(parent, MakeDescriptor(L"child")));
    child->ApplyDescriptor(MakeDescriptor(L"child"));
    ASSERT_EQ(parent->SetRect(PointT<double>(0, 0), SizeT<double>(100, 50)), S_OK);
    EXPECT_EQ(child->resizes, 1);
    EXPECT_EQ(parent->SetRect(PointT<double>(0, 0), SizeT<double>(100, 50)), S_FALSE);
    ASSERT_EQ(parent->SetRect(PointT<double>(5, 5), SizeT<double>(100, 50)), S_OK);
    EXPECT_EQ(child->resizes, 1);
    ASSERT_EQ(parent->SetRect(PointT<double>(5, 5), SizeT<double>(120, 50)), S_OK);
    EXPECT_EQ(child->resizes, 2);
}

TEST_F(Layout, SiblingsAddedLaterFollowAControlTheyReferTo)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    parent->SetRect(PointT<double>(0, 0), SizeT<double>(400, 100));
    const RCPtr<RecordingControl> first = MakeControl(L"first", parent);
    const RCPtr<RecordingControl> second = MakeControl(L"second", parent);
    const RCPtr<RecordingControl> third = MakeControl(L"third", parent);
    second->GetLayout()->axes[0].position =
        Spec(LLayoutDescriptor::kPositionSibling, 1, 0, L"first");
    third->GetLayout()->axes[0].position =
        Spec(LLayoutDescriptor::kPositionSibling, 1, 0, L"second");
    for (const auto& c : {first, second, third})
    {
        c->RecalcLayout();
    }
    EXPECT_EQ(third->GetRect().x, 32);
    AxisPlacement wider;
    first->GetLayout()->GetAxisPlacement(0, wider);
    wider.size.abs = 50;
    EXPECT_EQ(first->SetAxisPlacement(0, wider), S_OK);
    EXPECT_EQ(second->GetRect().x, 50);
    EXPECT_EQ(third->GetRect().x, 66);
    // Another axis stores nothing.
    EXPECT_EQ(first->SetAxisPlacement(2, wider), S_FALSE);
    EXPECT_EQ(first->GetRect().width, 50);
}

TEST_F(Layout, TheSmallestSizeIsWhatTheMinimumsAloneGive)
{
    const RCPtr<RecordingControl> parent = MakeControl(L"parent");
    parent->SetRect(PointT<double>(0, 0), SizeT<double>(400, 100));
    const RCPtr<RecordingControl> child = MakeControl(L"child", parent);
    child->GetLayout()->axes[0].minimum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 30);
    child->GetLayout()->axes[0].size.abs = 80;
    child->GetLayout()->axes[1].maximum = Spec(LLayoutDescriptor::kLimitAbsolute, 0, 25);
    child->RecalcLayout();
    EXPECT_EQ(child->GetSmallestSize(), SizeT<double>(30, 0));
    // The placement is given back.
    EXPECT_EQ(child->GetRect(), RectT<double>(0, 0, 80, 25));
    EXPECT_EQ(child->GetAbsoluteMaximumSize(), SizeT<double>(0, 25));
}

TEST_F(Layout, AControlLaidOutToWidthZeroPassesItsFocusToItsParent)
{
    const RCPtr<RecordingRootWindow> window(new RecordingRootWindow());
    const RCPtr<RecordingControl> top = MakeControl(L"top");
    window->Host(top);
    top->RecalcLayout();
    const RCPtr<RecordingControl> child = MakeControl(L"child", top);
    child->RecalcLayout();
    top->SetNotFocusable(false);
    child->SetNotFocusable(false);
    ASSERT_EQ(child->SetFocus(true), S_OK);
    ASSERT_EQ(window->focus.Get(), child.Get());
    AxisPlacement none;
    child->GetLayout()->GetAxisPlacement(0, none);
    none.size.abs = 0;
    child->SetAxisPlacement(0, none);
    EXPECT_EQ(window->focus.Get(), top.Get());
    window->Close();
}

namespace
{
// Text measured by the recording renderer: 10 pixels a character, 16 a line.
class TextLayout : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->SetSkinFont(LFont::GetFont(WString(L"Recording Sans"), 10.0f, 0));
        SetMeasurementRenderer(ConstRCPtr<LRenderer>(new RecordingRenderer()));
    }
    void TearDown() override
    {
        SetMeasurementRenderer(nullptr);
        ControlTreeTest::TearDown();
    }
};
} // namespace

TEST_F(TextLayout, TextThatDoesNotFitExpandsItsControl)
{
    // The label look's text area is 4 pixels narrower and 2 lower than the control.
    const std::string expand = "TextOverflowXType=\"Expand\" TextOverflowYType=\"Expand\"";
    Show(SkinDocument(Sub("root", 0, 0, 400, 300, "grey", "",
                          Sub("grow", 0, 0, 16, 20, "label", expand) +
                              Sub("capped", 0, 40, 16, 20, "label",
                                  expand + " XMaxSizeToControl=\"Self\" XMaxSizeAbs=\"40\"") +
                              Sub("clipped", 0, 80, 16, 20, "label"))),
         L"root");
    for (const char* name : {"grow", "capped", "clipped"})
    {
        At(name)->SetText(WString(L"Hello"));
    }
    // 50 pixels of text in a 12-pixel area: 38 more.
    EXPECT_EQ(At("grow")->GetRect(), RectT<double>(0, 0, 54, 20));
    // Capped at 40: the text wraps there instead.
    EXPECT_EQ(At("capped")->GetRect().width, 40);
    EXPECT_TRUE(At("capped")->GetLook(0)->GetTextPart()->GetWordWrap());
    EXPECT_EQ(At("clipped")->GetRect(), RectT<double>(0, 80, 16, 20));

    // The widest of two lines is 20 pixels; the lines need 32 pixels of height where the area
    // has 18.
    At("grow")->SetText(WString(L"Hi\nHo"));
    EXPECT_EQ(At("grow")->GetRect(), RectT<double>(0, 0, 24, 34));
}
