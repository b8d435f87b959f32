// The update engine as the rest of the program sees it: the device, file and update states, the
// device definitions, the two long operations (entering update mode, downloading) on one worker
// thread, and the notifications that tell the user interface about every change.
//
// Two threads use an engine: the user-interface thread (every operation) and the engine's worker
// (the download, and entering update mode when started asynchronously). The states, the update
// result and the abort flag are atomics; the definitions, the firmware path and its version are
// guarded by the engine's data lock. Everything the worker reports travels as notifications
// posted to the "application" center, delivered later on the user-interface thread.
#pragma once

#include "OrvCore.h"
#include "UpdateImageSequence.h"

#include <atomic>
#include <cstdint>
#include <string>

class LUpdateEngineInterface : protected virtual Orv::LThreadWorker,
                               public virtual Orv::LRefCountedObject
{
public:
    // What to look for: the ids of a device in normal (MIDI) mode and in its DFU bootloader, and
    // five texts of which text 2 names the device's MIDI port.
    struct DeviceDefinition
    {
        static constexpr unsigned int kTextCount = 5;
        // The MIDI port name part.
        static constexpr unsigned int kDeviceNameText = 2;

        std::uint32_t vendorId = 0;
        std::uint32_t productId = 0;
        std::uint32_t bootloaderVendorId = 0;
        std::uint32_t bootloaderProductId = 0;
        Orv::WString texts[kTextCount];
    };

    // A firmware version: four parts, most significant first, and the text that shows it.
    struct VersionInfo
    {
        std::uint32_t parts[4] = {0, 0, 0, 0};
        Orv::WString text;
    };

    // The worker's tasks, handed over in an Orv::LHolder<ThreadWorkerTask>.
    enum ThreadWorkerTask : int
    {
        kTaskEnterUpdateMode = 0,
        kTaskDownload = 1,
    };

    // Device states.
    static constexpr int kDeviceNotDefined = 0;
    static constexpr int kDeviceNotFound = 1;
    static constexpr int kDeviceBusy = 2;
    static constexpr int kDevicesFound = 3;
    static constexpr int kDeviceFailed = 4;
    static constexpr int kDeviceNormalMode = 5;
    static constexpr int kDeviceSwitching = 6;
    static constexpr int kDeviceUpdateMode = 7;
    static constexpr int kDeviceUpdating = 8;

    // File states.
    static constexpr int kFileNone = 0;
    static constexpr int kFileMissing = 1;
    static constexpr int kFilePresent = 2;
    static constexpr int kFileVersionKnown = 3;

    // Update results.
    static constexpr int kUpdateReady = 0;
    static constexpr int kUpdateInProgress = 1;
    static constexpr int kUpdateFailed = 2;
    static constexpr int kUpdateAborted = 3;
    static constexpr int kUpdateCompleted = 4;

    // How a device enters update mode and comes back after a write
    // (GetUpdateModeSwitchMethod). The window waits for update mode itself with 3 and 4.
    // Not switched by the engine: the device's firmware version shows while it changes mode.
    static constexpr int kSwitchManually = 0;
    // The device resets by itself after the write.
    static constexpr int kSwitchResetsItself = 1;
    // Switched by the engine; the window waits for update mode.
    static constexpr int kSwitchAwaited = 3;
    // The update-mode MIDI message; the device resets by itself after the write.
    static constexpr int kSwitchByMidiMessage = 4;

    // Failure reasons of a found device.
    static constexpr unsigned int kNoFailure = 0;
    static constexpr unsigned int kFailureNoDevice = 1;
    static constexpr unsigned int kFailureFile = 3;
    static constexpr unsigned int kFailureDevice = 4;

    // Notification names.
    static const wchar_t* const kDeviceStateChange;
    static const wchar_t* const kFirmwareFileStateChange;
    static const wchar_t* const kFirmwareUpdateCompleted;
    static const wchar_t* const kFirmwareUpdateProgress;
    static const wchar_t* const kFoundDeviceListChange;

    // true when a is strictly greater than b, part by part; the texts take no part.
    static bool CompareVersions(const VersionInfo& a, const VersionInfo& b);

    // An engine that asks the sequence (none: no sequence) for what depends on the image.
    explicit LUpdateEngineInterface(const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr);
    ~LUpdateEngineInterface() override;

    // The operations, in slot order.
    virtual ORVRESULT Initialize(const Orv::WString& commandLine);
    virtual int GetDeviceState() const;
    virtual ORVRESULT ReservedHook(unsigned int argument);
    virtual ORVRESULT SetDeviceDefinitions(const Orv::Array<DeviceDefinition>& definitions);
    virtual ORVRESULT Rescan();
    virtual ORVRESULT ScanDevices() = 0;
    virtual ORVRESULT GetFoundDevices(Orv::Array<DeviceDefinition>& devices) const = 0;
    virtual unsigned int GetDeviceCount() const = 0;
    virtual ORVRESULT GetDeviceFirmwareVersion(unsigned int index, VersionInfo& version) const = 0;
    virtual ORVRESULT SelectDevice(unsigned int index);
    virtual int GetSelectedIndex() const;
    virtual ORVRESULT GetSelectedFailureReason(unsigned int& reason) const;
    virtual ORVRESULT GetDeviceFirmwareVersionText(Orv::WString& text) const;
    virtual ORVRESULT RescanSelectedDevice() = 0;
    // One of the kSwitch values: kSwitchByMidiMessage.
    virtual int GetUpdateModeSwitchMethod() const;
    virtual ORVRESULT EnterUpdateMode() = 0;
    virtual ORVRESULT StartEnterUpdateMode();
    virtual bool IsFileNewer() const;
    virtual ORVRESULT ReservedQuery() const;
    virtual ORVRESULT StartDownload();
    virtual ORVRESULT WaitForTask(DWORD milliseconds);
    virtual ORVRESULT Abort() = 0;
    virtual int GetUpdateResult(bool clear);
    virtual int GetFileState() const;
    virtual ORVRESULT SetFirmwareFile(const Orv::WString& path, const VersionInfo& version);
    virtual ORVRESULT SetFirmwarePath(const Orv::WString& path);
    virtual void SetFileVersion(const VersionInfo& version);
    virtual ORVRESULT GetFirmwarePath(Orv::WString& path) const;
    virtual ORVRESULT GetFileVersionText(Orv::WString& text) const;
    virtual ORVRESULT GetFileVersion(VersionInfo& version) const;
    virtual bool VersionFromFileName();
    virtual void SetDeviceState(int state);
    virtual bool IsAsynchronous() const;
    virtual void PostProgress(unsigned int imageIndex, double fraction, bool flagA, int value,
                              bool flagB, const Orv::WString& text);
    virtual void PostDeviceStateChange(int newState, int oldState);
    virtual void PostFileStateChange(int newState, int oldState);
    virtual void PostDeviceListChange();
    virtual void PostUpdateCompleted(bool success);
    virtual void SetFileState(int state);
    virtual bool IsBootloader(unsigned int index) const = 0;
    virtual ORVRESULT GetFailureReason(unsigned int index, unsigned int& reason) const = 0;
    virtual ORVRESULT Download() = 0;

    // The names the main window uses, each the operation above that does the work: re-reading
    // the selected device (RescanSelectedDevice), asking the running task to stop (Abort),
    // setting the firmware file (SetFirmwarePath), the file's version text (GetFileVersionText)
    // and the selected device's failure reason (GetSelectedFailureReason; 0 when it has none).
    ORVRESULT RefreshDeviceState() { return RescanSelectedDevice(); }
    ORVRESULT AbortUpdate() { return Abort(); }
    ORVRESULT SetFirmwareFilePath(const Orv::WString& path) { return SetFirmwarePath(path); }
    ORVRESULT GetFileFirmwareVersionText(Orv::WString& text) const
    {
        return GetFileVersionText(text);
    }
    unsigned int GetFailureReason() const;
    // Ends the wait for the selected device's reset after an update (the completion calls it when
    // the device is back or the wait has run out), so that the device state tells how the device
    // came back. Here: a device still being updated (state 8) becomes failed (state 4).
    virtual void EndResetWait();
    // Whether the state changes, the device list change and the completion are posted as
    // notifications (on from the start; the main window switches it on when it is ready).
    void SetNotify(bool notify) { mNotificationsOn.store(notify); }
    bool GetNotify() const { return mNotificationsOn.load(); }

    // The worker's task: runs the task its parameter names.
    ORVRESULT RunWorkerTask(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter);

    // What went wrong last, as readable text for the window and the debug output: for a device,
    // the step, the DFU request, the state and status the device answered and the system's
    // error; for a refused file, why. Empty when the last long operation met no failure.
    Orv::WString GetLastFailureText() const;
    // Whether the file's version was given with the file (SetFirmwareFile, SetFileVersion), so
    // that a device running the image reports it; false when it was read from the file's name
    // or assumed (SetFirmwarePath), and is not in the device's terms.
    bool IsFileVersionGiven() const { return mFileVersionGiven.load(); }
    // The image sequence this engine was made with, or null.
    const Orv::RCPtr<IUpdateImageSequence>& GetImageSequence() const { return mSequence; }

    Orv::WString ToString() const override;

protected:
    // Triggers the worker with the task.
    ORVRESULT TriggerWorker(ThreadWorkerTask task);
    bool IsAbortRequested() const { return mAbort.load(); }
    // Sets or clears the abort flag and its event together.
    void SetAbortFlag(bool abort);
    // Signalled while the abort flag is set: waits that an abort ends wait on it.
    HANDLE GetAbortEvent() const { return mAbortEvent.GetHandle(); }
    void SetUpdateResult(int result) { mUpdateResult.store(result); }
    // Stores the state without a notification.
    void StoreDeviceState(int state) { mDeviceState.store(state); }
    void SetSelectedIndex(int index) { mSelectedIndex.store(index); }
    // A copy of the definitions.
    Orv::Array<DeviceDefinition> GetDefinitions() const;
    // Keeps the text as the last failure's and writes it to the debug output.
    void RecordFailure(const std::string& text);
    // Only keeps it.
    void KeepFailureText(const std::string& text);
    void ClearLastFailure();
    // Reads and checks the whole firmware file; false with the reader's refusal recorded as the
    // last failure (and written to the debug output).
    bool CheckFirmwareFile(const Orv::WString& path);

private:
    ORVRESULT DoWork(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter) override;
    // Posts a notification of the name with the payload to the "application" center.
    void PostNotification(const wchar_t* name, const Orv::RCPtr<Orv::LRefCountedObject>& payload);

    const Orv::RCPtr<IUpdateImageSequence> mSequence;
    std::atomic<bool> mNotificationsOn{true};
    Orv::RetriggerableThreader mWorker;
    Orv::RCPtr<Orv::LEvent> mTaskDone;
    std::atomic<int> mDeviceState{kDeviceNotDefined};
    Orv::Array<DeviceDefinition> mDefinitions;
    std::atomic<int> mSelectedIndex{-1};
    std::atomic<int> mUpdateResult{kUpdateReady};
    std::atomic<bool> mAbort{false};
    // Manual-reset, set with the abort flag.
    Orv::Event mAbortEvent{false};
    bool mAsynchronous = false;
    std::atomic<int> mFileState{kFileNone};
    Orv::WString mFirmwarePath;
    VersionInfo mFileVersion;
    std::atomic<bool> mFileVersionGiven{false};
    Orv::WString mLastFailure;
    // Guards the definitions, the firmware path, the file version and the last failure.
    mutable Orv::Mutex mDataLock;
};
