#include "DebugConsoleOption.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <cctype>

namespace Orv
{
namespace
{
constexpr const char* kOption = "-DEBUG_CONSOLE";
constexpr const char* kOptionWithValue = "-DEBUG_CONSOLE:";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsHostCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
}
} // namespace

DebugConsoleOption DebugConsoleOption::Parse(const NString& commandLine)
{
    // The option is found in any letter case: the line is upper-cased byte by byte.
    std::string line(commandLine.GetBuffer(), commandLine.GetLength());
    for (char& c : line)
    {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    DebugConsoleOption option;
    if (line.find(kOption) == std::string::npos)
    {
        return option;
    }
    const std::size_t at = line.find(kOptionWithValue);
    if (at == std::string::npos)
    {
        option.kind = kConsole;
        return option;
    }
    option.kind = kIgnored;
    const std::size_t start = at + std::char_traits<char>::length(kOptionWithValue);
    std::size_t end = start;
    while (end < line.size() && !IsBlank(line[end]))
    {
        ++end;
    }
    const std::string value = line.substr(start, end - start);
    const std::size_t colon = value.find(':');
    const std::string portText = value.substr(0, colon);
    const std::string host = colon == std::string::npos ? std::string() : value.substr(colon + 1);
    if (portText.size() < 2 || portText.size() > 5)
    {
        return option;
    }
    int port = 0;
    for (char c : portText)
    {
        if (c < '0' || c > '9')
        {
            return option;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
    {
        return option;
    }
    for (char c : host)
    {
        if (!IsHostCharacter(c))
        {
            return option;
        }
    }
    option.kind = kUdp;
    option.port = port;
    option.host = host;
    return option;
}

void DebugConsoleOption::Apply() const
{
    switch (kind)
    {
        case kConsole:
            OpenDebugConsole();
            break;
        case kUdp:
            GetDebugOutput().SetUdpTarget(host.empty() ? nullptr : host.c_str(), port);
            break;
        case kIgnored:
            GetDebugOutput().Narrow()
                << "The debug option is ignored: give -DEBUG_CONSOLE:port or "
                   "-DEBUG_CONSOLE:port:host, the port two to five digits from 1 to 65535"
                << std::endl;
            break;
        case kNone:
            break;
    }
}
} // namespace Orv
