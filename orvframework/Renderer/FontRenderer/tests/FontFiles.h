// What the font tests share: the installed DejaVu fonts, font files and collections made from
// them, scratch folders, and a fontconfig configuration that names the folders a test scans.
#pragma once

#include "Renderer/FontRenderer/FontFileInfo.h"

#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace OrvTest
{
using Bytes = std::vector<unsigned char>;

inline std::uint32_t ReadBig32(const Bytes& bytes, std::size_t at)
{
    return (static_cast<std::uint32_t>(bytes[at]) << 24) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 8) | bytes[at + 3];
}

inline void PutBig16(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<unsigned char>(value >> 8);
    bytes[at + 1] = static_cast<unsigned char>(value);
}

inline void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    PutBig16(bytes, at, value >> 16);
    PutBig16(bytes, at + 2, value & 0xFFFF);
}

inline void AppendBig16(Bytes& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<unsigned char>(value >> 8));
    bytes.push_back(static_cast<unsigned char>(value));
}

inline void AppendBig32(Bytes& bytes, std::uint32_t value)
{
    AppendBig16(bytes, value >> 16);
    AppendBig16(bytes, value & 0xFFFF);
}

inline Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The path of an installed font file, searched in the system's font folders; empty when absent.
inline std::string FindInstalledFont(const std::string& name)
{
    for (const std::wstring& folder : OrvPlatform::Shell::GetFontFolders())
    {
        const std::string path = std::filesystem::path(folder).string() + "/" + name;
        if (std::filesystem::is_regular_file(path))
        {
            return path;
        }
    }
    return std::string();
}

// An installed DejaVu font's bytes; the test fails when it is not installed.
inline Bytes DejaVuBytes(const std::string& name)
{
    const std::string path = FindInstalledFont(name);
    EXPECT_FALSE(path.empty()) << name << " is not installed (package fonts-dejavu-core)";
    return path.empty() ? Bytes() : ReadFileBytes(path);
}

// A font collection holding the faces of the font files in order: each face's table offsets are
// moved by where the face lands in the collection.
inline Bytes MakeCollection(const std::vector<Bytes>& fonts)
{
    Bytes out;
    AppendBig32(out, 0x74746366); // "ttcf"
    AppendBig32(out, 0x00010000);
    AppendBig32(out, static_cast<std::uint32_t>(fonts.size()));
    std::size_t at = 12 + 4 * fonts.size();
    std::vector<std::size_t> bases;
    for (const Bytes& font : fonts)
    {
        at = (at + 3) & ~static_cast<std::size_t>(3);
        bases.push_back(at);
        AppendBig32(out, static_cast<std::uint32_t>(at));
        at += font.size();
    }
    for (std::size_t i = 0; i < fonts.size(); ++i)
    {
        out.resize(bases[i], 0);
        Bytes face = fonts[i];
        const std::uint32_t tables = (static_cast<std::uint32_t>(face[4]) << 8) | face[5];
        for (std::uint32_t t = 0; t < tables; ++t)
        {
            const std::size_t record = 12 + 16 * t;
            PutBig32(face, record + 8,
                     ReadBig32(face, record + 8) + static_cast<std::uint32_t>(bases[i]));
        }
        out.insert(out.end(), face.begin(), face.end());
    }
    return out;
}

// A folder of the test's own, removed with everything in it at the end.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orv-fonts-XXXXXX").string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
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
    void Write(const std::string& name, const Bytes& bytes) const
    {
        WriteFileBytes(File(name), bytes);
    }

private:
    std::string mPath;
};

// While it lives, fontconfig's configuration (and so the system's font folders) names only the
// given folders.
class FontFolderConfiguration
{
public:
    explicit FontFolderConfiguration(const std::vector<std::string>& folders)
    {
        const char* old = std::getenv("FONTCONFIG_FILE");
        mHad = old != nullptr;
        mOld = mHad ? old : "";
        std::ofstream out(mScratch.File("fonts.conf"));
        out << "<?xml version=\"1.0\"?>\n<fontconfig>\n";
        for (const std::string& folder : folders)
        {
            out << "<dir>" << folder << "</dir>\n";
        }
        out << "</fontconfig>\n";
        out.close();
        setenv("FONTCONFIG_FILE", mScratch.File("fonts.conf").c_str(), 1);
    }
    ~FontFolderConfiguration()
    {
        if (mHad)
        {
            setenv("FONTCONFIG_FILE", mOld.c_str(), 1);
        }
        else
        {
            unsetenv("FONTCONFIG_FILE");
        }
    }
    FontFolderConfiguration(const FontFolderConfiguration&) = delete;
    FontFolderConfiguration& operator=(const FontFolderConfiguration&) = delete;

private:
    ScratchFolder mScratch;
    bool mHad = false;
    std::string mOld;
};

// Fills the registry from the one folder.
inline Orv::ORVRESULT ScanOnly(const std::string& folder)
{
    FontFolderConfiguration configuration({folder});
    return Orv::LFontFileInfo::ScanFontFolder();
}

inline std::string Narrow(const Orv::WString& text)
{
    return text.ToNarrow().GetBuffer();
}
} // namespace OrvTest
