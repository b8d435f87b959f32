#include "Application/ControlTypeRegistration.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per stock control class that exists, in the order the framework registers them.
    static const std::vector<ControlTypeRegistration> rows = {};
    return rows;
}

void RegisterControlTypes(LControlFactory& factory, std::span<const ControlTypeRegistration> rows)
{
    for (const ControlTypeRegistration& row : rows)
    {
        const ORVRESULT result =
            factory.RegisterControlCreateFunction(WString(row.typeName), row.creator);
        if (FAILED(result))
        {
            ThrowException<FailedResultException>("Orv::LFrameworkApp::RunApplicationStartup",
                                                  __FILE__, row.line, {FormatResult(result)});
        }
    }
}
} // namespace Orv
