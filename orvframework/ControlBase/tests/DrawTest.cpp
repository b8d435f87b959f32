// Drawing a control tree against a recording renderer: the calls with their clips and alphas,
// looks by weight and opacity, the child groups and the deferred floating controls, the region
// and the clip region, text; and the invalidation of areas up to the window.
#include "ControlTreeSupport.h"
#include "RecordingRenderer.h"

#include "Renderer/AutoClip.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <algorithm>

using namespace Orv;
using namespace OrvTest;

namespace
{
// Drawn at half opacity.
class FadedControl : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    void OnCreated() override
    {
        SetOpacity(0.5f);
        RecordingControl::OnCreated();
    }
};

// Fills its whole area in yellow as content and in blue as overlay.
class HookedControl : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    ORVRESULT DrawContent(const ConstRCPtr<LRenderer>& renderer) override
    {
        return renderer.GetMutable()->FillRect(Area(), ColorRGBA{1, 1, 0, 1}, true);
    }
    ORVRESULT DrawOverlay(const ConstRCPtr<LRenderer>& renderer) override
    {
        return renderer.GetMutable()->FillRect(Area(), ColorRGBA{0, 0, 1, 1}, true);
    }

private:
    RectT<LONG> Area() const
    {
        return RectT<LONG>(0, 0, static_cast<LONG>(GetRect().width),
                           static_cast<LONG>(GetRect().height));
    }
};

std::string As(std::string sub, const char* className)
{
    sub.replace(sub.find("Test.Recording"), 14, className);
    return sub;
}

class Drawing : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.Faded"),
                                               &CreateControlOf<FadedControl>);
        factory->RegisterControlCreateFunction(WString(L"Test.Hooked"),
                                               &CreateControlOf<HookedControl>);
        // A font no other program part measures: its metrics come from this renderer.
        factory->SetSkinFont(LFont::GetFont(WString(L"Recording Sans"), 10.0f, 0));
        recorder = new RecordingRenderer();
        renderer = ConstRCPtr<LRenderer>(recorder.Get());
        SetMeasurementRenderer(renderer);
        recorder->InitRenderContextInfo(RectT<LONG>(0, 0, 640, 480), nullptr, true, context);
    }
    void TearDown() override
    {
        SetMeasurementRenderer(nullptr);
        ControlTreeTest::TearDown();
    }

    // Paints the tree as the root window does: the region is the clip region; the top-level
    // control draws, then every floating control it listed, in z order, at its parent's client
    // origin under a clip of its own rectangle. The calls made; deferred gets the names listed.
    std::vector<std::string> Paint(const LRegion& region,
                                   std::vector<std::string>* deferred = nullptr)
    {
        recorder->calls.clear();
        LRenderer& r = *renderer.GetMutable();
        r.RenderStart(context);
        r.SetClipRegion(region);
        LControl::ControlList floating;
        EXPECT_EQ(root->Draw(renderer, region, floating, false), S_OK);
        for (unsigned int i = 0; i < floating.GetCount(); ++i)
        {
            const RCPtr<LControl> control = floating.GetConstElementPointer(i);
            if (deferred != nullptr)
            {
                deferred->push_back(RecordingControl::Narrow(control->GetName()));
            }
            const PointT<double> at = control->GetRectInRoot();
            const RectT<double> own = control->GetRect();
            CAutoClip guard(renderer, RectT<double>(at.x - own.x, at.y - own.y, 1e6, 1e6),
                            RectT<double>(at.x, at.y, own.width, own.height), nullptr, true);
            LControl::ControlList nested;
            EXPECT_EQ(control->Draw(renderer, region, nested, true), S_OK);
            for (unsigned int j = 0; j < nested.GetCount(); ++j)
            {
                floating.AddItem(nested.GetConstElementPointer(j));
            }
        }
        r.RenderFinish(context);
        return recorder->Described();
    }

    RCPtr<RecordingRenderer> recorder;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
};

const LRegion kEverything = RegionOf({RECT{0, 0, 640, 480}});
} // namespace

TEST_F(Drawing, LooksAreDrawnByWeightTimesOpacityAndChildrenOncePerWeightedLook)
{
    const std::string list = "<LookList Name=\"twoLooks\" NumLooks=\"2\"><Look Name=\"red\" "
                             "Index=\"0\"/><Look Name=\"blue\" Index=\"1\"/></LookList>";
    Show(SkinDocument(
             As(Sub("root", 0, 0, 200, 100, "twoLooks", "", Sub("inner", 10, 10, 50, 30, "green")),
                "Test.Faded"),
             "", list),
         L"root");
    ASSERT_EQ(root->SetLookWeight(0, 0.25f, false), S_OK);
    ASSERT_EQ(root->SetLookWeight(1, 0.75f, false), S_OK);
    EXPECT_EQ(Paint(kEverything), (std::vector<std::string>{
                                      "fill 0,0 200x100 clip 0,0 200x100 alpha 0.125 #FFFF0000",
                                      "fill 0,0 200x100 clip 0,0 200x100 alpha 0.375 #FF0000FF",
                                      "fill 10,10 50x30 clip 10,10 50x30 alpha 0.125 #FF00FF00",
                                      "fill 10,10 50x30 clip 10,10 50x30 alpha 0.375 #FF00FF00",
                                  }));
    // Weights outside 0..1 and looks that do not exist are refused; exclusive zeroes the rest.
    EXPECT_EQ(root->SetLookWeight(0, 1.5f, true), E_INVALIDARG);
    EXPECT_EQ(root->SetLookWeight(2, 0.5f, false), E_INVALIDARG);
    EXPECT_EQ(root->GetLookWeight(1), 0.75f);
    ASSERT_EQ(root->SetLookWeight(1, 1.0f, true), S_OK);
    EXPECT_EQ(root->GetLookWeight(0), 0.0f);
    EXPECT_EQ(Paint(kEverything), (std::vector<std::string>{
                                      "fill 0,0 200x100 clip 0,0 200x100 alpha 0.5 #FF0000FF",
                                      "fill 10,10 50x30 clip 10,10 50x30 alpha 0.5 #FF00FF00",
                                  }));
}

TEST_F(Drawing, EachRegionRectangleIsDrawnUnderItsOwnClip)
{
    const std::string floating = "ClipToParent=\"False\"";
    Show(SkinDocument(Sub("root", 0, 0, 200, 100, "grey", "",
                          As(Sub("hooked", 10, 10, 40, 20, "green"), "Test.Hooked") +
                              Sub("edge", 180, 80, 50, 50, "red") +
                              Sub("outside", 60, 40, 20, 20, "red", "",
                                  Sub("outsideFloat", 0, 0, 5, 5, "blue", floating)) +
                              Sub("float", 150, 50, 100, 100, "blue", floating))),
         L"root");
    LRegion region = RegionOf({RECT{0, 0, 30, 100}, RECT{170, 0, 200, 100}});
    region.Normalize();
    std::vector<std::string> deferred;
    EXPECT_EQ(Paint(region, &deferred),
              (std::vector<std::string>{
                  "fill 0,0 200x100 clip 0,0 30x100 alpha 1 #FF808080",
                  "fill 0,0 200x100 clip 170,0 30x100 alpha 1 #FF808080",
                  // The content and the overlay are drawn once per region rectangle they meet.
                  "fill 10,10 40x20 clip 10,10 20x20 alpha 1 #FF00FF00",
                  "fill 10,10 40x20 clip 10,10 20x20 alpha 1 #FFFFFF00",
                  "fill 10,10 40x20 clip 10,10 20x20 alpha 1 #FF0000FF",
                  // Clipped to its parent.
                  "fill 180,80 50x50 clip 180,80 20x20 alpha 1 #FFFF0000",
                  // Floating: not clipped to the parent, but to the region.
                  "fill 150,50 100x100 clip 170,50 30x50 alpha 1 #FF0000FF",
              }));
    // The control outside the region drew nothing but still listed its floating child.
    EXPECT_EQ(deferred, (std::vector<std::string>{"outsideFloat", "float"}));
}

TEST_F(Drawing, ChildrenDrawInGroupsAndFloatingOnesAreLeftForTheDeferredPass)
{
    const std::string floating = "ClipToParent=\"False\"";
    Show(SkinDocument(
             Sub("root", 0, 0, 200, 100, "grey", "",
                 Sub("a", 0, 0, 10, 10, "red", "Z_Order=\"2\"") +
                     Sub("b", 20, 0, 10, 10, "green", "Z_Order=\"1\" XIsDocked=\"True\"") +
                     Sub("c", 40, 0, 10, 10, "blue", "XIsDocked=\"True\" YIsDocked=\"True\"") +
                     Sub("d", 60, 0, 10, 10, "yellow") + Sub("f", 80, 0, 10, 10, "red", floating) +
                     Sub("hidden", 100, 0, 10, 10, "red", "IsVisible=\"False\"",
                         Sub("hiddenFloat", 0, 0, 10, 10, "red", floating)) +
                     Sub("gone", 300, 0, 20, 20, "red", "",
                         Sub("goneFloat", 0, 0, 10, 10, "green", floating)))),
         L"root");
    std::vector<std::string> deferred;
    const std::vector<std::string> calls = Paint(kEverything, &deferred);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "fill 0,0 200x100 clip 0,0 200x100 alpha 1 #FF808080",
                         // Group A by z order, then B (one docked axis), then C (both).
                         "fill 60,0 10x10 clip 60,0 10x10 alpha 1 #FFFFFF00",
                         "fill 0,0 10x10 clip 0,0 10x10 alpha 1 #FFFF0000",
                         "fill 20,0 10x10 clip 20,0 10x10 alpha 1 #FF00FF00",
                         "fill 40,0 10x10 clip 40,0 10x10 alpha 1 #FF0000FF",
                         // The deferred pass.
                         "fill 300,0 10x10 clip 300,0 10x10 alpha 1 #FF00FF00",
                         "fill 80,0 10x10 clip 80,0 10x10 alpha 1 #FFFF0000",
                     }));
    // A hidden control lists nothing; one clipped away lists its floating descendants.
    EXPECT_EQ(deferred, (std::vector<std::string>{"goneFloat", "f"}));

    // Each control is drawn in its own pass only.
    LControl::ControlList list;
    renderer.GetMutable()->RenderStart(context);
    EXPECT_EQ(At("f")->Draw(renderer, kEverything, list, false), E_INVALIDARG);
    EXPECT_EQ(At("d")->Draw(renderer, kEverything, list, true), E_INVALIDARG);
    renderer.GetMutable()->RenderFinish(context);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(Drawing, TextIsDrawnInTheTextAreaInTheForegroundColour)
{
    Show(SkinDocument(
             Sub("root", 0, 0, 200, 100, "grey", "", Sub("caption", 10, 10, 100, 20, "label"))),
         L"root");
    ASSERT_EQ(At("caption")->SetText(WString(L"Hi there")), S_OK);
    EXPECT_EQ(At("caption")->SetText(WString(L"Hi there")), S_FALSE);
    EXPECT_EQ(Paint(kEverything), (std::vector<std::string>{
                                      "fill 0,0 200x100 clip 0,0 200x100 alpha 1 #FF808080",
                                      "fill 10,10 100x20 clip 10,10 100x20 alpha 1 #FF808080",
                                      "text Hi there 12,11 80x16 clip 12,11 96x18 alpha 1 "
                                      "#FFFF0000",
                                  }));
}

TEST_F(Drawing, InvalidatedAreasReachTheWindowInItsCoordinates)
{
    Show(SkinDocument(
             Sub("root", 0, 0, 300, 200, "grey", "",
                 Sub("box", 100, 50, 60, 40, "framed", "",
                     Sub("inner", 5, 5, 20, 10, "red") + Sub("wide", 40, 30, 40, 40, "red") +
                         Sub("float", 40, 30, 40, 40, "blue", "ClipToParent=\"False\"")))),
         L"root");
    window->invalidated.clear();
    // The box's client area starts 10 pixels in: inner's origin is at (115, 55) in the window.
    At("box/inner")->Invalidate(RectT<double>(1, 2, 3, 4), true);
    // A clipped control's area is cut at its parent's edge; a floating one's is not.
    At("box/wide")->InvalidateAll();
    At("box/float")->InvalidateUnclipped();
    // Nothing for an empty rectangle.
    At("box/inner")->Invalidate(RectT<double>(0, 0, 0, 5), true);
    EXPECT_EQ(window->invalidated,
              (std::vector<RectT<LONG>>{RectT<LONG>(116, 57, 3, 4), RectT<LONG>(150, 80, 10, 10),
                                        RectT<LONG>(150, 80, 40, 40)}));

    // Moving a control invalidates where it was and where it is.
    window->invalidated.clear();
    AxisPlacement x;
    At("box/inner")->GetLayout()->GetAxisPlacement(0, x);
    x.position.abs = 25;
    EXPECT_EQ(At("box/inner")->SetAxisPlacement(0, x), S_OK);
    EXPECT_EQ(window->invalidated, (std::vector<RectT<LONG>>{RectT<LONG>(115, 55, 20, 10),
                                                             RectT<LONG>(135, 55, 20, 10)}));
}
