#include "DualUpdater.h"

#include "EngineGlobals.h"
#include "LabelText.h"

#include <mutex>

using Orv::WString;
using VersionInfo = LUpdateEngineInterface::VersionInfo;
using DeviceDefinition = LUpdateEngineInterface::DeviceDefinition;

namespace
{
constexpr std::uint32_t kFlashBase = 0x08000000u;
const std::uint32_t kControllerSectors[] = {kFlashBase + 0x8000, kFlashBase + 0xC000,
                                            kFlashBase + 0x10000};
const std::uint32_t kWheelDisplaySectors[] = {kFlashBase + 0x8000,  kFlashBase + 0xC000,
                                              kFlashBase + 0x10000, kFlashBase + 0x20000,
                                              kFlashBase + 0x40000, kFlashBase + 0x60000};

VersionInfo MakeVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                        const wchar_t* text)
{
    VersionInfo version;
    version.parts[0] = a;
    version.parts[1] = b;
    version.parts[2] = c;
    version.parts[3] = d;
    version.text = WString(text);
    return version;
}

bool SameParts(const VersionInfo& a, const VersionInfo& b)
{
    for (int i = 0; i < 4; ++i)
    {
        if (a.parts[i] != b.parts[i])
        {
            return false;
        }
    }
    return true;
}

// The program's one sequencer.
std::mutex gInstanceLock;
Orv::ConstRCPtr<LDualUpdater>& Instance()
{
    static Orv::ConstRCPtr<LDualUpdater> instance;
    return instance;
}
} // namespace

const LDualUpdater::ImageInfo& LDualUpdater::GetImageInfo(Image image)
{
    static const ImageInfo images[] = {
        {L"tp", 0x8010, GetControllerDeviceName().GetBuffer(), MakeVersion(0, 0, 3, 1, L"00.31"),
         L"zk71_tp_update_00_31_120936.dfu", kControllerSectors,
         static_cast<unsigned int>(std::size(kControllerSectors))},
        {L"wd", 0xB010, GetWheelDisplayDeviceName().GetBuffer(), MakeVersion(0, 0, 5, 0, L"00.50"),
         L"zk71_wd_update_00_50_3A7CE2CA.dfu", kWheelDisplaySectors,
         static_cast<unsigned int>(std::size(kWheelDisplaySectors))},
    };
    return images[image == kWheelDisplay ? 1 : 0];
}

LDualUpdater::LDualUpdater(const Orv::RCPtr<UpdaterHost>& host)
    : mHost(host ? host : UpdaterHost::Create())
{
}

LDualUpdater::~LDualUpdater() = default;

WString LDualUpdater::ToString() const
{
    return WString(L"LDualUpdater");
}

Orv::RCPtr<LDualUpdater> LDualUpdater::Create(const Orv::RCPtr<UpdaterHost>& host)
{
    return Orv::RCPtr<LDualUpdater>(new LDualUpdater(host));
}

void LDualUpdater::CreateInstance(const Orv::RCPtr<UpdaterHost>& host)
{
    std::lock_guard lock(gInstanceLock);
    if (!Instance())
    {
        Instance() = Create(host);
    }
}

void LDualUpdater::ReleaseInstance()
{
    Orv::ConstRCPtr<LDualUpdater> instance;
    {
        std::lock_guard lock(gInstanceLock);
        std::swap(instance, Instance());
    }
}

Orv::RCPtr<LDualUpdater> LDualUpdater::GetInstance()
{
    std::lock_guard lock(gInstanceLock);
    return Orv::RCPtr<LDualUpdater>(Instance().GetMutable());
}

ORVRESULT LDualUpdater::ProcessUpdateResult(LUpdateEngineInterface& engine, bool succeeded)
{
    return SelectImage(engine, succeeded);
}

std::uint32_t LDualUpdater::GetDeviceProductId(unsigned int index) const
{
    return index == 0 ? GetImageInfo(GetCurrentImage()).productId : 0;
}

void LDualUpdater::UseFixedImage(std::uint32_t productId)
{
    mFixedImage.store(true);
    mRestartPending.store(false);
    mControllerSelected.store(productId != GetImageInfo(kWheelDisplay).productId);
}

void LDualUpdater::UseImageSequence()
{
    mFixedImage.store(false);
}

LDualUpdater::Image LDualUpdater::GetCurrentImage() const
{
    return mControllerSelected.load() ? kController : kWheelDisplay;
}

bool LDualUpdater::IsDone(Image image) const
{
    return image == kController ? mControllerDone : mWheelDisplayDone;
}

ORVRESULT LDualUpdater::OnRescan(LUpdateEngineInterface& engine)
{
    if (mFixedImage.load())
    {
        return S_OK;
    }
    return SelectInitialImage(engine);
}

WString LDualUpdater::GetDeviceName(unsigned int index) const
{
    return index == 0 ? WString(GetImageInfo(GetCurrentImage()).deviceName) : WString();
}

unsigned int LDualUpdater::GetSectorCount() const
{
    return GetImageInfo(GetCurrentImage()).sectorCount;
}

bool LDualUpdater::LookupSector(unsigned int index, std::uint32_t& address) const
{
    const ImageInfo& image = GetImageInfo(GetCurrentImage());
    if (index >= image.sectorCount)
    {
        address = 0;
        return false;
    }
    address = image.sectors[index];
    return true;
}

unsigned int LDualUpdater::ProbeFor(std::uint32_t vendorId, std::uint32_t productId,
                                    VersionInfo* version)
{
    DeviceDefinition definition;
    definition.vendorId = vendorId;
    definition.productId = productId;
    Orv::Array<DeviceDefinition> definitions;
    definitions.AddItem(definition);
    mProbeEngine->SetDeviceDefinitions(definitions);
    mProbeEngine->ScanDevices();
    const unsigned int count = mProbeEngine->GetDeviceCount();
    if (count == 1 && version != nullptr)
    {
        mProbeEngine->GetDeviceFirmwareVersion(0, *version);
    }
    return count;
}

void LDualUpdater::Probe()
{
    mProbe.found = false;
    mProbe.controllerPresent = false;
    mProbe.wheelDisplayPresent = false;
    mProbe.controllerNeedsUpdate = false;
    mProbe.wheelDisplayNeedsUpdate = false;
    mProbe.wheelDisplayInDfuMode = false;
    mProbe.incompleteSet = false;
    mProbe.severalBootloaders = false;
    if (!mProbeEngine)
    {
        mProbeEngine = LUpdateEngine::Create();
        mProbeEngine->Initialize(WString());
    }
    const ImageInfo& controller = GetImageInfo(kController);
    const ImageInfo& wheelDisplay = GetImageInfo(kWheelDisplay);

    const bool controllerPresent =
        ProbeFor(kDefaultVendorId, controller.productId, &mProbe.controllerVersion) == 1;
    const bool wheelDisplayPresent =
        ProbeFor(kDefaultVendorId, wheelDisplay.productId, &mProbe.wheelDisplayVersion) == 1;
    mProbe.controllerPresent = controllerPresent;
    mProbe.wheelDisplayPresent = wheelDisplayPresent;
    mProbe.found = controllerPresent || wheelDisplayPresent;
    if (ProbeFor(kBootloaderVendorId, kBootloaderProductId, nullptr) >= 1)
    {
        mProbe.found = true;
        mProbe.severalBootloaders =
            LUpdateEngine::CountPresentDevices(kBootloaderVendorId, kBootloaderProductId) > 1;
        if (controllerPresent)
        {
            // The device in DFU mode is taken to be the wheel display.
            mProbe.wheelDisplayNeedsUpdate = true;
            mProbe.wheelDisplayInDfuMode = true;
            mProbe.controllerNeedsUpdate = LUpdateEngineInterface::CompareVersions(
                controller.targetVersion, mProbe.controllerVersion);
        }
        else if (wheelDisplayPresent)
        {
            mProbe.controllerNeedsUpdate = true;
            mProbe.wheelDisplayNeedsUpdate = LUpdateEngineInterface::CompareVersions(
                wheelDisplay.targetVersion, mProbe.wheelDisplayVersion);
        }
        else
        {
            mProbe.incompleteSet = true;
        }
        return;
    }
    if (controllerPresent && wheelDisplayPresent)
    {
        mProbe.controllerNeedsUpdate = LUpdateEngineInterface::CompareVersions(
            controller.targetVersion, mProbe.controllerVersion);
        mProbe.wheelDisplayNeedsUpdate = LUpdateEngineInterface::CompareVersions(
            wheelDisplay.targetVersion, mProbe.wheelDisplayVersion);
    }
    else if (mProbe.found)
    {
        mProbe.incompleteSet = true;
    }
}

ORVRESULT LDualUpdater::SelectInitialImage(LUpdateEngineInterface& engine)
{
    if (mRestartPending.load())
    {
        return S_OK;
    }
    mControllerSelected.store(true);
    Probe();
    if (mProbe.found)
    {
        if (mProbe.incompleteSet || mProbe.severalBootloaders)
        {
            engine.SetDeviceState(LUpdateEngineInterface::kDeviceFailed);
            return E_FAIL;
        }
        if (mProbe.wheelDisplayInDfuMode ||
            (!mProbe.controllerNeedsUpdate && mProbe.wheelDisplayNeedsUpdate))
        {
            mControllerSelected.store(false);
        }
    }
    DefineDeviceAndFile(engine);
    mControllerDone = false;
    mWheelDisplayDone = false;
    return S_OK;
}

void LDualUpdater::DefineDeviceAndFile(LUpdateEngineInterface& engine)
{
    const ImageInfo& image = GetImageInfo(GetCurrentImage());
    DeviceDefinition definition;
    definition.vendorId = kDefaultVendorId;
    definition.productId = image.productId;
    definition.bootloaderVendorId = kBootloaderVendorId;
    definition.bootloaderProductId = kBootloaderProductId;
    definition.texts[DeviceDefinition::kDeviceNameText] = WString(image.deviceName);
    WString path;
    mHost->GetDefaultFolder(path);
    path.Append(Orv::kPathSeparator);
    path.Append(WString(image.defaultFileName));
    engine.SetFirmwareFile(path, image.targetVersion);
    Orv::Array<DeviceDefinition> definitions;
    definitions.AddItem(definition);
    engine.SetDeviceDefinitions(definitions);
}

ORVRESULT LDualUpdater::SelectImage(LUpdateEngineInterface& engine, bool succeeded)
{
    mRestartPending.store(false);
    if (mFixedImage.load())
    {
        return succeeded ? S_FALSE : E_FAIL;
    }
    if (!succeeded)
    {
        return E_FAIL;
    }
    Probe();
    const bool controllerWritten = GetCurrentImage() == kController;
    const ImageInfo& written = GetImageInfo(controllerWritten ? kController : kWheelDisplay);
    const VersionInfo& reported =
        controllerWritten ? mProbe.controllerVersion : mProbe.wheelDisplayVersion;
    const bool present = controllerWritten ? mProbe.controllerPresent : mProbe.wheelDisplayPresent;
    const bool reportsTarget = present && SameParts(reported, written.targetVersion);
    (controllerWritten ? mControllerDone : mWheelDisplayDone) = true;

    bool next = false;
    if (controllerWritten)
    {
        next = mProbe.wheelDisplayNeedsUpdate && !mWheelDisplayDone;
    }
    else
    {
        next = mProbe.controllerNeedsUpdate && !mControllerDone;
    }
    if (next)
    {
        mControllerSelected.store(!controllerWritten);
    }
    if (!reportsTarget)
    {
        return E_FAIL;
    }
    if (next)
    {
        DefineDeviceAndFile(engine);
        mRestartPending.store(true);
        engine.Rescan();
        // Through the main window, or the processor of a run without one.
        if (!mHost->StartUpdate())
        {
            Orv::GetDebugOutput().Narrow()
                << "The update of the next image is not started: nothing is registered to start it."
                << std::endl;
        }
    }
    return S_OK;
}

void LDualUpdater::UpdateLabels(IMainWindowLabels& window, int result, int deviceState,
                                int /*fileState*/)
{
    const Orv::RCPtr<LDualUpdater> sequencer = GetInstance();
    if (!sequencer || !sequencer->IsSequenceOn())
    {
        return;
    }
    const wchar_t* const file = IMainWindowLabels::kFileFirmwareVersion;
    const wchar_t* const device = IMainWindowLabels::kDeviceFirmwareVersion;
    if (deviceState == LUpdateEngineInterface::kDeviceUpdating)
    {
        window.SetLabelText(
            file, window.GetLabelString(file, sequencer->GetCurrentImage() == kController
                                                  ? L"LABEL_UPDATING_CONTROLLER_FIRMWARE"
                                                  : L"LABEL_UPDATING_WHEEL_DISPLAY_FIRMWARE"));
    }
    else
    {
        window.SetLabelText(file, SubstituteFirst(window.GetLabelString(file, L"LABEL"),
                                                  GetImageInfo(kController).targetVersion.text) +
                                      GetImageInfo(kWheelDisplay).targetVersion.text);
    }
    const ProbeResult& probe = sequencer->GetProbeResult();
    if (probe.found)
    {
        window.SetLabelText(device, SubstituteFirst(window.GetLabelString(device, L"LABEL"),
                                                    probe.controllerVersion.text) +
                                        probe.wheelDisplayVersion.text);
    }
    if (result == LUpdateEngineInterface::kUpdateCompleted &&
        deviceState == LUpdateEngineInterface::kDeviceUpdateMode)
    {
        window.ShowManualRescanButton(false);
    }
}
