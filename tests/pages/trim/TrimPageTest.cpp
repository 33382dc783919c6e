// The Crystal trim page on the real window over the recording fake adapter:
// the bytes Write sends and what Read shows for each family, how failures
// are reported, and what the part choice makes of the page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "kvrx_usb.h"
#include "pages/trim/TrimPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"

namespace {

class TrimPageTest : public PageFixture {
  protected:
    TrimPage& page() { return pageOn<TrimPage>("tsComp"); }

    // The three lists set to these entries, as a user sets them.
    void set(const char* atr, const char* bmatr, const char* dtr)
    {
        pick(page().ComboBoxATR, atr);
        pick(page().ComboBoxBMATR, bmatr);
        pick(page().ComboBoxDTR, dtr);
    }
};

struct Transfer {
    AdapterOp op;
    uint32_t sub;
    uint32_t count;
    std::vector<uint8_t> data = {}; // bytes written; not checked for reads
};

// The write-enable step of the TypeE parts: acknowledge polling on the status
// register, then WEL and WEL|RWEL.
const std::vector<Transfer> kUnlock = {{AdapterOp::Read, 0x3F, 1},
                                       {AdapterOp::Write, 0x3F, 1, {0x02}},
                                       {AdapterOp::Write, 0x3F, 1, {0x06}}};

std::vector<Transfer> operator+(std::vector<Transfer> a, const std::vector<Transfer>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void expectTransfers(const std::vector<Transfer>& expected, uint8_t slave, uint8_t subLen)
{
    const std::vector<AdapterCall> t = RecordingAdapter::transfers();
    ASSERT_EQ(t.size(), expected.size());
    for (size_t i = 0; i < t.size(); ++i) {
        SCOPED_TRACE("transfer " + std::to_string(i + 1));
        EXPECT_EQ(t[i].op, expected[i].op);
        EXPECT_EQ(t[i].board, 1u);
        EXPECT_EQ(t[i].slave, slave);
        EXPECT_EQ(t[i].subLen, subLen);
        EXPECT_EQ(t[i].sub, expected[i].sub);
        EXPECT_EQ(t[i].count, expected[i].count);
        if (expected[i].op == AdapterOp::Write) {
            EXPECT_EQ(t[i].data, expected[i].data);
        }
    }
}

struct Preset {
    uint32_t sub;
    uint8_t value;
};

// ---- Write ----

struct WriteCase {
    const char* part;
    std::vector<Preset> chip;
    const char* atr;
    const char* bmatr;
    const char* dtr;
    std::vector<Transfer> sent;
};

const WriteCase kWrites[] = {
    // "4.50 pF" with "-0.5 pF" is 0x60.
    {"VK310", {}, "4.50 pF", "-0.5 pF", "-60 PPM ", {{AdapterOp::Write, 0x0A, 2, {0x60, 0x07}}}},
    {"VK331",
     {{0x0B, 0xF8}},
     "20.25 pF",
     "+1.0 pF",
     "+40 PPM",
     {{AdapterOp::Write, 0x0A, 2, {0xDF, 0x02}}}},
    {"VK390", {}, "12.75 pF", "0.0 pF", "20.345 PPM", {{AdapterOp::Write, 0x0A, 2, {0x01, 0x25}}}},
    // The DTR register's OUT bit (the output pin high) is kept.
    {"VK340",
     {{0x07, 0x80}},
     "12.25 pF",
     "+0.5 pF",
     "-63.070 PPM",
     {{AdapterOp::Read, 0x07, 1},
      {AdapterOp::Write, 0x0A, 1, {0xBF}},
      {AdapterOp::Write, 0x07, 1, {0x9F}}}},
    // No BMATR (its list is not read); each write after the write-enable step.
    {"VK360",
     {{0x13, 0xA8}},
     "13.00 pF",
     "+1.0 pF",
     "-10 PPM",
     std::vector<Transfer>{{AdapterOp::Read, 0x13, 1}} + kUnlock +
         std::vector<Transfer>{{AdapterOp::Write, 0x13, 1, {0xAE}}} + kUnlock +
         std::vector<Transfer>{{AdapterOp::Write, 0x12, 1, {0x02}}}},
    // ACMIN kept, no analog trim.
    {"VK370",
     {{0x14, 0x1F}},
     "4.50 pF",
     "-0.5 pF",
     "-30 PPM",
     {{AdapterOp::Read, 0x14, 1}, {AdapterOp::Write, 0x14, 1, {0x1B}}}},
};

TEST_F(TrimPageTest, WriteSendsEachFamilysTrimBytes)
{
    openWith("VK310");
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.part);
        choose(c.part);
        for (const Preset& p : c.chip)
            RecordingAdapter::setRegisters(rtc(), p.sub, {p.value});
        set(c.atr, c.bmatr, c.dtr);
        page().BtnWrXtl->click();
        expectTransfers(c.sent, rtc(), std::string(c.part) == "VK360" ? 2 : 1);
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

// ---- Read ----

struct ReadCase {
    const char* part;
    std::vector<Preset> chip;
    std::vector<Transfer> read;
    const char* atr; // nullptr: the list keeps what it showed
    const char* bmatr;
    const char* dtr;
};

const ReadCase kReads[] = {
    {"VK310",
     {{0x0A, 0x00}, {0x0B, 0x00}},
     {{AdapterOp::Read, 0x0A, 2}},
     "12.50 pF",
     "0.0 pF",
     "  0 PPM (default)"},
    {"VK320",
     {{0x0A, 0x60}, {0x0B, 0xFE}},
     {{AdapterOp::Read, 0x0A, 2}},
     "4.50 pF",
     "-0.5 pF",
     "-40 PPM"},
    {"VK340",
     {{0x07, 0x3F}, {0x0A, 0x9F}},
     {{AdapterOp::Read, 0x07, 1}, {AdapterOp::Read, 0x0A, 1}},
     "20.25 pF",
     "+0.5 pF",
     "126.139 PPM"},
    {"VK340",
     {{0x07, 0xDF}, {0x0A, 0xC0}},
     {{AdapterOp::Read, 0x07, 1}, {AdapterOp::Read, 0x0A, 1}},
     "12.50 pF",
     "+1.0 pF",
     "-63.070 PPM"},
    {"VK390",
     {{0x0A, 0x20}, {0x0B, 0xE1}},
     {{AdapterOp::Read, 0x0A, 2}},
     "4.50 pF",
     "0.0 pF",
     "4.069 PPM"},
    {"VK360",
     {{0x12, 0xDF}, {0x13, 0xFB}},
     {{AdapterOp::Read, 0x12, 2}},
     "20.25 pF",
     nullptr,
     "+30 PPM"},
    {"VK370", {{0x14, 0x1F}}, {{AdapterOp::Read, 0x14, 1}}, nullptr, nullptr, "  0 PPM"},
};

TEST_F(TrimPageTest, ReadShowsEachFamilysTrims)
{
    openWith("VK310");
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.part);
        choose(c.part);
        for (const Preset& p : c.chip)
            RecordingAdapter::setRegisters(rtc(), p.sub, {p.value});
        // Entries no read of these cases gives.
        page().ComboBoxATR->setCurrentIndex(5);
        page().ComboBoxBMATR->setCurrentIndex(2);
        page().ComboBoxDTR->setCurrentIndex(1);
        page().BtnRdXtl->click();
        expectTransfers(c.read, rtc(), std::string(c.part) == "VK360" ? 2 : 1);
        EXPECT_EQ(page().ComboBoxATR->currentText(),
                  c.atr ? QLatin1String(c.atr) : page().ComboBoxATR->itemText(5));
        EXPECT_EQ(page().ComboBoxBMATR->currentText(),
                  c.bmatr ? QLatin1String(c.bmatr) : page().ComboBoxBMATR->itemText(2));
        EXPECT_EQ(page().ComboBoxDTR->currentText(), QLatin1String(c.dtr));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

TEST_F(TrimPageTest, ReadOfATypeEPartKeepsOnlyTheTrimFieldInTheImage)
{
    openWith("VK360");
    RecordingAdapter::setRegisters(rtc(), 0x12, {0xDF, 0xFB});
    page().BtnRdXtl->click();
    EXPECT_EQ(window().bus().data.Regs[0x12], 0xDF);
    EXPECT_EQ(window().bus().data.Regs[0x13], 0x03);
    EXPECT_EQ(page().ComboBoxDTR->currentIndex(), 3);
}

TEST_F(TrimPageTest, WhatIsWrittenReadsBack)
{
    openWith("VK310");
    const struct {
        const char* part;
        const char* atr;
        const char* bmatr;
        const char* dtr;
    } cases[] = {
        {"VK310", "5.00 pF", "+0.5 pF", "+60 PPM"},    {"VK330", "19.75 pF", "+1.0 pF", "-20 PPM"},
        {"VK340", "8.00 pF", "-0.5 pF", "-2.035 PPM"}, {"VK390", "16.50 pF", "0.0 pF", "4.069 PPM"},
        {"VK364", "7.25 pF", "0.0 pF", "-10 PPM"},     {"VK370", "12.50 pF", "0.0 pF", "+50 PPM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        choose(c.part);
        set(c.atr, c.bmatr, c.dtr);
        page().BtnWrXtl->click();
        page().ComboBoxATR->setCurrentIndex(0);
        page().ComboBoxBMATR->setCurrentIndex(0);
        page().ComboBoxDTR->setCurrentIndex(0);
        page().BtnRdXtl->click();
        const bool analog = std::string(c.part) != "VK370";
        const bool battery = analog && std::string(c.part) != "VK364";
        EXPECT_EQ(page().ComboBoxATR->currentText(), QLatin1String(analog ? c.atr : "4.50 pF"));
        EXPECT_EQ(page().ComboBoxBMATR->currentText(),
                  QLatin1String(battery ? c.bmatr : "-0.5 pF"));
        EXPECT_EQ(page().ComboBoxDTR->currentText(), QLatin1String(c.dtr));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
    }
}

// ---- failures ----

struct FailureCase {
    const char* part;
    bool write;     // Write, else Read
    size_t failing; // call number of the failing transfer
    int32_t code;
};

// Every transfer of every branch, failing in turn: the first failure stops
// the button's work and opens one error box with the adapter's text. For
// TypeE, calls 2 to 4 and 6 to 8 are the write-enable step (below).
const FailureCase kFailures[] = {
    {"VK310", false, 1, KVRX_ERR_ADDR_NACK}, {"VK310", true, 1, KVRX_ERR_DATA_NACK},
    {"VK340", false, 1, KVRX_ERR_ADDR_NACK}, {"VK340", false, 2, KVRX_ERR_DATA_NACK},
    {"VK340", true, 1, KVRX_ERR_ADDR_NACK},  {"VK340", true, 2, KVRX_ERR_DATA_NACK},
    {"VK340", true, 3, KVRX_ERR_DATA_NACK},  {"VK390", true, 1, KVRX_ERR_DATA_NACK},
    {"VK360", false, 1, KVRX_ERR_ADDR_NACK}, {"VK360", true, 1, KVRX_ERR_ADDR_NACK},
    {"VK360", true, 5, KVRX_ERR_DATA_NACK},  {"VK360", true, 9, KVRX_ERR_DATA_NACK},
    {"VK370", false, 1, KVRX_ERR_ADDR_NACK}, {"VK370", true, 1, KVRX_ERR_ADDR_NACK},
    {"VK370", true, 2, KVRX_ERR_DATA_NACK},
};

TEST_F(TrimPageTest, TheFirstFailureStopsTheButtonAndIsReported)
{
    openWith("VK310");
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(std::string(c.part) + (c.write ? " write, call " : " read, call ") +
                     std::to_string(c.failing));
        choose(c.part);
        // Registers whose read would move every list.
        for (uint32_t sub : {0x07u, 0x0Au, 0x0Bu, 0x12u, 0x13u, 0x14u})
            RecordingAdapter::setRegisters(rtc(), sub, {0x5A});
        page().ComboBoxATR->setCurrentIndex(40);
        page().ComboBoxBMATR->setCurrentIndex(3);
        page().ComboBoxDTR->setCurrentIndex(2);
        RecordingAdapter::failCall(c.failing, c.code);
        (c.write ? page().BtnWrXtl : page().BtnRdXtl)->click();

        EXPECT_EQ(RecordingAdapter::transfers().size(), c.failing);
        EXPECT_EQ(box(), failureBox(c.code));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        // The lists keep what they showed.
        EXPECT_EQ(page().ComboBoxATR->currentIndex(), 40);
        EXPECT_EQ(page().ComboBoxBMATR->currentIndex(), 3);
        EXPECT_EQ(page().ComboBoxDTR->currentIndex(), 2);
        if (c.write && RecordingAdapter::transfers().back().op == AdapterOp::Read) {
            // A failed read of the bits a write keeps writes nothing.
            for (const AdapterCall& t : RecordingAdapter::transfers())
                EXPECT_EQ(t.op, AdapterOp::Read);
        }
    }
}

// A TypeE part refuses RWEL after a failed WEL, and then acknowledges the
// trim write and drops it: a failed write-enable step (WEL or RWEL, before
// either register) stops the button before its write, and the button's box
// says so; the step, not clicked itself, puts the text in the status bar.
TEST_F(TrimPageTest, AFailedWriteEnableStepStopsTheWriteAndIsReported)
{
    openWith("VK360");
    // Calls: 1 read 0x13; 2 to 4 poll, WEL, RWEL; 5 write 0x13; 6 to 8 the
    // step again; 9 write 0x12.
    const struct {
        size_t failing;
        const char* sent;
    } cases[] = {
        {3, "R13/1; R3F/1; W3F 02!"},
        {4, "R13/1; R3F/1; W3F 02; W3F 06!"},
        {7, "R13/1; R3F/1; W3F 02; W3F 06; W13 AE; R3F/1; W3F 02!"},
        {8, "R13/1; R3F/1; W3F 02; W3F 06; W13 AE; R3F/1; W3F 02; W3F 06!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("call " + std::to_string(c.failing));
        choose("VK360");
        RecordingAdapter::setRegisters(rtc(), 0x13, {0xA8});
        set("13.00 pF", "+1.0 pF", "-10 PPM");
        window().setStatusPanelText(3, QString());
        RecordingAdapter::failCall(c.failing, KVRX_ERR_DATA_NACK);
        page().BtnWrXtl->click();
        EXPECT_EQ(transferTrace(), c.sent);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_EQ(window().statusPanelText(3),
                  QLatin1Char(' ') +
                      QString::fromStdString(RecordingAdapter::resultText(KVRX_ERR_DATA_NACK)));
    }
}

TEST_F(TrimPageTest, WriteWithoutADigitalEntryWritesNothing)
{
    openWith("VK390");
    page().ComboBoxDTR->setCurrentIndex(-1);
    page().BtnWrXtl->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
    EXPECT_EQ(window().statusPanelText(3),
              QStringLiteral(" Choose an entry in every trim list first; nothing was written"));
}

TEST_F(TrimPageTest, ButtonsActForTheFamiliesWithTrimsOnly)
{
    openWith("VK380");
    page().BtnRdXtl->click();
    page().BtnWrXtl->click();
    choose("VK350");
    page().BtnRdXtl->click();
    page().BtnWrXtl->click();
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

// ---- part choice ----

struct ChoiceCase {
    const char* part;
    bool atr;
    bool bmatr;
    const char* caption;
    int entries; // 0: the list is left as it was (the page is hidden)
    const char* first;
    const char* last;
};

constexpr const char* kDtrCaption = "Digital Trim Setting (DTR<3:0>)";

const ChoiceCase kChoices[] = {
    {"VK310", true, true, kDtrCaption, 8, "  0 PPM (default)", "-60 PPM "},
    {"VK360", true, false, kDtrCaption, 8, "  0 PPM", "-30 PPM"},
    {"VK340", true, true, kDtrCaption, 64, "0.000 PPM", "126.139 PPM"},
    {"VK370", false, false, "Digital Trim Setting (XDTR<3:0>)", 16, "  0 PPM", "  0 PPM"},
    {"VK331", true, true, kDtrCaption, 8, "  0 PPM (default)", "-60 PPM "},
    {"VK380", true, false, kDtrCaption, 0, nullptr, nullptr},
    {"VK390", true, true, kDtrCaption, 64, "0.000 PPM", "126.139 PPM"},
    // TypeD: list A's steps without a default entry.
    {"VK352", true, true, kDtrCaption, 8, "  0 PPM", "-60 PPM "},
    {"VK382", true, false, kDtrCaption, 0, nullptr, nullptr},
};

void expectChoice(TrimPage& p, const ChoiceCase& c)
{
    SCOPED_TRACE(c.part);
    EXPECT_EQ(!p.GroupBox16->isHidden(), c.atr);
    EXPECT_EQ(!p.GroupBox17->isHidden(), c.bmatr);
    EXPECT_EQ(p.GroupBox18->title(), QLatin1String(c.caption));
    if (c.entries > 0) {
        ASSERT_EQ(p.ComboBoxDTR->count(), c.entries);
        EXPECT_EQ(p.ComboBoxDTR->itemText(0), QLatin1String(c.first));
        EXPECT_EQ(p.ComboBoxDTR->itemText(c.entries - 1), QLatin1String(c.last));
        EXPECT_EQ(p.ComboBoxDTR->currentIndex(), 0);
    }
    // The analog lists never change.
    EXPECT_EQ(p.ComboBoxATR->count(), 64);
    EXPECT_EQ(p.ComboBoxBMATR->count(), 4);
}

TEST_F(TrimPageTest, EachPartChoiceShapesThePageAndLeavesNothingBehind)
{
    openWith("VK310");
    EXPECT_EQ(page().ComboBoxATR->currentText(), QStringLiteral("12.50 pF"));
    EXPECT_EQ(page().ComboBoxBMATR->currentText(), QStringLiteral("0.0 pF"));
    // Forward, then backward: nothing one part sets may linger into the next.
    for (const ChoiceCase& c : kChoices) {
        choose(c.part);
        expectChoice(page(), c);
    }
    for (auto it = std::rbegin(kChoices); it != std::rend(kChoices); ++it) {
        choose(it->part);
        expectChoice(page(), *it);
    }
    EXPECT_EQ(window().controlFailures(), QStringList());
    EXPECT_TRUE(RecordingAdapter::transfers().empty());
}

TEST_F(TrimPageTest, ButtonsNeedAnOpenBoardAndNameTheirWork)
{
    store.write(QStringLiteral("Device=VK310\n"));
    RecordingAdapter::reset();
    RecordingAdapter::setDeviceCount(0);
    WindowFixture::open(WindowOptions().adapter(&RecordingAdapter::api()).stopTimer());
    EXPECT_FALSE(page().BtnRdXtl->isEnabled());
    EXPECT_FALSE(page().BtnWrXtl->isEnabled());

    openWith("VK310");
    EXPECT_TRUE(page().BtnRdXtl->isEnabled());
    EXPECT_TRUE(page().BtnWrXtl->isEnabled());
    EXPECT_EQ(page().BtnRdXtl->toolTip(),
              QStringLiteral("Cick to read ATR / DTR Present Settings"));
    EXPECT_EQ(page().BtnWrXtl->toolTip(),
              QStringLiteral("Click to Write ATR / DTR Selected Settings"));
}

} // namespace
