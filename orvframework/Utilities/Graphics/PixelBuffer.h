// Direct access to a block of 32-bit pixels (bytes blue, green, red, alpha) in rows.
#pragma once

#include "platform/Types.h"

namespace Orv
{
template <class T>
class IPixelBuffer
{
public:
    virtual ~IPixelBuffer() = default;

    virtual T GetWidth() const = 0;
    virtual T GetHeight() const = 0;
    // Bytes from one row to the next.
    virtual T GetRowStride() const = 0;
    // The first row; null when there are no pixels.
    virtual BYTE* GetPixelData() const = 0;
    // The pixel at x, y; null outside the block.
    virtual BYTE* GetPixelAddress(T x, T y) const = 0;
};
} // namespace Orv
