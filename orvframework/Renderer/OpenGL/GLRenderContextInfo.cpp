#include "Renderer/OpenGL/GLRenderContextInfo.h"

namespace Orv
{
LGLRenderContextInfo::LGLRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen)
    : LRenderContextInfo(bounds, window, offscreen)
{
    if (window != nullptr)
    {
        mSwapDC = GetDC(window);
    }
}

LGLRenderContextInfo::~LGLRenderContextInfo()
{
    // The surface goes while the device context it is deleted through is still there.
    mSurface.reset();
    if (mSwapDC != nullptr)
    {
        ReleaseDC(GetWindow(), mSwapDC);
    }
}

void LGLRenderContextInfo::ReadMaxViewportSize()
{
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    mMaxViewport = SizeT<LONG>(dims[0], dims[1]);
}

BOOL LGLRenderContextInfo::SwapBuffers() const
{
    if (IsOffscreen())
    {
        return TRUE;
    }
    return wglSwapLayerBuffers(mSwapDC, WGL_SWAP_MAIN_PLANE);
}
} // namespace Orv
