#include "DfuSeWriter.h"

#include "DfuSeFirmwareFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace OrvTools
{
namespace
{
// Writes little-endian fields into a buffer of the file's size.
class Output
{
public:
    explicit Output(std::size_t size)
        : mBytes(size, 0)
    {
    }
    void Put8(std::uint8_t value) { mBytes[mAt++] = value; }
    void Put16(std::uint16_t value)
    {
        Put8(static_cast<std::uint8_t>(value));
        Put8(static_cast<std::uint8_t>(value >> 8));
    }
    void Put32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
        {
            Put8(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void PutBytes(const void* data, std::size_t length)
    {
        if (length > 0)
        {
            std::memcpy(mBytes.data() + mAt, data, length);
            mAt += length;
        }
    }
    std::size_t Size() const { return mAt; }
    const std::uint8_t* Data() const { return mBytes.data(); }
    std::vector<std::uint8_t> Take() { return std::move(mBytes); }

private:
    std::vector<std::uint8_t> mBytes;
    std::size_t mAt = 0;
};
} // namespace

std::uint32_t DfuSeWriter::SuffixCrc(const std::uint8_t* data, std::size_t length)
{
    // The one the updater checks files with.
    return LDfuSeFirmwareFile::SuffixCrc(data, length);
}

std::vector<std::uint8_t> DfuSeWriter::Build(const DfuSeImage& image)
{
    if (image.targetName.size() > kMaximumNameLength)
    {
        throw std::invalid_argument("DfuSe target name longer than 254 bytes");
    }
    constexpr std::uint64_t kPrefixAndTarget = 11 + 274 + 8;
    if (image.data.size() > 0xFFFFFFFFull - kPrefixAndTarget ||
        std::uint64_t(image.address) + image.data.size() > 0x100000000ull)
    {
        throw std::invalid_argument("DfuSe element too large for its address");
    }
    const auto elementSize = static_cast<std::uint32_t>(image.data.size());
    Output out(kPrefixAndTarget + elementSize + 16);

    out.PutBytes("DfuSe", 5);
    out.Put8(1);
    out.Put32(static_cast<std::uint32_t>(kPrefixAndTarget + elementSize));
    out.Put8(1);

    out.PutBytes("Target", 6);
    out.Put8(image.alternateSetting);
    out.Put32(image.targetName.empty() ? 0 : 1);
    char name[255] = {};
    std::memcpy(name, image.targetName.data(), image.targetName.size());
    out.PutBytes(name, sizeof(name));
    out.Put32(8 + elementSize);
    out.Put32(1);

    out.Put32(image.address);
    out.Put32(elementSize);
    out.PutBytes(image.data.data(), image.data.size());

    out.Put16(image.bcdDevice);
    out.Put16(image.productId);
    out.Put16(image.vendorId);
    out.Put16(0x011A);
    out.PutBytes("UFD", 3);
    out.Put8(16);
    out.Put32(SuffixCrc(out.Data(), out.Size()));
    return out.Take();
}

bool DfuSeWriter::WriteFile(const DfuSeImage& image, const std::string& path, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    try
    {
        bytes = Build(image);
    }
    catch (const std::invalid_argument& e)
    {
        error = e.what();
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        error = path + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        error = path + ": writing failed";
        std::remove(path.c_str());
        return false;
    }
    return true;
}
} // namespace OrvTools
