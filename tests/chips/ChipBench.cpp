#include "ChipBench.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "bus/AdapterApi.h"
#include "clock/TimeCodec.h"

namespace chiptest {

const std::array<FamilyPart, 10> kOnePartPerFamily = {{
    {"VK310", TypeA},
    {"VK320", TypeB},
    {"VK340", TypeC},
    {"VK350", TypeD},
    {"VK360", TypeE},
    {"VK370", TypeF},
    {"VK380", TypeG},
    {"VK381", TypeH},
    {"VK382", TypeJ},
    {"VK390", TypeK},
}};

std::string familyName(const ::testing::TestParamInfo<FamilyPart>& info)
{
    return info.param.name;
}

std::string toString(const Time& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d wd%d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.weekday);
    return text;
}

namespace {

constexpr long kEpoch2000 = 946684800; // 2000-01-01 00:00:00 in Unix seconds

} // namespace

long secondsOf(const Time& t)
{
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return static_cast<long>(timegm(&tm)) - kEpoch2000;
}

Time timeAt(long seconds)
{
    const time_t unix = static_cast<time_t>(seconds + kEpoch2000);
    std::tm tm{};
    gmtime_r(&unix, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     tm.tm_wday};
}

namespace {

constexpr uint32_t kBoards = 16;

uint32_t gBenchesAlive = 0;
uint32_t gNextBoard = 1;

} // namespace

// The next free board. With no bench alive the library starts again on the
// benches' settings, as in a process of its own, and the boards count from 1.
ChipBench::BoardLease::BoardLease()
{
    if (gBenchesAlive == 0) {
        setenv("KVRX_SIM_CLOCK", "manual", 1);
        setenv("KVRX_SIM_BOARDS", "16", 1);
        for (const char* name : {"KVRX_BACKEND", "KVRX_SIM_PART", "KVRX_SIM_FAULTS",
                                 "KVRX_SIM_SENSOR", "KVRX_SIM_SEED"})
            unsetenv(name);
        KVRX_TestRestart();
        gNextBoard = 1;
    }
    if (gNextBoard > kBoards)
        throw std::runtime_error("more benches alive at once than the " + std::to_string(kBoards) +
                                 " boards");
    board_ = gNextBoard++;
    ++gBenchesAlive;
}

ChipBench::BoardLease::~BoardLease()
{
    --gBenchesAlive;
}

ChipBench::ChipBench(const char* partName, bool powerUp, bool exactCrystal)
    : board_(lease_.board()), chip_(board_), bus_(LibraryAdapter(), sink_)
{
    const int row = FindPartRow(partName);
    if (row == 0) throw std::runtime_error(std::string("no part ") + partName);
    type_ = PartTable[row].TypeCode;
    rtc_ = PartTable[row].RtcAddress;
    bus_.setPartRow(row);
    bus_.BoardNo = board_;
    if (KVRX_Init(board_, 400) != KVRX_OK || KVRX_SimSetTemperature(board_, 25.0) != KVRX_OK ||
        KVRX_SimSetPart(board_, partName) != KVRX_OK)
        throw std::runtime_error(std::string("board did not take ") + partName);
    if (exactCrystal) chip_.setPpm(0.0);
    if (powerUp) supply(true);
}

void ChipBench::supply(bool on)
{
    EXPECT_EQ(KVRX_OK, on ? KVRX_VccOn(board_) : KVRX_VccOff(board_));
}

void ChipBench::run(double seconds, double celsius)
{
    ASSERT_EQ(KVRX_OK, KVRX_SimSetTemperature(board_, celsius));
    ASSERT_EQ(KVRX_OK, KVRX_SimAdvance(seconds));
}

int32_t ChipBench::read(uint8_t slave, uint8_t subLen, uint32_t sub, uint8_t* buf, uint32_t count)
{
    return i2cRead(board_, subLen, slave, sub, buf, count);
}

int32_t ChipBench::write(uint8_t slave, uint8_t subLen, uint32_t sub, const uint8_t* buf,
                         uint32_t count)
{
    return i2cWrite(board_, subLen, slave, sub, buf, count);
}

bool ChipHandle::answers(uint8_t slave)
{
    return i2cWrite(board_, 0, slave, 0, nullptr, 0) == KVRX_OK;
}

bool ChipHandle::irqLow()
{
    uint8_t pins = 0xFF;
    EXPECT_EQ(KVRX_OK, KVRX_PortIn(board_, &pins));
    return (pins & 0x01) == 0;
}

bool ChipHandle::irq2Low()
{
    uint8_t pins = 0xFF;
    EXPECT_EQ(KVRX_OK, KVRX_PortIn(board_, &pins));
    return (pins & 0x02) == 0;
}

bool ChipHandle::resetLow()
{
    uint8_t pins = 0xFF;
    EXPECT_EQ(KVRX_OK, KVRX_PortIn(board_, &pins));
    return (pins & 0x04) == 0;
}

void ChipHandle::setVoltage(int which, double volts)
{
    EXPECT_EQ(KVRX_OK, KVRX_SimSetVoltage(board_, which, volts));
}

void ChipHandle::setPpm(double ppm)
{
    EXPECT_EQ(KVRX_OK, KVRX_SimSetPpm(board_, ppm));
}

bool ChipHandle::peek(uint8_t slave, uint32_t sub, uint8_t* value)
{
    return KVRX_SimPeek(board_, slave, sub, value) == KVRX_OK;
}

bool ChipHandle::poke(uint8_t slave, uint32_t sub, uint8_t value)
{
    return KVRX_SimPoke(board_, slave, sub, value) == KVRX_OK;
}

std::vector<uint8_t> ChipBench::regs(uint32_t reg, uint32_t count)
{
    std::vector<uint8_t> bytes(count, 0xEE);
    EXPECT_EQ(KVRX_OK, read(rtc(), subLen(), reg, bytes.data(), count)) << "read at " << reg;
    return bytes;
}

void ChipBench::setRegs(uint32_t reg, std::vector<uint8_t> bytes)
{
    if (type() == TypeE) unlock();
    EXPECT_EQ(KVRX_OK, write(rtc(), subLen(), reg, bytes)) << "write at " << reg;
}

uint8_t ChipBench::peek(uint32_t reg)
{
    uint8_t value = 0xEE;
    EXPECT_TRUE(chip_.peek(rtc(), reg, &value)) << "peek at " << reg;
    return value;
}

int ChipBench::unlock()
{
    int tries = 0;
    uint8_t sr = 0;
    do {
        ++tries;
        // Each unanswered try takes its round trip of bus time.
        if (read(rtc(), 2, 0x3F, &sr, 1) == KVRX_OK) break;
    } while (tries < 30);
    write(rtc(), 2, 0x3F, {0x02});
    write(rtc(), 2, 0x3F, {0x06});
    return tries;
}

int32_t ChipBench::writeTime(const Time& t, bool hour24)
{
    // The calendar record the PC side uses maps one to one onto the bench's.
    const SystemTime st{static_cast<uint16_t>(t.year),    static_cast<uint16_t>(t.month),
                        static_cast<uint16_t>(t.weekday), static_cast<uint16_t>(t.day),
                        static_cast<uint16_t>(t.hour),    static_cast<uint16_t>(t.minute),
                        static_cast<uint16_t>(t.second),  0};
    return WriteRtcTime(bus_, SystemTimeToTm(st), hour24);
}

Time ChipBench::readTime(bool* hour24)
{
    std::tm tm{};
    bool is24 = false;
    EXPECT_EQ(KVRX_OK, ReadRtcTime(bus_, tm, is24)) << "time read";
    if (hour24) *hour24 = is24;
    const SystemTime st = TmToSystemTime(tm);
    return {st.year, st.month, st.day, st.hour, st.minute, st.second, st.dayOfWeek};
}

} // namespace chiptest
