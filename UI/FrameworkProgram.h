// What the application object asks of the program object (MFCFrameworkApp), whatever the
// application class it was made for: the folders, the language, the message loop.
#pragma once

#include "Utilities/Storage/StringT.h"

namespace Orv
{
class IFrameworkProgram
{
public:
    virtual ~IFrameworkProgram() = default;
    // The folder of a path id (MFCFrameworkApp::GetFolder).
    virtual WString GetFolder(int id) const = 0;
    virtual int GetLanguageId() const = 0;
    // The message loop of the program object; returns when it ends.
    virtual int RunMessageLoop() = 0;
};
} // namespace Orv
