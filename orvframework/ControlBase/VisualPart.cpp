#include "ControlBase/VisualPart.h"

#include "ControlBase/VisualPartDescriptor.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace Orv
{
namespace
{
// Float sizes and points closer than this are equal.
constexpr double kSameSize = 1.1920929e-6;
constexpr double kFloatEpsilon = 1.1920929e-7;
constexpr double kSizeLimit = 8388608.0;

double Clamped(double value)
{
    return std::clamp(value, -kSizeLimit, kSizeLimit);
}

DWORD Packed(const ColorRGBA& color)
{
    return ColorFromFloatRGBA(color);
}

// Half up from .5 (the point is never negative where this is used).
LONG RoundHalfUp(double value)
{
    return static_cast<LONG>(std::floor(value + 0.5));
}
} // namespace

LVisualPart::LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, int resizeType,
                         const RCPtr<LColorizer>& colorizer, const SizeT<LONG>& size,
                         float alphaModifier, const ConstRCPtr<LBitmap>& mask)
    : mName(name)
    , mBitmap(bitmap)
    , mSize(size)
    , mResizeType(resizeType)
    , mColorizer(colorizer)
    , mAlphaModifier(alphaModifier)
    , mMask(mask)
{
    if (mBitmap != nullptr)
    {
        mSize = SizeT<LONG>(mBitmap->GetWidth(), mBitmap->GetHeight());
        if (mSize.width <= 0 || mSize.height <= 0)
        {
            // The image was not found or could not be read.
            mBroken = true;
            mBitmap = nullptr;
            ReportOnce("its image is missing");
            return;
        }
    }
    if (mColorizer != nullptr && (mBitmap != nullptr || mMask != nullptr ||
                                  mColorizer->GetColorType() != LColorizer::kSolid))
    {
        try
        {
            mBitmap = LBitmap::CreateColorizedBitmap(ConstRCPtr<LColorizer>(mColorizer.Get()),
                                                     mAlphaModifier, mSize, mBitmap, mMask);
        }
        catch (const std::exception& e)
        {
            mBroken = true;
            mBitmap = nullptr;
            ReportOnce(e.what());
        }
    }
}

LVisualPart::~LVisualPart() = default;

void LVisualPart::ReportOnce(const char* what) const
{
    if (mReported)
    {
        return;
    }
    mReported = true;
    GetDebugOutput().Narrow() << "Visual part \"" << mName.ToNarrow().GetBuffer()
                              << "\" is not drawn: " << what << std::endl;
}

ORVRESULT LVisualPart::Draw(const ConstRCPtr<LRenderer>& renderer, const SizeT<float>& size) const
{
    if (renderer == nullptr || mBroken)
    {
        return S_OK;
    }
    const LONG width = RoundDoubleToLong(size.width);
    const LONG height = RoundDoubleToLong(size.height);
    LRenderer& r = *renderer.GetMutable();
    try
    {
        if (mBitmap != nullptr)
        {
            if (mResizeType != kStretch && mResizeType != kTile && mResizeType != kCenter)
            {
                ReportOnce("unknown resize type");
                return S_OK;
            }
            r.DrawBitmap(mBitmap, RectT<LONG>(0, 0, width, height), mResizeType);
            return S_OK;
        }
        if (mColorizer == nullptr)
        {
            ReportOnce("it has neither image nor colorizer");
            return S_OK;
        }
        ColorRGBA color = mColorizer->GetColor();
        color.alpha *= mAlphaModifier;
        if (!(color.alpha > 0))
        {
            return S_OK;
        }
        const RectT<LONG> rect = mResizeType == kCenter ? RectT<LONG>((width - mSize.width) / 2,
                                                                      (height - mSize.height) / 2,
                                                                      mSize.width, mSize.height)
                                                        : RectT<LONG>(0, 0, width, height);
        r.FillRect(rect, color, true);
    }
    catch (const std::exception& e)
    {
        ReportOnce(e.what());
    }
    return S_OK;
}

DWORD LVisualPart::GetColorAtPoint(const PointT<LONG>& point) const
{
    if (point.x < 0 || point.y < 0 || point.x >= mSize.width || point.y >= mSize.height)
    {
        return kTransparent;
    }
    if (mBitmap != nullptr)
    {
        return Packed(mBitmap->GetPixelColor(point.x, point.y));
    }
    if (mBroken)
    {
        return kTransparent;
    }
    if (mColorizer == nullptr)
    {
        ReportOnce("it has neither image nor colorizer");
        return kTransparent;
    }
    if (mColorizer->GetColorType() != LColorizer::kSolid)
    {
        ReportOnce("a gradient without an image has no colour of its own");
        return kTransparent;
    }
    ColorRGBA color = mColorizer->GetColor();
    color.alpha *= mAlphaModifier;
    return Packed(color);
}

DWORD LVisualPart::GetColorAtPoint(const SizeT<float>& drawnSize, const PointT<float>& point) const
{
    const double drawnWidth = Clamped(drawnSize.width);
    const double drawnHeight = Clamped(drawnSize.height);
    const double width = Clamped(mSize.width);
    const double height = Clamped(mSize.height);
    const double x = point.x;
    const double y = point.y;
    if (std::fabs(drawnWidth - width) < kSameSize && std::fabs(drawnHeight - height) < kSameSize)
    {
        return GetColorAtPoint(RoundFloatPointToLong(point));
    }
    if (!(x >= 0 && x < drawnWidth && y >= 0 && y < drawnHeight))
    {
        return kTransparent;
    }
    switch (mResizeType)
    {
        case kTile:
        {
            const LONG tileWidth = RoundHalfUp(width);
            const LONG tileHeight = RoundHalfUp(height);
            if (tileWidth <= 0 || tileHeight <= 0)
            {
                return kTransparent;
            }
            return GetColorAtPoint(
                PointT<LONG>(RoundHalfUp(x) % tileWidth, RoundHalfUp(y) % tileHeight));
        }
        case kCenter:
            return GetColorAtPoint(
                PointT<LONG>(RoundDoubleToLong(x - (drawnWidth - width) * 0.5),
                             RoundDoubleToLong(y - (drawnHeight - height) * 0.5)));
        case kStretch:
        {
            const double sx = width / drawnWidth;
            const double sy = height / drawnHeight;
            if (drawnWidth >= width && drawnHeight >= height)
            {
                return GetColorAtPoint(
                    PointT<LONG>(static_cast<LONG>(sx * x), static_cast<LONG>(sy * y)));
            }
            // One drawn pixel covers a block of source pixels: the first one that is not fully
            // transparent, row after row, is the answer.
            const double bx = sx * x;
            const double by = sy * y;
            const auto left = static_cast<LONG>(std::floor(bx + std::fabs(bx) * kFloatEpsilon));
            const auto top = static_cast<LONG>(std::floor(by + std::fabs(by) * kFloatEpsilon));
            const double right = bx + std::max(sx, 1.0);
            const double bottom = by + std::max(sy, 1.0);
            const auto rightEdge =
                static_cast<LONG>(std::ceil(right - std::fabs(right) * kFloatEpsilon));
            const auto bottomEdge =
                static_cast<LONG>(std::ceil(bottom - std::fabs(bottom) * kFloatEpsilon));
            DWORD last = kTransparent;
            for (LONG row = top; row < bottomEdge; ++row)
            {
                for (LONG column = left; column < rightEdge; ++column)
                {
                    last = GetColorAtPoint(PointT<LONG>(column, row));
                    if ((last >> 24) != 0)
                    {
                        return last;
                    }
                }
            }
            return last;
        }
        default:
            ReportOnce("unknown resize type");
            return kTransparent;
    }
}

ORVRESULT LVisualPart::ReleaseInternalReferences()
{
    if (mDescriptor != nullptr)
    {
        mDescriptor->DropVisualPart(this);
    }
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace Orv
