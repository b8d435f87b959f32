// The ports under the winmm MIDI stand-ins: the ALSA sequencer or the simulated ports, chosen
// at run time.
#pragma once

#include "platform/Midi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace OrvPlatform
{
// Receives the bytes an input port delivers, on a thread of the back-end.
class MidiInputSink
{
public:
    virtual ~MidiInputSink() = default;
    virtual void OnMidiBytes(const std::uint8_t* data, std::size_t length) = 0;
};

class MidiOutputLink
{
public:
    virtual ~MidiOutputLink() = default;
    // Sends one message or system-exclusive block and returns when it is sent; gives up
    // (MMSYSERR_ERROR) when cancelled becomes true. MMSYSERR_NODRIVER when the port is gone.
    virtual MMRESULT Send(const std::uint8_t* data, std::size_t length,
                          const std::atomic<bool>* cancelled) = 0;
    virtual bool IsPresent() = 0;
};

// An open input port; closing it (destruction) stops the bytes.
class MidiInputLink
{
public:
    virtual ~MidiInputLink() = default;
    virtual bool IsPresent() = 0;
};

class MidiBackend
{
public:
    virtual ~MidiBackend() = default;
    // The names of the ports, in device-id order.
    virtual std::vector<std::wstring> OutputNames() = 0;
    virtual std::vector<std::wstring> InputNames() = 0;
    // Opens the port with that device id; null and the error when it cannot.
    virtual std::unique_ptr<MidiOutputLink> OpenOutput(UINT id, MMRESULT& error) = 0;
    virtual std::unique_ptr<MidiInputLink> OpenInput(UINT id, std::shared_ptr<MidiInputSink> sink,
                                                     MMRESULT& error) = 0;

    // The simulated ports when the simulated devices are active, else the sequencer.
    static MidiBackend& Current();
    static MidiBackend& Real();
    static MidiBackend& Simulated();
};
} // namespace OrvPlatform
