#include "Renderer/D3D9Renderer.h"

#include "Renderer/D3D9RenderContextInfo.h"

namespace Orv
{
ORVRESULT LD3D9Renderer::GetFontMetrics(const ConstRCPtr<LFont>&, int&, int&, int&)
{
    return S_OK;
}

RectT<float> LD3D9Renderer::MeasureString(const WString&, const ConstRCPtr<LFont>&)
{
    return RectT<float>();
}

ORVRESULT LD3D9Renderer::InitRenderContextInfo(const RectT<LONG>& bounds, HWND window,
                                               bool offscreen,
                                               ConstRCPtr<LRenderContextInfo>& context)
{
    context = ConstRCPtr<LRenderContextInfo>(new LD3D9RenderContextInfo(bounds, window, offscreen));
    return S_OK;
}

ORVRESULT LD3D9Renderer::RenderStart(const ConstRCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawString(const WString&, const ConstRCPtr<LFont>&, const PointT<LONG>&,
                                    const ColorRGBA&)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawRect(const RectT<LONG>&, const ColorRGBA&, float)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::FillRect(const RectT<LONG>&, const ColorRGBA&, bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawFilledRect(const RectT<LONG>&, const ColorRGBA&, const ColorRGBA&,
                                        float)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawColorRectList(const ColorRectListT<float>&, const PointT<double>&,
                                           bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawLine(const PointT<float>&, const PointT<float>&, const ColorRGBA&,
                                  float)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawLineSegments(PolylineT<float>&, const ColorRGBA&, const PointT<float>&,
                                          const PointT<float>&, bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawPolyline(PolylineT<float>&, const ColorRGBA&, const PointT<float>&,
                                      const PointT<float>&, bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawPolygon(PolylineT<float>&, const ColorRGBA&, const PointT<float>&,
                                     const PointT<float>&, bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::FillPolygon(PolylineT<float>&, const ColorRGBA&, const PointT<float>&,
                                     const PointT<float>&, bool)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<LONG>&, int)
{
    return S_OK;
}

ORVRESULT LD3D9Renderer::DrawRenderContext(const ConstRCPtr<LRenderContextInfo>&,
                                           const PointT<LONG>&, const RectT<LONG>&)
{
    return E_NOTIMPL;
}

ORVRESULT LD3D9Renderer::ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>&,
                                             const PointT<LONG>&)
{
    return E_NOTIMPL;
}
} // namespace Orv
