#include "Renderer/AutoClip.h"
#include "TestRenderer.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orv;

namespace
{
// A test renderer drawing into one started context.
class RenderStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        renderer = ConstRCPtr<LRenderer>(test = new TestRenderer());
        renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, 200, 100), nullptr, true,
                                                     context);
        renderer.GetMutable()->RenderStart(context);
    }
    void TearDown() override { renderer.GetMutable()->RenderFinish(context); }

    LRenderer& R() { return *renderer.GetMutable(); }
    RenderState& State() { return context.GetMutable()->GetState(); }
    size_t Saved() const { return context->GetSavedStates().size(); }

    TestRenderer* test = nullptr;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
};
} // namespace

TEST_F(RenderStateTest, PushStateAndPopStateRestoreEveryField)
{
    ConstRCPtr<LStencil> stencil = LStencil::Create(SizeT<LONG>(3, 4));
    R().PushState();
    R().Translate(PointT<double>(2.25, -1));
    R().SetClipRect(RectT<double>(1, 2, 3, 4));
    R().SetStencil(stencil);
    State().stencilActive = true;
    State().scale = 2.0f;
    EXPECT_EQ(stencil->GetRefCount(), 2);

    R().PopState();
    EXPECT_EQ(Saved(), 0u);
    EXPECT_EQ(State().origin, PointT<double>(0, 0));
    EXPECT_EQ(State().clip, RenderState::NoClip());
    EXPECT_EQ(State().scale, 1.0f);
    EXPECT_EQ(State().stencil, nullptr);
    EXPECT_FALSE(State().stencilActive);
    EXPECT_EQ(stencil->GetRefCount(), 1);
    // Nothing saved: nothing to pop.
    R().PopState();
    EXPECT_EQ(State().origin, PointT<double>(0, 0));
}

TEST_F(RenderStateTest, SetBoundsAndSetStencilActOnTheTopContext)
{
    R().SetBounds(RectT<LONG>(1, 2, 30, 40));
    EXPECT_EQ(context->GetBounds(), RectT<LONG>(1, 2, 30, 40));
    ConstRCPtr<LStencil> stencil = LStencil::Create(SizeT<LONG>(5, 6));
    EXPECT_EQ(stencil->GetSize(), SizeT<LONG>(5, 6));
    EXPECT_EQ(stencil->GetBounds(), RectT<LONG>(0, 0, 5, 6));
    R().SetStencil(stencil);
    R().SetStencil(stencil);
    EXPECT_EQ(stencil->GetRefCount(), 2);
    // The active flag is left alone.
    EXPECT_FALSE(State().stencilActive);
}

TEST_F(RenderStateTest, PushOriginDoesNothingWhileNoStateIsSaved)
{
    R().SetClipRect(RectT<double>(0, 0, 50, 50));
    R().PushOrigin(PointT<double>(10, 10));
    EXPECT_EQ(Saved(), 0u);
    EXPECT_EQ(State().origin, PointT<double>(0, 0));
    EXPECT_EQ(State().clip, RectT<double>(0, 0, 50, 50));
    R().PopState();
    EXPECT_EQ(State().origin, PointT<double>(0, 0));

    // With a saved state it moves the origin by the rounded point and keeps the clip in place.
    R().PushState();
    R().PushOrigin(PointT<double>(10.5, -2.5));
    EXPECT_EQ(Saved(), 2u);
    EXPECT_EQ(State().origin, PointT<double>(11, -3));
    EXPECT_EQ(State().clip, RectT<double>(-11, 3, 50, 50));
    R().PopState();
    EXPECT_EQ(State().origin, PointT<double>(0, 0));
    EXPECT_EQ(State().clip, RectT<double>(0, 0, 50, 50));
    R().PopState();
}

TEST_F(RenderStateTest, RelativeClipIsIntersectedSnappedAndMovedWithTheOrigin)
{
    R().PushClip(RectT<double>(10, 20, 100, 50), RectT<double>(0.5, 0.5, 30, 30), nullptr, true);
    EXPECT_EQ(Saved(), 1u);
    EXPECT_EQ(State().origin, PointT<double>(10, 20));
    // Clip and frame meet in (10, 20, 20.5, 10.5); snapped outward edges 10, 20, 30, 30; then in
    // the new coordinates.
    EXPECT_EQ(State().clip, RectT<double>(0, 0, 20, 10));

    // A nested clip is also limited by the current clip.
    R().PushClip(RectT<double>(5, 5, 100, 100), RectT<double>(0, 0, 100, 100), nullptr, true);
    EXPECT_EQ(State().origin, PointT<double>(15, 25));
    EXPECT_EQ(State().clip, RectT<double>(0, 0, 15, 5));
    R().PopState();
    EXPECT_EQ(State().clip, RectT<double>(0, 0, 20, 10));
    R().PopState();
    EXPECT_EQ(State().origin, PointT<double>(0, 0));
    EXPECT_EQ(State().clip, RenderState::NoClip());
}

TEST_F(RenderStateTest, RelativeClipOutsideTheFrameIsEmptyAndPopRestoresExactly)
{
    const RectT<double> before(3.25, 4.5, 100, 60);
    R().SetClipRect(before);
    R().PushClip(RectT<double>(0, 0, 10, 10), RectT<double>(50, 50, 5, 5), nullptr, true);
    EXPECT_EQ(State().clip.width, 0);
    EXPECT_EQ(State().clip.height, 0);
    R().PopState();
    EXPECT_EQ(State().clip, before);
}

TEST_F(RenderStateTest, FrameCornerRoundsHalfAwayFromZero)
{
    R().PushClip(RectT<double>(10.5, -2.5, 20, 20), RectT<double>(0, 0, 5, 5), nullptr, true);
    EXPECT_EQ(State().origin, PointT<double>(11, -3));
    R().PopState();
}

TEST_F(RenderStateTest, AbsoluteClipIsTakenAsGiven)
{
    R().PushState();
    R().Translate(PointT<double>(7, 8));
    // A frame at the current origin, in the context's own coordinates: the origin stays.
    R().PushClip(RectT<double>(7, 8, 10, 10), RectT<double>(-4, 2, 300, 9), nullptr, false);
    EXPECT_EQ(State().origin, PointT<double>(7, 8));
    EXPECT_EQ(State().clip, RectT<double>(-4, 2, 300, 9));
    R().PopState();
    // A frame elsewhere moves the origin to the frame's corner.
    R().PushClip(RectT<double>(20, 30, 10, 10), RectT<double>(0, 0, 1, 1), nullptr, false);
    EXPECT_EQ(State().origin, PointT<double>(20, 30));
    R().PopState();
    R().PopState();
}

TEST_F(RenderStateTest, BackEndOverridesAreCalledInOrder)
{
    test->calls.clear();
    R().PushClip(RectT<double>(1, 1, 5, 5), RectT<double>(0, 0, 5, 5),
                 LStencil::Create(SizeT<LONG>(1, 1)), true);
    R().PopState();
    // PushClip: clip, origin, stencil. PopState: origin, clip, stencil.
    EXPECT_EQ(test->calls, (std::vector<std::string>{"SetClipRect", "Translate", "SetStencil",
                                                     "Translate", "SetClipRect", "SetStencil"}));
}

TEST_F(RenderStateTest, NestedStencilsGiveTheInnerStateAStencilOfItsOwn)
{
    ConstRCPtr<LStencil> outer = LStencil::Create(SizeT<LONG>(30, 20));
    ConstRCPtr<LStencil> inner = LStencil::Create(SizeT<LONG>(7, 9));
    R().PushClip(RectT<double>(0, 0, 50, 50), RectT<double>(0, 0, 50, 50), outer, true);
    EXPECT_EQ(State().stencil, outer);
    EXPECT_TRUE(State().stencilActive);

    R().PushClip(RectT<double>(1, 1, 40, 40), RectT<double>(0, 0, 40, 40), inner, true);
    ASSERT_NE(State().stencil, nullptr);
    EXPECT_NE(State().stencil, inner);
    EXPECT_EQ(State().stencil->GetSize(), SizeT<LONG>(7, 9));
    EXPECT_EQ(State().stencil->GetBounds(), RectT<LONG>(0, 0, 7, 9));
    EXPECT_EQ(State().stencil->GetRefCount(), 1);
    EXPECT_EQ(inner->GetRefCount(), 1);

    R().PopState();
    EXPECT_EQ(State().stencil, outer);
    EXPECT_TRUE(State().stencilActive);
    R().PopState();
    EXPECT_EQ(State().stencil, nullptr);
    EXPECT_FALSE(State().stencilActive);
}

TEST_F(RenderStateTest, AutoClipPushesByFlavourAndPopsAtTheEndOfItsScope)
{
    {
        CAutoClip plain(renderer);
        EXPECT_EQ(Saved(), 1u);
        {
            CAutoClip clip(renderer, RectT<double>(4, 6, 10, 10), RectT<double>(0, 0, 5, 5),
                           nullptr);
            EXPECT_EQ(Saved(), 2u);
            EXPECT_EQ(State().origin, PointT<double>(4, 6));
            PushClipInfo info;
            info.flavor = 2;
            info.origin = PointT<double>(1.5, 1.5);
            CAutoClip origin(renderer, info);
            EXPECT_EQ(Saved(), 3u);
            EXPECT_EQ(State().origin, PointT<double>(6, 8));
        }
        EXPECT_EQ(Saved(), 1u);
        EXPECT_EQ(State().origin, PointT<double>(0, 0));
        PushClipInfo info;
        info.flavor = 1;
        info.frame = RectT<double>(9, 9, 1, 1);
        info.clip = RectT<double>(0, 0, 1, 1);
        info.relative = 0;
        CAutoClip absolute(renderer, info);
        EXPECT_EQ(State().origin, PointT<double>(9, 9));
        EXPECT_EQ(State().clip, RectT<double>(0, 0, 1, 1));
    }
    EXPECT_EQ(Saved(), 0u);

    PushClipInfo bad;
    bad.flavor = 3;
    try
    {
        CAutoClip clip(renderer, bad);
        ADD_FAILURE() << "flavour 3 accepted";
    }
    catch (const Exception<std::runtime_error>& error)
    {
        EXPECT_EQ(
            std::string(error.what())
                .rfind("Runtime Error : Unknown PushClip flavor : Orv::CAutoClip::CAutoClip : ", 0),
            0u)
            << error.what();
    }
    EXPECT_EQ(Saved(), 0u);
}
