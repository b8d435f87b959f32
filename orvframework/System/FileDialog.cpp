// The open-file dialog over the platform's GetOpenFileNameW.
#include "System/FileDialog.h"

#include "Application/FrameworkApp.h"
#include "System/RootWindow.h"
#include "System/WindowOSServices.h"

#include <string>

namespace Orv
{
LFileDialog::LFileDialog(const WString& initialFolder)
    : mFolder(initialFolder)
{
    mRecord.lStructSize = sizeof(OPENFILENAMEW);
    mRecord.lpstrInitialDir = mFolder.GetBuffer();
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        const RCPtr<LRootWindow>& window = application->GetActiveRootWindow();
        if (window && window->GetServices() != nullptr)
        {
            mRecord.hwndOwner = window->GetServices()->GetWindowHandle();
        }
    }
    mRecord.nMaxFile = kBufferSize;
    mRecord.nMaxFileTitle = kBufferSize;
    mRecord.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
}

ORVRESULT LFileDialog::DoModal(const WString& filter, const WString& defaultExtension,
                               const WString& title, bool multiSelect)
{
    mFile.assign(kBufferSize, 0);
    mFileTitle.assign(kBufferSize, 0);
    mRecord.lpstrFile = mFile.data();
    mRecord.lpstrFileTitle = mFileTitle.data();
    mRecord.nMaxFile = kBufferSize;
    mRecord.nMaxFileTitle = kBufferSize;
    // The pairs end each item with '|'; the dialog wants NUL, and one more NUL at the end.
    std::wstring pairs(filter.GetBuffer());
    for (wchar_t& c : pairs)
    {
        c = c == L'|' ? L'\0' : c;
    }
    pairs.push_back(L'\0');
    mRecord.lpstrFilter = pairs.c_str();
    mRecord.lpstrTitle = title.GetBuffer();
    mRecord.lpstrDefExt = defaultExtension.GetBuffer();
    mRecord.lpstrInitialDir = mFolder.GetBuffer();
    mRecord.Flags |= OFN_READONLY | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (multiSelect)
    {
        mRecord.Flags |= OFN_ALLOWMULTISELECT;
    }
    else
    {
        mRecord.Flags &= ~OFN_ALLOWMULTISELECT;
    }
    const BOOL chosen = GetOpenFileNameW(&mRecord);
    mRecord.lpstrFilter = nullptr;
    if (!chosen)
    {
        return E_FAIL;
    }
    mPaths.clear();
    const wchar_t* first = mFile.data();
    const std::wstring head(first);
    const wchar_t* next = first + head.size() + 1;
    if (!multiSelect || *next == 0)
    {
        mPaths.push_back(WString(head.c_str()));
    }
    else
    {
        // The folder, then NUL-separated names.
        while (*next != 0)
        {
            const std::wstring name(next);
            mPaths.push_back(WString((head + L"/" + name).c_str()));
            next += name.size() + 1;
        }
    }
    const std::wstring path(mPaths.front().GetBuffer());
    const std::size_t slash = path.rfind(L'/');
    mFolder = WString(path.substr(0, slash == std::wstring::npos ? 0 : slash).c_str());
    mRecord.lpstrInitialDir = mFolder.GetBuffer();
    return S_OK;
}

WString LFileDialog::GetPathName() const
{
    return mPaths.empty() ? WString() : mPaths.front();
}
} // namespace Orv
