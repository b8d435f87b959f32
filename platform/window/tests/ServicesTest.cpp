#include "WindowTestSupport.h"

#include "platform/GdiPlus.h"

#include <set>

using namespace OrvTest;

TEST(WindowCursors, SystemAndFrameworkCursorsAreKnownAndSetOnePreviousAtATime)
{
    const LPCWSTR system[] = {IDC_ARROW,    IDC_IBEAM,    IDC_WAIT,        IDC_CROSS,  IDC_UPARROW,
                              IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,      IDC_SIZENS, IDC_SIZEALL,
                              IDC_NO,       IDC_HAND,     IDC_APPSTARTING, IDC_HELP};
    std::set<HCURSOR> distinct;
    for (LPCWSTR id : system)
    {
        HCURSOR cursor = LoadCursorW(nullptr, id);
        EXPECT_NE(cursor, nullptr);
        distinct.insert(cursor);
    }
    EXPECT_EQ(distinct.size(), std::size(system));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(102)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);

    const wchar_t* names[] = {
        L"UI_CURSOR_APP_STARTING", L"UI_CURSOR_ARROW",     L"UI_CURSOR_CROSS",
        L"UI_CURSOR_DROP_COPY",    L"UI_CURSOR_DROP_MOVE", L"UI_CURSOR_HAND",
        L"UI_CURSOR_HELP",         L"UI_CURSOR_IBEAM",     L"UI_CURSOR_MAG",
        L"UI_CURSOR_MAG_MINUS",    L"UI_CURSOR_MAG_PLUS",  L"UI_CURSOR_NO_DROP",
        L"UI_CURSOR_ROTATE",       L"UI_CURSOR_SIZE_ALL",  L"UI_CURSOR_SIZE_NESW",
        L"UI_CURSOR_SIZE_NS",      L"UI_CURSOR_SIZE_NWSE", L"UI_CURSOR_SIZE_WE",
        L"UI_CURSOR_SPLIT_H",      L"UI_CURSOR_SPLIT_V",   L"UI_CURSOR_UP_ARROW",
        L"UI_CURSOR_WAIT"};
    for (const wchar_t* name : names)
    {
        EXPECT_NE(OrvPlatform::Window::LoadNamedCursor(name), nullptr) << name;
    }
    EXPECT_EQ(OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_WAIT"),
              LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_SPLIT_H"),
              LoadCursorW(nullptr, IDC_SIZENS));
    EXPECT_EQ(OrvPlatform::Window::LoadNamedCursor(L"ui_cursor_wait"), nullptr);

    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    SetCursor(wait);
    EXPECT_EQ(SetCursor(hand), wait);
    EXPECT_EQ(SetCursor(OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_MAG")), hand);
    EXPECT_EQ(GetCursor(), OrvPlatform::Window::LoadNamedCursor(L"UI_CURSOR_MAG"));
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
}

TEST(WindowDesktop, WorkAreaMonitorAndInterfaceFont)
{
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GT(work.right - work.left, 0);
    EXPECT_GT(work.bottom - work.top, 0);

    HMONITOR monitor = MonitorFromPoint(POINT{work.left, work.top}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{-100000, -100000}, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{-100000, -100000}, MONITOR_DEFAULTTONEAREST), monitor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
    EXPECT_EQ(info.rcWork.right, work.right);
    EXPECT_EQ(info.rcMonitor.right - info.rcMonitor.left, GetSystemMetrics(SM_CXSCREEN));

    LOGFONTW font{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0));
    EXPECT_LT(font.lfHeight, 0);
    EXPECT_NE(font.lfFaceName[0], L'\0');
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    // The drawing layer knows the family by that name.
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    Gdiplus::GpFontFamily* family = nullptr;
    EXPECT_EQ(GdipCreateFontFamilyFromName(font.lfFaceName, nullptr, &family), Gdiplus::Ok);
    GdipDeleteFontFamily(family);
    GdiplusShutdown(token);
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, 3, &font, 0));
    EXPECT_FALSE(SystemParametersInfoW(0x7777, 0, &font, 0));
}

TEST(WindowMessageBox, AScriptedAnswerComesBackAndTheOwnerIsDisabledMeanwhile)
{
    Recorder recorder;
    HWND owner = MakeWindow(recorder);
    bool ownerWasEnabled = true;
    std::wstring seen;
    OrvPlatform::Window::SetMessageBoxHandler(
        [&](HWND box, LPCWSTR text, LPCWSTR caption, UINT type)
        {
            ownerWasEnabled = IsWindowEnabled(box) != FALSE;
            seen = std::wstring(caption) + L"|" + text;
            return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
        });
    EXPECT_EQ(MessageBoxW(owner, L"Update now?", L"Updater", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_FALSE(ownerWasEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(seen, L"Updater|Update now?");
    OrvPlatform::Window::SetMessageBoxHandler(nullptr);
    DestroyWindow(owner);
}
