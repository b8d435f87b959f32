// The two-image sequencer. The product carries two programmable parts that appear on USB one at
// a time under their own product ids, the controller and its wheel display; each gets its own
// image. LDualUpdater decides which image is written next, tells the application's engine which
// device and which file that is, gives that engine the current image's MIDI port name and flash
// sector table, and after a successful update starts the update of the other image.
//
// There is one LDualUpdater in the program, made by CreateInstance before the application's
// engine, which is given it as its image sequence (UpdateImageSequence.h), and kept to the end.
// It reads the bus with a private probe engine of its own; the application's engine is the one
// whose Rescan or update result it is handed. What it needs of the application and the main
// window (the default folder, starting an update) it asks the host it was made with
// (UpdaterHost.h).
//
// The sequence can be switched off for a run in which the command line names the file or the
// device: the image is then fixed, the rescan hook chooses nothing and an update never leads on
// to the other image.
//
// Everything but the engines' questions (device name, sector table) is called on one thread, the
// user-interface thread (or the thread of a run without a window).
#pragma once

#include "MainWindowLabels.h"
#include "UpdateEngine.h"
#include "UpdateImageSequence.h"
#include "UpdaterHost.h"

#include <atomic>
#include <cstdint>

class LDualUpdater : public virtual Orv::LRefCountedObject, public IUpdateImageSequence
{
public:
    enum Image : int
    {
        kController = 0,
        kWheelDisplay = 1,
    };

    // What a probe of the bus found.
    struct ProbeResult
    {
        // Any of the three probes found something.
        bool found = false;
        // Each part seen in normal mode (its version is then the one it reports).
        bool controllerPresent = false;
        bool wheelDisplayPresent = false;
        bool controllerNeedsUpdate = false;
        LUpdateEngineInterface::VersionInfo controllerVersion;
        bool wheelDisplayNeedsUpdate = false;
        bool wheelDisplayInDfuMode = false;
        LUpdateEngineInterface::VersionInfo wheelDisplayVersion;
        // Only one of the two parts, or only a device in DFU mode, was seen.
        bool incompleteSet = false;
        // More than one device in DFU mode: which one is which cannot be told.
        bool severalBootloaders = false;
    };

    // The fixed data of one image.
    struct ImageInfo
    {
        const wchar_t* tag;
        std::uint32_t productId;
        const wchar_t* deviceName;
        LUpdateEngineInterface::VersionInfo targetVersion;
        const wchar_t* defaultFileName;
        const std::uint32_t* sectors;
        unsigned int sectorCount;
    };

    // The normal-mode vendor id of both parts, and the ids of their bootloader.
    static constexpr std::uint32_t kDefaultVendorId = 0x7A5E;
    static constexpr std::uint32_t kBootloaderVendorId = 0x0483;
    static constexpr std::uint32_t kBootloaderProductId = 0xDF11;

    static const ImageInfo& GetImageInfo(Image image);

    // A new sequencer that asks the host (a host of its own, with the program's folder and no
    // way to start an update, when none is given).
    static Orv::RCPtr<LDualUpdater> Create(const Orv::RCPtr<UpdaterHost>& host);

    // Makes the program's one LDualUpdater, with the host, when there is none.
    static void CreateInstance(const Orv::RCPtr<UpdaterHost>& host);
    // Drops it (at the end of the program).
    static void ReleaseInstance();
    // The instance, or null.
    static Orv::RCPtr<LDualUpdater> GetInstance();

    // Run by the main window whenever it refreshes itself, with the update result, device state
    // and file state it shows; completes what the window alone cannot know. The file's version
    // label: while the device is being written (device state 8), which image that is
    // ("LABEL_UPDATING_CONTROLLER_FIRMWARE" or "LABEL_UPDATING_WHEEL_DISPLAY_FIRMWARE"),
    // otherwise its "LABEL" with both target versions. The device's version label: when the last
    // probe found something, its "LABEL" with the versions both parts reported. After a completed
    // update (result 4) with the device in update mode (7), the manual rescan button is hidden.
    // Nothing without the program's sequencer, or while the sequence is switched off (the
    // window's own texts, from the one file and device, then stand).
    static void UpdateLabels(IMainWindowLabels& window, int result, int deviceState, int fileState);

    // The image sequence of the engine it was given to. OnRescan runs first in every Rescan of
    // the engine: on a Rescan that is not part of an automatic restart it probes and chooses the
    // image to start with, and defines that image's device and file in the engine.
    ORVRESULT OnRescan(LUpdateEngineInterface& engine) override;
    // Run when an update of the engine has ended: with success, probes, marks the image done
    // and, when it now reports its target version, defines the other image in the engine if it
    // needs an update and starts that update through the host. E_FAIL when the update failed or
    // the image does not report its target version; S_FALSE with the sequence switched off;
    // else S_OK.
    ORVRESULT ProcessUpdateResult(LUpdateEngineInterface& engine, bool succeeded) override;
    // For index 0, the current image's device name (the MIDI port name part of its
    // definition); the sector table is the current image's.
    Orv::WString GetDeviceName(unsigned int index) const override;
    unsigned int GetSectorCount() const override;
    bool LookupSector(unsigned int index, std::uint32_t& address) const override;

    // Index 0: the current image's product id; other indexes: 0.
    std::uint32_t GetDeviceProductId(unsigned int index) const;
    // Switches the sequence off for the run, with the image fixed by the product id (the wheel
    // display's id fixes the wheel-display image; any other the controller image).
    void UseFixedImage(std::uint32_t productId);
    // Switches the sequence on (the default); the next Rescan chooses the image.
    void UseImageSequence();

    const Orv::RCPtr<UpdaterHost>& GetHost() const { return mHost; }
    Image GetCurrentImage() const;
    bool IsSequenceOn() const { return !mFixedImage.load(); }
    bool IsRestartPending() const { return mRestartPending.load(); }
    bool IsDone(Image image) const;
    // The result of the last probe.
    const ProbeResult& GetProbeResult() const { return mProbe; }

    Orv::WString ToString() const override;

    ~LDualUpdater() override;

private:
    explicit LDualUpdater(const Orv::RCPtr<UpdaterHost>& host);

    // Reads the versions and modes of both parts from the bus with the probe engine.
    void Probe();
    ORVRESULT SelectInitialImage(LUpdateEngineInterface& engine);
    // Tells the application's engine the current image's device and file.
    void DefineDeviceAndFile(LUpdateEngineInterface& engine);
    ORVRESULT SelectImage(LUpdateEngineInterface& engine, bool succeeded);
    // Counts the devices that a probe definition finds; the version of the one found.
    unsigned int ProbeFor(std::uint32_t vendorId, std::uint32_t productId,
                          LUpdateEngineInterface::VersionInfo* version);

    const Orv::RCPtr<UpdaterHost> mHost;
    ProbeResult mProbe;
    Orv::RCPtr<LUpdateEngine> mProbeEngine;
    std::atomic<bool> mControllerSelected{true};
    std::atomic<bool> mRestartPending{false};
    bool mControllerDone = false;
    bool mWheelDisplayDone = false;
    std::atomic<bool> mFixedImage{false};
};
