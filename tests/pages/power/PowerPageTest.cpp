// The Power management page on the real window over the recording fake
// adapter: the bytes each button moves on TypeD and TypeF, the switch mode
// and its three controls, the stamps as the panels show them, and how every
// failure, the writes' included, is reported.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/power/PowerPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

class PowerPageTest : public PageFixture {
  protected:
    PowerPage& page() { return pageOn<PowerPage>("tsPWR"); }

    // The writes of the last click as (register, byte).
    static std::vector<std::pair<uint32_t, uint8_t>> writes()
    {
        std::vector<std::pair<uint32_t, uint8_t>> out;
        for (const AdapterCall& t : RecordingAdapter::transfers()) {
            if (t.op == AdapterOp::Write && t.data.size() == 1) out.emplace_back(t.sub, t.data[0]);
        }
        return out;
    }
    static std::vector<uint32_t> reads()
    {
        std::vector<uint32_t> out;
        for (const AdapterCall& t : RecordingAdapter::transfers()) {
            if (t.op == AdapterOp::Read) out.push_back(t.sub);
        }
        return out;
    }
};

using Writes = std::vector<std::pair<uint32_t, uint8_t>>;

// ---- VDD ----

TEST_F(PowerPageTest, VddReadShowsTheLevelAndTheSwitchModeWithItsList)
{
    openWith("VK350");
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x84});
    page().BtnReadVDDTIP->click();
    EXPECT_EQ(reads(), std::vector<uint32_t>{0x09});
    EXPECT_EQ(page().cboVDDTRIP->currentText(), QStringLiteral("4.250V"));
    EXPECT_TRUE(page().rbBSW2->isChecked()) << "\"Low Power \"";
    EXPECT_FALSE(page().ChkBSW->isChecked());
    EXPECT_FALSE(page().cboVDDTRIP->isEnabled());

    RecordingAdapter::setRegisters(rtc(), 0x09, {0x04});
    page().BtnReadVDDTIP->click();
    EXPECT_EQ(page().cboVDDTRIP->currentText(), QStringLiteral("4.250V"));
    EXPECT_TRUE(page().rbBSW1->isChecked()) << "\"Standard\"";
    EXPECT_TRUE(page().ChkBSW->isChecked());
    EXPECT_TRUE(page().cboVDDTRIP->isEnabled());

    choose("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x32});
    page().BtnReadVDDTIP->click();
    EXPECT_EQ(reads(), std::vector<uint32_t>{0x11});
    EXPECT_EQ(page().cboVDDTRIP->currentText(), QStringLiteral("2.805V"));
    EXPECT_TRUE(page().ChkI2CBAT->isChecked());
    EXPECT_TRUE(page().ChkLVENB->isChecked());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(PowerPageTest, TheSwitchModesThreeControlsFollowEachOther)
{
    openWith("VK352");
    EXPECT_FALSE(page().rbBSW1->isChecked());
    EXPECT_FALSE(page().rbBSW2->isChecked()) << "none selected at start";
    page().ChkBSW->setChecked(true);
    EXPECT_TRUE(page().rbBSW1->isChecked());
    EXPECT_TRUE(page().cboVDDTRIP->isEnabled());
    page().ChkBSW->setChecked(false);
    EXPECT_TRUE(page().rbBSW2->isChecked());
    EXPECT_FALSE(page().cboVDDTRIP->isEnabled());
    page().rbBSW1->setChecked(true);
    EXPECT_TRUE(page().ChkBSW->isChecked());
    EXPECT_TRUE(page().cboVDDTRIP->isEnabled());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

TEST_F(PowerPageTest, VddWriteOnTypeFRebuildsItsBitsAndLeavesTheAcCounterAlone)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x97});
    pick(page().cboVDDTRIP, 3); // "3.060V"
    page().ChkI2CBAT->setChecked(true);
    page().ChkLVENB->setChecked(false);
    page().BtnWriteVDDTIP->click();
    EXPECT_EQ(reads(), std::vector<uint32_t>{0x11});
    EXPECT_EQ(writes(), (Writes{{0x11, 0xA3}}));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(PowerPageTest, VddWriteOnTypeDSetsTheModeBitAndKeepsReseal)
{
    openWith("VK354");
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x05});
    RecordingAdapter::setRegisters(rtc(), 0x0A, {0x5A});
    pick(page().cboVDDTRIP, 2);
    page().BtnWriteVDDTIP->click();
    EXPECT_EQ(reads(), (std::vector<uint32_t>{0x09, 0x0A}));
    EXPECT_EQ(writes(), (Writes{{0x09, 0x02}, {0x0A, 0x5A}})) << "no mode chosen: bit 7 clear";

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x85});
    RecordingAdapter::setRegisters(rtc(), 0x0A, {0x5A});
    page().rbBSW2->setChecked(true); // "Low Power "
    page().BtnWriteVDDTIP->click();
    EXPECT_EQ(writes(), (Writes{{0x09, 0x82}, {0x0A, 0xDA}}));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(PowerPageTest, VddWriteReportsTheFirstFailureOfItsSequence)
{
    openWith("VK350");
    pick(page().cboVDDTRIP, 1);
    const struct {
        const char* what;
        size_t failAt;
        int code;
        Writes written;
    } cases[] = {
        // Read 0x09, write 0x09, read 0x0A, write 0x0A.
        {"VDD read: the mode still goes", 1, KVRX_ERR_ADDR_NACK, {{0x0A, 0x00}}},
        {"VDD write", 2, KVRX_ERR_DATA_NACK, {{0x09, 0x01}, {0x0A, 0x00}}},
        {"mode read", 3, KVRX_ERR_ADDR_NACK, {{0x09, 0x01}}},
        {"mode write", 4, KVRX_ERR_DATA_NACK, {{0x09, 0x01}, {0x0A, 0x00}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingAdapter::reset();
        RecordingAdapter::failCall(c.failAt, c.code);
        page().BtnWriteVDDTIP->click();
        Writes tried;
        for (const AdapterCall& t : RecordingAdapter::transfers())
            if (t.op == AdapterOp::Write) tried.emplace_back(t.sub, t.data.at(0));
        EXPECT_EQ(tried, c.written);
        EXPECT_EQ(box(), failureBox(c.code));
        EXPECT_EQ(recordedBoxCount(window()), 0u) << "one box per click";
    }
}

TEST_F(PowerPageTest, WritesWithNoEntryChosenAreRefusedWithoutATransfer)
{
    openWith("VK352");
    ASSERT_EQ(page().cboVDDTRIP->currentIndex(), -1);
    ASSERT_EQ(page().cbo85BATLEVEL->currentIndex(), -1);
    pick(page().cbo75BATLEVEL, 2);
    for (QPushButton* button : {page().BtnWriteVDDTIP, page().BtnWriteBATTRIP}) {
        window().setStatusPanelText(3, QString());
        button->click();
        EXPECT_TRUE(RecordingAdapter::transfers().empty());
        EXPECT_TRUE(window().statusPanelText(3).contains(QStringLiteral("nothing was written")));
    }
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

// ---- battery ----

TEST_F(PowerPageTest, BatteryWriteTakesBit6FromTheFamilysBox)
{
    openWith("VK350");
    RecordingAdapter::setRegisters(rtc(), 0x0A, {0x00});
    pick(page().cbo85BATLEVEL, 3); // "2.805V"
    pick(page().cbo75BATLEVEL, 2); // "2.250V"
    page().CHKresealb->setChecked(true);
    page().ChkBHYS->setChecked(false);
    page().BtnWriteBATTRIP->click();
    EXPECT_EQ(writes(), (Writes{{0x0A, 0x5A}}));

    choose("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x12, {0xFF});
    pick(page().cbo85BATLEVEL, 0);
    pick(page().cbo75BATLEVEL, 7);
    page().CHKresealb->setChecked(true);
    page().ChkBHYS->setChecked(false);
    page().BtnWriteBATTRIP->click();
    EXPECT_EQ(writes(), (Writes{{0x12, 0x87}})) << "bit 7 as read, BHYS clear";
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    for (size_t failAt : {1u, 2u}) {
        RecordingAdapter::reset();
        RecordingAdapter::failCall(failAt, KVRX_ERR_DATA_NACK);
        page().BtnWriteBATTRIP->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failAt);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

TEST_F(PowerPageTest, BatteryReadShowsTheLevelsAndChangesNothingWhenItFails)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x12, {0x5A});
    page().BtnReadBATTRIP->click();
    EXPECT_EQ(page().cbo85BATLEVEL->currentText(), QStringLiteral("2.805V"));
    EXPECT_EQ(page().cbo75BATLEVEL->currentText(), QStringLiteral("2.250V"));
    EXPECT_TRUE(page().ChkBHYS->isChecked());
    EXPECT_TRUE(page().CHKresealb->isChecked());

    RecordingAdapter::reset();
    window().bus().data.Regs[0x12] = 0x00;
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnReadBATTRIP->click();
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_TRUE(page().ChkBHYS->isChecked());
    EXPECT_TRUE(page().CHKresealb->isChecked()) << "not taken from an image byte nobody read";
    EXPECT_EQ(page().cbo85BATLEVEL->currentText(), QStringLiteral("2.805V"));
}

// ---- time stamps ----

TEST_F(PowerPageTest, StampsShowInThePcTimeFormat)
{
    openWith("VK352");
    RecordingAdapter::setRegisters(rtc(), 0x16, {0x09, 0x05, 0x94, 0x07, 0x03});
    RecordingAdapter::setRegisters(rtc(), 0x1B, {0x39, 0x23, 0x12, 0x28, 0x00});
    window().setupPage()->Time24hr24->setChecked(true);
    page().BtnReadTimeStamps->click();
    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].sub, 0x16u);
    EXPECT_EQ(t[0].count, 5u);
    EXPECT_EQ(t[1].sub, 0x1Bu);
    EXPECT_EQ(t[1].count, 5u);
    EXPECT_EQ(page().pnlTIMESTAMP1->text(), QStringLiteral("03/07 - 14:05:09"));
    EXPECT_EQ(page().Panel5->text(), QStringLiteral("01/28  - 00:23:39"));

    window().setupPage()->Time24hr12->setChecked(true);
    choose("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x29, {0x00, 0x30, 0x32, 0x01, 0x12});
    RecordingAdapter::setRegisters(rtc(), 0x2E, {0x15, 0x00, 0x81, 0x02, 0x12});
    page().BtnReadTimeStamps->click();
    EXPECT_EQ(reads(), (std::vector<uint32_t>{0x29, 0x2E}));
    EXPECT_EQ(page().pnlTIMESTAMP1->text(), QStringLiteral("12/01  - 12:30:00 PM"));
    EXPECT_EQ(page().Panel5->text(), QStringLiteral("12/02  - 01:00:15 AM"));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(PowerPageTest, AFailedStampReadKeepsItsPanelAndIsReportedOnce)
{
    openWith("VK350");
    window().setupPage()->Time24hr24->setChecked(true);
    page().pnlTIMESTAMP1->setText(QStringLiteral("old"));
    RecordingAdapter::setRegisters(rtc(), 0x1B, {0x00, 0x00, 0x81, 0x01, 0x01});
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnReadTimeStamps->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 2u) << "the second stamp is still read";
    EXPECT_EQ(page().pnlTIMESTAMP1->text(), QStringLiteral("old"));
    EXPECT_EQ(page().Panel5->text(), QStringLiteral("01/01  - 01:00:00"));
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(PowerPageTest, ClearSetsAndClearsClrtsAndReportsEitherWritesFailure)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x23});
    page().BtnClearTStamps->click();
    EXPECT_EQ(reads(), std::vector<uint32_t>{0x11});
    EXPECT_EQ(writes(), (Writes{{0x11, 0xA3}, {0x11, 0x23}}));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    // The first write fails: CLRTS is still taken back, and the failure shows.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x11, {0x23});
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnClearTStamps->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 3u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));

    RecordingAdapter::reset();
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnClearTStamps->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 1u) << "nothing written after a failed read";
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
}

// ---- trickle charger ----

TEST_F(PowerPageTest, TrickleBytesAndTheWritesFailure)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x10, {0xFE});
    page().BtnReadTrickK->click();
    EXPECT_EQ(page().cboTrick->currentText(), QStringLiteral("3600 Ohms"));
    EXPECT_TRUE(page().ChkTrickEN->isChecked());

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x10, {0xF8});
    pick(page().cboTrick, 1);
    page().ChkTrickEN->setChecked(true);
    page().BtnWriteTrick->click();
    EXPECT_EQ(reads(), std::vector<uint32_t>{0x10});
    EXPECT_EQ(writes(), (Writes{{0x10, 0x05}}));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    for (size_t failAt : {1u, 2u}) {
        RecordingAdapter::reset();
        RecordingAdapter::failCall(failAt, KVRX_ERR_DATA_NACK);
        page().BtnWriteTrick->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failAt);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }

    // TypeD has no charger.
    choose("VK350");
    page().BtnReadTrickK->click();
    page().BtnWriteTrick->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

// ---- part choice ----

TEST_F(PowerPageTest, ThePartChoiceShowsEachFamilysControls)
{
    openWith("VK350");
    EXPECT_FALSE(page().CHKresealb->isHidden());
    EXPECT_TRUE(page().ChkBHYS->isHidden());
    EXPECT_TRUE(page().ChkI2CBAT->isHidden());
    EXPECT_TRUE(page().ChkLVENB->isHidden());
    EXPECT_TRUE(page().GroupTrick->isHidden());
    for (QWidget* w : std::initializer_list<QWidget*>{page().ChkBSW, page().rbBSW1, page().rbBSW2})
        EXPECT_TRUE(w->isHidden());
    EXPECT_EQ(page().cboVDDTRIP->count(), 8);
    EXPECT_EQ(page().cbo85BATLEVEL->itemText(0), QStringLiteral("2.125V"));
    EXPECT_EQ(page().cbo75BATLEVEL->itemText(6), QStringLiteral("4.125V"));

    choose("VK370");
    EXPECT_TRUE(page().CHKresealb->isHidden());
    EXPECT_FALSE(page().ChkBHYS->isHidden());
    EXPECT_FALSE(page().ChkI2CBAT->isHidden());
    EXPECT_FALSE(page().ChkLVENB->isHidden());
    EXPECT_FALSE(page().GroupTrick->isHidden());
    EXPECT_EQ(page().cboTrick->currentText(), QStringLiteral("1300 Ohms"));
    EXPECT_EQ(page().cboVDDTRIP->currentIndex(), -1);

    choose("VK352");
    EXPECT_TRUE(page().GroupTrick->isHidden());
    EXPECT_EQ(window().controlFailures(), QStringList());
}

} // namespace
