// The settings service: IIniFileManager, the interface through which the framework and the
// application read and write their settings files, and LIniFileManager, the reference-counted
// manager the application hands out, which forwards every operation to the store that keeps the
// open files (CIniFileManagerProxy).
//
// Results: 0 success, kUnknownFile for a handle that names no open file, kFailed for a wrong
// type, a bad index or a failed write. A missing key reads as the caller's default with 0.
// Keys are paths: names joined by '.', "[n]" for the n-th element.
//
// UI thread only.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Storage/StringT.h"

#include <memory>

namespace Orv
{
// An open settings file: an opaque id, never 0 (0 stands for "no file").
using IniFileHandle = unsigned int;

class IIniFileManager
{
public:
    static constexpr ORVRESULT kUnknownFile = -3;
    static constexpr ORVRESULT kFailed = -1;
    // OpenFile: the file was open already.
    static constexpr ORVRESULT kAlreadyOpen = 1;

    virtual ~IIniFileManager() = default;

    // 0.
    virtual ORVRESULT Reserved() = 0;
    // Closes every open file, the last opened first, writing those that changed: 0, or kFailed
    // when a write failed (the other files are still written and every file is closed).
    virtual ORVRESULT CloseAllFiles() = 0;
    // Opens the settings file at path (made when it does not exist): 0 opened, kAlreadyOpen,
    // kFailed. Its keys live under the section (dots in the section become '_').
    virtual ORVRESULT OpenFile(const WString& path, const WString& section,
                               const WString& applicationName, IniFileHandle& handle) = 0;
    // Writes the file when it changed: 0, kUnknownFile, kFailed (the file on disk unchanged).
    virtual ORVRESULT SaveFile(IniFileHandle handle) = 0;
    virtual bool KeyExists(IniFileHandle handle, const WString& key) = 0;
    // With save, SaveFile's result, else 0; kUnknownFile. The file is closed either way.
    virtual ORVRESULT CloseFile(IniFileHandle handle, bool save) = 0;
    // out = defaultValue, then the value: a boolean reads 0 or 1, a real truncated toward zero.
    virtual ORVRESULT GetInt(IniFileHandle handle, const WString& key, int defaultValue,
                             int& out) = 0;
    virtual ORVRESULT SetInt(IniFileHandle handle, const WString& key, int value) = 0;
    // out = defaultValue, then the text of a string or data value that is not empty.
    virtual ORVRESULT GetString(IniFileHandle handle, const WString& key,
                                const WString& defaultValue, WString& out) = 0;
    virtual ORVRESULT SetString(IniFileHandle handle, const WString& key, const WString& value) = 0;
    // The number of children of a dictionary or array (0 for a value); kFailed when missing.
    virtual ORVRESULT GetCount(IniFileHandle handle, const WString& key, int& out) = 0;
    // The key of a container's child.
    virtual ORVRESULT GetKeyAt(IniFileHandle handle, const WString& key, int index,
                               WString& out) = 0;
    virtual ORVRESULT GetArraySize(IniFileHandle handle, const WString& key, int& out) = 0;
    // The node becomes an array of exactly count elements (new ones empty strings).
    virtual ORVRESULT SetArraySize(IniFileHandle handle, const WString& key, int count) = 0;
    virtual ORVRESULT GetArrayString(IniFileHandle handle, const WString& key, int index,
                                     WString& out) = 0;
    // Makes the node an array holding the index, and a string element there.
    virtual ORVRESULT SetArrayString(IniFileHandle handle, const WString& key, int index,
                                     const WString& value) = 0;
    virtual ORVRESULT RemoveArrayItem(IniFileHandle handle, const WString& key, int index) = 0;
};

class CIniFileManagerProxy;

class LIniFileManager : public IIniFileManager, public virtual LRefCountedObject
{
public:
    LIniFileManager();
    ~LIniFileManager() override;
    LIniFileManager(const LIniFileManager&) = delete;
    LIniFileManager& operator=(const LIniFileManager&) = delete;

    ORVRESULT Reserved() override;
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

protected:
    // For tests: a manager without its store, as when making the store failed.
    struct NoStore
    {
    };
    explicit LIniFileManager(NoStore);

private:
    // Null only when the store could not be made: then every operation fails.
    std::unique_ptr<CIniFileManagerProxy> mProxy;
};
} // namespace Orv
