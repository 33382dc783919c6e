// The register dump file's text: the lines written for a part, its registers
// and the graph, and what the reader takes from lines of any content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <string_view>
#include <vector>

#include "PartTable.h"
#include "reports/DumpCodec.h"
#include "support/CommaLocale.h"

namespace {

const PartInfo& part(const char* name)
{
    const int row = FindPartRow(name);
    EXPECT_EQ(std::string(PartTable[static_cast<size_t>(row)].PartName), name);
    return PartTable[static_cast<size_t>(row)];
}

struct Graph {
    std::vector<double> x, dev, temp;
    DumpSeries deviation() const { return {x.data(), dev.data(), x.size()}; }
    DumpSeries temperature() const { return {x.data(), temp.data(), x.size()}; }
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

// Everything the reader reports, in order.
std::vector<DumpLine> readAll(std::string_view bytes, size_t piece = 7)
{
    std::vector<DumpLine> got;
    DumpLineReader reader([&](const DumpLine& line) { got.push_back(line); });
    for (size_t at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    reader.finish();
    return got;
}

uint8_t kNoRegs[256] = {};

} // namespace

TEST(DumpWrite, NotSelectedWritesOnlyTheGraphBlock)
{
    const std::string text = WriteDumpText(PartTable[0], kNoRegs, {}, {});
    EXPECT_EQ(text, "\r\nElapsed Time,Deviation,Temperature\r\n");
}

TEST(DumpWrite, PartLinesFeaturesAndRegistersInMapOrder)
{
    uint8_t regs[256] = {};
    regs[0x0A] = 0x25;
    const PartInfo& vk310 = part("VK310");
    const std::vector<std::string> got = lines(WriteDumpText(vk310, regs, {}, {}));
    ASSERT_GE(got.size(), 16u);
    EXPECT_EQ(got[0], "Part Nunber,VK310");
    EXPECT_EQ(got[1], "Alarm," + std::to_string(vk310.AlarmCount));
    EXPECT_EQ(got[2], std::string("Time Stamp,") + (vk310.HasTimeStamp ? "Yes" : "No"));
    EXPECT_EQ(got[9], "EEPROM," + std::to_string(vk310.EepromBytes) + " Byte(s)");
    EXPECT_EQ(got[10], "SRAM," + std::to_string(vk310.SramBytes) + " Byte(s)");
    EXPECT_EQ(got[11], "");
    EXPECT_EQ(got[12], "Address (Hex),Data (Hex),Section,Register");
    EXPECT_EQ(got[13], "0x00,0x00,RTC (Set WRTC bit to modify this section),SC (Seconds)");
    EXPECT_NE(std::find(got.begin(), got.end(),
                        "0x0A,0x25,Control and Status,ATR (Analog Timing Register)"),
              got.end());
    // One line per register of the map, then the (empty) graph block.
    int registers = 0;
    for (const MapSection& s : MapSections(vk310.RegisterMap))
        registers += s.RegisterCount;
    ASSERT_EQ(got.size(), 13u + static_cast<size_t>(registers) + 2u);
    EXPECT_EQ(got[got.size() - 2], "");
    EXPECT_EQ(got.back(), "Elapsed Time,Deviation,Temperature");
}

TEST(DumpWrite, PointLinesRoundTimeTowardZeroAndValuesToTheirDecimals)
{
    Graph g{{25.5, 1.0, 0.0, 49.0 + 59.0 / 60 + 59.9 / 3600},
            {-2.6, -2.0, 0.4, 7.5},
            {23.46, 23.5, -0.04, 40.0}};
    const std::vector<std::string> got =
        lines(WriteDumpText(PartTable[0], kNoRegs, g.deviation(), g.temperature()));
    const std::vector<std::string> want = {"",
                                           "Elapsed Time,Deviation,Temperature",
                                           "Day 1 01:30:00,-3,23.5",
                                           "Day 0 01:00:00,-2,23.5",
                                           "Day 0 00:00:00,0,-0.0",
                                           "Day 2 01:59:59,8,40.0"};
    EXPECT_EQ(got, want);
}

TEST(DumpWrite, ElapsedTimeOfOddValues)
{
    EXPECT_EQ(DumpElapsedText(-1.0), "Day 0 00:00:00");
    EXPECT_EQ(DumpElapsedText(std::nan("")), "Day 0 00:00:00");
    EXPECT_EQ(DumpElapsedText(1e30), "Day 49710 06:28:15"); // the last 32-bit second
    EXPECT_EQ(DumpElapsedText(24.0 - 0.5 / 3600), "Day 0 23:59:59");
}

TEST(DumpWrite, OnlyPointsBothSeriesHoldAreWritten)
{
    const std::vector<double> x = {1, 2, 3}, y = {1, 2, 3}, tx = {1}, ty = {20};
    const std::vector<std::string> got = lines(
        WriteDumpText(PartTable[0], kNoRegs, {x.data(), y.data(), 3}, {tx.data(), ty.data(), 1}));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2], "Day 0 01:00:00,1,20.0");
}

TEST(DumpRead, ThePatternsAndWhatTheyTake)
{
    struct Case {
        const char* line;
        DumpLine::Kind kind;
    };
    const Case cases[] = {
        {"Part Nunber,VK350", DumpLine::Part},
        {"Part Nunber,  VK350 trailing", DumpLine::Part},
        {"Part Nunber,", DumpLine::Ignored},
        {"Part Number,VK350", DumpLine::Ignored},
        {"0x3F,0x80,Status,Status Register", DumpLine::Register},
        {"0x3F,0x80", DumpLine::Register},
        {"0X3F,0x80,", DumpLine::Ignored},
        {"0x,0x80,", DumpLine::Ignored},
        {"0x3F,0x-80,", DumpLine::Ignored},
        {"0x3F,0x123456789,", DumpLine::Ignored}, // more than 32 bits
        {"0xZZ,0x80,", DumpLine::Ignored},
        {"Day 1 01:30:00,-3,23.5", DumpLine::Point},
        {"Day 0 00:00:06,0,25.0", DumpLine::Point},
        {"Day 1 01:30:00,-3", DumpLine::Ignored},
        {"Day -1 01:30:00,-3,23.5", DumpLine::Ignored},
        {"Day 1 01:30,-3,23.5", DumpLine::Ignored},
        {"Day 1 01:30:00,nan,23.5", DumpLine::Ignored},
        {"Day 1 01:30:00,-3,inf", DumpLine::Ignored},
        {"Day 99999999999 01:30:00,-3,23.5", DumpLine::Ignored},
        {"Day 1 01:30:00,1e999,23.5", DumpLine::Ignored},
        {"Elapsed Time,Deviation,Temperature", DumpLine::Ignored},
        {"Address (Hex),Data (Hex),Section,Register", DumpLine::Ignored},
        {"Alarm,2", DumpLine::Ignored},
        {"", DumpLine::Ignored},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDumpLine(c.line).kind, c.kind) << c.line;

    EXPECT_EQ(ParseDumpLine("Part Nunber,VK350").partRow, FindPartRow("VK350"));
    EXPECT_EQ(ParseDumpLine("Part Nunber,  VK350 trailing").partRow, FindPartRow("VK350"));
    EXPECT_EQ(ParseDumpLine("Part Nunber,vk350").partRow, 0);
    EXPECT_EQ(ParseDumpLine("Part Nunber,Not Selected").partRow, 0);

    const DumpLine reg = ParseDumpLine("0x3F,0x80,Status,Status Register");
    EXPECT_EQ(reg.address, 0x3F);
    EXPECT_EQ(reg.value, 0x80);
    const DumpLine wrapped = ParseDumpLine("0x13F,0x2a5,");
    EXPECT_EQ(wrapped.address, 0x3F);
    EXPECT_EQ(wrapped.value, 0xA5);

    const DumpLine p = ParseDumpLine("Day 1 01:30:00,-3,23.5");
    EXPECT_DOUBLE_EQ(p.point.Hours, 25.5);
    EXPECT_DOUBLE_EQ(p.point.Deviation, -3);
    EXPECT_DOUBLE_EQ(p.point.Temperature, 23.5);
}

TEST(DumpRead, WrittenTextReadsBackInPieces)
{
    uint8_t regs[256] = {};
    for (int i = 0; i < 256; ++i)
        regs[i] = static_cast<uint8_t>(0xFF - i);
    Graph g{{0.1, 25.5, 100.25}, {-2, 0, 12}, {23.5, -10.0, 85.3}};
    for (const PartInfo& info : PartTable) {
        const std::string text = WriteDumpText(info, regs, g.deviation(), g.temperature());
        for (size_t piece : {size_t{1}, size_t{2}, size_t{4096}}) {
            const std::vector<DumpLine> got = readAll(text, piece);
            size_t at = 0;
            if (info.TypeCode != TypeNone) {
                ASSERT_GT(got.size(), 0u);
                EXPECT_EQ(got[0].kind, DumpLine::Part);
                EXPECT_EQ(got[0].partRow, FindPartRow(info.PartName)) << info.PartName;
                at = 1;
                for (const MapSection& s : MapSections(info.RegisterMap)) {
                    for (int r = 0; r < s.RegisterCount; ++r, ++at) {
                        ASSERT_LT(at, got.size());
                        EXPECT_EQ(got[at].kind, DumpLine::Register);
                        EXPECT_EQ(got[at].address, s.FirstRegister[r].Address);
                        EXPECT_EQ(got[at].value, regs[s.FirstRegister[r].Address]);
                    }
                }
            }
            ASSERT_EQ(got.size(), at + 3) << info.PartName;
            for (size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(got[at + i].kind, DumpLine::Point);
                EXPECT_NEAR(got[at + i].point.Hours, g.x[i], 0.5 / 3600);
                EXPECT_DOUBLE_EQ(got[at + i].point.Deviation, g.dev[i]);
                EXPECT_DOUBLE_EQ(got[at + i].point.Temperature, g.temp[i]);
            }
        }
    }
}

TEST(DumpRead, LineEndsLongLinesAndBinary)
{
    // LF and CR LF, a last line without an end.
    auto got = readAll("0x01,0x11,\n0x02,0x22,\r\n0x03,0x33,");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].value, 0x33);

    // 255 characters are read; 256 are not, and the line after still is.
    std::string ok = "0x04,0x44," + std::string(255 - 10, 'x');
    std::string tooLong = "0x05,0x55," + std::string(256 - 10, 'x');
    std::string huge = "0x06,0x66," + std::string(3'000'000, 'y');
    DumpLineReader counting([&](const DumpLine& l) { got.push_back(l); });
    got.clear();
    const std::string text = ok + "\r\n" + tooLong + "\r\n" + huge + "\n0x07,0x77,\r\n";
    counting.feed(text.data(), text.size());
    counting.finish();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].address, 0x04);
    EXPECT_EQ(got[1].address, 0x07);
    EXPECT_EQ(counting.overlongLines(), 2u);

    // Binary bytes, NULs and a truncated last line take nothing they do not say.
    std::string binary;
    for (int i = 0; i < 100000; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    static const char kTail[] = "\n0x08,0x88,\n\0x09,0x99,\nDay 0 01:00";
    binary += std::string(kTail, sizeof kTail - 1);
    got = readAll(binary, 333);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back().kind, DumpLine::Register);
    EXPECT_EQ(got.back().address, 0x08);
}

// A file means the same whatever the locale of the program that wrote or reads
// it: under a decimal-comma locale a point is still written "23.5", never as
// "23,5" inside a comma-separated line, and read back whole.
TEST(DumpLocale, DecimalCommaLocaleWritesAndReadsTheCLocaleText)
{
    KVRX_COMMA_LOCALE(comma);
    Graph g{{0.5, 25.5}, {-2.6, 1234.0}, {23.46, -10.15}};
    uint8_t regs[256] = {};
    regs[0x0A] = 0x25;
    const std::string text = WriteDumpText(part("VK310"), regs, g.deviation(), g.temperature());
    const std::vector<std::string> got = lines(text);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[got.size() - 2], "Day 0 00:30:00,-3,23.5");
    EXPECT_EQ(got.back(), "Day 1 01:30:00,1234,-10.2");
    EXPECT_EQ(got[0], "Part Nunber,VK310");
    EXPECT_NE(std::find(got.begin(), got.end(),
                        "0x0A,0x25,Control and Status,ATR (Analog Timing Register)"),
              got.end());

    std::vector<DumpLine> points;
    for (const DumpLine& l : readAll(text))
        if (l.kind == DumpLine::Point) points.push_back(l);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_DOUBLE_EQ(points[0].point.Deviation, -3);
    EXPECT_DOUBLE_EQ(points[0].point.Temperature, 23.5);
    EXPECT_DOUBLE_EQ(points[1].point.Temperature, -10.2);
    // The comma locale's own way of writing a number is not a number here.
    EXPECT_EQ(ParseDumpLine("Day 0 00:00:24,1,23,5").point.Temperature, 23);
}

// A point line whose value no graph point can have is skipped like any line
// that does not fit; the values up to the limits are read.
TEST(DumpRead, PointsBeyondWhatTheGraphHoldsAreSkipped)
{
    struct Case {
        const char* line;
        bool read;
    };
    const Case cases[] = {
        {"Day 0 01:00:00,1e300,23.5", false},
        {"Day 0 01:00:00,-1e300,23.5", false},
        {"Day 0 01:00:00,0,1e300", false},
        {"Day 0 01:00:00,0,-1e300", false},
        {"Day 0 01:00:00,4294967296,23.5", false},
        {"Day 0 01:00:00,-4294967296,23.5", false},
        {"Day 0 01:00:00,4294967295,23.5", true},
        {"Day 0 01:00:00,-4294967295,23.5", true},
        {"Day 0 01:00:00,0,1000.1", false},
        {"Day 0 01:00:00,0,-1000.1", false},
        {"Day 0 01:00:00,0,1000.0", true},
        {"Day 0 01:00:00,0,-1000.0", true},
        // The elapsed time goes up to the last 32-bit second, as written.
        {"Day 49710 06:28:15,0,20.0", true},
        {"Day 49710 06:28:16,0,20.0", false},
        {"Day 0 1193046:28:16,0,20.0", false},
        {"Day 4294967295 00:00:00,0,20.0", false},
        {"Day 0 01:00:00,1e308,23.5", false},
    };
    for (const Case& c : cases) {
        const DumpLine got = ParseDumpLine(c.line);
        EXPECT_EQ(got.kind, c.read ? DumpLine::Point : DumpLine::Ignored) << c.line;
    }
}

// A point of absurd size is written whole, with its line end: the next point
// is never glued onto its line. (Too long to be read back, it is skipped.)
TEST(DumpWrite, AbsurdValuesNeverCostALineEnd)
{
    Graph g{{1.0, 2.0, 3.0, 4.0},
            {-3, 1e300, -1.7976931348623157e308, 5},
            {20.5, 1e300, -1.7976931348623157e308, 21.5}};
    const std::string text = WriteDumpText(PartTable[0], kNoRegs, g.deviation(), g.temperature());
    const std::vector<std::string> got = lines(text);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[2], "Day 0 01:00:00,-3,20.5");
    EXPECT_EQ(got[3].substr(0, 16), "Day 0 02:00:00,1");
    EXPECT_EQ(got[3].size(), 14u + 1 + 301 + 1 + 303) << got[3];
    EXPECT_EQ(got[4].substr(0, 17), "Day 0 03:00:00,-1");
    EXPECT_EQ(got[5], "Day 0 04:00:00,5,21.5");

    const std::vector<DumpLine> back = readAll(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_DOUBLE_EQ(back[0].point.Hours, 1.0);
    EXPECT_DOUBLE_EQ(back[1].point.Hours, 4.0);
    EXPECT_DOUBLE_EQ(back[1].point.Temperature, 21.5);
}
