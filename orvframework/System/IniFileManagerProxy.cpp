// The settings store: opening, reading, writing and closing settings files.
#include "System/IniFileManagerProxy.h"

#include "System/PropertyListReader.h"
#include "System/PropertyListWriter.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <cstdio>
#include <cstring>
#include <ostream>

namespace Orv
{
namespace
{
std::string Utf8(const WString& text)
{
    return std::string(text.ToNarrow().GetBuffer());
}

WString Wide(const std::string& text)
{
    WString wide;
    wide.AssignUtf8(text.c_str(), static_cast<int>(text.size()));
    return wide;
}

// Keeps the bytes of an unreadable settings file under a backup name that holds no other
// bytes; true when they are kept (also when a backup already holds them).
bool KeepBackup(const std::string& path, const std::string& bytes)
{
    for (int n = 0; n < 100; ++n)
    {
        const std::string name = path + ".bak" + (n == 0 ? std::string() : "." + std::to_string(n));
        std::string existing;
        std::string error;
        const auto result = CIniFileManagerProxy::ReadSettingsFile(name, existing, error);
        if (result == CIniFileManagerProxy::ReadResult::kRead && existing == bytes)
        {
            return true;
        }
        if (result == CIniFileManagerProxy::ReadResult::kMissing)
        {
            return CIniFileManagerProxy::WriteFileAtomically(name, bytes) == 0;
        }
    }
    return false;
}
} // namespace

CIniFileManagerProxy::~CIniFileManagerProxy()
{
    CloseAllFiles();
}

CIniFileManagerProxy::IniFileInfo* CIniFileManagerProxy::FindFile(IniFileHandle handle) const
{
    if (handle == 0)
    {
        return nullptr;
    }
    for (const auto& file : mFiles)
    {
        if (file->handle == handle)
        {
            return file.get();
        }
    }
    return nullptr;
}

XNode* CIniFileManagerProxy::FindKey(const IniFileInfo& file, const WString& key,
                                     XNode::FindOption option) const
{
    const std::string path = file.prefix + Utf8(key);
    if (option != XNode::kFindOnly && !PropertyListWriter::IsWritableText(path))
    {
        return nullptr;
    }
    return file.root->Find(path, option);
}

ORVRESULT CIniFileManagerProxy::WriteFile(IniFileInfo& file)
{
    if (file.readOnly)
    {
        GetDebugOutput().Narrow() << "Settings: " << file.path
                                  << " is not written: it is kept as it was found, since it "
                                     "could not be read or no backup of it could be made"
                                  << std::endl;
        return kFailed;
    }
    const std::string text = PropertyListWriter::Write(*file.root, PropertyListWriter::kHeader);
    const int error = WriteFileAtomically(file.path, text);
    if (error != 0)
    {
        GetDebugOutput().Narrow() << "Settings: cannot write " << file.path << ": "
                                  << std::strerror(error) << std::endl;
        return kFailed;
    }
    file.root->ClearDirty();
    file.dirty = false;
    return 0;
}

ORVRESULT CIniFileManagerProxy::CloseAllFiles()
{
    ORVRESULT result = 0;
    while (!mFiles.empty())
    {
        IniFileInfo& file = *mFiles.back();
        if (file.dirty && WriteFile(file) != 0)
        {
            result = kFailed;
        }
        mFiles.pop_back();
    }
    return result;
}

ORVRESULT CIniFileManagerProxy::OpenFile(const WString& path, const WString& section,
                                         const WString& applicationName, IniFileHandle& handle)
{
    const std::string utf8Path = Utf8(path);
    for (auto it = mFiles.rbegin(); it != mFiles.rend(); ++it)
    {
        if ((*it)->path == utf8Path)
        {
            handle = (*it)->handle;
            return kAlreadyOpen;
        }
    }
    auto file = std::make_unique<IniFileInfo>();
    file->path = utf8Path;
    std::string prefix = Utf8(section);
    if (!prefix.empty())
    {
        for (char& c : prefix)
        {
            c = c == '.' ? '_' : c;
        }
        file->prefix = prefix + ".";
    }

    std::string bytes;
    std::string error;
    const ReadResult result = ReadSettingsFile(utf8Path, bytes, error);
    if (result == ReadResult::kRead)
    {
        std::string parseError;
        file->root = PropertyListReader::Read(bytes, utf8Path.c_str(), &parseError);
        if (!file->root)
        {
            GetDebugOutput().Narrow() << "Settings: " << utf8Path << " is not a settings document ("
                                      << parseError << "); it is kept as a backup" << std::endl;
            file->readOnly = !KeepBackup(utf8Path, bytes);
        }
    }
    else if (result == ReadResult::kFailed)
    {
        GetDebugOutput().Narrow() << "Settings: cannot read " << utf8Path << ": " << error
                                  << "; it is left as it is" << std::endl;
        file->readOnly = true;
    }
    if (!file->root)
    {
        // The application name is a value of the new document, escaped as the writer would.
        std::string name;
        PropertyListWriter::AppendEscaped(name, Utf8(applicationName));
        std::string text = kNewFileText;
        text.replace(text.find("%s"), 2, name);
        file->root = PropertyListReader::Read(text);
        if (!file->root)
        {
            return kFailed;
        }
    }
    file->handle = mNextHandle++;
    if (mNextHandle == 0)
    {
        mNextHandle = 1;
    }
    handle = file->handle;
    mFiles.push_back(std::move(file));
    return 0;
}

ORVRESULT CIniFileManagerProxy::SaveFile(IniFileHandle handle)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    return file->dirty ? WriteFile(*file) : 0;
}

bool CIniFileManagerProxy::KeyExists(IniFileHandle handle, const WString& key)
{
    const IniFileInfo* file = FindFile(handle);
    return file != nullptr && FindKey(*file, key) != nullptr;
}

ORVRESULT CIniFileManagerProxy::CloseFile(IniFileHandle handle, bool save)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const ORVRESULT result = save ? SaveFile(handle) : 0;
    for (auto it = mFiles.begin(); it != mFiles.end(); ++it)
    {
        if (it->get() == file)
        {
            mFiles.erase(it);
            break;
        }
    }
    return result;
}

ORVRESULT CIniFileManagerProxy::GetInt(IniFileHandle handle, const WString& key, int defaultValue,
                                       int& out)
{
    out = defaultValue;
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr)
    {
        return 0;
    }
    switch (node->GetType())
    {
        case XNode::kBoolean:
            out = node->GetBoolean() ? 1 : 0;
            return 0;
        case XNode::kInteger:
            out = node->GetInteger();
            return 0;
        case XNode::kReal:
        {
            const float value = node->GetReal();
            // NaN and values outside int keep the default.
            if (!(value > -2147483649.0f && value < 2147483648.0f))
            {
                return kFailed;
            }
            out = static_cast<int>(value);
            return 0;
        }
        default:
            return kFailed;
    }
}

ORVRESULT CIniFileManagerProxy::SetInt(IniFileHandle handle, const WString& key, int value)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    XNode* node = FindKey(*file, key, XNode::kCreate);
    if (node == nullptr || node == file->root.get())
    {
        return kFailed;
    }
    node->SetInteger(value);
    file->dirty = file->dirty || file->root->HasFlag(XNode::kDirty);
    return 0;
}

ORVRESULT CIniFileManagerProxy::GetString(IniFileHandle handle, const WString& key,
                                          const WString& defaultValue, WString& out)
{
    out = defaultValue;
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr)
    {
        return 0;
    }
    if (node->GetType() != XNode::kString && node->GetType() != XNode::kData)
    {
        return kFailed;
    }
    if (!node->GetText().empty())
    {
        out = Wide(node->GetText());
    }
    return 0;
}

ORVRESULT CIniFileManagerProxy::SetString(IniFileHandle handle, const WString& key,
                                          const WString& value)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    std::string text = Utf8(value);
    if (!PropertyListWriter::IsWritableText(text) || !PropertyListWriter::IsWritableText(Utf8(key)))
    {
        return kFailed;
    }
    XNode* node = FindKey(*file, key, XNode::kCreate);
    if (node == nullptr || node == file->root.get())
    {
        return kFailed;
    }
    node->SetString(std::move(text));
    file->dirty = file->dirty || file->root->HasFlag(XNode::kDirty);
    return 0;
}

ORVRESULT CIniFileManagerProxy::GetCount(IniFileHandle handle, const WString& key, int& out)
{
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr)
    {
        return kFailed;
    }
    const bool container =
        node->GetType() == XNode::kDictionary || node->GetType() == XNode::kArray;
    out = container ? static_cast<int>(node->GetChildCount()) : 0;
    return 0;
}

ORVRESULT CIniFileManagerProxy::GetKeyAt(IniFileHandle handle, const WString& key, int index,
                                         WString& out)
{
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr ||
        (node->GetType() != XNode::kDictionary && node->GetType() != XNode::kArray) || index < 0)
    {
        return kFailed;
    }
    const XNode* child = node->GetChild(static_cast<std::size_t>(index));
    if (child == nullptr)
    {
        return kFailed;
    }
    out = Wide(child->GetKey());
    return 0;
}

ORVRESULT CIniFileManagerProxy::GetArraySize(IniFileHandle handle, const WString& key, int& out)
{
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr || node->GetType() != XNode::kArray)
    {
        return kFailed;
    }
    out = static_cast<int>(node->GetChildCount());
    return 0;
}

ORVRESULT CIniFileManagerProxy::SetArraySize(IniFileHandle handle, const WString& key, int count)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    if (count < 0 || !PropertyListWriter::IsWritableText(Utf8(key)))
    {
        return kFailed;
    }
    XNode* node = FindKey(*file, key, XNode::kCreate);
    if (node == nullptr || node == file->root.get())
    {
        return kFailed;
    }
    node->SetType(XNode::kArray);
    node->SetChildCount(static_cast<std::size_t>(count));
    file->dirty = file->dirty || file->root->HasFlag(XNode::kDirty);
    return 0;
}

ORVRESULT CIniFileManagerProxy::GetArrayString(IniFileHandle handle, const WString& key, int index,
                                               WString& out)
{
    const IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    const XNode* node = FindKey(*file, key);
    if (node == nullptr || node->GetType() != XNode::kArray || index < 0)
    {
        return kFailed;
    }
    const XNode* element = node->GetChild(static_cast<std::size_t>(index));
    if (element == nullptr)
    {
        return kFailed;
    }
    const bool text = element->GetType() == XNode::kString || element->GetType() == XNode::kData;
    out = text ? Wide(element->GetText()) : WString();
    return 0;
}

ORVRESULT CIniFileManagerProxy::SetArrayString(IniFileHandle handle, const WString& key, int index,
                                               const WString& value)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    std::string text = Utf8(value);
    if (index < 0 || !PropertyListWriter::IsWritableText(text) ||
        !PropertyListWriter::IsWritableText(Utf8(key)))
    {
        return kFailed;
    }
    XNode* node = FindKey(*file, key, XNode::kCreate);
    if (node == nullptr || node == file->root.get())
    {
        return kFailed;
    }
    node->SetType(XNode::kArray);
    if (node->GetChildCount() <= static_cast<std::size_t>(index))
    {
        node->SetChildCount(static_cast<std::size_t>(index) + 1);
    }
    node->GetChild(static_cast<std::size_t>(index))->SetString(std::move(text));
    file->dirty = file->dirty || file->root->HasFlag(XNode::kDirty);
    return 0;
}

ORVRESULT CIniFileManagerProxy::RemoveArrayItem(IniFileHandle handle, const WString& key, int index)
{
    IniFileInfo* file = FindFile(handle);
    if (file == nullptr)
    {
        return kUnknownFile;
    }
    XNode* node = FindKey(*file, key);
    if (node == nullptr || node->GetType() != XNode::kArray || index < 0 ||
        !node->RemoveChild(static_cast<std::size_t>(index)))
    {
        return kFailed;
    }
    file->dirty = true;
    return 0;
}
} // namespace Orv
