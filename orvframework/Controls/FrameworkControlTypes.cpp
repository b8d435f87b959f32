#include "Controls/FrameworkControlTypes.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/Button.h"
#include "Controls/CheckedListBox.h"
#include "Controls/CheckedListBoxItem.h"
#include "Controls/ComboMenu.h"
#include "Controls/Label.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "Controls/MainMenu.h"
#include "Controls/MenuListBoxItem.h"
#include "Controls/Panel.h"
#include "Controls/PopupMenu.h"
#include "Controls/ProgressBar.h"
#include "Controls/Scrollbar.h"
#include "Controls/StatusBar.h"
#include "Controls/ToolTip.h"
#include "Controls/TreeView.h"
#include "Controls/TreeViewItem.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per type name; several names may share a class.
    static const std::vector<ControlTypeRegistration> rows = {
        {L"Framework.Button", &CreateControlOf<LButton>, 94},
        {L"Framework.OverlayButton", &CreateControlOf<LListBoxItem>, 97},
        {L"Framework.ListBox", &CreateControlOf<LListBox>, 99},
        {L"Framework.listboxNoScroll", &CreateControlOf<LListBox>, 100},
        {L"Framework.ListBoxItem", &CreateControlOf<LListBoxItem>, 101},
        {L"Framework.CheckedListBox", &CreateControlOf<LCheckedListBox>, 102},
        {L"Framework.CheckedListBoxItem", &CreateControlOf<LCheckedListBoxItem>, 103},
        {L"Framework.ListBoxWithIcons", &CreateControlOf<LCheckedListBox>, 104},
        {L"Framework.ScrollBar", &CreateControlOf<LScrollbar>, 106},
        {L"Framework.ScrollChannel", &CreateControlOf<LPanel>, 107},
        {L"Framework.ComboSlider.DropDownPanel", &CreateControlOf<LPanel>, 113},
        {L"Framework.Label", &CreateControlOf<LLabel>, 117},
        {L"Framework.Panel", &CreateControlOf<LPanel>, 120},
        {L"Framework.ToolTip", &CreateControlOf<LToolTip>, 121},
        {L"Framework.PopupMenu", &CreateControlOf<LPopupMenu>, 122},
        {L"Framework.MenuItem", &CreateControlOf<LMenuListBoxItem>, 123},
        {L"Framework.ComboMenu", &CreateControlOf<LComboMenu>, 124},
        {L"Framework.MainMenu", &CreateControlOf<LMainMenu>, 125},
        {L"Framework.StatusBar", &CreateControlOf<LStatusBar>, 127},
        {L"Framework.ProgressBar", &CreateControlOf<LProgressBar>, 131},
        {L"Framework.TreeView", &CreateControlOf<LTreeView>, 132},
        {L"Framework.TreeViewItem", &CreateControlOf<LTreeViewItem>, 133},
        {L"Framework.CenteredSliderBounds", &CreateControlOf<LPanel>, 137},
    };
    return rows;
}
} // namespace Orv
