// The MIDI back-end over the simulated ports.
#include "MidiBackend.h"
#include "platform/SimulatedBus.h"

namespace OrvPlatform
{
namespace
{
std::vector<std::wstring> Names(bool output)
{
    std::vector<std::wstring> names;
    for (const auto& port : SimulatedBus::ListMidiPorts(output))
    {
        names.push_back(port->Name());
    }
    return names;
}

class SimulatedOutput : public MidiOutputLink
{
public:
    explicit SimulatedOutput(std::shared_ptr<SimulatedMidiPort> port)
        : mPort(std::move(port))
    {
    }
    MMRESULT Send(const std::uint8_t* data, std::size_t length,
                  const std::atomic<bool>* cancelled) override
    {
        if (mPort->ReceiveFromHost(data, length, cancelled))
        {
            return MMSYSERR_NOERROR;
        }
        return cancelled != nullptr && cancelled->load() ? MMSYSERR_ERROR : MMSYSERR_NODRIVER;
    }
    bool IsPresent() override { return mPort->IsPresent(); }

private:
    std::shared_ptr<SimulatedMidiPort> mPort;
};

class SinkAdapter : public SimulatedMidiPort::HostSink
{
public:
    explicit SinkAdapter(std::shared_ptr<MidiInputSink> sink)
        : mSink(std::move(sink))
    {
    }
    void OnBytesFromDevice(const std::uint8_t* data, std::size_t length) override
    {
        mSink->OnMidiBytes(data, length);
    }

private:
    std::shared_ptr<MidiInputSink> mSink;
};

class SimulatedInput : public MidiInputLink
{
public:
    SimulatedInput(std::shared_ptr<SimulatedMidiPort> port, std::shared_ptr<MidiInputSink> sink)
        : mPort(std::move(port))
        , mAdapter(std::make_shared<SinkAdapter>(std::move(sink)))
    {
        mPort->AddHostSink(mAdapter);
    }
    ~SimulatedInput() override { mPort->RemoveHostSink(mAdapter); }
    SimulatedInput(const SimulatedInput&) = delete;
    SimulatedInput& operator=(const SimulatedInput&) = delete;
    bool IsPresent() override { return mPort->IsPresent(); }

private:
    std::shared_ptr<SimulatedMidiPort> mPort;
    std::shared_ptr<SinkAdapter> mAdapter;
};

class SimulatedMidiBackend : public MidiBackend
{
public:
    std::vector<std::wstring> OutputNames() override { return Names(true); }
    std::vector<std::wstring> InputNames() override { return Names(false); }
    std::unique_ptr<MidiOutputLink> OpenOutput(UINT id, MMRESULT& error) override
    {
        const auto ports = SimulatedBus::ListMidiPorts(true);
        if (id >= ports.size())
        {
            error = MMSYSERR_BADDEVICEID;
            return nullptr;
        }
        error = MMSYSERR_NOERROR;
        return std::make_unique<SimulatedOutput>(ports[id]);
    }
    std::unique_ptr<MidiInputLink> OpenInput(UINT id, std::shared_ptr<MidiInputSink> sink,
                                             MMRESULT& error) override
    {
        const auto ports = SimulatedBus::ListMidiPorts(false);
        if (id >= ports.size())
        {
            error = MMSYSERR_BADDEVICEID;
            return nullptr;
        }
        error = MMSYSERR_NOERROR;
        return std::make_unique<SimulatedInput>(ports[id], std::move(sink));
    }
};
} // namespace

MidiBackend& MidiBackend::Simulated()
{
    static SimulatedMidiBackend backend;
    return backend;
}
} // namespace OrvPlatform
