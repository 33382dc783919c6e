// Stands in for the Graph page's drift run in window tests: the rate the
// test sets, and its restarts counted. Header only.
#pragma once

#include <optional>

#include "pages/PageLinks.h"
#include "pages/graph/DriftLogic.h"

class FakeDriftAnalysis : public DriftAnalysis {
  public:
    DriftLogic::DriftFigures figures() const override { return figures_; }
    const QList<DriftLogic::DriftPoint>& offsets() const override { return offsets_; }
    void restart() override { ++restarts; }
    void assign(QList<DriftLogic::DriftPoint>, std::optional<double>,
                std::optional<double>) override
    {
    }

    // A rate and its interval as an hour's run reports them; no rate: none
    // measured yet.
    void measured(std::optional<double> rate, std::optional<double> interval = 0.1)
    {
        figures_.RatePpm = rate;
        figures_.IntervalPpm = interval;
        figures_.Samples = 600;
    }

    int restarts = 0;

  private:
    DriftLogic::DriftFigures figures_;
    QList<DriftLogic::DriftPoint> offsets_;
};
