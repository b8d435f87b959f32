// The single-line edit box ("Framework.TextBox"): a scroll view whose text is laid out by the
// active look's text part, with a caret, a selection, keyboard editing, mouse selection, the edit
// commands (cut, copy, paste, delete) through the application's clipboard, an edit context menu,
// a cue text shown while the box is empty and unfocused, and a validation protocol through which
// other objects check or rewrite the text before it is accepted.
//
// Character indices count the characters of the wide text. Every change of the text goes through
// the two-argument SetText: "NID_TEXTBOX_TEXT_CHANGE" (parameter: the text box) follows every
// accepted change. Validation ("NID_TEXTBOX_VALIDATING", then "NID_TEXTBOX_VALIDATED" when
// accepted; parameter: an LTextValidationParams) runs on Enter, when the focus is set while the
// box holds it, and when IsInputAcceptable is asked.
//
// Read-only and the character filter hold on every path that changes the text: typing, the
// delete keys, the edit commands and paste (a pasted text with a refused character is refused
// whole).
//
// Looks: 0 normal, 1 hover, 3 focused, 4 focused with hover, 6 disabled; 2 the base while the cue
// shows, with 9, the cue, over it; 10 (11 with hover) the selection over the base, drawn only
// inside the selection.
//
// The caret blinks on the application clock (shown 0.5 s, hidden 0.3 s) while the box has the
// focus; the box holds an idle request exactly while it has the focus.
//
// UI thread only.
#pragma once

#include "Controls/ScrollView.h"
#include "Controls/TextValidationParams.h"

namespace Orv
{
class LTextBox : public LScrollView
{
public:
    enum Look
    {
        kLookNormal = 0,
        kLookHover = 1,
        kLookCueBase = 2,
        kLookFocused = 3,
        kLookFocusedHover = 4,
        kLookDisabled = 6,
        kLookCue = 9,
        kLookSelection = 10,
        kLookSelectionHover = 11,
    };
    // The caret's blink phases, in seconds.
    static constexpr double kCaretOnTime = 0.5;
    static constexpr double kCaretOffTime = 0.3;

    LTextBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LTextBox(const RCPtr<LControl>& parent, const WString& name);
    ~LTextBox() override;

    // --- Text and validation (TextBox.cpp) ---

    // SetText(text, true).
    ORVRESULT SetText(const WString& text) override;
    // Applies the text; S_FALSE when it equals the current one (nothing happens). The extent
    // follows the text, the selection clears, with resetCaret the caret goes to 0, and
    // "NID_TEXTBOX_TEXT_CHANGE" goes out. S_OK.
    virtual ORVRESULT SetText(const WString& text, bool resetCaret);
    // Offers the text to "NID_TEXTBOX_VALIDATING"; an accepted text a receiver rewrote is applied,
    // then "NID_TEXTBOX_VALIDATED" goes out. The parameter, whose accept flag tells the outcome.
    RCPtr<LTextValidationParams> Validate();
    // Validate's accept flag.
    virtual bool IsInputAcceptable();
    int GetTextLength() const { return static_cast<int>(GetText().GetLength()); }
    const WString& GetCueText() const { return mCueText; }

    // The limits of editing. The character set lists the characters typing may insert
    // (allows true) or may not (allows false); an empty set allows every printable character.
    void SetCharacterSet(const WString& characters, bool allows);
    const WString& GetCharacterSet() const { return mCharacterSet; }
    bool GetCharacterSetAllows() const { return mCharacterSetAllows; }
    // The most characters the text may hold by editing; 0 for no limit.
    void SetMaximumLength(int length) { mMaximumLength = length < 0 ? 0 : length; }
    int GetMaximumLength() const { return mMaximumLength; }
    void SetReadOnly(bool readOnly) { mReadOnly = readOnly; }
    bool IsReadOnly() const { return mReadOnly; }
    bool IsMultiLine() const { return mMultiLine; }

    // --- Caret and selection (TextBox.cpp) ---

    // Moves the caret to index (0 .. length). E_INVALIDARG for another index (nothing moves).
    // An unchanged index without force only brings the anchor to the caret when nothing is
    // selected (S_FALSE). Otherwise the caret moves (the anchor with it when nothing is
    // selected), shows for a full blink phase, and the control redraws: S_FALSE when the index
    // was the caret's, S_OK when not.
    ORVRESULT SetCaretPosition(int index, bool force);
    int GetCaretPosition() const { return mCaret; }
    // first -1 clears the selection; (0, -1) selects all; else the inclusive range between
    // two indices below the length (others are ignored), anchored at its start.
    void SetSelection(int first, int last);
    // count characters from start (none for a count below 1), then the anchor.
    void SelectRange(int start, int count, int anchor);
    // Selects from the anchor to index and moves the caret there; the anchor stays.
    void ExtendSelectionTo(int index);
    void ClearSelection();
    int GetSelectionStart() const { return mSelectionStart; }
    int GetSelectionLength() const { return mSelectionLength; }
    int GetAnchor() const { return mAnchor; }
    bool HasSelection() const { return mSelectionLength > 0; }
    WString GetSelectedText() const;
    bool IsCaretShown() const { return mCaretShown; }

    // --- Geometry (TextBox.cpp) ---

    // The active look's text area in the control's coordinates; empty without text properties.
    RectT<double> GetTextArea() const;
    // The character at index (0 .. length): its left edge, the line's top, its width less 1 and
    // the line height; an empty rectangle for another index.
    RectT<double> GetCharacterRect(int index) const;
    // From the lower index's rectangle to the right edge of the higher one's; an empty rectangle
    // when either index leaves 0 .. length.
    RectT<double> GetRangeRect(int first, int last) const;
    // The caret's rectangle (text coordinates, before scrolling): width 1, the line's height.
    void UpdateCaretRect();
    const RectT<double>& GetCaretRect() const { return mCaretRect; }
    // Keeps the caret in view when scrolling to the caret is set.
    void ScrollCaretIntoView();
    // Chooses the looks from the state (see the header).
    void UpdateLooks();

    // --- Editing (TextBoxEditing.cpp) ---

    // Types c at the caret, over the selection. S_FALSE when nothing changed (read-only, the
    // maximum length reached), else S_OK.
    int InsertCharacter(wchar_t c);
    // Removes count characters from start. S_FALSE when nothing changed (read-only, a range
    // outside the text), else S_OK.
    int DeleteRange(int start, int count);
    // Removes the selection. S_FALSE when nothing changed.
    int DeleteSelection();
    // Puts text in place of the selection. E_FAIL without a selection, for a read-only box, or
    // when the result would pass the maximum length; else SetText's result.
    ORVRESULT ReplaceSelection(const WString& text);
    // The start of the next (previous) word from the caret.
    int NextWordStart() const;
    int PreviousWordStart() const;
    // The printable class of the global locale.
    static bool IsPrintable(wchar_t c);
    // Whether typing may insert c by the character set.
    bool IsCharacterAllowed(wchar_t c) const;

    bool AcceptsEdit() const override { return true; }
    // Delete, cut and copy need a selection (delete and cut also a box that is not read-only);
    // paste needs clipboard text that the character set and the maximum length admit.
    bool CanPerformEdit(int command) const override;
    // E_FAIL for a command that cannot be performed now (nothing changes).
    ORVRESULT PerformEdit(int command) override;
    // For the four edit requests: S_OK and whether the command can be performed now
    // (through the clipboard's routing to the focus control); S_FALSE for other names.
    ORVRESULT GetMenuItemState(const WString& notificationName, bool& enabled) const;

    // --- Keys (TextBoxKeys.cpp) ---

    // The key table and typed characters: S_OK when the box took the key, S_FALSE when it
    // passes it on.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;

    // --- Mouse (TextBoxMouse.cpp) ---

    // The character index nearest to point (control coordinates), clamped into the text area.
    int CharacterIndexAtPoint(const PointT<double>& point) const;
    void OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    void OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param) override;
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;

    // --- Control operations (TextBox.cpp) ---

    ORVRESULT Initialize() override;
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    // The edit context menu of the framework's string table.
    ORVRESULT ProcessRootWindowAquired() override;
    // Validates first when the box holds the focus.
    ORVRESULT SetFocus(bool forward) override;
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    ORVRESULT NotifyScrollOffsetChange(const PointT<double>& offset) override;
    // The blink.
    void OnIdleTick() override;
    // The caret.
    ORVRESULT DrawOverlay(const ConstRCPtr<LRenderer>& renderer) override;
    // The whole text when it does not fit, else the control's tool tip.
    WString GetToolTipText() const override;

private:
    // The application clock in seconds (0 without a root window).
    double Now() const;
    // The font the text is measured with: the active look's text font, else the control's.
    ConstRCPtr<LFont> MeasureFont() const;
    // The width of text in that font.
    double MeasureWidth(const WString& text) const;
    // The placed first line's offset in the text area (its alignment), x and y.
    PointT<double> TextOffset() const;
    double LineHeight() const;
    // Sets the selection fields; the looks follow when they changed.
    void StoreSelection(int start, int length);
    // Whether the box can take a pasted text now (read-only, the character set, the length).
    bool CanPaste(const WString& clipboard) const;
    WString ClipboardText() const;
    // Applies the cue text to the cue look.
    void ApplyCueText();
    void ShowCaretNow();

    WString mCharacterSet;
    bool mCharacterSetAllows = true;
    WString mCueText;
    int mCaret = 0;
    int mSelectionStart = 0;
    int mSelectionLength = 0;
    int mAnchor = 0;
    int mMaximumLength = 0;
    bool mReadOnly = false;
    bool mScrollToCaret = false;
    bool mMultiLine = false;
    RectT<double> mCaretRect;
    bool mInScrollUpdate = false;
    bool mCaretShown = true;
    double mNextBlinkTime = 0;
    bool mHoldsIdle = false;
};
} // namespace Orv
