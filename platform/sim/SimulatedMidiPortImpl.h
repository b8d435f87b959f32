// A simulated MIDI port (see SimulatedDevices.h). Its state is guarded by the world's lock.
#pragma once

#include "platform/SimulatedDevices.h"

#include <memory>
#include <string>
#include <vector>

namespace OrvPlatform
{
class SimulatedUnitImpl;

class SimulatedMidiPortImpl : public SimulatedMidiPort
{
public:
    // owner: the unit whose port this is (present while it is in normal mode), or none.
    SimulatedMidiPortImpl(std::wstring name, bool hostOutput, bool hostInput,
                          std::weak_ptr<SimulatedUnitImpl> owner);

    std::wstring Name() const override;
    bool IsPresent() const override;
    bool IsHostOutput() const override { return mHostOutput; }
    bool IsHostInput() const override { return mHostInput; }
    std::vector<std::vector<std::uint8_t>> Received() const override;
    bool SendToHost(const std::vector<std::uint8_t>& bytes) override;
    void SetReceiveDelay(Milliseconds delay) override;
    void SetHold(bool hold) override;
    bool ReceiveFromHost(const std::uint8_t* data, std::size_t length,
                         const std::atomic<bool>* cancelled) override;
    void AddHostSink(const std::shared_ptr<HostSink>& sink) override;
    void RemoveHostSink(const std::shared_ptr<HostSink>& sink) override;

    bool IsPresentLocked() const;
    void MarkRemovedLocked() { mRemoved = true; }

private:
    const std::wstring mName;
    const bool mHostOutput;
    const bool mHostInput;
    const std::weak_ptr<SimulatedUnitImpl> mOwner;
    const bool mOwned;
    bool mRemoved = false;
    bool mHold = false;
    Milliseconds mReceiveDelay{0};
    std::vector<std::vector<std::uint8_t>> mReceived;
    std::vector<std::shared_ptr<HostSink>> mSinks;
};
} // namespace OrvPlatform
