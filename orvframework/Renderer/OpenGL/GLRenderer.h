// The OpenGL back-end of the renderer interface, renderer type 0. It draws with OpenGL 1.1 in
// immediate mode into a window's buffers through one OpenGL context of its own, and shows a
// frame when the frame ends. Geometry drawn every frame is recorded once into display lists and
// replayed; bitmaps become textures once, shared by every part of one image. Objects not used for
// two purge periods (five minutes each) are dropped. Off-screen render contexts draw into a
// texture that other contexts draw from.
//
// Text is measured and drawn by the font renderer the back-end is given: LRenderer::Create gives
// it a FreeType font renderer over an OpenGL glyph renderer. Without one it draws no text and
// measures every text as empty.
//
// Set-up failures show a message box and throw; drawing never throws but for DrawBitmap's
// argument errors. UI thread only: the renderer, its contexts and its OpenGL context are used by
// the thread that owns the window.
#pragma once

#include "Renderer/FontRenderer/FontRenderer.h"
#include "Renderer/OpenGL/GLDisplayList.h"
#include "Renderer/OpenGL/GLRenderContextInfo.h"
#include "Renderer/OpenGL/GLTexture.h"
#include "Renderer/Renderer.h"
#include "Utilities/Storage/HashBits.h"
#include "Utilities/Storage/PurgableObjectCache.h"

namespace Orv
{
class LGLRenderer : public LRenderer
{
public:
    // The handle a bitmap's texture is cached under: that of the bitmap owning the image.
    static UINT_PTR GetImageHandle(const ConstRCPtr<LBitmap>& bitmap);

    // Handles are never-reused counters, so their low bits pick the bucket.
    using PolylineCache = PurgableObjectCache<LGLDisplayList, PolylineT<float>, int,
                                              &PolylineT<float>::GetHandle, 8, &GetBits<8, 0, int>>;
    using ColorRectCache =
        PurgableObjectCache<LGLDisplayList, ColorRectListT<float>, int,
                            &ColorRectListT<float>::GetHandle, 8, &GetBits<8, 0, int>>;
    using TextureCache = PurgableObjectCache<LGLTexture, ConstRCPtr<LBitmap>, UINT_PTR,
                                             &GetImageHandle, 8, &GetBits<8, 0, UINT_PTR>>;
    using MillisecondClock = DWORD (*)();

    static constexpr int kListCacheSize = 256;
    static constexpr int kTextureCacheSize = 64;
    static constexpr DWORD kPurgeInterval = 300000;

    // Sets up OpenGL for the window: a pixel format, a context (through a hidden window, so
    // that the window's own pixel format is set only when it must be). Each failing step shows
    // a message box and throws the runtime error. The clock times the purge (the application's
    // millisecond clock by default).
    explicit LGLRenderer(HWND window, MillisecondClock clock = nullptr);
    // The same, with the font renderer that measures and draws text.
    LGLRenderer(const ConstRCPtr<LFontRenderer>& fontRenderer, HWND window,
                MillisecondClock clock = nullptr);
    ~LGLRenderer() override;

    // Makes LRenderer::Create build this back-end for type 0.
    static void InstallBackEnd();

    // Text, through the font renderer (see above).
    ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                             int& descent) override;
    RectT<float> MeasureString(const WString& text, const ConstRCPtr<LFont>& font) override;

    // Set-up and frames (GLRenderer.cpp).
    int GetRendererType() override;
    ORVRESULT InitRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen,
                                    ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT SetBounds(const RectT<LONG>& bounds) override;
    // Makes the OpenGL context current on the context's window: E_FAIL (after a message box,
    // once per renderer) when it cannot be, the context then being pushed all the same.
    ORVRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;
    ORVRESULT SetClipRect(const RectT<double>& clip) override;
    ORVRESULT Translate(const PointT<double>& offset) override;

    // Drawing (GLRendererDrawing.cpp, GLRendererPaths.cpp, GLRendererBitmaps.cpp).
    using LRenderer::DrawString;
    ORVRESULT DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                         const PointT<LONG>& position, const ColorRGBA& color) override;
    ORVRESULT DrawRect(const RectT<LONG>& rect, const ColorRGBA& color, float lineWidth) override;
    // Without blending, the rectangle (moved by the origin, not clipped) is cleared to the colour.
    ORVRESULT FillRect(const RectT<LONG>& rect, const ColorRGBA& color, bool blend) override;
    ORVRESULT DrawFilledRect(const RectT<LONG>& rect, const ColorRGBA& fill,
                             const ColorRGBA& outline, float lineWidth) override;
    // With cache set, the list is kept as a display list until its changed flag is set.
    ORVRESULT DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& origin,
                                bool cache) override;
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
    // Throws the failed result E_INVALIDARG for a null bitmap, the logic error for a resize type
    // other than 0 to 2 (unless the bitmap has the destination's size). Tiles and a centred bitmap
    // are cut by the destination.
    ORVRESULT DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<LONG>& destination,
                         int resizeType) override;
    // The source must be an off-screen context of this back-end (E_INVALIDARG otherwise); E_FAIL
    // when it has not been drawn into yet.
    ORVRESULT DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                const PointT<LONG>& destination,
                                const RectT<LONG>& sourceRect) override;
    ORVRESULT ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<LONG>& offset) override;

    HGLRC GetGLContext() const { return mGLContext; }
    int GetPixelFormat() const { return mPixelFormat; }
    const PIXELFORMATDESCRIPTOR& GetPixelFormatDescriptor() const { return mDescriptor; }
    bool IsDoubleBuffered() const { return mDoubleBuffered; }
    bool SwapsByCopying() const { return mSwapCopies; }
    PolylineCache& GetPolylineCache(int index) { return mPolylineCaches[index]; }
    ColorRectCache& GetColorRectCache() { return mColorRectCache; }
    TextureCache& GetTextureCache() { return mTextureCache; }
    // The context of the frame being drawn; null outside a frame and for another back-end's.
    LGLRenderContextInfo* GetCurrentContext() const;

    // The polyline caches, by the operation that fills them.
    static constexpr int kSegmentsCache = 0;
    static constexpr int kPolylineCache = 1;
    static constexpr int kOutlineCache = 2;
    static constexpr int kFillCache = 3;

private:
    class SetUpScope;

    // Set-up steps (GLRenderer.cpp).
    void CreateContext(HDC windowDC);
    void TryPixelFormatExtension(HDC windowDC, HDC hiddenDC);
    void InitGLState();
    // The device context a context's frames make the OpenGL context current on.
    HDC DrawingDC(const LGLRenderContextInfo& context) const;
    // Makes the OpenGL context current for the context; false when it cannot be.
    bool MakeCurrentFor(const LGLRenderContextInfo& context);
    // Points OpenGL at the context's buffers and sets its viewport, transform and scissor.
    void Establish(LGLRenderContextInfo& context);
    // Sets the scissor box to a rectangle of the current context's own coordinates.
    void ApplyScissor(const RectT<double>& rect);
    // The state's clip in the context's own coordinates, to the scissor.
    void ApplyStateClip();
    void CopyBuffer(GLenum read, GLenum draw, GLenum type);
    void PurgeCaches();

    // The cached operations (GLRendererPaths.cpp).
    enum class PathKind
    {
        Segments,
        Polyline,
        Outline,
        Fill,
    };
    ORVRESULT DrawCachedPath(PathKind kind, PolylineT<float>& points, const ColorRGBA& color,
                             const PointT<float>& offset, const PointT<float>& scale, bool cache);
    void DrawPath(PathKind kind, const PolylineT<float>& points);
    void DrawColorRects(const ColorRectListT<float>& list);

    HWND mWindow;
    ConstRCPtr<LFontRenderer> mFontRenderer;
    // A device context of the window, for off-screen contexts that have no window.
    HDC mWindowDC = nullptr;
    bool mDoubleBuffered = true;
    bool mSwapCopies = true;
    MillisecondClock mClock;
    DWORD mLastPurgeTime = 0;
    PolylineCache mPolylineCaches[4];
    ColorRectCache mColorRectCache;
    TextureCache mTextureCache;
    HGLRC mGLContext = nullptr;
    PIXELFORMATDESCRIPTOR mDescriptor{};
    int mPixelFormat = 0;
    bool mMakeCurrentReported = false;
};
} // namespace Orv
