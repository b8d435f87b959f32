// Notification names and notification objects, with recycling.
#include "NotificationTestSupport.h"

#include "Utilities/Threading/ScopedLock.h"

#include <string>

using namespace Orv;
using namespace OrvTest;

namespace
{
using NotificationObjects = NotificationTest;
} // namespace

TEST(NotificationName, OneTextGivesOnePointerForever)
{
    const wchar_t* first = InternNotificationName(L"NID_NAME_TEST_ONE");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::wstring(first), L"NID_NAME_TEST_ONE");

    // A separately allocated copy of the text, and the interned pointer itself.
    const std::wstring copy(L"NID_NAME_TEST_ONE");
    EXPECT_EQ(InternNotificationName(copy.c_str()), first);
    EXPECT_EQ(InternNotificationName(first), first);

    // Names are case-sensitive: the lower-case form is another name.
    const wchar_t* lower = InternNotificationName(L"nid_name_test_one");
    EXPECT_NE(lower, first);
    EXPECT_EQ(InternNotificationName(L"nid_name_test_one"), lower);

    EXPECT_EQ(InternNotificationName(nullptr), nullptr);
    EXPECT_EQ(InternNotificationName(L""), nullptr);

    // The table holds each name once, and keeps the pointers it gave out as it grows.
    for (int i = 0; i < 200; ++i)
    {
        InternNotificationName((L"NID_NAME_TEST_GROW_" + std::to_wstring(i)).c_str());
    }
    EXPECT_EQ(InternNotificationName(copy.c_str()), first);
    EXPECT_EQ(std::wstring(first), L"NID_NAME_TEST_ONE");
    ScopedLock<Mutex> lock(GetNotificationLock());
    int entries = 0;
    WStringArray& table = GetNotificationNameTable();
    for (unsigned int i = 0; i < table.GetCount(); ++i)
    {
        entries += table.GetConstElementPointer(i) == WString(L"NID_NAME_TEST_ONE") ? 1 : 0;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(NotificationObjects, EmptyOrNullNameGivesNoNotification)
{
    // Recycling off, then on with a notification waiting in the free list: an empty name must
    // not hand out the recycled object with its old name.
    EXPECT_FALSE(LNotification::Create(L""));
    EXPECT_FALSE(LNotification::Create(nullptr));
    EXPECT_FALSE(LNotification::Allocate(L""));

    LNotification::SetRecycling(true);
    LNotification::Create(L"NID_OBJECT_TEST_A");
    ASSERT_EQ(LNotification::GetRecycledCount(), 1u);
    EXPECT_FALSE(LNotification::Create(L""));
    EXPECT_FALSE(LNotification::Create(nullptr));
    EXPECT_EQ(LNotification::GetRecycledCount(), 1u);
}

TEST_F(NotificationObjects, MadeWithInternedNameAndParameter)
{
    bool destroyed = false;
    RCPtr<LRefCountedObject> param(new Tracked(&destroyed));
    RCPtr<LNotification> notification = LNotification::Create(L"NID_OBJECT_TEST_A", param);
    ASSERT_TRUE(notification);
    EXPECT_EQ(notification->id, Id(L"NID_OBJECT_TEST_A"));
    EXPECT_EQ(notification->param.Get(), param.Get());
    EXPECT_FALSE(notification->posted.load());
    param = nullptr;
    EXPECT_FALSE(destroyed);
    notification = nullptr;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
}

TEST_F(NotificationObjects, RecyclingReusesTheLastReleasedFirst)
{
    LNotification::SetRecycling(true);
    bool firstParamGone = false;
    RCPtr<LNotification> a = LNotification::Create(
        L"NID_OBJECT_TEST_A", RCPtr<LRefCountedObject>(new Tracked(&firstParamGone)));
    RCPtr<LNotification> b = LNotification::Create(L"NID_OBJECT_TEST_B");
    const LNotification* rawA = a.Get();
    const LNotification* rawB = b.Get();
    a = nullptr;
    // The parameter goes at the last release, not when the object is reused.
    EXPECT_TRUE(firstParamGone);
    b = nullptr;
    EXPECT_EQ(LNotification::GetRecycledCount(), 2u);

    RCPtr<LRefCountedObject> param(new Tracked());
    RCPtr<LNotification> reusedB = LNotification::Create(L"NID_OBJECT_TEST_C", param);
    RCPtr<LNotification> reusedA = LNotification::Create(L"NID_OBJECT_TEST_D");
    EXPECT_EQ(reusedB.Get(), rawB);
    EXPECT_EQ(reusedA.Get(), rawA);
    EXPECT_EQ(reusedB->id, Id(L"NID_OBJECT_TEST_C"));
    EXPECT_EQ(reusedB->param.Get(), param.Get());
    EXPECT_EQ(reusedA->id, Id(L"NID_OBJECT_TEST_D"));
    EXPECT_FALSE(reusedA->param);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
}

TEST_F(NotificationObjects, SwitchingRecyclingOffEmptiesTheFreeList)
{
    // The emptied notifications die; the leak checker of the sanitizer build sees any that
    // would not.
    LNotification::SetRecycling(true);
    {
        RCPtr<LNotification> held[3] = {LNotification::Create(L"NID_OBJECT_TEST_A"),
                                        LNotification::Create(L"NID_OBJECT_TEST_B"),
                                        LNotification::Create(L"NID_OBJECT_TEST_C")};
    }
    EXPECT_EQ(LNotification::GetRecycledCount(), 3u);
    LNotification::SetRecycling(false);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
    // Released while recycling is off: nothing joins the list.
    LNotification::Create(L"NID_OBJECT_TEST_A");
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
}

TEST_F(NotificationObjects, NotificationStillMarkedPostedIsNeverRecycled)
{
    LNotification::SetRecycling(true);
    bool paramGone = false;
    RCPtr<LNotification> notification = LNotification::Create(
        L"NID_OBJECT_TEST_A", RCPtr<LRefCountedObject>(new Tracked(&paramGone)));
    // As when a queue that still counts it as queued lets go of it.
    notification->posted.store(true);
    notification = nullptr;
    EXPECT_TRUE(paramGone);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
    RCPtr<LNotification> next = LNotification::Create(L"NID_OBJECT_TEST_B");
    EXPECT_FALSE(next->posted.load());
    EXPECT_FALSE(next->param);
}

TEST_F(NotificationObjects, CopyOnWriteOfANotificationIsRefused)
{
    RCPtr<LNotification> notification = LNotification::Create(L"NID_OBJECT_TEST_A");
    EXPECT_THROW(notification->CreateCopy(), Exception<std::logic_error>);
}
