// The memory page on the real window over the recording fake adapter: the
// write-enable step before every line of Write All, and what each button
// shows and leaves when one of its transfers fails.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "kvrx_usb.h"
#include "pages/memory/MemoryCodec.h"
#include "pages/memory/MemoryPage.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"

namespace {

constexpr uint8_t kMem = 0xAE;

class MemoryPageTest : public PageFixture {
  protected:
    MemoryPage& page() { return pageOn<MemoryPage>("tsMemory"); }

    QString cell(int row, int column) { return page().EepromGrid->item(row, column)->text(); }

    // A user's single click on a grid cell.
    void clickCell(int row, int column)
    {
        page().EepromGrid->setCurrentCell(row, column);
        emit page().EepromGrid->cellClicked(row, column);
    }
};

bool isLineWrite(const AdapterCall& t)
{
    return t.op == AdapterOp::Write && t.slave == kMem && t.count == 16;
}

// ---- Write All: the write-enable step goes before every line ----

TEST_F(MemoryPageTest, WriteAllRunsTheWriteEnableStepBeforeEveryEepromLineAndNoneForSram)
{
    const struct {
        const char* part;
        size_t lines;
        uint8_t subLen;
        bool unlock;
    } cases[] = {{"VK360", 32, 2, true},
                 {"VK365", 32, 2, true},
                 {"VK370", 8, 1, false},
                 {"VK352", 8, 1, false}};
    openWith("VK360");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        choose(c.part);
        page().BtnWrEeprom->click();

        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        std::vector<size_t> lines;
        for (size_t i = 0; i < t.size(); ++i)
            if (isLineWrite(t[i])) lines.push_back(i);
        ASSERT_EQ(lines.size(), c.lines);
        for (size_t k = 0; k < lines.size(); ++k) {
            SCOPED_TRACE("line " + std::to_string(k));
            const AdapterCall& w = t[lines[k]];
            EXPECT_EQ(w.sub, 16 * k);
            EXPECT_EQ(w.subLen, c.subLen);
            EXPECT_EQ(w.data.front(), static_cast<uint8_t>(16 * k)) << "Data = Adr";
            if (!c.unlock) continue;
            // Just before the line: acknowledge polling on the status
            // register, then WEL and WEL|RWEL.
            ASSERT_GE(lines[k], 3u);
            expectTransfer(t[lines[k] - 3], AdapterOp::Read, 0x3F, 1, 2);
            expectTransfer(t[lines[k] - 2], AdapterOp::Write, 0x3F, 1, 2);
            expectTransfer(t[lines[k] - 1], AdapterOp::Write, 0x3F, 1, 2);
            EXPECT_EQ(t[lines[k] - 2].data, std::vector<uint8_t>{0x02});
            EXPECT_EQ(t[lines[k] - 1].data, std::vector<uint8_t>{0x06});
        }
        if (!c.unlock) {
            for (const AdapterCall& any : t)
                EXPECT_EQ(any.slave, kMem) << "an SRAM part gets no write-enable step";
        }
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        RecordingAdapter::reset();
    }
}

// ---- Each button, one of its transfers failing ----

// Which transfer of a click fails: the nth (from 1) that matches.
struct Failing {
    std::function<bool(const AdapterCall&)> matches;
    int nth = 1;
};

Failing lineRead(int line)
{
    return {[](const AdapterCall& t) { return t.op == AdapterOp::Read && t.slave == kMem; },
            line + 1};
}
Failing lineWrite(int line)
{
    return {isLineWrite, line + 1};
}
// The WEL|RWEL write of the write-enable step before the nth line (from 1).
Failing unlockWrite(int nth)
{
    return {[](const AdapterCall& t) {
                return t.op == AdapterOp::Write && t.sub == 0x3F && t.data.size() == 1 &&
                       t.data[0] == 0x06;
            },
            nth};
}
Failing transferTo(AdapterOp op, uint8_t slave)
{
    return {[op, slave](const AdapterCall& t) { return t.op == op && t.slave == slave; }, 1};
}

// The call number of the failing transfer, found in a run that goes through
// (on a freshly reset record).
size_t callNumber(const Failing& failing, const std::function<void()>& click)
{
    click();
    const std::vector<AdapterCall>& calls = RecordingAdapter::calls();
    int seen = 0;
    for (size_t i = 0; i < calls.size(); ++i)
        if ((calls[i].op == AdapterOp::Read || calls[i].op == AdapterOp::Write) &&
            failing.matches(calls[i]) && ++seen == failing.nth)
            return i + 1;
    ADD_FAILURE() << "the click makes no such transfer";
    return 0;
}

TEST_F(MemoryPageTest, EachButtonWithOneOfItsTransfersFailingShowsItAndKeepsWhatItHadNotRead)
{
    openWith("VK360");
    // The memory's contents, unlike every pattern the page writes.
    std::vector<uint8_t> memory(512);
    for (size_t a = 0; a < memory.size(); ++a)
        memory[a] = static_cast<uint8_t>(a ^ 0x5A);
    const uint8_t protect = 0xB3; // BP = 5, not the entry the list shows

    auto readAllStopsAt = [this, &memory](int line, int lines) {
        return [this, &memory, line, lines]() {
            EXPECT_EQ(RecordingAdapter::transfers().size(), static_cast<size_t>(line + 1))
                << "no line is read after the failed one";
            for (int row = 1; row <= lines; ++row) {
                const QString shown = row <= line
                                          ? QString::fromStdString(MemoryCodec::Hex2(
                                                memory[static_cast<size_t>(16 * (row - 1))]))
                                          : QString();
                EXPECT_EQ(cell(row, 1), shown) << "row " << row;
            }
        };
    };
    auto writeAllStopsAt = [&memory](int line) {
        return [&memory, line]() {
            const std::vector<AdapterCall> t = RecordingAdapter::transfers();
            ASSERT_FALSE(t.empty());
            EXPECT_TRUE(isLineWrite(t.back()) && t.back().sub == 16u * line)
                << "nothing goes after the failed line";
            const uint32_t first = 16u * static_cast<uint32_t>(line);
            EXPECT_EQ(RecordingAdapter::registerAt(kMem, first), memory[first]);
            if (line > 0) {
                EXPECT_EQ(RecordingAdapter::registerAt(kMem, first - 1), (first - 1) & 0xFF)
                    << "the line before was written";
            }
        };
    };
    // A line whose write-enable step failed would be acknowledged and dropped:
    // it is not sent, nor any after it, and the step's own text is in the
    // status bar beside the button's box.
    auto writeAllStopsBefore = [this, &memory](int line) {
        return [this, &memory, line]() {
            const std::vector<AdapterCall> t = RecordingAdapter::transfers();
            ASSERT_FALSE(t.empty());
            EXPECT_TRUE(t.back().sub == 0x3F && t.back().result != 0)
                << "nothing goes after the failed step";
            size_t written = 0;
            for (const AdapterCall& c : t)
                written += isLineWrite(c);
            EXPECT_EQ(written, static_cast<size_t>(line));
            const uint32_t first = 16u * static_cast<uint32_t>(line);
            EXPECT_EQ(RecordingAdapter::registerAt(kMem, first), memory[first]);
            EXPECT_EQ(window().statusPanelText(3).toStdString(),
                      " " + RecordingAdapter::resultText(KVRX_ERR_DATA_NACK));
        };
    };
    auto byteKept = [this]() {
        EXPECT_EQ(page().teRdData->text(), QStringLiteral("C7"));
        EXPECT_EQ(cell(3, 4), QStringLiteral("C7"));
    };
    auto byteNotWritten = [&memory]() {
        const std::vector<AdapterCall> t = RecordingAdapter::transfers();
        ASSERT_FALSE(t.empty());
        EXPECT_TRUE(t.back().op == AdapterOp::Write && t.back().slave == kMem)
            << "nothing goes after the failed write";
        EXPECT_EQ(RecordingAdapter::registerAt(kMem, 0x23), memory[0x23]);
    };
    auto byteNotSent = [this, &memory]() {
        for (const AdapterCall& t : RecordingAdapter::transfers())
            EXPECT_NE(t.slave, kMem) << "no byte goes after the failed step";
        EXPECT_EQ(RecordingAdapter::registerAt(kMem, 0x23), memory[0x23]);
        EXPECT_EQ(window().statusPanelText(3).toStdString(),
                  " " + RecordingAdapter::resultText(KVRX_ERR_DATA_NACK));
    };
    auto protectKept = [this, protect]() {
        EXPECT_EQ(page().cboEEProtect->currentIndex(), 2);
        EXPECT_EQ(RecordingAdapter::transfers().size(), 1u) << "nothing is written after the read";
        EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x10), protect);
    };
    auto protectNotWritten = [this, protect]() {
        EXPECT_EQ(RecordingAdapter::registerAt(rtc(), 0x10), protect);
    };

    const struct {
        const char* what;
        const char* part;
        QPushButton* MemoryPage::*button;
        Failing failing;
        std::function<void()> check;
    } cases[] = {
        {"Read All, the first line", "VK360", &MemoryPage::BtnRdEeprom, lineRead(0),
         readAllStopsAt(0, 32)},
        {"Read All, line 17", "VK360", &MemoryPage::BtnRdEeprom, lineRead(16),
         readAllStopsAt(16, 32)},
        {"Read All, the last line", "VK360", &MemoryPage::BtnRdEeprom, lineRead(31),
         readAllStopsAt(31, 32)},
        {"Read All on SRAM, line 5", "VK370", &MemoryPage::BtnRdEeprom, lineRead(4),
         readAllStopsAt(4, 8)},
        {"Write All, the first line", "VK360", &MemoryPage::BtnWrEeprom, lineWrite(0),
         writeAllStopsAt(0)},
        {"Write All, line 17", "VK360", &MemoryPage::BtnWrEeprom, lineWrite(16),
         writeAllStopsAt(16)},
        {"Write All, the last line", "VK360", &MemoryPage::BtnWrEeprom, lineWrite(31),
         writeAllStopsAt(31)},
        {"Write All on SRAM, line 5", "VK370", &MemoryPage::BtnWrEeprom, lineWrite(4),
         writeAllStopsAt(4)},
        {"Write All, the write-enable step of line 9", "VK360", &MemoryPage::BtnWrEeprom,
         unlockWrite(9), writeAllStopsBefore(8)},
        {"Read", "VK360", &MemoryPage::BtnRdByte, transferTo(AdapterOp::Read, kMem), byteKept},
        {"Read on SRAM", "VK370", &MemoryPage::BtnRdByte, transferTo(AdapterOp::Read, kMem),
         byteKept},
        {"Write", "VK360", &MemoryPage::BtnWriteByte, transferTo(AdapterOp::Write, kMem),
         byteNotWritten},
        {"Write, its write-enable step", "VK360", &MemoryPage::BtnWriteByte, unlockWrite(1),
         byteNotSent},
        {"Write on SRAM", "VK370", &MemoryPage::BtnWriteByte, transferTo(AdapterOp::Write, kMem),
         byteNotWritten},
        {"Read BP", "VK360", &MemoryPage::BtnReadBP, transferTo(AdapterOp::Read, 0xDE),
         protectKept},
        {"Write BP, its read", "VK360", &MemoryPage::BtnWrBP, transferTo(AdapterOp::Read, 0xDE),
         protectKept},
        {"Write BP, its write",
         "VK360",
         &MemoryPage::BtnWrBP,
         {[](const AdapterCall& t) { return t.op == AdapterOp::Write && t.sub == 0x10; }, 1},
         protectNotWritten},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The page as a user leaves it: the byte at 0x0023 read into its cell
        // and teRdData, a block-protect entry picked, a byte to write typed.
        auto prepare = [&] {
            choose(c.part);
            RecordingAdapter::setRegisters(kMem, 0x23, {0xC7});
            clickCell(3, 4);
            page().BtnRdByte->click();
            ASSERT_EQ(page().teRdData->text(), QStringLiteral("C7"));
            pick(page().cboEEProtect, 2);
            page().teWrData->setText(QStringLiteral("3C"));
            window().setStatusPanelText(3, QStringLiteral("before"));
            RecordingAdapter::reset();
            RecordingAdapter::setRegisters(kMem, 0, memory);
            RecordingAdapter::setRegisters(rtc(), 0x10, {protect});
        };
        QPushButton* button = page().*c.button;
        prepare();
        const size_t n = callNumber(c.failing, [button] { button->click(); });
        ASSERT_GT(n, 0u);
        ASSERT_EQ(recordedBoxCount(window()), 0u) << "the run that goes through shows no box";

        prepare();
        RecordingAdapter::failCall(n, KVRX_ERR_DATA_NACK);
        button->click();

        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u) << "one failure, one report";
        EXPECT_TRUE(page().BtnRdEeprom->isEnabled());
        EXPECT_TRUE(page().BtnWrEeprom->isEnabled());
        c.check();
        while (recordedBoxCount(window()) > 0)
            box();
    }
}

} // namespace
