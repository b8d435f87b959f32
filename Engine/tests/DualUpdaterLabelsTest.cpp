// What the two-image sequencer completes in the main window when the window refreshes itself:
// the version labels from its image table and its last probe, the name of the image being
// written, and the manual rescan button after a completed update.
#include "UpdaterTestSupport.h"

#include <map>
#include <string>

using namespace OrvTest;
using Orv::WString;

namespace
{
// The window's side: each label's strings by id, and what the sequencer set.
class LabelRecorder : public IMainWindowLabels
{
public:
    WString GetLabelString(const wchar_t* label, const wchar_t* id) const override
    {
        const std::wstring key = std::wstring(label) + L"/" + id;
        if (key == L"labelFileFirmwareVersion/LABEL")
        {
            return WString(L"file %s, ");
        }
        if (key == L"labelDeviceFirmwareVersion/LABEL")
        {
            // A table's text is no printf format: only the first "%s" takes the version.
            return WString(L"device %s %d%n, ");
        }
        return WString((std::wstring(L"<") + id + L">").c_str());
    }
    void SetLabelText(const wchar_t* label, const WString& text) override
    {
        texts[label] = text.ToNarrow().GetBuffer();
    }
    void ShowManualRescanButton(bool show) override { rescanButton = show ? "shown" : "hidden"; }

    std::map<std::wstring, std::string> texts;
    std::string rescanButton = "untouched";
};
} // namespace

class DualUpdaterLabelsTest : public UpdaterTest
{
protected:
    void TearDown() override
    {
        LDualUpdater::ReleaseInstance();
        UpdaterTest::TearDown();
    }
};

TEST_F(DualUpdaterLabelsTest, VersionLabelsImageNameAndRescanButton)
{
    AddController(0x0020);
    AddWheelDisplay(0x0040);
    LabelRecorder before;
    // Without the program's sequencer nothing is touched.
    LDualUpdater::UpdateLabels(before, 0, 5, 3);
    EXPECT_TRUE(before.texts.empty());

    LDualUpdater::CreateInstance(host);
    const Orv::RCPtr<LDualUpdater> instance = LDualUpdater::GetInstance();
    const Orv::RCPtr<LUpdateEngine> application = LUpdateEngine::Create(
        modeTimings, Orv::GetSystemClock(), Orv::RCPtr<IUpdateImageSequence>(instance.Get()));
    ASSERT_EQ(application->Initialize(WString()), S_OK);
    ASSERT_EQ(application->Rescan(), S_OK);
    ASSERT_EQ(instance->GetCurrentImage(), LDualUpdater::kController);

    struct Row
    {
        int result;
        int device;
        const char* file;
        const char* rescanButton;
    };
    const Row rows[] = {
        {0, 5, "file 00.31, 00.50", "untouched"},
        {1, 8, "<LABEL_UPDATING_CONTROLLER_FIRMWARE>", "untouched"},
        {4, 7, "file 00.31, 00.50", "hidden"},
        {4, 5, "file 00.31, 00.50", "untouched"},
        {2, 4, "file 00.31, 00.50", "untouched"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::to_string(row.result) + "/" + std::to_string(row.device));
        LabelRecorder window;
        LDualUpdater::UpdateLabels(window, row.result, row.device, 3);
        EXPECT_EQ(window.texts[IMainWindowLabels::kFileFirmwareVersion], row.file);
        EXPECT_EQ(window.texts[IMainWindowLabels::kDeviceFirmwareVersion],
                  "device 00.20 %d%n, 00.40");
        EXPECT_EQ(window.rescanButton, row.rescanButton);
    }

    // The wheel display's image, once it is the current one.
    application->Abort();
    application->WaitForTask(INFINITE);
    SimulatedDevices::Reset();
    AddController(kControllerTarget);
    AddWheelDisplay(0x0040);
    ASSERT_EQ(application->Rescan(), S_OK);
    ASSERT_EQ(instance->GetCurrentImage(), LDualUpdater::kWheelDisplay);
    LabelRecorder writing;
    LDualUpdater::UpdateLabels(writing, 1, 8, 3);
    EXPECT_EQ(writing.texts[IMainWindowLabels::kFileFirmwareVersion],
              "<LABEL_UPDATING_WHEEL_DISPLAY_FIRMWARE>");
    EXPECT_EQ(writing.texts[IMainWindowLabels::kDeviceFirmwareVersion], "device 00.31 %d%n, 00.40");

    // With the sequence switched off (a command line naming the file or the device), the
    // window's own texts stand.
    instance->UseFixedImage(0x8010);
    LabelRecorder fixed;
    LDualUpdater::UpdateLabels(fixed, 4, 7, 3);
    EXPECT_TRUE(fixed.texts.empty());
    EXPECT_EQ(fixed.rescanButton, "untouched");
}
