#include "DfuTransferRecord.h"

void DfuTransferRecord::Initialize()
{
    device = LUpdateEngine::DeviceDefinitionEx();
    pollWait = 0;
    connection.Close();
}
