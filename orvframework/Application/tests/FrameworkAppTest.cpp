// The framework application: its root-window list, the exit request, the run step, the
// platform services and the clocks.
#include "TestApplication.h"
#include "TestControls.h"

#include "System/OSWindow.h"
#include "System/WindowOSServices.h"
#include "notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

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

TEST(FrameworkStrings, TheOpenGLErrorTextsAreTranslatedWithTheirFormatsInOrder)
{
    // The OpenGL renderer fills in only %d then %s; a translation must keep both, in that order.
    const wchar_t* const ids[] = {
        L"GL_ERROR_CAPTION",
        L"GL_ERROR_UPDATE_DRIVER",
        L"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT",
        L"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT",
        L"GL_ERROR_MESSAGE_CREATE_CONTEXT",
        L"GL_ERROR_MESSAGE_GET_PROC_ADDRESS",
        L"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT",
    };
    // The languages of the test application's own table (the application's language decides
    // the framework table's).
    const int languages[] = {0x0009, 0x0007, 0x0404};
    std::set<std::wstring> captions;
    for (const int language : languages)
    {
        const RCPtr<LControlFactory> factory = MakeFactory(nullptr, language);
        RCPtr<LStringTable> table;
        ASSERT_TRUE(factory->GetFrameworkStringTable(table)) << language;
        for (const wchar_t* id : ids)
        {
            WString text;
            ASSERT_TRUE(table->Lookup(id, text)) << language;
            const std::wstring value(text.GetBuffer());
            const bool formatted = std::wstring(id).find(L"PROC_ADDRESS") != std::wstring::npos ||
                                   std::wstring(id).find(L"MAKE_CONTEXT") != std::wstring::npos;
            const auto number = value.find(L"%d");
            const auto name = value.find(L"%s");
            if (formatted)
            {
                EXPECT_TRUE(number != std::wstring::npos && name != std::wstring::npos &&
                            number < name)
                    << language;
            }
            else
            {
                EXPECT_EQ(value.find(L'%'), std::wstring::npos) << language;
            }
            if (std::wstring(id) == L"GL_ERROR_CAPTION")
            {
                captions.insert(value);
            }
        }
        SetControlFactory(nullptr);
    }
    EXPECT_EQ(captions,
              (std::set<std::wstring>{L"OpenGL Error", L"OpenGL-Fehler", L"OpenGL 錯誤"}));
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

    // The local time, field by field from the system's reading (a minute boundary between the
    // two readings is taken again).
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        SYSTEMTIME before{};
        ::GetLocalTime(&before);
        int fields[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        ASSERT_EQ(mApplication->GetLocalTime(fields[0], fields[1], fields[2], fields[3], fields[4],
                                             fields[5], fields[6], fields[7]),
                  S_OK);
        if (fields[5] != before.wMinute)
        {
            continue;
        }
        const int expected[6] = {before.wYear, before.wMonth, before.wDayOfWeek,
                                 before.wDay,  before.wHour,  before.wMinute};
        for (int i = 0; i < 6; ++i)
        {
            EXPECT_EQ(fields[i], expected[i]) << i;
        }
        EXPECT_GE(fields[6], before.wSecond);
        EXPECT_LT(fields[7], 1000);
        break;
    }
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

namespace
{
// The timers of the window layer stand still while it is installed, so that only the test's own
// messages start idle periods.
DWORD FrozenTimerClock()
{
    return 1000;
}

// Posts a thread message that starts a new idle period.
void PostWakeUp()
{
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 7, 0, 0);
}
} // namespace

TEST_F(FrameworkApp, AnIdlePeriodRunsAtMostThreePassesAndSendsIdleInTheFirst)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    OrvPlatform::Window::SetTimerClock(&FrozenTimerClock);
    RCPtr<CountingClient> idle(new CountingClient);
    idle->RegisterNotification(RCPtr<LNotificationDistributor>(main.Get()), L"NID_IDLE");
    // While keepBusy holds, every delivery posts the notification again: a pass always leaves
    // more pending.
    RCPtr<CountingClient> busy(new CountingClient);
    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();
    busy->RegisterNotification(center, L"NID_TEST_BUSY");
    bool keepBusy = true;
    busy->onReceive = [&](const std::wstring&)
    {
        if (keepBusy)
        {
            center->PostNotification(LNotification::Create(L"NID_TEST_BUSY"));
        }
    };

    TestLoop loop;
    loop.m_pMainWnd = dynamic_cast<OSWindow*>(main->GetServices());
    std::vector<std::vector<LONG>> periods;
    loop.onIdle = [&](LONG count)
    {
        if (count == 0)
        {
            periods.emplace_back();
        }
        periods.back().push_back(count);
        // Each period ends by the loop's own rule; the test then starts the next one, until the
        // fourth, which quits.
        if (periods.size() == 4)
        {
            PostQuitMessage(0);
        }
        else if (count == 2 || !keepBusy)
        {
            keepBusy = periods.size() < 2;
            PostWakeUp();
        }
    };
    center->PostNotification(LNotification::Create(L"NID_TEST_BUSY"));
    loop.Run();
    OrvPlatform::Window::SetTimerClock(nullptr);

    // Busy: counts 0, 1, 2; idle: one pass. "NID_IDLE" once per period that ran passes.
    ASSERT_EQ(periods.size(), 4u);
    EXPECT_EQ(periods[0], (std::vector<LONG>{0, 1, 2}));
    EXPECT_EQ(periods[1], (std::vector<LONG>{0, 1, 2}));
    EXPECT_EQ(periods[2], (std::vector<LONG>{0}));
    EXPECT_EQ(idle->Count(L"NID_IDLE"), 4);
    idle->UnregisterAllNotifications();
    busy->UnregisterAllNotifications();
}

TEST_F(FrameworkApp, OnceExitingTheLoopRunsNoPassButAModalLoopStillDoes)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    RCPtr<CountingClient> client(new CountingClient);
    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();
    client->RegisterNotification(center, L"NID_TEST");
    mApplication->RegisterNotification(center, L"NID_APP_EXIT_REQ");
    center->PostNotification(LNotification::Create(L"NID_APP_EXIT_REQ"));
    EXPECT_FALSE(LFrameworkApp::OnMessageLoopIdle(0));
    ASSERT_TRUE(mApplication->IsExiting());

    center->PostNotification(LNotification::Create(L"NID_TEST"));
    EXPECT_FALSE(LFrameworkApp::OnMessageLoopIdle(0));
    EXPECT_EQ(client->Count(L"NID_TEST"), 0);
    // The kick-idle message of a modal loop.
    SendMessageW(main->GetServices()->GetWindowHandle(), WM_KICKIDLE, MSGF_DIALOGBOX, 0);
    EXPECT_EQ(client->Count(L"NID_TEST"), 1);
    client->UnregisterAllNotifications();
}

TEST_F(FrameworkApp, WithoutWindowsAPassIsTheCentresAnswer)
{
    RCPtr<CountingClient> client(new CountingClient);
    const RCPtr<LNotificationCenter> center = LFrameworkApp::GetApplicationNotificationCenter();
    client->RegisterNotification(center, L"NID_TEST");
    EXPECT_FALSE(mApplication->ProcessIdle(true));
    center->PostNotification(LNotification::Create(L"NID_TEST"));
    client->onReceive = [&](const std::wstring&)
    { center->PostNotification(LNotification::Create(L"NID_TEST_LATER")); };
    EXPECT_TRUE(mApplication->ProcessIdle(true));
    EXPECT_EQ(client->Count(L"NID_TEST"), 1);
    EXPECT_FALSE(mApplication->ProcessIdle(false));
    client->UnregisterAllNotifications();
}

TEST_F(FrameworkApp, ASkinIndexIsBroughtIntoTheLoadedSkinsAndAppliedToEveryWindow)
{
    const RCPtr<LRootWindow> main = MakeMainWindow();
    HWND window = main->GetServices()->GetWindowHandle();
    struct Case
    {
        int asked;
        int current;
        float fontSize;
        std::uint32_t background;
    };
    // Panels (grey, font size 10), Inverted (blue, 12), Third (green, the system font's size).
    const Case cases[] = {
        {1, 1, 12.0f, 0xFF2040E0u}, {-1, 0, 10.0f, 0xFF404040u}, {99, 2, 0.0f, 0xFF20C040u},
        {2, 2, 0.0f, 0xFF20C040u},  {0, 0, 10.0f, 0xFF404040u},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(mApplication->SetSkin(c.asked), S_OK) << c.asked;
        EXPECT_EQ(mFactory->GetCurrentSkinIndex(), c.current) << c.asked;
        ASSERT_TRUE(mApplication->GetSkinFont());
        if (c.fontSize > 0)
        {
            EXPECT_FLOAT_EQ(mApplication->GetSkinFont()->GetSize(), c.fontSize) << c.asked;
        }
        PumpMessages();
        std::uint32_t pixel = 0;
        std::vector<std::uint32_t> pixels(320 * 200);
        ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), 320, 200));
        pixel = pixels[5 * 320 + 5];
        EXPECT_EQ(pixel, c.background) << c.asked;
    }
}

TEST_F(FrameworkApp, StartUpBindsTheHotKeysOfTheApplicationsStringTable)
{
    const RCPtr<LGlobalHotKeyManager> hotKeys = mApplication->GetHotKeyManager();
    ASSERT_TRUE(hotKeys);
    EXPECT_FALSE(hotKeys->IsHotKeyNotification(WString(L"NID_TEST_APP_HOTKEY")));
    ASSERT_EQ(mApplication->RunApplicationStartup(), S_OK);

    struct Case
    {
        const wchar_t* key;
        const char* bound;
    };
    const Case cases[] = {
        {L"VKEY_F7", "NID_TEST_APP_HOTKEY"},
        {L"VKEY_F8", "NID_TEST_APP_SHARED"},
        {L"Ctrl+VKEY_2", "NID_TEST_APP_CTRL2"},
        {L"VKEY_F4", "NID_TEST_APP_F4"},
        // Outside the "GHK." prefix, and the main window's own hot key.
        {L"VKEY_F9", ""},
        {L"VKEY_F6", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(std::string(hotKeys->GetNotificationForKey(KeyCode::Parse(WString(c.key)))
                                  .ToNarrow()
                                  .GetBuffer()),
                  c.bound)
            << WString(c.key).ToNarrow().GetBuffer();
    }
    // Entries whose text names no key bind nothing.
    for (const wchar_t* name :
         {L"NID_TEST_APP_UNKNOWN", L"NID_TEST_APP_EMPTY", L"NID_TEST_APP_NOT_LOADED"})
    {
        EXPECT_FALSE(hotKeys->IsHotKeyNotification(WString(name)))
            << WString(name).ToNarrow().GetBuffer();
    }

    // A bound key is posted into the "application" centre and delivered in the idle pass.
    RCPtr<CountingClient> client(new CountingClient);
    client->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(),
                                 L"NID_TEST_APP_HOTKEY");
    EXPECT_EQ(hotKeys->ProcessKey(LKeyParam::Create(KeyCode::Parse(WString(L"VKEY_F7")), false)),
              S_OK);
    EXPECT_EQ(client->Count(L"NID_TEST_APP_HOTKEY"), 0);
    mApplication->ProcessIdle(false);
    EXPECT_EQ(client->Count(L"NID_TEST_APP_HOTKEY"), 1);
    client->UnregisterAllNotifications();

    // A root window binds the hot keys of its root control's string table, and lets them go
    // with the control.
    const RCPtr<LRootWindow> window = MakeBareRootWindow();
    ASSERT_EQ(window->CreateRootControl(WString(L"mainControl")), S_OK);
    EXPECT_TRUE(
        window->GetHotKeyManager()->IsHotKeyNotification(WString(L"NID_TEST_WINDOW_HOTKEY")));
    EXPECT_FALSE(window->GetHotKeyManager()->IsHotKeyNotification(WString(L"NID_TEST_APP_HOTKEY")));
    EXPECT_EQ(window->SetRootControl(nullptr), S_OK);
    EXPECT_FALSE(
        window->GetHotKeyManager()->IsHotKeyNotification(WString(L"NID_TEST_WINDOW_HOTKEY")));

    EXPECT_EQ(mApplication->ReleaseServices(), S_OK);
    EXPECT_FALSE(mApplication->GetHotKeyManager());
}

TEST(FrameworkAppSkins, WithoutSkinsStartUpSelectsNoneAndSetSkinFails)
{
    GdiplusSession gdiplus;
    const RCPtr<LControlFactory> factory = MakeFactory(nullptr);
    RCPtr<TestApplication> application(new TestApplication(factory));
    EXPECT_EQ(application->RunApplicationStartup(), S_OK);
    EXPECT_EQ(application->SetSkin(0), E_FAIL);
    EXPECT_FALSE(application->GetSkinFont());
    application->ReleaseServices();
    application = nullptr;
    SetControlFactory(nullptr);
}

namespace
{
// An application whose stored skin index is what the test says.
class StoredSkinApplication : public TestApplication
{
public:
    StoredSkinApplication(const RCPtr<LControlFactory>& factory, int stored)
        : TestApplication(factory)
        , mStored(stored)
    {
    }
    int GetStoredSkinIndex() override { return mStored; }

private:
    int mStored;
};
} // namespace

TEST(FrameworkAppStartup, TheStoredSkinIndexIsBroughtIntoTheLoadedSkins)
{
    GdiplusSession gdiplus;
    struct Case
    {
        int stored;
        int selected;
    };
    // The fixture holds three skins.
    const Case cases[] = {{5, 2}, {1, 1}, {2, 2}, {0, 0}, {-1, 0}, {-40, 0}};
    for (const Case& c : cases)
    {
        const RCPtr<LControlFactory> factory = MakeFactory("WindowSkin.xml");
        RegisterTestControls(*factory);
        RCPtr<StoredSkinApplication> application(new StoredSkinApplication(factory, c.stored));
        // Another skin is current before the start-up.
        factory->SetCurrentSkinIndex((c.selected + 1) % 3);
        EXPECT_EQ(application->RunApplicationStartup(), S_OK) << c.stored;
        EXPECT_EQ(factory->GetCurrentSkinIndex(), c.selected) << c.stored;
        EXPECT_TRUE(application->GetSkinFont()) << c.stored;
        application->ReleaseServices();
        application = nullptr;
        SetControlFactory(nullptr);
    }
}

namespace
{
// An application whose user settings file lies in a folder the test chose.
class SettingsApplication : public TestApplication
{
public:
    SettingsApplication(const RCPtr<LControlFactory>& factory, std::string path)
        : TestApplication(factory)
        , mPath(std::move(path))
    {
    }
    IniFileHandle GetSettingsFile(int which) override
    {
        if (which != kUserSettings)
        {
            return 0;
        }
        if (mFile == 0)
        {
            WString path;
            path.AssignUtf8(mPath.c_str());
            GetSettingsManager()->OpenFile(path, L"", L"FrameworkTest", mFile);
        }
        return mFile;
    }

private:
    std::string mPath;
    IniFileHandle mFile = 0;
};
} // namespace

TEST(FrameworkAppStartup, TheChosenSkinIsSelectedAgainAfterARestart)
{
    GdiplusSession gdiplus;
    std::string folder = "/tmp/orv-skin-index-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string path = folder + "/UserSettings.ini";
    for (int run = 0; run < 2; ++run)
    {
        const RCPtr<LControlFactory> factory = MakeFactory("WindowSkin.xml");
        RegisterTestControls(*factory);
        RCPtr<SettingsApplication> application(new SettingsApplication(factory, path));
        EXPECT_EQ(application->RunApplicationStartup(), S_OK);
        // The first run finds no settings; the second the skin the first one chose.
        EXPECT_EQ(factory->GetCurrentSkinIndex(), run == 0 ? 0 : 2);
        EXPECT_EQ(application->GetStoredSkinIndex(), run == 0 ? 0 : 2);
        if (run == 0)
        {
            EXPECT_EQ(application->SetSkin(2), S_OK);
            EXPECT_EQ(application->GetStoredSkinIndex(), 2);
        }
        application->ReleaseServices();
        // The settings are written when the application's manager closes its files.
        application = nullptr;
        SetControlFactory(nullptr);
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("<key>CurrentSkinIndex</key><integer>2</integer>"), std::string::npos)
        << text.str();
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

namespace
{
// An application whose system font query fails.
class FontlessApplication : public TestApplication
{
public:
    using TestApplication::TestApplication;
    ORVRESULT GetSystemFont(WString&, float&, int&) override { return E_OUTOFMEMORY; }
};
} // namespace

TEST(FrameworkAppSkins, AFailedSystemFontNamesTheSkinSelectionsSourceAndLine)
{
    GdiplusSession gdiplus;
    const RCPtr<LControlFactory> factory = MakeFactory("WindowSkin.xml");
    RCPtr<FontlessApplication> application(new FontlessApplication(factory));
    factory->SetCurrentSkinIndex(1);
    try
    {
        application->SetSkin(2);
        ADD_FAILURE() << "SetSkin went on without a system font";
    }
    catch (const std::exception& error)
    {
        EXPECT_STREQ(error.what(), "Failed Result : ORVRESULT = 8007000E : "
                                   "Orv::LFrameworkApp::SetSkin : Application\\FrameworkApp : "
                                   "Line 234");
    }
    // Nothing changed.
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 1);
    EXPECT_FALSE(application->GetSkinFont());
    application->ReleaseServices();
    application = nullptr;
    SetControlFactory(nullptr);
}
