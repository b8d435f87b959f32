// A GDI+ object owned through its handle, with the status of the last failing call made on it:
// a failing call is recorded here and drawing goes on. The object is deleted with its owner.
#pragma once

#include "platform/GdiPlus.h"

#include <utility>

namespace Orv
{
template <class Handle, void (*Delete)(Handle*)>
class GdiplusObject
{
public:
    GdiplusObject() = default;
    explicit GdiplusObject(Handle* handle)
        : mHandle(handle)
    {
    }
    GdiplusObject(const GdiplusObject&) = delete;
    GdiplusObject& operator=(const GdiplusObject&) = delete;
    GdiplusObject(GdiplusObject&& other) noexcept
        : mHandle(std::exchange(other.mHandle, nullptr))
        , mLastStatus(std::exchange(other.mLastStatus, Gdiplus::Ok))
    {
    }
    GdiplusObject& operator=(GdiplusObject&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            mHandle = std::exchange(other.mHandle, nullptr);
            mLastStatus = std::exchange(other.mLastStatus, Gdiplus::Ok);
        }
        return *this;
    }
    ~GdiplusObject() { Reset(); }

    Handle* Get() const { return mHandle; }
    // Deletes the object; the wrapper is then empty, its status Ok.
    void Reset()
    {
        if (mHandle != nullptr)
        {
            Delete(mHandle);
            mHandle = nullptr;
        }
        mLastStatus = Gdiplus::Ok;
    }
    // Takes a new object (deleting the old one); the status starts at Ok.
    void Reset(Handle* handle)
    {
        Reset();
        mHandle = handle;
    }

    // Keeps a failing status; returns the status as given.
    Gdiplus::Status Record(Gdiplus::Status status)
    {
        if (status != Gdiplus::Ok)
        {
            mLastStatus = status;
        }
        return status;
    }
    Gdiplus::Status GetLastStatus() const { return mLastStatus; }

private:
    Handle* mHandle = nullptr;
    Gdiplus::Status mLastStatus = Gdiplus::Ok;
};

namespace GdiplusDelete
{
inline void Graphics(GpGraphics* graphics)
{
    GdipDeleteGraphics(graphics);
}
inline void Bitmap(GpBitmap* bitmap)
{
    GdipDisposeImage(bitmap);
}
inline void CachedBitmap(GpCachedBitmap* cached)
{
    GdipDeleteCachedBitmap(cached);
}
inline void Path(GpPath* path)
{
    GdipDeletePath(path);
}
inline void Font(GpFont* font)
{
    GdipDeleteFont(font);
}
inline void Brush(GpSolidFill* brush)
{
    GdipDeleteBrush(brush);
}
inline void Pen(GpPen* pen)
{
    GdipDeletePen(pen);
}
inline void Matrix(GpMatrix* matrix)
{
    GdipDeleteMatrix(matrix);
}
inline void StringFormat(GpStringFormat* format)
{
    GdipDeleteStringFormat(format);
}
inline void Region(GpRegion* region)
{
    GdipDeleteRegion(region);
}
} // namespace GdiplusDelete

using GdiplusGraphics = GdiplusObject<GpGraphics, &GdiplusDelete::Graphics>;
using GdiplusBitmap = GdiplusObject<GpBitmap, &GdiplusDelete::Bitmap>;
using GdiplusCachedBitmap = GdiplusObject<GpCachedBitmap, &GdiplusDelete::CachedBitmap>;
using GdiplusPath = GdiplusObject<GpPath, &GdiplusDelete::Path>;
using GdiplusFontHandle = GdiplusObject<GpFont, &GdiplusDelete::Font>;
using GdiplusSolidBrush = GdiplusObject<GpSolidFill, &GdiplusDelete::Brush>;
using GdiplusPen = GdiplusObject<GpPen, &GdiplusDelete::Pen>;
using GdiplusMatrix = GdiplusObject<GpMatrix, &GdiplusDelete::Matrix>;
using GdiplusStringFormat = GdiplusObject<GpStringFormat, &GdiplusDelete::StringFormat>;
using GdiplusRegion = GdiplusObject<GpRegion, &GdiplusDelete::Region>;
} // namespace Orv
