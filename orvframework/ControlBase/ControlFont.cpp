// A control's font: from the skin's name, size and style, with what the skin leaves open taken
// from a base font (the parent's, or the skin font), and passed down to the children that
// inherit when it changes.
#include "ControlBase/Control.h"

#include "ControlBase/ControlFactory.h"
#include "platform/User32.h"

#include <cstdlib>

namespace Orv
{
namespace
{
bool SameFont(const LFont& a, const LFont& b)
{
    return a.GetName() == b.GetName() && a.GetSize() == b.GetSize() && a.GetStyle() == b.GetStyle();
}
} // namespace

ConstRCPtr<LFont> LControl::GetSystemFont()
{
    LOGFONTW font{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0))
    {
        return nullptr;
    }
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    // Points from the height in pixels at 96 DPI.
    const float size = static_cast<float>(std::labs(font.lfHeight)) * 72.0f / 96.0f;
    int style = LFont::kRegular;
    style |= font.lfWeight >= FW_BOLD ? LFont::kBold : 0;
    style |= font.lfItalic != 0 ? LFont::kItalic : 0;
    style |= font.lfUnderline != 0 ? LFont::kUnderline : 0;
    style |= font.lfStrikeOut != 0 ? LFont::kStrikeout : 0;
    return LFont::GetFont(WString(font.lfFaceName), size, style);
}

ORVRESULT LControl::SetFontByName(const WString& name, float size, int style, bool sizeIsRelative)
{
    ConstRCPtr<LFont> base;
    if (mInheritsFont && mParent)
    {
        base = mParent->mFont;
    }
    else if (const RCPtr<LControlFactory>& factory = GetControlFactory())
    {
        base = factory->GetSkinFont();
    }
    if (base == nullptr)
    {
        // No skin font yet (or a parent without a font): the system's interface font.
        base = GetSystemFont();
    }
    if (base == nullptr)
    {
        return E_FAIL;
    }

    const bool nameInherited = name.IsEmpty();
    const WString fontName = nameInherited ? base->GetName() : name;
    const bool sizeInherited = size <= 0 || mSizeIsRelative;
    float factor = 1.0f;
    float fontSize = size;
    if (sizeInherited)
    {
        if (sizeIsRelative && size > 0)
        {
            factor = size;
        }
        fontSize = base->GetSize() * factor;
    }
    const bool styleInherited = style == -1;
    const int fontStyle = styleInherited ? base->GetStyle() : style;

    ConstRCPtr<LFont> font = base;
    if (!(fontName == base->GetName() && fontSize == base->GetSize() &&
          fontStyle == base->GetStyle()))
    {
        font = LFont::GetFont(fontName, fontSize, fontStyle);
    }
    if (font == nullptr)
    {
        return E_FAIL;
    }
    const ORVRESULT result = SetFont(font);
    if (SUCCEEDED(result))
    {
        mNameInherited = nameInherited;
        mSizeInherited = sizeInherited;
        mStyleInherited = styleInherited;
        mSizeIsRelative = sizeIsRelative;
        mSizeFactor = factor;
    }
    return result;
}

ORVRESULT LControl::SetFont(const ConstRCPtr<LFont>& font)
{
    if (font == nullptr)
    {
        return E_INVALIDARG;
    }
    for (unsigned int i = mLooks.GetCount(); i-- > 0;)
    {
        if (const RCPtr<LLook>& look = mLooks.GetConstElementPointer(i))
        {
            look->SetFont(font);
        }
    }
    if (mFont != nullptr && SameFont(*mFont, *font))
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mFont = font;
    mNameInherited = false;
    mSizeInherited = false;
    mStyleInherited = false;
    OnFontChanged();
    for (unsigned int i = 0; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LControl> child = mChildren.GetAt(i, kInsertionOrder);
        child->UpdateInheritedFont();
    }
    RecalcLayout();
    InvalidateAll();
    return S_OK;
}

ORVRESULT LControl::UpdateInheritedFont()
{
    if (!mInheritsFont || !(mNameInherited || mSizeInherited || mStyleInherited) || !mFont)
    {
        return S_OK;
    }
    const WString name = mNameInherited ? WString() : mFont->GetName();
    const float size = mSizeInherited ? (mSizeIsRelative ? mSizeFactor : 0.0f) : mFont->GetSize();
    const int style = mStyleInherited ? -1 : mFont->GetStyle();
    SetFontByName(name, size, style, mSizeInherited && mSizeIsRelative);
    return S_OK;
}

void LControl::OnFontChanged() {}
} // namespace Orv
