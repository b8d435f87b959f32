#include "DfuSeFirmwareFile.h"

#include "FlashLayout.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::uint16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

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

// A file descriptor, closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int descriptor)
        : mDescriptor(descriptor)
    {
    }
    ~Descriptor()
    {
        if (mDescriptor >= 0)
        {
            ::close(mDescriptor);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return mDescriptor; }

private:
    int mDescriptor;
};
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

std::uint32_t LDfuSeFirmwareFile::GetMaximumElementSize()
{
    return FlashLayout::kFlashSize;
}

Orv::WString LDfuSeFirmwareFile::ToString() const
{
    return Orv::WString(L"LDfuSeFirmwareFile");
}

ORVRESULT LDfuSeFirmwareFile::Open(const Orv::WString& path, std::uint16_t blockSize)
{
    Close();
    mRefusal.clear();
    if (path.IsEmpty())
    {
        return Refuse("no file name");
    }
    if (blockSize == 0)
    {
        return Refuse("a block size of 0");
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(path, blockSize, bytes))
    {
        return E_FAIL;
    }
    return CheckFile(bytes, blockSize);
}

bool LDfuSeFirmwareFile::ReadFile(const Orv::WString& path, std::uint16_t blockSize,
                                  std::vector<std::uint8_t>& bytes)
{
    // Not blocking: opening a pipe for reading would otherwise wait for a writer.
    const Orv::NString name = path.ToNarrow();
    int opened = -1;
    do
    {
        opened = ::open(name.GetBuffer(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0)
    {
        Refuse(std::string("the file cannot be opened (") + std::strerror(errno) + ")");
        return false;
    }
    const Descriptor file(opened);
    struct stat status;
    if (::fstat(file.Get(), &status) != 0)
    {
        Refuse(std::string("the file cannot be read (") + std::strerror(errno) + ")");
        return false;
    }
    if (S_ISDIR(status.st_mode))
    {
        Refuse("it is a folder, not a file");
        return false;
    }
    if (!S_ISREG(status.st_mode))
    {
        Refuse("it is not a regular file (a pipe, a socket or a device)");
        return false;
    }

    const long long length = status.st_size;
    constexpr long long kSmallest = kElementDataOffset + kSuffixSize;
    // The largest element: no larger than the flash, and its block count fits 16 bits.
    const long long largest =
        kSmallest + std::min(0xFFFFll * blockSize, static_cast<long long>(GetMaximumElementSize()));
    if (length < kSmallest)
    {
        Refuse("too short for a DfuSe file (" + std::to_string(length) + " bytes)");
        return false;
    }
    if (length > largest)
    {
        Refuse("too large for a firmware image of this device (" + std::to_string(length) +
               " bytes)");
        return false;
    }
    bytes.resize(static_cast<std::size_t>(length));
    std::size_t at = 0;
    while (at < bytes.size())
    {
        const ssize_t count = ::read(file.Get(), bytes.data() + at, bytes.size() - at);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
        {
            continue;
        }
        if (count < 0)
        {
            Refuse(std::string("the file cannot be read (") + std::strerror(errno) + ")");
            return false;
        }
        if (count == 0)
        {
            Refuse("the file became shorter while it was read");
            return false;
        }
        at += static_cast<std::size_t>(count);
    }
    return true;
}

ORVRESULT LDfuSeFirmwareFile::CheckFile(const std::vector<std::uint8_t>& bytes,
                                        std::uint16_t blockSize)
{
    const std::uint8_t* header = bytes.data();
    const long long length = static_cast<long long>(bytes.size());
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
    const std::uint8_t* suffix = header + (length - kSuffixSize);
    if (std::memcmp(suffix + 8, "UFD", 3) != 0 || suffix[11] != kSuffixSize)
    {
        return Refuse("truncated or damaged: it does not end in a DFU suffix");
    }
    if (SuffixCrc(header, bytes.size() - 4) != Read32(suffix + 12))
    {
        return Refuse("damaged: the CRC of its DFU suffix does not match its contents");
    }
    mProductId = Read16(suffix + 2);
    mVendorId = Read16(suffix + 4);

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
    mAlternateSetting = target[6];
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
    if (mElementSize == 0)
    {
        return Refuse("its image element is empty: there is nothing to write");
    }
    if (mAlternateSetting != 0)
    {
        return Refuse("its target is for alternate setting " + std::to_string(mAlternateSetting) +
                      " (only alternate setting 0, the internal flash, is written)");
    }
    if (std::uint64_t(mElementAddress) + mElementSize > 0x100000000ull)
    {
        return Refuse("its image element runs past the end of the address space");
    }

    mElement.assign(bytes.begin() + kElementDataOffset, bytes.begin() + elementEnd);
    mBlockSize = blockSize;
    mBlockCount =
        static_cast<std::uint16_t>((std::uint64_t(mElementSize) + blockSize - 1) / blockSize);
    mValid = true;
    return S_OK;
}

bool LDfuSeFirmwareFile::IsForDevice(std::uint32_t vendorId, std::uint32_t productId) const
{
    return (mVendorId == kAnyId || mVendorId == vendorId) &&
           (mProductId == kAnyId || mProductId == productId);
}

ORVRESULT LDfuSeFirmwareFile::Refuse(const std::string& reason)
{
    Close();
    mRefusal = reason;
    return E_FAIL;
}

void LDfuSeFirmwareFile::Close()
{
    mValid = false;
    mElement.clear();
    mElement.shrink_to_fit();
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
                                        std::uint16_t& length) const
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
    const std::size_t from = std::size_t(mBlockSize) * blockIndex;
    std::memcpy(buffer, mElement.data() + from, blockLength);
    length = blockLength;
    return S_OK;
}
