// The register dump file's text: the lines written for a part, its registers
// and the graph, and what the reader takes from lines of any content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
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

// ---- The drift run's block ----

namespace {

using DriftLogic::DriftFigures;
using DriftLogic::DriftPoint;

// A run as the Graph page keeps it, with numbers no short decimal holds.
struct DriftRun {
    DriftFigures figures;
    std::vector<DriftPoint> points;
};
DriftRun awkwardRun()
{
    DriftRun run;
    run.figures.Samples = 5;
    run.figures.SpanSeconds = 3600.0 + 1.0 / 3.0;
    run.figures.RatePpm = 17.3 + 1e-13;
    run.figures.IntervalPpm = 0.1 / 3.0;
    run.figures.MinCelsius = -10.15;
    run.figures.MaxCelsius = 23.456789012345678;
    run.points = {{0.0, -0.0, 0.0},
                  {6.000123456789, 1.0 / 3.0, 2.0 / 3.0},
                  {1234.5678901234567, -98765.4321e-3, 1e-300},
                  {3600.3333333333335, 62.280000000000001, 4.9406564584124654e-324},
                  {kDumpSecondsMax, -kDumpDriftMsMax, kDumpDriftMsMax}};
    return run;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What a reader that knows the drift block takes from a text: the lines of
// the three patterns, and the block's lines.
struct ReadBoth {
    std::vector<DumpLine> dump;
    std::vector<DriftLine> drift;
    std::vector<std::string> others; // lines no pattern fits
};
ReadBoth readBoth(std::string_view bytes, size_t piece = 5)
{
    ReadBoth got;
    DumpLineReader reader([&](const DumpLine& line) { got.dump.push_back(line); },
                          [&](std::string_view line) {
                              got.others.emplace_back(line);
                              const DriftLine parsed = ParseDriftLine(line);
                              if (parsed.kind != DriftLine::Ignored) got.drift.push_back(parsed);
                          });
    for (size_t at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    reader.finish();
    return got;
}

bool sameDumpLines(const std::vector<DumpLine>& a, const std::vector<DumpLine>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].partRow != b[i].partRow ||
            a[i].address != b[i].address || a[i].value != b[i].value ||
            !sameBits(a[i].point.Hours, b[i].point.Hours) ||
            !sameBits(a[i].point.Deviation, b[i].point.Deviation) ||
            !sameBits(a[i].point.Temperature, b[i].point.Temperature))
            return false;
    }
    return true;
}

} // namespace

// The block follows the graph lines; a reader that knows only the three
// patterns takes from the file exactly what it takes without the block, and
// every line of the block fits none of them. The block's own reader gets the
// run back bit for bit, in order.
TEST(DumpDriftBlock, OlderReadersSkipEveryLineAndTheRunReadsBackExactly)
{
    const DriftRun run = awkwardRun();
    Graph g{{0.5, 25.5}, {-2.6, 1234.0}, {23.46, -10.15}};
    uint8_t regs[256] = {};
    regs[0x0A] = 0x25;
    const std::string plain = WriteDumpText(part("VK310"), regs, g.deviation(), g.temperature());
    const std::string block = WriteDriftBlock(run.figures, run.points);
    const std::string file = plain + block;

    const std::vector<std::string> blockLines = lines(block);
    ASSERT_EQ(blockLines.size(), 4 + run.points.size());
    EXPECT_EQ(blockLines[0], "") << "an empty line ends the graph lines";
    for (const std::string& line : blockLines) {
        EXPECT_EQ(ParseDumpLine(line).kind, DumpLine::Ignored) << line;
        EXPECT_LE(line.size(), kDumpLineMax) << line;
    }
    EXPECT_TRUE(sameDumpLines(readAll(file), readAll(plain)));
    EXPECT_TRUE(sameDumpLines(readAll(file, 1), readAll(plain, 1)));

    const ReadBoth got = readBoth(file);
    EXPECT_TRUE(sameDumpLines(got.dump, readAll(plain)));
    ASSERT_EQ(got.drift.size(), 1 + run.points.size());
    EXPECT_EQ(got.drift[0].kind, DriftLine::Figures);
    EXPECT_EQ(got.drift[0].MinCelsius, run.figures.MinCelsius);
    EXPECT_EQ(got.drift[0].MaxCelsius, run.figures.MaxCelsius);
    for (size_t i = 0; i < run.points.size(); ++i) {
        SCOPED_TRACE(i);
        const DriftLine& line = got.drift[i + 1];
        ASSERT_EQ(line.kind, DriftLine::Sample);
        EXPECT_TRUE(sameBits(line.point.Seconds, run.points[i].Seconds));
        EXPECT_TRUE(sameBits(line.point.OffsetMs, run.points[i].OffsetMs));
        EXPECT_TRUE(sameBits(line.point.UncertaintyMs, run.points[i].UncertaintyMs));
    }
}

// The block's lines as written: headers for whoever opens the file in a
// spreadsheet, empty fields for what the run does not have yet, and no block
// at all for a run without samples. Under a decimal-comma locale the numbers
// are written the same.
TEST(DumpDriftBlock, LinesAsWrittenInAnyLocale)
{
    DriftFigures measured;
    measured.Samples = 2;
    measured.RatePpm = -43.25;
    measured.IntervalPpm = 0.5;
    measured.MinCelsius = 23.5;
    measured.MaxCelsius = 24.0;
    DriftFigures bare;
    bare.Samples = 1;
    bare.MinCelsius = 20.0; // half a range is not written
    const std::vector<DriftPoint> points = {{6.0, -12.5, 1.25}, {12.5, 1e-3, 2.0}};
    const std::vector<std::string> samples = {"Drift,6,-12.5,1.25", "Drift,12.5,0.001,2"};
    const std::vector<std::string> head = {
        "", "Drift Run,Min Temperature,Max Temperature,Rate (ppm),Interval (ppm)"};
    const std::string columns = "Drift Time (s),Offset (ms),Uncertainty (ms)";

    for (const bool comma : {false, true}) {
        SCOPED_TRACE(comma ? "comma locale" : "C locale");
        std::optional<CommaLocale> locale;
        if (comma) {
            locale.emplace();
            ASSERT_TRUE(locale->ok()) << locale->why();
        }
        std::vector<std::string> expected = head;
        expected.push_back("Drift Figures,23.5,24,-43.25,0.5");
        expected.push_back(columns);
        expected.insert(expected.end(), samples.begin(), samples.end());
        EXPECT_EQ(lines(WriteDriftBlock(measured, points)), expected);

        expected = head;
        expected.push_back("Drift Figures,,,,");
        expected.push_back(columns);
        expected.push_back(samples[0]);
        EXPECT_EQ(lines(WriteDriftBlock(bare, std::span(points).first(1))), expected);

        EXPECT_EQ(WriteDriftBlock(measured, {}), "");
    }
}

// What the block's reader takes from one line; anything else is skipped like
// any malformed line.
TEST(DumpDriftBlock, LinesTheReaderTakesAndSkips)
{
    struct Case {
        const char* line;
        DriftLine::Kind kind;
        double a = 0, b = 0, c = 0; // sample: seconds, offset, uncertainty; figures: min, max
        bool range = false;         // figures: a range is given
    };
    const Case cases[] = {
        {"Drift,6,-12.5,1.25", DriftLine::Sample, 6, -12.5, 1.25},
        {"Drift,+6,1e3,0   ", DriftLine::Sample, 6, 1000, 0},
        {"Drift, 6, 2, 3", DriftLine::Sample, 6, 2, 3},
        {"Drift,4294967295,-4294967295000,4294967295000", DriftLine::Sample, 4294967295.0,
         -4294967295000.0, 4294967295000.0},
        {"Drift,4294967296,0,0", DriftLine::Ignored},
        {"Drift,1,4294967295001,0", DriftLine::Ignored},
        {"Drift,1,0,4294967295001", DriftLine::Ignored},
        {"Drift,-1,0,0", DriftLine::Ignored},
        {"Drift,1,0,-0.5", DriftLine::Ignored},
        {"Drift,1,nan,0", DriftLine::Ignored},
        {"Drift,1,inf,0", DriftLine::Ignored},
        {"Drift,1,1e400,0", DriftLine::Ignored},
        {"Drift,1,2", DriftLine::Ignored},
        {"Drift,1,2,", DriftLine::Ignored},
        {"Drift,1,2,3,4", DriftLine::Ignored},
        {"Drift,1,2,3x", DriftLine::Ignored},
        {"Drift,1,2,5,3", DriftLine::Ignored}, // "2,5" in a decimal-comma locale
        {"Drift,0x10,2,3", DriftLine::Ignored},
        {"Drift;1;2;3", DriftLine::Ignored},
        {"drift,1,2,3", DriftLine::Ignored},
        {" Drift,1,2,3", DriftLine::Ignored},
        {"Drift,", DriftLine::Ignored},
        {"Drift Figures,23.5,24,-43.25,0.5", DriftLine::Figures, 23.5, 24, 0, true},
        {"Drift Figures,23.5,24", DriftLine::Figures, 23.5, 24, 0, true},
        {"Drift Figures,-1000,1000,whatever", DriftLine::Figures, -1000, 1000, 0, true},
        {"Drift Figures,,,,", DriftLine::Figures},
        {"Drift Figures,,", DriftLine::Figures},
        {"Drift Figures,23.5,,1,1", DriftLine::Ignored},
        {"Drift Figures,,23.5,1,1", DriftLine::Ignored},
        {"Drift Figures,24,23.5,,", DriftLine::Ignored},
        {"Drift Figures,23,5,24,0", DriftLine::Ignored},
        {"Drift Figures,-1000.5,0,,", DriftLine::Ignored},
        {"Drift Figures,0,1000.5,,", DriftLine::Ignored},
        {"Drift Figures,x,1,,", DriftLine::Ignored},
        {"Drift Figures", DriftLine::Ignored},
        {"Drift Run,Min Temperature,Max Temperature,Rate (ppm),Interval (ppm)", DriftLine::Ignored},
        {"Drift Time (s),Offset (ms),Uncertainty (ms)", DriftLine::Ignored},
        {"Day 0 01:00:00,-3,23.5", DriftLine::Ignored},
        {"", DriftLine::Ignored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const DriftLine got = ParseDriftLine(c.line);
        EXPECT_EQ(got.kind, c.kind);
        if (got.kind == DriftLine::Sample && c.kind == DriftLine::Sample) {
            EXPECT_EQ(got.point.Seconds, c.a);
            EXPECT_EQ(got.point.OffsetMs, c.b);
            EXPECT_EQ(got.point.UncertaintyMs, c.c);
        }
        if (got.kind == DriftLine::Figures && c.kind == DriftLine::Figures) {
            EXPECT_EQ(got.MinCelsius, c.range ? std::optional<double>(c.a) : std::nullopt);
            EXPECT_EQ(got.MaxCelsius, c.range ? std::optional<double>(c.b) : std::nullopt);
        }
    }

    // A block line of 255 characters is read; one of 256 is dropped unread,
    // and the line after it still is.
    const std::string fits = "Drift,1,2,3" + std::string(kDumpLineMax - 11, ' ');
    const std::string tooLong = "Drift,4,5,6" + std::string(kDumpLineMax - 10, ' ');
    const ReadBoth got = readBoth(fits + "\r\n" + tooLong + "\r\nDrift,7,8,9\n", 64);
    ASSERT_EQ(got.drift.size(), 2u);
    EXPECT_EQ(got.drift[0].point.Seconds, 1);
    EXPECT_EQ(got.drift[1].point.Seconds, 7);
    EXPECT_EQ(got.others.size(), 2u);
}
