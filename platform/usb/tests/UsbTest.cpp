#include "LibUsbErrors.h"
#include "platform/Kernel.h"
#include "platform/SetupApi.h"
#include "platform/SimulatedDevices.h"
#include "platform/WinUsb.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <string>
#include <vector>

using namespace OrvPlatform;

namespace
{
struct FoundDevice
{
    std::wstring path;
    std::wstring hardwareIds; // the REG_MULTI_SZ with its terminators
};

// Lists the present USB device interfaces as the engine does: sizes first, then the data.
std::vector<FoundDevice> ListDevices()
{
    std::vector<FoundDevice> found;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    if (set == INVALID_HANDLE_VALUE)
    {
        return found;
    }
    for (DWORD index = 0;; ++index)
    {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, index, &data))
        {
            EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
            break;
        }
        DWORD required = 0;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        std::vector<std::uint8_t> buffer(required);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof(info);
        EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, &info));
        FoundDevice device;
        device.path = detail->DevicePath;

        DWORD size = 0;
        EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, nullptr,
                                                       nullptr, 0, &size));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        std::vector<std::uint8_t> ids(size);
        DWORD type = 0;
        EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, &type,
                                                      ids.data(), size, nullptr));
        EXPECT_EQ(type, REG_MULTI_SZ);
        device.hardwareIds.assign(reinterpret_cast<const wchar_t*>(ids.data()),
                                  size / sizeof(wchar_t));
        found.push_back(device);
    }
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return found;
}

std::wstring MultiSz(std::initializer_list<std::wstring> strings)
{
    std::wstring text;
    for (const auto& s : strings)
    {
        text += s;
        text.push_back(L'\0');
    }
    text.push_back(L'\0');
    return text;
}

class SimulatedUsb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
    }
    void TearDown() override { SimulatedDevices::Reset(); }

    // A device whose control transfers time out after 10 ms.
    static std::shared_ptr<SimulatedUnit> AddBootloader()
    {
        auto config = SimulatedUnitConfig::Controller(0x0030);
        config.controlTimeout = Milliseconds(10);
        config.initialMode = SimulatedMode::Bootloader;
        config.timings.eraseTimePer16K = Milliseconds(1);
        config.timings.programTimePerBlock = Milliseconds(0);
        config.timings.commandTime = Milliseconds(0);
        return SimulatedDevices::AddUnit(config);
    }

    // Opens the first listed device and claims its interface.
    static bool OpenFirst(HANDLE& file, WINUSB_INTERFACE_HANDLE& usb)
    {
        const auto devices = ListDevices();
        if (devices.empty())
        {
            return false;
        }
        file = CreateFileW(devices[0].path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
        if (file == INVALID_HANDLE_VALUE)
        {
            return false;
        }
        return WinUsb_Initialize(file, &usb) != FALSE;
    }

    static BOOL Transfer(WINUSB_INTERFACE_HANDLE usb, UCHAR type, UCHAR request, USHORT value,
                         std::vector<std::uint8_t>& data, ULONG* transferred = nullptr)
    {
        WINUSB_SETUP_PACKET setup{type, request, value, 0, static_cast<USHORT>(data.size())};
        ULONG moved = 0;
        const BOOL ok = WinUsb_ControlTransfer(usb, setup, data.data(),
                                               static_cast<ULONG>(data.size()), &moved, nullptr);
        if (transferred != nullptr)
        {
            *transferred = moved;
        }
        return ok;
    }
};
} // namespace

TEST_F(SimulatedUsb, EnumeratesEachDeviceWithItsPathAndHardwareIds)
{
    SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    SimulatedDevices::AddUnit(SimulatedUnitConfig::WheelDisplay(0x0150));
    AddBootloader();
    const auto devices = ListDevices();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].hardwareIds,
              MultiSz({L"USB\\VID_7A5E&PID_8010&REV_0031", L"USB\\VID_7A5E&PID_8010"}));
    EXPECT_EQ(devices[1].hardwareIds,
              MultiSz({L"USB\\VID_7A5E&PID_B010&REV_0150", L"USB\\VID_7A5E&PID_B010"}));
    EXPECT_EQ(devices[2].hardwareIds,
              MultiSz({L"USB\\VID_0483&PID_DF11&REV_2200", L"USB\\VID_0483&PID_DF11"}));
    for (const auto& device : devices)
    {
        EXPECT_EQ(device.path.rfind(L"\\\\?\\usb#vid_", 0), 0u);
        EXPECT_NE(device.path.find(L"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"), std::wstring::npos);
    }
    EXPECT_NE(devices[0].path, devices[1].path);
}

TEST_F(SimulatedUsb, ASetIsASnapshotAndChecksItsArguments)
{
    auto unit = SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    unit->Unplug();
    EXPECT_TRUE(ListDevices().empty());

    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data) - 1;
    EXPECT_FALSE(
        SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 0, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
    data.cbSize = sizeof(data);
    EXPECT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 0, &data));
    EXPECT_FALSE(
        SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 1, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

    // The detail's cbSize is the fixed part's size; a buffer one character short is refused.
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
    std::vector<std::uint8_t> buffer(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = 6;
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required - sizeof(wchar_t),
                                                  nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, &info));
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &info, 0 /* description */, nullptr,
                                                   nullptr, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);

    // Interfaces of another class: none.
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &other, 0, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

    EXPECT_FALSE(CloseHandle(set));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // A destroyed set's handle is never given to a new set.
    HDEVINFO next = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(next, INVALID_HANDLE_VALUE);
    EXPECT_NE(next, set);
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(next));
    EXPECT_FALSE(
        SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 0, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_EQ(SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr, DIGCF_PRESENT),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SimulatedUsb, ControlTransfersInAndOut)
{
    auto unit = AddBootloader();
    HANDLE file = INVALID_HANDLE_VALUE;
    WINUSB_INTERFACE_HANDLE usb = nullptr;
    ASSERT_TRUE(OpenFirst(file, usb));

    // Out: DNLOAD block 0 with the set-address command.
    std::vector<std::uint8_t> command = {0x21, 0x00, 0x80, 0x00, 0x08};
    ULONG transferred = 0;
    ASSERT_TRUE(Transfer(usb, 0x21, 1, 0, command, &transferred));
    EXPECT_EQ(transferred, 5u);
    // In: GETSTATUS, twice.
    std::vector<std::uint8_t> status(6, 0xFF);
    ASSERT_TRUE(Transfer(usb, 0xA1, 3, 0, status, &transferred));
    EXPECT_EQ(transferred, 6u);
    EXPECT_EQ(status, (std::vector<std::uint8_t>{0, 0, 0, 0, 4, 0}));
    ASSERT_TRUE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(status[4], 5); // dfuDNLOAD-IDLE
    // A standard request: the device descriptor, asked for with a longer buffer.
    std::vector<std::uint8_t> descriptor(64);
    ASSERT_TRUE(Transfer(usb, 0x80, 6, 0x0100, descriptor, &transferred));
    ASSERT_EQ(transferred, 18u);
    EXPECT_EQ(descriptor[8] | descriptor[9] << 8, 0x0483);
    EXPECT_EQ(descriptor[10] | descriptor[11] << 8, 0xDF11);
    EXPECT_EQ(descriptor[12] | descriptor[13] << 8, 0x2200);

    const auto log = unit->RequestLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].data, command);

    // The file is a kernel handle: waitable (no I/O pending: signalled), closed by CloseHandle.
    // The interface handle is not one: only WinUsb_Free frees it.
    EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(CloseHandle(usb));
    EXPECT_EQ(WaitForSingleObject(usb, 0), WAIT_FAILED);
    EXPECT_TRUE(WinUsb_Free(usb));
    // A freed interface handle stays dead, also once another interface is claimed.
    WINUSB_INTERFACE_HANDLE again = nullptr;
    ASSERT_TRUE(WinUsb_Initialize(file, &again));
    EXPECT_NE(again, usb);
    EXPECT_FALSE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(WinUsb_Free(usb));
    EXPECT_TRUE(WinUsb_Free(again));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED);
}

TEST_F(SimulatedUsb, FailuresReportTheirErrorCodes)
{
    auto normal = SimulatedDevices::AddUnit(SimulatedUnitConfig::Controller(0x0031));
    HANDLE file = INVALID_HANDLE_VALUE;
    WINUSB_INTERFACE_HANDLE usb = nullptr;
    // The normal-mode interface belongs to the MIDI driver.
    EXPECT_FALSE(OpenFirst(file, usb));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(CloseHandle(file));
    SimulatedDevices::Remove(normal);

    const std::wstring missing =
        L"\\\\?\\usb#vid_0483&pid_df11#sim99#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(CreateFileW(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    auto unit = AddBootloader();
    const std::wstring path = ListDevices().at(0).path;
    EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    unit->AddFault({SimulatedStep::Open, SimulatedFault::Fail});
    EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    ASSERT_TRUE(OpenFirst(file, usb));
    std::vector<std::uint8_t> status(6);
    // A request the state does not allow stalls.
    std::vector<std::uint8_t> none;
    EXPECT_FALSE(Transfer(usb, 0x21, 4, 0, none)); // CLRSTATUS in dfuIDLE
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    // Arguments the call does not take.
    WINUSB_SETUP_PACKET setup{0xA1, 3, 0, 0, 6};
    EXPECT_FALSE(WinUsb_ControlTransfer(usb, setup, status.data(), 5, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(WinUsb_ControlTransfer(usb, setup, status.data(), 6, nullptr,
                                        reinterpret_cast<LPOVERLAPPED>(status.data())));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    // A device slower than the time-out.
    unit->AddFault({SimulatedStep::GetStatusRequest, SimulatedFault::Slow, 1, Milliseconds(30)});
    EXPECT_FALSE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
    // A device that has left the bus.
    unit->Unplug();
    EXPECT_FALSE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    // ... and comes back: the old handles stay dead.
    unit->Plug(SimulatedMode::Bootloader);
    EXPECT_FALSE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    // Closing the file stops its interface handle.
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(Transfer(usb, 0xA1, 3, 0, status));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(WinUsb_Free(usb));
    EXPECT_FALSE(WinUsb_Free(usb));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(RealUsb, WithoutDevicesTheListIsEmptyAndOpeningFails)
{
    SimulatedDevices::Deactivate();
    // Whatever this machine has on its bus, listing works and each entry is well formed.
    for (const auto& device : ListDevices())
    {
        EXPECT_EQ(device.hardwareIds.rfind(L"USB\\VID_", 0), 0u);
        EXPECT_EQ(device.path.rfind(L"\\\\?\\usb#vid_", 0), 0u);
    }
    const std::wstring absent =
        L"\\\\?\\usb#vid_7a5e&pid_8010#99-9#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_EQ(CreateFileW(absent.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(RealUsb, LibUsbErrorsMapToWindowsCodes)
{
    const std::pair<int, DWORD> cases[] = {
        {0, ERROR_SUCCESS},
        {18, ERROR_SUCCESS},
        {LIBUSB_ERROR_PIPE, ERROR_GEN_FAILURE},
        {LIBUSB_ERROR_IO, ERROR_GEN_FAILURE},
        {LIBUSB_ERROR_TIMEOUT, ERROR_SEM_TIMEOUT},
        {LIBUSB_ERROR_NO_DEVICE, ERROR_DEVICE_NOT_CONNECTED},
        {LIBUSB_ERROR_ACCESS, ERROR_ACCESS_DENIED},
        {LIBUSB_ERROR_BUSY, ERROR_ACCESS_DENIED},
        {LIBUSB_ERROR_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {LIBUSB_ERROR_NO_MEM, ERROR_NOT_ENOUGH_MEMORY},
        {LIBUSB_ERROR_INVALID_PARAM, ERROR_INVALID_PARAMETER},
        {LIBUSB_ERROR_NOT_SUPPORTED, ERROR_NOT_SUPPORTED},
    };
    for (const auto& [libusb, windows] : cases)
    {
        EXPECT_EQ(WinErrorFromLibUsb(libusb), windows) << libusb;
    }
}
