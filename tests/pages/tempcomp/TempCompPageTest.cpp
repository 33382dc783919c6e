// The temperature compensation page on the real window over the recording
// fake adapter: the bytes each button moves, what a read shows, how failures
// are reported, the write-button rule and the VK350's warning, and what the
// part choice makes of the page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "PartTable.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/tempcomp/TempCompPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"

namespace {

class TempCompPageTest : public PageFixture {
  protected:
    TempCompPage& page() { return pageOn<TempCompPage>("tsTCOMP"); }
};

constexpr const char* kTypeD[] = {"VK350", "VK352", "VK354"};

// ---- Read Comp Regs ----

TEST_F(TempCompPageTest, ReadCompRegsShowsTheCompensationRegisters)
{
    openWith("VK352");
    // ITR -32 ppm / +00, ALPHA 46, BETA: TSE, BTSR, 07; FATR 12, FDTR FA.
    RecordingAdapter::setRegisters(rtc(), 0x0B, {0xE0, 0x46, 0xA7, 0x12, 0xFA});
    // NPPM 00F7, XTO 15, ALPHA HOT 3C.
    RecordingAdapter::setRegisters(rtc(), 0x2A, {0xF7, 0x00, 0x15, 0x3C});
    page().BtnRDTemp->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x0B, 5);
    expectTransfer(t[1], AdapterOp::Read, 0x2A, 4);
    TempCompPage& p = page();
    EXPECT_TRUE(p.chkTSE->isChecked());
    EXPECT_FALSE(p.chkBTSE->isChecked());
    EXPECT_TRUE(p.chkBTSR->isChecked());
    EXPECT_EQ(p.pnlTMODE->text(), QStringLiteral("Off"));
    EXPECT_EQ(p.cboIDTR->currentText(), QStringLiteral("-32 ppm"));
    EXPECT_EQ(p.cboIATR->currentText(), QStringLiteral("+00"));
    EXPECT_EQ(p.cboALPHA->currentText(), QStringLiteral("46"));
    EXPECT_EQ(p.cboBETA->currentText(), QStringLiteral("07"));
    EXPECT_EQ(p.cboXTO->currentText(), QStringLiteral("15"));
    EXPECT_EQ(p.cboALPHAHOT->currentText(), QStringLiteral("3C"));
    EXPECT_EQ(p.pnlNPPM->text(), QStringLiteral("00F7"));
    EXPECT_EQ(p.pnlFinalATR->text(), QStringLiteral("12"));
    EXPECT_EQ(p.pnlFinalDTR->text(), QStringLiteral("FA"));
    EXPECT_EQ(p.lblFINALDTRIM->text(), QStringLiteral("-305)ppm"));
    EXPECT_EQ(window().bus().data.Regs[0x0F], 0x1A) << "bits 7..5 cleared in the image";
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(TempCompPageTest, AFailedReadOfEitherRunShowsNothingAndIsReported)
{
    openWith("VK354");
    for (const size_t failing : {1u, 2u}) {
        SCOPED_TRACE(failing);
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(rtc(), 0x0B, {0xE0, 0x46, 0xA7, 0x12, 0xFA});
        RecordingAdapter::setRegisters(rtc(), 0x2A, {0xF7, 0x00, 0x15, 0x3C});
        RecordingAdapter::failCall(failing, KVRX_ERR_ADDR_NACK);
        page().BtnRDTemp->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failing);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_FALSE(page().chkTSE->isChecked());
        EXPECT_EQ(page().cboIDTR->currentIndex(), 0);
        EXPECT_EQ(page().cboALPHA->currentIndex(), 0);
        EXPECT_EQ(page().pnlFinalDTR->text(), QString());
        EXPECT_EQ(page().pnlNPPM->text(), QString());
        EXPECT_EQ(page().lblFINALDTRIM->text(), QString());
    }
}

// ---- Write Comp Regs ----

TEST_F(TempCompPageTest, WriteCompRegsSendsXtoAndAlphaHotThenTheTrimBlock)
{
    const struct {
        const char* part;
        int idtr, iatr, alpha, beta, xto, alphaHot;
        bool tse, btse, btsr;
        uint8_t itr, betaByte;
        const char* mode;
    } cases[] = {
        {"VK352", 3, 32, 0x46, 0x10, 0x05, 0x50, false, true, true, 0xE0, 0x70, "Off"},
        {"VK354", 1, 0, 0xFF, 0x1F, 0x1F, 0x00, true, true, false, 0x40, 0xDF, "10 Minute"},
        {"VK350", 2, 63, 0x00, 0x00, 0x10, 0x46, false, false, false, 0xBF, 0x00, "Off"},
    };
    openWith("VK352");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        choose(c.part);
        // The chip's final trims go back as read.
        RecordingAdapter::setRegisters(rtc(), 0x0B, {0x00, 0x00, 0x00, 0x33, 0x05});
        TempCompPage& p = page();
        pick(p.cboIDTR, c.idtr);
        pick(p.cboIATR, c.iatr);
        pick(p.cboALPHA, c.alpha);
        pick(p.cboBETA, c.beta);
        pick(p.cboXTO, c.xto);
        pick(p.cboALPHAHOT, c.alphaHot);
        p.chkTSE->setChecked(c.tse);
        p.chkBTSE->setChecked(c.btse);
        p.chkBTSR->setChecked(c.btsr);
        ASSERT_TRUE(p.BtnWRTemp->isEnabled());
        p.BtnWRTemp->click();

        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_EQ(t.size(), 3u);
        expectTransfer(t[0], AdapterOp::Read, 0x0B, 5);
        expectTransfer(t[1], AdapterOp::Write, 0x2C, 2);
        EXPECT_EQ(t[1].data, (std::vector<uint8_t>{uint8_t(c.xto), uint8_t(c.alphaHot)}));
        expectTransfer(t[2], AdapterOp::Write, 0x0B, 5);
        EXPECT_EQ(t[2].data,
                  (std::vector<uint8_t>{c.itr, uint8_t(c.alpha), c.betaByte, 0x33, 0x05}));
        EXPECT_EQ(p.pnlTMODE->text(), QLatin1String(c.mode));
        EXPECT_EQ(p.BtnWRTemp->isEnabled(), !c.tse) << "the write-button rule";
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(TempCompPageTest, WriteCompRegsReportsTheFirstFailureAndStopsThere)
{
    openWith("VK352");
    // The read, the XTO write, the trim block's write.
    for (const size_t failing : {1u, 2u, 3u}) {
        SCOPED_TRACE(failing);
        RecordingAdapter::reset();
        RecordingAdapter::failCall(failing, KVRX_ERR_DATA_NACK);
        page().BtnWRTemp->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failing);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(TempCompPageTest, WriteCompRegsRefusesAListWithoutAnEntry)
{
    openWith("VK354");
    window().setStatusPanelText(3, QString());
    page().cboXTO->setCurrentIndex(-1);
    page().BtnWRTemp->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
    EXPECT_EQ(window().statusPanelText(3),
              QStringLiteral(" Choose an entry in every list first; nothing was written"));
}

// ---- Read Mode / Temp, Write Mode ----

TEST_F(TempCompPageTest, ReadModeShowsTheBitsAndTheTemperatureInCelsius)
{
    openWith("VK350");
    RecordingAdapter::setRegisters(rtc(), 0x0D, {0xC7});
    RecordingAdapter::setRegisters(rtc(), 0x28, {0x52, 0x02});
    page().BtnRdTempMode->click();

    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x0D, 1);
    expectTransfer(t[1], AdapterOp::Read, 0x28, 2);
    TempCompPage& p = page();
    EXPECT_TRUE(p.chkTSE->isChecked());
    EXPECT_TRUE(p.chkBTSE->isChecked());
    EXPECT_FALSE(p.chkBTSR->isChecked());
    EXPECT_EQ(p.pnlTMODE->text(), QStringLiteral("10 Minute"));
    EXPECT_EQ(p.MSBDegreesK->text(), QStringLiteral("02"));
    EXPECT_EQ(p.LSBDegreesK->text(), QStringLiteral("52"));
    EXPECT_EQ(p.PnlKtoC->text(), QStringLiteral("24.00*C "));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    RecordingAdapter::setRegisters(rtc(), 0x0D, {0xE0});
    RecordingAdapter::setRegisters(rtc(), 0x28, {0x00, 0x00});
    p.BtnRdTempMode->click();
    EXPECT_EQ(p.pnlTMODE->text(), QStringLiteral("1 Minute"));
    EXPECT_EQ(p.PnlKtoC->text(), QStringLiteral("-273.00*C "));
}

TEST_F(TempCompPageTest, ReadModeFailuresLeaveWhatTheFailedReadWouldHaveSet)
{
    openWith("VK350");
    RecordingAdapter::setRegisters(rtc(), 0x0D, {0xE0});
    RecordingAdapter::setRegisters(rtc(), 0x28, {0x52, 0x02});
    RecordingAdapter::failCall(1, KVRX_ERR_ADDR_NACK);
    page().BtnRdTempMode->click();
    EXPECT_EQ(RecordingAdapter::transfers().size(), 1u);
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_FALSE(page().chkTSE->isChecked());
    EXPECT_EQ(page().PnlKtoC->text(), QString());

    // The mode read works, the temperature's fails: the boxes show the mode.
    RecordingAdapter::reset();
    RecordingAdapter::setRegisters(rtc(), 0x0D, {0xE0});
    RecordingAdapter::failCall(2, KVRX_ERR_DATA_NACK);
    page().BtnRdTempMode->click();
    EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
    EXPECT_TRUE(page().chkTSE->isChecked());
    EXPECT_EQ(page().pnlTMODE->text(), QStringLiteral("1 Minute"));
    EXPECT_EQ(page().MSBDegreesK->text(), QString());
    EXPECT_EQ(page().PnlKtoC->text(), QString());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

TEST_F(TempCompPageTest, WriteModeSetsTheThreeBitsBesideTheChipsBeta)
{
    openWith("VK354");
    RecordingAdapter::setRegisters(rtc(), 0x0D, {0x07});
    page().chkTSE->setChecked(true);
    page().chkBTSE->setChecked(true);
    page().chkBTSR->setChecked(false);
    page().BtnWrTempMode->click();
    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), 2u);
    expectTransfer(t[0], AdapterOp::Read, 0x0D, 1);
    expectTransfer(t[1], AdapterOp::Write, 0x0D, 1);
    EXPECT_EQ(t[1].data, std::vector<uint8_t>{0xC7});
    EXPECT_EQ(page().pnlTMODE->text(), QStringLiteral("10 Minute"));
    EXPECT_EQ(recordedBoxCount(window()), 0u);

    // Its read's failure writes nothing; its write's failure is reported too.
    for (const size_t failing : {1u, 2u}) {
        SCOPED_TRACE(failing);
        RecordingAdapter::reset();
        RecordingAdapter::failCall(failing, KVRX_ERR_DATA_NACK);
        page().BtnWrTempMode->click();
        EXPECT_EQ(RecordingAdapter::transfers().size(), failing);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

// ---- the write-button rule and the VK350's warning ----

TEST_F(TempCompPageTest, TseLocksTheWriteButtonOfTheVk350Alone)
{
    openWith("VK350");
    for (const char* part : kTypeD) {
        SCOPED_TRACE(part);
        choose(part);
        const bool vk350 = std::string(part) == "VK350";
        TempCompPage& p = page();
        p.chkTSE->click();
        EXPECT_EQ(p.BtnWRTemp->isEnabled(), !vk350);
        EXPECT_EQ(!p.Label95->isHidden(), vk350);
        p.chkTSE->click();
        EXPECT_TRUE(p.BtnWRTemp->isEnabled());
        EXPECT_TRUE(p.Label95->isHidden());

        // Read Comp Regs applies the rule for every part.
        RecordingAdapter::setRegisters(rtc(), 0x0B, {0x20, 0x00, 0x80, 0x20, 0x00});
        p.BtnRDTemp->click();
        EXPECT_TRUE(p.chkTSE->isChecked());
        EXPECT_FALSE(p.BtnWRTemp->isEnabled());
        EXPECT_EQ(!p.Label95->isHidden(), vk350);
        p.chkTSE->click();
        EXPECT_TRUE(p.BtnWRTemp->isEnabled());

        // Read Mode / Temp only for the VK350.
        RecordingAdapter::setRegisters(rtc(), 0x0D, {0x80});
        p.BtnRdTempMode->click();
        EXPECT_EQ(p.BtnWRTemp->isEnabled(), !vk350);
        p.chkTSE->click();
        EXPECT_TRUE(p.BtnWRTemp->isEnabled());
    }
}

TEST_F(TempCompPageTest, APartChoiceBringsTheWarningInStepWithTheTseBox)
{
    openWith("VK350");
    page().chkTSE->click();
    ASSERT_FALSE(page().BtnWRTemp->isEnabled());
    ASSERT_FALSE(page().Label95->isHidden());
    // Still ticked, but the VK352's writes are not locked, and its page has no
    // VK350 warning.
    choose("VK352");
    EXPECT_TRUE(page().chkTSE->isChecked());
    EXPECT_TRUE(page().BtnWRTemp->isEnabled());
    EXPECT_TRUE(page().Label95->isHidden());
    choose("VK310");
    EXPECT_TRUE(page().Label95->isHidden());
    choose("VK350");
    EXPECT_FALSE(page().BtnWRTemp->isEnabled());
    EXPECT_FALSE(page().Label95->isHidden());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

// ---- part choice, board ----

TEST_F(TempCompPageTest, EachPartChoiceShapesThePage)
{
    openWith("VK310");
    for (const PartInfo& part : PartTable) {
        SCOPED_TRACE(part.PartName);
        choose(part.PartName);
        const bool typeD = part.TypeCode == TypeD;
        const bool vk350 = std::string(part.PartName) == "VK350";
        EXPECT_EQ(window().isPageVisible(QStringLiteral("tsTCOMP")), typeD);
        TempCompPage& p = page();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 p.lblALPHAHOT, p.cboALPHAHOT, p.lblXTO, p.cboXTO, p.lblNPPM, p.pnlNPPM})
            EXPECT_EQ(!control->isHidden(), typeD) << control->objectName().toStdString();
        if (!typeD) continue;
        EXPECT_EQ(p.GroupBox41->title().contains(QStringLiteral("Read Only")), !vk350);
        EXPECT_EQ(p.GroupBox40->title().contains(QStringLiteral("Read Only")), !vk350);
        EXPECT_EQ(p.cboIDTR->count(), 4);
        EXPECT_EQ(p.cboIATR->count(), 64);
        EXPECT_EQ(p.cboALPHA->count(), 256);
        EXPECT_EQ(p.cboALPHAHOT->count(), 256);
        EXPECT_EQ(p.cboBETA->count(), 32);
        EXPECT_EQ(p.cboXTO->count(), 32);
        EXPECT_EQ(p.cboBETA->itemText(31), QStringLiteral("1F"));
        for (QComboBox* list :
             {p.cboIDTR, p.cboIATR, p.cboALPHA, p.cboALPHAHOT, p.cboBETA, p.cboXTO})
            EXPECT_EQ(list->currentIndex(), 0) << list->objectName().toStdString();
    }
    EXPECT_EQ(window().controlFailures(), QStringList());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

TEST_F(TempCompPageTest, ButtonsNeedAnOpenBoardAndTheWriteButtonTheRuleAsWell)
{
    store.write(QStringLiteral("Device=VK350\n"));
    RecordingAdapter::reset();
    RecordingAdapter::setDeviceCount(0);
    WindowFixture::open(WindowOptions().adapter(&RecordingAdapter::api()).stopTimer());
    for (QPushButton* b :
         {page().BtnRDTemp, page().BtnWRTemp, page().BtnRdTempMode, page().BtnWrTempMode})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    openWith("VK350");
    for (QPushButton* b :
         {page().BtnRDTemp, page().BtnWRTemp, page().BtnRdTempMode, page().BtnWrTempMode})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    page().chkTSE->click();
    EXPECT_FALSE(page().BtnWRTemp->isEnabled());
    EXPECT_TRUE(page().BtnRDTemp->isEnabled());
}

TEST_F(TempCompPageTest, ButtonsActForTheVk350FamilyOnly)
{
    openWith("VK370");
    for (QPushButton* b :
         {page().BtnRDTemp, page().BtnWRTemp, page().BtnRdTempMode, page().BtnWrTempMode})
        b->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

} // namespace
