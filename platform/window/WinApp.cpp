// The application object: its message loop with the idle protocol, and the profile.
#include "ProfileFile.h"
#include "Utf8Text.h"

#include "platform/Afx.h"
#include "platform/DebugApi.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace OrvPlatform::Window::Detail;

namespace OrvPlatform::Window::Detail
{
bool StartsIdlePeriod(const MSG& msg);
}

namespace
{
CWinApp* gApp = nullptr;

std::string Utf8(LPCWSTR text)
{
    return EncodeUtf8(text != nullptr ? std::wstring(text) : std::wstring());
}

// Makes each folder of the path that is missing.
bool MakeFolders(const std::string& folder)
{
    for (std::size_t i = 1; i <= folder.size(); ++i)
    {
        if (i == folder.size() || folder[i] == '/')
        {
            const std::string part = folder.substr(0, i);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            {
                return false;
            }
        }
    }
    return true;
}

bool ReadWhole(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

std::string Hex(const BYTE* data, UINT bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (UINT i = 0; i < bytes; ++i)
    {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

bool FromHex(const std::string& text, std::vector<BYTE>& out)
{
    if (text.size() % 2 != 0)
    {
        return false;
    }
    auto digit = [](char c) -> int
    {
        if (c >= '0' && c <= '9')
        {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F')
        {
            return c - 'A' + 10;
        }
        return -1;
    };
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0)
        {
            return false;
        }
        out.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
}
} // namespace

CWinApp::CWinApp(LPCWSTR appName)
    : m_appName(appName != nullptr ? appName : L"")
{
    gApp = this;
}

CWinApp::~CWinApp()
{
    if (gApp == this)
    {
        gApp = nullptr;
    }
}

CWinApp* AfxGetApp()
{
    return gApp;
}

CWnd* AfxGetMainWnd()
{
    return gApp != nullptr ? gApp->m_pMainWnd : nullptr;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE, LPCWSTR commandLine, int show)
{
    if (gApp == nullptr)
    {
        return FALSE;
    }
    gApp->m_hInstance = instance;
    gApp->m_cmdLine = commandLine != nullptr ? commandLine : L"";
    gApp->m_nCmdShow = show;
    return TRUE;
}

void AfxWinTerm() {}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

BOOL CWinApp::OnIdle(LONG)
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinApp::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWinApp::PumpMessage()
{
    if (::GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0)
    {
        return FALSE;
    }
    if (!PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinApp::IsIdleMessage(MSG* message)
{
    return message != nullptr && StartsIdlePeriod(*message) ? TRUE : FALSE;
}

int CWinApp::Run()
{
    if (m_pMainWnd == nullptr)
    {
        ::PostQuitMessage(0);
    }
    bool idle = true;
    LONG idleCount = 0;
    MSG msg{};
    for (;;)
    {
        while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(idleCount++))
            {
                idle = false;
            }
        }
        do
        {
            if (!PumpMessage())
            {
                return ExitInstance();
            }
            if (IsIdleMessage(&m_msgCur))
            {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWinApp::SetRegistryKey(LPCWSTR key)
{
    m_registryKey = key != nullptr ? key : L"";
}

std::string CWinApp::GetProfilePath() const
{
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
    {
        folder = config;
    }
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    {
        folder = std::string(home) + "/.config";
    }
    else
    {
        folder = "/tmp";
    }
    if (!m_registryKey.empty())
    {
        // Appended piece by piece: "/" + a temporary string trips a false -Wrestrict of g++ 12
        // at -O3.
        folder += '/';
        folder += EncodeUtf8(m_registryKey);
    }
    const std::string name = m_appName.empty() ? std::string("application") : EncodeUtf8(m_appName);
    return folder + "/" + name + ".profile";
}

namespace
{
bool ReadValue(const CWinApp& app, LPCWSTR section, LPCWSTR entry, std::string& value)
{
    std::string text;
    if (!ReadWhole(app.GetProfilePath(), text))
    {
        return false;
    }
    const ProfileFile file = ProfileFile::Parse(text);
    const std::string* found = file.Find(Utf8(section), Utf8(entry));
    if (found == nullptr)
    {
        return false;
    }
    value = *found;
    return true;
}

bool WriteValue(const CWinApp& app, LPCWSTR section, LPCWSTR entry, const std::string& value)
{
    if (section == nullptr || entry == nullptr)
    {
        return false;
    }
    const std::string path = app.GetProfilePath();
    std::string text;
    ReadWhole(path, text);
    ProfileFile file = ProfileFile::Parse(text);
    file.Set(Utf8(section), Utf8(entry), value);
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!MakeFolders(folder))
    {
        OutputDebugStringA(("Profile: the folder cannot be made: " + folder + "\n").c_str());
        return false;
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << file.Serialize();
        out.flush();
        if (!out)
        {
            OutputDebugStringA(("Profile: cannot write " + temporary + "\n").c_str());
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        OutputDebugStringA(("Profile: cannot replace " + path + "\n").c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
} // namespace

UINT CWinApp::GetProfileIntW(LPCWSTR section, LPCWSTR entry, int defaultValue)
{
    std::string value;
    if (!ReadValue(*this, section, entry, value) || value.rfind("i:", 0) != 0)
    {
        return static_cast<UINT>(defaultValue);
    }
    char* end = nullptr;
    const long parsed = std::strtol(value.c_str() + 2, &end, 10);
    if (end == value.c_str() + 2 || *end != '\0')
    {
        return static_cast<UINT>(defaultValue);
    }
    return static_cast<UINT>(parsed);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value)
{
    return WriteValue(*this, section, entry, "i:" + std::to_string(value)) ? TRUE : FALSE;
}

std::wstring CWinApp::GetProfileStringW(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue)
{
    std::string value;
    if (!ReadValue(*this, section, entry, value) || value.rfind("s:", 0) != 0)
    {
        return defaultValue != nullptr ? defaultValue : L"";
    }
    return DecodeUtf8(value.data() + 2, value.size() - 2);
}

BOOL CWinApp::WriteProfileStringW(LPCWSTR section, LPCWSTR entry, LPCWSTR value)
{
    return WriteValue(*this, section, entry, "s:" + Utf8(value)) ? TRUE : FALSE;
}

BOOL CWinApp::GetProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE** data, UINT* bytes)
{
    if (data == nullptr || bytes == nullptr)
    {
        return FALSE;
    }
    *data = nullptr;
    *bytes = 0;
    std::string value;
    std::vector<BYTE> decoded;
    if (!ReadValue(*this, section, entry, value) || value.rfind("b:", 0) != 0 ||
        !FromHex(value.substr(2), decoded))
    {
        return FALSE;
    }
    *data = new BYTE[decoded.size() == 0 ? 1 : decoded.size()];
    std::copy(decoded.begin(), decoded.end(), *data);
    *bytes = static_cast<UINT>(decoded.size());
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCWSTR section, LPCWSTR entry, BYTE* data, UINT bytes)
{
    if (data == nullptr && bytes != 0)
    {
        return FALSE;
    }
    return WriteValue(*this, section, entry, "b:" + Hex(data, bytes)) ? TRUE : FALSE;
}
