#include "Renderer/RenderContextInfo.h"

namespace Orv
{
LRenderContextInfo::LRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen)
    : mWindow(window)
    , mOffscreen(offscreen)
    , mBounds(bounds)
{
    if (window != nullptr)
    {
        mDeviceContext = GetDC(window);
    }
}

LRenderContextInfo::~LRenderContextInfo()
{
    mSavedStates.clear();
    mState.stencil = nullptr;
    mDirty.Clear();
    // The device context goes back to its window with the context.
    if (mDeviceContext != nullptr)
    {
        ReleaseDC(mWindow, mDeviceContext);
    }
}
} // namespace Orv
