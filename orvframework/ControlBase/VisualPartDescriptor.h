// One image part of a skin's looks: a rectangle cut from an image file, or a fill of a given
// size in a colorizer's colour, drawn with a resize type, optionally colorized and masked.
#pragma once

#include "ControlBase/Colorizer.h"
#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
class LVisualPart;

// A rectangle of an image file: left, top, width, height.
struct ImageReference
{
    WString file;
    RectT<LONG> rect;
};

class LVisualPartDescriptor : public virtual LRefCountedObject
{
public:
    // Resize types.
    static constexpr int kStretch = 0;
    static constexpr int kTile = 1;
    static constexpr int kCenter = 2;

    // An image part; its width and height are those of the image rectangle.
    static RCPtr<LVisualPartDescriptor> Create(const WString& name, const ImageReference& image,
                                               int resizeType, const RCPtr<LColorizer>& colorizer,
                                               float alphaModifier, const ImageReference& mask);
    // A colour-fill part of the given size (no image).
    static RCPtr<LVisualPartDescriptor> Create(const WString& name,
                                               const RCPtr<LColorizer>& colorizer,
                                               const SizeT<LONG>& size, int resizeType,
                                               float alphaModifier, const ImageReference& mask);

    // The name.
    WString ToString() const override { return mName; }

    const WString& GetName() const { return mName; }
    // Empty file name for a colour-fill part.
    const ImageReference& GetImage() const { return mImage; }
    LONG GetWidth() const { return mWidth; }
    LONG GetHeight() const { return mHeight; }
    int GetResizeType() const { return mResizeType; }
    // Null when the part is drawn without colorizing.
    const RCPtr<LColorizer>& GetColorizer() const { return mColorizer; }
    float GetAlphaModifier() const { return mAlphaModifier; }
    // Empty file name without a mask.
    const ImageReference& GetMask() const { return mMask; }

    // The part drawn for this descriptor, made on first request (its image and mask loaded and
    // cut out) and shared while anything holds it; the descriptor's own reference to it is
    // internal, so an unused part is released. Never null.
    RCPtr<LVisualPart> GetVisualPart() const;
    ~LVisualPartDescriptor() override;

private:
    friend class LVisualPart;
    // The part lets go of this descriptor's cache (its last user released it).
    void DropVisualPart(LVisualPart* part) const;

    LVisualPartDescriptor(const WString& name, const ImageReference& image, LONG width, LONG height,
                          int resizeType, const RCPtr<LColorizer>& colorizer, float alphaModifier,
                          const ImageReference& mask);

    WString mName;
    ImageReference mImage;
    LONG mWidth;
    LONG mHeight;
    int mResizeType;
    RCPtr<LColorizer> mColorizer;
    float mAlphaModifier;
    ImageReference mMask;
    mutable RCPtr<LVisualPart> mVisualPart;
};
} // namespace Orv
