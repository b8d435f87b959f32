// The application object and the program object in this process: the folders and the settings
// files where the user's and the system's data folders are, nothing written when a folder cannot
// be had, a start-up that fails, and a whole start-up to the painted main window that takes a
// command line handed over by a later start.
#include "Application.h"
#include "FrameworkWinMain.h"
#include "SingleInstance.h"
#include "System/SplashScreen.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "UpdateEngine.h"
#include "VirtualDisplay.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"

#include "ScopedEnvironment.h"
#include "platform/Resources.h"
#include "platform/User32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using Orv::MFCFrameworkApp;
using Orv::RCPtr;
using Orv::WString;

namespace fs = std::filesystem;
using OrvTest::ReadFile;
using OrvTest::TempFolder;

const bool kOffscreen = []
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    return true;
}();

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// Every file below a folder.
std::vector<std::string> FilesBelow(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    {
        if (entry.is_regular_file())
        {
            files.push_back(entry.path().string());
        }
    }
    return files;
}

const char* const kProductFolders = "Halvex DJ/Brelune VANTA Firmware Updater";

TEST(Folders, ByIdAndTheirNames)
{
    TempFolder temp;
    OrvTest::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", temp.Path() + "/user");
    environment.Set("XDG_DATA_DIRS", temp.Path() + "/system:/usr/share");
    environment.Set("XDG_DOCUMENTS_DIR", temp.Path() + "/documents");
    fs::create_directories(temp.Path() + "/system");
    MFCFrameworkApp<LApplication> program(temp.Path());

    EXPECT_EQ(Narrow(program.GetFolder(1)), "::");
    // The product's folders below the user's and the system's data folders, made on the way.
    EXPECT_EQ(Narrow(program.GetFolder(3)), temp.Path() + "/user/" + kProductFolders);
    EXPECT_EQ(Narrow(program.GetFolder(2)), temp.Path() + "/system/" + kProductFolders);
    EXPECT_TRUE(fs::is_directory(temp.Path() + "/user/" + kProductFolders));
    EXPECT_TRUE(fs::is_directory(temp.Path() + "/system/" + kProductFolders));
    EXPECT_EQ(Narrow(program.GetFolder(4)), temp.Path() + "/documents");
    // The program's folder: this test program's.
    EXPECT_EQ(Narrow(program.GetFolder(0)),
              fs::read_symlink("/proc/self/exe").parent_path().string());
    for (const int id : {-1, 5})
    {
        try
        {
            program.GetFolder(id);
            ADD_FAILURE() << "no exception for id " << id;
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_NE(std::string(error.what()).find("Unknown Path ID."), std::string::npos);
            EXPECT_NE(std::string(error.what()).find("MFCFrameworkApp"), std::string::npos);
        }
    }

    struct Case
    {
        const wchar_t* name;
        const char* folder;
    };
    const Case cases[] = {
        {L"Halvex DJ", "Halvex DJ"},
        {L"A:B&C", "A_B_C"},
        {L"a\\b/c:d*e?f\"g<h>i|j&k;l,m^n(o)p", "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p"},
        {L"..", ".."},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Narrow(MFCFrameworkApp<LApplication>::FolderName(WString(c.name))), c.folder);
    }
}

TEST(SettingsFiles, UserAndApplicationFilesInTheirFolders)
{
    TempFolder temp;
    OrvTest::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", temp.Path() + "/user");
    environment.Set("XDG_DATA_DIRS", temp.Path() + "/system");
    fs::create_directories(temp.Path() + "/system");
    MFCFrameworkApp<LApplication> program(temp.Path());
    const RCPtr<LApplication> application(new LApplication(nullptr, nullptr, WString(L"updater")));

    const Orv::IniFileHandle user = application->GetSettingsFile(LApplication::kUserSettings);
    const Orv::IniFileHandle common =
        application->GetSettingsFile(LApplication::kApplicationSettings);
    ASSERT_NE(user, 0u);
    ASSERT_NE(common, 0u);
    EXPECT_NE(user, common);
    // Opened once, then the same.
    EXPECT_EQ(application->GetSettingsFile(LApplication::kUserSettings), user);
    const RCPtr<Orv::LIniFileManager> settings = application->GetSettingsManager();
    EXPECT_EQ(settings->SetInt(user, WString(L"CurrentSkinIndex"), 3), 0);
    EXPECT_EQ(settings->SetString(common, WString(L"Note"), WString(L"common")), 0);
    application->ReleaseServices();

    const fs::path userFile = temp.Path() + "/user/" + kProductFolders + "/UserSettings.ini";
    const fs::path commonFile = temp.Path() + "/system/" + kProductFolders + "/AppSettings.ini";
    ASSERT_TRUE(fs::exists(userFile));
    ASSERT_TRUE(fs::exists(commonFile));
    // Each value below the version level "1_0_0".
    const std::string userText = ReadFile(userFile);
    EXPECT_NE(userText.find("<key>1_0_0</key>"), std::string::npos) << userText;
    EXPECT_NE(userText.find("<key>CurrentSkinIndex</key>"), std::string::npos) << userText;
    EXPECT_NE(ReadFile(commonFile).find("<string>common</string>"), std::string::npos);
    EXPECT_EQ(FilesBelow(temp.Path()).size(), 2u);

    // The next run reads what this one stored.
    const RCPtr<LApplication> next(new LApplication(nullptr, nullptr, WString(L"updater")));
    EXPECT_EQ(next->GetStoredSkinIndex(), 3);
    next->ReleaseServices();
}

TEST(SettingsFiles, NothingIsWrittenWhenTheFolderIsNotKnown)
{
    TempFolder temp;
    OrvTest::ScopedEnvironment environment;
    // The data folders lie below a file: they cannot be made.
    std::ofstream(temp.Path() + "/file") << "x";
    environment.Set("XDG_DATA_HOME", temp.Path() + "/file/user");
    environment.Set("XDG_DATA_DIRS", temp.Path() + "/file/system");
    environment.Set("HOME", temp.Path() + "/file/home");
    const fs::path oldWorkingFolder = fs::current_path();
    fs::create_directories(temp.Path() + "/work");
    fs::current_path(temp.Path() + "/work");
    {
        MFCFrameworkApp<LApplication> program(temp.Path());
        EXPECT_TRUE(program.GetFolder(3).IsEmpty());
        EXPECT_TRUE(program.GetFolder(2).IsEmpty());
        const RCPtr<LApplication> application(
            new LApplication(nullptr, nullptr, WString(L"updater")));
        EXPECT_EQ(application->GetSettingsFile(LApplication::kUserSettings), 0u);
        EXPECT_EQ(application->GetSettingsFile(LApplication::kApplicationSettings), 0u);
        // Selecting a skin stores nothing, and reading gives the default.
        EXPECT_EQ(application->GetStoredSkinIndex(), 0);
        application->ReleaseServices();
    }
    fs::current_path(oldWorkingFolder);
    // Not in the working folder, not at the root, not anywhere else in the test's folder.
    EXPECT_EQ(FilesBelow(temp.Path()), std::vector<std::string>{temp.Path() + "/file"});
    EXPECT_FALSE(fs::exists("/UserSettings.ini"));
    EXPECT_FALSE(fs::exists("/AppSettings.ini"));
}

// An application whose start-up fails with E_INVALIDARG.
class FailingApplication : public LApplication
{
public:
    using LApplication::LApplication;
    Orv::ORVRESULT RunApplicationStartup() override { return E_INVALIDARG; }
};

TEST(Startup, FailureIsShownAndEndsWithItsStatus)
{
    TempFolder temp;
    OrvTest::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", temp.Path() + "/user");
    struct Shown
    {
        std::wstring text;
        std::wstring caption;
        UINT type = 0;
        int count = 0;
    } shown;
    OrvPlatform::Window::SetMessageBoxHandler(
        [&](HWND, LPCWSTR text, LPCWSTR caption, UINT type)
        {
            shown.text = text;
            shown.caption = caption;
            shown.type = type;
            ++shown.count;
            return IDOK;
        });
    int status = 0;
    {
        MFCFrameworkApp<FailingApplication> program(temp.Path());
        status = Orv::FrameworkWinMain<FailingApplication>(nullptr, nullptr, L"updater", SW_SHOW,
                                                           -1, L"Splash.png");
        EXPECT_EQ(MFCFrameworkApp<FailingApplication>::GetApplication().Get(), nullptr);
    }
    OrvPlatform::Window::SetMessageBoxHandler(nullptr);
    EXPECT_EQ(status, Orv::kStartupFailedStatus);
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.text, L"The application encountered problems during startup and will now "
                          L"close.  (Error code = " +
                              std::to_wstring(static_cast<int>(E_INVALIDARG)) + L")");
    EXPECT_EQ(shown.caption, L"Application Error");
    EXPECT_EQ(shown.type & 0xF0, static_cast<UINT>(MB_ICONERROR));
}

// An application that, once its main window is painted, has a later start hand a command line
// over, photographs the window, and ends when the command line has arrived.
class ShownApplication : public LApplication
{
public:
    using LApplication::LApplication;

    static inline std::string instanceFolder;
    static inline std::vector<std::uint32_t> pixels;
    static inline int width = 0;
    static inline int height = 0;
    static inline std::vector<std::wstring> handedOver;
    static inline std::wstring title;
    static inline HICON bigIcon = nullptr;
    static inline HICON smallIcon = nullptr;

    void OnBeforeRun() override
    {
        const RCPtr<Orv::LRootWindow>& main = GetRootWindow(0);
        ASSERT_TRUE(main);
        const HWND window = main->GetServices()->GetWindowHandle();
        RECT client{};
        ::GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        OrvTest::PumpMessages();
        pixels.assign(static_cast<std::size_t>(width) * height, 0);
        EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(window, pixels.data(), width, height));
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        title = text;
        bigIcon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_BIG, 0));
        smallIcon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        Orv::SingleInstance later(
            instanceFolder,
            (Orv::GetMainWindowClassName() + WString(L"Prevent")).ToNarrow().GetBuffer(),
            Orv::SingleInstance::Timings(), Orv::GetSystemClock());
        EXPECT_EQ(later.Acquire(), Orv::SingleInstance::kOther);
        EXPECT_EQ(later.HandOver(WString(L"updater -FIRMWARE_IMAGE_NAME=\"a b.dfu\"")),
                  Orv::SingleInstance::kTaken);
    }

    Orv::ORVRESULT ReceiveCommandLine(const WString& text) override
    {
        handedOver.emplace_back(text.GetBuffer(), text.GetLength());
        ::PostQuitMessage(0);
        return LApplication::ReceiveCommandLine(text);
    }
};

// The program object of the test below: photographs its splash screen once it is shown.
class SplashProgram : public MFCFrameworkApp<ShownApplication>
{
public:
    using MFCFrameworkApp<ShownApplication>::MFCFrameworkApp;

    void ShowSplash() override
    {
        MFCFrameworkApp<ShownApplication>::ShowSplash();
        Orv::LSplashScreen* splash = GetSplash();
        ASSERT_NE(splash, nullptr);
        ASSERT_NE(splash->GetWindow(), 0u);
        EXPECT_TRUE(splash->CopyShownPixels(splashPixels, splashWidth, splashHeight));
    }

    std::vector<std::uint32_t> splashPixels;
    int splashWidth = 0;
    int splashHeight = 0;
};

TEST(Startup, MainWindowShownAndCommandLineHandedOver)
{
    TempFolder temp;
    OrvTest::ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", temp.Path() + "/user");
    environment.Set("XDG_DATA_DIRS", temp.Path() + "/system");
    fs::create_directories(temp.Path() + "/system");
    // The splash shows on an X server of its own; the windows stay on SDL's offscreen driver.
    OrvTest::VirtualDisplay display;
    ASSERT_TRUE(display.Start(640, 480)) << "Xvfb could not be started";
    environment.Set("DISPLAY", display.Name());
    // No session bus is started through the display for the libraries that look for one.
    environment.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orv-test-bus");
    ShownApplication::instanceFolder = temp.Path();
    int status = -1;
    std::vector<std::uint32_t> splash;
    int splashWidth = 0;
    int splashHeight = 0;
    {
        SplashProgram program(temp.Path());
        status = Orv::FrameworkWinMain<ShownApplication>(nullptr, nullptr, L"updater", SW_SHOW, -1,
                                                         L"Splash.png");
        EXPECT_TRUE(program.IsFirstInstance());
        // Closed once the main window is shown.
        EXPECT_EQ(program.GetSplash(), nullptr);
        splash = program.splashPixels;
        splashWidth = program.splashWidth;
        splashHeight = program.splashHeight;
    }
    // The splash image from the resources, at its size.
    ASSERT_EQ(splashWidth, 420);
    ASSERT_GE(splashHeight, 200);
    OrvTest::SavePng(splash.data(), splashWidth, splashHeight,
                     std::string(ORV_TEST_ARTEFACTS) + "/splash.png");
    EXPECT_EQ(splash[10 * splashWidth + 400] & 0xFFFFFFu, 0x1B2430u);  // the background
    EXPECT_EQ(splash[152 * splashWidth + 200] & 0xFFFFFFu, 0x2E7DD1u); // the image's band
    EXPECT_EQ(status, 0);
    ASSERT_EQ(ShownApplication::handedOver.size(), 1u);
    EXPECT_EQ(ShownApplication::handedOver[0], L"updater -FIRMWARE_IMAGE_NAME=\"a b.dfu\"");
    EXPECT_EQ(ShownApplication::title, L"Brelune VANTA Firmware Updater");
    // The window shows the program's icon.
    const HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ShownApplication::bigIcon, icon);
    EXPECT_EQ(ShownApplication::smallIcon, icon);

    // The main window at the skin's size, on its background image.
    ASSERT_EQ(ShownApplication::width, 480);
    ASSERT_EQ(ShownApplication::height, 352);
    OrvTest::SavePng(ShownApplication::pixels.data(), ShownApplication::width,
                     ShownApplication::height,
                     std::string(ORV_TEST_ARTEFACTS) + "/main-window.png");
    auto at = [](int x, int y)
    { return ShownApplication::pixels[y * ShownApplication::width + x] & 0xFFFFFFu; };
    EXPECT_EQ(at(240, 3), 0x2E7DD1u);   // the band along the top
    EXPECT_EQ(at(400, 250), 0x202A36u); // the background
    // The user settings keep the skin chosen at start-up, in the user's data folder.
    EXPECT_TRUE(fs::exists(temp.Path() + "/user/" + kProductFolders + "/UserSettings.ini"));
}
} // namespace

namespace
{
// Whether the calling thread's queue holds the quit message (the queue is emptied).
bool QuitPosted()
{
    bool quit = false;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        quit = quit || msg.message == WM_QUIT;
    }
    return quit;
}

TEST(Application, ExitIsRefusedWhileAnUpdateIsWritten)
{
    const RCPtr<LUpdateEngineInterface> engine(LUpdateEngine::Create().Get());
    const RCPtr<LApplication> application(
        new LApplication(nullptr, nullptr, WString(L"updater"), engine));
    ASSERT_EQ(application->RunApplicationStartup(), S_OK);
    ASSERT_TRUE(application->GetUpdateProcessor());
    QuitPosted();
    const auto exitRequest = [&]
    { application->ReceiveNotification(nullptr, Orv::LNotification::Create(L"NID_APP_EXIT_REQ")); };

    engine->SetDeviceState(LUpdateEngineInterface::kDeviceUpdating);
    EXPECT_FALSE(application->MayExit());
    exitRequest();
    EXPECT_FALSE(application->IsExiting());
    EXPECT_FALSE(QuitPosted());

    engine->SetDeviceState(LUpdateEngineInterface::kDeviceNormalMode);
    EXPECT_TRUE(application->MayExit());
    exitRequest();
    EXPECT_TRUE(application->IsExiting());
    EXPECT_TRUE(QuitPosted());
    // Other notifications go to the framework, which ignores them.
    application->ReceiveNotification(nullptr, Orv::LNotification::Create(L"NID_IDLE"));
    application->ReleaseServices();
    Orv::GetApplicationNotificationCenter()->Clear();
}
TEST(Application, SplitCursorsAndIconAreTheProgramsOwnOtherCursorsTheFrameworks)
{
    const RCPtr<LApplication> application(new LApplication(nullptr, nullptr, WString(L"updater")));
    const HINSTANCE program = ::GetModuleHandleW(nullptr);
    struct Case
    {
        const wchar_t* name;
        HCURSOR expected;
    };
    const Case cases[] = {
        {L"UI_CURSOR_SPLIT_H", ::LoadCursorW(program, MAKEINTRESOURCEW(102))},
        {L"UI_CURSOR_SPLIT_V", ::LoadCursorW(program, MAKEINTRESOURCEW(103))},
        {L"UI_CURSOR_WAIT", OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_WAIT")},
        {L"UI_CURSOR_ARROW", ::LoadCursorW(nullptr, IDC_ARROW)},
        {L"UI_CURSOR_SIZE_NS", OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_SIZE_NS")},
        {L"UI_CURSOR_NOTHING", nullptr},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(application->GetCursor(WString(c.name)), c.expected) << Narrow(WString(c.name));
    }
    // The program's cursors are there, and are not the framework's.
    ASSERT_NE(cases[0].expected, nullptr);
    ASSERT_NE(cases[1].expected, nullptr);
    EXPECT_NE(cases[0].expected, cases[1].expected);
    EXPECT_NE(cases[0].expected, OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_SPLIT_H"));
    EXPECT_NE(cases[1].expected, OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_SPLIT_V"));
    // Its icon.
    const HICON icon = application->GetIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, ::LoadIconW(program, MAKEINTRESOURCEW(128)));
}
} // namespace

namespace
{
// What the running window takes of a later start's command line, and that start's exit status.
TEST(Application, CommandLineOfALaterStart)
{
    struct Case
    {
        const wchar_t* handedOver;
        bool taken;
        const wchar_t* kept;
        bool startUpdate;
        int exitStatus;
    };
    const Case cases[] = {
        {L"updater", true, L"updater", false, 0},
        {L"updater -silent -ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.dfu\"", true,
         L"updater -ABSOLUTE_FIRMWARE_FILE_PATH=\"/a b/c.dfu\"", true, 1},
        {L"\"/opt/my updater\" -START_UPDATE_AUTOMATICALLY\t-ALWAYS_UPDATE", true,
         L"\"/opt/my updater\" -ALWAYS_UPDATE", true, 0},
        {L"updater -RETURN_UPDATE_MODE_STATUS -SILENT_IF_UPDATE_NOT_NEEDED", true, L"updater",
         false, 1},
        // Words that only begin like the options are kept.
        {L"updater -SILENTLY -SILENT_IF_UPDATE_NOT_NEEDED", true, L"updater -SILENTLY", false, 0},
        // An option inside a quoted value would still be found: not taken.
        {L"updater -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x -SILENT y.dfu\"", false, L"", false, 1},
    };
    for (const Case& c : cases)
    {
        WString kept;
        bool startUpdate = false;
        EXPECT_EQ(LApplication::CommandLineForWindow(WString(c.handedOver), kept, startUpdate),
                  c.taken)
            << Narrow(WString(c.handedOver));
        if (c.taken)
        {
            EXPECT_EQ(Narrow(kept), Narrow(WString(c.kept)));
            EXPECT_EQ(startUpdate, c.startUpdate) << Narrow(WString(c.handedOver));
        }
        EXPECT_EQ(LApplication::GetSecondStartExitStatus(WString(c.handedOver)), c.exitStatus)
            << Narrow(WString(c.handedOver));
    }
}
} // namespace
