#include "Renderer/OpenGL/GLErrorMessages.h"

#include "ControlBase/ControlFactory.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include <cwchar>

namespace Orv
{
namespace
{
struct EnglishText
{
    const wchar_t* id;
    const wchar_t* text;
};

constexpr EnglishText kEnglish[] = {
    {kGLErrorCaption, L"OpenGL Error"},
    {kGLErrorUpdateDriver, L"Updating your video card driver, with the latest driver from the "
                           L"manufacturer of your video card, may solve this issue."},
    {kGLErrorChoosePixelFormat, L"ChoosePixelFormat failed."},
    {kGLErrorSetPixelFormat, L"SetPixelFormat failed."},
    {kGLErrorCreateContext, L"wglCreateContext failed."},
    {kGLErrorGetProcAddress, L"wglGetProcAddress failed with error %d: %s."},
    {kGLErrorMakeContextCurrent, L"wglMakeCurrent failed with error %d: %s."},
};

// The longest message of a box with the system's text, its terminator not counted.
constexpr size_t kSystemMessageLimit = 179;
} // namespace

WString GetGLErrorText(const wchar_t* id)
{
    WString text;
    if (const RCPtr<LControlFactory>& factory = GetControlFactory())
    {
        RCPtr<LStringTable> table;
        if (factory->GetFrameworkStringTable(table) != nullptr && table->Lookup(id, text))
        {
            return text;
        }
    }
    for (const EnglishText& entry : kEnglish)
    {
        if (std::wcscmp(entry.id, id) == 0)
        {
            return WString(entry.text);
        }
    }
    return text;
}

void ShowGLError(const wchar_t* messageId)
{
    const WString message = GetGLErrorText(messageId) + GetGLErrorText(kGLErrorUpdateDriver);
    MessageBoxW(nullptr, message.GetBuffer(), GetGLErrorText(kGLErrorCaption).GetBuffer(),
                MB_ICONEXCLAMATION);
}

WString FormatGLSystemError(const WString& format, DWORD error, const WString& text, size_t limit)
{
    // Put in by hand: a format from a string table is never handed to printf.
    std::wstring result;
    const wchar_t* f = format.GetBuffer();
    const size_t length = static_cast<size_t>(format.GetLength());
    for (size_t i = 0; i < length; ++i)
    {
        if (f[i] == L'%' && i + 1 < length)
        {
            const wchar_t next = f[i + 1];
            if (next == L'd')
            {
                result += std::to_wstring(error);
                ++i;
                continue;
            }
            if (next == L's')
            {
                result += text.GetBuffer();
                ++i;
                continue;
            }
            if (next == L'%')
            {
                result += L'%';
                ++i;
                continue;
            }
        }
        result += f[i];
    }
    if (result.size() > limit)
    {
        result.resize(limit);
    }
    return WString(result.c_str());
}

void ShowGLSystemError(const wchar_t* formatId, DWORD error)
{
    LPWSTR system = nullptr;
    WString systemText;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&system),
                       0, nullptr) != 0)
    {
        systemText = WString(system);
    }
    const WString format = GetGLErrorText(formatId) + GetGLErrorText(kGLErrorUpdateDriver);
    const WString message = FormatGLSystemError(format, error, systemText, kSystemMessageLimit);
    MessageBoxW(nullptr, message.GetBuffer(), GetGLErrorText(kGLErrorCaption).GetBuffer(), MB_OK);
    LocalFree(reinterpret_cast<HLOCAL>(system));
}
} // namespace Orv
