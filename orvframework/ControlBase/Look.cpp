#include "ControlBase/Look.h"

#include "ControlBase/RegionRects.h"
#include "Renderer/AutoClip.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Geometry/RectOperations.h"
#include "Utilities/Globals.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
LONG Clamp(LONG value, LONG low, LONG high)
{
    return std::max(low, std::min(value, high));
}

bool IsTransparent(DWORD color)
{
    return (color >> 24) == 0;
}

RectT<double> ToDouble(const RectT<LONG>& rect)
{
    return RectT<double>(rect.x, rect.y, rect.width, rect.height);
}
} // namespace

RCPtr<LLook>& LLook::Create(RCPtr<LLook>& out, const RCPtr<LLookDescriptor>& descriptor,
                            bool wordWrap)
{
    out = new LLook();
    out->ApplyDescriptor(descriptor, wordWrap);
    return out;
}

ORVRESULT LLook::ApplyDescriptor(const RCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    mDescriptor = descriptor;
    mWordWrap = wordWrap;
    const bool hasText = descriptor != nullptr && descriptor->HasText();
    const TextPlacement* text = hasText ? &descriptor->GetTextPlacement() : nullptr;
    mForegroundPart = text != nullptr && text->foregroundPart != nullptr
                          ? text->foregroundPart->GetVisualPart()
                          : RCPtr<LVisualPart>();
    if (text == nullptr)
    {
        mText = nullptr;
    }
    else
    {
        if (mText == nullptr)
        {
            mText = new LFontText();
        }
        mText->SetWordWrap(wordWrap);
        mText->SetAlignment(text->horizontalAlignment, text->verticalAlignment);
    }
    const RCPtr<LDockedPart> client =
        descriptor != nullptr ? descriptor->GetClientPart() : RCPtr<LDockedPart>();
    mClientPart = client != nullptr ? client->GetVisualPart() : RCPtr<LVisualPart>();
    const unsigned int parts =
        descriptor != nullptr ? descriptor->GetNonClientParts().GetCount() : 0;
    mPartRects.SetCount(parts);
    mParts.SetCount(parts);
    mLayoutChanged = true;
    const SizeT<LONG> size = mSize;
    mSize = SizeT<LONG>(-1, -1);
    SetSize(SizeT<LONG>(std::max<LONG>(size.width, 0), std::max<LONG>(size.height, 0)));
    return S_OK;
}

bool LLook::SetSize(const SizeT<LONG>& size)
{
    if (size == mSize)
    {
        return true;
    }
    mSize = size;
    const LONG w = size.width;
    const LONG h = size.height;

    const RCPtr<LDockedPart> client =
        mDescriptor != nullptr ? mDescriptor->GetClientPart() : RCPtr<LDockedPart>();
    if (client != nullptr)
    {
        const DockingRecord& d = client->GetPlacement();
        const LONG x = Clamp(d.left, 0, w);
        const LONG y = Clamp(d.top, 0, h);
        mClientRect = RectT<LONG>(x, y, Clamp(AddSaturated(w, d.right) - x, 0, w - x),
                                  Clamp(AddSaturated(h, d.bottom) - y, 0, h - y));
    }
    else
    {
        mClientRect = RectT<LONG>(0, 0, w, h);
    }

    for (unsigned int i = 0; i < mPartRects.GetCount(); ++i)
    {
        const RCPtr<LDockedPart>& docked =
            mDescriptor->GetNonClientParts().GetConstElementPointer(i);
        const RCPtr<LVisualPart> part = docked != nullptr ? docked->GetVisualPart() : nullptr;
        const DockingRecord d = docked != nullptr ? docked->GetPlacement() : DockingRecord();
        const SizeT<LONG> own = part != nullptr ? part->GetSize() : SizeT<LONG>();
        const LONG pw = d.hasWidth ? d.width : own.width;
        const LONG ph = d.hasHeight ? d.height : own.height;
        const bool hasLeft = (d.offsetFlags & DockingRecord::kLeft) != 0;
        const bool hasTop = (d.offsetFlags & DockingRecord::kTop) != 0;
        const bool hasRight = (d.offsetFlags & DockingRecord::kRight) != 0;
        const bool hasBottom = (d.offsetFlags & DockingRecord::kBottom) != 0;
        LONG left = hasLeft ? d.left : 0;
        LONG top = hasTop ? d.top : 0;
        LONG right = hasRight ? AddSaturated(w, d.right) : w;
        LONG bottom = hasBottom ? AddSaturated(h, d.bottom) : h;
        if (!hasLeft)
        {
            left = right - pw;
        }
        if (!hasTop)
        {
            top = bottom - ph;
        }
        if (!hasRight)
        {
            right = left + pw;
        }
        if (!hasBottom)
        {
            bottom = top + ph;
        }
        if (!hasLeft && !hasRight)
        {
            // Centred: the integer half of the free space.
            left = (w - pw) / 2;
            right = left + pw;
        }
        if (!hasTop && !hasBottom)
        {
            top = (h - ph) / 2;
            bottom = top + ph;
        }
        mPartRects.GetElementPointer(i) = RectT<LONG>(left, top, right - left, bottom - top);
        mParts.GetElementPointer(i) = ConstRCPtr<LVisualPart>(part.Get());
    }

    if (mText != nullptr)
    {
        const TextPlacement& t = mDescriptor->GetTextPlacement();
        const float left = static_cast<float>(t.leftAbs) + t.leftRel * static_cast<float>(w);
        const float right = static_cast<float>(t.rightAbs) + t.rightRel * static_cast<float>(w);
        const float top = static_cast<float>(t.topAbs) + t.topRel * static_cast<float>(h);
        const float bottom = static_cast<float>(t.bottomAbs) + t.bottomRel * static_cast<float>(h);
        mText->SetBoxSize(RoundDoubleToLong(static_cast<double>(right) - left),
                          RoundDoubleToLong(static_cast<double>(bottom) - top));
        mTextOrigin =
            PointT<LONG>(static_cast<LONG>(std::trunc(left)), static_cast<LONG>(std::trunc(top)));
    }
    mClientRectCopy = mClientRect;
    mLayoutChanged = true;
    mStencil = nullptr;
    return true;
}

const RectT<LONG>& LLook::GetPartRect(int index) const
{
    static const RectT<LONG> empty;
    return index >= 0 && static_cast<unsigned int>(index) < mPartRects.GetCount()
               ? mPartRects.GetConstElementPointer(static_cast<unsigned int>(index))
               : empty;
}

LONG LLook::GetTextBoxWidthAt(double width) const
{
    if (mText == nullptr)
    {
        return 0;
    }
    const TextPlacement& t = mDescriptor->GetTextPlacement();
    return RoundDoubleToLong((t.rightAbs + t.rightRel * width) - (t.leftAbs + t.leftRel * width));
}

LONG LLook::GetTextBoxHeightAt(double height) const
{
    if (mText == nullptr)
    {
        return 0;
    }
    const TextPlacement& t = mDescriptor->GetTextPlacement();
    return RoundDoubleToLong((t.bottomAbs + t.bottomRel * height) - (t.topAbs + t.topRel * height));
}

float LLook::GetTextRelativeWidth() const
{
    return mText != nullptr
               ? mDescriptor->GetTextPlacement().rightRel - mDescriptor->GetTextPlacement().leftRel
               : 0.0f;
}

float LLook::GetTextRelativeHeight() const
{
    return mText != nullptr
               ? mDescriptor->GetTextPlacement().bottomRel - mDescriptor->GetTextPlacement().topRel
               : 0.0f;
}

bool LLook::SetText(const WString& text)
{
    if (mText == nullptr)
    {
        return true;
    }
    if (text == mText->GetText())
    {
        return false;
    }
    mText->SetText(text);
    return true;
}

bool LLook::SetFont(const ConstRCPtr<LFont>& font)
{
    if (mText == nullptr)
    {
        return true;
    }
    const ConstRCPtr<LFont>& current = mText->GetFont();
    const bool equal =
        (font == nullptr && current == nullptr) ||
        (font != nullptr && current != nullptr && font->GetName() == current->GetName() &&
         font->GetSize() == current->GetSize() && font->GetStyle() == current->GetStyle());
    if (equal)
    {
        return false;
    }
    mText->SetFont(font);
    return true;
}

DWORD LLook::GetColorAtPoint(const PointT<LONG>& point) const
{
    DWORD color = LVisualPart::kTransparent;
    auto ask = [&point](const LVisualPart& part, const RectT<LONG>& rect)
    {
        return part.GetColorAtPoint(
            SizeT<float>(static_cast<float>(rect.width), static_cast<float>(rect.height)),
            PointT<float>(static_cast<float>(point.x - rect.x),
                          static_cast<float>(point.y - rect.y)));
    };
    for (unsigned int i = 0; i < mParts.GetCount(); ++i)
    {
        const ConstRCPtr<LVisualPart>& part = mParts.GetConstElementPointer(i);
        if (part != nullptr)
        {
            color = ask(*part, mPartRects.GetConstElementPointer(i));
            if (!IsTransparent(color))
            {
                return color;
            }
        }
    }
    if (mOverridePart != nullptr)
    {
        color = ask(*mOverridePart, mClientRect);
        if (!IsTransparent(color))
        {
            return color;
        }
    }
    if (mClientPart != nullptr)
    {
        color = ask(*mClientPart, mClientRect);
    }
    return IsTransparent(color) ? LVisualPart::kTransparent : color;
}

void LLook::SetOverrideClientPart(const RCPtr<LVisualPart>& part, bool replaces)
{
    mOverridePart = part;
    mOverrideReplaces = replaces;
}

const LRegion& LLook::EffectiveRegion(const LRenderer& renderer, const LRegion& region,
                                      LRegion& scratch) const
{
    if (mClipRegion.IsEmpty())
    {
        return region;
    }
    // The look's region is in look coordinates: moved by the window origin to the region's.
    LRegion own(mClipRegion);
    const PointT<double> origin = GetRenderOrigin(renderer);
    own.Offset(RoundDoubleToLong(origin.x), RoundDoubleToLong(origin.y));
    scratch = region;
    scratch.Intersect(own);
    return scratch;
}

void LLook::DrawPart(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                     const LVisualPart& part, const RectT<LONG>& rect) const
{
    if (rect.width <= 0 || rect.height <= 0)
    {
        return;
    }
    std::vector<RectT<double>> rects;
    GetRegionRectsHere(*renderer, region, rects);
    const RectT<double> frame = ToDouble(rect);
    for (const RectT<double>& r : rects)
    {
        RectT<double> clip;
        if (!IntersectRect(clip, r, frame))
        {
            continue;
        }
        CAutoClip guard(renderer, frame, clip, mStencil, true);
        part.Draw(renderer,
                  SizeT<float>(static_cast<float>(rect.width), static_cast<float>(rect.height)));
    }
}

ORVRESULT LLook::DrawNonClientParts(const ConstRCPtr<LRenderer>& renderer, const LRegion& region)
{
    if (renderer == nullptr)
    {
        return S_OK;
    }
    LRegion scratch;
    const LRegion& drawn = EffectiveRegion(*renderer, region, scratch);
    for (unsigned int i = 0; i < mParts.GetCount(); ++i)
    {
        const ConstRCPtr<LVisualPart>& part = mParts.GetConstElementPointer(i);
        if (part != nullptr)
        {
            DrawPart(renderer, drawn, *part, mPartRects.GetConstElementPointer(i));
        }
    }
    return S_OK;
}

ORVRESULT LLook::DrawClientPart(const ConstRCPtr<LRenderer>& renderer, const LRegion& region)
{
    if (renderer == nullptr)
    {
        return S_OK;
    }
    LRegion scratch;
    const LRegion& drawn = EffectiveRegion(*renderer, region, scratch);
    if (mClientPart != nullptr && !(mOverridePart != nullptr && mOverrideReplaces))
    {
        DrawPart(renderer, drawn, *mClientPart, mClientRect);
    }
    if (mOverridePart != nullptr)
    {
        DrawPart(renderer, drawn, *mOverridePart, mClientRect);
    }
    return S_OK;
}

void LLook::ReportTextColorOnce(const char* what) const
{
    if (mTextColorReported)
    {
        return;
    }
    mTextColorReported = true;
    GetDebugOutput().Narrow()
        << "Look \""
        << (mDescriptor != nullptr ? mDescriptor->GetName() : WString()).ToNarrow().GetBuffer()
        << "\": " << what << std::endl;
}

ORVRESULT LLook::DrawLabelText(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                               const PointT<double>& offset)
{
    if (mText == nullptr)
    {
        return S_FALSE;
    }
    if (renderer == nullptr || mForegroundPart == nullptr)
    {
        return S_OK;
    }
    const RCPtr<LColorizer>& colorizer = mForegroundPart->GetColorizer();
    if (colorizer == nullptr)
    {
        if (mForegroundPart->GetBitmap() != nullptr)
        {
            ReportTextColorOnce("an image cannot colour text; the text is not drawn");
        }
        return S_OK;
    }
    // The colorizer's (first) colour: also for a gradient or an image part, which cannot colour
    // text themselves.
    if (colorizer->GetColorType() != LColorizer::kSolid)
    {
        ReportTextColorOnce("a gradient cannot colour text; its start colour is used");
    }
    else if (mForegroundPart->GetBitmap() != nullptr)
    {
        ReportTextColorOnce("an image cannot colour text; its colorizer's colour is used");
    }
    ColorRGBA color = colorizer->GetColor();
    color.alpha *= mForegroundPart->GetAlphaModifier();
    if (!(color.alpha > 0))
    {
        return S_OK;
    }

    const int lines = mText->GetLineCount();
    const RectT<double> box(mTextOrigin.x + offset.x, mTextOrigin.y + offset.y,
                            mText->GetBoxWidth(), mText->GetBoxHeight());
    if (lines <= 0 || box.width <= 0 || box.height <= 0)
    {
        return S_OK;
    }
    LRegion scratch;
    const LRegion& drawn = EffectiveRegion(*renderer, region, scratch);
    std::vector<RectT<double>> rects;
    GetRegionRectsHere(*renderer, drawn, rects);
    LRenderer& r = *renderer.GetMutable();
    for (const RectT<double>& rect : rects)
    {
        RectT<double> clip;
        if (!IntersectRect(clip, rect, box))
        {
            continue;
        }
        CAutoClip guard(renderer, box, clip, mStencil, true);
        for (int i = 0; i < lines; ++i)
        {
            const auto index = static_cast<unsigned int>(i);
            try
            {
                r.DrawString(mText->GetLines().GetConstElementPointer(index), mText->GetFont(),
                             mText->GetLineRects().GetConstElementPointer(index), color);
            }
            catch (const std::exception& e)
            {
                ReportTextColorOnce(e.what());
            }
        }
    }
    return S_OK;
}
} // namespace Orv
