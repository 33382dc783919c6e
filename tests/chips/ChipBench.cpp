#include "ChipBench.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

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

// Days since 2000-01-01 of a date, and back (proleptic Gregorian).
long daysFrom2000(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 730425;
}

} // namespace

long secondsOf(const Time& t)
{
    return daysFrom2000(t.year, t.month, t.day) * 86400L + t.hour * 3600L + t.minute * 60L +
           t.second;
}

Time timeAt(long seconds)
{
    long days = seconds / 86400;
    long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const long z = days + 730425;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    Time t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    t.weekday = static_cast<int>(((days % 7) + 7 + 6) % 7); // 2000-01-01 was a Saturday
    return t;
}

namespace {

struct PartRow {
    const char* name;
    PartType type;
    uint8_t rtc; // the clock registers' slave address
};

constexpr PartRow kParts[] = {
    {"VK310", TypeA, 0xDE}, {"VK311", TypeA, 0xDE}, {"VK320", TypeB, 0xDE}, {"VK321", TypeB, 0xDE},
    {"VK330", TypeB, 0xDE}, {"VK331", TypeB, 0xDE}, {"VK340", TypeC, 0xD0}, {"VK350", TypeD, 0xDE},
    {"VK352", TypeD, 0xDE}, {"VK354", TypeD, 0xDE}, {"VK360", TypeE, 0xDE}, {"VK361", TypeE, 0xDE},
    {"VK362", TypeE, 0xDE}, {"VK363", TypeE, 0xDE}, {"VK364", TypeE, 0xDE}, {"VK365", TypeE, 0xDE},
    {"VK370", TypeF, 0xDE}, {"VK380", TypeG, 0xD0}, {"VK381", TypeH, 0xDE}, {"VK382", TypeJ, 0xD0},
    {"VK390", TypeK, 0xDE},
};

constexpr uint32_t kBoards = 16;

// The next free board; the first call sets the board up for benches.
uint32_t takeBoard()
{
    static uint32_t next = [] {
        setenv("KVRX_SIM_CLOCK", "manual", 1);
        setenv("KVRX_SIM_BOARDS", "16", 1);
        for (const char* name : {"KVRX_BACKEND", "KVRX_SIM_PART", "KVRX_SIM_FAULTS"})
            unsetenv(name);
        return 1u;
    }();
    if (next > kBoards)
        throw std::runtime_error("more benches than boards: run each test in a process of its "
                                 "own (ctest does)");
    return next++;
}

} // namespace

ChipBench::ChipBench(const char* partName, bool powerUp, bool exactCrystal)
    : board_(takeBoard()), chip_(board_)
{
    const PartRow* row = nullptr;
    for (const PartRow& p : kParts) {
        if (std::string_view(p.name) == partName) row = &p;
    }
    if (!row) throw std::runtime_error(std::string("no part ") + partName);
    type_ = row->type;
    rtc_ = row->rtc;
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
    const PartType ty = type();
    const uint8_t statusReg = ty == TypeE   ? 0x3F
                              : ty == TypeC ? 0x0B
                              : ty == TypeF ? 0x08
                              : ty == TypeG ? 0x0F
                                            : 0x07;
    uint8_t work = 0;
    int32_t rc = read(rtc(), subLen(), statusReg, &work, 1);
    if (rc) return rc;
    std::array<uint8_t, 7> old{};
    if (ty == TypeK || ty == TypeC || ty == TypeG || ty == TypeJ) {
        rc = read(rtc(), 1, 0x00, old.data(), 7);
        if (rc) return rc;
    }

    const uint8_t sc = bcd(t.second);
    uint8_t mn = bcd(t.minute);
    uint8_t hr;
    if (hour24) {
        hr = (ty == TypeC || ty == TypeJ) ? bcd(t.hour)
             : ty == TypeG                ? static_cast<uint8_t>(bcd(t.hour) & ~0x40)
                                          : static_cast<uint8_t>(bcd(t.hour) | 0x80);
    } else {
        int h = t.hour;
        uint8_t pm = 0;
        if (h >= 12) {
            h = std::min(h, 23) - 12;
            pm = 0x20;
        }
        if (h == 0) h = 12;
        hr = static_cast<uint8_t>(pm | bcd(h));
        if (ty == TypeG) hr |= 0x40;
    }
    std::array<uint8_t, 8> out{};
    if (weekdayFirst(ty)) {
        uint8_t s = sc;
        if (ty != TypeG) {
            s |= old[0] & 0x80;
            mn |= old[1] & 0x80;
            hr |= old[2] & 0xC0;
        }
        uint8_t mo = bcd(t.month);
        if (ty == TypeG) mo |= old[5] & 0x80;
        out = {s, mn, hr, bcd(t.weekday + 1), bcd(t.day), mo, bcd(t.year % 100), 0};
    } else {
        if (ty == TypeK) mn |= old[1] & 0x80;
        out = {sc,
               mn,
               hr,
               bcd(t.day),
               bcd(t.month),
               bcd(t.year % 100),
               bcd(t.weekday),
               static_cast<uint8_t>(t.year >= 2000 ? 0x20 : 0x19)};
    }

    switch (ty) {
    case TypeE:
        if ((rc = write(rtc(), 2, 0x3F, {0x02}))) return rc;
        if ((rc = write(rtc(), 2, 0x3F, {0x06}))) return rc;
        return write(rtc(), 2, 0x30, out.data(), 8);
    case TypeA:
    case TypeB:
    case TypeK:
    case TypeC:
        work = static_cast<uint8_t>((work | 0x1F) & 0xBF);
        if ((rc = write(rtc(), 1, statusReg, {work}))) return rc;
        rc = write(rtc(), 1, 0x00, out.data(), 7);
        write(rtc(), 1, statusReg, {static_cast<uint8_t>(work & ~0x10)});
        return rc;
    case TypeD:
        if ((rc = read(rtc(), 1, 0x08, &work, 1))) return rc;
        if ((rc = write(rtc(), 1, 0x08, {static_cast<uint8_t>(work | 0x40)}))) return rc;
        rc = write(rtc(), 1, 0x00, out.data(), 7);
        write(rtc(), 1, 0x08, {static_cast<uint8_t>(work & ~0x40)});
        return rc;
    case TypeH:
        if ((rc = write(rtc(), 1, 0x07, {static_cast<uint8_t>(work | 0x10)}))) return rc;
        return write(rtc(), 1, 0x00, out.data(), 7);
    default:
        return write(rtc(), 1, 0x00, out.data(), 7);
    }
}

Time ChipBench::readTime(bool* hour24)
{
    const PartType ty = type();
    auto r = regs(ty == TypeE ? 0x30 : 0x00, 7);
    uint8_t hr = r[2];
    const uint8_t hrRead = hr;
    if (ty == TypeG) hr = (hr & 0x40) ? (hr & ~0x80) : (hr | 0x80);
    if (ty == TypeC || ty == TypeJ) hr = static_cast<uint8_t>((hr & 0x3F) | 0x80);
    Time t;
    t.second = bin(r[0] & 0x7F);
    t.minute = bin(r[1] & 0x7F);
    if (hr & 0x80) {
        t.hour = bin(hr & 0x3F);
    } else {
        int h = bin(hr & 0x1F);
        if (h == 12) h = 0;
        t.hour = (hr & 0x20) ? h + 12 : h;
    }
    const bool wf = weekdayFirst(ty);
    t.day = bin(r[wf ? 4 : 3]);
    t.month = bin(r[wf ? 5 : 4]);
    t.year = 2000 + bin(r[wf ? 6 : 5]);
    t.weekday = bin(r[wf ? 3 : 6]);
    if (hour24)
        *hour24 = (ty == TypeC || ty == TypeJ) ? true
                  : ty == TypeG                ? (hrRead & 0x40) == 0
                                               : (hrRead & 0x80) != 0;
    return t;
}

} // namespace chiptest
