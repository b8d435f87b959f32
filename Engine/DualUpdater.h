// The two-image sequencer. The product carries two programmable parts that appear on USB one at
// a time under their own product ids, the controller and its wheel display; each gets its own
// image. LDualUpdater decides which image is written next, tells the application's engine which
// device and which file that is, gives the engines the current image's MIDI port name and
// flash sector table, and after a successful update starts the update of the other image.
//
// There is one LDualUpdater in the program, made by CreateInstance before the first Rescan and
// kept to the end; while it exists it is the engines' image sequence (UpdateImageSequence.h). It
// reads the bus with a private probe engine of its own and reaches the application's engine through
// the application's update processor (UpdaterHost.h).
//
// The sequence can be switched off for a run in which the command line names the file or the
// device: the image is then fixed, the rescan hook chooses nothing and an update never leads on
// to the other image.
//
// Everything but the engines' questions (device name, sector table) is called on one thread, the
// user-interface thread (or the thread of a run without a window).
#pragma once

#include "UpdateEngine.h"
#include "UpdateImageSequence.h"

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

    // Makes the program's one LDualUpdater when there is none, and installs it as the engines'
    // image sequence.
    static void CreateInstance();
    // Drops it (at the end of the program, and between tests).
    static void ReleaseInstance();
    // The instance, or null.
    static Orv::RCPtr<LDualUpdater> GetInstance();

    // Run when an update has ended: with success, probes, marks the image done and, when it now
    // reports its target version, defines the other image if it needs an update and starts that
    // update. E_FAIL when the update failed or the image does not report its target version;
    // S_FALSE without an instance or with the sequence switched off; else S_OK.
    static ORVRESULT ProcessUpdateResult(bool succeeded);
    // Index 0: the current image's product id; other indexes and no instance: 0.
    static std::uint32_t GetDeviceProductId(unsigned int index);
    // Switches the sequence off for the run, with the image fixed by the product id (the wheel
    // display's id fixes the wheel-display image; any other the controller image).
    static void UseFixedImage(std::uint32_t productId);
    // Switches the sequence on (the default); the next Rescan chooses the image.
    static void UseImageSequence();

    // The image sequence the engines ask. OnRescan runs first in every Rescan of an engine: on a
    // Rescan that is not part of an automatic restart it probes and chooses the image to start
    // with. GetDeviceName gives, for index 0, the current image's device name (the MIDI port
    // name part of its definition); the sector table is the current image's.
    ORVRESULT OnRescan() override;
    Orv::WString GetDeviceName(unsigned int index) const override;
    unsigned int GetSectorCount() const override;
    bool LookupSector(unsigned int index, std::uint32_t& address) const override;

    Image GetCurrentImage() const;
    bool IsSequenceOn() const { return !mFixedImage.load(); }
    bool IsRestartPending() const { return mRestartPending.load(); }
    bool IsDone(Image image) const;
    // The result of the last probe.
    const ProbeResult& GetProbeResult() const { return mProbe; }

    Orv::WString ToString() const override;

    ~LDualUpdater() override;

private:
    LDualUpdater();

    // Reads the versions and modes of both parts from the bus with the probe engine.
    void Probe();
    ORVRESULT SelectInitialImage();
    // Tells the application's engine the current image's device and file.
    void DefineDeviceAndFile();
    ORVRESULT SelectImage(bool succeeded);
    // Counts the devices that a probe definition finds; the version of the one found.
    unsigned int ProbeFor(std::uint32_t vendorId, std::uint32_t productId,
                          LUpdateEngineInterface::VersionInfo* version);

    ProbeResult mProbe;
    Orv::RCPtr<LUpdateEngine> mProbeEngine;
    std::atomic<bool> mControllerSelected{true};
    std::atomic<bool> mRestartPending{false};
    bool mControllerDone = false;
    bool mWheelDisplayDone = false;
    std::atomic<bool> mFixedImage{false};
};
