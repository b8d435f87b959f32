// The system's image: a GDI+ bitmap loaded from the program's PNG resources or from a file, or a
// rectangular part of another bitmap. Bitmaps loaded by name are shared through a process-wide
// name cache whose references are internal references of the bitmaps: a cached bitmap leaves the
// cache and dies when its last outside holder lets go. Copies can be colorized with a skin's
// colorizer.
//
// Bitmaps and the name cache are used on the UI thread only; GdiplusStartup must have run.
#pragma once

#include "ControlBase/Colorizer.h"
#include "ObjectBase/RCPtr.h"
#include "Renderer/ColorRGBA.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Graphics/BitmapData.h"
#include "Utilities/Storage/StringT.h"
#include "platform/GdiPlus.h"

namespace Orv
{
class LBitmap : public virtual LRefCountedObject
{
public:
    // The shared bitmap for a name. A name that begins with "::" names a resource of type
    // "GDIPLUS": the rest upper-cased, with every '.' and ' ' made '_' ("::Splash.png" is
    // SPLASH_PNG). Any other name is a file path. A failed load gives a bitmap without image,
    // of size 0 by 0, which is cached all the same.
    static ConstRCPtr<LBitmap> GetBitmap(const WString& name);

    // A new bitmap for a part of this one, clipped to this bitmap. Width or height 0 or less
    // means the whole bitmap. The part's parent is the bitmap that owns the image.
    RCPtr<LBitmap> CreateSubBitmap(LONG x, LONG y, LONG width, LONG height) const;
    // The image of this bitmap or of the first one up the parent chain that has one.
    GpBitmap* GetGdiplusBitmap() const;
    // A new owner bitmap holding a copy of this bitmap's pixels (in the image's format).
    RCPtr<LBitmap> CopyBitmap() const;
    // Locked pixel access with an ImageLockMode; a part shares its parent's data.
    ConstRCPtr<LBitmapData> GetBitmapData(UINT lockMode) const;
    // The pixel at x, y of this bitmap, each channel divided by 255; all 0 outside the bitmap or
    // when the pixel cannot be read (the status is recorded).
    ColorRGBA GetPixelColor(LONG x, LONG y) const;
    // The key by which renderers cache what they make of a bitmap; never given to another bitmap.
    UINT_PTR GetHandle() const { return mHandle; }

    // Colorizes the bitmap's pixels in place: with a solid colorizer (colour type 0, or both
    // colours equal) each colour channel is blended toward the colour by its alpha x amount and
    // alpha is kept; a gradient is drawn over the image. Throws for a null bitmap or colorizer
    // and when the pixels cannot be locked.
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap,
                               const ConstRCPtr<LColorizer>& colorizer, float amount);
    // A bitmap of the size filled with the colorizer's colour, its alpha times amount. Throws for
    // an empty size, and (from CreateGradientFilledBitmap) for a gradient of two colours.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                float amount, const SizeT<LONG>& size);
    // The looks' entry: with a source, a colorized copy of it; without, CreateColorizedBitmap.
    // A mask is not supported and throws the domain error.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                float amount, const SizeT<LONG>& size,
                                                const ConstRCPtr<LBitmap>& source,
                                                const ConstRCPtr<LBitmap>& mask);
    // A 32-bit ARGB bitmap of the size filled with the colour. Throws for an empty size.
    static RCPtr<LBitmap> CreateFilledBitmap(const SizeT<LONG>& size, const ColorRGBA& color);
    // Gradients are not drawn: always throws the domain error.
    static RCPtr<LBitmap> CreateGradientFilledBitmap(const ConstRCPtr<LColorizer>& colorizer,
                                                     float amount, const SizeT<LONG>& size);

    // Leaves the name cache: S_OK when afterwards only the caller's reference remains.
    ORVRESULT ReleaseInternalReferences() override;
    ~LBitmap() override;
    LBitmap(const LBitmap&) = delete;
    LBitmap& operator=(const LBitmap&) = delete;

    // Offset inside the image that owns the pixels, and size.
    LONG GetX() const { return mX; }
    LONG GetY() const { return mY; }
    LONG GetWidth() const { return mWidth; }
    LONG GetHeight() const { return mHeight; }
    // For a part, the bitmap that owns the image; null for an owner.
    const ConstRCPtr<LBitmap>& GetParent() const { return mParent; }
    const WString& GetName() const { return mName; }
    // The key in the name cache; empty for bitmaps outside it.
    const WString& GetKey() const { return mKey; }
    // The last failing GDI+ status recorded on the image (Gdiplus::Ok when none).
    Gdiplus::Status GetLastStatus() const;
    // Records a failing status on the image.
    void RecordStatus(Gdiplus::Status status) const;

private:
    LBitmap();
    // Loads the image a name names.
    void Load(const WString& name);
    void LoadResource(const WString& name);
    // Takes an image as this bitmap's own, the rectangle becoming (0, 0, its size).
    void Adopt(GpBitmap* image);
    const LBitmap& Owner() const;

    LONG mX = 0;
    LONG mY = 0;
    LONG mWidth = 0;
    LONG mHeight = 0;
    ConstRCPtr<LBitmap> mParent;
    WString mName;
    WString mKey;
    GpBitmap* mImage = nullptr;
    mutable Gdiplus::Status mLastStatus = Gdiplus::Ok;
    UINT_PTR mHandle;
};
} // namespace Orv
