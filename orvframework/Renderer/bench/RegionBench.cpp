// Regions as painting uses them: rectangles added, combined and cleared many times per frame.
// Their nodes come from the process-wide pool. Measured against a fair baseline in the same run:
// the same singly linked list of rectangles with its nodes taken from the C++ heap (new and
// delete), doing the same walks (copying a list node by node to the front of another, then
// freeing it node by node). The run ends with the medians and ratios (BenchmarkRatios.h).
//
// Argument: the number of rectangles per region.
#include "BenchmarkRatios.h"
#include "Renderer/Region.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

using namespace Orv;

namespace
{
RECT Cell(int i)
{
    const LONG x = (i % 16) * 10;
    const LONG y = (i / 16) * 10;
    return RECT{x, y, x + 8, y + 8};
}

// The baseline: a list of the same nodes on the heap.
struct HeapList
{
    HeapList() = default;
    HeapList(const HeapList&) = delete;
    HeapList& operator=(const HeapList&) = delete;
    ~HeapList() { Clear(); }

    // As LRegion::AppendRects: a copy of each of other's rectangles goes to the front.
    void AppendRects(const HeapList& other)
    {
        for (const RegionNode* node = other.first; node != nullptr; node = node->next)
        {
            first = new RegionNode{node->rect, first};
        }
    }
    void PushFront(const RECT& rect) { first = new RegionNode{rect, first}; }
    void Clear()
    {
        while (first != nullptr)
        {
            delete std::exchange(first, first->next);
        }
    }

    RegionNode* first = nullptr;
};

void BM_RegionCopyAndClear(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    LRegion source;
    for (int i = 0; i < count; ++i)
    {
        source.AddRect(Cell(i));
    }
    LRegion region;
    for (auto _ : state)
    {
        region.AppendRects(source);
        benchmark::DoNotOptimize(region.IsEmpty());
        region.Clear();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RegionCopyAndClear)->Arg(8)->Arg(64)->Arg(256);

void BM_HeapListCopyAndClear(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    HeapList source;
    for (int i = count; i-- > 0;)
    {
        source.PushFront(Cell(i));
    }
    HeapList list;
    for (auto _ : state)
    {
        list.AppendRects(source);
        benchmark::DoNotOptimize(list.first);
        list.Clear();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_HeapListCopyAndClear)->Arg(8)->Arg(64)->Arg(256);

// One rectangle into an empty region and out again: one node at a time.
void BM_RegionOneNode(benchmark::State& state)
{
    LRegion region;
    const RECT rect = Cell(1);
    for (auto _ : state)
    {
        region.AddRect(rect);
        benchmark::DoNotOptimize(region.IsEmpty());
        region.Clear();
    }
}
BENCHMARK(BM_RegionOneNode);

void BM_HeapListOneNode(benchmark::State& state)
{
    HeapList list;
    const RECT rect = Cell(1);
    for (auto _ : state)
    {
        list.PushFront(rect);
        benchmark::DoNotOptimize(list.first);
        list.Clear();
    }
}
BENCHMARK(BM_HeapListOneNode);

// Adding rectangles one by one also walks the region to cut overlaps (quadratic in the count).
void BM_RegionAddAndClear(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    LRegion region;
    for (auto _ : state)
    {
        for (int i = 0; i < count; ++i)
        {
            region.AddRect(Cell(i));
        }
        benchmark::DoNotOptimize(region.GetRectCount());
        region.Clear();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RegionAddAndClear)->Arg(8)->Arg(64);

// A dirty region of overlapping rectangles brought into bands and intersected with a clip.
void BM_RegionNormalizeAndIntersect(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    LRegion clip;
    clip.AddRect(RECT{5, 5, 120, 90});
    for (auto _ : state)
    {
        LRegion region;
        for (int i = 0; i < count; ++i)
        {
            RECT r = Cell(i);
            r.right += 6;
            r.bottom += 6;
            region.AddRect(r);
        }
        region.Normalize();
        region.Intersect(clip);
        benchmark::DoNotOptimize(region.GetRectCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RegionNormalizeAndIntersect)->Arg(8)->Arg(64);
} // namespace

int main(int argc, char** argv)
{
    std::vector<OrvTest::Ratio> ratios;
    for (const char* count : {"8", "64", "256"})
    {
        ratios.push_back({"", std::string("BM_RegionCopyAndClear/") + count,
                          std::string("BM_HeapListCopyAndClear/") + count, std::stod(count)});
    }
    ratios[0].label = "copy and clear 8 nodes, pool to heap (/node)";
    ratios[1].label = "copy and clear 64 nodes, pool to heap (/node)";
    ratios[2].label = "copy and clear 256 nodes, pool to heap (/node)";
    ratios.push_back(
        {"one node in and out, pool to heap", "BM_RegionOneNode", "BM_HeapListOneNode"});
    return OrvTest::RunWithRatios(argc, argv, std::move(ratios));
}
