// Skin selection: one skin of the loaded set is applied to every open window and fixes the
// application's skin font.
#include "Application/FrameworkApp.h"

#include "Application/ThrowSites.h"

#include "ControlBase/Control.h"
#include "System/AutoWaitCursor.h"
#include "System/RootWindow.h"
#include "System/WindowOSServices.h"
#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

namespace Orv
{
namespace
{
const wchar_t* const kSkinIndexKey = L"CurrentSkinIndex";
} // namespace

RCPtr<LIniFileManager> LFrameworkApp::GetSettingsManager()
{
    if (!mSettingsManager)
    {
        mSettingsManager = RCPtr<LIniFileManager>(new LIniFileManager());
    }
    return mSettingsManager;
}

IniFileHandle LFrameworkApp::GetSettingsFile(int)
{
    return 0;
}

int LFrameworkApp::GetStoredSkinIndex()
{
    int index = 0;
    const IniFileHandle file = GetSettingsFile(kUserSettings);
    if (file == 0)
    {
        return 0;
    }
    if (const RCPtr<LIniFileManager> settings = GetSettingsManager())
    {
        settings->GetInt(file, kSkinIndexKey, 0, index);
    }
    return index;
}

ORVRESULT LFrameworkApp::SetSkin(int index)
{
    const int count = mFactory ? static_cast<int>(mFactory->GetSkinCount()) : 0;
    if (count == 0)
    {
        GetDebugOutput().Narrow() << "SetSkin: no skin is loaded" << std::endl;
        return E_FAIL;
    }
    // Every reader of the current skin relies on an index inside the loaded skins.
    index = index < 0 ? 0 : (index > count - 1 ? count - 1 : index);

    WString fontName;
    float fontSize = 0;
    int fontStyle = 0;
    if (const ORVRESULT font = GetSystemFont(fontName, fontSize, fontStyle); FAILED(font))
    {
        ThrowFailedResultAt(kSetSkinSystemFontSite, font);
    }
    mFactory->SetCurrentSkinIndex(index);
    mFactory->GetSkinFontSettings(fontName, fontSize, fontStyle);
    mSkinFont = LFont::GetFont(fontName, fontSize, fontStyle);

    const unsigned int windows = mRootWindows.GetCount();
    for (unsigned int i = 0; i < windows && i < mRootWindows.GetCount(); ++i)
    {
        const RCPtr<LRootWindow> window = mRootWindows.GetConstElementPointer(i);
        const CAutoWaitCursor wait(WString(L"Loading Skin..."));
        IWindowOSServices* services = window->GetServices();
        const bool active = services != nullptr && services->IsActive();
        if (active)
        {
            window->HandleFocusLost();
        }
        if (const RCPtr<LControl>& root = window->GetRootControl())
        {
            mFactory->ReapplyDescriptor(root);
        }
        const RectT<LONG> client = window->GetClientRect();
        window->InvalidateControl(RectT<LONG>(0, 0, client.width, client.height));
        if (active)
        {
            window->RestoreFocus();
        }
    }
    // Stored after every window was redrawn: a failure on the way keeps the old choice.
    const IniFileHandle file = GetSettingsFile(kUserSettings);
    if (file != 0)
    {
        if (const RCPtr<LIniFileManager> settings = GetSettingsManager())
        {
            settings->SetInt(file, kSkinIndexKey, index);
        }
    }
    return S_OK;
}
} // namespace Orv
