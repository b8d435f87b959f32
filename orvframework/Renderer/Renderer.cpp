#include "Renderer/Renderer.h"

#include "Renderer/D3D9Renderer.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Utilities/Geometry/RectOperations.h"

#include <atomic>
#include <cmath>

namespace Orv
{
namespace
{
std::atomic<LRenderer::BackEndMaker> gOpenGLMaker{nullptr};

// Half away from zero, kept as a double.
double RoundCoordinate(double value)
{
    return value < 0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
}

PointT<double> RoundPoint(const PointT<double>& point)
{
    return PointT<double>(RoundCoordinate(point.x), RoundCoordinate(point.y));
}
} // namespace

LRenderer::~LRenderer()
{
    mContexts.clear();
}

ConstRCPtr<LRenderer> LRenderer::Create(int type, const RectT<LONG>& bounds, HWND window)
{
    switch (type)
    {
        case kOpenGL:
            if (BackEndMaker maker = gOpenGLMaker.load())
            {
                return maker(bounds, window);
            }
            break;
        case kGdiplus:
            // From the first GDI+ window on, fonts and text are measured, also where no window
            // is at hand: without a measuring renderer every text would lay out as 0 by 0.
            LGDIRenderer::InstallMeasurementRenderer();
            return ConstRCPtr<LRenderer>(new LGDIRenderer());
        case kDirect3D9:
            return ConstRCPtr<LRenderer>(new LD3D9Renderer());
        default:
            break;
    }
    ORV_THROW(std::domain_error);
}

void LRenderer::SetOpenGLMaker(BackEndMaker maker)
{
    gOpenGLMaker.store(maker);
}

ORVRESULT LRenderer::SetBounds(const RectT<LONG>& bounds)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->SetBounds(bounds);
    }
    return S_OK;
}

ORVRESULT LRenderer::SetStencil(const ConstRCPtr<LStencil>& stencil)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->GetState().stencil = stencil;
    }
    return S_OK;
}

ORVRESULT LRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    if (context == nullptr)
    {
        ORV_THROW(std::runtime_error, "Render context is NULL");
    }
    for (const ConstRCPtr<LRenderContextInfo>& active : mContexts)
    {
        if (active == context)
        {
            ORV_THROW(std::runtime_error, "Render context reentered.");
        }
    }
    mContexts.push_back(context);
    return S_OK;
}

ORVRESULT LRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    if (mContexts.empty() || !(mContexts.back() == context))
    {
        ORV_THROW(std::runtime_error, "RenderFinish context does not match RenderStart context");
    }
    mContexts.pop_back();
    return S_OK;
}

ORVRESULT LRenderer::PushState()
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->GetSavedStates().push_back(context->GetState());
    }
    return S_OK;
}

ORVRESULT LRenderer::PushOrigin(const PointT<double>& origin)
{
    LRenderContextInfo* context = GetCurrentRenderContext();
    if (context == nullptr || context->GetSavedStates().empty())
    {
        return S_OK;
    }
    PushState();
    const PointT<double> d = RoundPoint(origin);
    Translate(d);
    RenderState& state = context->GetState();
    state.clip.x -= d.x;
    state.clip.y -= d.y;
    return S_OK;
}

ORVRESULT LRenderer::PushClip(const RectT<double>& frame, const RectT<double>& clip,
                              const ConstRCPtr<LStencil>& stencil, bool relative)
{
    LRenderContextInfo* context = GetCurrentRenderContext();
    if (context == nullptr)
    {
        return S_OK;
    }
    PointT<double> o(frame.x, frame.y);
    if (!relative)
    {
        o.x -= context->GetState().origin.x;
        o.y -= context->GetState().origin.y;
    }
    const PointT<double> d = RoundPoint(o);
    PushState();

    RectT<double> r = clip;
    if (relative)
    {
        const bool meetsFrame = IntersectRect(r, r, frame);
        const bool meetsClip = IntersectRect(r, r, context->GetState().clip);
        if (!meetsFrame || !meetsClip)
        {
            // Nothing can be drawn: an empty clip at the intersection's corner.
            r.width = 0;
            r.height = 0;
        }
    }
    RoundRectOutward(r);
    SetClipRect(r);
    Translate(d);
    if (relative)
    {
        context->GetState().clip.x -= d.x;
        context->GetState().clip.y -= d.y;
    }

    if (stencil != nullptr)
    {
        if (context->GetState().stencilActive)
        {
            // Nested stencils: the state gets a stencil of its own of the inner stencil's size.
            SetStencil(LStencil::Create(stencil->GetSize()));
        }
        else
        {
            SetStencil(stencil);
            context->GetState().stencilActive = true;
        }
    }
    return S_OK;
}

ORVRESULT LRenderer::PopState()
{
    LRenderContextInfo* context = GetCurrentRenderContext();
    if (context == nullptr || context->GetSavedStates().empty())
    {
        return S_OK;
    }
    const RenderState saved = context->GetSavedStates().back();
    context->GetSavedStates().pop_back();
    const PointT<double>& origin = context->GetState().origin;
    Translate(PointT<double>(saved.origin.x - origin.x, saved.origin.y - origin.y));
    // Exactly the saved origin, whatever rounding the difference went through.
    context->GetState().origin = saved.origin;
    context->GetState().scale = saved.scale;
    SetClipRect(saved.clip);
    SetStencil(saved.stencil);
    context->GetState().stencilActive = saved.stencilActive;
    context->GetState().alpha = saved.alpha;
    context->GetState().clipRegion = saved.clipRegion;
    return S_OK;
}

float LRenderer::GetAlpha() const
{
    const LRenderContextInfo* context = GetCurrentRenderContext();
    return context == nullptr ? 1.0f : context->GetState().alpha;
}

void LRenderer::SetAlpha(float alpha)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        // Written so that NaN becomes 0.
        context->GetState().alpha = alpha > 0.0f ? (alpha < 1.0f ? alpha : 1.0f) : 0.0f;
    }
}

const LRegion* LRenderer::GetClipRegion() const
{
    const LRenderContextInfo* context = GetCurrentRenderContext();
    if (context == nullptr || !context->GetState().clipRegion)
    {
        return nullptr;
    }
    return &context->GetState().clipRegion->GetValue();
}

void LRenderer::SetClipRegion(const LRegion& region)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->GetState().clipRegion =
            region.IsEmpty() ? nullptr : LHolder<LRegion>::Create(region);
    }
}

ORVRESULT LRenderer::DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                                const RectT<float>& line, const ColorRGBA& color)
{
    return DrawString(text, font,
                      PointT<LONG>(RoundDoubleToLong(line.x), RoundDoubleToLong(line.y)), color);
}

ORVRESULT LRenderer::SetClipRect(const RectT<double>& clip)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->GetState().clip = clip;
    }
    return S_OK;
}

ORVRESULT LRenderer::Translate(const PointT<double>& offset)
{
    if (LRenderContextInfo* context = GetCurrentRenderContext())
    {
        context->GetState().origin.x += offset.x;
        context->GetState().origin.y += offset.y;
    }
    return S_OK;
}
} // namespace Orv
