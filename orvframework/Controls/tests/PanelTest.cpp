// Panels made by the factory from PanelSkin.xml in a root window under SDL's offscreen driver,
// driven by key and mouse messages: the Tab walk through nested panels past labels, a disabled
// and a hidden button; a walk that finds nothing ends; keys that no control takes reach the
// hot keys once; a key a sibling panel's child takes goes no further; and the order in which a
// notification meets the handler tables of a class chain.
//
// The window (320 x 240) holds "groupA" (10, 10, 140 x 100) with the buttons "a1" (10, 10),
// "a2" (10, 50) and the label-like panel "labelA"; the label-like "labelMid" and "labelEnd";
// the button "disabled"; the hidden button "hidden"; and "groupB" (170, 10) holding "inner"
// (5, 5) with the buttons "b1" (10, 10) and "b2" (60, 10).
#include "ControlsFixture.h"
#include "TestControls.h"
#include "WindowInput.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Controls/Panel.h"
#include "System/GlobalHotKeyManager.h"
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
class PanelTest : public ControlsFixture
{
protected:
    PanelTest()
        : ControlsFixture("PanelSkin.xml")
    {
    }

    void SetUp() override
    {
        mMain = MakeMainWindow();
        ASSERT_TRUE(mMain);
        mWindow = mMain->GetServices()->GetWindowHandle();
        ASSERT_TRUE(mMain->GetServices()->IsActive());
        Control("disabled")->SetEnabled(false);
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
    void Key(WPARAM key, bool shift = false, bool ctrl = false)
    {
        SendKeyWithModifiers(mWindow, key, ctrl, shift);
    }
    void Click(int x, int y)
    {
        BYTE state[256] = {};
        state[VK_LBUTTON] = 0x80;
        SetKeyboardState(state);
        SendMessageW(mWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        BYTE none[256] = {};
        SetKeyboardState(none);
        SendMessageW(mWindow, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void IdlePass()
    {
        mApplication->GetClock()->Advance(10);
        mApplication->ProcessIdle(true);
    }

    RCPtr<LRootWindow> mMain;
    HWND mWindow = nullptr;
};

TEST_F(PanelTest, TabLeavesANestedPanelAfterItsLastChildAndShiftTabBeforeItsFirst)
{
    Click(35, 35);
    ASSERT_EQ(FocusName(), "a1");
    struct Step
    {
        bool shift;
        const char* focus;
    };
    const Step steps[] = {
        {false, "a2"},
        // Out of groupA, past labelMid, the disabled and the hidden button, labelEnd, into
        // groupB's inner panel.
        {false, "b1"},
        {false, "b2"},
        // Out of inner and groupB; the top panel goes round to groupA.
        {false, "a1"},
        {true, "b2"},
        {true, "b1"},
        {true, "a2"},
        {true, "a1"},
        {true, "b2"},
        {false, "a1"},
    };
    for (const Step& step : steps)
    {
        Key(VK_TAB, step.shift);
        ASSERT_EQ(FocusName(), step.focus) << (step.shift ? "Shift+Tab" : "Tab");
    }
}

TEST_F(PanelTest, CtrlTabLeavesThePanelAsATabOnIt)
{
    Click(35, 35);
    ASSERT_EQ(FocusName(), "a1");
    Key(VK_TAB, false, true);
    EXPECT_EQ(FocusName(), "b1");
    Key(VK_TAB, true, true);
    EXPECT_EQ(FocusName(), "a2");
}

TEST_F(PanelTest, AWalkOverControlsThatTakeNoFocusEnds)
{
    // Only labels are left to walk over.
    Control("groupA")->SetEnabled(false);
    Control("groupB")->SetVisible(false);
    LPanel* top = dynamic_cast<LPanel*>(Control("mainControl"));
    ASSERT_NE(top, nullptr);
    for (bool backward : {false, true})
    {
        // The walk starts from the hidden button, which the walk itself never comes back to.
        KeyCode tab = KeyCode::Parse(backward ? L"Shift+VKEY_TAB" : L"VKEY_TAB");
        const RCPtr<LKeyParam> key = LKeyParam::Create(tab, false);
        key->visitedControls.InsertItem(0, RCPtr<LRefCountedObject>(Control("hidden")));
        const std::string before = FocusName();
        EXPECT_EQ(top->MoveFocusByTab(key), S_FALSE);
        EXPECT_EQ(FocusName(), before);
    }
    // Through the keyboard as well: the focus stays where it is.
    Control("groupA")->SetEnabled(true);
    Click(35, 35);
    Control("a2")->SetVisible(false);
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), "a1");
    Key(VK_TAB, true);
    EXPECT_EQ(FocusName(), "a1");
}

TEST_F(PanelTest, AKeyNoControlTakesReachesTheHotKeysOnceAndATakenKeyDoesNot)
{
    // F11 is bound in a1 and as a hot key of the application; F12 only as a hot key.
    const RCPtr<LGlobalHotKeyManager> hotKeys = mApplication->GetHotKeyManager();
    ASSERT_EQ(hotKeys->AddHotKey(KeyCode::Parse(L"VKEY_F11"), WString(L"NID_TEST_PANEL_F11")),
              S_OK);
    ASSERT_EQ(hotKeys->AddHotKey(KeyCode::Parse(L"VKEY_F12"), WString(L"NID_TEST_PANEL_F12")),
              S_OK);
    LControl* a1 = Control("a1");
    ASSERT_EQ(a1->AddKeyBinding(KeyCode::Parse(L"VKEY_F11"), WString(L"NID_TEST_A1_F11")), S_OK);
    ASSERT_EQ(a1->GetHandler()->SubscribeHandler(&LControl::OnSiblingKeyBinding,
                                                 RCPtr<LNotificationDistributor>(Control("groupA")),
                                                 ControlNotificationNames::Get().siblingKey),
              S_OK);
    RCPtr<CountingClient> application(new CountingClient);
    for (const wchar_t* name : {L"NID_TEST_PANEL_F11", L"NID_TEST_PANEL_F12"})
    {
        application->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(), name);
    }

    constexpr WPARAM kF11 = 0x7A;
    constexpr WPARAM kF12 = 0x7B;
    // The focus deep in groupB: the key climbs inner, groupB and the top panel.
    Click(195, 35);
    ASSERT_EQ(FocusName(), "b1");
    Key(kF12);
    IdlePass();
    EXPECT_EQ(application->Count(L"NID_TEST_PANEL_F12"), 1);
    // The top panel offers F11 to groupA, whose child a1 takes it: no hot key.
    Key(kF11);
    IdlePass();
    EXPECT_EQ(application->Count(L"NID_TEST_PANEL_F11"), 0);
    // With a1 disabled nobody takes it.
    a1->SetEnabled(false);
    Key(kF11);
    IdlePass();
    EXPECT_EQ(application->Count(L"NID_TEST_PANEL_F11"), 1);
    application->UnregisterAllNotifications();
}

TEST_F(PanelTest, EveryPanelTypeNameMakesAPanel)
{
    const RCPtr<LControl> parent(Control("groupA"));
    for (const wchar_t* type :
         {L"Framework.Panel", L"Framework.ScrollChannel", L"Framework.ComboSlider.DropDownPanel",
          L"Framework.CenteredSliderBounds"})
    {
        const RCPtr<LControlDescriptor> descriptor =
            LControlDescriptor::Create(WString(type), WString(L"made"), nullptr);
        descriptor->SetLayout(LLayoutDescriptor::Create());
        RCPtr<LControl> made;
        ASSERT_EQ(mFactory->CreateControl(made, descriptor, parent), S_OK)
            << WString(type).ToNarrow().GetBuffer();
        EXPECT_NE(dynamic_cast<LPanel*>(made.Get()), nullptr);
        EXPECT_TRUE(made->IsCreated());
        made->Detach();
    }
}

// A panel subclass with a table of its own in front of the panel's chain. Every handler notes
// its call; "NID_TEST_STOP" ends the delivery in the own table, "NID_TEST_ON" goes on.
class ChainPanel : public LPanel
{
public:
    ChainPanel(const RCPtr<LControl>& parent, const WString& name)
        : LPanel(parent, name)
    {
    }

    ORVRESULT Initialize() override
    {
        const ORVRESULT result = LPanel::Initialize();
        mOwn = new LNotificationHandler<ChainPanel>(this);
        return result;
    }
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        return ReceiveThroughChain<LPanel>(*this, mOwn, source, notification);
    }
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override
    {
        return UnregisterThroughChain<LPanel>(*this, mOwn, source, name);
    }

    ORVRESULT OwnStop(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        calls.push_back("own:stop");
        return 1;
    }
    ORVRESULT OwnOn(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        calls.push_back("own:on");
        return 0;
    }
    ORVRESULT Base(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
    {
        calls.push_back(std::string("control:") +
                        (std::wstring(n->id) == L"NID_TEST_STOP" ? "stop" : "on"));
        return 1;
    }

    RCPtr<LNotificationHandler<ChainPanel>> mOwn;
    std::vector<std::string> calls;
};

TEST_F(PanelTest, ANotificationMeetsTheOwnTableBeforeTheBaseChainOnceCreated)
{
    LControl* source = Control("labelEnd");
    const RCPtr<LNotificationDistributor> from(source);
    const RCPtr<ChainPanel> chain(
        new ChainPanel(RCPtr<LControl>(Control("groupA")), WString(L"chain")));
    ASSERT_EQ(chain->Initialize(), S_OK);
    const auto base = static_cast<LNotificationHandler<LControl>::Handler>(&ChainPanel::Base);
    for (const wchar_t* name : {L"NID_TEST_STOP", L"NID_TEST_ON"})
    {
        ASSERT_EQ(chain->GetHandler()->SubscribeHandler(base, from, name), S_OK);
    }
    ASSERT_EQ(chain->mOwn->SubscribeHandler(&ChainPanel::OwnStop, from, L"NID_TEST_STOP"), S_OK);
    ASSERT_EQ(chain->mOwn->SubscribeHandler(&ChainPanel::OwnOn, from, L"NID_TEST_ON"), S_OK);

    struct Case
    {
        bool created;
        const wchar_t* name;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        // Before creation ends the class tables are skipped: only the control's own answers.
        {false, L"NID_TEST_STOP", {"control:stop"}},
        {false, L"NID_TEST_ON", {"control:on"}},
        {true, L"NID_TEST_STOP", {"own:stop"}},
        {true, L"NID_TEST_ON", {"own:on", "control:on"}},
    };
    for (const Case& c : cases)
    {
        if (c.created)
        {
            chain->SetCreated();
        }
        chain->calls.clear();
        source->SendNotification(LNotification::Create(c.name, nullptr));
        EXPECT_EQ(chain->calls, c.calls) << c.created;
    }
    // A source no table knows is handled by none: 0.
    chain->calls.clear();
    EXPECT_EQ(chain->ReceiveNotification(RCPtr<LNotificationDistributor>(Control("labelMid")),
                                         LNotification::Create(L"NID_TEST_STOP", nullptr)),
              0);
    EXPECT_TRUE(chain->calls.empty());

    // A source that drops its clients takes the entries out of every table of the chain.
    source->UnregisterAllClients();
    chain->calls.clear();
    EXPECT_EQ(chain->ReceiveNotification(from, LNotification::Create(L"NID_TEST_ON", nullptr)), 0);
    EXPECT_TRUE(chain->calls.empty());
    EXPECT_FALSE(source->IsClientRegistered(chain.Get()));
    chain->Detach();
}
} // namespace
