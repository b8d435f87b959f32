#include "platform/SetupApi.h"

#include "UsbBackend.h"
#include "platform/HandleTable.h"
#include "platform/Kernel.h"

#include <cstddef>
#include <cstring>
#include <memory>

namespace
{
using OrvPlatform::UsbDeviceRecord;

// {36FC9E60-C465-11CF-8056-444553540000}: the setup class of USB devices.
constexpr GUID kUsbDeviceClass = {
    0x36FC9E60u, 0xC465u, 0x11CFu, {0x80u, 0x56u, 0x44u, 0x45u, 0x53u, 0x54u, 0x00u, 0x00u}};

// The devices present when the set was made.
struct DeviceInfoSetObject : OrvPlatform::HandleObject
{
    static constexpr Kind kKind = Kind::DeviceInfoSet;

    DeviceInfoSetObject()
        : HandleObject(kKind)
    {
    }

    std::vector<UsbDeviceRecord> devices;
};

std::shared_ptr<DeviceInfoSetObject> FindSet(HDEVINFO handle)
{
    return OrvPlatform::FindHandleObject<DeviceInfoSetObject>(handle);
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The device an SP_DEVINFO_DATA or SP_DEVICE_INTERFACE_DATA of the set names (Reserved holds
// its index + 1); null when it names none.
const UsbDeviceRecord* DeviceOf(const DeviceInfoSetObject& set, ULONG_PTR reserved)
{
    if (reserved == 0 || reserved > set.devices.size())
    {
        return nullptr;
    }
    return &set.devices[reserved - 1];
}
} // namespace

HDEVINFO SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent,
                              DWORD Flags)
{
    (void)hwndParent;
    if ((Flags & DIGCF_DEVICEINTERFACE) == 0 || Enumerator != nullptr ||
        (ClassGuid == nullptr && (Flags & DIGCF_ALLCLASSES) == 0))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto set = std::make_shared<DeviceInfoSetObject>();
    if (ClassGuid == nullptr || *ClassGuid == GUID_DEVINTERFACE_USB_DEVICE)
    {
        set->devices = OrvPlatform::UsbBackend::Current().Enumerate();
    }
    return OrvPlatform::InsertHandle(std::move(set));
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
{
    if (!OrvPlatform::RemoveHandle(DeviceInfoSet, DeviceInfoSetObject::kKind))
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return TRUE;
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                 const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                 PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData)
{
    const auto set = FindSet(DeviceInfoSet);
    if (!set)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (InterfaceClassGuid == nullptr || DeviceInterfaceData == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
    {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    std::size_t index = MemberIndex;
    if (DeviceInfoData != nullptr)
    {
        if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
        {
            return Fail(ERROR_INVALID_USER_BUFFER);
        }
        if (DeviceOf(*set, DeviceInfoData->Reserved) == nullptr)
        {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        if (MemberIndex != 0)
        {
            return Fail(ERROR_NO_MORE_ITEMS);
        }
        index = DeviceInfoData->Reserved - 1;
    }
    if (!(*InterfaceClassGuid == GUID_DEVINTERFACE_USB_DEVICE) || index >= set->devices.size())
    {
        return Fail(ERROR_NO_MORE_ITEMS);
    }
    DeviceInterfaceData->InterfaceClassGuid = GUID_DEVINTERFACE_USB_DEVICE;
    DeviceInterfaceData->Flags = SPINT_ACTIVE;
    DeviceInterfaceData->Reserved = index + 1;
    return TRUE;
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet,
                                      PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                      DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                      PSP_DEVINFO_DATA DeviceInfoData)
{
    const auto set = FindSet(DeviceInfoSet);
    if (!set)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (DeviceInterfaceData == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
    {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    const UsbDeviceRecord* device = DeviceOf(*set, DeviceInterfaceData->Reserved);
    if (device == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInfoData != nullptr && DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
    {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    const DWORD required =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (device->path.size() + 1) * sizeof(WCHAR));
    if (RequiredSize != nullptr)
    {
        *RequiredSize = required;
    }
    if (DeviceInterfaceDetailData == nullptr)
    {
        return Fail(DeviceInterfaceDetailDataSize == 0 ? ERROR_INSUFFICIENT_BUFFER
                                                       : ERROR_INVALID_USER_BUFFER);
    }
    if (DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
    {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    if (DeviceInterfaceDetailDataSize < required)
    {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(DeviceInterfaceDetailData->DevicePath, device->path.c_str(),
                (device->path.size() + 1) * sizeof(WCHAR));
    if (DeviceInfoData != nullptr)
    {
        DeviceInfoData->ClassGuid = kUsbDeviceClass;
        DeviceInfoData->DevInst = static_cast<DWORD>(DeviceInterfaceData->Reserved);
        DeviceInfoData->Reserved = DeviceInterfaceData->Reserved;
    }
    return TRUE;
}

BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                       DWORD Property, PDWORD PropertyRegDataType,
                                       PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                       PDWORD RequiredSize)
{
    const auto set = FindSet(DeviceInfoSet);
    if (!set)
    {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (DeviceInfoData == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA))
    {
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    const UsbDeviceRecord* device = DeviceOf(*set, DeviceInfoData->Reserved);
    if (device == nullptr)
    {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (Property != SPDRP_HARDWAREID)
    {
        return Fail(ERROR_INVALID_DATA);
    }
    const std::wstring ids =
        OrvPlatform::MakeUsbHardwareIds(device->vendorId, device->productId, device->bcdDevice);
    const DWORD required = static_cast<DWORD>(ids.size() * sizeof(WCHAR));
    if (RequiredSize != nullptr)
    {
        *RequiredSize = required;
    }
    if (PropertyRegDataType != nullptr)
    {
        *PropertyRegDataType = REG_MULTI_SZ;
    }
    if (PropertyBuffer == nullptr || PropertyBufferSize < required)
    {
        return Fail(PropertyBuffer == nullptr && PropertyBufferSize != 0
                        ? ERROR_INVALID_PARAMETER
                        : ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(PropertyBuffer, ids.data(), required);
    return TRUE;
}
