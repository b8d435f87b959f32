// Helpers shared by the threading tests.
#pragma once

#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/Event.h"
#include "Utilities/Threading/LEvent.h"
#include "Utilities/Threading/Thread.h"
#include "Utilities/Threading/ThreadWorker.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace OrvTest
{
// Polls until the condition holds; false after five seconds.
template <class Condition>
bool Eventually(Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A task that records the order of its runs, optionally blocking until released.
class RecordingTask : public Orv::LThreadWorker
{
public:
    explicit RecordingTask(int id = 0, std::vector<int>* log = nullptr,
                           std::mutex* logLock = nullptr)
        : id(id)
        , log(log)
        , logLock(logLock)
    {
    }

    Orv::ORVRESULT DoWork(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter) override
    {
        lastParameter = parameter.Get();
        started.Set();
        if (release)
        {
            release->Wait(INFINITE);
        }
        if (log != nullptr)
        {
            std::lock_guard<std::mutex> guard(*logLock);
            log->push_back(id);
        }
        ++runs;
        return result;
    }

    Orv::WString ToString() const override { return Orv::WString(L"RecordingTask"); }

    int id;
    std::vector<int>* log;
    std::mutex* logLock;
    Orv::RCPtr<Orv::LEvent> release;
    Orv::Event started{true};
    std::atomic<int> runs{0};
    std::atomic<const Orv::LRefCountedObject*> lastParameter{nullptr};
    Orv::ORVRESULT result = S_OK;
};
} // namespace OrvTest
