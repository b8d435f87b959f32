#include "EmulatedUsbBus.h"

#include "UsbDevfsDevice.h"

#include "platform/SimulatedBus.h"

#include <umockdev.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace OrvTest
{
namespace
{
constexpr const char* kRootHub = "/sys/devices/pci0000:00/0000:00:14.0/usb1";
constexpr unsigned kBus = 1;
constexpr unsigned kUsbDeviceMajor = 189;
// The ids of the DfuSe bootloader; every other device is shown as a device in normal mode.
constexpr std::uint16_t kBootloaderVendorId = 0x0483;
constexpr std::uint16_t kBootloaderProductId = 0xDF11;

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes)
    {
        std::snprintf(digits, sizeof(digits), "%02X", unsigned(byte));
        text += digits;
    }
    return text;
}

std::string Hex4(unsigned value)
{
    char digits[5];
    std::snprintf(digits, sizeof(digits), "%04x", value & 0xFFFFu);
    return digits;
}

// Without leading zeros, as the kernel writes PRODUCT.
std::string Plain(unsigned value)
{
    char digits[9];
    std::snprintf(digits, sizeof(digits), "%x", value);
    return digits;
}

std::string Three(unsigned value)
{
    char digits[4];
    std::snprintf(digits, sizeof(digits), "%03u", value);
    return digits;
}

// The device node below /dev.
std::string NodeName(unsigned devnum)
{
    return "bus/usb/" + Three(kBus) + "/" + Three(devnum);
}

// A USB device at the sysfs path (below /sys) as umockdev's description format gives it.
std::string Description(const std::string& sysfsPath, const std::string& parent, unsigned devnum,
                        const UsbDescriptors& descriptors)
{
    const auto& d = descriptors.device;
    const unsigned vendorId = d[8] | d[9] << 8;
    const unsigned productId = d[10] | d[11] << 8;
    const unsigned bcdDevice = d[12] | d[13] << 8;
    std::string text = "P: " + sysfsPath.substr(4) + "\n";
    text += "N: " + NodeName(devnum) + "\n";
    text += "E: DEVNAME=/dev/" + NodeName(devnum) + "\n";
    text += "E: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\n";
    text +=
        "E: PRODUCT=" + Plain(vendorId) + "/" + Plain(productId) + "/" + Plain(bcdDevice) + "\n";
    text += "E: BUSNUM=" + Three(kBus) + "\nE: DEVNUM=" + Three(devnum) + "\n";
    text += "A: idVendor=" + Hex4(vendorId) + "\nA: idProduct=" + Hex4(productId) + "\n";
    text += "A: bcdDevice=" + Hex4(bcdDevice) +
            "\nA: bDeviceClass=" + Hex(std::vector<std::uint8_t>{d[4]}) + "\n";
    text += "A: busnum=" + std::to_string(kBus) + "\nA: devnum=" + std::to_string(devnum) + "\n";
    text += "A: speed=" + std::string(parent.empty() ? "480" : "12") + "\n";
    text += "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: bMaxPacketSize0=64\n";
    text += "A: manufacturer=" + descriptors.strings[0] + "\nA: product=" + descriptors.strings[1] +
            "\nA: serial=" + descriptors.strings[2] + "\n";
    text += "A: dev=" + std::to_string(kUsbDeviceMajor) + ":" +
            std::to_string((kBus - 1) * 128 + devnum - 1) + "\n";
    text += "H: descriptors=" + Hex(descriptors.device) + Hex(descriptors.configuration) + "\n";
    return text;
}

// The location part of an interface path ("\\?\usb#vid_..&pid_..#<location>#{guid}").
std::wstring Location(const std::wstring& path)
{
    const auto first = path.find(L'#');
    const auto second = first == std::wstring::npos ? first : path.find(L'#', first + 1);
    const auto third = second == std::wstring::npos ? second : path.find(L'#', second + 1);
    return third == std::wstring::npos ? path : path.substr(second + 1, third - second - 1);
}
} // namespace

bool EmulatedUsbBus::InMockEnvironment()
{
    // What umockdev-wrapper sets (umockdev_in_mock_environment answers only once a test bed
    // exists).
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

EmulatedUsbBus::EmulatedUsbBus()
    : mTestbed(umockdev_testbed_new())
    , mContext(g_main_context_new())
{
    mThread = std::thread([this] { Run(); });
}

EmulatedUsbBus::~EmulatedUsbBus()
{
    mStop = true;
    g_main_context_wakeup(mContext);
    mThread.join();
    mMirrored.clear();
    mGone.clear();
    g_object_unref(mTestbed);
    g_main_context_unref(mContext);
}

void EmulatedUsbBus::Run()
{
    g_main_context_push_thread_default(mContext);
    GError* error = nullptr;
    const std::string hub = Description(kRootHub, std::string(), 1, UsbDescriptors::RootHub());
    if (!umockdev_testbed_add_from_string(mTestbed, hub.c_str(), &error))
    {
        std::fprintf(stderr, "the emulated root hub cannot be made: %s\n", error->message);
        g_error_free(error);
    }
    GSource* tick = g_timeout_source_new(2);
    g_source_set_callback(
        tick,
        [](void* self) -> gboolean
        {
            static_cast<EmulatedUsbBus*>(self)->Follow();
            return G_SOURCE_CONTINUE;
        },
        this, nullptr);
    g_source_attach(tick, mContext);
    Follow();
    while (!mStop)
    {
        g_main_context_iteration(mContext, TRUE);
    }
    g_source_destroy(tick);
    g_source_unref(tick);
    g_main_context_pop_thread_default(mContext);
}

void EmulatedUsbBus::Follow()
{
    std::map<std::wstring, OrvPlatform::SimulatedUsbDeviceInfo> present;
    for (const auto& device : OrvPlatform::SimulatedBus::ListUsbDevices())
    {
        present[device.path + L"/" + std::to_wstring(device.bcdDevice)] = device;
    }
    std::vector<std::wstring> gone;
    for (const auto& [key, mirrored] : mMirrored)
    {
        if (present.count(key) == 0)
        {
            gone.push_back(key);
        }
    }
    for (const auto& key : gone)
    {
        Remove(key);
    }
    for (const auto& [key, device] : present)
    {
        if (mMirrored.count(key) == 0)
        {
            Add(device.path, device.vendorId, device.productId, device.bcdDevice);
        }
    }
    std::vector<std::string> devices;
    for (const auto& [key, device] : present)
    {
        devices.push_back(Hex4(device.vendorId) + ":" + Hex4(device.productId) + "/" +
                          Hex4(device.bcdDevice));
    }
    {
        std::lock_guard lock(mMutex);
        ++mRounds;
        mDevices = devices;
    }
    mFollowed.notify_all();
}

void EmulatedUsbBus::Add(const std::wstring& path, std::uint16_t vendorId, std::uint16_t productId,
                         std::uint16_t bcdDevice)
{
    const std::wstring location = Location(path);
    if (mPorts.count(location) == 0)
    {
        mPorts[location] = mNextPort++;
    }
    const unsigned devnum = mNextDevnum++;
    const std::string sysfsPath =
        std::string(kRootHub) + "/" + std::to_string(kBus) + "-" + std::to_string(mPorts[location]);
    const bool bootloader = vendorId == kBootloaderVendorId && productId == kBootloaderProductId;
    UsbDescriptors descriptors = bootloader
                                     ? UsbDescriptors::Bootloader(vendorId, productId, bcdDevice)
                                     : UsbDescriptors::NormalMode(vendorId, productId, bcdDevice);
    const std::string text = Description(sysfsPath, kRootHub, devnum, descriptors);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(mTestbed, text.c_str(), &error))
    {
        std::fprintf(stderr, "the emulated device cannot be added: %s\n", error->message);
        g_error_free(error);
        return;
    }
    auto node = std::make_unique<UsbDevfsDevice>(path, std::move(descriptors), devnum);
    const std::string devnode = "/dev/" + NodeName(devnum);
    if (!umockdev_testbed_attach_ioctl(mTestbed, devnode.c_str(), node->Handler(), &error))
    {
        std::fprintf(stderr, "no ioctl handler on %s: %s\n", devnode.c_str(), error->message);
        g_error_free(error);
    }
    if (!mAccessible)
    {
        gchar* root = umockdev_testbed_get_root_dir(mTestbed);
        chmod((std::string(root) + devnode).c_str(), 0);
        g_free(root);
    }
    umockdev_testbed_uevent(mTestbed, sysfsPath.c_str(), "add");
    mMirrored[path + L"/" + std::to_wstring(bcdDevice)] = Mirrored{sysfsPath, std::move(node)};
}

void EmulatedUsbBus::Remove(const std::wstring& key)
{
    auto found = mMirrored.find(key);
    Mirrored& mirrored = found->second;
    mirrored.node->MarkGone();
    umockdev_testbed_uevent(mTestbed, mirrored.sysfsPath.c_str(), "remove");
    umockdev_testbed_remove_device(mTestbed, mirrored.sysfsPath.c_str());
    mGone.push_back(std::move(mirrored.node));
    mMirrored.erase(found);
}

bool EmulatedUsbBus::Settle()
{
    std::unique_lock lock(mMutex);
    // Two rounds from now: the first may have begun before the caller's last change.
    const unsigned long target = mRounds + 2;
    return mFollowed.wait_for(lock, std::chrono::seconds(5), [&] { return mRounds >= target; });
}

void EmulatedUsbBus::SetNodesAccessible(bool accessible)
{
    mAccessible = accessible;
}

std::string EmulatedUsbBus::SysfsRoot() const
{
    gchar* dir = umockdev_testbed_get_sys_dir(mTestbed);
    std::string root = dir;
    g_free(dir);
    return root;
}

std::vector<std::string> EmulatedUsbBus::Devices() const
{
    std::lock_guard lock(mMutex);
    return mDevices;
}
} // namespace OrvTest
