#include "ControlBase/KeyBindingReader.h"

namespace Orv
{
bool IsBindableKey(const KeyCode& key)
{
    if (key.code < 0)
    {
        return false;
    }
    const bool named = (key.code & KeyCode::kNamedKey) != 0;
    return !named || key.GetVirtualKey() != 0 || (key.code & 0xFFFF) != 0;
}

ORVRESULT ReadKeyBindings(const RCPtr<LStringTable>& table, const WString& prefix,
                          const std::function<void(const KeyCode&, const WString&)>& bind)
{
    if (!table)
    {
        return E_INVALIDARG;
    }
    WString full = prefix;
    full.Append(L'.');
    for (const auto& [id, text] : table->GetEntries())
    {
        if (id.Left(static_cast<int>(full.GetLength())) != full)
        {
            continue;
        }
        const KeyCode key = KeyCode::Parse(text);
        if (IsBindableKey(key))
        {
            bind(key, id.Mid(id.ReverseFind(L'.') + 1));
        }
    }
    return S_OK;
}
} // namespace Orv
