// An array of framework strings.
#pragma once

#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
template <class C, class O>
class StringArrayT : public Array<StringT<C, O>>
{
};

using WStringArray = StringArrayT<wchar_t, char>;
} // namespace Orv
