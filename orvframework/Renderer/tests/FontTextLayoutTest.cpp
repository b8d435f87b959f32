#include "ControlBase/FontText.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "TestRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
// Every character measures 10 pixels, every line 16.
class FontTextLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        measurer = new TestRenderer();
        SetMeasurementRenderer(ConstRCPtr<LRenderer>(measurer));
        text = RCPtr<LFontText>(new LFontText());
        text->SetFont(LFont::GetFont(WString(L"Layout Face"), 10.0f, 0));
    }
    void TearDown() override { SetMeasurementRenderer(nullptr); }

    std::vector<std::wstring> Lines() const
    {
        std::vector<std::wstring> lines;
        const WStringArray& array = text->GetLines();
        for (unsigned int i = 0; i < array.GetCount(); ++i)
        {
            lines.emplace_back(array.GetConstElementPointer(i).GetBuffer());
        }
        return lines;
    }
    std::vector<std::wstring> Layout(const wchar_t* content, bool wrap, LONG width)
    {
        text->SetText(WString(content));
        text->SetWordWrap(wrap);
        text->SetBoxSize(width, 100);
        text->GetLineCount();
        return Lines();
    }

    TestRenderer* measurer = nullptr;
    RCPtr<LFontText> text;
};

struct LayoutRow
{
    const wchar_t* text;
    LONG width;
    std::vector<std::wstring> lines;
};
} // namespace

TEST_F(FontTextLayoutTest, WordWrapSplitsFitsAndBreaks)
{
    const LayoutRow rows[] = {
        // A text exactly as wide as the box is still broken (the whole-line test is strict).
        {L"aaa bbb", 70, {L"aaa", L"bbb"}},
        {L"aaa bbb", 71, {L"aaa bbb"}},
        // A prefix exactly as wide as the box fits.
        {L"aaa bbb ccc", 70, {L"aaa bbb", L"ccc"}},
        // Narrower than both words, wider than the first: one word a line, the space gone.
        {L"aaaa bb", 50, {L"aaaa", L"bb"}},
        {L"aa bb cc dd", 55, {L"aa bb", L"cc dd"}},
        // A hyphenated word breaks after the hyphen, which stays on the first line.
        {L"well-known", 60, {L"well-", L"known"}},
        {L"ab-cd-ef", 35, {L"ab-", L"cd-", L"ef"}},
        // A hyphen after the last space that still fits is used.
        {L"a well-known", 75, {L"a well-", L"known"}},
        {L"a well-known", 65, {L"a", L"well-", L"known"}},
        // A word wider than the box, without hyphen, stays whole.
        {L"abcdefghij", 30, {L"abcdefghij"}},
        {L" abcdef", 30, {L" abcdef"}},
        // Only spaces break words; the blanks after a break go, those before it stay.
        {L"aa\tbb", 30, {L"aa\tbb"}},
        {L"aa   bb", 30, {L"aa ", L"bb"}},
        {L"aaa   ", 30, {L"aaa"}},
        // Paragraphs are wrapped one by one; an empty paragraph is an empty line.
        {L"aaa bbb\nc", 50, {L"aaa", L"bbb", L"c"}},
        {L"a\n\nb", 50, {L"a", L"", L"b"}},
        {L"a\n", 50, {L"a"}},
        {L"", 50, {L""}},
    };
    for (const LayoutRow& row : rows)
    {
        EXPECT_EQ(Layout(row.text, true, row.width), row.lines)
            << "\"" << WString(row.text).ToNarrow().GetBuffer() << "\" in " << row.width;
    }
}

TEST_F(FontTextLayoutTest, WithoutWrapLinesAreSplitAtLineFeeds)
{
    const LayoutRow rows[] = {
        {L"a\n\nb", 10, {L"a", L"", L"b"}},
        {L"a\n", 10, {L"a"}},
        {L"\na", 10, {L"", L"a"}},
        {L"\n", 10, {L""}},
        {L"", 10, {L""}},
        {L"a long line that does not wrap", 10, {L"a long line that does not wrap"}},
    };
    for (const LayoutRow& row : rows)
    {
        EXPECT_EQ(Layout(row.text, false, row.width), row.lines)
            << "\"" << WString(row.text).ToNarrow().GetBuffer() << "\"";
    }
}

TEST_F(FontTextLayoutTest, WidthsCountFromZero)
{
    // An extent starting at x 2 makes every text 2 pixels wider: "aaa bbb" (72) no longer fits
    // in 71, and "aaa" (32) still fits in 35 while "aaaa" (42) does not.
    measurer->extentX = 2;
    EXPECT_EQ(Layout(L"aaa bbb", true, 71), (std::vector<std::wstring>{L"aaa", L"bbb"}));
    EXPECT_EQ(Layout(L"aaa aaaa", true, 35), (std::vector<std::wstring>{L"aaa", L"aaaa"}));
}

TEST_F(FontTextLayoutTest, LinesArePlacedByTheAlignmentFactors)
{
    text->SetText(WString(L"abcd"));
    text->SetBoxSize(100, 50);
    text->SetAlignment(0.5f, 0.5f);
    EXPECT_EQ(text->GetLineCount(), 1);
    // (100 - 40) x 0.5 and (50 - 16) x 0.5.
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(0), RectT<float>(30, 17, 40, 16));
    EXPECT_EQ(text->GetTextSize(), SizeT<LONG>(70, 33));

    text->SetText(WString(L"ab\nabcdef"));
    text->SetAlignment(1.0f, 0.0f);
    EXPECT_EQ(text->GetLineCount(), 2);
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(0), RectT<float>(80, 0, 20, 16));
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(1), RectT<float>(40, 16, 60, 16));
    EXPECT_EQ(text->GetTextSize(), SizeT<LONG>(100, 32));

    text->SetText(WString());
    text->SetAlignment(0.0f, 1.0f);
    EXPECT_EQ(text->GetLineCount(), 1);
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(0), RectT<float>(0, 34, 0, 16));
}

TEST_F(FontTextLayoutTest, LayoutIsKeptUntilSomethingChanges)
{
    text->SetText(WString(L"aaa bbb ccc"));
    text->SetWordWrap(true);
    text->SetBoxSize(70, 40);
    EXPECT_EQ(text->GetLineCount(), 2);
    EXPECT_FALSE(text->SetWordWrap(true));
    EXPECT_EQ(text->GetLines().GetCount(), 2u);

    text->SetBoxSize(40, 40);
    EXPECT_EQ(text->GetLines().GetCount(), 0u);
    EXPECT_EQ(text->GetLineRects().GetCount(), 0u);
    EXPECT_EQ(text->GetLineCount(), 3);

    EXPECT_TRUE(text->SetWordWrap(false));
    EXPECT_EQ(text->GetLineCount(), 1);
    text->SetText(WString(L"x\ny"));
    EXPECT_EQ(text->GetLineCount(), 2);
}

TEST_F(FontTextLayoutTest, HeightForWidthAndWidestLineKeepNothing)
{
    text->SetText(WString(L"aaa bbb ccc\nd"));
    text->SetWordWrap(true);
    EXPECT_EQ(text->GetHeightForWidth(70), 3 * TestRenderer::kLineHeight);
    EXPECT_EQ(text->GetHeightForWidth(1000), 2 * TestRenderer::kLineHeight);
    text->SetWordWrap(false);
    EXPECT_EQ(text->GetHeightForWidth(10), 2 * TestRenderer::kLineHeight);
    EXPECT_EQ(text->GetLines().GetCount(), 0u);

    EXPECT_EQ(text->MeasureWidestLine(), 110);
    measurer->extentX = 0.5f;
    EXPECT_EQ(text->MeasureWidestLine(), 111);
    measurer->extentX = 0.005f;
    EXPECT_EQ(text->MeasureWidestLine(), 110);
}

TEST_F(FontTextLayoutTest, WithoutMeasuringRendererEverythingMeasuresZero)
{
    SetMeasurementRenderer(nullptr);
    text->SetText(WString(L"aaa bbb\nc"));
    text->SetWordWrap(true);
    text->SetBoxSize(10, 10);
    EXPECT_EQ(text->GetLineCount(), 2);
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(1), RectT<float>(0, 0, 0, 0));
    EXPECT_EQ(text->GetTextSize(), SizeT<LONG>(0, 0));
    // Such a layout is not kept: once a renderer measures, the text is laid out again.
    SetMeasurementRenderer(ConstRCPtr<LRenderer>(measurer = new TestRenderer()));
    EXPECT_EQ(text->GetLineCount(), 3);
    EXPECT_EQ(text->GetLineRects().GetConstElementPointer(1), RectT<float>(0, 16, 30, 16));
    EXPECT_EQ(text->GetTextSize(), SizeT<LONG>(30, 48));
    SetMeasurementRenderer(nullptr);

    RCPtr<LFontText> fontless(new LFontText());
    fontless->SetText(WString(L"x"));
    SetMeasurementRenderer(ConstRCPtr<LRenderer>(new TestRenderer()));
    EXPECT_EQ(fontless->GetLineCount(), 1);
    EXPECT_EQ(fontless->GetHeightForWidth(100), 0);
}
