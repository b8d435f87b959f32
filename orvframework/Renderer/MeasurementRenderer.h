// Text measurement, usable without any drawing target: the first two operations of every
// renderer.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LFont;

class LMeasurementRenderer : public virtual LRefCountedObject
{
public:
    // The font's line height, ascent and descent in pixels.
    virtual ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                                     int& descent) = 0;
    // The extent of one line of text in the font.
    virtual RectT<float> MeasureString(const WString& text, const ConstRCPtr<LFont>& font) = 0;
};
} // namespace Orv
