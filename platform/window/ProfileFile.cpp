#include "ProfileFile.h"

namespace OrvPlatform::Window::Detail
{
namespace
{
bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        auto fold = [](char c)
        { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
        {
            return false;
        }
    }
    return true;
}

// The position of the first '=' that is not escaped; npos when none.
std::size_t FindSeparator(const std::string& line)
{
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        if (line[i] == '\\')
        {
            ++i;
        }
        else if (line[i] == '=')
        {
            return i;
        }
    }
    return std::string::npos;
}
} // namespace

std::string ProfileFile::Escape(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '=':
                out += "\\=";
                break;
            case '[':
                out += "\\[";
                break;
            case ']':
                out += "\\]";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

bool ProfileFile::Unescape(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '[' || c == ']' || c == '=' || c == '\r' || c == '\n')
        {
            return false;
        }
        if (c != '\\')
        {
            out += c;
            continue;
        }
        if (++i == text.size())
        {
            return false;
        }
        switch (text[i])
        {
            case '\\':
            case '=':
            case '[':
            case ']':
                out += text[i];
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

ProfileFile ProfileFile::Parse(const std::string& text)
{
    ProfileFile file;
    file.mSections.push_back(Section{});
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
        {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        Line parsed;
        std::string name;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
            Unescape(line.substr(1, line.size() - 2), name))
        {
            file.mSections.push_back(Section{name, {}});
            continue;
        }
        const std::size_t separator = FindSeparator(line);
        if (separator != std::string::npos && separator > 0 &&
            Unescape(line.substr(0, separator), parsed.entry) &&
            Unescape(line.substr(separator + 1), parsed.value))
        {
            file.mSections.back().lines.push_back(parsed);
            continue;
        }
        parsed = Line{};
        parsed.raw = true;
        parsed.text = line;
        file.mSections.back().lines.push_back(parsed);
    }
    return file;
}

std::string ProfileFile::Serialize() const
{
    std::string out;
    for (std::size_t s = 0; s < mSections.size(); ++s)
    {
        const Section& section = mSections[s];
        if (s > 0)
        {
            // Appended piece by piece: "[" + a temporary string trips a false -Wrestrict of
            // g++ 12 at -O3.
            out += '[';
            out += Escape(section.name);
            out += "]\n";
        }
        for (const Line& line : section.lines)
        {
            out += line.raw ? line.text : Escape(line.entry) + "=" + Escape(line.value);
            out += "\n";
        }
    }
    return out;
}

const ProfileFile::Section* ProfileFile::FindSection(const std::string& name) const
{
    for (std::size_t s = 1; s < mSections.size(); ++s)
    {
        if (SameName(mSections[s].name, name))
        {
            return &mSections[s];
        }
    }
    return nullptr;
}

ProfileFile::Section* ProfileFile::FindSection(const std::string& name)
{
    return const_cast<Section*>(static_cast<const ProfileFile*>(this)->FindSection(name));
}

const std::string* ProfileFile::Find(const std::string& section, const std::string& entry) const
{
    const Section* found = FindSection(section);
    if (found == nullptr)
    {
        return nullptr;
    }
    for (const Line& line : found->lines)
    {
        if (!line.raw && SameName(line.entry, entry))
        {
            return &line.value;
        }
    }
    return nullptr;
}

void ProfileFile::Set(const std::string& section, const std::string& entry,
                      const std::string& value)
{
    if (mSections.empty())
    {
        mSections.push_back(Section{});
    }
    Section* found = FindSection(section);
    if (found == nullptr)
    {
        mSections.push_back(Section{section, {}});
        found = &mSections.back();
    }
    for (Line& line : found->lines)
    {
        if (!line.raw && SameName(line.entry, entry))
        {
            line.value = value;
            return;
        }
    }
    Line line;
    line.entry = entry;
    line.value = value;
    found->lines.push_back(line);
}
} // namespace OrvPlatform::Window::Detail
