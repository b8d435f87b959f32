// What the updater application and its main window give the two-image sequencer and the update
// processor, which lie below them and cannot call them:
//   - the default folder, in which the built-in image files are looked up: the program's folder
//     (LFrameworkApp::GetDefaultFolder);
//   - starting the update of the current image (LMainControl::StartUpdate), which the main
//     window registers while it lives; a run without a window registers the processor's own for
//     its length;
//   - the results with which the application ends quietly, without its window.
//
// The application makes one host and hands it to the sequencer and the processor that it makes.
// The host holds none of them, nor the window, so that nothing it is handed to makes a cycle with
// it. Its operations may be called on any thread.
#pragma once

#include "OrvCore.h"

#include <functional>

using ORVRESULT = Orv::ORVRESULT;

class UpdaterHost : public Orv::LRefCountedObject
{
public:
    // A host whose default folder is the one given; an empty one means the program's folder.
    static Orv::RCPtr<UpdaterHost> Create(const Orv::WString& defaultFolder = Orv::WString());

    // The default folder, without a trailing separator.
    void GetDefaultFolder(Orv::WString& folder) const;

    // Starts the update of the current image with the registered function; false (nothing
    // started) when none is registered.
    bool StartUpdate() const;
    // Registers the function that starts an update (null: none); returns the one it replaces.
    std::function<void()> SetStartUpdate(std::function<void()> start);

    // Whether the application ends without its window on this result of the processor's
    // Initialize: 0x8000A020, 0x8000A000 to 0x8000A003 and 0x8000A010.
    static bool IsQuietStop(ORVRESULT result);

    Orv::WString ToString() const override;

private:
    explicit UpdaterHost(const Orv::WString& defaultFolder);

    const Orv::WString mDefaultFolder;
    mutable Orv::Mutex mLock;
    std::function<void()> mStartUpdate;
};
