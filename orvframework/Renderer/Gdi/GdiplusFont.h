// A GDI+ font made from a family name, falling back to the generic sans-serif family when the
// family is not installed or has no font of the style: the font that drawing and measuring text
// use. A font that cannot be made even so leaves the object empty with the failing status.
#pragma once

#include "Renderer/Gdi/GdiplusObject.h"

namespace Orv
{
class GdiplusFont
{
public:
    GdiplusFont(const WCHAR* familyName, REAL size, INT style, Gdiplus::Unit unit);

    GpFont* Get() const { return mFont.Get(); }
    Gdiplus::Status GetLastStatus() const { return mFont.GetLastStatus(); }

    // The generic sans-serif family, fetched once and kept for the process; null when there is
    // none (status holds the failure).
    static GpFontFamily* GetGenericSansSerif(Gdiplus::Status* status = nullptr);

private:
    GdiplusFontHandle mFont;
};
} // namespace Orv
