#include "UpdateEngineInterface.h"

#include "DfuSeFirmwareFile.h"

#include <cstdio>

using Orv::ScopedLock;
using Orv::WString;

LUpdateEngineInterface::LUpdateEngineInterface(const Orv::RCPtr<IUpdateImageSequence>& sequence)
    : mSequence(sequence)
    , mWorker(WString())
    , mTaskDone(Orv::LEvent::Create())
{
}

LUpdateEngineInterface::~LUpdateEngineInterface()
{
    // The worker holds the engine while a task runs, so no task runs here; a download that was
    // still asked to stop would see the flag at its next block.
    SetAbortFlag(true);
}

void LUpdateEngineInterface::SetAbortFlag(bool abort)
{
    mAbort.store(abort);
    if (abort)
    {
        mAbortEvent.Set();
    }
    else
    {
        mAbortEvent.Reset();
    }
}

WString LUpdateEngineInterface::ToString() const
{
    return WString(L"LUpdateEngineInterface");
}

ORVRESULT LUpdateEngineInterface::Initialize(const WString&)
{
    return S_OK;
}

int LUpdateEngineInterface::GetDeviceState() const
{
    return mDeviceState.load();
}

ORVRESULT LUpdateEngineInterface::ReservedHook(unsigned int)
{
    return S_OK;
}

ORVRESULT
LUpdateEngineInterface::SetDeviceDefinitions(const Orv::Array<DeviceDefinition>& definitions)
{
    {
        ScopedLock<Orv::Mutex> guard(mDataLock);
        mDefinitions = definitions;
    }
    mSelectedIndex.store(-1);
    SetDeviceState(kDeviceNotFound);
    return S_OK;
}

Orv::Array<LUpdateEngineInterface::DeviceDefinition> LUpdateEngineInterface::GetDefinitions() const
{
    ScopedLock<Orv::Mutex> guard(mDataLock);
    return mDefinitions;
}

WString LUpdateEngineInterface::GetLastFailureText() const
{
    ScopedLock<Orv::Mutex> guard(mDataLock);
    return mLastFailure;
}

void LUpdateEngineInterface::RecordFailure(const std::string& text)
{
    Orv::GetDebugOutput().Narrow() << text << std::endl;
    KeepFailureText(text);
}

void LUpdateEngineInterface::KeepFailureText(const std::string& text)
{
    const WString wide(text.c_str());
    ScopedLock<Orv::Mutex> guard(mDataLock);
    mLastFailure = wide;
}

void LUpdateEngineInterface::ClearLastFailure()
{
    ScopedLock<Orv::Mutex> guard(mDataLock);
    mLastFailure.Clear();
}

ORVRESULT LUpdateEngineInterface::Rescan()
{
    if (mSequence)
    {
        const ORVRESULT hook = mSequence->OnRescan(*this);
        if (FAILED(hook))
        {
            return hook;
        }
    }
    const int state = GetDeviceState();
    if (state == kDeviceBusy || state == kDeviceSwitching || state == kDeviceUpdating)
    {
        return E_FAIL;
    }
    mSelectedIndex.store(-1);
    const ORVRESULT scan = ScanDevices();
    const unsigned int count = GetDeviceCount();
    if (FAILED(scan) || count == 0)
    {
        SetDeviceState(kDeviceNotFound);
    }
    else if (count == 1)
    {
        // One device: it is selected at once, and state 3 is never announced.
        mDeviceState.store(kDevicesFound);
        SelectDevice(0);
    }
    else
    {
        SetDeviceState(kDevicesFound);
    }
    return scan;
}

ORVRESULT LUpdateEngineInterface::SelectDevice(unsigned int index)
{
    const int state = GetDeviceState();
    if (state < kDevicesFound || state == kDeviceSwitching || state == kDeviceUpdating)
    {
        return E_FAIL;
    }
    mSelectedIndex.store(-1);
    if (index >= GetDeviceCount())
    {
        SetDeviceState(kDevicesFound);
        return E_INVALIDARG;
    }
    mSelectedIndex.store(static_cast<int>(index));
    unsigned int reason = 0;
    if (SUCCEEDED(GetFailureReason(index, reason)) && reason == kNoFailure)
    {
        SetDeviceState(IsBootloader(index) ? kDeviceUpdateMode : kDeviceNormalMode);
    }
    else
    {
        SetDeviceState(kDeviceFailed);
    }
    return S_OK;
}

int LUpdateEngineInterface::GetSelectedIndex() const
{
    return mSelectedIndex.load();
}

ORVRESULT LUpdateEngineInterface::GetSelectedFailureReason(unsigned int& reason) const
{
    if (GetDeviceState() == kDeviceFailed)
    {
        const int selected = GetSelectedIndex();
        return GetFailureReason(static_cast<unsigned int>(selected), reason);
    }
    reason = 0;
    return E_FAIL;
}

unsigned int LUpdateEngineInterface::GetFailureReason() const
{
    unsigned int reason = kNoFailure;
    if (FAILED(GetSelectedFailureReason(reason)))
    {
        return kNoFailure;
    }
    return reason;
}

void LUpdateEngineInterface::EndResetWait()
{
    if (GetDeviceState() == kDeviceUpdating)
    {
        SetDeviceState(kDeviceFailed);
    }
}

ORVRESULT LUpdateEngineInterface::GetDeviceFirmwareVersionText(WString& text) const
{
    text = WString(L"N/A");
    if (GetDeviceState() < kDeviceFailed)
    {
        return E_FAIL;
    }
    VersionInfo version;
    const ORVRESULT result =
        GetDeviceFirmwareVersion(static_cast<unsigned int>(GetSelectedIndex()), version);
    if (FAILED(result))
    {
        return E_FAIL;
    }
    text = version.text;
    return S_OK;
}

int LUpdateEngineInterface::GetUpdateModeSwitchMethod() const
{
    return kSwitchByMidiMessage;
}

ORVRESULT LUpdateEngineInterface::StartEnterUpdateMode()
{
    SetAbortFlag(false);
    if (!IsAsynchronous())
    {
        return EnterUpdateMode();
    }
    SetDeviceState(kDeviceSwitching);
    return TriggerWorker(kTaskEnterUpdateMode);
}

bool LUpdateEngineInterface::IsFileNewer() const
{
    if (GetFileState() < kFileVersionKnown || GetDeviceState() < kDeviceFailed)
    {
        return false;
    }
    const int selected = GetSelectedIndex();
    if (selected < 0 || static_cast<unsigned int>(selected) >= GetDeviceCount())
    {
        return false;
    }
    VersionInfo device;
    if (FAILED(GetDeviceFirmwareVersion(static_cast<unsigned int>(selected), device)))
    {
        return false;
    }
    VersionInfo file;
    GetFileVersion(file);
    return CompareVersions(file, device);
}

ORVRESULT LUpdateEngineInterface::ReservedQuery() const
{
    return S_FALSE;
}

ORVRESULT LUpdateEngineInterface::StartDownload()
{
    if (GetFileState() < kFilePresent || GetDeviceState() != kDeviceUpdateMode)
    {
        return E_FAIL;
    }
    SetAbortFlag(false);
    SetDeviceState(kDeviceUpdating);
    const int previousResult = mUpdateResult.exchange(kUpdateInProgress);
    const ORVRESULT trigger = TriggerWorker(kTaskDownload);
    if (FAILED(trigger))
    {
        // Nothing was started: the engine is back where it was.
        mUpdateResult.store(previousResult);
        SetDeviceState(kDeviceUpdateMode);
    }
    return trigger;
}

ORVRESULT LUpdateEngineInterface::TriggerWorker(ThreadWorkerTask task)
{
    Orv::ConstRCPtr<Orv::LThreadWorker> worker(static_cast<Orv::LThreadWorker*>(this));
    Orv::ConstRCPtr<Orv::LRefCountedObject> parameter(new Orv::LHolder<ThreadWorkerTask>(task));
    return mWorker.Trigger(worker, parameter, mTaskDone, 0);
}

ORVRESULT LUpdateEngineInterface::WaitForTask(DWORD milliseconds)
{
    // The result is set before the task has posted its completion: a task that still runs is
    // waited for too.
    if (mUpdateResult.load() != kUpdateInProgress && !mWorker.IsBusy())
    {
        return S_OK;
    }
    return mTaskDone->Wait(milliseconds) == WAIT_TIMEOUT ? E_FAIL : S_OK;
}

int LUpdateEngineInterface::GetUpdateResult(bool clear)
{
    int result = mUpdateResult.load();
    while (clear && result >= kUpdateFailed &&
           !mUpdateResult.compare_exchange_weak(result, kUpdateReady))
    {
    }
    return result;
}

int LUpdateEngineInterface::GetFileState() const
{
    return mFileState.load();
}

ORVRESULT LUpdateEngineInterface::SetFirmwareFile(const WString& path, const VersionInfo& version)
{
    {
        ScopedLock<Orv::Mutex> guard(mDataLock);
        mFirmwarePath = path;
        mFileVersion = version;
    }
    mFileVersionGiven.store(true);
    if (CheckFirmwareFile(path))
    {
        SetFileState(kFileVersionKnown);
        return S_OK;
    }
    SetFileState(kFileMissing);
    return E_FAIL;
}

namespace
{
// The download's block size, with which a file is read and checked.
constexpr std::uint16_t kFileCheckBlockSize = 2048;
} // namespace

bool LUpdateEngineInterface::CheckFirmwareFile(const WString& path)
{
    // The whole file is checked now, so that a damaged one is never offered for an update; the
    // download reads and checks it again (the bytes sent are the bytes checked).
    const Orv::RCPtr<LDfuSeFirmwareFile> file = LDfuSeFirmwareFile::Create();
    if (SUCCEEDED(file->Open(path, kFileCheckBlockSize)))
    {
        return true;
    }
    RecordFailure("Firmware file refused: " + std::string(path.ToNarrow().GetBuffer()) + ": " +
                  file->GetRefusal());
    return false;
}

ORVRESULT LUpdateEngineInterface::SetFirmwarePath(const WString& path)
{
    {
        ScopedLock<Orv::Mutex> guard(mDataLock);
        mFirmwarePath = path;
    }
    if (!CheckFirmwareFile(path))
    {
        SetFileState(kFileMissing);
        return E_FAIL;
    }
    // The version that the file's name gives, else the controller image's.
    if (!VersionFromFileName())
    {
        VersionInfo version;
        version.parts[2] = 3;
        version.parts[3] = 1;
        version.text = WString(L"00.31");
        ScopedLock<Orv::Mutex> guard(mDataLock);
        mFileVersion = version;
    }
    mFileVersionGiven.store(false);
    SetFileState(kFileVersionKnown);
    return S_OK;
}

void LUpdateEngineInterface::SetFileVersion(const VersionInfo& version)
{
    {
        ScopedLock<Orv::Mutex> guard(mDataLock);
        mFileVersion = version;
    }
    mFileVersionGiven.store(true);
    if (GetFileState() == kFilePresent)
    {
        SetFileState(kFileVersionKnown);
    }
}

ORVRESULT LUpdateEngineInterface::GetFirmwarePath(WString& path) const
{
    ScopedLock<Orv::Mutex> guard(mDataLock);
    path = mFirmwarePath;
    return path.IsEmpty() ? E_FAIL : S_OK;
}

ORVRESULT LUpdateEngineInterface::GetFileVersionText(WString& text) const
{
    if (GetFileState() < kFileVersionKnown)
    {
        text = WString(L"N/A");
        return E_FAIL;
    }
    ScopedLock<Orv::Mutex> guard(mDataLock);
    text = mFileVersion.text;
    return S_OK;
}

ORVRESULT LUpdateEngineInterface::GetFileVersion(VersionInfo& version) const
{
    {
        ScopedLock<Orv::Mutex> guard(mDataLock);
        version = mFileVersion;
    }
    return GetFileState() < kFileVersionKnown ? E_FAIL : S_OK;
}

bool LUpdateEngineInterface::VersionFromFileName()
{
    WString path;
    if (FAILED(GetFirmwarePath(path)))
    {
        return false;
    }
    const WString name = Orv::GetPathFileName(path);
    const int at = name.ToUpper().Find(WString(L"_V"));
    if (at < 0)
    {
        return false;
    }
    const wchar_t* p = name.GetBuffer() + at + 2;
    auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    if (!digit(*p))
    {
        return false;
    }
    unsigned int major = static_cast<unsigned int>(*p++ - L'0');
    if (digit(*p))
    {
        major = major * 10 + static_cast<unsigned int>(*p++ - L'0');
    }
    if (*p++ != L'_' || !digit(p[0]) || !digit(p[1]))
    {
        return false;
    }
    VersionInfo version;
    version.parts[0] = major;
    version.parts[1] = static_cast<unsigned int>(p[0] - L'0');
    version.parts[2] = static_cast<unsigned int>(p[1] - L'0');
    version.text = WString::CreateFormatted(L"%d.%d.%d", int(version.parts[0]),
                                            int(version.parts[1]), int(version.parts[2]));
    SetFileVersion(version);
    // A name's version counts differently from the device's (1.3.1.0 against 0.0.3.1).
    mFileVersionGiven.store(false);
    return true;
}

void LUpdateEngineInterface::SetDeviceState(int state)
{
    const int old = mDeviceState.exchange(state);
    if (old != state)
    {
        PostDeviceStateChange(state, old);
    }
}

bool LUpdateEngineInterface::IsAsynchronous() const
{
    return mAsynchronous;
}

void LUpdateEngineInterface::SetFileState(int state)
{
    const int old = mFileState.exchange(state);
    if (old != state)
    {
        PostFileStateChange(state, old);
    }
}

ORVRESULT LUpdateEngineInterface::DoWork(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter)
{
    return RunWorkerTask(parameter);
}

ORVRESULT
LUpdateEngineInterface::RunWorkerTask(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter)
{
    const auto* holder = dynamic_cast<const Orv::LHolder<ThreadWorkerTask>*>(parameter.Get());
    if (holder == nullptr)
    {
        return E_FAIL;
    }
    switch (holder->GetValue())
    {
        case kTaskEnterUpdateMode:
            return EnterUpdateMode();
        case kTaskDownload:
        {
            const ORVRESULT result = Download();
            PostUpdateCompleted(SUCCEEDED(result));
            return result;
        }
    }
    return E_FAIL;
}
