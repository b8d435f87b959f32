// The main window's class name: "Halvex DJ", "_", "DEVICE_FAMILY_NAME_String" and
// "_FirmwareUpdater", joined. It names the window class, the profile section of the window's
// placement, and, with "Prevent" appended, the program's single-instance lock.
#pragma once

#include "Utilities/Storage/StringT.h"

namespace Orv
{
const WString& GetMainWindowClassName();
} // namespace Orv
