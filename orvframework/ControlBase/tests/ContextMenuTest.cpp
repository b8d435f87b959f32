// A control's context menu: its entries from the create parameters, else from the string table,
// in key-name order; the popup menu made on a right click from the skin's "contextMenu"
// descriptor (a recording class stands in for the popup menu of the core controls); the items
// whose notifications are hot keys, which go where the keys go.
#include "ControlTreeSupport.h"

#include "ControlBase/MenuItemDescriptor.h"
#include "ControlBase/PopupMenuInterface.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationCenterManager.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
std::vector<std::string>* gCalls = nullptr;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// The labels of a menu's items (sub-menus in brackets), with their notifications.
std::string Render(const LMenuDescriptor* menu)
{
    if (menu == nullptr)
    {
        return "(none)";
    }
    std::string out;
    for (unsigned int i = 0; i < menu->GetItemCount(); ++i)
    {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        out += i > 0 ? ", " : "";
        out += item->IsSeparator() ? "-" : Narrow(item->GetLabel());
        if (!item->GetHotKeyText().IsEmpty())
        {
            out += "|" + Narrow(item->GetHotKeyText());
        }
        if (item->HasSubMenu())
        {
            out += "(" + Render(item.Get()) + ")";
        }
        else if (!item->GetNotificationName().IsEmpty())
        {
            out += "{" + Narrow(item->GetNotificationName()) + "}";
        }
    }
    return out;
}

// Stands in for the popup menu: notes what it is asked, and whether it was hidden then.
class RecordingPopup : public LControl, public IPopupMenu
{
public:
    RecordingPopup(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
        : LControl(parent, descriptor)
    {
    }
    ORVRESULT ShowMenu(const ConstRCPtr<LMenuDescriptor>& menu) override
    {
        gCalls->push_back(std::string(IsVisible(false) ? "shown " : "hidden ") + "menu " +
                          Render(menu.Get()));
        return S_OK;
    }
    void PlaceInRoot() override
    {
        gCalls->push_back("place");
        SetVisible(true);
    }
};

// A control that notes the popup it is about to open.
class Opening : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    void OnContextMenuOpening(const RCPtr<LControl>& popup) override
    {
        gCalls->push_back("opening " + Narrow(popup->GetName()));
    }
};

// A control that notes the notifications handed to it.
class Receiving : public RecordingControl
{
public:
    using RecordingControl::RecordingControl;
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        gCalls->push_back(Narrow(GetName()) + " got " + Narrow(WString(notification->id)));
        return RecordingControl::ReceiveNotification(source, notification);
    }
};

// A receiver that notes what reaches it and with which parameter.
class Receiver : public LNotificationReceiver
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        received.push_back(Narrow(WString(notification->id)));
        params.push_back(notification->param);
        return S_OK;
    }
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>&, const wchar_t*) override
    {
        return S_OK;
    }
    std::vector<std::string> received;
    std::vector<RCPtr<LRefCountedObject>> params;
};

// A window whose own hot keys bind "NID_WINDOW_KEY" and whose application binds "NID_APP_KEY".
class HotKeyWindow : public RecordingRootWindow
{
public:
    bool IsHotKeyNotification(const WString& nid) override
    {
        return nid == WString(L"NID_WINDOW_KEY") || nid == WString(L"NID_APP_KEY");
    }
    RCPtr<LNotificationReceiver> GetHotKeyReceiver(const WString& nid) override
    {
        return nid == WString(L"NID_WINDOW_KEY") ? RCPtr<LNotificationReceiver>(keys.Get())
                                                 : nullptr;
    }
    RCPtr<Receiver> keys = new Receiver();
};

class ContextMenu : public ControlTreeTest
{
protected:
    void SetUp() override
    {
        ControlTreeTest::SetUp();
        factory->RegisterControlCreateFunction(WString(L"Test.Popup"),
                                               &CreateControlOf<RecordingPopup>);
        factory->RegisterControlCreateFunction(WString(L"Test.Opening"), &CreateControlOf<Opening>);
        factory->RegisterControlCreateFunction(WString(L"Test.Receiving"),
                                               &CreateControlOf<Receiving>);
        gCalls = &calls;
    }
    void TearDown() override
    {
        ControlTreeTest::TearDown();
        gCalls = nullptr;
    }

    // The string tables of the controls, by "parent class|control name".
    void LoadStrings(const std::string& tables)
    {
        const std::string document = "<Definitions>" + tables + "</Definitions>";
        const LControlFactory::Document d = AsDocument(document);
        factory->LoadStringTableDocuments(&d, nullptr, 9);
    }
    static std::string Table(const char* id,
                             std::initializer_list<std::pair<const char*, const char*>> strings)
    {
        std::string out = std::string("<StringTable ID=\"") + id + "\">";
        for (const auto& [key, text] : strings)
        {
            out += std::string("<String ID=\"") + key + "\"><Locale LCID=\"9\">" + text +
                   "</Locale></String>";
        }
        return out + "</StringTable>";
    }
    static std::string Params(std::initializer_list<std::pair<const char*, const char*>> params)
    {
        std::string out = "<CreateParamList>";
        for (const auto& [key, text] : params)
        {
            out += std::string("<CreateParam ID=\"") + key + "\">" + text + "</CreateParam>";
        }
        return out + "</CreateParamList>";
    }

    std::vector<std::string> calls;
};

TEST_F(ContextMenu, EntriesComeFromTheCreateParametersElseTheStringTableInKeyOrder)
{
    LoadStrings(Table("Test.Recording|params", {{"CONTEXT_MENU.00.NID_TABLE", "Not taken"}}) +
                Table("Test.Recording|tabled", {{"CONTEXT_MENU.01.NID_B", "B"},
                                                {"CONTEXT_MENU.00.NID_A", "A|Ctrl+A"},
                                                {"CONTEXT_MENU.02.SUB.", "Sub"},
                                                {"CONTEXT_MENU.SUB.00.NID_C", "C"},
                                                {"TOOLTIP", "tip"}}) +
                Table("Test.Recording|numbered",
                      {{"CONTEXT_MENU0.00.NID_MENU_FILE_ITEM_1", "Select Firmware File"},
                       {"CONTEXT_MENU1.01.NID_ABOUT", "About"},
                       {"CONTEXT_MENU1.00.NID_HELP", "Help"},
                       {"MENU_LABEL.01", "Help"},
                       {"MENU_LABEL.00", "File"}}));
    const std::string controls = "<SubControl Class=\"Test.Opening\" Name=\"params\">" +
                                 Params({{"CONTEXT_MENU.02.NID_C", "C"},
                                         {"OTHER", "x"},
                                         {"CONTEXT_MENU.00.NID_A", "A"},
                                         {"CONTEXT_MENU.01.-", "ignored"}}) +
                                 "</SubControl>"
                                 "<SubControl Class=\"Test.Opening\" Name=\"tabled\">" +
                                 Params({{"OTHER", "x"}}) +
                                 "</SubControl>"
                                 "<SubControl Class=\"Test.Opening\" Name=\"numbered\"/>"
                                 "<SubControl Class=\"Test.Opening\" Name=\"none\"/>";
    Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "", controls)), L"root");

    struct Case
    {
        const char* control;
        int index; // -1: the control's own context menu
        std::string menu;
    };
    const Case cases[] = {
        {"params", -1, "A{NID_A}, -, C{NID_C}"},
        {"tabled", -1, "A|Ctrl+A{NID_A}, B{NID_B}, Sub(C{NID_C})"},
        {"numbered", 0, "Select Firmware File{NID_MENU_FILE_ITEM_1}"},
        {"numbered", 1, "Help{NID_HELP}, About{NID_ABOUT}"},
        {"numbered", 2, "(none)"},
        {"numbered", -1, "(none)"},
        {"none", -1, "(none)"},
        {"none", 0, "(none)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.control) + " " + std::to_string(c.index));
        RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
        const ORVRESULT result = At(c.control)->ReadContextMenuParams(c.index, menu);
        EXPECT_EQ(result, c.menu == "(none)" ? S_FALSE : S_OK);
        EXPECT_EQ(Render(menu.Get()), c.menu);
        if (c.index < 0)
        {
            // The control's own menu is read when it is made.
            EXPECT_EQ(Render(At(c.control)->GetContextMenu().Get()), c.menu);
        }
    }
    // The menu titles of a menu bar come the same way, sorted by name, the prefix cut.
    const LMenuDescriptor::StringPairs titles =
        At("numbered")->GetCreateParamsWithPrefix(WString(L"MENU_LABEL."));
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].first, WString(L"00"));
    EXPECT_EQ(titles[0].second, WString(L"File"));
    EXPECT_EQ(titles[1].first, WString(L"01"));
    EXPECT_TRUE(At("params")->GetCreateParamsWithPrefix(WString(L"MENU_LABEL.")).empty());
}

TEST_F(ContextMenu, ARightClickOpensThePopupWithTheMenuAtThePointer)
{
    const std::string controls =
        Sub("plain", 120, 0, 100, 50, "blue") +
        "<SubControl Class=\"Test.Opening\" Name=\"menuHost\" XSizeAbs=\"100\" YSizeAbs=\"50\">"
        "<Skin Name=\"hostSkin\" LookList=\"red\"/>" +
        Params({{"CONTEXT_MENU.00.NID_CUT", "Cut|Ctrl+X"}, {"CONTEXT_MENU.01.NID_COPY", "Copy"}}) +
        "</SubControl>";
    const std::string popup = "<SubControl Class=\"Test.Popup\" Name=\"contextMenu\" "
                              "XSizeAbs=\"60\" YSizeAbs=\"40\"/>";
    Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "", controls) + popup), L"root");
    const RCPtr<NotificationJournal> journal(new NotificationJournal());
    journal->Watch(At("menuHost"), {L"NID_RIGHT_CLICK"});
    journal->Watch(At("plain"), {L"NID_RIGHT_CLICK"});

    window->Press(LControl::kRightButton, 30, 20);
    window->ReleaseButton(LControl::kRightButton, 30, 20);
    EXPECT_EQ(journal->Take(), std::vector<std::string>{"menuHost:RIGHT_CLICK"});
    // Made hidden, given the menu, offered to the control, then placed and shown.
    EXPECT_EQ(calls, (std::vector<std::string>{"hidden menu Cut|Ctrl+X{NID_CUT}, Copy{NID_COPY}",
                                               "opening contextMenu", "place"}));
    const RCPtr<LControl> shown = At("menuHost/contextMenu");
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->IsVisible(false));

    // A second right click while it is open uses it again.
    calls.clear();
    window->Press(LControl::kRightButton, 80, 45);
    window->ReleaseButton(LControl::kRightButton, 80, 45);
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(journal->Take(), std::vector<std::string>{"menuHost:RIGHT_CLICK"});
    EXPECT_EQ(At("menuHost/contextMenu").Get(), shown.Get());
    EXPECT_EQ(At("menuHost")->GetChildren().GetCount(), 1u);

    // A control without a context menu only reports the click.
    calls.clear();
    window->Press(LControl::kRightButton, 150, 20);
    window->ReleaseButton(LControl::kRightButton, 150, 20);
    EXPECT_EQ(journal->Take(), std::vector<std::string>{"plain:RIGHT_CLICK"});
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(At("plain/contextMenu"));
    journal->UnregisterAllNotifications();
}

TEST_F(ContextMenu, WithoutAPopupMenuInTheSkinNothingOpens)
{
    struct Case
    {
        const char* what;
        std::string popup;
    };
    const Case cases[] = {
        {"no contextMenu descriptor", ""},
        {"a contextMenu descriptor of a class that is no popup menu",
         "<SubControl Class=\"Test.Recording\" Name=\"contextMenu\"/>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string host =
            "<SubControl Class=\"Test.Opening\" Name=\"menuHost\" XSizeAbs=\"100\" "
            "YSizeAbs=\"50\"><Skin Name=\"hostSkin\" LookList=\"red\"/>" +
            Params({{"CONTEXT_MENU.00.NID_CUT", "Cut"}}) + "</SubControl>";
        // A fresh factory for each skin document.
        TearDown();
        SetUp();
        Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "", host) + c.popup), L"root");
        const RCPtr<LControl> control = At("menuHost");
        EXPECT_EQ(control->ShowContextMenu(control->GetContextMenu()), E_FAIL);
        EXPECT_EQ(control->ShowContextMenu(nullptr), E_INVALIDARG);
        window->Press(LControl::kRightButton, 30, 20);
        window->ReleaseButton(LControl::kRightButton, 30, 20);
        EXPECT_FALSE(At("menuHost/contextMenu"));
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(ContextMenu, ItemsWhoseNotificationsAreHotKeysFireThemAsTheKeysWould)
{
    // This test's window binds hot keys; the tree is shown in it.
    window->Close();
    const RCPtr<HotKeyWindow> keyed(new HotKeyWindow());
    window = keyed;
    const std::string host = "<SubControl Class=\"Test.Receiving\" Name=\"host\">" +
                             Params({{"CONTEXT_MENU.00.NID_WINDOW_KEY", "Window key"},
                                     {"CONTEXT_MENU.01.NID_PLAIN", "Plain"},
                                     {"CONTEXT_MENU.02.SUB.", "Sub"},
                                     {"CONTEXT_MENU.SUB.00.NID_APP_KEY", "Application key"}}) +
                             "</SubControl>";
    Show(SkinDocument(Sub("root", 0, 0, 300, 200, "grey", "", host)), L"root");
    const RCPtr<LControl> control = At("host");
    const RCPtr<LNotificationCenter> application = GetApplicationNotificationCenter();
    struct Listener : LNotificationClient
    {
        ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification) override
        {
            received.push_back(Narrow(WString(notification->id)));
            return S_OK;
        }
        std::vector<std::string> received;
    };
    const RCPtr<Listener> listener(new Listener());
    listener->RegisterNotification(RCPtr<LNotificationDistributor>(application.Get()),
                                   L"NID_APP_KEY");

    // A chosen item's notification handed to the control (as a popup menu hands it).
    auto choose = [&](const wchar_t* name)
    {
        const RCPtr<LRefCountedObject> param(LMenuDescriptor::Create());
        control->ReceiveNotification(nullptr, LNotification::Create(name, param));
        application->ProcessNotifications(false);
        return param;
    };
    const RCPtr<LRefCountedObject> windowParam = choose(L"NID_WINDOW_KEY");
    EXPECT_EQ(keyed->keys->received, std::vector<std::string>{"NID_WINDOW_KEY"});
    ASSERT_EQ(keyed->keys->params.size(), 1u);
    EXPECT_EQ(keyed->keys->params[0].Get(), windowParam.Get());
    // The application's hot keys deliver into the application's queue.
    choose(L"NID_APP_KEY");
    EXPECT_EQ(listener->received, std::vector<std::string>{"NID_APP_KEY"});
    // An item no hot key binds is the control's own business.
    choose(L"NID_PLAIN");
    EXPECT_EQ(keyed->keys->received.size(), 1u);
    EXPECT_EQ(listener->received.size(), 1u);

    // Without the menu the commands are the control's again.
    EXPECT_EQ(control->SetContextMenu(nullptr), S_OK);
    choose(L"NID_WINDOW_KEY");
    choose(L"NID_APP_KEY");
    EXPECT_EQ(keyed->keys->received.size(), 1u);
    EXPECT_EQ(listener->received.size(), 1u);
    EXPECT_EQ(control->SubscribeMenuCommands(nullptr, true), E_INVALIDARG);
    listener->UnregisterAllNotifications();
}
} // namespace
