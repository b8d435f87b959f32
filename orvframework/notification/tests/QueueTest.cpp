// Posting: notification queues, centers and their manager.
#include "NotificationPump.h"
#include "NotificationTestSupport.h"

#include "ObjectBase/Holder.h"
#include "notification/NotificationCenter.h"

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Log = std::vector<std::string>;

RCPtr<LRefCountedObject> Number(int value)
{
    return RCPtr<LRefCountedObject>(new LHolder<int>(value));
}

// A center with one client for "NID_QUEUE_TEST".
class QueueTest : public NotificationTest
{
protected:
    void SetUp() override
    {
        NotificationTest::SetUp();
        center = LNotificationCenter::Create(L"queue test");
        client = MakeClient("client", &log);
        client->RegisterNotification(center, L"NID_QUEUE_TEST");
    }
    void TearDown() override
    {
        client = nullptr;
        center = nullptr;
        NotificationTest::TearDown();
    }

    ORVRESULT Post(int value, const wchar_t* name = L"NID_QUEUE_TEST")
    {
        return center->PostNotification(LNotification::Create(name, Number(value)));
    }
    static const std::vector<int>& Received(const RecordingClient& who) { return who.values; }

    Log log;
    RCPtr<LNotificationCenter> center;
    RCPtr<RecordingClient> client;
};
} // namespace

TEST_F(QueueTest, PostedNotificationsWaitForThePump)
{
    EXPECT_EQ(Post(1), S_OK);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(center->GetCount(), 1u);
    EXPECT_FALSE(center->ProcessNotifications(false));
    EXPECT_EQ(Received(*client), (std::vector<int>{1}));
    EXPECT_EQ(center->GetCount(), 0u);
}

TEST_F(QueueTest, ThreeHundredPostsAreDeliveredInOrderInOnePass)
{
    EXPECT_EQ(center->GetCellCount(), 256u);
    std::vector<int> expected;
    for (int i = 0; i < 300; ++i)
    {
        ASSERT_EQ(Post(i), S_OK);
        expected.push_back(i);
    }
    // Grown by one cell per post past 255 entries.
    EXPECT_EQ(center->GetCellCount(), 301u);
    EXPECT_FALSE(center->ProcessNotifications(false));
    EXPECT_EQ(Received(*client), expected);
    EXPECT_EQ(center->GetCellCount(), 301u);
}

TEST_F(QueueTest, PostsMadeDuringAPassWaitForTheNextPass)
{
    bool posted = false;
    client->action = [this, &posted](const auto&, const auto&)
    {
        if (!posted)
        {
            posted = true;
            Post(2);
            // A nested pass delivers nothing more.
            EXPECT_TRUE(center->ProcessNotifications(false));
            EXPECT_EQ(log.size(), 1u);
        }
    };
    Post(1);
    EXPECT_TRUE(center->ProcessNotifications(false));
    EXPECT_EQ(Received(*client), (std::vector<int>{1}));
    EXPECT_FALSE(center->ProcessNotifications(false));
    EXPECT_EQ(Received(*client), (std::vector<int>{1, 2}));
}

TEST_F(QueueTest, ANotificationIsPostedOnceAtATime)
{
    const RCPtr<LNotification> notification = LNotification::Create(L"NID_QUEUE_TEST");
    EXPECT_EQ(center->PostNotification(notification), S_OK);
    EXPECT_TRUE(notification->posted.load());
    EXPECT_EQ(center->PostNotification(notification), E_INVALIDARG);
    EXPECT_EQ(center->PostNotification(nullptr), E_INVALIDARG);
    center->ProcessNotifications(false);
    EXPECT_FALSE(notification->posted.load());
    EXPECT_EQ(client->objects, (std::vector<const LNotification*>{notification.Get()}));
    // Delivered: it may be posted again.
    EXPECT_EQ(center->PostNotification(notification), S_OK);
}

TEST_F(QueueTest, AQueueNeedsATarget)
{
    RCPtr<LNotificationQueue> queue(new LNotificationQueue());
    RCPtr<LNotificationDistributor> target(new LNotificationDistributor());
    const RCPtr<LNotification> notification = LNotification::Create(L"NID_QUEUE_TEST");
    EXPECT_EQ(queue->PostNotification(notification), E_FAIL);
    EXPECT_FALSE(notification->posted.load());
    EXPECT_EQ(queue->SetDistributor(nullptr), S_OK);
    EXPECT_EQ(queue->PostNotification(notification), E_FAIL);
    EXPECT_EQ(queue->SetDistributor(target), S_OK);
    EXPECT_EQ(target->GetInternalRefCount(), 1);
    EXPECT_EQ(queue->SetDistributor(target), E_FAIL);
    EXPECT_EQ(queue->PostNotification(notification), S_OK);

    auto other = MakeClient("other", &log);
    other->RegisterNotification(target, L"NID_QUEUE_TEST");
    queue->ProcessNotifications(false);
    EXPECT_EQ(log, (Log{"other"}));
    other->UnregisterAllNotifications();

    // Detached: the queue is emptied, drops its target and refuses posts.
    EXPECT_EQ(queue->PostNotification(LNotification::Create(L"NID_QUEUE_TEST")), S_OK);
    const RCPtr<LNotificationReceiver> receiver = queue->GetPostingReceiver();
    queue->Detach();
    EXPECT_EQ(queue->GetCount(), 0u);
    EXPECT_EQ(target->GetRefCount(), 1);
    EXPECT_EQ(target->GetInternalRefCount(), 0);
    EXPECT_EQ(queue->GetInternalRefCount(), 0);
    EXPECT_FALSE(queue->GetPostingReceiver());
    EXPECT_EQ(queue->PostNotification(LNotification::Create(L"NID_QUEUE_TEST")), E_FAIL);
    EXPECT_EQ(receiver->ReceiveNotification(nullptr, LNotification::Create(L"NID_QUEUE_TEST")),
              E_FAIL);
    EXPECT_EQ(queue->SetDistributor(target), E_FAIL);
    queue->Detach();
    EXPECT_EQ(queue->GetRefCount(), 1);
}

TEST_F(QueueTest, LatestOnlyRegistrationGetsOnlyTheLastPost)
{
    auto status = MakeClient("status", &log);
    status->RegisterNotification(center, L"NID_SET_STATUS_TEXT",
                                 LNotificationDistributor::kLatestOnly);
    auto every = MakeClient("every", &log);
    every->RegisterNotification(center, L"NID_SET_STATUS_TEXT");
    for (int i = 1; i <= 3; ++i)
    {
        Post(i, L"NID_SET_STATUS_TEXT");
    }
    center->ProcessNotifications(false);
    EXPECT_EQ(Received(*status), (std::vector<int>{3}));
    EXPECT_EQ(Received(*every), (std::vector<int>{1, 2, 3}));

    // Delivered once only: sending the same object again does not reach it.
    const RCPtr<LNotification> last = LNotification::Create(L"NID_SET_STATUS_TEXT", Number(4));
    center->PostNotification(last);
    center->ProcessNotifications(false);
    center->SendNotification(last);
    EXPECT_EQ(Received(*status), (std::vector<int>{3, 4}));
    EXPECT_EQ(Received(*every), (std::vector<int>{1, 2, 3, 4, 4}));
}

TEST_F(QueueTest, IdleIsSentAfterEveryPassThatAsksForIt)
{
    auto idle = MakeClient("idle", &log);
    idle->RegisterNotification(center, L"NID_IDLE");
    EXPECT_FALSE(center->ProcessNotifications(false));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(center->ProcessNotifications(true));
    EXPECT_EQ(log, (Log{"idle"}));
    EXPECT_EQ(idle->ids, (std::vector<const wchar_t*>{Id(L"NID_IDLE")}));
    EXPECT_FALSE(idle->params[0]);
    // After the queued notifications.
    log.clear();
    Post(1);
    center->ProcessNotifications(true);
    EXPECT_EQ(log, (Log{"client", "idle"}));
}

TEST_F(QueueTest, ANotificationKeepsItsParameterWhileQueued)
{
    for (bool recycling : {false, true})
    {
        SCOPED_TRACE(recycling ? "recycling" : "no recycling");
        LNotification::SetRecycling(recycling);
        bool gone = false;
        RCPtr<LNotification> notification = LNotification::Create(
            L"NID_QUEUE_TEST", RCPtr<LRefCountedObject>(new Tracked(&gone, 7)));
        const LRefCountedObject* param = notification->param.Get();
        center->PostNotification(notification);
        notification = nullptr;
        EXPECT_FALSE(gone);
        center->ProcessNotifications(false);
        ASSERT_FALSE(client->params.empty());
        EXPECT_EQ(client->params.back(), param);
        EXPECT_TRUE(gone);
    }
}

TEST_F(QueueTest, AClientMayEmptyTheQueueWhileItIsDrained)
{
    client->action = [this](const auto&, const auto&) { center->Clear(); };
    const RCPtr<LNotification> second = LNotification::Create(L"NID_QUEUE_TEST", Number(2));
    Post(1);
    center->PostNotification(second);
    Post(3);
    EXPECT_FALSE(center->ProcessNotifications(false));
    EXPECT_EQ(Received(*client), (std::vector<int>{1}));
    EXPECT_FALSE(second->posted.load());
}

TEST_F(QueueTest, PostingReceiverTurnsSendsIntoPosts)
{
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    source->RegisterClient(center->GetPostingReceiver(), L"NID_QUEUE_TEST", 0);
    const RCPtr<LNotification> sent = LNotification::Create(L"NID_QUEUE_TEST", Number(5));
    EXPECT_EQ(source->SendNotification(sent), S_OK);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(sent->posted.load());
    center->ProcessNotifications(false);
    // A new notification with the same name and parameter.
    ASSERT_EQ(client->objects.size(), 1u);
    EXPECT_NE(client->objects[0], sent.Get());
    EXPECT_EQ(client->params[0], sent->param.Get());
    EXPECT_EQ(client->ids[0], sent->id);
    source->UnregisterAllClients();
}

TEST_F(QueueTest, ManagerKeepsOneCenterPerName)
{
    const RCPtr<LNotificationCenterManager> manager = GetNotificationCenterManager();
    EXPECT_EQ(GetNotificationCenterManager().Get(), manager.Get());
    EXPECT_FALSE(manager->FindNotificationCenter(WString()));
    const RCPtr<LNotificationCenter> defaultCenter = manager->GetNotificationCenter(WString());
    ASSERT_TRUE(defaultCenter);
    EXPECT_EQ(manager->GetNotificationCenter(L"").Get(), defaultCenter.Get());
    EXPECT_EQ(manager->FindNotificationCenter(WString()).Get(), defaultCenter.Get());
    EXPECT_FALSE(manager->FindNotificationCenter(L"application"));
    const RCPtr<LNotificationCenter> application = GetApplicationNotificationCenter();
    ASSERT_TRUE(application);
    EXPECT_EQ(application->GetName(), WString(L"application"));
    EXPECT_EQ(manager->GetNotificationCenter(L"application").Get(), application.Get());
    EXPECT_EQ(manager->FindNotificationCenter(L"application").Get(), application.Get());
    EXPECT_FALSE(manager->FindNotificationCenter(L"Application"));
    EXPECT_NE(manager->GetNotificationCenter(L"Application").Get(), application.Get());
    EXPECT_NE(defaultCenter.Get(), application.Get());

    // A new manager after the old one is released.
    ReleaseNotificationCenterManager();
    EXPECT_NE(GetApplicationNotificationCenter().Get(), application.Get());
}

TEST_F(QueueTest, ManagerPumpsEveryCenterTheLastMadeFirst)
{
    const RCPtr<LNotificationCenterManager> manager = GetNotificationCenterManager();
    auto first = MakeClient("first", &log);
    auto second = MakeClient("second", &log);
    first->RegisterNotification(manager->GetNotificationCenter(L"first"), L"NID_QUEUE_TEST");
    second->RegisterNotification(manager->GetNotificationCenter(L"second"), L"NID_QUEUE_TEST");
    // The first center's client posts to the second center while it is called.
    first->action = [&](const auto&, const auto&)
    {
        manager->GetNotificationCenter(L"second")->PostNotification(
            LNotification::Create(L"NID_QUEUE_TEST"));
    };
    for (const wchar_t* name : {L"first", L"second"})
    {
        manager->GetNotificationCenter(name)->PostNotification(
            LNotification::Create(L"NID_QUEUE_TEST"));
    }
    PumpNotifications();
    EXPECT_EQ(log, (Log{"second", "first"}));
    // The second center's pass had ended: the post waits for the next one.
    EXPECT_EQ(manager->FindNotificationCenter(L"second")->GetCount(), 1u);
    EXPECT_FALSE(PumpNotifications());
    EXPECT_EQ(log, (Log{"second", "first", "second"}));
}

TEST_F(QueueTest, WhatAPassHasNotDeliveredYetStillCountsAsQueued)
{
    // Seen from a client during the pass: the notifications of the pass that are still to come,
    // and one posted meanwhile.
    std::vector<unsigned int> counts;
    std::vector<bool> nested;
    client->action = [&](const auto&, const auto&)
    {
        counts.push_back(center->GetCount());
        nested.push_back(center->ProcessNotifications(false));
    };
    for (int i = 0; i < 40; ++i)
    {
        Post(i);
    }
    EXPECT_FALSE(center->ProcessNotifications(false));
    ASSERT_EQ(counts.size(), 40u);
    for (unsigned int i = 0; i < 40; ++i)
    {
        EXPECT_EQ(counts[i], 39 - i) << i;
        EXPECT_EQ(nested[i], i != 39) << i;
    }
    EXPECT_EQ(center->GetCount(), 0u);
}

TEST_F(QueueTest, EmptyingTheQueueDuringAPassDropsWhatThePassStillHolds)
{
    // Emptied by the tenth client call of a pass of forty: the rest of the pass is dropped (their
    // parameters released, posted flags cleared), and what was posted after the emptying waits.
    std::vector<RCPtr<LNotification>> posted;
    for (int i = 0; i < 40; ++i)
    {
        posted.push_back(LNotification::Create(L"NID_QUEUE_TEST", Number(i)));
        center->PostNotification(posted.back());
    }
    client->action = [this](const auto&, const RCPtr<LNotification>& notification)
    {
        if (ValueOf(notification->param.Get()) == 9)
        {
            EXPECT_FALSE(center->Clear());
            Post(100);
            EXPECT_EQ(center->GetCount(), 1u);
        }
    };
    EXPECT_TRUE(center->ProcessNotifications(false));
    std::vector<int> expected;
    for (int i = 0; i < 10; ++i)
    {
        expected.push_back(i);
    }
    EXPECT_EQ(Received(*client), expected);
    for (const RCPtr<LNotification>& notification : posted)
    {
        EXPECT_FALSE(notification->posted.load());
        EXPECT_EQ(notification->GetRefCount(), 1);
    }
    EXPECT_FALSE(center->ProcessNotifications(false));
    expected.push_back(100);
    EXPECT_EQ(Received(*client), expected);
}
