// The eleven families' differences, one table each. Register addresses and
// bits are those of the parts' register maps.
#include "FamilyTraits.h"

namespace kvrx::sim {

namespace {

using F = AlarmField;

constexpr TimeLayout dateFirst(HourForm form, Century century)
{
    return {0x00, 0, 1, 2, 3, 4, 5, 6, -1, form, century, 0};
}

constexpr TimeLayout weekdayFirst(HourForm form, Century century)
{
    return {0x00, 0, 1, 2, 4, 5, 6, 3, -1, form, century, 1};
}

// SC, MN, HR (MIL), DT, MO, YR, DW.
constexpr std::array<uint8_t, 8> kMilMasks = {0x7F, 0x7F, 0xBF, 0x3F, 0x1F, 0xFF, 0x07, 0x00};
// SC with ST, MN with OF, HR with CEB and CB, DW, DT, MO, YR.
constexpr std::array<uint8_t, 8> kStOfMasks = {0xFF, 0xFF, 0xFF, 0x07, 0x3F, 0x1F, 0xFF, 0x00};

constexpr std::array<AlarmField, 8> kSixFields = {F::Sec,   F::Min,     F::Hour, F::Date,
                                                  F::Month, F::Weekday, F::None, F::None};
constexpr std::array<AlarmField, 8> kThreeFields = {F::Min,  F::Hour, F::DayOrDate, F::None,
                                                    F::None, F::None, F::None,      F::None};

// FO3..FO0: code 0 gives the interrupt, then 32768 Hz down to 1/32 Hz.
constexpr std::array<double, 16> kSixteenRates = {
    kRateIrq, 32768, 4096, 1024,    64,      32,      16,       8, // codes 0..7
    4,        2,     1,    1.0 / 2, 1.0 / 4, 1.0 / 8, 1.0 / 16, 1.0 / 32};

// The one alarm at 0x0C..0x11 with ALME (bit 6 of 0x08) of the TypeA family and its kin.
constexpr AlarmTraits sixFieldAlarm(uint8_t statusReg)
{
    return {.base = 0x0C, .fields = kSixFields, .enable = {0x08, 0x40}, .flag = {statusReg, 0x04}};
}

constexpr FamilyTraits kTypeA = {
    .type = TypeA,
    .time = dateFirst(HourForm::MilBit7, Century::None),
    .timeMask = kMilMasks,
    .guard = Guard::WrtcBit,
    .wrtc = {0x07, 0x10},
    .status = {{{0x07, 0x0F, 0xD0}}}, // flags RTCF BAT ALM EVT; ARST XTOSCB WRTC
    .powerFail = {0x07, 0x01},
    .batteryFlag = {0x07, 0x02},
    .autoReset = {0x07, 0x80},
    .autoResetStatus = 0x07,
    .autoResetClears = 0x06,
    .haltBits = {{{0x07, 0x40}}}, // XTOSCB: no external oscillator on the board
    .alarms = {{sixFieldAlarm(0x07)}},
    .alarmCount = 1,
    // IM bit 7, FOBATB bit 4, FO3..FO0 bits 3..0 of 0x08.
    .output = {.wiring = PinWiring::IrqOrWave,
               .rate = {0x08, 0x0F},
               .rates = kSixteenRates,
               .offOnBattery = {0x08, 0x10},
               .pulseMode = {0x08, 0x80}},
    .analog = AnalogTrim::Signed6Battery,
    .analogReg = 0x0A,
    .digital = DigitalTrim::Steps20,
    .digitalReg = 0x0B,
};

constexpr FamilyTraits makeTypeB()
{
    FamilyTraits family = kTypeA;
    family.type = TypeB;
    return family;
}

constexpr FamilyTraits kTypeB = makeTypeB();

constexpr FamilyTraits kTypeC = {
    .type = TypeC,
    .time = weekdayFirst(HourForm::Always24, Century::CebCb),
    .timeMask = kStOfMasks,
    // No write enable: the time registers take every write. Bit 4 of the
    // status register is not a bit of this part.
    .status = {{{0x0B, 0x07, 0xE0}, {0x01, 0x80, 0x00}}}, // RTCF BAT ALM; ARST XSTOP RESEAL; OF
    .powerFail = {0x0B, 0x01},
    .oscStop = {0x01, 0x80},
    .batteryFlag = {0x0B, 0x02},
    .autoReset = {0x0B, 0x80},
    .autoResetStatus = 0x0B,
    .autoResetClears = 0x06,
    .haltBits = {{{0x0B, 0x40}, {0x00, 0x80}}}, // XSTOP, ST
    .reseal = {0x0B, 0x20},
    .alarms = {{sixFieldAlarm(0x0B)}},
    .alarmCount = 1,
    // The part has no interrupt output: its alarm only sets the flag.
    .output = {.wiring = PinWiring::OutFt},
    .outLevel = {0x07, 0x80},
    .freqTest = {0x07, 0x40},
    .analog = AnalogTrim::Signed6Battery,
    .analogReg = 0x0A,
    .digital = DigitalTrim::Fine6,
    .digitalReg = 0x07,
    .computed = {{{0x1F, Computed::SubSecHundredths}}},
    .alias = {0x09, 0x01, 0x80}, // the OF register shows the OF bit of MN
    .resets = {{{0x07, 0x80}}},  // OUT high: the output pin released
};

constexpr FamilyTraits kTypeD = {
    .type = TypeD,
    .time = dateFirst(HourForm::MilBit7, Century::None),
    .timeMask = kMilMasks,
    .guard = Guard::WrtcBit,
    .wrtc = {0x08, 0x40},
    .status = {{{0x07, 0x7F, 0x00}}}, // OSCF DSTADJ ALM LVDD LBAT85 LBAT75 RTCF; BUSY read-only
    .powerFail = {0x07, 0x01},
    .oscStop = {0x07, 0x40},
    .batteryFlag = {0x07, 0x08}, // LVDD: the supply fell below its trip level
    .lowBattery85 = {0x07, 0x04},
    .lowBattery75 = {0x07, 0x02},
    .batteryTripReg = 0x0A,
    .autoReset = {0x08, 0x80},
    .autoResetStatus = 0x07,
    .autoResetClears = 0x1E,
    .reseal = {0x0A, 0x40},
    .stampToBattery = 0x16,
    .stampToSupply = 0x1B,
    .stampClear = {0x09, 0x80},
    .alarms = {{{.base = 0x10, .fields = kSixFields, .flag = {0x07, 0x10}}}},
    .alarmCount = 1,
    // IM bit 5, FOBATB bit 4, FO3..FO0 bits 3..0 of 0x08.
    .output = {.wiring = PinWiring::IrqOrWave,
               .rate = {0x08, 0x0F},
               .rates = kSixteenRates,
               .offOnBattery = {0x08, 0x10},
               .pulseMode = {0x08, 0x20}},
    .analog = AnalogTrim::Initial,
    .analogReg = 0x0B,
    .digital = DigitalTrim::Initial,
    .digitalReg = 0x0B,
    .memory = UserMemory::Kind::Sram,
    .computed = {{{0x0E, Computed::FinalAnalogTrim},
                  {0x0F, Computed::FinalDigitalTrim},
                  {0x28, Computed::KelvinLow},
                  {0x29, Computed::KelvinHigh},
                  {0x2A, Computed::NetPpmLow},
                  {0x2B, Computed::NetPpmHigh}}},
    .resets = {{{0x0B, 0x20}}}, // initial analog trim at its middle (0 ppm)
    .dst = {0x20, 0x07, 0x20},  // DMF .. DHR at 0x20; DSTADJ bit 5 of SR
    .tempCompensation = true,
};

constexpr FamilyTraits kTypeE = {
    .type = TypeE,
    .addressBytes = 2,
    .time = {0x30, 0, 1, 2, 3, 4, 5, 6, 7, HourForm::MilBit7, Century::Y2kByte, 0},
    .timeCount = 8,
    .timeMask = {0x7F, 0x7F, 0xBF, 0x3F, 0x1F, 0xFF, 0x07, 0x39},
    .guard = Guard::WelRwel,
    .wrtc = {0x3F, 0x06},
    .status = {{{0x3F, 0xF1, 0x00}}}, // BAT AL1 AL0 OSCF RTCF; WEL and RWEL are latches
    .powerFail = {0x3F, 0x01},
    .oscStop = {0x3F, 0x10},
    .batteryFlag = {0x3F, 0x80},
    .alarms =
        {{{.base = 0x08,
           .fields = {F::Sec, F::Min, F::Hour, F::Date, F::Month, F::None, F::Weekday, F::None},
           .enable = {0x11, 0x40},
           .flag = {0x3F, 0x40}},
          {.base = 0x00,
           .fields = {F::Sec, F::Min, F::Hour, F::Date, F::Month, F::None, F::Weekday, F::None},
           .enable = {0x11, 0x20},
           .flag = {0x3F, 0x20}}}},
    .alarmCount = 2,
    // IM bit 7, FO1..FO0 bits 4..3 of 0x11: the interrupt, 32768 Hz, 4096 Hz, 1 Hz.
    .output = {.wiring = PinWiring::IrqOrWave,
               .rate = {0x11, 0x18},
               .rates = {kRateIrq, 32768, 4096, 1},
               .pulseMode = {0x11, 0x80}},
    .analog = AnalogTrim::Signed6,
    .analogReg = 0x12,
    .digital = DigitalTrim::StepsE,
    .digitalReg = 0x13,
    .memory = UserMemory::Kind::Eeprom,
    .blockProtect = {0x10, 0xE0},
    .keptFirst = 0x00,
    .keptLast = 0x27, // alarms, control and ID live in EEPROM cells
};

constexpr FamilyTraits kTypeF = {
    .type = TypeF,
    .time = dateFirst(HourForm::MilBit7, Century::None),
    .timeMask = kMilMasks,
    .status = {{{0x08, 0xFF, 0x00}, {0x09, 0x13, 0x00}}}, // BMODE .. RTCF; XOSCF ACFAIL ACRDY
    .powerFail = {0x08, 0x01},
    .oscStop = {0x09, 0x10},
    .batteryFlag = {0x08, 0x08}, // LVDD
    .batteryModeFlag = {0x08, 0x80},
    .lowBattery85 = {0x08, 0x04},
    .lowBattery75 = {0x08, 0x02},
    .batteryTripReg = 0x12,
    .autoReset = {0x0C, 0x80},
    .autoResetStatus = 0x08,
    .autoResetClears = 0x3E,
    .i2cInBattery = {0x11, 0x20},
    .stampToBattery = 0x29,
    .stampToSupply = 0x2E,
    .stampClear = {0x11, 0x80},
    .alarms =
        {{{.base = 0x23, .fields = kSixFields, .enable = {0x0C, 0x02}, .flag = {0x08, 0x20}},
          {.base = 0x1D, .fields = kSixFields, .enable = {0x0C, 0x01}, .flag = {0x08, 0x10}}}},
    .alarmCount = 2,
    // The IRQ and FOUT outputs share the net. FO2..FO0 of 0x0D: 32768, 16384, 8192,
    // 4096 Hz, the mains rate (AC5060, bit 7 of 0x13), 1 Hz, low, high; FOBATB bit 4.
    .output = {.wiring = PinWiring::IrqAndWave,
               .rate = {0x0D, 0x0F},
               .rates = {32768, 16384, 8192, 4096, kRateMains, 1, kRateLow, kRateHigh, kRateHigh,
                         kRateHigh, kRateHigh, kRateHigh, kRateHigh, kRateHigh, kRateHigh,
                         kRateHigh},
               .offOnBattery = {0x0D, 0x10},
               .pulseMode = {0x0C, 0x20},
               .mains60 = {0x13, 0x80}},
    .digital = DigitalTrim::Steps10,
    .digitalReg = 0x14,
    .memory = UserMemory::Kind::Sram,
    .computed = {{{0x07, Computed::SubSecTenths}}},
    .dst = {0x15, 0x08, 0x40}, // DMF .. DHR at 0x15; DSTADJ bit 6 of SRDC
};

constexpr FamilyTraits kTypeG = {
    .type = TypeG,
    .time = weekdayFirst(HourForm::TwelveBit6, Century::CentBit),
    .timeMask = {0x7F, 0x7F, 0x7F, 0x07, 0x3F, 0x9F, 0xFF, 0x00},
    .status = {{{0x0F, 0x83, 0x00}}}, // OSF A2F A1F
    .oscStop = {0x0F, 0x80},
    .haltBits = {{{0x0E, 0x80}}}, // /EOSC
    .haltSetsOscStop = true,
    .alarms = {{{.base = 0x07,
                 .fields = {F::Sec, F::Min, F::Hour, F::DayOrDate, F::None, F::None, F::None,
                            F::None},
                 .bit7Masks = true,
                 .hour = AlarmHour::Own12Bit6,
                 .armedAlways = true,
                 .flag = {0x0F, 0x01},
                 .irqEnable = {0x0E, 0x01}},
                {.base = 0x0B,
                 .fields = kThreeFields,
                 .bit7Masks = true,
                 .hour = AlarmHour::Own12Bit6,
                 .armedAlways = true,
                 .flag = {0x0F, 0x02},
                 .irqEnable = {0x0E, 0x02},
                 .onMinute = true}}},
    .alarmCount = 2,
    // RS2..RS1 bits 4..3 of 0x0E: 1, 4096, 8192, 32768 Hz; INTCN bit 2.
    .output = {.wiring = PinWiring::TwoPinInt,
               .rate = {0x0E, 0x18},
               .rates = {1, 4096, 8192, 32768},
               .irqSelect = {0x0E, 0x04}},
    .resets = {{{0x0E, 0x1C}}}, // INTCN set, square wave rate bits at their power-up value
};

constexpr FamilyTraits kTypeH = {
    .type = TypeH,
    .time = dateFirst(HourForm::MilBit7, Century::None),
    .timeMask = kMilMasks,
    .guard = Guard::WrtcBit,
    .wrtc = {0x07, 0x10},
    .status = {{{0x07, 0x0F, 0xD0}}}, // OSF A1F A2F PF; ARST XSTOP WRTC
    .powerFail = {0x07, 0x01},
    .oscStop = {0x07, 0x08},
    .autoReset = {0x07, 0x80},
    .autoResetStatus = 0x07,
    .autoResetClears = 0x06,
    .haltBits = {{{0x07, 0x40}}},
    .alarms = {{{.base = 0x0C,
                 .fields = kSixFields,
                 .hour = AlarmHour::Own24Bit6,
                 .enable = {0x08, 0x40},
                 .flag = {0x07, 0x04},
                 .irqEnable = {0x08, 0x01}},
                {.base = 0x12,
                 .fields = kThreeFields,
                 .hour = AlarmHour::Own24Bit6,
                 .enable = {0x08, 0x20},
                 .flag = {0x07, 0x02},
                 .onMinute = true,
                 .onPin = false}}},
    .alarmCount = 2,
    // FO1..FO0 bits 4..3 of 0x08: 1, 4096, 8192, 32768 Hz; IRQE (bit 2) puts alarm 1 on
    // the pin instead, with A1E (bit 0) as its interrupt enable.
    .output = {.wiring = PinWiring::IrqOrWave,
               .rate = {0x08, 0x18},
               .rates = {1, 4096, 8192, 32768},
               .irqSelect = {0x08, 0x04}},
};

constexpr FamilyTraits kTypeJ = {
    .type = TypeJ,
    .time = weekdayFirst(HourForm::Always24, Century::CebCb),
    .timeMask = kStOfMasks,
    .status = {{{0x07, 0x01, 0xFE}, {0x01, 0x80, 0x00}}}, // PF; OUT FT; OF in MN
    .powerFail = {0x07, 0x01},
    .oscStop = {0x01, 0x80},
    .haltBits = {{{0x00, 0x80}}}, // ST
    .output = {.wiring = PinWiring::OutFt},
    .outLevel = {0x07, 0x80},
    .freqTest = {0x07, 0x40},
    .resets = {{{0x07, 0x80}}}, // OUT high: the output pin released
};

constexpr FamilyTraits makeTypeK()
{
    FamilyTraits family = kTypeA;
    family.type = TypeK;
    family.timeMask[1] = 0xFF;                                  // MN bit 7 is the OF flag
    family.status = {{{0x07, 0x0F, 0xF0}, {0x01, 0x80, 0x00}}}; // RTCF BATT ALM TMR
    family.oscStop = {0x01, 0x80};
    family.reseal = {0x07, 0x20};
    family.digital = DigitalTrim::Fine6;
    family.computed = {{{0x1F, Computed::SubSecHundredths}}};
    // IM bit 7, FOBATB bit 4, IRQ2E bit 3, IRQ1E bit 2, FO1..FO0 bits 1..0 of 0x08.
    family.output = {.wiring = PinWiring::TwoPinTimer,
                     .rate = {0x08, 0x03},
                     .rates = {32768, 4096, 512, 1},
                     .irqSelect = {0x08, 0x04},
                     .irq2Timer = {0x08, 0x08},
                     .offOnBattery = {0x08, 0x10},
                     .pulseMode = {0x08, 0x80}};
    family.timer = {
        .control = 0x09, .initial = 0x12, .value = 0x13, .sub = 0x14, .flag = {0x07, 0x08}};
    return family;
}

constexpr FamilyTraits kTypeK = makeTypeK();

} // namespace

const FamilyTraits* familyTraits(PartType type)
{
    switch (type) {
    case TypeA:
        return &kTypeA;
    case TypeB:
        return &kTypeB;
    case TypeC:
        return &kTypeC;
    case TypeD:
        return &kTypeD;
    case TypeE:
        return &kTypeE;
    case TypeF:
        return &kTypeF;
    case TypeG:
        return &kTypeG;
    case TypeH:
        return &kTypeH;
    case TypeJ:
        return &kTypeJ;
    case TypeK:
        return &kTypeK;
    case TypeNone:
        break;
    }
    return nullptr;
}

} // namespace kvrx::sim
