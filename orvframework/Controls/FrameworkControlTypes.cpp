#include "Controls/FrameworkControlTypes.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/Button.h"
#include "Controls/CenteredSlider.h"
#include "Controls/CheckedComboBox.h"
#include "Controls/CheckedListBox.h"
#include "Controls/CheckedListBoxItem.h"
#include "Controls/ComboBox.h"
#include "Controls/ComboMenu.h"
#include "Controls/ComboSlider.h"
#include "Controls/Dropper.h"
#include "Controls/FileDropper.h"
#include "Controls/Knob.h"
#include "Controls/Label.h"
#include "Controls/LevelMeter.h"
#include "Controls/ListBox.h"
#include "Controls/ListBoxItem.h"
#include "Controls/MainMenu.h"
#include "Controls/MenuListBoxItem.h"
#include "Controls/MultiColumnListBox.h"
#include "Controls/NumericUpDown.h"
#include "Controls/Panel.h"
#include "Controls/PopupMenu.h"
#include "Controls/ProgressBar.h"
#include "Controls/Scrollbar.h"
#include "Controls/Slider.h"
#include "Controls/SplitterH.h"
#include "Controls/SplitterV.h"
#include "Controls/StatusBar.h"
#include "Controls/TabControl.h"
#include "Controls/TextBox.h"
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
        {L"Framework.listbox2ColumnSortable", &CreateControlOf<LMultiColumnListBox>, 105},
        {L"Framework.ScrollBar", &CreateControlOf<LScrollbar>, 106},
        {L"Framework.ScrollChannel", &CreateControlOf<LPanel>, 107},
        {L"Framework.ComboBox", &CreateControlOf<LComboBox>, 108},
        {L"Framework.ComboTextBox", &CreateControlOf<LComboBox>, 109},
        {L"Framework.CheckedComboBox", &CreateControlOf<LCheckedComboBox>, 110},
        {L"Framework.ComboBoxWithIcons", &CreateControlOf<LCheckedComboBox>, 111},
        {L"Framework.ComboSlider", &CreateControlOf<LComboSlider>, 112},
        {L"Framework.ComboSlider.DropDownPanel", &CreateControlOf<LPanel>, 113},
        {L"Framework.Slider", &CreateControlOf<LSlider>, 114},
        {L"Framework.Knob", &CreateControlOf<LKnob>, 115},
        {L"Framework.TabControl", &CreateControlOf<LTabControl>, 116},
        {L"Framework.Label", &CreateControlOf<LLabel>, 117},
        {L"Framework.TextBox", &CreateControlOf<LTextBox>, 118},
        {L"Framework.NumericUpDown", &CreateControlOf<LNumericUpDown>, 119},
        {L"Framework.Panel", &CreateControlOf<LPanel>, 120},
        {L"Framework.ToolTip", &CreateControlOf<LToolTip>, 121},
        {L"Framework.PopupMenu", &CreateControlOf<LPopupMenu>, 122},
        {L"Framework.MenuItem", &CreateControlOf<LMenuListBoxItem>, 123},
        {L"Framework.ComboMenu", &CreateControlOf<LComboMenu>, 124},
        {L"Framework.MainMenu", &CreateControlOf<LMainMenu>, 125},
        {L"Framework.FileDropper", &CreateControlOf<LFileDropper>, 126},
        {L"Framework.StatusBar", &CreateControlOf<LStatusBar>, 127},
        {L"Framework.SplitterH", &CreateControlOf<LSplitterH>, 128},
        {L"Framework.SplitterV", &CreateControlOf<LSplitterV>, 129},
        {L"Framework.LevelMeter", &CreateControlOf<LLevelMeter>, 130},
        {L"Framework.ProgressBar", &CreateControlOf<LProgressBar>, 131},
        {L"Framework.TreeView", &CreateControlOf<LTreeView>, 132},
        {L"Framework.TreeViewItem", &CreateControlOf<LTreeViewItem>, 133},
        {L"Framework.Dropper", &CreateControlOf<LDropper>, 134},
        {L"Framework.CenteredSlider", &CreateControlOf<LCenteredSlider>, 136},
        {L"Framework.CenteredSliderBounds", &CreateControlOf<LPanel>, 137},
    };
    return rows;
}
} // namespace Orv
