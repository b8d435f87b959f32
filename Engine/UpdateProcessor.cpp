#include "UpdateProcessor.h"

#include "DualUpdater.h"
#include "UpdateCompletion.h"
#include "UpdaterHost.h"

#include <functional>
#include <utility>

using Orv::WString;

namespace
{
const wchar_t* const kAlwaysUpdate = L"-ALWAYS_UPDATE";
const wchar_t* const kReturnUpdateModeStatus = L"-RETURN_UPDATE_MODE_STATUS";
const wchar_t* const kSilentIfUpdateNotNeeded = L"-SILENT_IF_UPDATE_NOT_NEEDED";
const wchar_t* const kSilent = L"-SILENT";
const wchar_t* const kStartUpdateAutomatically = L"-START_UPDATE_AUTOMATICALLY";
const wchar_t* const kAbsoluteFirmwareFilePath = L"-ABSOLUTE_FIRMWARE_FILE_PATH=";
const wchar_t* const kFirmwareImageName = L"-FIRMWARE_IMAGE_NAME=";
const wchar_t* const kDeviceVid = L"-DEVICE_VID=";
const wchar_t* const kDevicePid = L"-DEVICE_PID=";
const wchar_t* const kDeviceBootloaderPid = L"-DEVICE_BOOTLOADER_PID=";

// How long a -SILENT run without a wanted update waits for a task (none runs).
constexpr DWORD kIdleTaskWait = 600000;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Makes the processor's StartUpdate the host's way to start updates while it lives; then the
// one registered before is back.
class StartUpdateScope
{
public:
    StartUpdateScope(UpdaterHost& host, LUpdateProcessor* processor)
        : mHost(host)
        , mPrevious(host.SetStartUpdate([processor] { processor->StartUpdate(); }))
    {
    }
    ~StartUpdateScope() { mHost.SetStartUpdate(std::move(mPrevious)); }
    StartUpdateScope(const StartUpdateScope&) = delete;
    StartUpdateScope& operator=(const StartUpdateScope&) = delete;

private:
    UpdaterHost& mHost;
    std::function<void()> mPrevious;
};

// The engine's image sequence when it is the two-image sequencer.
Orv::RCPtr<LDualUpdater> SequencerOf(const Orv::RCPtr<LUpdateEngineInterface>& engine)
{
    return engine ? Orv::RCPtr<LDualUpdater>(engine->GetImageSequence()) : nullptr;
}
} // namespace

LUpdateProcessor::LUpdateProcessor(const Orv::RCPtr<LUpdateEngineInterface>& engine,
                                   const UpdateCompletion& completion)
    : mEngine(engine)
    , mSequencer(SequencerOf(engine))
    , mHost(mSequencer ? mSequencer->GetHost() : UpdaterHost::Create())
    , mCompletion(completion)
{
}

LUpdateProcessor::~LUpdateProcessor() = default;

WString LUpdateProcessor::ToString() const
{
    return WString(L"LUpdateProcessor");
}

bool LUpdateProcessor::FindOption(const WString& commandLine, const WString& option, WString& value)
{
    value.Clear();
    if (option.GetLength() < 2 || option.GetBuffer()[0] != L'-')
    {
        return false;
    }
    const WString upper = commandLine.ToUpper();
    const WString wanted = option.ToUpper();
    const wchar_t* line = commandLine.GetBuffer();
    const int length = static_cast<int>(commandLine.GetLength());
    const bool takesValue = wanted.GetBuffer()[wanted.GetLength() - 1] == L'=';
    int from = 0;
    for (;;)
    {
        const int found = upper.Mid(from).Find(wanted);
        if (found < 0)
        {
            return false;
        }
        const int at = from + found;
        from = at + 1;
        // Only at the start of a word: the line's start, after a blank, or after a double quote
        // that opens a word (an argument put in quotes as a whole).
        bool quotedWord = false;
        if (at > 0 && !IsBlank(line[at - 1]))
        {
            if (line[at - 1] != L'"' || (at > 1 && !IsBlank(line[at - 2])))
            {
                continue;
            }
            quotedWord = true;
        }
        const int end = at + static_cast<int>(wanted.GetLength());
        if (!takesValue)
        {
            if (end == length || IsBlank(line[end]) || (quotedWord && line[end] == L'"'))
            {
                return true;
            }
            continue;
        }
        if (end < length && IsBlank(line[end]))
        {
            continue;
        }
        int first = end;
        int last = length;
        if (quotedWord || (end < length && line[end] == L'"'))
        {
            // Up to the closing quote (or the end of the line), without the quotes.
            if (!quotedWord)
            {
                ++first;
            }
            for (int i = first; i < length; ++i)
            {
                if (line[i] == L'"')
                {
                    last = i;
                    break;
                }
            }
        }
        else
        {
            for (int i = first; i < length; ++i)
            {
                if (IsBlank(line[i]))
                {
                    last = i;
                    break;
                }
            }
        }
        value = commandLine.Mid(first, last - first);
        return true;
    }
}

bool LUpdateProcessor::ParseDeviceId(const WString& text, std::uint32_t& id)
{
    const wchar_t* p = text.GetBuffer();
    unsigned int base = 10;
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X'))
    {
        base = 16;
        p += 2;
    }
    if (*p == 0)
    {
        return false;
    }
    std::uint32_t value = 0;
    for (; *p != 0; ++p)
    {
        unsigned int digit = 0;
        if (*p >= L'0' && *p <= L'9')
        {
            digit = static_cast<unsigned int>(*p - L'0');
        }
        else if (base == 16 && *p >= L'a' && *p <= L'f')
        {
            digit = static_cast<unsigned int>(*p - L'a' + 10);
        }
        else if (base == 16 && *p >= L'A' && *p <= L'F')
        {
            digit = static_cast<unsigned int>(*p - L'A' + 10);
        }
        else
        {
            return false;
        }
        value = value * base + digit;
        if (value > 0xFFFF)
        {
            return false;
        }
    }
    // 0 never matches a device.
    if (value == 0)
    {
        return false;
    }
    id = value;
    return true;
}

bool LUpdateProcessor::CheckDeviceIds(std::string& message) const
{
    for (const wchar_t* option : {kDeviceVid, kDevicePid, kDeviceBootloaderPid})
    {
        WString value;
        std::uint32_t id = 0;
        // The vendor id counts only with a product id.
        if (option == kDeviceVid && !HasOption(kDevicePid))
        {
            continue;
        }
        if (GetOption(option, value) && !ParseDeviceId(value, id))
        {
            message = "The command line is refused: " +
                      std::string(WString(option).ToNarrow().GetBuffer()) + "\"" +
                      value.ToNarrow().GetBuffer() +
                      "\" is not a USB id: give a number from 1 to 65535, in decimal or in "
                      "hexadecimal after 0x (for example 32784 or 0x8010). Nothing was sent to "
                      "any device.";
            return false;
        }
    }
    return true;
}

bool LUpdateProcessor::GetDeviceId(const wchar_t* option, std::uint32_t& id) const
{
    WString value;
    return GetOption(option, value) && ParseDeviceId(value, id);
}

bool LUpdateProcessor::HasOption(const wchar_t* option) const
{
    WString value;
    return FindOption(mCurrentCommandLine, WString(option), value);
}

bool LUpdateProcessor::GetOption(const wchar_t* option, WString& value) const
{
    return FindOption(mCurrentCommandLine, WString(option), value);
}

bool LUpdateProcessor::NamesFileOrDevice() const
{
    // -DEVICE_VID= is looked at only together with -DEVICE_PID=.
    for (const wchar_t* option :
         {kAbsoluteFirmwareFilePath, kFirmwareImageName, kDevicePid, kDeviceBootloaderPid})
    {
        if (HasOption(option))
        {
            return true;
        }
    }
    return false;
}

ORVRESULT LUpdateProcessor::Initialize(const WString& commandLine)
{
    if (mCommandLine.IsEmpty())
    {
        mCommandLine = commandLine;
        WString value;
        mAlwaysUpdate = FindOption(commandLine, WString(kAlwaysUpdate), value);
    }
    mCurrentCommandLine = commandLine;

    if (HasOption(kDeviceVid) && !HasOption(kDevicePid))
    {
        Orv::GetDebugOutput().Narrow()
            << "-DEVICE_VID= is not looked at without -DEVICE_PID=: the built-in devices are used"
            << std::endl;
    }
    std::string refusal;
    if (!CheckDeviceIds(refusal))
    {
        Orv::GetDebugOutput().Narrow() << refusal << std::endl;
        SetExitStatus(kStatusCommandLineRefused);
        return kQuietStop;
    }

    // The sequencer answers the engine's questions from the first Rescan on; a command line that
    // names the file or the device fixes the image for the run.
    if (mSequencer && NamesFileOrDevice())
    {
        std::uint32_t productId = 0;
        GetDeviceId(kDevicePid, productId);
        mSequencer->UseFixedImage(productId);
    }
    else if (mSequencer)
    {
        mSequencer->UseImageSequence();
    }

    const ORVRESULT initialized = ORV_REQUIRE_SUCCESS(mEngine->Initialize(commandLine));
    mEngine->GetUpdateResult(true);
    const bool returnStatus = HasOption(kReturnUpdateModeStatus);
    const bool silent = HasOption(kSilent);
    if (mEngine->GetDeviceState() == LUpdateEngineInterface::kDeviceFailed)
    {
        if (returnStatus)
        {
            SetExitStatus(kStatusNotFoundOrFailed);
            return kQuietStop;
        }
        if (silent)
        {
            // A run without a window ends, whatever it finds.
            return EndSilentWithoutUpdate();
        }
        return initialized;
    }

    ProcessFirmwareFileOptions();
    if (mEngine->GetDeviceState() == LUpdateEngineInterface::kDeviceNotDefined)
    {
        ProcessDeviceOptions();
    }
    if (mEngine->GetDeviceState() == LUpdateEngineInterface::kDeviceNotFound)
    {
        mEngine->Rescan();
    }

    const int state = mEngine->GetDeviceState();
    if (returnStatus)
    {
        const bool newer = mEngine->IsFileNewer();
        switch (state)
        {
            case LUpdateEngineInterface::kDeviceUpdateMode:
                SetExitStatus(newer ? kStatusUpdateModeNewer : kStatusUpdateModeNotNewer);
                break;
            case LUpdateEngineInterface::kDeviceNormalMode:
                SetExitStatus(newer ? kStatusNormalModeNewer : kStatusNormalModeNotNewer);
                break;
            default:
                // Not found, failed, or in no state a caller could act on.
                SetExitStatus(kStatusNotFoundOrFailed);
                break;
        }
        return kQuietStop;
    }
    if (state <= LUpdateEngineInterface::kDeviceFailed ||
        mEngine->GetFileState() != LUpdateEngineInterface::kFileVersionKnown)
    {
        return silent ? EndSilentWithoutUpdate() : S_OK;
    }

    const bool wanted = mEngine->IsFileNewer() || mAlwaysUpdate;
    if (!wanted)
    {
        if (HasOption(kSilentIfUpdateNotNeeded))
        {
            return kQuietStop;
        }
        if (silent)
        {
            mEngine->WaitForTask(kIdleTaskWait);
            return kQuietStop;
        }
        return S_OK;
    }
    if (silent)
    {
        RunSilentUpdate();
        return kQuietStop;
    }
    if (HasOption(kStartUpdateAutomatically))
    {
        StartUpdate();
    }
    return S_OK;
}

ORVRESULT LUpdateProcessor::EndSilentWithoutUpdate()
{
    std::string why;
    switch (mEngine->GetDeviceState())
    {
        case LUpdateEngineInterface::kDeviceNotDefined:
        case LUpdateEngineInterface::kDeviceNotFound:
            why = "no device to update was found";
            break;
        case LUpdateEngineInterface::kDeviceFailed:
            why = "the device cannot be updated in its state (for example a device in DFU mode "
                  "without the other part of the product, whose image cannot be told)";
            break;
        default:
            why = "the firmware file is missing or invalid";
            break;
    }
    const Orv::WString failure = mEngine->GetLastFailureText();
    Orv::GetDebugOutput().Narrow()
        << "-SILENT: nothing was updated: " << why << (failure.IsEmpty() ? "" : ": ")
        << failure.ToNarrow().GetBuffer() << std::endl;
    SetExitStatus(kStatusSilentUpdateFailed);
    return kQuietStop;
}

ORVRESULT LUpdateProcessor::Reinitialize()
{
    return Initialize(mCommandLine);
}

ORVRESULT LUpdateProcessor::Reinitialize(const WString& commandLine)
{
    mCommandLine = commandLine;
    WString value;
    if (FindOption(commandLine, WString(kAlwaysUpdate), value))
    {
        mAlwaysUpdate = true;
    }
    return Initialize(commandLine);
}

void LUpdateProcessor::ProcessFirmwareFileOptions()
{
    WString path;
    WString name;
    if (GetOption(kAbsoluteFirmwareFilePath, path) || GetOption(kFirmwareImageName, name))
    {
        if (path.IsEmpty() && !name.IsEmpty())
        {
            mHost->GetDefaultFolder(path);
            path.Append(Orv::kPathSeparator);
            path.Append(name);
        }
        if (!path.IsEmpty())
        {
            mEngine->SetFirmwarePath(path);
        }
        return;
    }
    if (mSequencer && mSequencer->IsSequenceOn())
    {
        // The sequencer gives the engine the current image's file with the device.
        return;
    }
    // The built-in file of the image that the device options fix (without a sequencer, the
    // controller's), with its known version.
    const LDualUpdater::ImageInfo& image = LDualUpdater::GetImageInfo(
        mSequencer ? mSequencer->GetCurrentImage() : LDualUpdater::kController);
    mHost->GetDefaultFolder(path);
    path.Append(Orv::kPathSeparator);
    path.Append(WString(image.defaultFileName));
    mEngine->SetFirmwareFile(path, image.targetVersion);
}

void LUpdateProcessor::ProcessDeviceOptions()
{
    LUpdateEngineInterface::DeviceDefinition definition;
    const bool givenProductId = GetDeviceId(kDevicePid, definition.productId);
    if (givenProductId)
    {
        std::uint32_t vendorId = LDualUpdater::kDefaultVendorId;
        GetDeviceId(kDeviceVid, vendorId);
        definition.vendorId = vendorId;
        // In DFU mode the device has the bootloader's vendor id, whatever its own.
        definition.bootloaderVendorId = LDualUpdater::kBootloaderVendorId;
    }
    if (!GetDeviceId(kDeviceBootloaderPid, definition.bootloaderProductId))
    {
        if (!givenProductId)
        {
            definition.vendorId = LDualUpdater::kDefaultVendorId;
            definition.productId =
                mSequencer ? mSequencer->GetDeviceProductId(0)
                           : LDualUpdater::GetImageInfo(LDualUpdater::kController).productId;
            definition.bootloaderVendorId = LDualUpdater::kBootloaderVendorId;
        }
        definition.bootloaderProductId = LDualUpdater::kBootloaderProductId;
    }
    Orv::Array<LUpdateEngineInterface::DeviceDefinition> definitions;
    definitions.AddItem(definition);
    mEngine->SetDeviceDefinitions(definitions);
}

ORVRESULT LUpdateProcessor::StartUpdate()
{
    ORVRESULT result = E_FAIL;
    if (mEngine->GetDeviceState() == LUpdateEngineInterface::kDeviceNormalMode)
    {
        mEngine->StartEnterUpdateMode();
        if (mEngine->GetDeviceState() == LUpdateEngineInterface::kDeviceUpdateMode)
        {
            result = mEngine->StartDownload();
        }
    }
    else
    {
        result = mEngine->StartDownload();
    }
    if (SUCCEEDED(result))
    {
        ++mDownloadsStarted;
    }
    else
    {
        ++mFailedStarts;
    }
    return result;
}

void LUpdateProcessor::RunSilentUpdate()
{
    const StartUpdateScope scope(*mHost, this);
    const unsigned int startedBefore = mDownloadsStarted;
    const unsigned int failedBefore = mFailedStarts;
    bool failed = false;
    StartUpdate();
    unsigned int seen = startedBefore;
    while (mDownloadsStarted != seen)
    {
        seen = mDownloadsStarted;
        // No end in the middle of a write: the download is waited for, however long it takes.
        mEngine->WaitForTask(INFINITE);
        const bool succeeded =
            mEngine->GetUpdateResult(false) == LUpdateEngineInterface::kUpdateCompleted;
        // The sequencer may start the update of the other image from here.
        if (FAILED(mCompletion.Complete(mEngine, succeeded)))
        {
            failed = true;
        }
    }
    if (mDownloadsStarted == startedBefore || mFailedStarts != failedBefore)
    {
        failed = true;
    }
    if (failed)
    {
        SetExitStatus(kStatusSilentUpdateFailed);
    }
}

bool LUpdateProcessor::IsIdle() const
{
    return mEngine->GetDeviceState() != LUpdateEngineInterface::kDeviceUpdating;
}

bool LUpdateProcessor::GetAlwaysUpdate() const
{
    return mAlwaysUpdate;
}

bool LUpdateProcessor::SetAlwaysUpdate(bool alwaysUpdate)
{
    if (mAlwaysUpdate == alwaysUpdate)
    {
        return true;
    }
    mAlwaysUpdate = alwaysUpdate;
    return false;
}

Orv::RCPtr<LUpdateEngineInterface> LUpdateProcessor::GetEngine() const
{
    return mEngine;
}
