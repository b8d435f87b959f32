#include "Controls/FrameworkControlTypes.h"

#include "ControlBase/ControlCreator.h"
#include "Controls/Button.h"
#include "Controls/Label.h"
#include "Controls/NumericUpDown.h"
#include "Controls/Panel.h"
#include "Controls/ProgressBar.h"
#include "Controls/Scrollbar.h"
#include "Controls/StatusBar.h"
#include "Controls/TextBox.h"
#include "Controls/ToolTip.h"

#include <vector>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes()
{
    // One row per type name; several names may share a class.
    static const std::vector<ControlTypeRegistration> rows = {
        {L"Framework.Button", &CreateControlOf<LButton>, 94},
        {L"Framework.ScrollBar", &CreateControlOf<LScrollbar>, 106},
        {L"Framework.ScrollChannel", &CreateControlOf<LPanel>, 107},
        {L"Framework.ComboSlider.DropDownPanel", &CreateControlOf<LPanel>, 113},
        {L"Framework.Label", &CreateControlOf<LLabel>, 117},
        {L"Framework.TextBox", &CreateControlOf<LTextBox>, 118},
        {L"Framework.NumericUpDown", &CreateControlOf<LNumericUpDown>, 119},
        {L"Framework.Panel", &CreateControlOf<LPanel>, 120},
        {L"Framework.ToolTip", &CreateControlOf<LToolTip>, 121},
        {L"Framework.StatusBar", &CreateControlOf<LStatusBar>, 127},
        {L"Framework.ProgressBar", &CreateControlOf<LProgressBar>, 131},
        {L"Framework.CenteredSliderBounds", &CreateControlOf<LPanel>, 137},
    };
    return rows;
}
} // namespace Orv
