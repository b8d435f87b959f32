#include "platform/SimulatedFirmwareImage.h"

#include <array>

namespace OrvPlatform
{
namespace
{
// The simulated devices keep a CRC-32 of their own on purpose: they check what the updater and
// the tools write without sharing their code, so a fault there cannot hide itself.
const std::array<std::uint32_t, 256>& CrcTable()
{
    static const std::array<std::uint32_t, 256> table = []
    {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i)
        {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
            {
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    return table;
}

void Put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
    {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

constexpr std::uint8_t kMagic[4] = {'O', 'R', 'V', 'F'};
constexpr std::size_t kCrcOffset = SimulatedFirmwareImage::kRecordOffset + 12;

// CRC of the image with the CRC field read as zero.
std::uint32_t ImageCrc(const std::uint8_t* data, std::size_t length)
{
    static const std::uint8_t zeros[4] = {0, 0, 0, 0};
    std::uint32_t crc = SimulatedFirmwareImage::Crc32(data, kCrcOffset);
    crc = SimulatedFirmwareImage::Crc32(zeros, 4, crc);
    return SimulatedFirmwareImage::Crc32(data + kCrcOffset + 4, length - kCrcOffset - 4, crc);
}
} // namespace

std::uint32_t SimulatedFirmwareImage::Crc32(const std::uint8_t* data, std::size_t length,
                                            std::uint32_t crc)
{
    const auto& table = CrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i)
    {
        crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    }
    return ~crc;
}

void SimulatedFirmwareImage::Stamp(std::vector<std::uint8_t>& image, std::uint16_t version)
{
    if (image.size() < kMinimumImageSize)
    {
        image.resize(kMinimumImageSize, 0xFF);
    }
    std::uint8_t* record = image.data() + kRecordOffset;
    for (int i = 0; i < 4; ++i)
    {
        record[i] = kMagic[i];
    }
    Put16(record + 4, version);
    Put16(record + 6, 0);
    Put32(record + 8, static_cast<std::uint32_t>(image.size()));
    Put32(record + 12, 0);
    Put32(record + 12, ImageCrc(image.data(), image.size()));
}

bool SimulatedFirmwareImage::ReadVersion(const std::uint8_t* data, std::size_t available,
                                         std::uint16_t& version)
{
    if (data == nullptr || available < kMinimumImageSize)
    {
        return false;
    }
    const std::uint8_t* record = data + kRecordOffset;
    for (int i = 0; i < 4; ++i)
    {
        if (record[i] != kMagic[i])
        {
            return false;
        }
    }
    const std::uint32_t length = Get32(record + 8);
    if (length < kMinimumImageSize || length > available)
    {
        return false;
    }
    if (ImageCrc(data, length) != Get32(record + 12))
    {
        return false;
    }
    version = static_cast<std::uint16_t>(record[4] | record[5] << 8);
    return true;
}

std::vector<std::uint8_t> SimulatedFirmwareImage::Make(std::uint16_t version, std::size_t size)
{
    std::vector<std::uint8_t> image(size < kMinimumImageSize ? kMinimumImageSize : size);
    std::uint32_t state = 0x2545F491u ^ version;
    for (auto& byte : image)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    Stamp(image, version);
    return image;
}
} // namespace OrvPlatform
