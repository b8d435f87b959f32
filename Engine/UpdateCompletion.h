// What follows the end of a download in a run without a window (-SILENT): wait for the device to
// come back from its reset, judge whether the update took, then hand the verdict to the engine's
// image sequence (the two-image sequencer), which may start the update of the other image. The
// main window does the same in its handler of "NID_FIRMWARE_UPDATE_COMPLETED"
// (LMainControl, which refreshes the window between the steps) and shares the verdict's test,
// RunsFileVersion.
#pragma once

#include "UpdateEngineInterface.h"

class UpdateCompletion
{
public:
    // How an update ended, judged after the wait for the device's reset. Only Took is a success.
    enum class Verdict
    {
        Took,              // back in normal mode, running the file's version
        OtherVersion,      // back in normal mode, running another version
        StillInUpdateMode, // back, but still in update mode: its new firmware did not start
        NotBack,           // it did not come back
        NotWritten,        // the download failed or was aborted
    };

    // The wait for the device: a pause before each rescan of the selected device, at most this
    // many rounds.
    struct Timings
    {
        DWORD pause = 500;
        unsigned int rounds = 20;
    };

    // Waits with the timings (the ones above when none are given) by the clock.
    UpdateCompletion();
    explicit UpdateCompletion(const Timings& timings,
                              const Orv::RCPtr<Orv::LClock>& clock = Orv::GetSystemClock());

    const Timings& GetTimings() const { return mTimings; }

    // After a successful download, waits until a rescan of the engine's selected device finds it
    // in normal mode (an engine that does not switch by message is rescanned once, at once); then
    // hands the verdict to the engine's image sequence (its ProcessUpdateResult): the update took
    // only when the download succeeded and the device came back in normal mode running the image
    // (reporting the file's version, where the engine knows it in the device's terms,
    // IsFileVersionGiven). E_FAIL when the update did not take or the sequence refused the
    // result; else the sequence's result (S_FALSE for an engine without one).
    // The engine's EndResetWait settles how the device came back (a device that never came back
    // is failed, state 4, reason 4; one still in DFU mode is in update mode, state 7).
    ORVRESULT Complete(const Orv::RCPtr<LUpdateEngineInterface>& engine, bool succeeded) const;
    // Only the wait: true when the device is back in normal mode.
    bool AwaitDeviceReset(const Orv::RCPtr<LUpdateEngineInterface>& engine) const;
    // Whether the engine's selected device reports the file's version (true when the version is
    // not known in the device's terms).
    static bool RunsFileVersion(const Orv::RCPtr<LUpdateEngineInterface>& engine);
    // The verdict from the engine's states once the wait has ended (EndResetWait called): the
    // download's success, then how the device came back.
    static Verdict Judge(const Orv::RCPtr<LUpdateEngineInterface>& engine, bool downloaded);
    // The verdict as a sentence for the status bar and the debug output; with another version,
    // both the device's and the file's. Empty for Took and NotWritten (the engine's failure text
    // tells those).
    static Orv::WString Describe(const Orv::RCPtr<LUpdateEngineInterface>& engine, Verdict verdict);

private:
    Timings mTimings;
    Orv::RCPtr<Orv::LClock> mClock;
};
