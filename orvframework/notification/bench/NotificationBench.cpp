// Cost per notification of sending, and of posting then delivering in the idle pump, against
// two baselines measured in the same run:
// - a plain list of std::function, called in a loop (no thread safety at all; for posts, a
//   mutex-guarded queue drained into that list);
// - a thread-safe list with the same guarantees as a distributor: handlers held by shared_ptr in
//   a copy-on-write vector, each with a removed flag, the vector taken under a mutex and walked
//   with no lock held, so handlers may be added and removed from any thread, also during a
//   delivery. For posts: a mutex-guarded queue drained once per pass, each entry delivered
//   through that list.
//
// Arguments: the number of receivers, and for the posting cases the notifications queued per
// pump pass. "per_notification" is the time of one notification reaching all its receivers. The
// run ends with the medians and ratios (BenchmarkRatios.h).
#include "BenchmarkRatios.h"
#include "notification/Notification.h"
#include "notification/NotificationCenter.h"
#include "notification/NotificationCenterManager.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationName.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using namespace Orv;

namespace
{
const wchar_t* const kName = L"NID_VALUE_CHANGE";

// The names the system uses, interned first so that the name table has its working size.
const wchar_t* const kSystemNames[] = {
    L"NID_APP_EXIT_REQ",
    L"NID_BUTTON_AUTOREPEAT",
    L"NID_CAPTURE_CONDITION_CHANGE",
    L"NID_CLIENT_EXTENT_CHANGE",
    L"NID_CLIPLIGHT_UNLATCHED",
    L"NID_CONDITION_CHANGE",
    L"NID_CONTAINS_FOCUS_CONDITION_CHANGE",
    L"NID_DEVICE_STATE_CHANGE",
    L"NID_DIALOG_CLOSED",
    L"NID_DIALOG_CLOSING",
    L"NID_DROPDOWN_OPENING",
    L"NID_EDIT_COPY_REQ",
    L"NID_EDIT_CUT_REQ",
    L"NID_EDIT_DELETE_REQ",
    L"NID_EDIT_PASTE_REQ",
    L"NID_ENABLED_CONDITION_CHANGE",
    L"NID_FIRMWARE_FILE_STATE_CHANGE",
    L"NID_FIRMWARE_UPDATE_COMPLETED",
    L"NID_FIRMWARE_UPDATE_PROGRESS",
    L"NID_FOUND_DEVICE_LIST_CHANGE",
    L"NID_HAS_FOCUS_CONDITION_CHANGE",
    L"NID_HOVER_CONDITION_CHANGE",
    L"NID_IDLE",
    L"NID_ITEM_ACTIVATED",
    L"NID_ITEM_CHECKBOX_CLICKED",
    L"NID_ITEM_CHECK_CHANGE",
    L"NID_ITEM_DOUBLE_CLICKED",
    L"NID_ITEM_HOVER_CONDITION_CHANGE",
    L"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE",
    L"NID_ITEM_RIGHT_CLICK",
    L"NID_LEFT_CLICK",
    L"NID_LEFT_DRAG_CONDITION_CHANGE",
    L"NID_MENU_FILE_EXIT_REQ",
    L"NID_MENU_FILE_SELECT",
    L"NID_MENU_OPTIONS_ALLOW_DOWNGRADE",
    L"NID_MIDDLE_CLICK",
    L"NID_MIDDLE_DRAG_CONDITION_CHANGE",
    L"NID_MIDI_DATA_CAPTURED",
    L"NID_MOUSE_DOWN",
    L"NID_MOUSE_MOVE",
    L"NID_MOUSE_UP",
    L"NID_RIGHT_CLICK",
    L"NID_RIGHT_DRAG_CONDITION_CHANGE",
    L"NID_SCROLL_OFFSET_CHANGE",
    L"NID_SELECTION_CHANGE",
    L"NID_SET_STATUS_TEXT",
    L"NID_SIBLING_KEY",
    L"NID_SIMULATE_CLICK",
    L"NID_TAB_BECOMING_UNSELECTED",
    L"NID_TAB_BUTTON_CLICKED",
    L"NID_TAB_SELECTED",
    L"NID_TEXTBOX_TEXT_CHANGE",
    L"NID_TEXTBOX_VALIDATED",
    L"NID_TEXTBOX_VALIDATING",
    L"NID_VALUE_CHANGE",
    L"NID_VALUE_CHANGE_CAPTURE",
    L"NID_VALUE_CHANGE_KEY_DOWN",
    L"NID_VALUE_CHANGE_KEY_UP",
    L"NID_VISIBLITY_CONDITION_CHANGE",
};

void InternSystemNames()
{
    for (const wchar_t* name : kSystemNames)
    {
        InternNotificationName(name);
    }
}

class CountingClient : public LNotificationClient
{
public:
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) override
    {
        benchmark::DoNotOptimize(notification->param.Get());
        ++count;
        return S_OK;
    }
    long count = 0;
};

// What the plain list passes: the name and a shared parameter.
struct Event
{
    const wchar_t* id;
    std::shared_ptr<int> param;
};

using FunctionList = std::vector<std::function<void(const Event&)>>;

FunctionList MakeFunctionList(int receivers, long& count)
{
    FunctionList list;
    for (int i = 0; i < receivers; ++i)
    {
        list.emplace_back(
            [&count](const Event& event)
            {
                benchmark::DoNotOptimize(event.param.get());
                ++count;
            });
    }
    return list;
}

void CallAll(const FunctionList& list, const Event& event)
{
    // The most recent first, as the distributor does.
    for (auto function = list.rbegin(); function != list.rend(); ++function)
    {
        (*function)(event);
    }
}

// The thread-safe baseline.
class CopyOnWriteList
{
public:
    struct Handler
    {
        std::function<void(const Event&)> call;
        std::atomic<bool> removed{false};
    };
    using Handlers = std::vector<std::shared_ptr<Handler>>;

    std::shared_ptr<Handler> Add(std::function<void(const Event&)> call)
    {
        auto handler = std::make_shared<Handler>();
        handler->call = std::move(call);
        std::lock_guard<std::mutex> guard(mLock);
        auto next = std::make_shared<Handlers>(*mHandlers);
        next->push_back(handler);
        mHandlers = std::move(next);
        return handler;
    }

    void Remove(const std::shared_ptr<Handler>& handler)
    {
        std::lock_guard<std::mutex> guard(mLock);
        handler->removed = true;
        auto next = std::make_shared<Handlers>();
        for (const auto& other : *mHandlers)
        {
            if (other != handler)
            {
                next->push_back(other);
            }
        }
        mHandlers = std::move(next);
    }

    // The most recent first, with no lock held while handlers run.
    void Send(const Event& event) const
    {
        std::shared_ptr<const Handlers> handlers;
        {
            std::lock_guard<std::mutex> guard(mLock);
            handlers = mHandlers;
        }
        for (auto handler = handlers->rbegin(); handler != handlers->rend(); ++handler)
        {
            if (!(*handler)->removed.load())
            {
                (*handler)->call(event);
            }
        }
    }

private:
    mutable std::mutex mLock;
    std::shared_ptr<const Handlers> mHandlers = std::make_shared<Handlers>();
};

void FillCopyOnWriteList(CopyOnWriteList& list, int receivers, long& count)
{
    for (int i = 0; i < receivers; ++i)
    {
        list.Add(
            [&count](const Event& event)
            {
                benchmark::DoNotOptimize(event.param.get());
                ++count;
            });
    }
}

void PerNotification(benchmark::State& state, long notifications)
{
    state.counters["per_notification"] =
        benchmark::Counter(static_cast<double>(notifications),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<RCPtr<CountingClient>> Register(const RCPtr<LNotificationDistributor>& distributor,
                                            int receivers)
{
    std::vector<RCPtr<CountingClient>> clients;
    for (int i = 0; i < receivers; ++i)
    {
        clients.emplace_back(new CountingClient());
        clients.back()->RegisterNotification(distributor, kName);
    }
    return clients;
}

void BM_Send(benchmark::State& state)
{
    InternSystemNames();
    LNotification::SetRecycling(true);
    RCPtr<LNotificationDistributor> distributor(new LNotificationDistributor());
    const auto clients = Register(distributor, static_cast<int>(state.range(0)));
    const RCPtr<LRefCountedObject> param(new LRefCountedObject());
    for (auto _ : state)
    {
        distributor->SendNotification(LNotification::Create(kName, param));
    }
    PerNotification(state, static_cast<long>(state.iterations()));
    for (const auto& client : clients)
    {
        client->UnregisterAllNotifications();
    }
    LNotification::SetRecycling(false);
}

void BM_FunctionListCall(benchmark::State& state)
{
    long count = 0;
    const FunctionList list = MakeFunctionList(static_cast<int>(state.range(0)), count);
    const auto param = std::make_shared<int>(1);
    for (auto _ : state)
    {
        CallAll(list, Event{kName, param});
    }
    PerNotification(state, static_cast<long>(state.iterations()));
    benchmark::DoNotOptimize(count);
}

void BM_CopyOnWriteListCall(benchmark::State& state)
{
    long count = 0;
    CopyOnWriteList list;
    FillCopyOnWriteList(list, static_cast<int>(state.range(0)), count);
    const auto param = std::make_shared<int>(1);
    for (auto _ : state)
    {
        list.Send(Event{kName, param});
    }
    PerNotification(state, static_cast<long>(state.iterations()));
    benchmark::DoNotOptimize(count);
}

void BM_PostThenDeliver(benchmark::State& state)
{
    InternSystemNames();
    LNotification::SetRecycling(true);
    const RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    const auto clients = Register(center, static_cast<int>(state.range(0)));
    const long batch = static_cast<long>(state.range(1));
    const RCPtr<LRefCountedObject> param(new LRefCountedObject());
    const RCPtr<LNotificationCenterManager> manager = GetNotificationCenterManager();
    for (auto _ : state)
    {
        for (long i = 0; i < batch; ++i)
        {
            center->PostNotification(LNotification::Create(kName, param));
        }
        manager->ProcessNotifications(false);
    }
    PerNotification(state, static_cast<long>(state.iterations()) * batch);
    for (const auto& client : clients)
    {
        client->UnregisterAllNotifications();
    }
    ReleaseNotificationCenterManager();
    LNotification::SetRecycling(false);
}

// The baselines' posting: a mutex-guarded queue, drained once per pass (what was queued when
// the pass began), each entry handed to deliver.
template <class Deliver>
void QueueThenDeliver(benchmark::State& state, const Deliver& deliver)
{
    const long batch = static_cast<long>(state.range(1));
    const auto param = std::make_shared<int>(1);
    std::mutex lock;
    std::deque<Event> queue;
    for (auto _ : state)
    {
        for (long i = 0; i < batch; ++i)
        {
            std::lock_guard<std::mutex> guard(lock);
            queue.push_back(Event{kName, param});
        }
        std::deque<Event> pass;
        {
            std::lock_guard<std::mutex> guard(lock);
            pass.swap(queue);
        }
        for (const Event& event : pass)
        {
            deliver(event);
        }
    }
    PerNotification(state, static_cast<long>(state.iterations()) * batch);
}

void BM_FunctionQueueThenCall(benchmark::State& state)
{
    long count = 0;
    const FunctionList list = MakeFunctionList(static_cast<int>(state.range(0)), count);
    QueueThenDeliver(state, [&list](const Event& event) { CallAll(list, event); });
    benchmark::DoNotOptimize(count);
}

void BM_CopyOnWriteQueueThenCall(benchmark::State& state)
{
    long count = 0;
    CopyOnWriteList list;
    FillCopyOnWriteList(list, static_cast<int>(state.range(0)), count);
    QueueThenDeliver(state, [&list](const Event& event) { list.Send(event); });
    benchmark::DoNotOptimize(count);
}
} // namespace

BENCHMARK(BM_Send)->Arg(1)->Arg(8);
BENCHMARK(BM_CopyOnWriteListCall)->Arg(1)->Arg(8);
BENCHMARK(BM_FunctionListCall)->Arg(1)->Arg(8);
BENCHMARK(BM_PostThenDeliver)->Args({1, 1})->Args({1, 64})->Args({8, 64});
BENCHMARK(BM_CopyOnWriteQueueThenCall)->Args({1, 1})->Args({1, 64})->Args({8, 64});
BENCHMARK(BM_FunctionQueueThenCall)->Args({1, 1})->Args({1, 64})->Args({8, 64});

int main(int argc, char** argv)
{
    std::vector<OrvTest::Ratio> ratios;
    for (const char* receivers : {"1", "8"})
    {
        const std::string send = std::string("BM_Send/") + receivers;
        ratios.push_back({receivers[0] == '1' ? "send, 1 client, to thread-safe list"
                                              : "send, 8 clients, to thread-safe list",
                          send, std::string("BM_CopyOnWriteListCall/") + receivers});
        ratios.push_back({receivers[0] == '1' ? "send, 1 client, to plain function list"
                                              : "send, 8 clients, to plain function list",
                          send, std::string("BM_FunctionListCall/") + receivers});
    }
    struct Post
    {
        const char* args;
        double batch;
        const char* safe;
        const char* plain;
    };
    const Post posts[] = {
        {"1/1", 1, "post+deliver, 1 client, 1/pass, to thread-safe",
         "post+deliver, 1 client, 1/pass, to plain"},
        {"1/64", 64, "post+deliver, 1 client, 64/pass, to thread-safe",
         "post+deliver, 1 client, 64/pass, to plain"},
        {"8/64", 64, "post+deliver, 8 clients, 64/pass, to thread-safe",
         "post+deliver, 8 clients, 64/pass, to plain"},
    };
    for (const Post& post : posts)
    {
        const std::string measured = std::string("BM_PostThenDeliver/") + post.args;
        ratios.push_back({post.safe, measured,
                          std::string("BM_CopyOnWriteQueueThenCall/") + post.args, post.batch});
        ratios.push_back({post.plain, measured,
                          std::string("BM_FunctionQueueThenCall/") + post.args, post.batch});
    }
    return OrvTest::RunWithRatios(argc, argv, std::move(ratios));
}
