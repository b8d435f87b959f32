// The settings manager: forwards to its store, and fails every operation when it has none.
#include "System/IniFileManager.h"

#include "System/IniFileManagerProxy.h"

#include <new>

namespace Orv
{
LIniFileManager::LIniFileManager()
    : mProxy(new (std::nothrow) CIniFileManagerProxy())
{
}

LIniFileManager::LIniFileManager(NoStore) {}

LIniFileManager::~LIniFileManager() = default;

ORVRESULT LIniFileManager::Reserved()
{
    return mProxy ? mProxy->Reserved() : kFailed;
}

ORVRESULT LIniFileManager::CloseAllFiles()
{
    return mProxy ? mProxy->CloseAllFiles() : kFailed;
}

ORVRESULT LIniFileManager::OpenFile(const WString& path, const WString& section,
                                    const WString& applicationName, IniFileHandle& handle)
{
    return mProxy ? mProxy->OpenFile(path, section, applicationName, handle) : kFailed;
}

ORVRESULT LIniFileManager::SaveFile(IniFileHandle handle)
{
    return mProxy ? mProxy->SaveFile(handle) : kFailed;
}

bool LIniFileManager::KeyExists(IniFileHandle handle, const WString& key)
{
    return mProxy ? mProxy->KeyExists(handle, key) : false;
}

ORVRESULT LIniFileManager::CloseFile(IniFileHandle handle, bool save)
{
    return mProxy ? mProxy->CloseFile(handle, save) : kFailed;
}

ORVRESULT LIniFileManager::GetInt(IniFileHandle handle, const WString& key, int defaultValue,
                                  int& out)
{
    if (!mProxy)
    {
        out = defaultValue;
        return kFailed;
    }
    return mProxy->GetInt(handle, key, defaultValue, out);
}

ORVRESULT LIniFileManager::SetInt(IniFileHandle handle, const WString& key, int value)
{
    return mProxy ? mProxy->SetInt(handle, key, value) : kFailed;
}

ORVRESULT LIniFileManager::GetString(IniFileHandle handle, const WString& key,
                                     const WString& defaultValue, WString& out)
{
    if (!mProxy)
    {
        out = defaultValue;
        return kFailed;
    }
    return mProxy->GetString(handle, key, WString(defaultValue), out);
}

ORVRESULT LIniFileManager::SetString(IniFileHandle handle, const WString& key, const WString& value)
{
    return mProxy ? mProxy->SetString(handle, key, WString(value)) : kFailed;
}

ORVRESULT LIniFileManager::GetCount(IniFileHandle handle, const WString& key, int& out)
{
    return mProxy ? mProxy->GetCount(handle, key, out) : kFailed;
}

ORVRESULT LIniFileManager::GetKeyAt(IniFileHandle handle, const WString& key, int index,
                                    WString& out)
{
    return mProxy ? mProxy->GetKeyAt(handle, key, index, out) : kFailed;
}

ORVRESULT LIniFileManager::GetArraySize(IniFileHandle handle, const WString& key, int& out)
{
    return mProxy ? mProxy->GetArraySize(handle, key, out) : kFailed;
}

ORVRESULT LIniFileManager::SetArraySize(IniFileHandle handle, const WString& key, int count)
{
    return mProxy ? mProxy->SetArraySize(handle, key, count) : kFailed;
}

ORVRESULT LIniFileManager::GetArrayString(IniFileHandle handle, const WString& key, int index,
                                          WString& out)
{
    return mProxy ? mProxy->GetArrayString(handle, key, index, out) : kFailed;
}

ORVRESULT LIniFileManager::SetArrayString(IniFileHandle handle, const WString& key, int index,
                                          const WString& value)
{
    return mProxy ? mProxy->SetArrayString(handle, key, index, WString(value)) : kFailed;
}

ORVRESULT LIniFileManager::RemoveArrayItem(IniFileHandle handle, const WString& key, int index)
{
    return mProxy ? mProxy->RemoveArrayItem(handle, key, index) : kFailed;
}
} // namespace Orv
