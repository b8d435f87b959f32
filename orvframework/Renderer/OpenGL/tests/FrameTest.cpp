// Frames: the OpenGL context current only during a frame, the scissor box of a clip, nested
// frames, off-screen contexts and the copies from them, and the timed purge of the caches.
#include "GLRendererTestSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
struct ScissorBox
{
    GLint x, y, width, height;
    bool operator==(const ScissorBox&) const = default;
};

ScissorBox CurrentScissor()
{
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    return ScissorBox{box[0], box[1], box[2], box[3]};
}

DWORD gNow = 1000;
DWORD TestClock()
{
    return gNow;
}
} // namespace

TEST(GLRendererFrame, TheContextIsCurrentOnlyDuringAFrame)
{
    GLTarget target(40, 30);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    target.Start();
    EXPECT_EQ(wglGetCurrentContext(), target.renderer->GetGLContext());
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);
    target.Finish();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(GLRendererFrame, AClipBecomesAScissorBoxCountedFromTheBottom)
{
    struct Case
    {
        RectT<double> clip;
        ScissorBox box;
    };
    // The context is 64 x 48; a clip outside it leaves one pixel right of it.
    const Case cases[] = {
        {RectT<double>(8, 4, 16, 8), {8, 36, 16, 8}},
        {RectT<double>(-5, 10, 20, 10), {0, 28, 15, 10}},
        {RectT<double>(2.5, 3.5, 10.4, 10.6), {3, 34, 10, 11}},
        {RectT<double>(10, 40, 10, 20), {10, 0, 10, 8}},
        {RectT<double>(-30, 5, 10, 10), {64, 0, 1, 1}},
        {RectT<double>(5, 60, 10, 10), {64, 0, 1, 1}},
        {RectT<double>(5, 5, 0, 10), {64, 0, 1, 1}},
    };
    GLTarget target(64, 48);
    target.Start();
    for (const Case& c : cases)
    {
        target.renderer->SetClipRect(c.clip);
        const ScissorBox box = CurrentScissor();
        EXPECT_EQ(box, c.box) << c.clip.x << "," << c.clip.y << " " << c.clip.width << "x"
                              << c.clip.height << " gave " << box.x << "," << box.y << " "
                              << box.width << "x" << box.height;
    }
    // The origin moves the clip with it.
    target.renderer->Translate(PointT<double>(10, 2));
    target.renderer->SetClipRect(RectT<double>(0, 0, 4, 4));
    EXPECT_EQ(CurrentScissor(), (ScissorBox{10, 42, 4, 4}));
    target.renderer->Translate(PointT<double>(-10, -2));
    target.renderer->SetClipRect(RenderState::NoClip());
    target.Finish();
}

TEST(GLRendererFrame, AnOffscreenFrameInsideAWindowFrameLeavesItsTransformAndClip)
{
    GLTarget target(48, 32);
    LGLRenderer& r = *target.renderer;
    ConstRCPtr<LRenderContextInfo> offscreen;
    ASSERT_EQ(r.InitRenderContextInfo(RectT<LONG>(0, 0, 16, 8), target.window, true, offscreen),
              S_OK);
    target.Start();
    r.FillRect(RectT<LONG>(0, 0, 48, 32), kWhite, true);
    r.PushClip(RectT<double>(20, 10, 20, 20), RectT<double>(20, 10, 20, 20), ConstRCPtr<LStencil>(),
               true);

    r.RenderStart(offscreen);
    // The inner frame starts at its own origin, unclipped.
    r.FillRect(RectT<LONG>(0, 0, 16, 8), kGreen, true);
    r.FillRect(RectT<LONG>(0, 0, 4, 4), kRed, true);
    r.RenderFinish(offscreen);

    // Back in the window's frame: its origin (20, 10) and clip.
    r.FillRect(RectT<LONG>(0, 0, 100, 4), kBlue, true);
    EXPECT_EQ(r.DrawRenderContext(offscreen, PointT<LONG>(0, 8), RectT<LONG>(0, 0, 8, 4)), S_OK);
    r.PopState();
    target.Finish();

    const Picture window = target.Read();
    window.Save("frame-nested-window");
    EXPECT_EQ(window.At(20, 10), kBlueArgb);
    EXPECT_EQ(window.At(39, 13), kBlueArgb);
    EXPECT_EQ(window.At(40, 10), kWhiteArgb) << "clipped";
    EXPECT_EQ(window.At(19, 10), kWhiteArgb);
    // The copied part: red top-left 4 x 4 of the surface, then green.
    EXPECT_EQ(window.At(20, 18), kRedArgb);
    EXPECT_EQ(window.At(23, 21), kRedArgb);
    EXPECT_EQ(window.At(24, 18), kGreenArgb);
    EXPECT_EQ(window.At(28, 18), kWhiteArgb);

    auto* gl = dynamic_cast<const LGLRenderContextInfo*>(offscreen.Get());
    const Picture surface = target.ReadSurface(*gl);
    surface.Save("frame-nested-surface");
    EXPECT_EQ(surface.At(0, 0), kRedArgb);
    EXPECT_EQ(surface.At(15, 7), kGreenArgb);
}

TEST(GLRendererFrame, ScrollingMovesTheSurfaceAndClearsWhatItUncovers)
{
    GLTarget target(16, 16);
    LGLRenderer& r = *target.renderer;
    ConstRCPtr<LRenderContextInfo> offscreen;
    ASSERT_EQ(r.InitRenderContextInfo(RectT<LONG>(0, 0, 8, 8), target.window, true, offscreen),
              S_OK);
    EXPECT_EQ(r.ScrollRenderContext(offscreen, PointT<LONG>(1, 1)), S_OK);
    r.RenderStart(offscreen);
    r.FillRect(RectT<LONG>(0, 0, 8, 8), kBlue, true);
    r.FillRect(RectT<LONG>(0, 0, 2, 2), kRed, true);
    r.RenderFinish(offscreen);
    EXPECT_EQ(r.ScrollRenderContext(offscreen, PointT<LONG>(3, 2)), S_OK);

    auto* gl = dynamic_cast<const LGLRenderContextInfo*>(offscreen.Get());
    const Picture surface = target.ReadSurface(*gl);
    surface.Save("frame-scrolled-surface");
    EXPECT_EQ(surface.At(3, 2), kRedArgb);
    EXPECT_EQ(surface.At(4, 3), kRedArgb);
    EXPECT_EQ(surface.At(5, 4), kBlueArgb);
    EXPECT_EQ(surface.At(7, 7), kBlueArgb);
    EXPECT_EQ(surface.At(2, 2), 0u) << "uncovered: transparent";
    EXPECT_EQ(surface.At(7, 1), 0u);
    EXPECT_EQ(r.GetRenderContextCount(), 0u);
}

TEST(GLRendererFrame, CopiesComeOnlyFromOffscreenContextsOfThisBackEnd)
{
    GLTarget target(8, 8);
    LGLRenderer& r = *target.renderer;
    GdiTarget gdi(8, 8);
    ConstRCPtr<LRenderContextInfo> gdiOffscreen;
    gdi.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 8, 8), nullptr, true, gdiOffscreen);
    ConstRCPtr<LRenderContextInfo> unused;
    ASSERT_EQ(r.InitRenderContextInfo(RectT<LONG>(0, 0, 8, 8), target.window, true, unused), S_OK);

    target.Start();
    const RectT<LONG> part(0, 0, 4, 4);
    EXPECT_EQ(r.DrawRenderContext(target.context, PointT<LONG>(), part), E_INVALIDARG);
    EXPECT_EQ(r.DrawRenderContext(gdiOffscreen, PointT<LONG>(), part), E_INVALIDARG);
    EXPECT_EQ(r.DrawRenderContext(ConstRCPtr<LRenderContextInfo>(), PointT<LONG>(), part),
              E_INVALIDARG);
    // Never drawn into: no surface yet.
    EXPECT_EQ(r.DrawRenderContext(unused, PointT<LONG>(), part), E_FAIL);
    target.Finish();
    EXPECT_EQ(r.ScrollRenderContext(target.context, PointT<LONG>(1, 1)), E_INVALIDARG);
    EXPECT_EQ(r.ScrollRenderContext(gdiOffscreen, PointT<LONG>(1, 1)), E_INVALIDARG);
}

TEST(GLRendererFrame, ThePurgeRunsWhenTheOutermostFrameEndsAtMostEveryFiveMinutes)
{
    gNow = 1000;
    GLTarget target(16, 16, &TestClock);
    LGLRenderer& r = *target.renderer;
    ConstRCPtr<LBitmap> a = MakeBitmap(2, 2, [](LONG, LONG) -> ARGB { return kRedArgb; });
    ConstRCPtr<LBitmap> b = MakeBitmap(2, 2, [](LONG, LONG) -> ARGB { return kBlueArgb; });
    const RectT<LONG> at(0, 0, 2, 2);
    auto holdsTexture = [&](const ConstRCPtr<LBitmap>& bitmap)
    {
        const auto& cache = r.GetTextureCache();
        for (int i = 0; i < cache.GetCount(); ++i)
        {
            const auto& entry = cache.GetEntryAt(i);
            if (entry.handle == LGLRenderer::GetImageHandle(bitmap))
            {
                return !entry.IsEmpty();
            }
        }
        return false;
    };
    ConstRCPtr<LRenderContextInfo> offscreen;
    r.InitRenderContextInfo(RectT<LONG>(0, 0, 4, 4), target.window, true, offscreen);

    target.Frame([&](LRenderer& renderer) { renderer.DrawBitmap(a, at, 0); });
    gNow += 300001;
    // The first purge: nothing was used before the one before it.
    target.Frame([&](LRenderer& renderer) { renderer.DrawBitmap(b, at, 0); });
    EXPECT_TRUE(holdsTexture(a));
    gNow += 300001;
    target.Start();
    r.DrawBitmap(b, at, 0);
    // A nested frame ending is no time for the purge.
    r.RenderStart(offscreen);
    r.RenderFinish(offscreen);
    EXPECT_TRUE(holdsTexture(a));
    target.Finish();
    // a was not used since the purge before this one; b was.
    EXPECT_FALSE(holdsTexture(a));
    EXPECT_TRUE(holdsTexture(b));

    // Not again within five minutes.
    gNow += 300000;
    target.Frame([&](LRenderer& renderer) { renderer.DrawBitmap(a, at, 0); });
    target.Frame([](LRenderer&) {});
    gNow += 1;
    target.Frame([](LRenderer&) {});
    EXPECT_TRUE(holdsTexture(a));
    EXPECT_TRUE(holdsTexture(b));
}
