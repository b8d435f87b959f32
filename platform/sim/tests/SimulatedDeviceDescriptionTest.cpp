#include "platform/SimulatedDeviceDescription.h"
#include "platform/SimulatedFirmwareImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace OrvPlatform;

TEST(SimulatedDeviceDescription, ReadsUnitsWithTheirSettings)
{
    const std::string text = "# two units\n"
                             "\n"
                             "device=controller version=00.30\r\n"
                             "  device=wheel-display version=0050 mode=bootloader "
                             "update-delay-ms=15 reset-delay-ms=0 erase-ms-per-16k=2 "
                             "program-ms-per-block=1 manifest-ms=3 busy=answer "
                             "vendor-id=0x1234 product-id=4660\n";
    std::vector<SimulatedUnitConfig> units;
    std::string error;
    ASSERT_TRUE(SimulatedDeviceDescription::Parse(text, "d.txt", units, error)) << error;
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].name, L"Halvex DJ Brelune VANTA");
    EXPECT_EQ(units[0].vendorId, 0x7A5E);
    EXPECT_EQ(units[0].productId, 0x8010);
    EXPECT_EQ(units[0].firmwareVersion, 0x0030);
    EXPECT_EQ(units[0].initialMode, SimulatedMode::Normal);
    EXPECT_EQ(units[1].name, L"Halvex DJ Brelune VANTA WD");
    EXPECT_EQ(units[1].firmwareVersion, 0x0050);
    EXPECT_EQ(units[1].initialMode, SimulatedMode::Bootloader);
    EXPECT_EQ(units[1].updateModeDelay, Milliseconds(15));
    EXPECT_EQ(units[1].resetDelay, Milliseconds(0));
    EXPECT_EQ(units[1].timings.eraseTimePer16K, Milliseconds(2));
    EXPECT_EQ(units[1].timings.programTimePerBlock, Milliseconds(1));
    EXPECT_EQ(units[1].timings.manifestTime, Milliseconds(3));
    EXPECT_EQ(units[1].busyAnswer, BusyAnswer::AnswerBusy);
    EXPECT_EQ(units[1].vendorId, 0x1234);
    EXPECT_EQ(units[1].productId, 0x1234);

    // The flash file and a fault; the occurrence is 1 unless given.
    ASSERT_TRUE(SimulatedDeviceDescription::Parse(
        "device=controller version=00.30 flash-file=/tmp/f.bin fault=program:fail:7\n"
        "device=controller version=00.30 fault=leave-request:stall\n"
        "device=controller version=00.30 fault=return-to-normal:vanish:0\n",
        "d.txt", units, error))
        << error;
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0].flashFile, "/tmp/f.bin");
    ASSERT_EQ(units[0].faults.size(), 1u);
    EXPECT_EQ(units[0].faults[0].step, SimulatedStep::ProgramOperation);
    EXPECT_EQ(units[0].faults[0].fault, SimulatedFault::Fail);
    EXPECT_EQ(units[0].faults[0].occurrence, 7u);
    EXPECT_TRUE(units[1].flashFile.empty());
    ASSERT_EQ(units[1].faults.size(), 1u);
    EXPECT_EQ(units[1].faults[0].step, SimulatedStep::LeaveRequest);
    EXPECT_EQ(units[1].faults[0].fault, SimulatedFault::Stall);
    EXPECT_EQ(units[1].faults[0].occurrence, 1u);
    ASSERT_EQ(units[2].faults.size(), 1u);
    EXPECT_EQ(units[2].faults[0].step, SimulatedStep::ReturnToNormal);
    EXPECT_EQ(units[2].faults[0].fault, SimulatedFault::Vanish);
    EXPECT_EQ(units[2].faults[0].occurrence, 0u);

    EXPECT_TRUE(SimulatedDeviceDescription::Parse("# nothing\n", "e", units, error));
    EXPECT_TRUE(units.empty());
}

TEST(SimulatedDeviceDescription, RejectsBadLinesWithTheirPlace)
{
    struct Case
    {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"device=controller", "d:1: version=... is missing"},
        {"version=00.30 device=controller", "d:1: a line must start with device=controller"},
        {"\ndevice=mixer version=00.30", "d:2: unknown device 'mixer'"},
        {"device=controller version=0.30", "d:1: bad version '0.30'"},
        {"device=controller version=00.3G", "d:1: bad version '00.3G'"},
        {"device=controller version=00.30 colour=red", "d:1: unknown key 'colour'"},
        {"device=controller version=00.30 version=00.31", "d:1: key 'version' given twice"},
        {"device=controller version=00.30 mode=sleeping", "d:1: bad mode 'sleeping'"},
        {"device=controller version=00.30 update-delay-ms=60001",
         "d:1: bad value '60001' for update-delay-ms"},
        {"device=controller version=00.30 update-delay-ms=-1",
         "d:1: bad value '-1' for update-delay-ms"},
        {"device=controller version=00.30 product-id=0x10000",
         "d:1: bad value '0x10000' for product-id"},
        {"device=controller version=00.30 busy", "d:1: expected key=value, found 'busy'"},
        {"device=controller version=00.30 =x", "d:1: expected key=value, found '=x'"},
        {"device=controller version=00.30 flash-file=f.bin",
         "d:1: bad value 'f.bin' for flash-file (an absolute path)"},
        {"device=controller version=00.30 flash-file=", "d:1: bad value '' for flash-file"},
        {"device=controller version=00.30 fault=flash:fail", "d:1: unknown step 'flash'"},
        {"device=controller version=00.30 fault=program", "d:1: bad fault '' for fault"},
        {"device=controller version=00.30 fault=program:slow", "d:1: bad fault 'slow'"},
        {"device=controller version=00.30 fault=program:fail:", "d:1: bad occurrence ''"},
        {"device=controller version=00.30 fault=program:fail:x2", "d:1: bad occurrence 'x2'"},
        {"device=controller version=00.30 fault=program:fail fault=erase:fail",
         "d:1: key 'fault' given twice"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        std::vector<SimulatedUnitConfig> units(1);
        std::string error;
        EXPECT_FALSE(SimulatedDeviceDescription::Parse(c.text, "d", units, error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(units.size(), 1u); // untouched
    }
}

TEST(SimulatedDeviceDescription, ReportsAFileThatCannotBeRead)
{
    std::vector<SimulatedUnitConfig> units;
    std::string error;
    EXPECT_FALSE(SimulatedDeviceDescription::ReadFile("/nonexistent/devices.txt", units, error));
    EXPECT_NE(error.find("/nonexistent/devices.txt: cannot be read"), std::string::npos);

    const std::string path = ::testing::TempDir() + "orv_sim_description.txt";
    {
        std::ofstream file(path);
        file << "device=controller version=00.31\ndevice=wheel-display\n";
    }
    EXPECT_FALSE(SimulatedDeviceDescription::ReadFile(path, units, error));
    EXPECT_EQ(error, path + ":2: version=... is missing");
    std::remove(path.c_str());
}

TEST(SimulatedFirmwareImage, RecordsTheVersionAndDetectsDamage)
{
    auto image = SimulatedFirmwareImage::Make(0x0031, 5000);
    ASSERT_EQ(image.size(), 5000u);
    // The record: magic, version, zero, length.
    EXPECT_EQ(std::string(image.begin() + 0x100, image.begin() + 0x104), "ORVF");
    EXPECT_EQ(image[0x104], 0x31);
    EXPECT_EQ(image[0x105], 0x00);
    EXPECT_EQ(image[0x108] | image[0x109] << 8, 5000);

    std::uint16_t version = 0;
    EXPECT_TRUE(SimulatedFirmwareImage::ReadVersion(image.data(), image.size(), version));
    EXPECT_EQ(version, 0x0031);
    // More bytes after the image do not matter.
    auto longer = image;
    longer.resize(8000, 0xFF);
    EXPECT_TRUE(SimulatedFirmwareImage::ReadVersion(longer.data(), longer.size(), version));

    auto damaged = image;
    damaged[4999] ^= 0x80;
    EXPECT_FALSE(SimulatedFirmwareImage::ReadVersion(damaged.data(), damaged.size(), version));
    EXPECT_FALSE(SimulatedFirmwareImage::ReadVersion(image.data(), 4999, version));
    auto noMagic = image;
    noMagic[0x100] = 'X';
    EXPECT_FALSE(SimulatedFirmwareImage::ReadVersion(noMagic.data(), noMagic.size(), version));
    EXPECT_FALSE(SimulatedFirmwareImage::ReadVersion(nullptr, 0, version));

    // The common CRC-32 check value.
    const std::string check = "123456789";
    EXPECT_EQ(SimulatedFirmwareImage::Crc32(reinterpret_cast<const std::uint8_t*>(check.data()),
                                            check.size()),
              0xCBF43926u);
}

// The example in the README: its indented "device=" lines make a description.
TEST(SimulatedDeviceDescription, TheReadmeExampleIsAccepted)
{
    std::ifstream readme(ORV_README_PATH);
    ASSERT_TRUE(readme) << ORV_README_PATH;
    std::string text;
    for (std::string line; std::getline(readme, line);)
    {
        if (line.rfind("    device=", 0) == 0)
        {
            text += line + "\n";
        }
    }
    ASSERT_FALSE(text.empty()) << "no example description in the README";
    std::vector<SimulatedUnitConfig> units;
    std::string error;
    EXPECT_TRUE(SimulatedDeviceDescription::Parse(text, "README.md", units, error)) << error;
    EXPECT_FALSE(units.empty());
}
