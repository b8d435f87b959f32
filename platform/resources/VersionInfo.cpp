// The version-information calls over the program's embedded version block, and the default
// language ids from the locale.
#include "platform/VersionInfo.h"

#include "platform/DebugApi.h"
#include "platform/Kernel.h"
#include "platform/Resources.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// The block as GetFileVersionInfoW copies it: a header, the translations, then for each string
// its path below "\StringFileInfo\" and its value, each a zero-terminated wide string; offsets
// are from the start of the block.
constexpr DWORD kMagic = 0x56565230; // "0RVV"
struct BlockHeader
{
    DWORD magic;
    DWORD size;
    DWORD translationCount;
    DWORD translationOffset;
    DWORD stringCount;
    DWORD stringTableOffset; // stringCount pairs of (path offset, value offset)
};

struct ParsedBlock
{
    std::vector<DWORD> translations;
    std::vector<std::pair<std::wstring, std::wstring>> strings; // "040904B0\Key", value
};

std::wstring Widen(const std::string& text)
{
    // The block is UTF-8; its texts are names and numbers, decoded code point by code point.
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80         ? 0
                          : (lead >> 5) == 6  ? 1
                          : (lead >> 4) == 14 ? 2
                          : (lead >> 3) == 30 ? 3
                                              : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size())
        {
            wide.push_back(L'\uFFFD');
            ++i;
            continue;
        }
        unsigned long code = extra == 0 ? lead : (lead & (0x3Fu >> extra));
        bool valid = true;
        for (int k = 1; k <= extra; ++k)
        {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = valid && (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        wide.push_back(valid ? static_cast<wchar_t>(code) : L'\uFFFD');
        i += valid ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return wide;
}

bool ParseHex(const std::string& text, std::size_t digits, DWORD& value)
{
    if (text.size() != digits)
    {
        return false;
    }
    value = 0;
    for (const char c : text)
    {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) != 0 ? c - '0'
                          : (c >= 'A' && c <= 'F')                         ? c - 'A' + 10
                          : (c >= 'a' && c <= 'f')                         ? c - 'a' + 10
                                                                           : -1;
        if (digit < 0)
        {
            return false;
        }
        value = value * 16 + static_cast<DWORD>(digit);
    }
    return true;
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text)
    {
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    }
    return text;
}

// Reads the text of the block; false (the line logged) at the first line it cannot read.
bool ParseBlock(const char* data, std::size_t size, ParsedBlock& out)
{
    std::size_t start = 0;
    int number = 0;
    while (start < size)
    {
        std::size_t end = start;
        while (end < size && data[end] != '\n')
        {
            ++end;
        }
        std::string line(data + start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == ';')
        {
            continue;
        }
        line.erase(0, first);
        const std::size_t blank = line.find_first_of(" \t");
        const std::string word = line.substr(0, blank);
        const std::string rest = blank == std::string::npos
                                     ? std::string()
                                     : line.substr(line.find_first_not_of(" \t", blank));
        bool ok = false;
        if (word == "TRANSLATION")
        {
            std::size_t position = 0;
            std::vector<std::string> numbers;
            while (position < rest.size())
            {
                const std::size_t next = rest.find_first_of(" \t", position);
                const std::string item = rest.substr(position, next - position);
                if (!item.empty())
                {
                    numbers.push_back(item);
                }
                position = next == std::string::npos ? rest.size() : next + 1;
            }
            ok = !numbers.empty() && numbers.size() % 2 == 0;
            for (std::size_t i = 0; ok && i < numbers.size(); i += 2)
            {
                DWORD language = 0;
                DWORD codePage = 0;
                ok = ParseHex(numbers[i], 4, language) && ParseHex(numbers[i + 1], 4, codePage);
                out.translations.push_back(language | codePage << 16);
            }
        }
        else
        {
            DWORD translation = 0;
            const std::size_t equals = rest.find('=');
            if (ParseHex(word, 8, translation) && equals != std::string::npos && equals > 0)
            {
                std::string key = rest.substr(0, equals);
                while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
                {
                    key.pop_back();
                }
                ok = !key.empty() && key.find_first_of("\\ \t") == std::string::npos;
                out.strings.emplace_back(Upper(Widen(word + "\\" + key)),
                                         Widen(rest.substr(equals + 1)));
            }
        }
        if (!ok)
        {
            const std::string message =
                "Version block: line " + std::to_string(number) + " cannot be read\n";
            OutputDebugStringA(message.c_str());
            return false;
        }
    }
    return true;
}

std::vector<unsigned char> Compile(const ParsedBlock& parsed)
{
    std::vector<unsigned char> block(sizeof(BlockHeader));
    auto append = [&](const void* data, std::size_t bytes)
    {
        const std::size_t offset = block.size();
        block.resize(offset + bytes);
        std::memcpy(block.data() + offset, data, bytes);
        return static_cast<DWORD>(offset);
    };
    BlockHeader header{};
    header.magic = kMagic;
    header.translationCount = static_cast<DWORD>(parsed.translations.size());
    header.translationOffset =
        append(parsed.translations.data(), parsed.translations.size() * sizeof(DWORD));
    std::vector<DWORD> table;
    for (const auto& [path, value] : parsed.strings)
    {
        table.push_back(append(path.c_str(), (path.size() + 1) * sizeof(wchar_t)));
        table.push_back(append(value.c_str(), (value.size() + 1) * sizeof(wchar_t)));
    }
    // Keeps the offsets of the wide strings aligned.
    block.resize((block.size() + alignof(wchar_t) - 1) / alignof(wchar_t) * alignof(wchar_t));
    header.stringCount = static_cast<DWORD>(parsed.strings.size());
    header.stringTableOffset = append(table.data(), table.size() * sizeof(DWORD));
    header.size = static_cast<DWORD>(block.size());
    std::memcpy(block.data(), &header, sizeof(header));
    return block;
}

std::string Narrow(LPCWSTR text)
{
    std::string narrow;
    for (; *text != 0; ++text)
    {
        const auto c = static_cast<unsigned long>(*text);
        if (c < 0x80)
        {
            narrow.push_back(static_cast<char>(c));
        }
        else if (c < 0x800)
        {
            narrow.push_back(static_cast<char>(0xC0 | (c >> 6)));
            narrow.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        else if (c < 0x10000)
        {
            narrow.push_back(static_cast<char>(0xE0 | (c >> 12)));
            narrow.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        else
        {
            narrow.push_back(static_cast<char>(0xF0 | (c >> 18)));
            narrow.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            narrow.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return narrow;
}

// The compiled block of the file; empty with the last error set when it has none.
std::vector<unsigned char> ReadBlock(LPCWSTR fileName)
{
    if (fileName == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    char resolved[PATH_MAX];
    char program[PATH_MAX];
    if (realpath(Narrow(fileName).c_str(), resolved) == nullptr)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return {};
    }
    if (realpath("/proc/self/exe", program) == nullptr || std::strcmp(resolved, program) != 0)
    {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return {};
    }
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (resource == nullptr)
    {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return {};
    }
    const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    ParsedBlock parsed;
    if (data == nullptr || !ParseBlock(data, SizeofResource(nullptr, resource), parsed))
    {
        SetLastError(ERROR_INVALID_DATA);
        return {};
    }
    return Compile(parsed);
}

bool SamePath(const wchar_t* a, const std::wstring& b)
{
    return Upper(a) == b;
}

// The language of a locale name ("de_DE.UTF-8"); English (United States) for none, "C" and
// "POSIX", and for a language not in the table.
LANGID LanguageOfLocale(const std::string& locale)
{
    struct Known
    {
        const char* prefix;
        LANGID language;
    };
    // Longest prefixes first.
    static const Known kKnown[] = {
        {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh", 0x0804}, {"en_GB", 0x0809},
        {"en", 0x0409},    {"de", 0x0407},    {"fr", 0x040C}, {"es", 0x0C0A},
        {"it", 0x0410},    {"ja", 0x0411},    {"ko", 0x0412}, {"nl", 0x0413},
        {"pt_BR", 0x0416}, {"pt", 0x0816},    {"ru", 0x0419}, {"sv", 0x041D},
    };
    for (const Known& known : kKnown)
    {
        if (locale.compare(0, std::strlen(known.prefix), known.prefix) == 0)
        {
            return known.language;
        }
    }
    return static_cast<LANGID>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

std::string LocaleFromEnvironment()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != 0)
        {
            return value;
        }
    }
    return std::string();
}

std::string SystemLocale()
{
    for (const char* path : {"/etc/default/locale", "/etc/locale.conf"})
    {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line))
        {
            if (line.rfind("LANG=", 0) == 0)
            {
                std::string value = line.substr(5);
                if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                {
                    value = value.substr(1, value.size() - 2);
                }
                return value;
            }
        }
    }
    return std::string();
}
} // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle)
{
    if (handle != nullptr)
    {
        *handle = 0;
    }
    const std::vector<unsigned char> block = ReadBlock(fileName);
    if (block.empty())
    {
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD, DWORD length, LPVOID data)
{
    const std::vector<unsigned char> block = ReadBlock(fileName);
    if (block.empty())
    {
        return FALSE;
    }
    if (data == nullptr || length < block.size())
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block.data(), block.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length)
{
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr)
    {
        return FALSE;
    }
    BlockHeader header{};
    std::memcpy(&header, block, sizeof(header));
    if (header.magic != kMagic)
    {
        return FALSE;
    }
    const auto* base = static_cast<const unsigned char*>(block);
    const std::wstring path = Upper(subBlock);
    if (path == L"\\VARFILEINFO\\TRANSLATION")
    {
        *buffer = const_cast<unsigned char*>(base + header.translationOffset);
        *length = header.translationCount * static_cast<UINT>(sizeof(DWORD));
        return TRUE;
    }
    const std::wstring prefix = L"\\STRINGFILEINFO\\";
    if (path.compare(0, prefix.size(), prefix) != 0)
    {
        return FALSE;
    }
    const std::wstring wanted = path.substr(prefix.size());
    for (DWORD i = 0; i < header.stringCount; ++i)
    {
        DWORD offsets[2];
        std::memcpy(offsets, base + header.stringTableOffset + i * sizeof(offsets),
                    sizeof(offsets));
        const auto* key = reinterpret_cast<const wchar_t*>(base + offsets[0]);
        if (SamePath(key, wanted))
        {
            auto* value = reinterpret_cast<wchar_t*>(const_cast<unsigned char*>(base + offsets[1]));
            *buffer = value;
            *length = static_cast<UINT>(std::wcslen(value) + 1);
            return TRUE;
        }
    }
    return FALSE;
}

LANGID GetUserDefaultLangID()
{
    return LanguageOfLocale(LocaleFromEnvironment());
}

LANGID GetSystemDefaultLangID()
{
    return LanguageOfLocale(SystemLocale());
}
