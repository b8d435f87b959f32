// The simulated USB bus and MIDI ports, with the simulated controller and wheel display and
// their DfuSe bootloader.
//
// The USB (SetupApi.h, WinUsb.h) and MIDI (Midi.h) families use the simulated devices instead of
// the real bus and sequencer once they are active: a test activates them with
// SimulatedDevices::Activate(); a whole process runs on them when the environment variable
// ORV_SIMULATED_DEVICES names a description file (see SimulatedDeviceDescription.h). The choice
// is made at run time only.
//
// A unit is one programmable part of the product. In normal mode it is on the bus with its
// normal ids and bcdDevice = its firmware version, and it has a MIDI port (input and output)
// named by its name. The update-mode message F0 7D 00 00 01 10 72 00 00 F7 sent to that port
// makes it leave the bus; after its update-mode delay it comes back as the DfuSe bootloader
// (0x0483:0xDF11, bcdDevice 0x2200). The bootloader follows the DFU 1.1 class specification with
// the DfuSe extensions (see SimulatedUnit.cpp for the state machine). A zero-length download
// manifests: the unit leaves the bus and, as a DfuSe ROM bootloader does, starts the code at its
// address pointer (LastJumpAddress records where). Started at the application start, it comes
// back after its reset delay in normal mode with the version recorded in the image its flash now
// holds (SimulatedFirmwareImage.h), or with its old version when that image is incomplete or
// corrupt. Started anywhere else, it comes back in normal mode only when an intact image starts
// right there (with that image's version); otherwise it runs no image and comes back as the
// bootloader.
//
// Flash: 1 MB at 0x08000000 in sectors of 16, 16, 16, 16, 64 and 7 x 128 KB. The first two
// sectors (0x08000000 to 0x08007FFF) hold the bootloader and cannot be erased or written; the
// application starts at 0x08008000. A new unit's flash holds a minimal image with its version.
// Until a set-address command sets it, the bootloader's address pointer is the start of the
// flash (kSimulatedDefaultAddressPointer), as after every reset.
//
// Time runs on the steady clock: transitions that wait for a delay happen when the bus is next
// looked at after the delay has passed. All of this is safe to use from any thread.
#pragma once

#include "platform/WinUsb.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace OrvPlatform
{
using Milliseconds = std::chrono::milliseconds;

// Flash of a simulated unit.
struct FlashSector
{
    std::uint32_t address;
    std::uint32_t size;
};
constexpr std::uint32_t kSimulatedFlashBase = 0x08000000u;
constexpr std::uint32_t kSimulatedFlashSize = 0x00100000u;
constexpr std::uint32_t kSimulatedApplicationStart = 0x08008000u;
// The address pointer after a reset, until a set-address command sets another.
constexpr std::uint32_t kSimulatedDefaultAddressPointer = kSimulatedFlashBase;
// Every sector, in address order.
const std::vector<FlashSector>& SimulatedFlashSectors();

// DFU 1.1 device states (bState) and status codes (bStatus).
enum class DfuState : std::uint8_t
{
    appIDLE = 0,
    appDETACH = 1,
    dfuIDLE = 2,
    dfuDNLOAD_SYNC = 3,
    dfuDNBUSY = 4,
    dfuDNLOAD_IDLE = 5,
    dfuMANIFEST_SYNC = 6,
    dfuMANIFEST = 7,
    dfuMANIFEST_WAIT_RESET = 8,
    dfuUPLOAD_IDLE = 9,
    dfuERROR = 10,
};
enum class DfuStatus : std::uint8_t
{
    OK = 0x00,
    errTARGET = 0x01,
    errFILE = 0x02,
    errWRITE = 0x03,
    errERASE = 0x04,
    errCHECK_ERASED = 0x05,
    errPROG = 0x06,
    errVERIFY = 0x07,
    errADDRESS = 0x08,
    errNOTDONE = 0x09,
    errFIRMWARE = 0x0A,
    errVENDOR = 0x0B,
    errUSBR = 0x0C,
    errPOR = 0x0D,
    errUNKNOWN = 0x0E,
    errSTALLEDPKT = 0x0F,
};

enum class SimulatedMode
{
    Normal,     // on the bus with its normal ids and its MIDI port
    Bootloader, // on the bus as the DfuSe bootloader
    OffBus,     // not on the bus (resetting, or unplugged)
};

// How the bootloader answers a request that comes while an operation is still running.
enum class BusyAnswer
{
    Hold,       // hold the request until the operation has ended, then answer it
    AnswerBusy, // answer GETSTATUS with the busy state again (other requests stall; the
                // operation itself goes on to its end, as the flash does)
};

// How long the bootloader's operations take; reported in bwPollTimeout.
struct DfuTimings
{
    Milliseconds eraseTimePer16K{250}; // a 128 KB sector takes 8 times this
    Milliseconds programTimePerBlock{20};
    Milliseconds commandTime{1}; // set address pointer
    Milliseconds manifestTime{100};
};

// The steps that can be told to misbehave.
enum class SimulatedStep
{
    UpdateMessage,      // the unit receiving the update-mode message
    Open,               // CreateFileW on the unit's path
    ClaimInterface,     // WinUsb_Initialize
    SetAddressRequest,  // DNLOAD block 0 with command 0x21
    EraseRequest,       // DNLOAD block 0 with command 0x41
    DataRequest,        // DNLOAD with a data block
    LeaveRequest,       // zero-length DNLOAD
    GetStatusRequest,   // GETSTATUS
    ClearStatusRequest, // CLRSTATUS
    AbortRequest,       // ABORT
    GetStateRequest,    // GETSTATE
    UploadRequest,      // UPLOAD
    EraseOperation,     // the erase itself, while the bootloader is busy
    ProgramOperation,   // programming a data block
    ManifestOperation,  // manifestation
    ReturnToNormal,     // coming back in normal mode after manifestation
};

// What goes wrong. For request steps: Fail = the transfer fails (ERROR_GEN_FAILURE) and the
// device changes nothing; Stall = the device stalls the request and enters dfuERROR with
// errSTALLEDPKT; Slow = the answer comes `delay` later; Vanish = the unit leaves the bus for good
// (until Plug). For operations: Fail = the operation fails and the next GETSTATUS reports
// dfuERROR with `status` (errERASE, errPROG or errFIRMWARE when it is OK); Slow = the operation
// takes `delay` (reported in bwPollTimeout); Vanish = the unit leaves the bus during it. For
// UpdateMessage: Fail = the message is ignored; Slow = the bootloader appears after `delay`;
// Vanish = the unit leaves the bus and does not come back. For ReturnToNormal: Fail = the unit
// comes back as the bootloader; Slow = it comes back after `delay`; Vanish = it does not come
// back. For Open and ClaimInterface: Fail = ERROR_ACCESS_DENIED; Slow; Vanish. ShortAnswer
// (GETSTATUS, GETSTATE, UPLOAD): the device does what the request asks but answers only
// `answerLength` bytes of it.
enum class SimulatedFault
{
    Fail,
    Stall,
    Slow,
    Vanish,
    ShortAnswer,
};

struct SimulatedFaultRule
{
    SimulatedStep step = SimulatedStep::GetStatusRequest;
    SimulatedFault fault = SimulatedFault::Fail;
    // 1: the next time the step comes; n: the n-th time from now; 0: every time.
    unsigned occurrence = 1;
    Milliseconds delay{0};
    DfuStatus status = DfuStatus::OK;
    std::uint16_t answerLength = 0;
};

// What a new unit is.
struct SimulatedUnitConfig
{
    std::wstring name; // its MIDI port's name
    std::uint16_t vendorId = 0x7A5E;
    std::uint16_t productId = 0x8010;
    std::uint16_t firmwareVersion = 0x0000; // bcdDevice in normal mode
    std::uint16_t bootloaderVendorId = 0x0483;
    std::uint16_t bootloaderProductId = 0xDF11;
    std::uint16_t bootloaderVersion = 0x2200;
    SimulatedMode initialMode = SimulatedMode::Normal;
    Milliseconds updateModeDelay{2000}; // off the bus before the bootloader appears
    Milliseconds resetDelay{2000};      // off the bus after manifestation
    DfuTimings timings;
    BusyAnswer busyAnswer = BusyAnswer::Hold;
    // When set, every busy answer reports this bwPollTimeout instead of the (remaining) time of
    // the operation: a device that tells the host to poll sooner than it will be done.
    std::optional<Milliseconds> reportedPollTimeout;
    // How long the host waits for a control transfer to the unit before it fails with
    // ERROR_SEM_TIMEOUT.
    Milliseconds controlTimeout{WINUSB_CONTROL_TRANSFER_TIMEOUT_MS};
    // When not empty, the flash is kept in this file as well, so that another process can read
    // it: the whole flash is written when the unit is made, each change as it happens. A file
    // that cannot be written is reported on the debug output (the unit works on without it).
    std::string flashFile;
    // Faults the unit starts with, as if given to AddFault when it was made.
    std::vector<SimulatedFaultRule> faults;

    // The controller ("Halvex DJ Brelune VANTA", 0x7A5E:0x8010) and the wheel display
    // ("Halvex DJ Brelune VANTA WD", 0x7A5E:0xB010) with the given firmware version.
    static SimulatedUnitConfig Controller(std::uint16_t version);
    static SimulatedUnitConfig WheelDisplay(std::uint16_t version);
};

// One control request as the unit saw it.
struct SimulatedControlRequest
{
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    std::vector<std::uint8_t> data; // the data stage: sent by the host, or answered
    bool stalled = false;
};

class SimulatedMidiPort;

// A simulated unit (see above). Obtained from SimulatedDevices::AddUnit.
class SimulatedUnit
{
public:
    virtual ~SimulatedUnit() = default;

    virtual SimulatedUnitConfig Config() const = 0;
    virtual SimulatedMode Mode() const = 0;
    virtual std::uint16_t FirmwareVersion() const = 0;
    virtual DfuState State() const = 0;
    virtual DfuStatus Status() const = 0;
    // Where the bootloader jumped the last time it left DFU mode; nullopt when it has not yet.
    virtual std::optional<std::uint32_t> LastJumpAddress() const = 0;
    virtual std::vector<std::uint8_t> ReadFlash(std::uint32_t address,
                                                std::uint32_t length) const = 0;
    // Every control request since the unit was made or the log was cleared.
    virtual std::vector<SimulatedControlRequest> RequestLog() const = 0;
    virtual void ClearRequestLog() = 0;
    // Called with each control request once the unit has answered it (as the log records it),
    // on the thread that sent it and outside the unit's lock; null removes it.
    virtual void SetRequestHook(std::function<void(const SimulatedControlRequest&)> hook) = 0;
    // The unit's MIDI port (present on the bus in normal mode only).
    virtual std::shared_ptr<SimulatedMidiPort> MidiPort() const = 0;

    virtual void AddFault(const SimulatedFaultRule& rule) = 0;
    virtual void ClearFaults() = 0;
    virtual void SetTimings(const DfuTimings& timings) = 0;
    virtual void SetBusyAnswer(BusyAnswer answer) = 0;
    virtual void SetReportedPollTimeout(std::optional<Milliseconds> pollTimeout) = 0;
    virtual void SetDelays(Milliseconds updateModeDelay, Milliseconds resetDelay) = 0;
    // Takes the unit off the bus at once (open handles stop working).
    virtual void Unplug() = 0;
    // Puts the unit on the bus at once in the given mode (Normal or Bootloader).
    virtual void Plug(SimulatedMode mode) = 0;
    // Waits until the unit is in the mode; false after the time-out.
    virtual bool WaitForMode(SimulatedMode mode, Milliseconds timeout) const = 0;
};

// A MIDI port: the port of a unit, or one added on its own by a test.
class SimulatedMidiPort
{
public:
    // Receives what the port sends to the host (input devices of the host).
    class HostSink
    {
    public:
        virtual ~HostSink() = default;
        virtual void OnBytesFromDevice(const std::uint8_t* data, std::size_t length) = 0;
    };

    virtual ~SimulatedMidiPort() = default;

    virtual std::wstring Name() const = 0;
    virtual bool IsPresent() const = 0;
    virtual bool IsHostOutput() const = 0; // the host can send to it
    virtual bool IsHostInput() const = 0;  // the host can receive from it

    // Test side: the messages the host sent, each as one block of bytes.
    virtual std::vector<std::vector<std::uint8_t>> Received() const = 0;
    // Test side: sends bytes to every host input open on the port; false when not present.
    virtual bool SendToHost(const std::vector<std::uint8_t>& bytes) = 0;
    // Test side: how long the port takes to take a message from the host; with hold set it
    // takes none until the hold is released or the send is cancelled.
    virtual void SetReceiveDelay(Milliseconds delay) = 0;
    virtual void SetHold(bool hold) = 0;

    // Layer side: takes one message from the host (waits out the receive delay or hold, and
    // gives up when cancelled becomes true). False when the port is not present or the send
    // was cancelled.
    virtual bool ReceiveFromHost(const std::uint8_t* data, std::size_t length,
                                 const std::atomic<bool>* cancelled) = 0;
    virtual void AddHostSink(const std::shared_ptr<HostSink>& sink) = 0;
    virtual void RemoveHostSink(const std::shared_ptr<HostSink>& sink) = 0;
};

class SimulatedDevices
{
public:
    // Name of the environment variable that names a description file.
    static constexpr const char* kEnvironmentVariable = "ORV_SIMULATED_DEVICES";

    // Makes the USB and MIDI families use the simulated devices in this process.
    static void Activate();
    // Makes them use the real bus and sequencer again (the units stay, unused).
    static void Deactivate();
    // Whether they do. The first call (of this or of the USB and MIDI families) reads
    // ORV_SIMULATED_DEVICES when it is set; a bad file is reported on the standard error stream
    // and leaves the simulated bus empty (the real devices are not used then either).
    static bool IsActive();
    // Activates the simulated devices from ORV_SIMULATED_DEVICES: false with an empty error when
    // the variable is not set; false with the error text when the file cannot be read or is
    // bad (nothing is activated then); true when the described units are on the bus.
    static bool ActivateFromEnvironment(std::string& error);
    // Reads a description file (SimulatedDeviceDescription.h) and adds its units; false and the
    // error text when it is bad (nothing is added).
    static bool LoadDescriptionFile(const std::string& path, std::string& error);

    // Removes every unit and port (the simulated devices stay active).
    static void Reset();
    static std::shared_ptr<SimulatedUnit> AddUnit(const SimulatedUnitConfig& config);
    static std::shared_ptr<SimulatedMidiPort> AddMidiPort(const std::wstring& name, bool hostOutput,
                                                          bool hostInput);
    static void Remove(const std::shared_ptr<SimulatedUnit>& unit);
    static void Remove(const std::shared_ptr<SimulatedMidiPort>& port);
    static std::vector<std::shared_ptr<SimulatedUnit>> Units();
};

// The update-mode message.
const std::vector<std::uint8_t>& UpdateModeMessage();
} // namespace OrvPlatform
