// The debug option of the command line, "-DEBUG_CONSOLE" or "-DEBUG_CONSOLE:port[:host]" (in any
// letter case): with the colon the debug output goes to the UDP log at the port (of the host, when
// one is given), without it to the console.
//
// The value after the colon ends at the next blank or the end of the line. The port must be two
// to five decimal digits naming a port from 1 to 65535, and the host, when given, letters,
// digits, '.' and '-' only; anything else leaves the option without effect (kIgnored), so that a
// mistyped port is never taken for another one.
#pragma once

#include "Utilities/Storage/StringT.h"

#include <string>

namespace Orv
{
struct DebugConsoleOption
{
    enum Kind
    {
        // The command line has no debug option.
        kNone,
        // "-DEBUG_CONSOLE": the console.
        kConsole,
        // "-DEBUG_CONSOLE:" with a good port: the UDP log.
        kUdp,
        // "-DEBUG_CONSOLE:" with a value that is refused.
        kIgnored,
    };

    Kind kind = kNone;
    int port = 0;
    // Empty: the debug output's own host.
    std::string host;

    // Reads the option from the command line (UTF-8).
    static DebugConsoleOption Parse(const NString& commandLine);
    // Points the program's debug output where the option says; nothing for kNone and kIgnored.
    void Apply() const;
};
} // namespace Orv
