// Checked list boxes made by the factory from CheckedListBoxSkin.xml, in a root window under
// SDL's offscreen driver: the checked count through inserting, checking, unchecking and
// removing items, checking by a click on a row's check box with its notifications, the click
// mode, the shared icons of a list whose skin gives a look 3, the row's hover over its check
// box, and a screenshot of both lists.
//
// The window (360 x 220) holds "checkedList" (10, 10, 160 x 200) and the icon list "iconList"
// (190, 10, 160 x 200). Rows are 20 high from the top of each list; a row's check box is
// 16 x 16 at (2, 2) in the row.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/CheckedListBox.h"
#include "Controls/IndexedDataParam.h"
#include "Controls/ListBoxNotificationNames.h"
#include "System/WindowOSServices.h"
#include "Utilities/Storage/WrapperStringable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
// The skin's colours.
constexpr std::uint32_t kRowNormal = 0xFF303030;
constexpr std::uint32_t kRowHover = 0xFF505050;
constexpr std::uint32_t kRowDisabled = 0xFF202020;
constexpr std::uint32_t kRowSelected = 0xFF2060C0;
constexpr std::uint32_t kBoxOff = 0xFFC0C0C0;
constexpr std::uint32_t kBoxOn = 0xFF20C020;
constexpr std::uint32_t kIcons[3] = {0xFFE02020, 0xFF20E020, 0xFF2020E0};

constexpr int kRowHeight = 20;

// Keeps each notification it receives with its parameter.
class ParamRecorder : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        received.emplace_back(notification->id, notification->param);
        return S_OK;
    }
    // The check parameters of name, in order.
    std::vector<RCPtr<LIndexedDataWithValueParam>> Checks(const wchar_t* name) const
    {
        std::vector<RCPtr<LIndexedDataWithValueParam>> out;
        for (const auto& [id, param] : received)
        {
            if (std::wstring(id) == name)
            {
                out.push_back(DynamicCast<LIndexedDataWithValueParam>(param));
            }
        }
        return out;
    }
    int Count(const wchar_t* name) const
    {
        int count = 0;
        for (const auto& entry : received)
        {
            count += std::wstring(entry.first) == name ? 1 : 0;
        }
        return count;
    }

    std::vector<std::pair<const wchar_t*, RCPtr<LRefCountedObject>>> received;
};

class CheckedListBoxTest : public ControlWindowFixture
{
public:
    CheckedListBoxTest()
        : ControlWindowFixture("CheckedListBoxSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        mList = List("checkedList");
        mIconList = List("iconList");
        ASSERT_TRUE(mList);
        ASSERT_TRUE(mIconList);
        mListener = new ParamRecorder();
    }

    void TearDown() override
    {
        mListener->UnregisterAllNotifications();
        ControlWindowFixture::TearDown();
    }

    RCPtr<LCheckedListBox> List(const char* name) const
    {
        return RCPtr<LCheckedListBox>(
            dynamic_cast<LCheckedListBox*>(FindControl(mMain->GetRootControl().Get(), name)));
    }

    static void AddItems(LCheckedListBox& list, int n)
    {
        for (int i = 0; i < n; ++i)
        {
            list.AddItem(LListBox::CreateStringItemData(WString(L"Item ") + WString::FromInt(i)));
        }
    }

    void Listen(const RCPtr<LCheckedListBox>& list, const wchar_t* name)
    {
        mListener->RegisterNotification(RCPtr<LNotificationDistributor>(list.Get()), name);
    }

    // The centre of the check box of a row of the list whose left edge is listX.
    static int BoxX(int listX) { return listX + 2 + 8; }
    static int BoxY(int row) { return 10 + row * kRowHeight + 2 + 8; }

    RCPtr<LCheckedListBox> mList;
    RCPtr<LCheckedListBox> mIconList;
    RCPtr<ParamRecorder> mListener;
};

TEST_F(CheckedListBoxTest, TheCheckedCountFollowsInsertCheckUncheckAndRemove)
{
    enum Op
    {
        kAdd,       // append arg items
        kInsertAt,  // insert one item before arg
        kCheck,     // SetItemCheck(arg, true)
        kUncheck,   // SetItemCheck(arg, false)
        kRemove,    // RemoveItem(arg)
        kSetCount,  // SetItemCount(arg)
        kRemoveAll, // RemoveAllItems
    };
    struct Step
    {
        Op op;
        int arg;
        ORVRESULT result;
        int count;                // the item count afterwards
        std::vector<int> checked; // the checked items afterwards
    };
    const Step steps[] = {
        {kAdd, 6, S_OK, 6, {}},
        {kCheck, 1, S_OK, 6, {1}},
        {kCheck, 4, S_OK, 6, {1, 4}},
        // Checking a checked item again changes nothing.
        {kCheck, 4, S_FALSE, 6, {1, 4}},
        {kUncheck, 1, S_OK, 6, {4}},
        {kUncheck, 1, S_FALSE, 6, {4}},
        // Out of range: nothing.
        {kCheck, 6, S_FALSE, 6, {4}},
        {kCheck, -1, S_FALSE, 6, {4}},
        {kCheck, 0, S_OK, 6, {0, 4}},
        // A new item before a checked one is unchecked; the check moves with its item.
        {kInsertAt, 0, 0, 7, {1, 5}},
        // Removing a checked item takes it out of the count.
        {kRemove, 5, 6, 6, {1}},
        {kRemove, 0, 5, 5, {0}},
        {kRemove, 5, E_INVALIDARG, 5, {0}},
        {kCheck, 4, S_OK, 5, {0, 4}},
        // Cutting the list counts again; so does growing it.
        {kSetCount, 3, 3, 3, {0}},
        {kSetCount, 8, 8, 8, {0}},
        {kCheck, 7, S_OK, 8, {0, 7}},
        {kRemoveAll, 0, S_OK, 0, {}},
    };
    Listen(mList, LCheckedListBox::ItemCheckChangeName());
    for (const Step& step : steps)
    {
        const std::string label = "op " + std::to_string(step.op) + " " + std::to_string(step.arg);
        ORVRESULT result = S_OK;
        switch (step.op)
        {
            case kAdd:
                AddItems(*mList, step.arg);
                break;
            case kInsertAt:
                result =
                    mList->InsertItem(step.arg, LListBox::CreateStringItemData(L"new")) - step.arg;
                break;
            case kCheck:
            case kUncheck:
                result = mList->SetItemCheck(step.arg, step.op == kCheck);
                break;
            case kRemove:
                result = mList->RemoveItem(step.arg);
                break;
            case kSetCount:
                result = mList->SetItemCount(step.arg);
                break;
            case kRemoveAll:
                result = mList->RemoveAllItems();
                break;
        }
        EXPECT_EQ(result, step.result) << label;
        ASSERT_EQ(mList->GetItemCount(), step.count) << label;
        EXPECT_EQ(mList->GetCheckedCount(), static_cast<int>(step.checked.size())) << label;
        std::vector<int> checked;
        for (int i = 0; i < mList->GetItemCount(); ++i)
        {
            if (mList->GetItemCheck(i))
            {
                checked.push_back(i);
            }
        }
        EXPECT_EQ(checked, step.checked) << label;
        // The rows show the checks: each row's box holds its item's check.
        for (int row = 0; row < mList->GetRowCount(); ++row)
        {
            const RCPtr<LButton> box = mList->GetItemControl(row)->GetCheckBox();
            ASSERT_TRUE(box);
            EXPECT_EQ(box->GetValue(), mList->GetItemCheck(row) ? 1.0 : 0.0) << label;
            EXPECT_EQ(box->IsVisible(false), row < mList->GetItemCount()) << label;
        }
    }
    // Checks by code are silent.
    EXPECT_EQ(mListener->received.size(), 0u);
    // Reads out of range give the empty record.
    EXPECT_EQ(mList->GetCheckedItemRecordAt(0), nullptr);
    EXPECT_FALSE(mList->GetItemCheck(3));
    EXPECT_FALSE(mList->GetItemIcon(3));
    EXPECT_EQ(mList->SwapItems(0, 1), E_INVALIDARG);
}

TEST_F(CheckedListBoxTest, AClickOnACheckBoxChecksTheItemSelectsItAndReportsTheValue)
{
    AddItems(*mList, 5);
    mList->SetItemValue(0, 1.0);
    Listen(mList, LCheckedListBox::ItemCheckChangeName());
    Listen(mList, ListBoxNotificationNames::Get().selectionChange);
    struct Step
    {
        int row;
        bool checked;     // the item's check afterwards
        int checkedCount; // afterwards
        double value;     // the notification's value
    };
    const Step steps[] = {
        {2, true, 1, 1.0},
        {4, true, 2, 1.0},
        {2, false, 1, 0.0},
        {0, true, 2, 1.0},
    };
    std::size_t expected = 0;
    for (const Step& step : steps)
    {
        const std::string label = "row " + std::to_string(step.row);
        Click(BoxX(10), BoxY(step.row));
        EXPECT_EQ(mList->GetItemCheck(step.row), step.checked) << label;
        EXPECT_EQ(mList->GetCheckedCount(), step.checkedCount) << label;
        // The clicked item becomes the only selected one.
        EXPECT_EQ(mList->GetSelectedCount(), 1) << label;
        EXPECT_TRUE(mList->IsItemSelected(step.row)) << label;
        const auto checks = mListener->Checks(LCheckedListBox::ItemCheckChangeName());
        ASSERT_EQ(checks.size(), ++expected) << label;
        ASSERT_TRUE(checks.back()) << label;
        EXPECT_EQ(checks.back()->index, step.row) << label;
        EXPECT_EQ(checks.back()->value, step.value) << label;
        EXPECT_FALSE(checks.back()->data) << label;
    }
    // The selection moved with each click to another row (the last click: back to row 0).
    EXPECT_EQ(mListener->Count(ListBoxNotificationNames::Get().selectionChange), 4);

    // A click below the last item hits no check box: rows past the end show none.
    Click(BoxX(10), BoxY(6));
    EXPECT_EQ(mListener->Checks(LCheckedListBox::ItemCheckChangeName()).size(), expected);
    EXPECT_EQ(mList->GetCheckedCount(), 2);
}

TEST_F(CheckedListBoxTest, InClickModeTheListReportsClicksAndKeepsTheCountRight)
{
    AddItems(*mList, 3);
    Listen(mList, LCheckedListBox::ItemCheckChangeName());
    Listen(mList, LCheckedListBox::ItemCheckBoxClickedName());
    EXPECT_EQ(mList->SetCheckNotifyMode(true), S_FALSE);
    EXPECT_EQ(mList->SetCheckNotifyMode(false), S_OK);
    Click(BoxX(10), BoxY(1));
    Click(BoxX(10), BoxY(1));
    Click(BoxX(10), BoxY(2));
    const auto clicks = mListener->Checks(LCheckedListBox::ItemCheckBoxClickedName());
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0]->index, 1);
    EXPECT_EQ(clicks[0]->value, 1.0);
    EXPECT_EQ(clicks[1]->value, 0.0);
    EXPECT_EQ(clicks[2]->index, 2);
    EXPECT_EQ(mListener->Count(LCheckedListBox::ItemCheckChangeName()), 0);
    EXPECT_EQ(mList->GetCheckedCount(), 1);
    EXPECT_TRUE(mList->GetItemCheck(2));
    // Back to values: a click reports the change again.
    EXPECT_EQ(mList->SetCheckNotifyMode(true), S_OK);
    Click(BoxX(10), BoxY(0));
    EXPECT_EQ(mListener->Count(LCheckedListBox::ItemCheckChangeName()), 1);
    EXPECT_EQ(mListener->Count(LCheckedListBox::ItemCheckBoxClickedName()), 3);
    EXPECT_EQ(mList->GetCheckedCount(), 2);
}

TEST_F(CheckedListBoxTest, ASkinWithALookThreeGivesIconsAndMouseBlindCheckBoxes)
{
    // Three icons from look 3's parts; the plain checked list has three looks and none.
    ASSERT_EQ(mIconList->GetIcons().size(), 3u);
    EXPECT_TRUE(mList->GetIcons().empty());
    EXPECT_TRUE(mIconList->GetCheckBoxesIgnoreMouse());
    EXPECT_FALSE(mList->GetCheckBoxesIgnoreMouse());
    AddItems(*mIconList, 6);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(mIconList->GetItemIcon(i).Get(), mIconList->GetIcons()[i % 3].Get()) << i;
    }
    EXPECT_TRUE(mIconList->GetItemControl(0)->GetCheckBox()->HasIcon());
    EXPECT_FALSE(mIconList->GetItemControl(7)->GetCheckBox()->HasIcon());
    // The icon list's boxes take no click: the row under them is pressed instead.
    Click(BoxX(190), BoxY(1));
    EXPECT_FALSE(mIconList->GetItemCheck(1));
    EXPECT_TRUE(mIconList->IsItemSelected(1));
    EXPECT_EQ(mIconList->GetCheckedCount(), 0);
}

TEST_F(CheckedListBoxTest, TheRowKeepsItsHoverLookWhileThePointerIsOnItsCheckBox)
{
    AddItems(*mList, 3);
    const RCPtr<LCheckedListBoxItem> row = mList->GetItemControl(1);
    Mouse(WM_MOUSEMOVE, 100, BoxY(1));
    EXPECT_EQ(row->GetActiveLookIndex(), LListBoxItem::kLookUnselectedHover);
    Mouse(WM_MOUSEMOVE, BoxX(10), BoxY(1));
    EXPECT_EQ(row->GetActiveLookIndex(), LListBoxItem::kLookUnselectedHover);
    // Off the list: no hover on the row, forced or not.
    Mouse(WM_MOUSEMOVE, 180, 215);
    EXPECT_EQ(row->GetActiveLookIndex(), LListBoxItem::kLookUnselected);
    EXPECT_EQ(row->GetConditions() & LControl::kHoverOrForced, 0u);
}

TEST_F(CheckedListBoxTest, ARowGivesItsLookToItsCheckBoxOnlyWhenItFollows)
{
    AddItems(*mList, 2);
    const RCPtr<LCheckedListBoxItem> row = mList->GetItemControl(0);
    const RCPtr<LButton> box = row->GetCheckBox();
    ASSERT_TRUE(box);
    const int boxLook = box->GetActiveLookIndex();
    EXPECT_TRUE(row->SetItemLook(LListBoxItem::kLookSelectedHover));
    EXPECT_EQ(row->GetActiveLookIndex(), LListBoxItem::kLookSelectedHover);
    EXPECT_EQ(box->GetActiveLookIndex(), boxLook);
    row->SetCheckBoxFollowsLook(true);
    EXPECT_TRUE(row->SetItemLook(LListBoxItem::kLookUnselectedPressed));
    EXPECT_EQ(box->GetActiveLookIndex(), LListBoxItem::kLookUnselectedPressed);
    EXPECT_EQ(row->SetCheckBoxLook(LListBoxItem::kLookSelected), S_OK);
    EXPECT_EQ(box->GetActiveLookIndex(), LListBoxItem::kLookSelected);
    // A look the row does not have changes nothing.
    EXPECT_FALSE(row->SetItemLook(14));
    EXPECT_EQ(box->GetActiveLookIndex(), LListBoxItem::kLookSelected);
}

TEST_F(CheckedListBoxTest, TheCheckParameterPrintsItsIndexDataAndValue)
{
    EXPECT_EQ(LIndexedDataWithValueParam::Create(nullptr, 5, 1.0)->ToString(),
              WString(L"LIndexedDataParam: Index = 5, Data =  Value = 1.000000"));
    const RCPtr<LRefCountedObject> data(LWrapperStringable<WString>::Create(L"abc").Get());
    EXPECT_EQ(LIndexedDataParam(data, -1).ToString(),
              WString(L"LIndexedDataParam: Index = -1, Data = abc"));
}

TEST_F(CheckedListBoxTest, TheScreenshotShowsChecksSelectionIconsAndNoBoxPastTheEnd)
{
    AddItems(*mList, 4);
    mList->SetItemCheck(1, true);
    mList->SetItemCheck(3, true);
    mList->SelectItemRange(2, -1, true);
    AddItems(*mIconList, 5);
    mIconList->SetItemCheck(0, true);
    Mouse(WM_MOUSEMOVE, 5, 215);
    const int width = 360;
    const auto pixels = Screenshot("checked-list-box.png", width, 220);
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    // Check boxes: off, on, off (on a selected row), on; no box past the last item.
    const std::uint32_t boxes[] = {kBoxOff, kBoxOn, kBoxOff, kBoxOn, kRowDisabled};
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(at(BoxX(10), BoxY(row)), boxes[row]) << "box of row " << row;
    }
    // Row backgrounds, right of the text.
    const std::uint32_t rows[] = {kRowNormal, kRowNormal, kRowSelected, kRowNormal, kRowDisabled};
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(at(160, 10 + row * kRowHeight + 1), rows[row]) << "row " << row;
    }
    EXPECT_NE(at(160, 10 + kRowHeight + 1), kRowHover);
    // The icon list's boxes show the icons in turn, checked or not.
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(at(BoxX(190), BoxY(row)), kIcons[row % 3]) << "icon of row " << row;
    }
    EXPECT_EQ(at(BoxX(190), BoxY(5)), kRowDisabled);
}
} // namespace
