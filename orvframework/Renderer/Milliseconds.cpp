#include "Renderer/Milliseconds.h"

#include "platform/Kernel.h"

namespace Orv
{
DWORD GetMilliseconds()
{
    return timeGetTime();
}
} // namespace Orv
