#include "Application/ControlTypeRegistration.h"

#include "Application/ThrowSites.h"

namespace Orv
{
void RegisterControlTypes(LControlFactory& factory, std::span<const ControlTypeRegistration> rows)
{
    for (const ControlTypeRegistration& row : rows)
    {
        const ORVRESULT result =
            factory.RegisterControlCreateFunction(WString(row.typeName), row.creator);
        if (FAILED(result))
        {
            ThrowFailedResultAt(RegistrationSite(row.line), result);
        }
    }
}
} // namespace Orv
