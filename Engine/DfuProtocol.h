// The USB Device Firmware Upgrade class (DFU 1.1) as the engine speaks it: the class requests,
// the device states (bState) and the status codes (bStatus), each named once, with the names
// that failure texts show. Only names: nothing of it is ever made.
#pragma once

#include <cstdint>

class DfuProtocol
{
public:
    DfuProtocol() = delete;

    // bRequest of the class requests.
    enum Request : std::uint8_t
    {
        DETACH = 0,
        DNLOAD = 1,
        UPLOAD = 2,
        GETSTATUS = 3,
        CLRSTATUS = 4,
        GETSTATE = 5,
        ABORT = 6,
    };

    // bState of a GETSTATUS answer.
    enum State : std::uint32_t
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

    // bStatus of a GETSTATUS answer.
    enum Status : std::uint32_t
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

    // The names of the class specification ("DNLOAD", "dfuDNLOAD-IDLE", "errERASE"); "unknown" for
    // a value it does not define.
    static const char* RequestName(std::uint32_t request);
    static const char* StateName(std::uint32_t state);
    static const char* StatusName(std::uint32_t status);
};
