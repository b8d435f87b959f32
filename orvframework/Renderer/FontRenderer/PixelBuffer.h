// 8-bit images: glyph bitmaps and the glyph atlases of the text path. One byte per pixel, rows of
// a fixed stride, row 0 first, in a reference-counted byte buffer.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Graphics/PixelBuffer.h"
#include "Utilities/Storage/Buffer.h"

namespace Orv
{
// The pixel-buffer interface over one-byte elements, reached by column and row.
template <>
class IPixelBuffer<unsigned char>
{
public:
    virtual ~IPixelBuffer() = default;

    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // Elements from one row to the next.
    virtual int GetStride() const = 0;
    // The element at x, y; null outside the image.
    virtual const unsigned char* GetPixel(int x, int y) const = 0;
    virtual unsigned char* GetPixel(int x, int y) = 0;
};

template <class T>
class LPixelBuffer;

template <>
class LPixelBuffer<unsigned char> : public IPixelBuffer<unsigned char>,
                                    public virtual LRefCountedObject
{
public:
    // A new image of width x height pixels. With source, stride * height bytes are copied from
    // it (the image never refers to it afterwards); without, a stride of 0 becomes the width
    // rounded up to a multiple of 16 and every pixel is 0. Null for a negative size, a stride
    // below the width, or an image too large for one buffer.
    static RCPtr<LPixelBuffer> Create(int width, int height, int stride,
                                      const unsigned char* source);

    int GetWidth() const override { return mWidth; }
    int GetHeight() const override { return mHeight; }
    int GetStride() const override { return mStride; }
    const unsigned char* GetPixel(int x, int y) const override;
    unsigned char* GetPixel(int x, int y) override;
    // The first row; null when the image has no pixels.
    const unsigned char* GetData() const;

    // Gives the image height rows, keeping the rows it has; new rows are 0. S_OK; E_INVALIDARG
    // for a negative height or one too large for one buffer; E_FAIL when the storage has no data
    // although the new height is not 0.
    ORVRESULT SetHeight(int height);

private:
    LPixelBuffer(int width, int height, int stride);

    int mWidth;
    int mHeight;
    int mStride;
    ConstRCPtr<LIBuffer> mStorage;
};
} // namespace Orv
