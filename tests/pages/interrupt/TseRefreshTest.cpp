// The TSE refresh of the VK350 family on the Interrupt page: the group the
// part choice shows, and the step the polling cycle runs once a second, over
// the recording fake adapter with a pinned PC clock.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <string>
#include <vector>

#include "PartTable.h"
#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/interrupt/InterruptPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"

namespace {

// Transfers of register 0x0D fail with this code while it is not 0.
int32_t gBetaFault = 0;
bool gBetaWriteOnly = false;
// The board's running time fails with this code while it is not 0.
int32_t gRunTimeFault = 0;

int32_t runTimeWithFault(uint32_t board, uint32_t* seconds)
{
    if (gRunTimeFault != 0) return gRunTimeFault;
    return RecordingAdapter::api().RdRunTime(board, seconds);
}

int32_t readWithFault(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub, uint8_t* buf,
                      uint32_t count)
{
    if (gBetaFault != 0 && !gBetaWriteOnly && sub == 0x0D) return gBetaFault;
    return RecordingAdapter::api().Read(board, subLen, slave, sub, buf, count);
}

int32_t writeWithFault(uint32_t board, uint8_t subLen, uint8_t slave, uint32_t sub,
                       const uint8_t* buf, uint32_t count)
{
    if (gBetaFault != 0 && sub == 0x0D) return gBetaFault;
    return RecordingAdapter::api().Write(board, subLen, slave, sub, buf, count);
}

const AdapterApi& faultyAdapter()
{
    static const AdapterApi api = [] {
        AdapterApi a = RecordingAdapter::api();
        a.Read = readWithFault;
        a.Write = writeWithFault;
        a.RdRunTime = runTimeWithFault;
        return a;
    }();
    return api;
}

// 1 March 2024, 12:00:00: each tick below starts a new PC second.
const QDateTime kStart(QDate(2024, 3, 1), QTime(12, 0, 0));

class TseRefreshTest : public PageFixture {
  protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        gBetaFault = 0;
        gBetaWriteOnly = false;
        gRunTimeFault = 0;
    }

    TMainApp& openWith(const char* part)
    {
        TMainApp& w =
            PageFixture::openWith(part, WindowOptions().adapter(&faultyAdapter()).pcTime(kStart));
        second_ = 0;
        return w;
    }

    InterruptPage& page() { return pageOn<InterruptPage>("tsInterrupt"); }

    void pickPeriod(int index)
    {
        page().cboTSEREFRESH->setCurrentIndex(index);
        emit page().cboTSEREFRESH->activated(index);
    }

    // One polling tick at the next PC second; the writes of 0x0D it made.
    std::vector<std::vector<uint8_t>> tick()
    {
        const size_t before = RecordingAdapter::transfers().size();
        clock.set(kStart.addSecs(++second_));
        window().Timer1Timer();
        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        std::vector<std::vector<uint8_t>> writes;
        for (size_t i = before; i < t.size(); ++i) {
            if (t[i].op == AdapterOp::Write && t[i].sub == 0x0D) writes.push_back(t[i].data);
        }
        return writes;
    }

    QString pollingTime() { return window().PollingTime->text(); }
    uint8_t rtc() { return window().bus().part().RtcAddress; }

    int second_ = 0;
};

TEST_F(TseRefreshTest, EveryThirdSecondTseIsSetBesideTheChipsBits)
{
    openWith("VK352");
    RecordingAdapter::setRegisters(rtc(), 0x0D, {0x45});
    pickPeriod(3);
    for (int s = 1; s <= 7; ++s) {
        SCOPED_TRACE(s);
        const auto writes = tick();
        if (s % 3 == 0) {
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0], std::vector<uint8_t>{0xC5});
            EXPECT_EQ(pollingTime(), QStringLiteral("TSE Refresh"));
        } else {
            EXPECT_TRUE(writes.empty());
            EXPECT_NE(pollingTime(), QStringLiteral("TSE Refresh"));
        }
    }
    // "Off" stops it at once.
    pickPeriod(0);
    for (int s = 0; s < 4; ++s)
        EXPECT_TRUE(tick().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(TseRefreshTest, ANewPeriodCountsFromItsChoice)
{
    openWith("VK350");
    pickPeriod(2);
    EXPECT_TRUE(tick().empty());
    pickPeriod(2); // chosen again: the count starts over
    EXPECT_TRUE(tick().empty());
    EXPECT_EQ(tick().size(), 1u);
    pickPeriod(1);
    EXPECT_EQ(tick().size(), 1u);
    EXPECT_EQ(tick().size(), 1u);
}

TEST_F(TseRefreshTest, FailuresShowInTheStatusBarWithoutABox)
{
    openWith("VK354");
    pickPeriod(1);
    // The read fails: nothing is written.
    gBetaFault = KVRX_ERR_ADDR_NACK;
    window().setStatusPanelText(3, QString());
    EXPECT_TRUE(tick().empty());
    EXPECT_EQ(pollingTime(), QStringLiteral("TSE Refresh"));
    EXPECT_EQ(window().statusPanelText(3),
              QLatin1Char(' ') +
                  QString::fromStdString(RecordingAdapter::resultText(KVRX_ERR_ADDR_NACK)));
    // The write fails: the chip took no TSE.
    gBetaWriteOnly = true;
    gBetaFault = KVRX_ERR_DATA_NACK;
    window().setStatusPanelText(3, QString());
    tick();
    EXPECT_EQ(window().statusPanelText(3),
              QLatin1Char(' ') +
                  QString::fromStdString(RecordingAdapter::resultText(KVRX_ERR_DATA_NACK)));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
    // Working again, it says nothing.
    gBetaFault = 0;
    window().setStatusPanelText(3, QString());
    EXPECT_EQ(tick().size(), 1u);
    EXPECT_EQ(window().statusPanelText(3), QString());
}

// The refresh is the polling cycle's last step, taken whether or not the chip
// was polled: with polling switched off, or with a board that does not answer,
// it goes on at its period, and its failure shows in status panel 3 as ever.
struct UnpolledCase {
    const char* name;
    bool pollingOff;       // else the board's running time fails
    int32_t fault;         // of the transfers of 0x0D
    bool writeOnly;        // only the write fails
    const char* transfers; // the tick's transfers that reached the chip
};

const UnpolledCase kUnpolled[] = {
    {"polling off", true, 0, false, "R0D/1; W0D C5"},
    {"polling off, read fails", true, KVRX_ERR_ADDR_NACK, false, ""},
    {"polling off, write fails", true, KVRX_ERR_DATA_NACK, true, "R0D/1"},
    {"running time fails", false, 0, false, "R0D/1; W0D C5"},
    {"running time fails, read fails", false, KVRX_ERR_ADDR_NACK, false, ""},
    {"running time fails, write fails", false, KVRX_ERR_DATA_NACK, true, "R0D/1"},
};

TEST_F(TseRefreshTest, WithoutPollingItGoesOnAndItsFailuresShow)
{
    for (const UnpolledCase& c : kUnpolled) {
        SCOPED_TRACE(c.name);
        openWith("VK350");
        RecordingAdapter::setRegisters(rtc(), 0x0D, {0x45});
        QCheckBox* polling = window().displayPanel()->PollingEnable;
        polling->setChecked(!c.pollingOff);
        gRunTimeFault = c.pollingOff ? 0 : KVRX_ERR_TIMEOUT;
        pickPeriod(2);

        // The first second of the period: the chip hears nothing at all.
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(rtc(), 0x0D, {0x45});
        gBetaFault = c.fault;
        gBetaWriteOnly = c.writeOnly;
        window().setStatusPanelText(3, QString());
        tick();
        EXPECT_EQ(transferTrace(), "");
        EXPECT_NE(pollingTime(), QStringLiteral("TSE Refresh"));

        // The second: the refresh alone, on a window that shows no chip.
        tick();
        EXPECT_EQ(transferTrace(), c.transfers);
        EXPECT_EQ(pollingTime(), QStringLiteral("TSE Refresh"));
        EXPECT_EQ(window().displayPanel()->RTCtime->text(), QString());
        EXPECT_EQ(window().statusPanelText(3),
                  c.fault == 0 ? QString()
                               : QLatin1Char(' ') +
                                     QString::fromStdString(RecordingAdapter::resultText(c.fault)));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        gBetaFault = 0;
        gRunTimeFault = 0;
    }
}

TEST_F(TseRefreshTest, APartChoiceTurnsItOff)
{
    openWith("VK350");
    pickPeriod(1);
    ASSERT_EQ(tick().size(), 1u);
    choose("VK352");
    EXPECT_EQ(page().cboTSEREFRESH->currentText(), QStringLiteral("Off"));
    for (int s = 0; s < 3; ++s)
        EXPECT_TRUE(tick().empty());
}

TEST_F(TseRefreshTest, TheGroupShowsForTheVk350FamilyOnly)
{
    openWith("VK310");
    for (const PartInfo& part : PartTable) {
        SCOPED_TRACE(part.PartName);
        choose(part.PartName);
        const bool typeD = part.TypeCode == TypeD;
        EXPECT_EQ(!page().gbTSEREFRESH->isHidden(), typeD);
        EXPECT_EQ(page().gbTSEREFRESH->title(), QStringLiteral("TSE Refresh"));
        if (!typeD) continue;
        QComboBox* list = page().cboTSEREFRESH;
        ASSERT_EQ(list->count(), 11);
        EXPECT_EQ(list->itemText(0), QStringLiteral("Off"));
        EXPECT_EQ(list->itemText(10), QStringLiteral("10"));
        EXPECT_EQ(list->currentIndex(), 0);
    }
    EXPECT_EQ(window().controlFailures(), QStringList());
}

} // namespace
