// The places that the failures of start-up, skin selection and the clipboard name in their texts.
// These texts carry a fixed function, source name and line ("... : Application\FrameworkApp :
// Line 234"), which stay the same wherever the code that throws stands; every such place is one
// ThrowSite, and ThrowFailedResultAt throws its "Failed Result" text.
#pragma once

#include "ObjectBase/Exception.h"

namespace Orv
{
struct ThrowSite
{
    const char* function;
    const char* source;
    int line;
};

inline constexpr const char* kFrameworkAppSource = "Application\\FrameworkApp";
inline constexpr const char* kClipboardSource = "System\\ClipBoard";

// The system font query of SetSkin.
inline constexpr ThrowSite kSetSkinSystemFontSite{"Orv::LFrameworkApp::SetSkin",
                                                  kFrameworkAppSource, 234};

// A row of the control-type registration at the line it names.
constexpr ThrowSite RegistrationSite(int line)
{
    return ThrowSite{"Orv::LFrameworkApp::RunApplicationStartup", kFrameworkAppSource, line};
}

// The clipboard's subscription to its first edit request is at line 41, each further one a line
// below.
constexpr ThrowSite ClipboardSubscriptionSite(int request)
{
    return ThrowSite{"Orv::LClipboard::Initialize", kClipboardSource, 41 + request};
}

// "Failed Result : ORVRESULT = <code> : <function> : <source> : Line <n>".
[[noreturn]] inline void ThrowFailedResultAt(const ThrowSite& site, ORVRESULT code)
{
    ThrowFailedResult(code, site.function, site.source, site.line);
}
} // namespace Orv
