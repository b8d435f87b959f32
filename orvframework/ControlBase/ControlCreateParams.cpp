// The create parameters every control reads when it is made, and its context menu.
#include "ControlBase/Control.h"

#include <cwchar>

namespace Orv
{
ORVRESULT LControl::ReadCreateParams()
{
    const RCPtr<LStringTable> params = mDescriptor ? mDescriptor->GetCreateParams() : nullptr;
    const bool negativeTabStop = mLayout && mLayout->tabStop < 0;
    // The context menu's entries may also come from the string table.
    RCPtr<LMenuDescriptor> contextMenu;
    if (ReadContextMenuParams(-1, contextMenu) == S_OK)
    {
        SetContextMenu(contextMenu);
    }
    if (!params)
    {
        SetNotFocusable(negativeTabStop);
        return S_OK;
    }
    WString text;
    if (params->Lookup(L"INITIAL_VALUE", text))
    {
        SetValue(std::wcstod(text.GetBuffer(), nullptr));
    }
    if (params->Lookup(L"NOT_FOCUSABLE", text))
    {
        SetNotFocusable(mDescriptor->GetCreateParamFlag(L"NOT_FOCUSABLE"));
    }
    else
    {
        SetNotFocusable(negativeTabStop);
    }
    if (params->Lookup(L"USE_PARENT_TOOLTIP", text))
    {
        mUseParentToolTip = mDescriptor->GetCreateParamFlag(L"USE_PARENT_TOOLTIP");
    }
    if (params->Lookup(L"WANTS_TAB", text))
    {
        mWantsTab = mDescriptor->GetCreateParamFlag(L"WANTS_TAB");
    }
    return S_OK;
}
} // namespace Orv
