#include "UpdateEngine.h"

#include "DfuTransferRecord.h"

using Orv::ScopedLock;
using Orv::WString;

namespace
{
LUpdateEngine::UpdateModeTimings Checked(LUpdateEngine::UpdateModeTimings timings)
{
    if (timings.searchInterval == 0)
    {
        timings.searchInterval = 1;
    }
    return timings;
}
} // namespace

Orv::RCPtr<LUpdateEngine> LUpdateEngine::Create()
{
    return Orv::RCPtr<LUpdateEngine>(new LUpdateEngine());
}

Orv::RCPtr<LUpdateEngine> LUpdateEngine::Create(const UpdateModeTimings& timings,
                                                const Orv::RCPtr<Orv::LClock>& clock,
                                                const Orv::RCPtr<IUpdateImageSequence>& sequence)
{
    return Orv::RCPtr<LUpdateEngine>(new LUpdateEngine(timings, clock, sequence));
}

LUpdateEngine::LUpdateEngine()
    : LUpdateEngine(UpdateModeTimings())
{
}

LUpdateEngine::LUpdateEngine(const UpdateModeTimings& timings, const Orv::RCPtr<Orv::LClock>& clock,
                             const Orv::RCPtr<IUpdateImageSequence>& sequence)
    : LUpdateEngineInterface(sequence)
    , mTransfer(std::make_unique<DfuTransferRecord>())
    , mUpdateModeTimings(Checked(timings))
    , mClock(clock ? clock : Orv::GetSystemClock())
{
}

LUpdateEngine::~LUpdateEngine() = default;

WString LUpdateEngine::ToString() const
{
    return WString(L"LUpdateEngine");
}

ORVRESULT LUpdateEngine::Initialize(const WString&)
{
    // While a download runs, the record is the worker's; it starts each download afresh.
    const int state = GetDeviceState();
    if (state != kDeviceUpdating && state != kDeviceSwitching)
    {
        mTransfer->Initialize();
    }
    return S_OK;
}

ORVRESULT LUpdateEngine::GetFoundDevices(Orv::Array<DeviceDefinition>& devices) const
{
    devices.RemoveAll();
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    for (unsigned int i = 0; i < mFoundDevices.GetCount(); ++i)
    {
        devices.AddItem(mFoundDevices.GetConstElementPointer(i).definition);
    }
    return S_OK;
}

unsigned int LUpdateEngine::GetDeviceCount() const
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    return mFoundDevices.GetCount();
}

ORVRESULT LUpdateEngine::GetDeviceFirmwareVersion(unsigned int index, VersionInfo& version) const
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    if (index >= mFoundDevices.GetCount())
    {
        return E_FAIL;
    }
    version = mFoundDevices.GetConstElementPointer(index).firmwareVersion;
    return S_OK;
}

bool LUpdateEngine::GetFoundDevice(unsigned int index, DeviceDefinitionEx& record) const
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    if (index >= mFoundDevices.GetCount())
    {
        return false;
    }
    record = mFoundDevices.GetConstElementPointer(index);
    return true;
}

void LUpdateEngine::SetFoundDeviceFailure(int index, std::uint32_t reason)
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    if (index >= 0 && static_cast<unsigned int>(index) < mFoundDevices.GetCount())
    {
        mFoundDevices.GetElementPointer(static_cast<unsigned int>(index)).failureReason = reason;
    }
}

void LUpdateEngine::StoreFoundDevice(int index, const DeviceDefinitionEx& record)
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    if (index >= 0 && static_cast<unsigned int>(index) < mFoundDevices.GetCount())
    {
        mFoundDevices.GetElementPointer(static_cast<unsigned int>(index)) = record;
    }
}

ORVRESULT LUpdateEngine::Abort()
{
    const int state = GetDeviceState();
    if (state != kDeviceSwitching && state != kDeviceUpdating)
    {
        return E_FAIL;
    }
    SetAbortFlag(true);
    return S_OK;
}

bool LUpdateEngine::IsBootloader(unsigned int index) const
{
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    return index < mFoundDevices.GetCount() &&
           mFoundDevices.GetConstElementPointer(index).bootloaderFound;
}

ORVRESULT LUpdateEngine::GetFailureReason(unsigned int index, unsigned int& reason) const
{
    {
        ScopedLock<Orv::Mutex> guard(mDeviceLock);
        if (index < mFoundDevices.GetCount())
        {
            reason = mFoundDevices.GetConstElementPointer(index).failureReason;
            return S_OK;
        }
    }
    if (GetDeviceState() == kDeviceFailed)
    {
        reason = kFailureNoDevice;
        return S_OK;
    }
    reason = 0;
    return E_FAIL;
}
