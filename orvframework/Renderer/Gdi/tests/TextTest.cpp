// The GDI+ renderer's text: font metrics and string extents at 96 DPI from sizes in points, the
// generic family in place of one that is not installed, drawing where the measured box says,
// and the window-less measuring renderer.
#include "GdiRendererTestSupport.h"

#include "Renderer/Font.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <algorithm>
#include <cmath>

using namespace Orv;

namespace
{
struct Metrics
{
    int height = 0;
    int ascent = 0;
    int descent = 0;
    bool operator==(const Metrics&) const = default;
};

Metrics MetricsOf(LGDIRenderer& renderer, const wchar_t* name, float size, int style = 0)
{
    Metrics m;
    EXPECT_EQ(renderer.GetFontMetrics(LFont::GetFont(WString(name), size, style), m.height,
                                      m.ascent, m.descent),
              S_OK);
    return m;
}
} // namespace

TEST(GdiText, FontMetricsAreWholePixelsMovedOutward)
{
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    // DejaVu Sans: 2048 units to the em, cell ascent 1901, descent 483, line spacing 2384. At 10
    // points (13.33 pixels) the line is 15.52 pixels, the ascent 12.38 and the descent 3.14.
    EXPECT_EQ(MetricsOf(*renderer, L"DejaVu Sans", 10), (Metrics{16, -13, 4}));
    EXPECT_EQ(MetricsOf(*renderer, L"dejavu sans", 20), (Metrics{32, -25, 7}));
    // A font of no size has no metrics; a null font neither.
    EXPECT_EQ(MetricsOf(*renderer, L"DejaVu Sans", 0), (Metrics{0, 0, 0}));
    Metrics none{1, 1, 1};
    renderer->GetFontMetrics(ConstRCPtr<LFont>(), none.height, none.ascent, none.descent);
    EXPECT_EQ(none, (Metrics{0, 0, 0}));
}

TEST(GdiText, AFamilyThatIsNotInstalledIsTheGenericSansSerif)
{
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    // The generic sans-serif family is DejaVu Sans here.
    EXPECT_EQ(MetricsOf(*renderer, L"No Such Family 7", 10),
              MetricsOf(*renderer, L"DejaVu Sans", 10));
    const WString text(L"Firmware 00.31");
    const RectT<float> missing =
        renderer->MeasureString(text, LFont::GetFont(WString(L"No Such Family 7"), 10, 0));
    const RectT<float> generic =
        renderer->MeasureString(text, LFont::GetFont(WString(L"DejaVu Sans"), 10, 0));
    EXPECT_EQ(missing, generic);
    EXPECT_GT(missing.width, 0);
}

TEST(GdiText, StringsMeasureTheirAdvanceRoundedUpWithSlack)
{
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 10, 0);
    // Nothing to measure: nothing measured.
    EXPECT_EQ(renderer->MeasureString(WString(L""), font), RectT<float>(0, 0, 0, 0));
    const RectT<float> word = renderer->MeasureString(WString(L"Update"), font);
    EXPECT_EQ(word.x, 0);
    EXPECT_EQ(word.y, -13);
    EXPECT_EQ(word.height, 16);
    EXPECT_EQ(word.width, std::trunc(word.width)); // whole pixels
    // Trailing blanks count, and a text of blanks has a width (with the slack).
    const RectT<float> padded = renderer->MeasureString(WString(L"Update   "), font);
    EXPECT_GT(padded.width, word.width);
    const RectT<float> blanks = renderer->MeasureString(WString(L"  "), font);
    EXPECT_GT(blanks.width, 3);
    // Bold is wider; a larger size is wider and taller.
    EXPECT_GT(renderer
                  ->MeasureString(WString(L"Update"),
                                  LFont::GetFont(WString(L"DejaVu Sans"), 10, LFont::kBold))
                  .width,
              word.width);
    const RectT<float> large =
        renderer->MeasureString(WString(L"Update"), LFont::GetFont(WString(L"DejaVu Sans"), 20, 0));
    EXPECT_GT(large.width, 1.8f * (word.width - 3));
    EXPECT_EQ(large.height, 32);
}

TEST(GdiText, TextIsDrawnWhereItsMeasuredBoxSays)
{
    RendererFixture f(120, 40, true);
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 10, 0);
    const WString text(L"Halvex 0.31");
    const RectT<float> box = f.renderer->MeasureString(text, font);
    const PointT<LONG> at(7, 12);
    f.Start();
    f.renderer->DrawString(text, font, at, ColorRGBA{0, 0, 0, 1});
    f.Finish();

    int left = 1000, right = -1, top = 1000, bottom = -1;
    for (int y = 0; y < 40; ++y)
    {
        for (int x = 0; x < 120; ++x)
        {
            if (SurfacePixel(*f.gdi, x, y) >> 24 != 0)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, 0) << "no ink";
    // The ink lies inside the box placed at the point (its top one pixel above the point) ...
    const int boxTop = at.y - 1;
    EXPECT_GE(left, at.x);
    EXPECT_LT(right, at.x + static_cast<LONG>(box.width));
    EXPECT_GE(top, boxTop);
    EXPECT_LT(bottom, boxTop + static_cast<LONG>(box.height));
    // ... and fills it: it ends within the slack of the box's right edge, and the letters stand
    // on the baseline, the ascent below the box's top.
    EXPECT_GE(right, at.x + static_cast<LONG>(box.width) - 3 - 3);
    EXPECT_NEAR(bottom + 1, boxTop - static_cast<LONG>(box.y), 1);
    EXPECT_LE(top, boxTop - static_cast<LONG>(box.y) - 8); // capitals and digits are tall
}

TEST(GdiText, TheFirstGdiplusRendererOfTheFactoryInstallsTheMeasuringRenderer)
{
    SetMeasurementRenderer(nullptr);
    const RectT<LONG> bounds(0, 0, 10, 10);
    const ConstRCPtr<LRenderer> window = LRenderer::Create(LRenderer::kGdiplus, bounds, nullptr);
    ConstRCPtr<LRenderer> measuring;
    GetMeasurementRenderer(measuring);
    // A windowless one of its own, not the window's.
    ASSERT_NE(dynamic_cast<const LGDIRenderer*>(measuring.Get()), nullptr);
    EXPECT_NE(measuring.Get(), window.Get());
    EXPECT_GT(LFont::GetFont(WString(L"DejaVu Sans"), 11.0f, 0)->GetHeight(), 0);

    // Later renderers keep it, and keep one that was set by hand.
    LRenderer::Create(LRenderer::kGdiplus, bounds, nullptr);
    ConstRCPtr<LRenderer> again;
    GetMeasurementRenderer(again);
    EXPECT_EQ(again.Get(), measuring.Get());
    const ConstRCPtr<LRenderer> own(new LGDIRenderer());
    SetMeasurementRenderer(own);
    LRenderer::Create(LRenderer::kGdiplus, bounds, nullptr);
    GetMeasurementRenderer(again);
    EXPECT_EQ(again.Get(), own.Get());
    SetMeasurementRenderer(nullptr);
}

TEST(GdiText, TheWindowlessMeasuringRendererMeasuresFonts)
{
    SetMeasurementRenderer(nullptr);
    const ConstRCPtr<LRenderer> installed = LGDIRenderer::InstallMeasurementRenderer();
    ASSERT_NE(dynamic_cast<const LGDIRenderer*>(installed.Get()), nullptr);
    // Installed once: a second call keeps it.
    EXPECT_EQ(LGDIRenderer::InstallMeasurementRenderer(), installed);
    ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 12.5f, 0);
    RCPtr<LGDIRenderer> direct(new LGDIRenderer());
    int height = 0, ascent = 0, descent = 0;
    direct->GetFontMetrics(font, height, ascent, descent);
    EXPECT_EQ(font->GetHeight(), height);
    EXPECT_EQ(font->GetAscent(), ascent);
    EXPECT_EQ(font->GetDescent(), descent);
    EXPECT_GT(height, 0);
    SetMeasurementRenderer(nullptr);
}
