// What a text box's validation carries ("NID_TEXTBOX_VALIDATING", "NID_TEXTBOX_VALIDATED"): the
// proposed text, which a receiver of the first may replace, the text the box held when the
// validation began, and the accept flag, which a receiver of the first clears to refuse the text.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LTextValidationParams : public virtual LRefCountedObject
{
public:
    // Text and prior text both the given text, accepted.
    static RCPtr<LTextValidationParams> Create(const WString& text);

    WString text;
    WString priorText;
    bool accept = true;

private:
    explicit LTextValidationParams(const WString& current)
        : text(current)
        , priorText(current)
    {
    }
};

inline RCPtr<LTextValidationParams> LTextValidationParams::Create(const WString& text)
{
    return RCPtr<LTextValidationParams>(new LTextValidationParams(text));
}
} // namespace Orv
