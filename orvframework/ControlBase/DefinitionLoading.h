// Loading the application's definitions at start-up: its string tables, the framework's, and its
// skins, from the program's resources or from a folder of files.
#pragma once

#include "ControlBase/ControlFactory.h"

namespace Orv
{
// sourceBase "::": the resources "APP_STRINGS" and "FRAMEWORK_STRINGS", then "APP_SKINS"; any
// other text names a folder holding "StringTables.xml", "FrameworkStrings.xml" and "Skins.xml".
// The string tables are loaded in languageId (with its fall-backs), then the skins. A failure of
// the string tables ends the loading with it, before the skins; otherwise the skins' result.
ORVRESULT LoadDefinitions(LControlFactory& factory, const WString& sourceBase, int languageId);
} // namespace Orv
