// Fuzz target of the TrueType name reader: the input is one font file or font collection.
//
// What must hold: the file is read or refused as a whole, a refusal with its reason and the
// caller's list untouched; every face read has a family and a lowered subfamily without null
// characters, and an index that is 0 in a single font and below the face count in a collection.
#include "FuzzSupport.h"

#include "Renderer/FontRenderer/TrueTypeNames.h"

#include <cstdint>
#include <cwchar>
#include <vector>

using namespace Orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FontFileBytes bytes(data, size);
    std::vector<FontFaceNames> faces(1);
    faces[0].family = L"caller's";
    NString error;
    const ORVRESULT result = ReadTrueTypeFaceNames(bytes, faces, error);
    ORV_FUZZ_CHECK(result == S_OK || result == E_FAIL, "a result of its own");
    ORV_FUZZ_CHECK(!faces.empty() && faces[0].family == L"caller's", "the caller's entry kept");
    if (result == E_FAIL)
    {
        ORV_FUZZ_CHECK(faces.size() == 1, "nothing of a refused file");
        ORV_FUZZ_CHECK(!error.IsEmpty(), "a reason");
        return 0;
    }
    const bool collection =
        size >= 4 && data[0] == 't' && data[1] == 't' && data[2] == 'c' && data[3] == 'f';
    const std::uint32_t count = collection && size >= 12
                                    ? (static_cast<std::uint32_t>(data[8]) << 24) |
                                          (static_cast<std::uint32_t>(data[9]) << 16) |
                                          (static_cast<std::uint32_t>(data[10]) << 8) | data[11]
                                    : 1;
    for (std::size_t i = 1; i < faces.size(); ++i)
    {
        const FontFaceNames& face = faces[i];
        ORV_FUZZ_CHECK(!face.family.IsEmpty() && !face.style.IsEmpty(), "both names");
        ORV_FUZZ_CHECK(std::wcslen(face.family.GetBuffer()) == face.family.GetLength(),
                       "no null character in the family");
        ORV_FUZZ_CHECK(face.style == face.style.ToLower(), "the subfamily lowered");
        ORV_FUZZ_CHECK(face.faceIndex >= 0 && static_cast<std::uint32_t>(face.faceIndex) < count,
                       "the face's index in the file");
        ORV_FUZZ_CHECK(i == 1 || face.faceIndex >= faces[i - 1].faceIndex, "faces in file order");
    }
    return 0;
}
