#include "FlashLayout.h"

namespace
{
struct Sector
{
    std::uint32_t address;
    std::uint32_t size;
};

const std::vector<Sector>& AllSectors()
{
    static const std::vector<Sector> sectors = []
    {
        std::vector<Sector> list;
        std::uint32_t address = FlashLayout::kFlashBase;
        for (std::uint32_t size : {0x4000u, 0x4000u, 0x4000u, 0x4000u, 0x10000u})
        {
            list.push_back({address, size});
            address += size;
        }
        while (address < FlashLayout::kFlashBase + FlashLayout::kFlashSize)
        {
            list.push_back({address, 0x20000u});
            address += 0x20000u;
        }
        return list;
    }();
    return sectors;
}
} // namespace

std::uint32_t FlashLayout::GetSectorSize(std::uint32_t address)
{
    for (const Sector& sector : AllSectors())
    {
        if (sector.address == address)
        {
            return sector.size;
        }
    }
    return 0;
}

const std::vector<std::uint32_t>& FlashLayout::GetApplicationSectors()
{
    static const std::vector<std::uint32_t> starts = []
    {
        std::vector<std::uint32_t> list;
        for (const Sector& sector : AllSectors())
        {
            if (sector.address >= kApplicationStart)
            {
                list.push_back(sector.address);
            }
        }
        return list;
    }();
    return starts;
}
