// A list of rectangles, each with its packed colour (0xAARRGGBB), and a horizontal and vertical
// scale for all of them: what the renderer's DrawColorRectList fills.
#pragma once

#include "Utilities/Geometry/Geometry.h"

#include <vector>

namespace Orv
{
template <class T>
class ColorRectListT
{
public:
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
    void SetScale(const PointT<float>& scale) { mScale = scale; }
    bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

private:
    std::vector<RectT<T>> mRects;
    std::vector<DWORD> mColors;
    PointT<float> mScale{1.0f, 1.0f};
    bool mChanged = true;
};
} // namespace Orv
