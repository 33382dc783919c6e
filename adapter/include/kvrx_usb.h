/* kvrx_usb: USB-I2C adapter library of the RTC evaluation board.
 *
 * Every operation returns a result code: 0 is success, every failure code has
 * non-zero low seven bits. KVRX_ResultStr() gives the text of any code.
 * The backend is chosen by the environment variable KVRX_BACKEND:
 * "sim" (the default, a simulated evaluation board) or "i2c-dev". The
 * library reads it, and the backend its own variables, once, at its first
 * call (KVRX_TestRestart aside).
 *
 * Boards are numbered from 1 (KVRX_GetNumDevices gives the highest number).
 * A board is opened with KVRX_Init(board, khz): khz is the I2C clock to start
 * with, in kHz (10 to 1000; 0 keeps the board's present clock, 100 kHz after
 * plug-in; anything else is KVRX_ERR_BAD_ARG and leaves the board closed).
 * Opening an open board again is fine. The supply, run time, port, clock and
 * bus operations need an open board (KVRX_ERR_NOT_OPEN otherwise). The chip
 * socket's supply is off until KVRX_VccOn; an unplugged board comes back
 * closed with its supply off.
 *
 * Bus transfers (i2cRead, i2cWrite):
 * - slave is the 8-bit write form of the address (0xD0 for the 7-bit 0x68);
 *   bit 0 is ignored, the library sets the read/write bit itself;
 * - subLen (0 to 3) low-order bytes of sub go out first, high byte first.
 *   A read sends them, then a repeated start and the reading address. With
 *   subLen 0 a read starts at the device's own register pointer, which a
 *   device leaves after the last byte of the previous transfer; a write with
 *   subLen 0 sends only buf, whose first bytes the device takes as its address;
 * - count is 0 to KVRX_MAX_TRANSFER bytes (more: KVRX_ERR_TOO_LONG); a write
 *   of 0 bytes with subLen 0 only asks whether the address is acknowledged.
 *   buf may be NULL only when count is 0, and a read's buf holds data only
 *   when the call succeeds. A call returns when its transfer is over.
 *
 * What a backend may answer with KVRX_ERR_NOT_SUPPORTED:
 * - i2c-dev: KVRX_VccOn and KVRX_VccOff unless KVRX_VCC_LINE names a GPIO
 *   line, KVRX_PortIn, KVRX_PortOut and KVRX_PortMode unless KVRX_PORT_LINES
 *   names lines (both with KVRX_GPIO_CHIP; they belong to board 1).
 * - every backend but the simulated board: all KVRX_Sim* controls.
 *
 * The i2c-dev backend's boards are the i2c-dev adapters of known USB-I2C
 * bridge drivers (CP2112, MCP2221, FT260, i2c-tiny-usb, DLN-2, CH341), or
 * exactly the buses KVRX_I2C_BUSES lists ("3,7"). Its identity text (from
 * KVRX_GetDeviceID, NUL-terminated) is the adapter's own name as the kernel
 * gives it, then the bridge's USB vendor and product ids, or that the bus is
 * named in KVRX_I2C_BUSES, then the device node, e.g.
 * "CP2112 SMBus Bridge on hidraw0 (USB 10c4:ea90) on /dev/i2c-5".
 * Its bus clock is set by the kernel driver: KVRX_Init's khz is checked but
 * changes nothing, and i2cClockRate keeps a valid rate and answers
 * KVRX_NOTE_CLOCK_FIXED. KVRX_RdRunTime counts from the board's opening. A
 * board whose bus has gone (unplugged, whatever error the transfer got) is
 * closed at that transfer, which answers KVRX_ERR_NOT_ATTACHED as every later
 * call does until a relisting finds it again and KVRX_Init opens it.
 */
#ifndef KVRX_USB_H
#define KVRX_USB_H

#include <stdint.h>

#if defined(_WIN32)
#define KVRX_API __declspec(dllexport)
#else
#define KVRX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: one per cause. */
enum {
    KVRX_OK = 0,
    KVRX_ERR_NO_ADAPTER = 1,      /* no adapter reachable */
    KVRX_ERR_NO_SUCH_BOARD = 2,   /* board number out of range */
    KVRX_ERR_NOT_OPEN = 3,        /* board not opened with KVRX_Init */
    KVRX_ERR_ADDR_NACK = 4,       /* slave address not acknowledged */
    KVRX_ERR_DATA_NACK = 5,       /* data byte not acknowledged */
    KVRX_ERR_BAD_ARG = 6,         /* argument out of range */
    KVRX_ERR_NOT_SUPPORTED = 7,   /* not supported by this adapter */
    KVRX_ERR_UNKNOWN_BACKEND = 8, /* KVRX_BACKEND names no backend */
    KVRX_ERR_NOT_ATTACHED = 9,    /* board unplugged */
    KVRX_ERR_TOO_LONG = 10,       /* count beyond one transfer */
    KVRX_ERR_UNKNOWN_PART = 11,   /* simulated socket: no such part */
    KVRX_ERR_IO = 12,             /* operating system I/O error */
    KVRX_ERR_BAD_MODE = 13,       /* call not valid in this clock mode */
    KVRX_ERR_NO_DEVICE = 14,      /* simulated board: no such device */
    KVRX_ERR_BAD_SETTING = 15,    /* simulated board: invalid KVRX_SIM_* variable */
    KVRX_ERR_TIMEOUT = 16,        /* transfer timed out: no answer or a hung bus */
    KVRX_ERR_PERMISSION = 17,     /* no access to the device node */
    KVRX_ERR_NACK = 18,           /* transfer not acknowledged (address or data) */
    KVRX_ERR_ARBITRATION = 19,    /* arbitration lost to another master */
    KVRX_ERR_BUS_BUSY = 20,       /* bus busy too long */
    KVRX_ERR_PROTOCOL = 21,       /* the chip or the bridge broke the protocol */
    KVRX_ERR_REJECTED = 22,       /* the bridge's driver refuses this transfer */
    KVRX_ERR_HW_SETTING = 23,     /* i2c-dev: invalid KVRX_I2C_BUSES or GPIO variable */
    KVRX_ERR_GPIO_CHIP = 24,      /* i2c-dev: the GPIO chip is not there, or not the bridge's */
    KVRX_ERR_GPIO_BUSY = 25,      /* i2c-dev: a GPIO line is held by another user */
    KVRX_ERR_GPIO_LINE = 26,      /* i2c-dev: the GPIO chip has no such line */

    /* Notes: the call did its work with a remark. Their low seven bits are 0,
     * so a caller that tests those bits takes them as success. */
    KVRX_NOTE_CLOCK_FIXED = 0x80 /* rate kept, but the bridge's driver fixes the clock */
};

/* Largest count one i2cRead / i2cWrite moves. */
#define KVRX_MAX_TRANSFER 256u

KVRX_API int32_t KVRX_GetNumDevices(uint32_t* count);
KVRX_API int32_t KVRX_GetDeviceID(uint32_t board, uint8_t* id); /* 256-byte buffer */
KVRX_API int32_t KVRX_Init(uint32_t board, uint32_t param);     /* param: bus clock in kHz */
KVRX_API const char* KVRX_ResultStr(int32_t code);
KVRX_API int32_t KVRX_VccOn(uint32_t board);
KVRX_API int32_t KVRX_VccOff(uint32_t board);
KVRX_API int32_t KVRX_RdRunTime(uint32_t board, uint32_t* seconds);
KVRX_API int32_t KVRX_PortIn(uint32_t board, uint8_t* value);
KVRX_API int32_t KVRX_PortOut(uint32_t board, uint8_t value);
KVRX_API int32_t KVRX_PortMode(uint32_t board, uint8_t mode);
KVRX_API int32_t i2cClockRate(uint32_t board, uint16_t khz); /* 10 to 1000 */
KVRX_API int32_t i2cRead(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                         uint32_t count);
KVRX_API int32_t i2cWrite(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                          const uint8_t* buf, uint32_t count);
KVRX_API uint16_t bo16(uint16_t value);

/* Simulated board controls; other backends answer KVRX_ERR_NOT_SUPPORTED.
 * KVRX_SimPeek and KVRX_SimPoke reach a byte of the chip in the socket directly,
 * without protection or side effects (a time register peeks as its current BCD
 * value; a poke of the seconds restarts the sub-second phase). A poke stores
 * the whole byte, but bits the part does not have (unnamed in its register
 * map) always read 0, through KVRX_SimPeek as on the bus. */
KVRX_API int32_t KVRX_SimSetPart(uint32_t board, const char* partName); /* "" empties the socket */
KVRX_API int32_t KVRX_SimAdvance(double seconds);                       /* manual clock only */
KVRX_API int32_t KVRX_SimSetTemperature(uint32_t board, double celsius);
KVRX_API int32_t KVRX_SimPeek(uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value);
KVRX_API int32_t KVRX_SimPoke(uint32_t board, uint8_t slave, uint32_t sub, uint8_t value);
KVRX_API int32_t KVRX_SimSetAttached(uint32_t board, int attached); /* plug and unplug */
KVRX_API int32_t KVRX_SimEventInput(uint32_t board, int level);     /* the chip's event input */
KVRX_API int32_t KVRX_SimSetPpm(uint32_t board, double ppm);        /* the chip's crystal error */

/* The board's supply level (what the chip gets while the supply is switched
 * on) or battery level, 0 to 6 V; 3.3 V and 3.0 V at start. The chip's
 * supervisor follows them: brown-out and low-battery flags against its trip
 * levels, the switch to the battery and back (with its time stamps), and
 * the TypeE reset output on port pin 2. */
enum { KVRX_SIM_SUPPLY = 0, KVRX_SIM_BATTERY = 1 };
KVRX_API int32_t KVRX_SimSetVoltage(uint32_t board, int which, double volts);

/* For test programs that run many cases in one process: puts the library
 * back as it was before its first call. The backend goes with everything it
 * held (open boards, simulated chips and their clock); the next call picks
 * the backend and reads the environment again, as a new process does.
 * Always KVRX_OK. No other call may run meanwhile, on any thread. A program
 * never needs it: the library reads the environment once, at its first call. */
KVRX_API int32_t KVRX_TestRestart(void);

#ifdef __cplusplus
}
#endif

#endif
