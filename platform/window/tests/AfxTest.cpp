#include "WindowTestSupport.h"

#include "platform/Afx.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace OrvTest;

namespace
{
const wchar_t* kHostClass = L"OrvTestHostWindow";

void RegisterHostClass()
{
    WNDCLASSW windowClass{};
    if (GetClassInfoW(nullptr, kHostClass, &windowClass))
    {
        return;
    }
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kHostClass;
    ASSERT_NE(RegisterClassW(&windowClass), 0);
}

// A window whose base class handles the wheel and whose own map handles the rest.
class BaseWindow : public CWnd
{
public:
    std::vector<std::string> log;

    BOOL OnMouseWheel(UINT keys, short delta, CPoint point)
    {
        log.push_back("wheel " + std::to_string(keys) + " " + std::to_string(delta) + " " +
                      std::to_string(point.x) + "," + std::to_string(point.y));
        return TRUE;
    }

    static const AFX_MSGMAP* GetThisMessageMap()
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            AfxEntry<WM_MOUSEWHEEL, &BaseWindow::OnMouseWheel>()};
        static const AFX_MSGMAP map{&CWnd::GetThisMessageMap, entries, std::size(entries)};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
};

class HostWindow : public BaseWindow
{
public:
    bool ncDestroyed = false;
    LONG kickIdleAnswerUntil = 2;
    std::vector<LPARAM> kicks;
    std::function<void(LPARAM)> onKick;

    LRESULT OnCreate(WPARAM, LPARAM lParam)
    {
        log.push_back(std::string("create ") +
                      (reinterpret_cast<CREATESTRUCTW*>(lParam)->lpszName == std::wstring(L"host")
                           ? "host"
                           : "?"));
        return 0;
    }
    void OnSize(UINT kind, int width, int height)
    {
        log.push_back("size " + std::to_string(kind) + " " + std::to_string(width) + "x" +
                      std::to_string(height));
    }
    void OnLButtonDown(UINT keys, CPoint point)
    {
        log.push_back("down " + std::to_string(keys) + " " + std::to_string(point.x) + "," +
                      std::to_string(point.y));
    }
    void OnKeyDown(UINT key, UINT repeat, UINT flags)
    {
        log.push_back("key " + std::to_string(key) + " " + std::to_string(repeat) + " " +
                      std::to_string(flags & 0x100));
    }
    void OnSetFocus(CWnd* old)
    {
        log.push_back(std::string("focus ") + (old == nullptr ? "none" : "other"));
        CWnd::OnSetFocus(old);
    }
    BOOL OnCopyData(CWnd* sender, COPYDATASTRUCT* data)
    {
        log.push_back("copy " + std::to_string(data->dwData) +
                      (sender == nullptr ? " unknown" : " known"));
        return TRUE;
    }
    void OnSysCommand(UINT command, LPARAM)
    {
        log.push_back("syscommand " + std::to_string(command));
        if (command != SC_CLOSE)
        {
            Default();
        }
    }
    LRESULT OnKickIdle(WPARAM, LPARAM count)
    {
        kicks.push_back(count);
        if (onKick)
        {
            onKick(count);
        }
        return count < kickIdleAnswerUntil ? 1 : 0;
    }
    LRESULT OnEnd(WPARAM result, LPARAM)
    {
        EndModalLoop(static_cast<int>(result));
        return 0;
    }
    void PostNcDestroy() override { ncDestroyed = true; }

    static const AFX_MSGMAP* GetThisMessageMap()
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            AfxEntry<WM_CREATE, &HostWindow::OnCreate>(),
            AfxEntry<WM_SIZE, &HostWindow::OnSize>(),
            AfxEntry<WM_LBUTTONDOWN, &HostWindow::OnLButtonDown>(),
            AfxEntry<WM_KEYDOWN, &HostWindow::OnKeyDown>(),
            AfxEntry<WM_SETFOCUS, &HostWindow::OnSetFocus>(),
            AfxEntry<WM_COPYDATA, &HostWindow::OnCopyData>(),
            AfxEntry<WM_SYSCOMMAND, &HostWindow::OnSysCommand>(),
            AfxEntry<WM_KICKIDLE, &HostWindow::OnKickIdle>(),
            AfxEntry<WM_APP, &HostWindow::OnEnd>(),
        };
        static const AFX_MSGMAP map{&BaseWindow::GetThisMessageMap, entries, std::size(entries)};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
};

bool Logged(const std::vector<std::string>& log, const std::string& line)
{
    return std::find(log.begin(), log.end(), line) != log.end();
}
} // namespace

TEST(AfxWindow, TheMessageMapCracksEachFormAndTheRestGoesToTheClassProcedure)
{
    RegisterHostClass();
    HostWindow host;
    ASSERT_TRUE(host.CreateEx(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE, 10, 10, 160, 90,
                              nullptr, nullptr));
    PumpAll();
    EXPECT_EQ(CWnd::FromHandle(host.m_hWnd), &host);
    EXPECT_TRUE(Logged(host.log, "create host"));
    EXPECT_TRUE(Logged(host.log, "size 0 160x90"));
    EXPECT_TRUE(Logged(host.log, "focus none"));

    SendMessageW(host.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-3, 7));
    SendMessageW(host.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(100, 200));
    SendMessageW(host.m_hWnd, WM_KEYDOWN, VK_LEFT, 1 | (1 << 24));
    COPYDATASTRUCT data{1125, 0, nullptr};
    EXPECT_EQ(SendMessageW(host.m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
    EXPECT_TRUE(Logged(host.log, "down 5 -3,7"));
    EXPECT_TRUE(Logged(host.log, "wheel 8 -240 100,200"));
    EXPECT_TRUE(Logged(host.log, "key 37 1 256"));
    EXPECT_TRUE(Logged(host.log, "copy 1125 unknown"));

    // SC_CLOSE is kept from the default handling; an unmapped WM_CLOSE is not.
    SendMessageW(host.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(host.m_hWnd));
    HWND window = host.m_hWnd;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(host.ncDestroyed);
    EXPECT_EQ(host.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(window), nullptr);
}

TEST(AfxWindow, TheModalLoopKicksIdleByCountAndEndsWithItsResult)
{
    RegisterHostClass();
    Recorder ownerRecorder;
    HWND owner = MakeWindow(ownerRecorder);
    HostWindow dialog;
    ASSERT_TRUE(dialog.CreateEx(0, kHostClass, L"host", WS_POPUP, 10, 10, 100, 60, owner, nullptr));
    PumpAll();
    // The first idle period kicks with the counts 0, 1, 2 (the last answering 0); then the posted
    // messages are pumped, and the second ends the loop with its result.
    dialog.kicks.clear();
    dialog.kickIdleAnswerUntil = 2;
    ownerRecorder.messages.clear();
    int periods = 0;
    dialog.onKick = [&](LPARAM count)
    {
        if (count == 2)
        {
            PostMessageW(dialog.m_hWnd, ++periods == 1 ? WM_USER : WM_APP, 7, 0);
        }
    };
    const int result = dialog.RunModalLoop(CWnd::MLF_SHOWONIDLE);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(dialog.m_nFlags & (CWnd::WF_MODALLOOP | CWnd::WF_CONTINUEMODAL), 0u);
    // Shown at the first idle round.
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    // The owner hears of each idle period once.
    EXPECT_EQ(ownerRecorder.Of(WM_ENTERIDLE).size(), 2u);
    EXPECT_EQ(dialog.kicks, (std::vector<LPARAM>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(periods, 2);
    dialog.onKick = nullptr;

    // A quit message ends the loop with -1 and stays for the outer loop.
    dialog.m_nFlags = 0;
    PostQuitMessage(5);
    EXPECT_EQ(dialog.RunModalLoop(), -1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    dialog.DestroyWindow();
    DestroyWindow(owner);
}

namespace
{
class CountingApp : public CWinApp
{
public:
    CountingApp()
        : CWinApp(L"OrvTestApp")
    {
    }
    std::vector<LONG> idleCounts;
    int posts = 0;
    BOOL OnIdle(LONG count) override
    {
        idleCounts.push_back(count);
        if (count == 2)
        {
            // The end of an idle period: the next message starts another, the third quits.
            if (++posts < 3)
            {
                PostMessageW(nullptr, WM_APP + 2, 0, 0);
            }
            else
            {
                PostQuitMessage(9);
            }
        }
        return count < 2;
    }
};
} // namespace

TEST(AfxApplication, RunHoldsIdlePeriodsOfThreePassesAndEndsWithTheQuitCode)
{
    CountingApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    RegisterHostClass();
    HostWindow main;
    ASSERT_TRUE(main.CreateEx(0, kHostClass, L"host", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    app.m_pMainWnd = &main;
    PumpAll();
    EXPECT_EQ(app.Run(), 9);
    EXPECT_EQ(app.idleCounts, (std::vector<LONG>{0, 1, 2, 0, 1, 2, 0, 1, 2}));
    main.DestroyWindow();
    app.m_pMainWnd = nullptr;
    // Without a main window the loop ends at once.
    app.idleCounts.clear();
    EXPECT_EQ(app.Run(), 0);
}

TEST(AfxApplication, ProfileValuesSurviveTheFileAndForeignLinesAreKept)
{
    char folder[] = "/tmp/orv-profile-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_CONFIG_HOME", folder, 1);
    CWinApp app(L"Orv Test");
    app.SetRegistryKey(L"Halvex");
    EXPECT_EQ(app.GetProfilePath(), std::string(folder) + "/Halvex/Orv Test.profile");

    BYTE* data = nullptr;
    UINT bytes = 0;
    EXPECT_FALSE(app.GetProfileBinary(L"Main", L"WP", &data, &bytes));
    EXPECT_EQ(app.GetProfileIntW(L"Main", L"Count", -4), static_cast<UINT>(-4));

    WINDOWPLACEMENT placement{sizeof(WINDOWPLACEMENT), 0, SW_SHOWNORMAL, {-1, -1}, {-1, -1},
                              {10, 20, 650, 500}};
    ASSERT_TRUE(app.WriteProfileBinary(L"Halvex_DJ_Updater", L"WP",
                                       reinterpret_cast<BYTE*>(&placement), sizeof(placement)));
    ASSERT_TRUE(app.WriteProfileInt(L"Main", L"Count", -12));
    ASSERT_TRUE(app.WriteProfileStringW(L"Main", L"Odd=Name", L"a[b]=c\\d\nline \u00E9"));

    // Foreign lines in the file stay through a later write.
    {
        std::ofstream out(app.GetProfilePath(), std::ios::app);
        out << "this is not an entry\n[unfinished\n";
    }
    ASSERT_TRUE(app.WriteProfileInt(L"main", L"count", 3));
    std::ifstream in(app.GetProfilePath());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("this is not an entry\n[unfinished\n"), std::string::npos);

    ASSERT_TRUE(app.GetProfileBinary(L"HALVEX_DJ_UPDATER", L"wp", &data, &bytes));
    ASSERT_EQ(bytes, sizeof(WINDOWPLACEMENT));
    WINDOWPLACEMENT read{};
    std::memcpy(&read, data, bytes);
    delete[] data;
    EXPECT_EQ(read.rcNormalPosition.right, 650);
    EXPECT_EQ(read.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(static_cast<int>(app.GetProfileIntW(L"Main", L"Count", 0)), 3);
    EXPECT_EQ(app.GetProfileStringW(L"Main", L"Odd=Name"), L"a[b]=c\\d\nline \u00E9");
    // A value of another kind is no value of this kind.
    EXPECT_EQ(app.GetProfileIntW(L"Main", L"Odd=Name", 77), 77u);
    unsetenv("XDG_CONFIG_HOME");
    std::string cleanup = std::string("rm -rf ") + folder;
    EXPECT_EQ(std::system(cleanup.c_str()), 0);
}
