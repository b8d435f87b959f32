// The start-up image in a borderless pop-up window centred in the work area, with a progress bar
// that can step on by itself while the UI thread is busy loading.
//
// The progress runs on a thread of its own: it keeps the bar's position, its step and the
// stepping timer, and takes the requests (SetProgress, PostStop) as thread messages. The window
// belongs to the thread that called Start (the UI thread, which owns the video connection): the
// splash thread never touches it directly but posts each new bar position to it, and the
// window's own thread draws the image and the bar when it next retrieves its messages.
//
// Start, SetProgress, PostStop and Close are called on the UI thread.
#pragma once

#include "Utilities/Graphics/Bitmap.h"

#include "platform/GdiPlus.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include <atomic>

namespace Orv
{
class LSplashScreen
{
public:
    // Thread messages of the splash thread, and 0x402 also the window's "show the bar at this
    // position" message.
    static constexpr UINT kSetPosition = 0x402;
    static constexpr UINT kStartStepping = 0x404;
    // Thread message, and the window's "draw the bar in this colour" message: wParam a colour
    // (0x00BBGGRR).
    static constexpr UINT kSetBarColor = 0x409;
    // Each step of SetProgress's stepping is a quarter of a step and comes every 250 ms.
    static constexpr UINT kStepInterval = 250;
    static constexpr int kTicksPerStep = 4;
    // How long Start waits for the thread, and Close for its end.
    static constexpr DWORD kStartTimeout = 5000;
    static constexpr DWORD kCloseTimeout = 1000;

    LSplashScreen() = default;
    // Closes the splash when it is still shown.
    ~LSplashScreen();
    LSplashScreen(const LSplashScreen&) = delete;
    LSplashScreen& operator=(const LSplashScreen&) = delete;

    // Takes the image once; later calls change nothing.
    void SetImage(const ConstRCPtr<LBitmap>& bitmap);
    // Without a thread: shows the window and starts the splash thread, waiting at most 5 s for
    // it. Nothing without an image.
    void Start();
    // Sets the bar to low, then moves it on by (high - low) / (steps * 4) every 250 ms, steps * 4
    // times. steps <= 0: the position only.
    void SetProgress(int low, int high, int steps);
    // Stops the stepping and sets the bar to value.
    void PostStop(int value);
    // Draws the bar in the colour (0x00BBGGRR), showing it at 0 first when it is not shown yet.
    void SetBarColor(DWORD color);
    // Ends the thread (waiting at most 1 s) and destroys the window.
    void Close();

    // The splash window (null when none is shown), the splash thread's id (0 without one).
    HWND GetWindow() const { return mWindow; }
    DWORD GetThreadId() const { return mThreadId; }
    // The bar position the window shows, -1 while it shows no bar (window thread).
    int GetShownPosition() const { return mShownPosition; }
    // The bar's colour the window draws, 0xAARRGGBB (window thread).
    ARGB GetShownBarColor() const { return mBarColor; }
    // Whether the splash thread's stepping timer runs. It stops before the thread sends the
    // position that ends the stepping, so once the window shows that position this is false.
    bool IsStepping() const { return mStepping.load(); }
    const WString& GetTitle() const { return mTitle; }

private:
    static DWORD WINAPI ThreadMain(LPVOID parameter);
    void RunThread();
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void Paint();
    bool CreateSplashWindow();

    HANDLE mThread = nullptr;
    std::atomic<DWORD> mThreadId{0};
    HANDLE mStartEvent = nullptr;
    ConstRCPtr<LBitmap> mImage;
    HWND mWindow = nullptr;
    WString mTitle;
    // Window thread: the bar's position as last posted, -1 before the first.
    int mShownPosition = -1;
    ARGB mBarColor = 0xFF2E8BFF;
    std::atomic<bool> mStepping{false};
};
} // namespace Orv
