// The flash of the controller and of the wheel display: 1 MB at 0x08000000 in sectors of 16,
// 16, 16, 16 and 64 KB, then 128 KB sectors to the end. The first two sectors hold the
// bootloader; the application starts at 0x08008000.
//
// The image sequence's sector tables list sector start addresses only: the sizes come from here.
// While no sequence supplies a table, the download uses every application sector.
#pragma once

#include <cstdint>
#include <vector>

class FlashLayout
{
public:
    static constexpr std::uint32_t kFlashBase = 0x08000000u;
    static constexpr std::uint32_t kFlashSize = 0x00100000u;
    static constexpr std::uint32_t kApplicationStart = 0x08008000u;

    // The size of the sector that starts at the address; 0 when no sector starts there.
    static std::uint32_t GetSectorSize(std::uint32_t address);
    // The start addresses of the application's sectors, in order.
    static const std::vector<std::uint32_t>& GetApplicationSectors();
};
