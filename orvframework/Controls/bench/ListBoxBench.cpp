// A list box (160 x 300, a vertical bar, rows of 14 pixels: twenty-one rows, of which twenty
// whole) holding 100, 10,000 or 100,000 text items. One iteration is one frame, the whole window
// drawn through the GDI+ renderer into an off-screen context after one of two inputs:
// - select next: the Down key, which selects the next item and, once the selection reaches the
//   last whole row, scrolls one row with it (at the end the selection starts again at the top);
// - scroll a row: one wheel step (down to the end, then up again).
//
// The run ends with the per-frame ratios of the larger lists against the list of 100 items. A
// list shows its items through a fixed set of rows, so the figures should stay flat.
#include "BenchmarkRatios.h"

#include "Application/ControlTypeRegistration.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/testing/FixedRootWindow.h"
#include "ControlBase/testing/MeasuringSession.h"
#include "Controls/FrameworkControlTypes.h"
#include "Controls/ListBox.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "notification/KeyParam.h"
#include "notification/MouseWheelParam.h"
#include "platform/User32.h"

#include <map>
#include <memory>
#include <string>

using namespace Orv;

namespace
{
constexpr LONG kWindowSize = 320;

// The skin: the window "top" holding the list "list" with its vertical bar and row template.
const char* const kSkin = R"(<Skin_Definitions><Colorizers>
<Colorizer Name="window" ColorType="SolidFill" Color="0xFF202020"/>
<Colorizer Name="list" ColorType="SolidFill" Color="0xFFD0D0D0"/>
<Colorizer Name="row" ColorType="SolidFill" Color="0xFF808080"/>
<Colorizer Name="selected" ColorType="SolidFill" Color="0xFF2060C0"/>
<Colorizer Name="ink" ColorType="SolidFill" Color="0xFFFFFFFF"/>
<Colorizer Name="channel" ColorType="SolidFill" Color="0xFF606060"/>
<Colorizer Name="arrow" ColorType="SolidFill" Color="0xFF2040E0"/>
</Colorizers><Parts>
<Part Name="window" Width="8" Height="8" ResizeType="Stretch" ColorizerName="window"/>
<Part Name="list" Width="8" Height="8" ResizeType="Stretch" ColorizerName="list"/>
<Part Name="row" Width="8" Height="8" ResizeType="Stretch" ColorizerName="row"/>
<Part Name="selected" Width="8" Height="8" ResizeType="Stretch" ColorizerName="selected"/>
<Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/>
<Part Name="channel" Width="8" Height="8" ResizeType="Stretch" ColorizerName="channel"/>
<Part Name="arrow" Width="8" Height="8" ResizeType="Stretch" ColorizerName="arrow"/>
</Parts><Looks>
<Look Name="window"><ClientPart Name="window" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
<Look Name="list"><ClientPart Name="list" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
<Look Name="channel"><ClientPart Name="channel" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
<Look Name="arrow"><ClientPart Name="arrow" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
<Look Name="row"><ClientPart Name="row" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
<TextProperties TextLeftRel="0" TextLeftAbs="3" TextRightRel="1" TextRightAbs="-3" TextHAlign="0"
 TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/></Look>
<Look Name="selected"><ClientPart Name="selected" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
<TextProperties TextLeftRel="0" TextLeftAbs="3" TextRightRel="1" TextRightAbs="-3" TextHAlign="0"
 TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/></Look>
</Looks><LookLists>
<LookList Name="window" NumLooks="1"><Look Name="window" Index="0"/></LookList>
<LookList Name="list" NumLooks="1"><Look Name="list" Index="0"/></LookList>
<LookList Name="channel" NumLooks="2"><Look Name="channel" Index="0"/><Look Name="channel" Index="1"/></LookList>
<LookList Name="arrow" NumLooks="1"><Look Name="arrow" Index="0"/></LookList>
<LookList Name="row" NumLooks="14">
<Look Name="row" Index="0"/><Look Name="row" Index="1"/><Look Name="row" Index="2"/>
<Look Name="row" Index="3"/><Look Name="row" Index="4"/><Look Name="row" Index="5"/>
<Look Name="row" Index="6"/><Look Name="selected" Index="7"/><Look Name="selected" Index="8"/>
<Look Name="selected" Index="9"/><Look Name="selected" Index="10"/><Look Name="selected" Index="11"/>
<Look Name="selected" Index="12"/><Look Name="row" Index="13"/></LookList>
</LookLists><Skins><Skin Name="Default" FontName="DejaVu Sans" FontSize="8" FontStyle="0">
<SubControl Class="Framework.Panel" Name="top" XSizeAbs="320" YSizeAbs="320">
<Skin Name="top" LookList="window"/>
<SubControl Class="Framework.ListBox" Name="list" XPositionAbs="10" YPositionAbs="10" XSizeAbs="160" YSizeAbs="300">
<Skin Name="list" LookList="list"/>
<SubControl Class="Framework.ScrollBar" Name="vBar" TabStop="-1" XIsDocked="True" XPositionToControl="Parent"
 XPositionRel="1" XPlacementAnchor="1" XSizeAbs="12" YIsDocked="True" YPositionAbs="0" YSizeToControl="Parent"
 YSizeRel="1" YSizeAbs="0"><Skin Name="bar" LookList="channel"/>
<SubControl Class="Framework.Button" Name="dec" YSizeAbs="12" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0">
<Skin Name="dec" LookList="arrow"/></SubControl>
<SubControl Class="Framework.ScrollChannel" Name="channel" YPositionAbs="12" YSizeToControl="Parent" YSizeRel="1"
 YSizeAbs="-12" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0"><Skin Name="channel" LookList="channel"/>
<SubControl Class="Framework.Button" Name="thumb" YSizeAbs="20" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0">
<Skin Name="thumb" LookList="arrow"/></SubControl></SubControl>
<SubControl Class="Framework.Button" Name="inc" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1"
 YSizeAbs="12" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0"><Skin Name="inc" LookList="arrow"/></SubControl>
</SubControl>
<SubControl Class="Framework.ListBoxItem" Name="templateItem" TabStop="-1" XSizeToControl="Client" XSizeRel="1"
 XSizeAbs="-12" YSizeAbs="14"><Skin Name="row" LookList="row"/></SubControl>
</SubControl></SubControl></Skin></Skins></Skin_Definitions>)";

// GDI+, the measuring renderer and the process's control factory with the list's skin, for the
// whole run.
class Environment
{
public:
    Environment()
    {
        mFactory = new LControlFactory(WString(L"Bench"));
        RegisterControlTypes(*mFactory, GetFrameworkControlTypes());
        const std::string document(kSkin);
        mLoaded = mFactory->LoadSkinDocument(
                      LControlFactory::Document{document.data(), document.size()}) == S_OK;
        SetControlFactory(mFactory);
    }

    bool IsLoaded() const { return mLoaded; }

private:
    OrvTest::MeasuringSession mSession;
    RCPtr<LControlFactory> mFactory;
    bool mLoaded = false;
};

// A window with a list of count items, and what draws it.
struct Window
{
    ~Window()
    {
        if (top)
        {
            top->SetRootWindow(nullptr);
        }
    }

    // One frame: the whole window drawn.
    void Draw()
    {
        LRenderer& r = *renderer.GetMutable();
        r.RenderStart(context);
        r.SetClipRegion(everything);
        LControl::ControlList floating;
        top->Draw(renderer, everything, floating, false);
        r.RenderFinish(context);
    }

    RCPtr<OrvTest::FixedRootWindow> window;
    RCPtr<LControl> top;
    LListBox* list = nullptr;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
    LRegion everything;
};

// The window of a list of count items, made once per size for the whole run; null when it could
// not be made.
Window* Show(int count)
{
    static std::map<int, std::unique_ptr<Window>> windows;
    std::unique_ptr<Window>& shown = windows[count];
    if (shown)
    {
        return shown->list != nullptr ? shown.get() : nullptr;
    }
    shown = std::make_unique<Window>();
    shown->window = new OrvTest::FixedRootWindow(SizeT<LONG>(kWindowSize, kWindowSize));
    if (GetControlFactory()->CreateTopLevelControl(shown->top, WString(L"top"),
                                                   RCPtr<IRootWindow>(shown->window.Get())) != S_OK)
    {
        return nullptr;
    }
    shown->top->RecalcLayout();
    LListBox* list = dynamic_cast<LListBox*>(shown->top->FindChildControl(WString(L"list")).Get());
    if (list == nullptr || list->SetItemCount(count) != count)
    {
        return nullptr;
    }
    for (int i = 0; i < count; ++i)
    {
        list->SetItem(i, LListBox::CreateStringItemData(WString::CreateFormatted(L"Item %d", i)));
    }
    if (list->GetRowCount() != 22 || !list->IsScrollbarShown(LScrollView::kVertical))
    {
        return nullptr;
    }
    shown->list = list;
    shown->renderer = new LGDIRenderer();
    shown->renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, kWindowSize, kWindowSize),
                                                        nullptr, true, shown->context);
    shown->everything.AddRect(RECT{0, 0, kWindowSize, kWindowSize});
    return shown.get();
}

void BM_SelectNextFrame(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Window* shown = Show(count);
    if (shown == nullptr)
    {
        state.SkipWithError("the list was not made");
        return;
    }
    LListBox& list = *shown->list;
    const RCPtr<LKeyParam> down =
        LKeyParam::Create(KeyCode::FromVirtualKey(VK_DOWN, true, 0), false);
    list.SelectItemRange(0, -1, true);
    for (auto _ : state)
    {
        if (list.GetFocusItem() == count - 1)
        {
            list.SelectItemRange(0, -1, true);
        }
        else
        {
            list.HandleUnusedKey(down);
        }
        shown->Draw();
    }
    state.counters["items"] = count;
}

void BM_ScrollRowFrame(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Window* shown = Show(count);
    if (shown == nullptr)
    {
        state.SkipWithError("the list was not made");
        return;
    }
    LListBox& list = *shown->list;
    LONG direction = LControl::kWheelDown;
    const int lastTop = count - list.GetVisibleRowCount();
    for (auto _ : state)
    {
        const int top = list.GetTopItem();
        if (direction == LControl::kWheelDown && top >= lastTop)
        {
            direction = LControl::kWheelUp;
        }
        else if (direction == LControl::kWheelUp && top <= 0)
        {
            direction = LControl::kWheelDown;
        }
        list.OnWheel(LMouseWheelParam::Create(PointT<LONG>(50, 50), 0, direction));
        shown->Draw();
    }
    state.counters["items"] = count;
}

BENCHMARK(BM_SelectNextFrame)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollRowFrame)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    const Environment environment;
    if (!environment.IsLoaded())
    {
        std::fprintf(stderr, "the skin was not loaded\n");
        return 1;
    }
    return OrvTest::RunWithRatios(argc, argv,
                                  {
                                      {"select next, 10,000 items vs 100",
                                       "BM_SelectNextFrame/10000", "BM_SelectNextFrame/100", 1},
                                      {"select next, 100,000 items vs 100",
                                       "BM_SelectNextFrame/100000", "BM_SelectNextFrame/100", 1},
                                      {"scroll a row, 10,000 items vs 100",
                                       "BM_ScrollRowFrame/10000", "BM_ScrollRowFrame/100", 1},
                                      {"scroll a row, 100,000 items vs 100",
                                       "BM_ScrollRowFrame/100000", "BM_ScrollRowFrame/100", 1},
                                  });
}
