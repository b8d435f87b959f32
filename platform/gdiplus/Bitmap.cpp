// Bitmaps: creation, pixels, locking, copies, decoding PNG images.
#include "GdiPlusObjects.h"

#include "platform/Kernel.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

using namespace Gdiplus;

namespace Gdiplus
{
bool IsKnownFormat(PixelFormat format)
{
    return format == PixelFormat32bppARGB || format == PixelFormat32bppPARGB ||
           format == PixelFormat32bppRGB;
}

BitmapObject::~BitmapObject()
{
    if (mSurface != nullptr)
    {
        cairo_surface_destroy(mSurface);
    }
}

BitmapObject* BitmapObject::Create(INT width, INT height, PixelFormat format, BYTE* externalBits,
                                   INT externalStride)
{
    // cairo's image surfaces stop at 32767 pixels a side.
    if (width > 32767 || height > 32767)
    {
        return nullptr;
    }
    std::unique_ptr<BitmapObject> bitmap(new (std::nothrow) BitmapObject);
    if (!bitmap)
    {
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->format = format;
    if (externalBits != nullptr)
    {
        bitmap->bits = externalBits;
        bitmap->stride = externalStride;
        bitmap->external = true;
    }
    else
    {
        bitmap->stride = width * 4;
        size_t size = static_cast<size_t>(bitmap->stride) * static_cast<size_t>(height);
        bitmap->mOwnedBits.reset(new (std::nothrow) BYTE[size]());
        if (!bitmap->mOwnedBits)
        {
            return nullptr;
        }
        bitmap->bits = bitmap->mOwnedBits.get();
    }
    if (format == PixelFormat32bppARGB)
    {
        bitmap->mSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    }
    else
    {
        bitmap->mSurface = cairo_image_surface_create_for_data(
            bitmap->bits, format == PixelFormat32bppRGB ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
            width, height, bitmap->stride);
    }
    if (cairo_surface_status(bitmap->mSurface) != CAIRO_STATUS_SUCCESS)
    {
        return nullptr;
    }
    return bitmap.release();
}

cairo_surface_t* BitmapObject::Surface()
{
    if (format == PixelFormat32bppARGB && (mCopyStale || external))
    {
        cairo_surface_flush(mSurface);
        BYTE* copy = cairo_image_surface_get_data(mSurface);
        int copyStride = cairo_image_surface_get_stride(mSurface);
        for (INT y = 0; y < height; ++y)
        {
            auto* from = reinterpret_cast<const std::uint32_t*>(bits + y * stride);
            auto* to = reinterpret_cast<std::uint32_t*>(copy + y * copyStride);
            for (INT x = 0; x < width; ++x)
            {
                to[x] = Premultiply(from[x]);
            }
        }
        cairo_surface_mark_dirty(mSurface);
        mCopyStale = false;
    }
    return mSurface;
}

void BitmapObject::SurfaceChanged()
{
    cairo_surface_flush(mSurface);
    if (format != PixelFormat32bppARGB)
    {
        return;
    }
    // Only pixels cairo changed are written back, so that straight values whose premultiplied
    // form is ambiguous (low alpha) stay exactly as they were.
    const BYTE* copy = cairo_image_surface_get_data(mSurface);
    int copyStride = cairo_image_surface_get_stride(mSurface);
    for (INT y = 0; y < height; ++y)
    {
        auto* from = reinterpret_cast<const std::uint32_t*>(copy + y * copyStride);
        auto* to = reinterpret_cast<std::uint32_t*>(bits + y * stride);
        for (INT x = 0; x < width; ++x)
        {
            if (Premultiply(to[x]) != from[x])
            {
                to[x] = Unpremultiply(from[x]);
            }
        }
    }
}

ARGB BitmapObject::GetPixel(INT x, INT y)
{
    if (format != PixelFormat32bppARGB)
    {
        cairo_surface_flush(mSurface);
    }
    std::uint32_t value = reinterpret_cast<const std::uint32_t*>(bits + y * stride)[x];
    switch (format)
    {
        case PixelFormat32bppARGB:
            return value;
        case PixelFormat32bppPARGB:
            return Unpremultiply(value);
        default:
            return value | 0xFF000000u;
    }
}

void BitmapObject::SetPixel(INT x, INT y, ARGB color)
{
    auto* pixel = reinterpret_cast<std::uint32_t*>(bits + y * stride) + x;
    switch (format)
    {
        case PixelFormat32bppARGB:
            *pixel = color;
            mCopyStale = true;
            return;
        case PixelFormat32bppPARGB:
            cairo_surface_flush(mSurface);
            *pixel = Premultiply(color);
            break;
        default:
            cairo_surface_flush(mSurface);
            *pixel = color | 0xFF000000u;
            break;
    }
    cairo_surface_mark_dirty_rectangle(mSurface, x, y, 1, 1);
}
} // namespace Gdiplus

namespace
{
// Checks an image handle for a call that reads or writes its pixels.
GpStatus CheckBitmap(GpImage* image)
{
    if (image == nullptr)
    {
        return InvalidParameter;
    }
    return AsBitmap(image)->locked ? WrongState : Ok;
}

GpStatus NewBitmap(INT width, INT height, PixelFormat format, BYTE* bits, INT stride,
                   GpBitmap** bitmap)
{
    BitmapObject* created = BitmapObject::Create(width, height, format, bits, stride);
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    *bitmap = created;
    return Ok;
}

// Decodes PNG bytes into a new bitmap.
GpStatus DecodePng(const std::string& bytes, GpBitmap** bitmap)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
    {
        return UnknownImageFormat;
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    {
        return InvalidParameter;
    }
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;
    if (image.width == 0 || image.height == 0 || image.width > 32767 || image.height > 32767)
    {
        png_image_free(&image);
        return image.width > 32767 || image.height > 32767 ? OutOfMemory : InvalidParameter;
    }
    BitmapObject* created =
        BitmapObject::Create(static_cast<INT>(image.width), static_cast<INT>(image.height),
                             alpha ? PixelFormat32bppARGB : PixelFormat32bppRGB, nullptr, 0);
    if (created == nullptr)
    {
        png_image_free(&image);
        return OutOfMemory;
    }
    if (!png_image_finish_read(&image, nullptr, created->bits, created->stride, nullptr))
    {
        png_image_free(&image);
        created->Release();
        return InvalidParameter;
    }
    if (!alpha)
    {
        cairo_surface_mark_dirty(created->Surface());
    }
    *bitmap = created;
    return Ok;
}

// The bytes of a rectangle of a bitmap as 32-bit values in the asked format.
void ReadPixels(BitmapObject* bitmap, const Rect& rect, PixelFormat format, std::uint32_t* out,
                INT outStride)
{
    for (INT y = 0; y < rect.Height; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<BYTE*>(out) + y * outStride);
        for (INT x = 0; x < rect.Width; ++x)
        {
            ARGB straight = bitmap->GetPixel(rect.X + x, rect.Y + y);
            row[x] = format == PixelFormat32bppPARGB ? Premultiply(straight)
                     : format == PixelFormat32bppRGB ? (straight | 0xFF000000u)
                                                     : straight;
        }
    }
}

void WritePixels(BitmapObject* bitmap, const Rect& rect, PixelFormat format,
                 const std::uint32_t* in, INT inStride)
{
    for (INT y = 0; y < rect.Height; ++y)
    {
        auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const BYTE*>(in) +
                                                           y * inStride);
        for (INT x = 0; x < rect.Width; ++x)
        {
            ARGB value = row[x];
            if (format == PixelFormat32bppPARGB)
            {
                value = Unpremultiply(value);
            }
            else if (format == PixelFormat32bppRGB)
            {
                value |= 0xFF000000u;
            }
            bitmap->SetPixel(rect.X + x, rect.Y + y, value);
        }
    }
}
} // namespace

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format,
                                   BYTE* scan0, GpBitmap** bitmap)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (bitmap == nullptr || width <= 0 || height <= 0 || !IsKnownFormat(format))
    {
        return InvalidParameter;
    }
    if (scan0 != nullptr)
    {
        if (stride < 0)
        {
            return NotImplemented; // bottom-up memory is not drawn here
        }
        if (stride % 4 != 0 || stride / 4 < width || reinterpret_cast<UINT_PTR>(scan0) % 4 != 0)
        {
            return InvalidParameter;
        }
    }
    return NewBitmap(width, height, format, scan0, stride, bitmap);
}

GpStatus GdipCreateBitmapFromGraphics(INT width, INT height, GpGraphics* target, GpBitmap** bitmap)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (target == nullptr || bitmap == nullptr || width <= 0 || height <= 0)
    {
        return InvalidParameter;
    }
    return NewBitmap(width, height, PixelFormat32bppPARGB, nullptr, 0, bitmap);
}

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (stream == nullptr || bitmap == nullptr)
    {
        return InvalidParameter;
    }
    std::string bytes;
    char piece[16384];
    ULONG got = 0;
    do
    {
        if (FAILED(stream->Read(piece, sizeof(piece), &got)))
        {
            return Win32Error;
        }
        bytes.append(piece, got);
    } while (got == sizeof(piece));
    return DecodePng(bytes, bitmap);
}

GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (filename == nullptr || bitmap == nullptr || filename[0] == 0)
    {
        return InvalidParameter;
    }
    std::string path;
    for (const WCHAR* c = filename; *c != 0; ++c)
    {
        // The path in UTF-8.
        auto cp = static_cast<std::uint32_t>(*c);
        if (cp < 0x80)
        {
            path += static_cast<char>(cp);
        }
        else if (cp < 0x800)
        {
            path += static_cast<char>(0xC0 | (cp >> 6));
            path += static_cast<char>(0x80 | (cp & 0x3F));
        }
        else if (cp < 0x10000)
        {
            path += static_cast<char>(0xE0 | (cp >> 12));
            path += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            path += static_cast<char>(0x80 | (cp & 0x3F));
        }
        else
        {
            path += static_cast<char>(0xF0 | (cp >> 18));
            path += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            path += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            path += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return Win32Error;
    }
    std::string bytes;
    char piece[16384];
    size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof(piece), file)) > 0)
    {
        bytes.append(piece, got);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
    {
        SetLastError(ERROR_GEN_FAILURE);
        return Win32Error;
    }
    return DecodePng(bytes, bitmap);
}

GpStatus GdipDisposeImage(GpImage* image)
{
    if (image == nullptr)
    {
        return InvalidParameter;
    }
    BitmapObject* bitmap = AsBitmap(image);
    if (!bitmap->busy.TryEnter())
    {
        return ObjectBusy;
    }
    bitmap->busy.Leave();
    bitmap->Release();
    return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width)
{
    if (image == nullptr || width == nullptr)
    {
        return InvalidParameter;
    }
    *width = static_cast<UINT>(AsBitmap(image)->width);
    return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height)
{
    if (image == nullptr || height == nullptr)
    {
        return InvalidParameter;
    }
    *height = static_cast<UINT>(AsBitmap(image)->height);
    return Ok;
}

GpStatus GdipGetImageBounds(GpImage* image, GpRectF* bounds, GpUnit* unit)
{
    if (image == nullptr || bounds == nullptr || unit == nullptr)
    {
        return InvalidParameter;
    }
    BitmapObject* bitmap = AsBitmap(image);
    *bounds = {0, 0, static_cast<REAL>(bitmap->width), static_cast<REAL>(bitmap->height)};
    *unit = UnitPixel;
    return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format)
{
    if (image == nullptr || format == nullptr)
    {
        return InvalidParameter;
    }
    *format = AsBitmap(image)->format;
    return Ok;
}

GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format,
                              GpBitmap* sourceHandle, GpBitmap** clone)
{
    BitmapObject* source = static_cast<BitmapObject*>(sourceHandle);
    if (clone == nullptr || !IsKnownFormat(format) || width <= 0 || height <= 0 || x < 0 || y < 0 ||
        source == nullptr || x > source->width - width || y > source->height - height)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(source->busy))
    {
        return ObjectBusy;
    }
    if (GpStatus status = CheckBitmap(source); status != Ok)
    {
        return status;
    }
    BitmapObject* created = BitmapObject::Create(width, height, format, nullptr, 0);
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    Rect rect{x, y, width, height};
    if (format == PixelFormat32bppRGB && source->format == PixelFormat32bppARGB)
    {
        // Dropping alpha keeps the colour, as the straight values hold it.
        ReadPixels(source, rect, PixelFormat32bppARGB,
                   reinterpret_cast<std::uint32_t*>(created->bits), created->stride);
        cairo_surface_mark_dirty(created->Surface());
    }
    else
    {
        std::vector<std::uint32_t> straight(static_cast<size_t>(width) * height);
        ReadPixels(source, rect, PixelFormat32bppARGB, straight.data(), width * 4);
        WritePixels(created, Rect{0, 0, width, height}, PixelFormat32bppARGB, straight.data(),
                    width * 4);
    }
    *clone = created;
    return Ok;
}

GpStatus GdipCloneBitmapArea(REAL x, REAL y, REAL width, REAL height, PixelFormat format,
                             GpBitmap* source, GpBitmap** clone)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height) ||
        std::fabs(x) > 1e9f || std::fabs(y) > 1e9f || std::fabs(width) > 1e9f ||
        std::fabs(height) > 1e9f)
    {
        return InvalidParameter;
    }
    return GdipCloneBitmapAreaI(static_cast<INT>(x), static_cast<INT>(y), static_cast<INT>(width),
                                static_cast<INT>(height), format, source, clone);
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmapHandle, INT x, INT y, ARGB* color)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    if (bitmap == nullptr || color == nullptr || x < 0 || y < 0 || x >= bitmap->width ||
        y >= bitmap->height)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (GpStatus status = CheckBitmap(bitmap); status != Ok)
    {
        return status;
    }
    *color = bitmap->GetPixel(x, y);
    return Ok;
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmapHandle, INT x, INT y, ARGB color)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    if (bitmap == nullptr || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (GpStatus status = CheckBitmap(bitmap); status != Ok)
    {
        return status;
    }
    bitmap->SetPixel(x, y, color);
    return Ok;
}

GpStatus GdipBitmapLockBits(GpBitmap* bitmapHandle, const GpRect* rect, UINT flags,
                            PixelFormat format, BitmapData* lockedData)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    const UINT known = ImageLockModeRead | ImageLockModeWrite | ImageLockModeUserInputBuf;
    if (bitmap == nullptr || lockedData == nullptr || !IsKnownFormat(format) ||
        (flags & ~known) != 0 || (flags & (ImageLockModeRead | ImageLockModeWrite)) == 0)
    {
        return InvalidParameter;
    }
    Rect area = rect != nullptr ? *rect : Rect{0, 0, bitmap->width, bitmap->height};
    if (area.X < 0 || area.Y < 0 || area.Width <= 0 || area.Height <= 0 ||
        area.X > bitmap->width - area.Width || area.Y > bitmap->height - area.Height)
    {
        return InvalidParameter;
    }
    bool userBuffer = (flags & ImageLockModeUserInputBuf) != 0;
    if (userBuffer && (lockedData->Scan0 == nullptr || lockedData->Stride < area.Width * 4))
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (bitmap->locked)
    {
        return WrongState;
    }
    INT outStride = userBuffer ? lockedData->Stride : area.Width * 4;
    std::uint32_t* out = nullptr;
    if (userBuffer)
    {
        out = static_cast<std::uint32_t*>(lockedData->Scan0);
    }
    else
    {
        try
        {
            bitmap->lockBuffer.assign(static_cast<size_t>(area.Width) * area.Height, 0);
        }
        catch (const std::bad_alloc&)
        {
            return OutOfMemory;
        }
        out = bitmap->lockBuffer.data();
    }
    if ((flags & ImageLockModeRead) != 0)
    {
        ReadPixels(bitmap, area, format, out, outStride);
    }
    bitmap->locked = true;
    bitmap->lockFlags = flags;
    bitmap->lockRect = area;
    bitmap->lockFormat = format;
    bitmap->lockData = lockedData;
    lockedData->Width = static_cast<UINT>(area.Width);
    lockedData->Height = static_cast<UINT>(area.Height);
    lockedData->Stride = outStride;
    lockedData->PixelFormat = format;
    lockedData->Scan0 = out;
    lockedData->Reserved = 0;
    return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmapHandle, BitmapData* lockedData)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    if (bitmap == nullptr || lockedData == nullptr)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (!bitmap->locked)
    {
        return WrongState;
    }
    if (lockedData != bitmap->lockData)
    {
        return InvalidParameter;
    }
    if ((bitmap->lockFlags & ImageLockModeWrite) != 0)
    {
        WritePixels(bitmap, bitmap->lockRect, bitmap->lockFormat,
                    static_cast<const std::uint32_t*>(lockedData->Scan0), lockedData->Stride);
    }
    bitmap->locked = false;
    bitmap->lockData = nullptr;
    bitmap->lockBuffer.clear();
    bitmap->lockBuffer.shrink_to_fit();
    return Ok;
}
