// Objects that hold each other through registrations die when the last outside reference goes.
// The sanitizer build's leak checker fails these tests for anything left behind.
#include "NotificationPump.h"
#include "NotificationTestSupport.h"

#include "notification/NotificationCenter.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
using Lifetime = NotificationTest;

// Both sides at once, as a control is: it drops its clients and its own registrations when
// only internal references remain.
class Peer : public LNotificationClient, public LNotificationDistributor
{
public:
    explicit Peer(bool* destroyed)
        : mDestroyed(destroyed)
    {
    }
    ~Peer() override { *mDestroyed = true; }

    ORVRESULT ReleaseInternalReferences() override
    {
        UnregisterAllClients();
        UnregisterAllNotifications();
        return LRefCountedObject::ReleaseInternalReferences();
    }

private:
    bool* mDestroyed;
};
} // namespace

TEST_F(Lifetime, ClientDiesWithItsLastOutsideReference)
{
    bool gone = false;
    const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    auto client = MakeClient("client", nullptr, &gone);
    client->RegisterNotification(center, L"NID_ONE");
    client->RegisterNotification(center, L"NID_TWO");
    client = nullptr;
    EXPECT_TRUE(gone);
    EXPECT_EQ(center->GetRegistrationCount(), 0);
    EXPECT_FALSE(LNotificationDistributor::IsListed(center.Get()));
}

TEST_F(Lifetime, PeersRegisteredAtEachOtherDieTogether)
{
    for (bool releaseAFirst : {true, false})
    {
        bool aGone = false;
        bool bGone = false;
        RCPtr<Peer> a(new Peer(&aGone));
        RCPtr<Peer> b(new Peer(&bGone));
        a->RegisterNotification(b, L"NID_ONE");
        b->RegisterNotification(a, L"NID_ONE");
        a->RegisterNotification(a, L"NID_SELF");
        b->RegisterNotification(b, L"NID_SELF");
        (releaseAFirst ? a : b) = nullptr;
        EXPECT_TRUE(releaseAFirst ? aGone : bGone);
        EXPECT_FALSE(releaseAFirst ? bGone : aGone);
        (releaseAFirst ? b : a) = nullptr;
        EXPECT_TRUE(aGone);
        EXPECT_TRUE(bGone);
    }
}

TEST_F(Lifetime, ClientRegisteredThroughAHandlerActionDiesToo)
{
    // A client that unregisters and registers again while it is being called, then loses its
    // last outside reference in the same call.
    bool gone = false;
    RCPtr<LNotificationCenter> center = LNotificationCenter::Create(L"lifetime");
    RCPtr<RecordingClient> client = MakeClient("client", nullptr, &gone);
    client->RegisterNotification(center, L"NID_ONE");
    RCPtr<RecordingClient>* holder = &client;
    client->action = [&center, holder](const auto&, const auto&)
    {
        (*holder)->UnregisterNotification(center, L"NID_ONE");
        (*holder)->RegisterNotification(center, L"NID_TWO");
        *holder = nullptr;
    };
    center->SendNotification(LNotification::Create(L"NID_ONE"));
    EXPECT_TRUE(gone);
    EXPECT_EQ(center->GetRegistrationCount(), 0);
}

TEST_F(Lifetime, CenterDiesWithTheManagerAndLetsItsClientsGo)
{
    bool queueGone = false;
    bool paramGone = false;
    auto client = MakeClient("client");
    RCPtr<LNotificationQueue> queue(new TrackedQueue(&queueGone));
    {
        const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
        client->RegisterNotification(center, L"NID_ONE");
        // A posting receiver registered at the center, and a notification left queued.
        center->RegisterClient(queue->GetPostingReceiver(), L"NID_ONE", 0);
        center->PostNotification(
            LNotification::Create(L"NID_ONE", RCPtr<LRefCountedObject>(new Tracked(&paramGone))));
        // Only the manager holds it from outside.
        EXPECT_EQ(center->GetRefCount() - center->GetInternalRefCount(), 2);
    }
    ReleaseNotificationCenterManager();
    EXPECT_TRUE(paramGone);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(client->GetRefCount(), 1);
    EXPECT_EQ(queue->GetPostingReceiver()->GetRefCount(), 2);
    queue = nullptr;
    EXPECT_TRUE(queueGone);
}

TEST_F(Lifetime, QueueDiesWithItsOwnerWhereverItsReceiverIsRegistered)
{
    bool queueGone = false;
    bool targetGone = false;
    RCPtr<LNotificationDistributor> target(new TrackedDistributor(&targetGone));
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    RCPtr<LNotificationQueue> queue(new TrackedQueue(&queueGone));
    queue->SetDistributor(target);
    RCPtr<LNotificationReceiver> receiver = queue->GetPostingReceiver();
    source->RegisterClient(receiver, L"NID_ONE", 0);
    queue->PostNotification(LNotification::Create(L"NID_ONE"));
    receiver = nullptr;

    queue = nullptr;
    EXPECT_TRUE(queueGone);
    EXPECT_EQ(target->GetInternalRefCount(), 0);
    target = nullptr;
    EXPECT_TRUE(targetGone);
    // The receiver outlives its queue at the source and refuses what it is sent.
    EXPECT_EQ(source->SendNotification(LNotification::Create(L"NID_ONE")), S_OK);
    source->UnregisterAllClients();
    EXPECT_EQ(source->GetRegistrationCount(), 0);
}

TEST_F(Lifetime, CenterWithAPostingReceiverRegisteredAtItDies)
{
    bool queueGone = false;
    RCPtr<LNotificationQueue> queue(new TrackedQueue(&queueGone));
    RCPtr<LNotificationCenter> center = LNotificationCenter::Create(L"lifetime");
    center->RegisterClient(queue->GetPostingReceiver(), L"NID_ONE", 0);
    const RCPtr<LNotificationReceiver> receiver = queue->GetPostingReceiver();
    EXPECT_EQ(receiver->GetRefCount(), 3);
    center = nullptr;
    // The center's registration let the receiver go: the center is gone.
    EXPECT_EQ(receiver->GetRefCount(), 2);
    queue = nullptr;
    EXPECT_TRUE(queueGone);
}
