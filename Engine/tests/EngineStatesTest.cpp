// The engine's states, results and file settings.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace OrvTest;
using OrvPlatform::SimulatedMode;
using Engine = LUpdateEngineInterface;

namespace
{
class EngineStatesTest : public SimulatedBusTest
{
protected:
    Orv::RCPtr<RecordingEngine> engine{new RecordingEngine()};
};

Engine::VersionInfo Version(std::uint32_t c, std::uint32_t d, const wchar_t* text)
{
    Engine::VersionInfo version;
    version.parts[2] = c;
    version.parts[3] = d;
    version.text = Orv::WString(text);
    return version;
}
} // namespace

TEST_F(EngineStatesTest, ANewEngine)
{
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNotDefined);
    EXPECT_EQ(engine->GetFileState(), Engine::kFileNone);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateReady);
    EXPECT_EQ(engine->GetSelectedIndex(), -1);
    EXPECT_FALSE(engine->IsAsynchronous());
    EXPECT_EQ(engine->GetUpdateModeSwitchMethod(), LUpdateEngineInterface::kSwitchByMidiMessage);
    EXPECT_EQ(engine->ReservedQuery(), S_FALSE);
    EXPECT_EQ(engine->ReservedHook(7), S_OK);
    EXPECT_EQ(engine->Initialize(Orv::WString(L"-SILENT")), S_OK);
    EXPECT_EQ(engine->WaitForTask(0), S_OK); // nothing runs
    unsigned int reason = 7;
    EXPECT_EQ(engine->GetFailureReason(0, reason), E_FAIL);
    EXPECT_EQ(reason, 0u);
    EXPECT_EQ(engine->GetSelectedFailureReason(reason), E_FAIL);
    Orv::WString text;
    EXPECT_EQ(engine->GetFileVersionText(text), E_FAIL);
    EXPECT_TRUE(text == Orv::WString(L"N/A"));
    EXPECT_EQ(engine->GetFirmwarePath(text), E_FAIL);
    EXPECT_FALSE(engine->IsBootloader(0));
}

// Nothing starts in the wrong state, and a refused operation changes nothing.
TEST_F(EngineStatesTest, RefusedOperationsChangeNothing)
{
    SimulatedDevices::AddUnit(
        FastUnit(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Normal));
    TempFile file("states.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    ASSERT_EQ(engine->SetFirmwareFile(file.WidePath(), Version(3, 1, L"00.31")), S_OK);
    engine->SetDeviceDefinitions(Definitions({MakeDefinition(0x8010)}));
    ASSERT_EQ(engine->Rescan(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    engine->ClearRecords();

    EXPECT_EQ(engine->StartDownload(), E_FAIL); // state 5, not 7
    EXPECT_EQ(engine->Abort(), E_FAIL);
    EXPECT_EQ(engine->SelectDevice(0), S_OK); // state 5 is no obstacle
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateReady);
    EXPECT_EQ(engine->WaitForTask(0), S_OK);
    EXPECT_TRUE(engine->GetDeviceStates().empty());
    EXPECT_TRUE(engine->GetCompletions().empty());
    // Download itself refuses outside state 8.
    EXPECT_EQ(engine->Download(), E_FAIL);
    EXPECT_EQ(engine->GetUpdateResult(false), Engine::kUpdateReady);

    // The worker's task must be named by a task holder.
    EXPECT_EQ(engine->RunWorkerTask(nullptr), E_FAIL);
    EXPECT_EQ(engine->RunWorkerTask(new Orv::LHolder<int>(1)), E_FAIL);
    EXPECT_EQ(engine->RunWorkerTask(new Orv::LHolder<Engine::ThreadWorkerTask>(
                  static_cast<Engine::ThreadWorkerTask>(5))),
              E_FAIL);
}

TEST_F(EngineStatesTest, FileStateAndVersion)
{
    TempFile file("version.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));

    // A missing file: state 1 and E_FAIL, path and version kept.
    EXPECT_EQ(engine->SetFirmwareFile(Orv::WString(L"/nonexistent/x.dfu"), Version(5, 0, L"00.50")),
              E_FAIL);
    EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
    Engine::VersionInfo version;
    EXPECT_EQ(engine->GetFileVersion(version), E_FAIL);
    EXPECT_EQ(engine->SetFirmwareFile(Orv::WString(), Version(5, 0, L"00.50")), E_FAIL);

    EXPECT_EQ(engine->SetFirmwareFile(file.WidePath(), Version(5, 0, L"00.50")), S_OK);
    EXPECT_EQ(engine->GetFileState(), Engine::kFileVersionKnown);
    Orv::WString text;
    EXPECT_EQ(engine->GetFileVersionText(text), S_OK);
    EXPECT_TRUE(text == Orv::WString(L"00.50"));
    Orv::WString path;
    EXPECT_EQ(engine->GetFirmwarePath(path), S_OK);
    EXPECT_TRUE(path == file.WidePath());
    EXPECT_EQ(engine->GetFileStates(), (std::vector<std::pair<int, int>>{{1, 0}, {3, 1}}));

    // SetFirmwarePath takes the version from the name when it has one, else 00.31.
    EXPECT_EQ(engine->SetFirmwarePath(file.WidePath()), S_OK);
    EXPECT_EQ(engine->GetFileVersion(version), S_OK);
    EXPECT_EQ(version.parts[2], 3u);
    EXPECT_EQ(version.parts[3], 1u);
    EXPECT_TRUE(version.text == Orv::WString(L"00.31"));
    TempFile named("fw_V1_31.dfu");
    named.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    EXPECT_EQ(engine->SetFirmwarePath(named.WidePath()), S_OK);
    EXPECT_EQ(engine->GetFileVersion(version), S_OK);
    EXPECT_EQ(version.parts[0], 1u);
    EXPECT_EQ(version.parts[1], 3u);
    EXPECT_EQ(version.parts[2], 1u);
    EXPECT_TRUE(version.text == Orv::WString(L"1.3.1"));
    EXPECT_EQ(engine->SetFirmwarePath(Orv::WString(L"/nonexistent/fw_V1_31.dfu")), E_FAIL);
    EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);

    // SetFileVersion stores the version; it raises state 2 only.
    engine->SetFileVersion(Version(4, 0, L"00.40"));
    EXPECT_EQ(engine->GetFileState(), Engine::kFileMissing);
}

TEST_F(EngineStatesTest, VersionFromFileName)
{
    struct Case
    {
        const char* name;
        bool found;
        std::uint32_t parts[3];
        const wchar_t* text;
    };
    const std::vector<Case> cases = {
        {"image_V1_31.dfu", true, {1, 3, 1}, L"1.3.1"},
        {"image_v12_05.dfu", true, {12, 0, 5}, L"12.0.5"},
        {"image_V1_3.dfu", false, {}, L""},
        {"image_V1-31.dfu", false, {}, L""},
        {"image_Vx_31.dfu", false, {}, L""},
        {"image_1_31.dfu", false, {}, L""},
        {"zk71_tp_update_00_31_120936.dfu", false, {}, L""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempFile file(c.name);
        file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
        engine->SetFirmwareFile(file.WidePath(), Version(9, 9, L"9"));
        EXPECT_EQ(engine->VersionFromFileName(), c.found);
        Engine::VersionInfo version;
        engine->GetFileVersion(version);
        if (c.found)
        {
            for (int i = 0; i < 3; ++i)
            {
                EXPECT_EQ(version.parts[i], c.parts[i]);
            }
            EXPECT_EQ(version.parts[3], 0u);
            EXPECT_TRUE(version.text == Orv::WString(c.text));
        }
        else
        {
            EXPECT_TRUE(version.text == Orv::WString(L"9"));
        }
    }
}

// The file is newer when its version is above the selected device's.
TEST_F(EngineStatesTest, IsFileNewer)
{
    SimulatedDevices::AddUnit(
        FastUnit(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Normal));
    TempFile file("newer.dfu");
    file.Write(DfuSeFile(kApplicationStart, ImageData(0x0031, 4096)));
    EXPECT_FALSE(engine->IsFileNewer());
    engine->SetDeviceDefinitions(Definitions({MakeDefinition(0x8010)}));
    ASSERT_EQ(engine->Rescan(), S_OK);
    EXPECT_FALSE(engine->IsFileNewer()); // no file yet
    engine->SetFirmwareFile(file.WidePath(), Version(3, 1, L"00.31"));
    EXPECT_TRUE(engine->IsFileNewer());
    engine->SetFirmwareFile(file.WidePath(), Version(3, 0, L"00.30"));
    EXPECT_FALSE(engine->IsFileNewer());
}
