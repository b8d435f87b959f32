// The surface an off-screen OpenGL render context draws into: a framebuffer object whose colour
// buffer is a texture of the context's size, so that other contexts can draw from it. It keeps a
// second texture of the same size for scrolling, which draws the surface into that one and makes
// it the surface.
//
// The names belong to the OpenGL context current at Create. The destructor deletes them with
// that context made current for the moment when another one is. UI thread only.
#pragma once

#include "platform/Wgl.h"

#include <memory>

namespace Orv
{
class GLOffscreenSurface
{
public:
    // A surface of the size for the current context, drawn through dc; null when the context
    // offers no framebuffer objects or the size is empty.
    static std::unique_ptr<GLOffscreenSurface> Create(HDC dc, int width, int height);
    ~GLOffscreenSurface();
    GLOffscreenSurface(const GLOffscreenSurface&) = delete;
    GLOffscreenSurface& operator=(const GLOffscreenSurface&) = delete;

    // Drawing goes into the surface.
    void Bind() const;
    // Drawing goes to the window's own buffers again.
    void Unbind() const;
    // Drawing goes into the second texture, cleared to transparent; GetTexture stays the
    // surface's until EndScroll makes the second texture the surface.
    void BeginScroll();
    void EndScroll();

    // The texture holding what was drawn (rows bottom-up).
    GLuint GetTexture() const { return mTextures[mFront]; }
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }

private:
    struct Functions
    {
        PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers = nullptr;
        PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers = nullptr;
        PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer = nullptr;
        PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D = nullptr;
        PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus = nullptr;
    };

    GLOffscreenSurface(const Functions& functions, HDC dc, int width, int height);
    // Makes the texture the framebuffer's colour buffer.
    void Attach(GLuint texture) const;

    Functions mFunctions;
    HDC mDC;
    HGLRC mContext;
    int mWidth;
    int mHeight;
    GLuint mFramebuffer = 0;
    GLuint mTextures[2] = {0, 0};
    int mFront = 0;
};
} // namespace Orv
