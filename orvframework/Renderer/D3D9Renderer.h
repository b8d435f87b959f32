// The Direct3D 9 renderer, renderer type 2: an empty back-end. It measures nothing, draws
// nothing and never pushes a render context, so its render-state operations find no context.
#pragma once

#include "Renderer/Renderer.h"

namespace Orv
{
class LD3D9Renderer : public LRenderer
{
public:
    LD3D9Renderer() = default;

    // Returns S_OK and writes nothing.
    ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                             int& descent) override;
    // An all-zero rectangle.
    RectT<float> MeasureString(const WString& text, const ConstRCPtr<LFont>& font) override;
    int GetRendererType() override { return kDirect3D9; }
    ORVRESULT InitRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen,
                                    ConstRCPtr<LRenderContextInfo>& context) override;
    // Leave the context stack alone.
    ORVRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;
    // The drawing operations do nothing.
    using LRenderer::DrawString;
    ORVRESULT DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                         const PointT<LONG>& position, const ColorRGBA& color) override;
    ORVRESULT DrawRect(const RectT<LONG>& rect, const ColorRGBA& color, float lineWidth) override;
    ORVRESULT FillRect(const RectT<LONG>& rect, const ColorRGBA& color, bool blend) override;
    ORVRESULT DrawFilledRect(const RectT<LONG>& rect, const ColorRGBA& fill,
                             const ColorRGBA& outline, float lineWidth) override;
    ORVRESULT DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& origin,
                                bool flag) override;
    ORVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to, const ColorRGBA& color,
                       float width) override;
    ORVRESULT DrawLineSegments(PolylineT<float>& points, const ColorRGBA& color,
                               const PointT<float>& offset, const PointT<float>& scale,
                               bool keepCached) override;
    ORVRESULT DrawPolyline(PolylineT<float>& points, const ColorRGBA& color,
                           const PointT<float>& offset, const PointT<float>& scale,
                           bool keepCached) override;
    ORVRESULT DrawPolygon(PolylineT<float>& points, const ColorRGBA& color,
                          const PointT<float>& offset, const PointT<float>& scale,
                          bool keepCached) override;
    ORVRESULT FillPolygon(PolylineT<float>& points, const ColorRGBA& color,
                          const PointT<float>& offset, const PointT<float>& scale,
                          bool keepCached) override;
    ORVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<LONG>& destination,
                         int resizeType) override;
    // E_NOTIMPL.
    ORVRESULT DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                const PointT<LONG>& destination,
                                const RectT<LONG>& sourceRect) override;
    ORVRESULT ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<LONG>& offset) override;
};
} // namespace Orv
