#include "Controls/FrameworkControlTypes.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/ToolTip.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per type name; several names may share a class.
    static const std::vector<ControlTypeRegistration> rows = {
        {L"Framework.ToolTip", &CreateControlOf<LToolTip>, 121},
    };
    return rows;
}
} // namespace Orv
