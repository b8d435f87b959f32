#include "Controls/TabBecomingUnselectedParams.h"

namespace Orv
{
LTabBecomingUnselectedParams::LTabBecomingUnselectedParams(int currentIndex, int newIndex)
    : currentIndex(currentIndex)
    , newIndex(newIndex)
{
}

LTabBecomingUnselectedParams::~LTabBecomingUnselectedParams() = default;

RCPtr<LTabBecomingUnselectedParams> LTabBecomingUnselectedParams::Create(int currentIndex,
                                                                         int newIndex)
{
    return RCPtr<LTabBecomingUnselectedParams>(
        new LTabBecomingUnselectedParams(currentIndex, newIndex));
}
} // namespace Orv
