// The DfuSe file reader: the checks of Open, the blocks and the two commands.
#include "DfuSeFirmwareFile.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>

using namespace OrvTest;

namespace
{
void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
    {
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
           std::uint32_t(bytes.at(at + 3)) << 24;
}

Orv::RCPtr<LDfuSeFirmwareFile> Opened(const TempFile& file, ORVRESULT expected = S_OK)
{
    auto dfu = LDfuSeFirmwareFile::Create();
    EXPECT_EQ(dfu->Open(file.WidePath(), 2048), expected) << dfu->GetRefusal();
    return dfu;
}
} // namespace

TEST(DfuSeFirmwareFile, HandsOutTheElementInBlocks)
{
    struct Case
    {
        std::uint32_t size;
        std::uint16_t blocks;
        std::uint16_t lastLength;
    };
    for (const Case& c : {Case{4096, 2, 2048}, Case{4097, 3, 1}, Case{5000, 3, 904},
                          Case{2048, 1, 2048}, Case{1, 1, 1}})
    {
        SCOPED_TRACE(c.size);
        const auto data = ImageData(0x0031, c.size);
        TempFile file("blocks.dfu");
        file.Write(DfuSeFile(0x08000000, data));
        auto dfu = Opened(file);
        ASSERT_TRUE(dfu->IsValid());
        EXPECT_TRUE(dfu->GetRefusal().empty());
        EXPECT_EQ(dfu->GetBlockCount(), c.blocks);
        EXPECT_EQ(dfu->GetElementAddress(), 0x08000000u);
        EXPECT_EQ(dfu->GetElementSize(), c.size);

        std::vector<std::uint8_t> read;
        for (std::uint16_t i = 0; i < c.blocks; ++i)
        {
            std::uint8_t buffer[2048];
            std::uint16_t length = sizeof(buffer);
            ASSERT_EQ(dfu->ReadBlock(i, buffer, length), S_OK);
            EXPECT_EQ(length, i + 1 == c.blocks ? c.lastLength : 2048);
            read.insert(read.end(), buffer, buffer + length);
        }
        EXPECT_EQ(read, data);
        std::uint8_t buffer[2048];
        std::uint16_t length = sizeof(buffer);
        EXPECT_EQ(dfu->ReadBlock(c.blocks, buffer, length), E_INVALIDARG);
    }
}

TEST(DfuSeFirmwareFile, BuildsTheSetAddressAndEraseCommands)
{
    TempFile file("commands.dfu");
    file.Write(DfuSeFile(0x08000000, ImageData(0x0031, 5 * 2048)));
    auto dfu = Opened(file);

    std::uint8_t buffer[8];
    std::uint16_t length = sizeof(buffer);
    ASSERT_EQ(dfu->BuildSetAddressCommand(3, buffer, length), S_OK);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 5),
              (std::vector<std::uint8_t>{0x21, 0x00, 0x18, 0x00, 0x08}));
    length = sizeof(buffer);
    ASSERT_EQ(dfu->BuildEraseCommand(0x08000000, buffer, length), S_OK);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 5),
              (std::vector<std::uint8_t>{0x41, 0x00, 0x00, 0x00, 0x08}));

    // Too little room, or a block beyond the last: nothing is written.
    std::memset(buffer, 0xEE, sizeof(buffer));
    length = 4;
    EXPECT_EQ(dfu->BuildSetAddressCommand(0, buffer, length), E_INVALIDARG);
    EXPECT_EQ(dfu->BuildEraseCommand(0x08000000, buffer, length), E_INVALIDARG);
    EXPECT_EQ(dfu->ReadBlock(0, buffer, length), E_INVALIDARG);
    EXPECT_EQ(length, 4);
    length = sizeof(buffer);
    EXPECT_EQ(dfu->BuildSetAddressCommand(5, buffer, length), E_INVALIDARG);
    EXPECT_EQ(buffer[0], 0xEE);

    // A closed file builds nothing.
    dfu->Close();
    length = sizeof(buffer);
    EXPECT_EQ(dfu->BuildEraseCommand(0x08000000, buffer, length), E_INVALIDARG);
}

// ReadBlock writes no more than the caller's buffer holds.
TEST(DfuSeFirmwareFile, ABufferSmallerThanTheBlockIsRefused)
{
    TempFile file("buffer.dfu");
    file.Write(DfuSeFile(0x08008000, ImageData(0x0031, 2048 + 100)));
    auto dfu = Opened(file);
    std::vector<std::uint8_t> buffer(2048 + 16, 0xEE);
    std::uint16_t length = 2047;
    EXPECT_EQ(dfu->ReadBlock(0, buffer.data(), length), E_INVALIDARG);
    EXPECT_EQ(buffer[0], 0xEE);
    // The short last block fits a buffer of its own length.
    length = 100;
    EXPECT_EQ(dfu->ReadBlock(1, buffer.data(), length), S_OK);
    EXPECT_EQ(length, 100);
    EXPECT_EQ(buffer[100], 0xEE);
}

TEST(DfuSeFirmwareFile, RefusesBadFilesWithAReason)
{
    const auto good = DfuSeFile(0x08008000, ImageData(0x0031, 3000));
    auto edited = [&](auto change, bool refreshCrc = true)
    {
        auto bytes = good;
        change(bytes);
        if (refreshCrc)
        {
            RefreshCrc(bytes);
        }
        return bytes;
    };
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "too short"},
        {"no signature", edited([](auto& b) { b.at(0) = 'd'; }), "no \"DfuSe\" signature"},
        {"version 2", edited([](auto& b) { b.at(5) = 2; }), "format version 2"},
        {"two targets", edited([](auto& b) { b.at(10) = 2; }), "2 targets"},
        {"no targets", edited([](auto& b) { b.at(10) = 0; }), "0 targets"},
        {"no target signature", edited([](auto& b) { b.at(11) = 't'; }), "\"Target\""},
        {"two elements", edited([](auto& b) { Put32(b, 281, 2); }), "2 image elements"},
        {"element longer than the file", edited([](auto& b) { Put32(b, 289, 3001); }),
         "does not end where the DFU suffix begins"},
        {"element shorter than the file", edited([](auto& b) { Put32(b, 289, 2999); }),
         "does not end where the DFU suffix begins"},
        {"huge element size", edited([](auto& b) { Put32(b, 289, 0xFFFFFF00u); }),
         "does not end where the DFU suffix begins"},
        {"an empty element", DfuSeFile(0x08008000, {}), "is empty"},
        {"alternate setting 1", edited([](auto& b) { b.at(17) = 1; }), "alternate setting 1"},
        {"past the address space", edited([](auto& b) { Put32(b, 285, 0xFFFFFC00u); }),
         "past the end of the address space"},
        {"a data byte changed", edited([](auto& b) { b.at(1000) ^= 0x80; }, false), "CRC"},
        {"the CRC changed",
         edited([](auto& b) { Put32(b, b.size() - 4, ~Read32(b, b.size() - 4)); }, false), "CRC"},
        {"one byte short", edited([](auto& b) { b.pop_back(); }, false),
         "does not end in a DFU suffix"},
        {"no suffix", edited([](auto& b) { b.resize(b.size() - 16); }, false),
         "does not end in a DFU suffix"},
        {"bytes after the suffix", edited([](auto& b) { b.resize(b.size() + 1); }, false),
         "does not end in a DFU suffix"},
        {"suffix length", edited([](auto& b) { b.at(b.size() - 5) = 12; }),
         "does not end in a DFU suffix"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempFile file("bad.dfu");
        file.Write(c.bytes);
        auto dfu = Opened(file, E_FAIL);
        EXPECT_FALSE(dfu->IsValid());
        EXPECT_NE(dfu->GetRefusal().find(c.reason), std::string::npos) << dfu->GetRefusal();
        std::uint8_t buffer[2048];
        std::uint16_t length = sizeof(buffer);
        EXPECT_EQ(dfu->ReadBlock(0, buffer, length), E_INVALIDARG);
    }

    // A missing file, and a block size of 0.
    auto dfu = LDfuSeFirmwareFile::Create();
    EXPECT_EQ(dfu->Open(Orv::WString(L"/nonexistent/image.dfu"), 2048), E_FAIL);
    EXPECT_FALSE(dfu->GetRefusal().empty());
    TempFile file("good.dfu");
    file.Write(good);
    EXPECT_EQ(dfu->Open(file.WidePath(), 0), E_FAIL);
    EXPECT_EQ(dfu->Open(file.WidePath(), 2048), S_OK);
}

// The prefix's image size and the target size are not checked: packers disagree on whether they
// count the suffix or the element's header, and the suffix CRC and the element's bounds guard
// the data.
TEST(DfuSeFirmwareFile, AcceptsWhatOtherPackersWriteInTheSizeFields)
{
    const auto data = ImageData(0x0031, 5000);
    const auto good = DfuSeFile(0x08008000, data);
    struct Case
    {
        const char* name;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"image size counting the suffix", 6, static_cast<std::uint32_t>(good.size())},
        {"image size 0", 6, 0},
        {"target size without the element's header", 277, 5000},
        {"target size 0", 277, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto bytes = good;
        Put32(bytes, c.at, c.value);
        RefreshCrc(bytes);
        TempFile file("sizes.dfu");
        file.Write(bytes);
        auto dfu = Opened(file);
        ASSERT_TRUE(dfu->IsValid());
        std::vector<std::uint8_t> read;
        for (std::uint16_t i = 0; i < dfu->GetBlockCount(); ++i)
        {
            std::uint8_t buffer[2048];
            std::uint16_t length = sizeof(buffer);
            ASSERT_EQ(dfu->ReadBlock(i, buffer, length), S_OK);
            read.insert(read.end(), buffer, buffer + length);
        }
        EXPECT_EQ(read, data);
    }
}

// An element larger than the device's flash is refused by the file's length, before it is read.
TEST(DfuSeFirmwareFile, RefusesAnElementLargerThanTheFlash)
{
    const std::uint32_t flash = LDfuSeFirmwareFile::GetMaximumElementSize();
    EXPECT_EQ(flash, 0x100000u);
    TempFile file("large.dfu");
    file.Write(DfuSeFile(0x08000000, std::vector<std::uint8_t>(flash, 0x5A)));
    auto fits = Opened(file);
    EXPECT_EQ(fits->GetBlockCount(), flash / 2048);

    file.Write(DfuSeFile(0x08000000, std::vector<std::uint8_t>(flash + 1, 0x5A)));
    auto dfu = Opened(file, E_FAIL);
    EXPECT_NE(dfu->GetRefusal().find("too large"), std::string::npos) << dfu->GetRefusal();
    ASSERT_EQ(truncate(file.Path().c_str(), 293 + 0x10000ll * 2048 + 16), 0);
    dfu = Opened(file, E_FAIL);
    EXPECT_NE(dfu->GetRefusal().find("too large"), std::string::npos) << dfu->GetRefusal();
}

// The blocks are the bytes that were checked: a file changed, cut short or removed after Open
// changes nothing of what is handed out.
TEST(DfuSeFirmwareFile, TheBlocksAreTheBytesThatWereChecked)
{
    const auto data = ImageData(0x0031, 3 * 2048);
    TempFile file("changed.dfu");
    file.Write(DfuSeFile(0x08008000, data));
    auto dfu = Opened(file);
    auto other = data;
    other[100] ^= 0xFF;
    file.Write(DfuSeFile(0x08008000, other));
    ASSERT_EQ(truncate(file.Path().c_str(), 293 + 2048 + 10), 0);
    std::remove(file.Path().c_str());

    std::vector<std::uint8_t> read;
    for (std::uint16_t i = 0; i < 3; ++i)
    {
        std::uint8_t buffer[2048];
        std::uint16_t length = sizeof(buffer);
        ASSERT_EQ(dfu->ReadBlock(i, buffer, length), S_OK);
        read.insert(read.end(), buffer, buffer + length);
    }
    EXPECT_EQ(read, data);
}

// Anything but a regular file is refused at once: a folder, a device, and a pipe (opening a pipe
// for reading would wait for a writer).
TEST(DfuSeFirmwareFile, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    const std::string fifo = ::testing::TempDir() + "orv_engine_fifo_" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case
    {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {fifo, "not a regular file"},
        {"/dev/null", "not a regular file"},
        {::testing::TempDir(), "folder"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        auto dfu = LDfuSeFirmwareFile::Create();
        auto opening = std::async(std::launch::async,
                                  [&] { return dfu->Open(Orv::WString(c.path.c_str()), 2048); });
        if (opening.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        {
            // Release an open that waits for a writer, so that the test ends.
            const int writer = open(c.path.c_str(), O_WRONLY | O_NONBLOCK);
            ADD_FAILURE() << "Open waited on " << c.path;
            opening.wait();
            if (writer >= 0)
            {
                close(writer);
            }
            continue;
        }
        EXPECT_EQ(opening.get(), E_FAIL);
        EXPECT_NE(dfu->GetRefusal().find(c.reason), std::string::npos) << dfu->GetRefusal();
    }
    std::remove(fifo.c_str());
}

// The suffix names the device a file is for; 0xFFFF stands for any vendor or product.
TEST(DfuSeFirmwareFile, TheSuffixNamesTheDevice)
{
    struct Case
    {
        std::uint16_t vendorId;
        std::uint16_t productId;
        bool forBootloader;
        bool forController;
    };
    const Case cases[] = {
        {0x0483, 0xDF11, true, false},  {0x7A5E, 0x8010, false, true},
        {0xFFFF, 0xFFFF, true, true},   {0xFFFF, 0x8010, false, true},
        {0x1234, 0xDF11, false, false}, {0x7A5E, 0xDF11, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.vendorId) + ":" + std::to_string(c.productId));
        OrvTools::DfuSeImage image;
        image.vendorId = c.vendorId;
        image.productId = c.productId;
        image.address = 0x08008000;
        image.data = ImageData(0x0031, 100);
        TempFile file("ids.dfu");
        file.Write(OrvTools::DfuSeWriter::Build(image));
        auto dfu = Opened(file);
        EXPECT_EQ(dfu->GetVendorId(), c.vendorId);
        EXPECT_EQ(dfu->GetProductId(), c.productId);
        EXPECT_EQ(dfu->IsForDevice(0x0483, 0xDF11), c.forBootloader);
        EXPECT_EQ(dfu->IsForDevice(0x7A5E, 0x8010), c.forController);
    }
}

TEST(DfuSeFirmwareFile, SuffixCrcIsTheWritersCrc)
{
    const std::vector<std::uint8_t> bytes = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(LDfuSeFirmwareFile::SuffixCrc(bytes.data(), bytes.size()),
              OrvTools::DfuSeWriter::SuffixCrc(bytes.data(), bytes.size()));
    // The common CRC-32 check value, without the final complement.
    EXPECT_EQ(~LDfuSeFirmwareFile::SuffixCrc(bytes.data(), bytes.size()), 0xCBF43926u);
}
