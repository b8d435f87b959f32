// The open and close protocol of the drop-down base, through a small drop-down control in a
// window (SDL's offscreen driver) driven by mouse and key messages: a click opens, a click on the
// open control closes it and leaves it closed, focus moving away (a click elsewhere, Tab) closes
// it, Escape in the drop-down part closes it and the next click opens it again.
//
// The window (320 x 240) holds "combo" (20, 20, 120 x 30) with its drop-down part "list" (below
// it, 120 x 80, hidden until opened; it takes the focus while open) and "other" (200, 20).
#include "ControlsFixture.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/DropDownControl.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
std::vector<std::string>* gEvents = nullptr;

// The drop-down part: Escape closes it.
class DropList : public TestPanel
{
public:
    using TestPanel::TestPanel;
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override
    {
        if (param && param->key.IsVirtualKey(VK_ESCAPE))
        {
            SetVisible(false);
            return S_OK;
        }
        return TestPanel::HandleUnusedKey(param);
    }
};

// Opens its child "list" and gives it the focus; notes each opening and closing.
class TestDropDown : public LDropDownControl
{
public:
    TestDropDown(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LDropDownControl(parent, descriptor)
    {
    }
    ORVRESULT Initialize() override
    {
        const ORVRESULT result = LDropDownControl::Initialize();
        SetNotFocusable(false);
        return result;
    }
    bool IsDropDownShown() override
    {
        const RCPtr<LControl> list = FindChildControl(WString(L"list"));
        return list && list->IsVisible(false);
    }
    ORVRESULT ShowDropDown(bool show) override
    {
        const RCPtr<LControl> list = FindChildControl(WString(L"list"));
        if (!list)
        {
            return E_FAIL;
        }
        if (show != IsDropDownShown() && gEvents != nullptr)
        {
            gEvents->push_back(show ? "open" : "close");
        }
        list->SetVisible(show);
        if (show)
        {
            list->SetFocus(true);
        }
        return S_OK;
    }
};

class DropDownControlTest : public ControlsFixture
{
protected:
    DropDownControlTest()
        : ControlsFixture("DropDownSkin.xml")
    {
        mFactory->RegisterControlCreateFunction(WString(L"Test.DropDown"),
                                                &CreateControlOf<TestDropDown>);
        mFactory->RegisterControlCreateFunction(WString(L"Test.DropList"),
                                                &CreateControlOf<DropList>);
    }

    void SetUp() override
    {
        gEvents = &mEvents;
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        mCombo = RCPtr<TestDropDown>(mMain->GetRootControl()->FindChildControl(WString(L"combo")));
        ASSERT_TRUE(mCombo);
    }
    void TearDown() override
    {
        gEvents = nullptr;
        mCombo = nullptr;
    }

    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMouse(mWindow, message, x, y, keys);
    }
    void Click(int x, int y)
    {
        Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y);
    }
    void RightClick(int x, int y)
    {
        Mouse(WM_RBUTTONDOWN, x, y, MK_RBUTTON);
        Mouse(WM_RBUTTONUP, x, y);
    }
    void Key(WPARAM key)
    {
        SendMessageW(mWindow, WM_KEYDOWN, key, 1);
        SendMessageW(mWindow, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    }
    // The window drawn anew, saved as a test artefact; the pixel at (x, y).
    std::uint32_t Pixel(const char* screenshot, int x, int y)
    {
        constexpr int kWidth = 320;
        constexpr int kHeight = 240;
        mMain->RedrawNow();
        PumpMessages();
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
        EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(mWindow, pixels.data(), kWidth, kHeight));
        SavePng(pixels.data(), kWidth, kHeight, ControlsArtefact(screenshot));
        return pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
    }
    std::string FocusName() const
    {
        const RCPtr<LControl> focus = mMain->GetFocusControl();
        return focus ? focus->GetName().ToNarrow().GetBuffer() : "";
    }

    std::vector<std::string> mEvents;
    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
    RCPtr<TestDropDown> mCombo;
};

TEST_F(DropDownControlTest, ClicksFocusAndEscapeOpenAndCloseTheDropDown)
{
    struct Step
    {
        const char* what;
        std::function<void()> action;
        std::vector<std::string> events;
        bool open;
        const char* focus;
    };
    const Step steps[] = {
        {"click the control", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"click it again", [&] { Click(40, 30); }, {"close"}, false, "combo"},
        {"and again", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"click elsewhere", [&] { Click(220, 30); }, {"close"}, false, "other"},
        {"click the control", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"Tab away", [&] { Key(VK_TAB); }, {"close"}, false, "other"},
        {"click the control", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"a click in the open part", [&] { Click(60, 80); }, {}, true, "list"},
        // The part closes itself; the focus comes back to the control.
        {"Escape in the part", [&] { Key(VK_ESCAPE); }, {}, false, "combo"},
        {"click the control", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"click it to close", [&] { Click(40, 30); }, {"close"}, false, "combo"},
        {"a right click on the closed control", [&] { RightClick(40, 30); }, {}, false, "combo"},
        {"the next click opens", [&] { Click(40, 30); }, {"open"}, true, "list"},
        {"click elsewhere", [&] { Click(220, 30); }, {"close"}, false, "other"},
    };
    for (const Step& step : steps)
    {
        mEvents.clear();
        step.action();
        EXPECT_EQ(mEvents, step.events) << step.what;
        EXPECT_EQ(mCombo->IsDropDownShown(), step.open) << step.what;
        EXPECT_EQ(FocusName(), step.focus) << step.what;
        // No mark outlives the press that set it.
        EXPECT_FALSE(mCombo->IsClosePending()) << step.what;
    }
}

TEST_F(DropDownControlTest, APressOnTheOpenControlMarksItClosedByTheFocus)
{
    Click(40, 30);
    ASSERT_TRUE(mCombo->IsDropDownShown());
    // The open part below the control, drawn over the window.
    EXPECT_EQ(Pixel("drop-down-open.png", 60, 80), 0xFF20C040u);
    EXPECT_EQ(Pixel("drop-down-open.png", 60, 30), 0xFF2040E0u);
    // The press alone: the focus closed the drop-down, the control's own "NID_MOUSE_DOWN" marked
    // the close pending, and the left button's condition took the mark instead of opening.
    Mouse(WM_LBUTTONDOWN, 40, 30, MK_LBUTTON);
    EXPECT_TRUE(mCombo->IsClosedByFocus());
    EXPECT_FALSE(mCombo->IsClosePending());
    EXPECT_FALSE(mCombo->IsDropDownShown());
    Mouse(WM_LBUTTONUP, 40, 30);
    EXPECT_EQ(Pixel("drop-down-closed.png", 60, 80), 0xFF404040u);
    // Taking the focus while closed clears the mark.
    mCombo->SetFocus(true);
    EXPECT_FALSE(mCombo->IsClosedByFocus());
    // Only the left button going down opens: not a change that keeps it down, nor another button.
    mEvents.clear();
    mCombo->OnConditionsChange(LConditionsParam::Create(
        LControl::kLeftDown, LControl::kLeftDown | LControl::kHover, PointT<double>()));
    mCombo->OnConditionsChange(LConditionsParam::Create(0, LControl::kRightDown, PointT<double>()));
    mCombo->OnConditionsChange(
        LConditionsParam::Create(LControl::kLeftDown, LControl::kLeftDrag, PointT<double>()));
    EXPECT_FALSE(mCombo->IsDropDownShown());
    EXPECT_TRUE(mEvents.empty());
    mCombo->OnConditionsChange(LConditionsParam::Create(0, LControl::kLeftDown, PointT<double>()));
    EXPECT_TRUE(mCombo->IsDropDownShown());
    EXPECT_EQ(mEvents, std::vector<std::string>{"open"});
}
} // namespace
