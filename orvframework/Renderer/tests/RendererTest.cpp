#include "Renderer/D3D9RenderContextInfo.h"
#include "Renderer/D3D9Renderer.h"
#include "TestRenderer.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orv;

namespace
{
// Runs f, expecting an Orv::Exception<E> whose text begins with the prefix.
template <class E, class F>
void ExpectThrowWithPrefix(F f, const std::string& prefix)
{
    try
    {
        f();
        ADD_FAILURE() << "nothing thrown, expected " << prefix;
    }
    catch (const Exception<E>& error)
    {
        EXPECT_EQ(std::string(error.what()).substr(0, prefix.size()), prefix) << error.what();
    }
}

ConstRCPtr<LRenderContextInfo> NewContext(LRenderer& renderer)
{
    ConstRCPtr<LRenderContextInfo> context;
    EXPECT_EQ(renderer.InitRenderContextInfo(RectT<LONG>(0, 0, 64, 32), nullptr, true, context),
              S_OK);
    return context;
}
} // namespace

TEST(RendererCreate, TypesWithoutBackEndThrowTheDomainError)
{
    for (int type : {-1, 3, 1000})
    {
        ExpectThrowWithPrefix<std::domain_error>(
            [type] { LRenderer::Create(type, RectT<LONG>(), nullptr); },
            "Domain Error : Orv::LRenderer::Create : ");
    }
}

namespace
{
RectT<LONG> gMakerBounds;
HWND gMakerWindow = nullptr;
ConstRCPtr<LRenderer> MakeTestRenderer(const RectT<LONG>& bounds, HWND window)
{
    gMakerBounds = bounds;
    gMakerWindow = window;
    return ConstRCPtr<LRenderer>(new TestRenderer());
}
} // namespace

TEST(RendererCreate, TheOpenGLTypeIsMadeByTheMakerItsBackEndInstalled)
{
    auto create = [] { return LRenderer::Create(LRenderer::kOpenGL, RectT<LONG>(), nullptr); };
    ExpectThrowWithPrefix<std::domain_error>(create, "Domain Error : Orv::LRenderer::Create : ");
    LRenderer::SetOpenGLMaker(&MakeTestRenderer);
    HWND window = reinterpret_cast<HWND>(0x44);
    ConstRCPtr<LRenderer> made =
        LRenderer::Create(LRenderer::kOpenGL, RectT<LONG>(1, 2, 3, 4), window);
    EXPECT_NE(dynamic_cast<const TestRenderer*>(made.Get()), nullptr);
    EXPECT_EQ(gMakerBounds, RectT<LONG>(1, 2, 3, 4));
    EXPECT_EQ(gMakerWindow, window);
    LRenderer::SetOpenGLMaker(nullptr);
    ExpectThrowWithPrefix<std::domain_error>(create, "Domain Error : Orv::LRenderer::Create : ");
}

TEST(RendererCreate, TypeTwoIsTheEmptyDirect3D9Renderer)
{
    ConstRCPtr<LRenderer> renderer =
        LRenderer::Create(LRenderer::kDirect3D9, RectT<LONG>(1, 2, 3, 4), nullptr);
    ASSERT_NE(renderer, nullptr);
    LRenderer* d3d = renderer.GetMutable();
    EXPECT_NE(dynamic_cast<LD3D9Renderer*>(d3d), nullptr);
    EXPECT_EQ(d3d->GetRendererType(), 2);
    EXPECT_EQ(d3d->MeasureString(WString(L"text"), nullptr), RectT<float>());
    int height = 7;
    int ascent = 8;
    int descent = 9;
    EXPECT_EQ(d3d->GetFontMetrics(nullptr, height, ascent, descent), S_OK);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(ascent, 8);
    EXPECT_EQ(descent, 9);

    ConstRCPtr<LRenderContextInfo> context;
    EXPECT_EQ(d3d->InitRenderContextInfo(RectT<LONG>(5, 6, 70, 80), nullptr, true, context), S_OK);
    ASSERT_NE(dynamic_cast<const LD3D9RenderContextInfo*>(context.Get()), nullptr);
    EXPECT_EQ(context->GetMaxSize(), SizeT<LONG>(0, 0));
    EXPECT_EQ(context->GetBounds(), RectT<LONG>(5, 6, 70, 80));
    EXPECT_TRUE(context->IsOffscreen());

    // RenderStart pushes nothing, so the state operations find no context and change nothing.
    EXPECT_EQ(d3d->RenderStart(context), S_OK);
    EXPECT_EQ(d3d->GetRenderContextCount(), 0u);
    EXPECT_EQ(d3d->PushState(), S_OK);
    EXPECT_EQ(d3d->PushClip(RectT<double>(1, 1, 5, 5), RectT<double>(0, 0, 5, 5),
                            LStencil::Create(SizeT<LONG>(2, 2)), true),
              S_OK);
    EXPECT_EQ(d3d->Translate(PointT<double>(3, 3)), S_OK);
    EXPECT_EQ(d3d->SetBounds(RectT<LONG>(0, 0, 1, 1)), S_OK);
    EXPECT_EQ(d3d->PopState(), S_OK);
    EXPECT_EQ(context->GetState().origin, PointT<double>(0, 0));
    EXPECT_TRUE(context->GetSavedStates().empty());
    EXPECT_EQ(context->GetBounds(), RectT<LONG>(5, 6, 70, 80));
    EXPECT_EQ(d3d->RenderFinish(context), S_OK);

    EXPECT_EQ(d3d->FillRect(RectT<LONG>(0, 0, 1, 1), ColorRGBA{1, 1, 1, 1}, true), S_OK);
    EXPECT_EQ(d3d->DrawRenderContext(context, PointT<LONG>(), RectT<LONG>()), E_NOTIMPL);
    EXPECT_EQ(d3d->ScrollRenderContext(context, PointT<LONG>(1, 1)), E_NOTIMPL);
}

TEST(RenderContextStack, StartAndFinishNestAndCheckTheirContext)
{
    TestRenderer renderer;
    ConstRCPtr<LRenderContextInfo> a = NewContext(renderer);
    ConstRCPtr<LRenderContextInfo> b = NewContext(renderer);

    ExpectThrowWithPrefix<std::runtime_error>(
        [&] { renderer.RenderStart(nullptr); },
        "Runtime Error : Render context is NULL : Orv::LRenderer::RenderStart : ");
    ExpectThrowWithPrefix<std::runtime_error>(
        [&] { renderer.RenderFinish(a); },
        "Runtime Error : RenderFinish context does not match RenderStart context : "
        "Orv::LRenderer::RenderFinish : ");

    EXPECT_EQ(renderer.RenderStart(a), S_OK);
    // The stack holds a reference while the context is active.
    EXPECT_EQ(a->GetRefCount(), 2);
    ExpectThrowWithPrefix<std::runtime_error>(
        [&] { renderer.RenderStart(a); },
        "Runtime Error : Render context reentered. : Orv::LRenderer::RenderStart : ");
    EXPECT_EQ(renderer.GetRenderContextCount(), 1u);

    EXPECT_EQ(renderer.RenderStart(b), S_OK);
    EXPECT_EQ(renderer.GetCurrentRenderContext(), b.Get());
    // Finishing the outer context first is refused and changes nothing.
    ExpectThrowWithPrefix<std::runtime_error>(
        [&] { renderer.RenderFinish(a); }, "Runtime Error : RenderFinish context does not match");
    EXPECT_EQ(renderer.GetRenderContextCount(), 2u);
    EXPECT_EQ(renderer.RenderFinish(b), S_OK);
    EXPECT_EQ(renderer.GetCurrentRenderContext(), a.Get());
    EXPECT_EQ(renderer.RenderFinish(a), S_OK);
    EXPECT_EQ(renderer.GetRenderContextCount(), 0u);
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST(RenderContextStack, InitReplacesAndReleasesWhatTheOutPointerHeld)
{
    TestRenderer renderer;
    ConstRCPtr<LRenderContextInfo> context = NewContext(renderer);
    ConstRCPtr<LRenderContextInfo> old = context;
    EXPECT_EQ(old->GetRefCount(), 2);
    EXPECT_EQ(renderer.InitRenderContextInfo(RectT<LONG>(1, 1, 2, 2), nullptr, false, context),
              S_OK);
    EXPECT_NE(context, old);
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_FALSE(context->IsOffscreen());
}

TEST(RenderContextInfo, FreshContextAndItsDeviceContext)
{
    auto* window = reinterpret_cast<HWND>(0x1234);
    HDC dc = nullptr;
    {
        ConstRCPtr<LRenderContextInfo> context(
            new TestRenderContext(RectT<LONG>(0, 0, 10, 20), window, false));
        EXPECT_EQ(context->GetWindow(), window);
        dc = context->GetDeviceContext();
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        EXPECT_TRUE(context->GetDirtyRegion().IsEmpty());
        EXPECT_TRUE(context->GetSavedStates().empty());
        const RenderState& state = context->GetState();
        EXPECT_EQ(state.origin, PointT<double>(0, 0));
        EXPECT_EQ(state.clip,
                  RectT<double>(static_cast<double>(-5e15f), static_cast<double>(-5e15f),
                                static_cast<double>(1e16f), static_cast<double>(1e16f)));
        EXPECT_EQ(state.scale, 1.0f);
        EXPECT_FALSE(state.stencilActive);
        EXPECT_EQ(state.stencil, nullptr);
    }
    // The device context went back to the window with the render context.
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);

    ConstRCPtr<LRenderContextInfo> windowless(new TestRenderContext(RectT<LONG>(), nullptr, true));
    EXPECT_EQ(windowless->GetDeviceContext(), nullptr);
}

TEST(ColorFromFloatRGBA, RoundsHalfAwayFromZeroAndClamps)
{
    struct Row
    {
        ColorRGBA color;
        DWORD expected;
    };
    const Row rows[] = {
        {{1.0f, 0.5f, 0.0f, 1.0f}, 0xFFFF8000u},
        {{1.2f, -0.3f, 0.2f, 0.5f}, 0x80FF0033u},
        {{0, 0, 0, 0}, 0x00000000u},
        {{51 / 255.0f, 102 / 255.0f, 153 / 255.0f, 1}, 0xFF336699u},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(ColorFromFloatRGBA(row.color), row.expected) << std::hex << row.expected;
    }
    const ColorRGBA back = ColorRGBA::FromPacked(0x80FF0033u);
    EXPECT_FLOAT_EQ(back.red, 1.0f);
    EXPECT_FLOAT_EQ(back.green, 0.0f);
    EXPECT_FLOAT_EQ(back.blue, 51 / 255.0f);
    EXPECT_FLOAT_EQ(back.alpha, 128 / 255.0f);
}

TEST(Polyline, HandlesAreNeverReused)
{
    int previous = 0;
    for (int i = 0; i < 3; ++i)
    {
        // Each polyline dies before the next one is made, usually at the same address.
        PolylineT<float> polyline;
        polyline.AddPoint(PointT<float>(1, 2));
        const int handle = PolylineT<float>::GetHandle(polyline);
        EXPECT_NE(handle, previous);
        previous = handle;
    }
    PolylineT<float> original;
    PolylineT<float> copy(original);
    EXPECT_NE(PolylineT<float>::GetHandle(copy), PolylineT<float>::GetHandle(original));
}

TEST(ColorRectList, HandlesAreNeverReusedAndChangesAreFlagged)
{
    int previous = 0;
    for (int i = 0; i < 3; ++i)
    {
        ColorRectListT<float> list;
        const int handle = ColorRectListT<float>::GetHandle(list);
        EXPECT_NE(handle, previous);
        previous = handle;
    }
    ColorRectListT<float> original;
    original.AddRect(RectT<float>(1, 2, 3, 4), 0xFF112233u);
    ColorRectListT<float> copy(original);
    EXPECT_NE(ColorRectListT<float>::GetHandle(copy), ColorRectListT<float>::GetHandle(original));
    EXPECT_EQ(copy.GetColor(0), 0xFF112233u);
    // A cached draw clears the flag; every change that alters the drawing sets it again.
    original.SetChanged(false);
    original.SetScale(PointT<float>(2, 2));
    EXPECT_TRUE(original.IsChanged());
    original.SetChanged(false);
    original.AddRect(RectT<float>(0, 0, 1, 1), 0);
    EXPECT_TRUE(original.IsChanged());
    copy.SetChanged(false);
    copy = original;
    EXPECT_TRUE(copy.IsChanged());
    EXPECT_EQ(copy.GetCount(), 2u);
}
