#include "app/TMainApp.h"

#include "BitHints.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <initializer_list>

#include "PartSelection.h"
#include "app/PageTable.h"
#include "app/ResultSinks.h"
#include "app/polling/DisplayPanel.h"
#include "app/polling/PollLogic.h"
#include "app/polling/PollingCycle.h"
#include "app/setup/SetupPage.h"
#include "bus/AdapterApi.h"
#include "reports/DumpCommands.h"
#include "reports/DumpFolder.h"
#include "reports/ReportPrinter.h"

static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

const QString kTitle = QStringLiteral("Kavrolux RTC Evaluation");

// Bus speeds in kHz: the usual pair, and the wide list of the "-r" switch.
constexpr std::array<const char*, 2> kBusSpeeds{"100", "400"};
constexpr std::array<const char*, 19> kWideBusSpeeds{
    "10",  "20",  "30",  "40",  "50",  "60",  "70",  "80",  "90",  "100",
    "200", "300", "400", "500", "600", "700", "800", "900", "1000"};

constexpr std::array<int, 4> kPanelWidths{400, 100, 135, 20};
const QString kLongestRunTime = QStringLiteral(" Up 999 Day(s) 23:59:59");
// The sunken frame and the label's own indent around a panel's text.
constexpr int kPanelTextMargin = 12;

// Client area of the design; Qt's fonts may need more, never less.
constexpr int kDesignWidth = 778;
constexpr int kDesignHeight = 426;

constexpr int kPollIntervalMs = 110;

const AdapterApi* startupAdapter = nullptr;
PcClock* startupPcClock = nullptr;
std::span<const PageRow> startupPages;

// Tool bar pictures of the supply switch.
constexpr int kPictureSupplyOff = 15;
constexpr int kPictureSupplyOn = 16;

QIcon supplyIcon(int picture)
{
    return QIcon(picture == kPictureSupplyOn ? QStringLiteral(":/icons/supply-on.svg")
                                             : QStringLiteral(":/icons/supply-off.svg"));
}

QAction* makeAction(QObject* parent, const char* name, const QString& text, const QString& hint)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.section(u'|', 0, 0));
    action->setStatusTip(hint.section(u'|', -1));
    return action;
}

QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& icon,
                            const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(icon));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    return button;
}

} // namespace

QString TMainApp::settingsFileFor(const AppOptions& options, bool scriptMode,
                                  std::unique_ptr<QTemporaryDir>& scratch)
{
    if (!options.settingsFile.isEmpty() || !scriptMode) return options.settingsFile;
    // A script without --settings starts from defaults and leaves the user's
    // store untouched.
    scratch = std::make_unique<QTemporaryDir>();
    return scratch->filePath(QStringLiteral("rtc eval.ini"));
}

std::unique_ptr<WindowResultSink> TMainApp::makeSink(TMainApp& window, bool scriptMode)
{
    if (scriptMode) return std::make_unique<RecordingSink>(window);
    return std::make_unique<WindowResultSink>(window);
}

TMainApp::TMainApp(const AppOptions& options, bool scriptMode, QWidget* parent)
    : QMainWindow(parent), options_(options), scriptMode_(scriptMode),
      reg_(settingsFileFor(options, scriptMode, scratch_)), sink_(makeSink(*this, scriptMode)),
      bus_(startupAdapter ? *startupAdapter : LibraryAdapter(), *sink_),
      pages_(startupPages.empty() ? Pages() : startupPages)
{
    initResources();
    schedule_ = new PcSchedule([this]() -> PcClock& { return *pcClock_; }, this);
    setPcClock(startupPcClock);
    setObjectName(QStringLiteral("TMainApp"));
    // Minimisable, not maximisable; it shrinks below its usual size only to fit
    // a small screen (see fixWindowSize).
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TMainApp::Timer1Timer);

    buildActions();
    buildToolBar();
    buildCentral();
    buildStatusBar();
    connection_ = new BoardConnection(*this, this);
    connectDumpCommands();

    FormCreate();
    fixWindowSize();
}

TMainApp::~TMainApp() = default;

void TMainApp::setStartupAdapter(const AdapterApi* api)
{
    startupAdapter = api;
}

void TMainApp::setStartupPcClock(PcClock* clock)
{
    startupPcClock = clock;
}

void TMainApp::setStartupPages(std::span<const PageRow> rows)
{
    startupPages = rows;
}

// ---------------------------------------------------------------------------
// Frame

void TMainApp::buildActions()
{
    FileOpen1 =
        makeAction(this, "FileOpen1", QStringLiteral("&Open"), QStringLiteral("Open|Open a file"));
    FileOpen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileOpen1->setIcon(QIcon(QStringLiteral(":/icons/open.svg")));
    FileSave = makeAction(this, "FileSave", QStringLiteral("&Save"),
                          QStringLiteral("Save|Save current file"));
    FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSaveAs = makeAction(this, "FileSaveAs", QStringLiteral("Save &As..."),
                            QStringLiteral("Save As|Save current file with different name"));
    FileSave1 = makeAction(this, "FileSave1", QStringLiteral("&Save"),
                           QStringLiteral("Save|Save current file"));
    FileSaveAs1 = makeAction(this, "FileSaveAs1", QStringLiteral("Save &As..."),
                             QStringLiteral("Save As|Save current file with different name"));
    FileExit1 = makeAction(this, "FileExit1", QStringLiteral("E&xit"),
                           QStringLiteral("Exit|Exit application"));
    HelpAbout1 = makeAction(this, "HelpAbout1", QStringLiteral("&About..."),
                            QStringLiteral("About|About this program"));
    connect(FileExit1, &QAction::triggered, this, &TMainApp::FileExit1Execute);
    connect(HelpAbout1, &QAction::triggered, this, &TMainApp::HelpAbout1Execute);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(FileOpen1);
    file->addAction(FileSave);
    file->addAction(FileSaveAs);
    file->addSeparator();
    file->addAction(FileExit1);
    ReadOnShow1 = makeAction(this, "ReadOnShow1", QStringLiteral("&Read pages when shown"),
                             QStringLiteral("Read pages when shown|Read what is on the chip "
                                            "when a page is shown"));
    ReadOnShow1->setCheckable(true);
    ReadOnShow1->setChecked(
        reg_.RegRdInteger(RegCurrentUser, QStringLiteral("ReadOnShow"), 1) != 0);
    connect(ReadOnShow1, &QAction::toggled, this, &TMainApp::ReadOnShow1Execute);
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    options->addAction(ReadOnShow1);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(HelpAbout1);
}

void TMainApp::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    OpenBtn =
        makeToolButton(bar, "OpenBtn", QStringLiteral(":/icons/open.svg"), QStringLiteral("Open"));
    OpenBtn->setDefaultAction(FileOpen1);
    SaveBtn =
        makeToolButton(bar, "SaveBtn", QStringLiteral(":/icons/save.svg"), QStringLiteral("Save"));
    PrintBtn = makeToolButton(bar, "PrintBtn", QStringLiteral(":/icons/print.svg"),
                              QStringLiteral("Print"));
    VccSw = makeToolButton(bar, "VccSw", QString(), QStringLiteral("RTC Vcc Switch"));
    VccSw->setCheckable(true);
    setVccPicture(kPictureSupplyOff);

    bar->addWidget(OpenBtn);
    bar->addWidget(SaveBtn);
    connect(PrintBtn, &QToolButton::clicked, this, &TMainApp::PrintBtnClick);
    bar->addWidget(PrintBtn);
    bar->addSeparator();
    bar->addWidget(VccSw);
}

void TMainApp::buildCentral()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    buildDisplayPanel();
    layout->addWidget(rtc);

    // The tab bar keeps to the window's width and scrolls its tabs where they
    // are wider; each page scrolls in its own scroll area where it gets less
    // room than it needs.
    TabFunctions = new QTabWidget(central);
    TabFunctions->setObjectName(QStringLiteral("TabFunctions"));
    TabFunctions->setUsesScrollButtons(true);
    TabFunctions->setElideMode(Qt::ElideNone);
    for (const PageRow& row : pages_) {
        QWidget* widget = row.Make ? row.Make(*this) : new QWidget;
        widget->setObjectName(QLatin1String(row.Name));
        givePageScrollArea(widget);
        TabFunctions->addTab(widget, QLatin1String(row.Caption));
    }
    setup_ = qobject_cast<SetupPage*>(page(QStringLiteral("tsSetup")));
    layout->addWidget(TabFunctions, 1);
    setCentralWidget(central);

    partChoice_ = std::make_unique<PartChoice>(*this);

    connect(setup_->DeviceSel, &QComboBox::activated, this, &TMainApp::DeviceSelChange);
    connect(TabFunctions, &QTabWidget::currentChanged, this, &TMainApp::readShownPage);
    bindConfirmations();
}

void TMainApp::givePageScrollArea(QWidget* page)
{
    // The page stays the tab's own widget (its name, its type and its place
    // under the tab set are what everything looks it up by); what it lays
    // out moves into a body that scrolls inside it.
    QLayout* content = page->layout();
    if (content == nullptr) return;
    const QList<QWidget*> loose = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto* body = new QWidget;
    body->setObjectName(page->objectName() + QStringLiteral("Body"));
    body->setLayout(content);
    // Widgets the page placed itself keep their places in the body.
    for (QWidget* child : loose) {
        if (child->parentWidget() != page) continue;
        const bool hidden = child->isHidden();
        child->setParent(body);
        child->setHidden(hidden);
    }
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName(page->objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(body);
    auto* holder = new QVBoxLayout(page);
    holder->setContentsMargins(0, 0, 0, 0);
    holder->addWidget(scroll);
    pageScrolls_.push_back(scroll);
}

QScrollArea* TMainApp::pageScrollArea(const QString& name) const
{
    QWidget* shown = page(name);
    return shown ? shown->findChild<QScrollArea*>(name + QStringLiteral("Scroll"),
                                                  Qt::FindDirectChildrenOnly)
                 : nullptr;
}

void TMainApp::bindConfirmations()
{
    for (const PageRow& row : pages_) {
        if (row.Make == nullptr) continue;
        QWidget* holder = page(QLatin1String(row.Name));
        for (const ControlConfirmation& done : row.Confirmations) {
            QObject* found =
                holder ? holder->findChild<QObject*>(QLatin1String(done.Control)) : nullptr;
            if (found == nullptr)
                recordControlFailure(QStringLiteral("%1: no confirmed control of that name on %2")
                                         .arg(done.Control, row.Name));
            else
                confirmations_.insert(found, QString::fromLatin1(done.Text));
        }
    }
    bus_.setConfirmations(
        [this](const void* control) { return confirmations_.value(control).toStdString(); });
}

void TMainApp::buildDisplayPanel()
{
    display_ = new DisplayPanel;
    rtc = display_;
    Label4 = display_->Label4;
    PollingTime = display_->PollingTime;
    polling_ = new PollingCycle(*this, *display_, this);
    // Switching polling on or off also puts the supply in step with VccChecked.
    connect(display_->PollingEnable, &QAbstractButton::toggled, this, &TMainApp::VccCheckedClick);
}

void TMainApp::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        // Panels 1 and 2 grow to their longest texts in the font at hand (the
        // running-time panel for runs of many days); the last panel takes what
        // is left, so longer messages still show.
        const QFontMetrics metrics = panel->fontMetrics();
        auto widest = [&metrics](std::initializer_list<QString> texts) {
            int w = 0;
            for (const QString& t : texts)
                w = std::max(w, metrics.horizontalAdvance(t));
            return w + kPanelTextMargin;
        };
        if (i == 1)
            panel->setFixedWidth(
                std::max(kPanelWidths[i],
                         widest({QLatin1String(kUsbActiveText), QLatin1String(kUsbConnectText),
                                 QLatin1String(kUsbDisconnectText)})));
        else if (i == 2)
            panel->setFixedWidth(std::max(kPanelWidths[i], widest({kLongestRunTime})));
        else if (i == 0)
            panel->setFixedWidth(kPanelWidths[i]);
        else
            panel->setMinimumWidth(kPanelWidths[i]);
        bar->addWidget(panel, i < 3 ? 0 : 1);
        statusPanels_[i] = panel;
    }
}

int TMainApp::widestTabRow() const
{
    // Every part's tabs fit side by side, so none hides behind scroll buttons.
    // A tab's width as the tab bar sizes it, whether or not it is laid out yet.
    QTabBar* bar = TabFunctions->tabBar();
    auto tabWidth = [bar](const QString& caption) {
        QStyleOptionTab option;
        option.initFrom(bar);
        option.text = caption;
        option.shape = bar->shape();
        const int space = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, bar);
        const QSize text = bar->fontMetrics().size(Qt::TextShowMnemonic, caption);
        return bar->style()
            ->sizeFromContents(QStyle::CT_TabBarTab, &option,
                               QSize(text.width() + space, text.height()), bar)
            .width();
    };
    // The tabs the part choice leaves alone, with the switch's.
    int fixedTabs = 0;
    for (const PageRow& page : pages_) {
        const bool fixed = page.Tab == TabRule::Always ||
                           (page.Tab == TabRule::WithSwitch && options_.wideBusList);
        if (fixed)
            fixedTabs += tabWidth(TabFunctions->tabText(pageIndex(QLatin1String(page.Name))));
    }
    // A tab whose caption some part's choice leaves alone is measured by the
    // widest caption it may carry then (the memory tab's "EEPROM" or "SRAM");
    // any other as it reads now.
    std::vector<int> tabWidths;
    for (const PageRow& page : pages_) {
        int tab = tabWidth(TabFunctions->tabText(pageIndex(QLatin1String(page.Name))));
        for (int row = 0; row < kPartCount; ++row) {
            const std::vector<std::string> captions = TabCaptionsFor(page, row);
            if (captions.size() < 2) continue;
            for (const std::string& caption : captions)
                tab = std::max(tab, tabWidth(QString::fromStdString(caption)));
        }
        tabWidths.push_back(tab);
    }
    int widest = 0;
    for (int row = 0; row < kPartCount; ++row) {
        int width = fixedTabs;
        for (size_t i = 0; i < pages_.size(); ++i) {
            const PageRow& page = pages_[i];
            if (page.Tab != TabRule::ByPart && page.Tab != TabRule::ByFamilyBlock) continue;
            if (TabShownFor(page, row)) width += tabWidths[i];
        }
        widest = std::max(widest, width);
    }
    return widest;
}

void TMainApp::fixWindowSize()
{
    // The usual size: the design's client area (the menu bar is outside it),
    // grown where Qt's fonts need more room, with every part's tabs side by
    // side and the largest page whole.
    const QSize design(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    // The tab set holds the whole body of every page it may show (the scroll
    // areas take their bodies' size for the measure; the switch's page counts
    // only with the switch) and every part's tabs side by side.
    for (const PageRow& row : pages_) {
        if (row.Tab == TabRule::WithSwitch && !options_.wideBusList) continue;
        if (QScrollArea* scroll = pageScrollArea(QLatin1String(row.Name)))
            scroll->setMinimumSize(scroll->widget()->minimumSizeHint());
    }
    TabFunctions->setMinimumSize(
        TabFunctions->minimumSizeHint().expandedTo(QSize(widestTabRow() + 4, 0)));
    if (centralWidget()->layout()) centralWidget()->layout()->activate();
    if (layout()) layout()->activate();
    const QSize usual = minimumSizeHint().expandedTo(design);
    // Below it the pages scroll and the tab bar scrolls its tabs: the window
    // may shrink to what the frame itself needs, to fit a small screen.
    // The layout keeps the least size; the status bar's panels keep their
    // widths (its own layout is made only once it shows).
    TabFunctions->setMinimumSize(0, 0);
    for (QScrollArea* scroll : pageScrolls_)
        scroll->setMinimumSize(0, 0);
    int panels = 0;
    for (const QLabel* panel : statusPanels_)
        panels += panel->minimumWidth() + kPanelTextMargin;
    statusBar()->setMinimumWidth(std::min(panels, usual.width()));
    setMaximumSize(usual);
    for (QWidget* held : {static_cast<QWidget*>(TabFunctions), centralWidget()}) {
        if (held->layout()) held->layout()->activate();
    }
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
    }
    QSize start = usual;
    // A user's window starts no larger than the screen's free area; a script's
    // keeps its usual size whatever screen it runs on.
    if (!scriptMode_) {
        if (const QScreen* at = screen()) {
            const QSize room = at->availableGeometry().size() -
                               QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
            start = start.boundedTo(room).expandedTo(minimumSize());
        }
    }
    resize(start);
}

QString TMainApp::statusPanelText(int panel) const
{
    if (panel < 0 || panel > 3) return QString();
    return statusPanels_[panel]->text();
}

void TMainApp::setStatusPanelText(int panel, const QString& text)
{
    if (panel >= 0 && panel <= 3) statusPanels_[panel]->setText(text);
}

int TMainApp::vccPicture() const
{
    return VccSw->property("picture").toInt();
}

void TMainApp::setVccPicture(int picture)
{
    VccSw->setProperty("picture", picture);
    VccSw->setIcon(supplyIcon(picture));
    VccSw->setChecked(picture == kPictureSupplyOn);
}

void TMainApp::setPcClock(PcClock* clock)
{
    pcClock_ = clock ? clock : &systemClock_;
    if (schedule_) schedule_->clockChanged();
}

RecordingSink* TMainApp::recordedBoxes()
{
    return scriptMode_ ? static_cast<RecordingSink*>(sink_.get()) : nullptr;
}

int TMainApp::pageIndex(const QString& name) const
{
    for (int i = 0; i < TabFunctions->count(); ++i) {
        if (TabFunctions->widget(i)->objectName() == name) return i;
    }
    return -1;
}

QWidget* TMainApp::page(const QString& name) const
{
    const int index = pageIndex(name);
    return index < 0 ? nullptr : TabFunctions->widget(index);
}

void TMainApp::setPageVisible(const QString& name, bool visible)
{
    const int index = pageIndex(name);
    if (index >= 0) TabFunctions->setTabVisible(index, visible);
}

bool TMainApp::isPageVisible(const QString& name) const
{
    const int index = pageIndex(name);
    return index >= 0 && TabFunctions->isTabVisible(index);
}

QWidget* TMainApp::control(const QString& name)
{
    QWidget* found = findChild<QWidget*>(name);
    if (found == nullptr)
        recordControlFailure(QStringLiteral("%1: no control of that name").arg(name));
    return found;
}

void TMainApp::recordControlFailure(const QString& failure)
{
    // Once each: the polling cycle asks every second.
    if (failedNames_.contains(failure)) return;
    failedNames_.insert(failure);
    qWarning("window: %s", qPrintable(failure));
    failures_ << failure;
}

void TMainApp::clearControlFailures()
{
    failures_.clear();
    failedNames_.clear();
}

QObject* TMainApp::lamp(const char* name)
{
    const QString key = QLatin1String(name);
    const auto known = lamps_.constFind(key);
    if (known != lamps_.cend() && !known->isNull()) return known->data();
    const PageRow* row = PageOfLamp(pages_, name);
    if (row == nullptr) {
        recordControlFailure(QStringLiteral("%1: a lamp on no page").arg(key));
        return nullptr;
    }
    QWidget* holder = page(QLatin1String(row->Name));
    QObject* found = holder ? holder->findChild<QObject*>(key) : nullptr;
    if (found != nullptr && found->metaObject()->indexOfProperty("lit") < 0) found = nullptr;
    if (found == nullptr) {
        // A page that is not built yet has no lamps to light.
        if (row->Make != nullptr)
            recordControlFailure(
                QStringLiteral("%1: no lamp of that name on %2").arg(key, row->Name));
        return nullptr;
    }
    lamps_.insert(key, found);
    return found;
}

QList<QWidget*> TMainApp::boardControls()
{
    QList<QWidget*> controls{VccSw};
    for (const PageRow& row : pages_) {
        if (row.Make == nullptr) continue;
        QWidget* holder = page(QLatin1String(row.Name));
        for (const char* name : row.BoardControls) {
            QWidget* found = holder ? holder->findChild<QWidget*>(QLatin1String(name)) : nullptr;
            if (found == nullptr)
                recordControlFailure(
                    QStringLiteral("%1: no board control of that name on %2").arg(name, row.Name));
            else
                controls << found;
        }
    }
    return controls;
}

int32_t TMainApp::unlockPart(const void* sender)
{
    if (unlocker_) return unlocker_(sender);
    return bus_.UnlockPart(sender, nullptr).Code;
}

void TMainApp::setUnlocker(std::function<int32_t(const void*)> unlocker)
{
    unlocker_ = std::move(unlocker);
}

QString TMainApp::directoryPart(const QString& path)
{
    return DirectoryPart(path);
}

bool TMainApp::pcTime24() const
{
    return setup_ != nullptr && setup_->is24Hour();
}

bool TMainApp::supplyOn() const
{
    return setup_ != nullptr && setup_->VccChecked->isChecked();
}

void TMainApp::stopPolling()
{
    display_->PollingEnable->setChecked(false);
}

void TMainApp::choosePart(int partRow)
{
    setup_->DeviceSel->setCurrentIndex(partRow);
    DeviceSelChange();
}

int TMainApp::chosenPartRow() const
{
    return setup_->DeviceSel->currentIndex();
}

void TMainApp::setSupplySwitchable(bool switchable)
{
    VccSw->setEnabled(switchable);
    setup_->VccChecked->setEnabled(switchable);
}

bool TMainApp::event(QEvent* event)
{
    // Hints go to panel 0, not over the whole status bar.
    if (event->type() == QEvent::StatusTip) {
        statusPanels_[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// ---------------------------------------------------------------------------
// Handlers

void TMainApp::Timer1Timer()
{
    polling_->tick();
}

void TMainApp::DeviceSelChange()
{
    // A tab the choice hides brings another to the front: it is read once the
    // choice is complete.
    choosing_ = true;
    partChoice_->DeviceSelChange();
    choosing_ = false;
    readShownPage();
}

void TMainApp::readShownPage()
{
    if (choosing_ || ReadOnShow1 == nullptr || !ReadOnShow1->isChecked()) return;
    if (bus_.BoardNo == 0 || bus_.part().TypeCode == TypeNone) return;
    QWidget* shown = TabFunctions != nullptr ? TabFunctions->currentWidget() : nullptr;
    if (shown == nullptr) return;
    const PageRow* row = FindPage(pages_, shown->objectName().toStdString());
    if (row == nullptr || row->Make == nullptr || row->ReadOnShow == nullptr) return;
    row->ReadOnShow(shown);
}

void TMainApp::ReadOnShow1Execute(bool on)
{
    if (!reg_.RegWrInteger(RegCurrentUser, QStringLiteral("ReadOnShow"), on ? 1 : 0))
        setStatusPanelText(3, QStringLiteral(" The setting could not be saved to ") +
                                  reg_.location());
}

void TMainApp::syncSimulatedSocket()
{
    partChoice_->syncSimulatedSocket();
}

void TMainApp::FileExit1Execute()
{
    close();
}

void TMainApp::connectDumpCommands()
{
    dump_ = new DumpCommands(*this, this);
    connect(FileOpen1, &QAction::triggered, dump_, &DumpCommands::FileOpen1Execute);
    connect(FileSave, &QAction::triggered, dump_, &DumpCommands::SaveBtnClick);
    connect(SaveBtn, &QToolButton::clicked, dump_, &DumpCommands::SaveBtnClick);
    for (QAction* saveAs : {FileSave1, FileSaveAs1, FileSaveAs})
        connect(saveAs, &QAction::triggered, dump_, &DumpCommands::FileSave1Execute);
}

bool TMainApp::openDumpFile(const QString& path)
{
    return dump_->Open(path);
}

bool TMainApp::saveDumpFile(const QString& path)
{
    bus_.data.LastFile = path.toStdString();
    return dump_->Write(path);
}

void TMainApp::HelpAbout1Execute()
{
    if (!aboutBox_) return;
    if (scriptMode_)
        aboutBox_->open(); // modal to the window, but a script must not wait on it
    else
        aboutBox_->exec();
}

void TMainApp::NotifyUSBArrival()
{
    connection_->NotifyUSBArrival();
}

void TMainApp::NotifyUSBRemove()
{
    connection_->NotifyUSBRemove();
}

void TMainApp::VccCheckedClick()
{
    connection_->VccCheckedClick();
}

// ---------------------------------------------------------------------------
// Start-up

void TMainApp::FormCreate()
{
    stepBuildRowTable();
    stepCaption();
    stepTempSensor();
    stepCommandLineSwitch();
    stepRestorePosition();
    stepRestoreTempOffset();
    stepRestoreBussSpeed();
    stepRestoreFileDir();
    stepFillPartList();
    stepSetupPageToFront();
    stepRunPartChoice();
    stepShowTempOffset();
    stepPageStartUps(StartUpPhase::AfterPartChoice);
    stepConnectFirstBoard();
    stepApplySupply();
    stepPageStartUps(StartUpPhase::BeforePolling);
    stepClearPollingTime();
    stepStartPolling();
}

void TMainApp::stepBuildRowTable()
{
    // The register page binds its rows of RowTable as it is built (its
    // BuildRowTable), before any step here can show a section in them.
}

void TMainApp::stepCaption()
{
    setWindowTitle(kTitle);
}

void TMainApp::stepTempSensor()
{
    bus_.TempSensor = 75;
    Label4->setText(QStringLiteral("LM75 Temperature"));
}

void TMainApp::stepCommandLineSwitch()
{
    QComboBox* list = setup_->BussSpeedSel;
    list->clear();
    if (options_.wideBusList) {
        for (const char* speed : kWideBusSpeeds)
            list->addItem(QLatin1String(speed));
    } else {
        for (const char* speed : kBusSpeeds)
            list->addItem(QLatin1String(speed));
    }
    PollingTime->setVisible(options_.wideBusList);
    // The pages the switch shows (the port page), then the start-up steps
    // that follow it (the port page binds its rows, shown or not).
    for (const PageRow& row : pages_) {
        if (row.Tab == TabRule::WithSwitch)
            setPageVisible(QLatin1String(row.Name), options_.wideBusList);
    }
    stepPageStartUps(StartUpPhase::AfterSwitch);
}

void TMainApp::stepRestorePosition()
{
    const int top = reg_.RegRdInteger(RegCurrentUser, QStringLiteral("FormTop"), 0);
    const int left = reg_.RegRdInteger(RegCurrentUser, QStringLiteral("FormLeft"), 0);
    move(left, top);
}

void TMainApp::stepRestoreTempOffset()
{
    bus_.data.TempOffset = reg_.RegRdInteger(RegCurrentUser, QStringLiteral("TempCal"), 0);
}

void TMainApp::stepRestoreBussSpeed()
{
    const QString speed =
        reg_.RegRdString(RegCurrentUser, QStringLiteral("BussSpeed"), QStringLiteral("100"));
    const int index = setup_->BussSpeedSel->findText(speed, Qt::MatchExactly);
    setup_->BussSpeedSel->setCurrentIndex(index < 0 ? 0 : index);
}

void TMainApp::stepRestoreFileDir()
{
    const QString exeDir = QCoreApplication::applicationDirPath() + u'/';
    bus_.data.ExeDir = exeDir.toStdString();
    // Where files cannot be written beside the program (an installed one),
    // the dialogs start in the user's documents folder instead; an empty
    // "FileDir" (the key saved before any file was) remembers no folder.
    const QString start = DefaultFileFolder(exeDir);
    const QString fileDir = reg_.RegRdString(RegCurrentUser, QStringLiteral("FileDir"), start);
    dialogFolder_ = directoryPart(fileDir);
    if (dialogFolder_.isEmpty()) dialogFolder_ = start;
}

void TMainApp::stepFillPartList()
{
    QComboBox* list = setup_->DeviceSel;
    list->clear();
    for (const PartInfo& part : PartTable) {
        list->addItem(QString::fromLatin1(part.PartName));
        list->setItemData(list->count() - 1, QString::fromStdString(PartFeatureHint(part)),
                          Qt::ToolTipRole);
    }
    const QString device =
        reg_.RegRdString(RegCurrentUser, QStringLiteral("Device"), QStringLiteral("Not Selected"));
    list->setCurrentIndex(FindPartRow(device.toStdString()));
}

void TMainApp::stepSetupPageToFront()
{
    TabFunctions->setCurrentIndex(0);
}

void TMainApp::stepRunPartChoice()
{
    DeviceSelChange();
}

void TMainApp::stepShowTempOffset()
{
    setup_->ShowTempOffset();
}

void TMainApp::stepPageStartUps(StartUpPhase phase)
{
    for (const PageRow& row : pages_) {
        if (row.Make == nullptr || row.StartUp == nullptr || row.Phase != phase) continue;
        if (QWidget* built = page(QLatin1String(row.Name))) row.StartUp(built);
    }
}

void TMainApp::stepConnectFirstBoard()
{
    connection_->connectFirstBoard();
}

void TMainApp::stepApplySupply()
{
    connection_->VccCheckedClick();
}

void TMainApp::stepClearPollingTime()
{
    PollingTime->clear();
}

void TMainApp::stepStartPolling()
{
    Timer1->setInterval(kPollIntervalMs);
    Timer1->start();
}

// ---------------------------------------------------------------------------
// Shutdown

void TMainApp::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainApp::FormClose()
{
    bool saved = reg_.RegWrInteger(RegCurrentUser, QStringLiteral("FormTop"), y());
    saved &= reg_.RegWrInteger(RegCurrentUser, QStringLiteral("FormLeft"), x());
    saved &= reg_.RegWrInteger(RegCurrentUser, QStringLiteral("TempCal"), bus_.data.TempOffset);
    saved &= reg_.RegWrString(RegCurrentUser, QStringLiteral("BussSpeed"),
                              setup_->BussSpeedSel->currentText());
    const int row = std::max(setup_->DeviceSel->currentIndex(), 0);
    saved &= reg_.RegWrString(RegCurrentUser, QStringLiteral("Device"),
                              QString::fromLatin1(PartTable[static_cast<size_t>(row)].PartName));
    if (!bus_.data.LastFile.empty()) {
        saved &= reg_.RegWrString(RegCurrentUser, QStringLiteral("FileDir"),
                                  directoryPart(QString::fromStdString(bus_.data.LastFile)));
    }
    // The window is going away: the terminal is the one place left to say so.
    if (!saved)
        qWarning("rtceval: the settings could not be saved to %s", qPrintable(reg_.location()));
}

void TMainApp::PrintBtnClick()
{
    if (!report_) report_ = std::make_unique<ReportPrinter>(*this);
    report_->PrintBtnClick(dialogFolder_);
}

bool TMainApp::printReport(const QString& file)
{
    if (!report_) report_ = std::make_unique<ReportPrinter>(*this);
    return report_->WritePdf(file);
}
