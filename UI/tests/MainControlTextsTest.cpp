// The main window's texts and visibility over update result, device state and file state: the
// real main control in its window from the program's skin, refreshed from each row's values; the
// labels' texts and every control's visibility read from the controls.
#include "Controls/MainMenu.h"
#include "LabelText.h"
#include "MainControlFixture.h"

#include <map>
#include <optional>
#include <set>

namespace
{
using namespace OrvTest;
using Engine = LUpdateEngineInterface;
using Orv::WString;

// The real engine with the answers that depend on a device and a file fixed by the test: whether
// the file is newer, the failure reason, and the two version texts with their results.
class FixedAnswersEngine : public LUpdateEngine
{
public:
    bool IsFileNewer() const override { return newer; }
    ORVRESULT GetSelectedFailureReason(unsigned int& out) const override
    {
        out = reason;
        return S_OK;
    }
    ORVRESULT GetDeviceFirmwareVersionText(WString& text) const override
    {
        text = WString(L"00.20");
        return deviceVersionResult;
    }
    ORVRESULT GetFileVersionText(WString& text) const override
    {
        text = WString(L"00.31");
        return S_OK;
    }
    // The device reports the file's version 0.0.3.1 when it runs the file, else 0.0.2.0.
    int GetSelectedIndex() const override { return 0; }
    ORVRESULT GetDeviceFirmwareVersion(unsigned int, VersionInfo& version) const override
    {
        version = VersionInfo();
        version.parts[2] = runsFile ? 3 : 2;
        version.parts[3] = runsFile ? 1 : 0;
        return S_OK;
    }

    bool newer = true;
    bool runsFile = false;
    unsigned int reason = 0;
    ORVRESULT deviceVersionResult = S_OK;
};

// Every control whose visibility UpdateUI decides.
const wchar_t* const kControls[] = {
    L"labelFirmwareFileInformation",
    L"labelDeviceInformation",
    L"labelFileFirmwareVersion",
    L"labelDeviceFirmwareVersion",
    L"progressBar",
    L"buttonUpdateFirmware",
    L"labelUpdateProcessInformation",
    L"labelDeviceCannotUpdateError",
    L"buttonReinitialize",
    L"buttonScanForDevice",
    L"buttonManualDeviceReadyForUpdateButton",
    L"buttonManualDeviceHasUpdatedRescanButton",
    L"controlTransitioningToUpdateMode",
    L"labelDeviceNotFound",
    L"buttonExit",
    L"buttonAbort",
    L"buttonSelectFirmwareFile",
};

struct Row
{
    const char* name;
    int result;
    int device;
    int file;
    bool newer;
    bool alwaysUpdate;
    unsigned int reason;
    bool updateRunning;
    std::set<std::wstring> shown;
    // Expected texts by label; an id names the label's string of that id.
    std::map<std::wstring, const wchar_t*> texts;
    // Whether the device runs the file's version; unset: when the file is not newer.
    std::optional<bool> runsFile = std::nullopt;
};

class MainControlTextsTest : public MainControlFixture
{
protected:
    void SetUp() override
    {
        fixed = new FixedAnswersEngine();
        OpenWindow(Orv::RCPtr<Engine>(fixed.Get()));
        Engine::VersionInfo version;
        version.parts[2] = 3;
        version.parts[3] = 1;
        version.text = WString(L"00.31");
        fixed->SetFileVersion(version);
    }

    // Brings the window to the row's values and checks every control and text of the row.
    void Check(const Row& row)
    {
        SCOPED_TRACE(row.name);
        fixed->newer = row.newer;
        fixed->runsFile = row.runsFile.value_or(!row.newer);
        fixed->reason = row.reason;
        application->GetUpdateProcessor()->SetAlwaysUpdate(row.alwaysUpdate);
        fixed->SetFileState(row.file);
        fixed->SetDeviceState(row.device);
        // The completion's flag as the completion leaves it.
        if (row.updateRunning != mainControl->IsUpdateRunning())
        {
            ASSERT_FALSE(row.updateRunning) << "a row cannot ask for a running update";
        }
        mainControl->UpdateUI(row.result, row.device, row.file);
        for (const wchar_t* control : kControls)
        {
            const bool expected = row.shown.count(control) != 0;
            EXPECT_EQ(Shown(control), expected) << Narrow(WString(control));
        }
        for (const auto& [label, id] : row.texts)
        {
            EXPECT_EQ(Text(label.c_str()), TableText(label.c_str(), id))
                << Narrow(WString(label.c_str())) << " should show " << Narrow(WString(id));
            EXPECT_FALSE(TableText(label.c_str(), id).empty()) << Narrow(WString(id));
        }
    }

    Orv::RCPtr<FixedAnswersEngine> fixed;
};

const wchar_t* const kProcess = L"labelUpdateProcessInformation";
const wchar_t* const kError = L"labelDeviceCannotUpdateError";
const wchar_t* const kDevice = L"labelDeviceInformation";
const wchar_t* const kFile = L"labelFirmwareFileInformation";

TEST_F(MainControlTextsTest, TextsAndVisibilityFollowResultDeviceAndFile)
{
    const int R0 = Engine::kUpdateReady;
    const int R1 = Engine::kUpdateInProgress;
    const int R2 = Engine::kUpdateFailed;
    const int R3 = Engine::kUpdateAborted;
    const int R4 = Engine::kUpdateCompleted;
    const Row rows[] = {
        {"ready, normal mode, newer file: the update button",
         R0,
         5,
         3,
         true,
         false,
         0,
         false,
         {L"labelDeviceInformation", L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion",
          L"buttonUpdateFirmware", kProcess, L"buttonExit", L"buttonAbort"},
         {{kProcess, L"LABEL_READY_FOR_UPDATE"}, {kDevice, L"LABEL_DEVICE_NOT_IN_UPDATE_MODE"}}},
        {"ready, normal mode, file not newer: not needed",
         R0,
         5,
         3,
         false,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kError, L"buttonExit",
          L"buttonAbort"},
         {{kError, L"LABEL_UPDATE_NOT_NEEDED"}}},
        {"ready, normal mode, file not newer, always update: a downgrade",
         R0,
         5,
         3,
         false,
         true,
         0,
         false,
         {L"labelDeviceInformation", L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion",
          L"buttonUpdateFirmware", kProcess, L"buttonExit", L"buttonAbort"},
         {{kProcess, L"LABEL_READY_FOR_DOWNGRADE_UPDATE"}}},
        {"ready, in update mode: the update button",
         R0,
         7,
         3,
         true,
         false,
         0,
         false,
         {L"labelDeviceInformation", L"labelFileFirmwareVersion", L"buttonUpdateFirmware", kProcess,
          L"buttonExit", L"buttonAbort"},
         {{kDevice, L"LABEL_DEVICE_IN_UPDATE_MODE"}}},
        {"ready, no device found: scan button and not-found sign",
         R0,
         1,
         3,
         false,
         false,
         0,
         false,
         {L"labelDeviceInformation", L"labelFileFirmwareVersion", L"buttonScanForDevice",
          L"labelDeviceNotFound", L"buttonExit", L"buttonAbort"},
         {{kDevice, L"LABEL_NO_DEVICE_FOUND"}}},
        {"ready, scanning, no file: the file information and the file button",
         R0,
         2,
         0,
         false,
         false,
         0,
         false,
         {L"labelFirmwareFileInformation", L"buttonSelectFirmwareFile", L"buttonExit",
          L"buttonAbort"},
         {{kFile, L"LABEL_NO_FILE_DEFINED"}, {kDevice, L"LABEL_SCANNING_FOR_DEVICE"}}},
        {"ready, no device, bad file",
         R0,
         1,
         1,
         false,
         false,
         0,
         false,
         {L"labelFirmwareFileInformation", L"buttonSelectFirmwareFile", L"buttonExit",
          L"buttonAbort"},
         {{kFile, L"LABEL_FIRMARE_FILE_INVALID"}}},
        {"ready, device failed: the reason and TRY AGAIN",
         R0,
         4,
         3,
         true,
         false,
         4,
         false,
         {L"labelFileFirmwareVersion", kError, L"buttonReinitialize", L"buttonExit",
          L"buttonAbort"},
         {{kError, L"LABEL_DEVICE_DEVICE_ACCESS_FAILURE"}}},
        {"ready, device failed, file access",
         R0,
         4,
         3,
         true,
         false,
         3,
         false,
         {L"labelFileFirmwareVersion", kError, L"buttonReinitialize", L"buttonExit",
          L"buttonAbort"},
         {{kError, L"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE"}}},
        {"ready, entering update mode: the transition",
         R0,
         6,
         3,
         true,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", kProcess, L"buttonManualDeviceReadyForUpdateButton",
          L"controlTransitioningToUpdateMode", L"buttonAbort"},
         {{kProcess, L"LABEL_UPDATE_TRANSITIONING_TO_UPDATE_MODE"}}},
        {"in progress: the progress bar",
         R1,
         8,
         3,
         true,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"progressBar", kProcess, L"buttonAbort"},
         {{kProcess, L"LABEL_UPDATE_IN_PROGRESS"}}},
        {"failed: file information, versions, error, TRY AGAIN, EXIT",
         R2,
         5,
         3,
         true,
         false,
         4,
         false,
         {kFile, L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kError,
          L"buttonReinitialize", L"buttonExit"},
         {{kError, L"LABEL_DEVICE_DEVICE_ACCESS_FAILURE"}}},
        {"aborted",
         R3,
         5,
         3,
         true,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kProcess,
          L"buttonReinitialize", L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_ABORTED"}}},
        {"completed, back in normal mode, file no longer newer: succeeded",
         R4,
         5,
         3,
         false,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kProcess, L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_SUCCEEDED"}}},
        {"completed, back in normal mode, file still newer: not successful",
         R4,
         5,
         3,
         true,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kProcess,
          L"buttonReinitialize", L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"}}},
        // The verdict, not the comparison: a device back with another version than the file's
        // (an older one, so the file is not newer) was not updated.
        {"completed, back in normal mode with another version: not successful",
         R4,
         5,
         3,
         false,
         false,
         0,
         false,
         {L"labelFileFirmwareVersion", L"labelDeviceFirmwareVersion", kProcess,
          L"buttonReinitialize", L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"}},
         false},
        {"completed, back still in update mode: not successful",
         R4,
         7,
         3,
         true,
         false,
         4,
         false,
         {L"labelFileFirmwareVersion", kProcess, L"buttonReinitialize", L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_SENT_BUT_NOT_SUCCESSFUL"}}},
        {"failed, file refused, not newer: the failure, not 'up to date'",
         R2,
         4,
         1,
         false,
         false,
         3,
         false,
         {kFile, L"labelFileFirmwareVersion", kError, L"buttonReinitialize", L"buttonExit",
          L"buttonSelectFirmwareFile"},
         {{kError, L"LABEL_CANNOT_UPDATE_FILE_ACCESS_FAILURE"}}},
        {"completed, device not back: success unknown",
         R4,
         4,
         3,
         true,
         false,
         4,
         false,
         {L"labelFileFirmwareVersion", kProcess, L"buttonReinitialize",
          L"buttonManualDeviceHasUpdatedRescanButton", L"buttonExit"},
         {{kProcess, L"LABEL_UPDATE_SUCESS_UNKNOWN"}}},
    };
    for (const Row& row : rows)
    {
        Check(row);
    }
    // The transition's progress bar is animated from the idle passes only while it shows.
    EXPECT_EQ(mainControl->GetIdleRequestCount(), 0);
    Check(rows[9]);
    EXPECT_EQ(mainControl->GetIdleRequestCount(), 1);
    Check(rows[10]);
    EXPECT_EQ(mainControl->GetIdleRequestCount(), 0);
}

TEST_F(MainControlTextsTest, VersionLabelsTakeTheVersionsLiterally)
{
    fixed->SetFileState(Engine::kFileVersionKnown);
    fixed->SetDeviceState(Engine::kDeviceNormalMode);
    mainControl->UpdateUI(0, 5, 3);
    // The program's sequencer completes the file's label with the display's target version.
    EXPECT_EQ(Text(L"labelFileFirmwareVersion"), "Updating to Controller Firmware Version: 00.31\n"
                                                 "Updating to Display Firmware Version: 00.50");
    EXPECT_EQ(Text(L"labelDeviceFirmwareVersion"), "Current Controller Firmware Version: 00.20\n"
                                                   "Current Display Firmware Version: ");
    EXPECT_EQ(Text(L"updaterVersionLabel"),
              "Updater: " + Narrow(Orv::Version::GetProductVersion()));

    // A version text call that does not answer exactly 0 leaves the label as it was.
    fixed->deviceVersionResult = S_FALSE;
    Child(L"labelDeviceFirmwareVersion")->SetText(WString(L"kept"));
    mainControl->UpdateUI(0, 5, 3);
    EXPECT_EQ(Text(L"labelDeviceFirmwareVersion"), "kept");

    // A table's text is never a printf format: only its first "%s" takes the value.
    struct Case
    {
        const wchar_t* format;
        const wchar_t* value;
        const char* expected;
    };
    const Case cases[] = {
        {L"Version: %s", L"00.31", "Version: 00.31"},
        {L"%d %n %s %s %%", L"1.0", "%d %n 1.0 %s %%"},
        {L"no place", L"x", "no place"},
        {L"%s", L"%s%n", "%s%n"},
        {L"", L"x", ""},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Narrow(SubstituteFirst(WString(c.format), WString(c.value))), c.expected)
            << Narrow(WString(c.format));
    }
}

TEST_F(MainControlTextsTest, AllowDowngradeMenuTogglesTheFlagAndItsCheckMark)
{
    const Orv::RCPtr<LUpdateProcessor>& processor = application->GetUpdateProcessor();
    ASSERT_FALSE(processor->GetAlwaysUpdate());
    for (const bool expected : {true, false, true})
    {
        mainWindow->SendNotification(
            Orv::LNotification::Create(L"NID_MENU_OPTIONS_ALLOW_DOWNGRADE"));
        EXPECT_EQ(processor->GetAlwaysUpdate(), expected);
        Orv::MenuItemInfo item;
        EXPECT_EQ(mainControl->GetMenuItemState(L"NID_MENU_OPTIONS_ALLOW_DOWNGRADE", item), S_OK);
        EXPECT_EQ(item.checked, expected);
        Orv::MenuItemInfo other;
        mainControl->GetMenuItemState(L"NID_MENU_FILE_SELECT", other);
        EXPECT_FALSE(other.checked);
    }
}

TEST_F(MainControlTextsTest, ExitAsksTheApplicationWhichRefusesWhileAnUpdateIsWritten)
{
    fixed->SetDeviceState(Engine::kDeviceUpdating);
    ClickOn(L"buttonExit");
    IdlePass();
    EXPECT_FALSE(application->IsExiting());
    fixed->SetDeviceState(Engine::kDeviceNormalMode);
    IdlePass();
    ClickOn(L"buttonExit");
    IdlePass();
    EXPECT_TRUE(application->IsExiting());
}

TEST_F(MainControlTextsTest, TheMainMenuTogglesAllowDowngradeAndShowsItsCheckMark)
{
    const Orv::RCPtr<Orv::LMainMenu> menu = Child<Orv::LMainMenu>(L"mainMenu");
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->GetMenuCount(), 2);
    EXPECT_EQ(Narrow(menu->GetMenuAt(0)->GetText()), "File");
    EXPECT_EQ(Narrow(menu->GetMenuAt(1)->GetText()), "Options");
    const Orv::RectT<double> bar = menu->GetRect();
    const Orv::RectT<double> options = menu->GetMenuAt(1)->GetRect();
    const int x = static_cast<int>(bar.x + options.x + options.width / 2);
    const int y = static_cast<int>(bar.y + options.y + options.height / 2);
    // The popup opens below the title; its first row is "Allow Downgrade".
    const int rowY = static_cast<int>(bar.y + options.y + options.height) + 11;
    const auto choose = [&]
    {
        ClickAt(x, y);
        IdlePass();
        ClickAt(x, rowY);
        IdlePass();
        IdlePass();
    };
    const Orv::RCPtr<LUpdateProcessor>& processor = application->GetUpdateProcessor();
    ASSERT_FALSE(processor->GetAlwaysUpdate());
    choose();
    EXPECT_TRUE(processor->GetAlwaysUpdate());

    // Opened again, the row shows its check mark (green).
    ClickAt(x, y);
    IdlePass();
    const std::vector<std::uint32_t> open = Screenshot("main-control-options-menu.png");
    const int checkX = static_cast<int>(bar.x + options.x) + 10;
    EXPECT_EQ(At(open, checkX, rowY), 0x35B45Au);
    ClickAt(x, rowY);
    IdlePass();
    IdlePass();
    EXPECT_FALSE(processor->GetAlwaysUpdate());
}
} // namespace

// Whatever the row of the visibility table (every update result, device state, file state,
// newer or not, with or without always-update, every failure reason), no two controls that show
// overlap in the real skin's layout.
TEST_F(MainControlTextsTest, NoTwoVisibleControlsOverlapInAnyRow)
{
    std::map<std::wstring, Orv::RectT<double>> rects;
    for (const wchar_t* control : kControls)
    {
        const Orv::RCPtr<Orv::LControl> child = Child(control);
        ASSERT_TRUE(child) << Narrow(WString(control));
        rects[control] = child->GetRect();
    }
    const auto overlap = [](const Orv::RectT<double>& a, const Orv::RectT<double>& b)
    {
        return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
               b.y < a.y + a.height;
    };
    int rows = 0;
    for (int result = Engine::kUpdateReady; result <= Engine::kUpdateCompleted; ++result)
    {
        for (int device = Engine::kDeviceNotDefined; device <= Engine::kDeviceUpdating; ++device)
        {
            for (int file = Engine::kFileNone; file <= Engine::kFileVersionKnown; ++file)
            {
                for (int flags = 0; flags < 8; ++flags)
                {
                    for (unsigned int reason : {0u, 3u, 4u})
                    {
                        fixed->newer = (flags & 1) != 0;
                        fixed->runsFile = (flags & 4) != 0;
                        fixed->reason = reason;
                        application->GetUpdateProcessor()->SetAlwaysUpdate((flags & 2) != 0);
                        fixed->SetFileState(file);
                        fixed->SetDeviceState(device);
                        mainControl->UpdateUI(result, device, file);
                        ++rows;
                        std::vector<const wchar_t*> shown;
                        for (const wchar_t* control : kControls)
                        {
                            if (Shown(control))
                            {
                                shown.push_back(control);
                            }
                        }
                        for (std::size_t i = 0; i < shown.size(); ++i)
                        {
                            for (std::size_t j = i + 1; j < shown.size(); ++j)
                            {
                                EXPECT_FALSE(overlap(rects[shown[i]], rects[shown[j]]))
                                    << Narrow(WString(shown[i])) << " and "
                                    << Narrow(WString(shown[j])) << " overlap with result "
                                    << result << ", device " << device << ", file " << file
                                    << ", flags " << flags << ", reason " << reason;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(rows, 5 * 9 * 4 * 8 * 3);
}
