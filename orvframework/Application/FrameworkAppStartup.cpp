// The framework's share of the application's start-up.
#include "Application/ControlTypeRegistration.h"
#include "Application/FrameworkApp.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/Notification.h"

#include <exception>

namespace Orv
{
ORVRESULT LFrameworkApp::RunApplicationStartup()
{
    LNotification::SetRecycling(true);
    try
    {
        if (mFactory)
        {
            RegisterControlTypes(*mFactory, GetControlTypes());
        }
        if (mHotKeys)
        {
            mHotKeys->LoadHotKeys(mApplicationStringTable, WString(L"GHK"));
        }
        if (mClipboard)
        {
            mClipboard->Initialize();
        }
        // The stored index is read from a file the user can edit: it is brought into the
        // loaded skins, and with none loaded no skin is selected.
        const int count = mFactory ? static_cast<int>(mFactory->GetSkinCount()) : 0;
        if (count > 0)
        {
            const int stored = GetStoredSkinIndex();
            SetSkin(stored < 0 ? 0 : (stored > count - 1 ? count - 1 : stored));
        }
        else
        {
            GetDebugOutput().Narrow() << "Start-up: no skin is loaded" << std::endl;
        }
    }
    catch (const std::exception& error)
    {
        GetDebugOutput().Narrow() << "Start-up failed: " << error.what() << std::endl;
        return E_FAIL;
    }
    return S_OK;
}
} // namespace Orv
