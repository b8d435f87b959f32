#include "Controls/FrameworkControlTypes.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per type name; several names may share a class.
    static const std::vector<ControlTypeRegistration> rows = {};
    return rows;
}
} // namespace Orv
