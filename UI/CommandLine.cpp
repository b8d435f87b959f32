#include "CommandLine.h"

#include <cstring>

namespace Orv
{
WString BuildCommandLine(int argc, const char* const* argv)
{
    NString joined;
    for (int i = 0; i < argc && argv != nullptr; ++i)
    {
        const char* argument = argv[i] != nullptr ? argv[i] : "";
        if (i > 0)
        {
            joined.Append(' ');
        }
        const bool quoted = argument[0] == '\0' || std::strpbrk(argument, " \t") != nullptr;
        if (quoted)
        {
            joined.Append('"');
        }
        joined.Append(NString(argument));
        if (quoted)
        {
            joined.Append('"');
        }
    }
    WString line;
    line.AssignUtf8(joined.GetBuffer(), static_cast<int>(joined.GetLength()));
    return line;
}
} // namespace Orv
