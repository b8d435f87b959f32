// Sliders made by the factory from SliderWindow.xml, in a root window under SDL's offscreen
// driver, driven by mouse, wheel and key messages and by idle passes on the application's manual
// clock: the thumb's place for a value on horizontal, vertical and slanted tracks, dragging, the
// track's page steps and their repeat, keys and wheel in units of the range, the value sent at
// the end of a drag, and sliders whose markers coincide or are missing.
//
// In the window (its client origin is the main control's): "hSlider" at (10, 10), 140 x 20, its
// markers at x 10 and 110 (10 x 20 each, so the thumb's hot spot is (5, 10)); "vSlider" at
// (170, 10), markers at y 110 (start) and 0; "slantSlider" at (200, 10), markers at (0, 0) and
// (80, 60); "flatSlider" at (10, 40) with both markers at (50, 0); "bareSlider" at (10, 70)
// without markers.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/Slider.h"
#include "notification/ValueParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
const wchar_t* const kValueChange = L"NID_VALUE_CHANGE";
const wchar_t* const kCapture = L"NID_VALUE_CHANGE_CAPTURE";
const wchar_t* const kKeyDown = L"NID_VALUE_CHANGE_KEY_DOWN";
const wchar_t* const kKeyUp = L"NID_VALUE_CHANGE_KEY_UP";

// Keeps the value parameters it receives.
class ValueRecorder : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        if (const LValueParam* param = dynamic_cast<LValueParam*>(notification->param.Get()))
        {
            values.push_back(param->value);
            scaled.push_back(param->scaledValue);
        }
        return 0;
    }
    std::vector<double> values;
    std::vector<double> scaled;
};

class SliderTest : public ControlWindowFixture
{
public:
    SliderTest()
        : ControlWindowFixture("SliderWindow.xml")
    {
    }

    LSlider* Slider(const char* name) const
    {
        LSlider* slider = dynamic_cast<LSlider*>(FindControl(mMain->GetRootControl().Get(), name));
        EXPECT_NE(slider, nullptr) << name;
        return slider;
    }
    static PointT<double> ThumbAt(const LSlider& slider)
    {
        const RectT<double> rect = slider.GetThumb()->GetRect();
        return PointT<double>(rect.x, rect.y);
    }
    void Record(LSlider* slider)
    {
        for (const wchar_t* name : {kValueChange, kCapture, kKeyDown, kKeyUp})
        {
            mRecorder->RegisterNotification(RCPtr<LNotificationDistributor>(slider), name);
        }
    }
    // A key down (repeated while held: twice) and up, delivered by the next idle pass.
    void HoldKey(WPARAM key, int presses)
    {
        for (int i = 0; i < presses; ++i)
        {
            SendMessageW(mWindow, WM_KEYDOWN, key, i == 0 ? 1 : (1 | (1u << 30)));
        }
        SendMessageW(mWindow, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        IdlePass(0);
    }
};

TEST_F(SliderTest, TheThumbSitsAtTheValuesPlaceOnEveryTrack)
{
    struct Case
    {
        const char* slider;
        double value;
        double x, y;
    };
    const Case cases[] = {
        {"hSlider", 0.0, 10, 0},    {"hSlider", 0.25, 35, 0},     {"hSlider", 1.0, 110, 0},
        {"hSlider", 0.333, 43, 0},  {"vSlider", 0.0, 0, 110},     {"vSlider", 0.5, 0, 55},
        {"vSlider", 1.0, 0, 0},     {"slantSlider", 0.5, 40, 30}, {"slantSlider", 1.0, 80, 60},
        {"flatSlider", 0.7, 50, 0},
    };
    for (const Case& c : cases)
    {
        LSlider* slider = Slider(c.slider);
        ASSERT_TRUE(slider->GetThumb()) << c.slider;
        EXPECT_EQ(slider->SetValue(c.value), c.value) << c.slider;
        EXPECT_EQ(ThumbAt(*slider).x, c.x) << c.slider << " " << c.value;
        EXPECT_EQ(ThumbAt(*slider).y, c.y) << c.slider << " " << c.value;
    }
    // Back from a position: the distance from thumbStart over the track's length. Markers on one
    // point give 0, never a NaN.
    EXPECT_DOUBLE_EQ(Slider("hSlider")->ThumbPositionToNormalized(35, 0), 0.25);
    EXPECT_DOUBLE_EQ(Slider("vSlider")->ThumbPositionToNormalized(0, 22), 0.8);
    EXPECT_DOUBLE_EQ(Slider("slantSlider")->ThumbPositionToNormalized(40, 30), 0.5);
    EXPECT_EQ(Slider("flatSlider")->ThumbPositionToNormalized(50, 0), 0.0);
    EXPECT_EQ(Slider("flatSlider")->ThumbPositionToNormalized(90, 7), 0.0);
    EXPECT_EQ(Slider("bareSlider")->ThumbPositionToNormalized(90, 7), 0.0);

    // The markers are hidden; the thumb, made from thumbStart, keeps its pressed look.
    LSlider* h = Slider("hSlider");
    EXPECT_FALSE(h->GetThumbStart()->IsVisible(false));
    EXPECT_FALSE(h->GetThumbEnd()->IsVisible(false));
    EXPECT_TRUE(h->GetThumb()->IsVisible(true));
    EXPECT_TRUE(h->GetThumb()->IsKeepPressedLook());
    EXPECT_EQ(h->GetHotSpot().x, 5);
    EXPECT_EQ(h->GetHotSpot().y, 10);
    EXPECT_EQ(h->GetMaximum(), 127.0);
    EXPECT_FALSE(Slider("bareSlider")->GetThumb());

    // Squared response: t is the square of the relative distance.
    h->SetSquaredResponse(true);
    h->SetValue(0.25);
    EXPECT_EQ(ThumbAt(*h).x, 60);
    EXPECT_DOUBLE_EQ(h->ThumbPositionToNormalized(60, 0), 0.25);
}

TEST_F(SliderTest, ConstrainingKeepsTheThumbOnTheTrackBetweenTheMarkers)
{
    struct Case
    {
        const char* slider;
        LONG x, y;
        LONG expectX, expectY;
    };
    const Case cases[] = {
        {"hSlider", 57, 13, 57, 0},     {"hSlider", -40, 0, 10, 0},
        {"hSlider", 500, 0, 110, 0},    {"vSlider", 30, 40, 0, 40},
        {"vSlider", 0, 200, 0, 110},    {"slantSlider", 40, 30, 40, 30},
        {"slantSlider", 70, 0, 45, 34}, {"slantSlider", 200, 200, 80, 60},
        {"flatSlider", 80, 9, 50, 0},
    };
    for (const Case& c : cases)
    {
        LSlider* slider = Slider(c.slider);
        slider->SetValue(0.0);
        const PointT<LONG> placed = slider->ConstrainThumbPosition(c.x, c.y);
        EXPECT_EQ(placed.x, c.expectX) << c.slider << " " << c.x << "," << c.y;
        EXPECT_EQ(placed.y, c.expectY) << c.slider << " " << c.x << "," << c.y;
    }
}

TEST_F(SliderTest, DraggingTheThumbFollowsThePointerAndAppliesAValueSetMeanwhileAtTheEnd)
{
    LSlider* slider = Slider("hSlider");
    Record(slider);
    // The thumb at x 10 of the slider: (25, 20) in the window is its centre.
    Press(25, 20);
    MoveHeld(75, 26);
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_EQ(ThumbAt(*slider).x, 60);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.5);
    MoveHeld(400, 20);
    EXPECT_EQ(slider->GetValue(), 1.0);
    EXPECT_EQ(ThumbAt(*slider).x, 110);
    MoveHeld(-30, 20);
    EXPECT_EQ(slider->GetValue(), 0.0);
    EXPECT_EQ(ThumbAt(*slider).x, 10);
    MoveHeld(55, 20);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.3);

    // A value from outside waits for the end of the drag; the thumb stays under the pointer.
    EXPECT_DOUBLE_EQ(slider->SetValue(0.8), 0.3);
    EXPECT_EQ(slider->GetPendingValue(), 0.8);
    EXPECT_EQ(ThumbAt(*slider).x, 40);
    const size_t before = mRecorder->received.size();
    Release(55, 20);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.8);
    EXPECT_EQ(ThumbAt(*slider).x, 90);
    const std::vector<std::wstring> tail(mRecorder->received.begin() + before,
                                         mRecorder->received.end());
    EXPECT_EQ(tail, (std::vector<std::wstring>{kValueChange, kCapture}));
    EXPECT_EQ(mRecorder->Count(kCapture), 2);
    EXPECT_EQ(mRecorder->received.front(), kCapture);

    // The slanted track: the thumb follows the pointer's foot on the line.
    LSlider* slant = Slider("slantSlider");
    Press(205, 15);
    MoveHeld(245, 45);
    EXPECT_EQ(ThumbAt(*slant).x, 40);
    EXPECT_EQ(ThumbAt(*slant).y, 30);
    EXPECT_DOUBLE_EQ(slant->GetValue(), 0.5);
    Release(245, 45);
}

TEST_F(SliderTest, TheEndOfADragSendsTheValueInTheRangesUnitsWhenAsked)
{
    LSlider* slider = Slider("hSlider");
    ASSERT_EQ(slider->SetValueRange(0, 200, LControl::kLinearScale), S_OK);
    slider->SetSendValueAtDragEnd(true);
    const RCPtr<ValueRecorder> values(new ValueRecorder());
    values->RegisterNotification(RCPtr<LNotificationDistributor>(slider), kValueChange);
    Press(25, 20);
    MoveHeld(75, 20);
    Release(75, 20);
    ASSERT_EQ(values->values.size(), 2u);
    // Both the change and the repeat at the end carry t and its value in the range's units.
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_DOUBLE_EQ(values->values[i], 0.5);
        EXPECT_DOUBLE_EQ(values->scaled[i], 100.0);
    }
    values->UnregisterAllNotifications();
}

TEST_F(SliderTest, TheTrackPagesTowardThePointerOnceAClickAndRepeatsWhileHeld)
{
    LSlider* slider = Slider("hSlider");
    // The pointer at x 100 of the slider puts the hot spot at 95: t = 0.85.
    Click(110, 20);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.1);
    slider->SetValue(0.0);

    struct Step
    {
        long at;
        double value;
    };
    // Pages after 0.3 s, then every 0.1 s, never past the pointer.
    const Step steps[] = {{100, 0.0}, {200, 0.0},  {300, 0.1},   {400, 0.2},
                          {500, 0.3}, {1000, 0.8}, {1100, 0.85}, {1500, 0.85}};
    StartClock();
    Press(110, 20);
    EXPECT_TRUE(slider->IsRepeating());
    for (const Step& step : steps)
    {
        while (Ms() < step.at)
        {
            IdlePass(50);
        }
        EXPECT_NEAR(slider->GetValue(), step.value, 1e-9) << step.at;
    }
    Release(110, 20);
    EXPECT_FALSE(slider->IsRepeating());
    IdlePass(500);
    EXPECT_NEAR(slider->GetValue(), 0.85, 1e-9);

    // Back toward the start from the far side.
    Click(25, 20);
    EXPECT_NEAR(slider->GetValue(), 0.75, 1e-9);
}

TEST_F(SliderTest, ArrowKeysAndTheWheelStepOneUnitOfTheRange)
{
    LSlider* slider = Slider("hSlider");
    Record(slider);
    ASSERT_EQ(slider->GetThumb()->SetFocus(true), S_OK);
    EXPECT_EQ(slider->GetActiveLookIndex(), LSlider::kLookFocused);

    // Right held for two presses: one KEY_DOWN, two steps, one KEY_UP.
    HoldKey(VK_RIGHT, 2);
    EXPECT_NEAR(slider->GetValue(), 2.0 / 127, 1e-12);
    EXPECT_EQ(mRecorder->Count(kKeyDown), 1);
    EXPECT_EQ(mRecorder->Count(kKeyUp), 1);
    EXPECT_FALSE(slider->IsKeySeriesActive());
    HoldKey(VK_DOWN, 1);
    HoldKey(VK_UP, 1);
    HoldKey(VK_LEFT, 3);
    EXPECT_EQ(slider->GetValue(), 0.0);
    EXPECT_EQ(mRecorder->Count(kKeyDown), 4);
    // At the end of the range the value stays.
    slider->SetValue(1.0);
    HoldKey(VK_RIGHT, 1);
    EXPECT_EQ(slider->GetValue(), 1.0);
    EXPECT_EQ(ThumbAt(*slider).x, 110);

    // The wheel over the thumb or the track: up and right raise, down and left lower.
    slider->SetValue(0.5);
    const double unit = 1.0 / 127;
    const struct
    {
        int x, direction;
        double change;
    } wheels[] = {{70, LRootWindow::kWheelUp, unit},
                  {140, LRootWindow::kWheelDown, -unit},
                  {140, LRootWindow::kWheelRight, unit},
                  {70, LRootWindow::kWheelLeft, -unit}};
    for (const auto& wheel : wheels)
    {
        const double before = slider->GetValue();
        mMain->HandleMouseWheel(PointT<LONG>(wheel.x, 20), 0, wheel.direction);
        EXPECT_NEAR(slider->GetValue() - before, wheel.change, 1e-12) << wheel.direction;
    }

    // A key series that the focus leaves ends with a KEY_UP without a key.
    SendMessageW(mWindow, WM_KEYDOWN, VK_RIGHT, 1);
    IdlePass(0);
    EXPECT_TRUE(slider->IsKeySeriesActive());
    Slider("vSlider")->GetThumb()->SetFocus(true);
    EXPECT_FALSE(slider->IsKeySeriesActive());
    EXPECT_EQ(mRecorder->Count(kKeyUp), 6);
    EXPECT_EQ(slider->GetActiveLookIndex(), LSlider::kLookNormal);
    slider->SetEnabled(false);
    EXPECT_EQ(slider->GetActiveLookIndex(), LSlider::kLookDisabled);
}

TEST_F(SliderTest, ADoubleClickOrCtrlClickRestoresTheDefaultWhenAsked)
{
    LSlider* slider = Slider("hSlider");
    slider->SetValue(0.9);
    // Off by default: a Ctrl click on the thumb changes nothing.
    const int thumbX = 10 + 90 + 15;
    Mouse(WM_MOUSEMOVE, thumbX, 20);
    Mouse(WM_LBUTTONDOWN, thumbX, 20, MK_LBUTTON | MK_CONTROL);
    Mouse(WM_LBUTTONUP, thumbX, 20, MK_CONTROL);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.9);

    slider->SetResetOnDoubleClick(true);
    slider->SetDefaultValue(0.5);
    Mouse(WM_LBUTTONDOWN, thumbX, 20, MK_LBUTTON | MK_CONTROL);
    Mouse(WM_LBUTTONUP, thumbX, 20, MK_CONTROL);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.5);

    // A double click on the track: the page step, then the default.
    slider->SetValue(0.0);
    Click(120, 20);
    Mouse(WM_LBUTTONDBLCLK, 120, 20, MK_LBUTTON);
    Release(120, 20);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.5);
}

TEST_F(SliderTest, SlidersWithCoincidentOrMissingMarkersAreDrivenWithoutFault)
{
    LSlider* flat = Slider("flatSlider");
    LSlider* bare = Slider("bareSlider");
    for (LSlider* slider : {flat, bare})
    {
        Record(slider);
    }
    // The flat slider's thumb at (50, 0): window (65, 50). It cannot move.
    Press(65, 50);
    MoveHeld(120, 52);
    MoveHeld(20, 45);
    Release(20, 45);
    EXPECT_EQ(flat->GetValue(), 0.0);
    EXPECT_EQ(ThumbAt(*flat).x, 50);
    EXPECT_EQ(mRecorder->Count(kCapture), 2);
    // The track: the target is 0 wherever the pointer is, and the thumb is never farther from
    // the start than the pointer: the page step ends at the target.
    flat->SetValue(0.5);
    Click(140, 50);
    EXPECT_EQ(flat->GetValue(), 0.0);
    EXPECT_FALSE(std::isnan(flat->GetValue()));

    // Without a thumb the slider itself takes the keys, the wheel and the clicks.
    ASSERT_EQ(bare->SetFocus(true), S_OK);
    HoldKey(VK_RIGHT, 3);
    EXPECT_NEAR(bare->GetValue(), 3.0 / 127, 1e-12);
    mMain->HandleMouseWheel(PointT<LONG>(60, 80), 0, LRootWindow::kWheelUp);
    EXPECT_NEAR(bare->GetValue(), 4.0 / 127, 1e-12);
    Click(100, 80);
    EXPECT_EQ(bare->GetValue(), 0.0);
    EXPECT_EQ(bare->SetValue(0.6), 0.6);
}
} // namespace
