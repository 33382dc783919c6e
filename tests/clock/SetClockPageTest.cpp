// The Set Clock page on the real window over the recording fake adapter: Get
// and Set PC time ask each family's own status register whether the chip's
// clock is set, refuse a clock that is not, and report a failed read.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "clock/SetClockPage.h"
#include "kvrx_usb.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/RadioGroup.h"

namespace {

class SetClockPageTest : public PageFixture {
  protected:
    SetClockPage& page() { return pageOn<SetClockPage>("tsSetTime"); }
};

// What the chip's status register says.
enum class Status { Set, NotSet, ReadFails };

const char* name(Status status)
{
    switch (status) {
    case Status::Set:
        return "clock set";
    case Status::NotSet:
        return "clock not set";
    case Status::ReadFails:
        return "status read fails";
    }
    return "?";
}

struct FamilyCase {
    const char* part;
    // The family's status register: where bit 0 says the clock is not set.
    uint32_t status;
    uint8_t subLen;
    uint32_t count;
    // The chip's time, 2024-03-05 (a Tuesday) 17:42:09 in 24-hour form, in the
    // family's own layout, and where it starts.
    uint32_t timeAt;
    std::vector<uint8_t> time;
    // False where bit 0 of that register is another flag (TypeG: A1F).
    bool bit0IsClockNotSet;
};

const FamilyCase kFamilies[] = {
    // TypeE: RTCF in 0x3F, two-byte sub-addresses; time at 0x30 with Y2K.
    {"VK360", 0x3F, 2, 1, 0x30, {0x09, 0x42, 0x97, 0x05, 0x03, 0x24, 0x02, 0x20}, true},
    // TypeF: RTCF in 0x08, read with 0x09.
    {"VK370", 0x08, 1, 2, 0x00, {0x09, 0x42, 0x97, 0x05, 0x03, 0x24, 0x02}, true},
    // TypeC: RTCF in 0x0B; weekday first, hour without a 12-hour form.
    {"VK340", 0x0B, 1, 1, 0x00, {0x09, 0x42, 0x17, 0x03, 0x05, 0x03, 0x24}, true},
    // TypeG: 0x0F, whose bit 0 is alarm 1's flag: the clock counts as set.
    {"VK380", 0x0F, 1, 1, 0x00, {0x09, 0x42, 0x17, 0x03, 0x05, 0x03, 0x24}, false},
};

const QDateTime kPcTime(QDate(2023, 11, 20), QTime(8, 15, 30));
const QDateTime kChipTime(QDate(2024, 3, 5), QTime(17, 42, 9));
constexpr int32_t kFailure = KVRX_ERR_ADDR_NACK;

// The chip as the case says: time, status, and bit 0 set in the registers a
// family does not use as its status (0x07, TypeF's second byte 0x09), so
// that asking the wrong register shows.
void seedChip(const FamilyCase& c, uint8_t slave, Status status)
{
    RecordingAdapter::setRegisters(slave, c.timeAt, c.time);
    RecordingAdapter::setRegisters(slave, 0x07, {0x01});
    if (c.count == 2) RecordingAdapter::setRegisters(slave, c.status + 1, {0x01});
    RecordingAdapter::setRegisters(slave, c.status,
                                   {static_cast<uint8_t>(status == Status::NotSet ? 0x01 : 0x00)});
    if (status == Status::ReadFails) RecordingAdapter::failSlave(slave, kFailure);
}

// Whether the case's chip counts as having its clock set.
bool clockSet(const FamilyCase& c, Status status)
{
    return status == Status::Set || (status == Status::NotSet && !c.bit0IsClockNotSet);
}

TEST_F(SetClockPageTest, GetAndSetPcTimeAskTheFamilysOwnStatusRegister)
{
    for (const FamilyCase& c : kFamilies) {
        for (const Status status : {Status::Set, Status::NotSet, Status::ReadFails}) {
            SCOPED_TRACE(std::string(c.part) + ", " + name(status));
            openWith(c.part, WindowOptions().pcTime(kPcTime));
            SetClockPage& p = page();
            p.Calendar->setSelectedDate(QDate(2020, 1, 1));
            p.SetTimeEdits(1, 2, 3);
            const int formBefore = p.SetTimeFomat->itemIndex();
            seedChip(c, rtc(), status);

            // Get RTC Date and Time.
            p.BtnGetRTC->click();
            std::vector<AdapterCall> t = RecordingAdapter::transfers();
            ASSERT_FALSE(t.empty());
            expectTransfer(t[0], AdapterOp::Read, c.status, c.count, c.subLen);
            int hour = 0, minute = 0, second = 0;
            p.GetTimeEdits(hour, minute, second);
            if (clockSet(c, status)) {
                EXPECT_EQ(box(), QString());
                EXPECT_EQ(p.Calendar->selectedDate(), kChipTime.date());
                EXPECT_EQ(QTime(hour, minute, second), kChipTime.time());
                EXPECT_EQ(p.SetTimeFomat->itemIndex(), 1); // the chip runs in 24-hour form
            } else {
                // Nothing read beyond the status; the pickers stay.
                EXPECT_EQ(t.size(), 1u);
                EXPECT_EQ(box(), status == Status::ReadFails ? failureBox(kFailure) : QString());
                EXPECT_EQ(p.Calendar->selectedDate(), QDate(2020, 1, 1));
                EXPECT_EQ(QTime(hour, minute, second), QTime(1, 2, 3));
                EXPECT_EQ(p.SetTimeFomat->itemIndex(), formBefore);
            }

            // Set PC Time and Date from RTC Eval Board, on the chip as before.
            RecordingAdapter::reset();
            seedChip(c, rtc(), status);
            window().setStatusPanelText(3, QString());
            p.BtnSetRTCtoPC->click();
            t = RecordingAdapter::transfers();
            ASSERT_FALSE(t.empty());
            expectTransfer(t[0], AdapterOp::Read, c.status, c.count, c.subLen);
            if (clockSet(c, status)) {
                EXPECT_EQ(box(), QString());
                EXPECT_EQ(clock.now(), kChipTime);
                EXPECT_EQ(window().statusPanelText(3), " PC clock set to 2024-03-05 17:42:09");
            } else {
                EXPECT_EQ(t.size(), 1u);
                EXPECT_EQ(clock.now(), kPcTime);
                if (status == Status::ReadFails) {
                    EXPECT_EQ(box(), failureBox(kFailure));
                    EXPECT_EQ(window().statusPanelText(3), QString());
                } else {
                    EXPECT_EQ(box(), QString());
                    EXPECT_EQ(window().statusPanelText(3),
                              " PC clock not set: the RTC's clock is not set");
                }
            }
            EXPECT_EQ(box(), QString()); // no second box
        }
    }
}

// A format change rewrites the chip's time; whichever of its transfers
// fails, the chip keeps its old form and status panel 3 says why.
TEST_F(SetClockPageTest, AFormatChangeWhoseRewriteFailsSaysSo)
{
    const FamilyCase& c = kFamilies[1];
    ASSERT_STREQ(c.part, "VK370");
    openWith(c.part, WindowOptions().pcTime(kPcTime));
    SetClockPage& p = page();
    p.SetTimeFomat->setItemIndex(0);
    seedChip(c, rtc(), Status::Set);
    window().setStatusPanelText(3, QString());
    const size_t before = RecordingAdapter::calls().size();
    p.SetTimeFomat->setItemIndex(1);
    const size_t transfers = RecordingAdapter::calls().size() - before;
    ASSERT_GE(transfers, 4u); // status, time, then the write's own transfers
    EXPECT_EQ(window().statusPanelText(3), QString());

    for (size_t k = 1; k <= transfers; ++k) {
        SCOPED_TRACE("transfer " + std::to_string(k) + " of the rewrite fails");
        p.SetTimeFomat->setItemIndex(0);
        window().setStatusPanelText(3, QString());
        RecordingAdapter::failCall(RecordingAdapter::calls().size() + k, kFailure);
        p.SetTimeFomat->setItemIndex(1);
        EXPECT_EQ(window().statusPanelText(3),
                  QString::fromStdString(" " + RecordingAdapter::resultText(kFailure)));
        EXPECT_EQ(box(), QString());
    }
}

} // namespace
