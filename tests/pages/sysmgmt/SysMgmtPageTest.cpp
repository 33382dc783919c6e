// The System management page on the real window over the recording fake
// adapter: the bytes the VTS, watchdog and AC buttons move, the write-enable
// step of the TypeE writes, how failures are reported, what a read shows,
// and what the part choice makes of the page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/sysmgmt/SysMgmtPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/LedIndicator.h"

namespace {

class SysMgmtPageTest : public PageFixture {
  protected:
    SysMgmtPage& page() { return pageOn<SysMgmtPage>("tsSysMgmt"); }
};

// ---- TypeE: VTS and watchdog ----

struct TypeEWriteCase {
    const char* what;
    const char* part;
    uint8_t reg;
    uint8_t before;
    int index;
    uint8_t written;
    QComboBox* SysMgmtPage::*list;
    QPushButton* SysMgmtPage::*button;
};

const TypeEWriteCase kTypeEWrites[] = {
    {"VTS 4.64V over 0xC3", "VK361", 0x14, 0xC3, 0, 0xC0, &SysMgmtPage::cboVTS,
     &SysMgmtPage::BtnWriteVTS},
    {"VTS 2.63V", "VK364", 0x14, 0x40, 4, 0x44, &SysMgmtPage::cboVTS, &SysMgmtPage::BtnWriteVTS},
    {"watchdog Disabled keeps BP", "VK365", 0x10, 0xA8, 0, 0xB8, &SysMgmtPage::cboWatchDog,
     &SysMgmtPage::BtnWatchDogWrite},
    {"watchdog 1.75 Sec", "VK361", 0x10, 0x18, 3, 0x00, &SysMgmtPage::cboWatchDog,
     &SysMgmtPage::BtnWatchDogWrite},
};

TEST_F(SysMgmtPageTest, TypeEWritesGoAfterTheWriteEnableSequence)
{
    openWith("VK361");
    for (const TypeEWriteCase& c : kTypeEWrites) {
        SCOPED_TRACE(c.what);
        choose(c.part);
        RecordingAdapter::setRegisters(rtc(), c.reg, {c.before});
        pick(page().*c.list, c.index);
        (page().*c.button)->click();

        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_EQ(t.size(), 5u);
        expectTransfer(t[0], AdapterOp::Read, c.reg, 1, 2);
        expectTransfer(t[1], AdapterOp::Read, 0x3F, 1, 2); // acknowledge polling
        expectTransfer(t[2], AdapterOp::Write, 0x3F, 1, 2);
        expectTransfer(t[3], AdapterOp::Write, 0x3F, 1, 2);
        EXPECT_EQ(t[2].data, std::vector<uint8_t>{0x02});
        EXPECT_EQ(t[3].data, std::vector<uint8_t>{0x06});
        expectTransfer(t[4], AdapterOp::Write, c.reg, 1, 2);
        EXPECT_EQ(t[4].data, std::vector<uint8_t>{c.written});
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(SysMgmtPageTest, TypeEReadsShowTheEntryAndKeepOnlyTheFieldInTheImage)
{
    openWith("VK364");
    RecordingAdapter::setRegisters(rtc(), 0x14, {0xC3});
    RecordingAdapter::setRegisters(rtc(), 0x10, {0xE8});
    page().BtnReadVTS->click();
    page().BtnWatchDogRead->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x14, 1, 2);
    expectTransfer(t[1], AdapterOp::Read, 0x10, 1, 2);
    EXPECT_EQ(page().cboVTS->currentText(), QStringLiteral("2.92V VTS2-0"));
    EXPECT_EQ(page().cboWatchDog->currentText(), QStringLiteral("750mSec"));
    EXPECT_EQ(window().bus().data.Regs[0x14], 0x03);
    EXPECT_EQ(window().bus().data.Regs[0x10], 0x08);
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(SysMgmtPageTest, TypeEFailuresAreReportedAndAFailedReadWritesNothing)
{
    openWith("VK365");
    const struct {
        const char* what;
        QPushButton* SysMgmtPage::*button;
        QComboBox* SysMgmtPage::*list;
        size_t failAt; // transfer number that fails
        size_t transfers;
    } cases[] = {
        {"VTS read", &SysMgmtPage::BtnReadVTS, nullptr, 1, 1},
        {"VTS write's read", &SysMgmtPage::BtnWriteVTS, &SysMgmtPage::cboVTS, 1, 1},
        {"VTS write", &SysMgmtPage::BtnWriteVTS, &SysMgmtPage::cboVTS, 5, 5},
        {"watchdog read", &SysMgmtPage::BtnWatchDogRead, nullptr, 1, 1},
        {"watchdog write's read", &SysMgmtPage::BtnWatchDogWrite, &SysMgmtPage::cboWatchDog, 1, 1},
        {"watchdog write", &SysMgmtPage::BtnWatchDogWrite, &SysMgmtPage::cboWatchDog, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.list) pick(page().*c.list, 1);
        const int vts = page().cboVTS->currentIndex();
        const int watchdog = page().cboWatchDog->currentIndex();
        RecordingAdapter::reset();
        RecordingAdapter::failCall(c.failAt, KVRX_ERR_DATA_NACK);
        (page().*c.button)->click();
        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        EXPECT_EQ(t.size(), c.transfers);
        ASSERT_FALSE(t.empty());
        EXPECT_EQ(t.back().op, c.failAt == 1 ? AdapterOp::Read : AdapterOp::Write);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_EQ(page().cboVTS->currentIndex(), vts) << "a failed read shows nothing new";
        EXPECT_EQ(page().cboWatchDog->currentIndex(), watchdog);
    }
}

TEST_F(SysMgmtPageTest, AWriteWithNoEntryChosenIsRefusedWithoutATransfer)
{
    openWith("VK361");
    ASSERT_EQ(page().cboVTS->currentIndex(), -1) << "the part choice selects nothing";
    ASSERT_EQ(page().cboWatchDog->currentIndex(), -1);
    for (QPushButton* button : {page().BtnWriteVTS, page().BtnWatchDogWrite}) {
        window().setStatusPanelText(3, QString());
        button->click();
        EXPECT_TRUE(RecordingAdapter::transfers().empty());
        EXPECT_TRUE(window().statusPanelText(3).contains(QStringLiteral("nothing was written")));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(SysMgmtPageTest, TheTypeEButtonsDoNothingForOtherFamiliesAndTheAcButtonsOnlyForVK370)
{
    openWith("VK370");
    pick(page().cboVTS, 0);
    for (QPushButton* button :
         {page().BtnReadVTS, page().BtnWriteVTS, page().BtnWatchDogRead, page().BtnWatchDogWrite})
        button->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    choose("VK361");
    page().BtnReadAC->click();
    page().BtnWriteAC->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

// ---- VK370: AC ----

TEST_F(SysMgmtPageTest, AcReadShowsTheSettingsTheLampsAndTheCounter)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x13, {0xB6, 0x1F});
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x00, 0x07});
    page().chkDisableAC->setChecked(true);
    page().BtnReadAC->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x13, 2, 1);
    expectTransfer(t[1], AdapterOp::Read, 0x09, 2, 1);
    EXPECT_TRUE(page().rb50HZ->isChecked());
    EXPECT_FALSE(page().chkDisableAC->isChecked());
    EXPECT_TRUE(page().rbTime16->isChecked());
    EXPECT_TRUE(page().rbACF1->isChecked());
    EXPECT_TRUE(page().rbACFC2->isChecked());
    EXPECT_TRUE(page().rbACMIN1->isChecked());
    for (LedIndicator* lamp : {page().CBSLed5, page().CBSLed6, page().CBSLed7}) {
        EXPECT_FALSE(lamp->isHidden());
        EXPECT_FALSE(lamp->isLit()) << "SRAC 0x00";
    }
    EXPECT_EQ(page().txtACCNT->text(), QStringLiteral("7"));

    // Zeros select the first button of each group; the lamps follow their bits.
    RecordingAdapter::setRegisters(rtc(), 0x13, {0x40, 0x00});
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x13, 0xFF});
    page().BtnReadAC->click();
    EXPECT_TRUE(page().rb60HZ->isChecked());
    EXPECT_TRUE(page().chkDisableAC->isChecked());
    EXPECT_TRUE(page().rbTime2->isChecked());
    EXPECT_TRUE(page().rbACF0->isChecked());
    EXPECT_TRUE(page().rbACFC0->isChecked());
    EXPECT_TRUE(page().rbACMIN0->isChecked());
    EXPECT_TRUE(page().CBSLed5->isLit());
    EXPECT_TRUE(page().CBSLed6->isLit());
    EXPECT_TRUE(page().CBSLed7->isLit()) << "ACRDY set lights ACRDY, as the polling cycle does";
    EXPECT_EQ(page().txtACCNT->text(), QStringLiteral("255"));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(SysMgmtPageTest, AcReadFailuresAreReportedAndShowNothingStale)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x13, {0xB6, 0x00});
    RecordingAdapter::setRegisters(rtc(), 0x09, {0x02, 0x03});
    page().BtnReadAC->click();
    ASSERT_EQ(page().txtACCNT->text(), QStringLiteral("3"));
    ASSERT_TRUE(page().CBSLed6->isLit());

    // The first read fails: nothing changes and the second is not tried.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x13, {0x00, 0x00});
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnReadAC->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_TRUE(page().rb50HZ->isChecked());

    // The second fails: reported, and the lamps and counter keep what the
    // chip last said instead of whatever the image holds.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x13, {0x00, 0x00});
    window().bus().data.Regs[0x09] = 0x13;
    window().bus().data.Regs[0x0A] = 0x99;
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnReadAC->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 2u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    EXPECT_TRUE(page().rb60HZ->isChecked()) << "the settings of the first read are shown";
    EXPECT_EQ(page().txtACCNT->text(), QStringLiteral("3"));
    EXPECT_TRUE(page().CBSLed6->isLit());
    EXPECT_FALSE(page().CBSLed5->isLit());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(SysMgmtPageTest, AcWriteBuildsAcInAndKeepsTheDigitalTrim)
{
    openWith("VK370");
    RecordingAdapter::setRegisters(rtc(), 0x13, {0xFF, 0x0B});
    // Nothing selected yet: the groups give 0.
    page().BtnWriteAC->click();
    std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x13, 2, 1);
    expectTransfer(t[1], AdapterOp::Write, 0x13, 2, 1);
    EXPECT_EQ(t[1].data, (std::vector<uint8_t>{0x00, 0x0B}));

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x13, {0x00, 0x05});
    page().rb50HZ->setChecked(true);
    page().rbTime16->setChecked(true);
    page().rbACF1->setChecked(true);
    page().rbACFC2->setChecked(true);
    page().rbACMIN1->setChecked(true);
    page().BtnWriteAC->click();
    t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].data, (std::vector<uint8_t>{0xB6, 0x15}));

    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x13, {0xB6, 0x15});
    page().chkDisableAC->setChecked(true);
    page().rb60HZ->setChecked(true);
    page().rbACMIN0->setChecked(true);
    page().BtnWriteAC->click();
    t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].data, (std::vector<uint8_t>{0x76, 0x05}));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    // A failed read writes nothing; a failed write is reported.
    for (size_t failAt : {1u, 2u}) {
        RecordingAdapter::reset();
        RecordingAdapter::failCall(failAt, KVRX_ERR_DATA_NACK);
        page().BtnWriteAC->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failAt);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    }
}

// ---- part choice ----

TEST_F(SysMgmtPageTest, ThePartChoiceShowsEachFamilysGroups)
{
    openWith("VK361");
    for (const char* part : {"VK361", "VK364", "VK365"}) {
        SCOPED_TRACE(part);
        choose(part);
        EXPECT_FALSE(page().GroupBox36->isHidden());
        EXPECT_FALSE(page().GroupBox37->isHidden());
        EXPECT_TRUE(page().GroupACMGMT->isHidden());
        EXPECT_EQ(page().cboVTS->count(), 8);
        EXPECT_EQ(page().cboVTS->itemText(5), QStringLiteral("UnDefined VTS2-0 0x5"));
        EXPECT_EQ(page().cboWatchDog->count(), 4);
        EXPECT_EQ(page().cboVTS->currentIndex(), -1);
        EXPECT_EQ(page().cboWatchDog->currentIndex(), -1);
        EXPECT_EQ(page().cboVTS->placeholderText(), QStringLiteral("Click Read"));
    }
    choose("VK370");
    EXPECT_TRUE(page().GroupBox36->isHidden());
    EXPECT_TRUE(page().GroupBox37->isHidden());
    EXPECT_FALSE(page().GroupACMGMT->isHidden());
    for (LedIndicator* lamp : {page().CBSLed5, page().CBSLed6, page().CBSLed7}) {
        EXPECT_FALSE(lamp->isHidden());
        EXPECT_FALSE(lamp->isLit());
    }
    choose("VK364");
    EXPECT_TRUE(page().GroupACMGMT->isHidden());
    EXPECT_EQ(window().controlFailures(), QStringList());
}

// Stands in for the event page's time stamps: counts the reads.
class EventStampsStandIn : public EventStamps {
  public:
    int reads = 0;
    void readStamps(const void* sender) override
    {
        ++reads;
        EXPECT_EQ(sender, nullptr) << "not the user's click";
    }
};

TEST_F(SysMgmtPageTest, AnAcLampLightingReadsTheEventPagesTimeStamps)
{
    TMainApp& w = openWith("VK370");
    EventStamps* own = w.links().eventStamps;
    ASSERT_NE(own, nullptr);
    EventStampsStandIn events;
    w.links().eventStamps = &events;
    int expected = 0;
    for (LedIndicator* lamp : {page().CBSLed5, page().CBSLed6, page().CBSLed7}) {
        lamp->setLit(true);
        EXPECT_EQ(events.reads, ++expected) << lamp->objectName().toStdString();
        lamp->setLit(false);
        EXPECT_EQ(events.reads, expected) << lamp->objectName().toStdString();
    }
    w.links().eventStamps = own;
}

} // namespace
