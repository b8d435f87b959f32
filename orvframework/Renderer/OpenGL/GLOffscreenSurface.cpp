#include "Renderer/OpenGL/GLOffscreenSurface.h"

#include "Renderer/OpenGL/GLErrors.h"

namespace Orv
{
namespace
{
template <class Function>
Function Lookup(const char* name)
{
    return reinterpret_cast<Function>(wglGetProcAddress(name));
}
} // namespace

std::unique_ptr<GLOffscreenSurface> GLOffscreenSurface::Create(HDC dc, int width, int height)
{
    if (width <= 0 || height <= 0 || wglGetCurrentContext() == nullptr)
    {
        return nullptr;
    }
    Functions functions;
    functions.genFramebuffers = Lookup<PFNGLGENFRAMEBUFFERSEXTPROC>("glGenFramebuffersEXT");
    functions.deleteFramebuffers =
        Lookup<PFNGLDELETEFRAMEBUFFERSEXTPROC>("glDeleteFramebuffersEXT");
    functions.bindFramebuffer = Lookup<PFNGLBINDFRAMEBUFFEREXTPROC>("glBindFramebufferEXT");
    functions.framebufferTexture2D =
        Lookup<PFNGLFRAMEBUFFERTEXTURE2DEXTPROC>("glFramebufferTexture2DEXT");
    functions.checkFramebufferStatus =
        Lookup<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>("glCheckFramebufferStatusEXT");
    if (functions.genFramebuffers == nullptr || functions.deleteFramebuffers == nullptr ||
        functions.bindFramebuffer == nullptr || functions.framebufferTexture2D == nullptr ||
        functions.checkFramebufferStatus == nullptr)
    {
        return nullptr;
    }
    std::unique_ptr<GLOffscreenSurface> surface(
        new GLOffscreenSurface(functions, dc, width, height));
    surface->Bind();
    const GLenum status = functions.checkFramebufferStatus(GL_FRAMEBUFFER_EXT);
    surface->Unbind();
    DiscardGLErrors();
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT)
    {
        return nullptr;
    }
    return surface;
}

GLOffscreenSurface::GLOffscreenSurface(const Functions& functions, HDC dc, int width, int height)
    : mFunctions(functions)
    , mDC(dc)
    , mContext(wglGetCurrentContext())
    , mWidth(width)
    , mHeight(height)
{
    glGenTextures(2, mTextures);
    for (GLuint texture : mTextures)
    {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    mFunctions.genFramebuffers(1, &mFramebuffer);
    // A new surface is transparent.
    Bind();
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    for (GLuint texture : mTextures)
    {
        Attach(texture);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    Attach(mTextures[mFront]);
    if (scissor)
    {
        glEnable(GL_SCISSOR_TEST);
    }
    Unbind();
    DiscardGLErrors();
}

GLOffscreenSurface::~GLOffscreenSurface()
{
    HGLRC previous = wglGetCurrentContext();
    HDC previousDC = wglGetCurrentDC();
    const bool switched = previous != mContext;
    // A context that is gone took the names with it.
    if (switched && !wglMakeCurrent(mDC, mContext))
    {
        return;
    }
    mFunctions.deleteFramebuffers(1, &mFramebuffer);
    glDeleteTextures(2, mTextures);
    DiscardGLErrors();
    if (switched)
    {
        wglMakeCurrent(previousDC, previous);
    }
}

void GLOffscreenSurface::Attach(GLuint texture) const
{
    mFunctions.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                    texture, 0);
}

void GLOffscreenSurface::Bind() const
{
    mFunctions.bindFramebuffer(GL_FRAMEBUFFER_EXT, mFramebuffer);
}

void GLOffscreenSurface::Unbind() const
{
    mFunctions.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
}

void GLOffscreenSurface::BeginScroll()
{
    Bind();
    Attach(mTextures[1 - mFront]);
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    if (scissor)
    {
        glEnable(GL_SCISSOR_TEST);
    }
}

void GLOffscreenSurface::EndScroll()
{
    mFront = 1 - mFront;
    Attach(mTextures[mFront]);
}
} // namespace Orv
