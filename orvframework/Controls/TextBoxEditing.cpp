// The text box's editing operations and edit commands: every change is built on a copy of the
// text and applied with SetText(copy, false); the caret moves only when the text changed.
#include "Controls/TextBox.h"

#include "Application/FrameworkApp.h"
#include "System/ClipBoard.h"

#include <algorithm>
#include <locale>

namespace Orv
{
namespace
{
// text without count characters from start (both within the text).
WString Without(const WString& text, int start, int count)
{
    return text.Left(start) + text.Mid(start + count);
}

WString With(const WString& text, int at, const WString& inserted)
{
    return text.Left(at) + inserted + text.Mid(at);
}

bool IsSpace(wchar_t c)
{
    return std::use_facet<std::ctype<wchar_t>>(std::locale()).is(std::ctype_base::space, c);
}

RCPtr<LClipboard> Clipboard()
{
    LFrameworkApp* application = GetFrameworkApp();
    return application != nullptr ? application->GetClipboard() : nullptr;
}
} // namespace

bool LTextBox::IsPrintable(wchar_t c)
{
    return std::use_facet<std::ctype<wchar_t>>(std::locale()).is(std::ctype_base::print, c);
}

bool LTextBox::IsCharacterAllowed(wchar_t c) const
{
    if (mCharacterSet.IsEmpty())
    {
        return true;
    }
    const wchar_t single[2] = {c, 0};
    const bool listed = mCharacterSet.Find(WString(single)) >= 0;
    return listed == mCharacterSetAllows;
}

int LTextBox::InsertCharacter(wchar_t c)
{
    if (mReadOnly)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    WString copy = GetText();
    int caret = mCaret;
    if (HasSelection())
    {
        copy = Without(copy, mSelectionStart, mSelectionLength);
        caret = mSelectionStart;
    }
    bool inserted = false;
    if (mMaximumLength == 0 || static_cast<int>(copy.GetLength()) < mMaximumLength)
    {
        const wchar_t single[2] = {c, 0};
        copy = With(copy, caret, WString(single));
        inserted = true;
    }
    const ORVRESULT result = SetText(copy, false);
    if (result == S_OK)
    {
        SetCaretPosition(inserted ? caret + 1 : caret, true);
    }
    return result == S_OK ? S_OK : S_FALSE;
}

int LTextBox::DeleteRange(int start, int count)
{
    if (mReadOnly)
    {
        return S_FALSE;
    }
    const int length = GetTextLength();
    if (start < 0 || count < 1 || start > length || count > length - start)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    if (SetText(Without(GetText(), start, count), false) != S_OK)
    {
        return S_FALSE;
    }
    SetCaretPosition(start, true);
    return S_OK;
}

int LTextBox::DeleteSelection()
{
    if (!HasSelection())
    {
        return S_FALSE;
    }
    return DeleteRange(mSelectionStart, mSelectionLength);
}

ORVRESULT LTextBox::ReplaceSelection(const WString& text)
{
    if (!HasSelection() || mReadOnly)
    {
        return E_FAIL;
    }
    const int length = GetTextLength();
    const int inserted = static_cast<int>(text.GetLength());
    if (mMaximumLength > 0 && length - mSelectionLength + inserted > mMaximumLength)
    {
        return E_FAIL;
    }
    const RCPtr<LControl> self(this);
    const int start = mSelectionStart;
    const WString copy = With(Without(GetText(), start, mSelectionLength), start, text);
    const ORVRESULT result = SetText(copy, false);
    if (result == S_OK)
    {
        SetCaretPosition(start + inserted, true);
    }
    ClearSelection();
    return result;
}

int LTextBox::NextWordStart() const
{
    const wchar_t* text = GetText().GetBuffer();
    const int length = GetTextLength();
    int i = mCaret;
    if (i >= length)
    {
        return mCaret;
    }
    while (i < length && IsSpace(text[i]))
    {
        ++i;
    }
    while (i < length && !IsSpace(text[i]))
    {
        ++i;
    }
    while (i < length && IsSpace(text[i]))
    {
        ++i;
    }
    return i;
}

int LTextBox::PreviousWordStart() const
{
    const wchar_t* text = GetText().GetBuffer();
    if (mCaret <= 0)
    {
        return 0;
    }
    int i = std::min(mCaret, GetTextLength()) - 1;
    while (i > 0 && IsSpace(text[i]))
    {
        --i;
    }
    while (i > 0 && !IsSpace(text[i]))
    {
        --i;
    }
    if (IsSpace(text[i]))
    {
        ++i;
    }
    return i;
}

// --- Edit commands ---

WString LTextBox::ClipboardText() const
{
    const RCPtr<LClipboard> clipboard = Clipboard();
    return clipboard ? clipboard->GetText() : WString();
}

bool LTextBox::CanPaste(const WString& clipboard) const
{
    if (mReadOnly || clipboard.IsEmpty())
    {
        return false;
    }
    // The filter typing obeys holds for pasted text too: one refused character refuses it all.
    for (unsigned int i = 0; i < clipboard.GetLength(); ++i)
    {
        const wchar_t c = clipboard.GetBuffer()[i];
        if (!IsPrintable(c) || c == L'\t' || !IsCharacterAllowed(c))
        {
            return false;
        }
    }
    const int length = GetTextLength() - mSelectionLength + static_cast<int>(clipboard.GetLength());
    return mMaximumLength == 0 || length <= mMaximumLength;
}

bool LTextBox::CanPerformEdit(int command) const
{
    switch (command)
    {
        case kEditDelete:
        case kEditCut:
            return HasSelection() && !mReadOnly;
        case kEditCopy:
            return HasSelection();
        case kEditPaste:
            return CanPaste(ClipboardText());
        default:
            return false;
    }
}

ORVRESULT LTextBox::PerformEdit(int command)
{
    const RCPtr<LControl> self(this);
    switch (command)
    {
        case kEditDelete:
            if (!CanPerformEdit(kEditDelete))
            {
                return E_FAIL;
            }
            DeleteSelection();
            return S_OK;
        case kEditCopy:
        case kEditCut:
        {
            if (!CanPerformEdit(command))
            {
                return E_FAIL;
            }
            const RCPtr<LClipboard> clipboard = Clipboard();
            if (!clipboard || FAILED(clipboard->SetText(GetSelectedText())))
            {
                return E_FAIL;
            }
            if (command == kEditCut)
            {
                DeleteSelection();
            }
            return S_OK;
        }
        case kEditPaste:
        {
            const WString pasted = ClipboardText();
            if (!CanPaste(pasted))
            {
                return E_FAIL;
            }
            if (HasSelection())
            {
                return ReplaceSelection(pasted);
            }
            const int caret = mCaret;
            if (SetText(With(GetText(), caret, pasted), false) != S_OK)
            {
                return E_FAIL;
            }
            SetCaretPosition(caret + static_cast<int>(pasted.GetLength()), true);
            return S_OK;
        }
        default:
            return E_FAIL;
    }
}

ORVRESULT LTextBox::GetMenuItemState(const WString& notificationName, bool& enabled) const
{
    struct Request
    {
        const wchar_t* name;
        int command;
    };
    static const Request kRequests[] = {
        {L"NID_EDIT_COPY_REQ", kEditCopy},
        {L"NID_EDIT_CUT_REQ", kEditCut},
        {L"NID_EDIT_DELETE_REQ", kEditDelete},
        {L"NID_EDIT_PASTE_REQ", kEditPaste},
    };
    for (const Request& request : kRequests)
    {
        if (notificationName == request.name)
        {
            const RCPtr<LClipboard> clipboard = Clipboard();
            enabled = clipboard && clipboard->RouteEditCommand(request.command);
            return S_OK;
        }
    }
    return S_FALSE;
}
} // namespace Orv
