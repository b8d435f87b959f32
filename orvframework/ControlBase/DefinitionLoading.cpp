#include "ControlBase/DefinitionLoading.h"

#include "Utilities/Storage/PathSeparator.h"

namespace Orv
{
ORVRESULT LoadDefinitions(LControlFactory& factory, const WString& sourceBase, int languageId)
{
    const bool resources = sourceBase == L"::";
    auto source = [&](const wchar_t* resource, const wchar_t* file)
    {
        if (resources)
        {
            return sourceBase + WString(resource);
        }
        WString path = sourceBase;
        path.Append(kPathSeparator);
        path.Append(WString(file));
        return path;
    };
    const ORVRESULT strings =
        factory.LoadStringTables(source(L"APP_STRINGS", L"StringTables.xml"),
                                 source(L"FRAMEWORK_STRINGS", L"FrameworkStrings.xml"), languageId);
    if (FAILED(strings))
    {
        return strings;
    }
    return factory.LoadSkins(source(L"APP_SKINS", L"Skins.xml"));
}
} // namespace Orv
