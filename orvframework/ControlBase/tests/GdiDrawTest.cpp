// A control tree from a skin drawn by the GDI+ renderer into a bitmap: an image part, colour and
// gradient colorizers, text, a child clipped at its parent's edge, a floating child drawn in the
// deferred pass, a half-opaque control and a paint limited to part of the window. The bitmap is
// saved as a PNG under the build folder and chosen pixels are checked.
#include "ControlTreeSupport.h"
#include "RecordingRenderer.h"

#include "Renderer/AutoClip.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <cairo.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
class HalfOpaqueControl : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    void OnCreated() override
    {
        SetOpacity(0.5f);
        RecordingControl::OnCreated();
    }
};

constexpr LONG kWidth = 200;
constexpr LONG kHeight = 120;

class GdiDrawing : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.HalfOpaque"),
                                               &CreateControlOf<HalfOpaqueControl>);
        factory->SetImagePathPrefix(WString(L"::"));
        gdi = new LGDIRenderer();
        renderer = ConstRCPtr<LRenderer>(gdi.Get());
        SetMeasurementRenderer(renderer);
        gdi->InitRenderContextInfo(RectT<LONG>(0, 0, kWidth, kHeight), nullptr, true, context);
    }
    void TearDown() override
    {
        SetMeasurementRenderer(nullptr);
        ControlTreeTest::TearDown();
    }

    // Paints the part of the window in region as the root window does: the top-level control,
    // then the floating controls it listed, each under a clip of its own rectangle.
    void Paint(const LRegion& region)
    {
        LRenderer& r = *renderer.GetMutable();
        r.RenderStart(context);
        r.SetClipRegion(region);
        LControl::ControlList floating;
        EXPECT_EQ(root->Draw(renderer, region, floating, false), S_OK);
        for (unsigned int i = 0; i < floating.GetCount(); ++i)
        {
            const RCPtr<LControl> control = floating.GetConstElementPointer(i);
            const PointT<double> at = control->GetRectInRoot();
            const RectT<double> own = control->GetRect();
            CAutoClip guard(renderer, RectT<double>(at.x - own.x, at.y - own.y, 1e6, 1e6),
                            RectT<double>(at.x, at.y, own.width, own.height), nullptr, true);
            LControl::ControlList nested;
            EXPECT_EQ(control->Draw(renderer, region, nested, true), S_OK);
            for (unsigned int j = 0; j < nested.GetCount(); ++j)
            {
                floating.AddItem(nested.GetConstElementPointer(j));
            }
        }
        r.RenderFinish(context);
    }

    // The straight ARGB pixel of the drawn bitmap.
    ARGB Pixel(int x, int y)
    {
        auto* surface = dynamic_cast<LGDIRenderContextInfo*>(context.GetMutable());
        ARGB color = 0;
        EXPECT_EQ(GdipBitmapGetPixel(surface->GetFrontSurface().GetBitmap().Get(), x, y, &color),
                  Gdiplus::Ok);
        return color;
    }

    // Saves the drawn bitmap as a PNG among the test artefacts.
    void Save(const char* name)
    {
        std::vector<std::uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                // Opaque everywhere the tree drew, so straight and premultiplied agree.
                pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)] = Pixel(x, y);
            }
        }
        mkdir(ORV_TEST_ARTEFACTS, 0755);
        cairo_surface_t* surface =
            cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                CAIRO_FORMAT_ARGB32, kWidth, kHeight, kWidth * 4);
        const std::string path = std::string(ORV_TEST_ARTEFACTS) + "/" + name;
        EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
        cairo_surface_destroy(surface);
    }

    RCPtr<LGDIRenderer> gdi;
    ConstRCPtr<LRenderer> renderer;
    ConstRCPtr<LRenderContextInfo> context;
};

// The sub-control made a half-opaque one.
std::string HalfOpaque(std::string sub)
{
    sub.replace(sub.find("Test.Recording"), 14, "Test.HalfOpaque");
    return sub;
}

int Channel(ARGB color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}
} // namespace

TEST_F(GdiDrawing, ASkinnedTreeIsDrawnWithImagesColorizersTextAndClippedChildren)
{
    const std::string looks =
        "<Look Name=\"picture\"><ClientPart Name=\"quadrants\" OffsetLeft=\"0\" OffsetTop=\"0\" "
        "OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>"
        "<Look Name=\"gradient\"><ClientPart Name=\"gradient\" OffsetLeft=\"0\" OffsetTop=\"0\" "
        "OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
    const std::string lists =
        "<LookList Name=\"picture\" NumLooks=\"1\"><Look Name=\"picture\" Index=\"0\"/></LookList>"
        "<LookList Name=\"gradient\" NumLooks=\"1\"><Look Name=\"gradient\" Index=\"0\"/>"
        "</LookList>";
    std::string document = SkinDocument(
        Sub("root", 0, 0, kWidth, kHeight, "grey", "",
            Sub("picture", 10, 10, 40, 40, "picture") +
                Sub("panel", 60, 10, 60, 40, "blue", "",
                    Sub("overhang", 40, 20, 40, 40, "red") +
                        Sub("float", 50, 0, 30, 10, "yellow", "ClipToParent=\"False\"")) +
                Sub("caption", 10, 60, 120, 24, "label") +
                HalfOpaque(Sub("half", 140, 60, 40, 40, "green")) +
                Sub("gradient", 10, 100, 100, 10, "gradient")),
        looks, lists);
    // An image part and a gradient part join the colour parts; a gradient colorizer too.
    document.replace(document.find("</Parts>"), 0,
                     "<Part Name=\"quadrants\" ImageFile=\"Quadrants.png\" ImageLocX=\"0\" "
                     "ImageLocY=\"0\" Width=\"2\" Height=\"2\" ResizeType=\"Stretch\"/>"
                     "<Part Name=\"gradient\" Width=\"100\" Height=\"10\" ResizeType=\"Stretch\" "
                     "ColorizerName=\"blueToRed\"/>");
    document.replace(document.find("</Colorizers>"), 0,
                     "<Colorizer Name=\"blueToRed\" ColorType=\"LinearGradient\" "
                     "Color=\"0xFF0000FF\" GradientEndColor=\"0xFFFF0000\" GradientStartX=\"0\" "
                     "GradientStartY=\"0\" GradientEndX=\"1\" GradientEndY=\"0\"/>");
    Show(document, L"root");
    ASSERT_EQ(At("caption")->SetText(WString(L"HHHH")), S_OK);

    Paint(RegionOf({RECT{0, 0, kWidth, kHeight}}));
    Save("skinned-tree.png");

    const ARGB grey = 0xFF808080u, red = 0xFFFF0000u, green = 0xFF00FF00u, blue = 0xFF0000FFu,
               white = 0xFFFFFFFFu, yellow = 0xFFFFFF00u;
    const struct
    {
        int x, y;
        ARGB color;
        const char* what;
    } expected[] = {
        {5, 5, grey, "the top-level control"},
        // The 2 x 2 image stretched to 40 x 40: its colours at the corners, blended between.
        {10, 10, red, "image, top left"},
        {49, 10, green, "image, top right"},
        {10, 49, blue, "image, bottom left"},
        {49, 49, white, "image, bottom right"},
        {61, 11, blue, "the panel"},
        // The red child reaches from (100, 30) to (140, 70) but is cut at the panel's edge.
        {100, 30, red, "clipped child inside its parent"},
        {119, 49, red, "clipped child at its parent's corner"},
        {120, 45, grey, "clipped child beyond its parent's right edge"},
        {105, 50, grey, "clipped child below its parent"},
        // The floating child reaches past the panel's edge and is drawn whole.
        {110, 10, yellow, "floating child inside its parent"},
        {139, 19, yellow, "floating child beyond its parent"},
        {11, 61, grey, "label background"},
    };
    for (const auto& e : expected)
    {
        EXPECT_EQ(Pixel(e.x, e.y), e.color) << e.what << " at " << e.x << "," << e.y;
    }
    // Half-opaque green over grey.
    const ARGB half = Pixel(160, 80);
    EXPECT_NEAR(Channel(half, 16), 0x40, 2);
    EXPECT_NEAR(Channel(half, 8), 0xC0, 2);
    EXPECT_NEAR(Channel(half, 0), 0x40, 2);
    // Blended in the image's middle: more red than blue towards the top left.
    const ARGB middle = Pixel(25, 25);
    EXPECT_NE(middle, red);
    EXPECT_GT(Channel(middle, 16), Channel(middle, 0));
    // Bitmaps cannot be filled with gradients yet: the gradient part is skipped (and reported
    // once), the rest of the tree is drawn.
    EXPECT_EQ(Pixel(11, 105), grey);
    EXPECT_EQ(Pixel(108, 105), grey);
    // The text is red, inside its area (2 pixels in from the label's sides, 1 from its top and
    // bottom).
    int inked = 0;
    for (int y = 60; y < 84; ++y)
    {
        for (int x = 10; x < 130; ++x)
        {
            if (Pixel(x, y) == red)
            {
                ++inked;
                EXPECT_TRUE(x >= 12 && x < 128 && y >= 61 && y < 83) << x << "," << y;
            }
        }
    }
    EXPECT_GT(inked, 20);

    // With the panel hidden, a paint of the left part of the window only: the panel's pixels
    // there become the top-level control's, those outside the paint stay as they were.
    At("panel")->SetVisible(false);
    Paint(RegionOf({RECT{0, 0, 90, kHeight}}));
    Save("skinned-tree-partly-repainted.png");
    EXPECT_EQ(Pixel(61, 11), grey);
    EXPECT_EQ(Pixel(89, 11), grey);
    EXPECT_EQ(Pixel(90, 11), blue);
    EXPECT_EQ(Pixel(100, 30), red);
    EXPECT_EQ(Pixel(10, 10), red);
}

namespace
{
// A look filling its control with grey whose text area is the whole control, its red text
// placed by vertical alignment valign.
std::string TextLook(const char* name, const char* valign)
{
    return std::string("<Look Name=\"") + name +
           "\"><ClientPart Name=\"grey\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" "
           "OffsetBottom=\"0\"/><TextProperties TextLeftRel=\"0\" TextLeftAbs=\"0\" "
           "TextRightRel=\"1\" TextRightAbs=\"0\" TextHAlign=\"0\" TextTopRel=\"0\" "
           "TextTopAbs=\"0\" TextBottomRel=\"1\" TextBottomAbs=\"0\" TextVAlign=\"" +
           valign + "\" TextForegroundPart=\"red\"/></Look>";
}

std::string LookList(const char* name)
{
    return std::string("<LookList Name=\"") + name + "\" NumLooks=\"1\"><Look Name=\"" + name +
           "\" Index=\"0\"/></LookList>";
}
} // namespace

TEST_F(GdiDrawing, LabelTextSitsInItsControlWhereTheAlignmentPutsIt)
{
    // The renderer made as a window makes it, with no measuring renderer set by hand.
    SetMeasurementRenderer(nullptr);
    renderer = LRenderer::Create(LRenderer::kGdiplus, RectT<LONG>(0, 0, kWidth, kHeight), nullptr);
    ASSERT_EQ(renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, kWidth, kHeight),
                                                           nullptr, true, context),
              S_OK);
    const ConstRCPtr<LFont> font = factory->GetSkinFont();
    ASSERT_TRUE(font);
    // The font's line height and ascent as a GDI+ renderer of its own measures them.
    int lineHeight = 0, ascent = 0, descent = 0;
    RCPtr<LGDIRenderer>(new LGDIRenderer())->GetFontMetrics(font, lineHeight, ascent, descent);
    ascent = -ascent;
    ASSERT_GT(lineHeight, 8);
    ASSERT_GT(ascent, lineHeight / 2);

    // Controls exactly one line high, and three taller ones with the text at the top, in the
    // middle and at the bottom.
    const struct
    {
        const char* name;
        const char* look;
        int x, y, w, h;
        float valign;
    } labels[] = {
        {"fitTop", "textTop", 10, 8, 85, lineHeight, 0.0f},
        {"fitBottom", "textBottom", 105, 8, 85, lineHeight, 1.0f},
        {"top", "textTop", 10, 40, 55, 60, 0.0f},
        {"middle", "textMiddle", 72, 40, 55, 60, 0.5f},
        {"bottom", "textBottom", 134, 40, 55, 60, 1.0f},
    };
    std::string subs;
    for (const auto& l : labels)
    {
        subs += Sub(l.name, l.x, l.y, l.w, l.h, l.look);
    }
    Show(SkinDocument(Sub("root", 0, 0, kWidth, kHeight, "blue", "", subs),
                      TextLook("textTop", "0") + TextLook("textMiddle", "0.5") +
                          TextLook("textBottom", "1"),
                      LookList("textTop") + LookList("textMiddle") + LookList("textBottom")),
         L"root");
    // Capitals for the baseline; the fitting controls get a descender as well.
    for (const auto& l : labels)
    {
        const bool fits = l.h == lineHeight;
        ASSERT_EQ(At(l.name)->SetText(WString(fits ? L"HHgg" : L"HH")), S_OK);
    }

    Paint(RegionOf({RECT{0, 0, kWidth, kHeight}}));
    Save("label-text-placement.png");

    for (const auto& l : labels)
    {
        SCOPED_TRACE(l.name);
        // Every red pixel lies inside the control; find the rows of the capitals' ink and of all
        // ink.
        int capsTop = kHeight, capsBottom = -1, inkBottom = -1;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                const ARGB p = Pixel(x, y);
                if (Channel(p, 16) < Channel(p, 8) + 64)
                {
                    continue;
                }
                const bool inside = x >= l.x && x < l.x + l.w && y >= l.y && y < l.y + l.h;
                if (!inside)
                {
                    continue;
                }
                inkBottom = std::max(inkBottom, y - l.y);
                // The two capitals come first: the left part of the text.
                if (x < l.x + 12)
                {
                    capsTop = std::min(capsTop, y - l.y);
                    capsBottom = std::max(capsBottom, y - l.y);
                }
            }
        }
        if (capsBottom < 0)
        {
            ADD_FAILURE() << "no text drawn";
            continue;
        }
        // The line's top as the alignment places it, and its baseline one ascent below
        // (the capitals' last row is just above it).
        const int lineTop = static_cast<int>((l.h - lineHeight) * l.valign);
        EXPECT_NEAR(capsBottom, lineTop + ascent - 1, 2);
        // The capitals are whole: about 0.7 of the em, which is 3/4 of the line or more.
        EXPECT_GE(capsBottom - capsTop + 1, lineHeight / 2);
        EXPECT_GE(capsTop, lineTop);
        if (l.h == lineHeight)
        {
            // The descender is drawn below the baseline, inside the control.
            EXPECT_GT(inkBottom, capsBottom + 1);
            EXPECT_LT(inkBottom, l.h);
        }
    }
    // Between the labels the top-level control's blue shows: no text spills there.
    EXPECT_EQ(Pixel(10, 8 + lineHeight), 0xFF0000FFu);
    EXPECT_EQ(Pixel(40, 101), 0xFF0000FFu);
}
