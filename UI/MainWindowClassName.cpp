#include "MainWindowClassName.h"

namespace Orv
{
const WString& GetMainWindowClassName()
{
    static const WString name =
        WString(L"Halvex DJ") + L"_" + L"DEVICE_FAMILY_NAME_String" + L"_FirmwareUpdater";
    return name;
}
} // namespace Orv
