#include "ObjectBase/Exception.h"

#include <cstdio>

namespace Orv
{
const char* ExceptionBase::What() const
{
    const auto* standard = dynamic_cast<const std::exception*>(this);
    return standard != nullptr ? standard->what() : "";
}

std::string FormatResult(ORVRESULT code)
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%X", static_cast<unsigned int>(code));
    return std::string("ORVRESULT = ") + digits;
}

std::string ComposeExceptionText(std::string_view kind,
                                 std::initializer_list<std::string_view> details,
                                 std::string_view function, std::string_view sourcePath, int line)
{
    std::string text(kind);
    for (std::string_view detail : details)
    {
        text += " : ";
        text += detail;
    }
    text += " : ";
    text += function;
    text += " : ";
    text += sourcePath;
    text += " : Line ";
    text += std::to_string(line);
    return text;
}

void ThrowFailedResult(ORVRESULT code, std::string_view function, std::string_view sourcePath,
                       int line)
{
    throw Exception<FailedResultException>(
        ComposeExceptionText(ExceptionKind<FailedResultException>::kWord, {FormatResult(code)},
                             function, sourcePath, line));
}
} // namespace Orv
