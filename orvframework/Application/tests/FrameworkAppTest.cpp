// The framework application: its root-window list, the exit request, the run step, the
// platform services and the clocks.
#include "TestApplication.h"
#include "TestControls.h"

#include "System/OSWindow.h"
#include "System/WindowOSServices.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Orv;
using namespace OrvTest;

namespace
{
using FrameworkApp = ApplicationFixture;

// A root window without an operating-system window.
RCPtr<LRootWindow> MakeBareRootWindow()
{
    return RCPtr<LRootWindow>(new LRootWindow(nullptr, nullptr));
}
} // namespace

TEST_F(FrameworkApp, TheApplicationIsReachableWhileItLives)
{
    EXPECT_EQ(GetFrameworkApp(), mApplication.Get());
    EXPECT_STREQ(mApplication->GetCommandLine().GetBuffer(), "orv-test --flag \"two words\"");
    ASSERT_TRUE(mApplication->GetFrameworkStringTable());
    ASSERT_TRUE(mApplication->GetApplicationStringTable());
    WString title;
    EXPECT_TRUE(mApplication->GetApplicationStringTable()->Lookup(L"APP_TITLE", title));
    EXPECT_EQ(title, WString(L"Framework test"));
}

TEST_F(FrameworkApp, RootWindowsAreListedOnceAndRemovedByIdentity)
{
    const RCPtr<LRootWindow> first = MakeBareRootWindow();
    const RCPtr<LRootWindow> second = MakeBareRootWindow();
    const RCPtr<LRootWindow> stranger = MakeBareRootWindow();
    EXPECT_EQ(mApplication->AddRootWindow(first), 0);
    EXPECT_EQ(mApplication->AddRootWindow(second), 1);
    EXPECT_EQ(mApplication->AddRootWindow(first), 0);
    EXPECT_EQ(mApplication->GetRootWindowCount(), 2u);

    EXPECT_LT(mApplication->RemoveRootWindow(stranger.Get()), 0);
    EXPECT_EQ(mApplication->GetRootWindowCount(), 2u);
    EXPECT_EQ(mApplication->RemoveRootWindow(first.Get()), 0);
    EXPECT_EQ(mApplication->GetRootWindow(0).Get(), second.Get());
    EXPECT_FALSE(mApplication->GetRootWindow(5));
}

TEST_F(FrameworkApp, AnExitRequestClosesEveryWindowButTheMainOne)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_GE(mApplication->CreateRootWindow(WString(L"mainControl"), false), 0);
    ASSERT_GE(mApplication->CreateRootWindow(WString(L"mainControl"), false), 0);
    ASSERT_EQ(mApplication->GetRootWindowCount(), 3u);
    std::vector<HWND> closed;
    const RCPtr<LRootWindow> second = mApplication->GetRootWindow(1);
    const RCPtr<LRootWindow> third = mApplication->GetRootWindow(2);

    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();
    mApplication->RegisterNotification(center, L"NID_APP_EXIT_REQ");
    center->PostNotification(LNotification::Create(L"NID_APP_EXIT_REQ"));
    EXPECT_FALSE(mApplication->IsExiting());
    mApplication->ProcessIdle(true);

    EXPECT_TRUE(mApplication->IsExiting());
    // The windows' close requests are carried out by the same pass: the others are gone.
    EXPECT_EQ(mApplication->GetRootWindowCount(), 1u);
    EXPECT_EQ(mApplication->GetRootWindow(0).Get(), main.Get());
    EXPECT_EQ(second->GetServices(), nullptr);
    EXPECT_EQ(third->GetServices(), nullptr);
    EXPECT_NE(main->GetServices(), nullptr);
    EXPECT_FALSE(main->IsCloseRequested());
}

TEST_F(FrameworkApp, TheActiveRootWindowIsTheLastActiveInTheList)
{
    EXPECT_FALSE(mApplication->GetActiveRootWindow());
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_GE(mApplication->CreateRootWindow(WString(L"mainControl"), false), 0);
    const RCPtr<LRootWindow> second = mApplication->GetRootWindow(1);
    PumpMessages();
    SetActiveWindow(main->GetServices()->GetWindowHandle());
    EXPECT_EQ(mApplication->GetActiveRootWindow().Get(), main.Get());
    SetActiveWindow(second->GetServices()->GetWindowHandle());
    EXPECT_EQ(mApplication->GetActiveRootWindow().Get(), second.Get());
}

TEST_F(FrameworkApp, ReleasingTheServicesLetsGoOfTheFactory)
{
    EXPECT_TRUE(mApplication->GetControlFactory());
    EXPECT_EQ(mApplication->ReleaseServices(), S_OK);
    EXPECT_FALSE(mApplication->GetControlFactory());
}

// An application whose message loop fails.
class FailingLoopApplication : public TestApplication
{
public:
    using TestApplication::TestApplication;
    int RunMessageLoop() override
    {
        ++loops;
        throw std::runtime_error("the loop broke");
    }
    void OnBeforeRun() override { ++beforeRun; }
    int loops = 0;
    int beforeRun = 0;
};

TEST(FrameworkAppRun, AFailedMessageLoopShowsTheLocalizedErrorAndAsksToExit)
{
    struct Case
    {
        int language;
        const wchar_t* text;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {9, L"The application encountered a problem and will now close.", L"Application Error"},
        {7, L"In der Anwendung ist ein Problem aufgetreten. Sie wird jetzt beendet.",
         L"Anwendungsfehler"},
        {0x0404, L"應用程式發生問題，即將關閉。", L"應用程式錯誤"},
    };
    for (const Case& c : cases)
    {
        GdiplusSession gdiplus;
        const RCPtr<LControlFactory> factory = MakeFactory(nullptr, c.language);
        RCPtr<FailingLoopApplication> application(new FailingLoopApplication(factory));
        std::vector<std::wstring> shown;
        OrvPlatform::Window::SetMessageBoxHandler(
            [&](HWND, LPCWSTR text, LPCWSTR caption, UINT type)
            {
                shown.push_back(text);
                shown.push_back(caption);
                EXPECT_EQ(type, static_cast<UINT>(MB_ICONERROR));
                return IDOK;
            });
        application->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(),
                                          L"NID_APP_EXIT_REQ");
        application->Run();
        OrvPlatform::Window::SetMessageBoxHandler(nullptr);

        EXPECT_EQ(application->beforeRun, 1);
        EXPECT_EQ(application->loops, 1);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], c.text) << c.language;
        EXPECT_EQ(shown[1], c.caption) << c.language;
        // The exit request was delivered by the last idle pass.
        EXPECT_TRUE(application->IsExiting());
        application->ReleaseServices();
        application = nullptr;
        SetControlFactory(nullptr);
    }
}

TEST(FrameworkAppClock, ElapsedSecondsFollowTheMillisecondClockAcrossItsWrap)
{
    const RCPtr<LControlFactory> factory = MakeFactory(nullptr);
    RCPtr<TestApplication> application(new TestApplication(factory, 0xFFFFF000u));
    LManualClock& clock = *application->GetClock();
    EXPECT_EQ(application->GetTimeMs(), 0xFFFFF000u);
    EXPECT_DOUBLE_EQ(application->GetElapsedSeconds(), 0.0);
    clock.Advance(0x1000 + 250);
    EXPECT_EQ(application->GetTimeMs(), 250u);
    EXPECT_DOUBLE_EQ(application->GetElapsedSeconds(), 4.346);
    clock.Advance(1654);
    EXPECT_DOUBLE_EQ(application->GetElapsedSeconds(), 6.0);
    EXPECT_DOUBLE_EQ(application->GetElapsedSeconds(), 6.0);
    application = nullptr;
    SetControlFactory(nullptr);
}

TEST_F(FrameworkApp, ThePlatformServicesAnswerFromTheWindowSystem)
{
    WString name;
    float size = 0;
    int style = -1;
    ASSERT_EQ(mApplication->GetSystemFont(name, size, style), S_OK);
    LOGFONTW font{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0));
    EXPECT_EQ(name, WString(font.lfFaceName));
    EXPECT_FLOAT_EQ(size, static_cast<float>(std::abs(font.lfHeight)) * 72.0f / 96.0f);
    EXPECT_GT(size, 0.0f);
    EXPECT_EQ(style, 0);

    RectT<LONG> work;
    ASSERT_EQ(mApplication->GetWorkArea(work), S_OK);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(work,
              RectT<LONG>(area.left, area.top, area.right - area.left, area.bottom - area.top));

    EXPECT_EQ(mApplication->GetCursor(WString(L"UI_CURSOR_ARROW")),
              LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_NE(mApplication->GetCursor(WString(L"UI_CURSOR_WAIT")), nullptr);
    EXPECT_EQ(mApplication->GetCursor(WString(L"UI_CURSOR_NOTHING")), nullptr);

    BYTE down = 7;
    BYTE toggled = 7;
    EXPECT_EQ(mApplication->GetKeyState(VK_SHIFT, down, toggled), S_OK);
    EXPECT_EQ(down, 0);
    EXPECT_EQ(toggled, 0);
    EXPECT_EQ(mApplication->GetMouseButtons(), 0u);
}

TEST_F(FrameworkApp, AWindowForAnUnknownControlIsRefused)
{
    EXPECT_THROW(mApplication->CreateRootWindow(WString(L"noSuchControl"), false),
                 Exception<std::runtime_error>);
    EXPECT_EQ(mApplication->RunModalRootWindow(WString(L"noSuchControl"), 0), E_FAIL);
    EXPECT_EQ(mApplication->GetRootWindowCount(), 0u);
}

TEST_F(FrameworkApp, AWindowForAControlIsTitledAndSizedByItsDescriptor)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_TRUE(main);
    HWND window = main->GetServices()->GetWindowHandle();
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Test window");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 200);
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_TRUE(main->GetRootControl());
    EXPECT_EQ(main->GetRootControl()->GetRect(), RectT<double>(0, 0, 320, 200));
}
