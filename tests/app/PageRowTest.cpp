// A page is registered by its row alone: a throwaway page of the test's own,
// given to the window as one more row of the page table and touching nothing
// else, is built, shaped by the part choice, lit by the polling cycle, started
// at its phase of start-up and enabled with the board.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <string>
#include <vector>

#include "app/PageTable.h"
#include "app/TMainApp.h"
#include "app/setup/BoardConnection.h"
#include "app/setup/SetupPage.h"
#include "bus/RtcBus.h"
#include "pages/PageContext.h"
#include "support/AppTestSupport.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"
#include "widgets/LedIndicator.h"

namespace {

// What happened to the throwaway page, in order.
std::vector<std::string> gLog;

// The page's folder: the page and what its codec would hold.
class ThrowawayPage : public QWidget, public PartChoiceStep {
  public:
    explicit ThrowawayPage(PageContext& context) : context_(context)
    {
        Caption = new QLabel(this);
        Caption->setObjectName(QStringLiteral("lblThrowaway"));
        Lamp = new LedIndicator(this);
        Lamp->setObjectName(QStringLiteral("LedThrowaway"));
        Go = new QPushButton(QStringLiteral("Go"), this);
        Go->setObjectName(QStringLiteral("BtnThrowaway"));
    }

    void partChosen() override
    {
        gLog.push_back(std::string("chosen ") + context_.bus().part().PartName);
    }

    void StartUp()
    {
        const bool board = context_.bus().BoardNo != 0;
        const bool polling = context_.pollTimer()->isActive();
        gLog.push_back(std::string("started") + (board ? " with the board" : " without a board") +
                       (polling ? " while polling" : " before polling"));
    }

    QLabel* Caption = nullptr;
    LedIndicator* Lamp = nullptr;
    QPushButton* Go = nullptr;

  private:
    PageContext& context_;
};

constexpr ControlSetting kBase[] = {SetCaption("lblThrowaway", "Not an E part")};
constexpr ControlSetting kTypeE[] = {SetCaption("lblThrowaway", "An E part"),
                                     SetCaption("tsThrowaway", "Throwaway E")};
const PageSettingsTable kThrowawaySettings = {kBase, {SettingList(), kTypeE}};

// AL1 of TypeE's status register 0x3F.
constexpr LampBit kLampBits[] = {{{TypeE}, StatusSource::Main0, 6}};
constexpr StatusLamp kThrowawayLamps[] = {{"LedThrowaway", kLampBits, OffWhenClosed}};
constexpr const char* kThrowawayBoard[] = {"BtnThrowaway"};

// The page's row.
const PageRow kThrowawayRow = {
    .Name = "tsThrowaway",
    .Caption = "Throwaway",
    .Make = [](PageContext& context) -> QWidget* { return new ThrowawayPage(context); },
    .PartSettings = &kThrowawaySettings,
    .BoardControls = kThrowawayBoard,
    .Lamps = kThrowawayLamps,
    .ShownFor = [](const PartInfo& part) { return part.TypeCode == TypeE; },
    .StartUp = [](QWidget* page) { static_cast<ThrowawayPage*>(page)->StartUp(); },
    .Phase = StartUpPhase::BeforePolling,
};

class PageRowTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        RecordingAdapter::reset();
        gLog.clear();
        rows_.assign(Pages().begin(), Pages().end());
        rows_.push_back(kThrowawayRow);
        TMainApp::setStartupPages(rows_);
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        TMainApp::setStartupPages({});
    }

    void choose(TMainApp& w, const char* part)
    {
        w.setupPage()->DeviceSel->setCurrentIndex(FindPartRow(part));
        emit w.setupPage()->DeviceSel->activated(FindPartRow(part));
    }
    // The next PC second's tick, with TypeE's status register holding status.
    void tick(TMainApp& w, uint8_t status)
    {
        RecordingAdapter::setRegisters(w.bus().part().RtcAddress, 0x3F, {status});
        clock.advanceMs(1000);
        w.Timer1Timer();
    }

  private:
    std::vector<PageRow> rows_;
};

TEST_F(PageRowTest, AThrowawayPageIsBuiltChosenLitAndStartedByItsRowAlone)
{
    TMainApp& w = open(WindowOptions()
                           .adapter(&RecordingAdapter::api())
                           .stopTimer()
                           .pcTime(QDateTime(QDate(2024, 6, 12), QTime(14, 30, 1))));

    // Built, as the last tab, under its name and caption.
    auto* page = dynamic_cast<ThrowawayPage*>(w.page(QStringLiteral("tsThrowaway")));
    ASSERT_NE(page, nullptr);
    const int tab = w.TabFunctions->count() - 1;
    EXPECT_EQ(w.TabFunctions->widget(tab), page);
    EXPECT_EQ(w.TabFunctions->tabText(tab), QStringLiteral("Throwaway"));

    // Started once, at its phase: after the part choice and the board, before
    // the polling timer.
    EXPECT_EQ(gLog, (std::vector<std::string>{"chosen Not Selected",
                                              "started with the board before polling"}));

    // Chosen: its tab, its table and its own step follow the part.
    EXPECT_FALSE(w.isPageVisible(QStringLiteral("tsThrowaway")));
    EXPECT_EQ(page->Caption->text(), QStringLiteral("Not an E part"));
    choose(w, "VK360");
    EXPECT_TRUE(w.isPageVisible(QStringLiteral("tsThrowaway")));
    EXPECT_EQ(w.TabFunctions->tabText(tab), QStringLiteral("Throwaway E"));
    EXPECT_EQ(page->Caption->text(), QStringLiteral("An E part"));
    EXPECT_EQ(gLog.back(), "chosen VK360");

    // Lit: the polling cycle lights its lamp from its bit of the family.
    tick(w, 0x40);
    EXPECT_TRUE(page->Lamp->isLit());
    tick(w, 0x00);
    EXPECT_FALSE(page->Lamp->isLit());
    tick(w, 0x40);
    ASSERT_TRUE(page->Lamp->isLit());

    // The board: closing switches its lamp off and disables its board
    // control; opening enables the control again.
    EXPECT_TRUE(page->Go->isEnabled());
    w.boardConnection()->ConnectBoard(0);
    EXPECT_FALSE(page->Lamp->isLit());
    EXPECT_FALSE(page->Go->isEnabled());
    w.boardConnection()->ConnectBoard(1);
    EXPECT_TRUE(page->Go->isEnabled());

    // A family without its bit leaves the lamp alone; another part hides the tab.
    tick(w, 0x40);
    ASSERT_TRUE(page->Lamp->isLit());
    choose(w, "VK310");
    EXPECT_FALSE(w.isPageVisible(QStringLiteral("tsThrowaway")));
    EXPECT_EQ(page->Caption->text(), QStringLiteral("Not an E part"));
    tick(w, 0x00);
    EXPECT_TRUE(page->Lamp->isLit());
    EXPECT_EQ(w.controlFailures(), QStringList());
}

} // namespace
