// Control trees made from a skin: layout and drawing of balanced trees of fan-out 10 with 100,
// 1,000 and 10,000 controls, and the search for the control under random points in trees of
// several depths and fan-outs.
//
// Layout and drawing: every iteration handles 10,000 controls, as 100 trees of 100, 10 of 1,000
// or one of 10,000, so that the times of the three sizes compare per control; the run ends with
// the time per control and the ratios of the larger trees against the trees of 100. Every
// control is sized from its parent's client area (two pixels smaller), so a change of the
// window's size lays out the whole tree again; drawing fills every control with a colour part
// through the GDI+ renderer into an off-screen context.
//
// The search: random points of the window, each looked up from the top-level control, against a
// scan of the same controls' window rectangles in a flat list (the deepest control containing
// the point); time per query and the ratio for each tree.
#include "BenchmarkRatios.h"

#include "ControlBase/ControlCreator.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/testing/FixedRootWindow.h"
#include "ControlBase/testing/MeasuringSession.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace Orv;

namespace
{

// The skin around the trees: one look, a grey colour part stretched over the control.
std::string SkinDocument(const std::string& controls)
{
    return "<Skin_Definitions><Colorizers><Colorizer Name=\"grey\" ColorType=\"SolidFill\" "
           "Color=\"0xFF808080\"/></Colorizers><Parts><Part Name=\"grey\" Width=\"1\" "
           "Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"grey\"/></Parts><Looks><Look "
           "Name=\"grey\"><ClientPart Name=\"grey\" OffsetLeft=\"0\" OffsetTop=\"0\" "
           "OffsetRight=\"0\" OffsetBottom=\"0\"/></Look></Looks><LookLists><LookList "
           "Name=\"grey\" NumLooks=\"1\"><Look Name=\"grey\" Index=\"0\"/></LookList>"
           "</LookLists><Skins><Skin Name=\"Default\">" +
           controls + "</Skin></Skins></Skin_Definitions>";
}

// One axis of a control's placement in its parent's client area: its near edge at rel * client +
// abs, its far edge at farRel * client + farAbs.
std::string Axis(char axis, double rel, int abs, double farRel, int farAbs)
{
    const std::string a(1, axis);
    return " " + a + "PositionToControl=\"Client\" " + a + "PositionRel=\"" + std::to_string(rel) +
           "\" " + a + "PositionAbs=\"" + std::to_string(abs) + "\" " + a +
           "SizeToControl=\"Client\" " + a + "SizeRel=\"" + std::to_string(farRel) + "\" " + a +
           "SizeAbs=\"" + std::to_string(farAbs) + "\"";
}

std::string Open(int index, const std::string& placement)
{
    const std::string name = std::string("c").append(std::to_string(index));
    return "<SubControl Class=\"Bench.Control\" Name=\"" + name + "\"" + placement +
           "><Skin Name=\"" + name + "\" LookList=\"grey\"/>";
}

// A balanced tree of count controls, fan-out 10, filled level by level: control i has the
// children 10 i + 1 to 10 i + 10. Each control lies one pixel inside its parent's client area.
void NestedTree(int index, int count, std::string& out)
{
    const std::string inside = Axis('X', 0, 1, 1, -1) + Axis('Y', 0, 1, 1, -1);
    out += Open(index, inside);
    for (int child = 10 * index + 1; child <= 10 * index + 10 && child < count; ++child)
    {
        NestedTree(child, count, out);
    }
    out += "</SubControl>";
}

// A tree of the fan-out and depth whose children tile their parent: a grid of columns and rows
// (a row of fanOut for fan-out 2, on alternate axes by depth); the top-level control fills the
// window. flat gets every control in the order the search prefers them (pre-order).
void TiledTree(int fanOut, int depth, int level, int& next, std::string& out,
               const std::string& placement)
{
    out += Open(next++, placement);
    if (level < depth)
    {
        int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(fanOut))));
        int rows = (fanOut + columns - 1) / columns;
        if (level % 2 != 0)
        {
            std::swap(columns, rows);
        }
        for (int k = 0; k < fanOut; ++k)
        {
            const int column = level % 2 != 0 ? k / rows : k % columns;
            const int row = level % 2 != 0 ? k % rows : k / columns;
            TiledTree(fanOut, depth, level + 1, next, out,
                      Axis('X', static_cast<double>(column) / columns, 0,
                           static_cast<double>(column + 1) / columns, 0) +
                          Axis('Y', static_cast<double>(row) / rows, 0,
                               static_cast<double>(row + 1) / rows, 0));
        }
    }
    out += "</SubControl>";
}

// A factory of plain controls with a skin whose only top-level control is the given one, named
// c0; null when the skin did not load.
RCPtr<LControlFactory> LoadSkin(const std::string& control)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Bench")));
    factory->RegisterControlCreateFunction(WString(L"Bench.Control"), &CreateControlOf<LControl>);
    const std::string document = SkinDocument(control);
    if (factory->LoadSkinDocument(LControlFactory::Document{document.data(), document.size()}) !=
        S_OK)
    {
        return nullptr;
    }
    return factory;
}

// A tree shown in its own window.
struct Tree
{
    RCPtr<OrvTest::FixedRootWindow> window;
    RCPtr<LControl> root;
};

// The top-level control of the factory's skin in a new window of the size, laid out; a null root
// when it could not be made.
Tree Show(const RCPtr<LControlFactory>& factory, SizeT<LONG> size)
{
    Tree tree;
    tree.window = new OrvTest::FixedRootWindow(size);
    // Children are made by the process's factory.
    SetControlFactory(factory);
    if (!factory || factory->CreateTopLevelControl(tree.root, WString(L"c0"),
                                                   RCPtr<IRootWindow>(tree.window.Get())) != S_OK)
    {
        tree.root = nullptr;
        return tree;
    }
    tree.root->RecalcLayout();
    return tree;
}

// The number of controls in the tree.
int CountControls(const LControl& control)
{
    int count = 1;
    const LControl::ChildControlList& children = control.GetChildren();
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        count += CountControls(*children.children.GetConstElementPointer(i));
    }
    return count;
}

void Close(Tree& tree)
{
    if (tree.root)
    {
        tree.root->SetRootWindow(nullptr);
    }
    tree.root = nullptr;
}

constexpr int kControlsPerIteration = 10000;
constexpr LONG kNestedSize = 48;

// kControlsPerIteration / count trees of count controls.
std::vector<Tree> NestedTrees(int count)
{
    std::string control;
    NestedTree(0, count, control);
    const RCPtr<LControlFactory> factory = LoadSkin(control);
    std::vector<Tree> trees;
    for (int i = 0; i < kControlsPerIteration / count; ++i)
    {
        trees.push_back(Show(factory, SizeT<LONG>(kNestedSize, kNestedSize)));
        if (!trees.back().root || CountControls(*trees.back().root) != count)
        {
            // Measured without it, the run reports the tree as not made.
            trees.back().root = nullptr;
        }
    }
    return trees;
}

void BM_Layout(benchmark::State& state)
{
    std::vector<Tree> trees = NestedTrees(static_cast<int>(state.range(0)));
    LONG size = kNestedSize;
    for (auto _ : state)
    {
        // A pixel larger or smaller each time: every control of every tree changes its size.
        size = size == kNestedSize ? kNestedSize + 1 : kNestedSize;
        for (Tree& tree : trees)
        {
            if (!tree.root)
            {
                state.SkipWithError("the tree was not made");
                break;
            }
            tree.window->clientSize = SizeT<LONG>(size, size);
            tree.root->RecalcLayout();
        }
    }
    for (Tree& tree : trees)
    {
        Close(tree);
    }
}

void BM_Draw(benchmark::State& state)
{
    std::vector<Tree> trees = NestedTrees(static_cast<int>(state.range(0)));
    const ConstRCPtr<LRenderer> renderer(new LGDIRenderer());
    ConstRCPtr<LRenderContextInfo> context;
    renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, kNestedSize, kNestedSize),
                                                 nullptr, true, context);
    LRegion everything;
    everything.AddRect(RECT{0, 0, kNestedSize, kNestedSize});
    for (auto _ : state)
    {
        for (Tree& tree : trees)
        {
            if (!tree.root)
            {
                state.SkipWithError("the tree was not made");
                break;
            }
            LRenderer& r = *renderer.GetMutable();
            r.RenderStart(context);
            r.SetClipRegion(everything);
            LControl::ControlList floating;
            tree.root->Draw(renderer, everything, floating, false);
            r.RenderFinish(context);
        }
    }
    for (Tree& tree : trees)
    {
        Close(tree);
    }
}

BENCHMARK(BM_Layout)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

constexpr LONG kTiledSize = 4096;
constexpr int kQueries = 1000;

// The control under each of kQueries random points, by the tree search (searched) or by a scan
// of every control's window rectangle (scanned).
void HitTest(benchmark::State& state, bool searched)
{
    const int fanOut = static_cast<int>(state.range(0));
    const int depth = static_cast<int>(state.range(1));
    std::string control;
    int count = 0;
    TiledTree(fanOut, depth, 0, count, control, Axis('X', 0, 0, 1, 0) + Axis('Y', 0, 0, 1, 0));
    Tree tree = Show(LoadSkin(control), SizeT<LONG>(kTiledSize, kTiledSize));
    if (!tree.root || CountControls(*tree.root) != count)
    {
        state.SkipWithError("the tree was not made");
        return;
    }
    // Every control with its window rectangle, in pre-order: a later one lies above.
    std::vector<std::pair<RectT<double>, LControl*>> flat;
    std::vector<LControl*> pending{tree.root.Get()};
    while (!pending.empty())
    {
        LControl* c = pending.back();
        pending.pop_back();
        const PointT<double> at = c->GetRectInRoot();
        flat.emplace_back(RectT<double>(at.x, at.y, c->GetRect().width, c->GetRect().height), c);
        const LControl::ChildControlList& children = c->GetChildren();
        for (int i = static_cast<int>(children.GetCount()) - 1; i >= 0; --i)
        {
            pending.push_back(children.children.GetConstElementPointer(i).Get());
        }
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<LONG> coordinate(0, kTiledSize - 1);
    std::vector<PointT<LONG>> points;
    for (int i = 0; i < kQueries; ++i)
    {
        points.emplace_back(coordinate(random), coordinate(random));
    }
    auto search = [&](const PointT<LONG>& point)
    {
        PointT<LONG> local;
        LONG level = LControl::kNoUnclippedLevel;
        return tree.root->FindControlAt(point, true, local, level).Get();
    };
    auto scan = [&](const PointT<LONG>& point)
    {
        LControl* found = nullptr;
        for (const auto& [rect, c] : flat)
        {
            if (point.x >= rect.x && point.y >= rect.y && point.x < rect.x + rect.width &&
                point.y < rect.y + rect.height)
            {
                found = c;
            }
        }
        return found;
    };
    // Both find the same controls, and the search reaches the leaves.
    int leaves = 0;
    for (const PointT<LONG>& point : points)
    {
        LControl* found = search(point);
        if (found != scan(point))
        {
            state.SkipWithError("the search and the scan disagree");
            Close(tree);
            return;
        }
        leaves += found != nullptr && found->GetChildren().GetCount() == 0 ? 1 : 0;
    }
    for (auto _ : state)
    {
        for (const PointT<LONG>& point : points)
        {
            benchmark::DoNotOptimize(searched ? search(point) : scan(point));
        }
    }
    state.counters["leaves_found"] = static_cast<double>(leaves) / kQueries;
    state.counters["controls"] = static_cast<double>(flat.size());
    Close(tree);
}

void BM_HitSearch(benchmark::State& state)
{
    HitTest(state, true);
}

void BM_HitScan(benchmark::State& state)
{
    HitTest(state, false);
}

// Fan-out and depth.
void HitShapes(benchmark::internal::Benchmark* b)
{
    for (const auto& [fanOut, depth] :
         {std::pair{10, 1}, {10, 2}, {10, 3}, {10, 4}, {2, 4}, {2, 8}, {2, 12}, {4, 3}, {4, 6}})
    {
        b->Args({fanOut, depth});
    }
}

BENCHMARK(BM_HitSearch)->Apply(HitShapes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitScan)->Apply(HitShapes)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    const OrvTest::MeasuringSession session;
    std::vector<OrvTest::Ratio> ratios = {
        {"layout per control, 1,000 vs 100", "BM_Layout/1000", "BM_Layout/100",
         kControlsPerIteration},
        {"layout per control, 10,000 vs 100", "BM_Layout/10000", "BM_Layout/100",
         kControlsPerIteration},
        {"drawing per control, 1,000 vs 100", "BM_Draw/1000", "BM_Draw/100", kControlsPerIteration},
        {"drawing per control, 10,000 vs 100", "BM_Draw/10000", "BM_Draw/100",
         kControlsPerIteration},
    };
    static const std::vector<std::string> labels = []
    {
        std::vector<std::string> made;
        for (const char* shape :
             {"10/1", "10/2", "10/3", "10/4", "2/4", "2/8", "2/12", "4/3", "4/6"})
        {
            made.push_back(std::string("hit query, fan-out/depth ") + shape + ", tree vs scan");
        }
        return made;
    }();
    const char* shapes[] = {"10/1", "10/2", "10/3", "10/4", "2/4", "2/8", "2/12", "4/3", "4/6"};
    for (std::size_t i = 0; i < labels.size(); ++i)
    {
        ratios.push_back({labels[i].c_str(), std::string("BM_HitSearch/") + shapes[i],
                          std::string("BM_HitScan/") + shapes[i], kQueries});
    }
    return OrvTest::RunWithRatios(argc, argv, std::move(ratios));
}
