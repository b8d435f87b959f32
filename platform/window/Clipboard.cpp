// The clipboard over SDL's clipboard text: the opener, the formats this process keeps, the
// sequence number.
#include "platform/Clipboard.h"

#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <SDL.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace
{
using OrvPlatform::Window::Detail::DecodeUtf8;
using OrvPlatform::Window::Detail::EncodeUtf8;

struct ClipboardState
{
    std::mutex lock;
    DWORD openThread = 0;
    HWND owner = nullptr;
    bool emptiedByOpener = false;
    DWORD sequence = 1;
    // The system text as last seen or set.
    std::string systemText;
    // Formats of this process, valid while the system text is privateText.
    std::map<UINT, HGLOBAL> privateFormats;
    std::string privateText;
    // Objects GetClipboardData handed out, freed at EmptyClipboard and CloseClipboard.
    std::map<UINT, HGLOBAL> handedOut;
};

ClipboardState& State()
{
    static ClipboardState state;
    return state;
}

bool ReadSystemText(std::string& out)
{
    bool ok = false;
    OrvPlatform::Window::RunWithSdlWindow(nullptr,
                                          [&](SDL_Window*)
                                          {
                                              out.clear();
                                              ok = true;
                                              if (SDL_HasClipboardText() != SDL_TRUE)
                                              {
                                                  return;
                                              }
                                              char* text = SDL_GetClipboardText();
                                              if (text != nullptr)
                                              {
                                                  out = text;
                                                  SDL_free(text);
                                              }
                                          });
    return ok;
}

bool WriteSystemText(const std::string& text)
{
    bool ok = false;
    OrvPlatform::Window::RunWithSdlWindow(nullptr, [&](SDL_Window*)
                                          { ok = SDL_SetClipboardText(text.c_str()) == 0; });
    return ok;
}

void FreeAll(std::map<UINT, HGLOBAL>& objects)
{
    for (auto& entry : objects)
    {
        if (entry.second != nullptr)
        {
            GlobalFree(entry.second);
        }
    }
    objects.clear();
}

// Notes a change of the system text made elsewhere (state lock held).
void Refresh(ClipboardState& state)
{
    std::string text;
    if (!ReadSystemText(text) || text == state.systemText)
    {
        return;
    }
    state.systemText = text;
    ++state.sequence;
    if (state.systemText != state.privateText)
    {
        FreeAll(state.privateFormats);
    }
}

bool IsOpener(const ClipboardState& state)
{
    if (state.openThread == 0 || state.openThread != GetCurrentThreadId())
    {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return false;
    }
    return true;
}

bool IsTextFormat(UINT format)
{
    return format == CF_TEXT || format == CF_UNICODETEXT;
}

// The text of a memory object: wide (CF_UNICODETEXT) or narrow, up to its terminator.
bool TextOf(UINT format, HGLOBAL memory, std::string& out)
{
    const SIZE_T size = GlobalSize(memory);
    const void* data = GlobalLock(memory);
    if (data == nullptr)
    {
        return false;
    }
    if (format == CF_UNICODETEXT)
    {
        const auto* wide = static_cast<const wchar_t*>(data);
        const SIZE_T count = size / sizeof(wchar_t);
        SIZE_T length = 0;
        while (length < count && wide[length] != 0)
        {
            ++length;
        }
        out = EncodeUtf8(std::wstring(wide, length));
    }
    else
    {
        const auto* narrow = static_cast<const char*>(data);
        SIZE_T length = 0;
        while (length < size && narrow[length] != 0)
        {
            ++length;
        }
        out.assign(narrow, length);
    }
    GlobalUnlock(memory);
    return true;
}
} // namespace

BOOL OpenClipboard(HWND owner)
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    const DWORD thread = GetCurrentThreadId();
    if (state.openThread != 0 && state.openThread != thread)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    state.openThread = thread;
    state.owner = owner;
    state.emptiedByOpener = false;
    return TRUE;
}

BOOL CloseClipboard()
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsOpener(state))
    {
        return FALSE;
    }
    FreeAll(state.handedOut);
    state.openThread = 0;
    state.owner = nullptr;
    state.emptiedByOpener = false;
    return TRUE;
}

BOOL EmptyClipboard()
{
    HWND previousOwner = nullptr;
    {
        ClipboardState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (!IsOpener(state))
        {
            return FALSE;
        }
        FreeAll(state.handedOut);
        FreeAll(state.privateFormats);
        if (!WriteSystemText(std::string()))
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        state.systemText.clear();
        state.privateText.clear();
        state.emptiedByOpener = true;
        ++state.sequence;
        // The opener's window owns the clipboard from now on.
        OrvPlatform::Window::Detail::WindowSystem& system =
            OrvPlatform::Window::Detail::WindowSystem::Get();
        std::lock_guard<std::mutex> systemGuard(system.lock);
        previousOwner = system.clipboardOwner;
        system.clipboardOwner = state.owner;
    }
    // The owner before hears that its content is gone (the state lock is not held: its handler
    // may use the clipboard).
    if (previousOwner != nullptr && IsWindow(previousOwner))
    {
        SendMessageW(previousOwner, WM_DESTROYCLIPBOARD, 0, 0);
    }
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE memory)
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsOpener(state) || !state.emptiedByOpener)
    {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto* object = static_cast<HGLOBAL>(memory);
    if (IsTextFormat(format))
    {
        std::string text;
        if (object == nullptr || !TextOf(format, object, text))
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        if (text != state.systemText)
        {
            if (!WriteSystemText(text))
            {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            state.systemText = text;
            ++state.sequence;
        }
        // The clipboard owns the object now; the text is kept by the system.
        GlobalFree(object);
        return memory;
    }
    if (format < CF_PRIVATEFIRST || format > CF_PRIVATELAST)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto& slot = state.privateFormats[format];
    if (slot != nullptr && slot != object)
    {
        GlobalFree(slot);
    }
    slot = object;
    state.privateText = state.systemText;
    ++state.sequence;
    // A format set with no data answers null, as a format to be rendered later does.
    return memory;
}

HANDLE GetClipboardData(UINT format)
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsOpener(state))
    {
        return nullptr;
    }
    Refresh(state);
    if (!IsTextFormat(format))
    {
        const auto found = state.privateFormats.find(format);
        return found != state.privateFormats.end() ? found->second : nullptr;
    }
    if (state.systemText.empty())
    {
        return nullptr;
    }
    std::size_t bytes = 0;
    std::wstring wide;
    if (format == CF_UNICODETEXT)
    {
        wide = DecodeUtf8(state.systemText.data(), state.systemText.size());
        bytes = (wide.size() + 1) * sizeof(wchar_t);
    }
    else
    {
        bytes = state.systemText.size() + 1;
    }
    HGLOBAL object = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    void* data = object != nullptr ? GlobalLock(object) : nullptr;
    if (data == nullptr)
    {
        if (object != nullptr)
        {
            GlobalFree(object);
        }
        return nullptr;
    }
    if (format == CF_UNICODETEXT)
    {
        std::memcpy(data, wide.c_str(), bytes);
    }
    else
    {
        std::memcpy(data, state.systemText.c_str(), bytes);
    }
    GlobalUnlock(object);
    auto& slot = state.handedOut[format];
    if (slot != nullptr)
    {
        GlobalFree(slot);
    }
    slot = object;
    return object;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    Refresh(state);
    if (IsTextFormat(format))
    {
        return state.systemText.empty() ? FALSE : TRUE;
    }
    return state.privateFormats.count(format) != 0 ? TRUE : FALSE;
}

DWORD GetClipboardSequenceNumber()
{
    ClipboardState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    Refresh(state);
    return state.sequence;
}
