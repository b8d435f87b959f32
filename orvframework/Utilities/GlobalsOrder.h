// The start-up order of the program's globals: one row per group of globals, in the order in
// which they are made before main. Each subsystem owns its globals (accessors that make them at
// first use) and makes those of a row before main with a start-up object placed at that row:
//
//     struct Startup { Startup() { GetFirst(); GetSecond(); } };
//     ORV_GLOBALS_STARTUP(Orv::kGlobalsRowLocks, 0) const Startup gLocksStartup;
//
// The start-up objects of every library run in the order of their rows (and within a row, of
// their step), before any other global of the program, whatever the order in which the libraries
// are linked. A global joins the exit list when it is made, so exit destroys the globals in the
// reverse order. A global used before its row (by another global's constructor) is made at that
// first use; one whose library is not linked into the program is not made at all.
#pragma once

namespace Orv
{
enum GlobalsRow : int
{
    // The application's and the dual updater's smart pointers.
    kGlobalsRowApplicationPointers = 1,
    // The product's device names.
    kGlobalsRowDeviceNames = 2,
    // The dual-updater instance and further smart pointers.
    kGlobalsRowDualUpdater = 3,
    // The application object.
    kGlobalsRowApplication = 4,
    // The null element pointers of the arrays of counted pointers.
    kGlobalsRowNullElements = 5,
    // " ".
    kGlobalsRowOneSpace = 6,
    // The global empty strings.
    kGlobalsRowEmptyStrings = 7,
    // The pool of the thread pool's jobs.
    kGlobalsRowWorkerParameters = 8,
    // The pool of notifications.
    kGlobalsRowNotificationPool = 9,
    // The locks of the notification names, of the notification queues, of the regions (in this
    // order: steps 0, 1, 2).
    kGlobalsRowLocks = 10,
    // The name of the application's notification centre.
    kGlobalsRowApplicationName = 11,
    // The pool of captured MIDI data.
    kGlobalsRowMidiCapturePool = 12,
    // The program's debug output.
    kGlobalsRowDebugOutput = 13,
    // The bitmap cache and the two key-code maps.
    kGlobalsRowMaps = 14,
    // The cursor names.
    kGlobalsRowCursorNames = 15,
    // The list of notification distributors.
    kGlobalsRowDistributors = 16,
    // "\n".
    kGlobalsRowNewLine = 17,
    // The pools of input and value parameters.
    kGlobalsRowParameterPools = 18,
    // The font-file list and its hashed index.
    kGlobalsRowFontLists = 19,
};
} // namespace Orv

// Places a namespace-scope object's construction at the row and step (0 to 9) of the start-up
// order.
#define ORV_GLOBALS_STARTUP(row, step) __attribute__((init_priority(1000 + (row)*10 + (step))))
