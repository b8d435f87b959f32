#include "Renderer/FontRenderer/PixelBuffer.h"

#include <climits>
#include <cstring>

namespace Orv
{
namespace
{
using PixelStorage = LBufferT<16, 0, 16, char*, &GetSystemAllocator>;

// stride * height when both are non-negative and the product fits one buffer; -1 otherwise.
long long StorageSize(int stride, int height)
{
    if (stride < 0 || height < 0)
    {
        return -1;
    }
    const long long size = static_cast<long long>(stride) * height;
    return size > static_cast<long long>(INT_MAX) ? -1 : size;
}
} // namespace

LPixelBuffer<unsigned char>::LPixelBuffer(int width, int height, int stride)
    : mWidth(width)
    , mHeight(height)
    , mStride(stride)
{
}

RCPtr<LPixelBuffer<unsigned char>>
LPixelBuffer<unsigned char>::Create(int width, int height, int stride, const unsigned char* source)
{
    if (width < 0 || height < 0 || stride < 0)
    {
        return RCPtr<LPixelBuffer>();
    }
    if (source == nullptr && stride == 0)
    {
        if (width > INT_MAX - 15)
        {
            return RCPtr<LPixelBuffer>();
        }
        stride = (width + 15) & ~15;
    }
    const long long size = StorageSize(stride, height);
    if (stride < width || size < 0)
    {
        return RCPtr<LPixelBuffer>();
    }
    RCPtr<LPixelBuffer> image(new LPixelBuffer(width, height, stride));
    PixelStorage::Create(image->mStorage, static_cast<unsigned int>(size), 0, source == nullptr);
    if (source != nullptr && size != 0)
    {
        std::memcpy(image->mStorage->GetData(), source, static_cast<size_t>(size));
    }
    return image;
}

const unsigned char* LPixelBuffer<unsigned char>::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight || mStorage == nullptr)
    {
        return nullptr;
    }
    const long long index = static_cast<long long>(mStride) * y + x;
    if (index + 1 > static_cast<long long>(mStorage->GetSize()))
    {
        return nullptr;
    }
    return static_cast<const unsigned char*>(mStorage->GetData()) + index;
}

unsigned char* LPixelBuffer<unsigned char>::GetPixel(int x, int y)
{
    return const_cast<unsigned char*>(static_cast<const LPixelBuffer*>(this)->GetPixel(x, y));
}

const unsigned char* LPixelBuffer<unsigned char>::GetData() const
{
    return mStorage == nullptr || mStorage->GetSize() == 0
               ? nullptr
               : static_cast<const unsigned char*>(mStorage->GetData());
}

ORVRESULT LPixelBuffer<unsigned char>::SetHeight(int height)
{
    const long long size = StorageSize(mStride, height);
    if (size < 0)
    {
        return E_INVALIDARG;
    }
    LIBuffer& storage = *mStorage.GetMutable();
    const unsigned int oldSize = storage.GetSize();
    storage.Resize(static_cast<unsigned int>(size));
    if (storage.GetSize() > oldSize)
    {
        storage.FillBytes(0, oldSize, -1);
    }
    mHeight = height;
    return storage.GetData() == nullptr && height != 0 ? E_FAIL : S_OK;
}
} // namespace Orv
