// The register dump file's reader and writer.
//
// The input as a file: the reader hands on the same lines whatever pieces the
// file comes in (all at once, a byte at a time, pieces of sizes taken from the
// input, pieces cut between a CR and its LF), and those are the lines of the
// file that fit kDumpLineMax, each read on its own.
//
// The input as a part, a register image and graph points: the written text
// holds one line per point (a line end is never lost), and reads back as
// written: the part, every register of its map, and every point within the
// reader's limits to the file's precision. A point read back writes the same
// line again, and any point the reader takes is read again once written.
//
// The drift block's lines: what the block's reader takes lies within its
// limits, and a sample written again fits none of the three patterns and
// reads back bit for bit.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "PartTable.h"
#include "reports/DumpCodec.h"

namespace {

// Two lines are the same when every field is, doubles bit for bit (so -0 and
// 0 differ, and a NaN would equal only itself).
bool same(const DumpLine& a, const DumpLine& b)
{
    return a.kind == b.kind && a.partRow == b.partRow && a.address == b.address &&
           a.value == b.value &&
           std::bit_cast<uint64_t>(a.point.Hours) == std::bit_cast<uint64_t>(b.point.Hours) &&
           std::bit_cast<uint64_t>(a.point.Deviation) ==
               std::bit_cast<uint64_t>(b.point.Deviation) &&
           std::bit_cast<uint64_t>(a.point.Temperature) ==
               std::bit_cast<uint64_t>(b.point.Temperature);
}

struct Seen {
    std::vector<DumpLine> lines;
    size_t overlong = 0;

    bool operator==(const Seen& other) const
    {
        if (overlong != other.overlong || lines.size() != other.lines.size()) return false;
        for (size_t i = 0; i < lines.size(); ++i)
            if (!same(lines[i], other.lines[i])) return false;
        return true;
    }
};

// The reader fed in pieces: pieceEnds are the offsets where a piece ends
// (ascending); an empty piece goes in before each one.
Seen readInPieces(std::string_view bytes, const std::vector<size_t>& pieceEnds)
{
    Seen seen;
    DumpLineReader reader([&](const DumpLine& line) { seen.lines.push_back(line); });
    size_t at = 0;
    for (size_t end : pieceEnds) {
        if (end <= at || end > bytes.size()) continue;
        reader.feed(bytes.data() + at, 0);
        reader.feed(bytes.data() + at, end - at);
        at = end;
    }
    if (at < bytes.size()) reader.feed(bytes.data() + at, bytes.size() - at);
    reader.finish();
    seen.overlong = reader.overlongLines();
    return seen;
}

// The file's lines as the format defines them: LF ends a line, a CR before it
// belongs to the line end, a last line needs none; each line that fits is
// read by itself.
Seen linesOf(std::string_view bytes)
{
    Seen seen;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t lf = bytes.find('\n', start);
        std::string_view line =
            bytes.substr(start, lf == std::string_view::npos ? bytes.npos : lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kDumpLineMax) {
            ++seen.overlong;
        } else {
            const DumpLine parsed = ParseDumpLine(line);
            if (parsed.kind != DumpLine::Ignored) seen.lines.push_back(parsed);
        }
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
    return seen;
}

void checkLine(const DumpLine& line)
{
    if (line.kind == DumpLine::Part) FUZZ_CHECK(line.partRow >= 0 && line.partRow < kPartCount);
    if (line.kind != DumpLine::Point) return;
    const DumpPoint& p = line.point;
    FUZZ_CHECK(std::isfinite(p.Hours) && std::isfinite(p.Deviation) &&
               std::isfinite(p.Temperature));
    FUZZ_CHECK(p.Hours >= 0 && p.Hours * 3600.0 <= kDumpSecondsMax + 1e-3);
    FUZZ_CHECK(std::fabs(p.Deviation) <= kDumpSecondsMax);
    FUZZ_CHECK(std::fabs(p.Temperature) <= kDumpCelsiusMax);
}

std::string writePoints(const PartInfo& part, const uint8_t (&regs)[256],
                        const std::vector<DumpPoint>& points)
{
    std::vector<double> x, y, t;
    for (const DumpPoint& p : points) {
        x.push_back(p.Hours);
        y.push_back(p.Deviation);
        t.push_back(p.Temperature);
    }
    return WriteDumpText(part, regs, {x.data(), y.data(), points.size()},
                         {x.data(), t.data(), points.size()});
}

// The written text's lines, each without its CR LF; every line must have one.
std::vector<std::string_view> crlfLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        FUZZ_CHECK(end != std::string_view::npos);
        const std::string_view line = text.substr(start, end - start);
        FUZZ_CHECK(line.find('\n') == std::string_view::npos);
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// The one point line of a point written alone (the graph block's last line).
std::string pointLine(const DumpPoint& point)
{
    static const uint8_t noRegisters[256] = {};
    const std::string text = writePoints(PartTable[0], noRegisters, {point});
    const std::vector<std::string_view> lines = crlfLines(text);
    FUZZ_CHECK(!lines.empty());
    return std::string(lines.back());
}

bool sameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

void readDriftLines(std::string_view bytes)
{
    std::vector<DriftLine> taken;
    DumpLineReader reader(nullptr, [&](std::string_view line) {
        FUZZ_CHECK(line.size() <= kDumpLineMax);
        FUZZ_CHECK(ParseDumpLine(line).kind == DumpLine::Ignored);
        const DriftLine parsed = ParseDriftLine(line);
        if (parsed.kind != DriftLine::Ignored) taken.push_back(parsed);
    });
    reader.feed(bytes.data(), bytes.size());
    reader.finish();
    for (const DriftLine& line : taken) {
        if (line.kind == DriftLine::Figures) {
            FUZZ_CHECK(line.MinCelsius.has_value() == line.MaxCelsius.has_value());
            if (line.MinCelsius)
                FUZZ_CHECK(-kDumpCelsiusMax <= *line.MinCelsius &&
                           *line.MinCelsius <= *line.MaxCelsius &&
                           *line.MaxCelsius <= kDumpCelsiusMax);
            continue;
        }
        const DriftLogic::DriftPoint& p = line.point;
        FUZZ_CHECK(p.Seconds >= 0 && p.Seconds <= kDumpSecondsMax);
        FUZZ_CHECK(std::fabs(p.OffsetMs) <= kDumpDriftMsMax);
        FUZZ_CHECK(p.UncertaintyMs >= 0 && p.UncertaintyMs <= kDumpDriftMsMax);
        const std::string block = WriteDriftBlock(DriftLogic::DriftFigures{}, {&p, 1});
        const std::vector<std::string_view> lines = crlfLines(block);
        FUZZ_CHECK(!lines.empty());
        for (const std::string_view written : lines) {
            FUZZ_CHECK(written.size() <= kDumpLineMax);
            FUZZ_CHECK(ParseDumpLine(written).kind == DumpLine::Ignored);
        }
        const DriftLine again = ParseDriftLine(lines.back());
        FUZZ_CHECK(again.kind == DriftLine::Sample);
        FUZZ_CHECK(sameBits(again.point.Seconds, p.Seconds) &&
                   sameBits(again.point.OffsetMs, p.OffsetMs) &&
                   sameBits(again.point.UncertaintyMs, p.UncertaintyMs));
    }
}

void readFile(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Seen whole = readInPieces(bytes, {});
    FUZZ_CHECK(whole == linesOf(bytes));
    for (const DumpLine& line : whole.lines)
        checkLine(line);

    std::vector<size_t> everyByte;
    for (size_t i = 1; i < size; ++i)
        everyByte.push_back(i);
    FUZZ_CHECK(readInPieces(bytes, everyByte) == whole);

    // Cut after every CR and before every LF.
    std::vector<size_t> atLineEnds;
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\r') atLineEnds.push_back(i + 1);
        if (bytes[i] == '\n') atLineEnds.push_back(i);
    }
    FUZZ_CHECK(readInPieces(bytes, atLineEnds) == whole);

    // Piece sizes from the input's own bytes (1 to 256).
    std::vector<size_t> drawn;
    for (size_t at = 0, k = 0; at < size; ++k) {
        at += 1 + data[(k * 7) % size];
        drawn.push_back(at);
    }
    FUZZ_CHECK(readInPieces(bytes, drawn) == whole);

    // Any point the reader takes, written again, is read again.
    for (const DumpLine& line : whole.lines) {
        if (line.kind != DumpLine::Point) continue;
        const std::string again = pointLine(line.point);
        FUZZ_CHECK(again.size() <= kDumpLineMax);
        FUZZ_CHECK(ParseDumpLine(again).kind == DumpLine::Point);
    }
}

double bits(FuzzedDataProvider& in)
{
    uint64_t raw = in.ConsumeIntegral<uint64_t>();
    double value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

// Mostly points within the reader's limits, some anywhere, some not numbers.
DumpPoint drawPoint(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return {bits(in), bits(in), bits(in)};
    case 1:
        return {in.ConsumeFloatingPoint<double>(), in.ConsumeFloatingPoint<double>(),
                in.ConsumeFloatingPoint<double>()};
    default:
        return {in.ConsumeFloatingPointInRange(0.0, kDumpSecondsMax / 3600.0),
                in.ConsumeFloatingPointInRange(-kDumpSecondsMax, kDumpSecondsMax),
                in.ConsumeFloatingPointInRange(-kDumpCelsiusMax, kDumpCelsiusMax)};
    }
}

bool withinLimits(const DumpPoint& p)
{
    return std::isfinite(p.Hours) && std::isfinite(p.Deviation) && std::isfinite(p.Temperature) &&
           p.Hours >= 0 && p.Hours * 3600.0 <= kDumpSecondsMax &&
           std::fabs(p.Deviation) <= kDumpSecondsMax - 1 &&
           std::fabs(p.Temperature) <= kDumpCelsiusMax - 0.1;
}

void writeThenRead(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int row = in.ConsumeIntegralInRange(0, kPartCount - 1);
    uint8_t regs[256] = {};
    in.ConsumeData(regs, in.ConsumeIntegralInRange<size_t>(0, sizeof regs));
    std::vector<DumpPoint> points;
    while (in.remaining_bytes() > 0 && points.size() < 64)
        points.push_back(drawPoint(in));

    const PartInfo& part = PartTable[static_cast<size_t>(row)];
    const std::string text = writePoints(part, regs, points);
    const std::vector<std::string_view> lines = crlfLines(text);

    // The graph block ends the text: its title, then one line per point.
    FUZZ_CHECK(lines.size() >= points.size() + 1);
    const size_t first = lines.size() - points.size();
    FUZZ_CHECK(lines[first - 1] == "Elapsed Time,Deviation,Temperature");

    std::vector<DumpLine> pointsRead;
    for (size_t i = 0; i < points.size(); ++i) {
        const std::string_view line = lines[first + i];
        FUZZ_CHECK(line.substr(0, 4) == "Day ");
        const DumpLine read = line.size() <= kDumpLineMax ? ParseDumpLine(line) : DumpLine{};
        FUZZ_CHECK(read.kind == DumpLine::Point || read.kind == DumpLine::Ignored);
        if (withinLimits(points[i])) {
            FUZZ_CHECK(read.kind == DumpLine::Point);
            const DumpPoint& p = points[i];
            const DumpPoint& q = read.point;
            // Whole seconds toward zero, after rounding to the millisecond.
            FUZZ_CHECK(q.Hours * 3600.0 <= p.Hours * 3600.0 + 1e-3);
            FUZZ_CHECK(q.Hours * 3600.0 > p.Hours * 3600.0 - 1.0 - 1e-3);
            FUZZ_CHECK(std::fabs(q.Deviation - p.Deviation) <= 0.5 + 1e-6);
            FUZZ_CHECK(std::fabs(q.Temperature - p.Temperature) <= 0.05 + 1e-9);
        }
        if (read.kind == DumpLine::Point) {
            checkLine(read);
            FUZZ_CHECK(pointLine(read.point) == line);
            pointsRead.push_back(read);
        }
    }

    // The reader takes the same from the whole text.
    const Seen seen = readInPieces(text, {});
    FUZZ_CHECK(seen.overlong <= points.size() - pointsRead.size());
    size_t parts = 0, registers = 0, nextPoint = 0;
    for (const DumpLine& line : seen.lines) {
        switch (line.kind) {
        case DumpLine::Part:
            ++parts;
            FUZZ_CHECK(line.partRow == row);
            break;
        case DumpLine::Register:
            ++registers;
            FUZZ_CHECK(line.value == regs[line.address]);
            break;
        case DumpLine::Point:
            FUZZ_CHECK(nextPoint < pointsRead.size() && same(line, pointsRead[nextPoint]));
            ++nextPoint;
            break;
        case DumpLine::Ignored:
            FUZZ_CHECK(false);
        }
    }
    FUZZ_CHECK(nextPoint == pointsRead.size());
    const bool headed = part.TypeCode != TypeNone;
    FUZZ_CHECK(parts == (headed ? 1u : 0u));
    FUZZ_CHECK(headed ? registers > 0 : registers == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    readFile(data, size);
    readDriftLines(std::string_view(reinterpret_cast<const char*>(data), size));
    writeThenRead(data, size);
    return 0;
}
