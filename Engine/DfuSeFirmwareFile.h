// A firmware image in the DfuSe file format: a prefix, one target with one image element (one
// stretch of flash and its start address), and the DFU suffix with its CRC. Open reads the whole
// file once and checks all of it; the element stays in memory, so that the download sends
// exactly the bytes that were checked, whatever happens to the file afterwards. The download
// then takes the element in fixed-size blocks and builds the two DfuSe commands it needs, set
// address pointer and erase.
//
// File layout (little-endian):
//   0    "DfuSe", bVersion 1, DFUImageSize, bTargets 1
//   11   the target prefix: "Target", bAlternateSetting, bTargetNamed, szTargetName (255),
//        dwTargetSize, dwNbElements 1
//   285  dwElementAddress, dwElementSize, then the element's bytes from 293
//   end  the 16-byte suffix: bcdDevice, idProduct, idVendor, bcdDFU, "UFD", bLength 16, dwCRC
//        (CRC-32 of every byte before it: reflected polynomial 0xEDB88320, initial value
//        0xFFFFFFFF, no final XOR)
// DFUImageSize and dwTargetSize are not checked: packers disagree on what they count (the
// suffix, the element headers), and the suffix CRC and the element's bounds already guard the
// data. The target must be for alternate setting 0 (the device's internal flash); the element
// must not be empty nor larger than that flash.
#pragma once

#include "OrvCore.h"

#include <cstdint>
#include <string>
#include <vector>

// The application's classes live outside the framework's namespace.
using ORVRESULT = Orv::ORVRESULT;

class LDfuSeFirmwareFile : public virtual Orv::LRefCountedObject
{
public:
    static constexpr std::uint32_t kPrefixSize = 11;
    static constexpr std::uint32_t kTargetPrefixSize = 274;
    static constexpr std::uint32_t kElementAddressOffset = 285;
    static constexpr std::uint32_t kElementDataOffset = 293;
    static constexpr std::uint32_t kSuffixSize = 16;
    // The commands are 5 bytes: the command code and a 32-bit address.
    static constexpr std::uint16_t kCommandLength = 5;
    static constexpr std::uint8_t kSetAddressCommand = 0x21;
    static constexpr std::uint8_t kEraseCommand = 0x41;
    // The suffix's vendor, product or device version that stands for any.
    static constexpr std::uint16_t kAnyId = 0xFFFF;

    static Orv::RCPtr<LDfuSeFirmwareFile> Create();

    // Reads the file and checks all of it; 0, or E_FAIL with the reason in GetRefusal. Anything
    // but a regular file (a folder, a pipe, a device) is refused without waiting on it.
    // blockSize must not be 0.
    ORVRESULT Open(const Orv::WString& path, std::uint16_t blockSize);
    // Forgets the image.
    void Close();

    // The five bytes 0x21 and the address of the block (element address + block size x index).
    // E_INVALIDARG (nothing written) unless the file is valid, length holds at least 5 and the
    // index is below the block count. length becomes 5.
    ORVRESULT BuildSetAddressCommand(std::uint16_t blockIndex, std::uint8_t* buffer,
                                     std::uint16_t& length) const;
    // The five bytes 0x41 and the address. E_INVALIDARG unless the file is valid and length
    // holds at least 5.
    ORVRESULT BuildEraseCommand(std::uint32_t address, std::uint8_t* buffer,
                                std::uint16_t& length) const;
    // Copies the block into the buffer, whose size length gives: the block size, or the short
    // rest for the last block. E_INVALIDARG (nothing written) unless the file is valid, the index
    // is below the block count and length holds the block. length becomes the block's length.
    ORVRESULT ReadBlock(std::uint16_t blockIndex, std::uint8_t* buffer,
                        std::uint16_t& length) const;

    bool IsValid() const { return mValid; }
    std::uint16_t GetBlockSize() const { return mBlockSize; }
    std::uint16_t GetBlockCount() const { return mBlockCount; }
    std::uint32_t GetElementAddress() const { return mElementAddress; }
    std::uint32_t GetElementSize() const { return mElementSize; }
    // The device the suffix names (kAnyId: any).
    std::uint16_t GetVendorId() const { return mVendorId; }
    std::uint16_t GetProductId() const { return mProductId; }
    // Whether the suffix names the device with these ids (its vendor and product each equal, or
    // kAnyId).
    bool IsForDevice(std::uint32_t vendorId, std::uint32_t productId) const;
    // Why the last Open refused the file; empty after a successful one.
    const std::string& GetRefusal() const { return mRefusal; }

    // The largest element accepted: the device's flash.
    static std::uint32_t GetMaximumElementSize();
    // CRC-32 of the DFU suffix over the bytes, continuing from crc.
    static std::uint32_t SuffixCrc(const std::uint8_t* data, std::size_t length,
                                   std::uint32_t crc = 0xFFFFFFFFu);

    Orv::WString ToString() const override;

private:
    ORVRESULT Refuse(const std::string& reason);
    // Reads the whole regular file at the path into bytes; false with the reason set.
    bool ReadFile(const Orv::WString& path, std::uint16_t blockSize,
                  std::vector<std::uint8_t>& bytes);
    ORVRESULT CheckFile(const std::vector<std::uint8_t>& bytes, std::uint16_t blockSize);
    std::uint16_t BlockLength(std::uint16_t blockIndex) const;

    std::uint16_t mBlockSize = 0;
    std::uint16_t mBlockCount = 0;
    char mSignature[5] = {};
    std::uint8_t mFormatVersion = 0;
    std::uint32_t mImageSize = 0;
    std::uint8_t mTargetCount = 0;
    std::uint8_t mAlternateSetting = 0;
    std::uint32_t mElementAddress = 0;
    std::uint32_t mElementSize = 0;
    std::uint16_t mVendorId = kAnyId;
    std::uint16_t mProductId = kAnyId;
    // The element's bytes, as checked.
    std::vector<std::uint8_t> mElement;
    bool mValid = false;
    std::string mRefusal;
};
