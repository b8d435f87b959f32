// The splash screen: the window on the UI thread, the progress on the splash thread.
#include "System/SplashScreen.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include "platform/DebugApi.h"
#include "platform/GdiPlus.h"

namespace Orv
{
namespace
{
const wchar_t* const kClassName = L"SplashWnd";
constexpr int kBarRangeMax = 100;
constexpr int kBarHeight = 16;
constexpr int kBarBottomGap = 20;
constexpr ARGB kBarBackground = 0xFF202020;
} // namespace

LSplashScreen::~LSplashScreen()
{
    Close();
}

void LSplashScreen::SetImage(const ConstRCPtr<LBitmap>& bitmap)
{
    if (!mImage && bitmap && bitmap->GetGdiplusBitmap() != nullptr)
    {
        mImage = bitmap;
    }
}

bool LSplashScreen::CreateSplashWindow()
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &LSplashScreen::WindowProcedure;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    {
        OutputDebugStringA("Unable to register class SplashWnd\n");
        return false;
    }
    RECT work{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG width = mImage->GetWidth();
    const LONG height = mImage->GetHeight();
    const LONG left = (work.left + work.right - width) / 2;
    const LONG top = (work.top + work.bottom - height) / 2;
    mWindow = CreateWindowExW(0, kClassName, mTitle.GetBuffer(), WS_POPUP | WS_CLIPCHILDREN, left,
                              top, width, height, nullptr, nullptr, nullptr, this);
    if (mWindow == nullptr)
    {
        OutputDebugStringA("Unable to create SplashWnd\n");
        return false;
    }
    SetWindowLongPtrW(mWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(mWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(mWindow);
    return true;
}

void LSplashScreen::Start()
{
    if (mThread != nullptr || !mImage)
    {
        return;
    }
    if (!CreateSplashWindow())
    {
        return;
    }
    mStartEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    mThread = CreateThread(nullptr, 0, &LSplashScreen::ThreadMain, this, 0, &id);
    if (mThread == nullptr)
    {
        OutputDebugStringA("Error starting SplashThread\n");
        return;
    }
    mThreadId = id;
    if (WaitForSingleObject(mStartEvent, kStartTimeout) != WAIT_OBJECT_0)
    {
        OutputDebugStringA("Error starting SplashThread\n");
    }
}

void LSplashScreen::SetProgress(int low, int high, int steps)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kStartStepping,
                           static_cast<WPARAM>(static_cast<unsigned int>(low & 0xFFFF) |
                                               (static_cast<unsigned int>(high & 0xFFFF) << 16)),
                           static_cast<LPARAM>(steps));
    }
}

void LSplashScreen::PostStop(int value)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kSetPosition, static_cast<WPARAM>(value), 0);
    }
}

void LSplashScreen::SetBarColor(DWORD color)
{
    if (mThreadId != 0)
    {
        PostThreadMessageW(mThreadId, kSetBarColor, static_cast<WPARAM>(color), 0);
    }
}

void LSplashScreen::Close()
{
    if (mThread != nullptr)
    {
        PostThreadMessageW(mThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(mThread, kCloseTimeout) != WAIT_OBJECT_0)
        {
            // Threads are never killed: the thread only posts to a window that is about to go,
            // which the window system then drops.
            GetDebugOutput().Narrow()
                << "Splash: the splash thread did not end in time" << std::endl;
        }
        CloseHandle(mThread);
        mThread = nullptr;
        mThreadId = 0;
    }
    if (mStartEvent != nullptr)
    {
        CloseHandle(mStartEvent);
        mStartEvent = nullptr;
    }
    if (mWindow != nullptr)
    {
        DestroyWindow(mWindow);
        mWindow = nullptr;
    }
    mShownPosition = -1;
    mTitle = WString();
}

DWORD WINAPI LSplashScreen::ThreadMain(LPVOID parameter)
{
    static_cast<LSplashScreen*>(parameter)->RunThread();
    return 0;
}

void LSplashScreen::RunThread()
{
    // The thread's queue exists from its first look at it; then Start may go on.
    MSG msg{};
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(mStartEvent);

    const HWND window = mWindow;
    int position = 0;
    int step = 0;
    int remaining = 0;
    UINT_PTR timer = 0;
    bool barShown = false;
    auto stopTimer = [&]()
    {
        if (timer != 0)
        {
            KillTimer(nullptr, timer);
            timer = 0;
        }
        mStepping = false;
    };
    auto show = [&](int value)
    {
        position = value;
        barShown = true;
        PostMessageW(window, kSetPosition, static_cast<WPARAM>(value), 0);
    };
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.hwnd == nullptr && msg.message == kStartStepping)
        {
            const int low = static_cast<int>(msg.wParam & 0xFFFF);
            const int high = static_cast<int>((msg.wParam >> 16) & 0xFFFF);
            const int steps = static_cast<int>(msg.lParam);
            stopTimer();
            show(low);
            if (steps > 0)
            {
                step = (high - low) / (steps * kTicksPerStep);
                remaining = steps * kTicksPerStep;
                timer = SetTimer(nullptr, 0, kStepInterval, nullptr);
                mStepping = timer != 0;
            }
        }
        else if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == timer &&
                 timer != 0)
        {
            // The last step stops the timer before it is shown.
            if (--remaining <= 0)
            {
                stopTimer();
            }
            show(position + step);
        }
        else if (msg.hwnd == nullptr && msg.message == kSetPosition)
        {
            stopTimer();
            show(static_cast<int>(msg.wParam));
        }
        else if (msg.hwnd == nullptr && msg.message == kSetBarColor)
        {
            if (!barShown)
            {
                show(0);
            }
            PostMessageW(window, kSetBarColor, msg.wParam, 0);
        }
    }
    stopTimer();
}

LRESULT CALLBACK LSplashScreen::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    auto* splash = reinterpret_cast<LSplashScreen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (splash != nullptr)
    {
        if (message == kSetPosition)
        {
            int value = static_cast<int>(wParam);
            value = value < 0 ? 0 : (value > kBarRangeMax ? kBarRangeMax : value);
            splash->mShownPosition = value;
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            return 0;
        }
        if (message == kSetBarColor)
        {
            const auto color = static_cast<DWORD>(wParam);
            splash->mBarColor =
                0xFF000000u | (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            return 0;
        }
        if (message == WM_PAINT)
        {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            splash->Paint();
            EndPaint(window, &paint);
            return 0;
        }
        if (message == WM_ERASEBKGND)
        {
            return 1;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void LSplashScreen::Paint()
{
    GpGraphics* graphics = nullptr;
    if (GdipCreateFromHWND(mWindow, &graphics) != Gdiplus::Ok)
    {
        return;
    }
    const auto width = static_cast<REAL>(mImage->GetWidth());
    const auto height = static_cast<REAL>(mImage->GetHeight());
    GdipDrawImageRectRect(graphics, mImage->GetGdiplusBitmap(), 0, 0, width, height, 0, 0, width,
                          height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    if (mShownPosition >= 0)
    {
        // A margin of a 25th of the width on each side, 20 pixels above the bottom.
        const INT margin = static_cast<INT>(mImage->GetWidth() / 25);
        const INT barWidth = static_cast<INT>(mImage->GetWidth()) - 2 * margin;
        const INT top = static_cast<INT>(mImage->GetHeight()) - kBarBottomGap - kBarHeight;
        GpSolidFill* brush = nullptr;
        if (GdipCreateSolidFill(kBarBackground, &brush) == Gdiplus::Ok)
        {
            GdipFillRectangleI(graphics, brush, margin, top, barWidth, kBarHeight);
            GdipDeleteBrush(brush);
        }
        const INT filled = barWidth * mShownPosition / kBarRangeMax;
        if (filled > 0 && GdipCreateSolidFill(mBarColor, &brush) == Gdiplus::Ok)
        {
            GdipFillRectangleI(graphics, brush, margin, top, filled, kBarHeight);
            GdipDeleteBrush(brush);
        }
    }
    GdipDeleteGraphics(graphics);
}
} // namespace Orv
