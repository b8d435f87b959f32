// Windows error codes for libusb's results.
#pragma once

#include "platform/Types.h"

namespace OrvPlatform
{
// The code that GetLastError reports for a libusb error (0 for a result of 0 or more).
DWORD WinErrorFromLibUsb(int libusbResult);
} // namespace OrvPlatform
