// The communicator over the system's MIDI devices (platform/Midi.h).
//
// Device names are listed in device-id order and made unique: several devices of one product
// name are listed as "Name (1)", "Name (2)", ... A port is opened by a text: the one listed
// name that equals the text (ignoring case) or else contains it; two or more containing names
// and none equal is ambiguous. A port object is named by the caller's text, and the device it
// opens is the one named by that text (without a " (n)" suffix), the n-th of those when the text
// carries the suffix; when no device has that very name, a device whose name ends with it.
//
// The open ports are kept in the communicator's lists, each by a reference counted as internal
// on the port; a port leaves its list when only that reference and the last outside one
// remain, so it closes when its last user lets go. Each port holds its communicator.
//
// Captured input is queued on the communicator's thread pool (one worker) and handed to the
// receivers there, one message at a time in the order it came. Each queued message holds the
// communicator until it has been handed over; its users release it after their capture ports,
// and best once no input is in flight: a communicator whose last reference goes on a thread of
// its own pool cannot wait for that thread, which then ends by itself.
#pragma once

#include "Midi/MidiCommInterface.h"

namespace Orv
{
class LMidiComm : public LMidiCommInterface, public LThreadWorker
{
public:
    // Its output ports wait for a send by the clock, up to the send time-out.
    LMidiComm(DWORD sendTimeout, const RCPtr<LClock>& clock);
    ~LMidiComm() override;

    ORVRESULT OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& out) override;
    ORVRESULT OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& out) override;
    ORVRESULT SendBuffer(const RCPtr<LMidiRenderPort>& port,
                         const RCPtr<LIBuffer>& buffer) override;
    ORVRESULT SendBytes(const RCPtr<LMidiRenderPort>& port,
                        const IArray<signed char>& bytes) override;

    // The worker's task: posts the captured data to the post target, then dispatches it.
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>& parameter) override;

    // The product names of the input / output devices in device-id order, made unique. The
    // listing stops at the first device whose capabilities cannot be read.
    static void ListCapturePortNames(WStringArray& names);
    static void ListRenderPortNames(WStringArray& names);
    // Names that occur more than once get the suffixes " (1)", " (2)", ...; the result is grouped
    // by name in the order of first appearance.
    static void MakePortNamesUnique(WStringArray& names);
    // A name ending in "(d)" or "(dd)" (the character before the parenthesis is not looked at)
    // gives the name without those four or five characters and the number minus 1 (-1 when it
    // does not read as a number); any other name gives itself and 0.
    static void SplitPortName(const WString& name, WString& base, int& ordinal);
    // How many names contain the text, ignoring case, and the index of the first of them; a
    // name equal to the text (ignoring case) gives 1 and its index. index is -1 when none does.
    static int CountNameMatches(const WStringArray& names, const WString& text, int& index);
    // Whether a port whose name has this base may open the device of that product name: the
    // first occurrence of the base in it, ignoring case, ends the name.
    static bool DeviceQualifies(const WString& deviceName, const WString& base);
    // The index of the device that a port of that name opens among the devices' product names
    // (in device-id order; an empty entry is a device whose capabilities could not be read), or
    // -1. The devices named exactly the base (ignoring case) come first: the ordinal counts among
    // them when there are any; otherwise it counts among the devices that qualify.
    static int SelectDevice(const WStringArray& productNames, const WString& portName);

    // The names of the open ports, in list order.
    void ListOpenCapturePortNames(WStringArray& names);
    void ListOpenRenderPortNames(WStringArray& names);
    // Takes the port out of its list: S_OK, or E_FAIL when it is not there.
    ORVRESULT RemoveCapturePort(const LMidiCapturePort* port);
    ORVRESULT RemoveRenderPort(const LMidiRenderPort* port);

    // Hands captured data to the pool's worker (the capture ports' callbacks call it).
    void QueueCapturedData(const RCPtr<LMidiCaptureNotificationData>& data);

    // "LMidiComm".
    WString ToString() const override;

private:
    RCPtrArray<LMidiCapturePort, 1, 0> mCapturePorts;
    RCPtrArray<LMidiRenderPort, 1, 0> mRenderPorts;
    RCPtr<LThreadPool> mThreadPool;
    Mutex mPortLock;
    const DWORD mSendTimeout;
    const RCPtr<LClock> mClock;
};
} // namespace Orv
