// What the two-image sequencer may change in the main window when the window refreshes itself
// (LDualUpdater::UpdateLabels): the texts of two of its labels, read from and written to the
// labels' own string tables, and the visibility of its manual rescan button. The main window
// controller implements it; the engine knows nothing else of the window.
#pragma once

#include "OrvCore.h"

class IMainWindowLabels
{
public:
    static constexpr const wchar_t* kFileFirmwareVersion = L"labelFileFirmwareVersion";
    static constexpr const wchar_t* kDeviceFirmwareVersion = L"labelDeviceFirmwareVersion";

    // The text of the id in the string table of the label with that name; empty when the label,
    // its table or the id is missing.
    virtual Orv::WString GetLabelString(const wchar_t* label, const wchar_t* id) const = 0;
    // Sets the label's text; nothing when the window has no such label.
    virtual void SetLabelText(const wchar_t* label, const Orv::WString& text) = 0;
    // Shows or hides "buttonManualDeviceHasUpdatedRescanButton" when the window has it.
    virtual void ShowManualRescanButton(bool show) = 0;

protected:
    ~IMainWindowLabels() = default;
};
