// Writes DfuSe files: a prefix, one target with one element (an address and its data), and the
// DFU suffix with its CRC.
//
// Layout (little-endian):
//   prefix  "DfuSe", bVersion 1, DFUImageSize (the file's length without the suffix), bTargets 1
//   target  "Target", bAlternateSetting, bTargetNamed (32-bit), szTargetName (255 bytes),
//           dwTargetSize (the element's 8 bytes + its data), dwNbElements 1
//   element dwElementAddress, dwElementSize, the data
//   suffix  bcdDevice, idProduct, idVendor, bcdDFU 0x011A, "UFD", bLength 16, dwCRC
// dwCRC is the CRC-32 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF, no final XOR)
// of every byte before it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OrvTools
{
struct DfuSeImage
{
    std::uint16_t vendorId = 0x0483;
    std::uint16_t productId = 0xDF11;
    std::uint16_t bcdDevice = 0xFFFF; // any device version
    std::uint8_t alternateSetting = 0;
    std::string targetName; // at most 254 bytes; empty: the target is not named
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

class DfuSeWriter
{
public:
    static constexpr std::size_t kMaximumNameLength = 254;

    // The file's bytes. Throws std::invalid_argument for a name too long or data that does not
    // fit the 32-bit sizes or the address space after the address.
    static std::vector<std::uint8_t> Build(const DfuSeImage& image);

    // Builds and writes the file; false and the error text when it cannot.
    static bool WriteFile(const DfuSeImage& image, const std::string& path, std::string& error);

    // The suffix CRC of the bytes.
    static std::uint32_t SuffixCrc(const std::uint8_t* data, std::size_t length);
};
} // namespace OrvTools
