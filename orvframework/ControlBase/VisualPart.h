// One drawable piece of a look: an image (a rectangle cut from a skin bitmap), or a rectangle
// filled with a colorizer's colour, drawn at a size with a resize type. It also answers which
// colour it shows under a point, which the looks use for their text colour and the hit search.
//
// A part whose colorizing cannot be done (a gradient or a mask the bitmaps cannot apply), or that
// has neither image nor colorizer, draws nothing and answers transparent white; the first such
// use is reported in the debug output. Drawing never throws for the part's own content.
//
// Parts are made by their descriptor (LVisualPartDescriptor::GetVisualPart) and shared by every
// look that uses them. UI thread only.
#pragma once

#include "ControlBase/Colorizer.h"
#include "Renderer/Renderer.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Graphics/Bitmap.h"

namespace Orv
{
class LVisualPartDescriptor;

class LVisualPart : public virtual LRefCountedObject
{
public:
    static constexpr int kStretch = 0;
    static constexpr int kTile = 1;
    static constexpr int kCenter = 2;
    // Transparent white: the answer outside the part.
    static constexpr DWORD kTransparent = 0x00FFFFFF;

    // With a bitmap the size is the bitmap's. A colorizer with a bitmap, a mask or a gradient
    // replaces the bitmap by a colorized one (a solid colorizer alone stays a colour fill).
    LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, int resizeType,
                const RCPtr<LColorizer>& colorizer, const SizeT<LONG>& size, float alphaModifier,
                const ConstRCPtr<LBitmap>& mask);
    ~LVisualPart() override;
    LVisualPart(const LVisualPart&) = delete;
    LVisualPart& operator=(const LVisualPart&) = delete;

    // Draws the part at the renderer's current origin into (0, 0, size) rounded to whole pixels:
    // the bitmap with the resize type, or the colour fill (a centred fill keeps its own size).
    // S_OK.
    ORVRESULT Draw(const ConstRCPtr<LRenderer>& renderer, const SizeT<float>& size) const;
    // The packed colour (0xAARRGGBB) of the part's own pixel at point; transparent white outside
    // the part.
    DWORD GetColorAtPoint(const PointT<LONG>& point) const;
    // The packed colour the part shows at point when drawn at drawnSize.
    DWORD GetColorAtPoint(const SizeT<float>& drawnSize, const PointT<float>& point) const;

    const WString& GetName() const { return mName; }
    // Null for a colour fill (or a part whose colorizing failed).
    const ConstRCPtr<LBitmap>& GetBitmap() const { return mBitmap; }
    const SizeT<LONG>& GetSize() const { return mSize; }
    int GetResizeType() const { return mResizeType; }
    const RCPtr<LColorizer>& GetColorizer() const { return mColorizer; }
    float GetAlphaModifier() const { return mAlphaModifier; }
    // False when the part can show nothing (see above).
    bool IsDrawable() const { return !mBroken; }

    // Lets go of the descriptor that keeps the part, when only its reference is left.
    ORVRESULT ReleaseInternalReferences() override;

private:
    friend class LVisualPartDescriptor;

    // Reports a part that cannot be shown, the first time only.
    void ReportOnce(const char* what) const;

    WString mName;
    ConstRCPtr<LBitmap> mBitmap;
    SizeT<LONG> mSize;
    int mResizeType;
    RCPtr<LColorizer> mColorizer;
    float mAlphaModifier;
    ConstRCPtr<LBitmap> mMask;
    bool mBroken = false;
    mutable bool mReported = false;
    // The descriptor whose cache holds this part (that reference is internal), or null.
    LVisualPartDescriptor* mDescriptor = nullptr;
};
} // namespace Orv
