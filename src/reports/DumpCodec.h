// The register dump file: one evaluation run as comma-separated text lines -
// the part and its features, every register of its map as the image holds it,
// and the deviation and temperature graph's points. Qt-free; the window's
// commands (DumpCommands) open the files and apply what is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PartTable.h"
#include "pages/graph/DriftLogic.h"

// Longest line the reader takes, line end not counted; longer lines are skipped.
constexpr size_t kDumpLineMax = 255;

// The largest values a point line may hold; a line beyond them is skipped like
// any line that does not fit. The elapsed time is written in 32-bit seconds,
// and no two clocks of the chips' and the PC's years are further apart than
// that; no board sensor reads beyond 256 degrees either way, so 1000 leaves
// room to spare.
constexpr double kDumpSecondsMax = 4294967295.0;
constexpr double kDumpCelsiusMax = 1000.0;

// One graph point as the file keeps it: X in hours, deviation in seconds,
// temperature in degrees Celsius.
struct DumpPoint {
    double Hours;
    double Deviation;
    double Temperature;
};

// The whole file text, every line ended by CR LF. The graph block has one line
// per point that both series hold (deviation[i] with temperature[i]); X is
// taken from the deviation series. A part of TypeNone writes the graph block only.
struct DumpSeries {
    const double* X;
    const double* Y;
    size_t Count;
};
std::string WriteDumpText(const PartInfo& part, const uint8_t (&regs)[256], DumpSeries deviation,
                          DumpSeries temperature);

// "Day D HH:MM:SS" of a point's X (hours): whole seconds toward zero, taken
// after rounding to the millisecond so that a whole second stays whole; an X below
// zero or not a number counts as 0, one beyond the 32-bit second count as its end.
std::string DumpElapsedText(double hours);

// What one line says.
struct DumpLine {
    enum Kind { Ignored, Part, Register, Point } kind = Ignored;
    int partRow = 0;     // Part: row of PartTable (0 when the name is not there)
    uint8_t address = 0; // Register: the address modulo 256
    uint8_t value = 0;   // Register: the low eight bits of the value
    DumpPoint point{};   // Point
};

// Tries the three line patterns in order: "Part Nunber,NAME", "0xAA,0xDD,..."
// and "Day D H:M:S,DEV,TEMP". The line comes without its line end. Malformed
// numbers (signs, too many digits, not finite) make the pattern not fit, and
// so does a point beyond the limits above. Numbers are read as the C locale
// writes them ('.' before a fraction) whatever the process's locale; text
// after the temperature is not looked at.
DumpLine ParseDumpLine(std::string_view line);

// Splits a byte stream into lines (LF or CR LF ends a line) and hands every
// line of up to kDumpLineMax characters to the handler; longer lines are
// dropped without being kept in memory, so a file of any size is read in
// pieces of any size with bounded memory.
class DumpLineReader {
  public:
    explicit DumpLineReader(std::function<void(const DumpLine&)> handler)
        : handler_(std::move(handler))
    {
    }
    // others, when given, gets every line of up to kDumpLineMax characters
    // that none of the three patterns fits (the drift block's lines among
    // them), without its line end and valid only during the call.
    DumpLineReader(std::function<void(const DumpLine&)> handler,
                   std::function<void(std::string_view)> others)
        : handler_(std::move(handler)), others_(std::move(others))
    {
    }
    void feed(const char* data, size_t size);
    // The last line when the file does not end with a line end.
    void finish();
    // Lines dropped for their length so far.
    size_t overlongLines() const { return overlong_; }

  private:
    void endLine();

    std::function<void(const DumpLine&)> handler_;
    std::function<void(std::string_view)> others_;
    char line_[kDumpLineMax + 1] = {}; // one more for a trailing CR
    size_t length_ = 0;
    bool tooLong_ = false;
    size_t overlong_ = 0;
};

// ---- The drift run's block ----
//
// After the graph block, a file may keep the Graph page's drift run: the
// board temperature range it saw, its estimate (for whoever reads the file;
// the reader fits the samples again) and every edge-timed sample:
//
//   (empty line)
//   Drift Run,Min Temperature,Max Temperature,Rate (ppm),Interval (ppm)
//   Drift Figures,MIN,MAX,RATE,INTERVAL
//   Drift Time (s),Offset (ms),Uncertainty (ms)
//   Drift,SECONDS,OFFSET,UNCERTAINTY          (one line per sample)
//
// Every line begins with "Drift", so none fits the three patterns above and a
// reader that knows only those skips the block. A field without a value
// (no temperature reading, no estimate yet) is empty. Numbers are written in
// their shortest form that reads back to the same double (std::to_chars, the
// C locale's way whatever the process's), so a loaded run fits to exactly the
// estimate that was saved; no line comes near kDumpLineMax.

// The largest offset or uncertainty a sample line may hold, in ms: the
// elapsed-time limit of the point lines, in ms.
constexpr double kDumpDriftMsMax = kDumpSecondsMax * 1000.0;

// The block, every line ended by CR LF; empty for a run without samples.
std::string WriteDriftBlock(const DriftLogic::DriftFigures& figures,
                            std::span<const DriftLogic::DriftPoint> points);

// What one line of the block says.
struct DriftLine {
    enum Kind { Ignored, Figures, Sample } kind = Ignored;
    // Figures: the temperature range; both empty or both set, min <= max.
    std::optional<double> MinCelsius, MaxCelsius;
    DriftLogic::DriftPoint point{}; // Sample
};

// "Drift Figures,MIN,MAX,..." (the range; the fields after it are not read)
// and "Drift,SECONDS,OFFSET,UNCERTAINTY" (nothing after the last number but
// blanks). A sample's seconds lie within 0..kDumpSecondsMax, its offset
// within +-kDumpDriftMsMax and its uncertainty within 0..kDumpDriftMsMax;
// temperatures within +-kDumpCelsiusMax. Anything else does not fit, like
// a malformed number (not finite, a decimal comma, hex) or a missing field.
DriftLine ParseDriftLine(std::string_view line);
