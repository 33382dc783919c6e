#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "app/PageTable.h"
#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

class MainWindow : public WindowFixture {};

QStringList comboItems(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// A page's scroll area, its body (what the page lays out) and how the body
// shows in it: whole when the viewport holds it, or reachable by scroll bars
// that show where it does not; never squeezed below the room it needs.
struct PageView {
    QString name;
    QScrollArea* scroll = nullptr;
    QWidget* body = nullptr;
};

PageView shownPage(TMainApp& w)
{
    PageView view;
    QWidget* page = w.TabFunctions->currentWidget();
    view.name = page->objectName();
    view.scroll = w.pageScrollArea(view.name);
    if (view.scroll) view.body = view.scroll->widget();
    return view;
}

void expectNotClipped(const PageView& v, const std::string& where)
{
    ASSERT_NE(v.scroll, nullptr) << where;
    ASSERT_NE(v.body, nullptr) << where;
    const QSize needs = v.body->minimumSizeHint();
    EXPECT_GE(v.body->width(), needs.width()) << where;
    EXPECT_GE(v.body->height(), needs.height()) << where;
    const QWidget* port = v.scroll->viewport();
    EXPECT_EQ(v.scroll->horizontalScrollBar()->isVisible(), v.body->width() > port->width())
        << where;
    EXPECT_EQ(v.scroll->verticalScrollBar()->isVisible(), v.body->height() > port->height())
        << where;
    EXPECT_GE(port->width() + v.scroll->horizontalScrollBar()->maximum(), v.body->width()) << where;
    EXPECT_GE(port->height() + v.scroll->verticalScrollBar()->maximum(), v.body->height()) << where;
}

// Every tab a part shows, brought to the front in turn; calls check(page, where).
template <class Check> void forEveryShownPage(TMainApp& w, const std::string& part, Check check)
{
    for (int i = 0; i < w.TabFunctions->count(); ++i) {
        if (!w.TabFunctions->isTabVisible(i)) continue;
        w.TabFunctions->setCurrentIndex(i);
        QApplication::processEvents();
        const PageView view = shownPage(w);
        check(view, part + " " + view.name.toStdString());
    }
}

TEST_F(MainWindow, FrameHasTitleTabsAndStartState)
{
    auto w = makeWindow();
    EXPECT_EQ(w->objectName(), "TMainApp");
    EXPECT_EQ(w->windowTitle(), "Kavrolux RTC Evaluation");

    const QStringList captions{"Setup",     "Set Clock", "Registers", "EEPROM",        "Graph",
                               "Interrupt", "Alarm",     "Event",     "Crystal Comp.", "Port",
                               "SysMgmt",   "DST",       "TempComp",  "PwrMgmt"};
    const QStringList names{"tsSetup",     "tsSetTime", "tsReg",   "tsMemory", "tsGraph",
                            "tsInterrupt", "tsAlarm",   "tsEvent", "tsComp",   "tsPort",
                            "tsSysMgmt",   "tsDST",     "tsTCOMP", "tsPWR"};
    ASSERT_EQ(w->TabFunctions->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(w->TabFunctions->tabText(i), captions[i]);
        EXPECT_EQ(w->TabFunctions->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(w->TabFunctions->currentWidget()->objectName(), "tsSetup");

    EXPECT_EQ(w->bus().TempSensor, 75);
    EXPECT_EQ(w->Label4->text(), "LM75 Temperature");
    EXPECT_TRUE(w->PollingTime->text().isEmpty());
    EXPECT_FALSE(w->setupPage()->VccChecked->isChecked());
    EXPECT_EQ(w->vccPicture(), 15);
    EXPECT_TRUE(w->pollTimer()->isActive());
    EXPECT_EQ(w->pollTimer()->interval(), 110);
    for (const char* name :
         {"OpenBtn", "SaveBtn", "PrintBtn", "VccSw", "rtc", "FileOpen1", "FileExit1", "HelpAbout1",
          "DeviceSel", "BussSpeedSel", "EvalBoardSel", "VccChecked", "Label4", "PollingTime"})
        EXPECT_NE(w->findChild<QObject*>(name), nullptr) << name;
}

TEST_F(MainWindow, SwitchShapesBusListPortPageAndPollingTime)
{
    auto normal = makeWindow();
    EXPECT_EQ(comboItems(normal->setupPage()->BussSpeedSel), QStringList({"100", "400"}));
    EXPECT_FALSE(normal->isPageVisible("tsPort"));
    EXPECT_TRUE(normal->PollingTime->isHidden());
    EXPECT_TRUE(normal->isPageVisible("tsSetup"));

    auto wide = makeWindow(WindowOptions().wide());
    EXPECT_EQ(comboItems(wide->setupPage()->BussSpeedSel),
              QStringList({"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "200",
                           "300", "400", "500", "600", "700", "800", "900", "1000"}));
    EXPECT_TRUE(wide->isPageVisible("tsPort"));
    EXPECT_FALSE(wide->PollingTime->isHidden());
    EXPECT_TRUE(wide->PollingTime->text().isEmpty());
}

TEST_F(MainWindow, FirstRunUsesDefaultsAndWritesNothingBeforeClose)
{
    auto w = makeWindow();
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_EQ(w->setupPage()->BussSpeedSel->currentText(), "100");
    EXPECT_EQ(w->setupPage()->DeviceSel->currentText(), "Not Selected");
    EXPECT_EQ(w->bus().data.TempOffset, 0);
    const QString exeDir = QCoreApplication::applicationDirPath() + "/";
    EXPECT_EQ(QString::fromStdString(w->bus().data.ExeDir), exeDir);
    EXPECT_EQ(w->fileDialogFolder(), exeDir);
    EXPECT_FALSE(store.exists());
}

struct SpeedCase {
    bool wide;
    const char* stored; // nullptr: value absent, other values present
    const char* selected;
};

void PrintTo(const SpeedCase& c, std::ostream* os)
{
    *os << (c.wide ? "-r, " : "") << (c.stored ? c.stored : "(absent)");
}

class BussSpeedRestore : public WindowFixture, public testing::WithParamInterface<SpeedCase> {};

TEST_P(BussSpeedRestore, SelectsSavedEntryOrEntryZero)
{
    const SpeedCase& c = GetParam();
    store.write(c.stored ? QStringLiteral("BussSpeed=%1\n").arg(c.stored)
                         : QStringLiteral("Device=VK310\n"));
    auto w = makeWindow(WindowOptions().wide(c.wide));
    EXPECT_EQ(w->setupPage()->BussSpeedSel->currentText(), QString(c.selected));
    if (!c.stored) {
        EXPECT_FALSE(store.raw("BussSpeed").has_value()) << "absent until close";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BussSpeedRestore,
    testing::Values(SpeedCase{false, "400", "400"}, SpeedCase{false, "30", "100"},
                    SpeedCase{true, "30", "30"}, SpeedCase{true, "400", "400"},
                    SpeedCase{true, "1000", "1000"}, SpeedCase{true, "7", "10"},
                    SpeedCase{false, nullptr, "100"}, SpeedCase{true, nullptr, "10"},
                    SpeedCase{false, "a, b", "100"}));

TEST_F(MainWindow, DeviceIsRestoredByExactName)
{
    const struct {
        const char* stored;
        const char* selected;
    } cases[] = {{"VK360", "VK360"},
                 {"VK390", "VK390"},
                 {"vk360", "Not Selected"},
                 {"\"VK360 \"", "Not Selected"},
                 {"Nothing", "Not Selected"}};
    for (const auto& c : cases) {
        ScratchStore own;
        own.write(QStringLiteral("Device=%1\n").arg(c.stored));
        auto w = makeWindow(WindowOptions().store(own));
        EXPECT_EQ(w->setupPage()->DeviceSel->currentText(), QString(c.selected)) << c.stored;
        EXPECT_EQ(w->setupPage()->DeviceSel->count(), 22);
        EXPECT_EQ(w->bus().partRow(), w->setupPage()->DeviceSel->currentIndex());
    }
}

TEST_F(MainWindow, MissingIntegersAreWrittenAtStartUp)
{
    store.write("FormLeft=33\nBussSpeed=400\n");
    auto w = makeWindow();
    EXPECT_EQ(w->pos(), QPoint(33, 0));
    EXPECT_EQ(store.raw("FormTop"), QString("0"));
    EXPECT_EQ(store.raw("TempCal"), QString("0"));
    EXPECT_EQ(store.raw("FormLeft"), QString("33"));
    EXPECT_FALSE(store.raw("Device").has_value());
    EXPECT_FALSE(store.raw("FileDir").has_value());
}

TEST_F(MainWindow, CloseSavesAndNextStartRestores)
{
    {
        auto first = makeWindow();
        first->move(140, 95);
        first->bus().data.TempOffset = -15;
        first->setupPage()->BussSpeedSel->setCurrentIndex(1);
        first->setupPage()->DeviceSel->setCurrentIndex(17);
        first->FileExit1->trigger();
    }
    EXPECT_EQ(store.raw("FormTop"), QString("95"));
    EXPECT_EQ(store.raw("FormLeft"), QString("140"));
    EXPECT_EQ(store.raw("TempCal"), QString("-15"));
    EXPECT_EQ(store.raw("BussSpeed"), QString("400"));
    EXPECT_EQ(store.raw("Device"), QString("VK370"));

    auto second = makeWindow();
    EXPECT_EQ(second->pos(), QPoint(140, 95));
    EXPECT_EQ(second->bus().data.TempOffset, -15);
    EXPECT_EQ(second->setupPage()->BussSpeedSel->currentText(), "400");
    EXPECT_EQ(second->setupPage()->DeviceSel->currentText(), "VK370");
    EXPECT_EQ(second->bus().partRow(), 17);
}

TEST_F(MainWindow, FileDirIsSavedOnlyAfterADumpFile)
{
    store.write("FileDir=/srv/dumps/old.csv\n");
    {
        auto w = makeWindow();
        EXPECT_EQ(w->fileDialogFolder(), "/srv/dumps/");
        w->close();
    }
    EXPECT_EQ(store.raw("FileDir"), QString("/srv/dumps/old.csv"));
    {
        auto w = makeWindow();
        w->bus().data.LastFile = "/home/eva/rtc runs/vk310.csv";
        w->close();
    }
    EXPECT_EQ(store.raw("FileDir"), QString("/home/eva/rtc runs/"));
    auto w = makeWindow();
    EXPECT_EQ(w->fileDialogFolder(), "/home/eva/rtc runs/");
}

QStringList& settingsWarnings()
{
    static QStringList warnings;
    return warnings;
}

void keepSettingsWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg && message.contains("settings")) settingsWarnings() << message;
}

TEST_F(MainWindow, CloseSaysWhenTheSettingsCannotBeSaved)
{
    ScratchStore good;
    ScratchStore blocked;
    ASSERT_TRUE(QDir().mkpath(blocked.path())); // a folder where the file would be
    auto fine = makeWindow(WindowOptions().store(good));
    auto stuck = makeWindow(WindowOptions().store(blocked));

    settingsWarnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepSettingsWarnings);
    fine->close();
    const QStringList afterGoodClose = settingsWarnings();
    stuck->close();
    qInstallMessageHandler(previous);

    EXPECT_TRUE(afterGoodClose.isEmpty()) << afterGoodClose.join('\n').toStdString();
    EXPECT_EQ(good.raw("Device"), QString("Not Selected"));
    ASSERT_EQ(settingsWarnings().size(), 1);
    EXPECT_TRUE(settingsWarnings()[0].contains("could not be saved"));
    EXPECT_TRUE(settingsWarnings()[0].contains(blocked.path()));
}

TEST_F(MainWindow, PartChoiceRunsOnUserChoiceOnly)
{
    auto w = makeWindow();
    QComboBox* list = w->setupPage()->DeviceSel;
    list->setCurrentIndex(3);
    EXPECT_EQ(w->bus().partRow(), 0);
    emit list->activated(3);
    EXPECT_EQ(w->bus().partRow(), 3);
}

TEST_F(MainWindow, UsualSizeHoldsTheDesignClientArea)
{
    const QFont usualFont = QApplication::font();
    const std::unique_ptr<QFont, void (*)(QFont*)> restore(new QFont(usualFont), [](QFont* f) {
        QApplication::setFont(*f);
        delete f;
    });
    for (const double scale : {1.0, 1.25}) {
        QFont font = usualFont;
        font.setPointSizeF(usualFont.pointSizeF() * scale);
        QApplication::setFont(font);
        for (bool wide : {false, true}) {
            auto w = makeWindow(WindowOptions().wide(wide));
            w->show();
            QApplication::processEvents();
            // It opens at its usual size, the largest it takes.
            EXPECT_EQ(w->size(), w->maximumSize());
            EXPECT_GE(w->width(), 778);
            EXPECT_GE(w->height() - w->menuBar()->height(), 426);
            EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
            EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
            // Every control of the frame fits inside.
            for (QWidget* child : w->findChildren<QWidget*>()) {
                if (!child->isVisible() || child->isWindow()) continue;
                const QRect inWindow(child->mapTo(w.get(), QPoint(0, 0)), child->size());
                EXPECT_TRUE(w->rect().contains(inWindow)) << child->objectName().toStdString();
            }
            // At the usual size every page of every part has its whole room:
            // nothing scrolls.
            QComboBox* list = w->setupPage()->DeviceSel;
            for (int row = 0; row < list->count(); ++row) {
                list->setCurrentIndex(row);
                emit list->activated(row);
                forEveryShownPage(*w,
                                  list->itemText(row).toStdString() + (wide ? " -r" : "") +
                                      " font x" + std::to_string(scale),
                                  [](const PageView& v, const std::string& where) {
                                      expectNotClipped(v, where);
                                      if (!v.scroll) return;
                                      EXPECT_FALSE(v.scroll->horizontalScrollBar()->isVisible())
                                          << where;
                                      EXPECT_FALSE(v.scroll->verticalScrollBar()->isVisible())
                                          << where;
                                  });
            }
        }
    }
}

// The window fits a 1024x768 screen with a task bar's room (1024x720), and
// with fonts a quarter larger (120 dpi); below its usual size the pages scroll
// and the tab bar scrolls its tabs.
TEST_F(MainWindow, FitsASmallScreenForEveryPart)
{
    const QSize screen(1024, 720);
    const QFont usualFont = QApplication::font();
    QFont larger = usualFont;
    larger.setPointSizeF(usualFont.pointSizeF() * 1.25);
    // The application's font comes back whatever happens here.
    const std::unique_ptr<QFont, void (*)(QFont*)> restore(new QFont(usualFont), [](QFont* f) {
        QApplication::setFont(*f);
        delete f;
    });
    for (const QFont& font : {usualFont, larger}) {
        QApplication::setFont(font);
        for (bool wide : {false, true}) {
            auto w = makeWindow(WindowOptions().wide(wide));
            // From the start, before any part choice lays the pages out again.
            EXPECT_LE(w->minimumWidth(), screen.width()) << (wide ? "with -r" : "");
            EXPECT_LE(w->minimumHeight(), screen.height()) << (wide ? "with -r" : "");
            w->show();
            QComboBox* list = w->setupPage()->DeviceSel;
            for (int row = 0; row < list->count(); ++row) {
                list->setCurrentIndex(row);
                emit list->activated(row);
                QApplication::processEvents();
                const QSize least = w->minimumSize();
                EXPECT_LE(least.width(), screen.width())
                    << list->itemText(row).toStdString() << (wide ? " with -r" : "") << " font "
                    << font.pointSizeF();
                EXPECT_LE(least.height(), screen.height())
                    << list->itemText(row).toStdString() << (wide ? " with -r" : "") << " font "
                    << font.pointSizeF();
            }
            // At its least the page scrolls to every control, and the tabs
            // that do not fit are behind the tab bar's scroll buttons.
            list->setCurrentIndex(FindPartRow("VK370"));
            emit list->activated(FindPartRow("VK370"));
            w->resize(w->minimumSize());
            QApplication::processEvents();
            // The frame is not squeezed: the status bar's panels keep their widths.
            for (int i = 0; i < 3; ++i) {
                auto* panel = w->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i));
                ASSERT_NE(panel, nullptr);
                EXPECT_GE(panel->width(), panel->minimumWidth()) << i;
                EXPECT_LE(panel->geometry().right(), w->statusBar()->width()) << i;
            }
            QTabBar* bar = w->TabFunctions->tabBar();
            if (bar->sizeHint().width() > bar->width()) {
                bool scrollButton = false;
                for (QToolButton* button : bar->findChildren<QToolButton*>())
                    scrollButton = scrollButton || button->isVisible();
                EXPECT_TRUE(scrollButton) << (wide ? "with -r" : "");
            }
        }
    }
}

// At its least size the tab bar keeps inside the window, showing its scroll
// buttons where the tabs are wider, and a page with less room than it needs
// shows scroll bars to reach the rest; none is squeezed or cut off.
TEST_F(MainWindow, AtItsLeastTheTabBarFitsAndPagesScroll)
{
    for (const char* part : {"VK370", "VK360", "VK350", "VK390"}) {
        for (bool wide : {false, true}) {
            auto w = makeWindow(WindowOptions().wide(wide));
            w->show();
            QComboBox* list = w->setupPage()->DeviceSel;
            list->setCurrentIndex(FindPartRow(part));
            emit list->activated(FindPartRow(part));
            w->resize(w->minimumSize());
            QApplication::processEvents();
            const std::string which = std::string(part) + (wide ? " -r" : "");

            QTabBar* bar = w->TabFunctions->tabBar();
            const QRect barInWindow(bar->mapTo(w.get(), QPoint(0, 0)), bar->size());
            EXPECT_TRUE(w->rect().contains(barInWindow)) << which;
            bool scrollButton = false;
            for (QToolButton* button : bar->findChildren<QToolButton*>())
                scrollButton = scrollButton || button->isVisible();
            EXPECT_EQ(scrollButton, bar->sizeHint().width() > bar->width()) << which;

            bool scrolled = false;
            forEveryShownPage(*w, which, [&](const PageView& v, const std::string& where) {
                expectNotClipped(v, where);
                if (!v.scroll) return;
                const QRect inWindow(v.scroll->mapTo(w.get(), QPoint(0, 0)), v.scroll->size());
                EXPECT_TRUE(w->rect().contains(inWindow)) << where;
                scrolled = scrolled || v.scroll->horizontalScrollBar()->isVisible() ||
                           v.scroll->verticalScrollBar()->isVisible();
            });
            // The least size is below the usual one, so some page must scroll.
            EXPECT_TRUE(scrolled) << which;
        }
    }
}

// A caption that does not fit its control, or an empty text when it fits:
// what a user would see cut off.
QString cutCaption(const QWidget* c)
{
    const QFontMetrics font = c->fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(c)) {
        if (label->wordWrap() || label->text().isEmpty() || Qt::mightBeRichText(label->text()))
            return {};
        const QStringList lines = label->text().split(u'\n');
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, font.horizontalAdvance(line));
        const int frame = 2 * (label->frameWidth() + label->margin());
        const bool fits = widest + frame + std::max(0, label->indent()) <= label->width() &&
                          font.height() * lines.size() <= label->height() + 1;
        return fits ? QString() : label->text();
    }
    if (qobject_cast<const QCheckBox*>(c) || qobject_cast<const QRadioButton*>(c)) {
        auto* button = static_cast<const QAbstractButton*>(c);
        return button->sizeHint().width() <= button->width() ? QString() : button->text();
    }
    if (auto* button = qobject_cast<const QPushButton*>(c)) {
        const QString shown = QString(button->text()).remove(u'&');
        return font.horizontalAdvance(shown) + 6 <= button->width() ? QString() : shown;
    }
    if (auto* grid = qobject_cast<const QTableWidget*>(c)) {
        // Every column as wide as its header's and its cells' texts, every
        // line as tall as the font.
        for (int column = 0; column < grid->columnCount(); ++column) {
            QStringList texts;
            if (const QTableWidgetItem* head = grid->horizontalHeaderItem(column))
                texts << head->text();
            for (int row = 0; row < grid->rowCount(); ++row) {
                if (grid->isRowHidden(row)) continue;
                if (const QTableWidgetItem* item = grid->item(row, column)) texts << item->text();
                if (grid->rowHeight(row) < font.height()) return QStringLiteral("line %1").arg(row);
            }
            for (const QString& text : texts) {
                if (font.horizontalAdvance(text) + 6 > grid->columnWidth(column)) return text;
            }
        }
        return {};
    }
    if (auto* group = qobject_cast<const QGroupBox*>(c))
        return font.horizontalAdvance(group->title()) + 16 <= group->width() ? QString()
                                                                             : group->title();
    return {};
}

// With fonts a quarter larger (120 dpi) every caption of every page of every
// part still reads whole (the Registers page's "Byte Operation", the Alarm
// page's "Repetitive Event (IM)").
TEST_F(MainWindow, NoCaptionIsCutWithLargerFonts)
{
    const QFont usualFont = QApplication::font();
    const std::unique_ptr<QFont, void (*)(QFont*)> restore(new QFont(usualFont), [](QFont* f) {
        QApplication::setFont(*f);
        delete f;
    });
    for (double scale : {1.0, 1.25}) {
        QFont font = usualFont;
        font.setPointSizeF(usualFont.pointSizeF() * scale);
        QApplication::setFont(font);
        auto w = makeWindow(WindowOptions().wide());
        w->show();
        QComboBox* list = w->setupPage()->DeviceSel;
        for (int row = 1; row < list->count(); ++row) {
            list->setCurrentIndex(row);
            emit list->activated(row);
            const std::string part =
                list->itemText(row).toStdString() + " font x" + std::to_string(scale);
            forEveryShownPage(*w, part, [](const PageView& v, const std::string& where) {
                if (!v.body) return;
                for (const QWidget* c : v.body->findChildren<QWidget*>()) {
                    if (!c->isVisible()) continue;
                    const QString cut = cutCaption(c);
                    EXPECT_TRUE(cut.isEmpty()) << where << " " << c->objectName().toStdString()
                                               << " \"" << cut.toStdString() << "\"";
                }
            });
        }
    }
}

TEST_F(MainWindow, EveryPartsTabsShowSideBySide)
{
    for (bool wide : {false, true}) {
        auto w = makeWindow(WindowOptions().wide(wide));
        w->show();
        QComboBox* list = w->setupPage()->DeviceSel;
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentIndex(row);
            emit list->activated(row);
            QApplication::processEvents();
            QTabBar* bar = w->TabFunctions->tabBar();
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i)) continue;
                EXPECT_TRUE(bar->rect().contains(bar->tabRect(i)))
                    << list->itemText(row).toStdString() << " " << bar->tabText(i).toStdString()
                    << (wide ? " with -r" : "");
            }
        }
    }
}

TEST_F(MainWindow, StatusBarHasFourPanelsAndTakesHints)
{
    auto w = makeWindow();
    const int widths[] = {400, 100, 135, 20};
    for (int i = 0; i < 4; ++i) {
        auto* panel = w->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i));
        ASSERT_NE(panel, nullptr);
        if (i == 1 || i == 2)
            EXPECT_GE(panel->minimumWidth(), widths[i]);
        else
            EXPECT_EQ(panel->minimumWidth(), widths[i]) << i;
    }
    // Every connection state reads whole in the font at hand.
    auto* state = w->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    for (const char* text : {" USB: Disconnect", " USB: Connect", " USB: Active"})
        EXPECT_LE(state->fontMetrics().horizontalAdvance(QLatin1String(text)),
                  state->contentsRect().width())
            << text;
    // A run of many days still shows its whole running time.
    auto* runTime = w->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
    const QString longRun = QStringLiteral(" Up 365 Day(s) 23:59:59");
    EXPECT_LE(runTime->fontMetrics().horizontalAdvance(longRun), runTime->contentsRect().width());
    w->setStatusPanelText(2, " Up 0 Day(s) 00:00:01");
    EXPECT_EQ(w->statusPanelText(2), " Up 0 Day(s) 00:00:01");
    // A hint goes to panel 0 and leaves the connection message in panel 3.
    const QString message = w->statusPanelText(3);
    QStatusTipEvent tip("RTC Vcc Switch");
    QApplication::sendEvent(w.get(), &tip);
    EXPECT_EQ(w->statusPanelText(0), "RTC Vcc Switch");
    EXPECT_EQ(w->statusPanelText(3), message);
}

TEST_F(MainWindow, ScriptModeRecordsBoxesAndKeepsTheUserStoreAway)
{
    ensureApp();
    AppOptions options;
    TMainApp w(options, true);
    EXPECT_NE(w.settings().location(), Reg().location());
    ASSERT_NE(w.recordedBoxes(), nullptr);

    w.bus().sink().errorBox("Communication error Occured\rNo acknowledge");
    w.bus().sink().statusText(" Bus busy");
    ASSERT_EQ(w.recordedBoxes()->size(), 1u);
    EXPECT_EQ(w.recordedBoxes()->takeFirst(), "Communication error Occured\rNo acknowledge");
    EXPECT_TRUE(w.recordedBoxes()->empty());
    EXPECT_EQ(w.statusPanelText(3), " Bus busy");

    QDialog about(&w);
    w.setAboutBox(&about);
    w.HelpAbout1->trigger(); // returns at once in script mode
    EXPECT_TRUE(about.isVisible());
    about.close();
}

// The user's own window shows the box and waits for its click; the test clicks
// it, and the fixture's watchdog closes it should that ever fail.
TEST_F(MainWindow, ErrorBoxIsCriticalAndPlacedBesideTheWindowCorner)
{
    auto w = makeWindow(WindowOptions().userWindow());
    EXPECT_EQ(w->recordedBoxes(), nullptr);
    w->move(100, 120);
    w->show();
    QApplication::processEvents();

    QString text;
    QPoint at;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        answer.stop();
        text = box->text();
        at = box->pos();
        icon = box->icon();
        box->accept();
    });
    answer.start();
    w->bus().sink().errorBox("Communication error Occured\rNo acknowledge");
    EXPECT_EQ(text, "Communication error Occured\nNo acknowledge");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(at, w->pos() + QPoint(20, 20));
}

// A box nobody answers fails the test instead of holding it.
TEST_F(MainWindow, WatchdogClosesAModalBoxThatWaitsAndFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(QMessageBox::critical(nullptr, "Stuck", "Nobody clicks"),
                            "QMessageBox \"Nobody clicks\" waited for a click");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, TabsFollowThePageTable)
{
    auto w = makeWindow();
    const auto rows = Pages();
    ASSERT_EQ(w->TabFunctions->count(), static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const PageRow& row = rows[static_cast<size_t>(i)];
        EXPECT_EQ(w->TabFunctions->widget(i)->objectName(), QLatin1String(row.Name));
        EXPECT_EQ(w->page(QLatin1String(row.Name)), w->TabFunctions->widget(i));
    }
    EXPECT_EQ(w->page("tsSetup"), w->setupPage());
    EXPECT_EQ(w->page("tsNoSuchPage"), nullptr);
}

TEST_F(MainWindow, PageTableNamesAreRecordedWhenTheyMatchNoControl)
{
    auto w = makeWindow();
    EXPECT_EQ(w->controlFailures(), QStringList());

    // Every board control and lamp of a built page is there.
    const QList<QWidget*> board = w->boardControls();
    EXPECT_TRUE(board.contains(static_cast<QWidget*>(w->VccSw)));
    EXPECT_TRUE(board.contains(static_cast<QWidget*>(w->setupPage()->VccChecked)));
    EXPECT_NE(w->lamp("LedRTCF"), nullptr);
    EXPECT_EQ(w->controlFailures(), QStringList());

    // A lamp on a page that is not built yet is not looked for; a lamp that no
    // page holds, or a control of no name, is a failure, recorded once.
    const PageRow* unbuilt = nullptr;
    for (const PageRow& row : Pages())
        if (row.Make == nullptr && !row.Lamps.empty()) unbuilt = &row;
    if (unbuilt != nullptr) {
        EXPECT_EQ(w->lamp(unbuilt->Lamps[0].Name), nullptr);
        EXPECT_EQ(w->controlFailures(), QStringList());
    }
    EXPECT_EQ(w->lamp("LedNoSuchLamp"), nullptr);
    EXPECT_EQ(w->lamp("LedNoSuchLamp"), nullptr);
    EXPECT_EQ(w->control("NoSuchControl"), nullptr);
    EXPECT_EQ(w->controlFailures().size(), 2);
    EXPECT_TRUE(w->controlFailures()[0].contains("LedNoSuchLamp"));
    EXPECT_TRUE(w->controlFailures()[1].contains("NoSuchControl"));
}

} // namespace
