// Whether the WGL driver offers an extension.
#pragma once

#include "platform/Wgl.h"

namespace Orv
{
// True when the extension is listed for the device context (wglGetExtensionsStringARB). A name
// that is empty or holds a blank is absent without asking the driver. When the driver has no
// wglGetExtensionsStringARB, a message box says so and the extension counts as absent. Needs a
// current OpenGL context.
bool HasWGLExtension(HDC dc, const char* name);
// True when name is one of the blank-separated names of list.
bool IsInExtensionList(const char* list, const char* name);
} // namespace Orv
