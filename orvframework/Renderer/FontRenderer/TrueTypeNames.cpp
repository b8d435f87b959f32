#include "Renderer/FontRenderer/TrueTypeNames.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace Orv
{
namespace
{
constexpr std::uint32_t kCollectionTag = 0x74746366; // "ttcf"
constexpr std::uint32_t kCollectionVersion2 = 0x00020000;
constexpr unsigned int kFileHeaderSize = 12;
constexpr unsigned int kSignatureSize = 12;
constexpr unsigned int kOffsetTableSize = 12;
constexpr unsigned int kTableRecordSize = 16;
constexpr unsigned int kNamingHeaderSize = 6;
constexpr unsigned int kNameRecordSize = 12;

constexpr std::uint16_t kPlatformMacintosh = 1;
constexpr std::uint16_t kPlatformWindows = 3;
constexpr std::uint16_t kLanguageMacEnglish = 0;
constexpr std::uint16_t kLanguageWindowsUsEnglish = 0x409;
constexpr std::uint16_t kNameFamily = 1;
constexpr std::uint16_t kNameSubfamily = 2;

// How many times over the file's size its headers, directories and names may be read: faces of a
// collection share tables, but a file whose faces all point at the same large directory would
// otherwise make the reading quadratic.
constexpr unsigned long long kReadBudgetPerByte = 4;

// Unicode for the Macintosh Roman bytes 0x80 to 0xFF; the bytes below are ASCII.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

std::uint16_t Big16(const unsigned char* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t Big32(const unsigned char* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

// A wide string of the text up to its first null character.
WString ToWString(const std::wstring& text)
{
    WString out;
    out.Assign(text.c_str());
    return out;
}

class NameReader
{
public:
    explicit NameReader(IFontFileData& data)
        : mData(data)
        , mSize(data.GetSize())
        , mBudget(kReadBudgetPerByte * mSize)
    {
    }

    bool ReadFile(std::vector<FontFaceNames>& faces)
    {
        std::vector<unsigned char> header;
        if (!Fetch(header, 0, kFileHeaderSize, "the file header"))
        {
            return false;
        }
        if (Big32(header.data()) != kCollectionTag)
        {
            return ReadFace(0, 0, faces);
        }
        const std::uint32_t count = Big32(header.data() + 8);
        std::vector<unsigned char> offsets;
        if (!Fetch(offsets, kFileHeaderSize, 4ull * count, "the collection's face offsets"))
        {
            return false;
        }
        std::vector<unsigned char> signature;
        if (Big32(header.data() + 4) == kCollectionVersion2 &&
            !Fetch(signature, kFileHeaderSize + 4ull * count, kSignatureSize,
                   "the collection's signature record"))
        {
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i)
        {
            if (!ReadFace(Big32(offsets.data() + 4ull * i), static_cast<int>(i), faces))
            {
                return false;
            }
        }
        return true;
    }

    const NString& GetError() const { return mError; }

private:
    // Reads count bytes at offset into out, after checking that they lie inside the file and
    // that the read budget allows them; false with the error set otherwise.
    bool Fetch(std::vector<unsigned char>& out, unsigned long long offset, unsigned long long count,
               const char* what)
    {
        const unsigned long long end = offset + count;
        if (end > mSize || end > 0xFFFFFFFFull)
        {
            return Fail("outside the file: " + std::string(what) + " (bytes " +
                        std::to_string(offset) + " to " + std::to_string(end) + " of " +
                        std::to_string(mSize) + ")");
        }
        if (count > mBudget)
        {
            return Fail("its tables are read more than " + std::to_string(kReadBudgetPerByte) +
                        " times over (at " + what + ")");
        }
        mBudget -= count;
        out.resize(static_cast<std::size_t>(count));
        if (count != 0 && !mData.Read(out.data(), static_cast<unsigned int>(count),
                                      static_cast<unsigned int>(offset)))
        {
            return Fail("cannot be read: " + std::string(what));
        }
        return true;
    }

    bool Fail(const std::string& text)
    {
        mError = text.c_str();
        return false;
    }

    // The names of the face whose offset table is at offset. A face without a naming table
    // gives nothing.
    bool ReadFace(std::uint32_t offset, int faceIndex, std::vector<FontFaceNames>& faces)
    {
        std::vector<unsigned char> offsetTable;
        if (!Fetch(offsetTable, offset, kOffsetTableSize, "a face's offset table"))
        {
            return false;
        }
        const std::uint16_t tableCount = Big16(offsetTable.data() + 4);
        std::vector<unsigned char> records;
        if (!Fetch(records, offset + static_cast<unsigned long long>(kOffsetTableSize),
                   static_cast<unsigned long long>(kTableRecordSize) * tableCount,
                   "a face's table directory"))
        {
            return false;
        }
        for (std::uint16_t i = 0; i < tableCount; ++i)
        {
            const unsigned char* record =
                records.data() + static_cast<std::size_t>(i) * kTableRecordSize;
            if (record[0] == 0)
            {
                // An empty tag ends the directory.
                break;
            }
            bool isName = true;
            for (int k = 0; k < 4; ++k)
            {
                const unsigned char c = record[k] >= 'A' && record[k] <= 'Z'
                                            ? static_cast<unsigned char>(record[k] + ('a' - 'A'))
                                            : record[k];
                isName = isName && c == static_cast<unsigned char>("name"[k]);
            }
            if (isName)
            {
                return ReadNamingTable(Big32(record + 8), Big32(record + 12), faceIndex, faces);
            }
        }
        return true;
    }

    bool ReadNamingTable(std::uint32_t offset, std::uint32_t length, int faceIndex,
                         std::vector<FontFaceNames>& faces)
    {
        const unsigned long long tableEnd = static_cast<unsigned long long>(offset) + length;
        if (tableEnd > mSize)
        {
            return Fail("outside the file: the naming table (bytes " + std::to_string(offset) +
                        " to " + std::to_string(tableEnd) + " of " + std::to_string(mSize) + ")");
        }
        std::vector<unsigned char> header;
        if (!Fetch(header, offset, kNamingHeaderSize, "the naming table's header"))
        {
            return false;
        }
        const std::uint16_t count = Big16(header.data() + 2);
        const unsigned long long strings =
            static_cast<unsigned long long>(offset) + Big16(header.data() + 4);
        std::vector<unsigned char> records;
        if (!Fetch(records, offset + static_cast<unsigned long long>(kNamingHeaderSize),
                   static_cast<unsigned long long>(kNameRecordSize) * count, "the name records"))
        {
            return false;
        }
        FontFaceNames names;
        names.faceIndex = faceIndex;
        bool haveFamily = false;
        bool haveStyle = false;
        std::vector<unsigned char> text;
        for (std::uint16_t i = 0; i < count; ++i)
        {
            const unsigned char* record =
                records.data() + static_cast<std::size_t>(i) * kNameRecordSize;
            const std::uint16_t platform = Big16(record);
            const std::uint16_t language = Big16(record + 4);
            const std::uint16_t nameId = Big16(record + 6);
            const std::uint16_t byteLength = Big16(record + 8);
            const std::uint16_t stringOffset = Big16(record + 10);
            const bool english =
                (platform == kPlatformMacintosh && language == kLanguageMacEnglish) ||
                (platform == kPlatformWindows && language == kLanguageWindowsUsEnglish);
            if (!english || (nameId != kNameFamily && nameId != kNameSubfamily))
            {
                continue;
            }
            // Windows strings are whole 16-bit units; an odd last byte is not read.
            const unsigned int readLength =
                platform == kPlatformWindows ? byteLength & ~1u : byteLength;
            if (!Fetch(text, strings + stringOffset, readLength, "a name string"))
            {
                return false;
            }
            const WString value = platform == kPlatformWindows
                                      ? DecodeUtf16BigEndian(text.data(), text.size() / 2)
                                      : DecodeMacRoman(text.data(), text.size());
            if (value.IsEmpty())
            {
                continue;
            }
            if (nameId == kNameFamily && !haveFamily)
            {
                names.family = value;
                haveFamily = true;
            }
            else if (nameId == kNameSubfamily && !haveStyle)
            {
                names.style = value.ToLower();
                haveStyle = true;
            }
            if (haveFamily && haveStyle)
            {
                faces.push_back(names);
                haveFamily = false;
                haveStyle = false;
            }
        }
        return true;
    }

    IFontFileData& mData;
    unsigned long long mSize;
    unsigned long long mBudget;
    NString mError;
};
} // namespace

bool FontFileBytes::Read(void* buffer, unsigned int count, unsigned int offset)
{
    if (static_cast<unsigned long long>(offset) + count > mSize)
    {
        return false;
    }
    if (count != 0)
    {
        std::memcpy(buffer, mBytes + offset, count);
    }
    return true;
}

ORVRESULT ReadTrueTypeFaceNames(IFontFileData& data, std::vector<FontFaceNames>& faces,
                                NString& error)
{
    NameReader reader(data);
    std::vector<FontFaceNames> found;
    if (!reader.ReadFile(found))
    {
        error = reader.GetError();
        return E_FAIL;
    }
    faces.insert(faces.end(), found.begin(), found.end());
    return S_OK;
}

WString DecodeMacRoman(const unsigned char* text, std::size_t length)
{
    std::wstring out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
    {
        const unsigned char c = text[i];
        out.push_back(c < 0x80 ? static_cast<wchar_t>(c)
                               : static_cast<wchar_t>(kMacRomanHigh[c - 0x80]));
    }
    return ToWString(out);
}

WString DecodeUtf16BigEndian(const unsigned char* text, std::size_t units)
{
    std::wstring out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i)
    {
        const char32_t unit = Big16(text + 2 * i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units)
        {
            const char32_t low = Big16(text + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                out.push_back(
                    static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                ++i;
                continue;
            }
        }
        out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? static_cast<wchar_t>(0xFFFD)
                                                       : static_cast<wchar_t>(unit));
    }
    return ToWString(out);
}
} // namespace Orv
