// Text boxes made by the factory from TextBoxSkin.xml, in a root window under SDL's offscreen
// driver: the text model and its notification, the caret and selection operations, validation
// with receivers that rewrite or refuse the text, the blink on the application's manual clock,
// the looks (cue, focus, selection) and a screenshot of a box with its caret and a selection and
// one with its cue text, whose pixels are checked.
//
// "box" is at (10, 10), "cued" (cue "Type here") at (10, 50), "dark" (a dark look) at (10, 90),
// each 240 x 30 with the text area 4 pixels in; "other" (270, 10) takes the focus away.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/TextBox.h"
#include "System/WindowOSServices.h"
#include "notification/Notification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kTextChange = L"NID_TEXTBOX_TEXT_CHANGE";
const wchar_t* const kValidating = L"NID_TEXTBOX_VALIDATING";
const wchar_t* const kValidated = L"NID_TEXTBOX_VALIDATED";

constexpr int kWidth = 320;
constexpr int kHeight = 160;

// Colours of the skin's looks.
constexpr std::uint32_t kNormal = 0xFFFFFFFF;
constexpr std::uint32_t kCueBase = 0xFFE0E0E0;
constexpr std::uint32_t kFocused = 0xFFFFFFE0;
constexpr std::uint32_t kSelection = 0xFF2040C0;
constexpr std::uint32_t kDark = 0xFF102030;

// A receiver of the validation that does to the parameter what the test asks.
class Validator : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        const RCPtr<LTextValidationParams> params(notification->param);
        if (params && act)
        {
            act(*params);
        }
        return 1;
    }
    std::function<void(LTextValidationParams&)> act;
};

class TextBoxTest : public ControlWindowFixture
{
public:
    TextBoxTest()
        : ControlWindowFixture("TextBoxSkin.xml")
    {
    }

    void TearDown() override
    {
        FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
        ControlWindowFixture::TearDown();
    }

    RCPtr<LTextBox> Box(const char* name) const
    {
        return DynamicCast<LTextBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), name)));
    }
    std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<std::size_t>(y) * kWidth + x];
    }
    void Capture(const char* file)
    {
        mApplication->ProcessIdle(true);
        PumpMessages();
        ASSERT_TRUE(
            OrvPlatform::Window::ReadClientPixels(mWindow, mPixels.data(), kWidth, kHeight));
        SavePng(mPixels.data(), kWidth, kHeight, ControlsArtefact(file));
    }

    std::vector<std::uint32_t> mPixels = std::vector<std::uint32_t>(kWidth * kHeight);
};

std::string Narrow(const WString& text)
{
    return std::string(text.ToNarrow().GetBuffer());
}

TEST_F(TextBoxTest, SettingTheTextResetsCaretAndSelectionAndTellsTheChange)
{
    const RCPtr<LTextBox> box = Box("box");
    ASSERT_TRUE(box);
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(box.Get()), kTextChange);
    EXPECT_EQ(box->SetText(WString(L"hello")), S_OK);
    EXPECT_EQ(box->SetText(WString(L"hello")), S_FALSE);
    EXPECT_EQ(mRecorder->Count(kTextChange), 1);
    EXPECT_EQ(box->GetCaretPosition(), 0);
    // The extent follows the text's width.
    EXPECT_GT(box->GetExtent().x, 20.0);

    // Caret positions: out of range refused, unchanged without force S_FALSE.
    EXPECT_EQ(box->SetCaretPosition(6, false), E_INVALIDARG);
    EXPECT_EQ(box->SetCaretPosition(-1, false), E_INVALIDARG);
    EXPECT_EQ(box->SetCaretPosition(3, false), S_OK);
    EXPECT_EQ(box->SetCaretPosition(3, false), S_FALSE);
    EXPECT_EQ(box->SetCaretPosition(3, true), S_FALSE);
    EXPECT_EQ(box->GetAnchor(), 3);

    // Selections by SetSelection, SelectRange and ExtendSelectionTo.
    struct Case
    {
        const char* what;
        std::function<void(LTextBox&)> act;
        int start, length, anchor;
    };
    const Case cases[] = {
        {"all", [](LTextBox& b) { b.SetSelection(0, -1); }, 0, 5, 0},
        {"reversed", [](LTextBox& b) { b.SetSelection(2, 0); }, 0, 3, 0},
        {"one", [](LTextBox& b) { b.SetSelection(4, 4); }, 4, 1, 4},
        {"clear", [](LTextBox& b) { b.SetSelection(-1, 0); }, 0, 0, 0},
        {"outside ignored",
         [](LTextBox& b)
         {
             b.SetSelection(1, 2);
             b.SetSelection(1, 5);
         },
         1, 2, 1},
        {"range", [](LTextBox& b) { b.SelectRange(1, 3, 4); }, 1, 3, 4},
        {"extend",
         [](LTextBox& b)
         {
             b.ClearSelection();
             b.SetCaretPosition(4, true);
             b.ExtendSelectionTo(1);
         },
         1, 3, 4},
    };
    for (const Case& c : cases)
    {
        c.act(*box);
        EXPECT_EQ(box->GetSelectionStart(), c.start) << c.what;
        EXPECT_EQ(box->GetSelectionLength(), c.length) << c.what;
        EXPECT_EQ(box->GetAnchor(), c.anchor) << c.what;
    }
    // A new text clears the selection; SetText without a reset keeps the caret inside it.
    box->SetText(WString(L"hi"), false);
    EXPECT_FALSE(box->HasSelection());
    EXPECT_LE(box->GetCaretPosition(), 2);
    // On an empty text "select all" selects nothing.
    box->SetText(WString());
    box->SetSelection(0, -1);
    EXPECT_EQ(box->GetSelectionLength(), 0);
    EXPECT_EQ(mRecorder->Count(kTextChange), 3);
}

TEST_F(TextBoxTest, ValidationLetsReceiversRewriteOrRefuseTheText)
{
    const RCPtr<LTextBox> box = Box("box");
    ASSERT_TRUE(box);
    const RCPtr<Validator> validator(new Validator());
    validator->RegisterNotification(RCPtr<LNotificationDistributor>(box.Get()), kValidating);
    for (const wchar_t* name : {kTextChange, kValidating, kValidated})
    {
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(box.Get()), name);
    }
    box->SetText(WString(L"abc"));
    mRecorder->received.clear();

    struct Case
    {
        const char* what;
        std::function<void(LTextValidationParams&)> act;
        bool accepted;
        const char* text;
        std::vector<std::wstring> sequence;
    };
    const Case cases[] = {
        {"untouched", nullptr, true, "abc", {kValidating, kValidated}},
        {"rewritten",
         [](LTextValidationParams& p) { p.text = WString(L"ABC"); },
         true,
         "ABC",
         {kValidating, kTextChange, kValidated}},
        {"refused",
         [](LTextValidationParams& p)
         {
             EXPECT_EQ(Narrow(p.priorText), "ABC");
             p.text = WString(L"zzz");
             p.accept = false;
         },
         false,
         "ABC",
         {kValidating}},
    };
    for (const Case& c : cases)
    {
        validator->act = c.act;
        mRecorder->received.clear();
        const RCPtr<LTextValidationParams> result = box->Validate();
        EXPECT_EQ(result->accept, c.accepted) << c.what;
        EXPECT_EQ(Narrow(box->GetText()), c.text) << c.what;
        EXPECT_EQ(mRecorder->received, c.sequence) << c.what;
    }

    // Enter validates: a refused text keeps the key in the box, an accepted one passes it on.
    box->SetFocus(true);
    validator->act = [](LTextValidationParams& p) { p.accept = false; };
    const auto enter = [&box]()
    {
        return box->HandleUnusedKey(
            LKeyParam::Create(KeyCode::FromVirtualKey(VK_RETURN, true, 0), false));
    };
    EXPECT_EQ(enter(), S_OK);
    validator->act = nullptr;
    EXPECT_EQ(enter(), S_FALSE);
    EXPECT_TRUE(box->IsInputAcceptable());
    validator->UnregisterAllNotifications();
}

TEST_F(TextBoxTest, TheCaretBlinksOnTheApplicationClockWhileFocused)
{
    const RCPtr<LTextBox> box = Box("box");
    ASSERT_TRUE(box);
    box->SetText(WString(L"abc"));
    ASSERT_EQ(box->SetFocus(true), S_OK);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 1);
    // (ms after the focus, caret shown), one idle pass each.
    struct Step
    {
        DWORD advance;
        bool shown;
    };
    const Step steps[] = {{100, true}, {399, true}, {1, false}, {299, false},
                          {1, true},   {499, true}, {1, false}};
    for (const Step& step : steps)
    {
        IdlePass(step.advance);
        EXPECT_EQ(box->IsCaretShown(), step.shown) << Ms();
    }
    // Every caret move shows it at once, for a full phase.
    box->SetCaretPosition(1, false);
    EXPECT_TRUE(box->IsCaretShown());
    IdlePass(499);
    EXPECT_TRUE(box->IsCaretShown());
    IdlePass(1);
    EXPECT_FALSE(box->IsCaretShown());
    // Losing the focus hides the caret and gives the idle request back.
    FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
    EXPECT_FALSE(box->IsCaretShown());
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
}

TEST_F(TextBoxTest, TheLooksFollowCueFocusSelectionAndEnabledState)
{
    const RCPtr<LTextBox> cued = Box("cued");
    ASSERT_TRUE(cued);
    // The skin's label is the cue, not the text.
    EXPECT_EQ(Narrow(cued->GetCueText()), "Type here");
    EXPECT_TRUE(cued->GetText().IsEmpty());
    EXPECT_EQ(cued->GetActiveLookIndex(), LTextBox::kLookCueBase);
    EXPECT_EQ(cued->GetLookWeight(LTextBox::kLookCue), 1.0f);
    cued->SetFocus(true);
    EXPECT_EQ(cued->GetActiveLookIndex(), LTextBox::kLookFocused);
    EXPECT_EQ(cued->GetLookWeight(LTextBox::kLookCue), 0.0f);
    cued->SetText(WString(L"abc"));
    cued->SetSelection(0, 1);
    EXPECT_EQ(cued->GetLookWeight(LTextBox::kLookSelection), 1.0f);
    cued->SetForcedHover(true);
    EXPECT_EQ(cued->GetActiveLookIndex(), LTextBox::kLookFocusedHover);
    EXPECT_EQ(cued->GetLookWeight(LTextBox::kLookSelectionHover), 1.0f);
    cued->SetForcedHover(false);
    FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
    // With a text and no focus the normal look; no selection overlay without the focus.
    EXPECT_EQ(cued->GetActiveLookIndex(), LTextBox::kLookNormal);
    EXPECT_EQ(cued->GetLookWeight(LTextBox::kLookSelection), 0.0f);
    cued->SetEnabled(false);
    EXPECT_EQ(cued->GetActiveLookIndex(), LTextBox::kLookDisabled);
    cued->SetEnabled(true);
    // A text wider than the box is its tool tip.
    cued->SetText(WString(L"a text far too long to be shown whole in a box of this width"));
    EXPECT_EQ(Narrow(cued->GetToolTipText()), Narrow(cued->GetText()));
    cued->SetText(WString(L"short"));
    EXPECT_TRUE(cued->GetToolTipText().IsEmpty());
}

TEST_F(TextBoxTest, TheScreenShowsTheCaretTheSelectionAndTheCue)
{
    const RCPtr<LTextBox> box = Box("box");
    const RCPtr<LTextBox> dark = Box("dark");
    ASSERT_TRUE(box && dark);
    box->SetText(WString(L"Hello world"));
    ASSERT_EQ(box->SetFocus(true), S_OK);
    box->SetCaretPosition(3, true);
    box->SetSelection(6, 10);
    Capture("TextBoxCaretAndSelection.png");

    const RectT<double> at = box->GetRect();
    const RectT<double> caret = box->GetCaretRect();
    const int caretX = static_cast<int>(std::floor(at.x + caret.x));
    const int midY = static_cast<int>(at.y + caret.y + caret.height / 2);
    // The caret: one black column on the light focused look, the focused look either side.
    EXPECT_EQ(At(caretX, midY), 0xFF000000u);
    EXPECT_EQ(At(caretX, static_cast<int>(at.y) + 2), kFocused);
    // The selection: the blue overlay from "world"'s first character to its end, the white
    // selected text inside it, the focused look outside.
    const RectT<double> range = box->GetRangeRect(6, 11);
    const int left = static_cast<int>(std::ceil(at.x + range.x));
    const int right = static_cast<int>(std::floor(at.x + range.Right()));
    // It covers the line's height, not the whole box.
    const int top = static_cast<int>(std::ceil(at.y + range.y));
    const int bottom = static_cast<int>(std::floor(at.y + range.Bottom()));
    EXPECT_EQ(At(left + 1, top + 1), kSelection);
    EXPECT_EQ(At(right - 1, bottom - 1), kSelection);
    EXPECT_EQ(At(left + 1, top - 2), kFocused);
    EXPECT_EQ(At(left - 2, top + 1), kFocused);
    EXPECT_EQ(At(right + 2, top + 1), kFocused);
    int white = 0;
    for (int x = left; x < right; ++x)
    {
        for (int y = static_cast<int>(at.y); y < static_cast<int>(at.Bottom()); ++y)
        {
            white += At(x, y) == 0xFFFFFFFFu ? 1 : 0;
        }
    }
    EXPECT_GT(white, 10);
    // The unfocused cue box: its base look, the cue text in grey inside the text area.
    int grey = 0;
    for (int x = 14; x < 120; ++x)
    {
        for (int y = 50; y < 80; ++y)
        {
            const std::uint32_t p = At(x, y);
            const int r = (p >> 16) & 0xFF;
            grey += (r > 0x70 && r < 0xD0 && r == static_cast<int>(p & 0xFF)) ? 1 : 0;
        }
    }
    EXPECT_GT(grey, 10);
    EXPECT_EQ(At(12, 52), kCueBase);
    EXPECT_EQ(At(240, 52), kCueBase);

    // A caret over a dark look is white.
    dark->SetText(WString(L"dark"));
    ASSERT_EQ(dark->SetFocus(true), S_OK);
    dark->SetCaretPosition(2, true);
    Capture("TextBoxCaretOnDark.png");
    const RectT<double> darkAt = dark->GetRect();
    const RectT<double> darkCaret = dark->GetCaretRect();
    const int darkX = static_cast<int>(std::floor(darkAt.x + darkCaret.x));
    const int darkY = static_cast<int>(darkAt.y + darkCaret.y + darkCaret.height / 2);
    EXPECT_EQ(At(darkX, darkY), 0xFFFFFFFFu);
    EXPECT_EQ(At(darkX, static_cast<int>(darkAt.y) + 2), kDark);
    // The box that lost the focus shows its normal look and no caret.
    EXPECT_EQ(At(12, 12), kNormal);
}
} // namespace
