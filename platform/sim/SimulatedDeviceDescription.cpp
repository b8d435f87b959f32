#include "platform/SimulatedDeviceDescription.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace OrvPlatform
{
namespace
{
bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value)
{
    if (text.empty())
    {
        return false;
    }
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        base = 16;
        start = 2;
    }
    unsigned long result = 0;
    for (std::size_t i = start; i < text.size(); ++i)
    {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
        {
            digit = c - '0';
        }
        else if (base == 16 && c >= 'a' && c <= 'f')
        {
            digit = c - 'a' + 10;
        }
        else if (base == 16 && c >= 'A' && c <= 'F')
        {
            digit = c - 'A' + 10;
        }
        else
        {
            return false;
        }
        result = result * base + digit;
        if (result > max)
        {
            return false;
        }
    }
    value = result;
    return true;
}

// "HH.HH" or "HHHH": the four hexadecimal digits of bcdDevice.
bool ParseVersion(const std::string& text, std::uint16_t& version)
{
    std::string digits = text;
    if (digits.size() == 5 && digits[2] == '.')
    {
        digits.erase(2, 1);
    }
    if (digits.size() != 4)
    {
        return false;
    }
    unsigned long value = 0;
    if (!ParseNumber("0x" + digits, 0xFFFF, value))
    {
        return false;
    }
    version = static_cast<std::uint16_t>(value);
    return true;
}

struct LineError
{
    std::string text;
};

// The steps a fault= key can name.
struct StepName
{
    const char* name;
    SimulatedStep step;
};
constexpr StepName kStepNames[] = {
    {"update-message", SimulatedStep::UpdateMessage},
    {"open", SimulatedStep::Open},
    {"claim-interface", SimulatedStep::ClaimInterface},
    {"set-address-request", SimulatedStep::SetAddressRequest},
    {"erase-request", SimulatedStep::EraseRequest},
    {"data-request", SimulatedStep::DataRequest},
    {"leave-request", SimulatedStep::LeaveRequest},
    {"get-status-request", SimulatedStep::GetStatusRequest},
    {"clear-status-request", SimulatedStep::ClearStatusRequest},
    {"abort-request", SimulatedStep::AbortRequest},
    {"get-state-request", SimulatedStep::GetStateRequest},
    {"upload-request", SimulatedStep::UploadRequest},
    {"erase", SimulatedStep::EraseOperation},
    {"program", SimulatedStep::ProgramOperation},
    {"manifest", SimulatedStep::ManifestOperation},
    {"return-to-normal", SimulatedStep::ReturnToNormal},
};

// "step:fail|stall|vanish[:n]": the fault at the n-th time the step comes (1 when not given,
// 0 for every time).
SimulatedFaultRule ParseFault(const std::string& value)
{
    const auto first = value.find(':');
    const auto second = first == std::string::npos ? first : value.find(':', first + 1);
    const std::string step = value.substr(0, first);
    const std::string kind =
        first == std::string::npos ? std::string() : value.substr(first + 1, second - first - 1);
    SimulatedFaultRule rule;
    const auto named = std::find_if(std::begin(kStepNames), std::end(kStepNames),
                                    [&](const StepName& each) { return step == each.name; });
    if (named == std::end(kStepNames))
    {
        throw LineError{"unknown step '" + step + "' for fault (as program:fail:3)"};
    }
    rule.step = named->step;
    if (kind == "fail")
    {
        rule.fault = SimulatedFault::Fail;
    }
    else if (kind == "stall")
    {
        rule.fault = SimulatedFault::Stall;
    }
    else if (kind == "vanish")
    {
        rule.fault = SimulatedFault::Vanish;
    }
    else
    {
        throw LineError{"bad fault '" + kind + "' for fault (fail, stall or vanish)"};
    }
    if (second != std::string::npos)
    {
        unsigned long occurrence = 0;
        if (!ParseNumber(value.substr(second + 1), 100000, occurrence))
        {
            throw LineError{"bad occurrence '" + value.substr(second + 1) +
                            "' for fault (0 to 100000)"};
        }
        rule.occurrence = static_cast<unsigned>(occurrence);
    }
    return rule;
}

SimulatedUnitConfig ParseLine(const std::string& line)
{
    std::istringstream words(line);
    std::string word;
    std::set<std::string> seen;
    SimulatedUnitConfig config;
    bool first = true;
    bool hasVersion = false;
    while (words >> word)
    {
        const auto equals = word.find('=');
        if (equals == std::string::npos || equals == 0)
        {
            throw LineError{"expected key=value, found '" + word + "'"};
        }
        const std::string key = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (!seen.insert(key).second)
        {
            throw LineError{"key '" + key + "' given twice"};
        }
        if (first)
        {
            if (key != "device")
            {
                throw LineError{"a line must start with device=controller or "
                                "device=wheel-display"};
            }
            if (value == "controller")
            {
                config = SimulatedUnitConfig::Controller(0);
            }
            else if (value == "wheel-display")
            {
                config = SimulatedUnitConfig::WheelDisplay(0);
            }
            else
            {
                throw LineError{"unknown device '" + value + "' (controller or wheel-display)"};
            }
            first = false;
            continue;
        }
        unsigned long number = 0;
        auto time = [&](Milliseconds& target)
        {
            if (!ParseNumber(value, 60000, number))
            {
                throw LineError{"bad value '" + value + "' for " + key +
                                " (milliseconds, 0 to 60000)"};
            }
            target = Milliseconds(number);
        };
        if (key == "version")
        {
            if (!ParseVersion(value, config.firmwareVersion))
            {
                throw LineError{"bad version '" + value + "' (four hexadecimal digits, as 00.31)"};
            }
            hasVersion = true;
        }
        else if (key == "mode")
        {
            if (value == "normal")
            {
                config.initialMode = SimulatedMode::Normal;
            }
            else if (value == "bootloader")
            {
                config.initialMode = SimulatedMode::Bootloader;
            }
            else
            {
                throw LineError{"bad mode '" + value + "' (normal or bootloader)"};
            }
        }
        else if (key == "vendor-id" || key == "product-id")
        {
            if (!ParseNumber(value, 0xFFFF, number) || number == 0)
            {
                throw LineError{"bad value '" + value + "' for " + key + " (1 to 0xFFFF)"};
            }
            (key == "vendor-id" ? config.vendorId : config.productId) =
                static_cast<std::uint16_t>(number);
        }
        else if (key == "update-delay-ms")
        {
            time(config.updateModeDelay);
        }
        else if (key == "reset-delay-ms")
        {
            time(config.resetDelay);
        }
        else if (key == "erase-ms-per-16k")
        {
            time(config.timings.eraseTimePer16K);
        }
        else if (key == "program-ms-per-block")
        {
            time(config.timings.programTimePerBlock);
        }
        else if (key == "manifest-ms")
        {
            time(config.timings.manifestTime);
        }
        else if (key == "busy")
        {
            if (value == "hold")
            {
                config.busyAnswer = BusyAnswer::Hold;
            }
            else if (value == "answer")
            {
                config.busyAnswer = BusyAnswer::AnswerBusy;
            }
            else
            {
                throw LineError{"bad value '" + value + "' for busy (hold or answer)"};
            }
        }
        else if (key == "flash-file")
        {
            if (value.empty() || value[0] != '/')
            {
                throw LineError{"bad value '" + value + "' for flash-file (an absolute path)"};
            }
            config.flashFile = value;
        }
        else if (key == "fault")
        {
            config.faults.push_back(ParseFault(value));
        }
        else
        {
            throw LineError{"unknown key '" + key + "'"};
        }
    }
    if (!hasVersion)
    {
        throw LineError{"version=... is missing"};
    }
    return config;
}
} // namespace

bool SimulatedDeviceDescription::Parse(const std::string& text, const std::string& source,
                                       std::vector<SimulatedUnitConfig>& units, std::string& error)
{
    std::vector<SimulatedUnitConfig> parsed;
    std::istringstream lines(text);
    std::string line;
    unsigned number = 0;
    while (std::getline(lines, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
        {
            continue;
        }
        if (line.find('\0') != std::string::npos)
        {
            error = source + ":" + std::to_string(number) + ": not a text line";
            return false;
        }
        try
        {
            parsed.push_back(ParseLine(line));
        }
        catch (const LineError& e)
        {
            error = source + ":" + std::to_string(number) + ": " + e.text;
            return false;
        }
    }
    units = std::move(parsed);
    error.clear();
    return true;
}

bool SimulatedDeviceDescription::ReadFile(const std::string& path,
                                          std::vector<SimulatedUnitConfig>& units,
                                          std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = path + ": cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
    {
        error = path + ": cannot be read";
        return false;
    }
    constexpr std::size_t kMaximumSize = 64 * 1024;
    const std::string text = content.str();
    if (text.size() > kMaximumSize)
    {
        error = path + ": too large for a description (more than 64 KB)";
        return false;
    }
    return Parse(text, path, units, error);
}
} // namespace OrvPlatform
