// The text page's layout: which text lands on which line and column, the
// title's time, and register lines that continue on further pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/PartTable.h"
#include "reports/ReportLogic.h"

namespace {

using ReportLogic::Column;
using ReportLogic::TextItem;

constexpr std::array<const char*, 8> kNoBits = {"", "", "", "", "", "", "", ""};

RegMapEntry header(const char* name)
{
    return {RegKind::SectionHeader, name, "", 0, 0, kNoBits};
}
RegMapEntry reg(const char* name, uint8_t address)
{
    return {RegKind::RegisterRow, name, "", address, 0xFF, kNoBits};
}
RegMapEntry end()
{
    return {RegKind::EndOfMap, "", "", 0, 0, kNoBits};
}

PartInfo partWith(const std::vector<RegMapEntry>& map)
{
    PartInfo part = PartTable[1];
    part.PartName = "TEST1";
    part.RegisterMap = map.data();
    part.AlarmCount = 2;
    part.HasTimeStamp = 1;
    part.HasWatchdog = 0;
    part.EepromBytes = 512;
    part.SramBytes = 0;
    return part;
}

// The text at a line and column of a page, or "<none>".
std::string at(const std::vector<TextItem>& page, int line, Column column)
{
    for (const TextItem& item : page)
        if (item.line == line && item.column == column) return item.text;
    return "<none>";
}

struct RegisterLine {
    std::string address, section, name, value;
};
RegisterLine registerLine(const std::vector<TextItem>& page, int line)
{
    return {at(page, line, Column::Left), at(page, line, Column::Section),
            at(page, line, Column::Name), at(page, line, Column::Byte)};
}

class ReportLogicTest : public ::testing::Test {
  protected:
    uint8_t regs[256] = {};
};

TEST_F(ReportLogicTest, FeaturesHeadersAndRegisterLinesOfASectionOfThree)
{
    const std::vector<RegMapEntry> map = {header("Time"),  reg("SEC", 0x00), reg("MIN", 0x01),
                                          reg("HR", 0x02), header("Ctrl"),   reg("CTL", 0x1F),
                                          end(),           reg("LOST", 0x30)};
    regs[0x00] = 0x59;
    regs[0x02] = 0xA3;
    regs[0x1F] = 0x0F;
    const ReportLogic::Report report = ReportLogic::Build(partWith(map), regs, "T", 60);

    EXPECT_EQ(report.title, "Kavrolux RTC Evaluation Report ( T )");
    ASSERT_EQ(report.pages.size(), 1u);
    const auto& page = report.pages[0];

    const struct {
        int line;
        const char* caption;
        const char* value;
    } features[] = {
        {0, "Part Nunber:", "TEST1"},   {1, "Alarm:", "2"},
        {2, "Time Stamp:", "Yes"},      {3, "Watch Dog:", "No"},
        {9, "EEPROM:", "512 Byte(s)"},  {10, "SRAM:", "0 Byte(s)"},
        {8, "Frequency Out:", nullptr},
    };
    for (const auto& f : features) {
        EXPECT_EQ(at(page, f.line, Column::Left), f.caption) << f.line;
        if (f.value) {
            EXPECT_EQ(at(page, f.line, Column::Value), f.value) << f.line;
        }
    }
    EXPECT_EQ(at(page, 11, Column::Left), "<none>");
    EXPECT_EQ(at(page, 12, Column::Left), "Address");
    EXPECT_EQ(at(page, 12, Column::Section), "Section");
    EXPECT_EQ(at(page, 12, Column::Name), "Reg Name");
    EXPECT_EQ(at(page, 12, Column::Byte), "Value");
    EXPECT_EQ(at(page, 13, Column::Left), "<none>");

    const struct {
        int line;
        RegisterLine want;
    } lines[] = {
        {14, {" 0x00", "Time", "SEC", " 0x59"}},
        {15, {" 0x01", "", "MIN", " 0x00"}},
        {16, {" 0x02", "", "HR", " 0xA3"}},
        {17, {" 0x1F", "Ctrl", "CTL", " 0x0F"}},
    };
    for (const auto& l : lines) {
        const RegisterLine got = registerLine(page, l.line);
        EXPECT_EQ(got.address, l.want.address) << l.line;
        EXPECT_EQ(got.section, l.want.section) << l.line;
        EXPECT_EQ(got.name, l.want.name) << l.line;
        EXPECT_EQ(got.value, l.want.value) << l.line;
    }
    // The walk stops at the end of the map.
    EXPECT_EQ(at(page, 18, Column::Left), "<none>");
    for (const TextItem& item : page)
        EXPECT_NE(item.text, "LOST");
}

TEST_F(ReportLogicTest, NotSelectedGivesTheTitleOnly)
{
    const ReportLogic::Report report = ReportLogic::Build(PartTable[0], regs, "now", 60);
    EXPECT_EQ(report.title, "Kavrolux RTC Evaluation Report ( now )");
    ASSERT_EQ(report.pages.size(), 1u);
    EXPECT_TRUE(report.pages[0].empty());
}

TEST_F(ReportLogicTest, EveryRegisterOfARealPartPrintsWithItsImageByte)
{
    const PartInfo& part = PartTable[static_cast<size_t>(FindPartRow("VK310"))];
    ASSERT_NE(part.RegisterMap, nullptr);
    for (int i = 0; i < 256; ++i)
        regs[i] = static_cast<uint8_t>(i ^ 0x5A);
    const auto report = ReportLogic::Build(part, regs, "t", 1000);
    ASSERT_EQ(report.pages.size(), 1u);
    int line = ReportLogic::kFirstRegisterLine;
    for (const MapSection& section : MapSections(part.RegisterMap)) {
        for (int k = 0; k < section.RegisterCount; ++k, ++line) {
            const RegMapEntry& e = section.FirstRegister[k];
            char address[16], value[16];
            std::snprintf(address, sizeof address, " 0x%02X", e.Address);
            std::snprintf(value, sizeof value, " 0x%02X", regs[e.Address]);
            const RegisterLine got = registerLine(report.pages[0], line);
            EXPECT_EQ(got.address, address);
            EXPECT_EQ(got.name, e.ShortName);
            EXPECT_EQ(got.value, value);
            EXPECT_EQ(got.section, k == 0 ? section.Header->ShortName : "");
        }
    }
    EXPECT_EQ(at(report.pages[0], line, Column::Left), "<none>");
}

TEST_F(ReportLogicTest, NeverReadRegistersPrintZero)
{
    const std::vector<RegMapEntry> map = {header("S"), reg("A", 0x10), reg("B", 0xFF), end()};
    const auto report = ReportLogic::Build(partWith(map), regs, "t", 60);
    EXPECT_EQ(at(report.pages[0], 14, Column::Byte), " 0x00");
    EXPECT_EQ(at(report.pages[0], 15, Column::Byte), " 0x00");
    EXPECT_EQ(at(report.pages[0], 15, Column::Left), " 0xFF");
}

TEST_F(ReportLogicTest, RegistersBelowThePrintableAreaContinueOnFurtherPages)
{
    // 20 lines fit: registers on lines 14..19 of page 1, then on lines 2..19
    // below repeated column headers.
    std::vector<RegMapEntry> map = {header("Big")};
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("R" + std::to_string(i));
    for (int i = 0; i < 40; ++i)
        map.push_back(reg(names[i].c_str(), static_cast<uint8_t>(i)));
    map.push_back(end());
    for (int i = 0; i < 40; ++i)
        regs[i] = static_cast<uint8_t>(0xC0 + i);

    const auto report = ReportLogic::Build(partWith(map), regs, "t", 20);
    ASSERT_EQ(report.pages.size(), 3u); // 6 + 18 + 16 registers
    const struct {
        size_t page;
        int line;
        int reg; // -1: nothing there
    } where[] = {
        {0, 14, 0},  {0, 19, 5}, {0, 20, -1}, {1, 2, 6},   {1, 19, 23},
        {1, 20, -1}, {2, 2, 24}, {2, 17, 39}, {2, 18, -1},
    };
    for (const auto& w : where) {
        const RegisterLine got = registerLine(report.pages[w.page], w.line);
        if (w.reg < 0) {
            EXPECT_EQ(got.address, "<none>") << w.page << ":" << w.line;
            continue;
        }
        EXPECT_EQ(got.name, names[w.reg]) << w.page << ":" << w.line;
        char value[16];
        std::snprintf(value, sizeof value, " 0x%02X", static_cast<unsigned>(0xC0 + w.reg) & 0xFFu);
        EXPECT_EQ(got.value, value);
    }
    for (size_t p = 1; p < report.pages.size(); ++p) {
        EXPECT_EQ(at(report.pages[p], 0, Column::Left), "Address");
        EXPECT_EQ(at(report.pages[p], 0, Column::Byte), "Value");
    }
    // No line of any page lies below the printable area.
    for (const auto& page : report.pages)
        for (const TextItem& item : page)
            EXPECT_LT(item.line, 20);
}

TEST_F(ReportLogicTest, TitleTimeFollowsThePcTimeFormat)
{
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 6;
    t.tm_hour = 13;
    t.tm_min = 5;
    t.tm_sec = 9;
    EXPECT_EQ(ReportLogic::FormatTime(t, true), "05/06/24 - 13:05:09");
    EXPECT_EQ(ReportLogic::FormatTime(t, false), "05/06/24 - 01:05:09 PM");
}

// The graph page: the chart keeps its proportions, stays on the page and
// fills it; a rate line goes under the chart, at its left edge, inside the
// page, and costs the chart no more than the line's room.
TEST(ReportGraphPage, ChartFillsThePageAndTheRateLineGoesUnderIt)
{
    struct Case {
        double width, height, line;
    };
    const Case cases[] = {
        {842, 595, 11}, {1000, 700, 11}, {500, 1000, 11}, {3000, 500, 50}, {6600, 4800, 160},
    };
    constexpr double kEps = 1e-9;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const auto alone =
            ReportLogic::LayoutGraphPage(c.width, c.height, 1000, 700, c.line, false);
        const auto with = ReportLogic::LayoutGraphPage(c.width, c.height, 1000, 700, c.line, true);
        for (const auto& page : {alone, with}) {
            const ReportLogic::Box& chart = page.chart;
            EXPECT_NEAR(chart.width * 700, chart.height * 1000, kEps * c.width * 1000);
            EXPECT_EQ(chart.y, 0);
            EXPECT_GE(chart.x, 0);
            EXPECT_NEAR(chart.x, c.width - chart.x - chart.width, kEps) << "centred";
            EXPECT_LE(chart.width, c.width + kEps);
            EXPECT_LE(chart.height, c.height + kEps);
        }
        EXPECT_FALSE(alone.hasRate);
        EXPECT_TRUE(std::abs(alone.chart.width - c.width) < kEps ||
                    std::abs(alone.chart.height - c.height) < kEps)
            << "the chart alone fills the page's width or height";

        EXPECT_TRUE(with.hasRate);
        EXPECT_GE(with.rateTop, with.chart.height + c.line / 4) << "a gap under the chart";
        EXPECT_LE(with.rateTop + c.line, c.height) << "the line on the page";
        EXPECT_EQ(with.rateX, with.chart.x);
        EXPECT_LE(with.chart.height, alone.chart.height);
        EXPECT_GE(with.chart.height, std::min(alone.chart.height, c.height - 3 * c.line))
            << "no more than the line's room is given up";
    }

    // A page too small for anything keeps every size at zero or more.
    const auto tiny = ReportLogic::LayoutGraphPage(100, 10, 1000, 700, 20, true);
    EXPECT_GE(tiny.chart.width, 0);
    EXPECT_GE(tiny.chart.height, 0);
}

} // namespace
