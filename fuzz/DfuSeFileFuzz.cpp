// Fuzz target of the DfuSe file reader. The reader opens a path, so each input is written to a
// scratch file first.
//
// Input: one mode byte, then the file. Mode bit 0 set: the suffix CRC is recomputed over the file
// before it is written, so that mutations get past the CRC to the checks of the prefix, the target
// and the element. Bits 1 and 2 choose the block size (2048 as the download uses, 1024, 5, 1).
//
// What must hold: a refused file has a reason and gives no block and no command; an accepted one
// has its element between the target prefix and the suffix, its blocks read back exactly the
// element's bytes in order, and each block's set-address command carries that block's address.
#include "DfuSeFirmwareFile.h"
#include "DfuSeWriter.h"
#include "FuzzSupport.h"

#include <cstring>
#include <vector>

namespace
{
constexpr std::uint16_t kBlockSizes[4] = {2048, 1024, 5, 1};

std::uint32_t Read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

const OrvTest::ScratchFolder& Folder()
{
    static const OrvTest::ScratchFolder folder;
    return folder;
}

void CheckRefused(LDfuSeFirmwareFile& file)
{
    ORV_FUZZ_CHECK(!file.IsValid(), "a refused file is not valid");
    ORV_FUZZ_CHECK(!file.GetRefusal().empty(), "a refused file says why");
    std::uint8_t buffer[2048];
    std::uint16_t length = sizeof(buffer);
    ORV_FUZZ_CHECK(file.ReadBlock(0, buffer, length) == E_INVALIDARG, "no block of a refused file");
    length = sizeof(buffer);
    ORV_FUZZ_CHECK(file.BuildSetAddressCommand(0, buffer, length) == E_INVALIDARG,
                   "no command for a refused file");
}

void CheckAccepted(LDfuSeFirmwareFile& file, const std::vector<std::uint8_t>& bytes,
                   std::uint16_t blockSize)
{
    using F = LDfuSeFirmwareFile;
    ORV_FUZZ_CHECK(file.IsValid() && file.GetRefusal().empty(), "an accepted file is valid");
    ORV_FUZZ_CHECK(bytes.size() >= F::kElementDataOffset + F::kSuffixSize, "room for the header");
    const std::uint32_t address = Read32(&bytes[F::kElementAddressOffset]);
    const std::uint32_t size = Read32(&bytes[F::kElementAddressOffset + 4]);
    ORV_FUZZ_CHECK(file.GetElementAddress() == address && file.GetElementSize() == size,
                   "the element as the file gives it");
    ORV_FUZZ_CHECK(std::uint64_t(F::kElementDataOffset) + size + F::kSuffixSize == bytes.size(),
                   "the element ends where the suffix begins");
    ORV_FUZZ_CHECK(std::uint64_t(address) + size <= 0x100000000ull, "inside the address space");
    ORV_FUZZ_CHECK(OrvTools::DfuSeWriter::SuffixCrc(bytes.data(), bytes.size() - 4) ==
                       Read32(&bytes[bytes.size() - 4]),
                   "the CRC matches");
    const std::uint32_t count = (std::uint64_t(size) + blockSize - 1) / blockSize;
    ORV_FUZZ_CHECK(count <= 0xFFFF && file.GetBlockCount() == count,
                   "the block count covers the element and fits 16 bits");

    std::vector<std::uint8_t> block(blockSize);
    std::size_t at = F::kElementDataOffset;
    for (std::uint32_t index = 0; index < count; ++index)
    {
        const auto blockIndex = static_cast<std::uint16_t>(index);
        std::uint8_t command[8];
        std::uint16_t commandLength = sizeof(command);
        ORV_FUZZ_CHECK(file.BuildSetAddressCommand(blockIndex, command, commandLength) == S_OK &&
                           commandLength == F::kCommandLength,
                       "a set-address command for every block");
        ORV_FUZZ_CHECK(command[0] == F::kSetAddressCommand &&
                           Read32(command + 1) == address + std::uint32_t(blockSize) * index,
                       "the block's address");

        const std::size_t expected =
            std::min<std::size_t>(blockSize, size - (at - F::kElementDataOffset));
        if (expected > 1)
        {
            std::uint16_t tooSmall = static_cast<std::uint16_t>(expected - 1);
            ORV_FUZZ_CHECK(file.ReadBlock(blockIndex, block.data(), tooSmall) == E_INVALIDARG,
                           "a buffer too small for the block is refused");
        }
        std::uint16_t length = blockSize;
        ORV_FUZZ_CHECK(file.ReadBlock(blockIndex, block.data(), length) == S_OK,
                       "every block reads");
        ORV_FUZZ_CHECK(length == expected, "whole blocks, then the rest");
        ORV_FUZZ_CHECK(std::memcmp(block.data(), &bytes[at], length) == 0,
                       "the block holds the element's bytes");
        at += length;
    }
    ORV_FUZZ_CHECK(at == F::kElementDataOffset + size, "the blocks cover the element");
    std::uint8_t command[8];
    std::uint16_t commandLength = sizeof(command);
    ORV_FUZZ_CHECK(file.BuildSetAddressCommand(static_cast<std::uint16_t>(count), command,
                                               commandLength) == E_INVALIDARG,
                   "no command past the last block");
    std::uint16_t length = blockSize;
    ORV_FUZZ_CHECK(file.ReadBlock(static_cast<std::uint16_t>(count), block.data(), length) ==
                       E_INVALIDARG,
                   "no block past the last");
    commandLength = sizeof(command);
    ORV_FUZZ_CHECK(file.BuildEraseCommand(address, command, commandLength) == S_OK &&
                       command[0] == F::kEraseCommand && Read32(command + 1) == address,
                   "the erase command");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    const std::uint8_t mode = data[0];
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if ((mode & 1) != 0 && bytes.size() >= 4)
    {
        const std::uint32_t crc = OrvTools::DfuSeWriter::SuffixCrc(bytes.data(), bytes.size() - 4);
        for (int i = 0; i < 4; ++i)
        {
            bytes[bytes.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
        }
    }
    const std::uint16_t blockSize = kBlockSizes[(mode >> 1) & 3];
    Folder().Write("image.dfu", bytes.data(), bytes.size());

    Orv::RCPtr<LDfuSeFirmwareFile> file = LDfuSeFirmwareFile::Create();
    const ORVRESULT opened =
        file->Open(Orv::WString(Folder().File("image.dfu").c_str()), blockSize);
    if (opened == S_OK)
    {
        CheckAccepted(*file, bytes, blockSize);
    }
    else
    {
        ORV_FUZZ_CHECK(opened == E_FAIL, "refused with E_FAIL");
        CheckRefused(*file);
    }
    file->Close();
    ORV_FUZZ_CHECK(!file->IsValid(), "closed");
    return 0;
}
