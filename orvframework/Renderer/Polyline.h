// A list of points with a line width, drawn by the renderer's line and polygon operations.
// Renderers cache the path they build for a polyline under its handle; the owner sets the changed
// flag when the points change, and a cached draw clears it. Handles come from a process-wide
// counter, so a polyline made after another one died never takes over its cached path.
#pragma once

#include "Utilities/Geometry/Geometry.h"

#include <atomic>
#include <vector>

namespace Orv
{
template <class T>
class PolylineT
{
public:
    PolylineT()
        : mHandle(NextHandle())
    {
    }
    // A copy is a polyline of its own, with its own handle.
    PolylineT(const PolylineT& other)
        : mPoints(other.mPoints)
        , mLineWidth(other.mLineWidth)
        , mHandle(NextHandle())
    {
    }
    PolylineT& operator=(const PolylineT& other)
    {
        mPoints = other.mPoints;
        mLineWidth = other.mLineWidth;
        mChanged = true;
        return *this;
    }

    static int GetHandle(const PolylineT& polyline) { return polyline.mHandle; }

    unsigned int GetCount() const { return static_cast<unsigned int>(mPoints.size()); }
    const PointT<T>* GetPoints() const { return mPoints.data(); }
    void AddPoint(const PointT<T>& point)
    {
        mPoints.push_back(point);
        mChanged = true;
    }
    void Clear()
    {
        mPoints.clear();
        mChanged = true;
    }
    T GetLineWidth() const { return mLineWidth; }
    void SetLineWidth(T width) { mLineWidth = width; }
    bool IsChanged() const { return mChanged; }
    void SetChanged(bool changed) { mChanged = changed; }

private:
    static int NextHandle()
    {
        static std::atomic<int> counter{0};
        return counter.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    std::vector<PointT<T>> mPoints;
    T mLineWidth = 1;
    bool mChanged = true;
    int mHandle;
};
} // namespace Orv
