// Setters of the looks at run time: the look regions that limit where a look draws, the image
// that a look shows in place of (or over) its client part, and the part its text is drawn in.
#include "ControlBase/Control.h"
#include "ControlBase/VisualPart.h"

#include <cmath>

namespace Orv
{
ORVRESULT LControl::SetLookRegion(int index, const LRegion& region)
{
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (!look)
    {
        return E_INVALIDARG;
    }
    look->SetClipRegion(region);
    InvalidateAll();
    return S_OK;
}

ORVRESULT LControl::SetLookMember(const RCPtr<LVisualPart>& part, int index)
{
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (!look)
    {
        return E_FAIL;
    }
    if (!part)
    {
        return E_INVALIDARG;
    }
    look->SetForegroundPart(part);
    return S_OK;
}

ORVRESULT LControl::SetLookRegionSize(int index, int otherIndex)
{
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    const RCPtr<LLook> other =
        otherIndex >= 0 ? GetLook(static_cast<unsigned int>(otherIndex)) : nullptr;
    if (!look || !other)
    {
        return E_INVALIDARG;
    }
    // The whole control less what the other look covers.
    LRegion region;
    region.AddRect(RECT{0, 0, static_cast<LONG>(std::trunc(mWidth + 0.5)),
                        static_cast<LONG>(std::trunc(mHeight + 0.5))});
    region.Subtract(other->GetClipRegion());
    region.Normalize();
    look->SetClipRegion(region);
    InvalidateAll();
    return S_OK;
}

void LControl::ClearLookRegion(int index)
{
    if (const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr)
    {
        look->SetClipRegion(LRegion());
    }
}

void LControl::ClearLookRegions()
{
    for (unsigned int i = mLooks.GetCount(); i-- > 0;)
    {
        ClearLookRegion(static_cast<int>(i));
    }
}

ORVRESULT LControl::SetLookImage(const ConstRCPtr<LBitmap>& bitmap, int resizeType, int lookIndex,
                                 bool override)
{
    // An index outside the looks takes the active look, else the first.
    int index = lookIndex;
    if (index < 0 || static_cast<unsigned int>(index) >= mLooks.GetCount())
    {
        index = GetActiveLookIndex() >= 0 ? GetActiveLookIndex() : 0;
    }
    const RCPtr<LLook> look = GetLook(static_cast<unsigned int>(index));
    ORVRESULT result = S_OK;
    if (!look)
    {
        result = E_FAIL;
    }
    else if (bitmap)
    {
        const RCPtr<LVisualPart> part(
            new LVisualPart(WString(), bitmap, resizeType, nullptr,
                            SizeT<LONG>(bitmap->GetWidth(), bitmap->GetHeight()), 1.0f, nullptr));
        look->SetOverrideClientPart(part, override);
    }
    else if (look->GetOverrideClientPart())
    {
        look->SetOverrideClientPart(nullptr, false);
    }
    else
    {
        result = S_FALSE;
    }
    if (result != S_FALSE && index == GetActiveLookIndex())
    {
        InvalidateAll();
    }
    return result;
}
} // namespace Orv
