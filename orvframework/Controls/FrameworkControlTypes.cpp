#include "Controls/FrameworkControlTypes.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/Label.h"
#include "Controls/StatusBar.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per type name; several names may share a class.
    static const std::vector<ControlTypeRegistration> rows = {
        {L"Framework.Label", &CreateControlOf<LLabel>, 117},
        {L"Framework.StatusBar", &CreateControlOf<LStatusBar>, 127},
    };
    return rows;
}
} // namespace Orv
