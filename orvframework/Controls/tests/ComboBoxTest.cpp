// The combo boxes of ComboBoxSkin.xml driven through a window: "combo" (20, 20, 120 x 24) with the
// entries Alpha, Beta, Gamma and Delta from its string table, whose list opens below it in rows
// of 16; "low" (20, 200), a combo text box near the bottom whose long list opens above it. Each of
// the seven looks is a colour of its own, so a pixel tells the look.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/ComboBox.h"
#include "Controls/ListBox.h"
#include "Controls/TextBox.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 240;
const wchar_t* const kSelectionChange = L"NID_SELECTION_CHANGE";
const wchar_t* const kOpening = L"NID_DROPDOWN_OPENING";
constexpr std::uint32_t kLookColours[] = {0xFF808080, 0xFF8080C0, 0xFFA0A0A0, 0xFFA0A0E0,
                                          0xFF2060C0, 0xFF4080E0, 0xFF404040};
constexpr std::uint32_t kRowSelected = 0xFFE08020;
constexpr std::uint32_t kRow = 0xFF707070;
} // namespace

class ComboBoxTest : public ControlWindowFixture
{
public:
    ComboBoxTest()
        : ControlWindowFixture("ComboBoxSkin.xml")
    {
        WString strings;
        strings.AssignUtf8(ControlsTestData("ComboBoxStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        ASSERT_TRUE(mMain);
        mCombo = Find("combo");
        mLow = Find("low");
        ASSERT_TRUE(mCombo && mLow);
        for (const RCPtr<LComboBox>& box : {mCombo, mLow})
        {
            mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(box.Get()),
                                            kSelectionChange);
            mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(box.Get()), kOpening);
        }
    }

    RCPtr<LComboBox> Find(const char* name) const
    {
        return DynamicCast<LComboBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), name)));
    }

    std::vector<std::uint32_t> Screenshot(const char* name)
    {
        return ControlWindowFixture::Screenshot(name, kWidth, kHeight);
    }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
    }

    static std::string Text(const RCPtr<LControl>& control)
    {
        return std::string(control->GetText().ToNarrow().GetBuffer());
    }

    RCPtr<LComboBox> mCombo;
    RCPtr<LComboBox> mLow;
};

TEST_F(ComboBoxTest, StartsWithTheFirstEntryOfItsStringTable)
{
    EXPECT_EQ(mCombo->GetItemCount(), 4);
    EXPECT_EQ(mCombo->GetSelectedIndex(), 0);
    EXPECT_EQ(Text(RCPtr<LControl>(mCombo.Get())), "Alpha");
    EXPECT_FALSE(mCombo->IsDropDownShown());
    // The list the skin gives no size is as wide as the box and as high as its entries.
    EXPECT_EQ(mCombo->GetListBox()->GetRect().width, 120);
    // A combo box without string-table entries starts empty.
    EXPECT_EQ(mLow->GetItemCount(), 0);
    EXPECT_EQ(mLow->GetSelectedIndex(), -1);
}

TEST_F(ComboBoxTest, OpensByPressSelectsByMouseAndCloses)
{
    Click(60, 30);
    ASSERT_TRUE(mCombo->IsDropDownShown());
    EXPECT_EQ(mRecorder->Count(kOpening), 1);
    const RCPtr<LListBox> list = mCombo->GetListBox();
    // Below the box, four rows of 16.
    EXPECT_EQ(list->GetRectInRoot().y, 44);
    EXPECT_EQ(list->GetRect().height, 64);
    // The current entry is marked in the list.
    EXPECT_TRUE(list->IsItemSelected(0));
    std::vector<std::uint32_t> pixels = Screenshot("ComboBoxOpen.png");
    EXPECT_EQ(At(pixels, 130, 22), kLookColours[LComboBox::kLookOpenHover]);
    EXPECT_EQ(At(pixels, 130, 46), kRowSelected);
    EXPECT_EQ(At(pixels, 130, 46 + 32), kRow);

    // Gamma, the third row.
    Press(130, 44 + 40);
    Release(130, 44 + 40);
    EXPECT_FALSE(mCombo->IsDropDownShown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 2);
    EXPECT_EQ(Text(RCPtr<LControl>(mCombo.Get())), "Gamma");
    EXPECT_EQ(mRecorder->Count(kSelectionChange), 1);
    pixels = Screenshot("ComboBoxChosen.png");
    // The list is gone; the box holds the focus.
    EXPECT_EQ(At(pixels, 130, 46 + 32), 0xFF202020u);
    EXPECT_EQ(At(pixels, 130, 22), kLookColours[LComboBox::kLookFocused]);
}

TEST_F(ComboBoxTest, KeysOpenChooseAndClose)
{
    ASSERT_EQ(mCombo->SetFocus(true), S_OK);
    Key(VK_RETURN);
    ASSERT_TRUE(mCombo->IsDropDownShown());
    Key(VK_ESCAPE);
    EXPECT_FALSE(mCombo->IsDropDownShown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 0);

    ASSERT_EQ(mCombo->SetFocus(true), S_OK);
    Key(VK_DOWN);
    ASSERT_TRUE(mCombo->IsDropDownShown());
    // The open list has the keys: two down, then Return chooses Gamma.
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(mCombo->IsDropDownShown());
    EXPECT_EQ(mCombo->GetSelectedIndex(), 2);
    EXPECT_EQ(Text(RCPtr<LControl>(mCombo.Get())), "Gamma");
    EXPECT_EQ(mRecorder->Count(kSelectionChange), 1);
}

TEST_F(ComboBoxTest, ALongListOpensAboveWhenThereIsMoreRoom)
{
    for (int i = 0; i < 40; ++i)
    {
        const std::wstring text = L"Entry " + std::to_wstring(i);
        ASSERT_EQ(mLow->AddItem(LListBox::CreateStringItemData(WString(text.c_str()))), i);
    }
    ASSERT_EQ(mLow->ShowDropDown(true), S_OK);
    ASSERT_TRUE(mLow->IsDropDownShown());
    const RCPtr<LListBox> list = mLow->GetListBox();
    // Above: 200 - 5 pixels of room, whole rows; the list's bottom at the box's top.
    const RectT<double> rect = list->GetRect();
    const PointT<double> at = list->GetRectInRoot();
    EXPECT_LE(rect.height, 195);
    EXPECT_GT(rect.height, 195 - 16);
    EXPECT_EQ(at.y + rect.height, 200);
    // The text box taking the focus closes the list.
    ASSERT_TRUE(mLow->GetTextBox());
    mLow->GetTextBox()->SetFocus(true);
    EXPECT_FALSE(mLow->IsDropDownShown());
    // The caret's blinking ends with the focus.
    FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
}

TEST_F(ComboBoxTest, AValidatedTextSelectsItsEntry)
{
    for (const wchar_t* text : {L"Red", L"Green", L"Blue"})
    {
        mLow->AddItem(LListBox::CreateStringItemData(WString(text)));
    }
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mLow.Get()),
                                    L"NID_TEXTBOX_VALIDATED");
    const RCPtr<LTextBox> textBox = mLow->GetTextBox();
    ASSERT_TRUE(textBox);
    ASSERT_EQ(textBox->SetFocus(true), S_OK);
    textBox->SetText(WString(L"GREEN"));
    Key(VK_RETURN);
    EXPECT_EQ(mLow->GetSelectedIndex(), 1);
    EXPECT_EQ(Text(RCPtr<LControl>(mLow.Get())), "Green");
    EXPECT_EQ(Text(RCPtr<LControl>(textBox.Get())), "Green");
    EXPECT_EQ(mRecorder->Count(kSelectionChange), 1);
    EXPECT_EQ(mRecorder->Count(L"NID_TEXTBOX_VALIDATED"), 1);
    // A text of no entry clears the selection without a notification.
    textBox->SetText(WString(L"Purple"));
    Key(VK_RETURN);
    EXPECT_EQ(mLow->GetSelectedIndex(), -1);
    EXPECT_EQ(mRecorder->Count(kSelectionChange), 1);
    EXPECT_EQ(mRecorder->Count(L"NID_TEXTBOX_VALIDATED"), 2);
    FindControl(mMain->GetRootControl().Get(), "other")->SetFocus(true);
}

TEST_F(ComboBoxTest, SelectionFollowsTextsAndInsertions)
{
    struct Case
    {
        const char* what;
        std::function<void(LComboBox&)> act;
        int selected;
        const char* text;
        int notifications;
    };
    const Case cases[] = {
        {"insert before the selection keeps the entry",
         [](LComboBox& box) { box.InsertItem(0, LListBox::CreateStringItemData(WString(L"Z"))); },
         1, "Alpha", 0},
        {"a text of no entry clears the selection silently",
         [](LComboBox& box) { box.SetText(WString(L"Nothing")); }, -1, "Nothing", 0},
        {"a text of two entries selects the later",
         [](LComboBox& box)
         {
             box.AddItem(LListBox::CreateStringItemData(WString(L"beta")));
             box.SetText(WString(L"BETA"));
         },
         4, "beta", 1},
        {"clearing keeps the text", [](LComboBox& box) { box.SetSelectedIndex(-1); }, -1, "Alpha",
         0},
        {"the same index again sends nothing", [](LComboBox& box) { box.SetSelectedIndex(0); }, 0,
         "Alpha", 0},
        {"an index past the end selects nothing", [](LComboBox& box) { box.SetSelectedIndex(9); },
         -1, "Alpha", 0},
        {"an insertion that matches the text selects it",
         [](LComboBox& box)
         {
             box.SetText(WString(L"Omega"));
             box.AddItem(LListBox::CreateStringItemData(WString(L"Omega")));
         },
         4, "Omega", 1},
        {"cutting the list drops a cut selection",
         [](LComboBox& box)
         {
             box.SetSelectedIndex(3);
             box.RemoveItemsFrom(2);
         },
         -1, "Delta", 1},
    };
    for (const Case& each : cases)
    {
        SCOPED_TRACE(each.what);
        // A fresh state: the four entries, Alpha selected.
        mCombo->RemoveItemsFrom(0);
        for (const wchar_t* text : {L"Alpha", L"Beta", L"Gamma", L"Delta"})
        {
            mCombo->AddItem(LListBox::CreateStringItemData(WString(text)));
        }
        mCombo->SetSelectedIndex(0);
        const int before = mRecorder->Count(kSelectionChange);
        each.act(*mCombo);
        EXPECT_EQ(mCombo->GetSelectedIndex(), each.selected);
        EXPECT_EQ(Text(RCPtr<LControl>(mCombo.Get())), each.text);
        EXPECT_EQ(mRecorder->Count(kSelectionChange) - before, each.notifications);
    }
    EXPECT_EQ(mCombo->InsertItem(0, nullptr), E_INVALIDARG);
}
