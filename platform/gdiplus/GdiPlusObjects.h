// The objects behind the flat interface's handles, shared by the files of this family.
#pragma once

#include "platform/GdiPlus.h"

#include <cairo.h>

#include <atomic>
#include <memory>
#include <vector>

namespace Gdiplus
{
bool IsStarted();

// Set while one thread uses an object; a second user gets ObjectBusy.
class BusyFlag
{
public:
    bool TryEnter() { return !mBusy.exchange(true, std::memory_order_acquire); }
    void Leave() { mBusy.store(false, std::memory_order_release); }

private:
    std::atomic<bool> mBusy{false};
};

// Holds the busy flags of up to three objects for the length of one call.
class BusyScope
{
public:
    BusyScope() = default;
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    ~BusyScope()
    {
        for (int i = 0; i < mCount; ++i)
        {
            mFlags[i]->Leave();
        }
    }
    // False (and nothing taken) when the flag is already held.
    bool Enter(BusyFlag& flag)
    {
        if (!flag.TryEnter())
        {
            return false;
        }
        mFlags[mCount++] = &flag;
        return true;
    }

private:
    BusyFlag* mFlags[3] = {};
    int mCount = 0;
};

// Pixel conversions between straight (ARGB) and premultiplied (PARGB, cairo) 32-bit values.
inline std::uint32_t Premultiply(std::uint32_t argb)
{
    std::uint32_t a = argb >> 24;
    if (a == 255)
    {
        return argb;
    }
    auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
           channel(argb & 0xFF);
}

inline std::uint32_t Unpremultiply(std::uint32_t pargb)
{
    std::uint32_t a = pargb >> 24;
    if (a == 255)
    {
        return pargb;
    }
    if (a == 0)
    {
        return 0;
    }
    auto channel = [a](std::uint32_t c)
    {
        std::uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return (a << 24) | (channel((pargb >> 16) & 0xFF) << 16) | (channel((pargb >> 8) & 0xFF) << 8) |
           channel(pargb & 0xFF);
}

bool IsKnownFormat(PixelFormat format);

// A bitmap. Its pixels of record are `bits` in its own format. For 32bppPARGB and 32bppRGB the
// cairo surface draws on those bits directly; for 32bppARGB it is a premultiplied copy, filled
// before cairo reads or draws and written back after cairo drew. Reference counted, so that a
// graphics keeps the pixels it draws on.
class BitmapObject final : public GpBitmap
{
public:
    void AddRef() { mReferences.fetch_add(1, std::memory_order_relaxed); }
    void Release()
    {
        if (mReferences.fetch_sub(1, std::memory_order_acq_rel) == 1)
        {
            delete this;
        }
    }
    BusyFlag busy;

    ~BitmapObject() override;
    // Null when the memory cannot be had.
    static BitmapObject* Create(INT width, INT height, PixelFormat format, BYTE* externalBits,
                                INT externalStride);

    // The premultiplied pixels, current, for cairo to read or draw on.
    cairo_surface_t* Surface();
    // After cairo drew on Surface(): brings the pixels of record up to date.
    void SurfaceChanged();
    // The pixel of record as straight ARGB, and setting it.
    ARGB GetPixel(INT x, INT y);
    void SetPixel(INT x, INT y, ARGB color);

    INT width = 0;
    INT height = 0;
    PixelFormat format = PixelFormat32bppARGB;
    BYTE* bits = nullptr;
    INT stride = 0;
    bool external = false;

    // Lock state.
    bool locked = false;
    UINT lockFlags = 0;
    Rect lockRect{};
    PixelFormat lockFormat = 0;
    std::vector<std::uint32_t> lockBuffer;
    BitmapData* lockData = nullptr;

private:
    std::atomic<int> mReferences{1};
    std::unique_ptr<BYTE[]> mOwnedBits;
    cairo_surface_t* mSurface = nullptr;
    // For 32bppARGB: whether the premultiplied copy may differ from the pixels of record.
    bool mCopyStale = true;
};

// The bitmap behind an image handle (every image here is a bitmap).
inline BitmapObject* AsBitmap(GpImage* image)
{
    return static_cast<BitmapObject*>(image);
}

class GpGraphics
{
public:
    ~GpGraphics();
    BusyFlag busy;
    BitmapObject* image = nullptr; // holds a reference; null for a window
    cairo_surface_t* windowSurface = nullptr;
    cairo_t* cr = nullptr;
    cairo_matrix_t world{1, 0, 0, 1, 0, 0};
    bool clipInfinite = true;
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0; // device pixels
    // A clip region further limits the clip rectangle: the union of its rectangles (device
    // pixels; none means nothing is drawn).
    bool clipHasRegion = false;
    std::vector<RectF> clipRects;
    // Raised whenever the clip changes.
    unsigned int clipVersion = 0;
    // The clip that cr holds now: it stays on cr from one drawing call to the next and is set
    // again only when the graphics' clip has changed.
    unsigned int appliedVersion = 0;
    // The settings cr holds now, so that a drawing call changes only what differs (cairo's
    // defaults at first).
    cairo_antialias_t appliedAntialias = CAIRO_ANTIALIAS_DEFAULT;
    cairo_operator_t appliedOperator = CAIRO_OPERATOR_OVER;
    cairo_matrix_t appliedMatrix{1, 0, 0, 1, 0, 0};
    SmoothingMode smoothing = SmoothingModeDefault;
    InterpolationMode interpolation = InterpolationModeDefault;
    PixelOffsetMode pixelOffset = PixelOffsetModeDefault;
    CompositingMode compositing = CompositingModeSourceOver;
    REAL dpi = 96.0f;
};

GpStatus CreateGraphics(BitmapObject* image, cairo_surface_t* windowSurface, GpGraphics** graphics);

// One drawing call on a graphics: takes the busy flags, checks locks, readies the target's
// pixels and cairo (clip, operator, anti-aliasing, an identity matrix, no path); at the end
// writes the target's pixels back. cairo's other settings (source, line, fill rule, font) are
// left as the call set them: every call sets those it uses. Draw only when status() is Ok.
class DrawScope
{
public:
    DrawScope(GpGraphics* graphics, GpImage* source);
    DrawScope(const DrawScope&) = delete;
    DrawScope& operator=(const DrawScope&) = delete;
    ~DrawScope();
    GpStatus status() const { return mStatus; }
    cairo_t* cr() const { return mGraphics->cr; }
    // The world transform; for lines and outlines with pixel centres on whole coordinates.
    void UseWorld(bool forLines);
    // Narrows the clip to a rectangle (in the current matrix's units) for this call only.
    void ClipFurther(double x, double y, double width, double height);
    // Set cr's anti-aliasing, operator and matrix, each only when it differs from what cr has.
    // Drawing calls change these through here, never on cr directly.
    void SetAntialias(cairo_antialias_t antialias);
    void SetOperator(cairo_operator_t op);
    void SetMatrix(const cairo_matrix_t& matrix);

private:
    // Brings cr's clip in line with the graphics' clip.
    void ApplyClip();

    GpGraphics* mGraphics;
    GpStatus mStatus = Ok;
    bool mDrawing = false;
    // Whether ClipFurther saved cr, and the recorded settings at that moment.
    bool mSaved = false;
    cairo_antialias_t mSavedAntialias = CAIRO_ANTIALIAS_DEFAULT;
    cairo_operator_t mSavedOperator = CAIRO_OPERATOR_OVER;
    cairo_matrix_t mSavedMatrix{1, 0, 0, 1, 0, 0};
    BusyScope mBusy;
};

class GpCachedBitmap
{
public:
    ~GpCachedBitmap();
    cairo_surface_t* surface = nullptr;
    INT width = 0;
    INT height = 0;
};

class SolidFillObject final : public GpSolidFill
{
public:
    ARGB color = 0;
};

class TextureObject final : public GpTexture
{
public:
    ~TextureObject() override;
    cairo_surface_t* surface = nullptr;
};

// Sets the brush as cairo's source, for the graphics' interpolation mode.
void ApplyBrush(const GpBrush* brush, cairo_t* cr, InterpolationMode interpolation);

class GpPen
{
public:
    ARGB color = 0;
    REAL width = 1;
    Unit unit = UnitWorld;
};

class GpMatrix
{
public:
    cairo_matrix_t m{1, 0, 0, 1, 0, 0};
};

struct PathFigure
{
    std::vector<PointF> points;
    bool closed = false;
};

class GpPath
{
public:
    FillMode fillMode = FillModeAlternate;
    std::vector<PathFigure> figures;
    bool startNewFigure = true;
    // Adds the path's figures to cairo's current path.
    void Trace(cairo_t* cr) const;
};

// A union of rectangles, or everything.
class GpRegion
{
public:
    bool infinite = true;
    std::vector<RectF> rects;
};

// The colour matrix of the bitmap adjustment, when it scales alpha.
class GpImageAttributes
{
public:
    bool scalesAlpha = false;
    REAL alpha = 1.0f;
};

void ApplyFilter(cairo_pattern_t* pattern, InterpolationMode interpolation);
void SetSourceColor(cairo_t* cr, ARGB color);
double UnitToPixels(Unit unit, double dpi);
} // namespace Gdiplus
