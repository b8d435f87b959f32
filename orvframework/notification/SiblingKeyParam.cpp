#include "notification/SiblingKeyParam.h"

namespace Orv
{
LSiblingKeyParam::LSiblingKeyParam(const KeyCode& key, const RCPtr<LRefCountedObject>& sibling)
    : key(key)
    , sibling(sibling)
{
}

RCPtr<LSiblingKeyParam> LSiblingKeyParam::Create(const KeyCode& key,
                                                 const RCPtr<LRefCountedObject>& sibling)
{
    return RCPtr<LSiblingKeyParam>(new LSiblingKeyParam(key, sibling));
}
} // namespace Orv
