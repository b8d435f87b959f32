// The update processor: finding options, and what Initialize does with each command line in each
// situation on the bus (its result, the exit status and what it writes).
#include "UpdaterTestSupport.h"

using namespace OrvTest;
using Orv::WString;

TEST(FindOption, OptionsAndValues)
{
    struct Row
    {
        const wchar_t* line;
        const wchar_t* option;
        bool found;
        const wchar_t* value;
    };
    const Row rows[] = {
        {L"-SILENT", L"-SILENT", true, L""},
        {L"-silent", L"-SILENT", true, L""},
        {L"-a -Silent -b", L"-SILENT", true, L""},
        {L"-SILENTLY", L"-SILENT", false, L""},
        {L"x-SILENT", L"-SILENT", false, L""},
        {L"", L"-SILENT", false, L""},
        // A later occurrence is found when the first is part of a longer word.
        {L"-SILENT_IF_UPDATE_NOT_NEEDED -SILENT", L"-SILENT", true, L""},
        {L"-SILENT_IF_UPDATE_NOT_NEEDED", L"-SILENT", false, L""},
        {L"-SILENT_IF_UPDATE_NOT_NEEDED\t-SILENT", L"-SILENT", true, L""},
        {L"\"-SILENT\"", L"-SILENT", true, L""},
        // Values run to the next blank and keep their case.
        {L"-FIRMWARE_IMAGE_NAME=x.dfu -SILENT", L"-FIRMWARE_IMAGE_NAME=", true, L"x.dfu"},
        {L"-firmware_image_name=My.DFU", L"-FIRMWARE_IMAGE_NAME=", true, L"My.DFU"},
        {L"-DEVICE_PID=1 -DEVICE_PID=2", L"-DEVICE_PID=", true, L"1"},
        {L"-DEVICE_VID=5", L"-DEVICE_PID=", false, L""},
        // A blank after the '=' gives no value there; a later occurrence may.
        {L"-FIRMWARE_IMAGE_NAME= x.dfu", L"-FIRMWARE_IMAGE_NAME=", false, L""},
        {L"-FIRMWARE_IMAGE_NAME= x -FIRMWARE_IMAGE_NAME=y.dfu", L"-FIRMWARE_IMAGE_NAME=", true,
         L"y.dfu"},
        {L"-FIRMWARE_IMAGE_NAME=", L"-FIRMWARE_IMAGE_NAME=", true, L""},
        // Quoted values lose their quotes: the value quoted, or the whole word quoted (as the
        // command line is rebuilt from the program's arguments).
        {L"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/my dir/a.dfu\" -SILENT",
         L"-ABSOLUTE_FIRMWARE_FILE_PATH=", true, L"/tmp/my dir/a.dfu"},
        {L"-SILENT \"-ABSOLUTE_FIRMWARE_FILE_PATH=/tmp/my dir/a.dfu\" -ALWAYS_UPDATE",
         L"-ABSOLUTE_FIRMWARE_FILE_PATH=", true, L"/tmp/my dir/a.dfu"},
        {L"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/tmp/no end", L"-ABSOLUTE_FIRMWARE_FILE_PATH=", true,
         L"/tmp/no end"},
        {L"x\"-SILENT\"", L"-SILENT", false, L""},
        // Not options.
        {L"-SILENT", L"SILENT", false, L""},
        {L"-SILENT", L"-", false, L""},
    };
    for (const Row& row : rows)
    {
        WString value(L"left over");
        EXPECT_EQ(LUpdateProcessor::FindOption(WString(row.line), WString(row.option), value),
                  row.found)
            << Orv::NString(row.line).GetBuffer() << " / " << Orv::NString(row.option).GetBuffer();
        EXPECT_STREQ(value.GetBuffer(), row.value) << Orv::NString(row.line).GetBuffer();
    }
}

TEST(ParseDeviceId, DecimalOrHexadecimalFromOneTo0xFFFF)
{
    struct Row
    {
        const wchar_t* text;
        bool valid;
        std::uint32_t id;
    };
    const Row rows[] = {
        {L"32784", true, 0x8010},  {L"1", true, 1},
        {L"65535", true, 0xFFFF},  {L"0x8010", true, 0x8010},
        {L"0X8010", true, 0x8010}, {L"0xdf11", true, 0xDF11},
        {L"0xFFFF", true, 0xFFFF}, {L"00045072", true, 45072},
        {L"0x0001", true, 1},      {L"abc", false, 0},
        {L"-1", false, 0},         {L"32784abc", false, 0},
        {L"70000", false, 0},      {L"65536", false, 0},
        {L"0x10000", false, 0},    {L"0", false, 0},
        {L"0x0", false, 0},        {L"", false, 0},
        {L"0x", false, 0},         {L"+5", false, 0},
        {L" 5", false, 0},         {L"5 ", false, 0},
        {L"0x8010g", false, 0},    {L"99999999999999999999", false, 0},
        {L"1e3", false, 0},        {L"0b101", false, 0},
    };
    for (const Row& row : rows)
    {
        std::uint32_t id = 0xABCDEF;
        EXPECT_EQ(LUpdateProcessor::ParseDeviceId(WString(row.text), id), row.valid)
            << Orv::NString(row.text).GetBuffer();
        EXPECT_EQ(id, row.valid ? row.id : 0xABCDEFu) << Orv::NString(row.text).GetBuffer();
    }
}

TEST(UpdaterHost, QuietStopCodes)
{
    for (std::uint32_t code :
         {0x8000A020u, 0x8000A000u, 0x8000A001u, 0x8000A002u, 0x8000A003u, 0x8000A010u})
    {
        EXPECT_TRUE(UpdaterHost::IsQuietStop(static_cast<ORVRESULT>(code))) << std::hex << code;
    }
    for (std::uint32_t code : {0u, 1u, 0x8000A004u, 0x8000A011u, 0x8000A021u, 0x80004005u})
    {
        EXPECT_FALSE(UpdaterHost::IsQuietStop(static_cast<ORVRESULT>(code))) << std::hex << code;
    }
    EXPECT_TRUE(UpdaterHost::IsQuietStop(LUpdateProcessor::kQuietStop));
}

class UpdateProcessorTest : public UpdaterTest
{
protected:
    enum class Units
    {
        None,
        BothOld,
        BothCurrent,
        OnlyWheelDisplay,
        ControllerInDfuMode,
        WheelDisplayInDfuMode,
        TwoInDfuMode,
        OnlyBootloader,
    };
    enum class Written
    {
        Nothing,
        Default,
        Custom,
    };

    void Place(Units units)
    {
        switch (units)
        {
            case Units::None:
                break;
            case Units::BothOld:
                controller = AddController(0x0030);
                wheel = AddWheelDisplay(0x0040);
                break;
            case Units::BothCurrent:
                controller = AddController(kControllerTarget);
                wheel = AddWheelDisplay(kWheelDisplayTarget);
                break;
            case Units::OnlyWheelDisplay:
                wheel = AddWheelDisplay(0x0040);
                break;
            case Units::ControllerInDfuMode:
                controller = AddController(0x0030, SimulatedMode::Bootloader);
                wheel = AddWheelDisplay(kWheelDisplayTarget);
                break;
            case Units::WheelDisplayInDfuMode:
                controller = AddController(kControllerTarget);
                wheel = AddWheelDisplay(0x0040, SimulatedMode::Bootloader);
                break;
            case Units::OnlyBootloader:
                // A bootloader alone: which part it is, and so its image, cannot be told.
                controller = AddController(0x0030, SimulatedMode::Bootloader);
                break;
            case Units::TwoInDfuMode:
                controller = AddController(0x0030);
                wheel = AddWheelDisplay(0x0040, SimulatedMode::Bootloader);
                SimulatedDevices::AddUnit(
                    FastUnit(SimulatedUnitConfig::WheelDisplay(0x0040), SimulatedMode::Bootloader));
                break;
        }
    }

    void ExpectWritten(const std::shared_ptr<SimulatedUnit>& unit, Written written,
                       const std::vector<std::uint8_t>& image)
    {
        if (!unit)
        {
            return;
        }
        switch (written)
        {
            case Written::Nothing:
                EXPECT_FALSE(WasTouched(*unit));
                break;
            case Written::Default:
                EXPECT_TRUE(FlashHolds(*unit, image));
                EXPECT_EQ(unit->Mode(), SimulatedMode::Normal);
                break;
            case Written::Custom:
                EXPECT_TRUE(FlashHolds(*unit, customImage));
                EXPECT_EQ(unit->FirmwareVersion(), 0x0032);
                break;
        }
    }

    std::shared_ptr<SimulatedUnit> controller;
    std::shared_ptr<SimulatedUnit> wheel;
    std::vector<std::uint8_t> customImage =
        OrvPlatform::SimulatedFirmwareImage::Make(0x0032, 6 * 1024);
};

TEST_F(UpdateProcessorTest, CommandLinesInEachSituation)
{
    const std::string spaced = folder.Path() + "/my images";
    std::filesystem::create_directory(spaced);
    folder.WriteImage("custom_V0_32.dfu", customImage);
    folder.WriteImage("my images/custom_V0_32.dfu", customImage);
    folder.WriteImage("image_V0_00.dfu", customImage);
    const std::string notNewer = "-ABSOLUTE_FIRMWARE_FILE_PATH=" + folder.File("image_V0_00.dfu");
    const std::string quotedPath =
        "\"-ABSOLUTE_FIRMWARE_FILE_PATH=" + spaced + "/custom_V0_32.dfu\"";
    const std::string quotedValue =
        "-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + spaced + "/custom_V0_32.dfu\"";
    constexpr ORVRESULT kQuiet = LUpdateProcessor::kQuietStop;
    using W = Written;
    struct Row
    {
        std::string line;
        Units units;
        ORVRESULT result;
        int exitStatus;
        Written controller;
        Written wheelDisplay;
    };
    const Row rows[] = {
        // No options: the window shows; nothing starts.
        {"", Units::BothOld, S_OK, 0, W::Nothing, W::Nothing},
        {"-SILENT_IF_UPDATE_NOT_NEEDED", Units::BothCurrent, kQuiet, 0, W::Nothing, W::Nothing},
        {"-SILENT_IF_UPDATE_NOT_NEEDED", Units::BothOld, S_OK, 0, W::Nothing, W::Nothing},
        {"-SILENT", Units::BothCurrent, kQuiet, 0, W::Nothing, W::Nothing},
        {"-silent", Units::BothOld, kQuiet, 0, W::Default, W::Default},
        {"-SILENTLY", Units::BothOld, S_OK, 0, W::Nothing, W::Nothing},
        {"-SILENT", Units::WheelDisplayInDfuMode, kQuiet, 0, W::Nothing, W::Default},
        {"-SILENT", Units::ControllerInDfuMode, kQuiet, 0, W::Default, W::Nothing},
        // Nothing it can update: the window shows; a run without one ends with exit status 1.
        {"", Units::None, S_OK, 0, W::Nothing, W::Nothing},
        {"", Units::OnlyBootloader, S_OK, 0, W::Nothing, W::Nothing},
        {"-SILENT", Units::None, kQuiet, 1, W::Nothing, W::Nothing},
        {"-SILENT", Units::OnlyWheelDisplay, kQuiet, 1, W::Nothing, W::Nothing},
        {"-SILENT", Units::TwoInDfuMode, kQuiet, 1, W::Nothing, W::Nothing},
        {"-SILENT", Units::OnlyBootloader, kQuiet, 1, W::Nothing, W::Nothing},
        // Forced: the current controller is written again; the wheel display needs nothing.
        {"-ALWAYS_UPDATE -SILENT", Units::BothCurrent, kQuiet, 0, W::Default, W::Nothing},
        // The exit status, before any update.
        {"-RETURN_UPDATE_MODE_STATUS", Units::None, kQuiet, 1, W::Nothing, W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS", Units::OnlyWheelDisplay, kQuiet, 1, W::Nothing, W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS", Units::TwoInDfuMode, kQuiet, 1, W::Nothing, W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS " + notNewer, Units::ControllerInDfuMode, kQuiet, 2,
         W::Nothing, W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS", Units::ControllerInDfuMode, kQuiet, 3, W::Nothing,
         W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS", Units::BothCurrent, kQuiet, 4, W::Nothing, W::Nothing},
        {"-RETURN_UPDATE_MODE_STATUS -SILENT", Units::BothOld, kQuiet, 5, W::Nothing, W::Nothing},
        // A named file or device: that file and device only.
        {"-SILENT -FIRMWARE_IMAGE_NAME=custom_V0_32.dfu", Units::BothOld, kQuiet, 0, W::Custom,
         W::Nothing},
        {"-SILENT " + quotedPath, Units::BothOld, kQuiet, 0, W::Custom, W::Nothing},
        {"-SILENT " + quotedValue, Units::BothOld, kQuiet, 0, W::Custom, W::Nothing},
        {"-SILENT -DEVICE_PID=45072", Units::BothOld, kQuiet, 0, W::Nothing, W::Default},
        {"-SILENT -DEVICE_VID=31326 -DEVICE_PID=32784", Units::BothOld, kQuiet, 0, W::Default,
         W::Nothing},
        // A vendor id alone is not looked at: the built-in devices, both images.
        {"-SILENT -DEVICE_VID=0x1234", Units::BothOld, kQuiet, 0, W::Default, W::Default},
        {"-SILENT -DEVICE_VID=abc", Units::BothOld, kQuiet, 0, W::Default, W::Default},
        // A vendor id with a product id: only that device, which is not there.
        {"-SILENT -DEVICE_VID=0x1234 -DEVICE_PID=0x8010", Units::BothOld, kQuiet, 1, W::Nothing,
         W::Nothing},
        // A file that is not there: no update; the window tells, a run without one ends.
        {"-FIRMWARE_IMAGE_NAME=missing.dfu", Units::BothOld, S_OK, 0, W::Nothing, W::Nothing},
        {"-SILENT -FIRMWARE_IMAGE_NAME=missing.dfu", Units::BothOld, kQuiet, 1, W::Nothing,
         W::Nothing},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.line);
        StartRow();
        controller = nullptr;
        wheel = nullptr;
        Place(row.units);
        EXPECT_EQ(processor->Initialize(WString(row.line.c_str())), row.result);
        EXPECT_EQ(processor->GetExitStatus(), row.exitStatus);
        EXPECT_TRUE(processor->IsIdle());
        ExpectWritten(controller, row.controller, controllerImage);
        ExpectWritten(wheel, row.wheelDisplay, wheelDisplayImage);
    }
}

// A device id that is not a number from 1 to 0xFFFF refuses the command line with a message:
// exit status 1, a quiet end, nothing sent to any device. Hexadecimal ids are taken.
TEST_F(UpdateProcessorTest, DeviceIdsAreCheckedBeforeAnythingIsSent)
{
    struct Row
    {
        const char* line;
        const char* shown; // in the message; null: accepted
    };
    const Row rows[] = {
        {"-SILENT -DEVICE_PID=abc", "-DEVICE_PID=\"abc\""},
        {"-SILENT -DEVICE_PID=-1", "-DEVICE_PID=\"-1\""},
        {"-SILENT -DEVICE_PID=32784abc", "-DEVICE_PID=\"32784abc\""},
        {"-SILENT -DEVICE_PID=70000", "-DEVICE_PID=\"70000\""},
        {"-SILENT -DEVICE_PID=0", "-DEVICE_PID=\"0\""},
        {"-SILENT -DEVICE_PID=", "-DEVICE_PID=\"\""},
        {"-SILENT -DEVICE_VID=abc -DEVICE_PID=32784", "-DEVICE_VID=\"abc\""},
        {"-SILENT -DEVICE_VID=0x17A5E -DEVICE_PID=32784", "-DEVICE_VID=\"0x17A5E\""},
        {"-SILENT -DEVICE_PID=32784 -DEVICE_BOOTLOADER_PID=0xDF11x",
         "-DEVICE_BOOTLOADER_PID=\"0xDF11x\""},
        {"-RETURN_UPDATE_MODE_STATUS -DEVICE_PID=abc", "-DEVICE_PID=\"abc\""},
        {"-DEVICE_PID=abc", "-DEVICE_PID=\"abc\""},
        {"-SILENT -DEVICE_PID=0x8010", nullptr},
        {"-SILENT -DEVICE_VID=0x7A5E -DEVICE_PID=0X8010 -DEVICE_BOOTLOADER_PID=0xdf11", nullptr},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.line);
        StartRow();
        Place(Units::BothOld);
        ::testing::internal::CaptureStderr();
        const ORVRESULT result = processor->Initialize(WString(row.line));
        const std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, LUpdateProcessor::kQuietStop);
        if (row.shown == nullptr)
        {
            EXPECT_EQ(processor->GetExitStatus(), 0);
            ExpectWritten(controller, Written::Default, controllerImage);
            ExpectWritten(wheel, Written::Nothing, wheelDisplayImage);
            continue;
        }
        EXPECT_EQ(processor->GetExitStatus(), LUpdateProcessor::kStatusCommandLineRefused);
        EXPECT_NE(message.find(std::string("The command line is refused: ") + row.shown +
                               " is not a USB id: give a number from 1 to 65535"),
                  std::string::npos)
            << message;
        EXPECT_FALSE(WasTouched(*controller));
        EXPECT_FALSE(WasTouched(*wheel));
    }
}

TEST_F(UpdateProcessorTest, AFailedDeviceIsReportedBeforeAnythingElse)
{
    Place(Units::OnlyWheelDisplay);
    EXPECT_EQ(processor->Initialize(WString()), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    // The device is back, but a failed device is reported as it stands.
    controller = AddController(0x0030);
    EXPECT_EQ(processor->Initialize(WString(L"-RETURN_UPDATE_MODE_STATUS")),
              LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), 1);
    EXPECT_EQ(processor->Initialize(WString(L"-SILENT")), LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), LUpdateProcessor::kStatusSilentUpdateFailed);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceFailed);
    EXPECT_FALSE(WasTouched(*controller));
}

TEST_F(UpdateProcessorTest, TheFirstCommandLineIsKeptForReinitialize)
{
    Place(Units::BothCurrent);
    EXPECT_FALSE(processor->GetAlwaysUpdate());
    // Forced, so wanted: the window shows.
    EXPECT_EQ(processor->Initialize(WString(L"-ALWAYS_UPDATE -SILENT_IF_UPDATE_NOT_NEEDED")), S_OK);
    EXPECT_TRUE(processor->GetAlwaysUpdate());
    EXPECT_EQ(processor->Initialize(WString(L"-SILENT_IF_UPDATE_NOT_NEEDED")), S_OK);
    EXPECT_TRUE(processor->SetAlwaysUpdate(true));
    EXPECT_FALSE(processor->SetAlwaysUpdate(false));
    EXPECT_EQ(processor->Initialize(WString()), S_OK);
    // The first command line again; its -ALWAYS_UPDATE is not read a second time.
    EXPECT_EQ(processor->Reinitialize(), LUpdateProcessor::kQuietStop);
    EXPECT_FALSE(processor->GetAlwaysUpdate());
    EXPECT_EQ(processor->GetEngine().Get(), engine.Get());
    EXPECT_FALSE(WasTouched(*controller));
}

TEST_F(UpdateProcessorTest, AnUpdateStartedWithTheWindowRunsOnTheWorker)
{
    Place(Units::BothOld);
    OrvPlatform::DfuTimings slow = FastTimings();
    slow.programTimePerBlock = Milliseconds(20);
    controller->SetTimings(slow);
    EXPECT_EQ(processor->Initialize(WString(L"-START_UPDATE_AUTOMATICALLY")), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceUpdating);
    EXPECT_FALSE(processor->IsIdle());
    EXPECT_EQ(engine->WaitForTask(10000), S_OK);
    // The written device resets: the update goes on until the window's wait sees it back.
    EXPECT_FALSE(processor->IsIdle());
    EXPECT_TRUE(UpdateCompletion(completionTimings)
                    .AwaitDeviceReset(Orv::RCPtr<LUpdateEngineInterface>(engine.Get())));
    EXPECT_TRUE(processor->IsIdle());
    EXPECT_TRUE(FlashHolds(*controller, controllerImage));
    // Without the main window nothing goes on to the wheel display.
    EXPECT_FALSE(WasTouched(*wheel));
}

TEST_F(UpdateProcessorTest, SeveralDevicesInDfuModeAreNeverWritten)
{
    // The command line names the controller: no sequencer asks the bus, the engine finds the
    // first device in DFU mode as the controller's bootloader, and the download refuses.
    controller = AddController(0x0030, SimulatedMode::Bootloader);
    wheel = AddWheelDisplay(0x0040, SimulatedMode::Bootloader);
    EXPECT_EQ(processor->Initialize(WString(L"-SILENT -DEVICE_PID=32784")),
              LUpdateProcessor::kQuietStop);
    EXPECT_EQ(processor->GetExitStatus(), LUpdateProcessor::kStatusSilentUpdateFailed);
    EXPECT_EQ(engine->GetCompletions(), std::vector<bool>{false});
    for (const auto& unit : {controller, wheel})
    {
        EXPECT_EQ(CountPrefix(Requests(*unit), 'D'), 0u);
        EXPECT_EQ(CountPrefix(Requests(*unit), 'E'), 0u);
        EXPECT_EQ(unit->Mode(), SimulatedMode::Bootloader);
    }
}

TEST_F(UpdateProcessorTest, TheSequenceIsOffOnlyForACommandLineThatNamesFileOrDevice)
{
    Place(Units::BothOld);
    EXPECT_EQ(processor->Initialize(WString(L"-FIRMWARE_IMAGE_NAME=x.dfu")), S_OK);
    EXPECT_FALSE(sequencer->IsSequenceOn());
    EXPECT_EQ(processor->Initialize(WString(L"-SILENT_IF_UPDATE_NOT_NEEDED")), S_OK);
    EXPECT_TRUE(sequencer->IsSequenceOn());
}

TEST_F(UpdateProcessorTest, AFailingEngineInitializeThrows)
{
    class FailingEngine : public LUpdateEngine
    {
    public:
        ORVRESULT Initialize(const WString&) override { return E_FAIL; }
    };
    Orv::RCPtr<LUpdateProcessor> failing(
        new LUpdateProcessor(Orv::RCPtr<LUpdateEngineInterface>(new FailingEngine())));
    try
    {
        failing->Initialize(WString(L"-SILENT"));
        FAIL() << "no exception";
    }
    catch (const Orv::FailedResultException& error)
    {
        EXPECT_EQ(
            std::string(error.what())
                .rfind("Failed Result : ORVRESULT = 80004005 : LUpdateProcessor::Initialize : "
                       "Engine/UpdateProcessor.cpp : Line ",
                       0),
            0u)
            << error.what();
    }
}
