// A small DFU host over a simulated link, for the tests of the simulated bootloader.
#pragma once

#include "platform/SimulatedBus.h"
#include "platform/SimulatedDevices.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace OrvTest
{
using OrvPlatform::DfuState;
using OrvPlatform::DfuStatus;
using OrvPlatform::SimulatedSetup;
using OrvPlatform::SimulatedUsbLink;

struct StatusAnswer
{
    DWORD error = 0;
    DfuStatus status = DfuStatus::OK;
    unsigned pollTimeout = 0;
    DfuState state = DfuState::appIDLE;
};

class DfuHost
{
public:
    explicit DfuHost(std::shared_ptr<SimulatedUsbLink> link)
        : mLink(std::move(link))
    {
    }

    DWORD Out(std::uint8_t request, std::uint16_t value, std::vector<std::uint8_t> data = {})
    {
        SimulatedSetup setup{0x21, request, value, 0, static_cast<std::uint16_t>(data.size())};
        std::uint32_t transferred = 0;
        return mLink->ControlTransfer(setup, data.data(), transferred);
    }
    DWORD In(std::uint8_t request, std::uint16_t value, std::uint16_t length,
             std::vector<std::uint8_t>& answer)
    {
        SimulatedSetup setup{0xA1, request, value, 0, length};
        answer.assign(length, 0);
        std::uint32_t transferred = 0;
        const DWORD error = mLink->ControlTransfer(setup, answer.data(), transferred);
        answer.resize(transferred);
        return error;
    }
    DWORD Download(std::uint16_t block, const std::vector<std::uint8_t>& data)
    {
        return Out(1, block, data);
    }
    DWORD SetAddress(std::uint32_t address) { return Download(0, Command(0x21, address)); }
    DWORD Erase(std::uint32_t address) { return Download(0, Command(0x41, address)); }
    DWORD Leave() { return Out(1, 0); }
    DWORD ClearStatus() { return Out(4, 0); }
    DWORD Abort() { return Out(6, 0); }
    StatusAnswer GetStatus()
    {
        std::vector<std::uint8_t> answer;
        StatusAnswer result;
        result.error = In(3, 0, 6, answer);
        if (result.error == 0 && answer.size() == 6)
        {
            result.status = static_cast<DfuStatus>(answer[0]);
            result.pollTimeout = answer[1] | answer[2] << 8 | answer[3] << 16;
            result.state = static_cast<DfuState>(answer[4]);
        }
        return result;
    }
    // GETSTATUS until the device leaves dfuDNBUSY; the last answer.
    StatusAnswer Settle()
    {
        StatusAnswer status = GetStatus();
        for (int i = 0; i < 1000 && status.error == 0 && status.state == DfuState::dfuDNBUSY; ++i)
        {
            status = GetStatus();
        }
        return status;
    }
    // A command or data block followed by its status requests: the final state.
    StatusAnswer Run(DWORD requestError)
    {
        if (requestError != 0)
        {
            StatusAnswer failed;
            failed.error = requestError;
            return failed;
        }
        return Settle();
    }

    static std::vector<std::uint8_t> Command(std::uint8_t code, std::uint32_t address)
    {
        return {code, std::uint8_t(address), std::uint8_t(address >> 8),
                std::uint8_t(address >> 16), std::uint8_t(address >> 24)};
    }

private:
    std::shared_ptr<SimulatedUsbLink> mLink;
};
} // namespace OrvTest
