// The combo slider "cslider" of ComboSliderSkin.xml (200, 20, 80 x 24) driven through a window:
// its panel (200 wide) opens shifted left to stay inside the 320-pixel window, the thumb dragged
// in it changes the combo slider's value and text, and every "NID_VALUE_CHANGE" of the combo
// slider carries the normalized value and its value in the combo slider's range.
#include "ControlWindowFixture.h"
#include "TestControls.h"

#include "Controls/ComboBox.h"
#include "Controls/ComboSlider.h"
#include "Controls/Panel.h"
#include "Controls/Slider.h"
#include "System/WindowOSServices.h"
#include "notification/Notification.h"
#include "notification/ValueParam.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 240;
const wchar_t* const kValueChange = L"NID_VALUE_CHANGE";
constexpr std::uint32_t kPanel = 0xFF303060;
constexpr std::uint32_t kThumb = 0xFFFFFFFF;
constexpr std::uint32_t kTrack = 0xFF606060;
constexpr std::uint32_t kWindow = 0xFF202020;
// The panel opens at x = 320 - 200; the slider's track starts 10 further, 54 from the top.
constexpr int kTrackX = 130;
constexpr int kTrackY = 54;

// The (value, value in the range) of each "NID_VALUE_CHANGE".
class ValueRecorder : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        const RCPtr<LValueParam> param =
            DynamicCast<LValueParam>(notification ? notification->param : nullptr);
        values.push_back(param ? std::pair<double, double>(param->value, param->scaledValue)
                               : std::pair<double, double>(-1, -1));
        return S_OK;
    }
    std::vector<std::pair<double, double>> values;
};
} // namespace

class ComboSliderTest : public ControlWindowFixture
{
public:
    ComboSliderTest()
        : ControlWindowFixture("ComboSliderSkin.xml")
    {
    }

    void SetUp() override
    {
        ControlWindowFixture::SetUp();
        ASSERT_TRUE(mMain);
        mCombo = DynamicCast<LComboSlider>(
            RCPtr<LControl>(FindControl(mMain->GetRootControl().Get(), "cslider")));
        ASSERT_TRUE(mCombo && mCombo->GetPanel() && mCombo->GetSlider());
        mValues = new ValueRecorder();
        mValues->RegisterNotification(RCPtr<LNotificationDistributor>(mCombo.Get()), kValueChange);
    }

    void TearDown() override
    {
        if (mValues)
        {
            mValues->UnregisterAllNotifications();
        }
        ControlWindowFixture::TearDown();
    }

    std::vector<std::uint32_t> Screenshot(const char* name)
    {
        return ControlWindowFixture::Screenshot(name, kWidth, kHeight);
    }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
    }

    std::string Text() const { return std::string(mCombo->GetText().ToNarrow().GetBuffer()); }

    // Every notification so far carried the value in the range 0 to 100.
    void ExpectUserValues() const
    {
        for (const auto& [value, user] : mValues->values)
        {
            EXPECT_NEAR(user, value * 100.0, 1e-9);
        }
    }

    RCPtr<LComboSlider> mCombo;
    RCPtr<ValueRecorder> mValues;
};

TEST_F(ComboSliderTest, ValueTextAndNotificationsCarryUserValues)
{
    // No range yet: the text reads 0.
    mCombo->SetValue(0.25);
    EXPECT_EQ(Text(), "0");
    ASSERT_EQ(mCombo->SetValueRange(0, 100, 0), S_OK);
    mValues->values.clear();

    EXPECT_DOUBLE_EQ(mCombo->SetValue(0.5), 0.5);
    EXPECT_EQ(Text(), "50");
    EXPECT_DOUBLE_EQ(mCombo->GetSlider()->GetValue(), 0.5);
    // The change goes out (the slider's echo changes nothing again).
    ASSERT_FALSE(mValues->values.empty());
    for (const auto& each : mValues->values)
    {
        EXPECT_DOUBLE_EQ(each.first, 0.5);
    }
    ExpectUserValues();
}

TEST_F(ComboSliderTest, ThePanelOpensInsideTheWindowAndItsSliderDrivesTheValue)
{
    ASSERT_EQ(mCombo->SetValueRange(0, 100, 0), S_OK);
    mCombo->SetValue(0.5);
    mValues->values.clear();

    Click(240, 32);
    ASSERT_TRUE(mCombo->IsDropDownShown());
    // Shifted 80 to the left: its right edge at the window's.
    EXPECT_EQ(mCombo->GetPanel()->GetRectInRoot().x, 120);
    std::vector<std::uint32_t> pixels = Screenshot("ComboSliderOpen.png");
    EXPECT_EQ(At(pixels, 124, 48), kPanel);
    EXPECT_EQ(At(pixels, 316, 48), kPanel);
    // The thumb at t = 0.5: 85 along the track.
    EXPECT_EQ(At(pixels, kTrackX + 90, kTrackY + 10), kThumb);
    EXPECT_EQ(At(pixels, kTrackX + 40, kTrackY + 10), kTrack);
    // The open look while hovered (c5).
    EXPECT_EQ(At(pixels, 270, 22), 0xFF4080E0u);

    // Drag the thumb 34 to the right: t = 119 / 170 = 0.7.
    Press(kTrackX + 90, kTrackY + 10);
    MoveHeld(kTrackX + 107, kTrackY + 10);
    MoveHeld(kTrackX + 124, kTrackY + 10);
    Release(kTrackX + 124, kTrackY + 10);
    EXPECT_NEAR(mCombo->GetValue(), 0.7, 1e-9);
    EXPECT_EQ(Text(), "70");
    ASSERT_GE(mValues->values.size(), 2u);
    // The drag's end is reported once more with the final value.
    EXPECT_NEAR(mValues->values.back().first, 0.7, 1e-9);
    EXPECT_NEAR(mValues->values[mValues->values.size() - 2].first, 0.7, 1e-9);
    ExpectUserValues();
    pixels = Screenshot("ComboSliderDragged.png");
    EXPECT_EQ(At(pixels, kTrackX + 124, kTrackY + 10), kThumb);

    // Escape closes the panel, from the focused combo slider.
    ASSERT_EQ(mCombo->SetFocus(true), S_OK);
    Key(VK_ESCAPE);
    EXPECT_FALSE(mCombo->IsDropDownShown());
    pixels = Screenshot("ComboSliderClosed.png");
    EXPECT_EQ(At(pixels, 124, 48), kWindow);
    // Return opens it again.
    Key(VK_RETURN);
    EXPECT_TRUE(mCombo->IsDropDownShown());
    ASSERT_EQ(mCombo->ShowDropDown(false), S_OK);
}
