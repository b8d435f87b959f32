// One drawing target while it is drawn: a window's client area or an off-screen surface. It keeps
// the target's bounds, the dirty region of the pass, the current render state and the stack of
// saved states. Back-ends derive their own contexts from it.
#pragma once

#include "Renderer/Region.h"
#include "Renderer/RenderState.h"
#include "platform/Gdi.h"

#include <deque>

namespace Orv
{
class LRenderContextInfo : public LRefCountedObject
{
public:
    // window may be null; a context made with a window takes its device context.
    LRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen);
    ~LRenderContextInfo() override;
    LRenderContextInfo(const LRenderContextInfo&) = delete;
    LRenderContextInfo& operator=(const LRenderContextInfo&) = delete;

    // The largest surface the back-end accepts.
    virtual SizeT<LONG> GetMaxSize() const = 0;

    HWND GetWindow() const { return mWindow; }
    // Set for a context that draws only into its off-screen surface, never to a window.
    bool IsOffscreen() const { return mOffscreen; }
    HDC GetDeviceContext() const { return mDeviceContext; }

    // The part of the target to be drawn and copied out in this pass; empty at creation.
    LRegion& GetDirtyRegion() { return mDirty; }
    const LRegion& GetDirtyRegion() const { return mDirty; }
    const RectT<LONG>& GetBounds() const { return mBounds; }
    void SetBounds(const RectT<LONG>& bounds) { mBounds = bounds; }
    RenderState& GetState() { return mState; }
    const RenderState& GetState() const { return mState; }
    // The last element is the most recently saved state.
    std::deque<RenderState>& GetSavedStates() { return mSavedStates; }
    const std::deque<RenderState>& GetSavedStates() const { return mSavedStates; }

private:
    HWND mWindow;
    bool mOffscreen;
    LRegion mDirty;
    RectT<LONG> mBounds;
    RenderState mState;
    std::deque<RenderState> mSavedStates;
    HDC mDeviceContext = nullptr;
};
} // namespace Orv
