// The font-file registry: the font files of the system's font folders, by family. A scan reads the
// family and subfamily names of every TrueType file and collection there and keeps one entry per
// family with up to four files: regular, bold, italic and bold italic. A font is then turned into
// a font-file id, index * 4 + style slot, and an id into a file path and the face's index in
// that file.
//
// The registry and its lookup map (font object to entry) are process-wide, filled by a scan and
// emptied by Clear; the FreeType font renderer does both, once for all of its instances. Used on
// the UI thread only.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

#include <vector>

namespace Orv
{
class LFont;

class LFontFileInfo : public virtual LRefCountedObject
{
public:
    // The style slots.
    static constexpr int kRegular = 0;
    static constexpr int kBold = 1;
    static constexpr int kItalic = 2;
    static constexpr int kBoldItalic = 3;
    static constexpr int kSlotCount = 4;

    explicit LFontFileInfo(int index);

    // Empties the registry and the lookup map, then fills the registry from the system's font
    // folders. S_OK; E_FAIL when there is no font folder (the registry stays empty).
    static ORVRESULT ScanFontFolder();
    // Empties the lookup map and the registry.
    static void Clear();

    // The font-file id of the font: its family's entry (else the entry of the desktop's
    // interface font's family) and its style's slot, or the first of the style's fallbacks that
    // holds a file (which is then kept in the style's slot too). Style bits other than bold and
    // italic play no part. Throws the runtime error when neither family is registered.
    static int GetFileID(const ConstRCPtr<LFont>& font);
    // The path in slot id & 3 of entry id >> 2; the empty string when there is no such entry.
    static const WString& GetFilePath(int id);
    // The index of the face in that file; 0 when there is no such entry.
    static int GetFaceIndex(int id);
    // A new entry with empty strings, appended to the registry; its index is its position.
    static RCPtr<LFontFileInfo> AppendNew();

    // The entry of the family, searched from the last entry to the first; null when none.
    static RCPtr<LFontFileInfo> FindFamily(const WString& family);
    static int GetCount();

    const WString& GetFamily() const { return mFamily; }
    const WString& GetPath(int slot) const { return mPaths[slot & 3]; }
    int GetFaceIndexInFile(int slot) const { return mFaceIndexes[slot & 3]; }
    int GetIndex() const { return mIndex; }

private:
    // Fills the registry from the folders: every "*.ttf" file of them, then every "*.ttc" file.
    // A file that cannot be opened is passed over; a damaged file is passed over with a line in
    // the debug output.
    static void ScanFolders(const std::vector<WString>& folders);
    // Registers one face of the file at path under its family, in the slot its subfamily names.
    static void Register(const WString& family, const WString& style, const WString& path,
                         int faceIndex);

    WString mFamily;
    WString mPaths[kSlotCount];
    int mFaceIndexes[kSlotCount] = {};
    int mIndex;
};
} // namespace Orv
