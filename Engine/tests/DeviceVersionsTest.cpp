// Versions: their order, the version a hardware id gives, and the USB ids it names.
#include "UpdateEngine.h"

#include <gtest/gtest.h>

using VersionInfo = LUpdateEngineInterface::VersionInfo;

namespace
{
VersionInfo Version(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    VersionInfo version;
    version.parts[0] = a;
    version.parts[1] = b;
    version.parts[2] = c;
    version.parts[3] = d;
    return version;
}
} // namespace

TEST(DeviceVersions, CompareVersionsIsStrictlyGreaterPartByPart)
{
    struct Case
    {
        VersionInfo a, b;
        bool greater;
    };
    const std::vector<Case> cases = {
        {Version(0, 0, 3, 1), Version(0, 0, 3, 1), false},
        {Version(0, 1, 0, 0), Version(0, 0, 9, 9), true},
        {Version(0, 0, 9, 9), Version(0, 1, 0, 0), false},
        {Version(1, 0, 0, 0), Version(0, 15, 15, 15), true},
        {Version(0, 0, 5, 0), Version(0, 0, 4, 9), true},
        {Version(0, 0, 3, 2), Version(0, 0, 3, 1), true},
        // Parts are unsigned 32-bit numbers.
        {Version(0x80000000u, 0, 0, 0), Version(1, 0, 0, 0), true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(LUpdateEngineInterface::CompareVersions(c.a, c.b), c.greater);
    }
    // The texts take no part.
    VersionInfo a = Version(0, 0, 3, 1);
    VersionInfo b = a;
    a.text = Orv::WString(L"9.9");
    EXPECT_FALSE(LUpdateEngineInterface::CompareVersions(a, b));
}

TEST(DeviceVersions, TheVersionComesFromTheRevisionField)
{
    struct Case
    {
        const wchar_t* hardwareId;
        bool bootloader;
        std::uint32_t parts[4];
        const wchar_t* text;
    };
    const std::vector<Case> cases = {
        {L"USB\\VID_7A5E&PID_8010&REV_0031", false, {0, 0, 3, 1}, L"00.31"},
        {L"USB\\VID_7A5E&PID_B010&REV_0150", false, {0, 1, 5, 0}, L"01.50"},
        {L"usb\\vid_7a5e&pid_b010&rev_0c0a", false, {0, 12, 0, 10}, L"012.010"},
        {L"USB\\VID_7A5E&PID_8010&REV_00G1", false, {0, 0, 0, 1}, L"00.01"},
        {L"USB\\VID_7A5E&PID_8010", false, {0, 0, 0, 0}, L""},
        {L"USB\\VID_7A5E&PID_8010&REV_0000", false, {0, 0, 0, 0}, L""},
        {L"USB\\VID_7A5E&PID_8010&REV_3", false, {3, 0, 0, 0}, L"30.00"},
        {L"USB\\VID_0483&PID_DF11&REV_2200", true, {0, 0, 0, 0}, L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Orv::WString(c.hardwareId).ToNarrow().GetBuffer());
        LUpdateEngine::DeviceDefinitionEx record;
        record.bootloaderFound = c.bootloader;
        record.firmwareVersion.text = Orv::WString(L"stale");
        LUpdateEngine::ReadVersionFromHardwareId(Orv::WString(c.hardwareId), record);
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(record.firmwareVersion.parts[i], c.parts[i]) << i;
        }
        EXPECT_TRUE(record.firmwareVersion.text == Orv::WString(c.text))
            << record.firmwareVersion.text.ToNarrow().GetBuffer();
    }
}

// Ids are four hexadecimal digits after "VID_" and "PID_", in any case; anything else cannot be
// parsed, and such a device matches nothing.
TEST(DeviceVersions, UsbIdsAreParsedOrRefused)
{
    struct Case
    {
        const wchar_t* hardwareId;
        bool parsed;
        std::uint32_t vendorId, productId;
    };
    const std::vector<Case> cases = {
        {L"USB\\VID_0483&PID_DF11&REV_2200", true, 0x0483, 0xDF11},
        {L"usb\\vid_7a5e&pid_b010", true, 0x7A5E, 0xB010},
        {L"USB\\VID_0000&PID_0000", true, 0, 0},
        {L"USB\\VID_00G1&PID_DF11", false, 0, 0},
        {L"USB\\VID_0483&PID_DF", false, 0, 0},
        {L"USB\\VID_0483", false, 0, 0},
        {L"USB\\PID_DF11", false, 0, 0},
        {L"", false, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Orv::WString(c.hardwareId).ToNarrow().GetBuffer());
        std::uint32_t vendorId = 99;
        std::uint32_t productId = 99;
        EXPECT_EQ(LUpdateEngine::ParseUsbIds(Orv::WString(c.hardwareId), vendorId, productId),
                  c.parsed);
        EXPECT_EQ(vendorId, c.vendorId);
        EXPECT_EQ(productId, c.productId);
    }
}

TEST(DeviceVersions, NewRecordsAreEmpty)
{
    LUpdateEngine::DeviceDefinitionEx record;
    EXPECT_EQ(record.definition.vendorId, 0u);
    EXPECT_EQ(record.definition.bootloaderProductId, 0u);
    for (const auto& text : record.definition.texts)
    {
        EXPECT_TRUE(text.IsEmpty());
    }
    EXPECT_EQ(record.firmwareVersion.parts[0] | record.firmwareVersion.parts[3], 0u);
    EXPECT_FALSE(record.bootloaderFound);
    EXPECT_EQ(record.failureReason, 0u);
    EXPECT_TRUE(record.devicePath.IsEmpty() && record.bootloaderPath.IsEmpty());
}
