// OpenGL's error flags: the OpenGL back-end reads them and lets them go.
#pragma once

namespace Orv
{
// Reads every pending OpenGL error flag of the current context, so that none is left set.
void DiscardGLErrors();
} // namespace Orv
