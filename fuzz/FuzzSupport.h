// What the fuzz targets share: a check that stops the run with a message (libFuzzer then keeps
// the input as a crash), a scratch folder for inputs that must be files, and an independent
// well-formedness check of UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// Stops the run when the condition does not hold.
#define ORV_FUZZ_CHECK(condition, message)                                                         \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, #condition, \
                         message);                                                                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace OrvTest
{
// A folder of the process's own under the temporary folder, removed at exit.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orv_fuzz_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
        {
            std::perror("orv fuzz: no scratch folder");
            std::abort();
        }
        mPath = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(mPath, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return mPath; }
    std::string File(const std::string& name) const { return mPath + "/" + name; }

    // Writes the bytes as the file's whole content.
    void Write(const std::string& name, const std::uint8_t* data, std::size_t size) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush())
        {
            std::perror("orv fuzz: scratch file not written");
            std::abort();
        }
    }

private:
    std::string mPath;
};

// Whether the bytes are well-formed UTF-8 (Unicode's table of well-formed byte sequences).
inline bool IsWellFormedUtf8(const unsigned char* text, std::size_t size)
{
    std::size_t i = 0;
    while (i < size)
    {
        const unsigned char lead = text[i];
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        std::size_t length;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            length = 2;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        else
        {
            return false;
        }
        if (size - i < length || text[i + 1] < low || text[i + 1] > high)
        {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k)
        {
            if (text[i + k] < 0x80 || text[i + k] > 0xBF)
            {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Whether the value is a Unicode scalar value (a code point that is not a surrogate).
inline bool IsScalarValue(std::uint32_t value)
{
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}
} // namespace OrvTest
