// A named colour fill used to colorize images: solid, or a gradient between a first and an end
// colour. What the bitmaps read of it: the colour type (0 solid, 1 linear gradient, 2 radial
// gradient), the colour and the end colour, each four floats in 0..1. The skin also gives a
// gradient its start and end points.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Renderer/ColorRGBA.h"
#include "Utilities/Storage/StringT.h"

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

    LColorizer(const WString& name, int colorType, const ColorRGBA& color,
               const ColorRGBA& endColor, float startX, float startY, float endX, float endY)
        : mName(name)
        , mColorType(colorType)
        , mColor(color)
        , mEndColor(endColor)
        , mStartX(startX)
        , mStartY(startY)
        , mEndX(endX)
        , mEndY(endY)
    {
    }

    static RCPtr<LColorizer> Create(const WString& name, int colorType, const ColorRGBA& color,
                                    const ColorRGBA& endColor, float startX, float startY,
                                    float endX, float endY)
    {
        return RCPtr<LColorizer>(
            new LColorizer(name, colorType, color, endColor, startX, startY, endX, endY));
    }

    // The name.
    WString ToString() const override { return mName; }

    const WString& GetName() const { return mName; }
    int GetColorType() const { return mColorType; }
    const ColorRGBA& GetColor() const { return mColor; }
    const ColorRGBA& GetEndColor() const { return mEndColor; }
    float GetStartX() const { return mStartX; }
    float GetStartY() const { return mStartY; }
    float GetEndX() const { return mEndX; }
    float GetEndY() const { return mEndY; }

private:
    WString mName;
    int mColorType;
    ColorRGBA mColor;
    ColorRGBA mEndColor;
    float mStartX = 0;
    float mStartY = 0;
    float mEndX = 0;
    float mEndY = 0;
};
} // namespace Orv
