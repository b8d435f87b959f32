// A whole update through the platform layer's calls against the simulated devices, with an
// image made by the DfuSe writer: the update-mode message on the MIDI port, the bootloader found
// with SetupAPI, erase and write with DFU requests over WinUSB, manifestation, and the device
// back in normal mode with the image's version.
#include "DfuSeWriter.h"
#include "platform/Kernel.h"
#include "platform/Midi.h"
#include "platform/SetupApi.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"
#include "platform/WinUsb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace OrvPlatform;

namespace
{
struct Device
{
    std::wstring path;
    std::wstring hardwareId; // the first string
};

std::vector<Device> Present()
{
    std::vector<Device> devices;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
    {
        return devices;
    }
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD i = 0;
         SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, i, &data); ++i)
    {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
        std::vector<std::uint8_t> detail(size);
        auto* d = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail.data());
        d->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof(info);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &data, d, size, nullptr, &info))
        {
            break;
        }
        wchar_t ids[256] = {};
        SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, nullptr,
                                          reinterpret_cast<PBYTE>(ids), sizeof(ids), nullptr);
        devices.push_back({d->DevicePath, ids});
    }
    SetupDiDestroyDeviceInfoList(set);
    return devices;
}

// Waits for a device whose hardware id starts with the text.
bool WaitForDevice(const std::wstring& prefix, Device& found)
{
    for (int i = 0; i < 2000; ++i)
    {
        for (const auto& device : Present())
        {
            if (device.hardwareId.rfind(prefix, 0) == 0)
            {
                found = device;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

struct DoneLight
{
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    static void CALLBACK Proc(HANDLE, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR)
    {
        if (message == MOM_DONE)
        {
            auto* self = reinterpret_cast<DoneLight*>(instance);
            std::lock_guard lock(self->mutex);
            self->done = true;
            self->changed.notify_all();
        }
    }
};

class Dfu
{
public:
    explicit Dfu(WINUSB_INTERFACE_HANDLE usb)
        : mUsb(usb)
    {
    }
    bool Download(USHORT block, std::vector<std::uint8_t> data)
    {
        WINUSB_SETUP_PACKET setup{0x21, 1, block, 0, static_cast<USHORT>(data.size())};
        ULONG n = 0;
        return WinUsb_ControlTransfer(mUsb, setup, data.data(), static_cast<ULONG>(data.size()), &n,
                                      nullptr) != FALSE;
    }
    // GETSTATUS until the device is no longer busy; its state, or -1.
    int Settle()
    {
        for (int i = 0; i < 100; ++i)
        {
            std::uint8_t status[6] = {};
            WINUSB_SETUP_PACKET setup{0xA1, 3, 0, 0, 6};
            ULONG n = 0;
            if (!WinUsb_ControlTransfer(mUsb, setup, status, 6, &n, nullptr) || n != 6)
            {
                return -1;
            }
            if (status[4] != 4)
            {
                return status[4];
            }
        }
        return -1;
    }
    bool Command(std::uint8_t code, std::uint32_t address)
    {
        return Download(0, {code, std::uint8_t(address), std::uint8_t(address >> 8),
                            std::uint8_t(address >> 16), std::uint8_t(address >> 24)}) &&
               Settle() == 5;
    }

private:
    WINUSB_INTERFACE_HANDLE mUsb;
};

std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}
} // namespace

TEST(SimulatedUpdate, AnImageFromTheWriterUpdatesTheWheelDisplay)
{
    SimulatedDevices::Activate();
    SimulatedDevices::Reset();
    auto config = SimulatedUnitConfig::WheelDisplay(0x0040);
    config.updateModeDelay = Milliseconds(20);
    config.resetDelay = Milliseconds(20);
    config.timings = {Milliseconds(1), Milliseconds(0), Milliseconds(0), Milliseconds(2)};
    auto unit = SimulatedDevices::AddUnit(config);

    // The image file: 100000 bytes at the application start, version 00.50.
    OrvTools::DfuSeImage image;
    image.address = kSimulatedApplicationStart;
    image.data = SimulatedFirmwareImage::Make(0x0050, 100000);
    const auto file = OrvTools::DfuSeWriter::Build(image);

    // 1. The update-mode message on the port named by the device.
    UINT id = 0;
    for (; id < midiOutGetNumDevs(); ++id)
    {
        MIDIOUTCAPSW caps{};
        midiOutGetDevCapsW(id, &caps, sizeof(caps));
        if (std::wstring(caps.szPname) == L"Halvex DJ Brelune VANTA WD")
        {
            break;
        }
    }
    ASSERT_LT(id, midiOutGetNumDevs());
    DoneLight light;
    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, id, reinterpret_cast<DWORD_PTR>(&DoneLight::Proc),
                          reinterpret_cast<DWORD_PTR>(&light), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<std::uint8_t> message = UpdateModeMessage();
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(message.data());
    header.dwBufferLength = header.dwBytesRecorded = static_cast<DWORD>(message.size());
    ASSERT_EQ(midiOutPrepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    {
        std::unique_lock lock(light.mutex);
        ASSERT_TRUE(
            light.changed.wait_for(lock, std::chrono::seconds(5), [&] { return light.done; }));
    }
    EXPECT_EQ(midiOutUnprepareHeader(out, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);

    // 2. The bootloader appears.
    Device bootloader;
    ASSERT_TRUE(WaitForDevice(L"USB\\VID_0483&PID_DF11&REV_2200", bootloader));
    HANDLE handle = CreateFileW(bootloader.path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    WINUSB_INTERFACE_HANDLE usb = nullptr;
    ASSERT_TRUE(WinUsb_Initialize(handle, &usb));
    Dfu dfu(usb);

    // 3. Erase the sectors the element covers, then write it in 2048-byte blocks; the short
    //    last block goes out as block 2 after a new address pointer.
    const std::uint32_t address = Read32(file, 285);
    const std::uint32_t size = Read32(file, 289);
    ASSERT_EQ(size, 100000u);
    for (const auto& sector : SimulatedFlashSectors())
    {
        if (sector.address < address + size && sector.address + sector.size > address)
        {
            ASSERT_TRUE(dfu.Command(0x41, sector.address));
        }
    }
    const std::uint32_t blocks = (size + 2047) / 2048;
    std::uint32_t anchor = 0;
    ASSERT_TRUE(dfu.Command(0x21, address));
    for (std::uint32_t i = 0; i < blocks; ++i)
    {
        const std::uint32_t length = std::min<std::uint32_t>(2048, size - i * 2048);
        if (length < 2048 && i > 0)
        {
            ASSERT_TRUE(dfu.Command(0x21, address + i * 2048));
            anchor = i;
        }
        const auto from = file.begin() + 293 + i * 2048;
        ASSERT_TRUE(dfu.Download(static_cast<USHORT>(i - anchor + 2),
                                 std::vector<std::uint8_t>(from, from + length)));
        ASSERT_EQ(dfu.Settle(), 5) << "block " << i;
    }
    EXPECT_EQ(unit->ReadFlash(address, size), image.data);

    // 4. The address pointer back at the image's start, where the bootloader jumps when it
    //    leaves DFU mode; a zero-length download manifests; the device comes back with the new
    //    version.
    ASSERT_TRUE(dfu.Command(0x21, address));
    ASSERT_TRUE(dfu.Download(0, {}));
    EXPECT_EQ(dfu.Settle(), 7); // dfuMANIFEST
    EXPECT_TRUE(WinUsb_Free(usb));
    EXPECT_TRUE(CloseHandle(handle));
    Device normal;
    ASSERT_TRUE(WaitForDevice(L"USB\\VID_7A5E&PID_B010", normal));
    EXPECT_EQ(normal.hardwareId, L"USB\\VID_7A5E&PID_B010&REV_0050");
    EXPECT_EQ(midiOutGetNumDevs(), 1u);
    SimulatedDevices::Reset();
}

// Run in a child process with ORV_SIMULATED_DEVICES set (see below); skipped otherwise.
TEST(SimulatedEnvironmentChild, TheDescribedUnitsAreTheProcesssDevices)
{
    if (std::getenv(SimulatedDevices::kEnvironmentVariable) == nullptr)
    {
        GTEST_SKIP() << "runs only in the child process of the environment test";
    }
    ASSERT_TRUE(SimulatedDevices::IsActive());
    const auto devices = Present();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].hardwareId, L"USB\\VID_7A5E&PID_8010&REV_0030");
    EXPECT_EQ(devices[1].hardwareId, L"USB\\VID_0483&PID_DF11&REV_2200");
    ASSERT_EQ(midiOutGetNumDevs(), 1u);
    MIDIOUTCAPSW caps{};
    ASSERT_EQ(midiOutGetDevCapsW(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, L"Halvex DJ Brelune VANTA");
}

TEST(SimulatedEnvironment, TheVariableSelectsTheSimulatedDevicesForTheProcess)
{
    const std::string dir = ::testing::TempDir();
    const std::string good = dir + "orv_env_good.txt";
    const std::string bad = dir + "orv_env_bad.txt";
    {
        std::ofstream(good) << "device=controller version=00.30\n"
                               "device=wheel-display version=00.40 mode=bootloader\n";
        std::ofstream(bad) << "device=controller version=zero\n";
    }
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    const std::string run = std::string("ORV_SIMULATED_DEVICES=") + good + " " + self +
                            " --gtest_filter=SimulatedEnvironmentChild.* > /dev/null 2>&1";
    EXPECT_EQ(std::system(run.c_str()), 0);

    // A bad file is refused with a clear error, and nothing is activated.
    ASSERT_EQ(setenv(SimulatedDevices::kEnvironmentVariable, bad.c_str(), 1), 0);
    std::string error;
    EXPECT_FALSE(SimulatedDevices::ActivateFromEnvironment(error));
    EXPECT_EQ(error, "ORV_SIMULATED_DEVICES: " + bad +
                         ":1: bad version 'zero' (four "
                         "hexadecimal digits, as 00.31)");
    ASSERT_EQ(setenv(SimulatedDevices::kEnvironmentVariable, good.c_str(), 1), 0);
    SimulatedDevices::Deactivate();
    SimulatedDevices::Reset();
    EXPECT_TRUE(SimulatedDevices::ActivateFromEnvironment(error));
    EXPECT_TRUE(SimulatedDevices::IsActive());
    EXPECT_EQ(SimulatedDevices::Units().size(), 2u);
    unsetenv(SimulatedDevices::kEnvironmentVariable);
    EXPECT_FALSE(SimulatedDevices::ActivateFromEnvironment(error));
    EXPECT_TRUE(error.empty());
    SimulatedDevices::Reset();
    std::remove(good.c_str());
    std::remove(bad.c_str());
}
