// The main window: menus, tool bar, the tab set with the display panel beside
// it, the status bar, start-up (FormCreate) and shutdown (FormClose). The tab
// pages come from the page table's rows; the window names none of them but
// its own Setup page. It is the context of every page, of the polling cycle,
// the board connection, the part choice and the reports.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <span>

#include "app/AppOptions.h"
#include "app/PartChoice.h"
#include "app/Reg.h"
#include "app/polling/PollingContext.h"
#include "app/setup/BoardConnection.h"
#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "clock/PcSchedule.h"
#include "pages/PageContext.h"
#include "reports/ReportContext.h"

class DisplayPanel;
class DumpCommands;
class PollingCycle;
struct PageRow;
enum class StartUpPhase : uint8_t;
class QAction;
class QDialog;
class QFrame;
class QLabel;
class QScrollArea;
class QTabWidget;
class QTemporaryDir;
class QTimer;
class QToolButton;
class RecordingSink;
class ReportPrinter;
class SetupPage;
class WindowResultSink;

class TMainApp : public QMainWindow,
                 public PageContext,
                 public PollingContext,
                 public ReportContext,
                 public ConnectionContext,
                 public PartChoiceContext {
    Q_OBJECT
  public:
    // FormCreate runs here. In script mode error boxes are recorded instead of
    // shown and, without --settings, the settings live in a scratch file.
    TMainApp(const AppOptions& options, bool scriptMode, QWidget* parent = nullptr);
    ~TMainApp() override;

    // What pages get.
    RtcBus& bus() override { return bus_; }
    PcClock& pcClock() override { return *pcClock_; }
    PcSchedule& schedule() override { return *schedule_; }
    QString statusPanelText(int panel) const override;
    void setStatusPanelText(int panel, const QString& text) override;
    QWidget* control(const QString& name) override;
    QWidget* dialogParent() override { return this; }
    bool scriptMode() const override { return scriptMode_; }
    int32_t unlockPart(const void* sender) override;
    void setUnlocker(std::function<int32_t(const void* sender)> unlocker) override;
    PageLinks& links() override { return links_; }

    // What the polling cycle, the reports, the board connection and the part
    // choice get besides.
    std::span<const PageRow> pages() const override { return pages_; }
    bool pcTime24() const override;
    bool supplyOn() const override;
    QString fileDialogFolder() const override { return dialogFolder_; }
    void stopPolling() override;
    void choosePart(int partRow) override;
    SetupPage& setup() override { return *setup_; }
    QToolButton* supplySwitch() override { return VccSw; }
    int chosenPartRow() const override;
    QTabWidget* tabs() override { return TabFunctions; }
    QWidget* controlRoot() override { return this; }
    void showTitle(const QString& title) override { setWindowTitle(title); }
    void setSupplySwitchable(bool switchable) override;
    void boardChanged() override { readShownPage(); }

    const AppOptions& options() const { return options_; }
    const Reg& settings() const { return reg_; }

    // The PC clock the window reads; the window's own unless one is set.
    // The window does not own a clock set here; null restores its own.
    void setPcClock(PcClock* clock);

    QTimer* pollTimer() override { return Timer1; }

    // Queue of error boxes in script mode; null otherwise.
    RecordingSink* recordedBoxes();

    // The About box shown by Help > About; created beside the window.
    void setAboutBox(QDialog* box) { aboutBox_ = box; }
    QDialog* aboutBox() const { return aboutBox_; }

    // Tab pages by objectName (tsSetup, tsSetTime, tsReg, ...), built from
    // the page table.
    QWidget* page(const QString& name) const override;
    int pageIndex(const QString& name) const;
    // The scroll area a built page lays its controls out in (tsAlarmScroll
    // on tsAlarm); null for an empty page.
    QScrollArea* pageScrollArea(const QString& name) const;
    void setPageVisible(const QString& name, bool visible);
    bool isPageVisible(const QString& name) const;

    // Controls the page table names, as the window holds them: the lamp of
    // that name on its page (null while its page is not built yet), and the
    // controls that work only with an open board.
    QObject* lamp(const char* name) override;
    QList<QWidget*> boardControls() override;

    // Every name in the page table and the part choice's settings that
    // matched no control since the window was built.
    const QStringList& controlFailures() const { return failures_; }
    void recordControlFailure(const QString& failure) override;
    void clearControlFailures();

    // The shell's own Setup page.
    SetupPage* setupPage() const { return setup_; }
    // Board list, bus speed, supply switch and plug notifications.
    BoardConnection* boardConnection() const { return connection_; }

    // The adapter table windows built from now on start with (null: the
    // library), so tests can watch start-up's board listing.
    static void setStartupAdapter(const AdapterApi* api);
    // The PC clock windows built from now on read from start-up on (null:
    // the system's); the window does not own it.
    static void setStartupPcClock(PcClock* clock);
    // The page table windows built from now on take (empty: Pages()), so a
    // test can add a page of its own; the rows must outlive those windows.
    static void setStartupPages(std::span<const PageRow> rows);

    // Applies the pages' settings when a part is chosen; controlFailures() lists
    // the settings that named no control.
    PartChoice& partChoice() { return *partChoice_; }
    // Puts the chosen part into the simulated board's socket; the board
    // connection runs it after opening a board.
    void syncSimulatedSocket() override;

    // The display panel rtc and the polling cycle's state.
    DisplayPanel* displayPanel() const { return display_; }
    PollingCycle* pollingCycle() const { return polling_; }

    // The register dump file's Open, Save and Save As.
    DumpCommands* dumpCommands() const { return dump_; }

    // Picture on the supply switch: 15 = supply off, 16 = supply on.
    int vccPicture() const override;
    void setVccPicture(int picture) override;

    // Initial folder of the open and save dialogs ("FileDir" at start-up).
    void setFileDialogFolder(const QString& folder) { dialogFolder_ = folder; }

    // Directory part of a path: everything up to and including the last
    // separator; empty when there is none.
    static QString directoryPart(const QString& path);

    // Controls, named as designed.
    QAction* FileOpen1 = nullptr;
    QAction* FileSave = nullptr;   // menu "&Save"
    QAction* FileSaveAs = nullptr; // menu "Save &As..."
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* HelpAbout1 = nullptr;
    // Options > "Read pages when shown" (checkable, kept as "ReadOnShow").
    QAction* ReadOnShow1 = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* VccSw = nullptr;
    QTabWidget* TabFunctions = nullptr;
    QFrame* rtc = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* PollingTime = nullptr;
    QTimer* Timer1 = nullptr;

  public slots:
    void Timer1Timer();
    void DeviceSelChange();
    void FileExit1Execute();
    // The shown page's reads, as its row gives them, where "Read pages when
    // shown" is on, a board is open and a part chosen; run when a tab is
    // shown and after a part choice or a board change.
    void readShownPage();
    // "Read pages when shown" switched on or off: kept in the settings.
    void ReadOnShow1Execute(bool on);
    void HelpAbout1Execute();
    // The register dump file at a path, as Open and Save do after their
    // dialogs (the script verbs open and save); false when it failed.
    bool openDumpFile(const QString& path);
    bool saveDumpFile(const QString& path);
    // USB plug and unplug: the board list is read again.
    void NotifyUSBArrival();
    void NotifyUSBRemove();
    // The supply follows VccChecked.
    void VccCheckedClick();
    // PrintBtn: the printed report (src/reports); printReport writes it as a
    // PDF file without a dialog.
    void PrintBtnClick();
    bool printReport(const QString& file);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void buildActions();
    void buildToolBar();
    void buildCentral();
    void buildDisplayPanel();
    void buildStatusBar();
    void connectDumpCommands();
    void bindConfirmations();
    int widestTabRow() const;
    // Moves what a built page lays out into a scroll area inside the page.
    void givePageScrollArea(QWidget* page);
    void fixWindowSize();

    void FormCreate();
    void FormClose();

    // FormCreate, one method per step, in order.
    void stepBuildRowTable();
    void stepCaption();
    void stepTempSensor();
    void stepCommandLineSwitch();
    void stepRestorePosition();
    void stepRestoreTempOffset();
    void stepRestoreBussSpeed();
    void stepRestoreFileDir();
    void stepFillPartList();
    void stepSetupPageToFront();
    void stepRunPartChoice();
    void stepShowTempOffset();
    void stepConnectFirstBoard();
    void stepApplySupply();
    // The start-up steps of the page table's rows of that phase, in row order.
    void stepPageStartUps(StartUpPhase phase);
    void stepClearPollingTime();
    void stepStartPolling();

    static QString settingsFileFor(const AppOptions& options, bool scriptMode,
                                   std::unique_ptr<QTemporaryDir>& scratch);
    static std::unique_ptr<WindowResultSink> makeSink(TMainApp& window, bool scriptMode);

    AppOptions options_;
    bool scriptMode_;
    std::unique_ptr<QTemporaryDir> scratch_;
    Reg reg_;
    std::unique_ptr<WindowResultSink> sink_;
    RtcBus bus_;
    SystemPcClock systemClock_;
    PcClock* pcClock_ = &systemClock_;
    PcSchedule* schedule_ = nullptr;
    QDialog* aboutBox_ = nullptr;
    SetupPage* setup_ = nullptr;
    BoardConnection* connection_ = nullptr;
    std::unique_ptr<PartChoice> partChoice_;
    std::unique_ptr<ReportPrinter> report_;
    std::span<const PageRow> pages_;
    PageLinks links_;
    DisplayPanel* display_ = nullptr;
    PollingCycle* polling_ = nullptr;
    DumpCommands* dump_ = nullptr;
    QLabel* statusPanels_[4] = {};
    QList<QScrollArea*> pageScrolls_;
    QString dialogFolder_;
    std::function<int32_t(const void*)> unlocker_;
    QStringList failures_;
    QSet<QString> failedNames_;
    QHash<QString, QPointer<QObject>> lamps_;
    // The controls of the rows' confirmations, by address, with their texts.
    QHash<const void*, QString> confirmations_;
    bool choosing_ = false; // a part choice is under way
};
