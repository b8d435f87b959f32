// Knobs of SliderWindow.xml, driven through the window on the application's manual clock:
// "knob" (200, 130), 40 x 40, four frames, an empty look, a focus and a disabled overlay;
// "knob31" (250, 130), 31 frames; "radialKnob" (300, 130), eight frames, a dial from 225 to 135
// degrees; "paramKnob" (350, 130), 20 x 20, full range 51 and fine-adjust multiplier 0.5;
// "bareKnob" (350, 160), 20 x 20, whose looks hold no frame, only a focus overlay; "emptyKnob"
// (375, 160), 20 x 20, without looks (so the mouse passes through it).
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Knob.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kCapture = L"NID_VALUE_CHANGE_CAPTURE";
const wchar_t* const kKeyDown = L"NID_VALUE_CHANGE_KEY_DOWN";
const wchar_t* const kKeyUp = L"NID_VALUE_CHANGE_KEY_UP";
const wchar_t* const kValueChange = L"NID_VALUE_CHANGE";

class KnobTest : public ControlWindowFixture
{
public:
    KnobTest()
        : ControlWindowFixture("SliderWindow.xml")
    {
    }

    LKnob* Knob(const char* name) const
    {
        LKnob* knob = dynamic_cast<LKnob*>(FindControl(mMain->GetRootControl().Get(), name));
        EXPECT_NE(knob, nullptr) << name;
        return knob;
    }
    // A move with the left button held, Ctrl held too when ctrl is set.
    void Move(int x, int y, bool ctrl)
    {
        BYTE state[256] = {};
        state[VK_LBUTTON] = 0x80;
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        SendMessageW(mWindow, WM_MOUSEMOVE, MK_LBUTTON | (ctrl ? MK_CONTROL : 0), MAKELPARAM(x, y));
    }
    // A linear drag of knob31 from its left edge by dx pixels, starting at value start.
    double LinearDrag(LKnob* knob, double start, int dx, int dy, bool ctrl)
    {
        knob->SetValue(start);
        Press(255, 150);
        Move(255 + dx, 150 + dy, ctrl);
        const double value = knob->GetValue();
        Release(255 + dx, 150 + dy);
        return value;
    }
};

TEST_F(KnobTest, TheCreateParametersChooseTheGestureAndItsScale)
{
    struct Case
    {
        const char* knob;
        bool radial;
        int fullRange;
        double start, end, multiplier;
        unsigned int frames;
        int focusOverlay, disabledOverlay;
    };
    const Case cases[] = {
        // The overlays follow the empty entry of the look list: the knob's looks 4 and 5.
        {"knob", false, 128, 0, 0, 0.25, 4, 4, 5},
        {"knob31", false, 124, 0, 0, 0.25, 31, -1, -1},
        {"radialKnob", true, 0, 225, 135, 0.25, 8, -1, -1},
        {"paramKnob", false, 51, 0, 0, 0.5, 2, -1, -1},
        // No frames: the default travel of 128 pixels.
        {"bareKnob", false, 128, 0, 0, 0.25, 0, 0, -1},
        {"emptyKnob", false, 128, 0, 0, 0.25, 0, -1, -1},
    };
    for (const Case& c : cases)
    {
        LKnob* knob = Knob(c.knob);
        EXPECT_EQ(knob->IsRadial(), c.radial) << c.knob;
        EXPECT_EQ(knob->GetLinearFullRange(), c.fullRange) << c.knob;
        EXPECT_EQ(knob->GetStartAngle(), c.start) << c.knob;
        EXPECT_EQ(knob->GetEndAngle(), c.end) << c.knob;
        EXPECT_EQ(knob->GetFineAdjustMultiplier(), c.multiplier) << c.knob;
        EXPECT_EQ(knob->GetFrameCount(), c.frames) << c.knob;
        EXPECT_EQ(knob->GetFocusOverlayLook(), c.focusOverlay) << c.knob;
        EXPECT_EQ(knob->GetDisabledOverlayLook(), c.disabledOverlay) << c.knob;
        EXPECT_EQ(knob->GetMaximum(), 127.0) << c.knob;
    }
    EXPECT_EQ(Knob("radialKnob")->GetGestureCentre().x, 20);
    EXPECT_EQ(Knob("radialKnob")->GetGestureCentre().y, 20);
    // Angles come into [0, 360).
    const double angles[][2] = {{-90, 270}, {720, 0}, {370.5, 10.5}, {359.9, 359.9}, {-720, 0}};
    for (const auto& angle : angles)
    {
        EXPECT_NEAR(LKnob::NormalizeAngle(angle[0]), angle[1], 1e-9) << angle[0];
    }
}

TEST_F(KnobTest, TheRadialGestureFollowsThePointersAngleAndSnapsAcrossTheDeadZone)
{
    LKnob* knob = Knob("radialKnob");
    struct Case
    {
        const char* where;
        double x, y;
        double value;
    };
    // Around the centre (20, 20), the dial running clockwise from 225 through the top to 135.
    const Case cases[] = {
        {"up", 20, 5, 0.5},
        {"right", 35, 20, 225.0 / 270},
        {"left", 5, 20, 45.0 / 270},
        {"start", 20 - 10, 20 + 10, 0.0},
        {"end", 20 + 10, 20 + 10, 1.0},
        {"down: the middle of the dead zone goes to the end", 20, 35, 1.0},
        {"a = 198: past the middle, to the start", 17, 29, 0.0},
        {"a = 162: before the middle, to the end", 23, 29, 1.0},
    };
    for (const Case& c : cases)
    {
        knob->SetValue(0.25);
        EXPECT_EQ(knob->ApplyRadialGesture(c.x, c.y), 0) << c.where;
        EXPECT_NEAR(knob->GetValue(), c.value, 1e-9) << c.where;
    }
    knob->SetValue(0.25);
    EXPECT_EQ(knob->ApplyRadialGesture(20, 20), 1);
    EXPECT_EQ(knob->GetValue(), 0.25);

    // Through the window: the press takes the angle at once, the drag follows; 0.5 shows frame
    // round(7 * 0.5) = 4.
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(knob), kCapture);
    Press(320, 135);
    MoveHeld(320, 134);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
    EXPECT_EQ(knob->GetActiveLookIndex(), 4);
    MoveHeld(335, 150);
    EXPECT_NEAR(knob->GetValue(), 225.0 / 270, 1e-9);
    Release(335, 150);
    EXPECT_EQ(mRecorder->Count(kCapture), 2);
}

TEST_F(KnobTest, TheLinearGestureSweepsTheRangeOverItsTravelAndFinelyWithCtrl)
{
    LKnob* knob = Knob("knob31");
    struct Case
    {
        const char* what;
        double start;
        int dx, dy;
        bool ctrl;
        double value;
    };
    const Case cases[] = {
        {"123 pixels right sweep the range", 0.0, 123, 0, false, 1.0},
        {"up raises", 0.0, 0, -41, false, 41.0 / 123},
        {"left lowers", 1.0, -60, 0, false, 63.0 / 123},
        {"down lowers, clamped at 0", 0.2, 0, 90, false, 0.0},
        // A quarter as far, snapped to 1/495: 123 * 0.25 / 123 = 0.25 -> 124 / 495.
        {"Ctrl: a quarter", 0.0, 123, 0, true, 124.0 / 495},
        {"Ctrl: one pixel", 0.0, 1, 0, true, 1.0 / 495},
    };
    for (const Case& c : cases)
    {
        EXPECT_NEAR(LinearDrag(knob, c.start, c.dx, c.dy, c.ctrl), c.value, 1e-12) << c.what;
    }

    // A diagonal step counts on one axis only, by the travel of the two steps before it.
    knob->SetValue(60.0 / 123);
    Press(255, 150);
    MoveHeld(285, 150);
    EXPECT_NEAR(knob->GetValue(), 90.0 / 123, 1e-12);
    // (5, 10) after (30, 0): its y part is dropped (else 85).
    MoveHeld(290, 160);
    EXPECT_NEAR(knob->GetValue(), 95.0 / 123, 1e-12);
    MoveHeld(290, 190);
    EXPECT_NEAR(knob->GetValue(), 65.0 / 123, 1e-12);
    // (10, 5) after (0, 30): its x part is dropped (else 70).
    MoveHeld(300, 195);
    EXPECT_NEAR(knob->GetValue(), 60.0 / 123, 1e-12);
    Release(300, 195);

    // The knob's own full range and multiplier: 50 pixels sweep it, Ctrl halves the step.
    LKnob* param = Knob("paramKnob");
    Press(352, 140);
    MoveHeld(377, 140);
    EXPECT_NEAR(param->GetValue(), 0.5, 1e-12);
    // 0.1 finer, snapped to the 101 steps of 51 / 0.5 - 1.
    Move(387, 140, true);
    EXPECT_NEAR(param->GetValue(), 61.0 / 101, 1e-12);
    Release(387, 140);
}

TEST_F(KnobTest, AValueSetDuringADragWaitsForItsEnd)
{
    LKnob* knob = Knob("knob31");
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(knob), kCapture);
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(knob), kValueChange);
    Press(255, 150);
    MoveHeld(265, 150);
    EXPECT_NEAR(knob->GetValue(), 10.0 / 123, 1e-12);
    EXPECT_NEAR(knob->SetValue(0.3), 10.0 / 123, 1e-12);
    EXPECT_EQ(knob->GetPendingValue(), 0.3);
    MoveHeld(266, 150);
    EXPECT_NEAR(knob->GetValue(), 11.0 / 123, 1e-12);
    Release(266, 150);
    EXPECT_EQ(knob->GetValue(), 0.3);
    EXPECT_EQ(knob->GetPendingValue(), -1.0);
    ASSERT_GE(mRecorder->received.size(), 2u);
    EXPECT_EQ(mRecorder->received.back(), kCapture);
    EXPECT_EQ(mRecorder->received[mRecorder->received.size() - 2], kValueChange);
    EXPECT_EQ(mRecorder->received.front(), kCapture);
}

TEST_F(KnobTest, FramesOverlaysKeysAndTheWheel)
{
    LKnob* knob = Knob("knob");
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(knob), kKeyDown);
    mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(knob), kKeyUp);
    // Frames: round(3 * value).
    const double frames[][2] = {{0.0, 0}, {0.16, 0}, {0.17, 1}, {0.5, 2}, {0.84, 3}, {1.0, 3}};
    for (const auto& frame : frames)
    {
        knob->SetValue(frame[0]);
        EXPECT_EQ(knob->GetActiveLookIndex(), static_cast<int>(frame[1])) << frame[0];
    }

    // The focus overlay lies over every frame while the knob has the focus.
    ASSERT_EQ(knob->SetFocus(true), S_OK);
    for (unsigned int frame = 0; frame < 4; ++frame)
    {
        EXPECT_TRUE(knob->GetLook(frame)->GetOverrideClientPart()) << frame;
    }
    EXPECT_FALSE(knob->GetLook(4)->GetOverrideClientPart());

    // Right held for two presses: one KEY_DOWN, two units, one KEY_UP.
    knob->SetValue(0.0);
    SendMessageW(mWindow, WM_KEYDOWN, VK_RIGHT, 1);
    SendMessageW(mWindow, WM_KEYDOWN, VK_RIGHT, 1 | (1u << 30));
    SendMessageW(mWindow, WM_KEYUP, VK_RIGHT, 1 | (1u << 30) | (1u << 31));
    IdlePass(0);
    EXPECT_NEAR(knob->GetValue(), 2.0 / 127, 1e-12);
    EXPECT_EQ(mRecorder->Count(kKeyDown), 1);
    EXPECT_EQ(mRecorder->Count(kKeyUp), 1);
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_LEFT);
    IdlePass(0);
    EXPECT_EQ(knob->GetValue(), 0.0);

    // The wheel: up and right raise, down and left lower.
    mMain->HandleMouseWheel(PointT<LONG>(220, 150), 0, LRootWindow::kWheelUp);
    mMain->HandleMouseWheel(PointT<LONG>(220, 150), 0, LRootWindow::kWheelRight);
    mMain->HandleMouseWheel(PointT<LONG>(220, 150), 0, LRootWindow::kWheelLeft);
    EXPECT_NEAR(knob->GetValue(), 1.0 / 127, 1e-12);
    mMain->HandleMouseWheel(PointT<LONG>(220, 150), 0, LRootWindow::kWheelDown);
    EXPECT_EQ(knob->GetValue(), 0.0);

    // The focus leaves during a hold: KEY_UP without a key; the focus overlay comes off.
    SendMessageW(mWindow, WM_KEYDOWN, VK_UP, 1);
    IdlePass(0);
    Knob("knob31")->SetFocus(true);
    EXPECT_EQ(mRecorder->Count(kKeyUp), 5);
    EXPECT_FALSE(knob->GetLook(0)->GetOverrideClientPart());
    // Disabled: the disabled overlay.
    knob->SetEnabled(false);
    EXPECT_TRUE(knob->GetLook(3)->GetOverrideClientPart());
    knob->SetEnabled(true);
    EXPECT_FALSE(knob->GetLook(3)->GetOverrideClientPart());
}

TEST_F(KnobTest, KnobsWithoutFramesAreDrivenWithoutFault)
{
    LKnob* knob = Knob("bareKnob");
    // Its one look is the focus overlay, shown as it is.
    EXPECT_EQ(knob->GetActiveLookIndex(), 0);
    // 127 pixels of its 128-pixel travel sweep the range.
    Press(352, 170);
    MoveHeld(352 + 127, 170);
    EXPECT_EQ(knob->GetValue(), 1.0);
    Release(352 + 127, 170);
    EXPECT_EQ(knob->GetActiveLookIndex(), 0);
    Key(VK_LEFT);
    IdlePass(0);
    EXPECT_NEAR(knob->GetValue(), 126.0 / 127, 1e-12);

    LKnob* empty = Knob("emptyKnob");
    EXPECT_EQ(empty->GetActiveLookIndex(), -1);
    ASSERT_EQ(empty->SetFocus(true), S_OK);
    Key(VK_RIGHT);
    Key(VK_UP);
    IdlePass(0);
    EXPECT_NEAR(empty->GetValue(), 2.0 / 127, 1e-12);
    // The wheel nobody under the pointer takes goes to the focused knob.
    mMain->HandleMouseWheel(PointT<LONG>(385, 170), 0, LRootWindow::kWheelDown);
    EXPECT_NEAR(empty->GetValue(), 1.0 / 127, 1e-12);
    EXPECT_EQ(empty->SetValue(0.5), 0.5);
    EXPECT_EQ(empty->ApplyRadialGesture(3, 3), 0);
    EXPECT_EQ(empty->GetActiveLookIndex(), -1);
}
} // namespace
