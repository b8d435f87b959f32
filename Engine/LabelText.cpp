#include "LabelText.h"

#include <string_view>

Orv::WString SubstituteFirst(const Orv::WString& format, const Orv::WString& value)
{
    const std::wstring_view text(format.GetBuffer(), static_cast<size_t>(format.GetLength()));
    const size_t at = text.find(L"%s");
    if (at == std::wstring_view::npos)
    {
        return format;
    }
    std::wstring result(text.substr(0, at));
    result.append(value.GetBuffer(), static_cast<size_t>(value.GetLength()));
    result.append(text.substr(at + 2));
    return Orv::WString(result.c_str());
}
