// Regions as painting uses them: rectangles added, combined and cleared many times per frame.
// Their nodes come from the pool: copying a region and clearing it is one pool allocation and
// release per node, which the heap baseline does with new and delete. Adding rectangles one by one
// also walks the region to cut overlaps (quadratic in the count).
//
// Argument: the number of rectangles per region.
#include "Renderer/Region.h"

#include <benchmark/benchmark.h>

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
BENCHMARK(BM_RegionAddAndClear)->Arg(8)->Arg(64)->Arg(256);

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

void BM_HeapNodesBaseline(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::vector<RegionNode*> nodes(static_cast<size_t>(count));
    for (auto _ : state)
    {
        for (int i = 0; i < count; ++i)
        {
            nodes[static_cast<size_t>(i)] = new RegionNode{Cell(i), nullptr};
        }
        benchmark::DoNotOptimize(nodes.data());
        for (RegionNode* node : nodes)
        {
            delete node;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_HeapNodesBaseline)->Arg(8)->Arg(64)->Arg(256);

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

BENCHMARK_MAIN();
