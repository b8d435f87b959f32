// Fuzz target of the debug option of the command line ("-DEBUG_CONSOLE[:port[:host]]").
//
// Input: the bytes of a command line (UTF-8 or not).
//
// What must hold: reading never goes outside the line; the UDP log is chosen only with a port of
// two to five digits from 1 to 65535, which the line holds right after the option, and a host of
// letters, digits, '.' and '-' only; any other kind leaves port and host empty; the console is
// chosen only for a line that holds the option without a colon.
#include "DebugConsoleOption.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Orv::DebugConsoleOption;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Orv::NString line;
    line.Assign(bytes.c_str(), static_cast<int>(bytes.size()));
    const DebugConsoleOption option = DebugConsoleOption::Parse(line);

    std::string upper(line.GetBuffer(), line.GetLength());
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool hasOption = upper.find("-DEBUG_CONSOLE") != std::string::npos;
    const bool hasValue = upper.find("-DEBUG_CONSOLE:") != std::string::npos;
    switch (option.kind)
    {
        case DebugConsoleOption::kNone:
            ORV_FUZZ_CHECK(!hasOption, "the option was missed");
            break;
        case DebugConsoleOption::kConsole:
            ORV_FUZZ_CHECK(hasOption && !hasValue, "the console without the plain option");
            break;
        case DebugConsoleOption::kIgnored:
            ORV_FUZZ_CHECK(hasValue, "a value ignored that was not there");
            break;
        case DebugConsoleOption::kUdp:
        {
            ORV_FUZZ_CHECK(hasValue, "the UDP log without the option");
            ORV_FUZZ_CHECK(option.port >= 1 && option.port <= 65535, "a port out of range");
            const std::string port = std::to_string(option.port);
            const std::size_t at = upper.find("-DEBUG_CONSOLE:") + 15;
            const std::string digits =
                upper.substr(at, upper.find_first_not_of("0123456789", at) - at);
            ORV_FUZZ_CHECK(digits.size() >= 2 && digits.size() <= 5 &&
                               std::stoi(digits) == option.port,
                           "the port is not the line's");
            for (char c : option.host)
            {
                ORV_FUZZ_CHECK(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-',
                               "a host with a character no host name has");
            }
            return 0;
        }
    }
    ORV_FUZZ_CHECK(option.port == 0 && option.host.empty(), "a port or host without the UDP log");
    return 0;
}
