#include "pages/event/EventCodec.h"

#include <cstdio>

#include "clock/TimeCodec.h"

namespace {

// ---------------------------------------------------------------------------
// The page's part of the part choice. Hidden before shown, so that a choice
// never passes through a state holding both families' controls.

constexpr ControlSetting kBase[] = {
    SetCaption("BtnClrEvent", "Clear Event"),
    Hide("CheckBoxEVIM"),
    Hide("TimeStampPnl1"),
    Hide("TimeStampPnl2"),
    Hide("TimeStampPnl3"),
    Hide("GroupEVTLabels"),
    Hide("Label112"),
    Hide("Label83"),
    Hide("txtEVCNT"),
    Show("ChkBoxRTCHLT"),
    Show("ChkBoxEVIENB"),
    Show("LedEvent"),
    Show("Label38"),
};

constexpr ControlSetting kTypeF[] = {
    SetCaption("BtnClrEvent", "CLR/Tstamps Cntr"),
    Hide("ChkBoxRTCHLT"),
    Hide("ChkBoxEVIENB"),
    Hide("LedEvent"),
    Hide("Label38"),
    Show("CheckBoxEVIM"),
    Show("TimeStampPnl1"),
    Show("TimeStampPnl2"),
    Show("TimeStampPnl3"),
    Show("GroupEVTLabels"),
    Show("Label112"),
    Show("Label83"),
    Show("txtEVCNT"),
};

// Configuration bits.
constexpr uint8_t kSampleMask = 0x03;
constexpr uint8_t kHysteresisMask = 0x0C;
constexpr uint8_t kEven = 0x10;
constexpr uint8_t kBit5 = 0x20; // RTCHLT (TypeA, TypeB) or EVIM (TypeF)
constexpr uint8_t kEvbatb = 0x40;
constexpr uint8_t kEvienb = 0x80;

bool isAB(PartType type)
{
    return type == TypeA || type == TypeB;
}

uint8_t listCode(int index)
{
    return index >= 0 && index <= 3 ? static_cast<uint8_t>(index) : 0;
}

} // namespace

const PageSettingsTable kEventPageSettings = {
    kBase,
    {{{}, {}, {}, {}, kTypeF, {}, {}, {}, {}}},
};

namespace {
constexpr LampBit kEventBits[] = {{{TypeNone, TypeA, TypeB, TypeE}, StatusSource::Main0, 3}};
} // namespace

const std::array<StatusLamp, 1> kEventLamps = {
    {{"LedEvent", kEventBits, OffWhenPollingStops | OffWhenReadFails | OffWhenClosed}}};

namespace EventCodec {

std::optional<uint8_t> ConfigRegister(PartType type)
{
    if (isAB(type)) return 0x09;
    if (type == TypeF) return 0x0E;
    return std::nullopt;
}

uint8_t EncodeConfig(PartType type, const EventConfig& config)
{
    uint8_t value =
        static_cast<uint8_t>(listCode(config.SampleRate) | (listCode(config.Hysteresis) << 2));
    if (config.Enable) value |= kEven;
    if (config.BatteryDisable) value |= kEvbatb;
    if (isAB(type)) {
        if (config.Halt) value |= kBit5;
        if (config.CurrentOff) value |= kEvienb;
    } else if (type == TypeF) {
        if (config.PulseMode) value |= kBit5;
    }
    return value;
}

ShownConfig DecodeConfig(PartType type, uint8_t value)
{
    ShownConfig shown;
    shown.SampleRate = value & kSampleMask;
    shown.Hysteresis = (value & kHysteresisMask) >> 2;
    shown.Enable = (value & kEven) != 0;
    shown.BatteryDisable = (value & kEvbatb) != 0;
    if (isAB(type)) {
        shown.Halt = (value & kBit5) != 0;
        shown.CurrentOff = (value & kEvienb) != 0;
    } else if (type == TypeF) {
        shown.PulseMode = (value & kBit5) != 0;
    }
    return shown;
}

uint8_t ClearedStatus(uint8_t status)
{
    return static_cast<uint8_t>((status | kStatusFlags) & ~kEvtBit);
}

std::tm DecodeStamp(const uint8_t* b)
{
    std::tm t{};
    t.tm_sec = BcdToBin(b[0]);
    t.tm_min = BcdToBin(b[1]);
    if ((b[2] & 0x80) != 0) {
        t.tm_hour = BcdToBin(b[2] & 0x3F);
    } else {
        int h = BcdToBin(b[2] & 0x1F);
        if (h == 12) h = 0;
        if ((b[2] & 0x20) != 0) h += 12;
        t.tm_hour = h;
    }
    t.tm_mday = BcdToBin(b[3]);
    t.tm_mon = b[4] == 0 ? 0 : BcdToBin(b[4]) - 1;
    t.tm_year = BcdToBin(b[5]) + 100;
    return t;
}

std::string StampText(const std::tm& t, PartType type, int index, bool is24)
{
    // TypeF's 12-hour form and its last two panels' 24-hour form carry a
    // second space before the dash.
    const bool wide = type == TypeF && (!is24 || index >= 2);
    const char* dash = wide ? "  - " : " - ";
    char text[80];
    if (is24) {
        std::snprintf(text, sizeof text, "%02d/%02d%s%02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, dash,
                      t.tm_hour, t.tm_min, t.tm_sec);
    } else {
        const int h12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
        std::snprintf(text, sizeof text, "%02d/%02d%s%02d:%02d:%02d %s", t.tm_mon + 1, t.tm_mday,
                      dash, h12, t.tm_min, t.tm_sec, t.tm_hour >= 12 ? "PM" : "AM");
    }
    return text;
}

} // namespace EventCodec
