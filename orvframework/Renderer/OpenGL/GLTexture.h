// An OpenGL texture made from a pixel image, drawn as textured quads. A bitmap's texture is made
// from the whole image the bitmap lies in, so one texture serves every part of that image. A
// texture is a power of two wide and high, at most the driver's largest; an image that does not
// fit is scaled down to it, a smaller one fills its top-left corner (or, for a repeating texture,
// is scaled up to fill it).
//
// The texture belongs to the OpenGL context current when it was made; that context must be
// current whenever it is made, drawn or deleted (without it nothing happens). UI thread only.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Renderer/OpenGL/GLTextureImage.h"

namespace Orv
{
class LBitmap;

// The texture size for an image size: the smallest power of two not below n, at most 16384; 0
// for n below 1.
int NextPowerOfTwo(int n);

class LGLTexture : public virtual LRefCountedObject
{
public:
    static constexpr GLuint kNoName = 0xFFFFFFFFu;
    // Options of Create.
    static constexpr unsigned int kNearest = 1;
    static constexpr unsigned int kRepeat = 2;
    static constexpr unsigned int kMipmaps = 4;

    LGLTexture() = default;
    ~LGLTexture() override;
    LGLTexture(const LGLTexture&) = delete;
    LGLTexture& operator=(const LGLTexture&) = delete;

    // (Re)makes the texture from the image (which may be scaled or converted on the way). An
    // internal format of GL_ALPHA8 or GL_ALPHA4 makes an alpha texture of the image's luminance.
    // The scaled size is the image size divided by scale: the units Draw's source is given in.
    void Create(LGLTextureImage& image, GLint internalFormat, unsigned int options, float scale);
    // Keeps the bitmap and makes the texture from the pixels of the image it lies in (linear
    // filtering, clamped, no mipmaps).
    void SetBitmap(const ConstRCPtr<LBitmap>& bitmap);
    // One textured quad; both rectangles are left, top, right, bottom: the source in the scaled
    // units of the image, the destination in drawing coordinates.
    void Draw(const float source[4], const float destination[4]) const;

    GLenum GetTarget() const { return mTarget; }
    GLuint GetName() const { return mName; }
    float GetTextureWidth() const { return mTextureWidth; }
    float GetTextureHeight() const { return mTextureHeight; }
    float GetImageWidth() const { return mImageWidth; }
    float GetImageHeight() const { return mImageHeight; }
    float GetScaledWidth() const { return mScaledWidth; }
    float GetScaledHeight() const { return mScaledHeight; }
    const ConstRCPtr<LBitmap>& GetBitmap() const { return mBitmap; }

private:
    // Halves the texture size until the driver accepts it; returns the reduction factor.
    int FitToProxy(GLint internalFormat, GLenum format, GLenum type);

    GLenum mTarget = GL_TEXTURE_2D;
    GLuint mName = kNoName;
    float mTextureWidth = 0;
    float mTextureHeight = 0;
    float mImageWidth = 0;
    float mImageHeight = 0;
    float mScaledWidth = 0;
    float mScaledHeight = 0;
    ConstRCPtr<LBitmap> mBitmap;
};
} // namespace Orv
