// A colour fill used to colorize images: solid, or a gradient between a first and an end
// colour. What the bitmaps read of it: the colour type (0 solid, 1 linear gradient, 2 radial
// gradient), the colour and the end colour, each four floats in 0..1.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "Renderer/ColorRGBA.h"

namespace Orv
{
class LColorizer : public LRefCountedObject
{
public:
    static constexpr int kSolid = 0;
    static constexpr int kLinearGradient = 1;
    static constexpr int kRadialGradient = 2;

    LColorizer(int colorType, const ColorRGBA& color, const ColorRGBA& endColor)
        : mColorType(colorType)
        , mColor(color)
        , mEndColor(endColor)
    {
    }

    int GetColorType() const { return mColorType; }
    const ColorRGBA& GetColor() const { return mColor; }
    const ColorRGBA& GetEndColor() const { return mEndColor; }

private:
    int mColorType;
    ColorRGBA mColor;
    ColorRGBA mEndColor;
};
} // namespace Orv
