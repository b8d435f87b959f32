// What the engine's tests share: the simulated bus with fast devices, DfuSe files made by the
// writer, the device definitions, and an engine that records the notifications it posts.
#pragma once

#include "DfuSeWriter.h"
#include "UpdateEngine.h"
#include "UpdateImageSequence.h"
#include "platform/SimulatedDevices.h"
#include "platform/SimulatedFirmwareImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace OrvTest
{
using OrvPlatform::Milliseconds;
using OrvPlatform::SimulatedDevices;
using OrvPlatform::SimulatedUnit;
using OrvPlatform::SimulatedUnitConfig;
using Definition = LUpdateEngineInterface::DeviceDefinition;

constexpr std::uint32_t kApplicationStart = 0x08008000u;

// Device timings that keep a whole download within a fraction of a second.
inline OrvPlatform::DfuTimings FastTimings()
{
    return {Milliseconds(1), Milliseconds(0), Milliseconds(0), Milliseconds(1)};
}

inline SimulatedUnitConfig FastUnit(SimulatedUnitConfig config, OrvPlatform::SimulatedMode mode)
{
    config.initialMode = mode;
    config.updateModeDelay = Milliseconds(10);
    config.resetDelay = Milliseconds(10);
    config.timings = FastTimings();
    return config;
}

inline Definition MakeDefinition(std::uint32_t productId)
{
    Definition definition;
    definition.vendorId = 0x7A5E;
    definition.productId = productId;
    definition.bootloaderVendorId = 0x0483;
    definition.bootloaderProductId = 0xDF11;
    return definition;
}

inline Orv::Array<Definition> Definitions(std::initializer_list<Definition> list)
{
    Orv::Array<Definition> definitions;
    for (const Definition& definition : list)
    {
        definitions.AddItem(definition);
    }
    return definitions;
}

// A file in the test's temporary folder, removed with the object.
class TempFile
{
public:
    explicit TempFile(const std::string& name)
        : mPath(::testing::TempDir() + "orv_engine_" + std::to_string(getpid()) + "_" + name)
    {
    }
    ~TempFile() { std::remove(mPath.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return mPath; }
    Orv::WString WidePath() const { return Orv::WString(mPath.c_str()); }
    void Write(const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream out(mPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string mPath;
};

// A DfuSe file's bytes with one element.
inline std::vector<std::uint8_t> DfuSeFile(std::uint32_t address,
                                           const std::vector<std::uint8_t>& data)
{
    OrvTools::DfuSeImage image;
    image.address = address;
    image.data = data;
    return OrvTools::DfuSeWriter::Build(image);
}

// Image data of the size, stamped with the version when it is large enough for the record.
inline std::vector<std::uint8_t> ImageData(std::uint16_t version, std::size_t size)
{
    if (size >= OrvPlatform::SimulatedFirmwareImage::kMinimumImageSize)
    {
        return OrvPlatform::SimulatedFirmwareImage::Make(version, size);
    }
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
    {
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return data;
}

// Recomputes the suffix CRC of a file's bytes (after a test changed them on purpose).
inline void RefreshCrc(std::vector<std::uint8_t>& bytes)
{
    const std::uint32_t crc = OrvTools::DfuSeWriter::SuffixCrc(bytes.data(), bytes.size() - 4);
    for (int i = 0; i < 4; ++i)
    {
        bytes[bytes.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    }
}

// An engine that records what it posts (and posts it as the engine does).
class RecordingEngine : public LUpdateEngine
{
public:
    // Tells when the engine is gone, on whichever thread it dies.
    struct Lifetime
    {
        std::mutex mutex;
        std::condition_variable ended;
        bool destroyed = false;
        std::thread::id thread;

        bool WaitForDestruction(std::chrono::milliseconds timeout)
        {
            std::unique_lock lock(mutex);
            return ended.wait_for(lock, timeout, [&] { return destroyed; });
        }
    };

    RecordingEngine() = default;
    explicit RecordingEngine(const UpdateModeTimings& timings,
                             const Orv::RCPtr<Orv::LClock>& clock = Orv::GetSystemClock(),
                             const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr)
        : LUpdateEngine(timings, clock, sequence)
    {
    }
    // With the image sequence and the default timings.
    explicit RecordingEngine(const Orv::RCPtr<IUpdateImageSequence>& sequence)
        : LUpdateEngine(UpdateModeTimings(), Orv::GetSystemClock(), sequence)
    {
    }
    explicit RecordingEngine(std::shared_ptr<Lifetime> lifetime)
        : mLifetime(std::move(lifetime))
    {
    }
    ~RecordingEngine() override
    {
        if (mLifetime)
        {
            std::lock_guard lock(mLifetime->mutex);
            mLifetime->destroyed = true;
            mLifetime->thread = std::this_thread::get_id();
            mLifetime->ended.notify_all();
        }
    }

    struct Progress
    {
        unsigned int index;
        double fraction;
        bool flagA;
        int value;
        bool flagB;
        bool textEmpty;
    };

    void PostProgress(unsigned int index, double fraction, bool flagA, int value, bool flagB,
                      const Orv::WString& text) override
    {
        {
            std::lock_guard lock(mMutex);
            mProgress.push_back({index, fraction, flagA, value, flagB, text.IsEmpty()});
        }
        mChanged.notify_all();
        LUpdateEngine::PostProgress(index, fraction, flagA, value, flagB, text);
    }
    void PostDeviceStateChange(int newState, int oldState) override
    {
        {
            std::lock_guard lock(mMutex);
            mDeviceStates.emplace_back(newState, oldState);
        }
        LUpdateEngine::PostDeviceStateChange(newState, oldState);
    }
    void PostFileStateChange(int newState, int oldState) override
    {
        {
            std::lock_guard lock(mMutex);
            mFileStates.emplace_back(newState, oldState);
        }
        LUpdateEngine::PostFileStateChange(newState, oldState);
    }
    void PostUpdateCompleted(bool success) override
    {
        {
            std::lock_guard lock(mMutex);
            mCompletions.push_back(success);
        }
        LUpdateEngine::PostUpdateCompleted(success);
    }

    std::vector<Progress> GetProgress() const
    {
        std::lock_guard lock(mMutex);
        return mProgress;
    }
    std::vector<std::pair<int, int>> GetDeviceStates() const
    {
        std::lock_guard lock(mMutex);
        return mDeviceStates;
    }
    std::vector<std::pair<int, int>> GetFileStates() const
    {
        std::lock_guard lock(mMutex);
        return mFileStates;
    }
    std::vector<bool> GetCompletions() const
    {
        std::lock_guard lock(mMutex);
        return mCompletions;
    }
    void ClearRecords()
    {
        std::lock_guard lock(mMutex);
        mProgress.clear();
        mDeviceStates.clear();
        mFileStates.clear();
        mCompletions.clear();
    }
    // Waits until a progress of at least the fraction has been posted.
    bool WaitForProgress(double fraction, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mMutex);
        return mChanged.wait_for(
            lock, timeout,
            [&] { return !mProgress.empty() && mProgress.back().fraction >= fraction; });
    }

private:
    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    std::vector<Progress> mProgress;
    std::vector<std::pair<int, int>> mDeviceStates;
    std::vector<std::pair<int, int>> mFileStates;
    std::vector<bool> mCompletions;
    std::shared_ptr<Lifetime> mLifetime;
};

// The simulated bus, empty at the start and at the end of each test.
class SimulatedBusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimulatedDevices::Activate();
        SimulatedDevices::Reset();
    }
    void TearDown() override { SimulatedDevices::Reset(); }
};

// A unit in its bootloader and an engine that found it, for the download's tests.
class DownloadTestBase : public SimulatedBusTest
{
protected:
    static constexpr std::uint16_t kControllerPid = 0x8010;
    static constexpr std::uint16_t kWheelDisplayPid = 0xB010;

    static std::shared_ptr<SimulatedUnit> AddBootloader(std::uint16_t productId)
    {
        const auto config = productId == kControllerPid ? SimulatedUnitConfig::Controller(0x0010)
                                                        : SimulatedUnitConfig::WheelDisplay(0x0010);
        return SimulatedDevices::AddUnit(FastUnit(config, OrvPlatform::SimulatedMode::Bootloader));
    }

    // An engine (with the image sequence, when one is given) with the file (of that version) and
    // the device found in update mode (state 7).
    static Orv::RCPtr<RecordingEngine>
    Ready(std::uint16_t productId, const TempFile& file,
          const LUpdateEngineInterface::VersionInfo& version = {},
          const Orv::RCPtr<IUpdateImageSequence>& sequence = nullptr)
    {
        Orv::RCPtr<RecordingEngine> engine(new RecordingEngine(sequence));
        EXPECT_EQ(engine->Initialize(Orv::WString()), S_OK);
        engine->SetDeviceDefinitions(Definitions({MakeDefinition(productId)}));
        EXPECT_EQ(engine->SetFirmwareFile(file.WidePath(), version), S_OK);
        EXPECT_EQ(engine->Rescan(), S_OK);
        EXPECT_EQ(engine->GetDeviceState(), LUpdateEngineInterface::kDeviceUpdateMode);
        engine->ClearRecords();
        return engine;
    }

    // Runs the download to its end; the update result.
    static int Run(RecordingEngine& engine)
    {
        EXPECT_EQ(engine.StartDownload(), S_OK);
        EXPECT_EQ(engine.WaitForTask(30000), S_OK);
        return engine.GetUpdateResult(false);
    }

    static unsigned int FailureReason(const RecordingEngine& engine)
    {
        unsigned int reason = 0;
        EXPECT_EQ(engine.GetSelectedFailureReason(reason), S_OK);
        return reason;
    }

    // The engine's last failure text, narrow.
    static std::string FailureText(const LUpdateEngineInterface& engine)
    {
        return engine.GetLastFailureText().ToNarrow().GetBuffer();
    }
};

// The version record's version (0x0042) as the device reports it: 0.0.4.2.
inline LUpdateEngineInterface::VersionInfo DeviceVersion(std::uint16_t bcd)
{
    LUpdateEngineInterface::VersionInfo version;
    for (int i = 0; i < 4; ++i)
    {
        version.parts[i] = (bcd >> (12 - 4 * i)) & 0xFu;
    }
    return version;
}

// A sequence for the tests: a device name, a sector table and a rescan result. Set up before the
// engine that asks it starts a task.
class TestSequence : public IUpdateImageSequence
{
public:
    ORVRESULT OnRescan(LUpdateEngineInterface& engine) override
    {
        ++rescans;
        rescannedEngine = &engine;
        return rescanResult;
    }
    ORVRESULT ProcessUpdateResult(LUpdateEngineInterface&, bool succeeded) override
    {
        return succeeded ? S_OK : E_FAIL;
    }
    Orv::WString GetDeviceName(unsigned int index) const override
    {
        return index == 0 ? name : Orv::WString();
    }
    unsigned int GetSectorCount() const override
    {
        return static_cast<unsigned int>(sectors.size());
    }
    bool LookupSector(unsigned int index, std::uint32_t& address) const override
    {
        address = 0;
        if (index >= sectors.size())
        {
            return false;
        }
        address = sectors[index];
        return true;
    }

    Orv::WString name;
    std::vector<std::uint32_t> sectors;
    ORVRESULT rescanResult = S_OK;
    int rescans = 0;
    // The engine of the last rescan (not held).
    const LUpdateEngineInterface* rescannedEngine = nullptr;
};
} // namespace OrvTest

namespace OrvTest
{
// The DFU requests a unit received, in order, as short words: "A08008000" set address,
// "E08008000" erase, "D2:2048" data block 2 of 2048 bytes, "L" the zero-length download, "S"
// GETSTATUS, "C" CLRSTATUS, "X" ABORT, "?" anything else.
inline std::vector<std::string> Requests(const SimulatedUnit& unit, bool withStatus = false)
{
    std::vector<std::string> words;
    for (const auto& request : unit.RequestLog())
    {
        char word[32] = "?";
        if (request.request == 1 && request.length == 0)
        {
            std::snprintf(word, sizeof(word), "L");
        }
        else if (request.request == 1 && request.value == 0 && request.data.size() == 5)
        {
            const std::uint32_t address = request.data[1] | request.data[2] << 8 |
                                          request.data[3] << 16 |
                                          std::uint32_t(request.data[4]) << 24;
            std::snprintf(word, sizeof(word), "%c%08X", request.data[0] == 0x41 ? 'E' : 'A',
                          address);
        }
        else if (request.request == 1)
        {
            std::snprintf(word, sizeof(word), "D%u:%u", unsigned(request.value),
                          unsigned(request.length));
        }
        else if (request.request == 3)
        {
            if (!withStatus)
            {
                continue;
            }
            std::snprintf(word, sizeof(word), "S");
        }
        else if (request.request == 4)
        {
            std::snprintf(word, sizeof(word), "C");
        }
        else if (request.request == 6)
        {
            std::snprintf(word, sizeof(word), "X");
        }
        words.emplace_back(word);
    }
    return words;
}

inline std::size_t CountPrefix(const std::vector<std::string>& words, char prefix)
{
    std::size_t n = 0;
    for (const auto& word : words)
    {
        n += word[0] == prefix ? 1 : 0;
    }
    return n;
}
} // namespace OrvTest
