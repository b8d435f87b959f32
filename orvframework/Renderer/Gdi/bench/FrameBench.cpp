// A frame like the updater's window, drawn through the GDI+ renderer and, side by side in the
// same run, the same drawing done with cairo directly: a 640 x 480 background image, a dozen
// bitmaps (buttons and parts of one skin image, most at their own size, some stretched or
// tiled), ten strings and a progress bar. Two kinds of frame: the whole window, and only the
// progress bar's region as it moves. The run ends with the ratio of the renderer's CPU time to
// cairo's for each kind, medians of interleaved repetitions (BenchmarkRatios.h).
#include "BenchmarkRatios.h"
#include "Renderer/Font.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"
#include "Utilities/Graphics/Bitmap.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Orv;

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Placement
{
    RectT<LONG> source; // in the skin image
    RectT<LONG> destination;
    int resizeType;
};

// Twelve bitmaps: eight at their own size, two stretched, two tiled.
const Placement kPlacements[] = {
    {{0, 0, 96, 32}, {40, 400, 96, 32}, 0},    {{96, 0, 96, 32}, {150, 400, 96, 32}, 0},
    {{0, 32, 96, 32}, {260, 400, 96, 32}, 0},  {{96, 32, 96, 32}, {504, 400, 96, 32}, 0},
    {{192, 0, 32, 32}, {20, 20, 32, 32}, 0},   {{224, 0, 32, 32}, {588, 20, 32, 32}, 0},
    {{192, 32, 64, 16}, {40, 120, 64, 16}, 0}, {{192, 48, 64, 16}, {40, 150, 64, 16}, 0},
    {{0, 64, 128, 24}, {40, 300, 560, 24}, 0}, {{128, 64, 128, 24}, {40, 200, 300, 48}, 0},
    {{0, 88, 16, 16}, {360, 120, 240, 16}, 1}, {{16, 88, 16, 16}, {360, 150, 240, 64}, 1},
};

const wchar_t* const kTexts[] = {
    L"Firmware Updater",
    L"Device: Brelune VANTA",
    L"Device firmware version: 00.31",
    L"File firmware version: 00.50",
    L"Firmware file: zk71_wd_update_00_50_3A7CE2CA.dfu",
    L"Status: Updating...",
    L"Do not disconnect the device",
    L"Update",
    L"Browse...",
    L"Exit",
};
const float kTextSizes[] = {14, 10, 9, 9, 9, 10, 9, 10, 10, 10};
const PointT<LONG> kTextAt[] = {{70, 24},  {40, 70},   {40, 90},  {360, 90},  {40, 260},
                                {40, 340}, {360, 340}, {66, 408}, {172, 408}, {534, 408}};

const RectT<LONG> kProgress(40, 370, 560, 16);

// An image file made for the run, removed at exit.
struct TempPng
{
    explicit TempPng(cairo_surface_t* surface)
    {
        char name[] = "/tmp/orv_frame_bench_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
        {
            close(fd);
        }
        path = name;
        cairo_surface_write_to_png(surface, path.c_str());
    }
    ~TempPng() { std::remove(path.c_str()); }
    std::string path;
};

cairo_surface_t* MakeBackground()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, kWidth, kHeight);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.15, 0.17, 0.22);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.05, 0.06, 0.09);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_destroy(cr);
    return surface;
}

cairo_surface_t* MakeSkin()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 256, 104);
    cairo_t* cr = cairo_create(surface);
    for (int i = 0; i < 16; ++i)
    {
        cairo_set_source_rgba(cr, 0.2 + 0.05 * i, 0.4, 0.8 - 0.04 * i, 0.6 + 0.025 * i);
        cairo_rectangle(cr, (i % 8) * 32, (i / 8) * 52, 30, 50);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return surface;
}

WString Wide(const char* text)
{
    return WString(text);
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text != 0; ++text)
    {
        out += static_cast<char>(*text);
    }
    return out;
}

// What both sides draw with, made once.
struct Scene
{
    Scene()
    {
        Gdiplus::GdiplusStartupInput input;
        GdiplusStartup(&token, &input, nullptr);
        backgroundSurface = MakeBackground();
        skinSurface = MakeSkin();
        backgroundFile = std::make_unique<TempPng>(backgroundSurface);
        skinFile = std::make_unique<TempPng>(skinSurface);
        background = LBitmap::GetBitmap(Wide(backgroundFile->path.c_str()));
        skin = LBitmap::GetBitmap(Wide(skinFile->path.c_str()));
        for (const Placement& p : kPlacements)
        {
            parts.push_back(
                skin->CreateSubBitmap(p.source.x, p.source.y, p.source.width, p.source.height));
        }
        for (size_t i = 0; i < std::size(kTexts); ++i)
        {
            fonts.push_back(LFont::GetFont(WString(L"DejaVu Sans"), kTextSizes[i], 0));
        }
        windowPixels.assign(static_cast<size_t>(kWidth) * kHeight, 0);
        window = reinterpret_cast<HWND>(&windowPixels);
        const WindowPixels lent{windowPixels.data(), kWidth, kHeight, kWidth * 4};
        SetWindowPixels(window, &lent);
    }
    ~Scene()
    {
        SetWindowPixels(window, nullptr);
        parts.clear();
        fonts.clear();
        background = nullptr;
        skin = nullptr;
        cairo_surface_destroy(backgroundSurface);
        cairo_surface_destroy(skinSurface);
        GdiplusShutdown(token);
    }

    ULONG_PTR token = 0;
    cairo_surface_t* backgroundSurface = nullptr;
    cairo_surface_t* skinSurface = nullptr;
    std::unique_ptr<TempPng> backgroundFile;
    std::unique_ptr<TempPng> skinFile;
    ConstRCPtr<LBitmap> background;
    ConstRCPtr<LBitmap> skin;
    std::vector<ConstRCPtr<LBitmap>> parts;
    std::vector<ConstRCPtr<LFont>> fonts;
    std::vector<std::uint32_t> windowPixels;
    HWND window = nullptr;
};

Scene& GetScene()
{
    static Scene scene;
    return scene;
}

LONG ProgressWidth(long long frame)
{
    return static_cast<LONG>(frame % (kProgress.width - 4));
}

// ---- Through the renderer ----

void DrawProgressWithRenderer(LGDIRenderer& renderer, long long frame)
{
    renderer.FillRect(kProgress, ColorRGBA{0.1f, 0.1f, 0.12f, 1}, true);
    renderer.FillRect(
        RectT<LONG>(kProgress.x + 2, kProgress.y + 2, ProgressWidth(frame), kProgress.height - 4),
        ColorRGBA{0.2f, 0.6f, 0.9f, 1}, true);
    renderer.DrawRect(kProgress, ColorRGBA{0.5f, 0.5f, 0.55f, 1}, 1);
}

void DrawFrameWithRenderer(LGDIRenderer& renderer, Scene& scene, long long frame)
{
    renderer.DrawBitmap(scene.background, RectT<LONG>(0, 0, kWidth, kHeight), 0);
    for (size_t i = 0; i < scene.parts.size(); ++i)
    {
        renderer.DrawBitmap(scene.parts[i], kPlacements[i].destination, kPlacements[i].resizeType);
    }
    for (size_t i = 0; i < std::size(kTexts); ++i)
    {
        renderer.DrawString(WString(kTexts[i]), scene.fonts[i], kTextAt[i],
                            ColorRGBA{0.9f, 0.9f, 0.92f, 1});
    }
    DrawProgressWithRenderer(renderer, frame);
}

void RendererFrames(benchmark::State& state, bool wholeWindow)
{
    Scene& scene = GetScene();
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    ConstRCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo(RectT<LONG>(0, 0, kWidth, kHeight), scene.window, false,
                                    context);
    LRegion& dirty = context.GetMutable()->GetDirtyRegion();
    long long frame = 0;
    for (auto _ : state)
    {
        dirty.Clear();
        if (wholeWindow || frame == 0)
        {
            dirty.AddRect(RECT{0, 0, kWidth, kHeight});
        }
        else
        {
            dirty.AddRect(
                RECT{kProgress.x, kProgress.y, kProgress.Right() + 1, kProgress.Bottom() + 1});
        }
        renderer->RenderStart(context);
        if (wholeWindow || frame == 0)
        {
            DrawFrameWithRenderer(*renderer, scene, frame);
        }
        else
        {
            // The window draws what meets the update region: the background and the bar.
            renderer->PushClip(
                RectT<double>(0, 0, kWidth, kHeight),
                RectT<double>(kProgress.x, kProgress.y, kProgress.width + 1, kProgress.height + 1),
                ConstRCPtr<LStencil>(), true);
            renderer->DrawBitmap(scene.background, RectT<LONG>(0, 0, kWidth, kHeight), 0);
            DrawProgressWithRenderer(*renderer, frame);
            renderer->PopState();
        }
        renderer->RenderFinish(context);
        ++frame;
    }
}

// ---- With cairo directly ----

struct CairoSide
{
    CairoSide(Scene& scene)
    {
        frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        window = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(scene.windowPixels.data()), CAIRO_FORMAT_ARGB32,
            kWidth, kHeight, kWidth * 4);
        for (const wchar_t* text : kTexts)
        {
            texts.push_back(Narrow(text));
        }
    }
    ~CairoSide()
    {
        cairo_surface_destroy(frame);
        cairo_surface_destroy(window);
    }
    cairo_surface_t* frame = nullptr;
    cairo_surface_t* window = nullptr;
    std::vector<std::string> texts;
};

void DrawProgressWithCairo(cairo_t* cr, long long frame)
{
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_rectangle(cr, kProgress.x, kProgress.y, kProgress.width, kProgress.height);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.2, 0.6, 0.9);
    cairo_rectangle(cr, kProgress.x + 2, kProgress.y + 2, ProgressWidth(frame),
                    kProgress.height - 4);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.55);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, kProgress.x + 0.5, kProgress.y + 0.5, kProgress.width, kProgress.height);
    cairo_stroke(cr);
}

void DrawFrameWithCairo(cairo_t* cr, Scene& scene, const CairoSide& side, long long frame)
{
    cairo_set_source_surface(cr, scene.backgroundSurface, 0, 0);
    cairo_paint(cr);
    for (const Placement& p : kPlacements)
    {
        cairo_save(cr);
        cairo_rectangle(cr, p.destination.x, p.destination.y, p.destination.width,
                        p.destination.height);
        cairo_clip(cr);
        cairo_translate(cr, p.destination.x, p.destination.y);
        cairo_pattern_t* pattern = nullptr;
        if (p.resizeType == 1)
        {
            cairo_surface_t* tile = cairo_surface_create_for_rectangle(
                scene.skinSurface, p.source.x, p.source.y, p.source.width, p.source.height);
            pattern = cairo_pattern_create_for_surface(tile);
            cairo_surface_destroy(tile);
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
        }
        else
        {
            pattern = cairo_pattern_create_for_surface(scene.skinSurface);
            cairo_matrix_t m;
            cairo_matrix_init_translate(&m, p.source.x, p.source.y);
            cairo_matrix_scale(&m, static_cast<double>(p.source.width) / p.destination.width,
                               static_cast<double>(p.source.height) / p.destination.height);
            cairo_pattern_set_matrix(pattern, &m);
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        }
        cairo_set_source(cr, pattern);
        cairo_paint(cr);
        cairo_pattern_destroy(pattern);
        cairo_restore(cr);
    }
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.92);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (size_t i = 0; i < side.texts.size(); ++i)
    {
        cairo_set_font_size(cr, kTextSizes[i] * 96.0 / 72.0);
        cairo_move_to(cr, kTextAt[i].x + 2, kTextAt[i].y + 11);
        cairo_show_text(cr, side.texts[i].c_str());
    }
    DrawProgressWithCairo(cr, frame);
}

void CairoFrames(benchmark::State& state, bool wholeWindow)
{
    Scene& scene = GetScene();
    CairoSide side(scene);
    long long frame = 0;
    for (auto _ : state)
    {
        cairo_t* cr = cairo_create(side.frame);
        if (wholeWindow || frame == 0)
        {
            DrawFrameWithCairo(cr, scene, side, frame);
        }
        else
        {
            cairo_rectangle(cr, kProgress.x, kProgress.y, kProgress.width + 1,
                            kProgress.height + 1);
            cairo_clip(cr);
            cairo_set_source_surface(cr, scene.backgroundSurface, 0, 0);
            cairo_paint(cr);
            DrawProgressWithCairo(cr, frame);
        }
        cairo_destroy(cr);
        // To the window: the whole frame, or the bar's region.
        cairo_t* out = cairo_create(side.window);
        if (!wholeWindow && frame != 0)
        {
            cairo_rectangle(out, kProgress.x, kProgress.y, kProgress.width + 1,
                            kProgress.height + 1);
            cairo_clip(out);
        }
        cairo_set_source_surface(out, side.frame, 0, 0);
        cairo_paint(out);
        cairo_destroy(out);
        cairo_surface_flush(side.window);
        ++frame;
    }
}

void BM_WholeWindow_Renderer(benchmark::State& state)
{
    RendererFrames(state, true);
}
void BM_WholeWindow_Cairo(benchmark::State& state)
{
    CairoFrames(state, true);
}
void BM_ProgressRegion_Renderer(benchmark::State& state)
{
    RendererFrames(state, false);
}
void BM_ProgressRegion_Cairo(benchmark::State& state)
{
    CairoFrames(state, false);
}
BENCHMARK(BM_WholeWindow_Renderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeWindow_Cairo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgressRegion_Renderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgressRegion_Cairo)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    return OrvTest::RunWithRatios(
        argc, argv,
        {{"whole window, renderer to cairo", "BM_WholeWindow_Renderer", "BM_WholeWindow_Cairo"},
         {"progress bar only, renderer to cairo", "BM_ProgressRegion_Renderer",
          "BM_ProgressRegion_Cairo"}});
}
