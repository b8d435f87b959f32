#include "WindowTestSupport.h"

#include "platform/GdiPlus.h"

#include <vector>

using namespace OrvTest;
using namespace Gdiplus;

namespace
{
class WindowPaint : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
    }
    static void TearDownTestSuite() { GdiplusShutdown(token); }

    static inline ULONG_PTR token = 0;
};

RECT UpdateOf(HWND window)
{
    RECT r{};
    GetUpdateRect(window, &r, FALSE);
    return r;
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST_F(WindowPaint, TheUpdateAreaBoundsWhatWasInvalidatedAndValidatingTakesItAway)
{
    Recorder recorder;
    recorder.handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT&)
    { return message == WM_PAINT; };
    HWND window = MakeWindow(recorder, 0, 0, 100, 80);
    // A hidden window is not painted, whatever it holds.
    InvalidateRect(window, nullptr, FALSE);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    ValidateRect(window, nullptr);

    struct Step
    {
        bool invalidate;
        RECT rect;
        RECT expected;
    };
    const Step steps[] = {
        {true, {10, 10, 20, 20}, {10, 10, 20, 20}},
        {true, {50, 5, 60, 15}, {10, 5, 60, 20}},
        // Clipped to the client area.
        {true, {90, 70, 200, 200}, {10, 5, 100, 80}},
        // A band across the whole width at the top is taken away; a hole in the middle is not.
        {false, {0, 0, 100, 30}, {10, 30, 100, 80}},
        {false, {40, 40, 50, 50}, {10, 30, 100, 80}},
        {false, {0, 0, 100, 80}, {0, 0, 0, 0}},
    };
    for (const Step& step : steps)
    {
        if (step.invalidate)
        {
            InvalidateRect(window, &step.rect, FALSE);
        }
        else
        {
            ValidateRect(window, &step.rect);
        }
        EXPECT_TRUE(Same(UpdateOf(window), step.expected))
            << UpdateOf(window).left << "," << UpdateOf(window).top << "," << UpdateOf(window).right
            << "," << UpdateOf(window).bottom;
    }
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    DestroyWindow(window);
}

TEST_F(WindowPaint, PaintComesWhenNothingElseWaitsAndRepeatsUntilValidated)
{
    Recorder recorder;
    int paints = 0;
    recorder.handler = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT&)
    {
        if (message != WM_PAINT)
        {
            return false;
        }
        // The first paint leaves the window invalid; the next validates it as BeginPaint does.
        if (++paints > 1)
        {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            EXPECT_TRUE(Same(paint.rcPaint, RECT{0, 0, 100, 80}));
            EndPaint(window, &paint);
        }
        return true;
    };
    HWND window = MakeWindow(recorder, 0, 0, 100, 80, WS_POPUP | WS_VISIBLE);
    PumpAll();
    EXPECT_EQ(paints, 2);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    DestroyWindow(window);
}

TEST_F(WindowPaint, PixelsDrawnThroughTheWindowGraphicsAreShownAfterThePaint)
{
    Recorder recorder;
    recorder.handler = [](HWND window, UINT message, WPARAM, LPARAM, LRESULT&)
    {
        if (message != WM_PAINT)
        {
            return false;
        }
        RECT update{};
        GetUpdateRect(window, &update, FALSE);
        ValidateRect(window, nullptr);
        GpGraphics* graphics = nullptr;
        EXPECT_EQ(GdipCreateFromHWND(window, &graphics), Ok);
        GpSolidFill* brush = nullptr;
        GdipCreateSolidFill(0xFF2060C0, &brush);
        GdipFillRectangleI(graphics, brush, update.left, update.top, update.right - update.left,
                           update.bottom - update.top);
        GdipDeleteBrush(brush);
        GdipDeleteGraphics(graphics);
        return true;
    };
    HWND window = MakeWindow(recorder, 0, 0, 64, 48, WS_POPUP | WS_VISIBLE);
    PumpAll();
    std::vector<std::uint32_t> pixels(64 * 48);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), 64, 48));
    EXPECT_EQ(pixels[0], 0xFF2060C0u);
    EXPECT_EQ(pixels[64 * 48 - 1], 0xFF2060C0u);

    // Resizing keeps what was drawn where it fits and asks for the rest.
    MoveWindow(window, 0, 0, 80, 48, FALSE);
    pixels.assign(80 * 48, 0);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), 80, 48));
    EXPECT_EQ(pixels[0], 0xFF2060C0u);
    EXPECT_EQ(pixels[79], 0xFF000000u);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    DestroyWindow(window);
    EXPECT_FALSE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), 80, 48));
}
