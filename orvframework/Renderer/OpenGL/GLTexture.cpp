#include "Renderer/OpenGL/GLTexture.h"

#include "Renderer/OpenGL/GLErrors.h"
#include "Utilities/Graphics/Bitmap.h"

namespace Orv
{
int NextPowerOfTwo(int n)
{
    int p = 1;
    while (n > p && p < 16384)
    {
        p *= 2;
    }
    return n < p - p / 2 ? p / 2 : p;
}

LGLTexture::~LGLTexture()
{
    if (mName != kNoName && glIsTexture(mName))
    {
        glDeleteTextures(1, &mName);
    }
    mName = kNoName;
    mTextureWidth = mTextureHeight = 0;
    mImageWidth = mImageHeight = 0;
    mScaledWidth = mScaledHeight = 0;
    mBitmap = nullptr;
}

int LGLTexture::FitToProxy(GLint internalFormat, GLenum format, GLenum type)
{
    int reduction = 1;
    while (mTextureWidth > 1 && mTextureHeight > 1)
    {
        const auto width = static_cast<GLsizei>(mTextureWidth);
        const auto height = static_cast<GLsizei>(mTextureHeight);
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type,
                     nullptr);
        // A size the driver cannot take leaves the proxy without size (an error may or may not
        // be raised as well).
        GLint proxyWidth = 0;
        GLint proxyHeight = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &proxyHeight);
        const bool failed = glGetError() != GL_NO_ERROR;
        DiscardGLErrors();
        if (!failed && proxyWidth == width && proxyHeight == height)
        {
            break;
        }
        mTextureWidth = static_cast<float>(width / 2);
        mTextureHeight = static_cast<float>(height / 2);
        reduction *= 2;
    }
    return reduction;
}

void LGLTexture::Create(LGLTextureImage& image, GLint internalFormat, unsigned int options,
                        float scale)
{
    const bool alpha = internalFormat == GL_ALPHA8 || internalFormat == GL_ALPHA4;
    const GLenum format = alpha ? GL_ALPHA : image.GetFormat();
    const GLenum type = alpha ? GL_UNSIGNED_BYTE : image.GetType();
    if (mName == kNoName || !glIsTexture(mName))
    {
        glGenTextures(1, &mName);
    }
    glBindTexture(mTarget, mName);

    mImageWidth = static_cast<float>(image.GetWidth());
    mImageHeight = static_cast<float>(image.GetHeight());
    mScaledWidth = mImageWidth / scale;
    mScaledHeight = mImageHeight / scale;
    mTextureWidth = static_cast<float>(NextPowerOfTwo(image.GetWidth()));
    mTextureHeight = static_cast<float>(NextPowerOfTwo(image.GetHeight()));

    const bool nearest = (options & kNearest) != 0;
    const bool mipmaps = (options & kMipmaps) != 0;
    const bool repeat = (options & kRepeat) != 0;
    glTexParameteri(mTarget, GL_TEXTURE_MIN_FILTER,
                    nearest ? (mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                            : (mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR));
    glTexParameteri(mTarget, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_S, repeat ? GL_REPEAT : GL_CLAMP);
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_T, repeat ? GL_REPEAT : GL_CLAMP);
    DiscardGLErrors();

    const int reduction = FitToProxy(internalFormat, format, type);
    glTexImage2D(mTarget, 0, internalFormat, static_cast<GLsizei>(mTextureWidth),
                 static_cast<GLsizei>(mTextureHeight), 0, format, type, nullptr);
    DiscardGLErrors();

    // An image that does not fit is scaled down to the texture; so is any image of a texture
    // that was reduced or repeats, which must fill it.
    const bool exceeds = mImageWidth > mTextureWidth || mImageHeight > mTextureHeight;
    const bool differs = mImageWidth != mTextureWidth || mImageHeight != mTextureHeight;
    if (differs && (exceeds || reduction >= 2 || repeat))
    {
        image.ScaleTo(static_cast<int>(mTextureWidth), static_cast<int>(mTextureHeight));
        mImageWidth = mTextureWidth;
        mImageHeight = mTextureHeight;
    }
    if (alpha)
    {
        image.ConvertToAlpha();
    }
    image.Upload(mTarget, internalFormat, mipmaps);
}

void LGLTexture::SetBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    mBitmap = bitmap;
    if (bitmap == nullptr)
    {
        return;
    }
    // The pixels of the image the bitmap lies in.
    const LBitmap& owner = bitmap->GetParent() != nullptr ? *bitmap->GetParent() : *bitmap;
    ConstRCPtr<LBitmapData> data = owner.GetBitmapData(Gdiplus::ImageLockModeRead);
    LGLTextureImage image;
    if (data != nullptr && data->GetPixelData() != nullptr)
    {
        image.SetExternalData(data->GetPixelData(), data->GetRowStride(), 4, data->GetWidth(),
                              data->GetHeight(), GL_BGRA, GL_UNSIGNED_BYTE);
    }
    Create(image, GL_RGBA8, 0, 1.0f);
}

void LGLTexture::Draw(const float source[4], const float destination[4]) const
{
    if (mTextureWidth <= 0 || mTextureHeight <= 0 || mScaledWidth <= 0 || mScaledHeight <= 0)
    {
        return;
    }
    glEnable(mTarget);
    glBindTexture(mTarget, mName);
    // Source units over the scaled size give the fraction of the image; the image covers
    // image size / texture size of the texture.
    const float s = mImageWidth / (mScaledWidth * mTextureWidth);
    const float t = mImageHeight / (mScaledHeight * mTextureHeight);
    const float left = source[0] * s;
    const float top = source[1] * t;
    const float right = source[2] * s;
    const float bottom = source[3] * t;
    glBegin(GL_QUADS);
    glTexCoord2f(left, top);
    glVertex2f(destination[0], destination[1]);
    glTexCoord2f(left, bottom);
    glVertex2f(destination[0], destination[3]);
    glTexCoord2f(right, bottom);
    glVertex2f(destination[2], destination[3]);
    glTexCoord2f(right, top);
    glVertex2f(destination[2], destination[1]);
    glEnd();
    glDisable(mTarget);
}
} // namespace Orv
