// The two-image sequencer: what it finds on the bus, which image it starts with, what it tells
// the application's engine, and how it goes on after an update.
#include "UpdaterTestSupport.h"

using namespace OrvTest;
using Orv::WString;

namespace
{
struct Unit
{
    bool controller;
    std::uint16_t version;
    SimulatedMode mode;
};

std::string FileName(const LUpdateEngineInterface& engine)
{
    WString path;
    engine.GetFirmwarePath(path);
    return Orv::GetPathFileName(path).ToNarrow().GetBuffer();
}
} // namespace

class DualUpdaterTest : public UpdaterTest
{
protected:
    void SetUp() override
    {
        UpdaterTest::SetUp();
        CountStarts();
    }

    // Counts the updates that the sequencer starts through the host.
    void CountStarts()
    {
        starts = 0;
        host->SetStartUpdate([this] { ++starts; });
    }

    // The application's engine asked to rescan for the default controller, as the command line
    // leaves it.
    ORVRESULT Rescan()
    {
        LUpdateEngineInterface::DeviceDefinition definition = MakeDefinition(0x8010);
        engine->SetDeviceDefinitions(Definitions({definition}));
        return engine->Rescan();
    }

    int starts = 0;
};

TEST_F(DualUpdaterTest, TheFirstImageByWhatIsOnTheBus)
{
    const Unit oldController{true, 0x0030, SimulatedMode::Normal};
    const Unit currentController{true, kControllerTarget, SimulatedMode::Normal};
    const Unit dfuController{true, 0x0030, SimulatedMode::Bootloader};
    const Unit oldWheel{false, 0x0040, SimulatedMode::Normal};
    const Unit currentWheel{false, kWheelDisplayTarget, SimulatedMode::Normal};
    const Unit dfuWheel{false, 0x0040, SimulatedMode::Bootloader};
    struct Row
    {
        const char* situation;
        std::vector<Unit> units;
        ORVRESULT rescan;
        int state;
        LDualUpdater::Image image;
        bool controllerNeedsUpdate;
        bool wheelDisplayNeedsUpdate;
        bool wheelDisplayInDfuMode;
    };
    constexpr auto kController = LDualUpdater::kController;
    constexpr auto kWheel = LDualUpdater::kWheelDisplay;
    const Row rows[] = {
        {"both old", {oldController, oldWheel}, S_OK, 5, kController, true, true, false},
        {"controller current", {currentController, oldWheel}, S_OK, 5, kWheel, false, true, false},
        {"both current",
         {currentController, currentWheel},
         S_OK,
         5,
         kController,
         false,
         false,
         false},
        {"wheel display in DFU mode", {oldController, dfuWheel}, S_OK, 7, kWheel, true, true, true},
        {"current controller, wheel display in DFU mode",
         {currentController, dfuWheel},
         S_OK,
         7,
         kWheel,
         false,
         true,
         true},
        {"controller in DFU mode",
         {dfuController, currentWheel},
         S_OK,
         7,
         kController,
         true,
         false,
         false},
        {"nothing", {}, S_OK, 1, kController, false, false, false},
        {"only the wheel display", {oldWheel}, E_FAIL, 4, kController, false, false, false},
        {"only the controller", {oldController}, E_FAIL, 4, kController, false, false, false},
        {"only a device in DFU mode", {dfuWheel}, E_FAIL, 4, kController, false, false, false},
        // Which of two bootloaders is the wheel display cannot be told: refused.
        {"two devices in DFU mode",
         {oldController, dfuWheel, dfuController},
         E_FAIL,
         4,
         kController,
         true,
         true,
         true},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.situation);
        SimulatedDevices::Reset();
        MakeEngineAndProcessor();
        CountStarts();
        for (const Unit& unit : row.units)
        {
            unit.controller ? AddController(unit.version, unit.mode)
                            : AddWheelDisplay(unit.version, unit.mode);
        }
        EXPECT_EQ(Rescan(), row.rescan);
        EXPECT_EQ(engine->GetDeviceState(), row.state);
        EXPECT_EQ(sequencer->GetCurrentImage(), row.image);
        const auto& probe = sequencer->GetProbeResult();
        EXPECT_EQ(probe.found, !row.units.empty());
        EXPECT_EQ(probe.controllerNeedsUpdate, row.controllerNeedsUpdate);
        EXPECT_EQ(probe.wheelDisplayNeedsUpdate, row.wheelDisplayNeedsUpdate);
        EXPECT_EQ(probe.wheelDisplayInDfuMode, row.wheelDisplayInDfuMode);
        if (FAILED(row.rescan))
        {
            continue;
        }
        // The engine looks for the chosen image's device with the chosen image's file.
        const LDualUpdater::ImageInfo& image = LDualUpdater::GetImageInfo(row.image);
        EXPECT_EQ(FileName(*engine), Orv::NString(image.defaultFileName).GetBuffer());
        WString version;
        EXPECT_EQ(engine->GetFileVersionText(version), S_OK);
        EXPECT_EQ(version, image.targetVersion.text);
        EXPECT_EQ(sequencer->GetDeviceProductId(0), image.productId);
        Orv::Array<LUpdateEngineInterface::DeviceDefinition> found;
        engine->GetFoundDevices(found);
        if (row.state != 1)
        {
            ASSERT_EQ(found.GetCount(), 1u);
            const auto& definition = found.GetConstElementPointer(0);
            EXPECT_EQ(definition.productId, image.productId);
            EXPECT_EQ(definition.vendorId, 0x7A5Eu);
            EXPECT_EQ(definition.bootloaderVendorId, 0x0483u);
            EXPECT_EQ(definition.bootloaderProductId, 0xDF11u);
            EXPECT_EQ(definition.texts[2], WString(image.deviceName));
        }
    }
}

TEST_F(DualUpdaterTest, WhatTheEnginesAreToldOfTheCurrentImage)
{
    EXPECT_EQ(sequencer->GetDeviceName(0), WString(L"Halvex DJ Brelune VANTA"));
    EXPECT_TRUE(sequencer->GetDeviceName(1).IsEmpty());
    EXPECT_EQ(sequencer->GetDeviceProductId(1), 0u);
    ASSERT_EQ(sequencer->GetSectorCount(), 3u);
    std::uint32_t address = 1;
    std::vector<std::uint32_t> sectors;
    for (unsigned int i = 0; sequencer->LookupSector(i, address); ++i)
    {
        sectors.push_back(address);
    }
    EXPECT_EQ(sectors, (std::vector<std::uint32_t>{0x08008000, 0x0800C000, 0x08010000}));
    EXPECT_EQ(address, 0u);

    AddController(kControllerTarget);
    AddWheelDisplay(0x0040);
    Rescan();
    EXPECT_EQ(sequencer->GetDeviceName(0), WString(L"Halvex DJ Brelune VANTA WD"));
    sectors.clear();
    for (unsigned int i = 0; sequencer->LookupSector(i, address); ++i)
    {
        sectors.push_back(address);
    }
    EXPECT_EQ(sectors, (std::vector<std::uint32_t>{0x08008000, 0x0800C000, 0x08010000, 0x08020000,
                                                   0x08040000, 0x08060000}));
    EXPECT_EQ(sequencer->GetSectorCount(), 6u);
}

// The program's one sequencer is made once, with the first host it is given, and kept until it
// is released; the sequencers the tests make are not it.
TEST_F(DualUpdaterTest, TheProgramHasOneSequencer)
{
    ASSERT_FALSE(LDualUpdater::GetInstance());
    LDualUpdater::CreateInstance(host);
    const Orv::RCPtr<LDualUpdater> instance = LDualUpdater::GetInstance();
    ASSERT_TRUE(instance);
    EXPECT_NE(instance.Get(), sequencer.Get());
    EXPECT_EQ(instance->GetHost().Get(), host.Get());
    LDualUpdater::CreateInstance(UpdaterHost::Create());
    EXPECT_EQ(LDualUpdater::GetInstance().Get(), instance.Get());
    EXPECT_EQ(LDualUpdater::GetInstance()->GetHost().Get(), host.Get());
    LDualUpdater::ReleaseInstance();
    EXPECT_FALSE(LDualUpdater::GetInstance());
}

TEST_F(DualUpdaterTest, ASuccessfulControllerUpdateLeadsOnToTheWheelDisplay)
{
    auto controller = AddController(0x0030);
    auto wheel = AddWheelDisplay(0x0040);
    ASSERT_EQ(Rescan(), S_OK);
    ASSERT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kController);

    // A failed update changes nothing.
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, false), E_FAIL);
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kController);

    // The controller now runs the target version.
    SimulatedDevices::Remove(controller);
    controller = AddController(kControllerTarget);
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, true), S_OK);
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(sequencer->IsDone(LDualUpdater::kController));
    EXPECT_TRUE(sequencer->IsRestartPending());
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kWheelDisplay);
    EXPECT_EQ(FileName(*engine), "zk71_wd_update_00_50_3A7CE2CA.dfu");
    EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceNormalMode);
    EXPECT_TRUE(engine->IsFileNewer());

    // A Rescan while the restart is pending chooses nothing anew.
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kWheelDisplay);
    EXPECT_TRUE(sequencer->IsDone(LDualUpdater::kController));

    // The wheel display done too: the sequence is over.
    SimulatedDevices::Remove(wheel);
    wheel = AddWheelDisplay(kWheelDisplayTarget);
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, true), S_OK);
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(sequencer->IsRestartPending());
    EXPECT_TRUE(sequencer->IsDone(LDualUpdater::kWheelDisplay));

    // A Rescan of its own starts a new sequence.
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_FALSE(sequencer->IsDone(LDualUpdater::kController));
    EXPECT_FALSE(sequencer->IsDone(LDualUpdater::kWheelDisplay));
}

TEST_F(DualUpdaterTest, AnImageThatDoesNotReportItsTargetStopsTheSequence)
{
    AddController(0x0030);
    AddWheelDisplay(0x0040);
    ASSERT_EQ(Rescan(), S_OK);
    // The update "succeeded", yet the controller still runs its old version.
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, true), E_FAIL);
    EXPECT_EQ(starts, 0);
    EXPECT_FALSE(sequencer->IsRestartPending());
    EXPECT_EQ(FileName(*engine), "zk71_tp_update_00_31_120936.dfu");
}

TEST_F(DualUpdaterTest, AFixedImageIsNeitherChosenNorFollowedByTheOther)
{
    AddController(kControllerTarget);
    AddWheelDisplay(0x0040);
    sequencer->UseFixedImage(0x8010);
    engine->SetFirmwarePath(WString(folder.File("zk71_tp_update_00_31_120936.dfu").c_str()));
    EXPECT_EQ(Rescan(), S_OK);
    EXPECT_FALSE(sequencer->IsSequenceOn());
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kController);
    EXPECT_EQ(FileName(*engine), "zk71_tp_update_00_31_120936.dfu");
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, true), S_FALSE);
    EXPECT_EQ(sequencer->ProcessUpdateResult(*engine, false), E_FAIL);
    EXPECT_EQ(starts, 0);

    sequencer->UseFixedImage(0xB010);
    EXPECT_EQ(sequencer->GetCurrentImage(), LDualUpdater::kWheelDisplay);
    EXPECT_EQ(sequencer->GetSectorCount(), 6u);
}
