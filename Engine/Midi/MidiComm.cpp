#include "Midi/MidiComm.h"

#include "Midi/MidiCaptureNotificationData.h"
#include "Midi/MidiCapturePort.h"
#include "Midi/MidiRenderPort.h"

#include <cwchar>

namespace Orv
{
namespace
{
// The pool's one worker hands captured data over; its dispatcher runs at the highest priority.
constexpr unsigned int kWorkerCount = 1;
constexpr int kDispatcherPriority = THREAD_PRIORITY_HIGHEST;
constexpr int kCaptureJobPriority = THREAD_PRIORITY_NORMAL;

bool EqualIgnoringCase(const WString& a, const WString& b)
{
    return a.ToLower() == b.ToLower();
}

// The capabilities of an open port's device can still be read.
bool IsDeviceThere(const LMidiRenderPort& port)
{
    MIDIOUTCAPSW caps{};
    return port.IsOpen() && midiOutGetDevCapsW(reinterpret_cast<UINT_PTR>(port.GetHandle()), &caps,
                                               sizeof(caps)) == MMSYSERR_NOERROR;
}

bool IsDeviceThere(const LMidiCapturePort& port)
{
    MIDIINCAPSW caps{};
    return port.IsOpen() && midiInGetDevCapsW(reinterpret_cast<UINT_PTR>(port.GetHandle()), &caps,
                                              sizeof(caps)) == MMSYSERR_NOERROR;
}

// The port of the list whose name is listed (in any letter case); null when none is.
template <class Port>
RCPtr<Port> FindPortNamed(const RCPtrArray<Port, 1, 0>& ports, const WString& listed)
{
    for (unsigned int i = 0; i < ports.GetCount(); ++i)
    {
        if (EqualIgnoringCase(ports.GetConstElementPointer(i)->GetName(), listed))
        {
            return ports.GetConstElementPointer(i);
        }
    }
    return nullptr;
}

// Hands out a port of the list, opened again when its device has gone away meanwhile.
template <class Port>
ORVRESULT ReuseListedPort(const RCPtr<Port>& port, RCPtr<Port>& out)
{
    if (!IsDeviceThere(*port) && port->Open() != MMSYSERR_NOERROR)
    {
        return E_FAIL;
    }
    out = port;
    return S_OK;
}

template <class Port>
void ListNames(Mutex& lock, const RCPtrArray<Port, 1, 0>& ports, WStringArray& names)
{
    names.RemoveAll();
    ScopedLock<Mutex> guard(lock);
    for (unsigned int i = 0; i < ports.GetCount(); ++i)
    {
        names.AddItem(ports.GetConstElementPointer(i)->GetName());
    }
}

template <class Port>
ORVRESULT RemovePort(Mutex& lock, RCPtrArray<Port, 1, 0>& ports, const Port* port)
{
    // The list's reference goes after the lock is left.
    RCPtr<Port> removed;
    ScopedLock<Mutex> guard(lock);
    for (unsigned int i = 0; i < ports.GetCount(); ++i)
    {
        if (ports.GetConstElementPointer(i).Get() == port)
        {
            ports.RemoveItem(i, removed);
            return S_OK;
        }
    }
    return E_FAIL;
}
} // namespace

LMidiComm::LMidiComm(DWORD sendTimeout, const RCPtr<LClock>& clock)
    : mThreadPool(new LThreadPool(kWorkerCount, kDispatcherPriority))
    , mSendTimeout(sendTimeout)
    , mClock(clock ? clock : GetSystemClock())
{
}

LMidiComm::~LMidiComm()
{
    if (mThreadPool)
    {
        mThreadPool->Shutdown();
        mThreadPool = nullptr;
    }
}

WString LMidiComm::ToString() const
{
    return WString(L"LMidiComm");
}

void LMidiComm::ListCapturePortNames(WStringArray& names)
{
    names.RemoveAll();
    const UINT count = midiInGetNumDevs();
    for (UINT id = 0; id < count; ++id)
    {
        MIDIINCAPSW caps{};
        if (midiInGetDevCapsW(id, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        {
            break;
        }
        names.AddItem(WString(caps.szPname));
    }
    MakePortNamesUnique(names);
}

void LMidiComm::ListRenderPortNames(WStringArray& names)
{
    names.RemoveAll();
    const UINT count = midiOutGetNumDevs();
    for (UINT id = 0; id < count; ++id)
    {
        MIDIOUTCAPSW caps{};
        if (midiOutGetDevCapsW(id, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        {
            break;
        }
        names.AddItem(WString(caps.szPname));
    }
    MakePortNamesUnique(names);
}

void LMidiComm::MakePortNamesUnique(WStringArray& names)
{
    WStringArray queue(names);
    WStringArray result;
    while (queue.GetCount() != 0)
    {
        const WString name = queue.GetConstElementPointer(0);
        WString removed;
        queue.RemoveItem(0, removed);
        int copies = 0;
        for (unsigned int i = queue.GetCount(); i-- > 0;)
        {
            if (queue.GetConstElementPointer(i) == name)
            {
                queue.RemoveItem(i, removed);
                ++copies;
            }
        }
        if (copies == 0)
        {
            result.AddItem(name);
            continue;
        }
        for (int n = 1; n <= copies + 1; ++n)
        {
            result.AddItem(name + WString::CreateFormatted(L" (%d)", n));
        }
    }
    names = result;
}

void LMidiComm::SplitPortName(const WString& name, WString& base, int& ordinal)
{
    const int length = static_cast<int>(name.GetLength());
    const wchar_t* text = name.GetBuffer();
    if (length >= 4 && text[length - 3] == L'(' && text[length - 1] == L')')
    {
        base = name.Left(length - 4);
        ordinal = name.Mid(length - 2, 1).ToInt() - 1;
    }
    else if (length >= 5 && text[length - 4] == L'(' && text[length - 1] == L')')
    {
        base = name.Left(length - 5);
        ordinal = name.Mid(length - 3, 2).ToInt() - 1;
    }
    else
    {
        base = name;
        ordinal = 0;
    }
}

int LMidiComm::CountNameMatches(const WStringArray& names, const WString& text, int& index)
{
    index = -1;
    const WString lowerText = text.ToLower();
    int count = 0;
    for (unsigned int i = 0; i < names.GetCount(); ++i)
    {
        const WString lowerName = names.GetConstElementPointer(i).ToLower();
        if (lowerName == lowerText)
        {
            index = static_cast<int>(i);
            return 1;
        }
        if (std::wcsstr(lowerName.GetBuffer(), lowerText.GetBuffer()) != nullptr)
        {
            if (count == 0)
            {
                index = static_cast<int>(i);
            }
            ++count;
        }
    }
    return count;
}

bool LMidiComm::DeviceQualifies(const WString& deviceName, const WString& base)
{
    const WString device = deviceName.ToLower();
    const int at = device.Find(base.ToLower());
    return at >= 0 && static_cast<unsigned int>(at) + base.GetLength() == device.GetLength();
}

int LMidiComm::SelectDevice(const WStringArray& productNames, const WString& portName)
{
    WString base;
    int ordinal = 0;
    SplitPortName(portName, base, ordinal);
    const WString lowerBase = base.ToLower();
    bool anyEqual = false;
    int counted = 0;
    for (unsigned int i = 0; i < productNames.GetCount(); ++i)
    {
        const WString& name = productNames.GetConstElementPointer(i);
        if (!name.IsEmpty() && name.ToLower() == lowerBase)
        {
            anyEqual = true;
            if (counted++ == ordinal)
            {
                return static_cast<int>(i);
            }
        }
    }
    if (anyEqual)
    {
        return -1;
    }
    counted = 0;
    for (unsigned int i = 0; i < productNames.GetCount(); ++i)
    {
        const WString& name = productNames.GetConstElementPointer(i);
        if (!name.IsEmpty() && DeviceQualifies(name, base) && counted++ == ordinal)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ORVRESULT LMidiComm::OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& out)
{
    ScopedLock<Mutex> guard(mPortLock);
    out = nullptr;
    WStringArray names;
    ListRenderPortNames(names);
    int index = -1;
    const int matches = CountNameMatches(names, name, index);
    if (matches >= 2)
    {
        return E_INVALIDARG;
    }
    if (matches == 1)
    {
        const WString& listed = names.GetConstElementPointer(static_cast<unsigned int>(index));
        if (const RCPtr<LMidiRenderPort> listedPort = FindPortNamed(mRenderPorts, listed))
        {
            return ReuseListedPort(listedPort, out);
        }
    }
    if (name.IsEmpty())
    {
        return E_FAIL;
    }
    RCPtr<LMidiRenderPort> port(
        new LMidiRenderPort(name, RCPtr<LMidiComm>(this), mSendTimeout, mClock));
    if (port->Open() != MMSYSERR_NOERROR)
    {
        return E_FAIL;
    }
    mRenderPorts.AddItem(port);
    port->AddInternalReference();
    out = port;
    return S_OK;
}

ORVRESULT LMidiComm::OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& out)
{
    ScopedLock<Mutex> guard(mPortLock);
    out = nullptr;
    WStringArray names;
    ListCapturePortNames(names);
    int index = -1;
    const int matches = CountNameMatches(names, name, index);
    if (matches >= 2)
    {
        return E_INVALIDARG;
    }
    if (matches == 1)
    {
        const WString& listed = names.GetConstElementPointer(static_cast<unsigned int>(index));
        if (const RCPtr<LMidiCapturePort> listedPort = FindPortNamed(mCapturePorts, listed))
        {
            // A reopened port is not started again here.
            return ReuseListedPort(listedPort, out);
        }
    }
    if (name.IsEmpty())
    {
        return E_FAIL;
    }
    RCPtr<LMidiCapturePort> port(new LMidiCapturePort(name, RCPtr<LMidiComm>(this)));
    if (port->Open() != MMSYSERR_NOERROR)
    {
        return E_FAIL;
    }
    if (midiInStart(port->GetHandle()) != MMSYSERR_NOERROR)
    {
        // A port that cannot start does not enter the list.
        port->Close();
        return E_FAIL;
    }
    mCapturePorts.AddItem(port);
    port->AddInternalReference();
    out = port;
    return S_OK;
}

ORVRESULT LMidiComm::SendBuffer(const RCPtr<LMidiRenderPort>& port, const RCPtr<LIBuffer>& buffer)
{
    if (!buffer)
    {
        return E_INVALIDARG;
    }
    return LMidiRenderPort::SendToPort(ConstRCPtr<LRefCountedObject>(port.Get()), buffer->GetData(),
                                       buffer->GetSize());
}

ORVRESULT LMidiComm::SendBytes(const RCPtr<LMidiRenderPort>& port, const IArray<signed char>& bytes)
{
    return LMidiRenderPort::SendToPort(ConstRCPtr<LRefCountedObject>(port.Get()), bytes.GetData(),
                                       bytes.GetCount());
}

ORVRESULT LMidiComm::DoWork(const ConstRCPtr<LRefCountedObject>& parameter)
{
    const RCPtr<LNotificationCenter> target = GetPostTarget();
    if (target)
    {
        target->PostNotification(LNotification::Create(
            kMidiDataCaptured, RCPtr<LRefCountedObject>(parameter.GetMutable())));
    }
    DispatchCapturedData(RCPtr<LMidiCaptureNotificationData>(parameter));
    return S_OK;
}

void LMidiComm::ListOpenCapturePortNames(WStringArray& names)
{
    ListNames(mPortLock, mCapturePorts, names);
}

void LMidiComm::ListOpenRenderPortNames(WStringArray& names)
{
    ListNames(mPortLock, mRenderPorts, names);
}

ORVRESULT LMidiComm::RemoveCapturePort(const LMidiCapturePort* port)
{
    return RemovePort(mPortLock, mCapturePorts, port);
}

ORVRESULT LMidiComm::RemoveRenderPort(const LMidiRenderPort* port)
{
    return RemovePort(mPortLock, mRenderPorts, port);
}

void LMidiComm::QueueCapturedData(const RCPtr<LMidiCaptureNotificationData>& data)
{
    mThreadPool->QueueWork(ConstRCPtr<LThreadWorker>(static_cast<LThreadWorker*>(this)),
                           ConstRCPtr<LRefCountedObject>(data.Get()), kCaptureJobPriority);
}
} // namespace Orv
