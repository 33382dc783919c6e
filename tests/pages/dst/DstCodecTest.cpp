// The daylight saving codes against the datasheet's figures: each field both
// ways (checked by the text of the list entry it stands for), the hour in the
// clock's two forms, the worked examples of whole blocks, lists without a
// selection, where each family keeps the block, and the lists themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/dst/DstCodec.h"

using namespace DstCodec;

namespace {

std::vector<std::string> monthItems()
{
    return {kMonthList.begin(), kMonthList.end()};
}
std::vector<std::string> weekdayItems()
{
    return {kWeekdayList.begin(), kWeekdayList.end()};
}
std::vector<std::string> weekItems()
{
    return {kWeekList.begin(), kWeekList.end()};
}

// The entry a list shows at an index; "(none)" for no selection.
std::string entry(const std::vector<std::string>& items, int index)
{
    if (index < 0) return "(none)";
    if (index >= static_cast<int>(items.size())) return "(past the list)";
    return items[static_cast<size_t>(index)];
}

// The index of an entry; -1 for "(none)". Fails for a text the list lacks.
int indexOf(const std::vector<std::string>& items, const std::string& text)
{
    if (text == "(none)") return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no entry " << text;
    return -2;
}

// ---- the lists ----

TEST(DstLists, EntriesInTheirOrder)
{
    const std::vector<std::string> hours = HourItems();
    ASSERT_EQ(hours.size(), 50u);
    EXPECT_EQ(hours[0], "----");
    EXPECT_EQ(hours[1], "00 MIL");
    EXPECT_EQ(hours[24], "23 MIL");
    EXPECT_EQ(hours[25], "12 AM");
    EXPECT_EQ(hours[26], "01 AM");
    EXPECT_EQ(hours[36], "11 AM");
    EXPECT_EQ(hours[37], "12 PM");
    EXPECT_EQ(hours[38], "01 PM");
    EXPECT_EQ(hours[48], "11 PM");
    EXPECT_EQ(hours[49], "----");

    const std::vector<std::string> dates = DateItems();
    ASSERT_EQ(dates.size(), 32u);
    EXPECT_EQ(dates[0], "--");
    EXPECT_EQ(dates[1], "01");
    EXPECT_EQ(dates[31], "31");

    EXPECT_EQ(monthItems(),
              (std::vector<std::string>{"----", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jly",
                                        "Aug", "Sep", "Oct", "Nov", "Dec"}));
    EXPECT_EQ(weekdayItems(),
              (std::vector<std::string>{"----", "(0) Sun", "(1) Mon", "(2) Tue", "(3) Wed",
                                        "(4) Thu", "(5) Fri", "(6) Sat"}));
    EXPECT_EQ(weekItems(), (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
}

TEST(DstBlock, EachFamilyKeepsItsEightRegistersAtItsOwnAddress)
{
    struct Case {
        const char* part;
        std::optional<uint8_t> start;
    };
    const Case cases[] = {{"VK350", 0x20},         {"VK352", 0x20},         {"VK354", 0x20},
                          {"VK370", 0x15},         {"VK310", std::nullopt}, {"VK340", std::nullopt},
                          {"VK360", std::nullopt}, {"VK380", std::nullopt}, {"VK381", std::nullopt},
                          {"VK382", std::nullopt}, {"VK390", std::nullopt}};
    for (const Case& c : cases) {
        const int row = FindPartRow(c.part);
        ASSERT_GT(row, 0) << c.part;
        EXPECT_EQ(BlockStart(PartTable[static_cast<size_t>(row)].TypeCode), c.start) << c.part;
    }
    EXPECT_EQ(BlockStart(TypeNone), std::nullopt);
}

// ---- fields, entry to bits ----

struct EncodeCase {
    const char* entry; // "(none)": no selection
    uint8_t chip;      // the register as the chip holds it
    uint8_t bits;
};

TEST(DstFieldCodes, MonthEntryToBits)
{
    const EncodeCase cases[] = {{"----", 0xFF, 0x00},   {"Jan", 0xFF, 0x01},   {"Mar", 0x00, 0x03},
                                {"Sep", 0x00, 0x09},    {"Oct", 0x00, 0x10},   {"Dec", 0x00, 0x12},
                                {"(none)", 0x93, 0x13}, {"(none)", 0x80, 0x00}};
    for (const EncodeCase& c : cases)
        EXPECT_EQ(MonthBits(indexOf(monthItems(), c.entry), c.chip), c.bits) << c.entry;
}

TEST(DstFieldCodes, DateEntryToBits)
{
    const EncodeCase cases[] = {{"--", 0xFF, 0x00},    {"01", 0x00, 0x01}, {"09", 0x00, 0x09},
                                {"10", 0x00, 0x10},    {"31", 0x00, 0x31}, {"(none)", 0xE5, 0x25},
                                {"(none)", 0xC0, 0x00}};
    for (const EncodeCase& c : cases)
        EXPECT_EQ(DateBits(indexOf(DateItems(), c.entry), c.chip), c.bits) << c.entry;
}

TEST(DstFieldCodes, DayOfWeekEntryToBits)
{
    // "----" and "(0) Sun" both send 0.
    const EncodeCase cases[] = {{"----", 0xFF, 0x00},    {"(0) Sun", 0xFF, 0x00},
                                {"(1) Mon", 0x00, 0x01}, {"(3) Wed", 0x00, 0x03},
                                {"(6) Sat", 0x00, 0x06}, {"(none)", 0xFD, 0x05},
                                {"(none)", 0x78, 0x00}};
    for (const EncodeCase& c : cases)
        EXPECT_EQ(WeekdayBits(indexOf(weekdayItems(), c.entry), c.chip), c.bits) << c.entry;
}

TEST(DstFieldCodes, WeekEntryToBits)
{
    const EncodeCase cases[] = {{"0", 0xFF, 0x00}, {"1", 0x00, 0x08},      {"2", 0x00, 0x10},
                                {"5", 0x00, 0x28}, {"(none)", 0xFF, 0x38}, {"(none)", 0x47, 0x00}};
    for (const EncodeCase& c : cases)
        EXPECT_EQ(WeekBits(indexOf(weekItems(), c.entry), c.chip), c.bits) << c.entry;
}

TEST(DstFieldCodes, HourEntryToByte)
{
    const std::vector<std::string> hours = HourItems();
    // Both forms' entries; bit 7 of the alarm code is not sent.
    const EncodeCase cases[] = {
        {"00 MIL", 0xFF, 0x00},
        {"02 MIL", 0x00, 0x02},
        {"09 MIL", 0x00, 0x09},
        {"15 MIL", 0x00, 0x15},
        {"23 MIL", 0x00, 0x23},
        {"12 AM", 0x00, 0x12},
        {"01 AM", 0x00, 0x01},
        {"11 AM", 0x00, 0x11},
        {"12 PM", 0x00, 0x32},
        {"01 PM", 0x00, 0x21},
        {"11 PM", 0x00, 0x31},
        // No selection: the chip's hour field.
        {"(none)", 0xE5, 0x25},
    };
    for (const EncodeCase& c : cases)
        EXPECT_EQ(HourByte(indexOf(hours, c.entry), c.chip), c.bits) << c.entry;
    // The first "----" sends 0x00; the last one the chip's byte without bit 7.
    EXPECT_EQ(HourByte(0, 0xE5), 0x00);
    EXPECT_EQ(HourByte(49, 0xE5), 0x65);
    EXPECT_EQ(HourByte(49, 0x12), 0x12);
}

// ---- fields, bits to entry ----

struct DecodeCase {
    uint8_t reg;
    const char* entry; // "(none)": the list shows no selection
};

TEST(DstFieldCodes, MonthBitsToEntry)
{
    // DSTE and the other bits above the month do not count; digits that are
    // no BCD and months past 12 have no entry.
    const DecodeCase cases[] = {{0x00, "----"},   {0x01, "Jan"},   {0x07, "Jly"}, {0x10, "Oct"},
                                {0x12, "Dec"},    {0x83, "Mar"},   {0xF1, "Nov"}, {0x13, "(none)"},
                                {0x0A, "(none)"}, {0x1F, "(none)"}};
    for (const DecodeCase& c : cases)
        EXPECT_EQ(entry(monthItems(), MonthIndex(c.reg)), c.entry) << int(c.reg);
}

TEST(DstFieldCodes, DateBitsToEntry)
{
    const DecodeCase cases[] = {{0x00, "--"}, {0x01, "01"},     {0x19, "19"},     {0x31, "31"},
                                {0xC5, "05"}, {0x32, "(none)"}, {0x0A, "(none)"}, {0x3F, "(none)"}};
    for (const DecodeCase& c : cases)
        EXPECT_EQ(entry(DateItems(), DateIndex(c.reg)), c.entry) << int(c.reg);
}

TEST(DstFieldCodes, DayOfWeekBitsToEntry)
{
    // Bits 2..0 only; 7 is no day.
    const DecodeCase cases[] = {{0x00, "(0) Sun"}, {0x01, "(1) Mon"}, {0x06, "(6) Sat"},
                                {0x50, "(0) Sun"}, {0x7D, "(5) Fri"}, {0x07, "(none)"}};
    for (const DecodeCase& c : cases)
        EXPECT_EQ(entry(weekdayItems(), WeekdayIndex(c.reg)), c.entry) << int(c.reg);
}

TEST(DstFieldCodes, WeekBitsToEntry)
{
    // Weeks 6 and 7 (7: the last week of the month) have no entry.
    const DecodeCase cases[] = {{0x00, "0"}, {0x48, "1"},      {0x50, "2"},
                                {0x2F, "5"}, {0x30, "(none)"}, {0x78, "(none)"}};
    for (const DecodeCase& c : cases)
        EXPECT_EQ(entry(weekItems(), WeekIndex(c.reg)), c.entry) << int(c.reg);
}

TEST(DstFieldCodes, HourBitsToEntryInTheClocksForm)
{
    struct Case {
        uint8_t reg;
        bool twelve;
        const char* entry;
    };
    const Case cases[] = {
        {0x02, false, "02 MIL"}, {0x02, true, "02 AM"},   {0x32, true, "12 PM"},
        {0x32, false, "(none)"}, {0x12, true, "12 AM"},   {0x12, false, "12 MIL"},
        {0x21, true, "01 PM"},   {0x21, false, "21 MIL"}, {0x23, false, "23 MIL"},
        {0x24, false, "(none)"}, {0x00, false, "00 MIL"}, {0x00, true, "(none)"},
        {0x13, true, "(none)"},  {0x1A, false, "(none)"}, {0xC9, false, "09 MIL"},
        {0xF1, true, "11 PM"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entry(HourItems(), HourIndex(c.reg, c.twelve)), c.entry)
            << int(c.reg) << (c.twelve ? " 12-hour" : " 24-hour");
}

TEST(DstFieldCodes, TheClocksMilBitChoosesTheHourForm)
{
    EXPECT_FALSE(TwelveHourForm(uint8_t{0x80}));
    EXPECT_FALSE(TwelveHourForm(uint8_t{0x93}));
    EXPECT_TRUE(TwelveHourForm(uint8_t{0x12}));
    EXPECT_TRUE(TwelveHourForm(uint8_t{0x00}));
    // Without the clock's hour register: 24-hour form.
    EXPECT_FALSE(TwelveHourForm(std::nullopt));
}

TEST(DstFieldCodes, EveryEntryReadsBackAsWritten)
{
    for (int n = 0; n < kMonthItems; ++n)
        EXPECT_EQ(MonthIndex(MonthBits(n, 0xFF)), n);
    for (int n = 0; n < kDateItems; ++n)
        EXPECT_EQ(DateIndex(DateBits(n, 0xFF)), n);
    // "----" goes as Sunday, and so reads back.
    for (int n = 1; n < kWeekdayItems; ++n)
        EXPECT_EQ(WeekdayIndex(WeekdayBits(n, 0xFF)), n);
    EXPECT_EQ(WeekdayIndex(WeekdayBits(0, 0xFF)), 1);
    for (int n = 0; n < kWeekItems; ++n)
        EXPECT_EQ(WeekIndex(WeekBits(n, 0xFF)), n);
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(HourIndex(HourByte(n, 0xFF), false), n) << entry(HourItems(), n);
    for (int n = 25; n <= 48; ++n)
        EXPECT_EQ(HourIndex(HourByte(n, 0xFF), true), n) << entry(HourItems(), n);
}

// ---- whole blocks ----

DstFields fields(const char* month, const char* week, const char* weekday, const char* date,
                 const char* hours, bool dayOfWeekMode)
{
    return {indexOf(monthItems(), month),     indexOf(weekItems(), week),
            indexOf(weekdayItems(), weekday), indexOf(DateItems(), date),
            indexOf(HourItems(), hours),      dayOfWeekMode};
}

TEST(DstBlockCodes, TheSecondSundayOfMarchAtTwo)
{
    DstPageState page;
    page.Enable = true;
    page.Forward = fields("Mar", "2", "(0) Sun", "--", "02 MIL", true);
    page.Reverse = fields("Nov", "1", "(0) Sun", "--", "02 MIL", true);
    const Block chip = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(EncodeBlock(page, chip), (Block{0x83, 0x50, 0x00, 0x02, 0x11, 0x48, 0x00, 0x02}));
    EXPECT_EQ(DecodeBlock(EncodeBlock(page, chip), false), page);
}

TEST(DstBlockCodes, NovemberWithoutDateOrDayAtTwelveAm)
{
    DstPageState page;
    page.Forward = fields("Nov", "0", "----", "--", "12 AM", false);
    page.Reverse = page.Forward;
    const Block chip = {0x9F, 0x7F, 0x3F, 0x3F, 0x1F, 0x7F, 0x3F, 0x3F};
    EXPECT_EQ(EncodeBlock(page, chip), (Block{0x11, 0x00, 0x00, 0x12, 0x11, 0x00, 0x00, 0x12}));
}

TEST(DstBlockCodes, ListsWithoutASelectionSendTheChipsFields)
{
    DstPageState page;
    page.Forward = {-1, -1, -1, -1, -1, false};
    page.Reverse = page.Forward;
    // Bits the page does not show go as 0; DSTE and the mode bits come from
    // the boxes.
    const Block chip = {0xF2, 0xFB, 0xD9, 0xE3, 0xF1, 0xFA, 0xC7, 0xD1};
    EXPECT_EQ(EncodeBlock(page, chip), (Block{0x12, 0x3B, 0x19, 0x23, 0x11, 0x3A, 0x07, 0x11}));
    page.Enable = true;
    page.Reverse.DayOfWeekMode = true;
    EXPECT_EQ(EncodeBlock(page, chip), (Block{0x92, 0x3B, 0x19, 0x23, 0x11, 0x7A, 0x07, 0x11}));
}

TEST(DstBlockCodes, TheHourFieldsDashes)
{
    DstPageState page;
    page.Forward = fields("Apr", "0", "----", "15", "----", false);
    page.Reverse = fields("Oct", "0", "----", "01", "02 MIL", false);
    page.Forward.Hours = 0;  // the first "----"
    page.Reverse.Hours = 49; // the last: the chip's own
    const Block chip = {0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0xC3};
    EXPECT_EQ(EncodeBlock(page, chip), (Block{0x04, 0x00, 0x15, 0x00, 0x10, 0x00, 0x01, 0x43}));
}

TEST(DstBlockCodes, ReadShowsEachDirectionInTheClocksForm)
{
    const Block block = {0x84, 0x48, 0x00, 0x32, 0x10, 0x78, 0x27, 0x02};
    DstPageState twelve;
    twelve.Enable = true;
    twelve.Forward = fields("Apr", "1", "(0) Sun", "--", "12 PM", true);
    twelve.Reverse = fields("Oct", "(none)", "(0) Sun", "27", "02 AM", true);
    EXPECT_EQ(DecodeBlock(block, true), twelve);

    DstPageState mil = twelve;
    mil.Forward.Hours = -1;
    mil.Reverse.Hours = indexOf(HourItems(), "02 MIL");
    EXPECT_EQ(DecodeBlock(block, false), mil);
}

} // namespace
