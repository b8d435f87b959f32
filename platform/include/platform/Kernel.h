// Kernel services: the calling thread's last error code, and (added with the threading layer)
// events, waits, critical sections, threads and time.
#pragma once

#include "platform/Types.h"

// The calling thread's last error code (per thread, 0 until set).
DWORD GetLastError();
void SetLastError(DWORD code);
