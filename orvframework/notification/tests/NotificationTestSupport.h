// Clients, objects and a fixture shared by the notification tests.
#pragma once

#include "ObjectBase/Holder.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationName.h"
#include "notification/NotificationQueue.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace OrvTest
{
// Sets a flag when it dies.
class Tracked : public virtual Orv::LRefCountedObject
{
public:
    explicit Tracked(bool* destroyed = nullptr, int value = 0)
        : value(value)
        , mDestroyed(destroyed)
    {
    }
    ~Tracked() override
    {
        if (mDestroyed != nullptr)
        {
            *mDestroyed = true;
        }
    }

    int value;

private:
    bool* mDestroyed;
};

// The number a test parameter carries (an LHolder<int> or a Tracked), else -1.
inline int ValueOf(const Orv::LRefCountedObject* param)
{
    if (const auto* holder = dynamic_cast<const Orv::LHolder<int>*>(param))
    {
        return holder->GetValue();
    }
    if (const auto* tracked = dynamic_cast<const Tracked*>(param))
    {
        return tracked->value;
    }
    return -1;
}

// A client that logs its name for every notification it receives, and runs an optional
// action (which must not hold counted references to clients, or they would never die). It
// keeps what it received as plain pointers, to compare only: they may be gone.
class RecordingClient : public Orv::LNotificationClient
{
public:
    using Action = std::function<void(const Orv::RCPtr<Orv::LNotificationDistributor>&,
                                      const Orv::RCPtr<Orv::LNotification>&)>;

    explicit RecordingClient(std::string name = "", std::vector<std::string>* log = nullptr,
                             bool* destroyed = nullptr)
        : name(std::move(name))
        , mLog(log)
        , mDestroyed(destroyed)
    {
    }
    ~RecordingClient() override
    {
        if (mDestroyed != nullptr)
        {
            *mDestroyed = true;
        }
    }

    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>& source,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override
    {
        ids.push_back(notification->id);
        params.push_back(notification->param.Get());
        values.push_back(ValueOf(notification->param.Get()));
        objects.push_back(notification.Get());
        if (mLog != nullptr)
        {
            mLog->push_back(name);
        }
        if (action)
        {
            action(source, notification);
        }
        return S_OK;
    }

    std::string name;
    Action action;
    std::vector<const wchar_t*> ids;
    std::vector<const Orv::LRefCountedObject*> params;
    std::vector<int> values;
    std::vector<const Orv::LNotification*> objects;

private:
    std::vector<std::string>* mLog;
    bool* mDestroyed;
};

// A distributor that sets a flag when it dies.
class TrackedDistributor : public Orv::LNotificationDistributor
{
public:
    explicit TrackedDistributor(bool* destroyed = nullptr)
        : mDestroyed(destroyed)
    {
    }
    ~TrackedDistributor() override
    {
        if (mDestroyed != nullptr)
        {
            *mDestroyed = true;
        }
    }

private:
    bool* mDestroyed;
};

// A queue that sets a flag when it dies.
class TrackedQueue : public Orv::LNotificationQueue
{
public:
    explicit TrackedQueue(bool* destroyed = nullptr)
        : mDestroyed(destroyed)
    {
    }
    ~TrackedQueue() override
    {
        if (mDestroyed != nullptr)
        {
            *mDestroyed = true;
        }
    }

private:
    bool* mDestroyed;
};

inline Orv::RCPtr<RecordingClient> MakeClient(const std::string& name = "",
                                              std::vector<std::string>* log = nullptr,
                                              bool* destroyed = nullptr)
{
    return Orv::RCPtr<RecordingClient>(new RecordingClient(name, log, destroyed));
}

inline const wchar_t* Id(const wchar_t* name)
{
    return Orv::InternNotificationName(name);
}

// Every test starts and ends with recycling off and no notification center manager.
class NotificationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Orv::LNotification::SetRecycling(false);
        Orv::ReleaseNotificationCenterManager();
    }
    void TearDown() override
    {
        Orv::ReleaseNotificationCenterManager();
        Orv::LNotification::SetRecycling(false);
    }
};
} // namespace OrvTest
