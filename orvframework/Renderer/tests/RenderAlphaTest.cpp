// The alpha and the clip region of the render state, and text drawn into a line rectangle.
#include "TestRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace Orv;

namespace
{
// Records where the point form of DrawString was asked to draw.
class PointRecorder : public TestRenderer
{
public:
    using LRenderer::DrawString;
    ORVRESULT DrawString(const WString&, const ConstRCPtr<LFont>&, const PointT<LONG>& position,
                         const ColorRGBA&) override
    {
        points.push_back(position);
        return S_OK;
    }

    std::vector<PointT<LONG>> points;
};

class RenderAlphaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        renderer = ConstRCPtr<LRenderer>(recorder = new PointRecorder());
        R().InitRenderContextInfo(RectT<LONG>(0, 0, 200, 100), nullptr, true, context);
    }

    LRenderer& R() { return *renderer.GetMutable(); }

    PointRecorder* recorder = nullptr;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
};
} // namespace

TEST_F(RenderAlphaTest, AlphaAndClipRegionAreSavedAndRestoredWithTheState)
{
    LRegion region;
    region.AddRect(RECT{10, 10, 20, 30});
    // Without a context: alpha 1, no region, and setting changes nothing.
    R().SetAlpha(0.5f);
    R().SetClipRegion(region);
    EXPECT_EQ(R().GetAlpha(), 1.0f);
    EXPECT_EQ(R().GetClipRegion(), nullptr);

    R().RenderStart(context);
    EXPECT_EQ(R().GetAlpha(), 1.0f);
    EXPECT_EQ(R().GetClipRegion(), nullptr);
    R().SetClipRegion(region);
    R().SetAlpha(0.5f);
    R().PushState();
    R().SetAlpha(R().GetAlpha() * 0.25f);
    EXPECT_FLOAT_EQ(R().GetAlpha(), 0.125f);
    LRegion other;
    other.AddRect(RECT{0, 0, 5, 5});
    R().SetClipRegion(other);
    RECT bounds{};
    ASSERT_NE(R().GetClipRegion(), nullptr);
    R().GetClipRegion()->GetBounds(bounds);
    EXPECT_EQ(bounds.right, 5);
    R().PopState();
    EXPECT_FLOAT_EQ(R().GetAlpha(), 0.5f);
    ASSERT_NE(R().GetClipRegion(), nullptr);
    R().GetClipRegion()->GetBounds(bounds);
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.bottom, 30);

    // Clamped into 0..1, NaN as 0; an empty region is no region.
    const float cases[][2] = {{1.5f, 1.0f},
                              {-0.5f, 0.0f},
                              {std::numeric_limits<float>::quiet_NaN(), 0.0f},
                              {0.75f, 0.75f}};
    for (const auto& c : cases)
    {
        R().SetAlpha(c[0]);
        EXPECT_EQ(R().GetAlpha(), c[1]) << c[0];
    }
    R().SetClipRegion(LRegion());
    EXPECT_EQ(R().GetClipRegion(), nullptr);
    R().RenderFinish(context);
}

TEST_F(RenderAlphaTest, TextInALineRectangleIsDrawnFromItsRoundedCorner)
{
    R().DrawString(WString(L"line"), nullptr, RectT<float>(10.5f, 19.4f, 40, 16), ColorRGBA{});
    R().DrawString(WString(L"line"), nullptr, RectT<float>(-2.5f, 0.49f, 40, 16), ColorRGBA{});
    ASSERT_EQ(recorder->points.size(), 2u);
    EXPECT_EQ(recorder->points[0], PointT<LONG>(11, 19));
    EXPECT_EQ(recorder->points[1], PointT<LONG>(-3, 0));
}
