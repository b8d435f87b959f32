// Mouse input driven through a window: sequences of moves, presses and releases with the
// notifications, conditions and capture after each step; focus on press; wheel routing.
#include "ControlTreeSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
// A control that takes every wheel step and notes it as "name:V<direction>" or "name:H<...>".
class WheelControl : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    ORVRESULT OnWheel(const RCPtr<LMouseWheelParam>& param) override { return Note("V", param); }
    ORVRESULT OnHWheel(const RCPtr<LMouseWheelParam>& param) override { return Note("H", param); }

    static inline std::vector<std::string>* steps = nullptr;

private:
    ORVRESULT Note(const char* axis, const RCPtr<LMouseWheelParam>& param)
    {
        steps->push_back(Narrow(GetName()) + ":" + axis + std::to_string(param->amount));
        return S_OK;
    }
};

constexpr DWORD kShown = LControl::kEnabled | LControl::kVisible;
constexpr DWORD kHovered = LControl::kHover | LControl::kHoverOrForced;

// root (0,0)-(300,200); panel (10,10)-(210,160); in it button (20,20)-(70,50) and label
// (20,70)-(70,100), which its create parameter makes not focusable.
std::string InputTree()
{
    return SkinDocument(
        Sub("root", 0, 0, 300, 200, "grey", "",
            Sub("panel", 10, 10, 200, 150, "red", "",
                Sub("button", 10, 10, 50, 30, "green") +
                    Sub("label", 10, 60, 50, 30, "blue", "",
                        "<CreateParamList><CreateParam ID=\"NOT_FOCUSABLE\">True</CreateParam>"
                        "</CreateParamList>"))));
}

class MouseInput : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.Wheel"),
                                               &CreateControlOf<WheelControl>);
        WheelControl::steps = &wheelSteps;
        journal = new NotificationJournal();
    }
    void TearDown() override
    {
        WheelControl::steps = nullptr;
        ControlTreeTest::TearDown();
    }

    // The input tree, where the top-level control, the panel and the button take the focus; the
    // button watched.
    void ShowInputTree()
    {
        Show(InputTree(), L"root");
        button = At("panel/button");
        journal->WatchAll(button);
    }

    struct Step
    {
        const char* event;
        LONG x, y;
        std::vector<std::string> notifications;
        DWORD conditions;
        const char* capture;
    };
    // Runs the events ("move", "down L", "up R", ...) and checks what each leaves behind.
    void Run(const std::vector<Step>& steps)
    {
        for (const Step& step : steps)
        {
            const std::string event = step.event;
            const DWORD buttonBit = event.size() > 2 && event.back() == 'R' ? LControl::kRightButton
                                    : event.size() > 2 && event.back() == 'M'
                                        ? LControl::kMiddleButton
                                        : LControl::kLeftButton;
            if (event == "move")
            {
                window->Move(step.x, step.y);
            }
            else if (event.rfind("down", 0) == 0)
            {
                window->Press(buttonBit, step.x, step.y);
            }
            else
            {
                window->ReleaseButton(buttonBit, step.x, step.y);
            }
            const std::string where =
                event + " " + std::to_string(step.x) + "," + std::to_string(step.y);
            std::vector<std::string> expected;
            for (const std::string& n : step.notifications)
            {
                expected.push_back("button:" + n);
            }
            EXPECT_EQ(journal->Take(), expected) << where;
            EXPECT_EQ(button->GetConditions(), step.conditions) << where;
            const std::string capture =
                window->capture ? RecordingControl::Narrow(window->capture->GetName()) : "";
            EXPECT_EQ(capture, step.capture) << where;
        }
    }

    RCPtr<NotificationJournal> journal;
    RCPtr<LControl> button;
    std::vector<std::string> wheelSteps;
};

const std::vector<std::string> kFirstHover = {"CONDITION_CHANGE", "HOVER", "MOUSE_MOVE"};
const std::vector<std::string> kPress = {"CONDITION_CHANGE", "HAS_FOCUS", "MOUSE_DOWN",
                                         "CONDITION_CHANGE", "CAPTURE",   "LEFT_DRAG"};
} // namespace

TEST_F(MouseInput, APressAndReleaseOverTheControlIsAClickNeverADrag)
{
    ShowInputTree();
    Run({
        {"move", 30, 30, kFirstHover, kShown | kHovered, ""},
        {"down L", 30, 30, kPress,
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDown,
         "button"},
        {"up L",
         30,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "LEFT_DRAG", "LEFT_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
    });
    EXPECT_EQ(window->focus.Get(), button.Get());
    EXPECT_EQ(At("panel")->GetConditions() & LControl::kContainsFocus, LControl::kContainsFocus);
    EXPECT_EQ(root->GetConditions() & LControl::kContainsFocus, LControl::kContainsFocus);
}

TEST_F(MouseInput, ReleasingOutsideEndsTheDragAndTheCaptureWithoutAClick)
{
    ShowInputTree();
    Run({
        {"move", 30, 30, kFirstHover, kShown | kHovered, ""},
        {"down L", 30, 30, kPress,
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDown,
         "button"},
        // Hover goes while the capture stays; the move starts the drag from the press point.
        {"move",
         120,
         120,
         {"CONDITION_CHANGE", "HOVER", "MOUSE_MOVE", "CONDITION_CHANGE", "LEFT_DRAG", "MOUSE_MOVE"},
         kShown | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDrag,
         "button"},
        {"up L",
         120,
         120,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "LEFT_DRAG"},
         kShown | LControl::kHasFocus,
         ""},
    });
    // The capture ended away from the button: what is under the pointer is hovered again.
    EXPECT_EQ(window->hover.Get(), At("panel").Get());
}

TEST_F(MouseInput, ADragWithoutADragModeThatEndsOverTheControlIsAClick)
{
    ShowInputTree();
    Run({
        {"move", 30, 30, kFirstHover, kShown | kHovered, ""},
        {"down L", 30, 30, kPress,
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDown,
         "button"},
        // One pixel reaches the default threshold.
        {"move",
         31,
         30,
         {"MOUSE_MOVE", "CONDITION_CHANGE", "LEFT_DRAG", "MOUSE_MOVE"},
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDrag,
         "button"},
        {"up L",
         31,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "LEFT_DRAG", "LEFT_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
    });
}

TEST_F(MouseInput, ASecondButtonWhileTheCaptureIsHeldChangesNothingAndKeepsTheCapture)
{
    ShowInputTree();
    const DWORD pressed =
        kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDown;
    Run({
        {"move", 30, 30, kFirstHover, kShown | kHovered, ""},
        {"down L", 30, 30, kPress, pressed, "button"},
        {"down R", 30, 30, {"MOUSE_DOWN"}, pressed, "button"},
        {"up R", 30, 30, {"MOUSE_UP"}, pressed, "button"},
        {"up L",
         30,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "LEFT_DRAG", "LEFT_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
        // Right and middle clicks by themselves.
        {"down R",
         30,
         30,
         {"MOUSE_DOWN", "CONDITION_CHANGE", "CAPTURE", "RIGHT_DRAG"},
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kRightDown,
         "button"},
        {"up R",
         30,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "RIGHT_DRAG", "RIGHT_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
        {"down M",
         30,
         30,
         {"MOUSE_DOWN", "CONDITION_CHANGE", "CAPTURE", "MIDDLE_DRAG"},
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kMiddleDown,
         "button"},
        {"up M",
         30,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "MIDDLE_DRAG", "MIDDLE_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
    });
}

TEST_F(MouseInput, WithThresholdZeroAPressIsADragAtOnceInTwoReports)
{
    ShowInputTree();
    ASSERT_EQ(button->SetDragThreshold(0), S_OK);
    EXPECT_EQ(button->SetDragThreshold(-1), E_INVALIDARG);
    std::vector<std::string> both = kPress;
    both.insert(both.end(), {"CONDITION_CHANGE", "LEFT_DRAG"});
    Run({
        {"move", 30, 30, kFirstHover, kShown | kHovered, ""},
        {"down L", 30, 30, both,
         kShown | kHovered | LControl::kHasFocus | LControl::kCapture | LControl::kLeftDrag,
         "button"},
        {"up L",
         30,
         30,
         {"MOUSE_UP", "CONDITION_CHANGE", "CAPTURE", "LEFT_DRAG", "LEFT_CLICK"},
         kShown | kHovered | LControl::kHasFocus,
         ""},
    });
}

TEST_F(MouseInput, PressesThatAreRefusedOrGoToAnotherControl)
{
    ShowInputTree();
    // A control marked not focusable gives the focus to its nearest ancestor that can take it;
    // the panel, a container, passes it on to its first focusable child.
    window->Press(LControl::kLeftButton, 30, 80);
    EXPECT_EQ(window->focus.Get(), button.Get());
    EXPECT_EQ(window->capture.Get(), At("panel/label").Get());
    window->ReleaseButton(LControl::kLeftButton, 30, 80);
    journal->Take();

    // A disabled control is hovered but takes no press.
    ASSERT_EQ(button->SetEnabled(false), S_OK);
    journal->Take();
    window->Press(LControl::kLeftButton, 30, 30);
    EXPECT_EQ(journal->Take(), (std::vector<std::string>{"button:CONDITION_CHANGE", "button:HOVER",
                                                         "button:MOUSE_MOVE"}));
    EXPECT_FALSE(window->capture);
    window->ReleaseButton(LControl::kLeftButton, 30, 30);

    // Bad parameters, and a press the window does not report held.
    EXPECT_EQ(button->OnMouseDown(nullptr), E_INVALIDARG);
    EXPECT_EQ(button->OnMouseDown(LMouseButtonParam::Create(3, PointT<LONG>(1, 1), 0, false, 0, 0)),
              E_INVALIDARG);
    EXPECT_EQ(button->OnMouseUp(LMouseButtonParam::Create(8, PointT<LONG>(1, 1), 0, false, 0, 0)),
              E_INVALIDARG);
    EXPECT_EQ(button->OnClick(LMouseButtonParam::Create(8, PointT<LONG>(1, 1), 0, false, 0, 0)),
              E_INVALIDARG);
    ASSERT_EQ(button->SetEnabled(true), S_OK);
    window->buttons = 0;
    for (const DWORD b : {0u, 3u, 8u, 1u})
    {
        EXPECT_EQ(button->OnMouseButtonDown(b, 1, 1), S_FALSE) << b;
    }
    EXPECT_FALSE(window->capture);
}

TEST_F(MouseInput, TheCursorOfAControlShowsWhileItIsHoveredOrHoldsTheCapture)
{
    ShowInputTree();
    button->SetCursor(7);
    window->Move(30, 30);
    EXPECT_EQ(window->cursors, (std::vector<int>{7}));
    window->Press(LControl::kLeftButton, 30, 30);
    // Leaving while the capture is held keeps the cursor; the release outside restores it.
    window->Move(120, 120);
    EXPECT_EQ(window->cursors, (std::vector<int>{7}));
    window->ReleaseButton(LControl::kLeftButton, 120, 120);
    EXPECT_EQ(window->cursors, (std::vector<int>{7, 0}));
    // Setting a cursor while hovered shows it at once.
    window->Move(30, 30);
    button->SetCursor(9);
    EXPECT_EQ(window->cursors, (std::vector<int>{7, 0, 7, 9}));
    window->Move(120, 120);
    EXPECT_EQ(window->cursors.back(), 0);
}

// root (0,0)-(300,200) takes no wheel step; list (10,10)-(110,110) takes them, with item
// (20,20)-(70,40) that declines; owner (150,10)-(250,110) takes them, with the floating popup
// (30,110)-(90,150) that declines; beneath (20,120)-(100,180) takes them.
TEST_F(MouseInput, WheelStepsClimbTheParentsOrGoBeneathAFloatingControl)
{
    const std::string wheel = "Test.Wheel";
    auto as = [&wheel](std::string sub)
    {
        sub.replace(sub.find("Test.Recording"), 14, wheel);
        return sub;
    };
    const std::string tree =
        Sub("root", 0, 0, 300, 200, "grey", "",
            as(Sub("list", 10, 10, 100, 100, "red", "", Sub("item", 10, 10, 50, 20, "green"))) +
                as(Sub("owner", 150, 10, 100, 100, "red", "",
                       Sub("popup", -120, 100, 60, 40, "blue",
                           "ClipToParent=\"False\" Z_Order=\"2\""))) +
                as(Sub("beneath", 20, 120, 80, 60, "yellow")));
    Show(SkinDocument(tree), L"root");

    EXPECT_EQ(window->Wheel(30, 25, LControl::kWheelDown), S_OK);
    EXPECT_EQ(window->Wheel(30, 25, LControl::kWheelLeft), S_OK);
    // Not the popup's parent: the control beneath the pointer, which becomes the hover control.
    EXPECT_EQ(window->Wheel(50, 130, LControl::kWheelUp), S_OK);
    EXPECT_EQ(window->hover.Get(), At("beneath").Get());
    EXPECT_EQ(wheelSteps, (std::vector<std::string>{"list:V0", "list:H2", "beneath:V1"}));
    LControl::ControlList all;
    root->CollectDescendants(all);
    for (unsigned int i = 0; i < all.GetCount(); ++i)
    {
        EXPECT_FALSE(all.GetConstElementPointer(i)->IsSearchExcluded());
    }

    // Nothing on the way takes it; a null parameter calls no handler.
    const RCPtr<LControl> popup = At("owner/popup");
    EXPECT_EQ(popup->RouteMouseWheel(
                  LMouseWheelParam::Create(PointT<LONG>(85, 112), 0, LControl::kWheelUp)),
              S_FALSE);
    EXPECT_EQ(popup->RouteMouseWheel(nullptr), -1);
    EXPECT_EQ(wheelSteps.size(), 3u);

    // A step nobody under the pointer takes goes to the focus control.
    window->focus = At("owner");
    EXPECT_EQ(window->Wheel(85, 112, LControl::kWheelRight), S_OK);
    EXPECT_EQ(wheelSteps.back(), "owner:H3");
    window->focus = nullptr;
}
