#include "pages/dst/DstCodec.h"

#include <cstdio>

#include "clock/TimeCodec.h"
#include "pages/alarm/AlarmCodec.h"

namespace {

// ---------------------------------------------------------------------------
// The page's part of the part choice.

constexpr ControlSetting kBase[] = {
    SetCaption("Label63", "Month (MOA)"),
    SetCaption("Label69", "Month (MOA)"),
    SetCaption("Label64", "Day of Week (DWA)"),
    SetCaption("Label70", "Day of Week (DWA)"),
    SetCaption("Label62", "Date (DTA)"),
    SetCaption("Label68", "Date (DTA)"),
    SetCaption("Label61", "Hours (HRA)"),
    SetCaption("Label67", "Hours (HRA)"),
    SetCaption("chkDSTDOWFOR", "Day of Week Enable"),
    SetCaption("chkDSTDOWREV", "Day of Week Enable"),
    Hide("Label80"),
    Hide("Label81"),
    Hide("cboWKForward"),
    Hide("cboWeekReverse"),
};

// TypeD and TypeF alike.
constexpr ControlSetting kDaylightSaving[] = {
    Show("tsDST"),
    SetCaption("Label63", "Month (DMF)"),
    SetCaption("Label69", "Month (DMR)"),
    SetCaption("Label64", "Day of Week (DDWF)"),
    SetCaption("Label70", "Day of Week (DDWR)"),
    SetCaption("Label62", "Date (DDTF)"),
    SetCaption("Label68", "Date (DDTR)"),
    SetCaption("Label61", "Hours (DHF)"),
    SetCaption("Label67", "Hours (DHR)"),
    SetCaption("chkDSTDOWFOR", "Select Week/Day of Week vs. Date"),
    SetCaption("chkDSTDOWREV", "Select Week/Day of Week vs. Date"),
    Show("cboWKForward"),
    Show("cboWeekReverse"),
    Show("Label80"),
    Show("Label81"),
    SetItems("cboWKForward", DstCodec::kWeekList),
    SetItems("cboWeekReverse", DstCodec::kWeekList),
    SelectItem("cboWKForward", 0),
    SelectItem("cboWeekReverse", 0),
};

// The value of a packed-BCD byte; -1 when a digit is above 9.
int bcdValue(uint8_t v)
{
    if ((v & 0x0F) > 9 || (v >> 4) > 9) return -1;
    return BcdToBin(v);
}

uint8_t bcd(int value)
{
    return static_cast<uint8_t>(BinToBcd(static_cast<uint32_t>(value), 8));
}

int indexIn(int value, int items)
{
    return value >= 0 && value < items ? value : -1;
}

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390. Only TypeD and
// TypeF show the page.
const PageSettingsTable kDstPageSettings = {
    kBase,
    {SettingList(), SettingList(), SettingList(), kDaylightSaving, kDaylightSaving, SettingList(),
     SettingList(), SettingList(), SettingList()},
};

namespace {
constexpr LampBit kDstChangeBits[] = {{{TypeD}, StatusSource::Main0, 5},
                                      {{TypeF}, StatusSource::Main0, 6}};
} // namespace

const std::array<StatusLamp, 1> kDstLamps = {{{"CBSLedDSTCHNG", kDstChangeBits}}};

namespace DstCodec {

std::optional<uint8_t> BlockStart(PartType type)
{
    if (type == TypeD) return 0x20;
    if (type == TypeF) return 0x15;
    return std::nullopt;
}

std::vector<std::string> DateItems()
{
    std::vector<std::string> items{"--"};
    char text[12];
    for (int d = 1; d <= 31; ++d) {
        std::snprintf(text, sizeof text, "%02d", d);
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::string> HourItems()
{
    // The alarm hour list's order, "----" at both ends.
    std::vector<std::string> items = AlarmCodec::HourItems();
    items.front() = "----";
    items.back() = "----";
    return items;
}

uint8_t MonthBits(int index, uint8_t chip)
{
    if (index < 0 || index >= kMonthItems) return chip & 0x1F;
    return bcd(index);
}

int MonthIndex(uint8_t dm)
{
    return indexIn(bcdValue(dm & 0x1F), kMonthItems);
}

uint8_t DateBits(int index, uint8_t chip)
{
    if (index < 0 || index >= kDateItems) return chip & 0x3F;
    return bcd(index);
}

int DateIndex(uint8_t ddt)
{
    return indexIn(bcdValue(ddt & 0x3F), kDateItems);
}

uint8_t WeekdayBits(int index, uint8_t chip)
{
    if (index < 0 || index >= kWeekdayItems) return chip & 0x07;
    return static_cast<uint8_t>(index >= 2 ? index - 1 : 0);
}

int WeekdayIndex(uint8_t ddw)
{
    return indexIn((ddw & 0x07) + 1, kWeekdayItems);
}

uint8_t WeekBits(int index, uint8_t chip)
{
    if (index < 0 || index >= kWeekItems) return chip & 0x38;
    return static_cast<uint8_t>(index << 3);
}

int WeekIndex(uint8_t ddw)
{
    return indexIn((ddw & 0x38) >> 3, kWeekItems);
}

uint8_t HourByte(int index, uint8_t chip)
{
    if (index == kHourKeep) return chip & 0x7F;
    if (index < 0 || index > kHourKeep) return chip & 0x3F;
    return HourAlarmCode(index) & 0x7F;
}

int HourIndex(uint8_t dh, bool twelveHour)
{
    return twelveHour ? HourIndex12(dh & 0x3F) : HourIndex24(dh & 0x3F);
}

bool TwelveHourForm(std::optional<uint8_t> clockHour)
{
    return clockHour && (*clockHour & 0x80) == 0;
}

namespace {

void encode(const DstFields& f, const uint8_t* chip, uint8_t* out)
{
    out[kMonth] = MonthBits(f.Month, chip[kMonth]);
    out[kWeekDay] = static_cast<uint8_t>(WeekdayBits(f.Weekday, chip[kWeekDay]) |
                                         WeekBits(f.Week, chip[kWeekDay]) |
                                         (f.DayOfWeekMode ? kDayOfWeekMode : 0));
    out[kDate] = DateBits(f.Date, chip[kDate]);
    out[kHour] = HourByte(f.Hours, chip[kHour]);
}

DstFields decode(const uint8_t* block, bool twelveHour)
{
    return {MonthIndex(block[kMonth]),           WeekIndex(block[kWeekDay]),
            WeekdayIndex(block[kWeekDay]),       DateIndex(block[kDate]),
            HourIndex(block[kHour], twelveHour), (block[kWeekDay] & kDayOfWeekMode) != 0};
}

} // namespace

Block EncodeBlock(const DstPageState& page, const Block& chip)
{
    Block out{};
    encode(page.Forward, &chip[kForward], &out[kForward]);
    encode(page.Reverse, &chip[kReverse], &out[kReverse]);
    if (page.Enable) out[kForward + kMonth] |= kDste;
    return out;
}

DstPageState DecodeBlock(const Block& block, bool twelveHour)
{
    return {(block[kForward + kMonth] & kDste) != 0, decode(&block[kForward], twelveHour),
            decode(&block[kReverse], twelveHour)};
}

} // namespace DstCodec
