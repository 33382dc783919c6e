// The few things one page offers the others, as typed services. A page that
// offers one registers itself in its PageContext's links as it is built, for
// the window's life (pages live as long as their window); a page that uses
// one asks the links when it needs it and finds null while no built page
// offers it. No page names another page's class or looks a method up by name,
// so a rename fails to compile.
#pragma once

#include <QList>
#include <QPointF>
#include <array>

#include "pages/graph/DriftLogic.h"

class BitPanel;
class QAbstractButton;
class QChart;
class QLabel;
class QLineEdit;
class QWidget;

// The Event page's time stamps.
class EventStamps {
  public:
    virtual ~EventStamps() = default;
    // Reads the stamps into the page's panels as its Last Event button does;
    // sender as ReportResult takes it (a lamp, not the button: a failure
    // lands in the status bar).
    virtual void readStamps(const void* sender) = 0;
};

// One row of the register page's RowTable: thirteen controls, bit panels
// bit 0 first.
struct RegisterRowControls {
    QWidget* Panel = nullptr;
    QLabel* Name = nullptr;
    QLineEdit* Hex = nullptr;
    std::array<BitPanel*, 8> Bits{};
    QAbstractButton* Write = nullptr;
    QAbstractButton* Read = nullptr;
};

// The register page's rows.
class RegisterRows {
  public:
    virtual ~RegisterRows() = default;
    // Binds row 8 or 9 of RowTable to another page's controls; their hex box
    // gets the hex key filter. False, and nothing bound, for any other row or
    // a missing control.
    virtual bool BindRow(int index, const RegisterRowControls& controls) = 0;
    // Shows the section chosen in the section list in the rows again.
    virtual void showChosenSection() = 0;
};

// The raw bus transfer of the Port page: the slave, sub-address and count
// its Write and Read use, left there by the last memory, ID or raw transfer.
class RawBusTransfer {
  public:
    virtual ~RawBusTransfer() = default;
    virtual void setTransfer(int slave, int address, int count) = 0;
    // Empties the data box that shows what Read brought (Read_Buf).
    virtual void clearReadData() = 0;
};

// The memory page's user-memory transfers.
class UserMemory {
  public:
    virtual ~UserMemory() = default;
    // Sub-address length of the memory transfers, 1 or 2 (the ID read of the
    // parts with an ID sets 2).
    virtual void setAddressLength(int length) = 0;
};

// The graph's samples, kept by the Graph page: what the polling cycle
// appends, the dump file saves and loads and the chart draws.
class GraphSamples {
  public:
    // Series in chart order; the index is what the dump file records.
    enum Series { Deviation = 0, Temperature = 1 };
    static constexpr int kSeriesCount = 2;

    virtual ~GraphSamples() = default;
    // Points of a series, X ascending; empty for an index outside the chart.
    virtual const QList<QPointF>& points(int series) const = 0;
    // An index outside the chart is ignored.
    virtual void append(int series, const QPointF& point) = 0;
    // Replaces a series' points at once (a loaded file's).
    virtual void assign(int series, QList<QPointF> points) = 0;
    virtual void clear() = 0;
};

// The drift analysis the Graph page runs: the chip's offset to the PC timed
// on its seconds edge every few seconds, and the rate fitted to it since the
// run's restart.
class DriftAnalysis {
  public:
    virtual ~DriftAnalysis() = default;
    // The estimate now (RateText shows it).
    virtual DriftLogic::DriftFigures figures() const = 0;
    // The run's samples in time order, those in the fit.
    virtual const QList<DriftLogic::DriftPoint>& offsets() const = 0;
    // Starts the run afresh: the chip's time or its trim was written, so what
    // came before no longer tells the rate.
    virtual void restart() = 0;
    // A loaded file's run: its samples, fitted again, and the temperature
    // range it recorded.
    virtual void assign(QList<DriftLogic::DriftPoint> offsets,
                        std::optional<double> minCelsius, std::optional<double> maxCelsius) = 0;
};

// Every service, null until a page offers it.
struct PageLinks {
    EventStamps* eventStamps = nullptr;
    RegisterRows* registerRows = nullptr;
    RawBusTransfer* rawBus = nullptr;
    UserMemory* userMemory = nullptr;
    GraphSamples* graph = nullptr;
    // The graph's chart as the printed report draws it.
    QChart* graphChart = nullptr;
    DriftAnalysis* drift = nullptr;
};
