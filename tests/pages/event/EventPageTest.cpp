// The Event page on the window, against the recording fake adapter: the bytes
// Write, Read, Clear and the stamp read move for each family, what the page
// shows after them, how failures are reported (a failed EVIX write included),
// the lamp starting the stamp read, the lists following the enable box, and
// what a part choice does to the page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/event/EventPage.h"
#include "registers/RegistersPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

std::string status(int32_t code)
{
    return " " + RecordingAdapter::resultText(code);
}

// A stamp of 12-31 15:04:05 (12-hour form in the chip) and of 01-02 03:04:05 (24-hour).
const std::vector<uint8_t> kStampPm = {0x05, 0x04, 0x23, 0x31, 0x12, 0x24};
const std::vector<uint8_t> kStampMil = {0x05, 0x04, 0x83, 0x02, 0x01, 0x24};

class EventPageTest : public PageFixture {
  protected:
    EventPage& page() { return pageOn<EventPage>("tsEvent"); }

    // Start-up's status text is cleared as well: the tests read what the page says.
    TMainApp& openWith(const char* part)
    {
        TMainApp& w = PageFixture::openWith(part);
        w.setStatusPanelText(3, QString());
        return w;
    }

    void timeFormat24(bool on)
    {
        (on ? window().setupPage()->Time24hr24 : window().setupPage()->Time24hr12)
            ->setChecked(true);
    }

    std::vector<QString> panelTexts()
    {
        EventPage& p = page();
        return {p.TimeStampPnl->text(), p.TimeStampPnl1->text(), p.TimeStampPnl2->text(),
                p.TimeStampPnl3->text()};
    }
    void fillPanels(const QString& text)
    {
        EventPage& p = page();
        for (QLabel* panel : {p.TimeStampPnl, p.TimeStampPnl1, p.TimeStampPnl2, p.TimeStampPnl3})
            panel->setText(text);
        p.txtEVCNT->setText(text);
    }
};

// ---- Write and Read ----

TEST_F(EventPageTest, WriteSendsTheByteOfThePagesChoices)
{
    struct Case {
        const char* part;
        int esmp, ehys;
        bool even, rtchlt, evienb, evbatb, evim;
        const char* bytes;
    };
    const Case cases[] = {
        {"VK311", 2, 1, true, false, false, false, false, "W09 16"},
        {"VK321", 3, 3, true, true, true, true, true, "W09 FF"},
        {"VK331", 0, 0, false, true, false, true, false, "W09 60"},
        // Every box clear and both lists at their first item: 0x00.
        {"VK370", 0, 0, false, false, false, false, false, "W0E 00"},
        // The hidden RTCHLT and EVIENB boxes are no bits of EVIC; bit 7 stays 0.
        {"VK370", 1, 2, true, true, true, false, true, "W0E 39"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TMainApp& w = openWith(c.part);
        EventPage& p = page();
        p.ComboBoxESMP->setCurrentIndex(c.esmp);
        p.ComboBoxEHYS->setCurrentIndex(c.ehys);
        p.ChkBoxEVEN->setChecked(c.even);
        p.ChkBoxRTCHLT->setChecked(c.rtchlt);
        p.ChkBoxEVIENB->setChecked(c.evienb);
        p.ChkBoxEVBATB->setChecked(c.evbatb);
        p.CheckBoxEVIM->setChecked(c.evim);
        p.BtnWrEvent->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        expectAddressing();
        const uint8_t reg = w.bus().part().TypeCode == TypeF ? 0x0E : 0x09;
        EXPECT_EQ(w.bus().data.Regs[reg], RecordingAdapter::registerAt(rtc(), reg));
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(EventPageTest, ReadShowsTheByteInTheListsAndBoxes)
{
    TMainApp& w = openWith("VK321");
    EventPage& p = page();
    p.CheckBoxEVIM->setChecked(true); // not the family's: left alone
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x96});
    p.BtnRdEvent->click();
    EXPECT_EQ(transferTrace(), "R09/1");
    EXPECT_EQ(p.ComboBoxESMP->currentText(), "1 Hz");
    EXPECT_EQ(p.ComboBoxEHYS->currentText(), "3.9 ms");
    EXPECT_TRUE(p.ChkBoxEVEN->isChecked());
    EXPECT_TRUE(p.ChkBoxEVIENB->isChecked());
    EXPECT_FALSE(p.ChkBoxRTCHLT->isChecked());
    EXPECT_FALSE(p.ChkBoxEVBATB->isChecked());
    EXPECT_TRUE(p.CheckBoxEVIM->isChecked());
    EXPECT_TRUE(p.ComboBoxESMP->isEnabled()) << "the checked enable box enables the lists";
    EXPECT_EQ(recordedBoxCount(w), 0u);

    openWith("VK370");
    EventPage& f = page();
    f.ChkBoxEVEN->setChecked(true);
    f.ChkBoxRTCHLT->setChecked(true); // not the family's: left alone
    RecordingAdapter::setRegisters(rtc(), 0x0E, {0xED});
    f.BtnRdEvent->click();
    EXPECT_EQ(transferTrace(), "R0E/1");
    EXPECT_EQ(f.ComboBoxESMP->currentText(), "2 Hz");
    EXPECT_EQ(f.ComboBoxEHYS->currentText(), "31.25 ms");
    EXPECT_FALSE(f.ChkBoxEVEN->isChecked());
    EXPECT_TRUE(f.CheckBoxEVIM->isChecked());
    EXPECT_TRUE(f.ChkBoxEVBATB->isChecked());
    EXPECT_TRUE(f.ChkBoxRTCHLT->isChecked());
    EXPECT_FALSE(f.ComboBoxESMP->isEnabled()) << "EVEN read clear disables the lists";
    EXPECT_FALSE(f.ComboBoxEHYS->isEnabled());
}

TEST_F(EventPageTest, FailedWriteAndReadAreReportedAndTheReadLeavesThePage)
{
    TMainApp& w = openWith("VK311");
    EventPage& p = page();
    RecordingAdapter::failCall(1, KVRX_ERR_DATA_NACK);
    p.BtnWrEvent->click();
    EXPECT_EQ(transferTrace(), "W09 00!");
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x09, {0xFF});
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    p.BtnRdEvent->click();
    EXPECT_EQ(transferTrace(), "R09/1!");
    EXPECT_EQ(p.ComboBoxESMP->currentIndex(), 0);
    EXPECT_FALSE(p.ChkBoxEVEN->isChecked());
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
}

// ---- the lists follow the enable box ----

TEST_F(EventPageTest, TheListsFollowTheEnableBox)
{
    TMainApp& w = openWith("VK321");
    EventPage& p = page();
    EXPECT_FALSE(p.ChkBoxEVEN->isChecked());
    EXPECT_FALSE(p.ComboBoxESMP->isEnabled());
    EXPECT_FALSE(p.ComboBoxEHYS->isEnabled());
    p.ChkBoxEVEN->click();
    EXPECT_TRUE(p.ComboBoxESMP->isEnabled());
    EXPECT_TRUE(p.ComboBoxEHYS->isEnabled());
    p.ChkBoxEVEN->click();
    EXPECT_FALSE(p.ComboBoxESMP->isEnabled());

    // Coming to the front, the page brings them in line again.
    p.ComboBoxESMP->setEnabled(true);
    w.show();
    w.TabFunctions->setCurrentWidget(&p);
    QApplication::processEvents();
    EXPECT_FALSE(p.ComboBoxESMP->isEnabled());
    // So does the part choice of a part with event detection.
    p.ComboBoxEHYS->setEnabled(true);
    choose("VK370");
    EXPECT_FALSE(p.ComboBoxEHYS->isEnabled());
}

TEST_F(EventPageTest, ComingToTheFrontShowsTheChosenRegisterSection)
{
    TMainApp& w = openWith("VK370");
    auto* registers = qobject_cast<RegistersPage*>(w.page(QStringLiteral("tsReg")));
    ASSERT_NE(registers, nullptr);
    auto* sections = w.findChild<QComboBox*>(QStringLiteral("SectionSel"));
    ASSERT_NE(sections, nullptr);
    const int counters = sections->findText(QStringLiteral("AC /Event Counters  (Read Only)"));
    ASSERT_GT(counters, 0);
    sections->setCurrentIndex(counters); // set, not chosen: nothing shown yet
    EXPECT_NE(registers->RowAddress(1), 0x0B);
    w.show();
    w.TabFunctions->setCurrentWidget(&page());
    QApplication::processEvents();
    EXPECT_EQ(registers->RowAddress(1), 0x0B);
}

// ---- Clear ----

TEST_F(EventPageTest, ClearOnTypeAAndTypeBClearsEvtAndPutsTheLampOut)
{
    for (const char* part : {"VK311", "VK321"}) {
        SCOPED_TRACE(part);
        TMainApp& w = openWith(part);
        EventPage& p = page();
        p.LedEvent->setLit(true);
        RecordingAdapter::reset();
        p.TimeStampPnl->setText(QStringLiteral("old"));
        RecordingAdapter::setRegisters(rtc(), 0x07, {0x9C});
        p.BtnClrEvent->click();
        EXPECT_EQ(transferTrace(), "R07/1; W07 97");
        expectAddressing();
        EXPECT_FALSE(p.LedEvent->isLit());
        EXPECT_EQ(p.TimeStampPnl->text(), "");
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(EventPageTest, ClearOnTypeFClearsTheCounterAndEveryPanel)
{
    TMainApp& w = openWith("VK370");
    EventPage& p = page();
    fillPanels(QStringLiteral("old"));
    RecordingAdapter::setRegisters(rtc(), 0x0B, {0x05});
    p.BtnClrEvent->click();
    EXPECT_EQ(transferTrace(), "R0B/1; W0B 00");
    EXPECT_EQ(panelTexts(), std::vector<QString>(4));
    EXPECT_EQ(p.txtEVCNT->text(), "");
    EXPECT_EQ(recordedBoxCount(w), 0u);
}

TEST_F(EventPageTest, AFailedClearIsReportedAndThePageKeepsWhatItShowed)
{
    struct Case {
        const char* part;
        size_t failing;
        const char* bytes;
    };
    const Case cases[] = {
        {"VK321", 1, "R07/1!"},
        {"VK321", 2, "R07/1; W07 07!"},
        {"VK370", 1, "R0B/1!"},
        {"VK370", 2, "R0B/1; W0B 00!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TMainApp& w = openWith(c.part);
        EventPage& p = page();
        p.LedEvent->setLit(true);
        RecordingAdapter::reset();
        fillPanels(QStringLiteral("old"));
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);
        p.BtnClrEvent->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        EXPECT_TRUE(p.LedEvent->isLit());
        EXPECT_EQ(panelTexts(), std::vector<QString>(4, QStringLiteral("old")));
        EXPECT_EQ(p.txtEVCNT->text(), "old");
        ASSERT_EQ(recordedBoxCount(w), 1u);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

// ---- stamps ----

TEST_F(EventPageTest, TypeBStampInTheTimeFormatOfThePcDisplay)
{
    for (const char* part : {"VK321", "VK331"}) {
        SCOPED_TRACE(part);
        TMainApp& w = openWith(part);
        EventPage& p = page();
        RecordingAdapter::setRegisters(rtc(), 0x14, kStampPm);
        timeFormat24(true);
        p.LastEventBtn->click();
        EXPECT_EQ(transferTrace(), "R14/6");
        EXPECT_EQ(p.TimeStampPnl->text(), "12/31 - 15:04:05");
        timeFormat24(false);
        RecordingAdapter::setRegisters(rtc(), 0x14, kStampMil);
        p.LastEventBtn->click();
        EXPECT_EQ(p.TimeStampPnl->text(), "01/02 - 03:04:05 AM");
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

TEST_F(EventPageTest, TypeFReadsEachStampBehindItsIndexThenTheCounter)
{
    for (bool is24 : {true, false}) {
        SCOPED_TRACE(is24);
        TMainApp& w = openWith("VK370");
        EventPage& p = page();
        timeFormat24(is24);
        RecordingAdapter::setRegisters(rtc(), 0x0B, {0x2A});
        // The chip answers each stamp read with the stamp EVIX chose.
        RecordingAdapter::queueRead(kStampPm);
        RecordingAdapter::queueRead({0x00, 0x00, 0x80, 0x01, 0x01, 0x24});
        RecordingAdapter::queueRead({0x59, 0x59, 0x12, 0x28, 0x02, 0x24});
        RecordingAdapter::queueRead({0x30, 0x15, 0x32, 0x00, 0x00, 0x00});
        p.LastEventBtn->click();
        EXPECT_EQ(transferTrace(),
                  "W0F 00; R33/6; W0F 01; R33/6; W0F 02; R33/6; W0F 03; R33/6; R0B/1");
        expectAddressing();
        if (is24) {
            EXPECT_EQ(panelTexts(),
                      (std::vector<QString>{"12/31 - 15:04:05", "01/01 - 00:00:00",
                                            "02/28  - 00:59:59", "01/00  - 12:15:30"}));
        } else {
            EXPECT_EQ(panelTexts(),
                      (std::vector<QString>{"12/31  - 03:04:05 PM", "01/01  - 12:00:00 AM",
                                            "02/28  - 12:59:59 AM", "01/00  - 12:15:30 PM"}));
        }
        EXPECT_EQ(p.txtEVCNT->text(), "42");
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

// A failed EVIX write would leave the chip on another stamp: its panel is not
// filled from the read, and the failure is reported like a failed read. Each
// failure leaves its own panel; the other indices are still read. One report,
// after every transfer, of the first failure.
TEST_F(EventPageTest, TypeFFailuresLeaveTheirPanelAndAreReported)
{
    struct Case {
        size_t failing;
        const char* bytes;
        int keeps; // the panel that keeps "old"; 4: the counter
    };
    const Case cases[] = {
        {1, "W0F 00!; W0F 01; R33/6; W0F 02; R33/6; W0F 03; R33/6; R0B/1", 0},
        {4, "W0F 00; R33/6; W0F 01; R33/6!; W0F 02; R33/6; W0F 03; R33/6; R0B/1", 1},
        {5, "W0F 00; R33/6; W0F 01; R33/6; W0F 02!; W0F 03; R33/6; R0B/1", 2},
        {9, "W0F 00; R33/6; W0F 01; R33/6; W0F 02; R33/6; W0F 03; R33/6; R0B/1!", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TMainApp& w = openWith("VK370");
        EventPage& p = page();
        timeFormat24(true);
        fillPanels(QStringLiteral("old"));
        RecordingAdapter::setRegisters(rtc(), 0x33, kStampMil);
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);
        p.LastEventBtn->click();
        EXPECT_EQ(transferTrace(), c.bytes);
        const std::vector<QString> texts = panelTexts();
        for (int n = 0; n < 4; ++n) {
            const QString expected = n == c.keeps ? QStringLiteral("old")
                                     : n < 2      ? QStringLiteral("01/02 - 03:04:05")
                                                  : QStringLiteral("01/02  - 03:04:05");
            EXPECT_EQ(texts[static_cast<size_t>(n)], expected) << n;
        }
        EXPECT_EQ(p.txtEVCNT->text(), c.keeps == 4 ? "old" : "0");
        ASSERT_EQ(recordedBoxCount(w), 1u);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

TEST_F(EventPageTest, AFailedTypeBStampReadKeepsThePanel)
{
    TMainApp& w = openWith("VK321");
    EventPage& p = page();
    p.TimeStampPnl->setText(QStringLiteral("old"));
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    p.LastEventBtn->click();
    EXPECT_EQ(transferTrace(), "R14/6!");
    EXPECT_EQ(p.TimeStampPnl->text(), "old");
    ASSERT_EQ(recordedBoxCount(w), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
}

// ---- the lamp ----

TEST_F(EventPageTest, TheLampLightingReadsTheStampsAndReportsInTheStatusBar)
{
    TMainApp& w = openWith("VK321");
    EventPage& p = page();
    timeFormat24(true);
    RecordingAdapter::setRegisters(rtc(), 0x14, kStampPm);
    p.LedEvent->setLit(true);
    EXPECT_EQ(transferTrace(), "R14/6");
    EXPECT_EQ(p.TimeStampPnl->text(), "12/31 - 15:04:05");

    // Staying lit, or going out, reads nothing.
    RecordingAdapter::reset();
    p.LedEvent->setLit(true);
    p.LedEvent->setLit(false);
    EXPECT_EQ(transferTrace(), "");

    // A failure of the lamp's read is no click on the button: status text, no box.
    RecordingAdapter::failCall(1, KVRX_ERR_DATA_NACK);
    p.TimeStampPnl->setText(QStringLiteral("old"));
    p.LedEvent->setLit(true);
    EXPECT_EQ(transferTrace(), "R14/6!");
    EXPECT_EQ(p.TimeStampPnl->text(), "old");
    EXPECT_EQ(recordedBoxCount(w), 0u);
    EXPECT_EQ(w.statusPanelText(3).toStdString(), status(KVRX_ERR_DATA_NACK));
}

TEST_F(EventPageTest, NoStampReadWithoutTheButtonShownAndEnabled)
{
    // VK311 has no stamps: the lamp lights, nothing is read.
    openWith("VK311");
    EXPECT_TRUE(page().LastEventBtn->isHidden());
    page().LedEvent->setLit(true);
    page().LastEventBtnClick();
    EXPECT_EQ(transferTrace(), "");

    // No board: the button is disabled.
    openWith("VK321");
    window().bus().BoardNo = 0;
    page().LastEventBtn->setEnabled(false);
    page().LedEvent->setLit(true);
    EXPECT_EQ(transferTrace(), "");
}

// ---- part choice ----

TEST_F(EventPageTest, PartChoiceShapesThePage)
{
    openWith("VK311");
    EventPage& p = page();
    EXPECT_TRUE(window().isPageVisible(QStringLiteral("tsEvent")));
    for (QWidget* shown : std::initializer_list<QWidget*>{
             p.ChkBoxRTCHLT, p.ChkBoxEVIENB, p.LedEvent, p.Label38, p.ChkBoxEVBATB, p.BtnClrEvent})
        EXPECT_FALSE(shown->isHidden()) << shown->objectName().toStdString();
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             p.LastEventBtn, p.TimeStampLabel, p.TimeStampPnl, p.TimeStampPnl1, p.CheckBoxEVIM,
             p.GroupEVTLabels, p.Label112, p.Label83, p.txtEVCNT})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(p.BtnClrEvent->text(), "Clear Event");

    choose("VK370");
    for (QWidget* shown : std::initializer_list<QWidget*>{
             p.LastEventBtn, p.TimeStampLabel, p.TimeStampPnl, p.TimeStampPnl1, p.TimeStampPnl2,
             p.TimeStampPnl3, p.GroupEVTLabels, p.Label112, p.Label83, p.txtEVCNT, p.CheckBoxEVIM})
        EXPECT_FALSE(shown->isHidden()) << shown->objectName().toStdString();
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{p.ChkBoxRTCHLT, p.ChkBoxEVIENB, p.LedEvent, p.Label38})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(p.BtnClrEvent->text(), "CLR/Tstamps Cntr");

    choose("VK321");
    for (QWidget* shown : std::initializer_list<QWidget*>{
             p.LastEventBtn, p.TimeStampLabel, p.TimeStampPnl, p.ChkBoxRTCHLT, p.LedEvent})
        EXPECT_FALSE(shown->isHidden()) << shown->objectName().toStdString();
    for (QWidget* hidden : std::initializer_list<QWidget*>{p.TimeStampPnl1, p.GroupEVTLabels,
                                                           p.txtEVCNT, p.CheckBoxEVIM})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(p.BtnClrEvent->text(), "Clear Event");

    choose("VK310");
    EXPECT_FALSE(window().isPageVisible(QStringLiteral("tsEvent")));
    EXPECT_EQ(window().controlFailures(), QStringList());
}

// The EVIX labels stand level with their panels, and every family's page fits
// the window whole.
TEST_F(EventPageTest, EveryFamilyFitsTheWindowAndTheIndexLabelsLineUp)
{
    TMainApp& w = openWith("VK370");
    w.show();
    const QSize size = w.size();
    for (const char* part : {"VK370", "VK311", "VK321", "VK370"}) {
        SCOPED_TRACE(part);
        choose(part);
        w.TabFunctions->setCurrentWidget(&page());
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        EXPECT_EQ(w.size(), size);
        EventPage& p = page();
        for (QWidget* control : p.findChildren<QWidget*>()) {
            if (!control->isVisibleTo(&p)) continue;
            if (!qobject_cast<QLabel*>(control) && !qobject_cast<QAbstractButton*>(control))
                continue;
            EXPECT_GE(control->width(), control->sizeHint().width())
                << control->objectName().toStdString();
            const QRect onPage(control->mapTo(&p, QPoint(0, 0)), control->size());
            EXPECT_TRUE(p.rect().contains(onPage)) << control->objectName().toStdString();
        }
        if (p.GroupEVTLabels->isHidden()) continue;
        const QLabel* panels[4] = {p.TimeStampPnl, p.TimeStampPnl1, p.TimeStampPnl2,
                                   p.TimeStampPnl3};
        for (int n = 0; n < 4; ++n) {
            const QLabel* label = p.EvixLabels[static_cast<size_t>(n)];
            EXPECT_EQ(label->mapTo(&p, label->rect().center()).y(),
                      panels[n]->mapTo(&p, panels[n]->rect().center()).y())
                << n;
        }
    }
}

} // namespace
