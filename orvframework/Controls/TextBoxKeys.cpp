// The text box's key table and typed characters. Keys are compared exactly, modifiers included;
// a combination the table does not list is treated as any other key.
#include "Controls/TextBox.h"

#include "notification/KeyCode.h"
#include "platform/User32.h"

namespace Orv
{
namespace
{
constexpr LONG kPressed = KeyCode::kNamedKey;
constexpr LONG kCtrl = KeyCode::kCtrl;
constexpr LONG kShift = KeyCode::kShift;

constexpr LONG Pressed(int virtualKey, LONG modifiers = 0)
{
    return kPressed | (static_cast<LONG>(virtualKey) << 16) | modifiers;
}
} // namespace

ORVRESULT LTextBox::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const LONG code = param->key.code;
    if (code < 0)
    {
        // No key: taken and ignored.
        return S_OK;
    }
    if ((code & 0x00FF0000) == 0 && (code & kPressed) == 0)
    {
        // A typed character.
        const wchar_t c = static_cast<wchar_t>(code & 0xFFFF);
        if (IsPrintable(c) && c != L'\t')
        {
            if (IsCharacterAllowed(c))
            {
                InsertCharacter(c);
            }
            return S_OK;
        }
        return c == L'\b' ? S_OK : S_FALSE;
    }

    const int length = GetTextLength();
    // The virtual key with its press flag and modifiers; the input flag and the low word do not
    // count.
    const LONG key = code & ~(KeyCode::kInputFlag | 0xFFFF);
    switch (key)
    {
        case Pressed('A', kCtrl):
            mAnchor = 0;
            StoreSelection(0, length);
            return S_OK;
        case Pressed(VK_LEFT):
            ClearSelection();
            if (mCaret > 0)
            {
                SetCaretPosition(mCaret - 1, false);
            }
            return S_OK;
        case Pressed(VK_RIGHT):
            ClearSelection();
            if (mCaret < length)
            {
                SetCaretPosition(mCaret + 1, false);
            }
            return S_OK;
        case Pressed(VK_UP):
        case Pressed(VK_DOWN):
        case Pressed(VK_UP, kShift):
        case Pressed(VK_DOWN, kShift):
        case Pressed(VK_UP, kCtrl):
        case Pressed(VK_DOWN, kCtrl):
        case Pressed(VK_UP, kCtrl | kShift):
        case Pressed(VK_DOWN, kCtrl | kShift):
            return mMultiLine ? S_OK : S_FALSE;
        case Pressed(VK_LEFT, kShift):
            if (mCaret > 0)
            {
                if (HasSelection())
                {
                    if (mCaret > mAnchor)
                    {
                        StoreSelection(mSelectionStart, mSelectionLength - 1);
                    }
                    else
                    {
                        StoreSelection(mSelectionStart - 1, mSelectionLength + 1);
                    }
                }
                else
                {
                    mAnchor = mCaret;
                    StoreSelection(mCaret - 1, 1);
                }
                SetCaretPosition(mCaret - 1, false);
            }
            return S_OK;
        case Pressed(VK_RIGHT, kShift):
            if (mCaret < length)
            {
                if (HasSelection())
                {
                    if (mCaret < mAnchor)
                    {
                        StoreSelection(mSelectionStart + 1, mSelectionLength - 1);
                    }
                    else
                    {
                        StoreSelection(mSelectionStart, mSelectionLength + 1);
                    }
                }
                else
                {
                    mAnchor = mCaret;
                    StoreSelection(mCaret, 1);
                }
                SetCaretPosition(mCaret + 1, false);
            }
            return S_OK;
        case Pressed(VK_LEFT, kCtrl):
            ClearSelection();
            SetCaretPosition(PreviousWordStart(), false);
            return S_OK;
        case Pressed(VK_RIGHT, kCtrl):
            ClearSelection();
            SetCaretPosition(NextWordStart(), false);
            return S_OK;
        case Pressed(VK_LEFT, kCtrl | kShift):
            ExtendSelectionTo(PreviousWordStart());
            return S_OK;
        case Pressed(VK_RIGHT, kCtrl | kShift):
            ExtendSelectionTo(NextWordStart());
            return S_OK;
        case Pressed(VK_HOME):
            ClearSelection();
            SetCaretPosition(0, false);
            return S_OK;
        case Pressed(VK_END):
            ClearSelection();
            SetCaretPosition(length, false);
            return S_OK;
        case Pressed(VK_HOME, kShift):
            if (mCaret > 0)
            {
                const int anchor = mAnchor;
                SelectRange(0, anchor, anchor);
                SetCaretPosition(0, false);
            }
            return S_OK;
        case Pressed(VK_END, kShift):
            if (mCaret < length)
            {
                const int anchor = mAnchor;
                SelectRange(anchor, length - anchor, anchor);
                SetCaretPosition(length, false);
            }
            return S_OK;
        case Pressed(VK_BACK):
        case Pressed(VK_DELETE, kShift):
            if (HasSelection())
            {
                DeleteSelection();
            }
            else if (mCaret > 0)
            {
                DeleteRange(mCaret - 1, 1);
            }
            return S_OK;
        case Pressed(VK_DELETE):
            if (HasSelection())
            {
                DeleteSelection();
            }
            else if (mCaret < length)
            {
                DeleteRange(mCaret, 1);
            }
            return S_OK;
        case Pressed(VK_DELETE, kCtrl):
            if (HasSelection())
            {
                DeleteSelection();
            }
            else if (mCaret < length)
            {
                DeleteRange(mCaret, length - mCaret);
            }
            return S_OK;
        case Pressed(VK_RETURN):
            // An accepted Enter goes on to the parent; a refused one stays in the box.
            return Validate()->accept ? S_FALSE : S_OK;
        default:
            break;
    }
    // Keys whose character arrives separately as a typed character.
    const int virtualKey = param->key.GetVirtualKey();
    const bool plain = (code & (kCtrl | KeyCode::kAlt | KeyCode::kCmd)) == 0;
    const bool typing = virtualKey == VK_SPACE || (virtualKey >= '0' && virtualKey <= '9') ||
                        (virtualKey >= 'A' && virtualKey <= 'Z');
    return plain && typing ? S_OK : S_FALSE;
}
} // namespace Orv
