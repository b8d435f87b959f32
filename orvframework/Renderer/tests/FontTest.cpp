#include "Renderer/Font.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "TestRenderer.h"

#include <gtest/gtest.h>

using namespace Orv;

namespace
{
class FontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        measurer = new TestRenderer();
        SetMeasurementRenderer(ConstRCPtr<LRenderer>(measurer));
    }
    void TearDown() override { SetMeasurementRenderer(nullptr); }

    TestRenderer* measurer = nullptr;
};
} // namespace

TEST_F(FontTest, OneFontPerNameWithoutCaseExactSizeAndStyle)
{
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"Test Sans"), 12.0f, LFont::kRegular);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetName(), WString(L"Test Sans"));
    EXPECT_EQ(font->GetSize(), 12.0f);
    EXPECT_EQ(font->GetStyle(), 0);
    EXPECT_EQ(LFont::GetFont(WString(L"Test Sans"), 12.0f, 0), font);
    EXPECT_EQ(LFont::GetFont(WString(L"TEST sans"), 12.0f, 0), font);

    ConstRCPtr<LFont> larger = LFont::GetFont(WString(L"Test Sans"), 12.5f, 0);
    ConstRCPtr<LFont> bold = LFont::GetFont(WString(L"Test Sans"), 12.0f, LFont::kBold);
    ConstRCPtr<LFont> other = LFont::GetFont(WString(L"Test Serif"), 12.0f, 0);
    EXPECT_NE(larger, font);
    EXPECT_NE(bold, font);
    EXPECT_NE(other, font);
    EXPECT_NE(bold, larger);
    // One reference here, one of the registry (internal).
    EXPECT_EQ(font->GetRefCount(), 2);
    EXPECT_EQ(font->GetInternalRefCount(), 1);
}

TEST_F(FontTest, IdsCountUpAndADroppedFontComesBackNew)
{
    ConstRCPtr<LFont> first = LFont::GetFont(WString(L"Id Face"), 9.0f, 0);
    ConstRCPtr<LFont> second = LFont::GetFont(WString(L"Id Face"), 10.0f, 0);
    ConstRCPtr<LFont> third = LFont::GetFont(WString(L"Id Face"), 11.0f, 0);
    const int id = LFont::GetUniqueID(first);
    EXPECT_GE(id, 1);
    EXPECT_EQ(LFont::GetUniqueID(second), id + 1);
    EXPECT_EQ(LFont::GetUniqueID(third), id + 2);
    EXPECT_EQ(LFont::GetUniqueID(LFont::GetFont(WString(L"id face"), 10.0f, 0)), id + 1);

    // The last outside holder lets go: the font leaves the registry and dies.
    second = nullptr;
    ConstRCPtr<LFont> again = LFont::GetFont(WString(L"Id Face"), 10.0f, 0);
    EXPECT_EQ(LFont::GetUniqueID(again), id + 3);
    EXPECT_EQ(again->GetRefCount(), 2);
}

TEST_F(FontTest, ReleaseInternalReferencesLeavesTheRegistryOnce)
{
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"Leaving Face"), 8.0f, 2);
    const int id = LFont::GetUniqueID(font);
    EXPECT_EQ(font.GetMutable()->ReleaseInternalReferences(), S_OK);
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(font->GetInternalRefCount(), 0);
    EXPECT_EQ(font.GetMutable()->ReleaseInternalReferences(), E_FAIL);
    // The registry no longer knows it: asking again makes a new font.
    ConstRCPtr<LFont> fresh = LFont::GetFont(WString(L"Leaving Face"), 8.0f, 2);
    EXPECT_NE(fresh, font);
    EXPECT_GT(LFont::GetUniqueID(fresh), id);
}

TEST_F(FontTest, MetricsAreMeasuredOnceOnFirstUse)
{
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"Measured Face"), 14.0f, 0);
    EXPECT_EQ(measurer->metricsCalls, 0);
    EXPECT_EQ(font->GetAscent(), -12);
    EXPECT_EQ(measurer->metricsCalls, 1);
    EXPECT_EQ(font->GetHeight(), TestRenderer::kLineHeight);
    EXPECT_EQ(font->GetDescent(), 4);
    EXPECT_EQ(measurer->metricsCalls, 1);
}

TEST_F(FontTest, WithoutMeasuringRendererMetricsAreZeroUntilOneIsThere)
{
    SetMeasurementRenderer(nullptr);
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"Unmeasured Face"), 14.0f, 0);
    EXPECT_EQ(font->GetHeight(), 0);
    EXPECT_EQ(font->GetAscent(), 0);
    EXPECT_EQ(font->GetDescent(), 0);

    SetMeasurementRenderer(ConstRCPtr<LRenderer>(measurer = new TestRenderer()));
    EXPECT_EQ(font->GetHeight(), TestRenderer::kLineHeight);
    EXPECT_EQ(measurer->metricsCalls, 1);
}
