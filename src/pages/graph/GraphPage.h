// The Graph page (tab tsGraph): the chart TimeDev of the chip's deviation from
// the PC clock and the board temperature over elapsed hours, the three range
// lists that set its axes, the start time and the Restart button.
#pragma once

#include <QWidget>

#include "pages/PageContext.h"

class DriftMeter;
class GraphData;
class GraphView;
class PageContext;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class GraphPage : public QWidget, public PartChoiceStep, public PollStep {
    Q_OBJECT
  public:
    // The page keeps the graph's samples and offers them, and its chart, to
    // the others (PageLinks::graph, PageLinks::graphChart), and runs the
    // drift meter (PageLinks::drift).
    explicit GraphPage(PageContext& context, QWidget* parent = nullptr);

    GraphData& data() { return data_; }
    DriftMeter& meter() { return meter_; }

    // A part choice starts the drift run afresh.
    void partChosen() override;
    // The drift meter follows the polling: it measures while it runs.
    void polled() override;

    // The page's step of start-up: restart, then the three ranges, so the
    // axes match the lists.
    void StartUp();

    // Controls keep their designed names (also their objectNames).
    GraphView* TimeDev = nullptr;
    QGroupBox* GroupDevRange = nullptr; // " Deviation Range "
    QComboBox* DevRange = nullptr;
    QGroupBox* GroupTempRange = nullptr; // " Temp Range "
    QComboBox* TempRange = nullptr;
    QGroupBox* GroupTimeBase = nullptr; // " Time Base "
    QComboBox* TimeBase = nullptr;
    QGroupBox* GroupStartTime = nullptr; // " Start Time "
    QLabel* GraphStart = nullptr;
    QPushButton* BtnRstGraph = nullptr;
    // Says when drawn deviation points lie beyond the chosen range and which
    // entry of DevRange would hold them; empty otherwise.
    QLabel* DevOffScale = nullptr;
    // The drift meter's estimate: "Rate: +17.3 ppm ± 0.2 (1 h 10 min, ...)".
    QLabel* DriftRate = nullptr;

  public slots:
    void DevRangeChange();
    void TempRangeChange();
    void TimeBaseChange();
    // Empties both series, shows the PC time in GraphStart and counts the
    // elapsed time from now.
    void BtnRstGraphClick();

  private:
    PageContext& context_;
    GraphData& data_;
    DriftMeter& meter_;
};
