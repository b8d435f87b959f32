// An integer region: a set of pixels held as a list of rectangles by their edges (right and
// bottom exclusive). After AddRect the rectangles never overlap; AppendRects may bring
// overlapping ones in. The list nodes come from the process-wide RegionNodePool.
//
// A region has no lock of its own: its owner serialises access. Different regions may be used on
// different threads.
#pragma once

#include "Renderer/RegionNodePool.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/Array.h"

namespace Orv
{
class LRegion
{
public:
    LRegion() = default;
    // A copy holds its own nodes, in the same order.
    LRegion(const LRegion& other);
    LRegion& operator=(const LRegion& other);
    LRegion(LRegion&& other) noexcept;
    LRegion& operator=(LRegion&& other) noexcept;
    ~LRegion();

    // Ignores an empty rectangle; otherwise removes the part of the region the rectangle covers
    // and puts the rectangle at the front of the list.
    void AddRect(const RECT& rect);
    // x, y, width and height each rounded by adding 0.5 and truncating; then as above.
    void AddRect(const RectT<double>& rect);
    // Puts a copy of each of other's rectangles, in other's order, at the front of the list;
    // nothing is removed, so rectangles may overlap.
    void AppendRects(const LRegion& other);
    void Clear();
    // Removes the part the rectangle covers; the removed pieces go to the front of output when
    // one is given. An empty rectangle covers nothing.
    void SubtractRect(const RECT& rect, LRegion* output = nullptr);
    // SubtractRect for each rectangle of other, in other's order.
    void Subtract(const LRegion& other, LRegion* output = nullptr);
    // Keeps only the part that other covers.
    void Intersect(const LRegion& other);
    void Offset(LONG dx, LONG dy);
    // The smallest rectangle holding every rectangle; false and all zero for an empty region.
    bool GetBounds(RECT& bounds) const;
    unsigned int GetRectCount() const;
    // Empties the array and appends every rectangle as x, y, width, height, in list order.
    void GetRects(IArray<RectT<LONG>>& rects) const;
    // True when some rectangle overlaps the rectangle (touching is not overlapping; an empty
    // rectangle overlaps nothing).
    bool Intersects(const RECT& rect) const;
    // The rectangle moved by offset and limited to 0 .. 2147483647 on both axes, its edges
    // rounded half away from zero; false when nothing of it remains.
    bool Intersects(const RectT<double>& rect, const PointT<double>& offset) const;
    // Brings the list into bands of equal top and bottom, sorted by top, and merges rectangles
    // that touch side by side within a band and those that continue one another across bands.
    void Normalize();

    bool IsEmpty() const { return mFirst == nullptr; }
    void Swap(LRegion& other) noexcept;

private:
    void PushFront(const RECT& rect);
    void CopyFrom(const LRegion& other);
    static unsigned int CountNodes(const RegionNode* first);
    void SplitIntoBands();
    void MergeWithinBands();
    void MergeAcrossBands();

    RegionNode* mFirst = nullptr;
};
} // namespace Orv
