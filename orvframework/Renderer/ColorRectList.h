// A list of rectangles, each with its packed colour (0xAARRGGBB), and a horizontal and vertical
// scale for all of them: what the renderer's DrawColorRectList fills. Renderers may cache what
// they make of a list under its handle; the owner sets the changed flag when the list changes,
// and a cached draw clears it. Handles come from a process-wide counter, so a list made after
// another one died never takes over what was cached for it.
#pragma once

#include "Utilities/Geometry/Geometry.h"

#include <atomic>
#include <vector>

namespace Orv
{
template <class T>
class ColorRectListT
{
public:
    ColorRectListT()
        : mHandle(NextHandle())
    {
    }
    // A copy is a list of its own, with its own handle.
    ColorRectListT(const ColorRectListT& other)
        : mRects(other.mRects)
        , mColors(other.mColors)
        , mScale(other.mScale)
        , mHandle(NextHandle())
    {
    }
    ColorRectListT& operator=(const ColorRectListT& other)
    {
        mRects = other.mRects;
        mColors = other.mColors;
        mScale = other.mScale;
        mChanged = true;
        return *this;
    }

    static int GetHandle(const ColorRectListT& list) { return list.mHandle; }

    unsigned int GetCount() const { return static_cast<unsigned int>(mRects.size()); }
    const RectT<T>& GetRect(unsigned int index) const { return mRects.at(index); }
    DWORD GetColor(unsigned int index) const { return mColors.at(index); }
    void AddRect(const RectT<T>& rect, DWORD color)
    {
        mRects.push_back(rect);
        mColors.push_back(color);
        mChanged = true;
    }
    void Clear()
    {
        mRects.clear();
        mColors.clear();
        mChanged = true;
    }
    const PointT<float>& GetScale() const { return mScale; }
    void SetScale(const PointT<float>& scale)
    {
        mScale = scale;
        mChanged = true;
    }
    bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }
    // Reads the changed flag and clears it, as a cached draw does. The flag is the caches'
    // bookkeeping, so a draw that is given the list as const may clear it.
    bool TakeChanged() const
    {
        const bool changed = mChanged;
        mChanged = false;
        return changed;
    }

private:
    static int NextHandle()
    {
        static std::atomic<int> counter{0};
        return counter.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    std::vector<RectT<T>> mRects;
    std::vector<DWORD> mColors;
    PointT<float> mScale{1.0f, 1.0f};
    mutable bool mChanged = true;
    int mHandle;
};
} // namespace Orv
