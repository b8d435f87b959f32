// The version record that a firmware image for the simulated units carries, so that a unit
// can tell, after manifestation, which version it now runs.
//
// The record is 16 bytes at offset 0x100 of the image, the image being the application area
// from 0x08008000 on (so an image that starts there carries it at 0x08008100):
//   offset 0   4 bytes  "ORVF"
//   offset 4   2 bytes  the version, as the unit reports it in bcdDevice (00.31 is 0x0031)
//   offset 6   2 bytes  0
//   offset 8   4 bytes  the image length L in bytes, from the image start (at least 0x110)
//   offset 12  4 bytes  CRC-32 (the common reflected 0xEDB88320 polynomial, initial value and
//                       final XOR 0xFFFFFFFF) of the L image bytes, these four taken as 0
// All numbers are little-endian. An image whose record is missing, whose length runs past the
// flash, or whose CRC does not match (for example because blocks were never written) is
// incomplete or corrupt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace OrvPlatform
{
class SimulatedFirmwareImage
{
public:
    static constexpr std::size_t kRecordOffset = 0x100;
    static constexpr std::size_t kRecordSize = 16;
    static constexpr std::size_t kMinimumImageSize = kRecordOffset + kRecordSize;

    // Writes the record into image (grown with 0xFF to kMinimumImageSize when shorter), covering
    // the whole of it.
    static void Stamp(std::vector<std::uint8_t>& image, std::uint16_t version);

    // Reads the record of the image at the start of data (available bytes); true and the
    // version when the image is complete and intact.
    static bool ReadVersion(const std::uint8_t* data, std::size_t available,
                            std::uint16_t& version);

    // Makes an image of the given size (at least kMinimumImageSize) with a deterministic
    // pattern, stamped with the version.
    static std::vector<std::uint8_t> Make(std::uint16_t version, std::size_t size);

    // CRC-32 as used by the record.
    static std::uint32_t Crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0);
};
} // namespace OrvPlatform
