#include "WindowTestSupport.h"

#include <cstring>

using namespace OrvTest;

namespace
{
class WindowInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = MakeWindow(recorder, 100, 100, 200, 150, WS_POPUP | WS_VISIBLE);
        ASSERT_NE(window, nullptr);
        PumpAll();
        recorder.messages.clear();
    }
    void TearDown() override
    {
        DestroyWindow(window);
        PumpAll();
    }

    Recorder recorder;
    HWND window = nullptr;
};
} // namespace

TEST_F(WindowInput, PointerAndButtonsInClientCoordinatesWithTheKeyFlags)
{
    PushMotion(window, 10, 20);
    PushButton(window, SDL_BUTTON_LEFT, true, 10, 20);
    PushButton(window, SDL_BUTTON_RIGHT, true, 11, 21);
    PushButton(window, SDL_BUTTON_RIGHT, false, 11, 21);
    PushButton(window, SDL_BUTTON_LEFT, false, 12, 22);
    PushButton(window, SDL_BUTTON_MIDDLE, true, 1, 2);
    PushButton(window, SDL_BUTTON_MIDDLE, false, 1, 2);
    PumpAll();
    struct Expected
    {
        UINT message;
        WPARAM keys;
        int x;
        int y;
    };
    const Expected expected[] = {
        {WM_MOUSEMOVE, 0, 10, 20},
        {WM_LBUTTONDOWN, MK_LBUTTON, 10, 20},
        {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 11, 21},
        {WM_RBUTTONUP, MK_LBUTTON, 11, 21},
        {WM_LBUTTONUP, 0, 12, 22},
        {WM_MBUTTONDOWN, MK_MBUTTON, 1, 2},
        {WM_MBUTTONUP, 0, 1, 2},
    };
    std::vector<Received> mouse;
    for (const Received& r : recorder.messages)
    {
        if (r.message >= WM_MOUSEMOVE && r.message <= WM_MBUTTONDBLCLK)
        {
            mouse.push_back(r);
        }
    }
    ASSERT_EQ(mouse.size(), std::size(expected));
    for (std::size_t i = 0; i < mouse.size(); ++i)
    {
        EXPECT_EQ(mouse[i].message, expected[i].message) << i;
        EXPECT_EQ(mouse[i].wParam, expected[i].keys) << i;
        EXPECT_EQ(GET_X_LPARAM(mouse[i].lParam), expected[i].x) << i;
        EXPECT_EQ(GET_Y_LPARAM(mouse[i].lParam), expected[i].y) << i;
    }
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 101);
    EXPECT_EQ(p.y, 102);
    // Moving over the client area asks the window for its cursor: the class cursor.
    EXPECT_FALSE(recorder.Of(WM_SETCURSOR).empty());
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(WindowInput, SecondClickIsADoubleClickOnlyForClassesThatAskForIt)
{
    PushButton(window, SDL_BUTTON_LEFT, true, 5, 5, 1);
    PushButton(window, SDL_BUTTON_LEFT, false, 5, 5, 1);
    PushButton(window, SDL_BUTTON_LEFT, true, 5, 5, 2);
    PushButton(window, SDL_BUTTON_LEFT, false, 5, 5, 2);
    PumpAll();
    EXPECT_EQ(recorder.Of(WM_LBUTTONDBLCLK).size(), 0u);
    EXPECT_EQ(recorder.Of(WM_LBUTTONDOWN).size(), 2u);

    Recorder other;
    HWND clicks = MakeWindow(other, 400, 100, 100, 100, WS_POPUP | WS_VISIBLE, kDoubleClickClass);
    PumpAll();
    for (Uint8 count = 1; count <= 4; ++count)
    {
        PushButton(clicks, SDL_BUTTON_RIGHT, true, 5, 5, count);
        PushButton(clicks, SDL_BUTTON_RIGHT, false, 5, 5, count);
    }
    PumpAll();
    EXPECT_EQ(
        other.Sequence({WM_RBUTTONDOWN, WM_RBUTTONDBLCLK}),
        (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK}));
    DestroyWindow(clicks);
}

TEST_F(WindowInput, WheelDeltasInStepsOf120WithTheScreenPoint)
{
    struct Case
    {
        float y;
        float x;
        bool flipped;
        UINT message;
        int delta;
    };
    const Case cases[] = {
        {1.0f, 0.0f, false, WM_MOUSEWHEEL, 120},  {-2.0f, 0.0f, false, WM_MOUSEWHEEL, -240},
        {0.5f, 0.0f, false, WM_MOUSEWHEEL, 60},   {1.0f, 0.0f, true, WM_MOUSEWHEEL, -120},
        {0.0f, 1.0f, false, WM_MOUSEHWHEEL, 120}, {0.0f, -1.0f, false, WM_MOUSEHWHEEL, -120},
    };
    for (const Case& c : cases)
    {
        recorder.messages.clear();
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = SdlIdOf(window);
        event.wheel.y = static_cast<Sint32>(c.y);
        event.wheel.x = static_cast<Sint32>(c.x);
        event.wheel.preciseY = c.y;
        event.wheel.preciseX = c.x;
        event.wheel.direction = c.flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        event.wheel.mouseX = 30;
        event.wheel.mouseY = 40;
        PushEvent(event);
        PumpAll();
        const auto wheel = recorder.Of(c.message);
        ASSERT_EQ(wheel.size(), 1u) << c.y << " " << c.x;
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), c.delta);
        EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), 130);
        EXPECT_EQ(GET_Y_LPARAM(wheel[0].lParam), 140);
    }
}

TEST_F(WindowInput, KeysBecomeVirtualKeysWithTheirKeyDataAndState)
{
    const SHORT toggledBefore = GetKeyState(VK_F4) & 1;
    PushKey(window, SDL_SCANCODE_F4, SDLK_F4, true);
    PushKey(window, SDL_SCANCODE_F4, SDLK_F4, true, true);
    PushKey(window, SDL_SCANCODE_F4, SDLK_F4, false);
    PushKey(window, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, true);
    PushKey(window, SDL_SCANCODE_LEFT, SDLK_LEFT, true);
    PumpAll();
    const auto downs = recorder.Of(WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_F4));
    EXPECT_EQ(downs[0].lParam & (1 << 30), 0);
    EXPECT_NE(downs[1].lParam & (1 << 30), 0);
    EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>(VK_SHIFT));
    EXPECT_EQ(downs[3].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_NE(downs[3].lParam & (1 << 24), 0);
    const auto ups = recorder.Of(WM_KEYUP);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_NE(static_cast<DWORD>(ups[0].lParam) & 0x80000000u, 0u);

    // The key state as of the messages taken, the right Shift apart from the left.
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_NE(GetKeyState(VK_RSHIFT) & 0x8000, 0);
    EXPECT_EQ(GetKeyState(VK_LSHIFT) & 0x8000, 0);
    EXPECT_EQ(GetKeyState(VK_F4) & 0x8000, 0);
    // One press (the repeat does not count) flips the toggle.
    EXPECT_EQ(GetKeyState(VK_F4) & 1, toggledBefore ^ 1);
    EXPECT_NE(GetAsyncKeyState(VK_LEFT) & 0x8000, 0);
    PushKey(window, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false);
    PushKey(window, SDL_SCANCODE_LEFT, SDLK_LEFT, false);
    PumpAll();
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);

    // Alt with a key is a system key, with the Alt bit of the key data.
    recorder.messages.clear();
    PushKey(window, SDL_SCANCODE_LALT, SDLK_LALT, true);
    PushKey(window, SDL_SCANCODE_X, SDLK_x, true);
    PushKey(window, SDL_SCANCODE_X, SDLK_x, false);
    PushKey(window, SDL_SCANCODE_LALT, SDLK_LALT, false);
    PumpAll();
    EXPECT_EQ(recorder.Sequence({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP}),
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP}));
    const auto system = recorder.Of(WM_SYSKEYDOWN);
    EXPECT_EQ(system[1].wParam, static_cast<WPARAM>('X'));
    EXPECT_NE(system[1].lParam & (1 << 29), 0);
}

TEST_F(WindowInput, ASetKeyboardStateIsWhatGetKeyStateReadsUntilTheNextKeyMessage)
{
    EXPECT_FALSE(SetKeyboardState(nullptr));
    BYTE state[256] = {};
    state[VK_CONTROL] = 0x80;
    state[VK_LCONTROL] = 0x80;
    state[VK_CAPITAL] = 0x01;
    ASSERT_TRUE(SetKeyboardState(state));
    EXPECT_EQ(GetKeyState(VK_CONTROL) & 0xFFFF, 0x8000);
    EXPECT_EQ(GetKeyState(VK_LCONTROL) & 0xFFFF, 0x8000);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 0xFFFF, 0x0001);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    // What the window system reports stays as it was.
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
    // A key message taken updates the state of its key only.
    PushKey(window, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, true);
    PumpAll();
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_NE(GetKeyState(VK_CONTROL) & 0x8000, 0);
    PushKey(window, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false);
    PumpAll();
    const BYTE cleared[256] = {};
    ASSERT_TRUE(SetKeyboardState(const_cast<PBYTE>(cleared)));
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
}

TEST_F(WindowInput, TypedTextGivesOneCharacterPerCodePoint)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = SdlIdOf(window);
    std::strcpy(event.text.text, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5");
    PushEvent(event);
    PumpAll();
    std::vector<WPARAM> characters;
    for (const Received& r : recorder.Of(WM_CHAR))
    {
        characters.push_back(r.wParam);
    }
    EXPECT_EQ(characters, (std::vector<WPARAM>{'a', 0xE9, 0x20AC, 0x1F3B5}));
}

TEST_F(WindowInput, CaptureTakesThePointerFromOtherWindowsUntilReleased)
{
    Recorder otherRecorder;
    HWND other = MakeWindow(otherRecorder, 400, 100, 100, 100, WS_POPUP | WS_VISIBLE);
    PumpAll();
    otherRecorder.messages.clear();
    recorder.messages.clear();

    EXPECT_EQ(SetCapture(window), nullptr);
    EXPECT_EQ(GetCapture(), window);
    PushMotion(other, 10, 10);
    PushButton(other, SDL_BUTTON_LEFT, false, 10, 10);
    PumpAll();
    EXPECT_TRUE(otherRecorder.Of(WM_MOUSEMOVE).empty());
    const auto moves = recorder.Of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    // (410, 110) on the screen is (310, 10) in the capturing window.
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 310);
    EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), 10);
    EXPECT_EQ(recorder.Of(WM_LBUTTONUP).size(), 1u);

    // Another window taking the capture tells the first one who took it.
    EXPECT_EQ(SetCapture(other), window);
    const auto changed = recorder.Of(WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(changed[0].lParam), other);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(otherRecorder.Of(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);

    PushMotion(other, 12, 12);
    PumpAll();
    EXPECT_EQ(otherRecorder.Of(WM_MOUSEMOVE).size(), 1u);
    DestroyWindow(other);
}

TEST_F(WindowInput, ActivationMovesTheFocusAndAClickActivatesFirst)
{
    Recorder otherRecorder;
    HWND other = MakeWindow(otherRecorder, 400, 100, 100, 100, WS_POPUP | WS_VISIBLE);
    PumpAll();
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(GetFocus(), other);
    ASSERT_EQ(recorder.Of(WM_ACTIVATE).size(), 1u);
    EXPECT_EQ(LOWORD(recorder.Of(WM_ACTIVATE)[0].wParam), WA_INACTIVE);
    EXPECT_EQ(recorder.Of(WM_KILLFOCUS).size(), 1u);

    // Keys go to the focus window.
    PushKey(window, SDL_SCANCODE_A, SDLK_a, true);
    PumpAll();
    EXPECT_EQ(otherRecorder.Of(WM_KEYDOWN).size(), 1u);
    EXPECT_TRUE(recorder.Of(WM_KEYDOWN).empty());

    // A press on the inactive window activates it before the press arrives.
    recorder.messages.clear();
    PushButton(window, SDL_BUTTON_LEFT, true, 3, 3);
    PushButton(window, SDL_BUTTON_LEFT, false, 3, 3);
    PumpAll();
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(recorder.Sequence({WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}),
              (std::vector<UINT>{WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}));
    EXPECT_EQ(LOWORD(recorder.Of(WM_ACTIVATE)[0].wParam), WA_CLICKACTIVE);

    // A disabled window gets no input and cannot be activated.
    EnableWindow(other, FALSE);
    otherRecorder.messages.clear();
    PushButton(other, SDL_BUTTON_LEFT, true, 3, 3);
    PushButton(other, SDL_BUTTON_LEFT, false, 3, 3);
    PumpAll();
    EXPECT_TRUE(otherRecorder.Of(WM_LBUTTONDOWN).empty());
    EXPECT_EQ(SetActiveWindow(other), nullptr);
    EXPECT_EQ(GetActiveWindow(), window);
    PushKey(window, SDL_SCANCODE_A, SDLK_a, false);
    PumpAll();
    DestroyWindow(other);
}

TEST_F(WindowInput, WindowSystemCloseAsksThroughTheSystemCommand)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SdlIdOf(window);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    PushEvent(event);
    PumpAll();
    // The default handling of SC_CLOSE closes, and closing destroys.
    EXPECT_EQ(recorder.Sequence({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
              (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
    EXPECT_EQ(recorder.Of(WM_SYSCOMMAND)[0].wParam, SC_CLOSE);
    EXPECT_FALSE(IsWindow(window));
}
