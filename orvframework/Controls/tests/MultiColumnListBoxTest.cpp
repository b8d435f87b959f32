// The tables of MultiColumnListBoxSkin.xml driven through a window: "table" (10, 10) with two
// columns of rows 16 high from y = 30 (column 1 at x = 10, column 2 at x = 110) under their
// header buttons (y = 10 to 30), and "empty", a table without columns. Header clicks sort the
// rows by a column with each row's cells kept together, selection and hover follow across the
// columns, and a sort that fails midway leaves the columns in step.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "Controls/MultiColumnListBox.h"
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
constexpr int kRowsTop = 30;
constexpr int kColumnX[] = {60, 160};
constexpr std::uint32_t kRow = 0xFF707070;
constexpr std::uint32_t kRowSelected = 0xFFE08020;
const wchar_t* const kSelectionChange = L"NID_SELECTION_CHANGE";
const wchar_t* const kActivated = L"NID_ITEM_ACTIVATED";
} // namespace

class MultiColumnListBoxTest : public ControlWindowFixture
{
public:
    MultiColumnListBoxTest()
        : ControlWindowFixture("MultiColumnListBoxSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        ASSERT_TRUE(mMain);
        mTable = Find("table");
        ASSERT_TRUE(mTable);
        ASSERT_EQ(mTable->GetColumnCount(), 2);
        ASSERT_EQ(mTable->GetHeaderCount(), 2);
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mTable.Get()),
                                        kSelectionChange);
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(mTable.Get()), kActivated);
    }

    RCPtr<LMultiColumnListBox> Find(const char* name) const
    {
        return DynamicCast<LMultiColumnListBox>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), name)));
    }

    // Rows of (first cell, second cell).
    void Fill(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& rows)
    {
        for (const auto& [first, second] : rows)
        {
            mTable->GetColumn(0)->AddItem(LListBox::CreateStringItemData(WString(first)));
            mTable->GetColumn(1)->AddItem(LListBox::CreateStringItemData(WString(second)));
        }
    }

    // The table's rows as "first|second".
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        for (int r = 0; r < mTable->GetColumn(0)->GetItemCount(); ++r)
        {
            const unsigned row = static_cast<unsigned>(r);
            rows.push_back(std::string(mTable->GetCellText(0, row).ToNarrow().GetBuffer()) + "|" +
                           mTable->GetCellText(1, row).ToNarrow().GetBuffer());
        }
        return rows;
    }

    void ClickHeader(int column) { Click(kColumnX[column], 20); }
    void ClickRow(int column, int row) { Click(kColumnX[column], kRowsTop + 16 * row + 8); }

    std::vector<std::uint32_t> Screenshot(const char* name)
    {
        return ControlWindowFixture::Screenshot(name, kWidth, kHeight);
    }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
    }

    RCPtr<LMultiColumnListBox> mTable;
};

TEST_F(MultiColumnListBoxTest, HeaderClicksSortByEachColumnKeepingRowsTogether)
{
    Fill({{L"b", L"2 of b"}, {L"A", L"3 of A"}, {L"c", L"1 of c"}, {L"", L"0 of nothing"}});
    using Table = std::vector<std::string>;
    struct Step
    {
        int header;
        Table expected;
    };
    const Step steps[] = {
        {0, Table{"|0 of nothing", "A|3 of A", "b|2 of b", "c|1 of c"}},
        {0, Table{"c|1 of c", "b|2 of b", "A|3 of A", "|0 of nothing"}},
        // The second column starts ascending, whatever the first column's direction.
        {1, Table{"|0 of nothing", "c|1 of c", "b|2 of b", "A|3 of A"}},
        {1, Table{"A|3 of A", "b|2 of b", "c|1 of c", "|0 of nothing"}},
        {0, Table{"|0 of nothing", "A|3 of A", "b|2 of b", "c|1 of c"}},
    };
    for (const Step& step : steps)
    {
        ClickHeader(step.header);
        EXPECT_EQ(Rows(), step.expected) << "after a click on header " << step.header + 1;
    }
    // The table's extent is its rows' height; the vertical bar counts rows.
    EXPECT_EQ(mTable->GetExtent().y, 4 * 16);
}

TEST_F(MultiColumnListBoxTest, SelectionFollowsAcrossColumnsAndThroughASort)
{
    Fill({{L"b", L"two"}, {L"A", L"three"}, {L"c", L"one"}});
    ClickRow(0, 2);
    EXPECT_TRUE(mTable->GetColumn(1)->IsItemSelected(2));
    EXPECT_FALSE(mTable->GetColumn(1)->IsItemSelected(0));
    EXPECT_GE(mRecorder->Count(kSelectionChange), 1);
    // A click in the second column moves the selection in the first.
    ClickRow(1, 0);
    EXPECT_TRUE(mTable->GetColumn(0)->IsItemSelected(0));
    EXPECT_FALSE(mTable->GetColumn(0)->IsItemSelected(2));
    // Row "b" is selected; sorting moves it to row 1, in both columns.
    ClickHeader(0);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A|three", "b|two", "c|one"}));
    for (int column = 0; column < 2; ++column)
    {
        EXPECT_FALSE(mTable->GetColumn(column)->IsItemSelected(0));
        EXPECT_TRUE(mTable->GetColumn(column)->IsItemSelected(1));
    }
    const std::vector<std::uint32_t> pixels = Screenshot("MultiColumnListBoxSorted.png");
    EXPECT_EQ(At(pixels, kColumnX[0], 20), 0xFF405060u);
    EXPECT_EQ(At(pixels, 90, kRowsTop + 8), kRow);
    EXPECT_EQ(At(pixels, 90, kRowsTop + 16 + 8), kRowSelected);
    EXPECT_EQ(At(pixels, 190, kRowsTop + 16 + 8), kRowSelected);
    EXPECT_EQ(At(pixels, 190, kRowsTop + 32 + 8), kRow);
}

TEST_F(MultiColumnListBoxTest, ColumnsScrollTogether)
{
    for (int i = 0; i < 30; ++i)
    {
        const std::wstring first = L"row " + std::to_wstring(i);
        const std::wstring second = L"cell " + std::to_wstring(i);
        Fill({{first.c_str(), second.c_str()}});
    }
    EXPECT_EQ(mTable->GetExtent().y, 30 * 16);
    // The first column brings its item into view: the table and the other column follow.
    const RCPtr<LListBox> first = mTable->GetColumn(0);
    const RCPtr<LListBox> second = mTable->GetColumn(1);
    ASSERT_EQ(first->ScrollItemIntoView(20), S_OK);
    EXPECT_GT(first->GetTopItem(), 0);
    EXPECT_EQ(second->GetTopItem(), first->GetTopItem());
    EXPECT_EQ(mTable->GetContentOffset().y, first->GetContentOffset().y);
    // The table scrolled back to the top takes both columns with it; the headers stay.
    mTable->NotifyScrollOffsetChange(PointT<double>(0, 0));
    EXPECT_EQ(first->GetTopItem(), 0);
    EXPECT_EQ(second->GetTopItem(), 0);
    EXPECT_EQ(FindControl(mTable.Get(), "buttonColumnHeader1")->GetRectInRoot().y, 10);
}

TEST_F(MultiColumnListBoxTest, HoverIsMirroredInTheOtherColumn)
{
    Fill({{L"b", L"two"}, {L"A", L"three"}, {L"c", L"one"}});
    Mouse(WM_MOUSEMOVE, kColumnX[1], kRowsTop + 16 + 8);
    const RCPtr<LListBox> first = mTable->GetColumn(0);
    const RCPtr<LListBoxItem> row = first->GetItemControlAt(first->GetItemRow(1));
    ASSERT_TRUE(row);
    EXPECT_NE(row->GetConditions() & LControl::kHoverOrForced, 0u);
    Mouse(WM_MOUSEMOVE, 300, 200);
    EXPECT_EQ(row->GetConditions() & LControl::kHoverOrForced, 0u);
}

TEST_F(MultiColumnListBoxTest, ASortThatFailsMidwayLeavesTheColumnsInStep)
{
    Fill({{L"b", L"two"}, {L"A", L"three"}, {L"c", L"one"}});
    // The table's selection registration at the first column is gone: the sort cannot quiet it
    // and fails after it quieted the second column.
    const RCPtr<LListBox> first = mTable->GetColumn(0);
    ASSERT_EQ(first->UnregisterClient(RCPtr<LNotificationReceiver>(mTable.Get()), kSelectionChange),
              S_OK);
    EXPECT_ANY_THROW(mTable->PerformSort(0));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"b|two", "A|three", "c|one"}));
    // With the first column's registration given back, the second column's subscription is
    // found in place: its selection still reaches the first column.
    ASSERT_EQ(
        first->RegisterClient(RCPtr<LNotificationReceiver>(mTable.Get()), kSelectionChange, 0),
        S_OK);
    ClickRow(1, 2);
    EXPECT_TRUE(first->IsItemSelected(2));
    EXPECT_EQ(mTable->PerformSort(5), E_INVALIDARG);
}

TEST_F(MultiColumnListBoxTest, ATableWithoutColumnsIsCreated)
{
    const RCPtr<LMultiColumnListBox> empty = Find("empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetColumnCount(), 0);
    const RectT<double> visible = empty->GetVisibleClientRect();
    EXPECT_EQ(visible.width, 0);
    EXPECT_EQ(visible.height, 0);
    EXPECT_EQ(empty->PerformSort(0), E_INVALIDARG);
    EXPECT_TRUE(empty->GetCellText(0, 0).IsEmpty());
    Click(260, 40);
    const std::vector<std::uint32_t> pixels = Screenshot("MultiColumnListBoxEmpty.png");
    EXPECT_EQ(At(pixels, 260, 40), 0xFF303060u);
}
