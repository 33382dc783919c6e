// What the Alarm page needs that is no widget: the field lists, each family's
// alarm registers (AlarmLayout), the byte codes of every field in both
// directions, the mode, IRQ usage and flag-clearing bytes, and the page's part
// of the part choice. The hour code and the two hour decodings are shared with
// the pages that program hours the same way (daylight saving).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PartSelection.h"
#include "PartTable.h"
#include "StatusLayout.h"

// Base state: both alarms' captions, lists at "Ignore", notes and the IRQ
// usage group hidden; one block per family shows the second alarm, relabels
// the fields with the family's register names and loads the Sunday-is-1 week
// list where the chip counts so.
extern const PageSettingsTable kAlarmPageSettings;

// The alarm flags' lamps: LedAlarm (alarm 1, or the only alarm) and LedAlarm0.
extern const std::array<StatusLamp, 2> kAlarmLamps;

// The hour lists' items by index: 0 "Ignore", 1..24 "00 MIL".."23 MIL",
// 25 "12 AM", 26..36 "01 AM".."11 AM", 37 "12 PM", 38..48 "01 PM".."11 PM",
// 49 an empty item.
inline constexpr int kHourIgnore = 0;
inline constexpr int kHourFirst12 = 25;
inline constexpr int kHourEmpty = 49;
inline constexpr int kHourItems = 50;

// The hour byte for hour-list index n: bit 7 set (compare the hour) and the
// hour in BCD; in the 12-hour entries bit 5 is PM and bits 4..0 hold 01..12.
// "Ignore", the empty item and indices outside the list give 0x00.
uint8_t HourAlarmCode(int n);

// The hour a 12-hour entry (index 25..48) stands for, 0..23; -1 otherwise.
int HourOfTwelveHourItem(int n);

// 24-hour decoding of an hour byte: v AND 0x3F as BCD 00..23 gives the list
// index hour + 1 ("00 MIL".."23 MIL"); anything else -1 (no selection).
int HourIndex24(uint8_t v);

// 12-hour decoding of an hour byte: v AND 0x3F with bit 5 as PM and bits 4..0
// the hour 01..12 in BCD gives the index of "12 AM".."11 PM"; anything else -1.
int HourIndex12(uint8_t v);

namespace AlarmCodec {

// Item counts of the other field lists; index 0 is "Ignore" in every list.
inline constexpr int kMinuteItems = 61; // "00".."59"
inline constexpr int kDateItems = 32;   // "01".."31"
inline constexpr int kMonthItems = 13;  // "Jan".."Dec"
inline constexpr int kWeekItems = 8;    // "(0) Sun".."(6) Sat" or "(1) Sun".."(7) Sat"

std::vector<std::string> SecondItems(); // also the minute lists
std::vector<std::string> HourItems();
std::vector<std::string> DateItems();
std::vector<std::string> MonthItems();
// Sunday-is-0 week list, loaded by the base state.
inline constexpr std::array<const char*, kWeekItems> kWeekFromZero = {
    "Ignore", "(0) Sun", "(1) Mon", "(2) Tue", "(3) Wed", "(4) Thu", "(5) Fri", "(6) Sat"};
// Sunday-is-1 week list, loaded for the families whose chip counts so.
inline constexpr std::array<const char*, kWeekItems> kWeekFromOne = {
    "Ignore", "(1) Sun", "(2) Mon", "(3) Tue", "(4) Wed", "(5) Thu", "(6) Fri", "(7) Sat"};

// What one byte of an alarm block holds.
enum class AlarmByte : uint8_t {
    Keep, // not the page's: sent as the register image holds it
    Seconds,
    Minutes,
    Hours,
    Date,
    Month,
    Weekday,
    DayOrDate, // bit 6 chooses: set day of week, clear date
};

// How the field bytes are coded.
enum class AlarmCoding : uint8_t {
    EnableBit7, // bit 7 set: compare the field; "Ignore" 0x00; Sunday 0
    SundayOne,  // as EnableBit7, with the day of week counted from Sunday = 1
    MaskBit7,   // bit 7 set: field not compared; "Ignore" 0x80; Sunday 1
    Hour24Bit6, // as EnableBit7, the hour byte's bit 6 set for a 24-hour entry
};

// Which hour form the chip compares the alarm hour in.
enum class AlarmHours : uint8_t {
    ClockMil,  // as the clock's hour register: its bit 7 (MIL) set is 24-hour
    Always24,  // the clock counts 24 hours only
    Own12Bit6, // the alarm hour byte's bit 6 set: 12-hour
    Own24Bit6, // the alarm hour byte's bit 6 set: 24-hour
};

// One alarm of one family: its control bits, its block and its flag.
struct AlarmLayout {
    PartType Type = TypeNone;
    int Number = 1; // 1: the first alarm, 2: the second
    uint8_t Control = 0;
    uint8_t ImBit = 0;     // repetitive-event bit; 0: none
    uint8_t EnableBit = 0; // alarm enable bit; 0: none
    // The control register is read but not changed (its bits 2..0 are the
    // IRQ usage), and a failed read of it writes nothing.
    bool IrqUsageControl = false;
    // A failed control read stops the write (else the block is still written).
    bool WriteNeedsControl = false;
    uint8_t Block = 0;
    uint8_t WriteCount = 0;
    uint8_t ReadCount = 0;
    // Bytes of the block's first transfer; the rest follows in a second.
    uint8_t FirstTransfer = 0;
    std::array<AlarmByte, 9> Bytes{};
    AlarmCoding Coding = AlarmCoding::EnableBit7;
    AlarmHours Hours = AlarmHours::ClockMil;
    uint8_t ClockHour = 0x02; // the clock's hour register (ClockMil)
    bool HasFlag = false;     // the flag can be cleared from the page
    uint8_t Status = 0;       // status register holding the flag
    uint8_t StatusSet = 0;    // bits written as 1 when the flag is cleared
    uint8_t Flag = 0;
};

// The layout of alarm 1 or 2 of a family; null when it has no such alarm.
const AlarmLayout* FindAlarmLayout(PartType type, int number);

// The register holding the IRQ usage (TypeG), and its bits.
inline constexpr uint8_t kIrqUsageRegister = 0x0E;
inline constexpr uint8_t kIrqUsageMask = 0x07;
inline constexpr int kIrqUsageChoices = 8;

// List indices of the six fields; -1 is a list without a selection.
struct AlarmFields {
    int Seconds = 0;
    int Minutes = 0;
    int Hours = 0;
    int Date = 0;
    int Month = 0;
    int Weekday = 0;
    bool operator==(const AlarmFields&) const = default;
};

// The fields as the block will hold them: where one byte holds either the
// date or the day of week, a chosen date wins and the day of week becomes
// "Ignore".
AlarmFields OneOfDayOrDate(const AlarmLayout& layout, AlarmFields fields);

// The block's bytes for the fields, written into block[0 .. WriteCount-1];
// bytes the layout keeps are left as they are. A list without a selection
// counts as "Ignore".
void EncodeBlock(const AlarmLayout& layout, const AlarmFields& fields, uint8_t* block);

// What a read shows: a value per list, or nothing where the list keeps its
// selection. -1 is no selection.
struct ShownFields {
    std::optional<int> Seconds, Minutes, Hours, Date, Month, Weekday;
    bool operator==(const ShownFields&) const = default;
};

// The lists for a block read back (block[0 .. ReadCount-1]). clockHour is
// the clock's hour register for ClockMil layouts; without it the hour list
// keeps its selection. A field the alarm lacks: seconds show "Ignore",
// month keeps its selection.
ShownFields DecodeBlock(const AlarmLayout& layout, const uint8_t* block,
                        std::optional<uint8_t> clockHour);

// The control byte with the page's bits set from its boxes.
uint8_t WithModeBits(const AlarmLayout& layout, uint8_t control, bool im, bool enable);

// The boxes a control byte shows; nothing for a box the layout lacks.
struct ModeBits {
    std::optional<bool> Im, Enable;
};
ModeBits ModeBitsOf(const AlarmLayout& layout, uint8_t control);

// The status byte that clears the alarm's flag and leaves the others.
uint8_t ClearedStatus(const AlarmLayout& layout, uint8_t status);

// IRQ usage (TypeG): the choice a control byte holds, and the byte with a choice.
int IrqUsageOf(uint8_t control);
uint8_t WithIrqUsage(uint8_t control, int choice);

} // namespace AlarmCodec
