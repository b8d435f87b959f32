#include "Version.h"

#ifndef ORV_COMPANY_NAME
#error "ORV_COMPANY_NAME, ORV_PRODUCT_NAME and ORV_PRODUCT_VERSION come from the build"
#endif

namespace Orv
{
const WString& Version::GetCompanyName()
{
    static const WString name(ORV_COMPANY_NAME);
    return name;
}

const WString& Version::GetProductName()
{
    static const WString name(ORV_PRODUCT_NAME);
    return name;
}

const WString& Version::GetProductVersion()
{
    static const WString version(ORV_PRODUCT_VERSION);
    return version;
}

WString Version::GetStringFileInfo(const WString& key)
{
    if (key == L"CompanyName")
    {
        return GetCompanyName();
    }
    if (key == L"ProductName")
    {
        return GetProductName();
    }
    if (key == L"ProductVersion")
    {
        return GetProductVersion();
    }
    return WString();
}
} // namespace Orv
