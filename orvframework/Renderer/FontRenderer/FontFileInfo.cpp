#include "Renderer/FontRenderer/FontFileInfo.h"

#include "Renderer/Font.h"
#include "Renderer/FontRenderer/TrueTypeNames.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Storage/OrvFile.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Storage/RCPtrMap.h"

#include "platform/Shell.h"
#include "platform/User32.h"

#include <exception>

namespace Orv
{
namespace
{
struct Registry
{
    // The entries, in the order their families were first met; an entry's index is its position.
    RCPtrArray<LFontFileInfo> entries;
    // Fonts already resolved, by font object: a cache in front of the search by family.
    RCPtrMap<LFont, LFontFileInfo, 8> lookup;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

// The slots tried for each style, in order.
constexpr int kFallbacks[LFontFileInfo::kSlotCount][LFontFileInfo::kSlotCount] = {
    {LFontFileInfo::kRegular, LFontFileInfo::kBold, LFontFileInfo::kItalic,
     LFontFileInfo::kBoldItalic},
    {LFontFileInfo::kBold, LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular,
     LFontFileInfo::kItalic},
    {LFontFileInfo::kItalic, LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular,
     LFontFileInfo::kBold},
    {LFontFileInfo::kBoldItalic, LFontFileInfo::kBold, LFontFileInfo::kItalic,
     LFontFileInfo::kRegular},
};

// The slot of a lowered subfamily name. Oblique is the italic of the families that name it so.
int SlotOfStyle(const WString& style)
{
    if (style == L"bold")
    {
        return LFontFileInfo::kBold;
    }
    if (style == L"italic" || style == L"oblique")
    {
        return LFontFileInfo::kItalic;
    }
    if (style == L"bold italic" || style == L"bold oblique")
    {
        return LFontFileInfo::kBoldItalic;
    }
    return LFontFileInfo::kRegular;
}

// The family of the desktop's interface font; false when the system cannot say.
bool GetInterfaceFontFamily(WString& family)
{
    LOGFONTW font{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0))
    {
        return false;
    }
    family.Assign(font.lfFaceName);
    return !family.IsEmpty();
}

// A font file read through the framework's file.
class FontFile final : public IFontFileData
{
public:
    explicit FontFile(File& file)
        : mFile(file)
        , mSize(static_cast<unsigned long long>(file.GetLength()))
    {
    }

    unsigned long long GetSize() const override { return mSize; }
    bool Read(void* buffer, unsigned int count, unsigned int offset) override
    {
        return mFile.Read(buffer, count, offset) == static_cast<int>(count);
    }

private:
    File& mFile;
    unsigned long long mSize;
};
} // namespace

LFontFileInfo::LFontFileInfo(int index)
    : mIndex(index)
{
}

ORVRESULT LFontFileInfo::ScanFontFolder()
{
    Clear();
    std::vector<WString> folders;
    for (const std::wstring& folder : OrvPlatform::Shell::GetFontFolders())
    {
        folders.emplace_back(folder.c_str());
    }
    if (folders.empty())
    {
        return E_FAIL;
    }
    ScanFolders(folders);
    return S_OK;
}

void LFontFileInfo::ScanFolders(const std::vector<WString>& folders)
{
    Array<WString> paths;
    for (const wchar_t* pattern : {L"*.ttf", L"*.ttc"})
    {
        for (const WString& folder : folders)
        {
            ListFilesInFolder(folder, WString(pattern), paths);
        }
    }
    for (unsigned int i = 0; i < paths.GetCount(); ++i)
    {
        const WString& path = paths.GetConstElementPointer(i);
        std::vector<FontFaceNames> faces;
        NString error;
        try
        {
            File file(path, WString());
            if (!file.IsOpen())
            {
                continue;
            }
            FontFile data(file);
            if (ReadTrueTypeFaceNames(data, faces, error) < 0)
            {
                GetDebugOutput().Narrow() << "Font file " << path.ToNarrow().GetBuffer()
                                          << " passed over: " << error.GetBuffer() << std::endl;
                continue;
            }
        }
        catch (const std::exception& failure)
        {
            GetDebugOutput().Narrow() << "Font file " << path.ToNarrow().GetBuffer()
                                      << " passed over: " << failure.what() << std::endl;
            continue;
        }
        for (const FontFaceNames& face : faces)
        {
            Register(face.family, face.style, path, face.faceIndex);
        }
    }
}

void LFontFileInfo::Clear()
{
    Registry& registry = GetRegistry();
    registry.lookup.Clear();
    registry.entries.RemoveAll();
}

void LFontFileInfo::Register(const WString& family, const WString& style, const WString& path,
                             int faceIndex)
{
    RCPtr<LFontFileInfo> entry = FindFamily(family);
    if (entry == nullptr)
    {
        entry = AppendNew();
        entry->mFamily = family;
    }
    const int slot = SlotOfStyle(style);
    entry->mPaths[slot] = path;
    entry->mFaceIndexes[slot] = faceIndex;
}

RCPtr<LFontFileInfo> LFontFileInfo::FindFamily(const WString& family)
{
    const RCPtrArray<LFontFileInfo>& entries = GetRegistry().entries;
    for (unsigned int i = entries.GetCount(); i-- > 0;)
    {
        const RCPtr<LFontFileInfo>& entry = entries.GetConstElementPointer(i);
        if (entry->mFamily == family)
        {
            return entry;
        }
    }
    return RCPtr<LFontFileInfo>();
}

int LFontFileInfo::GetCount()
{
    return static_cast<int>(GetRegistry().entries.GetCount());
}

RCPtr<LFontFileInfo> LFontFileInfo::AppendNew()
{
    RCPtrArray<LFontFileInfo>& entries = GetRegistry().entries;
    RCPtr<LFontFileInfo> entry(new LFontFileInfo(static_cast<int>(entries.GetCount())));
    entries.AddItem(entry);
    return entry;
}

int LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font)
{
    if (font == nullptr)
    {
        ORV_THROW(std::invalid_argument, "Null Pointer", "font");
    }
    Registry& registry = GetRegistry();
    RCPtr<LFontFileInfo> entry = registry.lookup.Find(font.Get());
    if (entry == nullptr)
    {
        entry = FindFamily(font->GetName());
        WString fallback;
        if (entry == nullptr && GetInterfaceFontFamily(fallback))
        {
            entry = FindFamily(fallback);
        }
        if (entry == nullptr)
        {
            ORV_THROW(std::runtime_error,
                      "No font file for the font's family or the default family");
        }
        registry.lookup.Set(font, entry);
    }
    const int style = font->GetStyle() & 3;
    if (entry->mPaths[style].IsEmpty())
    {
        for (const int slot : kFallbacks[style])
        {
            if (!entry->mPaths[slot].IsEmpty())
            {
                entry->mPaths[style] = entry->mPaths[slot];
                entry->mFaceIndexes[style] = entry->mFaceIndexes[slot];
                break;
            }
        }
    }
    return entry->mIndex * kSlotCount + style;
}

const WString& LFontFileInfo::GetFilePath(int id)
{
    const RCPtrArray<LFontFileInfo>& entries = GetRegistry().entries;
    const int index = id >> 2;
    if (index < 0 || index >= static_cast<int>(entries.GetCount()))
    {
        return GetEmptyWString();
    }
    return entries.GetConstElementPointer(static_cast<unsigned int>(index))->mPaths[id & 3];
}

int LFontFileInfo::GetFaceIndex(int id)
{
    const RCPtrArray<LFontFileInfo>& entries = GetRegistry().entries;
    const int index = id >> 2;
    if (index < 0 || index >= static_cast<int>(entries.GetCount()))
    {
        return 0;
    }
    return entries.GetConstElementPointer(static_cast<unsigned int>(index))->mFaceIndexes[id & 3];
}
} // namespace Orv
