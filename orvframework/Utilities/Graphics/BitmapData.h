// Locked pixel access to a bitmap. An owner bitmap's data locks its rectangle of the image in
// 32-bit ARGB (not premultiplied) with the asked lock mode and unlocks it when it dies, writing
// the pixels back when the mode includes writing. A part's data shares the lock of its parent's
// data: it answers with the pixels of the whole image, and the part's offset tells where the part
// lies in them. The data keeps its bitmap alive and locked until it is released.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Graphics/PixelBuffer.h"
#include "platform/GdiPlus.h"

namespace Orv
{
class LBitmap;

class LBitmapData : public IPixelBuffer<LONG>, public virtual LRefCountedObject
{
public:
    // Without parent data: locks the bitmap's rectangle (a failure is recorded on the image and
    // leaves the data without pixels). With parent data, which must be the data of the image
    // the bitmap lies in: shares it (else throws the domain error).
    LBitmapData(const ConstRCPtr<LBitmap>& bitmap, UINT lockMode,
                const ConstRCPtr<LBitmapData>& parentData);
    ~LBitmapData() override;
    LBitmapData(const LBitmapData&) = delete;
    LBitmapData& operator=(const LBitmapData&) = delete;

    LONG GetWidth() const override;
    LONG GetHeight() const override;
    LONG GetRowStride() const override;
    BYTE* GetPixelData() const override;
    BYTE* GetPixelAddress(LONG x, LONG y) const override;

    const ConstRCPtr<LBitmap>& GetBitmap() const { return mBitmap; }

private:
    // The record whose pixels this data answers with: its own, or its parent's.
    const Gdiplus::BitmapData& Record() const;

    ConstRCPtr<LBitmap> mBitmap;
    Gdiplus::BitmapData mLocked{};
    ConstRCPtr<LBitmapData> mParentData;
    GpBitmap* mLockedImage = nullptr;
};
} // namespace Orv
