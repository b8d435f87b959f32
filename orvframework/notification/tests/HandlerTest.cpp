// Dispatching received notifications to member functions by (source, name).
#include "NotificationTestSupport.h"

#include "notification/NotificationHandler.h"

#include <string>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Handlers = NotificationTest;

class Owner : public LNotificationClient
{
public:
    using Handler = LNotificationHandler<Owner>::Handler;

    Owner()
        : handler(new LNotificationHandler<Owner>(this))
    {
    }

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override
    {
        return handler->Dispatch(source, notification);
    }

    ORVRESULT OnFirst(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        calls.push_back("first");
        return 11;
    }
    ORVRESULT OnSecond(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        calls.push_back("second");
        return 22;
    }

    RCPtr<LNotificationHandler<Owner>> handler;
    std::vector<std::string> calls;
};

RCPtr<LNotification> Make(const wchar_t* name)
{
    return LNotification::Create(name);
}
} // namespace

TEST_F(Handlers, SubscribingTwiceKeepsOneEntryAndOneRegistration)
{
    RCPtr<Owner> owner(new Owner());
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    EXPECT_EQ(owner->handler->SubscribeHandler(&Owner::OnFirst, source, L"NID_HANDLER_TEST"), S_OK);
    EXPECT_EQ(owner->handler->SubscribeHandler(&Owner::OnSecond, source, L"NID_HANDLER_TEST"),
              S_OK);
    EXPECT_EQ(owner->GetRegistrationCount(), 1);
    EXPECT_EQ(source->GetRegistrationCount(), 1);
    source->SendNotification(Make(L"NID_HANDLER_TEST"));
    EXPECT_EQ(owner->calls, (std::vector<std::string>{"second"}));
    EXPECT_EQ(owner->handler->Dispatch(source, Make(L"NID_HANDLER_TEST")), 22);
}

TEST_F(Handlers, TheKeyIsTheSourceAndTheName)
{
    RCPtr<Owner> owner(new Owner());
    RCPtr<LNotificationDistributor> subscribed(new LNotificationDistributor());
    RCPtr<LNotificationDistributor> other(new LNotificationDistributor());
    owner->handler->SubscribeHandler(&Owner::OnFirst, subscribed, L"NID_HANDLER_TEST");
    owner->RegisterNotification(other, L"NID_HANDLER_TEST");

    EXPECT_EQ(owner->handler->Dispatch(other, Make(L"NID_HANDLER_TEST")), S_OK);
    EXPECT_EQ(owner->handler->Dispatch(subscribed, Make(L"NID_HANDLER_OTHER")), S_OK);
    EXPECT_EQ(owner->handler->Dispatch(nullptr, Make(L"NID_HANDLER_TEST")), S_OK);
    EXPECT_EQ(owner->handler->Dispatch(subscribed, nullptr), E_INVALIDARG);
    other->SendNotification(Make(L"NID_HANDLER_TEST"));
    EXPECT_TRUE(owner->calls.empty());
    EXPECT_EQ(owner->handler->Dispatch(subscribed, Make(L"NID_HANDLER_TEST")), 11);
    EXPECT_EQ(owner->calls, (std::vector<std::string>{"first"}));
}

TEST_F(Handlers, RemovedEntryIsNoLongerDispatched)
{
    RCPtr<Owner> owner(new Owner());
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    owner->handler->SubscribeHandler(&Owner::OnFirst, source, L"NID_HANDLER_TEST");
    EXPECT_TRUE(owner->handler->RemoveHandler(source, L"NID_HANDLER_TEST"));
    EXPECT_FALSE(owner->handler->RemoveHandler(source, L"NID_HANDLER_TEST"));
    EXPECT_FALSE(owner->handler->RemoveHandler(source, L""));
    // Still registered, but nothing to call.
    EXPECT_EQ(source->SendNotification(Make(L"NID_HANDLER_TEST")), S_OK);
    EXPECT_TRUE(owner->calls.empty());
}

TEST_F(Handlers, FailedSubscriptionsAddNoEntry)
{
    RCPtr<Owner> owner(new Owner());
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    Owner::Handler handler = nullptr;
    DWORD flags = 0;
    EXPECT_EQ(owner->handler->SubscribeHandler(&Owner::OnFirst, source, L""), E_FAIL);
    EXPECT_EQ(owner->handler->SubscribeHandler(&Owner::OnFirst, source, nullptr), E_FAIL);
    EXPECT_EQ(owner->handler->SubscribeHandler(&Owner::OnFirst, nullptr, L"NID_HANDLER_TEST"),
              E_INVALIDARG);
    EXPECT_EQ(owner->handler->AddHandler(&Owner::OnFirst, L""), E_FAIL);
    EXPECT_EQ(owner->handler->GetHandlerInfo(source, L"", handler, flags), E_FAIL);
    EXPECT_EQ(owner->handler->GetHandlerInfo(nullptr, L"", handler, flags), E_FAIL);
    EXPECT_EQ(owner->GetRegistrationCount(), 0);
    EXPECT_EQ(handler, nullptr);
}

TEST_F(Handlers, EntriesWithoutASourceServeDirectHandOvers)
{
    RCPtr<Owner> owner(new Owner());
    EXPECT_EQ(owner->handler->AddHandler(&Owner::OnSecond, L"NID_SIMULATE_CLICK"), S_OK);
    EXPECT_EQ(owner->ReceiveNotification(nullptr, Make(L"NID_SIMULATE_CLICK")), 22);
    EXPECT_EQ(owner->calls, (std::vector<std::string>{"second"}));
    Owner::Handler handler = nullptr;
    DWORD flags = 0;
    // Found, but there is no registration to read flags from.
    EXPECT_EQ(owner->handler->GetHandlerInfo(nullptr, L"NID_SIMULATE_CLICK", handler, flags),
              E_FAIL);
    EXPECT_EQ(handler, &Owner::OnSecond);
}

TEST_F(Handlers, HandlerInfoGivesTheHandlerAndTheRegistrationFlags)
{
    // What a guard needs to suspend a subscription and restore it.
    RCPtr<Owner> owner(new Owner());
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    owner->handler->SubscribeHandler(&Owner::OnFirst, source, L"NID_SET_STATUS_TEXT",
                                     LNotificationDistributor::kLatestOnly);
    Owner::Handler handler = nullptr;
    DWORD flags = 0;
    EXPECT_EQ(owner->handler->GetHandlerInfo(source, L"NID_SET_STATUS_TEXT", handler, flags), S_OK);
    EXPECT_EQ(handler, &Owner::OnFirst);
    EXPECT_EQ(flags, LNotificationDistributor::kLatestOnly);

    owner->UnregisterNotification(source, L"NID_SET_STATUS_TEXT");
    owner->handler->RemoveHandler(source, L"NID_SET_STATUS_TEXT");
    EXPECT_EQ(owner->handler->GetHandlerInfo(source, L"NID_SET_STATUS_TEXT", handler, flags),
              E_FAIL);
    EXPECT_EQ(owner->handler->SubscribeHandler(handler, source, L"NID_SET_STATUS_TEXT", flags),
              S_OK);
    EXPECT_EQ(source->GetRegistrationFlags(owner.Get(), L"NID_SET_STATUS_TEXT", flags), S_OK);
    EXPECT_EQ(flags, LNotificationDistributor::kLatestOnly);
}
