// The MIDI communicator: lists the system's MIDI input and output devices under unique names,
// opens ports by name, sends on output ports and hands captured input to registered receivers.
//
// Receivers register for "NID_MIDI_DATA_CAPTURED" at the communicator itself (it is a
// notification distributor); a receiver may be given a filter that picks the messages it gets.
// Captured data can also be posted to a notification center's queue (the post target).
//
// Locks: the filter table and the post target have a mutex each; the communicator's port lists
// have a third (LMidiComm). They are never held together.
#pragma once

#include "Midi/MidiFilter.h"
#include "OrvNotification.h"

namespace Orv
{
class LMidiCaptureNotificationData;
class LMidiCapturePort;
class LMidiRenderPort;

class LMidiCommInterface : public LNotificationDistributor
{
public:
    // The name under which captured data is sent and posted.
    static const wchar_t* const kMidiDataCaptured;

    // A receiver and its filter; the receiver is compared by identity and not owned.
    struct MidiFilterEntry
    {
        LNotificationReceiver* receiver = nullptr;
        RCPtr<LIMidiFilter> filter;
    };

    // A new communicator at every call, with its own thread pool and port lists. E_FAIL (and
    // out null) when none can be made. Its output ports wait for a send by the clock, up to
    // the send time-out (LMidiRenderPort::kDefaultSendTimeout in the first form).
    static ORVRESULT Create(RCPtr<LMidiCommInterface>& out);
    static ORVRESULT Create(RCPtr<LMidiCommInterface>& out, DWORD sendTimeout,
                            const RCPtr<LClock>& clock);

    LMidiCommInterface() = default;
    ~LMidiCommInterface() override;

    // Opens the input / output port whose listed name contains the text (see LMidiComm).
    virtual ORVRESULT OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& out) = 0;
    virtual ORVRESULT OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& out) = 0;
    // Sends the buffer's bytes / the array's bytes on the port: a short message when they start
    // with a status byte other than 0xF0 and 0xF7 (the result is the message's length), else one
    // system-exclusive block (the result is the byte count). E_INVALIDARG for a null port or no
    // bytes; E_FAIL when the system refuses or the block is not sent in time.
    virtual ORVRESULT SendBuffer(const RCPtr<LMidiRenderPort>& port,
                                 const RCPtr<LIBuffer>& buffer) = 0;
    virtual ORVRESULT SendBytes(const RCPtr<LMidiRenderPort>& port,
                                const IArray<signed char>& bytes) = 0;
    // The value that value points at.
    virtual LONG ReadReferencedValue(const LONG* value) const;
    // A copy of the receiver's filter, or null. Returns S_OK.
    virtual ORVRESULT GetFilter(RCPtr<LIMidiFilter>& out,
                                const RCPtr<LNotificationReceiver>& receiver);
    // Gives the receiver a copy of the filter; null removes its filter. Returns S_OK.
    virtual ORVRESULT SetFilter(const RCPtr<LNotificationReceiver>& receiver,
                                const RCPtr<LIMidiFilter>& filter);
    // Sends "NID_MIDI_DATA_CAPTURED" with the data to each registered receiver that its filter
    // lets through, the most recent registration first. S_FALSE when nobody is registered.
    virtual ORVRESULT DispatchCapturedData(const RCPtr<LMidiCaptureNotificationData>& data);

    // The center on whose queue captured data is posted as well (null: none, the default).
    void SetPostTarget(const RCPtr<LNotificationCenter>& center);
    RCPtr<LNotificationCenter> GetPostTarget();

private:
    RCPtr<LNotificationCenter> mPostTarget;
    Array<MidiFilterEntry> mFilters;
    Mutex mFilterLock;
    Mutex mPostTargetLock;
};
} // namespace Orv
