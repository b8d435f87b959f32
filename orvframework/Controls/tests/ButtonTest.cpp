// Push buttons made by the factory from ButtonSkin.xml, in a root window under SDL's offscreen
// driver, driven by mouse and key messages and by idle passes on the application's manual
// clock: clicks, toggles and radio groups, the fourteen looks, auto repeat, simulated clicks,
// passive buttons and the tool tip of a text that does not fit. After every scenario the window
// holds no idle subscription.
//
// The window (480 x 240) holds "plain" (10, 10, 60 x 30), "toggle" (80, 10), "texty" (150, 10,
// 80 x 30), the radio buttons "radio1" to "radio3" (10, 50), (80, 50), (150, 50) with the
// non-radio toggle "checkBox" (220, 50), "repeater" (10, 90), the panel "group" (80, 90) holding
// "inner" (5, 5), and the row "look0" to "look13" (10 + 33 i, 150, 30 x 30).
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Button.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kClick = L"NID_LEFT_CLICK";
const wchar_t* const kRepeat = L"NID_BUTTON_AUTOREPEAT";

// The colour of each look in the skin.
const std::uint32_t kLookColors[14] = {0xFF808080, 0xFF8080FF, 0xFF000080, 0xFF80FF80, 0xFF00FF00,
                                       0xFF008000, 0xFF404040, 0xFFFF8080, 0xFFFF00FF, 0xFF800000,
                                       0xFFFFFF80, 0xFFFFFF00, 0xFF808000, 0xFF400000};

class ButtonTest : public ControlWindowFixture
{
public:
    ButtonTest()
        : ControlWindowFixture("ButtonSkin.xml")
    {
    }

    LButton* Button(const std::string& name) const
    {
        LButton* button = dynamic_cast<LButton*>(FindControl(mMain->GetRootControl().Get(), name));
        EXPECT_NE(button, nullptr) << name;
        return button;
    }

    // Records name from the button.
    void Listen(const std::string& button, const wchar_t* name)
    {
        mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(Button(button)), name);
    }
    int Count(const wchar_t* name) const { return mRecorder->Count(name); }
};

TEST_F(ButtonTest, AClickNeedsAPressAndAReleaseOnTheEnabledButton)
{
    struct Case
    {
        const char* button;
        const char* disable; // a control to disable first, or null
        int pressX, pressY, releaseX, releaseY;
        int clicks;
        double value;
    };
    const Case cases[] = {
        {"plain", nullptr, 30, 20, 35, 25, 1, 0.0},
        // Released elsewhere: no click.
        {"plain", nullptr, 30, 20, 300, 20, 0, 0.0},
        // Pressed elsewhere and released on the button: no click.
        {"plain", nullptr, 300, 20, 30, 20, 0, 0.0},
        // Auto value: each click toggles.
        {"toggle", nullptr, 100, 20, 100, 20, 1, 1.0},
        {"toggle", nullptr, 100, 20, 100, 20, 1, 0.0},
        // Disabled, or under a disabled panel.
        {"plain", "plain", 30, 20, 30, 20, 0, 0.0},
        {"inner", "group", 100, 105, 100, 105, 0, 0.0},
    };
    for (const Case& c : cases)
    {
        const std::string label = std::string(c.button) + " " + std::to_string(c.pressX) + "," +
                                  std::to_string(c.releaseX);
        Listen(c.button, kClick);
        if (c.disable != nullptr)
        {
            FindControl(mMain->GetRootControl().Get(), c.disable)->SetEnabled(false);
        }
        Press(c.pressX, c.pressY);
        MoveHeld(c.releaseX, c.releaseY);
        Release(c.releaseX, c.releaseY);
        EXPECT_EQ(Count(kClick), c.clicks) << label;
        EXPECT_EQ(Button(c.button)->GetValue(), c.value) << label;
        if (c.disable != nullptr)
        {
            FindControl(mMain->GetRootControl().Get(), c.disable)->SetEnabled(true);
        }
        mRecorder->UnregisterAllNotifications();
        mRecorder->received.clear();
    }
}

TEST_F(ButtonTest, RadioButtonsUncheckTheirRadioSiblingsOnly)
{
    // Each step clicks a button; then the values of radio1, radio2, radio3 and checkBox.
    struct Step
    {
        int x;
        int y;
        double values[4];
    };
    const Step steps[] = {
        {30, 65, {1, 0, 0, 0}},
        {100, 65, {0, 1, 0, 0}},
        // The non-radio toggle leaves the group alone, and the group leaves it alone.
        {240, 65, {0, 1, 0, 1}},
        // A checked radio button stays checked when clicked.
        {100, 65, {0, 1, 0, 1}},
        {170, 65, {0, 0, 1, 1}},
        {240, 65, {0, 0, 1, 0}},
    };
    const char* names[] = {"radio1", "radio2", "radio3", "checkBox"};
    for (const Step& step : steps)
    {
        Click(step.x, step.y);
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(Button(names[i])->GetValue(), step.values[i])
                << names[i] << " after a click at " << step.x;
        }
    }
    // Checking by code works the same way, and the look shows the check.
    EXPECT_TRUE(Button("radio1")->SetChecked(true));
    EXPECT_FALSE(Button("radio3")->IsChecked());
    EXPECT_EQ(Button("radio1")->GetActiveLookIndex(), 7);
    EXPECT_FALSE(Button("radio1")->SetChecked(false));
    EXPECT_EQ(Button("radio1")->GetActiveLookIndex(), 0);
    EXPECT_TRUE(Button("toggle")->IsAutoValue());
    EXPECT_FALSE(Button("toggle")->IsRadio());
    EXPECT_FALSE(Button("checkBox")->IsRadio());
}

TEST_F(ButtonTest, TheLookFollowsHoverPressFocusCheckAndEnabledState)
{
    LButton* plain = Button("plain");
    struct Step
    {
        const char* what;
        void (*action)(ButtonTest&, LButton&);
        int look;
    };
    const Step steps[] = {
        // The window gave the first button the focus; a click on another takes it away.
        {"at rest", [](ButtonTest&, LButton&) {}, 3},
        {"focus elsewhere", [](ButtonTest& t, LButton&) { t.Click(100, 20); }, 0},
        {"hover", [](ButtonTest& t, LButton&) { t.Mouse(WM_MOUSEMOVE, 30, 20); }, 1},
        // A press takes the focus.
        {"pressed", [](ButtonTest& t, LButton&) { t.Mouse(WM_LBUTTONDOWN, 30, 20, MK_LBUTTON); },
         5},
        // Held and moved off: the hover look of the focused button.
        {"held off", [](ButtonTest& t, LButton&) { t.MoveHeld(300, 20); }, 4},
        {"held back on", [](ButtonTest& t, LButton&) { t.MoveHeld(30, 20); }, 5},
        {"released", [](ButtonTest& t, LButton&) { t.Release(30, 20); }, 4},
        {"left", [](ButtonTest& t, LButton&) { t.Mouse(WM_MOUSEMOVE, 300, 20); }, 3},
        {"checked", [](ButtonTest&, LButton& b) { b.SetChecked(true); }, 10},
        {"checked hover", [](ButtonTest& t, LButton&) { t.Mouse(WM_MOUSEMOVE, 30, 20); }, 11},
        {"checked pressed",
         [](ButtonTest& t, LButton&) { t.Mouse(WM_LBUTTONDOWN, 30, 20, MK_LBUTTON); }, 12},
        // The pressed look stays off the button when the owner asks for it.
        {"kept pressed off",
         [](ButtonTest& t, LButton& b)
         {
             b.SetKeepPressedLook(true);
             t.MoveHeld(300, 20);
         },
         12},
        {"released off",
         [](ButtonTest& t, LButton& b)
         {
             t.Release(300, 20);
             b.SetKeepPressedLook(false);
         },
         10},
        {"checked disabled", [](ButtonTest&, LButton& b) { b.SetEnabled(false); }, 13},
        {"disabled", [](ButtonTest&, LButton& b) { b.SetChecked(false); }, 6},
        {"enabled", [](ButtonTest&, LButton& b) { b.SetEnabled(true); }, 0},
    };
    for (const Step& step : steps)
    {
        step.action(*this, *plain);
        EXPECT_EQ(plain->GetActiveLookIndex(), step.look) << step.what;
    }
}

TEST_F(ButtonTest, ABusyAncestorDisablesTheLookAndAPassiveButtonIgnoresTheMouse)
{
    LButton* inner = Button("inner");
    LControl* group = FindControl(mMain->GetRootControl().Get(), "group");
    group->SetEnabled(false);
    inner->UpdateLook();
    EXPECT_EQ(inner->GetActiveLookIndex(), 6);
    group->SetEnabled(true);
    inner->UpdateLook();
    EXPECT_EQ(inner->GetActiveLookIndex(), 0);

    // A passive button is never hit: the pointer finds its parent, a click does nothing, and the
    // look stays the one its owner gives it.
    Listen("inner", kClick);
    inner->SetPassive(true);
    inner->SetActiveLook(9);
    PointT<LONG> local;
    EXPECT_EQ(mMain->GetControlAt(PointT<LONG>(100, 105), local, false).Get(), group);
    Click(100, 105);
    EXPECT_EQ(Count(kClick), 0);
    EXPECT_EQ(inner->GetActiveLookIndex(), 9);
    inner->SetPassive(false);
    EXPECT_EQ(mMain->GetControlAt(PointT<LONG>(100, 105), local, false).Get(),
              static_cast<LControl*>(inner));
}

TEST_F(ButtonTest, HoldingAnAutoRepeatButtonRepeatsAfterTheFirstDelayThenAtTheInterval)
{
    LButton* repeater = Button("repeater");
    repeater->SetAutoRepeat(true);
    Listen("repeater", kRepeat);
    // Each step: whether the pointer is over the button from then on, the time (ms since the
    // press) up to which idle passes run every 50 ms, and the repeat times expected by then.
    // The pointer leaves the button at 550 ms and is back at 850 ms: the countdown holds while
    // it is away, so the 50 ms left of it run out at 900 ms.
    struct Step
    {
        bool over;
        long until;
        std::vector<long> times;
    };
    const Step steps[] = {
        {true, 250, {0}},
        {true, 300, {0, 300}},
        {true, 550, {0, 300, 400, 500}},
        {false, 850, {0, 300, 400, 500}},
        {true, 1000, {0, 300, 400, 500, 900, 1000}},
    };
    StartClock();
    Press(30, 105);
    EXPECT_TRUE(repeater->IsRepeating());
    EXPECT_EQ(Times(kRepeat), std::vector<long>{0});
    bool over = true;
    for (const Step& step : steps)
    {
        if (step.over != over)
        {
            over = step.over;
            MoveHeld(over ? 30 : 300, 105);
        }
        while (Ms() < step.until)
        {
            IdlePass(50);
        }
        EXPECT_EQ(Times(kRepeat), step.times) << "until " << step.until;
    }
    // The release ends the repeat and gives the idle request back.
    Release(30, 105);
    EXPECT_FALSE(repeater->IsRepeating());
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    IdlePass(500);
    EXPECT_EQ(Times(kRepeat).size(), 6u);
    // A disabled auto-repeat button does not start.
    repeater->SetEnabled(false);
    Press(30, 105);
    Release(30, 105);
    EXPECT_FALSE(repeater->IsRepeating());
    EXPECT_EQ(Times(kRepeat).size(), 6u);
}

TEST_F(ButtonTest, ASimulatedClickPressesForAMomentThenClicks)
{
    LButton* toggle = Button("toggle");
    Listen("toggle", kClick);
    StartClock();
    EXPECT_EQ(toggle->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr), S_OK);
    // Pressed at once (the plain pressed look, though the button took the focus), clicked
    // 150 ms later.
    EXPECT_TRUE(toggle->IsSimulatingClick());
    EXPECT_EQ(toggle->GetActiveLookIndex(), 2);
    EXPECT_EQ(mMain->GetFocusControl().Get(), static_cast<LControl*>(toggle));
    IdlePass(100);
    EXPECT_EQ(Count(kClick), 0);
    IdlePass(50);
    EXPECT_EQ(Times(kClick), std::vector<long>{150});
    EXPECT_EQ(toggle->GetValue(), 1.0);
    EXPECT_EQ(toggle->GetActiveLookIndex(), 10);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);

    // A second request within the time delivers the first click at once and presses again.
    toggle->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr);
    IdlePass(100);
    toggle->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr);
    EXPECT_EQ(Times(kClick), (std::vector<long>{150, 250}));
    EXPECT_EQ(toggle->GetActiveLookIndex(), 2);
    IdlePass(100);
    EXPECT_EQ(Count(kClick), 2);
    IdlePass(50);
    EXPECT_EQ(Times(kClick), (std::vector<long>{150, 250, 400}));
    EXPECT_EQ(toggle->GetValue(), 1.0);
    // No request is left behind.
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    EXPECT_EQ(toggle->GetIdleRequestCount(), 0);
}

TEST_F(ButtonTest, EnterClicksTheFocusedButtonAndDisabledButtonsIgnoreSimulatedClicks)
{
    Listen("plain", kClick);
    Listen("inner", kClick);
    Click(30, 20);
    ASSERT_EQ(Count(kClick), 1);
    Key(VK_RETURN);
    EXPECT_EQ(Count(kClick), 1);
    IdlePass(150);
    EXPECT_EQ(Count(kClick), 2);
    // Another key is not the button's.
    EXPECT_EQ(Button("plain")->HandleUnusedKey(
                  LKeyParam::Create(KeyCode::FromVirtualKey(VK_SPACE, true, 0), false)),
              S_FALSE);

    FindControl(mMain->GetRootControl().Get(), "group")->SetEnabled(false);
    Button("inner")->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr);
    EXPECT_FALSE(Button("inner")->IsSimulatingClick());
    IdlePass(200);
    EXPECT_EQ(Count(kClick), 2);
}

TEST_F(ButtonTest, AutoRepeatAndASimulatedClickShareOneIdleRequest)
{
    LButton* repeater = Button("repeater");
    repeater->SetAutoRepeat(true);
    Listen("repeater", kRepeat);
    Listen("repeater", kClick);
    // The simulated click starts first, the press joins, the click ends, then the press.
    repeater->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr);
    Press(30, 105);
    EXPECT_EQ(repeater->GetIdleRequestCount(), 1);
    IdlePass(150);
    EXPECT_FALSE(repeater->IsSimulatingClick());
    EXPECT_TRUE(repeater->IsRepeating());
    EXPECT_EQ(repeater->GetIdleRequestCount(), 1);
    Release(30, 105);
    EXPECT_EQ(repeater->GetIdleRequestCount(), 0);
    // One repeat at the press, one at the end of the simulated click; the simulated click and
    // the press's own click.
    EXPECT_EQ(Count(kRepeat), 2);
    EXPECT_EQ(Count(kClick), 2);

    // The other order: the press ends while the simulated click runs. An owner that clears the
    // running repeat gives its share back as well.
    Press(30, 105);
    repeater->DeliverNamed(L"NID_SIMULATE_CLICK", nullptr);
    repeater->SetRepeating(false);
    EXPECT_EQ(repeater->GetIdleRequestCount(), 1);
    Release(30, 105);
    IdlePass(150);
    EXPECT_EQ(repeater->GetIdleRequestCount(), 0);
}

TEST_F(ButtonTest, TheToolTipIsTheTextWhenItDoesNotFit)
{
    LButton* texty = Button("texty");
    // The text area is 72 pixels wide.
    texty->SetText(WString(L"OK"));
    EXPECT_TRUE(texty->GetToolTipText().IsEmpty());
    const WString longText(L"A text far too long for the button");
    texty->SetText(longText);
    EXPECT_EQ(texty->GetToolTipText(), longText);
}

TEST_F(ButtonTest, EveryLookDrawsItsOwnColour)
{
    // A row of fourteen buttons, each in the state of its look: those that real input can put
    // there at the same time by state, the others (pressed or focused) passive with their look
    // given by the owner, as list rows drive their check boxes.
    const int realLooks[] = {0, 1, 6, 7, 8, 12, 13};
    for (int i = 0; i < 14; ++i)
    {
        LButton* button = Button("look" + std::to_string(i));
        if (i >= 7)
        {
            button->SetChecked(true);
        }
        if (i == 1 || i == 8)
        {
            button->SetForcedHover(true);
        }
        if (i == 6 || i == 13)
        {
            button->SetEnabled(false);
        }
        if (std::find(std::begin(realLooks), std::end(realLooks), i) == std::end(realLooks))
        {
            button->SetPassive(true);
            button->SetActiveLook(i);
        }
    }
    // Look 12 by real input: pressed with the focus, held.
    const int x12 = 10 + 12 * 33 + 15;
    Press(x12, 165);
    for (int i = 0; i < 14; ++i)
    {
        EXPECT_EQ(Button("look" + std::to_string(i))->GetActiveLookIndex(), i);
    }
    PumpMessages();
    const int width = 480;
    const int height = 240;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    ASSERT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), width, height));
    SavePng(pixels.data(), width, height, ControlsArtefact("button-looks.png"));
    for (int i = 0; i < 14; ++i)
    {
        const int x = 10 + i * 33;
        // The centre, a corner inside, and the gap after the button (the window).
        EXPECT_EQ(pixels[165 * width + x + 15], kLookColors[i]) << "look " << i;
        EXPECT_EQ(pixels[151 * width + x + 1], kLookColors[i]) << "look " << i;
        EXPECT_EQ(pixels[165 * width + x + 31], 0xFF202020u) << "after look " << i;
    }
    Release(x12, 165);
}
} // namespace
