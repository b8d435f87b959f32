// A context-menu item whose notification is also a hot key's fires it as the key would: into the
// window's queue for the window's hot keys, into the application's for the global ones, each
// delivered in the next idle pass. The window answers which hot keys bind a notification.
#include "TestApplication.h"
#include "TestControls.h"

#include "ControlBase/MenuDescriptor.h"

#include <gtest/gtest.h>

using namespace Orv;
using namespace OrvTest;

namespace
{
class MenuCommandHotKeyTest : public ApplicationFixture
{
protected:
    MenuCommandHotKeyTest()
        : ApplicationFixture("WindowSkin.xml")
    {
    }
};

TEST_F(MenuCommandHotKeyTest, MenuCommandsGoWhereTheirHotKeysGo)
{
    // The window binds its hot keys from the main control's string table, the application from
    // its own ("GHK" entries of the test's string tables).
    ASSERT_EQ(mApplication->GetHotKeyManager()->LoadHotKeys(
                  mApplication->GetApplicationStringTable(), WString(L"GHK")),
              S_OK);
    const RCPtr<LRootWindow> main = MakeMainWindow();
    ASSERT_TRUE(main);
    struct Binding
    {
        const wchar_t* name;
        bool bound;
        bool window;
    };
    const Binding bindings[] = {
        {L"NID_TEST_WINDOW_HOTKEY", true, true},
        {L"NID_TEST_WINDOW_SHARED", true, true},
        {L"NID_TEST_APP_HOTKEY", true, false},
        {L"NID_TEST_NOT_BOUND", false, false},
        {L"", false, false},
    };
    for (const Binding& b : bindings)
    {
        EXPECT_EQ(main->IsHotKeyNotification(WString(b.name)), b.bound);
        EXPECT_EQ(main->GetHotKeyReceiver(WString(b.name)) != nullptr, b.window);
    }

    TestPanel* left = FindPanel(main->GetRootControl(), "left");
    ASSERT_NE(left, nullptr);
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(L"Window"), WString(L"NID_TEST_WINDOW_HOTKEY"), true, false);
    menu->InsertItem(1, WString(L"Application"), WString(L"NID_TEST_APP_HOTKEY"), true, false);
    menu->InsertItem(2, WString(L"Plain"), WString(L"NID_TEST_NOT_BOUND"), true, false);
    ASSERT_EQ(left->SetContextMenu(menu), S_OK);

    RCPtr<CountingClient> window(new CountingClient);
    window->RegisterNotification(RCPtr<LNotificationDistributor>(main.Get()),
                                 L"NID_TEST_WINDOW_HOTKEY");
    RCPtr<CountingClient> application(new CountingClient);
    application->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(),
                                      L"NID_TEST_APP_HOTKEY");
    application->RegisterNotification(LFrameworkApp::GetApplicationNotificationCenter(),
                                      L"NID_TEST_NOT_BOUND");
    // The items chosen, as a popup menu hands them to the control.
    for (const wchar_t* name :
         {L"NID_TEST_WINDOW_HOTKEY", L"NID_TEST_APP_HOTKEY", L"NID_TEST_NOT_BOUND"})
    {
        left->ReceiveNotification(nullptr, LNotification::Create(name, nullptr));
    }
    // Queued, as hot keys are: nothing arrives before the idle pass.
    EXPECT_TRUE(window->received.empty());
    EXPECT_TRUE(application->received.empty());
    mApplication->ProcessIdle(true);
    EXPECT_EQ(window->received, std::vector<std::wstring>{L"NID_TEST_WINDOW_HOTKEY"});
    EXPECT_EQ(application->received, std::vector<std::wstring>{L"NID_TEST_APP_HOTKEY"});

    // A tree that had its window before the window bound its hot keys, as a main window made
    // for its window has: the commands follow once the hot keys are bound.
    const RCPtr<LControl> root = main->GetRootControl();
    ASSERT_EQ(left->SetContextMenu(nullptr), S_OK);
    ASSERT_EQ(main->SetRootControl(nullptr), S_OK);
    ASSERT_EQ(root->SetRootWindow(RCPtr<IRootWindow>(main.Get())), S_OK);
    ASSERT_EQ(left->SetContextMenu(menu), S_OK);
    ASSERT_EQ(main->SetRootControl(root), S_OK);
    window->received.clear();
    left->ReceiveNotification(nullptr, LNotification::Create(L"NID_TEST_WINDOW_HOTKEY", nullptr));
    mApplication->ProcessIdle(true);
    EXPECT_EQ(window->received, std::vector<std::wstring>{L"NID_TEST_WINDOW_HOTKEY"});

    // Without the menu nothing goes on.
    ASSERT_EQ(left->SetContextMenu(nullptr), S_OK);
    left->ReceiveNotification(nullptr, LNotification::Create(L"NID_TEST_WINDOW_HOTKEY", nullptr));
    mApplication->ProcessIdle(true);
    EXPECT_EQ(window->received.size(), 1u);
    window->UnregisterAllNotifications();
    application->UnregisterAllNotifications();
}
} // namespace
