// The text of a profile file: sections of entries, each entry a line "name=value".
//
// Names and values are escaped (backslash, line breaks, '=', '[' and ']'), so any text can be
// stored. Sections and entries are found without regard to the letter case of A to Z. A line
// the reader does not understand is kept as it is and written back unchanged.
#pragma once

#include <string>
#include <vector>

namespace OrvPlatform::Window::Detail
{
class ProfileFile
{
public:
    static ProfileFile Parse(const std::string& text);
    std::string Serialize() const;

    // The value of an entry; null when there is none.
    const std::string* Find(const std::string& section, const std::string& entry) const;
    void Set(const std::string& section, const std::string& entry, const std::string& value);

    static std::string Escape(const std::string& text);
    // False for a text with an unknown or unfinished escape.
    static bool Unescape(const std::string& text, std::string& out);

private:
    struct Line
    {
        bool raw = false;
        std::string text; // a raw line as read
        std::string entry;
        std::string value;
    };
    struct Section
    {
        std::string name;
        std::vector<Line> lines;
    };
    Section* FindSection(const std::string& name);
    const Section* FindSection(const std::string& name) const;

    // Lines before the first section header live in a section without a name.
    std::vector<Section> mSections;
};
} // namespace OrvPlatform::Window::Detail
