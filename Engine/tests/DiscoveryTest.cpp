// Finding the devices of the definitions on the simulated bus: Rescan, SelectDevice,
// RescanSelectedDevice and the bootloader search.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace OrvTest;
using OrvPlatform::SimulatedMode;
using Engine = LUpdateEngineInterface;

namespace
{
constexpr std::uint32_t kControllerPid = 0x8010;
constexpr std::uint32_t kWheelDisplayPid = 0xB010;

class DiscoveryTest : public SimulatedBusTest
{
protected:
    Orv::RCPtr<RecordingEngine>
    NewEngine(std::initializer_list<Definition> definitions,
              const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr)
    {
        Orv::RCPtr<RecordingEngine> engine(new RecordingEngine(sequence));
        engine->Initialize(Orv::WString());
        EXPECT_EQ(engine->SetDeviceDefinitions(Definitions(definitions)), S_OK);
        EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNotFound);
        engine->ClearRecords();
        return engine;
    }

    static std::shared_ptr<SimulatedUnit> Add(SimulatedUnitConfig config, SimulatedMode mode)
    {
        return SimulatedDevices::AddUnit(FastUnit(config, mode));
    }

    static LUpdateEngine::DeviceDefinitionEx Found(const LUpdateEngine& engine, unsigned index)
    {
        LUpdateEngine::DeviceDefinitionEx record;
        EXPECT_TRUE(engine.GetFoundDevice(index, record));
        return record;
    }
};
} // namespace

TEST_F(DiscoveryTest, NoDeviceLeavesStateOne)
{
    auto engine = NewEngine({MakeDefinition(kControllerPid)});
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNotFound);
    EXPECT_EQ(engine->GetDeviceCount(), 0u);
    EXPECT_EQ(engine->GetSelectedIndex(), -1);
    EXPECT_TRUE(engine->GetDeviceStates().empty());
}

// One device is selected at once: the state goes straight to 5 or 7, and 3 is never announced.
TEST_F(DiscoveryTest, OneDeviceIsSelectedAtOnce)
{
    struct Case
    {
        SimulatedMode mode;
        int state;
        const wchar_t* version;
    };
    for (const Case& c : {Case{SimulatedMode::Normal, Engine::kDeviceNormalMode, L"00.31"},
                          Case{SimulatedMode::Bootloader, Engine::kDeviceUpdateMode, L""}})
    {
        SimulatedDevices::Reset();
        Add(SimulatedUnitConfig::Controller(0x0031), c.mode);
        auto engine = NewEngine({MakeDefinition(kControllerPid)});
        EXPECT_EQ(engine->Rescan(), S_OK);
        EXPECT_EQ(engine->GetDeviceState(), c.state);
        EXPECT_EQ(engine->GetSelectedIndex(), 0);
        for (const auto& change : engine->GetDeviceStates())
        {
            EXPECT_NE(change.first, Engine::kDevicesFound);
        }
        EXPECT_EQ(engine->GetDeviceStates().back().first, c.state);

        const auto record = Found(*engine, 0);
        const bool bootloader = c.mode == SimulatedMode::Bootloader;
        EXPECT_EQ(record.bootloaderFound, bootloader);
        EXPECT_EQ(engine->IsBootloader(0), bootloader);
        EXPECT_EQ(record.devicePath.IsEmpty(), bootloader);
        EXPECT_EQ(record.bootloaderPath.IsEmpty(), !bootloader);
        Orv::WString text;
        EXPECT_EQ(engine->GetDeviceFirmwareVersionText(text), S_OK);
        EXPECT_TRUE(text == Orv::WString(c.version)) << text.ToNarrow().GetBuffer();
        Orv::Array<Definition> found;
        EXPECT_EQ(engine->GetFoundDevices(found), S_OK);
        ASSERT_EQ(found.GetCount(), 1u);
        EXPECT_EQ(found.GetElementPointer(0).productId, kControllerPid);
    }
}

TEST_F(DiscoveryTest, SeveralDevicesWaitForASelection)
{
    Add(SimulatedUnitConfig::Controller(0x0030), SimulatedMode::Normal);
    Add(SimulatedUnitConfig::WheelDisplay(0x0040), SimulatedMode::Normal);
    auto engine = NewEngine({MakeDefinition(kControllerPid), MakeDefinition(kWheelDisplayPid)});
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDevicesFound);
    EXPECT_EQ(engine->GetDeviceCount(), 2u);
    EXPECT_EQ(engine->GetSelectedIndex(), -1);

    Orv::WString text;
    EXPECT_EQ(engine->GetDeviceFirmwareVersionText(text), E_FAIL);
    EXPECT_TRUE(text == Orv::WString(L"N/A"));
    EXPECT_EQ(engine->SelectDevice(2), E_INVALIDARG);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDevicesFound);
    EXPECT_EQ(engine->GetSelectedIndex(), -1);

    EXPECT_EQ(engine->SelectDevice(1), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    EXPECT_EQ(engine->GetDeviceFirmwareVersionText(text), S_OK);
    EXPECT_TRUE(text == Orv::WString(L"00.40"));
    Engine::VersionInfo version;
    EXPECT_EQ(engine->GetDeviceFirmwareVersion(0, version), S_OK);
    EXPECT_EQ(version.parts[2], 3u);
    EXPECT_EQ(engine->GetDeviceFirmwareVersion(2, version), E_FAIL);
}

// The first device in the enumeration that matches decides the record: one record per
// definition.
TEST_F(DiscoveryTest, TheFirstMatchingDeviceDecides)
{
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Bootloader);
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Normal);
    auto engine = NewEngine({MakeDefinition(kControllerPid)});
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceCount(), 1u);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
}

// Ids of 0 match nothing: a definition without bootloader ids ignores DFU devices, and a device
// that reports 0:0 is nobody's.
TEST_F(DiscoveryTest, IdsOfZeroNeverMatch)
{
    auto nobody = SimulatedUnitConfig::Controller(0x0031);
    nobody.vendorId = 0;
    nobody.productId = 0;
    Add(nobody, SimulatedMode::Normal);
    Add(SimulatedUnitConfig::WheelDisplay(0x0050), SimulatedMode::Bootloader);

    Definition probe;
    probe.vendorId = 0x7A5E;
    probe.productId = kControllerPid;
    auto engine = NewEngine({probe});
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNotFound);

    Definition zero; // all ids 0
    engine = NewEngine({zero});
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceCount(), 0u);
}

// Text 2 of every definition is the sequence's device name; without a sequence it is empty.
TEST_F(DiscoveryTest, TheDeviceNameComesFromTheSequence)
{
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Normal);
    Definition definition = MakeDefinition(kControllerPid);
    definition.texts[0] = Orv::WString(L"kept");
    definition.texts[2] = Orv::WString(L"replaced");
    auto engine = NewEngine({definition});
    ASSERT_EQ(engine->Rescan(), S_OK);
    auto record = Found(*engine, 0);
    EXPECT_TRUE(record.definition.texts[0] == Orv::WString(L"kept"));
    EXPECT_TRUE(record.definition.texts[2].IsEmpty());

    Orv::RCPtr<TestSequence> sequence(new TestSequence());
    sequence->name = Orv::WString(L"Halvex DJ Brelune VANTA");
    engine = NewEngine({definition}, Orv::RCPtr<IUpdateImageSequence>(sequence));
    ASSERT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(sequence->rescans, 1);
    record = Found(*engine, 0);
    EXPECT_TRUE(record.definition.texts[2] == sequence->name);

    // The sequence's hook runs first; its failure ends the rescan with nothing changed.
    sequence->rescanResult = E_FAIL;
    EXPECT_EQ(engine->Rescan(), E_FAIL);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    EXPECT_EQ(engine->GetSelectedIndex(), 0);
}

// Engines made with different sequences live side by side: each names its devices after its own
// sequence and runs only its own sequence's hook, and an engine made without one neither names
// a device nor runs a hook.
TEST_F(DiscoveryTest, EachEngineAsksOnlyItsOwnSequence)
{
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Normal);
    Add(SimulatedUnitConfig::WheelDisplay(0x0050), SimulatedMode::Normal);
    Orv::RCPtr<TestSequence> controller(new TestSequence());
    controller->name = Orv::WString(L"Halvex DJ Brelune VANTA");
    Orv::RCPtr<TestSequence> wheel(new TestSequence());
    wheel->name = Orv::WString(L"Halvex DJ Brelune VANTA WD");
    wheel->rescanResult = S_FALSE;
    auto first =
        NewEngine({MakeDefinition(kControllerPid)}, Orv::RCPtr<IUpdateImageSequence>(controller));
    auto second =
        NewEngine({MakeDefinition(kWheelDisplayPid)}, Orv::RCPtr<IUpdateImageSequence>(wheel));
    auto plain = NewEngine({MakeDefinition(kControllerPid)});

    ASSERT_EQ(first->Rescan(), S_OK);
    EXPECT_EQ(controller->rescans, 1);
    EXPECT_EQ(controller->rescannedEngine, first.Get());
    EXPECT_EQ(wheel->rescans, 0);
    ASSERT_EQ(second->Rescan(), S_OK);
    ASSERT_EQ(second->Rescan(), S_OK);
    EXPECT_EQ(wheel->rescans, 2);
    EXPECT_EQ(wheel->rescannedEngine, second.Get());
    EXPECT_EQ(controller->rescans, 1);
    ASSERT_EQ(plain->Rescan(), S_OK);
    EXPECT_EQ(controller->rescans + wheel->rescans, 3);

    EXPECT_TRUE(Found(*first, 0).definition.texts[2] == controller->name);
    EXPECT_TRUE(Found(*second, 0).definition.texts[2] == wheel->name);
    EXPECT_TRUE(Found(*plain, 0).definition.texts[2].IsEmpty());
    EXPECT_EQ(first->GetImageSequence().Get(), controller.Get());
    EXPECT_EQ(second->GetImageSequence().Get(), wheel.Get());
    EXPECT_FALSE(plain->GetImageSequence());

    // A sequence's failure ends only its own engine's rescan.
    controller->rescanResult = E_FAIL;
    EXPECT_EQ(first->Rescan(), E_FAIL);
    EXPECT_EQ(second->Rescan(), S_OK);
    EXPECT_EQ(second->GetDeviceState(), Engine::kDeviceNormalMode);
}

// After a download the selected device is looked for again: in normal mode (5), still in DFU
// mode (7), or gone (4 with reason 4, and a failure result).
TEST_F(DiscoveryTest, RescanSelectedDeviceTellsWhereTheDeviceIs)
{
    auto unit = Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Normal);
    auto engine = NewEngine({MakeDefinition(kControllerPid)});
    EXPECT_EQ(engine->RescanSelectedDevice(), E_FAIL); // nothing selected
    ASSERT_EQ(engine->Rescan(), S_OK);
    ASSERT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);

    unit->Plug(SimulatedMode::Bootloader);
    EXPECT_EQ(engine->RescanSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceUpdateMode);
    EXPECT_FALSE(Found(*engine, 0).bootloaderPath.IsEmpty());

    unit->Unplug();
    EXPECT_EQ(engine->RescanSelectedDevice(), E_FAIL);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceFailed);
    unsigned int reason = 0;
    EXPECT_EQ(engine->GetSelectedFailureReason(reason), S_OK);
    EXPECT_EQ(reason, Engine::kFailureDevice);

    unit->Plug(SimulatedMode::Normal);
    EXPECT_EQ(engine->RescanSelectedDevice(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);

    // A fresh rescan forgets the failure.
    unit->Unplug();
    EXPECT_EQ(engine->RescanSelectedDevice(), E_FAIL);
    unit->Plug(SimulatedMode::Normal);
    EXPECT_EQ(engine->Rescan(), S_OK);
    EXPECT_EQ(engine->GetDeviceState(), Engine::kDeviceNormalMode);
    EXPECT_EQ(engine->GetSelectedFailureReason(reason), E_FAIL);
    EXPECT_EQ(reason, 0u);
}

TEST_F(DiscoveryTest, FindBootloader)
{
    LUpdateEngine::DeviceDefinitionEx record(MakeDefinition(kControllerPid));
    auto engine = LUpdateEngine::Create();
    EXPECT_EQ(engine->FindBootloader(record), E_FAIL);
    EXPECT_TRUE(record.bootloaderPath.IsEmpty());

    // Only the bootloader ids count.
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Normal);
    EXPECT_EQ(engine->FindBootloader(record), E_FAIL);
    Add(SimulatedUnitConfig::Controller(0x0031), SimulatedMode::Bootloader);
    EXPECT_EQ(engine->FindBootloader(record), S_OK);
    EXPECT_NE(record.bootloaderPath.ToNarrow().Find("vid_0483&pid_df11"), -1);

    // A known path is taken as it is, without looking at the bus.
    SimulatedDevices::Reset();
    EXPECT_EQ(engine->FindBootloader(record), S_FALSE);
}
