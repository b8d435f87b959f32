#include "WindowTestSupport.h"

using namespace OrvTest;

TEST(WindowClasses, NamesAreFoundInAnyLetterCaseAndRegisteredOnce)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpszClassName = L"OrvTestClassOnce";
    const ATOM atom = RegisterClassW(&windowClass);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(RegisterClassW(&windowClass), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    WNDCLASSW found{};
    ASSERT_TRUE(GetClassInfoW(nullptr, L"ORVTESTCLASSONCE", &found));
    EXPECT_EQ(found.style, 43u);
    EXPECT_EQ(found.lpfnWndProc, &DefWindowProcW);
    ASSERT_TRUE(GetClassInfoW(nullptr, MAKEINTRESOURCEW(atom), &found));

    EXPECT_FALSE(GetClassInfoW(nullptr, L"OrvTestNoSuchClass", &found));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
    EXPECT_EQ(CreateWindowExW(0, L"OrvTestNoSuchClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_TRUE(UnregisterClassW(L"OrvTestClassOnce", nullptr));
}

TEST(WindowLifecycle, CreationSendsItsMessagesAndTheFirstShowSizeAndPlace)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 120, 80, 300, 200, WS_POPUP | WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    // Creation, then the first showing: the size and place once, then the activation.
    const std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE,   WM_SHOWWINDOW, WM_SIZE,
                                        WM_MOVE,     WM_ACTIVATE, WM_SETFOCUS};
    EXPECT_EQ(recorder.Sequence({WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_SIZE, WM_MOVE,
                                 WM_ACTIVATE, WM_SETFOCUS}),
              expected);
    const Received size = recorder.Of(WM_SIZE).at(0);
    EXPECT_EQ(size.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(size.lParam), 300);
    EXPECT_EQ(HIWORD(size.lParam), 200);
    EXPECT_EQ(GET_X_LPARAM(recorder.Of(WM_MOVE).at(0).lParam), 120);
    EXPECT_EQ(GET_Y_LPARAM(recorder.Of(WM_MOVE).at(0).lParam), 80);

    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetFocus(), window);
    // Showing again sends nothing new of the first showing.
    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(recorder.Of(WM_SIZE).size(), 1u);

    recorder.messages.clear();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(recorder.Sequence({WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(WindowLifecycle, RefusedCreationGivesNoWindowAndChildWindowsAreNotOffered)
{
    Recorder recorder;
    recorder.handler = [](HWND, UINT message, WPARAM, LPARAM, LRESULT& result)
    {
        if (message == WM_CREATE)
        {
            result = -1;
            return true;
        }
        return false;
    };
    EXPECT_EQ(MakeWindow(recorder), nullptr);
    EXPECT_EQ(recorder.Sequence({WM_CREATE, WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY}));

    Recorder child;
    EXPECT_EQ(MakeWindow(child, 0, 0, 10, 10, WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(child.messages.empty());
}

TEST(WindowLifecycle, OwnedWindowsGoFirstAndTheOwnerTakesTheActivationBack)
{
    Recorder ownerRecorder;
    Recorder popupRecorder;
    HWND owner = MakeWindow(ownerRecorder, 0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
    HWND popup = CreateWindowExW(0, kRecordingClass, L"popup", WS_POPUP | WS_VISIBLE, 20, 20, 100,
                                 100, owner, nullptr, nullptr, &popupRecorder);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetParent(popup), owner);
    EXPECT_EQ(GetActiveWindow(), popup);
    EXPECT_EQ(GetLastActivePopup(owner), popup);

    ShowWindow(popup, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetLastActivePopup(owner), owner);
    ShowWindow(popup, SW_SHOW);

    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(popupRecorder.Of(WM_DESTROY).size(), 1u);
}

TEST(WindowGeometry, MovingAndSizingReportTheNewRectanglesAndMessages)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 10, 20, 200, 100, WS_POPUP | WS_VISIBLE);
    recorder.messages.clear();
    ASSERT_TRUE(MoveWindow(window, 40, 60, 320, 240, TRUE));
    RECT r{};
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 360);
    EXPECT_EQ(r.bottom, 300);
    ASSERT_TRUE(GetClientRect(window, &r));
    EXPECT_EQ(r.right, 320);
    EXPECT_EQ(r.bottom, 240);
    EXPECT_EQ(recorder.Sequence({WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_SIZE, WM_MOVE}));

    POINT p{5, 7};
    ClientToScreen(window, &p);
    EXPECT_EQ(p.x, 45);
    EXPECT_EQ(p.y, 67);
    ScreenToClient(window, &p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 7);
    EXPECT_EQ(WindowFromPoint(POINT{50, 70}), window);
    EXPECT_EQ(WindowFromPoint(POINT{39, 70}), nullptr);

    // Moving without a new size sends only the move.
    recorder.messages.clear();
    SetWindowPos(window, nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(recorder.Sequence({WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_MOVE}));

    // The placement comes back as it was saved.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), 44u);
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    MoveWindow(window, 0, 0, 50, 50, FALSE);
    ASSERT_TRUE(SetWindowPlacement(window, &placement));
    ASSERT_TRUE(GetWindowRect(window, &r));
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.right, 370);
    placement.length = 0;
    EXPECT_FALSE(GetWindowPlacement(window, &placement));
    DestroyWindow(window);
}

TEST(WindowText, TitleAndLongValuesAndFinding)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 0, 0, 50, 50, WS_POPUP | WS_DISABLED);
    ASSERT_TRUE(SetWindowTextW(window, L"Firmware \u00FCpdater"));
    wchar_t buffer[8];
    EXPECT_EQ(GetWindowTextW(window, buffer, 8), 7);
    EXPECT_STREQ(buffer, L"Firmwar");
    EXPECT_EQ(GetWindowTextLengthW(window), 16);
    EXPECT_EQ(FindWindowW(kRecordingClass, L"Firmware \u00FCpdater"), window);
    EXPECT_EQ(FindWindowW(L"orvtestrecordingwindow", nullptr) != nullptr, true);
    EXPECT_EQ(FindWindowW(kRecordingClass, L"other"), nullptr);

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_NE(style & WS_DISABLED, 0u);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_EQ(SetFocus(window), nullptr);
    EXPECT_NE(GetFocus(), window);
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_EQ(recorder.Of(WM_ENABLE).size(), 1u);
    EXPECT_EQ(SetWindowLongPtrW(window, GWL_STYLE, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    DestroyWindow(window);
}
