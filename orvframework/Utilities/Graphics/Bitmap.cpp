#include "Utilities/Graphics/Bitmap.h"

#include "Utilities/Storage/OrvFile.h"
#include "platform/Resources.h"

#include <cstring>
#include <map>

namespace Orv
{
namespace
{
using BitmapCache = std::map<WString, ConstRCPtr<LBitmap>>;

// The name cache, made on first use. Its references are internal references of the bitmaps.
BitmapCache* gCache = nullptr;
UINT_PTR gLastHandle = 0;

// At exit the cache lets go of every bitmap still in it, first turning its references into plain
// ones, so that no bitmap asks the cache to remove it while the cache is going.
struct CacheRelease
{
    ~CacheRelease()
    {
        BitmapCache* cache = gCache;
        gCache = nullptr;
        if (cache == nullptr)
        {
            return;
        }
        for (auto& entry : *cache)
        {
            entry.second.GetMutable()->ReleaseInternalReference();
        }
        delete cache;
    }
} gCacheRelease;

BitmapCache& Cache()
{
    if (gCache == nullptr)
    {
        gCache = new BitmapCache();
    }
    return *gCache;
}

bool IsResourceName(const WString& name)
{
    const wchar_t* text = name.GetBuffer();
    return text[0] == L':' && text[1] == L':';
}

LONG Clamp(long long value, LONG low, LONG high)
{
    return static_cast<LONG>(value < low ? low : value > high ? high : value);
}

// (c / 255 x (1 - a) + colour) x 255 + 0.5, truncated into a byte.
BYTE BlendChannel(BYTE channel, float keep, float color)
{
    const float value = (static_cast<float>(channel) / 255.0f * keep + color) * 255.0f + 0.5f;
    // Written so that NaN gives 0.
    if (!(value >= 0.0f))
    {
        return 0;
    }
    return value >= 255.0f ? 255 : static_cast<BYTE>(value);
}

bool IsSolid(const LColorizer& colorizer)
{
    return colorizer.GetColorType() == LColorizer::kSolid ||
           colorizer.GetColor() == colorizer.GetEndColor();
}
} // namespace

LBitmap::LBitmap()
    : mHandle(++gLastHandle)
{
}

LBitmap::~LBitmap()
{
    if (mImage != nullptr)
    {
        GdipDisposeImage(mImage);
    }
}

const LBitmap& LBitmap::Owner() const
{
    return mParent != nullptr ? *mParent : *this;
}

Gdiplus::Status LBitmap::GetLastStatus() const
{
    return Owner().mLastStatus;
}

void LBitmap::RecordStatus(Gdiplus::Status status) const
{
    if (status != Gdiplus::Ok)
    {
        Owner().mLastStatus = status;
    }
}

void LBitmap::Adopt(GpBitmap* image)
{
    UINT width = 0;
    UINT height = 0;
    if (GdipGetImageWidth(image, &width) != Gdiplus::Ok ||
        GdipGetImageHeight(image, &height) != Gdiplus::Ok)
    {
        GdipDisposeImage(image);
        return;
    }
    mImage = image;
    mX = 0;
    mY = 0;
    mWidth = static_cast<LONG>(width);
    mHeight = static_cast<LONG>(height);
}

ConstRCPtr<LBitmap> LBitmap::GetBitmap(const WString& name)
{
    // Resource names are found in any letter case; file names are not, on this file system:
    // two files whose names differ only in case are two images.
    const WString key = IsResourceName(name) ? name.ToUpper() : GetLongPath(name);
    BitmapCache& cache = Cache();
    if (auto found = cache.find(key); found != cache.end())
    {
        return found->second;
    }
    RCPtr<LBitmap> bitmap(new LBitmap());
    bitmap->mName = name;
    bitmap->Load(name);
    bitmap->mKey = key;
    cache.emplace(key, bitmap);
    bitmap->AddInternalReference();
    return bitmap;
}

void LBitmap::Load(const WString& name)
{
    if (IsResourceName(name))
    {
        LoadResource(name);
        return;
    }
    GpBitmap* image = nullptr;
    if (GdipCreateBitmapFromFile(name.GetBuffer(), &image) == Gdiplus::Ok)
    {
        Adopt(image);
    }
}

void LBitmap::LoadResource(const WString& name)
{
    WString resourceName = name.Mid(2).ToUpper();
    resourceName.ReplaceAnyOf(L". ", L'_');
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, resourceName.GetBuffer(), L"GDIPLUS");
    if (resource == nullptr)
    {
        return;
    }
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL data = ::LoadResource(module, resource);
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes == nullptr)
    {
        return;
    }
    // GDI+ decodes from a stream over movable global memory holding a copy of the bytes.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (target != nullptr)
    {
        std::memcpy(target, bytes, size);
        GlobalUnlock(memory);
        IStream* stream = nullptr;
        if (CreateStreamOnHGlobal(memory, FALSE, &stream) == S_OK)
        {
            GpBitmap* image = nullptr;
            if (GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok)
            {
                Adopt(image);
            }
            stream->Release();
        }
    }
    if (memory != nullptr)
    {
        GlobalFree(memory);
    }
    FreeResource(data);
}

RCPtr<LBitmap> LBitmap::CreateSubBitmap(LONG x, LONG y, LONG width, LONG height) const
{
    if (width <= 0 || height <= 0)
    {
        x = 0;
        y = 0;
        width = mWidth;
        height = mHeight;
    }
    // Clipped to this bitmap, so that no part reaches outside the pixels it was cut from.
    const LONG left = Clamp(x, 0, mWidth);
    const LONG top = Clamp(y, 0, mHeight);
    const LONG right = Clamp(static_cast<long long>(x) + width, left, mWidth);
    const LONG bottom = Clamp(static_cast<long long>(y) + height, top, mHeight);
    RCPtr<LBitmap> part(new LBitmap());
    part->mX = mX + left;
    part->mY = mY + top;
    part->mWidth = right - left;
    part->mHeight = bottom - top;
    part->mParent = mParent != nullptr ? mParent : ConstRCPtr<LBitmap>(const_cast<LBitmap*>(this));
    return part;
}

GpBitmap* LBitmap::GetGdiplusBitmap() const
{
    for (const LBitmap* bitmap = this; bitmap != nullptr; bitmap = bitmap->mParent.Get())
    {
        if (bitmap->mImage != nullptr)
        {
            return bitmap->mImage;
        }
    }
    return nullptr;
}

RCPtr<LBitmap> LBitmap::CopyBitmap() const
{
    RCPtr<LBitmap> copy(new LBitmap());
    GpBitmap* image = GetGdiplusBitmap();
    if (image == nullptr || mWidth <= 0 || mHeight <= 0)
    {
        return copy;
    }
    Gdiplus::PixelFormat format = 0;
    GpBitmap* clone = nullptr;
    Gdiplus::Status status = GdipGetImagePixelFormat(image, &format);
    if (status == Gdiplus::Ok)
    {
        status = GdipCloneBitmapAreaI(mX, mY, mWidth, mHeight, format, image, &clone);
    }
    if (status != Gdiplus::Ok)
    {
        RecordStatus(status);
        return copy;
    }
    copy->Adopt(clone);
    return copy;
}

ConstRCPtr<LBitmapData> LBitmap::GetBitmapData(UINT lockMode) const
{
    ConstRCPtr<LBitmapData> parentData;
    if (mParent != nullptr)
    {
        parentData = mParent->GetBitmapData(lockMode);
    }
    return ConstRCPtr<LBitmapData>(
        new LBitmapData(ConstRCPtr<LBitmap>(const_cast<LBitmap*>(this)), lockMode, parentData));
}

ColorRGBA LBitmap::GetPixelColor(LONG x, LONG y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
    {
        RecordStatus(Gdiplus::InvalidParameter);
        return ColorRGBA();
    }
    ARGB color = 0;
    const Gdiplus::Status status = GdipBitmapGetPixel(GetGdiplusBitmap(), mX + x, mY + y, &color);
    if (status != Gdiplus::Ok)
    {
        RecordStatus(status);
        return ColorRGBA();
    }
    return ColorRGBA::FromPacked(color);
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             float amount)
{
    if (bitmap == nullptr || colorizer == nullptr)
    {
        ORV_THROW(std::runtime_error);
    }
    if (bitmap->mWidth <= 0 || bitmap->mHeight <= 0)
    {
        // An empty bitmap (an image that was not found) has no pixels to colorize.
        return;
    }
    GpBitmap* image = bitmap->GetGdiplusBitmap();
    if (IsSolid(*colorizer))
    {
        const ColorRGBA& color = colorizer->GetColor();
        const float a = color.alpha * amount;
        const float keep = 1.0f - a;
        const Gdiplus::Rect rect{bitmap->mX, bitmap->mY, bitmap->mWidth, bitmap->mHeight};
        Gdiplus::BitmapData data{};
        const Gdiplus::Status status = GdipBitmapLockBits(
            image, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
            Gdiplus::PixelFormat32bppARGB, &data);
        if (status != Gdiplus::Ok)
        {
            bitmap->RecordStatus(status);
            ORV_THROW(std::runtime_error);
        }
        for (UINT row = 0; row < data.Height; ++row)
        {
            BYTE* pixel = static_cast<BYTE*>(data.Scan0) + static_cast<size_t>(row) * data.Stride;
            for (UINT column = 0; column < data.Width; ++column, pixel += 4)
            {
                pixel[0] = BlendChannel(pixel[0], keep, color.blue * a);
                pixel[1] = BlendChannel(pixel[1], keep, color.green * a);
                pixel[2] = BlendChannel(pixel[2], keep, color.red * a);
            }
        }
        bitmap->RecordStatus(GdipBitmapUnlockBits(image, &data));
        return;
    }
    // A gradient: a colorized picture of the bitmap's size drawn over the image.
    RCPtr<LBitmap> colorized =
        CreateColorizedBitmap(colorizer, amount, SizeT<LONG>(bitmap->mWidth, bitmap->mHeight));
    GpGraphics* graphics = nullptr;
    Gdiplus::Status status = GdipGetImageGraphicsContext(image, &graphics);
    if (status == Gdiplus::Ok)
    {
        GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeHighQuality);
        GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHighQuality);
        GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceOver);
        const auto width = static_cast<REAL>(bitmap->mWidth);
        const auto height = static_cast<REAL>(bitmap->mHeight);
        status =
            GdipDrawImageRectRect(graphics, colorized->GetGdiplusBitmap(), 0, 0, width, height, 0,
                                  0, width, height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
        GdipDeleteGraphics(graphics);
    }
    bitmap->RecordStatus(status);
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float amount,
                                              const SizeT<LONG>& size)
{
    if (size.width <= 0 || size.height <= 0)
    {
        ORV_THROW(std::runtime_error);
    }
    if (colorizer == nullptr)
    {
        ORV_THROW(std::runtime_error, "Null Pointer", "no colorizer");
    }
    if (!IsSolid(*colorizer))
    {
        return CreateGradientFilledBitmap(colorizer, amount, size);
    }
    ColorRGBA color = colorizer->GetColor();
    color.alpha *= amount;
    return CreateFilledBitmap(size, color);
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float amount,
                                              const SizeT<LONG>& size,
                                              const ConstRCPtr<LBitmap>& source,
                                              const ConstRCPtr<LBitmap>& mask)
{
    RCPtr<LBitmap> copy;
    if (source != nullptr)
    {
        copy = source->CopyBitmap();
    }
    if (mask != nullptr)
    {
        // Masked colorizing is not offered; the text names the colorizing entry.
        ORV_THROW_FOR(std::domain_error, "Orv::LBitmap::ApplyColorizer");
    }
    if (copy == nullptr)
    {
        return CreateColorizedBitmap(colorizer, amount, size);
    }
    ApplyColorizer(copy, colorizer, amount);
    return copy;
}

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(const SizeT<LONG>& size, const ColorRGBA& color)
{
    if (size.width <= 0 || size.height <= 0)
    {
        ORV_THROW(std::runtime_error);
    }
    RCPtr<LBitmap> bitmap(new LBitmap());
    GpBitmap* image = nullptr;
    Gdiplus::Status status = GdipCreateBitmapFromScan0(
        size.width, size.height, size.width * 4, Gdiplus::PixelFormat32bppARGB, nullptr, &image);
    if (status != Gdiplus::Ok)
    {
        bitmap->RecordStatus(status);
        return bitmap;
    }
    const ARGB fill = ColorFromFloatRGBA(color);
    Gdiplus::BitmapData data{};
    status = GdipBitmapLockBits(image, nullptr, Gdiplus::ImageLockModeWrite,
                                Gdiplus::PixelFormat32bppARGB, &data);
    if (status == Gdiplus::Ok)
    {
        for (UINT row = 0; row < data.Height; ++row)
        {
            auto* pixels = reinterpret_cast<ARGB*>(static_cast<BYTE*>(data.Scan0) +
                                                   static_cast<size_t>(row) * data.Stride);
            for (UINT column = 0; column < data.Width; ++column)
            {
                pixels[column] = fill;
            }
        }
        status = GdipBitmapUnlockBits(image, &data);
    }
    bitmap->Adopt(image);
    bitmap->RecordStatus(status);
    return bitmap;
}

RCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(const ConstRCPtr<LColorizer>&, float,
                                                   const SizeT<LONG>&)
{
    ORV_THROW(std::domain_error);
}

ORVRESULT LBitmap::ReleaseInternalReferences()
{
    if (!mKey.IsEmpty() && gCache != nullptr)
    {
        auto found = gCache->find(mKey);
        if (found != gCache->end() && found->second.Get() == this)
        {
            mKey.Clear();
            ReleaseInternalReference();
            gCache->erase(found);
        }
    }
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}
} // namespace Orv
