#include "Utilities/Graphics/BitmapData.h"

#include "Utilities/Graphics/Bitmap.h"

namespace Orv
{
LBitmapData::LBitmapData(const ConstRCPtr<LBitmap>& bitmap, UINT lockMode,
                         const ConstRCPtr<LBitmapData>& parentData)
    : mBitmap(bitmap)
{
    if (parentData != nullptr)
    {
        const GpBitmap* image = bitmap != nullptr ? bitmap->GetGdiplusBitmap() : nullptr;
        if (parentData->mBitmap == nullptr || parentData->mBitmap->GetGdiplusBitmap() != image)
        {
            ORV_THROW(std::domain_error);
        }
        mParentData = parentData;
        return;
    }
    if (bitmap == nullptr || bitmap->GetWidth() <= 0 || bitmap->GetHeight() <= 0)
    {
        return;
    }
    GpBitmap* image = bitmap->GetGdiplusBitmap();
    const Gdiplus::Rect rect{bitmap->GetX(), bitmap->GetY(), bitmap->GetWidth(),
                             bitmap->GetHeight()};
    const Gdiplus::Status status =
        GdipBitmapLockBits(image, &rect, lockMode, Gdiplus::PixelFormat32bppARGB, &mLocked);
    if (status != Gdiplus::Ok)
    {
        bitmap->RecordStatus(status);
        mLocked = Gdiplus::BitmapData{};
        return;
    }
    mLockedImage = image;
}

LBitmapData::~LBitmapData()
{
    if (mLockedImage != nullptr)
    {
        mBitmap->RecordStatus(GdipBitmapUnlockBits(mLockedImage, &mLocked));
    }
}

const Gdiplus::BitmapData& LBitmapData::Record() const
{
    return mParentData != nullptr ? mParentData->Record() : mLocked;
}

LONG LBitmapData::GetWidth() const
{
    return static_cast<LONG>(Record().Width);
}

LONG LBitmapData::GetHeight() const
{
    return static_cast<LONG>(Record().Height);
}

LONG LBitmapData::GetRowStride() const
{
    return Record().Stride;
}

BYTE* LBitmapData::GetPixelData() const
{
    return static_cast<BYTE*>(Record().Scan0);
}

BYTE* LBitmapData::GetPixelAddress(LONG x, LONG y) const
{
    const Gdiplus::BitmapData& record = Record();
    if (record.Scan0 == nullptr || x < 0 || y < 0 || static_cast<UINT>(x) >= record.Width ||
        static_cast<UINT>(y) >= record.Height)
    {
        return nullptr;
    }
    return static_cast<BYTE*>(record.Scan0) + static_cast<size_t>(y) * record.Stride +
           static_cast<size_t>(x) * 4;
}
} // namespace Orv
