// The key of the GDI+ renderer's bitmap cache: a bitmap, the size it is drawn at and how it is
// fitted to that size. Two descriptors are equal when they name the same bitmap object, size and
// resize type. Descriptors of all parts of one image fall into one bucket: the bucket is taken
// from the address of the image that owns the pixels.
#pragma once

#include "Utilities/Graphics/Bitmap.h"
#include "Utilities/Storage/HashBits.h"

#include <cstdint>

namespace Orv
{
template <unsigned int HashBits>
class CashableBitmapDescriptor
{
public:
    CashableBitmapDescriptor() = default;
    CashableBitmapDescriptor(const ConstRCPtr<LBitmap>& bitmapValue, LONG widthValue,
                             LONG heightValue, int resizeTypeValue)
        : bitmap(bitmapValue)
        , width(widthValue)
        , height(heightValue)
        , resizeType(resizeTypeValue)
    {
    }

    bool operator==(const CashableBitmapDescriptor& other) const
    {
        return bitmap.Get() == other.bitmap.Get() && width == other.width &&
               height == other.height && resizeType == other.resizeType;
    }

    // Bits 4 .. 4 + HashBits - 1 of the address of the image that owns the bitmap's pixels.
    static unsigned int GetHashBits(const CashableBitmapDescriptor& descriptor)
    {
        const GpBitmap* image =
            descriptor.bitmap != nullptr ? descriptor.bitmap->GetGdiplusBitmap() : nullptr;
        return GetBits<HashBits, 4>(reinterpret_cast<std::uintptr_t>(image));
    }

    ConstRCPtr<LBitmap> bitmap;
    LONG width = 0;
    LONG height = 0;
    // The resize type the picture was made with: a bitmap drawn at one size stretched and tiled
    // is two pictures.
    int resizeType = 0;
};
} // namespace Orv
