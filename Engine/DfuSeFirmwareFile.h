// A firmware image in the DfuSe file format: a prefix, one target with one image element (one
// stretch of flash and its start address), and the DFU suffix with its CRC. Open checks the
// whole file; the download then takes the element in fixed-size blocks and builds the two DfuSe
// commands it needs, set address pointer and erase.
//
// File layout (little-endian):
//   0    "DfuSe", bVersion 1, DFUImageSize (the file without its suffix), bTargets 1
//   11   the target prefix: "Target", bAlternateSetting, bTargetNamed, szTargetName (255),
//        dwTargetSize (8 + the element size), dwNbElements 1
//   285  dwElementAddress, dwElementSize, then the element's bytes from 293
//   end  the 16-byte suffix: bcdDevice, idProduct, idVendor, bcdDFU, "UFD", bLength 16, dwCRC
//        (CRC-32 of every byte before it: reflected polynomial 0xEDB88320, initial value
//        0xFFFFFFFF, no final XOR)
#pragma once

#include "OrvCore.h"

#include <cstdint>
#include <string>

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

    static Orv::RCPtr<LDfuSeFirmwareFile> Create();

    // Opens the file and checks all of it; 0, or E_FAIL with the reason in GetRefusal (the file
    // is closed then). blockSize must not be 0.
    ORVRESULT Open(const Orv::WString& path, std::uint16_t blockSize);
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
    // Reads the block into the buffer, whose size length gives: the block size, or the short
    // rest for the last block. E_INVALIDARG (nothing written) unless the file is valid, the
    // index is below the block count and length holds the block; E_FAIL when the file cannot be
    // read. length becomes the block's length.
    ORVRESULT ReadBlock(std::uint16_t blockIndex, std::uint8_t* buffer, std::uint16_t& length);

    bool IsValid() const { return mValid; }
    std::uint16_t GetBlockSize() const { return mBlockSize; }
    std::uint16_t GetBlockCount() const { return mBlockCount; }
    std::uint32_t GetElementAddress() const { return mElementAddress; }
    std::uint32_t GetElementSize() const { return mElementSize; }
    // Why the last Open refused the file; empty after a successful one.
    const std::string& GetRefusal() const { return mRefusal; }

    // CRC-32 of the DFU suffix over the bytes, continuing from crc.
    static std::uint32_t SuffixCrc(const std::uint8_t* data, std::size_t length,
                                   std::uint32_t crc = 0xFFFFFFFFu);

    Orv::WString ToString() const override;

private:
    ORVRESULT Refuse(const std::string& reason);
    ORVRESULT CheckFile(std::uint16_t blockSize);
    std::uint16_t BlockLength(std::uint16_t blockIndex) const;

    Orv::File mFile;
    std::uint16_t mBlockSize = 0;
    std::uint16_t mBlockCount = 0;
    char mSignature[5] = {};
    std::uint8_t mFormatVersion = 0;
    std::uint32_t mImageSize = 0;
    std::uint8_t mTargetCount = 0;
    std::uint32_t mElementAddress = 0;
    std::uint32_t mElementSize = 0;
    bool mValid = false;
    std::string mRefusal;
};
