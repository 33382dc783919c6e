// The Graph page (tab tsGraph): the chart TimeDev of the chip's deviation from
// the PC clock and the board temperature over elapsed hours, the three range
// lists that set its axes, the start time and the Restart button.
#pragma once

#include <QWidget>

class GraphData;
class GraphView;
class PageContext;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class GraphPage : public QWidget {
    Q_OBJECT
  public:
    // The page keeps the graph's samples and offers them, and its chart, to
    // the others (PageLinks::graph, PageLinks::graphChart).
    explicit GraphPage(PageContext& context, QWidget* parent = nullptr);

    GraphData& data() { return data_; }

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
};
