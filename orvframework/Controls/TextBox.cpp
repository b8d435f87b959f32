// The text box's text model, caret, selection, geometry, looks, validation and life cycle.
#include "Controls/TextBox.h"

#include "Application/FrameworkApp.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "System/RootWindow.h"
#include "Utilities/Geometry/RectOperations.h"
#include "notification/Notification.h"

#include <algorithm>
#include <cmath>

namespace Orv
{
namespace
{
const wchar_t* const kTextChange = L"NID_TEXTBOX_TEXT_CHANGE";
const wchar_t* const kValidating = L"NID_TEXTBOX_VALIDATING";
const wchar_t* const kValidated = L"NID_TEXTBOX_VALIDATED";
constexpr double kRectLimit = 8388608.0;

double ClampRectValue(double value)
{
    return std::clamp(value, -kRectLimit, kRectLimit);
}

bool CameOn(DWORD before, DWORD now, DWORD bit)
{
    return (before & bit) == 0 && (now & bit) != 0;
}

bool WentOff(DWORD before, DWORD now, DWORD bit)
{
    return (before & bit) != 0 && (now & bit) == 0;
}
} // namespace

LTextBox::LTextBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LScrollView(parent, descriptor)
{
}

LTextBox::LTextBox(const RCPtr<LControl>& parent, const WString& name)
    : LScrollView(parent, name)
{
}

LTextBox::~LTextBox() = default;

// --- Text and validation ---

ORVRESULT LTextBox::SetText(const WString& text)
{
    return SetText(text, true);
}

ORVRESULT LTextBox::SetText(const WString& text, bool resetCaret)
{
    const RCPtr<LControl> self(this);
    if (!ApplyText(text, true))
    {
        return S_FALSE;
    }
    const int index = GetActiveLookIndex();
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (look && look->GetTextPart())
    {
        const SizeT<LONG> size = look->GetTextPart()->GetTextSize();
        SetClientExtent(static_cast<double>(size.width), static_cast<double>(size.height));
    }
    const bool hadSelection = HasSelection();
    mSelectionStart = 0;
    mSelectionLength = 0;
    mAnchor = 0;
    if (hadSelection)
    {
        UpdateLooks();
    }
    // The caret stays inside the new text whatever the caller does next.
    if (resetCaret || mCaret > GetTextLength())
    {
        SetCaretPosition(resetCaret ? 0 : GetTextLength(), true);
    }
    ScrollCaretIntoView();
    if (!mCueText.IsEmpty())
    {
        ApplyCueText();
        UpdateLooks();
    }
    SendNotification(LNotification::Create(kTextChange, RCPtr<LRefCountedObject>(this)));
    return S_OK;
}

RCPtr<LTextValidationParams> LTextBox::Validate()
{
    const RCPtr<LControl> self(this);
    const RCPtr<LTextValidationParams> params = LTextValidationParams::Create(GetText());
    SendNotification(LNotification::Create(kValidating, RCPtr<LRefCountedObject>(params.Get())));
    if (params->accept && !(params->text == GetText()))
    {
        SetText(params->text, false);
    }
    if (params->accept)
    {
        SendNotification(LNotification::Create(kValidated, RCPtr<LRefCountedObject>(params.Get())));
    }
    return params;
}

bool LTextBox::IsInputAcceptable()
{
    return Validate()->accept;
}

void LTextBox::SetCharacterSet(const WString& characters, bool allows)
{
    mCharacterSet = characters;
    mCharacterSetAllows = allows;
}

// --- Caret and selection ---

double LTextBox::Now() const
{
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    return window ? window->GetElapsedSeconds() : 0;
}

void LTextBox::ShowCaretNow()
{
    mCaretShown = true;
    mNextBlinkTime = Now() + kCaretOnTime;
}

ORVRESULT LTextBox::SetCaretPosition(int index, bool force)
{
    if (index < 0 || index > GetTextLength())
    {
        return E_INVALIDARG;
    }
    const bool same = index == mCaret;
    if (same && !force)
    {
        if (!HasSelection())
        {
            mAnchor = mCaret;
        }
        return S_FALSE;
    }
    mCaret = index;
    if (!HasSelection())
    {
        mAnchor = mCaret;
    }
    UpdateCaretRect();
    ScrollCaretIntoView();
    ShowCaretNow();
    InvalidateAll();
    return same ? S_FALSE : S_OK;
}

void LTextBox::StoreSelection(int start, int length)
{
    if (start == mSelectionStart && length == mSelectionLength)
    {
        return;
    }
    mSelectionStart = start;
    mSelectionLength = length;
    UpdateLooks();
    InvalidateAll();
}

void LTextBox::SetSelection(int first, int last)
{
    const int length = GetTextLength();
    if (first == -1)
    {
        mAnchor = 0;
        StoreSelection(0, 0);
        return;
    }
    if (first == 0 && last == -1)
    {
        mAnchor = 0;
        StoreSelection(0, length);
        return;
    }
    if (first < 0 || first >= length || last < 0 || last >= length)
    {
        return;
    }
    const int low = std::min(first, last);
    const int high = std::max(first, last);
    mAnchor = low;
    StoreSelection(low, high - low + 1);
}

void LTextBox::SelectRange(int start, int count, int anchor)
{
    if (count < 1)
    {
        StoreSelection(std::clamp(start, 0, GetTextLength()), 0);
    }
    else
    {
        SetSelection(start, start + count - 1);
    }
    mAnchor = anchor;
}

void LTextBox::ExtendSelectionTo(int index)
{
    index = std::clamp(index, 0, GetTextLength());
    const int anchor = std::clamp(mAnchor, 0, GetTextLength());
    StoreSelection(std::min(anchor, index), std::abs(index - anchor));
    mAnchor = anchor;
    SetCaretPosition(index, false);
}

void LTextBox::ClearSelection()
{
    mAnchor = mCaret;
    StoreSelection(mCaret, 0);
}

WString LTextBox::GetSelectedText() const
{
    return HasSelection() ? GetText().Mid(mSelectionStart, mSelectionLength) : WString();
}

// --- Geometry ---

ConstRCPtr<LFont> LTextBox::MeasureFont() const
{
    const int index = GetActiveLookIndex();
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (look && look->GetTextPart() && look->GetTextPart()->GetFont())
    {
        return look->GetTextPart()->GetFont();
    }
    return GetFont();
}

double LTextBox::MeasureWidth(const WString& text) const
{
    if (text.IsEmpty())
    {
        return 0;
    }
    ConstRCPtr<LRenderer> renderer;
    GetMeasurementRenderer(renderer);
    const ConstRCPtr<LFont> font = MeasureFont();
    if (renderer == nullptr || font == nullptr)
    {
        return 0;
    }
    const RectT<float> extent = renderer.GetMutable()->MeasureString(text, font);
    // Counted from 0, as the text layout counts it.
    return extent.x != 0 ? extent.width + extent.x : extent.width;
}

double LTextBox::LineHeight() const
{
    const ConstRCPtr<LFont> font = MeasureFont();
    return font ? static_cast<double>(font->GetHeight()) : 0.0;
}

RectT<double> LTextBox::GetTextArea() const
{
    const int index = GetActiveLookIndex();
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (!look || !look->HasTextPart())
    {
        return RectT<double>(0, 0, 0, 0);
    }
    const RectT<double> own = GetRect();
    return RectT<double>(look->GetTextOrigin().x, look->GetTextOrigin().y,
                         look->GetTextBoxWidthAt(own.width), look->GetTextBoxHeightAt(own.height));
}

PointT<double> LTextBox::TextOffset() const
{
    const int index = GetActiveLookIndex();
    const RCPtr<LLook> look = index >= 0 ? GetLook(static_cast<unsigned int>(index)) : nullptr;
    if (!look || !look->GetTextPart())
    {
        return PointT<double>(0, 0);
    }
    LFontText& part = *look->GetTextPart();
    if (part.GetLineCount() > 0 && part.GetLineRects().GetCount() > 0)
    {
        const RectT<float>& line = part.GetLineRects().GetConstElementPointer(0);
        return PointT<double>(line.x, line.y);
    }
    // An empty text has no line: where one would be placed.
    const RectT<double> area = GetTextArea();
    return PointT<double>(area.width * part.GetHorizontalAlignment(),
                          (area.height - LineHeight()) * part.GetVerticalAlignment());
}

RectT<double> LTextBox::GetCharacterRect(int index) const
{
    const int length = GetTextLength();
    if (index < 0 || index > length)
    {
        return RectT<double>(0, 0, 0, 0);
    }
    const RectT<double> area = GetTextArea();
    const PointT<double> offset = TextOffset();
    const WString& text = GetText();
    const double x = area.x + offset.x + MeasureWidth(text.Left(index));
    const double width = index < length ? MeasureWidth(text.Mid(index, 1)) - 1.0 : -1.0;
    return RectT<double>(x, area.y + offset.y, ClampRectValue(width), ClampRectValue(LineHeight()));
}

RectT<double> LTextBox::GetRangeRect(int first, int last) const
{
    const int length = GetTextLength();
    if (first < 0 || first > length || last < 0 || last > length)
    {
        return RectT<double>(0, 0, 0, 0);
    }
    if (first == last)
    {
        return GetCharacterRect(first);
    }
    const RectT<double> low = GetCharacterRect(std::min(first, last));
    const RectT<double> high = GetCharacterRect(std::max(first, last));
    return RectT<double>(low.x, low.y, high.Right() - low.x, low.height);
}

void LTextBox::UpdateCaretRect()
{
    const RectT<double> area = GetTextArea();
    const PointT<double> offset = TextOffset();
    const double before = MeasureWidth(GetText().Left(mCaret));
    mCaretRect =
        RectT<double>(area.x + offset.x + before - 1.0, area.y + offset.y, 1.0, LineHeight());
}

void LTextBox::ScrollCaretIntoView()
{
    if (!mScrollToCaret || IsAxisAnimating(0) || IsAxisAnimating(1) || mInScrollUpdate)
    {
        return;
    }
    const RectT<double> area = GetTextArea();
    const PointT<double> offset = GetContentOffset();
    const double caretX = mCaretRect.x - offset.x;
    double scrollX = offset.x;
    if (area.x > caretX)
    {
        scrollX = std::max(0.0, mCaretRect.x - 3.0);
    }
    else if (caretX + mCaretRect.width > area.Right())
    {
        scrollX = mCaretRect.x + mCaretRect.width + 3.0 - area.Right();
    }
    NotifyScrollOffsetChange(PointT<double>(scrollX, offset.y));
    UpdateCaretRect();
    UpdateLooks();
}

void LTextBox::UpdateLooks()
{
    const RCPtr<LControl> self(this);
    const auto has = [this](int index) { return index >= 0 && GetLook(index) != nullptr; };
    const auto show = [this, &has](int index, bool exclusive)
    {
        if (has(index))
        {
            SetLookWeight(index, 1.0f, exclusive);
        }
    };
    if (!IsEnabled(true))
    {
        show(has(kLookDisabled) ? kLookDisabled : kLookNormal, true);
        return;
    }
    const DWORD conditions = GetConditions();
    const bool focused = (conditions & kHasFocus) != 0;
    const bool hovered = (conditions & (kHoverOrForced | kLeftDrag)) != 0;
    if (!focused && GetText().IsEmpty() && !mCueText.IsEmpty())
    {
        show(has(kLookCueBase) ? kLookCueBase : kLookNormal, true);
        if (has(kLookCue))
        {
            LRegion clip;
            clip.AddRect(GetTextArea());
            SetLookRegion(kLookCue, clip);
            show(kLookCue, false);
        }
        return;
    }
    int base = focused ? kLookFocused : kLookNormal;
    if (hovered)
    {
        ++base;
    }
    show(has(base) ? base : kLookNormal, true);
    if (focused && HasSelection())
    {
        const int overlay =
            hovered && has(kLookSelectionHover) ? kLookSelectionHover : kLookSelection;
        if (has(overlay))
        {
            RectT<double> range = GetRangeRect(mSelectionStart, mSelectionStart + mSelectionLength);
            range.x -= GetContentOffset().x;
            RectT<double> visible;
            LRegion clip;
            if (IntersectRect(visible, range, GetTextArea()))
            {
                clip.AddRect(visible);
            }
            SetLookRegion(overlay, clip);
            show(overlay, false);
        }
    }
}

void LTextBox::ApplyCueText()
{
    if (const RCPtr<LLook> cue = GetLook(kLookCue))
    {
        cue->SetText(mCueText);
    }
}

// --- Control operations ---

ORVRESULT LTextBox::Initialize()
{
    const ORVRESULT result = LScrollView::Initialize();
    if (FAILED(result))
    {
        return result;
    }
    UpdateCaretRect();
    return S_OK;
}

ORVRESULT LTextBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor)
{
    const RCPtr<LControl> self(this);
    const WString kept = GetText();
    const ORVRESULT result = LScrollView::ApplyDescriptor(descriptor);
    WString label;
    if (descriptor && descriptor->GetCreateParams() &&
        descriptor->GetCreateParams()->Lookup(L"LABEL", label))
    {
        // The skin's label is the cue, not the text.
        SetText(kept);
        mCueText = label;
        if (!mCueText.IsEmpty())
        {
            ApplyCueText();
            UpdateLooks();
        }
    }
    return result;
}

ORVRESULT LTextBox::ProcessRootWindowAquired()
{
    const ORVRESULT result = LScrollView::ProcessRootWindowAquired();
    LFrameworkApp* application = GetFrameworkApp();
    const RCPtr<LStringTable> table =
        application != nullptr ? application->GetFrameworkStringTable() : nullptr;
    if (!table)
    {
        return result;
    }
    struct Item
    {
        const wchar_t* id;
        const wchar_t* notification;
    };
    static const Item kItems[] = {
        {L"EDIT_CUT", L"NID_EDIT_CUT_REQ"},
        {L"EDIT_COPY", L"NID_EDIT_COPY_REQ"},
        {L"EDIT_PASTE", L"NID_EDIT_PASTE_REQ"},
        {L"EDIT_DELETE", L"NID_EDIT_DELETE_REQ"},
    };
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    for (const Item& item : kItems)
    {
        WString label;
        table->Lookup(item.id, label);
        menu->InsertItem(menu->GetItemCount(), label, WString(item.notification), true, false);
    }
    SetContextMenu(menu);
    return result;
}

ORVRESULT LTextBox::SetFocus(bool forward)
{
    const RCPtr<LControl> self(this);
    if ((GetConditions() & kHasFocus) != 0)
    {
        Validate();
    }
    return LScrollView::SetFocus(forward);
}

void LTextBox::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LScrollView::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    LRootWindow* window = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get());
    if (CameOn(before, now, kHasFocus))
    {
        if (window != nullptr)
        {
            window->UpdateTextCursor(true, self, 0);
        }
        ScrollCaretIntoView();
        UpdateLooks();
        ShowCaretNow();
        InvalidateAll();
        if (!mHoldsIdle)
        {
            mHoldsIdle = SubscribeIdle() == S_OK;
        }
    }
    else if (WentOff(before, now, kHasFocus))
    {
        if (window != nullptr)
        {
            window->UpdateTextCursor(false, self, 0);
        }
        if (mHoldsIdle)
        {
            UnsubscribeIdle();
            mHoldsIdle = false;
        }
        mCaretShown = false;
        NotifyScrollOffsetChange(PointT<double>(0, 0));
        UpdateLooks();
        InvalidateAll();
    }
    if (CameOn(before, now, kHoverOrForced))
    {
        if (LFrameworkApp* application = GetFrameworkApp())
        {
            SetCursor(LRootWindow::GetCursorId(application->GetCursor(L"UI_CURSOR_IBEAM")));
        }
    }
    if (WentOff(before, now, kLeftDrag))
    {
        StopAxisAnimation(0);
        StopAxisAnimation(1);
    }
    const DWORD looks = kHoverOrForced | kHasFocus | kEnabled;
    if (((before ^ now) & looks) != 0 || WentOff(before, now, kLeftDrag))
    {
        UpdateLooks();
    }
}

ORVRESULT LTextBox::NotifyScrollOffsetChange(const PointT<double>& offset)
{
    if (mInScrollUpdate)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mInScrollUpdate = true;
    const ORVRESULT result = LScrollView::NotifyScrollOffsetChange(offset);
    const RectT<double> limits = GetScrollLimits();
    if (IsAxisAnimating(0) && (GetContentOffset().x <= 0 || GetContentOffset().x >= limits.width))
    {
        StopAxisAnimation(0);
    }
    if ((GetConditions() & kLeftDrag) != 0)
    {
        const RCPtr<IRootWindow>& window = GetTreeRootWindow();
        if (window)
        {
            const PointT<LONG> cursor = window->GetCursorPos();
            const PointT<double> here = ConvertPointFrom(
                GetTopLevelControl(),
                PointT<double>(static_cast<double>(cursor.x), static_cast<double>(cursor.y)));
            ExtendSelectionTo(CharacterIndexAtPoint(here));
        }
    }
    else
    {
        UpdateLooks();
    }
    mInScrollUpdate = false;
    return result;
}

void LTextBox::OnIdleTick()
{
    LScrollView::OnIdleTick();
    const double now = Now();
    if (now + 1e-9 < mNextBlinkTime)
    {
        return;
    }
    mCaretShown = !mCaretShown;
    mNextBlinkTime = now + (mCaretShown ? kCaretOnTime : kCaretOffTime);
    InvalidateAll();
}

ORVRESULT LTextBox::DrawOverlay(const ConstRCPtr<LRenderer>& renderer)
{
    if (renderer == nullptr || (GetConditions() & kHasFocus) == 0 || !mCaretShown)
    {
        return S_OK;
    }
    const PointT<double> offset = GetContentOffset();
    const double x = mCaretRect.x - offset.x;
    const double y = mCaretRect.y - offset.y;
    // The caret stands out from what lies under it: white over dark, black over light.
    const DWORD under = GetColorAt(
        PointT<LONG>(static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y))),
        GetActiveLookIndex());
    const unsigned mean = (((under >> 16) & 0xFF) + ((under >> 8) & 0xFF) + (under & 0xFF)) / 3;
    const DWORD color = mean < 129 ? 0xFFFFFFFF : 0xFF000000;
    // The line's centre on the pixel column right of x, so that it covers one whole column.
    const float column = static_cast<float>(x + 0.5);
    renderer.GetMutable()->DrawLine(
        PointT<float>(column, static_cast<float>(y)),
        PointT<float>(column, static_cast<float>(y + mCaretRect.height)),
        ColorRGBA::FromPacked(color), 1.0f);
    return S_OK;
}

WString LTextBox::GetToolTipText() const
{
    if (MeasureTextWidth() && !mMultiLine)
    {
        return GetText();
    }
    return LScrollView::GetToolTipText();
}
} // namespace Orv
