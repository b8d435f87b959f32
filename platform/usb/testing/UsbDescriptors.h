// What an emulated USB device shows the host: its device and configuration descriptors (the
// bytes sysfs gives in "descriptors" and the device gives for GET_DESCRIPTOR) and its strings.
//
// The DfuSe bootloader has one configuration with one interface of class FE/01/02 (application
// specific, DFU, DFU mode), its DFU functional descriptor (will detach, can upload and download,
// wTransferSize 2048, DFU 1.1a) and the memory layout of its flash as the interface's string. The
// normal-mode controller is a USB MIDI device: an audio control interface and a MIDI streaming
// interface with a bulk endpoint each way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OrvTest
{
struct UsbDescriptors
{
    std::vector<std::uint8_t> device;        // 18 bytes
    std::vector<std::uint8_t> configuration; // the whole configuration (wTotalLength bytes)
    std::vector<std::string> strings;        // string index 1, 2, ... (index 0 is the language)

    // The bootloader's ids (0483:df11 and its bcdDevice).
    static UsbDescriptors Bootloader(std::uint16_t vendorId, std::uint16_t productId,
                                     std::uint16_t bcdDevice);
    // A device in normal mode with these ids and version.
    static UsbDescriptors NormalMode(std::uint16_t vendorId, std::uint16_t productId,
                                     std::uint16_t bcdDevice);
    // A root hub (no DFU, no MIDI; the host lists none of them).
    static UsbDescriptors RootHub();

    // Whether it is the DFU bootloader (its interface is of class FE).
    bool IsDfu() const;
    // The answer to GET_DESCRIPTOR (type in the high byte of value, index in the low one), cut to
    // length; false when the device has no such descriptor (it stalls).
    bool Answer(std::uint16_t value, std::uint16_t length, std::vector<std::uint8_t>& answer) const;
};

// The flash layout string of the bootloader's interface.
extern const char* const kDfuSeMemoryLayout;
} // namespace OrvTest
