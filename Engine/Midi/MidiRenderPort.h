// One open MIDI output device.
//
// A port sends one message at a time and waits for a system-exclusive block to be played
// (MOM_DONE). A block that is not played in time is cancelled (the output is reset) before the
// send returns, so the caller's bytes are never used after it.
#pragma once

#include "OrvCore.h"
#include "platform/Midi.h"

#include <atomic>

namespace Orv
{
class LMidiComm;

class LMidiRenderPort : public virtual LRefCountedObject
{
public:
    // How long a send waits for the block before it (default 10000 ms).
    static constexpr DWORD kDefaultSendTimeout = 10000;

    // Sends wait by the clock, up to the send time-out, for the previous block and for their own.
    LMidiRenderPort(const WString& name, const RCPtr<LMidiComm>& owner,
                    DWORD sendTimeout = kDefaultSendTimeout,
                    const RCPtr<LClock>& clock = GetSystemClock());
    ~LMidiRenderPort() override;

    // Opens the device that the port's name selects (see LMidiComm): MMSYSERR_NOERROR, or the
    // system's error; MMSYSERR_NODRIVER when no device qualifies.
    MMRESULT Open();
    bool IsOpen() const { return mHandle.load() != nullptr; }
    HMIDIOUT GetHandle() const { return mHandle.load(); }

    const WString& GetName() const { return mName; }
    // The product name of the device the port last opened.
    const WString& GetDeviceName() const { return mDeviceName; }

    // Sends length bytes at data on port (which must be an LMidiRenderPort): a short message when
    // the first byte is a status byte other than 0xF0 and 0xF7 (its length is the result), else a
    // system-exclusive block (length is the result). E_INVALIDARG for a null or other port or
    // length 0; E_FAIL when the system refuses or the block is not played in time.
    static ORVRESULT SendToPort(const ConstRCPtr<LRefCountedObject>& port, const void* data,
                                unsigned int length);
    // The length of a MIDI message by its first byte (0 for 0xF0 and 0xF7).
    static unsigned int MessageLength(unsigned char status);
    // The output callback: MOM_DONE sets the port's light green.
    static void CALLBACK MidiOutProc(HANDLE handle, UINT message, DWORD_PTR instance,
                                     DWORD_PTR param1, DWORD_PTR param2);

    DWORD GetSendTimeout() const { return mSendTimeout; }

    // Leaves the communicator's list when only the list's reference and one other remain.
    ORVRESULT ReleaseInternalReferences() override;

    WString ToString() const override;

private:
    void Close();

    WString mName;
    WString mDeviceName;
    std::atomic<HMIDIOUT> mHandle{nullptr};
    RCPtr<LMidiComm> mOwner;
    const DWORD mSendTimeout;
    const RCPtr<LClock> mClock;
    // Green while no block is in flight.
    TrafficLight mLight;
};
} // namespace Orv
