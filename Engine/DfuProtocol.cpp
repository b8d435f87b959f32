#include "DfuProtocol.h"

#include <iterator>

namespace
{
template <std::size_t N>
const char* NameAt(const char* const (&names)[N], std::uint32_t value)
{
    return value < N ? names[value] : "unknown";
}
} // namespace

const char* DfuProtocol::RequestName(std::uint32_t request)
{
    static const char* const names[] = {"DETACH",    "DNLOAD",   "UPLOAD", "GETSTATUS",
                                        "CLRSTATUS", "GETSTATE", "ABORT"};
    return NameAt(names, request);
}

const char* DfuProtocol::StateName(std::uint32_t state)
{
    static const char* const names[] = {"appIDLE",          "appDETACH",   "dfuIDLE",
                                        "dfuDNLOAD-SYNC",   "dfuDNBUSY",   "dfuDNLOAD-IDLE",
                                        "dfuMANIFEST-SYNC", "dfuMANIFEST", "dfuMANIFEST-WAIT-RESET",
                                        "dfuUPLOAD-IDLE",   "dfuERROR"};
    return NameAt(names, state);
}

const char* DfuProtocol::StatusName(std::uint32_t status)
{
    static const char* const names[] = {
        "OK",      "errTARGET", "errFILE",    "errWRITE",     "errERASE",    "errCHECK_ERASED",
        "errPROG", "errVERIFY", "errADDRESS", "errNOTDONE",   "errFIRMWARE", "errVENDOR",
        "errUSBR", "errPOR",    "errUNKNOWN", "errSTALLEDPKT"};
    return NameAt(names, status);
}
