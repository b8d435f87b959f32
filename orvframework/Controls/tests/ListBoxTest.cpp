// List boxes made by the factory from ListBoxSkin.xml in a root window under SDL's offscreen
// driver, driven by the mouse and the keys as a person would: the selection, the notifications
// and the scroll offset after each input, hidden items, size-to-content (menu) mode, the rows of
// a skin without template, the items of a string table, range checks, and a picture.
//
// "list" (10, 10, 160 x 150) has a 2-pixel frame, so its client area starts at (12, 12) in the
// window and is 146 high: rows of 14 pixels, ten whole rows and an eleventh cut off, each 144
// wide beside the 12-pixel vertical bar.
#include "ControlWindowFixture.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "ControlBase/ControlFactory.h"
#include "Controls/ItemConditionsParam.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "ObjectBase/Holder.h"
#include "System/WindowOSServices.h"
#include "notification/Notification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kSelectionChange = L"NID_SELECTION_CHANGE";
const wchar_t* const kActivated = L"NID_ITEM_ACTIVATED";
const wchar_t* const kDoubleClicked = L"NID_ITEM_DOUBLE_CLICKED";
const wchar_t* const kRightClick = L"NID_ITEM_RIGHT_CLICK";
const wchar_t* const kHoverChange = L"NID_ITEM_HOVER_CONDITION_CHANGE";
const wchar_t* const kLeftDragChange = L"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE";
const wchar_t* const kAllNames[] = {kSelectionChange, kActivated,   kDoubleClicked,
                                    kRightClick,      kHoverChange, kLeftDragChange};

constexpr int kClientX = 12;
constexpr int kClientY = 12;
constexpr int kRowHeight = 14;
constexpr int kItems = 300;

// Keeps every notification of a list with its parameter.
class ListRecorder : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        names.push_back(notification && notification->id ? notification->id : L"");
        params.push_back(notification ? notification->param : nullptr);
        return S_OK;
    }
    int Count(const wchar_t* name) const
    {
        int count = 0;
        for (const std::wstring& each : names)
        {
            count += each == name ? 1 : 0;
        }
        return count;
    }
    // The parameter of the last notification of name, or null.
    RCPtr<LRefCountedObject> Last(const wchar_t* name) const
    {
        for (std::size_t i = names.size(); i-- > 0;)
        {
            if (names[i] == name)
            {
                return params[i];
            }
        }
        return nullptr;
    }
    void Clear()
    {
        names.clear();
        params.clear();
    }

    std::vector<std::wstring> names;
    std::vector<RCPtr<LRefCountedObject>> params;
};

class ListBoxTest : public ControlWindowFixture
{
protected:
    ListBoxTest()
        : ControlWindowFixture("ListBoxSkin.xml")
    {
        WString strings;
        strings.AssignUtf8(ControlsTestData("ListBoxStrings.xml").c_str());
        mFactory->LoadStringTables(strings, WString(L"::FRAMEWORK_STRINGS"), 9);
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        ASSERT_TRUE(mMain);
        mList = Find("list");
        mMenu = Find("menu");
        ASSERT_TRUE(mList && mMenu);
        mEvents = new ListRecorder();
        Listen(mList);
        Listen(mMenu);
    }

    void TearDown() override
    {
        if (mEvents)
        {
            mEvents->UnregisterAllNotifications();
        }
        ControlWindowFixture::TearDown();
    }

    RCPtr<LListBox> Find(const char* name) const
    {
        return DynamicCast<LListBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), name)));
    }

    void Listen(const RCPtr<LListBox>& list)
    {
        for (const wchar_t* name : kAllNames)
        {
            mEvents->RegisterNotification(RCPtr<LNotificationDistributor>(list.Get()), name);
        }
    }

    // Items "Item 0" to "Item <count - 1>".
    static void Fill(LListBox& list, int count)
    {
        ASSERT_EQ(list.SetItemCount(count), count);
        for (int i = 0; i < count; ++i)
        {
            list.SetItem(i,
                         LListBox::CreateStringItemData(WString::CreateFormatted(L"Item %d", i)));
        }
    }

    // The window point of the middle of row r of "list".
    static int RowY(int row) { return kClientY + row * kRowHeight + kRowHeight / 2; }

    void Wheel(int delta, int x, int y)
    {
        POINT screen{x, y};
        ClientToScreen(mWindow, &screen);
        SendMessageW(mWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.x, screen.y));
    }

    void RightClick(int x, int y)
    {
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
        Mouse(WM_RBUTTONUP, x, y);
    }

    void DoubleClick(int x, int y, UINT down = WM_LBUTTONDBLCLK, UINT up = WM_LBUTTONUP,
                     WPARAM held = MK_LBUTTON)
    {
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(down == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, x, y, held);
        Mouse(up, x, y);
        Mouse(down, x, y, held);
        Mouse(up, x, y);
    }

    // The window drawn anew and read back.
    std::vector<std::uint32_t> Screenshot(const char* file)
    {
        mMain->RedrawNow();
        return ControlWindowFixture::Screenshot(file, 320, 240);
    }

    // The selected indexes of a list.
    static std::vector<int> Selected(LListBox& list)
    {
        const Array<int>& indexes = list.CollectSelectedIndices();
        std::vector<int> out;
        for (unsigned int i = 0; i < indexes.GetCount(); ++i)
        {
            out.push_back(indexes.GetConstElementPointer(i));
        }
        return out;
    }

    RCPtr<LListBox> mList;
    RCPtr<LListBox> mMenu;
    RCPtr<ListRecorder> mEvents;
};

TEST_F(ListBoxTest, TheTemplateMakesRowsThatFillTheVisibleHeight)
{
    EXPECT_TRUE(mList->IsTemplateAdopted());
    EXPECT_EQ(mList->GetItemHeight(), kRowHeight);
    EXPECT_EQ(mList->GetItemBaseWidth(), 144);
    // Ten whole rows and the one cut off at the bottom; the template itself is no child.
    EXPECT_EQ(mList->GetRowCount(), 11);
    EXPECT_EQ(mList->GetVisibleRowCount(), 10);
    EXPECT_FALSE(mList->FindChildControl(WString(L"templateItem")));
    for (int r = 0; r < mList->GetRowCount(); ++r)
    {
        const RCPtr<LListBoxItem> row = mList->GetItemControlAt(r);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->GetName(), WString::CreateFormatted(L"ItemControl%d", r + 1));
        EXPECT_EQ(row->GetRect().y, r * kRowHeight) << r;
        // No items yet: every row is empty and disabled.
        EXPECT_FALSE(row->IsEnabled(true));
        EXPECT_EQ(row->GetActiveLookIndex(), LListBoxItem::kLookUnselectedDisabled);
    }
    Fill(*mList, kItems);
    EXPECT_EQ(mList->GetItemControlAt(3)->GetText(), WString(L"Item 3"));
    EXPECT_TRUE(mList->GetItemControlAt(3)->IsEnabled(true));
    EXPECT_EQ(mList->GetExtent().y, kItems * kRowHeight);
    EXPECT_TRUE(mList->IsScrollbarShown(LScrollView::kVertical));

    // Whole rows: the height 150 becomes ten rows and the 2 pixels of frame below the client
    // area; the minimum becomes one row and that frame.
    EXPECT_EQ(mList->SnapHeightToRows(), S_OK);
    EXPECT_EQ(mList->GetRect().height, 10 * kRowHeight + 2);
    EXPECT_EQ(mList->GetLayout()->axes[LLayoutDescriptor::kAxisY].minimum.abs, kRowHeight + 2);
}

TEST_F(ListBoxTest, MouseKeysAndWheelMoveTheSelectionAndTheOffset)
{
    Fill(*mList, kItems);
    mEvents->Clear();
    const int x = 60;
    struct Step
    {
        const char* what;
        std::function<void()> input;
        int selected; // the one selected item, -1 for none
        int focus;
        int top; // the item in the first row
        int selectionChanges;
        int activations;
    };
    const Step steps[] = {
        {"click row 2", [&] { Click(x, RowY(2)); }, 2, 2, 0, 1, 0},
        {"click it again", [&] { Click(x, RowY(2)); }, 2, 2, 0, 0, 0},
        {"down", [&] { Key(VK_DOWN); }, 3, 3, 0, 1, 0},
        {"up", [&] { Key(VK_UP); }, 2, 2, 0, 1, 0},
        {"shift down moves as down", [&] { SendKeyWithModifiers(mWindow, VK_DOWN, false, true); },
         3, 3, 0, 1, 0},
        {"ctrl up is not the list's", [&] { SendKeyWithModifiers(mWindow, VK_UP, true, false); }, 3,
         3, 0, 0, 0},
        {"enter activates", [&] { Key(VK_RETURN); }, 3, 3, 0, 0, 1},
        {"page down scrolls a page", [&] { Key(VK_NEXT); }, 3, 3, 10, 0, 0},
        {"wheel down scrolls a row", [&] { Wheel(-120, x, RowY(4)); }, 3, 3, 11, 0, 0},
        {"wheel up scrolls back", [&] { Wheel(120, x, RowY(4)); }, 3, 3, 10, 0, 0},
        {"page up", [&] { Key(VK_PRIOR); }, 3, 3, 0, 0, 0},
        {"end scrolls to the last page", [&] { Key(VK_END); }, 3, 3, kItems - 10, 0, 0},
        {"down brings the focus back to the top row", [&] { Key(VK_DOWN); }, 4, 4, 4, 1, 0},
        {"home", [&] { Key(VK_HOME); }, 4, 4, 0, 0, 0},
        {"click the cut-off row scrolls it into a whole row", [&] { Click(x, kClientY + 142); }, 10,
         10, 1, 1, 0},
        {"down at the bottom row scrolls one row", [&] { Key(VK_DOWN); }, 11, 11, 2, 1, 0},
        {"ctrl end scrolls", [&] { SendKeyWithModifiers(mWindow, VK_END, true, false); }, 11, 11,
         kItems - 10, 0, 0},
        {"click the last row", [&] { Click(x, RowY(9)); }, kItems - 1, kItems - 1, kItems - 10, 1,
         0},
        {"down at the last item stays", [&] { Key(VK_DOWN); }, kItems - 1, kItems - 1, kItems - 10,
         0, 0},
    };
    for (const Step& step : steps)
    {
        mEvents->Clear();
        step.input();
        const std::vector<int> expected =
            step.selected < 0 ? std::vector<int>{} : std::vector<int>{step.selected};
        EXPECT_EQ(Selected(*mList), expected) << step.what;
        EXPECT_EQ(mList->GetFocusItem(), step.focus) << step.what;
        EXPECT_EQ(mList->GetTopItem(), step.top) << step.what;
        EXPECT_EQ(mList->GetContentOffset().y, step.top * kRowHeight) << step.what;
        EXPECT_EQ(mEvents->Count(kSelectionChange), step.selectionChanges) << step.what;
        EXPECT_EQ(mEvents->Count(kActivated), step.activations) << step.what;
        EXPECT_EQ(mList->GetSelectedCount(), step.selected < 0 ? 0 : 1) << step.what;
        // The rows mirror the items now shown.
        EXPECT_EQ(mList->GetItemControlAt(0)->GetText(),
                  WString::CreateFormatted(L"Item %d", step.top))
            << step.what;
        const int row = mList->GetItemRow(step.selected);
        if (row >= 0)
        {
            EXPECT_GE(mList->GetItemControlAt(row)->GetActiveLookIndex(),
                      LListBoxItem::kLookSelected)
                << step.what;
        }
    }
}

TEST_F(ListBoxTest, RightAndDoublePressesAreReportedWithTheirItems)
{
    Fill(*mList, kItems);
    Click(60, RowY(1));
    mEvents->Clear();

    RightClick(60, RowY(4));
    ASSERT_EQ(mEvents->Count(kRightClick), 1);
    const RCPtr<LHolder<int>> index = DynamicCast<LHolder<int>>(mEvents->Last(kRightClick));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->GetValue(), 4);
    // A right press leaves the selection alone.
    EXPECT_EQ(Selected(*mList), std::vector<int>{1});
    EXPECT_EQ(mEvents->Count(kSelectionChange), 0);

    // A right double click sends nothing more.
    mEvents->Clear();
    DoubleClick(60, RowY(5), WM_RBUTTONDBLCLK, WM_RBUTTONUP, MK_RBUTTON);
    EXPECT_EQ(mEvents->Count(kRightClick), 1); // the first press of the two
    EXPECT_EQ(Selected(*mList), std::vector<int>{1});

    // A left double click selects the item, then reports the double click without a parameter.
    mEvents->Clear();
    DoubleClick(60, RowY(6));
    EXPECT_EQ(Selected(*mList), std::vector<int>{6});
    EXPECT_EQ(mEvents->Count(kSelectionChange), 1);
    ASSERT_EQ(mEvents->Count(kDoubleClicked), 1);
    EXPECT_FALSE(mEvents->Last(kDoubleClicked));
    EXPECT_GT(std::find(mEvents->names.begin(), mEvents->names.end(), kDoubleClicked) -
                  std::find(mEvents->names.begin(), mEvents->names.end(), kSelectionChange),
              0);
}

TEST_F(ListBoxTest, HoverAndDragOfRowsAreReportedWithTheItemAndLook)
{
    Fill(*mList, 5);
    Mouse(WM_MOUSEMOVE, 60, RowY(3));
    ASSERT_GE(mEvents->Count(kHoverChange), 1);
    const RCPtr<LItemConditionsParam> hover =
        DynamicCast<LItemConditionsParam>(mEvents->Last(kHoverChange));
    ASSERT_TRUE(hover);
    EXPECT_EQ(hover->itemIndex, 3);
    EXPECT_TRUE(hover->hovered);
    EXPECT_EQ(hover->lookIndex, LListBoxItem::kLookUnselectedHover);

    mEvents->Clear();
    Mouse(WM_LBUTTONDOWN, 60, RowY(3), MK_LBUTTON);
    MoveHeld(62, RowY(3) + 2);
    ASSERT_GE(mEvents->Count(kLeftDragChange), 1);
    const RCPtr<LItemConditionsParam> drag =
        DynamicCast<LItemConditionsParam>(mEvents->Last(kLeftDragChange));
    ASSERT_TRUE(drag);
    EXPECT_EQ(drag->itemIndex, 3);
    EXPECT_EQ(drag->lookIndex, LListBoxItem::kLookSelectedPressed);
    Release(62, RowY(3) + 2);

    // Rows past the last item are disabled and report nothing.
    Mouse(WM_MOUSEMOVE, 60, RowY(7));
    mEvents->Clear();
    Mouse(WM_MOUSEMOVE, 60, RowY(8));
    Click(60, RowY(7));
    EXPECT_EQ(mEvents->Count(kHoverChange), 0);
    EXPECT_EQ(mEvents->Count(kLeftDragChange), 0);
    EXPECT_EQ(Selected(*mList), std::vector<int>{3});
}

TEST_F(ListBoxTest, HiddenItemsTakeNoRowAndTheKeysSkipThem)
{
    Fill(*mList, 20);
    for (int index : {1, 2, 5})
    {
        EXPECT_EQ(mList->SetItemHidden(index, true), S_OK) << index;
    }
    EXPECT_EQ(mList->SetItemHidden(5, true), S_FALSE);
    EXPECT_EQ(mList->GetContentHeight(), 17 * kRowHeight);
    EXPECT_EQ(mList->GetExtent().y, 17 * kRowHeight);
    // Rows show 0, 3, 4, 6, ...
    const wchar_t* shown[] = {L"Item 0", L"Item 3", L"Item 4", L"Item 6"};
    for (int r = 0; r < 4; ++r)
    {
        EXPECT_EQ(mList->GetItemControlAt(r)->GetText(), WString(shown[r])) << r;
    }
    EXPECT_EQ(mList->GetItemRow(2), -1);
    EXPECT_EQ(mList->GetItemRow(6), 3);

    Click(60, RowY(0));
    Key(VK_DOWN);
    EXPECT_EQ(mList->GetFocusItem(), 3);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(mList->GetFocusItem(), 6);
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(mList->GetFocusItem(), 0);
    // Up at the first item that shows changes nothing.
    mEvents->Clear();
    Key(VK_UP);
    EXPECT_EQ(mList->GetFocusItem(), 0);
    EXPECT_EQ(mEvents->Count(kSelectionChange), 0);

    // Hiding the selected item deselects it.
    Click(60, RowY(1));
    ASSERT_EQ(Selected(*mList), std::vector<int>{3});
    EXPECT_EQ(mList->SetItemHidden(3, true), S_OK);
    EXPECT_TRUE(Selected(*mList).empty());
    EXPECT_EQ(mList->GetAnchor(), -1);
    // Down without a focus selects the first item that shows.
    mList->SetItemHidden(0, true);
    Key(VK_DOWN);
    EXPECT_EQ(Selected(*mList), std::vector<int>{4});
    // Showing an item before the top moves the offset, not the rows' items.
    ASSERT_EQ(mList->GetTopItem(), 4);
    EXPECT_EQ(mList->SetItemHidden(0, false), S_OK);
    EXPECT_EQ(mList->GetTopItem(), 4);
    EXPECT_EQ(mList->GetContentOffset().y, kRowHeight);
    EXPECT_EQ(mList->GetItemControlAt(0)->GetText(), WString(L"Item 4"));
    mList->ScrollItemIntoView(0);
    EXPECT_EQ(mList->GetItemControlAt(0)->GetText(), WString(L"Item 0"));
    EXPECT_EQ(mList->GetItemControlAt(1)->GetText(), WString(L"Item 4"));
}

TEST_F(ListBoxTest, HidingTheTopItemScrollsToTheNearestShownItem)
{
    Fill(*mList, 100);
    mList->ScrollItemIntoView(50);
    const int top = mList->GetTopItem();
    ASSERT_GT(top, 0);
    EXPECT_EQ(mList->SetItemHidden(top, true), S_OK);
    EXPECT_FALSE(mList->IsItemHidden(mList->GetTopItem()));
    EXPECT_EQ(mList->GetItemControlAt(0)->GetText(),
              WString::CreateFormatted(L"Item %d", mList->GetTopItem()));
    EXPECT_EQ(mList->GetContentOffset().y,
              static_cast<double>(mList->GetTopItem() - (mList->GetTopItem() > top ? 1 : 0)) *
                  kRowHeight);
}

TEST_F(ListBoxTest, SizeToContentMakesTheListAMenu)
{
    mMenu->SetSizeToContent(true);
    for (const wchar_t* text : {L"Open", L"Save", L"Close", L"Quit"})
    {
        mMenu->AddItem(LListBox::CreateStringItemData(WString(text)));
    }
    // Four rows of 16 and the 2-pixel frame above and below.
    EXPECT_EQ(mMenu->GetRect().height, 4 * 16 + 4);
    for (int r = 0; r < mMenu->GetRowCount(); ++r)
    {
        EXPECT_TRUE(mMenu->GetItemControlAt(r)->GetForwardMouseDown()) << r;
    }
    mEvents->Clear();
    const int x = 230;
    auto menuRow = [](int row) { return 10 + 2 + row * 16 + 8; };
    // Hovering selects without a press; no selection change is ever sent.
    Mouse(WM_MOUSEMOVE, x, menuRow(1));
    EXPECT_EQ(Selected(*mMenu), std::vector<int>{1});
    // The press goes to the list; dragging over the rows follows the mouse, off the rows clears.
    Mouse(WM_LBUTTONDOWN, x, menuRow(1), MK_LBUTTON);
    MoveHeld(x, menuRow(2));
    EXPECT_EQ(Selected(*mMenu), std::vector<int>{2});
    MoveHeld(x + 200, menuRow(2));
    EXPECT_TRUE(Selected(*mMenu).empty());
    MoveHeld(x, menuRow(3));
    EXPECT_EQ(Selected(*mMenu), std::vector<int>{3});
    // Releasing over an item activates it once and hides the list.
    Release(x, menuRow(3));
    EXPECT_EQ(mEvents->Count(kActivated), 1);
    EXPECT_FALSE(mMenu->IsVisible(false));
    EXPECT_EQ(mEvents->Count(kSelectionChange), 0);

    // Removing items shrinks it.
    mMenu->SetVisible(true);
    EXPECT_EQ(mMenu->RemoveItem(0), 3);
    EXPECT_EQ(mMenu->GetRect().height, 3 * 16 + 4);
    EXPECT_EQ(mMenu->RemoveAllItems(), S_OK);
    EXPECT_EQ(mMenu->GetRect().height, 4);
}

TEST_F(ListBoxTest, RowsFromTheSkinAndItemsFromTheStringTable)
{
    const RCPtr<LListBox> rows = Find("skinRows");
    ASSERT_TRUE(rows);
    // "item1" and "item2"; the scan stops at the missing "item3".
    EXPECT_EQ(rows->GetRowCount(), 2);
    ASSERT_EQ(rows->GetItemCount(), 2);
    EXPECT_EQ(rows->GetItemText(0), WString(L"First"));
    EXPECT_EQ(rows->GetItemText(1), WString(L"Second"));
    EXPECT_EQ(rows->GetItemHeight(), 12);
    // Such a list never makes rows of its own.
    rows->AddItem(LListBox::CreateStringItemData(WString(L"Third")));
    EXPECT_EQ(rows->GetRowCount(), 2);

    const RCPtr<LListBox> strings = Find("strList");
    ASSERT_TRUE(strings);
    // ITEM.0, ITEM.1 and ITEM.3; the missing 2 is empty; -1, x2 and a huge number make none.
    ASSERT_EQ(strings->GetItemCount(), 4);
    EXPECT_EQ(strings->GetItemText(0), WString(L"Zero"));
    EXPECT_EQ(strings->GetItemText(1), WString(L"One"));
    EXPECT_TRUE(strings->GetItemText(2).IsEmpty());
    EXPECT_EQ(strings->GetItemText(3), WString(L"Three"));
    EXPECT_EQ(strings->AddItemsFromStringTable(nullptr), E_INVALIDARG);
}

TEST_F(ListBoxTest, ChildrenAddedLaterAreTakenAsTheirNamesSay)
{
    RCPtr<LControlDescriptor> pattern;
    RCPtr<LControlDescriptor> bar;
    const LControlDescriptor::Children& subs = mList->GetDescriptor()->GetChildren();
    for (unsigned int i = 0; i < subs.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor> sub = subs.GetConstElementPointer(i);
        if (sub->GetName() == L"templateItem")
        {
            pattern = sub;
        }
        else if (sub->GetName() == L"vBar")
        {
            bar = sub;
        }
    }
    ASSERT_TRUE(pattern && bar);
    const unsigned int children = mList->GetChildren().GetCount();
    // A description alone: only "templateItem" is taken (made, measured, never shown).
    EXPECT_EQ(mList->AddChildControl(nullptr, pattern), S_OK);
    EXPECT_EQ(mList->GetChildren().GetCount(), children);
    EXPECT_EQ(mList->GetItemHeight(), kRowHeight);
    EXPECT_EQ(mList->AddChildControl(nullptr, bar), E_FAIL);
    EXPECT_EQ(mList->AddChildControl(nullptr, nullptr), E_FAIL);

    // A row control whose name is not "item<N>" with N from 1 takes no row's place.
    const int rows = mList->GetRowCount();
    const RCPtr<LListBoxItem> first = mList->GetItemControlAt(0);
    for (const wchar_t* name : {L"ItemControl0", L"item0", L"item", L"itemX"})
    {
        RCPtr<LControlDescriptor> extra;
        LControlFactory::MakeControlDescriptor(extra, pattern, pattern->GetLayout(), WString(name));
        const RCPtr<LControl> control(new LListBoxItem(nullptr, WString(name)));
        EXPECT_EQ(mList->AddChildControl(control, extra), S_OK) << name;
        EXPECT_EQ(mList->GetRowCount(), rows) << name;
        EXPECT_EQ(mList->GetItemControlAt(0), first) << name;
    }
}

TEST_F(ListBoxTest, IndexesOutOfRangeAreRefusedWithoutChange)
{
    Fill(*mList, 5);
    mList->SelectItemRange(2, -1, true);
    mEvents->Clear();
    struct Case
    {
        const char* what;
        std::function<ORVRESULT()> call;
        ORVRESULT expected;
    };
    const auto data = LListBox::CreateStringItemData(WString(L"x"));
    const Case cases[] = {
        {"select at the count", [&] { return mList->SelectItemRange(5, -1, true); }, E_INVALIDARG},
        {"select negative", [&] { return mList->SelectItemRange(-1, -1, true); }, E_INVALIDARG},
        {"select to beyond", [&] { return mList->SelectItemRange(0, 9, true); }, E_INVALIDARG},
        {"remove at the count", [&] { return mList->RemoveItem(5); }, E_INVALIDARG},
        {"remove negative", [&] { return mList->RemoveItem(-1); }, E_INVALIDARG},
        {"hide beyond", [&] { return mList->SetItemHidden(7, true); }, E_INVALIDARG},
        {"scroll to beyond", [&] { return mList->ScrollItemIntoView(5); }, E_INVALIDARG},
        {"sort negative first", [&] { return mList->SortItems(-1, 2); }, E_INVALIDARG},
        {"sort negative count", [&] { return mList->SortItems(0, -2); }, E_INVALIDARG},
        {"sort past the end", [&] { return mList->SortItems(3, 3); }, E_INVALIDARG},
        {"swap beyond", [&] { return mList->SwapItems(0, 5); }, E_INVALIDARG},
        {"insert beyond", [&] { return mList->InsertItem(6, data); }, E_INVALIDARG},
        {"insert negative", [&] { return mList->InsertItem(-1, data); }, E_INVALIDARG},
        {"negative count", [&] { return mList->SetItemCount(-3); }, E_INVALIDARG},
        {"set beyond", [&] { return static_cast<ORVRESULT>(mList->SetItem(5, data)); }, 0},
        {"value beyond", [&] { return static_cast<ORVRESULT>(mList->SetItemValue(9, 1.0)); }, 0},
        {"separator negative",
         [&] { return static_cast<ORVRESULT>(mList->SetItemSeparator(-1, true)); }, 0},
        {"sub-menu beyond",
         [&] { return static_cast<ORVRESULT>(mList->SetItemHasSubMenu(5, true)); }, 0},
        {"deselect beyond", [&] { return mList->DeselectItem(5); }, S_FALSE},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.call(), c.expected) << c.what;
        EXPECT_EQ(mList->GetItemCount(), 5) << c.what;
        EXPECT_EQ(Selected(*mList), std::vector<int>{2}) << c.what;
        EXPECT_EQ(mList->GetItemText(0), WString(L"Item 0")) << c.what;
        EXPECT_EQ(mList->GetItemText(4), WString(L"Item 4")) << c.what;
    }
    EXPECT_EQ(mEvents->Count(kSelectionChange), 0);
    // Reads beyond the end give the shared empty record.
    EXPECT_EQ(&mList->GetItemRecord(5), &ItemRecord::Empty());
    EXPECT_EQ(&mList->GetItemRecord(-1), &ItemRecord::Empty());
    EXPECT_EQ(mList->GetItemRecordAt(5), nullptr);
    EXPECT_FALSE(mList->IsItemSelected(99));
    EXPECT_EQ(mList->GetItemValue(-4), 0.0);
    EXPECT_EQ(mList->GetItemWidth(5), 0);
}

TEST_F(ListBoxTest, RemovingAndSortingKeepAnchorAndFocusOnTheirItems)
{
    Fill(*mList, 10);
    // A range (reachable through code): anchor 5, focus 2.
    EXPECT_EQ(mList->SelectItemRange(5, 2, true), 5);
    EXPECT_EQ(Selected(*mList), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(mList->GetAnchor(), 5);
    EXPECT_EQ(mList->GetFocusItem(), 2);
    // Removing before both shifts them with their items.
    EXPECT_EQ(mList->RemoveItem(0), 9);
    EXPECT_EQ(mList->GetAnchor(), 4);
    EXPECT_EQ(mList->GetFocusItem(), 1);
    EXPECT_EQ(mList->GetSelectedCount(), 4);
    // Removing one between them resets both.
    EXPECT_EQ(mList->RemoveItem(2), 8);
    EXPECT_EQ(mList->GetAnchor(), -1);
    EXPECT_EQ(mList->GetFocusItem(), -1);
    EXPECT_EQ(mList->GetSelectedCount(), 3);

    // Sorting by text, case-insensitively; the focus follows its item.
    mList->RemoveAllItems();
    EXPECT_EQ(mList->GetSelectedCount(), 0);
    for (const wchar_t* text : {L"b", L"A", L"c"})
    {
        mList->AddItem(LListBox::CreateStringItemData(WString(text)));
    }
    mList->SelectItemRange(0, -1, true);
    EXPECT_EQ(mList->SortAll(), S_OK);
    EXPECT_EQ(mList->GetItemText(0), WString(L"A"));
    EXPECT_EQ(mList->GetItemText(1), WString(L"b"));
    EXPECT_EQ(mList->GetItemText(2), WString(L"c"));
    EXPECT_EQ(mList->GetFocusItem(), 1);
    EXPECT_EQ(Selected(*mList), std::vector<int>{1});
    EXPECT_EQ(mList->GetItemControlAt(1)->GetText(), WString(L"b"));
    EXPECT_EQ(mList->SortItems(1, 0), S_FALSE);
    EXPECT_EQ(mList->FindItemByText(WString(L"B"), false), 1);
    EXPECT_EQ(mList->FindItemByText(WString(L"B"), true), -1);
    EXPECT_EQ(mList->SelectNextItemWithText(-1, WString(L"C"), false), 2);
    EXPECT_EQ(Selected(*mList), std::vector<int>{2});
}

TEST_F(ListBoxTest, ARowsLookFollowsItsRecordAndState)
{
    Fill(*mList, 5);
    const RCPtr<LListBoxItem> row = mList->GetItemControlAt(1);
    const auto data = LListBox::CreateStringItemData(WString(L"Row"));
    struct Case
    {
        double value;
        bool subMenu;
        bool separator;
        bool hovered;
        bool enabled;
        int look;
    };
    const Case cases[] = {
        {0.0, false, false, false, true, LListBoxItem::kLookUnselected},
        {0.4999, false, false, false, true, LListBoxItem::kLookUnselected},
        {0.5, false, false, false, true, LListBoxItem::kLookSelected},
        {0.0, false, false, true, true, LListBoxItem::kLookUnselectedHover},
        {1.0, false, false, true, true, LListBoxItem::kLookSelectedHover},
        {0.0, true, false, false, true, LListBoxItem::kLookUnselectedSubMenu},
        {1.0, true, false, true, true, LListBoxItem::kLookSelectedSubMenuHover},
        {0.0, false, true, false, true, LListBoxItem::kLookSeparator},
        {1.0, false, true, true, true, LListBoxItem::kLookSeparator},
        {0.0, false, false, false, false, LListBoxItem::kLookUnselectedDisabled},
        // A disabled selected row shows the separator's look.
        {1.0, false, false, false, false, LListBoxItem::kLookSeparator},
    };
    for (const Case& c : cases)
    {
        mList->SetEnabled(c.enabled);
        row->SetForcedHover(c.hovered);
        ASSERT_EQ(mList->SetItemFields(1, data, c.value, c.subMenu, c.separator), 1);
        EXPECT_EQ(row->GetActiveLookIndex(), c.look)
            << c.value << " " << c.subMenu << " " << c.separator << " " << c.hovered << " "
            << c.enabled;
        EXPECT_EQ(row->GetLookIndex(true), c.look);
        // A separator has no text; the selected count follows the value.
        EXPECT_EQ(row->GetText(), WString(c.separator ? L"" : L"Row"));
        EXPECT_EQ(mList->GetSelectedCount(), c.value >= 0.5 ? 1 : 0);
    }
    mList->SetEnabled(true);
    row->SetForcedHover(false);

    // A null item shows an empty text; a row never takes the focus.
    mList->SetItem(2, ConstRCPtr<LTaggableObject>());
    EXPECT_TRUE(mList->GetItemControlAt(2)->GetText().IsEmpty());
    EXPECT_TRUE(row->IsNotFocusable(false));
    // SetSeparator(false) leaves the text for the list's next refresh.
    row->SetText(WString(L"Kept"));
    row->SetSeparator(false);
    EXPECT_EQ(row->GetText(), WString(L"Kept"));
}

TEST_F(ListBoxTest, ACutOffRowShowsItsWholeTextAsItsToolTip)
{
    Fill(*mList, 2);
    const WString longText(L"A text much too long for the hundred and forty pixels of a row");
    mList->SetItem(1, LListBox::CreateStringItemData(longText));
    EXPECT_EQ(mList->GetItemControlAt(1)->GetToolTipText(), longText);
    EXPECT_TRUE(mList->GetItemControlAt(0)->GetToolTipText().IsEmpty());
    // The widest item is measured with the rows' font, beyond the base width.
    EXPECT_GT(mList->GetItemWidth(1), mList->GetItemWidth(0));
    EXPECT_GT(mList->GetItemWidth(0), mList->GetItemBaseWidth());
    EXPECT_EQ(mList->GetWidestItemWidth(), mList->GetItemWidth(1));
    mList->RemoveItem(1);
    EXPECT_EQ(mList->GetWidestItemWidth(), mList->GetItemWidth(0));
}

TEST_F(ListBoxTest, ASelectedRowShowsItsLook)
{
    Fill(*mList, kItems);
    Click(60, RowY(2));
    Mouse(WM_MOUSEMOVE, 60, RowY(5));
    mList->SetItemSeparator(7, true);
    const std::vector<std::uint32_t> pixels = Screenshot("list-box.png");
    auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * 320 + x]; };
    // The selected row, a hovered row, a plain row and the separator, left of the text.
    EXPECT_EQ(at(kClientX + 1, RowY(2)), 0xFF2060C0u);
    EXPECT_EQ(at(kClientX + 1, RowY(5)), 0xFF9090C0u);
    EXPECT_EQ(at(kClientX + 1, RowY(3)), 0xFF808080u);
    EXPECT_EQ(at(kClientX + 100, RowY(7)), 0xFF000000u);
    // The frame, and the bar's thumb at the top of its channel.
    EXPECT_EQ(at(11, 80), 0xFFE0E000u);
    EXPECT_EQ(at(kClientX + 144 + 6, kClientY + 12 + 4), 0xFFFFFFFFu);
    // Some text is drawn in the selected row (white ink on the selection colour).
    int ink = 0;
    for (int x = kClientX + 3; x < kClientX + 60; ++x)
    {
        for (int y = RowY(2) - 5; y <= RowY(2) + 5; ++y)
        {
            ink += at(x, y) == 0xFFFFFFFFu ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 5);
}
} // namespace
