// Finding the devices of the engine's definitions among the present USB devices, in normal mode
// or in DFU mode, with the device installation services (SetupAPI).
#include "UpdateEngine.h"

#include "platform/SimulatedDevices.h"

#include <cstdio>
#include <vector>

using Orv::ScopedLock;
using Orv::WString;

namespace
{
// A snapshot of the present USB device interfaces, freed when it goes.
class DeviceInfoSet
{
public:
    DeviceInfoSet()
        : mSet(SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
    {
    }
    ~DeviceInfoSet()
    {
        if (IsOpen())
        {
            SetupDiDestroyDeviceInfoList(mSet);
        }
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

    bool IsOpen() const { return mSet != INVALID_HANDLE_VALUE && mSet != nullptr; }
    HDEVINFO Get() const { return mSet; }

private:
    HDEVINFO mSet;
};

// The first string of the device's hardware-id property; empty (and a line on the standard error
// stream) when it cannot be read.
WString ReadHardwareId(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size);
    if (size > 0)
    {
        // Room for the property and two terminators, whatever the device wrote.
        std::vector<wchar_t> ids(size / sizeof(wchar_t) + 2, L'\0');
        if (SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<PBYTE>(ids.data()), size, nullptr))
        {
            return WString(ids.data());
        }
    }
    const DWORD error = GetLastError();
    Orv::GetDebugOutput().Narrow()
        << "DEBUG: error in GetDeviceRegistryPropertyWStr ("
        << static_cast<int>(HRESULT_FROM_WIN32(error)) << ", " << error << ")" << std::endl;
    return WString();
}

// Calls visit(path, hardware id) for each present USB device interface of the set, in order,
// until visit returns true or the enumeration fails.
template <class Visit>
void ForEachDevice(HDEVINFO set, Visit visit)
{
    for (DWORD index = 0;; ++index)
    {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, index, &data))
        {
            return;
        }
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
        if (size == 0)
        {
            return;
        }
        // Zeroed, aligned, with room for a terminator beyond the reported size.
        std::vector<std::uint64_t> storage(size / sizeof(std::uint64_t) + 2, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof(info);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, &info))
        {
            return;
        }
        const WString path(detail->DevicePath);
        const WString hardwareId = ReadHardwareId(set, info);
        if (visit(path, hardwareId))
        {
            return;
        }
    }
}

// Ids of 0 match nothing.
bool IdsMatch(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t wantedVendorId,
              std::uint32_t wantedProductId)
{
    return wantedVendorId != 0 && wantedProductId != 0 && vendorId == wantedVendorId &&
           productId == wantedProductId;
}

bool ReadIdField(const WString& hardwareId, const WString& upper, const wchar_t* name,
                 std::uint32_t& value)
{
    const int at = upper.Find(WString(name));
    if (at < 0)
    {
        return false;
    }
    const wchar_t* digits = hardwareId.GetBuffer() + at + 4;
    std::uint32_t result = 0;
    for (int i = 0; i < 4; ++i)
    {
        const wchar_t c = digits[i];
        std::uint32_t digit = 0;
        if (c >= L'0' && c <= L'9')
        {
            digit = static_cast<std::uint32_t>(c - L'0');
        }
        else if (c >= L'A' && c <= L'F')
        {
            digit = static_cast<std::uint32_t>(c - L'A' + 10);
        }
        else if (c >= L'a' && c <= L'f')
        {
            digit = static_cast<std::uint32_t>(c - L'a' + 10);
        }
        else
        {
            return false;
        }
        result = (result << 4) | digit;
    }
    value = result;
    return true;
}
} // namespace

bool LUpdateEngine::ParseUsbIds(const WString& hardwareId, std::uint32_t& vendorId,
                                std::uint32_t& productId)
{
    vendorId = 0;
    productId = 0;
    const WString upper = hardwareId.ToUpper();
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    if (!ReadIdField(hardwareId, upper, L"VID_", vendor) ||
        !ReadIdField(hardwareId, upper, L"PID_", product))
    {
        return false;
    }
    vendorId = vendor;
    productId = product;
    return true;
}

ORVRESULT LUpdateEngine::SetDeviceDefinitions(const Orv::Array<DeviceDefinition>& definitions)
{
    const IUpdateImageSequence* sequence = GetImageSequence().Get();
    const WString name = sequence != nullptr ? sequence->GetDeviceName(0) : WString();
    Orv::Array<DeviceDefinition> named(definitions);
    for (unsigned int i = 0; i < named.GetCount(); ++i)
    {
        named.GetElementPointer(i).texts[DeviceDefinition::kDeviceNameText] = name;
    }
    return LUpdateEngineInterface::SetDeviceDefinitions(named);
}

ORVRESULT LUpdateEngine::ScanDevices()
{
    mAwaitingReset.store(false);
    {
        ScopedLock<Orv::Mutex> guard(mDeviceLock);
        mFoundDevices.RemoveAll();
    }
    DeviceInfoSet set;
    if (!set.IsOpen())
    {
        return E_FAIL;
    }
    const Orv::Array<DeviceDefinition> definitions = GetDefinitions();
    Orv::Array<DeviceDefinitionEx> found;
    for (unsigned int i = 0; i < definitions.GetCount(); ++i)
    {
        DeviceDefinitionEx record(definitions.GetConstElementPointer(i));
        if (SUCCEEDED(SearchDevice(record, set.Get())))
        {
            found.AddItem(record);
        }
    }
    ScopedLock<Orv::Mutex> guard(mDeviceLock);
    mFoundDevices = found;
    return S_OK;
}

ORVRESULT LUpdateEngine::SearchDevice(DeviceDefinitionEx& record, HDEVINFO set)
{
    record.firmwareVersion.text = WString();
    std::unique_ptr<DeviceInfoSet> own;
    if (set == nullptr)
    {
        own = std::make_unique<DeviceInfoSet>();
        if (!own->IsOpen())
        {
            return E_FAIL;
        }
        set = own->Get();
    }
    const DeviceDefinition& definition = record.definition;
    bool found = false;
    ForEachDevice(set,
                  [&](const WString& path, const WString& hardwareId)
                  {
                      std::uint32_t vendorId = 0;
                      std::uint32_t productId = 0;
                      if (!ParseUsbIds(hardwareId, vendorId, productId))
                      {
                          return false;
                      }
                      const bool normal =
                          IdsMatch(vendorId, productId, definition.vendorId, definition.productId);
                      const bool bootloader =
                          IdsMatch(vendorId, productId, definition.bootloaderVendorId,
                                   definition.bootloaderProductId);
                      if (!normal && !bootloader)
                      {
                          return false;
                      }
                      record.bootloaderFound = bootloader;
                      if (bootloader)
                      {
                          record.bootloaderPath = path;
                      }
                      else
                      {
                          record.devicePath = path;
                          record.textB = WString();
                      }
                      ReadVersionFromHardwareId(hardwareId, record);
                      found = true;
                      return true;
                  });
    return found ? S_OK : E_FAIL;
}

ORVRESULT LUpdateEngine::FindBootloader(DeviceDefinitionEx& record)
{
    if (!record.bootloaderPath.IsEmpty())
    {
        return S_FALSE;
    }
    DeviceInfoSet set;
    if (!set.IsOpen())
    {
        return E_FAIL;
    }
    const DeviceDefinition& definition = record.definition;
    bool found = false;
    ForEachDevice(set.Get(),
                  [&](const WString& path, const WString& hardwareId)
                  {
                      std::uint32_t vendorId = 0;
                      std::uint32_t productId = 0;
                      if (ParseUsbIds(hardwareId, vendorId, productId) &&
                          IdsMatch(vendorId, productId, definition.bootloaderVendorId,
                                   definition.bootloaderProductId))
                      {
                          record.bootloaderPath = path;
                          found = true;
                      }
                      return found;
                  });
    return found ? S_OK : E_FAIL;
}

ORVRESULT LUpdateEngine::RescanSelectedDevice()
{
    const int state = GetDeviceState();
    const int selected = GetSelectedIndex();
    DeviceDefinitionEx record;
    if (state <= kDevicesFound || selected < 0 ||
        !GetFoundDevice(static_cast<unsigned int>(selected), record))
    {
        return E_FAIL;
    }
    const ORVRESULT search = SearchDevice(record, nullptr);
    const bool resetting = mAwaitingReset.load();
    // While the device resets after its update, its bootloader on the bus is not its return: it
    // has not reset yet, or it came back without starting its new firmware. Only the device in
    // normal mode ends the wait.
    const bool stillInDfu = resetting && SUCCEEDED(search) && record.bootloaderFound;
    if (FAILED(search) || stillInDfu)
    {
        record.failureReason = kFailureDevice;
    }
    else if (resetting)
    {
        // Back from the reset after its update.
        record.failureReason = kNoFailure;
        ClearLastFailure();
    }
    {
        ScopedLock<Orv::Mutex> guard(mDeviceLock);
        if (static_cast<unsigned int>(selected) < mFoundDevices.GetCount())
        {
            mFoundDevices.GetElementPointer(static_cast<unsigned int>(selected)) = record;
        }
    }
    if (stillInDfu)
    {
        KeepFailureText("Device failure: after the update the device is still in DFU mode: it "
                        "has not started its new firmware");
        return E_FAIL;
    }
    if (FAILED(search))
    {
        if (resetting)
        {
            // Still resetting: the state says so until the device is back or the wait for it
            // ends; the record and the text keep what it fails with if it never comes back.
            KeepFailureText("Device failure: the device has not come back from its reset after "
                            "the update");
            return E_FAIL;
        }
        // Gone: a failure, and said so.
        RecordFailure("Device failure: the device is no longer on the bus");
        SetDeviceState(kDeviceFailed);
        return E_FAIL;
    }
    mAwaitingReset.store(false);
    if (GetUpdateModeSwitchMethod() == kSwitchManually && state == kDeviceSwitching)
    {
        SetDeviceState(record.bootloaderFound ? kDeviceUpdateMode : kDeviceSwitching);
    }
    else
    {
        SetDeviceState(record.bootloaderFound ? kDeviceUpdateMode : kDeviceNormalMode);
    }
    return S_OK;
}

void LUpdateEngine::EndResetWait()
{
    if (!mAwaitingReset.exchange(false))
    {
        LUpdateEngineInterface::EndResetWait();
        return;
    }
    const int selected = GetSelectedIndex();
    DeviceDefinitionEx record;
    if (selected < 0 || !GetFoundDevice(static_cast<unsigned int>(selected), record))
    {
        LUpdateEngineInterface::EndResetWait();
        return;
    }
    const bool found = SUCCEEDED(SearchDevice(record, nullptr));
    record.failureReason = found && !record.bootloaderFound ? kNoFailure : kFailureDevice;
    StoreFoundDevice(selected, record);
    if (found && !record.bootloaderFound)
    {
        ClearLastFailure();
        SetDeviceState(kDeviceNormalMode);
    }
    else if (found)
    {
        RecordFailure("Device failure: after the update the device came back still in DFU mode: "
                      "it did not start its new firmware");
        SetDeviceState(kDeviceUpdateMode);
    }
    else
    {
        RecordFailure("Device failure: the device has not come back from its reset after the "
                      "update");
        SetDeviceState(kDeviceFailed);
    }
}

unsigned int LUpdateEngine::CountPresentDevices(std::uint32_t vendorId, std::uint32_t productId)
{
    DeviceInfoSet set;
    if (!set.IsOpen())
    {
        return 0;
    }
    unsigned int count = 0;
    ForEachDevice(set.Get(),
                  [&](const WString&, const WString& hardwareId)
                  {
                      std::uint32_t foundVendorId = 0;
                      std::uint32_t foundProductId = 0;
                      if (ParseUsbIds(hardwareId, foundVendorId, foundProductId) &&
                          IdsMatch(foundVendorId, foundProductId, vendorId, productId))
                      {
                          ++count;
                      }
                      return false;
                  });
    return count;
}

bool LUpdateEngine::UsesSimulatedDevices()
{
    return OrvPlatform::SimulatedDevices::IsActive();
}
