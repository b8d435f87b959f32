#include "Renderer/OpenGL/GLErrors.h"

#include "platform/Wgl.h"

namespace Orv
{
void DiscardGLErrors()
{
    // A context keeps at most one flag per kind of error; the bound only guards against a
    // driver that never reports the end.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}
} // namespace Orv
