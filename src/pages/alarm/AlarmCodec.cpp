#include "pages/alarm/AlarmCodec.h"

#include <cstdio>

#include "clock/TimeCodec.h"

using namespace AlarmCodec;

namespace {

// ---------------------------------------------------------------------------
// The page's part of the part choice. Each list hides before it shows: while
// a choice is applied the page never holds more than either state, and the
// fixed-size window never has to grow for a passing one.

constexpr ControlSetting kBase[] = {
    SetCaption("tsAlarm", "Alarm"),
    SetCaption("lblAlarm", "Alarm 1"),
    SetCaption("lblAlarm0", "Alarm 0"),
    SetCaption("Label39", "Alarm Bit (ALM)"),
    SetCaption("Label50", "Alarm Bit (ALM)"),
    SetCaption("cbALME", "Enable (ALME)"),
    SetCaption("cbALME0", "Enable (ALME)"),
    SetCaption("Label26", "Seconds (SCA)"),
    SetCaption("Label44", "Seconds (SCA)"),
    SetCaption("Label27", "Minutes (MNA)"),
    SetCaption("Label45", "Minutes (MNA)"),
    SetCaption("Label28", "Hours (HRA)"),
    SetCaption("Label46", "Hours (HRA)"),
    SetCaption("Label29", "Day (DTA)"),
    SetCaption("Label47", "Day (DTA)"),
    SetCaption("Label30", "Month (MOA)"),
    SetCaption("Label48", "Month (MOA)"),
    SetCaption("Label31", "Day of Week (DWA)"),
    SetCaption("Label49", "Day of Week (DWA)"),
    SetItems("aWeek", kWeekFromZero),
    SetItems("aWeek0", kWeekFromZero),
    Hide("GBox_AlarmModes"),
    Hide("Label97"),
    Hide("Label98"),
    Hide("Label113"),
    Hide("Label114"),
    Show("cbALME"),
    Show("cbALME0"),
    Show("cbIM"),
    Show("cbIM0"),
    Show("GroupBox11"),
    Show("GroupBox31"),
    Show("Label30"),
    Show("aMonth"),
    Show("Label44"),
    Show("aSeconds0"),
    Show("Label48"),
    Show("aMonth0"),
    SelectItem("aSeconds", 0),
    SelectItem("aMinutes", 0),
    SelectItem("aHours", 0),
    SelectItem("aDay", 0),
    SelectItem("aMonth", 0),
    SelectItem("aWeek", 0),
    SelectItem("aSeconds0", 0),
    SelectItem("aMinutes0", 0),
    SelectItem("aHours0", 0),
    SelectItem("aDay0", 0),
    SelectItem("aMonth0", 0),
    SelectItem("aWeek0", 0),
};

// The one-alarm families hide the second alarm: its heading, groups and buttons.
constexpr ControlSetting kNoneAB[] = {
    Hide("lblAlarm0"),      Hide("GroupBox31"),  Hide("GroupBox32"),  Hide("GroupBox33"),
    Hide("BtnWriteAlarm0"), Hide("BtnRdAlarm0"), Show("BtnClrAlarm"),
};

constexpr ControlSetting kTypeE[] = {
    Hide("BtnClrAlarm"), Hide("BtnClrAlarm0"),   Show("lblAlarm0"),   Show("GroupBox32"),
    Show("GroupBox33"),  Show("BtnWriteAlarm0"), Show("BtnRdAlarm0"),
};

constexpr ControlSetting kTypeC[] = {
    SetItems("aWeek", kWeekFromOne),
    SetItems("aWeek0", kWeekFromOne),
    Hide("cbIM"),
    Hide("lblAlarm0"),
    Hide("GroupBox31"),
    Hide("GroupBox32"),
    Hide("GroupBox33"),
    Hide("BtnWriteAlarm0"),
    Hide("BtnRdAlarm0"),
    Show("BtnClrAlarm"),
    SelectItem("aWeek", 0),
    SelectItem("aWeek0", 0),
};

constexpr ControlSetting kTypeD[] = {
    Hide("cbALME"),     Hide("lblAlarm0"),      Hide("GroupBox31"),  Hide("GroupBox32"),
    Hide("GroupBox33"), Hide("BtnWriteAlarm0"), Hide("BtnRdAlarm0"), Show("BtnClrAlarm"),
};

constexpr ControlSetting kTypeF[] = {
    SetCaption("cbALME", "Enable (ALE1)"),
    SetCaption("cbALME0", "Enable (ALE0)"),
    SetCaption("Label26", "Seconds (A1SC)"),
    SetCaption("Label44", "Seconds (A0SC)"),
    SetCaption("Label27", "Minutes (A1MN)"),
    SetCaption("Label45", "Minutes (A0MN)"),
    SetCaption("Label28", "Hours (A1HR)"),
    SetCaption("Label46", "Hours (A0HR)"),
    SetCaption("Label29", "Day (A1DTW)"),
    SetCaption("Label47", "Day (A0DTW)"),
    SetCaption("Label30", "Month (A1MO)"),
    SetCaption("Label48", "Month (A0MO)"),
    SetCaption("Label31", "Day of Week (A1DW)"),
    SetCaption("Label49", "Day of Week (A0DW)"),
    Show("lblAlarm0"),
    Show("GroupBox32"),
    Show("GroupBox33"),
    Show("BtnClrAlarm"),
    Show("BtnClrAlarm0"),
    Show("BtnWriteAlarm0"),
    Show("BtnRdAlarm0"),
    SelectItem("aSeconds", 0),
    SelectItem("aMinutes", 0),
    SelectItem("aHours", 0),
    SelectItem("aDay", 0),
    SelectItem("aMonth", 0),
    SelectItem("aWeek", 0),
    SelectItem("aSeconds0", 0),
    SelectItem("aMinutes0", 0),
    SelectItem("aHours0", 0),
    SelectItem("aDay0", 0),
    SelectItem("aMonth0", 0),
    SelectItem("aWeek0", 0),
};

constexpr ControlSetting kTypeG[] = {
    SetCaption("tsAlarm", "Alarm && IRQ"),
    SetCaption("Label39", "Alarm Bit (A1F)"),
    SetCaption("Label50", "Alarm Bit (A2F)"),
    SetCaption("cbALME", "Enable (ALM1E)"),
    SetCaption("cbALME0", "Enable (ALM2E)"),
    SetCaption("lblAlarm", "Alarm 1"),
    SetCaption("lblAlarm0", "Alarm 2"),
    SetCaption("Label26", "Seconds (A1SC)"),
    SetCaption("Label44", "Seconds (A2SC)"),
    SetCaption("Label27", "Minutes (A1MN)"),
    SetCaption("Label45", "Minutes (A2MN)"),
    SetCaption("Label28", "Hours (A1HR)"),
    SetCaption("Label46", "Hours (A2HR)"),
    SetCaption("Label29", "Day (A1DW)"),
    SetCaption("Label47", "Day (A2DW)"),
    SetCaption("Label31", "Day of Week (A1DW)"),
    SetCaption("Label49", "Day of Week (A2DW)"),
    SetItems("aWeek", kWeekFromOne),
    SetItems("aWeek0", kWeekFromOne),
    Hide("GroupBox11"),
    Hide("GroupBox31"),
    Hide("Label44"),
    Hide("aSeconds0"),
    Hide("Label30"),
    Hide("aMonth"),
    Hide("Label48"),
    Hide("aMonth0"),
    Show("GBox_AlarmModes"),
    Show("Label97"),
    Show("Label98"),
    Show("Label113"),
    Show("Label114"),
    Show("lblAlarm0"),
    Show("GroupBox32"),
    Show("GroupBox33"),
    Show("BtnClrAlarm"),
    Show("BtnClrAlarm0"),
    Show("BtnWriteAlarm0"),
    Show("BtnRdAlarm0"),
    SelectItem("aSeconds", 1),
    SelectItem("aMinutes", 1),
    SelectItem("aHours", 1),
    SelectItem("aDay", 1),
    SelectItem("aMonth", 1),
    SelectItem("aWeek", 1),
    SelectItem("aSeconds0", 1),
    SelectItem("aMinutes0", 1),
    SelectItem("aHours0", 1),
    SelectItem("aDay0", 1),
    SelectItem("aMonth0", 1),
    SelectItem("aWeek0", 1),
};

constexpr ControlSetting kTypeH[] = {
    SetCaption("Label39", "Alarm Bit (A1F)"),
    SetCaption("Label50", "Alarm Bit (A2F)"),
    SetCaption("cbALME", "Enable (ALM1E)"),
    SetCaption("cbALME0", "Enable (ALM2E)"),
    SetCaption("lblAlarm", "Alarm 1"),
    SetCaption("lblAlarm0", "Alarm 2"),
    SetCaption("Label26", "Seconds (A1SC)"),
    SetCaption("Label44", "Seconds (A2SC)"),
    SetCaption("Label27", "Minutes (A1MN)"),
    SetCaption("Label45", "Minutes (A2MN)"),
    SetCaption("Label28", "Hours (A1HR)"),
    SetCaption("Label46", "Hours (A2HR)"),
    SetCaption("Label29", "Day (A1DT)"),
    SetCaption("Label47", "Day (A2DT)"),
    SetCaption("Label30", "Month (A1MO)"),
    SetCaption("Label48", "Month (A2MO)"),
    SetCaption("Label31", "Day of Week (A1DW)"),
    SetCaption("Label49", "Day of Week (A2DW)"),
    Hide("GBox_AlarmModes"),
    Hide("cbIM"),
    Hide("cbIM0"),
    Hide("Label44"),
    Hide("aSeconds0"),
    Hide("Label48"),
    Hide("aMonth0"),
    Show("Label97"),
    Show("Label98"),
    Show("Label114"),
    Show("lblAlarm0"),
    Show("GroupBox32"),
    Show("GroupBox33"),
    Show("BtnClrAlarm"),
    Show("BtnClrAlarm0"),
    Show("BtnWriteAlarm0"),
    Show("BtnRdAlarm0"),
    Show("Label30"),
    Show("aMonth"),
};

// VK382 has no alarm and its page stays hidden; its block still sets these.
constexpr ControlSetting kTypeJ[] = {
    SetCaption("lblAlarm", "Alarm 1"),
    SetCaption("lblAlarm0", "Alarm 2"),
    Hide("GBox_AlarmModes"),
    Hide("Label44"),
    Hide("aSeconds0"),
    Hide("Label30"),
    Hide("aMonth"),
    Hide("Label48"),
    Hide("aMonth0"),
    Show("lblAlarm0"),
    Show("GroupBox32"),
    Show("GroupBox33"),
    Show("BtnClrAlarm"),
    Show("BtnWriteAlarm0"),
    Show("BtnRdAlarm0"),
};

constexpr ControlSetting kVK390[] = {
    Hide("lblAlarm0"),      Hide("GroupBox31"),  Hide("GroupBox32"), Hide("GroupBox33"),
    Hide("BtnWriteAlarm0"), Hide("BtnRdAlarm0"), Show("cbIM"),       Show("BtnClrAlarm"),
};

// ---------------------------------------------------------------------------
// Layouts

using B = AlarmByte;

constexpr std::array<AlarmByte, 9> kSix = {B::Seconds, B::Minutes, B::Hours, B::Date,
                                           B::Month,   B::Weekday, B::Keep,  B::Keep};
// TypeE: a reserved byte before the day of week and the Y2K byte after it.
constexpr std::array<AlarmByte, 9> kSixE = {B::Seconds, B::Minutes, B::Hours, B::Date, B::Month,
                                            B::Keep,    B::Weekday, B::Keep,  B::Keep};
constexpr std::array<AlarmByte, 9> kFourG = {B::Seconds, B::Minutes, B::Hours, B::DayOrDate};
constexpr std::array<AlarmByte, 9> kThree = {B::Minutes, B::Hours, B::DayOrDate};

constexpr AlarmLayout sixField(PartType type, uint8_t status)
{
    return {.Type = type,
            .Control = 0x08,
            .ImBit = 0x80,
            .EnableBit = 0x40,
            .Block = 0x0C,
            .WriteCount = 6,
            .ReadCount = 6,
            .FirstTransfer = 6,
            .Bytes = kSix,
            .HasFlag = true,
            .Status = status,
            .StatusSet = 0x0F,
            .Flag = 0x04};
}

constexpr AlarmLayout kLayouts[] = {
    sixField(TypeA, 0x07),
    sixField(TypeB, 0x07),
    sixField(TypeK, 0x07),
    // The clock counts 24 hours only and the week from Sunday = 1; the block
    // goes as 4 bytes and then 2.
    {.Type = TypeC,
     .Control = 0x08,
     .EnableBit = 0x40,
     .Block = 0x0C,
     .WriteCount = 6,
     .ReadCount = 6,
     .FirstTransfer = 4,
     .Bytes = kSix,
     .Coding = AlarmCoding::SundayOne,
     .Hours = AlarmHours::Always24,
     .HasFlag = true,
     .Status = 0x0B,
     .StatusSet = 0x0F,
     .Flag = 0x04},
    // No enable bit: the alarm is on while a field is compared.
    {.Type = TypeD,
     .Control = 0x08,
     .ImBit = 0x20,
     .Block = 0x10,
     .WriteCount = 6,
     .ReadCount = 6,
     .FirstTransfer = 6,
     .Bytes = kSix,
     .HasFlag = true,
     .Status = 0x07,
     .StatusSet = 0xFF,
     .Flag = 0x10},
    // Read as 9 bytes, through 0x10.
    {.Type = TypeE,
     .Control = 0x11,
     .ImBit = 0x80,
     .EnableBit = 0x40,
     .Block = 0x08,
     .WriteCount = 8,
     .ReadCount = 9,
     .FirstTransfer = 9,
     .Bytes = kSixE,
     .ClockHour = 0x32},
    {.Type = TypeE,
     .Number = 2,
     .Control = 0x11,
     .ImBit = 0x80,
     .EnableBit = 0x20,
     .Block = 0x00,
     .WriteCount = 8,
     .ReadCount = 8,
     .FirstTransfer = 8,
     .Bytes = kSixE,
     .ClockHour = 0x32},
    {.Type = TypeF,
     .Control = 0x0C,
     .ImBit = 0x20,
     .EnableBit = 0x02,
     .Block = 0x23,
     .WriteCount = 6,
     .ReadCount = 6,
     .FirstTransfer = 6,
     .Bytes = kSix,
     .HasFlag = true,
     .Status = 0x08,
     .StatusSet = 0xFF,
     .Flag = 0x20},
    {.Type = TypeF,
     .Number = 2,
     .Control = 0x0C,
     .ImBit = 0x20,
     .EnableBit = 0x01,
     .Block = 0x1D,
     .WriteCount = 6,
     .ReadCount = 6,
     .FirstTransfer = 6,
     .Bytes = kSix,
     .HasFlag = true,
     .Status = 0x08,
     .StatusSet = 0x0F,
     .Flag = 0x10},
    {.Type = TypeG,
     .Control = kIrqUsageRegister,
     .IrqUsageControl = true,
     .WriteNeedsControl = true,
     .Block = 0x07,
     .WriteCount = 4,
     .ReadCount = 4,
     .FirstTransfer = 4,
     .Bytes = kFourG,
     .Coding = AlarmCoding::MaskBit7,
     .Hours = AlarmHours::Own12Bit6,
     .HasFlag = true,
     .Status = 0x0F,
     .StatusSet = 0x83,
     .Flag = 0x01},
    {.Type = TypeG,
     .Number = 2,
     .Control = kIrqUsageRegister,
     .IrqUsageControl = true,
     .WriteNeedsControl = true,
     .Block = 0x0B,
     .WriteCount = 3,
     .ReadCount = 3,
     .FirstTransfer = 3,
     .Bytes = kThree,
     .Coding = AlarmCoding::MaskBit7,
     .Hours = AlarmHours::Own12Bit6,
     .HasFlag = true,
     .Status = 0x0F,
     .StatusSet = 0xFF,
     .Flag = 0x02},
    {.Type = TypeH,
     .Control = 0x08,
     .EnableBit = 0x40,
     .Block = 0x0C,
     .WriteCount = 6,
     .ReadCount = 6,
     .FirstTransfer = 6,
     .Bytes = kSix,
     .Coding = AlarmCoding::Hour24Bit6,
     .Hours = AlarmHours::Own24Bit6,
     .HasFlag = true,
     .Status = 0x07,
     .StatusSet = 0x0F,
     .Flag = 0x04},
    {.Type = TypeH,
     .Number = 2,
     .Control = 0x08,
     .EnableBit = 0x20,
     .WriteNeedsControl = true,
     .Block = 0x12,
     .WriteCount = 3,
     .ReadCount = 3,
     .FirstTransfer = 3,
     .Bytes = kThree,
     .Coding = AlarmCoding::Hour24Bit6,
     .Hours = AlarmHours::Own24Bit6,
     .HasFlag = true,
     .Status = 0x07,
     .StatusSet = 0x0F,
     .Flag = 0x02},
};

uint8_t bcd(int value)
{
    return static_cast<uint8_t>(BinToBcd(static_cast<uint32_t>(value), 8));
}

bool inList(int index, int count)
{
    return index >= 1 && index < count;
}

// An index the list has, or -1 (no selection).
int listIndex(int index, int count)
{
    return index >= 0 && index < count ? index : -1;
}

bool masks(const AlarmLayout& layout)
{
    return layout.Coding == AlarmCoding::MaskBit7;
}

// The byte of a field that is compared with the value `code`, or ignored.
uint8_t field(const AlarmLayout& layout, std::optional<uint8_t> code)
{
    if (masks(layout)) return code ? *code : 0x80;
    return code ? static_cast<uint8_t>(0x80 | *code) : 0x00;
}

uint8_t hourByte(const AlarmLayout& layout, int n)
{
    switch (layout.Coding) {
    case AlarmCoding::EnableBit7:
        return HourAlarmCode(n);
    case AlarmCoding::SundayOne: {
        // The chip compares the alarm hour with its 24-hour clock, so a
        // 12-hour entry goes as the same hour in 24-hour form.
        const int hour = HourOfTwelveHourItem(n);
        return hour >= 0 ? static_cast<uint8_t>(0x80 | bcd(hour)) : HourAlarmCode(n);
    }
    case AlarmCoding::MaskBit7:
        if (n < 1 || n >= kHourEmpty) return 0x80;
        return static_cast<uint8_t>((HourAlarmCode(n) & 0x7F) | (n >= kHourFirst12 ? 0x40 : 0));
    case AlarmCoding::Hour24Bit6:
        if (n < kHourFirst12) return static_cast<uint8_t>(HourAlarmCode(n) | 0x40);
        return static_cast<uint8_t>(HourAlarmCode(n) & ~0x40);
    }
    return 0x00;
}

uint8_t dayOrDateByte(const AlarmLayout& layout, const AlarmFields& f)
{
    if (inList(f.Date, kDateItems)) return field(layout, bcd(f.Date));
    if (inList(f.Weekday, kWeekItems)) {
        // The Sunday-is-1 list's index is the chip's day; the other list's is one more.
        const int day = masks(layout) ? f.Weekday : f.Weekday - 1;
        return field(layout, static_cast<uint8_t>(0x40 | bcd(day)));
    }
    return field(layout, std::nullopt);
}

bool enabled(const AlarmLayout& layout, uint8_t v)
{
    return masks(layout) ? (v & 0x80) == 0 : (v & 0x80) != 0;
}

std::optional<int> hourIndex(const AlarmLayout& layout, uint8_t v, std::optional<uint8_t> clockHour)
{
    if (!enabled(layout, v)) return kHourIgnore;
    switch (layout.Hours) {
    case AlarmHours::ClockMil:
        if (!clockHour) return std::nullopt;
        return (*clockHour & 0x80) ? HourIndex24(v) : HourIndex12(v);
    case AlarmHours::Always24:
        return HourIndex24(v);
    case AlarmHours::Own12Bit6:
        return (v & 0x40) ? HourIndex12(v) : HourIndex24(v);
    case AlarmHours::Own24Bit6:
        return (v & 0x40) ? HourIndex24(v) : HourIndex12(v);
    }
    return -1;
}

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kAlarmPageSettings = {
    kBase,
    {kNoneAB, kTypeE, kTypeC, kTypeD, kTypeF, kTypeG, kTypeH, kTypeJ, kVK390},
};

namespace {
using S = StatusSource;
constexpr LampBit kAlarmBits[] = {
    {{TypeNone, TypeA, TypeB, TypeC, TypeH, TypeK}, S::Main0, 2},
    {{TypeE}, S::Main0, 6},
    {{TypeD}, S::Main0, 4},
    {{TypeF}, S::Main0, 5},
    {{TypeG}, S::Main0, 0},
};
constexpr LampBit kAlarm0Bits[] = {
    {{TypeE}, S::Main0, 5},
    {{TypeF}, S::Main0, 4},
    {{TypeG, TypeH}, S::Main0, 1},
};
constexpr uint8_t kOff = OffWhenPollingStops | OffWhenReadFails | OffWhenClosed;
} // namespace

const std::array<StatusLamp, 2> kAlarmLamps = {
    {{"LedAlarm", kAlarmBits, kOff}, {"LedAlarm0", kAlarm0Bits, kOff}}};

// ---------------------------------------------------------------------------
// Hours

uint8_t HourAlarmCode(int n)
{
    if (n >= 1 && n <= 24) return static_cast<uint8_t>(0x80 | bcd(n - 1));
    if (n == kHourFirst12) return 0x92;
    if (n >= 26 && n <= 36) return static_cast<uint8_t>(0x80 | bcd(n - 25));
    if (n == 37) return 0xB2;
    if (n >= 38 && n <= 48) return static_cast<uint8_t>(0xA0 | bcd(n - 37));
    return 0x00;
}

int HourOfTwelveHourItem(int n)
{
    if (n >= kHourFirst12 && n <= 36) return n - kHourFirst12; // 12 AM is hour 0
    if (n >= 37 && n <= 48) return n - 25;                     // 12 PM is hour 12
    return -1;
}

int HourIndex24(uint8_t v)
{
    const int h = v & 0x3F;
    if ((h & 0x0F) > 9 || h > 0x23) return -1;
    return BcdToBin(static_cast<unsigned>(h)) + 1;
}

int HourIndex12(uint8_t v)
{
    const int h = v & 0x3F;
    const bool pm = (h & 0x20) != 0;
    const int digits = h & 0x1F;
    if ((digits & 0x0F) > 9 || digits > 0x12 || digits == 0) return -1;
    const int hour = BcdToBin(static_cast<unsigned>(digits)); // 1..12
    if (hour == 12) return pm ? 37 : kHourFirst12;
    return (pm ? 37 : kHourFirst12) + hour;
}

namespace AlarmCodec {

// ---------------------------------------------------------------------------
// Lists

std::vector<std::string> SecondItems()
{
    std::vector<std::string> items{"Ignore"};
    char text[12];
    for (int i = 0; i < 60; ++i) {
        std::snprintf(text, sizeof text, "%02d", i);
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::string> HourItems()
{
    std::vector<std::string> items{"Ignore"};
    char text[16];
    for (int h = 0; h < 24; ++h) {
        std::snprintf(text, sizeof text, "%02d MIL", h);
        items.emplace_back(text);
    }
    for (const char* half : {"AM", "PM"}) {
        for (int h = 0; h < 12; ++h) {
            std::snprintf(text, sizeof text, "%02d %s", h == 0 ? 12 : h, half);
            items.emplace_back(text);
        }
    }
    items.emplace_back();
    return items;
}

std::vector<std::string> DateItems()
{
    std::vector<std::string> items{"Ignore"};
    char text[12];
    for (int d = 1; d <= 31; ++d) {
        std::snprintf(text, sizeof text, "%02d", d);
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::string> MonthItems()
{
    return {"Ignore", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
            "Jly",    "Aug", "Sep", "Oct", "Nov", "Dec"};
}

// ---------------------------------------------------------------------------
// Layouts and codes

const AlarmLayout* FindAlarmLayout(PartType type, int number)
{
    for (const AlarmLayout& layout : kLayouts) {
        if (layout.Type == type && layout.Number == number) return &layout;
    }
    return nullptr;
}

AlarmFields OneOfDayOrDate(const AlarmLayout& layout, AlarmFields fields)
{
    for (AlarmByte byte : layout.Bytes) {
        if (byte == AlarmByte::DayOrDate && inList(fields.Date, kDateItems)) fields.Weekday = 0;
    }
    return fields;
}

void EncodeBlock(const AlarmLayout& layout, const AlarmFields& fields, uint8_t* block)
{
    const AlarmFields f = OneOfDayOrDate(layout, fields);
    const bool fromOne = layout.Coding == AlarmCoding::SundayOne;
    for (int i = 0; i < layout.WriteCount; ++i) {
        std::optional<uint8_t> code;
        switch (layout.Bytes[static_cast<size_t>(i)]) {
        case AlarmByte::Keep:
            continue;
        case AlarmByte::Seconds:
            if (inList(f.Seconds, kMinuteItems)) code = bcd(f.Seconds - 1);
            block[i] = field(layout, code);
            break;
        case AlarmByte::Minutes:
            if (inList(f.Minutes, kMinuteItems)) code = bcd(f.Minutes - 1);
            block[i] = field(layout, code);
            break;
        case AlarmByte::Hours:
            block[i] = hourByte(layout, f.Hours);
            break;
        case AlarmByte::Date:
            if (inList(f.Date, kDateItems)) code = bcd(f.Date);
            block[i] = field(layout, code);
            break;
        case AlarmByte::Month:
            if (inList(f.Month, kMonthItems)) code = bcd(f.Month);
            block[i] = field(layout, code);
            break;
        case AlarmByte::Weekday:
            if (inList(f.Weekday, kWeekItems)) code = bcd(fromOne ? f.Weekday : f.Weekday - 1);
            block[i] = field(layout, code);
            break;
        case AlarmByte::DayOrDate:
            block[i] = dayOrDateByte(layout, f);
            break;
        }
    }
}

ShownFields DecodeBlock(const AlarmLayout& layout, const uint8_t* block,
                        std::optional<uint8_t> clockHour)
{
    ShownFields shown;
    bool hasSeconds = false;
    bool hasMonth = false;
    for (int i = 0; i < layout.ReadCount; ++i) {
        const uint8_t v = block[i];
        const bool on = enabled(layout, v);
        switch (layout.Bytes[static_cast<size_t>(i)]) {
        case AlarmByte::Keep:
            break;
        case AlarmByte::Seconds:
            hasSeconds = true;
            shown.Seconds = on ? listIndex(BcdToBin(v & 0x7F) + 1, kMinuteItems) : 0;
            break;
        case AlarmByte::Minutes:
            shown.Minutes = on ? listIndex(BcdToBin(v & 0x7F) + 1, kMinuteItems) : 0;
            break;
        case AlarmByte::Hours:
            shown.Hours = hourIndex(layout, v, clockHour);
            break;
        case AlarmByte::Date:
            shown.Date = on ? listIndex(BcdToBin(v & 0x3F), kDateItems) : 0;
            break;
        case AlarmByte::Month:
            hasMonth = true;
            shown.Month = on ? listIndex(BcdToBin(v & 0x1F), kMonthItems) : 0;
            break;
        case AlarmByte::Weekday: {
            const int day = BcdToBin(v & 0x07);
            const bool fromOne = layout.Coding == AlarmCoding::SundayOne;
            shown.Weekday = on ? listIndex(fromOne ? day : day + 1, kWeekItems) : 0;
            break;
        }
        case AlarmByte::DayOrDate:
            shown.Date = 0;
            shown.Weekday = 0;
            if (!on) break;
            if (v & 0x40) {
                const int day = BcdToBin(v & 0x07);
                shown.Weekday = listIndex(masks(layout) ? day : day + 1, kWeekItems);
            } else {
                shown.Date = listIndex(BcdToBin(v & 0x3F), kDateItems);
            }
            break;
        }
    }
    if (!hasSeconds) shown.Seconds = 0;
    if (!hasMonth) shown.Month.reset();
    return shown;
}

uint8_t WithModeBits(const AlarmLayout& layout, uint8_t control, bool im, bool enable)
{
    uint8_t byte = static_cast<uint8_t>(control & ~(layout.ImBit | layout.EnableBit));
    if (im) byte |= layout.ImBit;
    if (enable) byte |= layout.EnableBit;
    return byte;
}

ModeBits ModeBitsOf(const AlarmLayout& layout, uint8_t control)
{
    ModeBits bits;
    if (layout.ImBit != 0) bits.Im = (control & layout.ImBit) != 0;
    if (layout.EnableBit != 0) bits.Enable = (control & layout.EnableBit) != 0;
    return bits;
}

uint8_t ClearedStatus(const AlarmLayout& layout, uint8_t status)
{
    return static_cast<uint8_t>((status | layout.StatusSet) & ~layout.Flag);
}

int IrqUsageOf(uint8_t control)
{
    return control & kIrqUsageMask;
}

uint8_t WithIrqUsage(uint8_t control, int choice)
{
    return static_cast<uint8_t>((control & ~kIrqUsageMask) | (choice & kIrqUsageMask));
}

} // namespace AlarmCodec
