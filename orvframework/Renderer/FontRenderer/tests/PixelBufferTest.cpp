#include "Renderer/FontRenderer/PixelBuffer.h"
#include "Renderer/FontRenderer/GlyphProcessor.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace Orv;

TEST(PixelBuffer, MadeEmptyOrFromPixels)
{
    const RCPtr<LPixelBuffer<unsigned char>> empty =
        LPixelBuffer<unsigned char>::Create(10, 3, 0, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetStride(), 16);
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 10; ++x)
        {
            ASSERT_NE(empty->GetPixel(x, y), nullptr);
            EXPECT_EQ(*empty->GetPixel(x, y), 0);
        }
    }

    std::vector<unsigned char> source(4 * 2);
    for (std::size_t i = 0; i < source.size(); ++i)
    {
        source[i] = static_cast<unsigned char>(i + 1);
    }
    const RCPtr<LPixelBuffer<unsigned char>> copied =
        LPixelBuffer<unsigned char>::Create(3, 2, 4, source.data());
    source.assign(source.size(), 0xEE);
    EXPECT_EQ(copied->GetStride(), 4);
    EXPECT_EQ(*copied->GetPixel(2, 0), 3);
    EXPECT_EQ(*copied->GetPixel(0, 1), 5);

    // Sizes that make no image.
    EXPECT_EQ(LPixelBuffer<unsigned char>::Create(-1, 2, 0, nullptr), nullptr);
    EXPECT_EQ(LPixelBuffer<unsigned char>::Create(2, -1, 0, nullptr), nullptr);
    EXPECT_EQ(LPixelBuffer<unsigned char>::Create(8, 2, 4, source.data()), nullptr);
    EXPECT_EQ(LPixelBuffer<unsigned char>::Create(INT_MAX, 2, 0, nullptr), nullptr);
    EXPECT_EQ(LPixelBuffer<unsigned char>::Create(65536, 65536, 0, nullptr), nullptr);
}

TEST(PixelBuffer, PixelsOutsideTheImageAreNull)
{
    const RCPtr<LPixelBuffer<unsigned char>> image =
        LPixelBuffer<unsigned char>::Create(10, 4, 0, nullptr);
    // The last byte of the storage, and one further.
    EXPECT_EQ(image->GetPixel(9, 3), image->GetData() + 16 * 3 + 9);
    struct Case
    {
        int x;
        int y;
    };
    for (const Case c : {Case{10, 3}, Case{15, 3}, Case{0, 4}, Case{-1, 0}, Case{0, -1},
                         Case{16, 0}, Case{INT_MIN, 0}, Case{0, INT_MAX}})
    {
        EXPECT_EQ(image->GetPixel(c.x, c.y), nullptr) << c.x << ", " << c.y;
        EXPECT_EQ(static_cast<const LPixelBuffer<unsigned char>&>(*image).GetPixel(c.x, c.y),
                  nullptr);
    }
}

TEST(PixelBuffer, ANewHeightKeepsTheRowsAndZeroesTheNewOnes)
{
    const RCPtr<LPixelBuffer<unsigned char>> image =
        LPixelBuffer<unsigned char>::Create(4, 4, 4, nullptr);
    for (int y = 0; y < 4; ++y)
    {
        for (int x = 0; x < 4; ++x)
        {
            *image->GetPixel(x, y) = static_cast<unsigned char>(0x10 * y + x + 1);
        }
    }
    ASSERT_EQ(image->SetHeight(16), S_OK);
    EXPECT_EQ(image->GetHeight(), 16);
    for (int y = 0; y < 16; ++y)
    {
        for (int x = 0; x < 4; ++x)
        {
            EXPECT_EQ(*image->GetPixel(x, y), y < 4 ? 0x10 * y + x + 1 : 0) << x << ", " << y;
        }
    }
    ASSERT_EQ(image->SetHeight(2), S_OK);
    EXPECT_EQ(image->GetPixel(0, 2), nullptr);
    EXPECT_EQ(*image->GetPixel(3, 1), 0x14);
    ASSERT_EQ(image->SetHeight(3), S_OK);
    EXPECT_EQ(*image->GetPixel(3, 2), 0) << "a row dropped and grown again is zero";

    EXPECT_EQ(image->SetHeight(-1), E_INVALIDARG);
    EXPECT_EQ(image->SetHeight(INT_MAX), E_INVALIDARG);
    EXPECT_EQ(image->GetHeight(), 3);
    EXPECT_EQ(image->SetHeight(0), S_OK);
    EXPECT_EQ(image->GetData(), nullptr);
}

TEST(GlyphTable, CodesOfOneBucketAreToldApartByTheWholeCode)
{
    LGlyphProcessor::GlyphTable table;
    LGlyphProcessor::SCachedGlyph a;
    a.charCode = 0x41;
    a.glyphIndex = 36;
    a.atlasX = 5;
    LGlyphProcessor::SCachedGlyph lWithStroke;
    lWithStroke.charCode = 0x141;
    lWithStroke.glyphIndex = 300;
    lWithStroke.right = 200;
    table.Add(a);
    table.Add(lWithStroke);
    EXPECT_EQ(table.Find(0x41).glyphIndex, 36u);
    EXPECT_EQ(table.Find(0x41).atlasX, 5);
    EXPECT_EQ(table.Find(0x141).glyphIndex, 300u);
    EXPECT_EQ(table.Find(0x141).right, 200);
    // A miss is the all-zero glyph.
    const LGlyphProcessor::SCachedGlyph missing = table.Find(0x241);
    EXPECT_EQ(missing.charCode, 0);
    EXPECT_EQ(missing.glyphIndex, 0u);
    EXPECT_EQ(table.GetCount(), 2);
}
