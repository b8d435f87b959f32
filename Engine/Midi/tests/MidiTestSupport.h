// What the MIDI layer's tests share: the simulated ports, a receiver that records the captured
// messages it is given, and a filter.
#pragma once

#include "ManualClock.h"

#include "Midi/MidiCaptureNotificationData.h"
#include "Midi/MidiCapturePort.h"
#include "Midi/MidiComm.h"
#include "Midi/MidiRenderPort.h"
#include "platform/SimulatedDevices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace OrvTest
{
using Bytes = std::vector<std::uint8_t>;
using OrvPlatform::SimulatedDevices;

inline Bytes BytesOf(const Orv::LMidiCaptureNotificationData& data)
{
    const auto* begin = reinterpret_cast<const std::uint8_t*>(data.bytes.GetData());
    return Bytes(begin, begin + data.bytes.GetCount());
}

inline Orv::ArrayBuffer<signed char, 1, 0> ByteArray(const Bytes& bytes)
{
    Orv::ArrayBuffer<signed char, 1, 0> array(static_cast<unsigned int>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        array.GetElementPointer(static_cast<unsigned int>(i)) = static_cast<signed char>(bytes[i]);
    }
    return array;
}

// Records each captured message delivered to it (on the communicator's worker).
class CaptureRecorder : public Orv::LNotificationClient
{
public:
    struct Message
    {
        Bytes bytes;
        std::wstring portName;
        const Orv::LMidiCapturePort* port;
        DWORD timeStamp;
        std::thread::id thread;
    };

    Orv::ORVRESULT ReceiveNotification(const Orv::RCPtr<Orv::LNotificationDistributor>&,
                                       const Orv::RCPtr<Orv::LNotification>& notification) override
    {
        const auto* data =
            dynamic_cast<const Orv::LMidiCaptureNotificationData*>(notification->param.Get());
        {
            std::lock_guard lock(mMutex);
            mIds.push_back(notification->id);
            if (data != nullptr)
            {
                mMessages.push_back({BytesOf(*data), data->sourcePortName.GetBuffer(),
                                     data->sourcePort, data->timeStamp,
                                     std::this_thread::get_id()});
            }
        }
        mChanged.notify_all();
        return S_OK;
    }

    // Waits until count messages have come (at most two seconds); all messages so far.
    std::vector<Message> WaitFor(std::size_t count)
    {
        std::unique_lock lock(mMutex);
        mChanged.wait_for(lock, std::chrono::seconds(2), [&] { return mMessages.size() >= count; });
        return mMessages;
    }
    std::vector<Message> Messages()
    {
        std::lock_guard lock(mMutex);
        return mMessages;
    }
    std::vector<const wchar_t*> Ids()
    {
        std::lock_guard lock(mMutex);
        return mIds;
    }

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Message> mMessages;
    std::vector<const wchar_t*> mIds;
};

// Lets through the messages whose first byte is the given status; counts how often it is asked.
class StatusFilter : public Orv::LIMidiFilter
{
public:
    explicit StatusFilter(std::uint8_t status)
        : mStatus(status)
    {
    }
    StatusFilter(const StatusFilter& other)
        : Orv::LRefCountedObject()
        , Orv::LIMidiFilter()
        , mStatus(other.mStatus)
    {
    }

    bool AcceptMessage(const signed char* data, unsigned int count) override
    {
        ++asked;
        return count > 0 && static_cast<std::uint8_t>(data[0]) == mStatus;
    }
    Orv::ConstRCPtr<Orv::LRefCountedObject> CreateCopy() const override
    {
        return Orv::ConstRCPtr<Orv::LRefCountedObject>(new StatusFilter(*this));
    }
    std::uint8_t Status() const { return mStatus; }

    std::atomic<int> asked{0};

private:
    std::uint8_t mStatus;
};

// The simulated ports, none at the start and at the end of each test; sends wait by a clock
// that the test moves.
class SimulatedMidiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
    }
    void TearDown() override { SimulatedDevices::Reset(); }

    // A communicator whose sends wait the default time-out by the test's clock.
    Orv::RCPtr<Orv::LMidiComm> MakeComm()
    {
        Orv::RCPtr<Orv::LMidiCommInterface> comm;
        EXPECT_EQ(Orv::LMidiCommInterface::Create(comm, Orv::LMidiRenderPort::kDefaultSendTimeout,
                                                  Orv::RCPtr<Orv::LClock>(clock.Get())),
                  S_OK);
        return Orv::RCPtr<Orv::LMidiComm>(comm);
    }

    Orv::RCPtr<LManualClock> clock{new LManualClock()};
};
} // namespace OrvTest
