// The numeric up-down made by the factory from NumericUpDownSkin.xml, in a root window under
// SDL's offscreen driver: the characters its text box takes, the text typed and confirmed with
// Enter against the value and the text shown, the buttons' auto repeat on the application's
// manual clock, the Up and Down keys, and the range checks.
//
// "number" is at (10, 10), 120 x 30: "textBox" (0, 0, 90 x 30), "buttonUp" (90, 0, 30 x 15) and
// "buttonDown" (90, 15, 30 x 15) inside it; "other" (150, 10) takes the focus away.
#include "ControlWindowFixture.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "Controls/NumericUpDown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Orv;
using namespace OrvTest;

namespace
{
class NumericUpDownTest : public ControlWindowFixture
{
public:
    NumericUpDownTest()
        : ControlWindowFixture("NumericUpDownSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mNumber = DynamicCast<LNumericUpDown>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), "number")));
        ASSERT_TRUE(mNumber);
        ASSERT_TRUE(mNumber->GetTextBox() && mNumber->GetUpButton() && mNumber->GetDownButton());
    }

    void TearDown() override
    {
        FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
        mNumber = nullptr;
        ControlWindowFixture::TearDown();
    }

    std::string Shown() const
    {
        return std::string(mNumber->GetTextBox()->GetText().ToNarrow().GetBuffer());
    }
    // Types text over the whole field and confirms it with Enter.
    void TypeAndEnter(const wchar_t* text)
    {
        mNumber->GetTextBox()->SetFocus(true);
        SendKeyWithModifiers(mWindow, 'A', true, false);
        for (const wchar_t* c = text; *c != 0; ++c)
        {
            SendMessageW(mWindow, WM_CHAR, *c, 1);
        }
        if (*text == 0)
        {
            SendKeyWithModifiers(mWindow, VK_BACK, false, false);
        }
        SendKeyWithModifiers(mWindow, VK_RETURN, false, false);
    }

    RCPtr<LNumericUpDown> mNumber;
};

TEST_F(NumericUpDownTest, TheTextBoxTakesTheCharactersTheRangeNeeds)
{
    struct Case
    {
        double minimum, maximum;
        int decimals;
        const char* set;
    };
    const Case cases[] = {
        {0, 10, 0, "0123456789"},
        {-10, 10, 0, "0123456789-"},
        {-10, 10, 1, "0123456789.-"},
        {0.5, 100, 2, "0123456789."},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(mNumber->SetValueRange(c.minimum, c.maximum, LControl::kLinearScale), S_OK);
        mNumber->SetDecimals(c.decimals);
        const RCPtr<LTextBox>& box = mNumber->GetTextBox();
        EXPECT_EQ(std::string(box->GetCharacterSet().ToNarrow().GetBuffer()), c.set);
        EXPECT_TRUE(box->GetCharacterSetAllows());
    }
    // A letter is swallowed without change.
    ASSERT_EQ(mNumber->SetValueRange(0, 10, LControl::kLinearScale), S_OK);
    mNumber->SetDecimals(0);
    TypeAndEnter(L"4x");
    EXPECT_EQ(Shown(), "4");
    EXPECT_DOUBLE_EQ(mNumber->GetMappedValue(), 4.0);
}

TEST_F(NumericUpDownTest, TypedTextIsCheckedAgainstTheShapeAndTheRange)
{
    struct Case
    {
        double minimum, maximum;
        int decimals;
        double before; // the value set first
        const wchar_t* typed;
        double after;
        const char* shown;
    };
    const Case cases[] = {
        {0, 10, 0, 3, L"7", 7, "7"},
        // Clamped to the range.
        {0, 10, 0, 3, L"12", 10, "10"},
        {-10, 10, 0, 3, L"-40", -10, "-10"},
        {-10, 10, 0, 3, L"-4", -4, "-4"},
        // Not a number of the allowed shape: the current value's text.
        {-10, 10, 1, 3, L"1.2.3", 3, "3.0"},
        {-10, 10, 0, 3, L"3-", 3, "3"},
        {-10, 10, 0, 3, L"-", 3, "3"},
        {-10, 10, 0, 3, L"", 3, "3"},
        // The same value as typed stays as typed, unless it is an end of the range or 0.
        {0, 10, 1, 3.5, L"3.50", 3.5, "3.50"},
        {0, 10, 0, 10, L"010", 10, "10"},
        {-10, 10, 0, 0, L"00", 0, "0"},
        // The shown text is validated again, so the value follows what the decimals show.
        {0, 10, 1, 1, L"2.25", 2.2, "2.2"},
    };
    for (const Case& c : cases)
    {
        const std::string label = std::string(WString(c.typed).ToNarrow().GetBuffer());
        ASSERT_EQ(mNumber->SetValueRange(c.minimum, c.maximum, LControl::kLinearScale), S_OK);
        mNumber->SetDecimals(c.decimals);
        mNumber->SetValue(mNumber->ValueToNormalized(c.before));
        TypeAndEnter(c.typed);
        EXPECT_NEAR(mNumber->GetMappedValue(), c.after, 1e-9) << label;
        EXPECT_EQ(Shown(), c.shown) << label;
    }
}

TEST_F(NumericUpDownTest, TheFieldForwardsValidationAndSetTextSetsTheValue)
{
    const RCPtr<LNotificationDistributor> number(mNumber.Get());
    for (const wchar_t* name :
         {L"NID_TEXTBOX_VALIDATING", L"NID_TEXTBOX_VALIDATED", L"NID_VALUE_CHANGE"})
    {
        mRecorder->RegisterNotification(number, name);
    }
    ASSERT_EQ(mNumber->SetValueRange(0, 100, LControl::kLinearScale), S_OK);
    EXPECT_EQ(mNumber->SetText(WString(L"42")), S_OK);
    EXPECT_DOUBLE_EQ(mNumber->GetMappedValue(), 42.0);
    EXPECT_EQ(Shown(), "42");
    EXPECT_EQ(mRecorder->Count(L"NID_VALUE_CHANGE"), 1);
    EXPECT_GE(mRecorder->Count(L"NID_TEXTBOX_VALIDATING"), 1);
    EXPECT_EQ(mRecorder->Count(L"NID_TEXTBOX_VALIDATED"),
              mRecorder->Count(L"NID_TEXTBOX_VALIDATING"));

    // Refused ranges keep the old one.
    EXPECT_EQ(mNumber->SetValueRange(0, 10, LControl::kLogarithmicScale), E_INVALIDARG);
    EXPECT_EQ(mNumber->SetValueRange(1, 10, 2), E_INVALIDARG);
    EXPECT_EQ(mNumber->GetMaximum(), 100.0);
    EXPECT_EQ(Shown(), "42");
    // A logarithmic range maps the text too.
    ASSERT_EQ(mNumber->SetValueRange(1, 1000, LControl::kLogarithmicScale), S_OK);
    mNumber->SetText(WString(L"100"));
    EXPECT_NEAR(mNumber->GetValue(), 2.0 / 3.0, 1e-12);
    EXPECT_EQ(Shown(), "100");
}

TEST_F(NumericUpDownTest, HeldButtonsRepeatOnTheClockWithinTheRange)
{
    ASSERT_EQ(mNumber->SetValueRange(0, 10, LControl::kLinearScale), S_OK);
    mNumber->SetValue(0);
    const int upX = 10 + 90 + 15;
    const int upY = 10 + 7;
    const int downY = 10 + 22;
    const long first = std::lround(LButton::kFirstRepeatDelay * 1000);
    const long every = std::lround(LButton::kRepeatInterval * 1000);

    // The press steps once; the repeat starts after the first delay, then every interval.
    Press(upX, upY);
    EXPECT_EQ(Shown(), "1");
    // (ms after the press, value) after an idle pass at that time.
    struct Step
    {
        long at;
        double value;
    };
    const Step steps[] = {{first - 1, 1},
                          {first, 2},
                          {first + every - 1, 2},
                          {first + every, 3},
                          {first + 2 * every, 4}};
    long now = 0;
    for (const Step& step : steps)
    {
        IdlePass(static_cast<DWORD>(step.at - now));
        now = step.at;
        EXPECT_DOUBLE_EQ(mNumber->GetMappedValue(), step.value) << step.at;
    }
    Release(upX, upY);
    IdlePass(1000);
    EXPECT_EQ(Shown(), "4");

    // Down from 1: the value stops at the minimum, and a repeat there changes nothing.
    mNumber->SetValue(mNumber->ValueToNormalized(1));
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mNumber.Get()),
                                    L"NID_VALUE_CHANGE");
    Press(upX, downY);
    IdlePass(static_cast<DWORD>(first));
    IdlePass(static_cast<DWORD>(every));
    Release(upX, downY);
    EXPECT_EQ(Shown(), "0");
    EXPECT_EQ(mRecorder->Count(L"NID_VALUE_CHANGE"), 1);

    // At the maximum a further up repeat leaves value and text alone.
    mNumber->SetValue(1.0);
    const int changes = mRecorder->Count(L"NID_VALUE_CHANGE");
    Click(upX, upY);
    EXPECT_EQ(Shown(), "10");
    EXPECT_EQ(mRecorder->Count(L"NID_VALUE_CHANGE"), changes);
}

TEST_F(NumericUpDownTest, UpAndDownKeysClickTheButtons)
{
    ASSERT_EQ(mNumber->SetValueRange(-5, 5, LControl::kLinearScale), S_OK);
    mNumber->SetStep(2);
    mNumber->SetValue(mNumber->ValueToNormalized(0));
    mNumber->GetTextBox()->SetFocus(true);
    const long click = std::lround(LButton::kSimulatedClickTime * 1000);
    struct Step
    {
        WPARAM key;
        const char* shown;
    };
    const Step steps[] = {{VK_UP, "2"}, {VK_UP, "4"}, {VK_UP, "5"}, {VK_DOWN, "3"}};
    for (const Step& step : steps)
    {
        SendKeyWithModifiers(mWindow, step.key, false, false);
        // The simulated click lands after its press time.
        IdlePass(static_cast<DWORD>(click));
        EXPECT_EQ(Shown(), step.shown);
    }
    // The buttons never take the focus from the field.
    EXPECT_TRUE(mNumber->GetUpButton()->IsNotFocusable(false));
    EXPECT_FALSE(mNumber->IsNotFocusable(false));
}
} // namespace
