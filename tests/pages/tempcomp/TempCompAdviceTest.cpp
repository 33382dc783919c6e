// The temperature compensation page's advice on its initial trims: from the
// rate the drift run measured and the initial trims in effect, the entry of
// each list that cancels it, "Use advised trim", and the run's restart after
// Write Comp Regs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "kvrx_usb.h"
#include "pages/PageLinks.h"
#include "pages/tempcomp/TempCompPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/FakeDriftAnalysis.h"
#include "support/RecordingAdapter.h"

namespace {

std::string advised(const QComboBox* list)
{
    const QVariant v = list->property("advised");
    return v.isValid() ? v.toString().toStdString() : "(none)";
}

class TempCompAdvice : public PageFixture {
  protected:
    TempCompPage& page() { return pageOn<TempCompPage>("tsTCOMP"); }
};

struct AdviceCase {
    uint8_t itr; // IDTR1..0 and IATR5..0 in effect
    double rate;
    const char* idtr;
    const char* iatr;
    const char* text;
    const char* useIdtr;
    const char* useIatr;
    uint8_t written; // the ITR byte Write Comp Regs then sends
};

// Worked by hand from the lists' texts: "+32 ppm" and "+32" both add 32 ppm.
const AdviceCase kAdvice[] = {
    {0x20,
     17.3,
     "-32 ppm",
     "-17",
     "Measured +17.3 ppm: initial digital trim \"-32 ppm\" leaves -14.7 ppm\n"
     "the initial analog trim is the better lever: \"-17\" leaves +0.3 ppm",
     "Default / Disabled",
     "-17",
     0x31},
    // +32 ppm in effect: the analog trim's top leaves -8.
    {0x60,
     -40.0,
     "+32 ppm",
     "+32",
     "Measured -40.0 ppm: initial digital trim \"+32 ppm\" leaves -40.0 ppm\n"
     "the initial analog trim is the better lever: \"+32\" leaves -8.0 ppm",
     "+32 ppm",
     "+32",
     0x40},
    // Beyond the analog trim's reach the digital one is the better lever.
    {0x20,
     60.0,
     "-32 ppm",
     "-31",
     "Measured +60.0 ppm: initial digital trim \"-32 ppm\" leaves +28.0 ppm\n"
     "initial analog trim \"-31\" leaves +29.0 ppm",
     "-32 ppm",
     "+00",
     0xE0},
};

TEST_F(TempCompAdvice, EachInitialTrimFromTheTrimsInEffect)
{
    openWith("VK352");
    FakeDriftAnalysis drift;
    window().links().drift = &drift;
    for (const AdviceCase& c : kAdvice) {
        SCOPED_TRACE(c.text);
        drift.measured(c.rate);
        drift.restarts = 0;
        RecordingAdapter::setRegisters(rtc(), 0x0B, {c.itr, 0x00, 0x00, 0x20, 0x00});
        TempCompPage& p = page();
        p.BtnRDTemp->click();
        ASSERT_EQ(box(), QString());
        // Entries picked but not written do not move what is in effect.
        pick(p.cboIDTR, 2);
        pick(p.cboIATR, 5);
        p.polled();
        EXPECT_EQ(advised(p.cboIDTR), c.idtr);
        EXPECT_EQ(advised(p.cboIATR), c.iatr);
        EXPECT_EQ(p.InitialTrimAdvice->text().toStdString(), c.text);

        p.BtnUseInitialAdvice->click();
        EXPECT_EQ(p.cboIDTR->currentText().toStdString(), c.useIdtr);
        EXPECT_EQ(p.cboIATR->currentText().toStdString(), c.useIatr);
        RecordingAdapter::reset();
        RecordingAdapter::setRegisters(rtc(), 0x0B, {c.itr, 0x00, 0x00, 0x20, 0x00});
        p.BtnWRTemp->click();
        EXPECT_EQ(box(), QString());
        EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x0B), c.written);
        EXPECT_EQ(drift.restarts, 1);
    }
}

TEST_F(TempCompAdvice, NoneWithoutARateAndNoRestartAfterAFailedWrite)
{
    openWith("VK350");
    TempCompPage& p = page();
    p.polled();
    EXPECT_EQ(advised(p.cboIDTR), "(none)");
    EXPECT_FALSE(p.BtnUseInitialAdvice->isEnabled());
    FakeDriftAnalysis drift;
    window().links().drift = &drift;
    p.polled();
    EXPECT_EQ(advised(p.cboIATR), "(none)");
    EXPECT_FALSE(p.BtnUseInitialAdvice->isEnabled());
    drift.measured(5.0);
    p.polled();
    EXPECT_EQ(advised(p.cboIATR), "+27"); // from the lists' own entries: "+32" in effect
    EXPECT_TRUE(p.BtnUseInitialAdvice->isEnabled());

    RecordingAdapter::failSlave(rtc(), KVRX_ERR_ADDR_NACK);
    p.BtnWRTemp->click();
    EXPECT_EQ(box(), failureBox(KVRX_ERR_ADDR_NACK));
    EXPECT_EQ(drift.restarts, 0);
}

} // namespace
