#include "Midi/MidiCommInterface.h"

#include "Midi/MidiCaptureNotificationData.h"
#include "Midi/MidiComm.h"
#include "Midi/MidiFilter.h"
#include "Midi/MidiRenderPort.h"

#include <exception>

namespace Orv
{
namespace
{
// The communicator's own copy of a filter.
RCPtr<LIMidiFilter> CopyFilter(const RCPtr<LIMidiFilter>& filter)
{
    if (!filter)
    {
        return nullptr;
    }
    const ConstRCPtr<LRefCountedObject> copy = filter->CreateCopy();
    return RCPtr<LIMidiFilter>(copy);
}
} // namespace

const wchar_t* const LMidiCommInterface::kMidiDataCaptured = L"NID_MIDI_DATA_CAPTURED";

ORVRESULT LMidiCommInterface::Create(RCPtr<LMidiCommInterface>& out)
{
    return Create(out, LMidiRenderPort::kDefaultSendTimeout, GetSystemClock());
}

ORVRESULT LMidiCommInterface::Create(RCPtr<LMidiCommInterface>& out, DWORD sendTimeout,
                                     const RCPtr<LClock>& clock)
{
    out = nullptr;
    try
    {
        out = new LMidiComm(sendTimeout, clock);
    }
    catch (const std::exception& error)
    {
        GetDebugOutput().Narrow() << "Orv::LMidiCommInterface::Create: " << error.what()
                                  << std::endl;
        return E_FAIL;
    }
    return S_OK;
}

LMidiCommInterface::~LMidiCommInterface() = default;

LONG LMidiCommInterface::ReadReferencedValue(const LONG* value) const
{
    return *value;
}

ORVRESULT LMidiCommInterface::GetFilter(RCPtr<LIMidiFilter>& out,
                                        const RCPtr<LNotificationReceiver>& receiver)
{
    RCPtr<LIMidiFilter> filter;
    {
        ScopedLock<Mutex> guard(mFilterLock);
        for (unsigned int i = 0; i < mFilters.GetCount(); ++i)
        {
            if (mFilters.GetConstElementPointer(i).receiver == receiver.Get())
            {
                filter = mFilters.GetConstElementPointer(i).filter;
                break;
            }
        }
    }
    out = CopyFilter(filter);
    return S_OK;
}

ORVRESULT LMidiCommInterface::SetFilter(const RCPtr<LNotificationReceiver>& receiver,
                                        const RCPtr<LIMidiFilter>& filter)
{
    // Copied before the lock is taken; the replaced filter is released after it is left.
    RCPtr<LIMidiFilter> copy = CopyFilter(filter);
    MidiFilterEntry removed;
    {
        ScopedLock<Mutex> guard(mFilterLock);
        unsigned int at = 0;
        while (at < mFilters.GetCount() &&
               mFilters.GetConstElementPointer(at).receiver != receiver.Get())
        {
            ++at;
        }
        if (at == mFilters.GetCount())
        {
            if (copy)
            {
                MidiFilterEntry entry;
                entry.receiver = receiver.Get();
                entry.filter = copy;
                mFilters.AddItem(entry);
            }
        }
        else if (copy)
        {
            std::swap(mFilters.GetElementPointer(at).filter, copy);
        }
        else
        {
            mFilters.RemoveItem(at, removed);
        }
    }
    return S_OK;
}

ORVRESULT LMidiCommInterface::DispatchCapturedData(const RCPtr<LMidiCaptureNotificationData>& data)
{
    const RCPtr<LNotificationClientPool> pool =
        FindClientPool(InternNotificationName(kMidiDataCaptured));
    if (!pool)
    {
        return S_FALSE;
    }
    const RCPtr<LNotificationDistributor> self(this);
    RCPtr<LNotification> notification;
    LONG index = pool->GetRegistrationCount() - 1;
    while (index >= 0)
    {
        // Null once the index is no longer below the count (registrations went meanwhile).
        const RCPtr<LNotificationRegisteredClientInfo> registration = pool->GetRegistration(index);
        if (!registration)
        {
            --index;
            continue;
        }
        bool accepted = true;
        if (data)
        {
            ScopedLock<Mutex> guard(mFilterLock);
            for (unsigned int i = 0; i < mFilters.GetCount(); ++i)
            {
                const MidiFilterEntry& entry = mFilters.GetConstElementPointer(i);
                if (entry.receiver == registration->client.Get())
                {
                    accepted = !entry.filter || entry.filter->AcceptMessage(data->bytes.GetData(),
                                                                            data->bytes.GetCount());
                    break;
                }
            }
        }
        if (!accepted)
        {
            --index;
            continue;
        }
        if (!notification)
        {
            notification =
                LNotification::Create(kMidiDataCaptured, RCPtr<LRefCountedObject>(data.Get()));
        }
        index = pool->DeliverToClient(self, index, notification) - 1;
    }
    return S_OK;
}

void LMidiCommInterface::SetPostTarget(const RCPtr<LNotificationCenter>& center)
{
    RCPtr<LNotificationCenter> old;
    {
        ScopedLock<Mutex> guard(mPostTargetLock);
        old = mPostTarget;
        mPostTarget = center;
    }
}

RCPtr<LNotificationCenter> LMidiCommInterface::GetPostTarget()
{
    ScopedLock<Mutex> guard(mPostTargetLock);
    return mPostTarget;
}
} // namespace Orv
