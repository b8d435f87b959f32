// What follows the end of a download, whoever learns of it (the main window's handler of
// "NID_FIRMWARE_UPDATE_COMPLETED", or a run without a window): wait for the device to come back
// from its reset, then hand the result to the two-image sequencer, which may start the update of
// the other image.
#pragma once

#include "UpdateEngineInterface.h"

class UpdateCompletion
{
public:
    // The wait for the device: a pause before each rescan of the selected device, at most this
    // many rounds (500 ms and 20; tests shorten them).
    struct Timings
    {
        DWORD pause = 500;
        unsigned int rounds = 20;
    };
    static void SetTimings(const Timings& timings);
    static Timings GetTimings();

    // Waits until a rescan of the engine's selected device finds it in normal mode (an engine
    // that does not switch by message is rescanned once, at once), then runs
    // LDualUpdater::ProcessUpdateResult with the result. E_FAIL when the update failed, the
    // device did not come back in normal mode or the sequencer refused the result; else the
    // sequencer's result.
    static ORVRESULT Complete(const Orv::RCPtr<LUpdateEngineInterface>& engine, bool succeeded);
    // Only the wait: true when the device is back in normal mode.
    static bool AwaitDeviceReset(const Orv::RCPtr<LUpdateEngineInterface>& engine);
};
