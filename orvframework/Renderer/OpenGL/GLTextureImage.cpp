#include "Renderer/OpenGL/GLTextureImage.h"

#include "Renderer/OpenGL/GLErrors.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace Orv
{
namespace
{
int PaddedToFour(long long bytes)
{
    return static_cast<int>((bytes + 3) / 4 * 4);
}
} // namespace

LGLTextureImage::LGLTextureImage(LGLTextureImage&& other) noexcept
{
    *this = std::move(other);
}

LGLTextureImage& LGLTextureImage::operator=(LGLTextureImage&& other) noexcept
{
    if (this != &other)
    {
        mFormat = std::exchange(other.mFormat, 0);
        mType = std::exchange(other.mType, 0);
        mOwnsData = std::exchange(other.mOwnsData, false);
        mData = std::exchange(other.mData, nullptr);
        mWidth = std::exchange(other.mWidth, 0);
        mHeight = std::exchange(other.mHeight, 0);
        mStride = std::exchange(other.mStride, 0);
        mBytesPerPixel = std::exchange(other.mBytesPerPixel, 0);
        // A vector's storage keeps its address when it moves.
        mOwned = std::move(other.mOwned);
        other.mOwned.clear();
    }
    return *this;
}

void LGLTextureImage::SetExternalData(const void* data, int stride, int bytesPerPixel, int width,
                                      int height, GLenum format, GLenum type)
{
    Release();
    mData = static_cast<const unsigned char*>(data);
    mStride = stride;
    mBytesPerPixel = bytesPerPixel;
    mWidth = width;
    mHeight = height;
    mFormat = format;
    mType = type;
}

void LGLTextureImage::Release()
{
    *this = LGLTextureImage();
}

void LGLTextureImage::Own(std::vector<unsigned char>&& pixels, int stride, int bytesPerPixel,
                          int width, int height, GLenum format, GLenum type)
{
    Release();
    mOwned = std::move(pixels);
    mOwnsData = true;
    mData = mOwned.data();
    mStride = stride;
    mBytesPerPixel = bytesPerPixel;
    mWidth = width;
    mHeight = height;
    mFormat = format;
    mType = type;
}

void LGLTextureImage::ConvertToAlpha()
{
    const int stride = PaddedToFour(mWidth);
    std::vector<unsigned char> alpha(static_cast<size_t>(stride) *
                                     static_cast<size_t>(mHeight > 0 ? mHeight : 0));
    if (mData != nullptr && mBytesPerPixel == 4)
    {
        for (int y = 0; y < mHeight; ++y)
        {
            const unsigned char* from = mData + static_cast<long long>(y) * mStride;
            unsigned char* to = alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
            for (int x = 0; x < mWidth; ++x)
            {
                std::uint32_t p = 0;
                std::memcpy(&p, from + 4 * static_cast<size_t>(x), 4);
                if (p == 0)
                {
                    to[x] = 0;
                    continue;
                }
                const double luminance =
                    ((p >> 8) & 0xFF) * 0.59 + ((p >> 16) & 0xFF) * 0.3 + (p & 0xFF) * 0.11;
                to[x] = static_cast<unsigned char>(255 - static_cast<int>(luminance));
            }
        }
    }
    Own(std::move(alpha), stride, 1, mWidth, mHeight, GL_ALPHA, GL_UNSIGNED_BYTE);
}

void LGLTextureImage::ScaleTo(int width, int height)
{
    const int stride = PaddedToFour(static_cast<long long>(mBytesPerPixel) * width);
    std::vector<unsigned char> scaled(static_cast<size_t>(stride) *
                                      static_cast<size_t>(height > 0 ? height : 0));
    SetUnpackModes();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    gluScaleImage(mFormat, mWidth, mHeight, mType, mData, width, height, mType, scaled.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    DiscardGLErrors();
    Own(std::move(scaled), stride, mBytesPerPixel, width, height, mFormat, mType);
}

void LGLTextureImage::SetUnpackModes() const
{
    const int bytesPerPixel = mBytesPerPixel > 0 ? mBytesPerPixel : 1;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, mStride / bytesPerPixel);
    const int remainder = mStride % bytesPerPixel;
    int alignment = 1;
    while (remainder != 0 && alignment <= remainder)
    {
        alignment *= 2;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void LGLTextureImage::Upload(GLenum target, GLint internalFormat, bool mipmaps) const
{
    SetUnpackModes();
    if (mipmaps)
    {
        gluBuild2DMipmaps(target, internalFormat, mWidth, mHeight, mFormat, mType, mData);
    }
    else
    {
        glTexSubImage2D(target, 0, 0, 0, mWidth, mHeight, mFormat, mType, mData);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    DiscardGLErrors();
}
} // namespace Orv
