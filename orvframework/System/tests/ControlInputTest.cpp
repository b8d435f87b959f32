// A control tree in a root window (SDL's offscreen driver) driven by keys and the mouse through
// the window's messages: Tab and Shift+Tab through groups, labels, a disabled and a hidden
// panel; key bindings of siblings; a scrolling drag thrown on release, its animation run from
// the idle pass on the application's clock until it ends; a drag that moves a control; and the
// idle subscriptions, all given back after each scenario.
//
// The window (320 x 240) holds "groupA" (10, 10, 140 x 100) with "a1", the label "labelA" and
// "a2"; the label "labelMid"; "disabled"; "hidden"; "groupB" (170, 10) with the keyed panels
// "b1" and "b2"; "scroller" (170, 130, 100 x 80) showing a 3000 x 300 content; and "movable"
// (10, 160, 40 x 30).
#include "TestApplication.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "ControlBase/ControlCreator.h"
#include "System/OSWindow.h"
#include "System/WindowOSServices.h"
#include "notification/KeyCode.h"
#include "notification/Notification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
std::vector<std::string>* gJournal = nullptr;

void NoteEvent(const LControl& control, const std::string& event)
{
    if (gJournal != nullptr)
    {
        gJournal->push_back(std::string(control.GetName().ToNarrow().GetBuffer()) + ":" + event);
    }
}

// A control that takes no focus, as a label.
class TestLabel : public LControl
{
public:
    TestLabel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LControl(parent, descriptor)
    {
    }

    ORVRESULT Initialize() override
    {
        const ORVRESULT result = LControl::Initialize();
        SetNotFocusable(true);
        return result;
    }
};

// A panel with key bindings: "b1" binds Ctrl+1, "b2" Ctrl+2, both bind F4. The notifications
// the bindings make are noted.
class TestKeyed : public TestPanel
{
public:
    TestKeyed(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : TestPanel(parent, descriptor)
    {
    }

    ORVRESULT Initialize() override
    {
        const std::string name = Name();
        AddKeyBinding(KeyCode::Parse(name == "b1" ? L"Ctrl+VKEY_1" : L"Ctrl+VKEY_2"),
                      WString(name == "b1" ? L"NID_TEST_B1" : L"NID_TEST_B2"));
        AddKeyBinding(KeyCode::Parse(L"VKEY_F4"), WString(L"NID_TEST_F4"));
        return TestPanel::Initialize();
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        const std::wstring id = notification->id;
        if (id.rfind(L"NID_TEST", 0) == 0)
        {
            NoteEvent(*this, WString(id.c_str()).ToNarrow().GetBuffer());
        }
        return TestPanel::ReceiveNotification(source, notification);
    }
};

// A control that a left drag moves (mode 1) or scrolls and throws (mode 6), as the test sets;
// it notes its scroll offsets.
class TestScroller : public LControl
{
public:
    TestScroller(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LControl(parent, descriptor)
    {
    }

    ORVRESULT Initialize() override
    {
        const ORVRESULT result = LControl::Initialize();
        SetNotFocusable(true);
        return result;
    }

    void OnConditionsChange(const RCPtr<LConditionsParam>&) override
    {
        if ((GetConditions() & kLeftDrag) != 0 && GetDragMode() == kDragNone)
        {
            SetDragMode(dragMode, dragArgument);
        }
    }

    ORVRESULT NotifyScrollOffsetChange(const PointT<double>& offset) override
    {
        const ORVRESULT result = LControl::NotifyScrollOffsetChange(offset);
        if (result == S_OK)
        {
            ++scrolls;
        }
        return result;
    }

    int dragMode = kDragThrow;
    DWORD dragArgument = kDragAxisX | kDragAxisY;
    int scrolls = 0;
};

class ControlInputTest : public ApplicationFixture
{
protected:
    ControlInputTest()
        : ApplicationFixture("InputSkin.xml")
    {
        mFactory->RegisterControlCreateFunction(WString(L"Test.Label"),
                                                &CreateControlOf<TestLabel>);
        mFactory->RegisterControlCreateFunction(WString(L"Test.Keyed"),
                                                &CreateControlOf<TestKeyed>);
        mFactory->RegisterControlCreateFunction(WString(L"Test.Scroller"),
                                                &CreateControlOf<TestScroller>);
    }

    void SetUp() override
    {
        gJournal = &mJournal;
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        ASSERT_TRUE(mMain->GetServices()->IsActive());
        Control("disabled")->SetEnabled(false);
        // The scroller's content lets presses through to the scroller.
        Control("content")->SetSearchExcluded(true);
        mJournal.clear();
    }

    void TearDown() override
    {
        // Every idle request taken in the scenario has been given back.
        EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
        gJournal = nullptr;
    }

    LControl* Control(const char* name) const
    {
        return FindControl(mMain->GetRootControl().Get(), name);
    }
    std::string FocusName() const
    {
        const RCPtr<LControl> focus = mMain->GetFocusControl();
        return focus ? focus->GetName().ToNarrow().GetBuffer() : "";
    }
    std::string CaptureName() const
    {
        const RCPtr<LControl>& capture = mMain->GetCaptureControl();
        return capture ? capture->GetName().ToNarrow().GetBuffer() : "";
    }

    // A key pressed and released with the modifiers held.
    void Key(WPARAM key, bool ctrl = false, bool shift = false)
    {
        SendKeyWithModifiers(mWindow, key, ctrl, shift);
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
    // One idle period's first pass, after ms of the application's clock.
    void IdlePass(DWORD ms)
    {
        mApplication->GetClock()->Advance(ms);
        mApplication->ProcessIdle(true);
    }
    std::vector<std::string> Take(const char* prefix)
    {
        std::vector<std::string> taken;
        for (const std::string& entry : mJournal)
        {
            if (entry.find(prefix) != std::string::npos)
            {
                taken.push_back(entry);
            }
        }
        mJournal.clear();
        return taken;
    }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
};

TEST_F(ControlInputTest, TabAndShiftTabWalkTheTabOrderPastLabelsDisabledAndHiddenControls)
{
    Click(35, 35);
    ASSERT_EQ(FocusName(), "a1");
    // Each step: the key, then the focus and which groups contain it.
    struct Step
    {
        bool shift;
        const char* focus;
        bool inA;
        bool inB;
    };
    const Step steps[] = {
        {false, "a2", true, false},
        // Past labelMid, disabled and hidden into the next group.
        {false, "b1", false, true},
        {false, "b2", false, true},
        // Past the end of the tree the window goes round to the first control.
        {false, "a1", true, false},
        {true, "b2", false, true},
        {true, "b1", false, true},
        {true, "a2", true, false},
        {true, "a1", true, false},
        {true, "b2", false, true},
        {false, "a1", true, false},
    };
    LControl* groupA = Control("groupA");
    LControl* groupB = Control("groupB");
    for (const Step& step : steps)
    {
        Key(VK_TAB, false, step.shift);
        ASSERT_EQ(FocusName(), step.focus) << (step.shift ? "Shift+Tab" : "Tab");
        EXPECT_EQ((groupA->GetConditions() & LControl::kContainsFocus) != 0, step.inA)
            << step.focus;
        EXPECT_EQ((groupB->GetConditions() & LControl::kContainsFocus) != 0, step.inB)
            << step.focus;
        EXPECT_TRUE((Control(step.focus)->GetConditions() & LControl::kHasFocus) != 0);
    }
    EXPECT_EQ(CaptureName(), "");
}

TEST_F(ControlInputTest, TabNeverLoopsInATreeWhoseOnlyOtherControlsAreLabels)
{
    // With a2 and groupB out of the way, a1 is the only control that takes the focus: the walk
    // passes labelA, finds nothing more in the group, and comes round to a1 again.
    Click(35, 35);
    Control("a2")->SetVisible(false);
    Control("groupB")->SetEnabled(false);
    for (int i = 0; i < 3; ++i)
    {
        Key(VK_TAB);
        EXPECT_EQ(FocusName(), "a1");
        Key(VK_TAB, false, true);
        EXPECT_EQ(FocusName(), "a1");
    }
}

TEST_F(ControlInputTest, CtrlTabLeavesTheGroupAsATabOnIt)
{
    Click(35, 35);
    Key(VK_TAB, true);
    EXPECT_EQ(FocusName(), "b1");
    Key(VK_TAB, true, true);
    EXPECT_EQ(FocusName(), "a2");
}

TEST_F(ControlInputTest, BoundKeysOfSiblingsAndOfTheFocusControl)
{
    struct Case
    {
        int clickX;
        int clickY;
        WPARAM key;
        bool ctrl;
        std::vector<std::string> made;
    };
    const Case cases[] = {
        // The focus on b1: its sibling b2 takes Ctrl+2; b1's own binding takes Ctrl+1.
        {195, 35, '2', true, {"b2:NID_TEST_B2"}},
        {195, 35, '1', true, {"b1:NID_TEST_B1"}},
        // A key both bind: the focus control's own binding comes first.
        {195, 35, VK_F4, false, {"b1:NID_TEST_F4"}},
        // The focus on b2: its own binding.
        {245, 35, '2', true, {"b2:NID_TEST_B2"}},
        {245, 35, '1', true, {"b1:NID_TEST_B1"}},
        // Without Ctrl the key is another one; the other group does not see the bindings.
        {195, 35, '2', false, {}},
        {35, 35, '2', true, {}},
    };
    for (const Case& c : cases)
    {
        Click(c.clickX, c.clickY);
        mJournal.clear();
        Key(c.key, c.ctrl);
        EXPECT_EQ(Take("NID_TEST"), c.made) << c.clickX << " key " << c.key;
    }
    // A disabled sibling takes nothing.
    Click(195, 35);
    Control("b2")->SetEnabled(false);
    mJournal.clear();
    Key('2', true);
    EXPECT_EQ(Take("NID_TEST"), std::vector<std::string>());
}

TEST_F(ControlInputTest, KeysNoControlTakesGoToTheWindowsHotKeysThenTheApplications)
{
    // The window bound its hot keys from the main control's string table; the application's
    // come from its own ("GHK" entries of the test's string tables).
    ASSERT_EQ(mApplication->GetHotKeyManager()->LoadHotKeys(
                  mApplication->GetApplicationStringTable(), WString(L"GHK")),
              S_OK);
    ASSERT_TRUE(
        mMain->GetHotKeyManager()->IsHotKeyNotification(WString(L"NID_TEST_WINDOW_HOTKEY")));
    const wchar_t* windowNames[] = {L"NID_TEST_WINDOW_HOTKEY", L"NID_TEST_WINDOW_SHARED"};
    const wchar_t* applicationNames[] = {L"NID_TEST_APP_HOTKEY", L"NID_TEST_APP_SHARED",
                                         L"NID_TEST_APP_CTRL2", L"NID_TEST_APP_F4"};
    RCPtr<CountingClient> window(new CountingClient);
    for (const wchar_t* name : windowNames)
    {
        window->RegisterNotification(RCPtr<LNotificationDistributor>(mMain.Get()), name);
    }
    RCPtr<CountingClient> application(new CountingClient);
    for (const wchar_t* name : applicationNames)
    {
        application->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(), name);
    }

    // Function keys the platform's header does not name.
    constexpr WPARAM kF6 = 0x75;
    constexpr WPARAM kF7 = 0x76;
    constexpr WPARAM kF8 = 0x77;
    constexpr WPARAM kF9 = 0x78;
    using Names = std::vector<std::wstring>;
    struct Case
    {
        int clickX;
        int clickY;
        WPARAM key;
        bool ctrl;
        Names toWindow;
        Names toApplication;
        std::vector<std::string> madeByControls;
    };
    const Case cases[] = {
        // The focus on a1, whose group binds no keys.
        {35, 35, kF6, false, {L"NID_TEST_WINDOW_HOTKEY"}, {}, {}},
        {35, 35, kF7, false, {}, {L"NID_TEST_APP_HOTKEY"}, {}},
        // Bound by both: the window's hot keys come first.
        {35, 35, kF8, false, {L"NID_TEST_WINDOW_SHARED"}, {}, {}},
        // The other group's bindings are no siblings of a1.
        {35, 35, '2', true, {}, {L"NID_TEST_APP_CTRL2"}, {}},
        {35, 35, VK_F4, false, {}, {L"NID_TEST_APP_F4"}, {}},
        // Bindings of the focus control and its siblings come before every hot key.
        {195, 35, '2', true, {}, {}, {"b2:NID_TEST_B2"}},
        {195, 35, VK_F4, false, {}, {}, {"b1:NID_TEST_F4"}},
        // Keys bound nowhere, and an entry outside the "GHK." prefix.
        {35, 35, kF9, false, {}, {}, {}},
        {35, 35, '3', true, {}, {}, {}},
    };
    for (const Case& c : cases)
    {
        Click(c.clickX, c.clickY);
        mJournal.clear();
        window->received.clear();
        application->received.clear();
        Key(c.key, c.ctrl);
        EXPECT_EQ(Take("NID_TEST"), c.madeByControls) << c.clickX << " key " << c.key;
        // Hot keys are posted: delivered in the idle pass, to the window's or the application's
        // subscribers.
        EXPECT_EQ(window->received.size() + application->received.size(), 0u) << c.key;
        IdlePass(10);
        EXPECT_EQ(window->received, c.toWindow) << c.clickX << " key " << c.key;
        EXPECT_EQ(application->received, c.toApplication) << c.clickX << " key " << c.key;
    }
    window->UnregisterAllNotifications();
    application->UnregisterAllNotifications();
}

TEST_F(ControlInputTest, AFastScrollingDragIsThrownAndTheAnimationEnds)
{
    auto* scroller = static_cast<TestScroller*>(Control("scroller"));
    // Press, then drag 60 pixels left and 20 up in steps of 10 ms.
    Mouse(WM_LBUTTONDOWN, 260, 200, MK_LBUTTON);
    EXPECT_EQ(CaptureName(), "scroller");
    struct Move
    {
        int x;
        int y;
    };
    const Move moves[] = {{250, 196}, {240, 192}, {230, 188}, {220, 184}, {210, 180}, {200, 180}};
    for (const Move& move : moves)
    {
        mApplication->GetClock()->Advance(10);
        Mouse(WM_MOUSEMOVE, move.x, move.y, MK_LBUTTON);
    }
    EXPECT_EQ(scroller->GetDragMode(), LControl::kDragThrow);
    EXPECT_EQ(scroller->GetContentOffset().x, 60);
    EXPECT_EQ(scroller->GetContentOffset().y, 20);
    // The last move went 10 pixels in 10 ms: 1000 pixels a second along x, nothing along y.
    EXPECT_DOUBLE_EQ(scroller->GetDragVelocity().x, 1000.0);
    EXPECT_DOUBLE_EQ(scroller->GetDragVelocity().y, 0.0);
    mApplication->GetClock()->Advance(50);
    Mouse(WM_LBUTTONUP, 200, 180);
    EXPECT_EQ(CaptureName(), "");
    ASSERT_TRUE(scroller->IsAxisAnimating(0));
    EXPECT_TRUE(scroller->IsAxisThrown(0));
    EXPECT_FALSE(scroller->IsAxisAnimating(1));
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 1);

    // Idle passes every 16 ms: the throw coasts for a second, then slows down by 1000 pixels a
    // second each second until it stops.
    double last = scroller->GetContentOffset().x;
    int passes = 0;
    while (scroller->IsAxisAnimating(0) && passes < 1000)
    {
        IdlePass(16);
        ++passes;
        EXPECT_GE(scroller->GetContentOffset().x, last);
        last = scroller->GetContentOffset().x;
    }
    EXPECT_FALSE(scroller->IsAxisAnimating(0));
    // About 1000 pixels in the first second and 500 while slowing down in the next.
    EXPECT_LT(passes, 140);
    EXPECT_GT(scroller->GetContentOffset().x, 1400);
    EXPECT_LT(scroller->GetContentOffset().x, 1700);
    EXPECT_EQ(scroller->GetContentOffset().y, 20);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);

    // A throw that reaches the end of the content stops there.
    scroller->NotifyScrollOffsetChange(PointT<double>(2800, 20));
    Mouse(WM_LBUTTONDOWN, 260, 200, MK_LBUTTON);
    for (int x = 250; x >= 220; x -= 10)
    {
        mApplication->GetClock()->Advance(10);
        Mouse(WM_MOUSEMOVE, x, 200, MK_LBUTTON);
    }
    Mouse(WM_LBUTTONUP, 220, 200);
    ASSERT_TRUE(scroller->IsAxisAnimating(0));
    for (passes = 0; scroller->IsAxisAnimating(0) && passes < 1000; ++passes)
    {
        IdlePass(16);
    }
    EXPECT_LT(passes, 10);
    EXPECT_EQ(scroller->GetContentOffset().x, 2900);
}

TEST_F(ControlInputTest, ASlowAnimationStillMovesAndAThrowSlowsDownToItsEnd)
{
    auto* scroller = static_cast<TestScroller*>(Control("scroller"));
    // 20 pixels a second, with idle passes every 10 ms: 0.2 pixels a pass.
    ASSERT_EQ(scroller->StartAxisAnimation(1, 20.0, 220.0, 0.0, nullptr), S_OK);
    for (int i = 0; i < 50; ++i)
    {
        IdlePass(10);
    }
    EXPECT_EQ(scroller->GetContentOffset().y, 10);
    // A second start only changes the values.
    ASSERT_EQ(scroller->StartAxisAnimation(1, -40.0, 220.0, 0.0, nullptr), S_OK);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 1);
    for (int i = 0; i < 100; ++i)
    {
        IdlePass(10);
    }
    EXPECT_EQ(scroller->GetContentOffset().y, 0);
    // Pressing on the control stops the animation and gives its idle request back.
    Mouse(WM_LBUTTONDOWN, 200, 150, MK_LBUTTON);
    EXPECT_FALSE(scroller->IsAxisAnimating(1));
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 0);
    Mouse(WM_LBUTTONUP, 200, 150);
    EXPECT_EQ(scroller->StopAxisAnimation(1), S_FALSE);
}

TEST_F(ControlInputTest, ASlowReleaseOrASlowDragThrowsNothing)
{
    auto* scroller = static_cast<TestScroller*>(Control("scroller"));
    struct Case
    {
        DWORD stepMs;
        DWORD pauseMs;
        bool thrown;
    };
    const Case cases[] = {
        {10, 99, true},
        {10, 100, false},
        // 10 pixels in 11 ms: 909 pixels a second.
        {11, 0, false},
    };
    for (const Case& c : cases)
    {
        scroller->NotifyScrollOffsetChange(PointT<double>(0, 0));
        Mouse(WM_LBUTTONDOWN, 260, 200, MK_LBUTTON);
        for (int x = 250; x >= 220; x -= 10)
        {
            mApplication->GetClock()->Advance(c.stepMs);
            Mouse(WM_MOUSEMOVE, x, 200, MK_LBUTTON);
        }
        mApplication->GetClock()->Advance(c.pauseMs);
        Mouse(WM_LBUTTONUP, 220, 200);
        EXPECT_EQ(scroller->IsAxisAnimating(0), c.thrown) << c.stepMs << " " << c.pauseMs;
        scroller->StopAxisAnimation(0);
    }
}

TEST_F(ControlInputTest, AMovingDragFollowsThePointerInsideTheParent)
{
    auto* movable = static_cast<TestScroller*>(Control("movable"));
    movable->dragMode = LControl::kDragMove;
    Mouse(WM_LBUTTONDOWN, 20, 170, MK_LBUTTON);
    struct Move
    {
        int x;
        int y;
        double left;
        double top;
    };
    const Move moves[] = {
        {50, 180, 40, 170},
        // Held inside the parent's client area (320 x 240).
        {-100, 170, 0, 160},
        {900, 900, 280, 210},
        {120, 100, 110, 90},
    };
    for (const Move& move : moves)
    {
        Mouse(WM_MOUSEMOVE, move.x, move.y, MK_LBUTTON);
        EXPECT_EQ(movable->GetRect().x, move.left) << move.x;
        EXPECT_EQ(movable->GetRect().y, move.top) << move.y;
        // While dragged the control floats above the others.
        EXPECT_FALSE(movable->GetLayout()->clipToParent);
    }
    Mouse(WM_LBUTTONUP, 120, 100);
    EXPECT_TRUE(movable->GetLayout()->clipToParent);
    EXPECT_EQ(movable->GetRect().x, 110);
    EXPECT_EQ(movable->GetRect().y, 90);
    EXPECT_EQ(CaptureName(), "");
}

TEST_F(ControlInputTest, RemovedChildrenLeaveInTheNextIdlePassOnOneIdleRequest)
{
    LControl* groupA = Control("groupA");
    const RCPtr<LControl> a1(Control("a1"));
    const RCPtr<LControl> a2(Control("a2"));
    EXPECT_EQ(groupA->RemoveChildControl(a1), S_OK);
    EXPECT_EQ(groupA->RemoveChildControl(a2), S_OK);
    EXPECT_EQ(groupA->RemoveChildControl(RCPtr<LControl>(Control("b1"))), E_INVALIDARG);
    EXPECT_FALSE(a1->IsVisible(false));
    EXPECT_EQ(groupA->GetIdleRequestCount(), 1);
    EXPECT_EQ(mMain->GetIdleSubscriberCount(), 1);
    EXPECT_EQ(groupA->GetChildren().GetCount(), 3u);
    IdlePass(16);
    EXPECT_EQ(groupA->GetChildren().GetCount(), 1u);
    EXPECT_FALSE(a1->GetParent());
    EXPECT_EQ(groupA->GetPendingRemovalCount(), 0u);
    EXPECT_EQ(groupA->GetIdleRequestCount(), 0);
}
} // namespace
