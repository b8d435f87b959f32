// A scroll view (a panel of 300 x 300 with a corner and both bars, its extent following its
// children) holding 100, 1,000 or 10,000 child controls stacked 20 pixels apart, of which about
// fifteen are in view at a time. One iteration is one frame: a wheel step (down to the end, then
// up again) and the whole window drawn through the GDI+ renderer into an off-screen context.
//
// The view keeps its children's pixels on its scrolled surface: a wheel step moves them and draws
// only the strip it exposes. The run ends with the per-frame ratios of the larger views against
// the view of 100 children, the area the view drew on its surface per step (against the area it
// shows), and the cost per off-screen child: the difference of the frame times of 10,000 and
// 100 children over the 9,900 children added, all of them out of view.
#include "BenchmarkRatios.h"

#include "Application/ControlTypeRegistration.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/testing/FixedRootWindow.h"
#include "ControlBase/testing/MeasuringSession.h"
#include "Controls/FrameworkControlTypes.h"
#include "Controls/ScrollView.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "Utilities/Storage/Array.h"
#include "notification/MouseWheelParam.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace Orv;

namespace
{
constexpr LONG kWindowSize = 320;

std::string Look(const char* name, const char* color)
{
    return std::string("<Colorizer Name=\"") + name + "\" ColorType=\"SolidFill\" Color=\"" +
           color + "\"/>";
}

// The skin: the window "top" holding the view "view" with its corner, bars and count children.
std::string SkinDocument(int count)
{
    std::string d = "<Skin_Definitions><Colorizers>";
    const char* looks[][2] = {{"window", "0xFF202020"},  {"view", "0xFF20C040"},
                              {"child", "0xFFE02020"},   {"corner", "0xFF000000"},
                              {"channel", "0xFF606060"}, {"arrow", "0xFF2040E0"},
                              {"thumb", "0xFFFFFFFF"}};
    for (const auto& look : looks)
    {
        d += Look(look[0], look[1]);
    }
    d += "</Colorizers><Parts>";
    for (const auto& look : looks)
    {
        d += std::string("<Part Name=\"") + look[0] +
             "\" Width=\"8\" Height=\"8\" ResizeType=\"Stretch\" ColorizerName=\"" + look[0] +
             "\"/>";
    }
    d += "</Parts><Looks>";
    for (const auto& look : looks)
    {
        d += std::string("<Look Name=\"") + look[0] + "\"><ClientPart Name=\"" + look[0] +
             "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
    }
    d += "</Looks><LookLists>";
    for (const auto& look : looks)
    {
        d += std::string("<LookList Name=\"") + look[0] + "\" NumLooks=\"2\"><Look Name=\"" +
             look[0] + "\" Index=\"0\"/><Look Name=\"" + look[0] + "\" Index=\"1\"/></LookList>";
    }
    auto bar = [](bool vertical)
    {
        const char* along = vertical ? "Y" : "X";
        const char* across = vertical ? "X" : "Y";
        const std::string a(along);
        const std::string c(across);
        const std::string fill =
            " " + c + "SizeToControl=\"Parent\" " + c + "SizeRel=\"1\" " + c + "SizeAbs=\"0\"";
        std::string b = std::string("<SubControl Class=\"Framework.ScrollBar\" Name=\"") +
                        (vertical ? "vBar" : "hBar") + "\" TabStop=\"-1\" XIsDocked=\"True\" " +
                        "YIsDocked=\"True\" " +
                        (vertical ? "XPositionToControl=\"corner\" XSizeToControl=\"corner\" "
                                    "XSizeRel=\"1\" XSizeAbs=\"0\" YPositionAbs=\"0\" "
                                    "YSizeToControl=\"corner\" YSizeRel=\"0\" YSizeAbs=\"0\""
                                  : "YPositionToControl=\"corner\" YSizeToControl=\"corner\" "
                                    "YSizeRel=\"1\" YSizeAbs=\"0\" XPositionAbs=\"0\" "
                                    "XSizeToControl=\"corner\" XSizeRel=\"0\" XSizeAbs=\"0\"") +
                        "><Skin Name=\"bar\" LookList=\"channel\"/>";
        b += "<SubControl Class=\"Framework.Button\" Name=\"dec\" " + a + "SizeAbs=\"12\"" + fill +
             "><Skin Name=\"dec\" LookList=\"arrow\"/></SubControl>";
        b += "<SubControl Class=\"Framework.ScrollChannel\" Name=\"channel\" " + a +
             "PositionAbs=\"12\" " + a + "SizeToControl=\"Parent\" " + a + "SizeRel=\"1\" " + a +
             "SizeAbs=\"-12\"" + fill + "><Skin Name=\"channel\" LookList=\"channel\"/>";
        b += "<SubControl Class=\"Framework.Button\" Name=\"thumb\" " + a + "SizeAbs=\"20\"" +
             fill + "><Skin Name=\"thumb\" LookList=\"thumb\"/></SubControl></SubControl>";
        b += "<SubControl Class=\"Framework.Button\" Name=\"inc\" " + a +
             "PositionToControl=\"Parent\" " + a + "PositionRel=\"1\" " + a +
             "PlacementAnchor=\"1\" " + a + "SizeAbs=\"12\"" + fill +
             "><Skin Name=\"inc\" LookList=\"arrow\"/></SubControl>";
        return b + "</SubControl>";
    };
    d += "</LookLists><Skins><Skin Name=\"Default\">";
    d += "<SubControl Class=\"Framework.Panel\" Name=\"top\" XSizeAbs=\"320\" YSizeAbs=\"320\">"
         "<Skin Name=\"top\" LookList=\"window\"/>";
    d += "<SubControl Class=\"Framework.Panel\" Name=\"view\" XPositionAbs=\"10\" "
         "YPositionAbs=\"10\" XSizeAbs=\"300\" YSizeAbs=\"300\" TabStop=\"-1\"><Skin "
         "Name=\"view\" LookList=\"view\"/><CreateParamList><CreateParam "
         "ID=\"AUTO_CLIENT_EXTENT_Y\">true</CreateParam></CreateParamList>";
    d += "<SubControl Class=\"Framework.Panel\" Name=\"corner\" TabStop=\"-1\" "
         "XIsDocked=\"True\" XPositionToControl=\"Parent\" XPositionRel=\"1\" "
         "XPlacementAnchor=\"1\" XSizeAbs=\"12\" YIsDocked=\"True\" "
         "YPositionToControl=\"Parent\" YPositionRel=\"1\" YPlacementAnchor=\"1\" "
         "YSizeAbs=\"12\"><Skin Name=\"corner\" LookList=\"corner\"/></SubControl>";
    d += bar(false) + bar(true);
    for (int i = 0; i < count; ++i)
    {
        d += "<SubControl Class=\"Framework.Panel\" Name=\"c" + std::to_string(i) +
             "\" TabStop=\"-1\" XPositionAbs=\"4\" YPositionAbs=\"" + std::to_string(20 * i) +
             "\" XSizeAbs=\"270\" YSizeAbs=\"18\"><Skin Name=\"c\" LookList=\"child\"/>"
             "</SubControl>";
    }
    d += "</SubControl></SubControl></Skin></Skins></Skin_Definitions>";
    return d;
}

// Per view size: the mean area drawn on the surface per step, and the area the view shows.
std::map<int, std::pair<double, double>> gDrawnPerStep;

// The pixels a region covers.
double AreaOf(const LRegion& region)
{
    Array<RectT<LONG>> rects;
    region.GetRects(rects);
    double area = 0;
    for (unsigned int i = 0; i < rects.GetCount(); ++i)
    {
        area += static_cast<double>(rects.GetConstElementPointer(i).width) *
                rects.GetConstElementPointer(i).height;
    }
    return area;
}

struct Window
{
    RCPtr<OrvTest::FixedRootWindow> window;
    RCPtr<LControl> top;
    LScrollView* view = nullptr;
};

// The window of a view with count children; a null top when it could not be made.
Window Show(int count)
{
    Window shown;
    RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Bench")));
    RegisterControlTypes(*factory, GetFrameworkControlTypes());
    const std::string document = SkinDocument(count);
    if (factory->LoadSkinDocument(LControlFactory::Document{document.data(), document.size()}) !=
        S_OK)
    {
        return shown;
    }
    SetControlFactory(factory);
    shown.window = new OrvTest::FixedRootWindow(SizeT<LONG>(kWindowSize, kWindowSize));
    if (factory->CreateTopLevelControl(shown.top, WString(L"top"),
                                       RCPtr<IRootWindow>(shown.window.Get())) != S_OK)
    {
        shown.top = nullptr;
        return shown;
    }
    shown.top->RecalcLayout();
    RCPtr<LControl> view = shown.top->FindChildControl(WString(L"view"));
    shown.view = dynamic_cast<LScrollView*>(view.Get());
    // The view holds its bars and corner beside the children.
    if (shown.view == nullptr ||
        shown.view->GetChildren().GetCount() != static_cast<unsigned>(count) + 3 ||
        !shown.view->IsScrollbarShown(LScrollView::kVertical))
    {
        shown.top = nullptr;
    }
    return shown;
}

void BM_ScrollFrame(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Window shown = Show(count);
    if (!shown.top)
    {
        state.SkipWithError("the view was not made");
        return;
    }
    const ConstRCPtr<LRenderer> renderer(new LGDIRenderer());
    ConstRCPtr<LRenderContextInfo> context;
    renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, kWindowSize, kWindowSize),
                                                 nullptr, true, context);
    LRegion everything;
    everything.AddRect(RECT{0, 0, kWindowSize, kWindowSize});
    LScrollView& view = *shown.view;
    LONG direction = LControl::kWheelDown;
    const double limit = view.GetScrollLimits().height;
    // The first frame draws the surface whole.
    {
        LRenderer& r = *renderer.GetMutable();
        r.RenderStart(context);
        r.SetClipRegion(everything);
        LControl::ControlList floating;
        shown.top->Draw(renderer, everything, floating, false);
        r.RenderFinish(context);
    }
    double drawn = 0;
    for (auto _ : state)
    {
        const double offset = view.GetContentOffset().y;
        if (direction == LControl::kWheelDown && offset >= limit)
        {
            direction = LControl::kWheelUp;
        }
        else if (direction == LControl::kWheelUp && offset <= 0)
        {
            direction = LControl::kWheelDown;
        }
        view.OnWheel(LMouseWheelParam::Create(PointT<LONG>(100, 100), 0, direction));
        LRenderer& r = *renderer.GetMutable();
        r.RenderStart(context);
        r.SetClipRegion(everything);
        LControl::ControlList floating;
        shown.top->Draw(renderer, everything, floating, false);
        r.RenderFinish(context);
        drawn += AreaOf(view.GetLastScrolledUpdate());
    }
    state.counters["children"] = count;
    const RectT<double> visible = view.GetVisibleContentRect();
    const double perStep =
        state.iterations() > 0 ? drawn / static_cast<double>(state.iterations()) : 0;
    state.counters["drawn_px_per_step"] = perStep;
    gDrawnPerStep[count] = {perStep, visible.width * visible.height};
    shown.top->SetRootWindow(nullptr);
}

BENCHMARK(BM_ScrollFrame)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The ratios, and the cost each off-screen child adds to a frame.
// The difference of the frame times of 10,000 and 100 children over the 9,900 children added.
void PrintPerChild(const OrvTest::RatioReporter& reporter)
{
    for (const auto& [count, drawn] : gDrawnPerStep)
    {
        std::printf("area drawn per wheel step, %d children: %.0f px of the %.0f px the view shows "
                    "(%.1f %%)\n",
                    count, drawn.first, drawn.second,
                    drawn.second > 0 ? 100.0 * drawn.first / drawn.second : 0.0);
    }
    const double large = reporter.Median("BM_ScrollFrame/10000");
    const double small = reporter.Median("BM_ScrollFrame/100");
    if (large <= 0 || small <= 0)
    {
        std::printf("cost per off-screen child: not measured\n");
        return;
    }
    std::printf("cost per off-screen child: (%.1f ns - %.1f ns) / 9,900 = %.1f ns\n", large, small,
                (large - small) / 9900);
}
} // namespace

int main(int argc, char** argv)
{
    const OrvTest::MeasuringSession session;
    return OrvTest::RunWithRatios(
        argc, argv,
        {
            {"frame, 1,000 children vs 100", "BM_ScrollFrame/1000", "BM_ScrollFrame/100", 1},
            {"frame, 10,000 children vs 100", "BM_ScrollFrame/10000", "BM_ScrollFrame/100", 1},
        },
        PrintPerChild);
}
