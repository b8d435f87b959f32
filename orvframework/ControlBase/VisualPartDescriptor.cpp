#include "ControlBase/VisualPartDescriptor.h"

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
} // namespace Orv
