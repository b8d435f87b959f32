// The family and subfamily names of the faces of a TrueType font file or font collection, read
// from their naming tables. All numbers of the file are big-endian. Every count, offset and
// length the file gives is checked against the file's size before it is used, and a file that
// fails a check is refused as a whole.
#pragma once

#include "Utilities/Storage/StringT.h"

#include <cstddef>
#include <vector>

namespace Orv
{
// A font file's bytes, read at an offset.
class IFontFileData
{
public:
    virtual ~IFontFileData() = default;

    virtual unsigned long long GetSize() const = 0;
    // Reads exactly count bytes at offset; false when they cannot all be read.
    virtual bool Read(void* buffer, unsigned int count, unsigned int offset) = 0;
};

// Font file bytes held in memory (not copied: they must outlive this object).
class FontFileBytes final : public IFontFileData
{
public:
    FontFileBytes(const unsigned char* bytes, std::size_t size)
        : mBytes(bytes)
        , mSize(size)
    {
    }

    unsigned long long GetSize() const override { return mSize; }
    bool Read(void* buffer, unsigned int count, unsigned int offset) override;

private:
    const unsigned char* mBytes;
    std::size_t mSize;
};

// The names of one face: its family (name id 1) and its subfamily (name id 2) lowered, as one
// platform's records give them, and the face's index in the file (0 in a single font file).
struct FontFaceNames
{
    WString family;
    WString style;
    int faceIndex = 0;
};

// Appends the names of every face of the file to faces, in file order. Only the records of the
// Macintosh platform in English (language 0) and of the Windows platform in US English (0x409)
// count; a face that gives both a family and a subfamily on both platforms appears twice, a face
// without a naming table or without both names not at all. S_OK; E_FAIL when the file is
// damaged (a header, table or string that lies outside the file, or tables read over and over),
// with error saying what is wrong and faces as it was.
ORVRESULT ReadTrueTypeFaceNames(IFontFileData& data, std::vector<FontFaceNames>& faces,
                                NString& error);

// The text of a Macintosh Roman string.
WString DecodeMacRoman(const unsigned char* text, std::size_t length);

// The text of a string of big-endian UTF-16 units; a surrogate without its partner becomes
// U+FFFD.
WString DecodeUtf16BigEndian(const unsigned char* text, std::size_t units);
} // namespace Orv
