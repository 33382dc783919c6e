#include "clock/TimeCodec.h"

#include <cstdio>

#include <algorithm>
#include <array>

#include "bus/RtcBus.h"

namespace {

// Positions of the seven time bytes in a transfer.
struct Layout {
    int sc, mn, hr, dt, mo, yr, dw;
};
constexpr Layout kDateFirst{0, 1, 2, 3, 4, 5, 6};
constexpr Layout kWeekdayFirst{0, 1, 2, 4, 5, 6, 3};

bool isWeekdayFirst(PartType type)
{
    return type == TypeC || type == TypeG || type == TypeJ;
}

// Families whose hour register has no 12-hour form; bits 7 and 6 are flags.
bool isFlaggedHour(PartType type)
{
    return type == TypeC || type == TypeJ;
}

const Layout& layoutOf(PartType type)
{
    return isWeekdayFirst(type) ? kWeekdayFirst : kDateFirst;
}

uint8_t bcd(int value)
{
    return static_cast<uint8_t>(BinToBcd(static_cast<uint32_t>(value), 8));
}

constexpr uint32_t kTypeEClock = 0x30;

// Before a time write: the status or control register read into the work byte,
// and whether the old time bytes are needed for the flag bits they carry.
struct PreliminaryRead {
    uint32_t workAddress;
    bool readsTime;
};
constexpr PreliminaryRead kPreliminaryReads[] = {
    /* TypeNone */ {0x07, false},
    /* TypeA */ {0x07, false},
    /* TypeB */ {0x07, false},
    /* TypeC */ {0x0B, true},
    /* TypeD */ {0x07, false},
    /* TypeE */ {RtcBus::kTypeEStatus, false},
    /* TypeF */ {0x08, false},
    /* TypeG */ {0x0F, true},
    /* TypeH */ {0x07, false},
    /* TypeJ */ {0x07, true},
    /* TypeK */ {0x07, true},
};
static_assert(std::size(kPreliminaryReads) == TypeK + 1);

} // namespace

int BcdToBin(unsigned value)
{
    return static_cast<int>((value & 0x0F) + 10 * ((value >> 4) & 0x0F));
}

uint32_t BinToBcd(uint32_t value, int bits)
{
    bits = std::clamp(bits, 0, 24);
    value &= (1u << bits) - 1;
    uint32_t result = 0;
    for (int bit = bits - 1; bit >= 0; --bit) {
        result = (result << 1) | ((value >> bit) & 1u);
        if (bit == 0) break;
        for (int digit = 0; digit < 8; ++digit) {
            const int shift = 4 * digit;
            if (((result >> shift) & 0x0F) >= 5) result += 3u << shift;
        }
    }
    return result;
}

int32_t ReadRtcTime(const RtcBus& bus, std::tm& t, bool& is24)
{
    const PartType type = bus.part().TypeCode;
    const uint8_t slave = bus.part().RtcAddress;
    std::array<uint8_t, 7> b{};
    const int32_t result = type == TypeE
                               ? bus.api().Read(bus.BoardNo, 2, slave, kTypeEClock, b.data(), 7)
                               : bus.api().Read(bus.BoardNo, 1, slave, 0x00, b.data(), 7);
    if (!Succeeded(result)) {
        t = std::tm{};
        is24 = false;
        return result;
    }

    const Layout& at = layoutOf(type);
    const uint8_t rawHr = b[at.hr];
    uint8_t hr = rawHr;
    if (type == TypeG)
        hr = (hr & 0x40) ? (hr & 0x7F) : (hr | 0x80);
    else if (isFlaggedHour(type))
        hr = (hr & 0x3F) | 0x80;

    t = std::tm{};
    t.tm_sec = BcdToBin(b[at.sc] & 0x7F);
    t.tm_min = BcdToBin(b[at.mn] & 0x7F);
    if (hr & 0x80) {
        t.tm_hour = BcdToBin(hr & 0x3F);
    } else {
        int h = BcdToBin(hr & 0x1F);
        if (h == 12) h = 0;
        if (hr & 0x20) h += 12;
        t.tm_hour = h;
    }
    t.tm_mday = BcdToBin(b[at.dt]);
    // Bit 7 of a TypeG month register is the century flag, not a digit.
    const uint8_t mo = type == TypeG ? (b[at.mo] & 0x7F) : b[at.mo];
    t.tm_mon = mo == 0 ? 0 : BcdToBin(mo) - 1;
    t.tm_year = BcdToBin(b[at.yr]) + 100;
    // Weekday-first parts count the day of week 1 to 7, and the write below
    // stores day of week + 1: read it back as 0 to 6, or every rewrite of the
    // time would move the chip on by a day.
    const int dw = BcdToBin(b[at.dw]);
    t.tm_wday = isWeekdayFirst(type) && dw > 0 ? dw - 1 : dw;
    t.tm_yday = 0;
    t.tm_isdst = 0;

    if (isFlaggedHour(type))
        is24 = true;
    else if (type == TypeG)
        is24 = (rawHr & 0x40) == 0;
    else
        is24 = (rawHr & 0x80) != 0;
    return 0;
}

int32_t WriteRtcTime(RtcBus& bus, const std::tm& t, bool is24)
{
    const AdapterApi& api = bus.api();
    const uint32_t board = bus.BoardNo;
    const PartType type = bus.part().TypeCode;
    const uint8_t slave = bus.part().RtcAddress;

    // Preliminary reads: the status or control register, and the time bytes
    // where flag bits share them.
    const PreliminaryRead& pre = kPreliminaryReads[type];
    uint8_t work = 0;
    int32_t result = api.Read(board, type == TypeE ? 2 : 1, slave, pre.workAddress, &work, 1);
    if (!Succeeded(result)) return result;
    std::array<uint8_t, 7> old{};
    if (pre.readsTime) {
        result = api.Read(board, 1, slave, 0x00, old.data(), 7);
        if (!Succeeded(result)) return result;
    }

    const Layout& at = layoutOf(type);
    std::array<uint8_t, 8> b{};
    b[at.sc] = bcd(t.tm_sec);
    b[at.mn] = bcd(t.tm_min);

    uint8_t hr;
    if (is24) {
        hr = bcd(t.tm_hour);
        if (type == TypeG)
            hr &= 0xBF;
        else if (!isFlaggedHour(type))
            hr |= 0x80;
    } else {
        int h = t.tm_hour;
        uint8_t pm = 0;
        if (h >= 12) {
            h = std::min(h, 23) - 12;
            pm = 0x20;
        }
        if (h == 0) h = 12;
        hr = pm | bcd(h);
        if (type == TypeG) hr |= 0x40;
    }
    b[at.hr] = hr;

    if (isFlaggedHour(type)) {
        b[at.sc] |= old[at.sc] & 0x80;
        b[at.mn] |= old[at.mn] & 0x80;
        b[at.hr] |= old[at.hr] & 0xC0;
    } else if (type == TypeK) {
        b[at.mn] |= old[at.mn] & 0x80;
    }

    b[at.dt] = bcd(t.tm_mday);
    b[at.mo] = bcd(t.tm_mon + 1);
    b[at.yr] = bcd(t.tm_year % 100);
    b[at.dw] = bcd(isWeekdayFirst(type) ? t.tm_wday + 1 : t.tm_wday);
    if (type == TypeG) b[at.mo] |= old[at.mo] & 0x80;
    if (type == TypeE) b[7] = t.tm_year > 99 ? 0x20 : 0x19;

    auto writeByte = [&](uint8_t subLen, uint32_t address, uint8_t value) {
        return api.Write(board, subLen, slave, address, &value, 1);
    };
    auto writeTime = [&] { return api.Write(board, 1, slave, 0x00, b.data(), 7); };
    // The time, then the write-enable bit cleared again whether or not the
    // time went in; a closing write that fails leaves the chip open to writes,
    // so it is a failure of the whole write too.
    auto writeTimeThenClose = [&](uint32_t address, uint8_t value, uint8_t enableBit) {
        FirstFailure first;
        first.keep(writeTime());
        first.keep(writeByte(1, address, static_cast<uint8_t>(value & ~enableBit)));
        return first.code();
    };

    switch (type) {
    case TypeE:
        // The status register read above shows the part answering.
        if (!Succeeded(result = bus.EnableTypeEWrites())) return result;
        return api.Write(board, 2, slave, kTypeEClock, b.data(), 8);
    case TypeNone:
    case TypeA:
    case TypeB:
    case TypeK:
    case TypeC: {
        const uint32_t status = type == TypeC ? 0x0B : 0x07;
        // Sets WRTC (bit 4), clears the oscillator stop bit 6.
        work = static_cast<uint8_t>((work | 0x1F) & 0xBF);
        if (!Succeeded(result = writeByte(1, status, work))) return result;
        return writeTimeThenClose(status, work, 0x10);
    }
    case TypeD: {
        if (!Succeeded(result = api.Read(board, 1, slave, 0x08, &work, 1))) return result;
        work |= 0x40;
        if (!Succeeded(result = writeByte(1, 0x08, work))) return result;
        return writeTimeThenClose(0x08, work, 0x40);
    }
    case TypeH:
        // WRTC is left set.
        if (!Succeeded(result = writeByte(1, 0x07, work | 0x10))) return result;
        return writeTime();
    case TypeF:
    case TypeG:
    case TypeJ:
        return writeTime();
    }
    return writeTime();
}

SystemTime TmToSystemTime(const std::tm& t)
{
    SystemTime st;
    st.year = static_cast<uint16_t>(t.tm_year + 1900);
    st.month = static_cast<uint16_t>(t.tm_mon + 1);
    st.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
    st.day = static_cast<uint16_t>(t.tm_mday);
    st.hour = static_cast<uint16_t>(t.tm_hour);
    st.minute = static_cast<uint16_t>(t.tm_min);
    st.second = static_cast<uint16_t>(t.tm_sec);
    st.milliseconds = 0;
    return st;
}

std::tm SystemTimeToTm(const SystemTime& st)
{
    std::tm t{};
    t.tm_year = st.year - 1900;
    t.tm_mon = st.month - 1;
    t.tm_wday = st.dayOfWeek;
    t.tm_mday = st.day;
    t.tm_hour = st.hour;
    t.tm_min = st.minute;
    t.tm_sec = st.second;
    t.tm_yday = 0;
    t.tm_isdst = 0;
    return t;
}

std::string ClockTimeText(const std::tm& t, bool is24)
{
    char buf[80];
    if (is24) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    } else {
        const int h12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s", h12, t.tm_min, t.tm_sec,
                      t.tm_hour >= 12 ? "PM" : "AM");
    }
    return buf;
}

std::string ClockDateText(const std::tm& t)
{
    char buf[80];
    const int64_t year = static_cast<int64_t>(t.tm_year) + 1900;
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", t.tm_mon + 1, t.tm_mday,
                  static_cast<int>(((year % 100) + 100) % 100));
    return buf;
}
