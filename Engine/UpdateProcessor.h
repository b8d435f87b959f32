// Applies the program's command line to the application's update engine when the application
// starts: chooses the firmware file and the device, scans, and either lets the main window
// appear or runs the update without a window and has the program end quietly, optionally leaving
// an exit status that tells a calling installer in which mode the device is.
//
// Options (found without regard to case, at the start of a blank-separated word; a later
// occurrence counts as well as the first; a value may be put in double quotes, which it loses):
//   -ALWAYS_UPDATE                  update even when the file is not newer
//   -RETURN_UPDATE_MODE_STATUS      set the exit status (see below) and end quietly
//   -SILENT_IF_UPDATE_NOT_NEEDED    end quietly when no update is wanted
//   -SILENT                         run a wanted update (both images) without a window, wait
//                                   for it to end, and end quietly
//   -START_UPDATE_AUTOMATICALLY     start a wanted update at once; the window is shown
//   -ABSOLUTE_FIRMWARE_FILE_PATH=   the firmware file
//   -FIRMWARE_IMAGE_NAME=           a firmware file name in the default folder
//   -DEVICE_VID=, -DEVICE_PID=, -DEVICE_BOOTLOADER_PID=   the device's ids: 1 to 65535, in
//                                   decimal or in hexadecimal after "0x"; the vendor id is
//                                   looked at only together with -DEVICE_PID=
// A command line that names a file or device ids switches the two-image sequence off for the
// run: the named file and device are used. A device id that is not such a number refuses the
// whole command line: a message on the debug output, exit status 1 and a quiet end, with
// nothing sent to any device.
//
// Exit status (0 unless one of these is set):
//   with -RETURN_UPDATE_MODE_STATUS: 1 device not found or failed (any state other than those
//   below); 2 / 3 device in update mode, file not newer / newer; 4 / 5 device in normal mode,
//   file not newer / newer;
//   with -SILENT: 1 when the update failed, or nothing could be updated (no device, a failed
//   device, a missing or invalid file);
//   1 when the command line was refused.
#pragma once

#include "DualUpdater.h"
#include "UpdateCompletion.h"
#include "UpdateEngineInterface.h"
#include "UpdaterHost.h"

#include <cstdint>
#include <string>

class LUpdateProcessor : public Orv::LRefCountedObject
{
public:
    // The result of Initialize that tells the application to end without its window.
    static constexpr ORVRESULT kQuietStop = static_cast<ORVRESULT>(0x8000A020);

    // The exit statuses.
    static constexpr int kStatusNotFoundOrFailed = 1;
    static constexpr int kStatusUpdateModeNotNewer = 2;
    static constexpr int kStatusUpdateModeNewer = 3;
    static constexpr int kStatusNormalModeNotNewer = 4;
    static constexpr int kStatusNormalModeNewer = 5;
    static constexpr int kStatusSilentUpdateFailed = 1;
    static constexpr int kStatusCommandLineRefused = 1;

    // Holds the application's engine; a run without a window ends each download with the
    // completion (its wait for the device's reset). The two-image sequencer is the engine's image
    // sequence, and the processor reaches the application (the default folder, starting an
    // update) through the sequencer's host; with an engine made without the sequencer, the image
    // is the controller's, the default folder the program's, and no update leads on to another.
    explicit LUpdateProcessor(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                              const UpdateCompletion& completion = UpdateCompletion());
    ~LUpdateProcessor() override;

    // Applies the command line: S_OK (show the window), kQuietStop, or the engine's
    // non-negative Initialize result when the device had failed. Throws a "Failed Result" when
    // the engine's Initialize fails.
    ORVRESULT Initialize(const Orv::WString& commandLine);
    // Initialize with the command line stored by the first Initialize.
    ORVRESULT Reinitialize();
    // Initialize with commandLine, which becomes the stored command line that later calls of
    // Reinitialize run (a command line handed over by a later start of the program);
    // -ALWAYS_UPDATE in it sets the always-update flag.
    ORVRESULT Reinitialize(const Orv::WString& commandLine);
    // No update is being written.
    bool IsIdle() const;
    bool GetAlwaysUpdate() const;
    // true when the flag already had that value.
    bool SetAlwaysUpdate(bool alwaysUpdate);
    Orv::RCPtr<LUpdateEngineInterface> GetEngine() const;

    // Starts the update of the engine's device without a window: in normal mode it enters
    // update mode first, then the download is started. S_OK when a download runs.
    ORVRESULT StartUpdate();

    // Whether the option is in the command line, and its value (for an option ending in "=").
    static bool FindOption(const Orv::WString& commandLine, const Orv::WString& option,
                           Orv::WString& value);
    // A USB id of the command line: 1 to 0xFFFF, as decimal digits or "0x" and hexadecimal
    // digits, nothing else. false (id untouched) for anything else.
    static bool ParseDeviceId(const Orv::WString& text, std::uint32_t& id);

    // The exit status that this processor's Initialize calls left for the program (0 until one
    // of them sets one). The application, which owns its one processor, returns it as the
    // program's exit code when it ends (after a quiet stop, at once).
    int GetExitStatus() const { return mExitStatus; }
    // The engine's two-image sequencer, or null; the host the processor asks.
    const Orv::RCPtr<LDualUpdater>& GetSequencer() const { return mSequencer; }
    const Orv::RCPtr<UpdaterHost>& GetHost() const { return mHost; }

    Orv::WString ToString() const override;

private:
    bool HasOption(const wchar_t* option) const;
    bool GetOption(const wchar_t* option, Orv::WString& value) const;
    // A file or device option is given.
    bool NamesFileOrDevice() const;
    // Every device id option given holds a valid id; else false with the message.
    bool CheckDeviceIds(std::string& message) const;
    // The value of a device id option that CheckDeviceIds accepted; false when it is not given.
    bool GetDeviceId(const wchar_t* option, std::uint32_t& id) const;
    void ProcessFirmwareFileOptions();
    void ProcessDeviceOptions();
    // Runs the wanted update, and the update of the other image that it leads to, to the end.
    void RunSilentUpdate();
    // The end of a -SILENT run that found nothing it could update: the reason on the debug
    // output, exit status 1, a quiet end.
    ORVRESULT EndSilentWithoutUpdate();

    void SetExitStatus(int status) { mExitStatus = status; }

    Orv::WString mCommandLine;
    int mExitStatus = 0;
    Orv::RCPtr<LUpdateEngineInterface> mEngine;
    const Orv::RCPtr<LDualUpdater> mSequencer;
    const Orv::RCPtr<UpdaterHost> mHost;
    UpdateCompletion mCompletion;
    bool mAlwaysUpdate = false;
    // The command line of the Initialize that runs.
    Orv::WString mCurrentCommandLine;
    // Downloads started and starts that failed, by StartUpdate.
    unsigned int mDownloadsStarted = 0;
    unsigned int mFailedStarts = 0;
};
