/* A plain C client: loads libkvrx_usb.so by path and finds every operation
 * of the adapter ABI, then makes a few calls through the simulated board. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static const char* const kOperations[] = {
    "KVRX_GetNumDevices", "KVRX_GetDeviceID",   "KVRX_Init",           "KVRX_ResultStr",
    "KVRX_VccOn",         "KVRX_VccOff",        "KVRX_RdRunTime",      "KVRX_PortIn",
    "KVRX_PortOut",       "KVRX_PortMode",      "i2cClockRate",        "i2cRead",
    "i2cWrite",           "bo16",               "KVRX_SimSetPart",     "KVRX_SimAdvance",
    "KVRX_SimSetTemperature", "KVRX_SimPeek",   "KVRX_SimPoke",        "KVRX_SimSetAttached",
    "KVRX_SimEventInput", "KVRX_SimSetPpm",     "KVRX_SimSetVoltage",
};

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: abi_check LIBRARY\n");
        return 2;
    }
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (lib == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    int failed = 0;
    for (size_t i = 0; i < sizeof kOperations / sizeof kOperations[0]; ++i) {
        if (dlsym(lib, kOperations[i]) == NULL) {
            printf("missing: %s\n", kOperations[i]);
            ++failed;
        }
    }
    if (failed == 0) {
        int32_t (*count_boards)(uint32_t*) =
            (int32_t(*)(uint32_t*))dlsym(lib, "KVRX_GetNumDevices");
        uint16_t (*swap)(uint16_t) = (uint16_t(*)(uint16_t))dlsym(lib, "bo16");
        const char* (*text)(int32_t) = (const char* (*)(int32_t))dlsym(lib, "KVRX_ResultStr");
        uint32_t boards = 0;
        if (count_boards(&boards) != 0 || boards != 1) {
            printf("simulated board count: %u\n", boards);
            ++failed;
        }
        if (swap(0x1234) != 0x3412) {
            printf("bo16 does not swap\n");
            ++failed;
        }
        if (text(0) == NULL || strlen(text(4)) == 0) {
            printf("result texts missing\n");
            ++failed;
        }
    }
    dlclose(lib);
    printf("%d passed, %d failed\n", failed == 0 ? 1 : 0, failed);
    return failed == 0 ? 0 : 1;
}
