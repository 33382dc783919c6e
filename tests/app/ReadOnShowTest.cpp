// Pages that show the chip and buttons that say they worked: a page brought
// to the front (or whose part or board changes while it is in front) runs its
// reads, as a step whose failure goes to status panel 3; the menu item "Read
// pages when shown" switches that off and is kept in the settings; after a
// click's transfers succeed, panel 3 says what was done.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QCalendarWidget>
#include <QTableWidget>
#include <QTabWidget>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "clock/SetClockPage.h"
#include "pages/alarm/AlarmPage.h"
#include "pages/memory/MemoryPage.h"
#include "pages/power/PowerPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/RadioGroup.h"

namespace {

class ReadOnShow : public PageFixture {
  protected:
    void show(const char* tab)
    {
        window().TabFunctions->setCurrentWidget(window().page(QLatin1String(tab)));
    }
    QString panel3() { return window().statusPanelText(3); }
    AlarmPage& alarm() { return pageOn<AlarmPage>("tsAlarm"); }
};

// On the simulated board: an alarm set on the chip behind the window's back
// shows as soon as the Alarm page is shown, so a Write keeps it.
TEST_F(ReadOnShow, ShownAlarmPageShowsTheChipsAlarm)
{
    store.write(QStringLiteral("Device=VK310\n"));
    TMainApp& w = open(WindowOptions().stopTimer());
    w.setupPage()->VccChecked->setChecked(true);
    const uint32_t board = w.bus().BoardNo;
    ASSERT_NE(board, 0u);
    // The clock in 24-hour form; the first alarm at 12:00:55 with ALME set.
    for (auto [sub, value] : std::initializer_list<std::pair<uint32_t, uint8_t>>{
             {0x02, 0x92}, {0x08, 0x40}, {0x0C, 0xD5}, {0x0D, 0x80}, {0x0E, 0x92}})
        ASSERT_EQ(KVRX_SimPoke(board, 0xDE, sub, value), 0);
    ASSERT_FALSE(alarm().cbALME->isChecked());
    ASSERT_EQ(alarm().aSeconds->currentText(), QStringLiteral("Ignore"));

    show("tsAlarm");
    EXPECT_EQ(alarm().aSeconds->currentText(), QStringLiteral("55"));
    EXPECT_EQ(alarm().aMinutes->currentText(), QStringLiteral("00"));
    EXPECT_EQ(alarm().aHours->currentText(), QStringLiteral("12 MIL"));
    EXPECT_TRUE(alarm().cbALME->isChecked());
    EXPECT_EQ(recordedBoxCount(w), 0u);

    alarm().BtnWrAlarm->click();
    uint8_t seconds = 0;
    uint8_t control = 0;
    ASSERT_EQ(KVRX_SimPeek(board, 0xDE, 0x0C, &seconds), 0);
    ASSERT_EQ(KVRX_SimPeek(board, 0xDE, 0x08, &control), 0);
    EXPECT_EQ(seconds, 0xD5);
    EXPECT_EQ(control & 0x40, 0x40);
    EXPECT_EQ(panel3(), QStringLiteral(" Alarm 1 written"));
}

// On the simulated board: the memory page shown shows the chip's memory, a
// byte at the end of an EEPROM as much as one of a small SRAM, and an EEPROM's
// block protection.
TEST_F(ReadOnShow, ShownMemoryPageShowsTheChipsMemory)
{
    struct Case {
        const char* part;
        uint32_t address;
        int protectRow; // the list's row of the chip's protection; -1: none
    };
    const Case cases[] = {{"VK361", 0x1F3, 2}, {"VK370", 0x7A, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        store.write(QStringLiteral("Device=%1\n").arg(QLatin1String(c.part)));
        TMainApp& w = open(WindowOptions().stopTimer());
        w.setupPage()->VccChecked->setChecked(true);
        const uint32_t board = w.bus().BoardNo;
        ASSERT_NE(board, 0u);
        ASSERT_EQ(KVRX_SimPoke(board, 0xAE, c.address, 0x5C), 0);
        if (c.protectRow >= 0) {
            ASSERT_EQ(KVRX_SimPoke(board, 0xDE, 0x10, 0x40), 0);
        }
        auto& memory = pageOn<MemoryPage>("tsMemory");
        // The grid's line of the byte and its column, after the address column.
        QTableWidgetItem* cell =
            memory.EepromGrid->item(int(c.address / 16) + 1, int(c.address % 16) + 1);
        ASSERT_NE(cell, nullptr);
        ASSERT_NE(cell->text(), QStringLiteral("5C"));

        show("tsMemory");
        EXPECT_EQ(cell->text(), QStringLiteral("5C"));
        if (c.protectRow >= 0) {
            EXPECT_EQ(memory.cboEEProtect->currentIndex(), c.protectRow);
        }
        EXPECT_EQ(recordedBoxCount(w), 0u);
    }
}

// The Set Clock page shown takes the chip's date, time and 12/24-hour form
// into its pickers, as Get RTC does, but writes nothing: the chip already has
// that form. A chip whose clock is not set leaves the pickers as they were.
TEST_F(ReadOnShow, ShownSetClockPageTakesTheChipsTimeWithoutAWrite)
{
    TMainApp& w = openWith("VK310");
    auto& clock = pageOn<SetClockPage>("tsSetTime");
    ASSERT_EQ(clock.SetTimeFomat->itemIndex(), 0); // the part's 12-hour start
    // 2024-05-17 15:42:07, in 24-hour form.
    RecordingAdapter::setRegisters(rtc(), 0x00, {0x07, 0x42, 0x95, 0x17, 0x05, 0x24, 0x05});
    show("tsSetTime");
    const std::string trace = transferTrace();
    EXPECT_EQ(trace.find('W'), std::string::npos) << trace;
    EXPECT_NE(trace, "");
    EXPECT_EQ(clock.SetTimeFomat->itemIndex(), 1);
    EXPECT_EQ(clock.Calendar->selectedDate(), QDate(2024, 5, 17));
    int hour = 0, minute = 0, second = 0;
    clock.GetTimeEdits(hour, minute, second);
    EXPECT_EQ(hour, 15);
    EXPECT_EQ(minute, 42);
    EXPECT_EQ(second, 7);
    EXPECT_EQ(recordedBoxCount(w), 0u);

    // A failure goes to the status bar, and the pickers keep what they show.
    show("tsSetup");
    RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
    show("tsSetTime");
    EXPECT_EQ(recordedBoxCount(w), 0u);
    EXPECT_EQ(panel3(),
              QStringLiteral(" ") + QString::fromStdString(
                                        RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)));
    EXPECT_EQ(clock.Calendar->selectedDate(), QDate(2024, 5, 17));
}

// When the reads run: on showing the page, on a part choice and on opening a
// board while it is shown; never without a board, a part, or a read step, or
// while another page is in front.
TEST_F(ReadOnShow, ReadsRunWhenThePageIsShownWithABoardAndAPart)
{
    TMainApp& w = openWith("VK310");
    show("tsSetup");
    RecordingAdapter::reset();
    show("tsGraph"); // no read step in its row
    EXPECT_EQ(transferTrace(), "");

    show("tsAlarm");
    EXPECT_EQ(transferTrace(), "R08/1; R0C/6; R02/1");

    // The part changes while it is shown: the new part's alarm is read.
    choose("VK310"); // forgets the calls of the choice...
    show("tsSetup");
    show("tsAlarm");
    RecordingAdapter::reset();
    QComboBox* parts = w.setupPage()->DeviceSel;
    const int vk340 = parts->findText(QStringLiteral("VK340"));
    parts->setCurrentIndex(vk340);
    emit parts->activated(vk340);
    // The choice's own transfers (the clock's form), then the page's reads.
    const std::string trace = transferTrace();
    EXPECT_TRUE(trace.ends_with("; R08/1; R0C/4; R10/2")) << trace;

    // "Not Selected": no part, no reads.
    RecordingAdapter::reset();
    show("tsSetup");
    parts->setCurrentIndex(0);
    emit parts->activated(0);
    EXPECT_EQ(transferTrace(), "");

    // No board open: nothing; opening one while the page is shown reads it.
    choose("VK310");
    show("tsAlarm");
    w.boardConnection()->ConnectBoard(0);
    RecordingAdapter::reset();
    show("tsSetup");
    show("tsAlarm");
    EXPECT_EQ(transferTrace(), "");
    w.boardConnection()->ConnectBoard(1);
    EXPECT_NE(transferTrace().find("R08/1; R0C/6; R02/1"), std::string::npos);
    EXPECT_EQ(recordedBoxCount(w), 0u);
}

// Only reads run on showing: a page's reads that write nothing (the Power
// page's four), no write of any kind.
TEST_F(ReadOnShow, ShowingRunsThePagesReadsOnly)
{
    openWith("VK370");
    show("tsPWR");
    EXPECT_EQ(transferTrace(), "R11/1; R12/1; R29/5; R2E/5; R10/1");
}

// A failing read on showing goes to panel 3 and opens no box.
TEST_F(ReadOnShow, FailureGoesToTheStatusBarNotABox)
{
    TMainApp& w = openWith("VK310");
    RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
    show("tsAlarm");
    EXPECT_EQ(recordedBoxCount(w), 0u);
    EXPECT_EQ(panel3(),
              QStringLiteral(" ") + QString::fromStdString(
                                        RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)));

    // The same read clicked opens the box.
    alarm().BtnRdAlarm->click();
    EXPECT_EQ(recordedBoxCount(w), 1u);
}

// "Read pages when shown" off: showing reads nothing; the choice is kept in
// the settings, and on by default.
TEST_F(ReadOnShow, MenuItemSwitchesItOffAndIsKept)
{
    TMainApp& w = openWith("VK310");
    ASSERT_TRUE(w.ReadOnShow1->isCheckable());
    EXPECT_TRUE(w.ReadOnShow1->isChecked());
    EXPECT_EQ(w.ReadOnShow1->text(), QStringLiteral("&Read pages when shown"));

    w.ReadOnShow1->trigger();
    EXPECT_FALSE(w.ReadOnShow1->isChecked());
    show("tsAlarm");
    show("tsReg");
    show("tsAlarm");
    EXPECT_EQ(transferTrace(), "");
    EXPECT_EQ(store.raw(QStringLiteral("ReadOnShow")), QStringLiteral("0"));

    // The next window starts with it off.
    RecordingAdapter::reset();
    open(WindowOptions().adapter(&RecordingAdapter::api()).stopTimer());
    RecordingAdapter::reset();
    EXPECT_FALSE(window().ReadOnShow1->isChecked());
    show("tsAlarm");
    EXPECT_EQ(transferTrace(), "");
    window().ReadOnShow1->trigger();
    show("tsSetup");
    show("tsAlarm");
    EXPECT_EQ(transferTrace(), "R08/1; R0C/6; R02/1");
    EXPECT_EQ(store.raw(QStringLiteral("ReadOnShow")), QStringLiteral("1"));
}

// After a click's transfers succeed panel 3 says what was done; a failure
// keeps its error box and no confirmation; a read on showing confirms nothing;
// a text of the design stands.
TEST_F(ReadOnShow, ButtonsConfirmWhatTheyDid)
{
    struct Case {
        const char* part;
        const char* tab;
        const char* button;
        const char* said;
        bool ownText = false; // the design's text, which stands whatever happened
    };
    const Case cases[] = {
        {"VK310", "tsAlarm", "BtnWrAlarm", " Alarm 1 written"},
        {"VK310", "tsAlarm", "BtnClrAlarm", " Alarm 1 flag cleared"},
        {"VK310", "tsAlarm", "BtnRdAlarm", "Cleared ", true},
        {"VK310", "tsReg", "PageRdBtn", " Registers 0x00-0x06 read"},
        {"VK310", "tsReg", "PageWrBtn", " Registers 0x00-0x06 written"},
        {"VK310", "tsReg", "WrBtn2", " Register 0x02 written"},
        {"VK370", "tsPWR", "BtnWriteVDDTIP", " VDD trip level written"},
        {"VK370", "tsPWR", "BtnReadTimeStamps", " Time stamps read"},
        {"VK370", "tsEvent", "BtnClrEvent", " Flags cleared"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        TMainApp& w = openWith(c.part);
        w.ReadOnShow1->setChecked(false);
        show(c.tab);
        auto* button = w.page(QLatin1String(c.tab))->findChild<QPushButton*>(c.button);
        ASSERT_NE(button, nullptr);
        if (auto* list = w.findChild<QComboBox*>(QStringLiteral("cboVDDTRIP")))
            list->setCurrentIndex(1);
        w.setStatusPanelText(3, QStringLiteral("USB Connected"));
        button->click();
        EXPECT_EQ(recordedBoxCount(w), 0u);
        EXPECT_EQ(panel3(), QLatin1String(c.said));

        // Failed: the box, and panel 3 does not claim it worked.
        w.setStatusPanelText(3, QStringLiteral("USB Connected"));
        RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
        button->click();
        EXPECT_EQ(recordedBoxCount(w), 1u);
        if (!c.ownText) {
            EXPECT_NE(panel3(), QLatin1String(c.said));
        }
        RecordingAdapter::reset();
        takeRecordedBox(w);
    }

    // Reads on showing say nothing of their own.
    TMainApp& w = openWith("VK370");
    w.setStatusPanelText(3, QStringLiteral("USB Connected"));
    show("tsPWR");
    EXPECT_EQ(panel3(), QStringLiteral("USB Connected"));
}

} // namespace
