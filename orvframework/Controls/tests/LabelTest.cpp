// Labels in a root window (SDL's offscreen driver): the whole text as the tool tip only when the
// text is cut off (else the skin's tip), and no focus, neither by Tab, by a click nor by a tab stop
// of the skin.
#include "ControlsFixture.h"

#include "Controls/Label.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
class LabelTest : public ControlsFixture
{
protected:
    LabelTest()
        : ControlsFixture("LabelSkin.xml")
    {
        WString strings;
        strings.AssignUtf8(ControlsTestData("LabelStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
    }

    RCPtr<LLabel> Label(const wchar_t* name) const
    {
        return DynamicCast<LLabel>(mMain->GetRootControl()->FindChildControl(WString(name)));
    }
    std::string FocusName() const
    {
        const RCPtr<LControl> focus = mMain->GetFocusControl();
        return focus ? focus->GetName().ToNarrow().GetBuffer() : "";
    }
    void Tab()
    {
        SendMessageW(mWindow, WM_KEYDOWN, VK_TAB, 1);
        SendMessageW(mWindow, WM_KEYUP, VK_TAB, 1 | (1u << 30) | (1u << 31));
    }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
};
} // namespace

TEST_F(LabelTest, TheToolTipIsTheWholeTextOnlyWhenItIsCutOff)
{
    struct Row
    {
        const wchar_t* label;
        const wchar_t* text;
        const wchar_t* tip;
    };
    const wchar_t* longText = L"Waiting for Device Reset To Complete...";
    const Row rows[] = {
        // 196 pixels of text area.
        {L"shortLabel", L"Ready", L"The skin's tip"},
        {L"shortLabel", L"Waiting for Device Reset To Complete... and then some more", nullptr},
        // 56 pixels.
        {L"narrowLabel", L"OK", L"The skin's tip"},
        {L"narrowLabel", longText, longText},
        // The first laid-out line is what is measured: it fits here, so the text is not cut off.
        {L"narrowLabel", L"A\nB", L"The skin's tip"},
        {L"narrowLabel", L"A\nThe second line is long", L"The skin's tip"},
        {L"narrowLabel", L"The first line is long\nB", L"The first line is long\nB"},
        {L"narrowLabel", L"", L"The skin's tip"},
        // No tip of its own: nothing while the text fits.
        {L"plainLabel", L"OK", L""},
        {L"plainLabel", longText, longText},
    };
    for (const Row& row : rows)
    {
        const RCPtr<LLabel> label = Label(row.label);
        ASSERT_TRUE(label) << WString(row.label).ToNarrow().GetBuffer();
        label->SetText(WString(row.text));
        const WString expected(row.tip != nullptr ? row.tip : row.text);
        EXPECT_EQ(label->GetToolTipText(), expected)
            << WString(row.label).ToNarrow().GetBuffer() << ": "
            << WString(row.text).ToNarrow().GetBuffer();
    }
}

TEST_F(LabelTest, ALabelNeverTakesTheFocus)
{
    for (const wchar_t* name : {L"shortLabel", L"narrowLabel", L"plainLabel"})
    {
        const RCPtr<LLabel> label = Label(name);
        ASSERT_TRUE(label);
        EXPECT_TRUE(label->IsNotFocusable(false));
        EXPECT_FALSE(label->IsFocusable());
        // The skin's tab stop was made negative.
        EXPECT_LT(label->GetLayout()->tabStop, 0);
    }
    // Tab goes from "first" to "last" and round again, past the three labels with tab stops.
    ASSERT_EQ(
        Label(L"shortLabel")->GetParent()->FindChildControl(WString(L"first"))->SetFocus(true),
        S_OK);
    ASSERT_EQ(FocusName(), "first");
    const char* expected[] = {"last", "first", "last"};
    for (const char* focus : expected)
    {
        Tab();
        EXPECT_EQ(FocusName(), focus);
    }
    // A click on a label leaves the focus where it was.
    BYTE state[256] = {};
    state[VK_LBUTTON] = 0x80;
    SetKeyboardState(state);
    SendMessageW(mWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    state[VK_LBUTTON] = 0;
    SetKeyboardState(state);
    SendMessageW(mWindow, WM_LBUTTONUP, 0, MAKELPARAM(100, 20));
    EXPECT_EQ(FocusName(), "last");
}
