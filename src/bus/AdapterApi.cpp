#include "bus/AdapterApi.h"

#include "kvrx_usb.h"

const AdapterApi& LibraryAdapter()
{
    static const AdapterApi api{
        KVRX_GetNumDevices, KVRX_GetDeviceID, KVRX_Init,        KVRX_ResultStr,
        KVRX_VccOn,         KVRX_VccOff,      KVRX_RdRunTime,   KVRX_PortIn,
        KVRX_PortOut,       KVRX_PortMode,    i2cClockRate,     i2cRead,
        i2cWrite,           bo16,             KVRX_SimSetPart,  KVRX_SimAdvance,
        KVRX_SimSetTemperature, KVRX_SimPeek, KVRX_SimPoke,     KVRX_SimSetAttached,
        KVRX_SimEventInput, KVRX_SimSetPpm, KVRX_SimSetVoltage,
    };
    return api;
}
