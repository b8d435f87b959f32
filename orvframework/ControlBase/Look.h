// One visual state of a control, built from a look descriptor of the skin: a client part,
// non-client parts docked to the edges, and, when the look shows text, a text part. The look lays
// these out for the control's size, draws them, answers the colour under a point for the hit
// search, and holds the control's text in its text part. A control holds one look per entry of
// its look list, each drawn with a weight.
//
// Look coordinates are the control's own coordinates. Drawing never throws for the look's content:
// a part that cannot be shown is skipped and reported once (LVisualPart), a text colour that
// cannot be taken from its part falls back to the part's colorizer colour or draws no text.
//
// UI thread only.
#pragma once

#include "ControlBase/FontText.h"
#include "ControlBase/LookDescriptor.h"
#include "ControlBase/VisualPart.h"
#include "Renderer/Region.h"
#include "Utilities/Storage/ConstRCPtrArray.h"

namespace Orv
{
class LLook : public virtual LRefCountedObject
{
public:
    // A look of descriptor; wordWrap asks its text to wrap at the text area's width. Stored in
    // out; returns out.
    static RCPtr<LLook>& Create(RCPtr<LLook>& out, const RCPtr<LLookDescriptor>& descriptor,
                                bool wordWrap);

    // Takes the descriptor's parts and text properties and lays the look out again at its size.
    // S_OK.
    ORVRESULT ApplyDescriptor(const RCPtr<LLookDescriptor>& descriptor, bool wordWrap);
    // Lays the look out for a size (nothing when it is the current one). True.
    bool SetSize(const SizeT<LONG>& size);

    const RCPtr<LLookDescriptor>& GetDescriptor() const { return mDescriptor; }
    // The word wrap asked for when the descriptor was applied.
    bool GetWordWrap() const { return mWordWrap; }
    const SizeT<LONG>& GetSize() const { return mSize; }
    // The client part's rectangle (the whole look when the descriptor has no client part).
    const RectT<LONG>& GetClientRect() const { return mClientRect; }
    // The rectangle of non-client part index; an empty rectangle outside the parts.
    const RectT<LONG>& GetPartRect(int index) const;
    unsigned int GetPartCount() const { return mPartRects.GetCount(); }
    // None after every layout.
    const ConstRCPtr<LStencil>& GetStencil() const { return mStencil; }

    // Whether the descriptor gives text properties.
    bool HasTextPart() const { return mText != nullptr; }
    // The text part; null without text properties.
    const RCPtr<LFontText>& GetTextPart() const { return mText; }
    // The text area's top-left corner (look coordinates, truncated toward zero).
    const PointT<LONG>& GetTextOrigin() const { return mTextOrigin; }
    // The text area's width (height) at a look width (height), rounded half away from zero; 0
    // without text properties.
    LONG GetTextBoxWidthAt(double width) const;
    LONG GetTextBoxHeightAt(double height) const;
    // The share of the look's width (height) that the text area grows by: right rel - left rel
    // (bottom rel - top rel); 0 without text properties.
    float GetTextRelativeWidth() const;
    float GetTextRelativeHeight() const;
    // Hand a value to the text part. True when the look has no text part or the value changed
    // (texts compare case-sensitively; fonts are equal when both are none or they compare equal).
    bool SetText(const WString& text);
    bool SetFont(const ConstRCPtr<LFont>& font);

    // The packed colour under a point in look coordinates: the first non-transparent answer of
    // the non-client parts, the override client part, the client part; transparent white when
    // every part is transparent there.
    DWORD GetColorAtPoint(const PointT<LONG>& point) const;

    // The part whose colour the text is drawn in; null without one.
    const RCPtr<LVisualPart>& GetForegroundPart() const { return mForegroundPart; }
    void SetForegroundPart(const RCPtr<LVisualPart>& part) { mForegroundPart = part; }
    // A client part drawn in place of the client part (replaces), or over it.
    void SetOverrideClientPart(const RCPtr<LVisualPart>& part, bool replaces);
    const RCPtr<LVisualPart>& GetOverrideClientPart() const { return mOverridePart; }
    // The look's own clip region (look coordinates): while not empty, drawing is limited to it.
    void SetClipRegion(const LRegion& region) { mClipRegion = region; }
    const LRegion& GetClipRegion() const { return mClipRegion; }

    // Drawing, each over the rectangles of region (render-context coordinates) that meet what it
    // draws, under a clip of their intersection.
    // Every non-client part at its rectangle. S_OK.
    virtual ORVRESULT DrawNonClientParts(const ConstRCPtr<LRenderer>& renderer,
                                         const LRegion& region);
    // The client part (and the override) at the client rectangle. S_OK.
    virtual ORVRESULT DrawClientPart(const ConstRCPtr<LRenderer>& renderer, const LRegion& region);
    // The text part's lines in the text area moved by offset, in the foreground part's colour.
    // S_FALSE without a text part; else S_OK.
    virtual ORVRESULT DrawLabelText(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                                    const PointT<double>& offset);

private:
    LLook() = default;

    // The region to draw: region, limited to the look's clip region when it has one.
    const LRegion& EffectiveRegion(const LRenderer& renderer, const LRegion& region,
                                   LRegion& scratch) const;
    // Draws part over the region rectangles meeting rect.
    void DrawPart(const ConstRCPtr<LRenderer>& renderer, const LRegion& region,
                  const LVisualPart& part, const RectT<LONG>& rect) const;
    // Reports a text colour that had to be made up, the first time only.
    void ReportTextColorOnce(const char* what) const;

    RCPtr<LLookDescriptor> mDescriptor;
    bool mWordWrap = false;
    RCPtr<LVisualPart> mForegroundPart;
    SizeT<LONG> mSize{-1, -1};
    RectT<LONG> mClientRect;
    Array<RectT<LONG>> mPartRects;
    ConstRCPtrArray<LVisualPart, 1, 0> mParts;
    RCPtr<LVisualPart> mClientPart;
    RCPtr<LVisualPart> mOverridePart;
    bool mOverrideReplaces = false;
    bool mLayoutChanged = false;
    RectT<LONG> mClientRectCopy;
    ConstRCPtr<LStencil> mStencil;
    LRegion mClipRegion;
    RCPtr<LFontText> mText;
    PointT<LONG> mTextOrigin;
    mutable bool mTextColorReported = false;
};
} // namespace Orv
