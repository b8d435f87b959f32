// The USB back-end over the simulated bus.
#include "UsbBackend.h"
#include "platform/SimulatedBus.h"

namespace OrvPlatform
{
namespace
{
class SimulatedLink : public UsbDeviceLink
{
public:
    explicit SimulatedLink(std::shared_ptr<SimulatedUsbLink> link)
        : mLink(std::move(link))
    {
    }
    DWORD ClaimInterface() override { return mLink->Claim(); }
    void ReleaseInterface() override {}
    DWORD ControlTransfer(const WINUSB_SETUP_PACKET& setup, std::uint8_t* buffer,
                          std::uint32_t& transferred) override
    {
        const SimulatedSetup simulated{setup.RequestType, setup.Request, setup.Value, setup.Index,
                                       setup.Length};
        return mLink->ControlTransfer(simulated, buffer, transferred);
    }

private:
    std::shared_ptr<SimulatedUsbLink> mLink;
};

class SimulatedUsbBackend : public UsbBackend
{
public:
    std::vector<UsbDeviceRecord> Enumerate() override
    {
        std::vector<UsbDeviceRecord> records;
        for (const auto& device : SimulatedBus::ListUsbDevices())
        {
            records.push_back({device.path, device.vendorId, device.productId, device.bcdDevice});
        }
        return records;
    }
    std::unique_ptr<UsbDeviceLink> Open(const std::wstring& path, DWORD& error) override
    {
        auto link = SimulatedBus::OpenUsbDevice(path, error);
        if (!link)
        {
            return nullptr;
        }
        return std::make_unique<SimulatedLink>(std::move(link));
    }
};
} // namespace

UsbBackend& UsbBackend::Simulated()
{
    static SimulatedUsbBackend backend;
    return backend;
}
} // namespace OrvPlatform
