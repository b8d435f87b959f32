#include "Renderer/OpenGL/WGLExtensions.h"

#include "Renderer/OpenGL/GLErrorMessages.h"
#include "platform/Kernel.h"

#include <cstring>

namespace Orv
{
bool IsInExtensionList(const char* list, const char* name)
{
    if (list == nullptr || name == nullptr || name[0] == '\0' || std::strchr(name, ' ') != nullptr)
    {
        return false;
    }
    const size_t length = std::strlen(name);
    const char* start = list;
    for (;;)
    {
        const char* found = std::strstr(start, name);
        if (found == nullptr)
        {
            return false;
        }
        const char* end = found + length;
        // A match counts only as a whole name: at the start of the list or after a blank, and
        // before a blank or the end.
        if ((found == list || found[-1] == ' ') && (*end == ' ' || *end == '\0'))
        {
            return true;
        }
        start = end;
    }
}

bool HasWGLExtension(HDC dc, const char* name)
{
    if (name == nullptr || name[0] == '\0' || std::strchr(name, ' ') != nullptr)
    {
        return false;
    }
    auto getExtensions = reinterpret_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        wglGetProcAddress("wglGetExtensionsStringARB"));
    if (getExtensions == nullptr)
    {
        ShowGLSystemError(kGLErrorGetProcAddress, GetLastError());
        return false;
    }
    return IsInExtensionList(getExtensions(dc), name);
}
} // namespace Orv
