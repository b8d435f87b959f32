#include "UsbDescriptors.h"

#include <iterator>

namespace OrvTest
{
const char* const kDfuSeMemoryLayout =
    "@Internal Flash  /0x08000000/02*016Ka,02*016Kg,01*064Kg,07*128Kg";

namespace
{
constexpr std::uint8_t kDeviceType = 1;
constexpr std::uint8_t kConfigurationType = 2;
constexpr std::uint8_t kStringType = 3;
constexpr std::uint8_t kInterfaceType = 4;
constexpr std::uint8_t kEndpointType = 5;
constexpr std::uint8_t kDfuFunctionalType = 0x21;
constexpr std::uint8_t kClassSpecificInterface = 0x24;
constexpr std::uint8_t kClassSpecificEndpoint = 0x25;

std::uint8_t Low(unsigned value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t High(unsigned value)
{
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::vector<std::uint8_t> Device(std::uint8_t deviceClass, std::uint16_t vendorId,
                                 std::uint16_t productId, std::uint16_t bcdDevice)
{
    return {18,
            kDeviceType,
            0x00,
            0x02, // USB 2.0
            deviceClass,
            0x00,
            0x00,
            64,
            Low(vendorId),
            High(vendorId),
            Low(productId),
            High(productId),
            Low(bcdDevice),
            High(bcdDevice),
            1,
            2,
            3,  // manufacturer, product, serial number
            1}; // one configuration
}

// The configuration descriptor in front of the interfaces, with its total length filled in.
std::vector<std::uint8_t> Configuration(std::uint8_t interfaces, std::uint8_t attributes,
                                        const std::vector<std::uint8_t>& rest)
{
    const unsigned total = 9 + static_cast<unsigned>(rest.size());
    const std::uint8_t head[] = {9, kConfigurationType, Low(total), High(total), interfaces, 1,
                                 0, attributes,         50}; // 100 mA
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    bytes.assign(std::begin(head), std::end(head));
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}
} // namespace

UsbDescriptors UsbDescriptors::Bootloader(std::uint16_t vendorId, std::uint16_t productId,
                                          std::uint16_t bcdDevice)
{
    UsbDescriptors d;
    d.device = Device(0x00, vendorId, productId, bcdDevice);
    d.configuration =
        Configuration(1, 0xC0, // self powered
                      {9, kInterfaceType, 0, 0, 0, 0xFE, 0x01, 0x02, 4,
                       // bmAttributes: will detach, can upload, can download; wDetachTimeout 255
                       // ms; wTransferSize 2048; bcdDFUVersion 1.1a (DfuSe)
                       9, kDfuFunctionalType, 0x0B, 0xFF, 0x00, Low(2048), High(2048), 0x1A, 0x01});
    d.strings = {"Halvex DJ", "DfuSe bootloader", "000000000001", kDfuSeMemoryLayout};
    return d;
}

UsbDescriptors UsbDescriptors::NormalMode(std::uint16_t vendorId, std::uint16_t productId,
                                          std::uint16_t bcdDevice)
{
    UsbDescriptors d;
    d.device = Device(0x00, vendorId, productId, bcdDevice);
    d.configuration =
        Configuration(2, 0x80, // bus powered
                      {        // audio control, with its header naming the streaming interface
                       9, kInterfaceType, 0, 0, 0, 0x01, 0x01, 0x00, 0, //
                       9, kClassSpecificInterface, 0x01, 0x00, 0x01, 9, 0, 1, 1,
                       // MIDI streaming, its header (no jacks), a bulk endpoint each way
                       9, kInterfaceType, 1, 0, 2, 0x01, 0x03, 0x00, 0,                    //
                       7, kClassSpecificInterface, 0x01, 0x00, 0x01, 7 + 9 + 5 + 9 + 5, 0, //
                       9, kEndpointType, 0x01, 0x02, 64, 0, 0, 0, 0,                       //
                       5, kClassSpecificEndpoint, 0x01, 0, 0,                              //
                       9, kEndpointType, 0x81, 0x02, 64, 0, 0, 0, 0,                       //
                       5, kClassSpecificEndpoint, 0x01, 0, 0});
    d.strings = {"Halvex DJ", "Brelune VANTA", "000000000002"};
    return d;
}

UsbDescriptors UsbDescriptors::RootHub()
{
    UsbDescriptors d;
    d.device = Device(0x09, 0x1D6B, 0x0002, 0x0601);
    d.configuration = Configuration(1, 0xE0,
                                    {9, kInterfaceType, 0, 0, 1, 0x09, 0, 0, 0, //
                                     7, kEndpointType, 0x81, 0x03, 4, 0, 12});
    d.strings = {"Linux xhci-hcd", "xHCI Host Controller", "0000:00:14.0"};
    return d;
}

bool UsbDescriptors::IsDfu() const
{
    return configuration.size() > 9 + 5 && configuration[9 + 5] == 0xFE;
}

bool UsbDescriptors::Answer(std::uint16_t value, std::uint16_t length,
                            std::vector<std::uint8_t>& answer) const
{
    const std::uint8_t type = High(value);
    const std::uint8_t index = Low(value);
    if (type == kDeviceType && index == 0)
    {
        answer = device;
    }
    else if (type == kConfigurationType && index == 0)
    {
        answer = configuration;
    }
    else if (type == kStringType && index == 0)
    {
        answer = {4, kStringType, 0x09, 0x04}; // US English
    }
    else if (type == kStringType && index <= strings.size())
    {
        const std::string& text = strings[index - 1u];
        answer = {static_cast<std::uint8_t>(2 + 2 * text.size()), kStringType};
        for (char c : text)
        {
            answer.push_back(static_cast<std::uint8_t>(c));
            answer.push_back(0);
        }
    }
    else
    {
        return false;
    }
    if (answer.size() > length)
    {
        answer.resize(length);
    }
    return true;
}
} // namespace OrvTest
