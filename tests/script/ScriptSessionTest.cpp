// The script runner against a small window of its own: verdicts, failures,
// controls worked as a user works them, time steps and the simulated board.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <map>
#include <utility>

#include "bus/AdapterApi.h"
#include "script/ScriptSession.h"
#include "support/AppTestSupport.h"

namespace {

// ---- a simulated-board table that records what scripts ask of it ----

struct SimRecord {
    QStringList calls;
    double advanced = 0;
    std::map<std::pair<int, uint32_t>, uint8_t> bytes; // (slave, sub) -> value
    int32_t failWith = 0;                              // the next call fails with this
};

SimRecord& sim()
{
    static SimRecord r;
    return r;
}

int32_t answer(const QString& call)
{
    sim().calls.append(call);
    return std::exchange(sim().failWith, 0);
}

const AdapterApi& fakeSim()
{
    static const AdapterApi api = [] {
        AdapterApi a{};
        a.ResultStr = [](int32_t code) -> const char* {
            return code == 7 ? "Not supported by this adapter" : "Some failure";
        };
        a.SimSetPart = [](uint32_t board, const char* name) {
            return answer(QStringLiteral("part %1 %2").arg(board).arg(QString::fromUtf8(name)));
        };
        a.SimAdvance = [](double seconds) {
            sim().advanced += seconds;
            return std::exchange(sim().failWith, 0);
        };
        a.SimSetTemperature = [](uint32_t board, double celsius) {
            return answer(QStringLiteral("temp %1 %2").arg(board).arg(celsius));
        };
        a.SimSetPpm = [](uint32_t board, double ppm) {
            return answer(QStringLiteral("ppm %1 %2").arg(board).arg(ppm));
        };
        a.SimPoke = [](uint32_t board, uint8_t slave, uint32_t sub, uint8_t value) {
            sim().bytes[{slave, sub}] = value;
            return answer(
                QStringLiteral("poke %1 %2 %3 %4").arg(board).arg(slave).arg(sub).arg(value));
        };
        a.SimPeek = [](uint32_t board, uint8_t slave, uint32_t sub, uint8_t* value) {
            *value = sim().bytes[{slave, sub}];
            return answer(QStringLiteral("peek %1 %2 %3").arg(board).arg(slave).arg(sub));
        };
        a.SimSetAttached = [](uint32_t board, int attached) {
            return answer(QStringLiteral("attach %1 %2").arg(board).arg(attached));
        };
        a.SimEventInput = [](uint32_t board, int level) {
            return answer(QStringLiteral("event %1 %2").arg(board).arg(level));
        };
        a.SimSetVoltage = [](uint32_t board, int which, double volts) {
            return answer(QStringLiteral("volts %1 %2 %3").arg(board).arg(which).arg(volts));
        };
        return a;
    }();
    return api;
}

// ---- the window ----

// A panel that counts the clicks it receives, as the window's coloured panels do.
class Panel : public QLabel {
  public:
    using QLabel::QLabel;
    int clicks = 0;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) ++clicks;
    }
};

// Drops every key but digits and editing keys, as the window's key filters do.
class DigitsOnly : public QObject {
  public:
    using QObject::QObject;
    int dropped = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->text().isEmpty() || k->text().front().isDigit() || k->key() == Qt::Key_Backspace)
            return false;
        ++dropped;
        return true;
    }
};

class TestWindow : public QWidget {
    Q_OBJECT
  public:
    TestWindow()
    {
        setObjectName(QStringLiteral("TestWindow"));
        auto* layout = new QVBoxLayout(this);

        ListA = add<QComboBox>("ListA");
        ListA->addItems({"100", "400"});
        connect(ListA, &QComboBox::activated, this, [this](int i) { picks.append(i); });
        add<QComboBox>("ListB");

        ChkA = add<QCheckBox>("ChkA");
        ChkA->setText(QStringLiteral("Enable"));
        connect(ChkA, &QCheckBox::clicked, this, [this] { ++chkClicks; });

        GroupA = add<QGroupBox>("GroupA");
        GroupA->setTitle(QStringLiteral("Sensor"));
        auto* groupLayout = new QVBoxLayout(GroupA);
        RadioA = new QRadioButton(QStringLiteral("LM75"), GroupA);
        RadioA->setObjectName(QStringLiteral("RadioA"));
        RadioB = new QRadioButton(QStringLiteral("LM&76"), GroupA);
        RadioB->setObjectName(QStringLiteral("RadioB"));
        groupLayout->addWidget(RadioA);
        groupLayout->addWidget(RadioB);
        RadioA->setChecked(true);
        connect(RadioB, &QRadioButton::clicked, this, [this] { ++radioBClicks; });

        connect(add<QPushButton>("BtnModalBox"), &QPushButton::clicked, this, [this] {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
                            QStringLiteral("Hello\nWorld"), QMessageBox::Ok, this);
            box.exec();
        });
        connect(add<QPushButton>("BtnDialog"), &QPushButton::clicked, this, [this] {
            QDialog dialog(this);
            dialog.setWindowTitle(QStringLiteral("About"));
            dialogResult = dialog.exec();
        });

        // Opened without waiting, as the window opens its About box in script mode.
        Later = new QDialog(this);
        Later->setWindowTitle(QStringLiteral("Later"));
        Later->setObjectName(QStringLiteral("Later"));
        auto* laterOk = new QPushButton(QStringLiteral("OK"), Later);
        laterOk->setObjectName(QStringLiteral("LaterOk"));
        connect(laterOk, &QPushButton::clicked, Later, &QDialog::accept);
        connect(add<QPushButton>("BtnLater"), &QPushButton::clicked, Later, &QDialog::open);
        connect(add<QPushButton>("BtnMenu"), &QPushButton::clicked, this, [this] {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("PopupMenu"));
            menu.addAction(QStringLiteral("Copy"));
            menuResult = menu.exec(mapToGlobal(QPoint(0, 0)));
            ++menusClosed;
        });

        BtnA = add<QPushButton>("BtnA");
        connect(BtnA, &QPushButton::clicked, this, [this] { ++btnClicks; });
        add<QPushButton>("BtnOff")->setEnabled(false);
        add<QPushButton>("SaveAs")->setText(QStringLiteral("Save &As..."));
        add<QPushButton>("AmpBtn")->setText(QStringLiteral("R&&W"));

        PanelA = add<Panel>("PanelA");
        PanelA->setProperty("colour", QColor(0xA6, 0xCA, 0xF0));
        add<QLabel>("PanelB")->setProperty("colour", 0xF0CAA6); // 0x00BBGGRR
        add<QLabel>("LedA")->setProperty("lit", true);
        auto* chart = add<QLabel>("ChartA");
        chart->setProperty("points", QStringLiteral("3|2"));
        chart->setProperty("last", QStringLiteral("0.5,1|0.5,25"));
        chart->setProperty("shown", QStringLiteral("3|2"));
        chart->setProperty("ranges", QStringLiteral("0..1/0.1/2"));
        add<QLabel>("HiddenLbl")->hide();
        add<QLabel>("Twin");
        add<QLabel>("Twin");

        EditA = add<QLineEdit>("EditA");
        EditA->installEventFilter(filter = new DigitsOnly(this));
        connect(EditA, &QLineEdit::returnPressed, this, [this] { ++enters; });

        auto* grid = add<QTableWidget>("GridA");
        grid->setRowCount(2);
        grid->setColumnCount(2);
        grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("Time Stamp")));
        grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("Yes")));

        Tabs = add<QTabWidget>("Tabs");
        for (const char* name : {"PageA", "PageB", "PageC"}) {
            auto* page = new QWidget;
            page->setObjectName(QString::fromLatin1(name));
            Tabs->addTab(page, QStringLiteral("&") + QString::fromLatin1(name).mid(4) + "-tab");
            auto* button = new QPushButton(page);
            button->setObjectName(QStringLiteral("BtnOn") + QString::fromLatin1(name).mid(4));
        }
        Tabs->setTabVisible(1, false);
        Tabs->setCurrentIndex(2);

        // Up and down arrows side by side, as the window's spin buttons are.
        auto* spin = add<QWidget>("SpinA");
        auto* spinLayout = new QVBoxLayout(spin);
        for (const char* arrow : {"SpinAUp", "SpinADown"}) {
            auto* b = new QToolButton(spin);
            b->setObjectName(QLatin1String(arrow));
            spinLayout->addWidget(b);
        }

        auto* menu = new QMenu(QStringLiteral("&File"), this);
        menu->setObjectName(QStringLiteral("MenuA"));
        auto* hiddenMenu = new QMenu(QStringLiteral("&Tools"), this);
        hiddenMenu->setObjectName(QStringLiteral("MenuB"));
        hiddenMenu->menuAction()->setVisible(false);
        ActA = menu->addAction(QStringLiteral("&Open"));
        ActA->setObjectName(QStringLiteral("ActA"));
        connect(ActA, &QAction::triggered, this, [this] { ++actions; });
        (void)layout;
    }

    QComboBox* ListA;
    QCheckBox* ChkA;
    QGroupBox* GroupA;
    QRadioButton* RadioA;
    QRadioButton* RadioB;
    QPushButton* BtnA;
    Panel* PanelA;
    QLineEdit* EditA;
    QTabWidget* Tabs;
    QAction* ActA;
    DigitsOnly* filter;
    QDialog* Later;
    QAction* menuResult = nullptr;
    int menusClosed = 0;

    QList<int> picks;
    int chkClicks = 0, radioBClicks = 0, btnClicks = 0, enters = 0, actions = 0;
    int dialogResult = -1;

  private:
    template <class W> W* add(const char* name)
    {
        auto* w = new W(this);
        w->setObjectName(QString::fromLatin1(name));
        layout()->addWidget(w);
        return w;
    }
};

class FakeHost : public ScriptHost {
  public:
    explicit FakeHost(QWidget* w) : w_(w) {}

    QWidget* window() override { return w_; }
    QString statusPanelText(int panel) const override { return status[panel]; }
    QStringList takeBoxes() override { return std::exchange(boxes, {}); }
    const AdapterApi& adapter() const override { return fakeSim(); }
    uint32_t boardNo() const override { return board; }
    void pinClock(const QDateTime& at) override { clock = at; }
    bool clockPinned() const override { return clock.isValid(); }
    void advanceClock(qint64 ms) override { clock = clock.addMSecs(ms); }
    void tick() override
    {
        ticks.append(clock);
        paintedDuringTicks = paintedDuringTicks || w_->updatesEnabled();
    }
    void holdTimer() override { ++holds; }
    void close() override { closed = true; }
    QStringList controlFailures() const override { return failures; }
    std::optional<DriftLogic::DriftFigures> driftFigures() const override { return drift; }
    // The window's file actions: a name starting "bad" fails.
    bool openDumpFile(const QString& file) override { return record(opened, file); }
    bool saveDumpFile(const QString& file) override { return record(saved, file); }
    bool printReport(const QString& file) override { return record(printed, file); }
    void notifyUsbArrival() override { ++arrivals; }
    void notifyUsbRemove() override
    {
        ++removals;
        if (onRemove) onRemove();
    }

    QString status[4] = {"", " USB: Active", "", ""};
    QStringList failures;
    QStringList boxes;
    uint32_t board = 1;
    QDateTime clock;
    QList<QDateTime> ticks;
    int holds = 0;
    bool closed = false;
    bool paintedDuringTicks = false;
    QStringList opened, saved, printed;
    int arrivals = 0, removals = 0;
    std::function<void()> onRemove;
    std::optional<DriftLogic::DriftFigures> drift;

  private:
    static bool record(QStringList& files, const QString& file)
    {
        files.append(file);
        return !file.startsWith(QLatin1String("bad"));
    }

    QWidget* w_;
};

class ScriptRun : public ::testing::Test {
  protected:
    void SetUp() override
    {
        sim() = SimRecord{};
        window.setWindowTitle(QStringLiteral("T"));
    }

    // Runs the script; the printed lines land in `out`.
    int run(const QString& source, ScriptHost& on)
    {
        out.clear();
        script = ScriptLanguage::compile(QStringLiteral("t.rtcs"), source);
        ScriptSession session(script, on, [this](const QString& line) { out.append(line); });
        return session.run();
    }
    int run(const QString& source) { return run(source, host); }

    struct App {
        App() { ensureApp(); }
    } app_; // before any widget
    TestWindow window;
    FakeHost host{&window};
    Script script;
    QStringList out;
};

// ---- verdict ----

struct VerdictCase {
    const char* script;
    QStringList lines;
    int exit;
};

TEST_F(ScriptRun, VerdictCountsExpectationsAndTheExitStatusFollowsFailures)
{
    const VerdictCase cases[] = {
        {"", {"0 passed, 0 failed"}, 0},
        {"expect window title \"T\"\nexpect status 1 \" USB: Active\"", {"2 passed, 0 failed"}, 0},
        {"click BtnA\ncheck ChkA on", {"0 passed, 0 failed"}, 0},
        {"expect window title \"X\"\nexpect status 1 \" USB: Active\"",
         {"FAIL t.rtcs:1: window title \"X\" / \"T\"", "1 passed, 1 failed"},
         1},
        {"# a failed step counts too\n\nclick Nope\nexpect window title \"T\"",
         {"FAIL t.rtcs:3: a control named \"Nope\" / none", "1 passed, 1 failed"},
         1},
    };
    for (const VerdictCase& c : cases) {
        EXPECT_EQ(run(QString::fromUtf8(c.script)), c.exit) << c.script;
        EXPECT_EQ(out, c.lines) << c.script;
    }
}

// ---- lines that cannot be run ----

struct BadStep {
    const char* line;
    const char* failure; // what follows "FAIL t.rtcs:1: "
};

TEST_F(ScriptRun, MalformedLinesFailWithTheirLineAndTheRestDoesNotRun)
{
    const BadStep cases[] = {
        {"selekt ListA \"100\"", "a command: select check click type key spin cell dblcell arrow "
                                 "focus leave date expect pctime "
                                 "advance tick "
                                 "wait sim open save "
                                 "print screenshot quit / \"selekt\""},
        {"check ChkA maybe", "check NAME on|off / \"maybe\" where on or off belongs"},
        {"check ChkA", "check NAME on|off / the line ends before on or off"},
        {"click BtnA extra", "click NAME / more after it: \"extra\""},
        {"type EditA \"12",
         "words and \"quoted texts\" / quoted text opened at column 12 is not closed"},
        {"select ListA #x", "select NAME \"ENTRY\" | select NAME #INDEX / the line ends before "
                            "\"ENTRY\" or #INDEX"},
        {"key EditA F13", "key NAME KEY / \"F13\" where a key name belongs"},
        {"expect ListA colr \"x\"",
         "expect NAME PROPERTY \"VALUE\" | expect NAME cell ROW COL \"VALUE\" / \"colr\" where a "
         "property belongs"},
        {"expect GridA cell 1 \"x\"", "expect NAME PROPERTY \"VALUE\" | expect NAME cell ROW COL "
                                      "\"VALUE\" / \"x\" where COL belongs"},
        {"cell GridA 1", "cell NAME ROW COL / the line ends before COL"},
        {"arrow GridA North",
         "arrow NAME Up|Down|Left|Right / \"North\" where Up, Down, Left or Right belongs"},
        {"expect status 4 \"x\"",
         "expect status PANEL \"TEXT\" / \"4\" where a panel number 0 to 3 belongs"},
        {"expect window titel \"T\"",
         "expect window title \"TEXT\" / \"titel\" where title belongs"},
        {"sim",
         "sim followed by one of part temp ppm poke expect attach event vdd vbat / the end of the "
         "line"},
        // Texts in a FAIL line are written as the script writes them, so it stays one line.
        {"sim \"a\\nb\"",
         "sim followed by one of part temp ppm poke expect attach event vdd vbat / \"a\\nb\""},
        {"\"\\r\" x", "a command: select check click type key spin cell dblcell arrow focus leave "
                      "date expect pctime "
                      "advance tick "
                      "wait "
                      "sim open save print screenshot quit / \"\\r\""},
        {"spin SpinA sideways", "spin NAME up|down / \"sideways\" where up or down belongs"},
        {"date CalA \"2024-02-30\"", "date NAME \"YYYY-MM-DD\" / \"2024-02-30\", not a date"},
        {"expect pctime \"noon\"",
         "expect pctime \"YYYY-MM-DD HH:MM:SS\" / \"noon\", not a local date and time"},
        {"sim poke 0x1FF 0 0",
         "sim poke SLAVE SUB VALUE / \"0x1FF\" where SLAVE (0 to 0xFF) belongs"},
        {"sim attach 2", "sim attach 0|1 / \"2\" where 0 or 1 belongs"},
        {"sim vdd 6.5", "sim vdd VOLTS / \"6.5\" where VOLTS (0 to 6) belongs"},
        {"sim vbat -1", "sim vbat VOLTS / \"-1\" where VOLTS (0 to 6) belongs"},
        {"wait -1", "wait SECONDS / \"-1\" where SECONDS (0 to 86400) belongs"},
        {"wait 86400.5", "wait SECONDS / \"86400.5\" where SECONDS (0 to 86400) belongs"},
        {"advance -0.1", "advance SECONDS / \"-0.1\" where SECONDS (0 to 2678400) belongs"},
        {"advance 2678401", "advance SECONDS / \"2678401\" where SECONDS (0 to 2678400) belongs"},
        {"pctime \"2024-13-01 00:00:00\"",
         "pctime \"YYYY-MM-DD HH:MM:SS\" / \"2024-13-01 00:00:00\", not a local date and time"},
    };
    for (const BadStep& c : cases) {
        const QString source = QString::fromUtf8(c.line) + "\nexpect window title \"T\"";
        EXPECT_EQ(run(source), 1) << c.line;
        EXPECT_EQ(out,
                  QStringList({QStringLiteral("FAIL t.rtcs:1: ") + QString::fromUtf8(c.failure),
                               "0 passed, 1 failed"}))
            << c.line;
    }
}

TEST_F(ScriptRun, ALineThatFailsItsCheckStopsTheScriptBeforeAnyStepActs)
{
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const QString source = QStringLiteral("pctime \"2024-03-01 12:00:00\"\n"
                                          "click BtnA\n"
                                          "check ChkA on\n"
                                          "select ListA #1\n"
                                          "type EditA \"12\"\n"
                                          "sim poke 0xA2 0x07 0x5A\n"
                                          "sim attach 0\n"
                                          "save \"b.csv\"\n"
                                          "advance 1\n"
                                          "tick\n"
                                          "screenshot %1\n"
                                          "check ChkA maybe\n"
                                          "quit\n"
                                          "sim vdd 7\n")
                               .arg(ScriptParser::quoted(shot));
    EXPECT_EQ(run(source), 1);
    // Every line that fails its check is reported, and only those.
    EXPECT_EQ(out,
              QStringList({"FAIL t.rtcs:12: check NAME on|off / \"maybe\" where on or off belongs",
                           "FAIL t.rtcs:14: sim vdd VOLTS / \"7\" where VOLTS (0 to 6) belongs",
                           "0 passed, 2 failed"}));
    // No step reached the window, the board, the clock or a file.
    EXPECT_EQ(window.btnClicks, 0);
    EXPECT_EQ(window.chkClicks, 0);
    EXPECT_FALSE(window.ChkA->isChecked());
    EXPECT_TRUE(window.picks.isEmpty());
    EXPECT_EQ(window.EditA->text(), QString());
    EXPECT_EQ(sim().calls, QStringList());
    EXPECT_EQ(sim().advanced, 0);
    EXPECT_EQ(host.removals, 0);
    EXPECT_EQ(host.saved, QStringList());
    EXPECT_FALSE(host.clock.isValid());
    EXPECT_TRUE(host.ticks.isEmpty());
    EXPECT_EQ(host.holds, 0);
    EXPECT_FALSE(host.closed);
    EXPECT_FALSE(QFile::exists(shot));
    // Nor does it set up the pinned clock that start-up would read.
    EXPECT_FALSE(script.pinsClock);
    EXPECT_FALSE(script.startTime.has_value());
}

TEST_F(ScriptRun, ControlsAUserCannotWorkSoFailWithWhatWasFound)
{
    const BadStep cases[] = {
        {"click Nope", "a control named \"Nope\" / none"},
        {"click Twin", "one control named \"Twin\" / 2 (QLabel, QLabel)"},
        {"check BtnA on", "a check box or radio button named \"BtnA\" / a QPushButton"},
        {"select ChkA \"x\"", "a list, radio group or tab set named \"ChkA\" / a QCheckBox"},
        {"type BtnA \"1\"",
         "an edit box, list or other control that takes keys named \"BtnA\" / a QPushButton"},
        {"click ListA", "a button, panel, LED or menu action named \"ListA\" / a QComboBox"},
        {"click SpinA", "a button, panel, LED or menu action named \"SpinA\" / a QWidget "
                        "holding the buttons \"SpinAUp\", \"SpinADown\""},
        {"click MenuA", "a button, panel, LED or menu action named \"MenuA\" / a QMenu"},
        {"expect BtnA lit on", "an LED named \"BtnA\" / a QPushButton"},
        {"expect BtnA points \"1|1\"", "a chart named \"BtnA\" / a QPushButton"},
        {"expect ChkA items \"x\"", "a list, radio group or tab set named \"ChkA\" / a QCheckBox"},
        {"click BtnOff", "\"BtnOff\" enabled / disabled"},
        {"click BtnOnB", "\"BtnOnB\" shown / hidden"}, // its tab is not shown
        {"click HiddenLbl", "\"HiddenLbl\" shown / hidden"},
        {"select ListA \"500\"", "an entry \"500\" in \"ListA\" / entries \"100|400\""},
        {"select ListA \"1\\n00\"", "an entry \"1\\n00\" in \"ListA\" / entries \"100|400\""},
        {"select ListA #2", "an entry #2 in \"ListA\" / 2 entries"},
        {"check RadioA off", "\"RadioA\" off / still on after a click"},
        {"dblcell BtnA 1 1", "a grid named \"BtnA\" / a QPushButton"},
    };
    for (const BadStep& c : cases) {
        EXPECT_EQ(run(QString::fromUtf8(c.line)), 1) << c.line;
        EXPECT_EQ(out,
                  QStringList({QStringLiteral("FAIL t.rtcs:1: ") + QString::fromUtf8(c.failure),
                               "0 passed, 1 failed"}))
            << c.line;
    }
    EXPECT_EQ(window.btnClicks, 0);
    EXPECT_TRUE(window.picks.isEmpty());
}

// ---- user actions ----

TEST_F(ScriptRun, ListPickRunsTheChangeHandlerThatProgramChangesDoNot)
{
    window.ListA->setCurrentIndex(1); // from the program: no handler
    ASSERT_EQ(run("select ListA \"100\"\nselect ListA #1\nexpect ListA text \"400\""), 0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.picks, QList<int>({0, 1}));
}

TEST_F(ScriptRun, CheckClicksOnlyWhenTheStateDiffers)
{
    ASSERT_EQ(run("check ChkA on\ncheck ChkA on\nexpect ChkA checked on"), 0);
    EXPECT_EQ(window.chkClicks, 1);
    ASSERT_EQ(run("check ChkA off\nexpect ChkA checked false"), 0);
    EXPECT_EQ(window.chkClicks, 2);
}

TEST_F(ScriptRun, RadioGroupPickClicksTheRadioButton)
{
    ASSERT_EQ(run("expect GroupA index 0\nselect GroupA \"LM76\"\nexpect GroupA index 1\n"
                  "expect RadioA checked off\nexpect GroupA items \"LM75|LM76\""),
              0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.radioBClicks, 1);
    ASSERT_EQ(run("check RadioA on\nexpect GroupA index \"0x0\""), 0);
}

TEST_F(ScriptRun, ClicksReachButtonsPanelsAndMenuActions)
{
    ASSERT_EQ(run("click BtnA\nclick PanelA\nclick ActA\nclick BtnOnA"), 0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.btnClicks, 1);
    EXPECT_EQ(window.PanelA->clicks, 1);
    EXPECT_EQ(window.actions, 1);
}

TEST_F(ScriptRun, TypingGoesKeyByKeyThroughTheKeyFilter)
{
    ASSERT_EQ(run("type EditA \"1a2 b3\"\nexpect EditA text \"123\"\nkey EditA Backspace\n"
                  "expect EditA text \"12\"\nkey EditA Enter"),
              0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.filter->dropped, 3);
    EXPECT_EQ(window.enters, 1);
}

TEST_F(ScriptRun, TypingReplacesTheTextAsAUserTypingOverItsSelection)
{
    window.EditA->setText(QStringLiteral("987"));
    window.EditA->setCursorPosition(1);
    ASSERT_EQ(run("type EditA \"12\"\nexpect EditA text \"12\""), 0)
        << out.join('\n').toStdString();
    // A dropped first key leaves the old text; the next key replaces it.
    ASSERT_EQ(run("type EditA \"x\"\nexpect EditA text \"12\"\ntype EditA \"x5\"\n"
                  "expect EditA text \"5\""),
              0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.filter->dropped, 2);
}

TEST_F(ScriptRun, SelectOnATabSetBringsAShownTabToTheFront)
{
    ASSERT_EQ(run("select Tabs \"A-tab\"\nexpect Tabs index 0\nexpect Tabs text \"A-tab\""), 0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.Tabs->currentIndex(), 0);
    EXPECT_EQ(run("select Tabs \"B-tab\""), 1); // hidden tabs are not among the entries
}

// ---- properties ----

TEST_F(ScriptRun, PropertiesReadWhatTheUserSees)
{
    const char* expectations[] = {
        // Shown state is each control's own, whatever tab is in front.
        "expect BtnOnA visible true",
        "expect BtnOnB visible false",
        "expect PageB visible off",
        "expect PageA visible on",
        "expect HiddenLbl visible 0",
        "expect ActA visible yes",
        // A menu is shown as its menu bar entry is, not as its popup.
        "expect MenuA visible on",
        "expect MenuB visible off",
        "expect MenuA text \"File\"",
        "expect BtnOff enabled off",
        "expect BtnA enabled true",
        // Tab sets list their shown tabs.
        "expect Tabs items \"A-tab|C-tab\"",
        "expect Tabs count 2",
        "expect Tabs index 1",
        "expect PageA text \"A-tab\"",
        "expect PageB text \"B-tab\"",
        // Captions as shown: "&x" is a mnemonic, "&&" one ampersand.
        "expect SaveAs text \"Save As...\"",
        "expect AmpBtn text \"R&W\"",
        "expect ActA text Open",
        "expect GroupA text \"Sensor\"",
        "expect ChkA text \"Enable\"",
        "expect ListA items \"100|400\"",
        "expect ListA count 0x2",
        "expect ListA text \"100\"",
        "expect ListB index -1",
        "expect ListB text \"\"",
        "expect ListB items \"\"",
        "expect PanelA colour \"#a6caf0\"",
        "expect PanelB colour 0xF0CAA6",
        "expect PanelB colour \"#A6CAF0\"",
        "expect LedA lit on",
        "expect ChartA points \"3|2\"",
        "expect ChartA last \"0.5,1|0.5,25\"",
        "expect ChartA shown \"3|2\"",
        "expect ChartA ranges \"0..1/0.1/2\"",
    };
    QString source;
    for (const char* line : expectations)
        source += QString::fromUtf8(line) + '\n';
    EXPECT_EQ(run(source), 0) << out.join('\n').toStdString();
    EXPECT_EQ(out.last(), QStringLiteral("%1 passed, 0 failed").arg(std::size(expectations)));
}

TEST_F(ScriptRun, GridCellsReadAsShown)
{
    EXPECT_EQ(run("expect GridA cell 1 0 \"Time Stamp\"\nexpect GridA cell 0x1 1 Yes\n"
                  "expect GridA cell 0 0 \"\"\nexpect GridA cell 1 1 \"No\"\n"
                  "expect GridA cell 2 0 \"x\"\nexpect ListA cell 0 0 \"100\""),
              1);
    EXPECT_EQ(out, QStringList({"FAIL t.rtcs:4: GridA cell 1 1 \"No\" / \"Yes\"",
                                "FAIL t.rtcs:5: a cell 2 0 in \"GridA\" / 2 rows and 2 columns",
                                "FAIL t.rtcs:6: a grid named \"ListA\" / a QComboBox",
                                "3 passed, 3 failed"}));
}

TEST_F(ScriptRun, AByteOrderMarkIsNotPartOfTheFirstCommand)
{
    EXPECT_EQ(run(QString(QChar(0xFEFF)) + "expect window title \"T\""), 0);
    EXPECT_EQ(out, QStringList({"1 passed, 0 failed"}));
}

TEST_F(ScriptRun, AFailedExpectationShowsExpectedAndFound)
{
    EXPECT_EQ(run("\n\nexpect ListA items \"100|400|500\"\nexpect PanelA colour \"#FFFFFF\"\n"
                  "expect LedA lit off"),
              1);
    EXPECT_EQ(out,
              QStringList({"FAIL t.rtcs:3: ListA items \"100|400|500\" / \"100|400\"",
                           "FAIL t.rtcs:4: PanelA colour \"#FFFFFF\" / \"#A6CAF0\"",
                           "FAIL t.rtcs:5: LedA lit \"false\" / \"true\"", "0 passed, 3 failed"}));
}

TEST_F(ScriptRun, NamesTheWindowCouldNotFindFailTheRunWhateverTheScriptChecked)
{
    host.failures = {"LedAlarm: no lamp of that name on tsAlarm"};
    EXPECT_EQ(run("expect LedA lit on"), 1);
    EXPECT_EQ(out, QStringList({"FAIL t.rtcs:0: every control the window names / "
                                "\"LedAlarm: no lamp of that name on tsAlarm\"",
                                "1 passed, 1 failed"}));
}

// ---- time ----

TEST_F(ScriptRun, AdvanceMovesClockAndBoardInTheTimersStepsAndTicksAtEach)
{
    const QDateTime start(QDate(2024, 3, 1), QTime(12, 0, 0));
    ASSERT_EQ(run("pctime \"2024-03-01 12:00:00\"\nadvance 1\nadvance 0.1\nadvance 0.05\ntick\n"
                  "advance 0.1\nadvance 0.01"),
              0)
        << out.join('\n').toStdString();
    EXPECT_TRUE(script.pinsClock);
    ASSERT_EQ(host.ticks.size(), 12);
    for (int i = 0; i < 9; ++i) // at 110, 220, ... 990 ms
        EXPECT_EQ(start.msecsTo(host.ticks[i]), 110 * (i + 1));
    // The timer's phase carries over: 100 ms more complete the tenth interval.
    EXPECT_EQ(start.msecsTo(host.ticks[9]), 1100);
    // tick runs at once without moving the clock and starts a new interval.
    EXPECT_EQ(start.msecsTo(host.ticks[10]), 1150);
    EXPECT_EQ(start.msecsTo(host.ticks[11]), 1260);
    EXPECT_EQ(start.msecsTo(host.clock), 1260);
    EXPECT_NEAR(sim().advanced, 1.26, 1e-9);
    EXPECT_GT(host.holds, 0);
    // Painting waits for the end of an advance, whichever way it ends.
    host.paintedDuringTicks = false;
    ASSERT_EQ(run("pctime \"2024-03-01 12:00:00\"\nadvance 0.5"), 0);
    EXPECT_FALSE(host.paintedDuringTicks);
    EXPECT_TRUE(window.updatesEnabled());
    sim().failWith = 7;
    EXPECT_EQ(run("pctime \"2024-03-01 12:00:00\"\nadvance 1"), 1);
    EXPECT_TRUE(window.updatesEnabled());
}

TEST_F(ScriptRun, ScriptsWithoutPctimeLeaveTheClockToTheWindow)
{
    EXPECT_EQ(run("tick\nexpect window title \"T\""), 0);
    EXPECT_FALSE(script.pinsClock);
    EXPECT_EQ(host.holds, 0);
    EXPECT_EQ(host.ticks.size(), 1);

    EXPECT_EQ(run("advance 1"), 1);
    EXPECT_EQ(out.first(),
              "FAIL t.rtcs:1: a pinned PC clock (pctime before advance) / the PC's own clock");
    EXPECT_TRUE(host.ticks.size() == 1 && sim().advanced == 0);
}

// ---- error boxes ----

TEST_F(ScriptRun, BoxesAreCheckedOldestFirstAndEachOnlyOnce)
{
    QObject::connect(window.BtnA, &QPushButton::clicked, [this] {
        host.boxes.append(
            QStringLiteral("Communication error Occured\rbox %1").arg(window.btnClicks));
    });
    EXPECT_EQ(run("click BtnA\nclick BtnA\n"
                  "expect box \"Communication error Occured\\rbox 1\"\n"
                  "expect box \"Communication error Occured\\rbox 2\"\n"
                  "expect nobox\n"
                  "click BtnA\nclick BtnA\nexpect nobox\nexpect nobox\nexpect box \"x\""),
              1);
    EXPECT_EQ(out,
              QStringList({"FAIL t.rtcs:8: no box / box \"Communication error Occured\\rbox 3\"",
                           "FAIL t.rtcs:10: box \"x\" / no box", "4 passed, 2 failed"}));
}

TEST_F(ScriptRun, ModalDialogsNeverWaitForAClick)
{
    EXPECT_EQ(run("click BtnModalBox\nclick BtnDialog\nexpect box \"Hello\\nWorld\"\nexpect nobox"),
              0);
    EXPECT_EQ(window.dialogResult, QDialog::Rejected);
    EXPECT_EQ(
        out, QStringList({"box: Hello\\nWorld", "dialog closed: \"About\"", "2 passed, 0 failed"}));
}

TEST_F(ScriptRun, MenusThatWaitForAChoiceAreClosed)
{
    EXPECT_EQ(run("click BtnMenu\nexpect nobox"), 0);
    EXPECT_EQ(window.menusClosed, 1);
    EXPECT_EQ(window.menuResult, nullptr);
    EXPECT_EQ(out, QStringList({"menu closed: \"PopupMenu\"", "1 passed, 0 failed"}));
}

TEST_F(ScriptRun, ADialogThatDoesNotHoldUpTheScriptStaysForItToWork)
{
    EXPECT_EQ(run("click BtnLater\nwait 0.2\nexpect LaterOk visible on\n"
                  "click LaterOk\nexpect LaterOk visible off"),
              0)
        << out.join('\n').toStdString();
    EXPECT_EQ(window.Later->result(), QDialog::Accepted);
}

// ---- the simulated board ----

TEST_F(ScriptRun, SimControlsReachTheOpenBoard)
{
    host.board = 2;
    EXPECT_EQ(run("sim part \"VK360\"\nsim temp -12.5\nsim ppm 3\nsim poke 0xA2 0x107 0x5A\n"
                  "sim expect 0xA2 0x107 0x5A\nsim event 1\nsim expect 0xA2 0x107 0x5B\n"
                  "sim vdd 2.5\nsim vbat 0"),
              1);
    EXPECT_EQ(sim().calls, QStringList({"part 2 VK360", "temp 2 -12.5", "ppm 2 3",
                                        "poke 2 162 263 90", "peek 2 162 263", "event 2 1",
                                        "peek 2 162 263", "volts 2 0 2.5", "volts 2 1 0"}));
    EXPECT_EQ(out, QStringList({"FAIL t.rtcs:7: device 0xA2 byte 0x107 = 0x5B / 0x5A",
                                "1 passed, 1 failed"}));
}

TEST_F(ScriptRun, UnplugAndPlugReachTheBoardLastOpenAndNotifyTheWindow)
{
    host.board = 2;
    host.onRemove = [this] { host.board = 0; }; // the window lets go of the unplugged board
    ASSERT_EQ(run("sim attach 0\nsim attach 1"), 0);
    EXPECT_EQ(sim().calls, QStringList({"attach 2 0", "attach 2 1"}));
    EXPECT_EQ(host.removals, 1);
    EXPECT_EQ(host.arrivals, 1);
}

TEST_F(ScriptRun, ABoardThatRefusesFailsTheStepWithTheAdaptersText)
{
    sim().failWith = 7;
    EXPECT_EQ(run("sim part \"VK360\"\nsim expect 1 2 0"), 1);
    EXPECT_EQ(out, QStringList({"FAIL t.rtcs:1: sim part \"VK360\" / \"Not supported by this "
                                "adapter\" (code 7)",
                                "1 passed, 1 failed"}));
}

// ---- window actions, screenshots, quit ----

TEST_F(ScriptRun, FileStepsCallTheWindowAndFailWhenItsActionFails)
{
    EXPECT_EQ(run("open \"a.csv\"\nsave \"b.csv\"\nsave \"bad.csv\"\nprint \"r.pdf\"\n"
                  "open \"bad.csv\"\nprint \"bad.pdf\""),
              1);
    EXPECT_EQ(host.opened, QStringList({"a.csv", "bad.csv"}));
    EXPECT_EQ(host.saved, QStringList({"b.csv", "bad.csv"}));
    EXPECT_EQ(host.printed, QStringList({"r.pdf", "bad.pdf"}));
    EXPECT_EQ(out,
              QStringList({"FAIL t.rtcs:3: save \"bad.csv\" / it failed",
                           "FAIL t.rtcs:5: open \"bad.csv\" / it failed",
                           "FAIL t.rtcs:6: print \"bad.pdf\" / it failed", "0 passed, 3 failed"}));
}

TEST_F(ScriptRun, ScreenshotSavesAPictureOfTheWindow)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_EQ(run(QStringLiteral("screenshot %1").arg(ScriptParser::quoted(file))), 0);
    const QImage image(file);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), window.grab().size());

    // Folders the picture needs are made; a relative name lands in the
    // folder the script runs in.
    const QString nested = dir.filePath(QStringLiteral("shots/event/shot.png"));
    ASSERT_EQ(run(QStringLiteral("screenshot %1").arg(ScriptParser::quoted(nested))), 0)
        << out.join('\n').toStdString();
    EXPECT_FALSE(QImage(nested).isNull());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const int relative = run(QStringLiteral("screenshot \"here/shot.png\""));
    QDir::setCurrent(before);
    EXPECT_EQ(relative, 0);
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("here/shot.png"))).isNull());

    // Below a plain file no folder can be made, not even by root.
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString bad = dir.filePath(QStringLiteral("plain/shots/shot.png"));
    EXPECT_EQ(run(QStringLiteral("screenshot %1").arg(ScriptParser::quoted(bad))), 1);
    EXPECT_EQ(out.first(),
              QStringLiteral("FAIL t.rtcs:1: screenshot %1 / its folder could not be made")
                  .arg(ScriptParser::quoted(bad)));
}

// ---- the drift meter's estimate ----

struct RateCase {
    const char* script;
    std::optional<double> rate, interval;
    int samples;
    const char* failure; // what follows "FAIL t.rtcs:1: "; null: it passes
};

TEST_F(ScriptRun, ExpectRatePassesWithinTheToleranceAndSaysWhyNot)
{
    const RateCase cases[] = {
        {"expect rate 17.3 0.5", 17.0, 0.1, 300, nullptr},
        {"expect rate 17.3 0.5", 17.8, 0.1, 300, nullptr},
        {"expect rate -43 0.2", -43.1, 0.04, 600, nullptr},
        {"expect rate 17.3 0.5", 17.9, 0.1, 300, "rate 17.3 ppm within 0.5 / 17.900 ppm \u00b1 0.100"},
        {"expect rate 17 0.2", -17.0, 0.1, 300, "rate 17 ppm within 0.2 / -17.000 ppm \u00b1 0.100"},
        // A rate without its interval is not an estimate yet, as the readout says.
        {"expect rate 0 100", 1.0, std::nullopt, 2, "rate 0 ppm within 100 / no estimate yet (2 samples)"},
        {"expect rate 0 100", std::nullopt, std::nullopt, 0,
         "rate 0 ppm within 100 / no estimate yet (0 samples)"},
    };
    for (const RateCase& c : cases) {
        SCOPED_TRACE(c.script);
        DriftLogic::DriftFigures f;
        f.RatePpm = c.rate;
        f.IntervalPpm = c.interval;
        f.Samples = c.samples;
        host.drift = f;
        EXPECT_EQ(run(QString::fromUtf8(c.script)), c.failure ? 1 : 0);
        if (c.failure)
            EXPECT_EQ(out.value(0), QStringLiteral("FAIL t.rtcs:1: ") + QString::fromUtf8(c.failure));
        else
            EXPECT_EQ(out, QStringList{"1 passed, 0 failed"});
    }
    host.drift.reset();
    EXPECT_EQ(run(QStringLiteral("expect rate 17 1")), 1);
    EXPECT_EQ(out.value(0), "FAIL t.rtcs:1: rate 17 ppm within 1 / no drift meter");
    EXPECT_EQ(run(QStringLiteral("expect rate 17 -1")), 1);
    EXPECT_EQ(out.value(0), "FAIL t.rtcs:1: expect rate VALUE TOLERANCE / \"-1\" where TOLERANCE "
                            "(ppm, 0 or more) belongs");
}

TEST_F(ScriptRun, QuitClosesTheWindowAndNothingRunsAfterIt)
{
    EXPECT_EQ(run("expect window title \"T\"\nquit\nclick BtnA\n# fine\n"), 1);
    EXPECT_TRUE(host.closed);
    EXPECT_EQ(window.btnClicks, 0);
    EXPECT_EQ(
        out, QStringList({"FAIL t.rtcs:3: nothing after quit / click NAME", "1 passed, 1 failed"}));
}

} // namespace

#include "ScriptSessionTest.moc"
