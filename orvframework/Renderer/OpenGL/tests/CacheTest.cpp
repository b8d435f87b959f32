// What the renderer keeps between frames: display lists of polylines, polygons and colour lists
// (rebuilt when their owner marks them changed), and one texture per image.
#include "GLRendererTestSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
const PointT<float> kNoOffset(0, 0);
const PointT<float> kNoScale(1, 1);

// The list cached for the handle in the cache; null when it holds none. (The tests hold the
// lists they compare, so that a new list cannot take the address of one that died.)
ConstRCPtr<LGLDisplayList> Cached(LGLRenderer::PolylineCache& cache, int handle)
{
    for (int i = 0; i < cache.GetCount(); ++i)
    {
        if (cache.GetEntryAt(i).handle == handle)
        {
            return cache.GetEntryAt(i).object;
        }
    }
    return nullptr;
}

PolylineT<float> Square(float size)
{
    PolylineT<float> square;
    square.AddPoint(PointT<float>(2, 2));
    square.AddPoint(PointT<float>(2 + size, 2));
    square.AddPoint(PointT<float>(2 + size, 2 + size));
    square.AddPoint(PointT<float>(2, 2 + size));
    square.SetLineWidth(2);
    return square;
}
} // namespace

TEST(GLRendererCaches, AnUnchangedPolylineIsReplayedAndAChangedOneRebuilt)
{
    GLTarget target(24, 24);
    LGLRenderer& r = *target.renderer;
    LGLRenderer::PolylineCache& cache = r.GetPolylineCache(LGLRenderer::kPolylineCache);
    PolylineT<float> line = Square(8);
    const int handle = PolylineT<float>::GetHandle(line);

    target.Frame([&](LRenderer& renderer)
                 { renderer.DrawPolyline(line, kRed, kNoOffset, kNoScale, true); });
    const ConstRCPtr<LGLDisplayList> first = Cached(cache, handle);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(line.IsChanged()) << "a cached draw clears the flag";
    target.Frame([&](LRenderer& renderer)
                 { renderer.DrawPolyline(line, kRed, kNoOffset, kNoScale, true); });
    EXPECT_EQ(Cached(cache, handle), first);
    EXPECT_EQ(cache.GetCount(), 1);

    // Changed points: a new list, drawn with the new points.
    line.Clear();
    line.AddPoint(PointT<float>(2, 20));
    line.AddPoint(PointT<float>(20, 20));
    target.Frame(
        [&](LRenderer& renderer)
        {
            renderer.FillRect(RectT<LONG>(0, 0, 24, 24), kWhite, true);
            renderer.DrawPolyline(line, kRed, kNoOffset, kNoScale, true);
        });
    EXPECT_NE(Cached(cache, handle), nullptr);
    EXPECT_NE(Cached(cache, handle), first);
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(10, 20), kRedArgb);
    EXPECT_EQ(picture.At(2, 10), kWhiteArgb);

    // Not to be cached: drawn all the same, nothing kept.
    target.Frame([&](LRenderer& renderer)
                 { renderer.DrawPolyline(line, kBlue, kNoOffset, kNoScale, false); });
    EXPECT_EQ(Cached(cache, handle), nullptr);
    EXPECT_EQ(target.Read().At(10, 20), kBlueArgb);
}

TEST(GLRendererCaches, OutlineAndFillOfOnePolygonAreKeptApartAndDroppedTogether)
{
    GLTarget target(24, 24);
    LGLRenderer& r = *target.renderer;
    LGLRenderer::PolylineCache& outlines = r.GetPolylineCache(LGLRenderer::kOutlineCache);
    LGLRenderer::PolylineCache& fills = r.GetPolylineCache(LGLRenderer::kFillCache);
    PolylineT<float> polygon = Square(10);
    const int handle = PolylineT<float>::GetHandle(polygon);
    auto both = [&](LRenderer& renderer)
    {
        renderer.FillPolygon(polygon, kGreen, kNoOffset, kNoScale, true);
        renderer.DrawPolygon(polygon, kRed, kNoOffset, kNoScale, true);
    };
    target.Frame(both);
    const ConstRCPtr<LGLDisplayList> fill = Cached(fills, handle);
    const ConstRCPtr<LGLDisplayList> outline = Cached(outlines, handle);
    ASSERT_NE(fill, nullptr);
    ASSERT_NE(outline, nullptr);
    EXPECT_NE(fill, outline);

    // The changed polygon drawn as an outline: its outline is rebuilt, its fill dropped.
    polygon.AddPoint(PointT<float>(2, 7));
    target.Frame([&](LRenderer& renderer)
                 { renderer.DrawPolygon(polygon, kRed, kNoOffset, kNoScale, true); });
    EXPECT_NE(Cached(outlines, handle), nullptr);
    EXPECT_NE(Cached(outlines, handle), outline);
    EXPECT_EQ(Cached(fills, handle), nullptr);

    target.Frame(both);
    ASSERT_NE(Cached(fills, handle), nullptr);
    // Either drawn without caching drops both.
    target.Frame([&](LRenderer& renderer)
                 { renderer.FillPolygon(polygon, kGreen, kNoOffset, kNoScale, false); });
    EXPECT_EQ(Cached(fills, handle), nullptr);
    EXPECT_EQ(Cached(outlines, handle), nullptr);
}

TEST(GLRendererCaches, AColourListIsRecordedOnceUntilItChanges)
{
    GLTarget target(16, 16);
    LGLRenderer::ColorRectCache& cache = target.renderer->GetColorRectCache();
    ColorRectListT<float> list;
    list.AddRect(RectT<float>(0, 0, 4, 4), 0xFFFF0000u);
    auto draw = [&](LRenderer& renderer)
    {
        renderer.FillRect(RectT<LONG>(0, 0, 16, 16), kWhite, true);
        renderer.DrawColorRectList(list, PointT<double>(2, 2), true);
    };
    target.Frame(draw);
    ASSERT_EQ(cache.GetCount(), 1);
    const ConstRCPtr<LGLDisplayList> first = cache.GetEntryAt(0).object;
    EXPECT_FALSE(list.IsChanged());
    target.Frame(draw);
    EXPECT_EQ(cache.GetEntryAt(0).object, first);

    list.AddRect(RectT<float>(8, 8, 4, 4), 0xFF0000FFu);
    target.Frame(draw);
    EXPECT_NE(cache.GetEntryAt(0).object, first);
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(3, 3), kRedArgb);
    EXPECT_EQ(picture.At(11, 11), kBlueArgb);
}

TEST(GLRendererCaches, EveryPartOfOneImageSharesItsTexture)
{
    GLTarget target(16, 16);
    LGLRenderer::TextureCache& cache = target.renderer->GetTextureCache();
    ConstRCPtr<LBitmap> image =
        MakeBitmap(8, 4, [](LONG x, LONG) -> ARGB { return x < 4 ? kRedArgb : kGreenArgb; });
    ConstRCPtr<LBitmap> left = image->CreateSubBitmap(0, 0, 4, 4);
    ConstRCPtr<LBitmap> right = image->CreateSubBitmap(4, 0, 4, 4);
    EXPECT_EQ(LGLRenderer::GetImageHandle(left), LGLRenderer::GetImageHandle(image));
    EXPECT_EQ(LGLRenderer::GetImageHandle(right), LGLRenderer::GetImageHandle(image));
    target.Frame(
        [&](LRenderer& renderer)
        {
            renderer.DrawBitmap(right, RectT<LONG>(0, 0, 4, 4), 0);
            renderer.DrawBitmap(left, RectT<LONG>(8, 8, 4, 4), 0);
            renderer.DrawBitmap(image, RectT<LONG>(0, 12, 8, 4), 0);
        });
    ASSERT_EQ(cache.GetCount(), 1);
    EXPECT_EQ(cache.GetEntryAt(0).uses, 3u);
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(1, 1), kGreenArgb);
    EXPECT_EQ(picture.At(9, 9), kRedArgb);
    EXPECT_EQ(picture.At(1, 13), kRedArgb);
    EXPECT_EQ(picture.At(6, 13), kGreenArgb);
}

TEST(GLRendererCaches, BitmapArgumentsAreChecked)
{
    GLTarget target(8, 8);
    ConstRCPtr<LBitmap> bitmap = MakeBitmap(2, 2, [](LONG, LONG) -> ARGB { return kRedArgb; });
    target.Start();
    LGLRenderer& r = *target.renderer;
    try
    {
        r.DrawBitmap(ConstRCPtr<LBitmap>(), RectT<LONG>(0, 0, 2, 2), 0);
        ADD_FAILURE() << "no throw";
    }
    catch (const FailedResultException& error)
    {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Failed Result : ORVRESULT = 80070057 : "
                             "Orv::LGLRenderer::DrawBitmap : ",
                             0),
                  0u)
            << error.what();
    }
    try
    {
        r.DrawBitmap(bitmap, RectT<LONG>(0, 0, 4, 4), 3);
        ADD_FAILURE() << "no throw";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Logic Error : Invalid ResizeType passed to DrawBitmap! : "
                             "Orv::LGLRenderer::DrawBitmap : ",
                             0),
                  0u)
            << error.what();
    }
    // At its own size any resize type draws it as it is.
    EXPECT_EQ(r.DrawBitmap(bitmap, RectT<LONG>(0, 0, 2, 2), 3), S_OK);
    // A negative size is drawn over the span it covers.
    r.FillRect(RectT<LONG>(8, 8, -3, -2), kBlue, true);
    target.Finish();
    const Picture picture = target.Read();
    EXPECT_EQ(picture.At(1, 1), kRedArgb);
    EXPECT_EQ(picture.At(5, 6), kBlueArgb);
    EXPECT_EQ(picture.At(7, 7), kBlueArgb);
    EXPECT_NE(picture.At(4, 7), kBlueArgb);
}
