#include "SimulatedMidiPortImpl.h"

#include "SimulatedUnitImpl.h"
#include "SimulatedWorld.h"

#include <algorithm>
#include <thread>

namespace OrvPlatform
{
SimulatedMidiPortImpl::SimulatedMidiPortImpl(std::wstring name, bool hostOutput, bool hostInput,
                                             std::weak_ptr<SimulatedUnitImpl> owner)
    : mName(std::move(name))
    , mHostOutput(hostOutput)
    , mHostInput(hostInput)
    , mOwner(std::move(owner))
    , mOwned(!mOwner.expired())
{
}

std::wstring SimulatedMidiPortImpl::Name() const
{
    return mName;
}

bool SimulatedMidiPortImpl::IsPresentLocked() const
{
    if (mRemoved)
    {
        return false;
    }
    if (!mOwned)
    {
        return true;
    }
    const auto owner = mOwner.lock();
    if (!owner)
    {
        return false;
    }
    owner->AdvanceLocked(SimulatedUnitImpl::Clock::now());
    return owner->ModeLocked() == SimulatedMode::Normal;
}

bool SimulatedMidiPortImpl::IsPresent() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    return IsPresentLocked();
}

std::vector<std::vector<std::uint8_t>> SimulatedMidiPortImpl::Received() const
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    return mReceived;
}

bool SimulatedMidiPortImpl::SendToHost(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::shared_ptr<HostSink>> sinks;
    {
        std::lock_guard lock(SimulatedWorld::Get().mutex);
        if (!mHostInput || !IsPresentLocked())
        {
            return false;
        }
        sinks = mSinks;
    }
    for (const auto& sink : sinks)
    {
        sink->OnBytesFromDevice(bytes.data(), bytes.size());
    }
    return true;
}

void SimulatedMidiPortImpl::SetReceiveDelay(Milliseconds delay)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mReceiveDelay = delay;
}

void SimulatedMidiPortImpl::SetHold(bool hold)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mHold = hold;
}

bool SimulatedMidiPortImpl::ReceiveFromHost(const std::uint8_t* data, std::size_t length,
                                            const std::atomic<bool>* cancelled)
{
    auto& world = SimulatedWorld::Get();
    std::unique_lock lock(world.mutex);
    if (!mHostOutput || !IsPresentLocked())
    {
        return false;
    }
    const auto until = SimulatedUnitImpl::Clock::now() + mReceiveDelay;
    while (mHold || SimulatedUnitImpl::Clock::now() < until)
    {
        if (cancelled != nullptr && cancelled->load())
        {
            return false;
        }
        lock.unlock();
        std::this_thread::sleep_for(Milliseconds(1));
        lock.lock();
    }
    if (!IsPresentLocked())
    {
        return false;
    }
    std::vector<std::uint8_t> message(data, data + length);
    mReceived.push_back(message);
    if (const auto owner = mOwner.lock())
    {
        owner->OnMidiFromHostLocked(message);
    }
    return true;
}

void SimulatedMidiPortImpl::AddHostSink(const std::shared_ptr<HostSink>& sink)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mSinks.push_back(sink);
}

void SimulatedMidiPortImpl::RemoveHostSink(const std::shared_ptr<HostSink>& sink)
{
    std::lock_guard lock(SimulatedWorld::Get().mutex);
    mSinks.erase(std::remove(mSinks.begin(), mSinks.end(), sink), mSinks.end());
}
} // namespace OrvPlatform
