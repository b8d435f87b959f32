// The WinUSB connection and the four DFU requests, against the simulated bootloader.
#include "WinUsbConnection.h"
#include "DfuProtocol.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace OrvTest;
using OrvPlatform::DfuState;
using OrvPlatform::SimulatedFault;
using OrvPlatform::SimulatedFaultRule;
using OrvPlatform::SimulatedMode;
using OrvPlatform::SimulatedStep;

namespace
{
class WinUsbConnectionTest : public SimulatedBusTest
{
protected:
    void SetUp() override
    {
        SimulatedBusTest::SetUp();
        AddUnit();
    }

    void AddUnit()
    {
        unit = SimulatedDevices::AddUnit(
            FastUnit(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Bootloader));
        LUpdateEngine::DeviceDefinitionEx record(MakeDefinition(0x8010));
        auto engine = LUpdateEngine::Create();
        ASSERT_EQ(engine->FindBootloader(record), S_OK);
        path = record.bootloaderPath;
    }

    std::shared_ptr<SimulatedUnit> unit;
    Orv::WString path;
};
} // namespace

TEST_F(WinUsbConnectionTest, SendsTheFourRequestsAsTheClassDefinesThem)
{
    WinUsbConnection connection;
    ASSERT_TRUE(connection.Open(path));
    EXPECT_TRUE(connection.IsOpen());

    std::uint8_t command[5] = {0x21, 0x00, 0x80, 0x00, 0x08};
    EXPECT_EQ(connection.Download(command, 5, 0), 0);
    DfuStatus status;
    EXPECT_EQ(connection.GetStatus(status), 0);
    EXPECT_EQ(status.bState, DfuProtocol::dfuDNBUSY);
    EXPECT_EQ(connection.AbortRequest(), 0);
    EXPECT_EQ(connection.ClearStatus(), WinUsbConnection::kRequestFailed); // not in dfuERROR
    EXPECT_EQ(connection.GetLastError(), static_cast<std::int32_t>(ERROR_GEN_FAILURE));
    EXPECT_EQ(connection.GetStatus(status), 0);
    EXPECT_EQ(status.bState, DfuProtocol::dfuERROR);
    EXPECT_EQ(connection.ClearStatus(), 0);
    EXPECT_EQ(connection.Download(nullptr, 0, 0), WinUsbConnection::kRequestFailed);

    struct Setup
    {
        std::uint8_t type, request;
        std::uint16_t value, index, length;
    };
    const std::vector<Setup> expected = {{0x21, 1, 0, 0, 5}, {0xA1, 3, 0, 0, 6}, {0x21, 6, 0, 0, 0},
                                         {0x21, 4, 0, 0, 0}, {0xA1, 3, 0, 0, 6}, {0x21, 4, 0, 0, 0},
                                         {0x21, 1, 0, 0, 0}};
    const auto log = unit->RequestLog();
    ASSERT_EQ(log.size(), expected.size());
    for (std::size_t i = 0; i < log.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(log[i].requestType, expected[i].type);
        EXPECT_EQ(log[i].request, expected[i].request);
        EXPECT_EQ(log[i].value, expected[i].value);
        EXPECT_EQ(log[i].index, expected[i].index);
        EXPECT_EQ(log[i].length, expected[i].length);
    }
    EXPECT_EQ(log[0].data, std::vector<std::uint8_t>(command, command + 5));
}

TEST_F(WinUsbConnectionTest, DecodesTheStatusWithAMarginOnThePollTimeout)
{
    struct Case
    {
        unsigned int operationMs;
        std::int32_t pollTimeout;
    };
    for (const Case& c : {Case{100, 120}, Case{5, 6}, Case{10000, 12000}, Case{0, 0}})
    {
        SCOPED_TRACE(c.operationMs);
        SimulatedFaultRule slow;
        slow.step = SimulatedStep::EraseOperation;
        slow.fault = SimulatedFault::Slow;
        slow.delay = Milliseconds(c.operationMs);
        unit->AddFault(slow);
        WinUsbConnection connection;
        ASSERT_TRUE(connection.Open(path));
        std::uint8_t erase[5] = {0x41, 0x00, 0x80, 0x00, 0x08};
        ASSERT_EQ(connection.Download(erase, 5, 0), 0);
        DfuStatus status;
        ASSERT_EQ(connection.GetStatus(status), 0);
        EXPECT_EQ(status.bStatus, 0u);
        EXPECT_EQ(status.bState, DfuProtocol::dfuDNBUSY);
        EXPECT_EQ(status.bwPollTimeout, c.operationMs);
        EXPECT_EQ(status.pollTimeout, c.pollTimeout);
        connection.Close();
        // A fresh unit for the next case, without waiting for the erase.
        SimulatedDevices::Reset();
        AddUnit();
    }
}

// A status answer of other than 6 bytes is a failed request; the status is left as it was.
TEST_F(WinUsbConnectionTest, AShortStatusAnswerFails)
{
    SimulatedFaultRule shortAnswer;
    shortAnswer.step = SimulatedStep::GetStatusRequest;
    shortAnswer.fault = SimulatedFault::ShortAnswer;
    shortAnswer.answerLength = 5;
    unit->AddFault(shortAnswer);
    WinUsbConnection connection;
    ASSERT_TRUE(connection.Open(path));
    DfuStatus status;
    status.bState = 77;
    EXPECT_EQ(connection.GetStatus(status), WinUsbConnection::kRequestFailed);
    EXPECT_EQ(connection.GetLastError(), static_cast<std::int32_t>(ERROR_INVALID_DATA));
    EXPECT_EQ(status.bState, 77u);
    EXPECT_EQ(connection.GetStatus(status), 0);
    EXPECT_EQ(status.bState, DfuProtocol::dfuIDLE);
}

TEST_F(WinUsbConnectionTest, ClosedAndFailedConnections)
{
    WinUsbConnection connection;
    DfuStatus status;
    status.bState = 77;
    EXPECT_EQ(connection.GetStatus(status), WinUsbConnection::kRequestFailed);
    EXPECT_EQ(connection.GetLastError(), WinUsbConnection::kNotOpenError);
    EXPECT_EQ(status.bState, 77u);
    EXPECT_EQ(connection.ClearStatus(), WinUsbConnection::kRequestFailed);
    connection.Close(); // harmless when closed

    EXPECT_FALSE(connection.Open(Orv::WString(L"\\\\?\\usb#vid_0483&pid_df11#nowhere#{x}")));
    EXPECT_EQ(connection.GetLastError(), static_cast<std::int32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(connection.IsOpen());

    // The interface cannot be claimed: the device file is closed again.
    SimulatedFaultRule refuse;
    refuse.step = SimulatedStep::ClaimInterface;
    refuse.fault = SimulatedFault::Fail;
    unit->AddFault(refuse);
    EXPECT_FALSE(connection.Open(path));
    EXPECT_EQ(connection.GetLastError(), static_cast<std::int32_t>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(connection.IsOpen());

    // Open on an open connection closes it first; a device that left fails the requests.
    ASSERT_TRUE(connection.Open(path));
    ASSERT_TRUE(connection.Open(path));
    EXPECT_EQ(connection.GetStatus(status), 0);
    unit->Unplug();
    EXPECT_EQ(connection.GetStatus(status), WinUsbConnection::kRequestFailed);
    EXPECT_EQ(connection.GetLastError(), static_cast<std::int32_t>(ERROR_DEVICE_NOT_CONNECTED));
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
}
