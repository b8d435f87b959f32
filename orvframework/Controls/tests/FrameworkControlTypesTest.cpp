// The registration table of the stock controls is complete: its forty rows, in order, each with
// its line, and each type name makes a control of exactly its class through the factory.
#include "ControlWindowFixture.h"

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/ControlFactory.h"
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
#include "Controls/FrameworkControlTypes.h"
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

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

using namespace Orv;
using namespace OrvTest;

namespace
{
struct Expected
{
    const wchar_t* name;
    int line;
    const std::type_info* type;
    // Whether a control is of the class or derives from it.
    bool (*isA)(const LControl*);
};

template <class T>
Expected Row(const wchar_t* name, int line)
{
    return {name, line, &typeid(T),
            [](const LControl* control) { return dynamic_cast<const T*>(control) != nullptr; }};
}

const Expected kExpected[] = {
    Row<LButton>(L"Framework.Button", 94),
    Row<LListBoxItem>(L"Framework.OverlayButton", 97),
    Row<LListBox>(L"Framework.ListBox", 99),
    Row<LListBox>(L"Framework.listboxNoScroll", 100),
    Row<LListBoxItem>(L"Framework.ListBoxItem", 101),
    Row<LCheckedListBox>(L"Framework.CheckedListBox", 102),
    Row<LCheckedListBoxItem>(L"Framework.CheckedListBoxItem", 103),
    Row<LCheckedListBox>(L"Framework.ListBoxWithIcons", 104),
    Row<LMultiColumnListBox>(L"Framework.listbox2ColumnSortable", 105),
    Row<LScrollbar>(L"Framework.ScrollBar", 106),
    Row<LPanel>(L"Framework.ScrollChannel", 107),
    Row<LComboBox>(L"Framework.ComboBox", 108),
    Row<LComboBox>(L"Framework.ComboTextBox", 109),
    Row<LCheckedComboBox>(L"Framework.CheckedComboBox", 110),
    Row<LCheckedComboBox>(L"Framework.ComboBoxWithIcons", 111),
    Row<LComboSlider>(L"Framework.ComboSlider", 112),
    Row<LPanel>(L"Framework.ComboSlider.DropDownPanel", 113),
    Row<LSlider>(L"Framework.Slider", 114),
    Row<LKnob>(L"Framework.Knob", 115),
    Row<LTabControl>(L"Framework.TabControl", 116),
    Row<LLabel>(L"Framework.Label", 117),
    Row<LTextBox>(L"Framework.TextBox", 118),
    Row<LNumericUpDown>(L"Framework.NumericUpDown", 119),
    Row<LPanel>(L"Framework.Panel", 120),
    Row<LToolTip>(L"Framework.ToolTip", 121),
    Row<LPopupMenu>(L"Framework.PopupMenu", 122),
    Row<LMenuListBoxItem>(L"Framework.MenuItem", 123),
    Row<LComboMenu>(L"Framework.ComboMenu", 124),
    Row<LMainMenu>(L"Framework.MainMenu", 125),
    Row<LFileDropper>(L"Framework.FileDropper", 126),
    Row<LStatusBar>(L"Framework.StatusBar", 127),
    Row<LSplitterH>(L"Framework.SplitterH", 128),
    Row<LSplitterV>(L"Framework.SplitterV", 129),
    Row<LLevelMeter>(L"Framework.LevelMeter", 130),
    Row<LProgressBar>(L"Framework.ProgressBar", 131),
    Row<LTreeView>(L"Framework.TreeView", 132),
    Row<LTreeViewItem>(L"Framework.TreeViewItem", 133),
    Row<LDropper>(L"Framework.Dropper", 134),
    Row<LCenteredSlider>(L"Framework.CenteredSlider", 136),
    Row<LPanel>(L"Framework.CenteredSliderBounds", 137),
};

std::string Narrow(const wchar_t* text)
{
    return std::string(WString(text).ToNarrow().GetBuffer());
}
} // namespace

class FrameworkControlTypesTest : public ControlWindowFixture
{
public:
    FrameworkControlTypesTest()
        : ControlWindowFixture("ComboBoxSkin.xml")
    {
    }
};

TEST_F(FrameworkControlTypesTest, EveryNameOfTheTableMakesAControlOfItsClass)
{
    const auto rows = GetFrameworkControlTypes();
    ASSERT_EQ(rows.size(), std::size(kExpected));
    const RCPtr<LControl> parent = mMain->GetRootControl();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const Expected& expected = kExpected[i];
        SCOPED_TRACE(Narrow(expected.name));
        EXPECT_EQ(std::wstring(rows[i].typeName), std::wstring(expected.name));
        EXPECT_EQ(rows[i].line, expected.line);

        const std::wstring childName = L"made" + std::to_wstring(i);
        const RCPtr<LControlDescriptor> descriptor =
            LControlDescriptor::Create(WString(expected.name), WString(childName.c_str()), nullptr);
        RCPtr<LControl> control;
        ASSERT_EQ(mFactory->CreateControl(control, descriptor, parent), S_OK);
        ASSERT_TRUE(control);
        EXPECT_TRUE(expected.isA(control.Get()));
        const LControl& made = *control;
        EXPECT_TRUE(typeid(made) == *expected.type) << "made a " << typeid(made).name();
        EXPECT_TRUE(control->IsCreated());
        control->Detach();
    }
}

TEST_F(FrameworkControlTypesTest, NamesAreCaseSensitive)
{
    CreateFunction function = nullptr;
    EXPECT_ANY_THROW(
        mFactory->GetControlCreateFunction(WString(L"Framework.listBoxNoScroll"), function));
    EXPECT_EQ(mFactory->GetControlCreateFunction(WString(L"Framework.listboxNoScroll"), function),
              S_OK);
    EXPECT_NE(function, nullptr);
}
