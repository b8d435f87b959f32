// The user's folder list: any text gives no folder or an absolute one.
#include "platform/Shell.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string folder = OrvPlatform::Shell::DocumentsFolderFromUserDirs(text, "/home/user");
    if (!folder.empty() && folder.front() != '/')
    {
        std::abort();
    }
    return 0;
}
