// The operating-system window (SDL's offscreen driver): command lines handed over by another
// process, the close command, sizing within the layout's limits, the repaint after a stay
// outside the work area, the saved placement, and the key road of system keys.
#include "TestApplication.h"
#include "TestControls.h"

#include "System/OSWindow.h"
#include "System/WindowOSServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
class OSWindowTest : public ApplicationFixture
{
protected:
    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        mJournal.clear();
    }

    // Hands data over as another process would, with the command-line tag.
    LRESULT HandOver(const void* data, DWORD bytes, ULONG_PTR tag = OSWindow::kCommandLineTag)
    {
        COPYDATASTRUCT copy{};
        copy.dwData = tag;
        copy.cbData = bytes;
        copy.lpData = const_cast<void*>(data);
        return SendMessageW(mWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }

    std::vector<std::string> DrawnPanels()
    {
        std::vector<std::string> drawn;
        for (const std::string& entry : mJournal)
        {
            if (entry.ends_with(":draw"))
            {
                drawn.push_back(entry.substr(0, entry.size() - 5));
            }
        }
        mJournal.clear();
        std::sort(drawn.begin(), drawn.end());
        return drawn;
    }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
};
} // namespace

TEST_F(OSWindowTest, ACommandLineHandedOverIsTakenOnlyAsWholeCharactersWithinItsSize)
{
    struct Case
    {
        const char* what;
        std::wstring data;
        DWORD bytes; // the size given with the data
        std::vector<std::wstring> received;
    };
    const std::wstring plain = L"--update \"a file\"";
    std::wstring unterminated = L"abc";
    std::wstring surrogate = L"ab";
    surrogate.push_back(static_cast<wchar_t>(0xD800));
    std::wstring beyond = L"ab";
    beyond.push_back(static_cast<wchar_t>(0x110000));
    const std::wstring longest(OSWindow::kMaxCommandLineLength, L'x');
    const std::wstring tooLong(OSWindow::kMaxCommandLineLength + 2, L'x');
    const DWORD unit = sizeof(wchar_t);
    const Case cases[] = {
        {"with its NUL", plain, static_cast<DWORD>((plain.size() + 1) * unit), {plain}},
        {"ends at the first NUL", std::wstring(L"ab\0cd", 5), 5 * unit, {L"ab"}},
        {"without a NUL, as long as its size", unterminated, 2 * unit, {L"ab"}},
        {"empty", L"", 0, {L""}},
        {"a size of broken characters", plain, 2 * unit + 1, {}},
        {"a lone surrogate", surrogate, static_cast<DWORD>(surrogate.size() * unit), {}},
        {"a value beyond Unicode", beyond, static_cast<DWORD>(beyond.size() * unit), {}},
        {"the longest", longest, static_cast<DWORD>(longest.size() * unit), {longest}},
        {"too long", tooLong, static_cast<DWORD>(tooLong.size() * unit), {}},
    };
    for (const Case& c : cases)
    {
        mApplication->commandLines.clear();
        const LRESULT taken = HandOver(c.data.data(), c.bytes);
        EXPECT_EQ(taken != 0, !c.received.empty()) << c.what;
        EXPECT_EQ(mApplication->commandLines, c.received) << c.what;
    }
    // Other tags, and a disabled window, hand nothing to the application.
    mApplication->commandLines.clear();
    HandOver(plain.data(), static_cast<DWORD>((plain.size() + 1) * unit), 77);
    EnableWindow(mWindow, FALSE);
    HandOver(plain.data(), static_cast<DWORD>((plain.size() + 1) * unit));
    EnableWindow(mWindow, TRUE);
    EXPECT_TRUE(mApplication->commandLines.empty());
}

TEST_F(OSWindowTest, TheCloseCommandAsksTheApplicationForTheMainWindowAndClosesAnyOther)
{
    const int second = mApplication->CreateRootWindow(WString(L"mainControl"), false);
    ASSERT_GE(second, 0);
    const RCPtr<LRootWindow> other = mApplication->GetRootWindow(static_cast<unsigned int>(second));
    HWND otherWindow = other->GetServices()->GetWindowHandle();
    RCPtr<CountingClient> client(new CountingClient);
    client->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(),
                                 L"NID_APP_EXIT_REQ");

    SendMessageW(mWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    mApplication->ProcessIdle(true);
    EXPECT_EQ(client->Count(L"NID_APP_EXIT_REQ"), 1);
    EXPECT_TRUE(IsWindow(mWindow));

    SendMessageW(otherWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    mApplication->ProcessIdle(true);
    PumpMessages();
    EXPECT_FALSE(IsWindow(otherWindow));
    EXPECT_EQ(client->Count(L"NID_APP_EXIT_REQ"), 1);
    EXPECT_EQ(mApplication->GetRootWindowCount(), 1u);
    client->UnregisterAllNotifications();
}

TEST_F(OSWindowTest, SizingKeepsTheClientAreaWithinTheLayoutsLimits)
{
    // The fixture's main control is at least 200 x 150 and at most 400 x 300.
    RECT window{};
    RECT client{};
    GetWindowRect(mWindow, &window);
    GetClientRect(mWindow, &client);
    const LONG frameWidth = (window.right - window.left) - client.right;
    const LONG frameHeight = (window.bottom - window.top) - client.bottom;
    struct Case
    {
        LONG width;
        LONG height;
        LONG keptWidth;
        LONG keptHeight;
    };
    const Case cases[] = {
        {500, 90, 400, 150},
        {250, 250, 250, 250},
        {100, 400, 200, 300},
        {0, 0, 200, 150},
    };
    for (const Case& c : cases)
    {
        RECT proposed{window.left, window.top, window.left + c.width + frameWidth,
                      window.top + c.height + frameHeight};
        // The bottom right corner is dragged.
        SendMessageW(mWindow, WM_SIZING, 8, reinterpret_cast<LPARAM>(&proposed));
        EXPECT_EQ(proposed.left, window.left);
        EXPECT_EQ(proposed.top, window.top);
        EXPECT_EQ(proposed.right - proposed.left - frameWidth, c.keptWidth) << c.width;
        EXPECT_EQ(proposed.bottom - proposed.top - frameHeight, c.keptHeight) << c.height;
    }
}

TEST_F(OSWindowTest, AWindowBackFromOutsideTheWorkAreaIsRepaintedWhole)
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT window{};
    GetWindowRect(mWindow, &window);
    const std::vector<std::string> all = {"floating",    "inner",  "label", "left",
                                          "mainControl", "nested", "right"};

    // Inside the work area, a small invalid area repaints only what it touches.
    mMain->InvalidateControl(RectT<LONG>(25, 25, 5, 5));
    PumpMessages();
    EXPECT_EQ(DrawnPanels(), (std::vector<std::string>{"left", "mainControl"}));

    // Partly outside and back: the next paint draws everything.
    SetWindowPos(mWindow, nullptr, work.right - 50, window.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    SetWindowPos(mWindow, nullptr, window.left, window.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    mJournal.clear();
    mMain->InvalidateControl(RectT<LONG>(25, 25, 5, 5));
    PumpMessages();
    EXPECT_EQ(DrawnPanels(), all);
    // Only once.
    mMain->InvalidateControl(RectT<LONG>(25, 25, 5, 5));
    PumpMessages();
    EXPECT_EQ(DrawnPanels(), (std::vector<std::string>{"left", "mainControl"}));
}

TEST_F(OSWindowTest, ThePlacementIsSavedForTheMainWindowOnly)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("orv-oswindow-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    {
        TestLoop loop;
        const WString& section = OSWindow::GetWindowClassName();
        const int second = mApplication->CreateRootWindow(WString(L"mainControl"), false);
        ASSERT_GE(second, 0);
        HWND otherWindow = mApplication->GetRootWindow(static_cast<unsigned int>(second))
                               ->GetServices()
                               ->GetWindowHandle();
        SetWindowPos(mWindow, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        DestroyWindow(otherWindow);
        PumpMessages();
        BYTE* data = nullptr;
        UINT bytes = 0;
        EXPECT_FALSE(loop.GetProfileBinary(section.GetBuffer(), L"WP", &data, &bytes));
        dynamic_cast<OSWindow*>(mMain->GetServices())->DestroyWindow();
        PumpMessages();
        ASSERT_TRUE(loop.GetProfileBinary(section.GetBuffer(), L"WP", &data, &bytes));
        ASSERT_EQ(bytes, sizeof(WINDOWPLACEMENT));
        WINDOWPLACEMENT placement{};
        std::copy_n(data, bytes, reinterpret_cast<BYTE*>(&placement));
        delete[] data;
        EXPECT_EQ(placement.rcNormalPosition.left, 33);
        EXPECT_EQ(placement.rcNormalPosition.top, 44);
    }
    if (saved != nullptr)
    {
        setenv("XDG_CONFIG_HOME", before.c_str(), 1);
    }
    else
    {
        unsetenv("XDG_CONFIG_HOME");
    }
    std::filesystem::remove_all(folder);
}

TEST_F(OSWindowTest, ASystemKeyWithoutAKeyCarriesTheStandardModifierBits)
{
    SendMessageW(mWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(165, 35));
    SendMessageW(mWindow, WM_LBUTTONUP, 0, MAKELPARAM(165, 35));
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    keys[VK_RCONTROL] = 0x80;
    SetKeyboardState(keys);
    mJournal.clear();
    // Alt is down (bit 29): with Control, a key code without a key; Alt alone gives nothing.
    SendMessageW(mWindow, WM_SYSKEYDOWN, 0, 1 | (1 << 29));
    keys[VK_CONTROL] = 0;
    keys[VK_RCONTROL] = 0;
    SetKeyboardState(keys);
    SendMessageW(mWindow, WM_SYSKEYDOWN, 0, 1 | (1 << 29));
    // With a key: Alt+F4 as a named key with the Alt bit.
    SendMessageW(mWindow, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
    std::vector<std::string> keyEntries;
    for (const std::string& entry : mJournal)
    {
        if (entry.find(":key ") != std::string::npos)
        {
            keyEntries.push_back(entry);
        }
    }
    EXPECT_EQ(keyEntries,
              (std::vector<std::string>{"inner:key 05000000 0", "inner:key 24730000 0"}));
}

TEST_F(OSWindowTest, TheSavedPlacementIsRestoredInsideTheWorkArea)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("orv-placement-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    {
        TestLoop loop;
        auto* window = dynamic_cast<OSWindow*>(mMain->GetServices());
        ASSERT_NE(window, nullptr);
        const WString& section = OSWindow::GetWindowClassName();
        const RectT<LONG> work = mMain->GetWorkArea();
        ASSERT_GT(work.width, 400);
        ASSERT_GT(work.height, 300);
        // Where the window is now, relative to the work area.
        auto placed = [this]
        {
            WINDOWPLACEMENT now{};
            now.length = sizeof(now);
            EXPECT_TRUE(GetWindowPlacement(mWindow, &now));
            return now;
        };
        auto save = [&](const void* bytes, UINT count)
        {
            ASSERT_TRUE(loop.WriteProfileBinary(
                section.GetBuffer(), L"WP", static_cast<BYTE*>(const_cast<void*>(bytes)), count));
        };
        EXPECT_FALSE(window->RestorePlacement()) << "nothing saved yet";
        struct Case
        {
            const char* what;
            RECT saved;
            UINT showCmd;
            RECT restored;
        };
        const LONG w = work.width;
        const LONG h = work.height;
        const Case cases[] = {
            {"inside", {10, 20, 310, 220}, SW_SHOWNORMAL, {10, 20, 310, 220}},
            {"off to the right and below",
             {5000, 6000, 5300, 6200},
             SW_SHOWNORMAL,
             {w - 300, h - 200, w, h}},
            {"off to the left and above", {-900, -50, -600, 150}, SW_SHOWNORMAL, {0, 0, 300, 200}},
            {"minimized: shown normally", {30, 40, 330, 240}, SW_SHOWMINIMIZED, {30, 40, 330, 240}},
            // Cut to the work area, then by the main control's layout to 400 x 300 at most.
            {"larger than the work area",
             {-10, -10, w + 500, h + 500},
             SW_SHOWNORMAL,
             {0, 0, 400, 300}},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.what);
            WINDOWPLACEMENT placement{};
            placement.length = sizeof(placement);
            placement.showCmd = c.showCmd;
            placement.rcNormalPosition = c.saved;
            save(&placement, sizeof(placement));
            EXPECT_TRUE(window->RestorePlacement());
            PumpMessages();
            const WINDOWPLACEMENT now = placed();
            EXPECT_EQ(now.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
            EXPECT_EQ(now.rcNormalPosition.left, c.restored.left);
            EXPECT_EQ(now.rcNormalPosition.top, c.restored.top);
            EXPECT_EQ(now.rcNormalPosition.right, c.restored.right);
            EXPECT_EQ(now.rcNormalPosition.bottom, c.restored.bottom);
        }
        // A zero size keeps the window's size; the place is taken.
        const WINDOWPLACEMENT kept = placed();
        WINDOWPLACEMENT empty{};
        empty.length = sizeof(empty);
        empty.showCmd = SW_SHOWNORMAL;
        empty.rcNormalPosition = RECT{50, 60, 50, 60};
        save(&empty, sizeof(empty));
        EXPECT_TRUE(window->RestorePlacement());
        PumpMessages();
        const WINDOWPLACEMENT sized = placed();
        EXPECT_EQ(sized.rcNormalPosition.left, 50);
        EXPECT_EQ(sized.rcNormalPosition.right - sized.rcNormalPosition.left,
                  kept.rcNormalPosition.right - kept.rcNormalPosition.left);
        EXPECT_EQ(sized.rcNormalPosition.bottom - sized.rcNormalPosition.top,
                  kept.rcNormalPosition.bottom - kept.rcNormalPosition.top);

        // Placements that cannot be read change nothing.
        WINDOWPLACEMENT wrongLength = empty;
        wrongLength.length = 12;
        wrongLength.rcNormalPosition = RECT{1, 1, 101, 101};
        const std::string shortBytes = "WP";
        testing::internal::CaptureStderr();
        save(&wrongLength, sizeof(wrongLength));
        EXPECT_FALSE(window->RestorePlacement());
        save(shortBytes.data(), static_cast<UINT>(shortBytes.size()));
        EXPECT_FALSE(window->RestorePlacement());
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_NE(report.find("window placement"), std::string::npos) << report;
        EXPECT_EQ(placed().rcNormalPosition.left, 50);
    }
    if (saved != nullptr)
    {
        setenv("XDG_CONFIG_HOME", before.c_str(), 1);
    }
    else
    {
        unsetenv("XDG_CONFIG_HOME");
    }
    std::filesystem::remove_all(folder);
}
