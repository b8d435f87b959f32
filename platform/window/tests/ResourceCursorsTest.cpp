// The cursor and icon resources of the program (tests/data/resources.txt): loaded by id, shared,
// refused when absent or malformed, set as the cursor and as a window's icons.
#include "WindowTestSupport.h"

#include "platform/Resources.h"

using namespace OrvTest;

namespace
{
HINSTANCE Program()
{
    return GetModuleHandleW(nullptr);
}
} // namespace

TEST(ResourceCursors, LoadedByIdOfTheirOwnTypeAndSharedElseNullWithTheReason)
{
    const HCURSOR cursor = LoadCursorW(Program(), MAKEINTRESOURCEW(102));
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(LoadCursorW(Program(), MAKEINTRESOURCEW(102)), cursor);
    EXPECT_EQ(LoadCursorW(Program(), L"#102"), cursor);
    const HICON icon = LoadIconW(Program(), MAKEINTRESOURCEW(128));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, cursor);
    EXPECT_EQ(LoadIconW(Program(), MAKEINTRESOURCEW(128)), icon);

    struct Case
    {
        const char* what;
        bool isIcon;
        HINSTANCE instance;
        WORD id;
        DWORD error;
    };
    const Case cases[] = {
        {"an id the program has no cursor of", false, Program(), 103,
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"an icon asked for as a cursor", false, Program(), 128, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"a cursor asked for as an icon", true, Program(), 102, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"a cursor resource without a picture", false, Program(), 104, ERROR_INVALID_DATA},
        {"a hot spot outside the picture", false, Program(), 105, ERROR_INVALID_DATA},
        {"a system cursor id that is none", false, nullptr, 102, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"a system icon", true, nullptr, 128, ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const Case& c : cases)
    {
        SetLastError(0);
        const HICON loaded = c.isIcon ? LoadIconW(c.instance, MAKEINTRESOURCEW(c.id))
                                      : LoadCursorW(c.instance, MAKEINTRESOURCEW(c.id));
        EXPECT_EQ(loaded, nullptr) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
}

TEST(ResourceCursors, SetAsTheCursorLikeAnyOther)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder);
    ASSERT_NE(window, nullptr);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR own = LoadCursorW(Program(), MAKEINTRESOURCEW(102));
    const HICON icon = LoadIconW(Program(), MAKEINTRESOURCEW(128));
    ASSERT_NE(own, nullptr);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(own), arrow);
    EXPECT_EQ(GetCursor(), own);
    // An icon serves as a cursor too.
    EXPECT_EQ(SetCursor(icon), own);
    EXPECT_EQ(SetCursor(arrow), icon);
    DestroyWindow(window);
    PumpAll();
}

TEST(ResourceCursors, WindowIconsBigAndSmallEachAnswerTheOneTheyReplace)
{
    const HICON icon = LoadIconW(Program(), MAKEINTRESOURCEW(128));
    const HICON other = LoadCursorW(Program(), MAKEINTRESOURCEW(102));
    ASSERT_NE(icon, nullptr);
    Recorder recorder;
    HWND window = MakeWindow(recorder);
    ASSERT_NE(window, nullptr);
    const auto set = [&](WPARAM which, HICON value)
    {
        return reinterpret_cast<HICON>(
            SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(value)));
    };
    const auto get = [&](WPARAM which)
    { return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0)); };

    EXPECT_EQ(get(ICON_BIG), nullptr);
    EXPECT_EQ(set(ICON_BIG, icon), nullptr);
    EXPECT_EQ(get(ICON_BIG), icon);
    EXPECT_EQ(get(ICON_SMALL), nullptr);
    EXPECT_EQ(set(ICON_SMALL, other), nullptr);
    EXPECT_EQ(set(ICON_BIG, nullptr), icon);
    EXPECT_EQ(get(ICON_BIG), nullptr);
    EXPECT_EQ(get(ICON_SMALL), other);
    DestroyWindow(window);
    PumpAll();
    // A window that is gone has no icons.
    EXPECT_EQ(get(ICON_SMALL), nullptr);
}
