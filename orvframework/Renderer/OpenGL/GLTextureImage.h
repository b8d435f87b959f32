// A pixel image handed to an OpenGL texture: memory described in OpenGL's terms (format, type,
// row stride, bytes per pixel), its own pixels or another's. It can be rescaled or turned into an
// 8-bit alpha image before it is uploaded. Moving an image moves its pixels and leaves the source
// empty.
//
// Rescaling and uploading need an OpenGL context current. UI thread only.
#pragma once

#include "platform/Wgl.h"

#include <vector>

namespace Orv
{
class LGLTextureImage
{
public:
    LGLTextureImage() = default;
    LGLTextureImage(LGLTextureImage&& other) noexcept;
    LGLTextureImage& operator=(LGLTextureImage&& other) noexcept;
    LGLTextureImage(const LGLTextureImage&) = delete;
    LGLTextureImage& operator=(const LGLTextureImage&) = delete;
    ~LGLTextureImage() = default;

    // Describes pixels the image does not own (its own pixels are freed first).
    void SetExternalData(const void* data, int stride, int bytesPerPixel, int width, int height,
                         GLenum format, GLenum type);
    // Frees the pixels it owns; the image becomes empty.
    void Release();

    // Makes the 32-bit image an owned 8-bit alpha image of the same size (format GL_ALPHA): 0 for a
    // pixel whose 32 bits are 0, else 255 minus the luminance 0.3 R + 0.59 G + 0.11 B (truncated);
    // the pixel's alpha byte is not read. Rows are padded to a multiple of 4 bytes.
    void ConvertToAlpha();
    // Makes the image an owned image of the new size through GLU (same format and type; rows
    // padded to a multiple of 4 bytes).
    void ScaleTo(int width, int height);
    // Puts the image at the top-left corner of the bound texture's level 0, or builds every mipmap
    // level of it.
    void Upload(GLenum target, GLint internalFormat, bool mipmaps) const;

    GLenum GetFormat() const { return mFormat; }
    GLenum GetType() const { return mType; }
    bool OwnsData() const { return mOwnsData; }
    const unsigned char* GetData() const { return mData; }
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetStride() const { return mStride; }
    int GetBytesPerPixel() const { return mBytesPerPixel; }

private:
    // Sets the unpack modes that read this image's rows.
    void SetUnpackModes() const;
    // Takes owned pixels of the size as the image's.
    void Own(std::vector<unsigned char>&& pixels, int stride, int bytesPerPixel, int width,
             int height, GLenum format, GLenum type);

    GLenum mFormat = 0;
    GLenum mType = 0;
    bool mOwnsData = false;
    const unsigned char* mData = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    int mStride = 0;
    int mBytesPerPixel = 0;
    std::vector<unsigned char> mOwned;
};
} // namespace Orv
