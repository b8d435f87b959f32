// The drawing interface every control, look and window draws through. A renderer keeps a stack
// of active render contexts: RenderStart pushes one, RenderFinish pops it, and the drawing and
// render-state operations act on the context on top. LRenderer::Create makes the back-end for a
// renderer type number.
//
// Renderers are used on the UI thread only.
#pragma once

#include "Renderer/ColorRGBA.h"
#include "Renderer/ColorRectList.h"
#include "Renderer/MeasurementRenderer.h"
#include "Renderer/Polyline.h"
#include "Renderer/RenderContextInfo.h"
#include "Renderer/Stencil.h"

#include <vector>

namespace Orv
{
class LBitmap;

class LRenderer : public LMeasurementRenderer
{
public:
    // The renderer type numbers Create takes.
    static constexpr int kOpenGL = 0;
    static constexpr int kGdiplus = 1;
    static constexpr int kDirect3D9 = 2;

    // Resize types of DrawBitmap.
    static constexpr int kResizeStretch = 0;
    static constexpr int kResizeTile = 1;
    static constexpr int kResizeCentre = 2;

    LRenderer() = default;
    ~LRenderer() override;
    LRenderer(const LRenderer&) = delete;
    LRenderer& operator=(const LRenderer&) = delete;

    // The back-end for a type number; bounds and window are passed on where a back-end takes
    // them. Throws the domain error for a type without a back-end.
    static ConstRCPtr<LRenderer> Create(int type, const RectT<LONG>& bounds, HWND window);
    // How Create makes the OpenGL back-end, which lives in a library above this one and installs
    // its maker (LGLRenderer::InstallBackEnd); null removes it. Until one is installed, kOpenGL
    // is a type without a back-end.
    using BackEndMaker = ConstRCPtr<LRenderer> (*)(const RectT<LONG>& bounds, HWND window);
    static void SetOpenGLMaker(BackEndMaker maker);

    virtual int GetRendererType() = 0;
    // Makes the back-end's own context for a target and stores it in context (releasing what it
    // held).
    virtual ORVRESULT InitRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen,
                                            ConstRCPtr<LRenderContextInfo>& context) = 0;
    // The render-state operations below act on the top context and do nothing without one.
    virtual ORVRESULT SetBounds(const RectT<LONG>& bounds);
    virtual ORVRESULT SetStencil(const ConstRCPtr<LStencil>& stencil);
    // Pushes the context; throws for a null context and for one already on the stack.
    virtual ORVRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context);
    // Pops the context, which must be the top; throws otherwise.
    virtual ORVRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context);
    virtual ORVRESULT DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                                 const PointT<LONG>& position, const ColorRGBA& color) = 0;
    // One line of text laid out in line (a line rectangle of LFontText): drawn from the
    // rectangle's corner, rounded to whole pixels.
    virtual ORVRESULT DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                                 const RectT<float>& line, const ColorRGBA& color);
    virtual ORVRESULT DrawRect(const RectT<LONG>& rect, const ColorRGBA& color,
                               float lineWidth) = 0;
    // With blend false the target's pixels are replaced.
    virtual ORVRESULT FillRect(const RectT<LONG>& rect, const ColorRGBA& color, bool blend) = 0;
    virtual ORVRESULT DrawFilledRect(const RectT<LONG>& rect, const ColorRGBA& fill,
                                     const ColorRGBA& outline, float lineWidth) = 0;
    virtual ORVRESULT DrawColorRectList(const ColorRectListT<float>& list,
                                        const PointT<double>& origin, bool flag) = 0;
    virtual ORVRESULT DrawLine(const PointT<float>& from, const PointT<float>& to,
                               const ColorRGBA& color, float width) = 0;
    // The points taken in pairs as separate segments.
    virtual ORVRESULT DrawLineSegments(PolylineT<float>& points, const ColorRGBA& color,
                                       const PointT<float>& offset, const PointT<float>& scale,
                                       bool keepCached) = 0;
    virtual ORVRESULT DrawPolyline(PolylineT<float>& points, const ColorRGBA& color,
                                   const PointT<float>& offset, const PointT<float>& scale,
                                   bool keepCached) = 0;
    virtual ORVRESULT DrawPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                  const PointT<float>& offset, const PointT<float>& scale,
                                  bool keepCached) = 0;
    virtual ORVRESULT FillPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                  const PointT<float>& offset, const PointT<float>& scale,
                                  bool keepCached) = 0;
    // Resize types kResizeStretch, kResizeTile, kResizeCentre.
    virtual ORVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<LONG>& destination,
                                 int resizeType) = 0;
    // Copies part of an off-screen context's pixels into the current target.
    virtual ORVRESULT DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                        const PointT<LONG>& destination,
                                        const RectT<LONG>& sourceRect) = 0;
    // Shifts an off-screen context's pixels by the offset.
    virtual ORVRESULT ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                          const PointT<LONG>& offset) = 0;
    // Saves the state and moves the origin by the point rounded to whole pixels; the clip stays
    // where it is on the target. Does nothing while no state is saved.
    virtual ORVRESULT PushOrigin(const PointT<double>& origin);
    // Saves the state, then clips to clip (intersected with the frame and the current clip when
    // relative) and moves the origin to the frame's corner (given in current coordinates when
    // relative, else in the context's own).
    virtual ORVRESULT PushClip(const RectT<double>& frame, const RectT<double>& clip,
                               const ConstRCPtr<LStencil>& stencil, bool relative);
    virtual ORVRESULT PushState();
    // Restores the most recently saved state through Translate, SetClipRect and SetStencil.
    virtual ORVRESULT PopState();
    virtual ORVRESULT SetClipRect(const RectT<double>& clip);
    virtual ORVRESULT Translate(const PointT<double>& offset);

    // The alpha of the current state (1 without a context); SetAlpha clamps to 0..1 and does
    // nothing without a context. PopState restores the saved alpha.
    float GetAlpha() const;
    void SetAlpha(float alpha);
    // The clip region of the current state, null when there is none (or no context);
    // SetClipRegion stores a copy (an empty region as none). PopState restores the saved one.
    const LRegion* GetClipRegion() const;
    void SetClipRegion(const LRegion& region);

    unsigned int GetRenderContextCount() const
    {
        return static_cast<unsigned int>(mContexts.size());
    }
    // The top context; null when none is active.
    LRenderContextInfo* GetCurrentRenderContext() const
    {
        return mContexts.empty() ? nullptr : mContexts.back().GetMutable();
    }

private:
    std::vector<ConstRCPtr<LRenderContextInfo>> mContexts;
};
} // namespace Orv
