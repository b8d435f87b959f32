#include "LibUsbErrors.h"

#include <libusb.h>

namespace OrvPlatform
{
DWORD WinErrorFromLibUsb(int libusbResult)
{
    if (libusbResult >= 0)
    {
        return ERROR_SUCCESS;
    }
    switch (libusbResult)
    {
        case LIBUSB_ERROR_INVALID_PARAM:
            return ERROR_INVALID_PARAMETER;
        case LIBUSB_ERROR_ACCESS:
        case LIBUSB_ERROR_BUSY:
            return ERROR_ACCESS_DENIED;
        case LIBUSB_ERROR_NO_DEVICE:
            return ERROR_DEVICE_NOT_CONNECTED;
        case LIBUSB_ERROR_NOT_FOUND:
            return ERROR_FILE_NOT_FOUND;
        case LIBUSB_ERROR_TIMEOUT:
            return ERROR_SEM_TIMEOUT;
        case LIBUSB_ERROR_NO_MEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case LIBUSB_ERROR_NOT_SUPPORTED:
            return ERROR_NOT_SUPPORTED;
        case LIBUSB_ERROR_PIPE:     // the device stalled the request
        case LIBUSB_ERROR_IO:       // transfer error
        case LIBUSB_ERROR_OVERFLOW: // the device sent more than asked for
        case LIBUSB_ERROR_INTERRUPTED:
        case LIBUSB_ERROR_OTHER:
        default:
            return ERROR_GEN_FAILURE;
    }
}
} // namespace OrvPlatform
