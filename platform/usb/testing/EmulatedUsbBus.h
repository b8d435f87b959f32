// An emulated USB bus (a umockdev test bed) that shows the project's simulated bus to other
// processes as real hardware: every device on the simulated bus (platform/SimulatedBus.h) is a
// USB device in the test bed's sysfs, with its attributes, its binary descriptors and its device
// node, whose usbdevfs requests the node's handler answers through the simulated unit
// (UsbDevfsDevice). When a unit leaves the simulated bus its device is removed, and when it comes
// back (in the other mode, with other ids) a new device is added, each with its uevent, as the
// kernel does when a device re-enumerates. A root hub sits on the bus too.
//
// A program started with this process's environment after the bus was made (LD_PRELOAD of the
// umockdev library, which umockdev-wrapper sets, and UMOCKDEV_DIR, which the test bed sets) sees
// this bus through libusb. One bus per process at a time.
//
// The test bed is worked on a thread of the bus's own, which follows the simulated bus every
// 2 ms; the simulated units can be used from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _GMainContext GMainContext;

namespace OrvTest
{
class UsbDevfsDevice;

class EmulatedUsbBus
{
public:
    // Whether this process runs with umockdev's library preloaded (under umockdev-wrapper).
    static bool InMockEnvironment();

    EmulatedUsbBus();
    ~EmulatedUsbBus();
    EmulatedUsbBus(const EmulatedUsbBus&) = delete;
    EmulatedUsbBus& operator=(const EmulatedUsbBus&) = delete;

    // Waits until the test bed shows the simulated bus as it is now (5 s at most); false when it
    // did not.
    bool Settle();
    // Whether the device nodes made from now on may be opened by the programs started (as when
    // the udev rule that gives the user the device is installed) or not (mode 000).
    void SetNodesAccessible(bool accessible);
    // The sysfs folder of the test bed (for the test's own checks).
    std::string SysfsRoot() const;
    // The USB devices the test bed holds now, as "vvvv:pppp" with their bcdDevice ("/0031").
    std::vector<std::string> Devices() const;

private:
    struct Mirrored
    {
        std::string sysfsPath;
        std::unique_ptr<UsbDevfsDevice> node;
    };

    void Run();
    void Follow();
    void Add(const std::wstring& path, std::uint16_t vendorId, std::uint16_t productId,
             std::uint16_t bcdDevice);
    void Remove(const std::wstring& key);

    UMockdevTestbed* mTestbed = nullptr;
    GMainContext* mContext = nullptr;
    std::thread mThread;
    std::atomic<bool> mStop{false};
    std::atomic<bool> mAccessible{true};

    // Bus thread only.
    std::map<std::wstring, Mirrored> mMirrored;         // by the simulated path and version
    std::vector<std::unique_ptr<UsbDevfsDevice>> mGone; // kept for programs that still hold them
    unsigned mNextDevnum = 2;
    unsigned mNextPort = 1;
    std::map<std::wstring, unsigned> mPorts; // a unit keeps its port across re-enumerations

    mutable std::mutex mMutex;
    std::condition_variable mFollowed;
    unsigned long mRounds = 0;
    std::vector<std::string> mDevices;
};
} // namespace OrvTest
