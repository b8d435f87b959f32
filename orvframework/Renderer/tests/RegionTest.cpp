#include "Renderer/Region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace Orv;

namespace
{
using Pixel = std::pair<LONG, LONG>;
using PixelSet = std::set<Pixel>;

std::vector<RectT<LONG>> RectsOf(const LRegion& region)
{
    Array<RectT<LONG>> array;
    region.GetRects(array);
    std::vector<RectT<LONG>> rects;
    for (unsigned int i = 0; i < array.GetCount(); ++i)
    {
        rects.push_back(array.GetConstElementPointer(i));
    }
    return rects;
}

// How many of the region's rectangles cover each pixel.
std::map<Pixel, int> Coverage(const LRegion& region)
{
    std::map<Pixel, int> coverage;
    for (const RectT<LONG>& r : RectsOf(region))
    {
        for (LONG y = r.y; y < r.Bottom(); ++y)
        {
            for (LONG x = r.x; x < r.Right(); ++x)
            {
                ++coverage[Pixel(x, y)];
            }
        }
    }
    return coverage;
}

PixelSet PixelsOf(const LRegion& region)
{
    PixelSet pixels;
    for (const auto& [pixel, count] : Coverage(region))
    {
        pixels.insert(pixel);
    }
    return pixels;
}

PixelSet PixelsOf(const RECT& r)
{
    PixelSet pixels;
    for (LONG y = r.top; y < r.bottom; ++y)
    {
        for (LONG x = r.left; x < r.right; ++x)
        {
            pixels.insert(Pixel(x, y));
        }
    }
    return pixels;
}

bool HasOverlap(const LRegion& region)
{
    for (const auto& [pixel, count] : Coverage(region))
    {
        if (count > 1)
        {
            return true;
        }
    }
    return false;
}

bool HasEmptyRect(const LRegion& region)
{
    for (const RectT<LONG>& r : RectsOf(region))
    {
        if (r.width <= 0 || r.height <= 0)
        {
            return true;
        }
    }
    return false;
}

PixelSet Union(const PixelSet& a, const PixelSet& b)
{
    PixelSet result = a;
    result.insert(b.begin(), b.end());
    return result;
}

PixelSet Minus(const PixelSet& a, const PixelSet& b)
{
    PixelSet result;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(),
                        std::inserter(result, result.end()));
    return result;
}

PixelSet Common(const PixelSet& a, const PixelSet& b)
{
    PixelSet result;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(),
                          std::inserter(result, result.end()));
    return result;
}

bool Meets(const PixelSet& pixels, const RECT& r)
{
    for (const Pixel& p : pixels)
    {
        if (p.first >= r.left && p.first < r.right && p.second >= r.top && p.second < r.bottom)
        {
            return true;
        }
    }
    return false;
}

std::vector<RectT<LONG>> Sorted(std::vector<RectT<LONG>> rects)
{
    std::sort(
        rects.begin(), rects.end(),
        [](const RectT<LONG>& a, const RectT<LONG>& b)
        { return std::tie(a.y, a.x, a.width, a.height) < std::tie(b.y, b.x, b.width, b.height); });
    return rects;
}

class RandomRects
{
public:
    explicit RandomRects(unsigned int seed)
        : mEngine(seed)
    {
    }
    int Between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(mEngine);
    }
    // Mostly small rectangles on a small field; now and then an empty one.
    RECT Next()
    {
        const LONG left = Between(-4, 24);
        const LONG top = Between(-4, 24);
        return RECT{left, top, left + Between(0, 12), top + Between(0, 12)};
    }
    LRegion Region()
    {
        LRegion region;
        for (int i = Between(1, 4); i > 0; --i)
        {
            region.AddRect(Next());
        }
        return region;
    }

private:
    std::mt19937 mEngine;
};
} // namespace

TEST(Region, AddingAnOverlappingRectangleCutsTheOlderOne)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 10, 10});
    region.AddRect(RECT{5, 5, 15, 15});
    EXPECT_EQ(Sorted(RectsOf(region)), Sorted({RectT<LONG>(5, 5, 10, 10), RectT<LONG>(0, 0, 10, 5),
                                               RectT<LONG>(0, 5, 5, 5)}));
    // The newest rectangle is at the front.
    EXPECT_EQ(RectsOf(region).front(), RectT<LONG>(5, 5, 10, 10));
}

TEST(Region, EmptyRectanglesAndTouchingEdgesChangeNothing)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 10, 10});
    region.AddRect(RECT{3, 3, 3, 8});
    region.AddRect(RECT{3, 3, 8, 2});
    EXPECT_EQ(RectsOf(region), std::vector<RectT<LONG>>{RectT<LONG>(0, 0, 10, 10)});

    LRegion removed;
    for (const RECT& touching : {RECT{10, 0, 20, 10}, RECT{-5, 10, 15, 12}, RECT{4, 4, 4, 9}})
    {
        region.SubtractRect(touching, &removed);
    }
    EXPECT_EQ(RectsOf(region), std::vector<RectT<LONG>>{RectT<LONG>(0, 0, 10, 10)});
    EXPECT_TRUE(removed.IsEmpty());
}

TEST(Region, SubtractRectGivesTheCoveredPiecesToTheOutput)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 10, 10});
    LRegion removed;
    region.SubtractRect(RECT{2, 3, 6, 20}, &removed);
    EXPECT_EQ(RectsOf(removed), std::vector<RectT<LONG>>{RectT<LONG>(2, 3, 4, 7)});
    EXPECT_EQ(PixelsOf(region), Minus(PixelsOf(RECT{0, 0, 10, 10}), PixelsOf(RECT{2, 3, 6, 20})));
    EXPECT_EQ(region.GetRectCount(), 3u);
}

TEST(Region, IntersectWithOverlappingRectanglesKeepsEachPixelOnce)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 20, 20});
    LRegion first;
    first.AddRect(RECT{2, 2, 12, 12});
    LRegion overlapping;
    overlapping.AddRect(RECT{8, 8, 30, 15});
    overlapping.AppendRects(first);
    ASSERT_TRUE(HasOverlap(overlapping));

    region.Intersect(overlapping);
    EXPECT_FALSE(HasOverlap(region));
    EXPECT_EQ(PixelsOf(region),
              Common(PixelsOf(RECT{0, 0, 20, 20}),
                     Union(PixelsOf(RECT{2, 2, 12, 12}), PixelsOf(RECT{8, 8, 30, 15}))));

    // With itself: unchanged.
    const PixelSet before = PixelsOf(region);
    region.Intersect(region);
    EXPECT_EQ(PixelsOf(region), before);
    region.Subtract(region);
    EXPECT_TRUE(region.IsEmpty());
}

TEST(Region, BoundsCountsRectsAndOffset)
{
    LRegion region;
    RECT bounds{1, 2, 3, 4};
    EXPECT_FALSE(region.GetBounds(bounds));
    EXPECT_EQ(bounds.left | bounds.top | bounds.right | bounds.bottom, 0);
    EXPECT_EQ(region.GetRectCount(), 0u);

    region.AddRect(RECT{5, 6, 7, 8});
    region.AddRect(RECT{-3, 10, 0, 12});
    EXPECT_TRUE(region.GetBounds(bounds));
    EXPECT_EQ(bounds.left, -3);
    EXPECT_EQ(bounds.top, 6);
    EXPECT_EQ(bounds.right, 7);
    EXPECT_EQ(bounds.bottom, 12);
    // In list order, newest first, as x, y, width, height.
    EXPECT_EQ(RectsOf(region),
              (std::vector<RectT<LONG>>{RectT<LONG>(-3, 10, 3, 2), RectT<LONG>(5, 6, 2, 2)}));

    region.Offset(0, 0);
    region.Offset(3, -2);
    EXPECT_EQ(RectsOf(region),
              (std::vector<RectT<LONG>>{RectT<LONG>(0, 8, 3, 2), RectT<LONG>(8, 4, 2, 2)}));

    // AppendRects on an empty region makes a copy in reverse order.
    LRegion copy;
    copy.AppendRects(region);
    EXPECT_EQ(RectsOf(copy),
              (std::vector<RectT<LONG>>{RectT<LONG>(8, 4, 2, 2), RectT<LONG>(0, 8, 3, 2)}));
    // A copy-constructed region keeps the order.
    LRegion same(region);
    EXPECT_EQ(RectsOf(same), RectsOf(region));
    region.Clear();
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(same.GetRectCount(), 2u);
}

TEST(Region, DoubleRectanglesRoundByAddingHalfAndTruncating)
{
    struct Row
    {
        RectT<double> in;
        RectT<LONG> expected;
    };
    const Row rows[] = {
        {{0.4, 0.6, 9.5, 2.2}, {0, 1, 10, 2}},
        {{-2.7, -0.4, 3.2, 1.5}, {-2, 0, 3, 2}},
        {{1, 1, 0.4, 5}, {}},
    };
    for (const Row& row : rows)
    {
        LRegion region;
        region.AddRect(row.in);
        if (row.expected.width == 0)
        {
            EXPECT_TRUE(region.IsEmpty());
        }
        else
        {
            EXPECT_EQ(RectsOf(region), std::vector<RectT<LONG>>{row.expected});
        }
    }
}

TEST(Region, IntersectsWithARectangleAndAnOffset)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 10, 10});
    region.AddRect(RECT{20, 0, 30, 10});
    EXPECT_TRUE(region.Intersects(RECT{9, 9, 11, 11}));
    EXPECT_FALSE(region.Intersects(RECT{10, 0, 20, 10}));
    // An empty rectangle meets nothing, even inside the region.
    EXPECT_FALSE(region.Intersects(RECT{5, 5, 5, 8}));
    EXPECT_FALSE(region.Intersects(RECT{5, 5, 8, 2}));
    // A rectangle without width is false even where the region is.
    EXPECT_FALSE(region.Intersects(RectT<double>(2, 2, 0, 5), PointT<double>()));
    EXPECT_TRUE(region.Intersects(RectT<double>(2, 2, 0.6, 5), PointT<double>()));
    // Moved, then each edge rounded half away from zero: 9.4 .. 14.4 meets 0 .. 10, and
    // 9.6 .. 14.6 does not.
    EXPECT_TRUE(region.Intersects(RectT<double>(30, 30, 5, 5), PointT<double>(-20.6, -25)));
    EXPECT_FALSE(region.Intersects(RectT<double>(30, 30, 5, 5), PointT<double>(-20.4, -25)));
    // Limited to 0 .. 2^31 - 1: what lies left of 0 does not count.
    EXPECT_TRUE(region.Intersects(RectT<double>(-5, -5, 6, 6), PointT<double>()));
    EXPECT_FALSE(region.Intersects(RectT<double>(-5, -5, 5, 6), PointT<double>()));
    EXPECT_FALSE(region.Intersects(RectT<double>(1e12, 0, 5, 5), PointT<double>()));
}

TEST(Region, NormalizeBandsAndMerges)
{
    LRegion region;
    region.AddRect(RECT{0, 0, 10, 10});
    region.AddRect(RECT{5, 5, 15, 15});
    region.Normalize();
    EXPECT_EQ(RectsOf(region),
              (std::vector<RectT<LONG>>{RectT<LONG>(0, 0, 10, 5), RectT<LONG>(0, 5, 15, 5),
                                        RectT<LONG>(5, 10, 10, 5)}));

    LRegion sideBySide;
    sideBySide.AddRect(RECT{5, 0, 10, 4});
    sideBySide.AddRect(RECT{0, 0, 5, 4});
    sideBySide.AddRect(RECT{10, 0, 12, 4});
    sideBySide.Normalize();
    EXPECT_EQ(RectsOf(sideBySide), std::vector<RectT<LONG>>{RectT<LONG>(0, 0, 12, 4)});

    LRegion stacked;
    stacked.AddRect(RECT{0, 4, 8, 9});
    stacked.AddRect(RECT{0, 0, 8, 4});
    stacked.AddRect(RECT{0, 9, 8, 10});
    stacked.Normalize();
    EXPECT_EQ(RectsOf(stacked), std::vector<RectT<LONG>>{RectT<LONG>(0, 0, 8, 10)});

    LRegion empty;
    empty.Normalize();
    EXPECT_TRUE(empty.IsEmpty());
}

// Any tiling of a rectangle normalizes to that one rectangle.
TEST(Region, NormalizeJoinsEveryTilingOfARectangle)
{
    RandomRects random(7);
    for (int round = 0; round < 200; ++round)
    {
        const RECT whole{random.Between(-5, 5), random.Between(-5, 5), random.Between(8, 30),
                         random.Between(8, 30)};
        LRegion region;
        region.AddRect(whole);
        for (int cut = random.Between(1, 6); cut > 0; --cut)
        {
            LRegion pieces;
            region.SubtractRect(random.Next(), &pieces);
            region.AppendRects(pieces);
        }
        ASSERT_FALSE(HasOverlap(region));
        ASSERT_EQ(PixelsOf(region), PixelsOf(whole));
        region.Normalize();
        ASSERT_EQ(RectsOf(region),
                  std::vector<RectT<LONG>>{RectT<LONG>(
                      whole.left, whole.top, whole.right - whole.left, whole.bottom - whole.top)})
            << "round " << round;
    }
}

// Every operation against a model of the region as a set of pixels.
TEST(Region, RandomOperationsMatchAPixelSetModel)
{
    RandomRects random(20240611);
    LRegion region;
    PixelSet model;
    bool mayOverlap = false;
    for (int step = 0; step < 3000; ++step)
    {
        const int operation = random.Between(0, 9);
        switch (operation)
        {
            case 0:
            case 1:
            {
                const RECT r = random.Next();
                region.AddRect(r);
                model = Union(model, PixelsOf(r));
                break;
            }
            case 2:
            {
                const RECT r = random.Next();
                LRegion removed;
                region.SubtractRect(r, random.Between(0, 1) ? &removed : nullptr);
                if (!removed.IsEmpty())
                {
                    ASSERT_EQ(PixelsOf(removed), Common(model, PixelsOf(r))) << "step " << step;
                }
                model = Minus(model, PixelsOf(r));
                break;
            }
            case 3:
            {
                const LRegion other = random.Region();
                LRegion removed;
                region.Subtract(other, &removed);
                ASSERT_EQ(PixelsOf(removed), Common(model, PixelsOf(other))) << "step " << step;
                model = Minus(model, PixelsOf(other));
                break;
            }
            case 4:
            {
                LRegion other = random.Region();
                if (random.Between(0, 1))
                {
                    other.AppendRects(random.Region());
                }
                region.Intersect(other);
                model = Common(model, PixelsOf(other));
                break;
            }
            case 5:
            {
                const LONG dx = random.Between(-3, 3);
                const LONG dy = random.Between(-3, 3);
                region.Offset(dx, dy);
                PixelSet moved;
                for (const Pixel& p : model)
                {
                    moved.insert(Pixel(p.first + dx, p.second + dy));
                }
                model = moved;
                break;
            }
            case 6:
            case 7:
                region.Normalize();
                break;
            case 8:
                if (random.Between(0, 3) == 0)
                {
                    const LRegion other = random.Region();
                    region.AppendRects(other);
                    mayOverlap = mayOverlap || !Common(model, PixelsOf(other)).empty();
                    model = Union(model, PixelsOf(other));
                }
                break;
            default:
                if (random.Between(0, 9) == 0)
                {
                    region.Clear();
                    model.clear();
                    mayOverlap = false;
                }
                break;
        }
        ASSERT_EQ(PixelsOf(region), model) << "step " << step << " operation " << operation;
        ASSERT_FALSE(HasEmptyRect(region)) << "step " << step;
        if (!mayOverlap)
        {
            ASSERT_FALSE(HasOverlap(region)) << "step " << step << " operation " << operation;
        }
        ASSERT_EQ(region.GetRectCount(), RectsOf(region).size());

        RECT bounds{};
        ASSERT_EQ(region.GetBounds(bounds), !model.empty());
        if (!model.empty())
        {
            LONG left = model.begin()->first, right = left, top = model.begin()->second,
                 bottom = top;
            for (const Pixel& p : model)
            {
                left = std::min(left, p.first);
                right = std::max(right, p.first);
                top = std::min(top, p.second);
                bottom = std::max(bottom, p.second);
            }
            ASSERT_EQ(bounds.left, left);
            ASSERT_EQ(bounds.top, top);
            ASSERT_EQ(bounds.right, right + 1);
            ASSERT_EQ(bounds.bottom, bottom + 1);
        }

        const RECT probe = random.Next();
        ASSERT_EQ(region.Intersects(probe), Meets(model, probe)) << "step " << step;
        const PointT<double> offset(random.Between(-3, 3), random.Between(-3, 3));
        RECT moved{
            probe.left + static_cast<LONG>(offset.x), probe.top + static_cast<LONG>(offset.y),
            probe.right + static_cast<LONG>(offset.x), probe.bottom + static_cast<LONG>(offset.y)};
        moved.left = std::max<LONG>(moved.left, 0);
        moved.top = std::max<LONG>(moved.top, 0);
        ASSERT_EQ(region.Intersects(RectT<double>(probe.left, probe.top, probe.right - probe.left,
                                                  probe.bottom - probe.top),
                                    offset),
                  Meets(model, moved))
            << "step " << step;
    }
}

TEST(RegionNodePool, FullPoolFallsBackToTheHeapAndKeepsHeapNodesOutOfTheRing)
{
    RegionNodePool& pool = RegionNodePool::Instance();
    {
        LRegion warm;
        warm.AddRect(RECT{0, 0, 1, 1});
    }
    ASSERT_EQ(pool.GetCapacity(), RegionNodePool::kCapacity);
    const unsigned int live = pool.GetLiveCount();
    const unsigned int free = pool.GetFreeCount();

    // Rectangles side by side: each takes exactly one node.
    LRegion full;
    for (unsigned int i = 0; i < free; ++i)
    {
        full.AddRect(RECT{static_cast<LONG>(i), 0, static_cast<LONG>(i) + 1, 1});
    }
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_EQ(pool.GetLiveCount(), live + free);

    LRegion extra;
    extra.AddRect(RECT{0, 5, 1, 6});
    extra.AddRect(RECT{0, 7, 1, 8});
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_EQ(pool.GetLiveCount(), live + free + 2);
    EXPECT_GE(pool.GetPeakCount(), live + free + 2);
    extra.Clear();
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_EQ(pool.GetLiveCount(), live + free);

    full.Clear();
    EXPECT_EQ(pool.GetFreeCount(), free);
    EXPECT_EQ(pool.GetLiveCount(), live);
}

TEST(RegionNodePool, CopiesTakeTheirNodesFromTheCellsThenFromTheHeap)
{
    RegionNodePool& pool = RegionNodePool::Instance();
    {
        LRegion warm;
        warm.AddRect(RECT{0, 0, 1, 1});
    }
    const unsigned int live = pool.GetLiveCount();
    const unsigned int free = pool.GetFreeCount();
    ASSERT_GE(free, 8u);

    // Five rectangles, then all cells but two in use: a copy of the five takes the two cells and
    // three heap nodes, an append of them five heap nodes.
    LRegion five;
    for (LONG i = 0; i < 5; ++i)
    {
        five.AddRect(RECT{i, 10, i + 1, 11});
    }
    LRegion filler;
    for (unsigned int i = 0; i < free - 7; ++i)
    {
        filler.AddRect(RECT{static_cast<LONG>(i), 0, static_cast<LONG>(i) + 1, 1});
    }
    ASSERT_EQ(pool.GetFreeCount(), 2u);

    LRegion copy(five);
    LRegion appended;
    appended.AppendRects(five);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_EQ(pool.GetLiveCount(), live + (free - 2) + 10);
    // The copy keeps the order, the append reverses it; every node is zeroed and then filled.
    Array<RectT<LONG>> original;
    Array<RectT<LONG>> copied;
    Array<RectT<LONG>> reversed;
    five.GetRects(original);
    copy.GetRects(copied);
    appended.GetRects(reversed);
    ASSERT_EQ(copied.GetCount(), 5u);
    ASSERT_EQ(reversed.GetCount(), 5u);
    for (unsigned int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(copied.GetConstElementPointer(i).x, original.GetConstElementPointer(i).x);
        EXPECT_EQ(reversed.GetConstElementPointer(i).x, original.GetConstElementPointer(4 - i).x);
    }

    // Heap nodes go back to the heap, cells to the ring.
    copy.Clear();
    appended.Clear();
    five.Clear();
    filler.Clear();
    EXPECT_EQ(pool.GetFreeCount(), free);
    EXPECT_EQ(pool.GetLiveCount(), live);
}
