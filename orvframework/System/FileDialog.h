// The open-file dialog for application code: a filter of name and pattern pairs, each item
// followed by '|' ("Firmware Files (*.dfu)|*.dfu|"), a default extension, a title, one or
// several files. The chosen paths stay in the dialog.
//
// UI thread only.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/StringT.h"

#include "platform/CommonDialogs.h"

#include <vector>

namespace Orv
{
class LFileDialog : public virtual LRefCountedObject
{
public:
    // Characters of the file and file-title buffers.
    static constexpr DWORD kBufferSize = 2600;

    // Owned by the active root window's window, when there is one.
    explicit LFileDialog(const WString& initialFolder);

    // 0 when the user chose a file; E_FAIL when the dialog was cancelled or failed.
    ORVRESULT DoModal(const WString& filter, const WString& defaultExtension, const WString& title,
                      bool multiSelect);
    // The chosen path (the first of several); empty when none was chosen.
    WString GetPathName() const;
    const std::vector<WString>& GetPathNames() const { return mPaths; }
    // The folder the dialog opens in: the one given, after a choice the chosen file's.
    const WString& GetFolder() const { return mFolder; }
    const OPENFILENAMEW& GetRecord() const { return mRecord; }

private:
    OPENFILENAMEW mRecord{};
    std::vector<wchar_t> mFile;
    std::vector<wchar_t> mFileTitle;
    WString mFolder;
    std::vector<WString> mPaths;
};
} // namespace Orv
