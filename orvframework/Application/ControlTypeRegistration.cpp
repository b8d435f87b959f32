#include "Application/ControlTypeRegistration.h"

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
            ThrowException<FailedResultException>("Orv::LFrameworkApp::RunApplicationStartup",
                                                  __FILE__, row.line, {FormatResult(result)});
        }
    }
}
} // namespace Orv
