// Built into every program that links the OpenGL back-end (an interface source of its library):
// installs the back-end as renderer type 0 before main, so that an application asks for it by
// its renderer type alone.
#include "Renderer/OpenGL/GLRenderer.h"

namespace
{
[[maybe_unused]] const bool gOpenGLInstalled = []
{
    Orv::LGLRenderer::InstallBackEnd();
    return true;
}();
} // namespace
