#include "DfuSeWriter.h"
#include "platform/SimulatedFirmwareImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/wait.h>

using OrvTools::DfuSeImage;
using OrvTools::DfuSeWriter;

namespace
{
void Append(std::vector<std::uint8_t>& out, std::initializer_list<int> bytes)
{
    for (int b : bytes)
    {
        out.push_back(static_cast<std::uint8_t>(b));
    }
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

int RunProgram(const std::string& arguments)
{
    const std::string command =
        std::string(ORV_DFUSE_WRITE_PROGRAM) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(DfuSeWriter, WritesTheKnownBytesOfAOneElementFile)
{
    DfuSeImage image;
    image.vendorId = 0x0483;
    image.productId = 0xDF11;
    image.bcdDevice = 0x2200;
    image.targetName = "Internal Flash";
    image.address = 0x08008000;
    image.data = {0xDE, 0xAD, 0xBE, 0xEF};

    std::vector<std::uint8_t> expected;
    Append(expected, {'D', 'f', 'u', 'S', 'e', 0x01});
    Append(expected, {0x29, 0x01, 0x00, 0x00}); // 297 bytes without the suffix
    Append(expected, {0x01});                   // one target
    Append(expected, {'T', 'a', 'r', 'g', 'e', 't', 0x00});
    Append(expected, {0x01, 0x00, 0x00, 0x00}); // named
    const std::string name = "Internal Flash";
    expected.insert(expected.end(), name.begin(), name.end());
    expected.resize(expected.size() + 255 - name.size(), 0x00);
    Append(expected, {0x0C, 0x00, 0x00, 0x00}); // element header and data: 12 bytes
    Append(expected, {0x01, 0x00, 0x00, 0x00}); // one element
    ASSERT_EQ(expected.size(), 285u);
    Append(expected, {0x00, 0x80, 0x00, 0x08}); // address
    Append(expected, {0x04, 0x00, 0x00, 0x00}); // size
    Append(expected, {0xDE, 0xAD, 0xBE, 0xEF});
    Append(expected, {0x00, 0x22, 0x11, 0xDF, 0x83, 0x04}); // bcdDevice, idProduct, idVendor
    Append(expected, {0x1A, 0x01, 'U', 'F', 'D', 0x10});    // bcdDFU, signature, bLength
    Append(expected, {0x90, 0x97, 0x03, 0xA9});             // CRC

    EXPECT_EQ(DfuSeWriter::Build(image), expected);
}

TEST(DfuSeWriter, ChecksWhatItIsGiven)
{
    DfuSeImage image;
    image.targetName = std::string(255, 'x');
    EXPECT_THROW(DfuSeWriter::Build(image), std::invalid_argument);
    image.targetName.clear();
    image.address = 0xFFFFFFFE;
    image.data = {1, 2, 3};
    EXPECT_THROW(DfuSeWriter::Build(image), std::invalid_argument);

    // An unnamed target, an empty element: sizes and the CRC still hold.
    image.address = 0x08008000;
    image.data.clear();
    const auto bytes = DfuSeWriter::Build(image);
    ASSERT_EQ(bytes.size(), 293u + 16u);
    EXPECT_EQ(bytes[11 + 7], 0x00); // bTargetNamed
    const std::uint32_t crc =
        bytes[305] | bytes[306] << 8 | bytes[307] << 16 | std::uint32_t(bytes[308]) << 24;
    EXPECT_EQ(crc, DfuSeWriter::SuffixCrc(bytes.data(), 305));

    std::string error;
    EXPECT_FALSE(DfuSeWriter::WriteFile(image, "/nonexistent/dir/x.dfu", error));
    EXPECT_NE(error.find("/nonexistent/dir/x.dfu: cannot be written"), std::string::npos);
}

TEST(DfuSeWriteProgram, WritesWhatTheLibraryWritesAndRefusesBadArguments)
{
    const std::string dir = ::testing::TempDir();
    const std::string input = dir + "orv_dfuse_input.bin";
    const std::string output = dir + "orv_dfuse_output.dfu";
    {
        std::ofstream file(input, std::ios::binary);
        file << std::string(1000, 'A');
    }
    ASSERT_EQ(RunProgram("--address 0x08008000 --input " + input + " --firmware-version 00.31 " +
                         "--vid 0x0483 --pid 57105 " + output),
              0);
    DfuSeImage image;
    image.address = 0x08008000;
    image.data.assign(1000, 'A');
    OrvPlatform::SimulatedFirmwareImage::Stamp(image.data, 0x0031);
    EXPECT_EQ(ReadFile(output), DfuSeWriter::Build(image));

    ASSERT_EQ(
        RunProgram("--address 0x08008000 --demo-size 5000 --firmware-version 00.50 " + output), 0);
    const auto demo = ReadFile(output);
    ASSERT_EQ(demo.size(), 293u + 5000u + 16u);
    std::uint16_t version = 0;
    EXPECT_TRUE(OrvPlatform::SimulatedFirmwareImage::ReadVersion(demo.data() + 293, 5000, version));
    EXPECT_EQ(version, 0x0050);

    EXPECT_EQ(RunProgram("--input " + input + " " + output), 2);                // no address
    EXPECT_EQ(RunProgram("--address 0x08008000 " + output), 2);                 // no data
    EXPECT_EQ(RunProgram("--address 0x1G --input " + input + " " + output), 2); // bad number
    EXPECT_EQ(RunProgram("--address 1 --input " + input + " --firmware-version 3 " + output), 2);
    EXPECT_EQ(RunProgram("--address 1 --input " + input + " --colour red " + output), 2);
    EXPECT_EQ(RunProgram("--address 1 --input /nonexistent/in.bin " + output), 1);
    std::remove(input.c_str());
    std::remove(output.c_str());
}
