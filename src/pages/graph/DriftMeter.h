// The drift meter of the Graph page: every few seconds it times the chip's
// seconds edge against the PC clock with a handful of single reads of the
// seconds register, each run by the PC schedule at its moment (never a wait
// in the window), takes the PC clock's steps out and fits the rate since the
// run's restart. It measures while a board is open, a part is chosen, the
// chip has its supply and the polling runs; a failed read says so in status
// panel 3 and the next window tries again.
#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <optional>

#include "pages/PageLinks.h"
#include "pages/graph/DriftLogic.h"

class GraphData;
class PageContext;
class PcClock;
class QAbstractButton;

class DriftMeter : public QObject, public DriftAnalysis {
    Q_OBJECT
  public:
    // Time between samples, and how far a settled sample may lie off the
    // fitted line before the chip's time counts as written by someone else.
    static constexpr qint64 kPaceMs = 6000;
    static constexpr double kJumpMs = 500.0;

    // data: the graph's samples, whose deviation tells the whole seconds
    // before the first edge of a run and whose temperatures give its range.
    DriftMeter(PageContext& context, GraphData& data, QObject* parent = nullptr);

    DriftLogic::DriftFigures figures() const override;
    const QList<DriftLogic::DriftPoint>& offsets() const override { return points_; }
    void restart() override;
    void assign(QList<DriftLogic::DriftPoint> offsets, std::optional<double> minCelsius,
                std::optional<double> maxCelsius) override;

    // Once a PC second, after the polling cycle's work: starts, pauses or
    // restarts the measuring as the board, the part and the polling say.
    void polled();

    // The graph's elapsed hours at a point of the run (the offset series' X).
    double hoursOf(const DriftLogic::DriftPoint& point) const;
    // Reads of the seconds register since the window was built (the bus cost).
    int64_t reads() const { return reads_; }
    bool measuring() const { return measuring_; }

  signals:
    // The figures changed (a sample, a restart, a loaded run).
    void changed();
    // A sample went into the fit: (graph hours, offset ms).
    void sampled(QPointF point);
    // The run's points were replaced (restart: none; a loaded run: its own).
    void reset();

  private:
    bool canRun();
    void stop();
    void restartRun();
    // The next window from PC time fromMs (the step-free frame) on.
    void scheduleWindow(double fromMs);
    void scheduleRead();
    void readStep();
    void failed(const QString& why);
    // A sample of the search: false while the search is still settling.
    bool taken(const DriftLogic::EdgeOffset& sample, qint64 counterMs);
    // The uncertainty below which a sample goes into the fit.
    double settledMs() const;
    // The PC's wall clock in ms as one count of local seconds, its steps
    // taken out (observed with the counter now).
    double pcMs(qint64* counterMs = nullptr);
    void graphAppended(int series, const QPointF& point);

    PageContext& context_;
    GraphData& data_;
    QPointer<QAbstractButton> polling_;
    QPointer<QAbstractButton> supply_;
    bool looked_ = false;

    DriftLogic::EdgeSearch search_;
    DriftLogic::EdgeSearch before_; // the search as the window began
    DriftLogic::ClockStepFilter filter_;
    DriftLogic::RateFit fit_;
    QList<DriftLogic::DriftPoint> points_;
    std::optional<double> minC_, maxC_;
    std::optional<double> offsetMs_;     // the last edge's offset, step-free frame
    std::optional<double> deviationS_;   // the polling's whole seconds since the restart
    qint64 runStartMs_ = 0;              // counter at the run's restart
    double runStartHours_ = 0.0;         // graph hours then
    const PcClock* runClock_ = nullptr;  // the clock the run's counter is of
    uint32_t runBoard_ = 0;
    int runPart_ = -1;
    bool measuring_ = false;
    bool loaded_ = false; // the points came from a file, not this run
    int64_t reads_ = 0;
    double transferMs_ = 0.0; // how long the last read took
    QString said_; // the failure last put into panel 3
};
