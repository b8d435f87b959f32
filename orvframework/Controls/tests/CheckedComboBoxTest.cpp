// The checked combo box "checked" of ComboBoxSkin.xml (180, 80, 120 x 24; entries One, Two and
// Three; a "checkBox" button at (100, 4) that is black when off and yellow when on) driven
// through a window: checks made in its open list switch it between its unchecked and checked
// looks, are passed on, and its "checkBox" follows the selected entry's check however it
// changes.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Button.h"
#include "Controls/CheckedComboBox.h"
#include "Controls/CheckedListBox.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 240;
const wchar_t* const kCheckChange = L"NID_ITEM_CHECK_CHANGE";
constexpr std::uint32_t kBoxOff = 0xFF000000;
constexpr std::uint32_t kBoxOn = 0xFFFFFF00;
constexpr std::uint32_t kLookNormal = 0xFF808080;      // look 0
constexpr std::uint32_t kLookChecked = 0xFF40A040;     // look 7
constexpr std::uint32_t kLookCheckedOpen = 0xFF208020; // look 11
// The list opens below the box: rows of 16 from y = 104, their check boxes at x = 182.
constexpr int kListTop = 104;
constexpr int kRowCheckX = 188;
} // namespace

class CheckedComboBoxTest : public ControlWindowFixture
{
public:
    CheckedComboBoxTest()
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
        mBox = DynamicCast<LCheckedComboBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), "checked")));
        ASSERT_TRUE(mBox);
        ASSERT_TRUE(mBox->GetCheckBox());
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mBox.Get()), kCheckChange);
    }

    std::vector<std::uint32_t> Screenshot(const char* name)
    {
        return ControlWindowFixture::Screenshot(name, kWidth, kHeight);
    }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
    }

    // A click on the check box of the list's row.
    void ClickRowCheck(int row) { Click(kRowCheckX, kListTop + row * 16 + 8); }

    RCPtr<LCheckedComboBox> mBox;
};

TEST_F(CheckedComboBoxTest, LooksAndBoxFollowTheChecksOfTheList)
{
    EXPECT_EQ(mBox->GetSelectedIndex(), 0);
    EXPECT_EQ(mBox->GetCheckedListBox()->GetCheckedCount(), 0);
    std::vector<std::uint32_t> pixels = Screenshot("CheckedComboBoxClosed.png");
    EXPECT_EQ(At(pixels, 190, 84), kLookNormal);
    EXPECT_EQ(At(pixels, 288, 92), kBoxOff);

    Click(220, 92);
    ASSERT_TRUE(mBox->IsDropDownShown());
    ASSERT_EQ(mBox->GetCheckedListBox()->GetRectInRoot().y, kListTop);

    // Checking the selected entry in the list: the checked looks, and the box shows the check.
    ClickRowCheck(0);
    EXPECT_TRUE(mBox->GetCheckedListBox()->GetItemCheck(0));
    EXPECT_EQ(mRecorder->Count(kCheckChange), 1);
    EXPECT_EQ(mBox->GetCheckBox()->GetValue(), 1.0);
    // A second check is passed on as well.
    ClickRowCheck(2);
    EXPECT_EQ(mRecorder->Count(kCheckChange), 2);
    EXPECT_EQ(mBox->GetCheckedListBox()->GetCheckedCount(), 2);
    ASSERT_TRUE(mBox->IsDropDownShown());
    pixels = Screenshot("CheckedComboBoxChecked.png");
    EXPECT_EQ(At(pixels, 190, 84), kLookCheckedOpen);
    EXPECT_EQ(At(pixels, 288, 92), kBoxOn);
    EXPECT_EQ(At(pixels, kRowCheckX, kListTop + 8), kBoxOn);
    EXPECT_EQ(At(pixels, kRowCheckX, kListTop + 16 + 8), kBoxOff);

    // Unchecking the selected entry later: the box follows it.
    ClickRowCheck(0);
    EXPECT_EQ(mBox->GetCheckBox()->GetValue(), 0.0);
    // Unchecking the last one goes back to the unchecked looks.
    ClickRowCheck(2);
    EXPECT_EQ(mBox->GetCheckedListBox()->GetCheckedCount(), 0);
    EXPECT_EQ(mRecorder->Count(kCheckChange), 4);
    Click(220, 92);
    EXPECT_FALSE(mBox->IsDropDownShown());
    pixels = Screenshot("CheckedComboBoxUnchecked.png");
    EXPECT_NE(At(pixels, 190, 84), kLookChecked);
    EXPECT_NE(At(pixels, 190, 84), kLookCheckedOpen);
}

TEST_F(CheckedComboBoxTest, SelectingAnEntryShowsItsCheck)
{
    mBox->GetCheckedListBox()->SetItemCheck(1, true);
    EXPECT_EQ(mBox->SetSelectedIndex(1), 1);
    EXPECT_EQ(mBox->GetCheckBox()->GetValue(), 1.0);
    EXPECT_EQ(mBox->SetSelectedIndex(2), 2);
    EXPECT_EQ(mBox->GetCheckBox()->GetValue(), 0.0);
    // Cutting the list re-picks the look: no entry is checked any more.
    mBox->RemoveItemsFrom(1);
    EXPECT_EQ(mBox->GetCheckedListBox()->GetCheckedCount(), 0);
    EXPECT_EQ(mBox->GetSelectedIndex(), -1);
}
