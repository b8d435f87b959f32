#include "DfuSeFirmwareFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <vector>

namespace
{
std::uint32_t Read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void Write32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

const std::array<std::uint32_t, 256>& CrcTable()
{
    static const std::array<std::uint32_t, 256> table = []
    {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n)
        {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
            {
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    return table;
}

// Reads exactly count bytes at position; false when the file has fewer.
bool ReadExactly(Orv::File& file, void* buffer, unsigned int count, unsigned int position)
{
    return file.Read(buffer, count, position) == static_cast<int>(count);
}
} // namespace

Orv::RCPtr<LDfuSeFirmwareFile> LDfuSeFirmwareFile::Create()
{
    return Orv::RCPtr<LDfuSeFirmwareFile>(new LDfuSeFirmwareFile());
}

std::uint32_t LDfuSeFirmwareFile::SuffixCrc(const std::uint8_t* data, std::size_t length,
                                            std::uint32_t crc)
{
    const auto& table = CrcTable();
    for (std::size_t i = 0; i < length; ++i)
    {
        crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    }
    return crc;
}

Orv::WString LDfuSeFirmwareFile::ToString() const
{
    return Orv::WString(L"LDfuSeFirmwareFile");
}

ORVRESULT LDfuSeFirmwareFile::Open(const Orv::WString& path, std::uint16_t blockSize)
{
    mValid = false;
    mRefusal.clear();
    if (mFile.IsOpen())
    {
        mFile.Close();
    }
    if (path.IsEmpty())
    {
        return Refuse("no file name");
    }
    try
    {
        if (mFile.Open(path, Orv::WString(), Orv::File::kDefault) != S_OK)
        {
            return Refuse("the file cannot be opened");
        }
        return CheckFile(blockSize);
    }
    catch (const std::exception& error)
    {
        return Refuse(std::string("the file cannot be read (") + error.what() + ")");
    }
}

ORVRESULT LDfuSeFirmwareFile::CheckFile(std::uint16_t blockSize)
{
    if (blockSize == 0)
    {
        return Refuse("a block size of 0");
    }
    const long long length = mFile.GetLength();
    constexpr long long kSmallest = kElementDataOffset + kSuffixSize;
    // The largest element whose block count fits 16 bits.
    const long long largest = kSmallest + 0xFFFFll * blockSize;
    if (length < kSmallest)
    {
        return Refuse("too short for a DfuSe file (" + std::to_string(length) + " bytes)");
    }
    if (length > largest)
    {
        return Refuse("too large for a firmware image (" + std::to_string(length) + " bytes)");
    }

    std::uint8_t header[kElementDataOffset];
    if (!ReadExactly(mFile, header, sizeof(header), 0))
    {
        return Refuse("the header cannot be read");
    }
    std::memcpy(mSignature, header, sizeof(mSignature));
    mFormatVersion = header[5];
    mImageSize = Read32(header + 6);
    mTargetCount = header[10];
    if (std::memcmp(mSignature, "DfuSe", 5) != 0)
    {
        return Refuse("not a DfuSe file (no \"DfuSe\" signature)");
    }
    if (mFormatVersion != 1)
    {
        return Refuse("DfuSe format version " + std::to_string(mFormatVersion) +
                      " (only version 1 is known)");
    }

    // The suffix, then the CRC over everything before it: a truncated or damaged file stops
    // here.
    std::uint8_t suffix[kSuffixSize];
    const auto suffixAt = static_cast<unsigned int>(length - kSuffixSize);
    if (!ReadExactly(mFile, suffix, sizeof(suffix), suffixAt))
    {
        return Refuse("the DFU suffix cannot be read");
    }
    if (std::memcmp(suffix + 8, "UFD", 3) != 0 || suffix[11] != kSuffixSize)
    {
        return Refuse("truncated or damaged: it does not end in a DFU suffix");
    }
    std::vector<std::uint8_t> chunk(0x10000);
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto crcLength = static_cast<unsigned int>(length - 4);
    for (unsigned int at = 0; at < crcLength;)
    {
        const unsigned int count =
            std::min<unsigned int>(static_cast<unsigned int>(chunk.size()), crcLength - at);
        if (!ReadExactly(mFile, chunk.data(), count, at))
        {
            return Refuse("the file cannot be read to its end");
        }
        crc = SuffixCrc(chunk.data(), count, crc);
        at += count;
    }
    if (crc != Read32(suffix + 12))
    {
        return Refuse("damaged: the CRC of its DFU suffix does not match its contents");
    }

    if (mTargetCount != 1)
    {
        return Refuse("it holds " + std::to_string(mTargetCount) +
                      " targets (only files with one target are accepted)");
    }
    const std::uint8_t* target = header + kPrefixSize;
    if (std::memcmp(target, "Target", 6) != 0)
    {
        return Refuse("the target prefix has no \"Target\" signature");
    }
    const std::uint32_t targetSize = Read32(target + 266);
    const std::uint32_t elementCount = Read32(target + 270);
    if (elementCount != 1)
    {
        return Refuse("its target holds " + std::to_string(elementCount) +
                      " image elements (only one is accepted)");
    }
    mElementAddress = Read32(header + kElementAddressOffset);
    mElementSize = Read32(header + kElementAddressOffset + 4);
    const long long elementEnd = static_cast<long long>(kElementDataOffset) + mElementSize;
    if (elementEnd + kSuffixSize != length)
    {
        return Refuse("its image element (" + std::to_string(mElementSize) +
                      " bytes) does not end where the DFU suffix begins");
    }
    if (targetSize != 8ull + mElementSize || mImageSize != elementEnd)
    {
        return Refuse("its target and image sizes do not match its image element");
    }
    if (std::uint64_t(mElementAddress) + mElementSize > 0x100000000ull)
    {
        return Refuse("its image element runs past the end of the address space");
    }

    mBlockSize = blockSize;
    mBlockCount =
        static_cast<std::uint16_t>((std::uint64_t(mElementSize) + blockSize - 1) / blockSize);
    mValid = true;
    return S_OK;
}

ORVRESULT LDfuSeFirmwareFile::Refuse(const std::string& reason)
{
    mValid = false;
    mRefusal = reason;
    if (mFile.IsOpen())
    {
        mFile.Close();
    }
    return E_FAIL;
}

void LDfuSeFirmwareFile::Close()
{
    mValid = false;
    if (mFile.IsOpen())
    {
        mFile.Close();
    }
}

std::uint16_t LDfuSeFirmwareFile::BlockLength(std::uint16_t blockIndex) const
{
    const std::uint32_t rest = mElementSize % mBlockSize;
    if (blockIndex + 1u == mBlockCount && rest != 0)
    {
        return static_cast<std::uint16_t>(rest);
    }
    return mBlockSize;
}

ORVRESULT LDfuSeFirmwareFile::BuildSetAddressCommand(std::uint16_t blockIndex, std::uint8_t* buffer,
                                                     std::uint16_t& length) const
{
    if (!mValid || buffer == nullptr || length < kCommandLength || blockIndex >= mBlockCount)
    {
        return E_INVALIDARG;
    }
    buffer[0] = kSetAddressCommand;
    Write32(buffer + 1, mElementAddress + std::uint32_t(mBlockSize) * blockIndex);
    length = kCommandLength;
    return S_OK;
}

ORVRESULT LDfuSeFirmwareFile::BuildEraseCommand(std::uint32_t address, std::uint8_t* buffer,
                                                std::uint16_t& length) const
{
    if (!mValid || buffer == nullptr || length < kCommandLength)
    {
        return E_INVALIDARG;
    }
    buffer[0] = kEraseCommand;
    Write32(buffer + 1, address);
    length = kCommandLength;
    return S_OK;
}

ORVRESULT LDfuSeFirmwareFile::ReadBlock(std::uint16_t blockIndex, std::uint8_t* buffer,
                                        std::uint16_t& length)
{
    if (!mValid || buffer == nullptr || blockIndex >= mBlockCount)
    {
        return E_INVALIDARG;
    }
    const std::uint16_t blockLength = BlockLength(blockIndex);
    if (length < blockLength)
    {
        return E_INVALIDARG;
    }
    const std::uint32_t position = kElementDataOffset + std::uint32_t(mBlockSize) * blockIndex;
    length = blockLength;
    try
    {
        return ReadExactly(mFile, buffer, blockLength, position) ? S_OK : E_FAIL;
    }
    catch (const std::exception&)
    {
        return E_FAIL;
    }
}
