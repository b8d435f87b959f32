#include "ControlBase/VisualPartDescriptor.h"

#include "ControlBase/VisualPart.h"

namespace Orv
{
LVisualPartDescriptor::LVisualPartDescriptor(const WString& name, const ImageReference& image,
                                             LONG width, LONG height, int resizeType,
                                             const RCPtr<LColorizer>& colorizer,
                                             float alphaModifier, const ImageReference& mask)
    : mName(name)
    , mImage(image)
    , mWidth(width)
    , mHeight(height)
    , mResizeType(resizeType)
    , mColorizer(colorizer)
    , mAlphaModifier(alphaModifier)
    , mMask(mask)
{
    if (!mImage.file.IsEmpty())
    {
        mWidth = mImage.rect.width;
        mHeight = mImage.rect.height;
    }
}

RCPtr<LVisualPartDescriptor>
LVisualPartDescriptor::Create(const WString& name, const ImageReference& image, int resizeType,
                              const RCPtr<LColorizer>& colorizer, float alphaModifier,
                              const ImageReference& mask)
{
    return RCPtr<LVisualPartDescriptor>(new LVisualPartDescriptor(name, image, image.rect.width,
                                                                  image.rect.height, resizeType,
                                                                  colorizer, alphaModifier, mask));
}

RCPtr<LVisualPartDescriptor> LVisualPartDescriptor::Create(const WString& name,
                                                           const RCPtr<LColorizer>& colorizer,
                                                           const SizeT<LONG>& size, int resizeType,
                                                           float alphaModifier,
                                                           const ImageReference& mask)
{
    return RCPtr<LVisualPartDescriptor>(
        new LVisualPartDescriptor(name, ImageReference(), size.width, size.height, resizeType,
                                  colorizer, alphaModifier, mask));
}

LVisualPartDescriptor::~LVisualPartDescriptor()
{
    if (mVisualPart != nullptr)
    {
        mVisualPart->mDescriptor = nullptr;
        mVisualPart->ReleaseInternalReference();
    }
}

namespace
{
// The rectangle of an image file, or null for a reference without a file.
ConstRCPtr<LBitmap> CutOut(const ImageReference& reference)
{
    if (reference.file.IsEmpty())
    {
        return nullptr;
    }
    const ConstRCPtr<LBitmap> image = LBitmap::GetBitmap(reference.file);
    const RectT<LONG>& r = reference.rect;
    return ConstRCPtr<LBitmap>(image->CreateSubBitmap(r.x, r.y, r.width, r.height).Get());
}
} // namespace

RCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart() const
{
    RCPtr<LVisualPart> part = mVisualPart;
    if (part == nullptr)
    {
        part = new LVisualPart(mName, CutOut(mImage), mResizeType, mColorizer,
                               SizeT<LONG>(mWidth, mHeight), mAlphaModifier, CutOut(mMask));
        part->mDescriptor = const_cast<LVisualPartDescriptor*>(this);
        // The cache's reference is internal: the part goes when its last user lets go.
        part->AddInternalReference();
        mVisualPart = part;
    }
    return part;
}

void LVisualPartDescriptor::DropVisualPart(LVisualPart* part) const
{
    if (mVisualPart.Get() != part)
    {
        return;
    }
    const RCPtr<LVisualPart> cached = std::move(mVisualPart);
    part->mDescriptor = nullptr;
    // Lowered before the cache's reference goes.
    part->ReleaseInternalReference();
}
} // namespace Orv
