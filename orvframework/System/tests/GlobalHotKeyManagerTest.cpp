// The hot-key manager on its own: which string-table entries bind which keys, the rules of
// binding by code, and the notifications a bound key makes.
#include "System/GlobalHotKeyManager.h"

#include "notification/Notification.h"
#include "notification/NotificationDistributor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
// Keeps what it receives.
class RecordingReceiver : public LNotificationReceiver
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        sources.push_back(source.Get());
        received.push_back(notification);
        return S_OK;
    }
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>&, const wchar_t*) override
    {
        return E_FAIL;
    }

    std::vector<LNotificationDistributor*> sources;
    std::vector<RCPtr<LNotification>> received;
};

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

KeyCode Key(const wchar_t* text)
{
    return KeyCode::Parse(WString(text));
}

RCPtr<LKeyParam> KeyParam(const wchar_t* text)
{
    return LKeyParam::Create(Key(text), false);
}
} // namespace

TEST(GlobalHotKeyManager, LoadsTheKeysOfPrefixedEntriesThatNameAKey)
{
    const LStringTable::Entries entries = {
        {WString(L"GHK.NID_HK_EXIT"), WString(L"Alt+VKEY_F4")},
        // Groups between the prefix and the last dot only group entries.
        {WString(L"GHK.file.open.NID_HK_OPEN"), WString(L"Ctrl+VKEY_O")},
        // A text without a key name binds its last character.
        {WString(L"GHK.NID_HK_ALT_T"), WString(L"Alt")},
        {WString(L"GHK.NID_HK_CODE"), WString(L"[65]")},
        // Texts that name no key bind nothing.
        {WString(L"GHK.NID_HK_EMPTY"), WString(L"")},
        {WString(L"GHK.NID_HK_UNCLOSED"), WString(L"Alt+[65")},
        {WString(L"GHK.NID_HK_UNKNOWN"), WString(L"Ctrl+VKEY_NOSUCHKEY")},
        {WString(L"GHK.NID_HK_NOCODE"), WString(L"[x]")},
        // The same key twice: the entry whose ID sorts first binds it.
        {WString(L"GHK.a.NID_HK_FIRST"), WString(L"VKEY_F6")},
        {WString(L"GHK.b.NID_HK_SECOND"), WString(L"VKEY_F6")},
        // IDs without the prefix and a dot at their start are not read.
        {WString(L"GHKNID_HK_NODOT"), WString(L"VKEY_F9")},
        {WString(L"GHKX.NID_HK_OTHER"), WString(L"VKEY_F10")},
        {WString(L"LHK.GHK.NID_HK_LATER"), WString(L"VKEY_F11")},
        {WString(L"ghk.NID_HK_LOWER"), WString(L"VKEY_F12")},
    };
    RCPtr<LStringTable> table;
    LStringTable::Create(table, entries);
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(nullptr);
    EXPECT_EQ(manager->LoadHotKeys(table, WString(L"GHK")), S_OK);

    struct Case
    {
        const wchar_t* key;
        const char* bound;
    };
    const Case cases[] = {
        {L"Alt+VKEY_F4", "NID_HK_EXIT"},
        {L"VKEY_F4", ""},
        {L"Ctrl+VKEY_O", "NID_HK_OPEN"},
        {L"Alt+[116]", "NID_HK_ALT_T"},
        {L"[116]", ""},
        {L"[65]", "NID_HK_CODE"},
        // A character key matches without regard to Ctrl and Shift.
        {L"Ctrl+Shift+[65]", "NID_HK_CODE"},
        {L"VKEY_F6", "NID_HK_FIRST"},
        {L"VKEY_F9", ""},
        {L"VKEY_F10", ""},
        {L"VKEY_F11", ""},
        {L"VKEY_F12", ""},
        {L"Ctrl+VKEY_F4", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Narrow(manager->GetNotificationForKey(Key(c.key))), c.bound)
            << Narrow(WString(c.key));
    }
    for (const wchar_t* name :
         {L"NID_HK_EMPTY", L"NID_HK_UNCLOSED", L"NID_HK_UNKNOWN", L"NID_HK_NOCODE",
          L"NID_HK_SECOND", L"NID_HK_NODOT", L"NID_HK_OTHER", L"NID_HK_LATER", L"NID_HK_LOWER"})
    {
        EXPECT_FALSE(manager->IsHotKeyNotification(WString(name))) << Narrow(WString(name));
    }
    // An unparseable key does not reach the map through "no key" either.
    EXPECT_EQ(Narrow(manager->GetNotificationForKey(Key(L""))), "");
    EXPECT_EQ(Narrow(manager->GetNotificationForKey(Key(L"VKEY_NOSUCHKEY"))), "");

    EXPECT_EQ(manager->LoadHotKeys(nullptr, WString(L"GHK")), E_INVALIDARG);
}

TEST(GlobalHotKeyManager, AKeyIsBoundToOneNameAndANameMayHaveSeveralKeys)
{
    const RCPtr<LGlobalHotKeyManager> manager = LGlobalHotKeyManager::Create(nullptr);
    const WString exit(L"NID_HK_EXIT");
    EXPECT_EQ(manager->AddHotKey(Key(L"Alt+VKEY_F4"), exit), S_OK);
    EXPECT_EQ(manager->AddHotKey(Key(L"Ctrl+VKEY_Q"), exit), S_OK);
    EXPECT_EQ(manager->AddHotKey(Key(L"[113]"), WString(L"NID_HK_Q")), S_OK);

    struct Case
    {
        const wchar_t* key;
        const wchar_t* name;
    };
    const Case refused[] = {
        // Bound already, to this name or another.
        {L"Alt+VKEY_F4", L"NID_HK_EXIT"},
        {L"Alt+VKEY_F4", L"NID_HK_OTHER"},
        // A character key with Ctrl or Shift is the character key bound already.
        {L"Ctrl+[113]", L"NID_HK_OTHER"},
        // No name, or no key.
        {L"VKEY_F5", L""},
        {L"", L"NID_HK_OTHER"},
        {L"VKEY_NOSUCHKEY", L"NID_HK_OTHER"},
    };
    for (const Case& c : refused)
    {
        EXPECT_EQ(manager->AddHotKey(Key(c.key), WString(c.name)), E_INVALIDARG)
            << Narrow(WString(c.key)) << " -> " << Narrow(WString(c.name));
    }
    EXPECT_FALSE(manager->IsHotKeyNotification(WString(L"NID_HK_OTHER")));

    const Array<KeyCode> keys = manager->GetHotKeysForNotification(exit);
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.GetConstElementPointer(0).code, Key(L"Alt+VKEY_F4").code);
    EXPECT_EQ(keys.GetConstElementPointer(1).code, Key(L"Ctrl+VKEY_Q").code);
    EXPECT_EQ(manager->GetHotKeysForNotification(WString(L"NID_HK_NONE")).GetCount(), 0u);
    EXPECT_EQ(manager->GetHotKeysForNotification(WString()).GetCount(), 0u);
    EXPECT_TRUE(manager->IsHotKeyNotification(exit));
    EXPECT_FALSE(manager->IsHotKeyNotification(WString()));

    manager->Clear();
    EXPECT_FALSE(manager->IsHotKeyNotification(exit));
    EXPECT_EQ(Narrow(manager->GetNotificationForKey(Key(L"Alt+VKEY_F4"))), "");
}

TEST(GlobalHotKeyManager, ABoundKeyMakesItsNotificationCarryingACopyOfTheKey)
{
    const RCPtr<RecordingReceiver> receiver(new RecordingReceiver);
    const RCPtr<LGlobalHotKeyManager> manager =
        LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(receiver.Get()));
    ASSERT_EQ(manager->AddHotKey(Key(L"Alt+VKEY_F4"), WString(L"NID_HK_EXIT")), S_OK);

    // Any object stands for a control the key visited.
    const RCPtr<LRefCountedObject> visited(new RecordingReceiver);
    const RCPtr<LKeyParam> pressed = KeyParam(L"Alt+VKEY_F4");
    pressed->visitedControls.InsertItem(0, visited);
    EXPECT_EQ(manager->ProcessKey(pressed), S_OK);
    ASSERT_EQ(receiver->received.size(), 1u);
    EXPECT_EQ(receiver->sources[0], nullptr);
    EXPECT_EQ(std::wstring(receiver->received[0]->id), L"NID_HK_EXIT");
    auto* carried = dynamic_cast<LKeyParam*>(receiver->received[0]->param.Get());
    ASSERT_NE(carried, nullptr);
    EXPECT_NE(carried, pressed.Get());
    EXPECT_EQ(carried->key.code, pressed->key.code);
    EXPECT_EQ(carried->keyUp, pressed->keyUp);
    ASSERT_EQ(carried->visitedControls.GetCount(), 1u);
    EXPECT_EQ(carried->visitedControls.GetConstElementPointer(0).Get(), visited.Get());

    // Keys that are no hot key make nothing.
    EXPECT_EQ(manager->ProcessKey(KeyParam(L"VKEY_F4")), S_FALSE);
    EXPECT_EQ(manager->ProcessKey(KeyParam(L"Ctrl+Alt+VKEY_F4")), S_FALSE);
    EXPECT_EQ(manager->ProcessKey(nullptr), S_FALSE);
    EXPECT_EQ(receiver->received.size(), 1u);

    // Without a receiver nothing can be made, and nothing is reported as made.
    const RCPtr<LGlobalHotKeyManager> deaf = LGlobalHotKeyManager::Create(nullptr);
    ASSERT_EQ(deaf->AddHotKey(Key(L"Alt+VKEY_F4"), WString(L"NID_HK_EXIT")), S_OK);
    EXPECT_EQ(deaf->ProcessKey(KeyParam(L"Alt+VKEY_F4")), S_FALSE);
}
