// What the daylight saving page needs that is no widget: its lists, where
// each family keeps its eight DST registers, the field codes both ways and
// the page's part of the part choice. The hours are coded as the alarm hours
// are (HourAlarmCode, HourIndex24, HourIndex12 of the Alarm page's codec).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PartSelection.h"
#include "PartTable.h"
#include "StatusLayout.h"

// Base state: the generic field captions, the week lists hidden; TypeD and
// TypeF name the fields after their registers, show and load the week lists.
extern const PageSettingsTable kDstPageSettings;

// The DST change lamp CBSLedDSTCHNG (DSTADJ); it keeps its state when the
// board stops answering.
extern const std::array<StatusLamp, 1> kDstLamps;

namespace DstCodec {

// The block: DMF, DDwF, DDtF, DHF, DMR, DDwR, DDtR, DHR.
inline constexpr uint32_t kBlockLength = 8;
using Block = std::array<uint8_t, kBlockLength>;
// Offsets in the block of one direction's registers.
inline constexpr int kForward = 0;
inline constexpr int kReverse = 4;
inline constexpr int kMonth = 0, kWeekDay = 1, kDate = 2, kHour = 3;

// The block's first register: 0x20 on TypeD, 0x15 on TypeF; nothing for the
// families without daylight saving.
std::optional<uint8_t> BlockStart(PartType type);

// The clock's hour register: its bit 7 (MIL) set means the hours are in
// 24-hour form.
inline constexpr uint8_t kClockHour = 0x02;

inline constexpr uint8_t kDste = 0x80;          // DMF
inline constexpr uint8_t kDayOfWeekMode = 0x40; // DDwF, DDwR: week and day instead of the date

// The lists, by index.
inline constexpr int kMonthItems = 13;  // "----", "Jan" .. "Dec"
inline constexpr int kDateItems = 32;   // "--", "01" .. "31"
inline constexpr int kWeekdayItems = 8; // "----", "(0) Sun" .. "(6) Sat"
inline constexpr int kWeekItems = 6;    // "0" .. "5"
inline constexpr int kHourItems = 50;   // "----", the alarm hour entries, "----"
inline constexpr int kHourKeep = 49;    // the last "----": the chip's own hour byte
inline constexpr std::array<const char*, kMonthItems> kMonthList = {
    "----", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jly", "Aug", "Sep", "Oct", "Nov", "Dec"};
inline constexpr std::array<const char*, kWeekdayItems> kWeekdayList = {
    "----", "(0) Sun", "(1) Mon", "(2) Tue", "(3) Wed", "(4) Thu", "(5) Fri", "(6) Sat"};
inline constexpr std::array<const char*, kWeekItems> kWeekList = {"0", "1", "2", "3", "4", "5"};
std::vector<std::string> DateItems();
std::vector<std::string> HourItems();

// Field codes. Index -1 is a list without a selection: the field keeps what
// the chip holds (`chip`, the register as read before the write). Decoding
// gives -1 for a value that has no entry (also for digits that are no BCD).
uint8_t MonthBits(int index, uint8_t chip); // bits 4..0 of DMx
int MonthIndex(uint8_t dm);
uint8_t DateBits(int index, uint8_t chip); // bits 5..0 of DDtx
int DateIndex(uint8_t ddt);
// Day of week, bits 2..0 of DDwx: "----" and "(0) Sun" both give 0.
uint8_t WeekdayBits(int index, uint8_t chip);
int WeekdayIndex(uint8_t ddw);
uint8_t WeekBits(int index, uint8_t chip); // bits 5..3 of DDwx
int WeekIndex(uint8_t ddw);
// The hour byte: the alarm hour code without its bit 7; the last "----"
// sends the chip's byte without bit 7.
uint8_t HourByte(int index, uint8_t chip);
// The hour list's index for DHx, in the clock's form.
int HourIndex(uint8_t dh, bool twelveHour);
// The hours are in 12-hour form when the clock's hour register has MIL
// clear; without that register (its read failed) they are read in 24-hour form.
bool TwelveHourForm(std::optional<uint8_t> clockHour);

// One direction's lists and box.
struct DstFields {
    int Month = 0;
    int Week = 0;
    int Weekday = 0;
    int Date = 0;
    int Hours = 0;
    bool DayOfWeekMode = false;
    bool operator==(const DstFields&) const = default;
};

// The whole page: DSTE and both directions.
struct DstPageState {
    bool Enable = false;
    DstFields Forward;
    DstFields Reverse;
    bool operator==(const DstPageState&) const = default;
};

// The eight bytes Write sends, given the block as just read from the chip.
// Every byte is rebuilt: bits the page does not show go as 0.
Block EncodeBlock(const DstPageState& page, const Block& chip);

// What Read shows for a block read back; the hour lists in the form given.
DstPageState DecodeBlock(const Block& block, bool twelveHour);

} // namespace DstCodec
