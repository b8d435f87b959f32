// Looks and visual parts: where the parts and the text area lie for a size, the colour under a
// point for every resize type, what a part draws, parts that cannot be shown, text colours; and
// the colour helpers.
#include "ControlTestSupport.h"
#include "RecordingRenderer.h"

#include "ControlBase/ColorHelpers.h"
#include "ControlBase/VisualPart.h"
#include "Renderer/ProcessMeasurementRenderer.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
RCPtr<LColorizer> Solid(DWORD color)
{
    return LColorizer::Create(WString(L"solid"), LColorizer::kSolid, ColorRGBA::FromPacked(color),
                              ColorRGBA{}, 0, 0, 0, 0);
}

RCPtr<LVisualPartDescriptor> Fill(LONG width, LONG height, DWORD color = 0xFF00FF00,
                                  int resize = LVisualPart::kStretch)
{
    return LVisualPartDescriptor::Create(WString(L"fill"), Solid(color), SizeT<LONG>(width, height),
                                         resize, 1.0f, ImageReference());
}

DockingRecord Docked(int flags, LONG left, LONG top, LONG right, LONG bottom, LONG width = 0)
{
    DockingRecord d;
    d.offsetFlags = flags;
    d.left = left;
    d.top = top;
    d.right = right;
    d.bottom = bottom;
    d.width = width;
    d.hasWidth = width > 0;
    return d;
}

// A bitmap of the given straight ARGB pixels, row by row.
ConstRCPtr<LBitmap> Pixels(LONG width, LONG height, std::initializer_list<ARGB> pixels)
{
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(SizeT<LONG>(width, height), ColorRGBA{});
    LONG i = 0;
    for (const ARGB pixel : pixels)
    {
        EXPECT_EQ(GdipBitmapSetPixel(bitmap->GetGdiplusBitmap(), i % width, i / width, pixel),
                  Gdiplus::Ok);
        ++i;
    }
    return ConstRCPtr<LBitmap>(bitmap.Get());
}

RCPtr<LVisualPart> ImagePart(const ConstRCPtr<LBitmap>& bitmap, int resize)
{
    return RCPtr<LVisualPart>(
        new LVisualPart(WString(L"image"), bitmap, resize, nullptr, SizeT<LONG>(), 1.0f, nullptr));
}

constexpr DWORD kRed = 0xFFFF0000;
constexpr DWORD kBlue = 0xFF0000FF;
constexpr DWORD kNone = LVisualPart::kTransparent;

class Looks : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        recorder = new RecordingRenderer();
        renderer = ConstRCPtr<LRenderer>(recorder.Get());
        SetMeasurementRenderer(renderer);
        recorder->InitRenderContextInfo(RectT<LONG>(0, 0, 640, 480), nullptr, true, context);
        renderer.GetMutable()->RenderStart(context);
    }
    void TearDown() override
    {
        renderer.GetMutable()->RenderFinish(context);
        SetMeasurementRenderer(nullptr);
        ControlTest::TearDown();
    }

    RCPtr<RecordingRenderer> recorder;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
};
} // namespace

TEST_F(Looks, PartsAndTheTextAreaAreLaidOutForTheSize)
{
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(WString(L"look"));
    descriptor->SetClientPart(LDockedPart::Create(Fill(1, 1), Docked(15, 10, 0, -10, 0)));
    RCPtrArray<LDockedPart>& parts = descriptor->GetNonClientParts();
    parts.AddItem(LDockedPart::Create(Fill(10, 5), Docked(1 | 2 | 8, 0, 0, 0, 0)));
    parts.AddItem(LDockedPart::Create(Fill(10, 5), Docked(2 | 4 | 8, 0, 0, 0, 0)));
    parts.AddItem(LDockedPart::Create(Fill(64, 8), Docked(0, 0, 0, 0, 0)));
    parts.AddItem(LDockedPart::Create(Fill(4, 4), Docked(1 | 2, 3, 2, 0, 0, 20)));
    TextPlacement text;
    text.rightRel = 1;
    text.topRel = 0.15f;
    text.bottomRel = 0.85f;
    text.foregroundPart = Fill(1, 1, kRed);
    descriptor->SetTextPlacement(text);

    RCPtr<LLook> look;
    LLook::Create(look, descriptor, false);
    look->SetSize(SizeT<LONG>(200, 32));
    EXPECT_EQ(look->GetClientRect(), RectT<LONG>(10, 0, 180, 32));
    EXPECT_EQ(look->GetPartRect(0), RectT<LONG>(0, 0, 10, 32));
    EXPECT_EQ(look->GetPartRect(1), RectT<LONG>(190, 0, 10, 32));
    // Without any offset a part is centred: (200 - 64) / 2 and (32 - 8) / 2.
    EXPECT_EQ(look->GetPartRect(2), RectT<LONG>(68, 12, 64, 8));
    // A given width replaces the part's own.
    EXPECT_EQ(look->GetPartRect(3), RectT<LONG>(3, 2, 20, 4));
    EXPECT_EQ(look->GetPartRect(4), RectT<LONG>());
    EXPECT_EQ(look->GetPartRect(-1), RectT<LONG>());

    look->SetSize(SizeT<LONG>(101, 40));
    EXPECT_EQ(look->GetPartRect(2).x, 18);
    EXPECT_EQ(look->GetTextPart()->GetBoxWidth(), 101);
    EXPECT_EQ(look->GetTextPart()->GetBoxHeight(), 28);
    EXPECT_EQ(look->GetTextOrigin(), PointT<LONG>(0, 6));
    // Offsets larger than the look leave an empty client area.
    look->SetSize(SizeT<LONG>(15, 40));
    EXPECT_EQ(look->GetClientRect(), RectT<LONG>(10, 0, 0, 40));
}

TEST_F(Looks, TheColourUnderAPointIsTheFirstPartThatShowsOne)
{
    const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(WString(L"look"));
    descriptor->SetClientPart(LDockedPart::Create(Fill(1, 1, kBlue), Docked(15, 0, 0, 0, 0)));
    descriptor->GetNonClientParts().AddItem(
        LDockedPart::Create(Fill(1, 1, 0x00FF0000), Docked(1 | 2 | 8, 0, 0, 0, 0, 10)));
    descriptor->GetNonClientParts().AddItem(
        LDockedPart::Create(Fill(1, 1, kRed), Docked(1 | 2 | 8, 0, 0, 0, 0, 5)));
    RCPtr<LLook> look;
    LLook::Create(look, descriptor, false);
    look->SetSize(SizeT<LONG>(40, 20));
    EXPECT_EQ(look->GetColorAtPoint(PointT<LONG>(2, 2)), kRed);
    EXPECT_EQ(look->GetColorAtPoint(PointT<LONG>(7, 2)), kBlue);
    EXPECT_EQ(look->GetColorAtPoint(PointT<LONG>(40, 2)), kNone);
    // An override client part is asked before the client part.
    look->SetOverrideClientPart(Fill(1, 1, 0xFF00FF00)->GetVisualPart(), true);
    EXPECT_EQ(look->GetColorAtPoint(PointT<LONG>(7, 2)), 0xFF00FF00u);

    // Drawn: the override in place of the client part, or over it.
    look->DrawClientPart(renderer, RegionOf({RECT{0, 0, 640, 480}}));
    EXPECT_EQ(recorder->calls.size(), 1u);
    look->SetOverrideClientPart(Fill(1, 1, 0xFF00FF00)->GetVisualPart(), false);
    recorder->calls.clear();
    look->DrawClientPart(renderer, RegionOf({RECT{0, 0, 640, 480}}));
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[0].color, kBlue);
    // A clip region of the look's own limits what it draws.
    LRegion own;
    own.AddRect(RECT{0, 0, 5, 5});
    look->SetClipRegion(own);
    recorder->calls.clear();
    look->DrawNonClientParts(renderer, RegionOf({RECT{0, 0, 640, 480}}));
    // The transparent part draws nothing; the red one only inside the look's region.
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0].clip, RectT<double>(0, 0, 5, 5));
}

TEST_F(Looks, ColourFillsDrawTheirRectangle)
{
    const struct
    {
        const char* what;
        RCPtr<LVisualPartDescriptor> part;
        SizeT<float> size;
        std::vector<std::string> calls;
    } cases[] = {
        {"stretched over the size",
         Fill(1, 1),
         SizeT<float>(20.4f, 9.5f),
         {"fill 0,0 20x10 clip -5e+15,-5e+15 1e+16x1e+16 alpha 1 #FF00FF00"}},
        {"centred at its own size",
         Fill(64, 64, kRed, LVisualPart::kCenter),
         SizeT<float>(100, 50),
         {"fill 18,-7 64x64 clip -5e+15,-5e+15 1e+16x1e+16 alpha 1 #FFFF0000"}},
        {"fully transparent: nothing", Fill(4, 4, 0x00FF0000), SizeT<float>(10, 10), {}},
    };
    for (const auto& c : cases)
    {
        recorder->calls.clear();
        EXPECT_EQ(c.part->GetVisualPart()->Draw(renderer, c.size), S_OK);
        EXPECT_EQ(recorder->Described(), c.calls) << c.what;
    }
}

TEST_F(Looks, TheColourAPartShowsForEveryResizeType)
{
    // 4 by 2: the first row transparent, transparent, red, blue; the second all red.
    const ConstRCPtr<LBitmap> bitmap =
        Pixels(4, 2, {0x00000000, 0x00000000, kRed, kBlue, kRed, kRed, kRed, kRed});
    const struct
    {
        const char* what;
        int resize;
        SizeT<float> drawn;
        PointT<float> point;
        DWORD expected;
    } cases[] = {
        {"own size", LVisualPart::kStretch, SizeT<float>(4, 2), PointT<float>(3, 0), kBlue},
        {"own size, rounded point", LVisualPart::kStretch, SizeT<float>(4, 2),
         PointT<float>(2.5f, 0.2f), kBlue},
        {"outside the drawn size", LVisualPart::kTile, SizeT<float>(8, 4), PointT<float>(8, 0),
         kNone},
        {"tiled at twice its size", LVisualPart::kTile, SizeT<float>(8, 4), PointT<float>(4 + 3, 2),
         kBlue},
        {"centred", LVisualPart::kCenter, SizeT<float>(8, 6), PointT<float>(4, 2), kRed},
        {"centred, outside the image", LVisualPart::kCenter, SizeT<float>(8, 6),
         PointT<float>(1, 1), kNone},
        {"stretched larger", LVisualPart::kStretch, SizeT<float>(8, 4), PointT<float>(7, 1), kBlue},
        // Shrunk to half: a drawn pixel covers two source pixels, the first shown one counts.
        {"shrunk, a shown pixel in the block", LVisualPart::kStretch, SizeT<float>(2, 1),
         PointT<float>(1, 0), kRed},
        {"shrunk, nothing shown in the block", LVisualPart::kStretch, SizeT<float>(2, 2),
         PointT<float>(0, 0), 0x00000000},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(ImagePart(bitmap, c.resize)->GetColorAtPoint(c.drawn, c.point), c.expected)
            << c.what;
    }
    const RCPtr<LVisualPart> part = ImagePart(bitmap, LVisualPart::kStretch);
    EXPECT_EQ(part->GetSize(), SizeT<LONG>(4, 2));
    for (const PointT<LONG>& outside :
         {PointT<LONG>(-1, 0), PointT<LONG>(4, 0), PointT<LONG>(0, 2)})
    {
        EXPECT_EQ(part->GetColorAtPoint(outside), kNone);
    }
    // A solid fill answers its colour with the alpha modifier.
    const RCPtr<LVisualPart> half(new LVisualPart(WString(L"half"), nullptr, LVisualPart::kStretch,
                                                  Solid(kRed), SizeT<LONG>(2, 2), 0.5f, nullptr));
    EXPECT_EQ(half->GetColorAtPoint(PointT<LONG>(1, 1)), 0x80FF0000u);
}

TEST_F(Looks, PartsThatCannotBeShownDrawNothingAndAreTransparent)
{
    const ConstRCPtr<LBitmap> bitmap = Pixels(2, 2, {kRed, kRed, kRed, kRed});
    const RCPtr<LColorizer> gradient =
        LColorizer::Create(WString(L"fade"), LColorizer::kLinearGradient, ColorRGBA{1, 0, 0, 1},
                           ColorRGBA{0, 0, 1, 1}, 0, 0, 1, 1);
    const struct
    {
        const char* what;
        RCPtr<LVisualPart> part;
    } cases[] = {
        {"neither image nor colorizer",
         RCPtr<LVisualPart>(new LVisualPart(WString(L"empty"), nullptr, 0, nullptr,
                                            SizeT<LONG>(4, 4), 1.0f, nullptr))},
        {"a gradient the bitmaps cannot draw",
         RCPtr<LVisualPart>(new LVisualPart(WString(L"fade"), nullptr, 0, gradient,
                                            SizeT<LONG>(4, 4), 1.0f, nullptr))},
        {"a missing image", RCPtr<LVisualPart>(new LVisualPart(
                                WString(L"missing"), LBitmap::GetBitmap(WString(L"/none.png")), 0,
                                nullptr, SizeT<LONG>(), 1.0f, nullptr))},
        {"an unknown resize type", ImagePart(bitmap, 7)},
    };
    for (const auto& c : cases)
    {
        recorder->calls.clear();
        EXPECT_EQ(c.part->Draw(renderer, SizeT<float>(4, 4)), S_OK) << c.what;
        EXPECT_TRUE(recorder->calls.empty()) << c.what;
        EXPECT_EQ(c.part->GetColorAtPoint(SizeT<float>(8, 8), PointT<float>(1, 1)), kNone)
            << c.what;
    }
}

TEST_F(Looks, TextTakesItsColourFromTheForegroundPartAndNeverThrows)
{
    const RCPtr<LColorizer> gradient =
        LColorizer::Create(WString(L"fade"), LColorizer::kLinearGradient, ColorRGBA{1, 0, 0, 1},
                           ColorRGBA{0, 0, 1, 1}, 0, 0, 1, 1);
    const struct
    {
        const char* what;
        RCPtr<LVisualPartDescriptor> foreground;
        std::vector<DWORD> colors;
    } cases[] = {
        {"a solid colour with its alpha modifier",
         LVisualPartDescriptor::Create(WString(L"ink"), Solid(kBlue), SizeT<LONG>(1, 1), 0, 0.5f,
                                       ImageReference()),
         {0x800000FF}},
        {"a gradient: its start colour",
         LVisualPartDescriptor::Create(WString(L"fade"), gradient, SizeT<LONG>(1, 1), 0, 1.0f,
                                       ImageReference()),
         {kRed}},
        {"an image without colorizer: no text",
         LVisualPartDescriptor::Create(
             WString(L"image"), ImageReference{WString(L"/none.png"), RectT<LONG>(0, 0, 2, 2)}, 0,
             nullptr, 1.0f, ImageReference()),
         {}},
    };
    for (const auto& c : cases)
    {
        const RCPtr<LLookDescriptor> descriptor = LLookDescriptor::Create(WString(L"look"));
        TextPlacement text;
        text.rightRel = 1;
        text.bottomRel = 1;
        text.foregroundPart = c.foreground;
        descriptor->SetTextPlacement(text);
        RCPtr<LLook> look;
        LLook::Create(look, descriptor, false);
        look->SetSize(SizeT<LONG>(100, 20));
        look->SetText(WString(L"text"));
        look->SetFont(LFont::GetFont(WString(L"Recording Sans"), 10.0f, 0));
        recorder->calls.clear();
        EXPECT_EQ(
            look->DrawLabelText(renderer, RegionOf({RECT{0, 0, 640, 480}}), PointT<double>(0, 0)),
            S_OK)
            << c.what;
        std::vector<DWORD> colors;
        for (const auto& call : recorder->calls)
        {
            colors.push_back(call.color);
        }
        EXPECT_EQ(colors, c.colors) << c.what;
    }
    // A look without text properties draws no text.
    RCPtr<LLook> plain;
    LLook::Create(plain, LLookDescriptor::Create(WString(L"plain")), false);
    EXPECT_EQ(plain->DrawLabelText(renderer, RegionOf({RECT{0, 0, 640, 480}}), PointT<double>()),
              S_FALSE);
    EXPECT_TRUE(plain->SetText(WString(L"x")));
}

TEST_F(Looks, APartIsSharedWhileUsedAndItsDescriptorHoldsItOnlyInternally)
{
    const RCPtr<LVisualPartDescriptor> descriptor = Fill(2, 2);
    const RCPtr<LVisualPart> part = descriptor->GetVisualPart();
    EXPECT_EQ(descriptor->GetVisualPart().Get(), part.Get());
    EXPECT_EQ(part->GetRefCount(), 2);
    EXPECT_EQ(part->GetInternalRefCount(), 1);
}

TEST(ColorHelpers, PackingUnpackingAndColourText)
{
    EXPECT_EQ(ColorFromFloatRGBA(ColorRGBA{1.0f, 0.5f, 0.0f, 1.0f}), 0xFFFF8000u);
    EXPECT_EQ(ColorFromFloatRGBA(ColorRGBA{1.2f, -0.5f, 0.0f, 1.0f}), 0xFFFF0000u);
    const ColorRGBA unpacked = ColorToFloatRGBA(0x80FF0000);
    EXPECT_EQ(unpacked.red, 1.0f * 255 * 0.003921569f);
    EXPECT_EQ(unpacked.green, 0.0f);
    EXPECT_NEAR(unpacked.alpha, 0.50196f, 1e-5);

    const struct
    {
        const char* text;
        bool read;
        DWORD packed;
    } cases[] = {
        {"0xFF102030", true, 0xFF102030},
        {"0X80AbCdEf", true, 0x80ABCDEF},
        {"102030", true, 0x00102030},
        {"0x80", true, 0x80000000},
        {"0x123", false, 0},
        {"0xGG102030", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases)
    {
        ColorRGBA color{};
        EXPECT_EQ(ColorFromHexText(color, c.text), c.read) << c.text;
        EXPECT_EQ(ColorFromFloatRGBA(color), c.packed) << c.text;
    }
    ColorRGBA untouched{};
    EXPECT_FALSE(ColorFromHexText(untouched, nullptr));
}
