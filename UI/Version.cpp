#include "Version.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/StringTable.h"
#include "StartupErrorCode.h"

#include "platform/Shell.h"
#include "platform/VersionInfo.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace Orv
{
namespace
{
constexpr int kPathLength = 4096;

std::vector<DWORD> ReadTranslations(const std::vector<unsigned char>& block)
{
    LPVOID data = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &bytes))
    {
        return {};
    }
    const auto* first = static_cast<const DWORD*>(data);
    return std::vector<DWORD>(first, first + bytes / sizeof(DWORD));
}

// The failure of the constructor, named as its own.
[[noreturn]] void ThrowStartupFailure()
{
    ORV_THROW_FOR(std::runtime_error, "Orv::Version::Version",
                  FormatStartupErrorText(kStartupErrorCode).ToNarrow().GetBuffer());
}
} // namespace

WString FormatStartupErrorText(int code)
{
    WString format(L"The application encountered problems during startup and will now close.  "
                   L"(Error code = %d)");
    if (LFrameworkApp* application = GetFrameworkApp())
    {
        if (const RCPtr<LStringTable>& table = application->GetApplicationStringTable())
        {
            table->Lookup(L"EXCEPTION_ID", format);
        }
    }
    std::wstring text(format.GetBuffer(), format.GetLength());
    const std::size_t at = text.find(L"%d");
    if (at != std::wstring::npos)
    {
        text.replace(at, 2, std::to_wstring(code));
    }
    return WString(text.c_str());
}

Version::Version(HMODULE module)
{
    wchar_t path[kPathLength] = {};
    const DWORD length = GetModuleFileNameW(module, path, kPathLength);
    DWORD handle = 0;
    const DWORD size =
        length == 0 || length >= kPathLength ? 0 : GetFileVersionInfoSizeW(path, &handle);
    if (size != 0)
    {
        mBlock.resize(size);
        if (!GetFileVersionInfoW(path, handle, size, mBlock.data()))
        {
            mBlock.clear();
        }
    }
    const std::vector<DWORD> translations =
        mBlock.empty() ? std::vector<DWORD>() : ReadTranslations(mBlock);
    const std::optional<std::size_t> chosen =
        ChooseTranslation(translations, GetUserDefaultLangID(), GetSystemDefaultLangID());
    if (!chosen)
    {
        ThrowStartupFailure();
    }
    mTranslation = translations[*chosen];
}

std::optional<std::size_t> Version::ChooseTranslation(const std::vector<DWORD>& translations,
                                                      WORD userLanguage, WORD systemLanguage)
{
    const auto find = [&](auto fits) -> std::optional<std::size_t>
    {
        for (std::size_t i = 0; i < translations.size(); ++i)
        {
            if (fits(static_cast<WORD>(translations[i] & 0xFFFF)))
            {
                return i;
            }
        }
        return std::nullopt;
    };
    if (auto user = find([&](WORD language) { return language == userLanguage; }))
    {
        return user;
    }
    if (auto system = find([&](WORD language) { return language == systemLanguage; }))
    {
        return system;
    }
    return find([](WORD language) { return PRIMARYLANGID(language) == LANG_ENGLISH; });
}

WString Version::GetStringFileInfo(const WString& key) const
{
    wchar_t path[64];
    std::swprintf(path, 64, L"\\StringFileInfo\\%04X%04X\\", mTranslation & 0xFFFF,
                  mTranslation >> 16);
    const WString query = WString(path) + key;
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(mBlock.data(), query.GetBuffer(), &value, &length) || length == 0)
    {
        return WString();
    }
    return WString(static_cast<const wchar_t*>(value));
}

const Version& Version::GetProgramVersion()
{
    static const Version version(nullptr);
    return version;
}

const WString& Version::GetCompanyName()
{
    static const WString name = GetProgramVersion().GetStringFileInfo(WString(L"CompanyName"));
    return name;
}

const WString& Version::GetProductName()
{
    static const WString name = GetProgramVersion().GetStringFileInfo(WString(L"ProductName"));
    return name;
}

const WString& Version::GetProductVersion()
{
    static const WString version =
        GetProgramVersion().GetStringFileInfo(WString(L"ProductVersion"));
    return version;
}
} // namespace Orv
