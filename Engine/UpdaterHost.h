// What the updater application and its main window give the engine's sequencer and the command
// line, standing in until the application (LApplication, LFrameworkApp) and the main window
// (LMainControl) exist, which then provide them:
//   - the default folder, in which the built-in image files are looked up: the program's folder
//     (LFrameworkApp::GetDefaultFolder);
//   - the application's update processor, whose engine the sequencer reconfigures
//     (LApplication::GetUpdateProcessor);
//   - starting the update of the current image (LMainControl::StartUpdate); until the main window
//     registers its own, the application's processor starts it without a window;
//   - the results with which the application ends quietly, without its window.
#pragma once

#include "OrvCore.h"

#include <functional>

using ORVRESULT = Orv::ORVRESULT;

class LUpdateProcessor;

class UpdaterHost
{
public:
    // The default folder, without a trailing separator: the one set, else the program's folder.
    static void GetDefaultFolder(Orv::WString& folder);
    // Sets the default folder (empty: the program's folder again).
    static void SetDefaultFolder(const Orv::WString& folder);

    // The application's update processor, or null.
    static Orv::RCPtr<LUpdateProcessor> GetUpdateProcessor();
    static void SetUpdateProcessor(const Orv::RCPtr<LUpdateProcessor>& processor);

    // Starts the update of the current image: the registered function, else the application's
    // processor's StartUpdate.
    static void StartUpdate();
    // Registers the function that starts an update (null: none).
    static void SetStartUpdate(std::function<void()> start);

    // Whether the application ends without its window on this result of the processor's
    // Initialize: 0x8000A020, 0x8000A000 to 0x8000A003 and 0x8000A010.
    static bool IsQuietStop(ORVRESULT result);
};
