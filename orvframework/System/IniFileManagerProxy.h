// The settings store: the open settings files, each a property-list document in memory with
// its path and key prefix, answering typed reads and writes by key and writing changed files
// back.
//
// A file is written whole to a temporary file beside it, flushed to the disk and renamed over
// the old one, and the folder is flushed, so that the old or the new file is there at every
// moment, also after a power cut. A settings path that is a symbolic link is written through to
// the link's target (the temporary file beside the target), so that the link stays a link.
// Temporary files that a cut save left behind ("<name>.saving-XXXXXX", regular files of this
// user that no save holds) are removed before the next save of that file.
//
// Only a regular file of at most kMaximumFileSize bytes is read; it is opened without blocking,
// so that a pipe or a device in its place cannot stop the program. A file that exists but
// cannot be read in this way is kept as it is and never written in the session. A file that is
// read but is not a settings document is copied to a backup ("<path>.bak", or "<path>.bak.<n>"
// when that is taken by other bytes) before it can be replaced; when no backup can be made the
// file is kept read-only for the session as well.
//
// Writes past the process's file-size limit fail (EFBIG) rather than end the program, when the
// program ignores SIGXFSZ, as the updater does.
//
// UI thread only.
#pragma once

#include "System/IniFileManager.h"
#include "System/XNode.h"

#include <memory>
#include <string>
#include <vector>

namespace Orv
{
class CIniFileManagerProxy : public IIniFileManager
{
public:
    CIniFileManagerProxy() = default;
    // Closes every file, writing those that changed.
    ~CIniFileManagerProxy() override;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;

    ORVRESULT Reserved() override { return 0; }
    ORVRESULT CloseAllFiles() override;
    ORVRESULT OpenFile(const WString& path, const WString& section, const WString& applicationName,
                       IniFileHandle& handle) override;
    ORVRESULT SaveFile(IniFileHandle handle) override;
    bool KeyExists(IniFileHandle handle, const WString& key) override;
    ORVRESULT CloseFile(IniFileHandle handle, bool save) override;
    ORVRESULT GetInt(IniFileHandle handle, const WString& key, int defaultValue, int& out) override;
    ORVRESULT SetInt(IniFileHandle handle, const WString& key, int value) override;
    ORVRESULT GetString(IniFileHandle handle, const WString& key, const WString& defaultValue,
                        WString& out) override;
    ORVRESULT SetString(IniFileHandle handle, const WString& key, const WString& value) override;
    ORVRESULT GetCount(IniFileHandle handle, const WString& key, int& out) override;
    ORVRESULT GetKeyAt(IniFileHandle handle, const WString& key, int index, WString& out) override;
    ORVRESULT GetArraySize(IniFileHandle handle, const WString& key, int& out) override;
    ORVRESULT SetArraySize(IniFileHandle handle, const WString& key, int count) override;
    ORVRESULT GetArrayString(IniFileHandle handle, const WString& key, int index,
                             WString& out) override;
    ORVRESULT SetArrayString(IniFileHandle handle, const WString& key, int index,
                             const WString& value) override;
    ORVRESULT RemoveArrayItem(IniFileHandle handle, const WString& key, int index) override;

    // The document text that OpenFile makes for a file that does not exist yet; %s stands for
    // the application name.
    static constexpr const char* kNewFileText =
        "<dict><key>Application</key><string>%s</string></dict>";

    // The largest settings file that is read, far above any real one: a larger file is refused.
    static constexpr long long kMaximumFileSize = 16 * 1024 * 1024;
    // The temporary file of a save of "<name>" is "<name>" followed by this and six letters or
    // digits.
    static constexpr const char* kTemporaryInfix = ".saving-";

    // Writes bytes to path (through its symbolic links, to their final target) through a
    // temporary file in the target's folder: 0, or the C error number of the step that failed
    // (path unchanged then, and the temporary file removed).
    static int WriteFileAtomically(const std::string& path, const std::string& bytes);

    enum class ReadResult
    {
        kRead,
        kMissing,
        kFailed,
    };
    // Reads the regular file at path whole, without blocking on a pipe or a device: kMissing
    // when there is none, kFailed with a text saying why when it cannot be read, is not a
    // regular file or is larger than kMaximumFileSize.
    static ReadResult ReadSettingsFile(const std::string& path, std::string& out,
                                       std::string& error);

private:
    // The final target of the symbolic links at path (path itself when it is no link, also
    // when nothing is there): 0, or the C error number (ELOOP for a loop).
    static int ResolveLinks(const std::string& path, std::string& target);
    // Removes the temporary files that cut saves of path left in its folder.
    static void RemoveStaleTemporaries(const std::string& path);

    struct IniFileInfo
    {
        IniFileHandle handle = 0;
        std::string path;
        std::string prefix;
        std::unique_ptr<XNode> root;
        bool dirty = false;
        // The file on disk could not be read and no backup of it could be made.
        bool readOnly = false;
    };

    IniFileInfo* FindFile(IniFileHandle handle) const;
    // The node of the key in the file; null when missing (or the path is malformed).
    XNode* FindKey(const IniFileInfo& file, const WString& key,
                   XNode::FindOption option = XNode::kFindOnly) const;
    ORVRESULT WriteFile(IniFileInfo& file);

    std::vector<std::unique_ptr<IniFileInfo>> mFiles;
    IniFileHandle mNextHandle = 1;
};
} // namespace Orv
