// A fresh folder below the test's temporary folder, removed with all it holds at the end, and the
// whole text of a file, for the updater's tests that give the program folders of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace OrvTest
{
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = ::testing::TempDir() + "orv_updater_XXXXXX";
        mPath = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(mPath, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return mPath; }

private:
    std::string mPath;
};

// The file's text; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace OrvTest
