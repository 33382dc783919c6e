#include "reports/DumpCodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

const char* yesNo(uint8_t flag)
{
    return flag ? "Yes" : "No";
}

// printf-style text of integers and strings only (numbers with a fraction go
// through appendFixed): "%d", "%u" and "%X" are the same in every locale. The
// text is never cut, so a line always keeps its line end.
template <typename... Args> void appendf(std::string& out, const char* format, Args... args)
{
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n <= 0) return;
    if (static_cast<size_t>(n) < sizeof buffer) {
        out.append(buffer, static_cast<size_t>(n));
        return;
    }
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(n) + 1);
    std::snprintf(out.data() + at, static_cast<size_t>(n) + 1, format, args...);
    out.resize(at + static_cast<size_t>(n));
}

// A number with a fixed count of decimals as the C locale's "%1.Nf" writes
// it ('.' before the fraction, "-0.0" kept), whatever the process's locale.
void appendFixed(std::string& out, double value, int decimals)
{
    // The longest is a "-" and 309 digits of DBL_MAX, a point and the decimals.
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) out.append(buffer, static_cast<size_t>(r.ptr - buffer));
}

// The shortest text that reads back to the same double, as the C locale
// writes it, whatever the process's locale.
void appendShortest(std::string& out, double value)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (r.ec == std::errc()) out.append(buffer, static_cast<size_t>(r.ptr - buffer));
}

void appendOptional(std::string& out, const std::optional<double>& value)
{
    if (value) appendShortest(out, *value);
}

// A cursor over one line, matching as the line patterns do.
struct Cursor {
    std::string_view s;
    size_t at = 0;

    bool literal(std::string_view text)
    {
        if (s.substr(at, text.size()) != text) return false;
        at += text.size();
        return true;
    }
    void skipBlanks()
    {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\r' || s[at] == '\n' ||
                                 s[at] == '\v' || s[at] == '\f'))
            ++at;
    }
    // Up to eight hex digits (a 32-bit number).
    bool hex(uint32_t* value)
    {
        skipBlanks();
        const char* first = s.data() + at;
        const char* last = s.data() + s.size();
        const auto r = std::from_chars(first, last, *value, 16);
        if (r.ec != std::errc() || r.ptr - first > 8) return false;
        at += static_cast<size_t>(r.ptr - first);
        return true;
    }
    bool unsignedNumber(uint32_t* value)
    {
        skipBlanks();
        const char* first = s.data() + at;
        const auto r = std::from_chars(first, s.data() + s.size(), *value, 10);
        if (r.ec != std::errc()) return false;
        at += static_cast<size_t>(r.ptr - first);
        return true;
    }
    bool real(double* value)
    {
        skipBlanks();
        if (at < s.size() && s[at] == '+') ++at;
        const char* first = s.data() + at;
        const auto r = std::from_chars(first, s.data() + s.size(), *value);
        if (r.ec != std::errc() || !std::isfinite(*value)) return false;
        at += static_cast<size_t>(r.ptr - first);
        return true;
    }
    bool atEnd() const { return at == s.size(); }
    bool peek(char c) const { return at < s.size() && s[at] == c; }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool parsePart(std::string_view line, DumpLine* out)
{
    Cursor c{line};
    if (!c.literal("Part Nunber,")) return false;
    c.skipBlanks();
    const size_t start = c.at;
    while (c.at < line.size() && !isBlank(line[c.at]))
        ++c.at;
    if (c.at == start) return false;
    out->kind = DumpLine::Part;
    out->partRow = FindPartRow(line.substr(start, c.at - start));
    return true;
}

bool parseRegister(std::string_view line, DumpLine* out)
{
    Cursor c{line};
    uint32_t address = 0, value = 0;
    if (!c.literal("0x") || !c.hex(&address) || !c.literal(",0x") || !c.hex(&value)) return false;
    out->kind = DumpLine::Register;
    out->address = static_cast<uint8_t>(address & 0xFF);
    out->value = static_cast<uint8_t>(value & 0xFF);
    return true;
}

bool parsePoint(std::string_view line, DumpLine* out)
{
    Cursor c{line};
    uint32_t days = 0, hours = 0, minutes = 0, seconds = 0;
    double deviation = 0, temperature = 0;
    if (!c.literal("Day")) return false;
    c.skipBlanks();
    if (!c.unsignedNumber(&days)) return false;
    c.skipBlanks();
    if (!c.unsignedNumber(&hours) || !c.literal(":") || !c.unsignedNumber(&minutes) ||
        !c.literal(":") || !c.unsignedNumber(&seconds) || !c.literal(",") || !c.real(&deviation) ||
        !c.literal(",") || !c.real(&temperature))
        return false;
    const double elapsed = days * 86400.0 + hours * 3600.0 + minutes * 60.0 + seconds;
    if (elapsed > kDumpSecondsMax || std::fabs(deviation) > kDumpSecondsMax ||
        std::fabs(temperature) > kDumpCelsiusMax)
        return false;
    out->kind = DumpLine::Point;
    out->point.Hours = days * 24.0 + hours + minutes / 60.0 + seconds / 3600.0;
    out->point.Deviation = deviation;
    out->point.Temperature = temperature;
    return true;
}

bool within(double value, double low, double high)
{
    return value >= low && value <= high;
}

// A temperature field of the figures line: empty (the next comma or the
// line's end follows at once) or a number.
bool celsiusField(Cursor& c, std::optional<double>* value)
{
    if (c.atEnd() || c.peek(',')) return true;
    double v = 0;
    if (!c.real(&v) || !within(v, -kDumpCelsiusMax, kDumpCelsiusMax)) return false;
    c.skipBlanks();
    *value = v;
    return true;
}

bool parseDriftFigures(std::string_view line, DriftLine* out)
{
    Cursor c{line};
    std::optional<double> low, high;
    if (!c.literal("Drift Figures,") || !celsiusField(c, &low) || !c.literal(",") ||
        !celsiusField(c, &high) || !(c.atEnd() || c.peek(',')))
        return false;
    if (low.has_value() != high.has_value() || (low && *low > *high)) return false;
    out->kind = DriftLine::Figures;
    out->MinCelsius = low;
    out->MaxCelsius = high;
    return true;
}

bool parseDriftSample(std::string_view line, DriftLine* out)
{
    Cursor c{line};
    DriftLogic::DriftPoint p;
    if (!c.literal("Drift,") || !c.real(&p.Seconds) || !c.literal(",") || !c.real(&p.OffsetMs) ||
        !c.literal(",") || !c.real(&p.UncertaintyMs))
        return false;
    c.skipBlanks();
    if (!c.atEnd() || !within(p.Seconds, 0, kDumpSecondsMax) ||
        !within(p.OffsetMs, -kDumpDriftMsMax, kDumpDriftMsMax) ||
        !within(p.UncertaintyMs, 0, kDumpDriftMsMax))
        return false;
    out->kind = DriftLine::Sample;
    out->point = p;
    return true;
}

} // namespace

std::string WriteDriftBlock(const DriftLogic::DriftFigures& figures,
                            std::span<const DriftLogic::DriftPoint> points)
{
    std::string out;
    if (points.empty()) return out;
    out.reserve(256 + points.size() * 64);
    out += "\r\n";
    out += "Drift Run,Min Temperature,Max Temperature,Rate (ppm),Interval (ppm)\r\n";
    out += "Drift Figures,";
    // The range goes whole or not at all, as the reader takes it.
    if (figures.MinCelsius && figures.MaxCelsius) {
        appendShortest(out, *figures.MinCelsius);
        out += ',';
        appendShortest(out, *figures.MaxCelsius);
    } else {
        out += ',';
    }
    out += ',';
    appendOptional(out, figures.RatePpm);
    out += ',';
    appendOptional(out, figures.IntervalPpm);
    out += "\r\n";
    out += "Drift Time (s),Offset (ms),Uncertainty (ms)\r\n";
    for (const DriftLogic::DriftPoint& p : points) {
        out += "Drift,";
        appendShortest(out, p.Seconds);
        out += ',';
        appendShortest(out, p.OffsetMs);
        out += ',';
        appendShortest(out, p.UncertaintyMs);
        out += "\r\n";
    }
    return out;
}

DriftLine ParseDriftLine(std::string_view line)
{
    DriftLine result;
    if (parseDriftFigures(line, &result) || parseDriftSample(line, &result)) return result;
    return DriftLine{};
}

std::string DumpElapsedText(double hours)
{
    double total = hours * 3600.0;
    constexpr double kMax = std::numeric_limits<uint32_t>::max();
    if (!(total > 0)) total = 0; // also not a number
    if (total > kMax) total = kMax;
    // X holds seconds / 3600, so hours * 3600 of a whole second can come out
    // a hair below it; rounded to the millisecond first, a whole second stays
    // whole, and a part of a second is still cut toward zero.
    const auto millis = static_cast<uint64_t>(std::llround(total * 1000.0));
    const auto seconds = static_cast<uint32_t>(std::min<uint64_t>(millis / 1000, kMax));
    std::string out;
    appendf(out, "Day %u %02u:%02u:%02u", seconds / 86400, seconds % 86400 / 3600,
            seconds % 3600 / 60, seconds % 60);
    return out;
}

std::string WriteDumpText(const PartInfo& part, const uint8_t (&regs)[256], DumpSeries deviation,
                          DumpSeries temperature)
{
    std::string out;
    const size_t points = std::min(deviation.Count, temperature.Count);
    out.reserve(1024 + points * 32);
    if (part.TypeCode != TypeNone) {
        appendf(out, "Part Nunber,%s\r\n", part.PartName);
        appendf(out, "Alarm,%d\r\n", static_cast<int>(part.AlarmCount));
        appendf(out, "Time Stamp,%s\r\n", yesNo(part.HasTimeStamp));
        appendf(out, "Watch Dog,%s\r\n", yesNo(part.HasWatchdog));
        appendf(out, "ShipGuard,%s\r\n", yesNo(part.HasShipGuard));
        appendf(out, "Battery Backup,%s\r\n", yesNo(part.HasBatteryBackup));
        appendf(out, "Event Detect,%s\r\n", yesNo(part.HasEventDetect));
        appendf(out, "IRQ Output,%s\r\n", yesNo(part.HasIrqOutput));
        appendf(out, "Frequency Out,%s\r\n", yesNo(part.HasFreqOut));
        appendf(out, "EEPROM,%u Byte(s)\r\n", static_cast<unsigned>(part.EepromBytes));
        appendf(out, "SRAM,%u Byte(s)\r\n", static_cast<unsigned>(part.SramBytes));
        out += "\r\n";
        out += "Address (Hex),Data (Hex),Section,Register\r\n";
        const char* section = "";
        const RegMapEntry* map = part.RegisterMap;
        for (int i = 0; map != nullptr && i < 256; ++i) {
            const RegMapEntry& e = map[i];
            if (e.Kind == RegKind::SectionHeader) {
                section = e.Caption;
            } else if (e.Kind == RegKind::RegisterRow) {
                appendf(out, "0x%02X,0x%02X,%s,%s\r\n", static_cast<unsigned>(e.Address),
                        static_cast<unsigned>(regs[e.Address]), section, e.Caption);
            } else {
                break;
            }
        }
    }
    out += "\r\n";
    out += "Elapsed Time,Deviation,Temperature\r\n";
    for (size_t i = 0; i < points; ++i) {
        out += DumpElapsedText(deviation.X[i]);
        out += ',';
        appendFixed(out, deviation.Y[i], 0);
        out += ',';
        appendFixed(out, temperature.Y[i], 1);
        out += "\r\n";
    }
    return out;
}

DumpLine ParseDumpLine(std::string_view line)
{
    DumpLine result;
    if (parsePart(line, &result) || parseRegister(line, &result) || parsePoint(line, &result))
        return result;
    return DumpLine{};
}

void DumpLineReader::feed(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            endLine();
            continue;
        }
        if (tooLong_) continue;
        if (length_ == sizeof line_) {
            tooLong_ = true;
            continue;
        }
        line_[length_++] = c;
    }
}

void DumpLineReader::finish()
{
    if (length_ > 0 || tooLong_) endLine();
}

void DumpLineReader::endLine()
{
    size_t length = length_;
    if (length > 0 && line_[length - 1] == '\r') --length;
    const bool overlong = tooLong_ || length > kDumpLineMax;
    length_ = 0;
    tooLong_ = false;
    if (overlong) {
        ++overlong_;
        return;
    }
    const std::string_view line(line_, length);
    const DumpLine parsed = ParseDumpLine(line);
    if (parsed.kind == DumpLine::Ignored) {
        if (others_) others_(line);
    } else if (handler_) {
        handler_(parsed);
    }
}
