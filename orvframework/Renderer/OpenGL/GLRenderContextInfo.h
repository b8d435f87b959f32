// The OpenGL back-end's render context: a window's client area (whose buffers are swapped when a
// frame ends) or an off-screen surface of its own that other contexts draw from. It keeps a
// second device context of the window for the swap and the largest viewport the OpenGL context
// accepts.
#pragma once

#include "Renderer/OpenGL/GLOffscreenSurface.h"
#include "Renderer/RenderContextInfo.h"

#include <memory>

namespace Orv
{
class LGLRenderContextInfo : public LRenderContextInfo
{
public:
    LGLRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen);
    ~LGLRenderContextInfo() override;
    LGLRenderContextInfo(const LGLRenderContextInfo&) = delete;
    LGLRenderContextInfo& operator=(const LGLRenderContextInfo&) = delete;

    // The largest viewport, as read from the OpenGL context (0 by 0 until read, or when the query
    // failed).
    SizeT<LONG> GetMaxSize() const override { return GetMaxViewportSize(); }
    SizeT<LONG> GetMaxViewportSize() const { return mMaxViewport; }
    // Reads GL_MAX_VIEWPORT_DIMS of the current OpenGL context.
    void ReadMaxViewportSize();

    // Shows the back buffer on the window; nothing for an off-screen context. FALSE when the
    // swap failed.
    BOOL SwapBuffers() const;
    HDC GetSwapDeviceContext() const { return mSwapDC; }

    // The off-screen surface; null before the first frame of an off-screen context (and for a
    // context that is not off-screen, or when the OpenGL context has no framebuffer objects).
    GLOffscreenSurface* GetSurface() const { return mSurface.get(); }
    void SetSurface(std::unique_ptr<GLOffscreenSurface> surface) { mSurface = std::move(surface); }

private:
    HDC mSwapDC = nullptr;
    SizeT<LONG> mMaxViewport;
    std::unique_ptr<GLOffscreenSurface> mSurface;
};
} // namespace Orv
