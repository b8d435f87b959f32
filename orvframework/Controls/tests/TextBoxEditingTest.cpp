// Editing a text box made by the factory from TextBoxSkin.xml, in a root window under SDL's
// offscreen driver: keys and typed characters sent as window messages, edit commands routed
// through the application's clipboard to the focus control, and mouse selection by press, drag,
// double click and Shift. Each case is checked against the expected text, caret, selection and
// clipboard; read-only boxes, filtered boxes and boxes with a maximum length are among them.
//
// "box" is at (10, 10), 240 x 30, its text area 4 pixels in from the left; "other" at (270, 10)
// takes the focus away at the end of a case.
#include "ControlWindowFixture.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "Application/FrameworkApp.h"
#include "Controls/TextBox.h"
#include "System/ClipBoard.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
class TextBoxEditingTest : public ControlWindowFixture
{
public:
    TextBoxEditingTest()
        : ControlWindowFixture("TextBoxSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mBox = DynamicCast<LTextBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), "box")));
        ASSERT_TRUE(mBox);
    }

    void TearDown() override
    {
        // The focus leaves the box, which gives back its idle request.
        FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
        mBox = nullptr;
        ControlWindowFixture::TearDown();
    }

    // Plays a script: plain characters are typed (WM_CHAR); a token in braces is a key with its
    // modifiers ("{CSL}" Ctrl+Shift+Left) or an edit command ("{CUT}").
    void Play(const std::wstring& script)
    {
        struct Token
        {
            const wchar_t* name;
            WPARAM key;
            bool ctrl;
            bool shift;
        };
        static const Token kKeys[] = {
            {L"L", VK_LEFT, false, false},     {L"R", VK_RIGHT, false, false},
            {L"SL", VK_LEFT, false, true},     {L"SR", VK_RIGHT, false, true},
            {L"CL", VK_LEFT, true, false},     {L"CR", VK_RIGHT, true, false},
            {L"CSL", VK_LEFT, true, true},     {L"CSR", VK_RIGHT, true, true},
            {L"H", VK_HOME, false, false},     {L"E", VK_END, false, false},
            {L"SH", VK_HOME, false, true},     {L"SE", VK_END, false, true},
            {L"BS", VK_BACK, false, false},    {L"DEL", VK_DELETE, false, false},
            {L"SDEL", VK_DELETE, false, true}, {L"CDEL", VK_DELETE, true, false},
            {L"CA", 'A', true, false},         {L"UP", VK_UP, false, false},
        };
        struct Command
        {
            const wchar_t* name;
            int command;
        };
        static const Command kCommands[] = {{L"CUT", LControl::kEditCut},
                                            {L"COPY", LControl::kEditCopy},
                                            {L"PASTE", LControl::kEditPaste},
                                            {L"DELETE", LControl::kEditDelete}};
        for (std::size_t i = 0; i < script.size(); ++i)
        {
            if (script[i] != L'{')
            {
                SendMessageW(mWindow, WM_CHAR, script[i], 1);
                continue;
            }
            const std::size_t end = script.find(L'}', i);
            const std::wstring name = script.substr(i + 1, end - i - 1);
            i = end;
            bool found = false;
            for (const Token& key : kKeys)
            {
                if (name == key.name)
                {
                    SendKeyWithModifiers(mWindow, key.key, key.ctrl, key.shift);
                    found = true;
                }
            }
            for (const Command& command : kCommands)
            {
                if (name == command.name)
                {
                    mApplication->GetClipboard()->PerformEditCommand(command.command);
                    found = true;
                }
            }
            ASSERT_TRUE(found) << "unknown token";
        }
    }

    RCPtr<LTextBox> mBox;
};

std::string Narrow(const WString& text)
{
    return std::string(text.ToNarrow().GetBuffer());
}

TEST_F(TextBoxEditingTest, KeySequencesEditTheTextCaretSelectionAndClipboard)
{
    struct Case
    {
        const wchar_t* text;
        int caret;
        // A selection made with SetSelection (first, last) after the caret; -2: none.
        int first, last;
        const wchar_t* clipboard; // put on the clipboard first; null leaves it
        const wchar_t* script;
        const wchar_t* expected;
        int expectedCaret;
        int expectedStart, expectedLength;
        const wchar_t* expectedClipboard; // null: not checked
    };
    const Case cases[] = {
        // Typing and moving.
        {L"", 0, -2, -2, nullptr, L"abc", L"abc", 3, 3, 0, nullptr},
        {L"abc", 3, -2, -2, nullptr, L"{L}{L}X", L"aXbc", 2, 2, 0, nullptr},
        {L"abc", 0, -2, -2, nullptr, L"{L}{E}{R}!", L"abc!", 4, 4, 0, nullptr},
        {L"abc", 3, -2, -2, nullptr, L"{H}>", L">abc", 1, 1, 0, nullptr},
        // Up and Down are not the box's: nothing changes.
        {L"abc", 1, -2, -2, nullptr, L"{UP}", L"abc", 1, 1, 0, nullptr},
        // Shift+Left grows leftward, Shift+Right then shrinks it back.
        {L"abcdef", 4, -2, -2, nullptr, L"{SL}{SL}", L"abcdef", 2, 2, 2, nullptr},
        {L"abcdef", 4, -2, -2, nullptr, L"{SL}{SL}{SR}", L"abcdef", 3, 3, 1, nullptr},
        {L"abcdef", 1, -2, -2, nullptr, L"{SR}{SR}{SR}{SL}", L"abcdef", 3, 1, 2, nullptr},
        // At the ends Shift+arrows do nothing.
        {L"ab", 0, -2, -2, nullptr, L"{SL}", L"ab", 0, 0, 0, nullptr},
        {L"ab", 2, -2, -2, nullptr, L"{SR}", L"ab", 2, 2, 0, nullptr},
        // A plain arrow drops the selection.
        {L"abcdef", 4, -2, -2, nullptr, L"{SL}{SL}{L}", L"abcdef", 1, 1, 0, nullptr},
        // Words: three two-letter words, two blanks between each.
        {L"ab  cd  ef", 1, -2, -2, nullptr, L"{CR}", L"ab  cd  ef", 4, 4, 0, nullptr},
        {L"ab  cd  ef", 4, -2, -2, nullptr, L"{CR}{CR}", L"ab  cd  ef", 10, 10, 0, nullptr},
        {L"ab  cd  ef", 9, -2, -2, nullptr, L"{CL}", L"ab  cd  ef", 8, 8, 0, nullptr},
        {L"ab  cd  ef", 8, -2, -2, nullptr, L"{CL}", L"ab  cd  ef", 4, 4, 0, nullptr},
        {L"ab  cd  ef", 1, -2, -2, nullptr, L"{CSR}{CSR}", L"ab  cd  ef", 8, 1, 7, nullptr},
        {L"ab  cd  ef", 10, -2, -2, nullptr, L"{CSL}", L"ab  cd  ef", 8, 8, 2, nullptr},
        // Shift+Home and Shift+End select to the ends from the anchor.
        {L"abcdef", 2, -2, -2, nullptr, L"{SE}", L"abcdef", 6, 2, 4, nullptr},
        {L"abcdef", 2, -2, -2, nullptr, L"{SH}", L"abcdef", 0, 0, 2, nullptr},
        // Select all; on an empty text it selects nothing.
        {L"abc", 1, -2, -2, nullptr, L"{CA}", L"abc", 1, 0, 3, nullptr},
        {L"", 0, -2, -2, nullptr, L"{CA}", L"", 0, 0, 0, nullptr},
        // Deleting: Backspace, Delete, Shift+Delete as Backspace, Ctrl+Delete to the end.
        {L"abc", 2, -2, -2, nullptr, L"{BS}", L"ac", 1, 1, 0, nullptr},
        {L"abc", 0, -2, -2, nullptr, L"{BS}", L"abc", 0, 0, 0, nullptr},
        {L"abc", 1, -2, -2, nullptr, L"{DEL}", L"ac", 1, 1, 0, nullptr},
        {L"abc", 3, -2, -2, nullptr, L"{DEL}", L"abc", 3, 3, 0, nullptr},
        {L"abc", 2, -2, -2, nullptr, L"{SDEL}", L"ac", 1, 1, 0, nullptr},
        {L"abcdef", 2, -2, -2, nullptr, L"{CDEL}", L"ab", 2, 2, 0, nullptr},
        {L"abcdef", 0, 1, 3, nullptr, L"{BS}", L"aef", 1, 1, 0, nullptr},
        {L"abcdef", 0, 1, 3, nullptr, L"{CDEL}", L"aef", 1, 1, 0, nullptr},
        // A typed character replaces the selection.
        {L"abcdef", 0, 1, 3, nullptr, L"X", L"aXef", 2, 2, 0, nullptr},
        // The clipboard: copy keeps the text, cut removes the selection, paste inserts at the
        // caret or replaces the selection.
        {L"hello world", 0, 0, 4, nullptr, L"{COPY}", L"hello world", 0, 0, 5, L"hello"},
        {L"hello world", 0, 5, 10, nullptr, L"{CUT}", L"hello", 5, 5, 0, L" world"},
        {L"ab", 1, -2, -2, L"XYZ", L"{PASTE}", L"aXYZb", 4, 4, 0, L"XYZ"},
        {L"abcd", 0, 1, 2, L"XYZ", L"{PASTE}", L"aXYZd", 4, 4, 0, L"XYZ"},
        {L"abcd", 0, 1, 2, nullptr, L"{DELETE}", L"ad", 1, 1, 0, nullptr},
        // Without a selection, copy, cut and delete do nothing.
        {L"abcd", 2, -2, -2, L"keep", L"{COPY}{CUT}{DELETE}", L"abcd", 2, 2, 0, L"keep"},
        // Select all, cut, paste twice.
        {L"12", 2, -2, -2, nullptr, L"{CA}{CUT}{PASTE}{PASTE}", L"1212", 4, 4, 0, L"12"},
    };
    for (const Case& c : cases)
    {
        const std::string label = Narrow(WString(c.text)) + " / " + Narrow(WString(c.script));
        mBox->SetFocus(true);
        mBox->SetText(WString(c.text));
        // An equal text leaves the selection as it was.
        mBox->ClearSelection();
        mBox->SetCaretPosition(c.caret, true);
        if (c.first != -2)
        {
            mBox->SetSelection(c.first, c.last);
        }
        if (c.clipboard != nullptr)
        {
            ASSERT_EQ(mApplication->GetClipboard()->SetText(WString(c.clipboard)), S_OK);
        }
        Play(c.script);
        EXPECT_EQ(Narrow(mBox->GetText()), Narrow(WString(c.expected))) << label;
        EXPECT_EQ(mBox->GetCaretPosition(), c.expectedCaret) << label;
        if (c.expectedLength > 0)
        {
            EXPECT_EQ(mBox->GetSelectionStart(), c.expectedStart) << label;
        }
        EXPECT_EQ(mBox->GetSelectionLength(), c.expectedLength) << label;
        if (c.expectedClipboard != nullptr)
        {
            EXPECT_EQ(Narrow(mApplication->GetClipboard()->GetText()),
                      Narrow(WString(c.expectedClipboard)))
                << label;
        }
    }
}

TEST_F(TextBoxEditingTest, ReadOnlyFilteredAndLimitedBoxesRefuseOnEveryPath)
{
    struct Case
    {
        const char* what;
        bool readOnly;
        const wchar_t* set;
        bool allows;
        int maximum;
        const wchar_t* text;
        int first, last; // a selection, -2: none (the caret is at the end)
        const wchar_t* clipboard;
        const wchar_t* script;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"read-only typing", true, L"", true, 0, L"abc", -2, -2, L"", L"x{BS}{DEL}{CDEL}", L"abc"},
        {"read-only selection", true, L"", true, 0, L"abc", 0, 1, L"", L"x{BS}{SDEL}", L"abc"},
        {"read-only commands", true, L"", true, 0, L"abc", 0, 1, L"zz", L"{CUT}{DELETE}{PASTE}",
         L"abc"},
        // Copying from a read-only box is allowed.
        {"read-only copy", true, L"", true, 0, L"abc", 0, 1, L"zz", L"{COPY}", L"abc"},
        {"digits", false, L"0123456789", true, 0, L"1", -2, -2, L"", L"a2-b3", L"123"},
        {"no vowels", false, L"aeiou", false, 0, L"", -2, -2, L"", L"banana", L"bnn"},
        // A pasted text with a refused character is refused whole, also over a selection.
        {"digits paste", false, L"0123456789", true, 0, L"12", -2, -2, L"3x", L"{PASTE}", L"12"},
        {"digits paste sel", false, L"0123456789", true, 0, L"12", 0, 1, L"3x", L"{PASTE}", L"12"},
        {"digits paste ok", false, L"0123456789", true, 0, L"12", -2, -2, L"34", L"{PASTE}",
         L"1234"},
        // The maximum length: typing stops, a selection makes room, paste must fit.
        {"full", false, L"", true, 3, L"abc", -2, -2, L"", L"d", L"abc"},
        {"full sel", false, L"", true, 3, L"abc", 1, 1, L"", L"X", L"aXc"},
        {"paste too long", false, L"", true, 4, L"abc", -2, -2, L"de", L"{PASTE}", L"abc"},
        {"paste sel fits", false, L"", true, 4, L"abc", 1, 2, L"xyz", L"{PASTE}", L"axyz"},
        {"paste sel too long", false, L"", true, 4, L"abc", 1, 1, L"xyz", L"{PASTE}", L"abc"},
        // Tab is not typed.
        {"tab", false, L"", true, 0, L"a", -2, -2, L"", L"\t", L"a"},
    };
    for (const Case& c : cases)
    {
        mBox->SetFocus(true);
        mBox->SetReadOnly(false);
        mBox->SetCharacterSet(WString(c.set), c.allows);
        mBox->SetMaximumLength(c.maximum);
        mBox->SetText(WString(c.text));
        mBox->ClearSelection();
        mBox->SetCaretPosition(mBox->GetTextLength(), true);
        if (c.first != -2)
        {
            mBox->SetSelection(c.first, c.last);
        }
        mBox->SetReadOnly(c.readOnly);
        ASSERT_EQ(mApplication->GetClipboard()->SetText(WString(c.clipboard)), S_OK);
        const bool couldPaste = mBox->CanPerformEdit(LControl::kEditPaste);
        Play(c.script);
        EXPECT_EQ(Narrow(mBox->GetText()), Narrow(WString(c.expected))) << c.what;
        if (c.readOnly)
        {
            EXPECT_FALSE(couldPaste) << c.what;
            EXPECT_FALSE(mBox->CanPerformEdit(LControl::kEditCut)) << c.what;
            EXPECT_FALSE(mBox->CanPerformEdit(LControl::kEditDelete)) << c.what;
            EXPECT_EQ(mBox->PerformEdit(LControl::kEditPaste), E_FAIL) << c.what;
            EXPECT_EQ(mBox->ReplaceSelection(WString(L"q")), E_FAIL) << c.what;
            EXPECT_EQ(mBox->DeleteSelection(), S_FALSE) << c.what;
        }
    }
    EXPECT_EQ(Narrow(mApplication->GetClipboard()->GetText()), "");
    // The copy from the read-only box reached the clipboard.
    mBox->SetReadOnly(true);
    mBox->SetText(WString(L"xyz"));
    mBox->SetSelection(1, 2);
    EXPECT_EQ(mBox->PerformEdit(LControl::kEditCopy), S_OK);
    EXPECT_EQ(Narrow(mApplication->GetClipboard()->GetText()), "yz");
    EXPECT_EQ(mBox->PerformEdit(7), E_FAIL);
}

TEST_F(TextBoxEditingTest, EveryChangeSendsOneTextChangeAndRefusalsSendNone)
{
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mBox.Get()),
                                    L"NID_TEXTBOX_TEXT_CHANGE");
    mBox->SetFocus(true);
    Play(L"ab{BS}{CA}");
    EXPECT_EQ(mRecorder->Count(L"NID_TEXTBOX_TEXT_CHANGE"), 3);
    mBox->SetReadOnly(true);
    Play(L"x{BS}{DEL}{CUT}");
    EXPECT_EQ(mRecorder->Count(L"NID_TEXTBOX_TEXT_CHANGE"), 3);
    EXPECT_EQ(Narrow(mBox->GetText()), "a");
}

TEST_F(TextBoxEditingTest, TheMouseSelectsByPressDragShiftAndDoubleClick)
{
    mBox->SetText(WString(L"hello  world"));
    // Where the characters lie on screen, from the box's own geometry.
    const RectT<double> box = mBox->GetRect();
    const auto screenX = [&](int index)
    {
        const RectT<double> r = mBox->GetCharacterRect(index);
        return static_cast<int>(std::lround(box.x + r.x));
    };
    const int y = static_cast<int>(box.y + box.height / 2);
    // Characters advance left to right.
    for (int i = 0; i < 12; ++i)
    {
        ASSERT_LT(screenX(i), screenX(i + 1)) << i;
    }
    // A press puts the caret at the nearer edge of the character under the pointer.
    Click(screenX(1) + 1, y);
    EXPECT_EQ(mBox->GetCaretPosition(), 1);
    EXPECT_EQ(mBox->GetSelectionLength(), 0);
    Click(screenX(2) - 1, y);
    EXPECT_EQ(mBox->GetCaretPosition(), 2);
    // Left and right of the text: the ends.
    Click(static_cast<int>(box.x) + 1, y);
    EXPECT_EQ(mBox->GetCaretPosition(), 0);
    Click(static_cast<int>(box.Right()) - 2, y);
    EXPECT_EQ(mBox->GetCaretPosition(), 12);

    // Press at 1, drag to 4 and on to 9, release: the selection follows the pointer.
    Press(screenX(1) + 1, y);
    MoveHeld(screenX(4) + 1, y);
    EXPECT_EQ(mBox->GetSelectionStart(), 1);
    EXPECT_EQ(mBox->GetSelectionLength(), 3);
    MoveHeld(screenX(9) + 1, y);
    Release(screenX(9) + 1, y);
    EXPECT_EQ(mBox->GetSelectionStart(), 1);
    EXPECT_EQ(mBox->GetSelectionLength(), 8);
    EXPECT_EQ(mBox->GetCaretPosition(), 9);
    EXPECT_EQ(Narrow(mBox->GetSelectedText()), "ello  wo");
    // Dragging back past the anchor selects on its other side.
    Press(screenX(5) + 1, y);
    MoveHeld(screenX(2) + 1, y);
    Release(screenX(2) + 1, y);
    EXPECT_EQ(mBox->GetSelectionStart(), 2);
    EXPECT_EQ(mBox->GetSelectionLength(), 3);
    EXPECT_EQ(mBox->GetAnchor(), 5);

    // Shift with a press extends from the anchor.
    Click(screenX(3) + 1, y);
    Mouse(WM_LBUTTONDOWN, screenX(7) + 1, y, MK_LBUTTON | MK_SHIFT);
    Release(screenX(7) + 1, y);
    EXPECT_EQ(mBox->GetSelectionStart(), 3);
    EXPECT_EQ(mBox->GetSelectionLength(), 4);

    // A double click inside a word followed by blanks selects the word only.
    Click(screenX(2) + 1, y);
    Mouse(WM_LBUTTONDBLCLK, screenX(2) + 1, y, MK_LBUTTON);
    Release(screenX(2) + 1, y);
    EXPECT_EQ(Narrow(mBox->GetSelectedText()), "hello");
    EXPECT_EQ(mBox->GetCaretPosition(), 5);
    Click(screenX(9) + 1, y);
    Mouse(WM_LBUTTONDBLCLK, screenX(9) + 1, y, MK_LBUTTON);
    Release(screenX(9) + 1, y);
    EXPECT_EQ(Narrow(mBox->GetSelectedText()), "world");
}

TEST_F(TextBoxEditingTest, TheEditMenuCarriesTheFourCommandsWithTheirStates)
{
    const RCPtr<LMenuDescriptor>& menu = mBox->GetContextMenu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->GetItemCount(), 4u);
    const char* labels[] = {"Cut", "Copy", "Paste", "Delete"};
    for (unsigned int i = 0; i < 4; ++i)
    {
        MenuItemInfo info;
        ASSERT_EQ(menu->GetItemInfo(i, info), S_OK);
        EXPECT_EQ(Narrow(info.label), labels[i]);
        EXPECT_TRUE(info.enabled);
    }
    mBox->SetFocus(true);
    mBox->SetText(WString(L"abc"));
    ASSERT_EQ(mApplication->GetClipboard()->SetText(WString(L"z")), S_OK);
    struct Row
    {
        const wchar_t* name;
        bool withoutSelection;
        bool withSelection;
    };
    const Row rows[] = {{L"NID_EDIT_CUT_REQ", false, true},
                        {L"NID_EDIT_COPY_REQ", false, true},
                        {L"NID_EDIT_PASTE_REQ", true, true},
                        {L"NID_EDIT_DELETE_REQ", false, true}};
    for (const Row& row : rows)
    {
        bool enabled = true;
        mBox->ClearSelection();
        ASSERT_EQ(mBox->GetMenuItemState(WString(row.name), enabled), S_OK);
        EXPECT_EQ(enabled, row.withoutSelection) << Narrow(WString(row.name));
        mBox->SetSelection(0, 1);
        ASSERT_EQ(mBox->GetMenuItemState(WString(row.name), enabled), S_OK);
        EXPECT_EQ(enabled, row.withSelection) << Narrow(WString(row.name));
    }
    bool enabled = false;
    EXPECT_EQ(mBox->GetMenuItemState(WString(L"NID_OTHER"), enabled), S_FALSE);

    // The requests of the application centre reach the focused box (the clipboard listens once
    // the application's start-up has initialised it).
    ASSERT_EQ(mApplication->GetClipboard()->Initialize(), S_OK);
    mBox->SetSelection(0, 1);
    const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    center->PostNotification(LNotification::Create(L"NID_EDIT_CUT_REQ", nullptr));
    mApplication->ProcessIdle(true);
    EXPECT_EQ(Narrow(mBox->GetText()), "c");
    EXPECT_EQ(Narrow(mApplication->GetClipboard()->GetText()), "ab");
}
} // namespace
