// Two behaviours of the control base: a control that asks for idle work while its left button is
// pressed holds one idle request from the press to the end of the capture; and a control's own
// key bindings ("LHK" entries of its string table) take the keys that reach it, the top-level
// control's as every other's.
#include "ControlTreeSupport.h"

#include "notification/KeyCode.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
std::vector<std::string>* gNoted = nullptr;

// Notes the test notifications handed to it.
class Noting : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        const std::string id = Narrow(WString(notification->id));
        if (gNoted != nullptr && id.rfind("NID_TEST", 0) == 0)
        {
            gNoted->push_back(Narrow(GetName()) + ":" + id);
        }
        return RecordingControl::ReceiveNotification(source, notification);
    }
};

class PressIdle : public ControlTreeTest
{
protected:
    bool Subscribed(const RCPtr<LControl>& control)
    {
        return window->idle->IsClientRegistered(control.Get());
    }
};

TEST_F(PressIdle, ALeftPressHoldsOneIdleRequestUntilTheCaptureEnds)
{
    Show(SkinDocument(
             Sub("root", 0, 0, 300, 200, "grey", "",
                 Sub("asks", 0, 0, 100, 50, "red") + Sub("other", 150, 0, 100, 50, "blue"))),
         L"root");
    const RCPtr<LControl> asks = At("asks");
    asks->SetSubscribeIdleOnPress(true);
    struct Step
    {
        const char* what;
        std::function<void()> action;
        LONG requests;
    };
    const Step steps[] = {
        {"left press", [&] { window->Press(LControl::kLeftButton, 20, 20); }, 1},
        {"a second button while held", [&] { window->Press(LControl::kRightButton, 20, 20); }, 1},
        {"one button released", [&] { window->ReleaseButton(LControl::kRightButton, 20, 20); }, 1},
        {"release", [&] { window->ReleaseButton(LControl::kLeftButton, 20, 20); }, 0},
        {"right press", [&] { window->Press(LControl::kRightButton, 20, 20); }, 0},
        {"right release", [&] { window->ReleaseButton(LControl::kRightButton, 20, 20); }, 0},
        {"press again", [&] { window->Press(LControl::kLeftButton, 20, 20); }, 1},
        {"capture taken away", [&] { asks->OnCaptureLost(); }, 0},
        {"release after the capture ended",
         [&] { window->ReleaseButton(LControl::kLeftButton, 20, 20); }, 0},
        {"a press on a control that does not ask",
         [&] { window->Press(LControl::kLeftButton, 170, 20); }, 0},
        {"its release", [&] { window->ReleaseButton(LControl::kLeftButton, 170, 20); }, 0},
    };
    for (const Step& step : steps)
    {
        step.action();
        EXPECT_EQ(asks->GetIdleRequestCount(), step.requests) << step.what;
        EXPECT_EQ(Subscribed(asks), step.requests > 0) << step.what;
        EXPECT_FALSE(Subscribed(At("other"))) << step.what;
    }
    // The press's request is one of the control's requests, not the only one it can hold.
    ASSERT_EQ(asks->SubscribeIdle(), S_OK);
    window->Press(LControl::kLeftButton, 20, 20);
    EXPECT_EQ(asks->GetIdleRequestCount(), 2);
    window->ReleaseButton(LControl::kLeftButton, 20, 20);
    EXPECT_EQ(asks->GetIdleRequestCount(), 1);
    EXPECT_TRUE(Subscribed(asks));
    // Leaving the tree while pressed gives every request back.
    window->Press(LControl::kLeftButton, 20, 20);
    asks->Detach();
    EXPECT_EQ(asks->GetIdleRequestCount(), 0);
}

using OwnKeyBindings = ControlTreeTest;

TEST_F(OwnKeyBindings, TheKeysBoundToAControlAreItsOwnTheTopLevelControlsToo)
{
    factory->RegisterControlCreateFunction(WString(L"Test.Noting"), &CreateControlOf<Noting>);
    std::vector<std::string> noted;
    gNoted = &noted;
    const std::string strings =
        "<Definitions>"
        "<StringTable ID=\"TestApp|root\"><String ID=\"LHK.KEYS.NID_TEST_TOP\">"
        "<Locale LCID=\"9\">VKEY_F5</Locale></String></StringTable>"
        "<StringTable ID=\"Test.Noting|kid\"><String ID=\"LHK.KEYS.NID_TEST_KID\">"
        "<Locale LCID=\"9\">VKEY_F6</Locale></String></StringTable>"
        "<StringTable ID=\"Test.Noting|sibling\"><String ID=\"LHK.KEYS.NID_TEST_SIBLING\">"
        "<Locale LCID=\"9\">VKEY_F7</Locale></String></StringTable>"
        "</Definitions>";
    const LControlFactory::Document d = AsDocument(strings);
    factory->LoadStringTableDocuments(&d, nullptr, 9);
    Show(SkinDocument("<SubControl Class=\"Test.Noting\" Name=\"root\" XSizeAbs=\"300\" "
                      "YSizeAbs=\"200\"><SubControl Class=\"Test.Noting\" Name=\"kid\"/>"
                      "<SubControl Class=\"Test.Noting\" Name=\"sibling\"/></SubControl>"),
         L"root");
    ASSERT_TRUE(root->IsKeyBound(KeyCode::Parse(L"VKEY_F5")));

    struct Case
    {
        const char* focus;
        const wchar_t* key;
        std::vector<std::string> made;
        bool toWindow;
    };
    const Case cases[] = {
        // The top-level control's own binding, while the key reaches it.
        {"", L"VKEY_F5", {"root:NID_TEST_TOP"}, false},
        {"", L"VKEY_F9", {}, true},
        // A child's own binding, and its sibling's.
        {"kid", L"VKEY_F6", {"kid:NID_TEST_KID"}, false},
        {"kid", L"VKEY_F7", {"sibling:NID_TEST_SIBLING"}, false},
        // The parent's bindings are not offered to its children's keys: the window's hot keys
        // come next.
        {"kid", L"VKEY_F5", {}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.focus) + " " + RecordingControl::Narrow(WString(c.key)));
        noted.clear();
        window->hotKeys.clear();
        const RCPtr<LControl> target = At(c.focus);
        EXPECT_EQ(target->OnKey(LKeyParam::Create(KeyCode::Parse(c.key), false)),
                  c.toWindow ? S_FALSE : S_OK);
        EXPECT_EQ(noted, c.made);
        EXPECT_EQ(window->hotKeys.size(), c.toWindow ? 1u : 0u);
    }
    gNoted = nullptr;
}
} // namespace
