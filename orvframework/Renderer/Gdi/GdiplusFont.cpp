#include "Renderer/Gdi/GdiplusFont.h"

namespace Orv
{
GpFontFamily* GdiplusFont::GetGenericSansSerif(Gdiplus::Status* status)
{
    // Fetched on first need (on the UI thread) and never deleted.
    static GpFontFamily* generic = nullptr;
    static Gdiplus::Status fetched = Gdiplus::GenericError;
    if (generic == nullptr)
    {
        fetched = GdipGetGenericFontFamilySansSerif(&generic);
        if (fetched != Gdiplus::Ok)
        {
            generic = nullptr;
        }
    }
    if (status != nullptr)
    {
        *status = fetched;
    }
    return generic;
}

GdiplusFont::GdiplusFont(const WCHAR* familyName, REAL size, INT style, Gdiplus::Unit unit)
{
    GpFontFamily* named = nullptr;
    Gdiplus::Status status = GdipCreateFontFamilyFromName(familyName, nullptr, &named);
    GpFontFamily* family = named;
    if (status != Gdiplus::Ok)
    {
        named = nullptr;
        family = GetGenericSansSerif(&status);
    }
    if (family != nullptr)
    {
        GpFont* font = nullptr;
        status = GdipCreateFont(family, size, style, unit, &font);
        if (status != Gdiplus::Ok && family == named)
        {
            if (GpFontFamily* generic = GetGenericSansSerif())
            {
                status = GdipCreateFont(generic, size, style, unit, &font);
            }
        }
        if (status == Gdiplus::Ok)
        {
            mFont.Reset(font);
        }
    }
    mFont.Record(status);
    if (named != nullptr)
    {
        GdipDeleteFontFamily(named);
    }
}
} // namespace Orv
