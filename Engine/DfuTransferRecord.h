// What the engine keeps for the DFU transfers of one download: a copy of the selected device's
// record, the wait after a download request, and the WinUSB connection. Created with the engine
// and owned by it; used by one thread at a time, the worker during a download.
#pragma once

#include "UpdateEngine.h"
#include "WinUsbConnection.h"

class DfuTransferRecord
{
public:
    // Forgets the device, sets the poll wait to 0 and closes the connection.
    void Initialize();

    LUpdateEngine::DeviceDefinitionEx device;
    // The last wait, in milliseconds, that the device asked for after a download request.
    std::int32_t pollWait = 0;
    WinUsbConnection connection;
};
