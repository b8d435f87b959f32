// The GDI+ back-end of the renderer interface, renderer type 1. It draws through the GDI+ flat
// interface into the off-screen surfaces of its render contexts and copies the dirty rectangles
// of a context to its window when the context's frame ends. Bitmaps are scaled, tiled or centred
// once per (bitmap, size, resize type) and kept as cached bitmaps; paths are built once per
// polyline; both caches are least-recently-used. Cached bitmaps not drawn for two purge periods
// (about five minutes each) are dropped. Text is measured on a 1 x 1 bitmap of the renderer's
// own, so measuring needs neither a window nor a frame.
//
// Failing GDI+ calls never throw: their status is recorded on the object they acted on and
// drawing goes on. Coordinates are pixels at 96 DPI; font sizes are points. Every drawing call
// multiplies its colours by the render state's alpha and is clipped to the state's clip region as
// well as to its clip rectangle.
//
// UI thread only; GdiplusStartup must have run before a renderer is made.
#pragma once

#include "Renderer/Gdi/CashableBitmapDescriptor.h"
#include "Renderer/Gdi/GDIRenderContextInfo.h"
#include "Renderer/Gdi/GdiplusObject.h"
#include "Renderer/Renderer.h"
#include "Utilities/Storage/PurgableObjectCache.h"

namespace Orv
{
class LGDIRenderer : public LRenderer
{
public:
    class LCachedBitmap;
    class LGraphicsPath;

    using BitmapKey = CashableBitmapDescriptor<8>;
    using BitmapCache = PurgableObjectCache<LCachedBitmap, BitmapKey, BitmapKey,
                                            &GetSelf<BitmapKey>, 8, &BitmapKey::GetHashBits>;
    using PathCache = PurgableObjectCache<LGraphicsPath, PolylineT<float>, int,
                                          &PolylineT<float>::GetHandle, 8, &GetBits<8, 4, int>>;
    // The millisecond clock the purge reads.
    using MillisecondClock = DWORD (*)();

    static constexpr int kCacheSize = 256;
    // Cached bitmaps are purged at the first frame end more than this long after the last purge.
    static constexpr DWORD kPurgeInterval = 300000;

    LGDIRenderer();
    // With another clock for the purge (the application's millisecond clock otherwise).
    explicit LGDIRenderer(MillisecondClock clock);
    ~LGDIRenderer() override;

    // Makes a renderer without a window the process-wide measuring renderer, unless there is one
    // already; returns the measuring renderer.
    static ConstRCPtr<LRenderer> InstallMeasurementRenderer();

    // Measuring (GDIRendererText.cpp).
    ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                             int& descent) override;
    RectT<float> MeasureString(const WString& text, const ConstRCPtr<LFont>& font) override;

    // Set-up and render cycle (GDIRenderer.cpp).
    int GetRendererType() override;
    ORVRESULT InitRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen,
                                    ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;

    // Drawing (GDIRendererText.cpp, GDIRendererDrawing.cpp, GDIRendererPaths.cpp,
    // GDIRendererBitmaps.cpp).
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
    ORVRESULT DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                const PointT<LONG>& destination,
                                const RectT<LONG>& sourceRect) override;
    ORVRESULT ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<LONG>& offset) override;
    // Both keep the graphics' clip and world transform with the state; they return the GDI+
    // status.
    ORVRESULT SetClipRect(const RectT<double>& clip) override;
    ORVRESULT Translate(const PointT<double>& offset) override;

    // The context of the frame being drawn; null outside a frame and for a context of another
    // back-end.
    LGDIRenderContextInfo* GetCurrentContext() const { return mCurrent.GetMutable(); }
    float GetScale() const { return mScale; }
    int GetScreenDpi() const { return mScreenDpi; }
    BitmapCache& GetBitmapCache() { return mBitmapCache; }
    PathCache& GetPathCache() { return mPathCache; }

private:
    enum class PathKind
    {
        Segments,
        Polyline,
        Polygon,
        FilledPolygon,
    };
    // The path operations: the cached path of the polyline, drawn with a pen or filled.
    ORVRESULT DrawCachedPath(PathKind kind, PolylineT<float>& points, const ColorRGBA& color,
                             const PointT<float>& offset, const PointT<float>& scale,
                             bool keepCached);
    // Makes the picture of a bitmap at a size for the bitmap cache.
    void MakePicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                     RCPtr<LCachedBitmap>& cached);
    // Draws the bitmap fitted to the destination's size into a new picture; false when it
    // could not be made.
    bool DrawPicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                     GdiplusBitmap& picture);
    // Draws the bitmap at the destination with its alpha multiplied (in 0..1), bypassing the
    // bitmap cache.
    void DrawFadedPicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                          float alpha);
    // The purge of the bitmap cache, when its time has come.
    void PurgeWhenDue();
    // The colour with its alpha multiplied by the state's.
    ColorRGBA Faded(const ColorRGBA& color) const;
    // Brings the graphics' clip in line with the state before a drawing call: the clip rectangle
    // and, when the state has one, the clip region.
    void ApplyClipRegion();

    // The clip region the current graphics is clipped to, valid while mClipKnown: the graphics'
    // clip is otherwise set again before the next drawing call.
    ConstRCPtr<LHolder<LRegion>> mAppliedClipRegion;
    bool mClipKnown = false;

    float mScale = 1.0f;
    ConstRCPtr<LGDIRenderContextInfo> mCurrent;
    GdiplusBitmap mMeasuringBitmap;
    int mScreenDpi = 96;
    BitmapCache mBitmapCache;
    PathCache mPathCache;
    DWORD mLastPurgeTime = 0;
    MillisecondClock mClock;
};
} // namespace Orv
