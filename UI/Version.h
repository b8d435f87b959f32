// The program's version record, built into the program: the maker's name, the product's name
// and its version, as the program's version block gives them.
#pragma once

#include "Utilities/Storage/StringT.h"

namespace Orv
{
class Version
{
public:
    // "CompanyName", "ProductName", "ProductVersion".
    static const WString& GetCompanyName();
    static const WString& GetProductName();
    static const WString& GetProductVersion();
    // The value of a key of the record; empty for a key it does not hold.
    static WString GetStringFileInfo(const WString& key);
};
} // namespace Orv
