#include "notification/KeyParam.h"

namespace Orv
{
LKeyParam::LKeyParam(const KeyCode& key, bool keyUp)
    : key(key)
    , keyUp(keyUp)
{
}

RCPtr<LKeyParam> LKeyParam::Create(const KeyCode& key, bool keyUp)
{
    return RCPtr<LKeyParam>(new LKeyParam(key, keyUp));
}

WString LKeyParam::ToString() const
{
    return key.ToDebugString();
}
} // namespace Orv
