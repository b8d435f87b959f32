// The profile reader on any text: it never fails, and what it writes reads back the same.
#include "ProfileFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using OrvPlatform::Window::Detail::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ProfileFile file = ProfileFile::Parse(text);
    const std::string written = file.Serialize();
    if (ProfileFile::Parse(written).Serialize() != written)
    {
        std::abort();
    }
    file.Set("Section", "Entry", text);
    const ProfileFile again = ProfileFile::Parse(file.Serialize());
    const std::string* value = again.Find("section", "entry");
    if (value == nullptr || *value != text)
    {
        std::abort();
    }
    return 0;
}
