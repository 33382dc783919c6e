#include "pages/power/PowerCodec.h"

#include <cstdio>

#include "clock/TimeCodec.h"

namespace {

constexpr const char* kVddTrip[] = {"2.295V", "2.550V", "2.805V",        "3.060V",
                                    "4.250V", "4.675V", "Undefined-110", "Undefined-111"};
constexpr const char* kBattery85[] = {"2.125V", "2.295V", "2.550V", "2.805V",
                                      "3.060V", "4.250V", "4.675V", "Undefined-111"};
constexpr const char* kBattery75[] = {"1.875V", "2.025V", "2.250V", "2.475V",
                                      "2.700V", "3.750V", "4.125V", "Undefined-111"};
constexpr const char* kTrickle[] = {"1300 Ohms", "2200 Ohms", "3600 Ohms", "7800 Ohms"};

// ---- Part choice ----

constexpr ControlSetting kBase[] = {
    Hide("CHKresealb"), Hide("ChkI2CBAT"), Hide("ChkLVENB"), Hide("ChkBHYS"), Hide("GroupTrick"),
};

constexpr ControlSetting kTypeD[] = {
    Show("tsPWR"),
    Hide("ChkBSW"),
    Hide("rbBSW1"),
    Hide("rbBSW2"),
    Show("CHKresealb"),
    // Loading leaves no entry selected.
    SetItems("cboVDDTRIP", kVddTrip),
    SetItems("cbo85BATLEVEL", kBattery85),
    SetItems("cbo75BATLEVEL", kBattery75),
};

constexpr ControlSetting kTypeF[] = {
    Show("tsPWR"),
    Show("ChkI2CBAT"),
    Show("ChkLVENB"),
    Show("ChkBHYS"),
    Show("GroupTrick"),
    Hide("CHKresealb"),
    Hide("ChkBSW"),
    Hide("rbBSW1"),
    Hide("rbBSW2"),
    SetItems("cboTrick", kTrickle),
    SelectItem("cboTrick", 0),
    SetItems("cboVDDTRIP", kVddTrip),
    SetItems("cbo85BATLEVEL", kBattery85),
    SetItems("cbo75BATLEVEL", kBattery75),
};

constexpr SettingList kNothing;

// TypeF VDD register: I2CBAT and LVENB beside the trip level.
constexpr uint8_t kI2cBat = 0x20;
constexpr uint8_t kLvenb = 0x10;
constexpr uint8_t kTrip = 0x07;
// Trickle charger.
constexpr uint8_t kTrken = 0x04;

void twoDigits(std::string& out, int value)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    out += text;
}

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kPowerPageSettings = {
    kBase,
    {kNothing, kNothing, kNothing, kTypeD, kTypeF, kNothing, kNothing, kNothing, kNothing},
};

namespace {
constexpr LampBit kVddTripBits[] = {{{TypeD, TypeF}, StatusSource::Main0, 3}};
constexpr LampBit kBat85Bits[] = {{{TypeD, TypeF}, StatusSource::Main0, 2}};
constexpr LampBit kBat75Bits[] = {{{TypeD, TypeF}, StatusSource::Main0, 1}};
} // namespace

const std::array<StatusLamp, 3> kPowerLamps = {{{"CBSLedVDDTRIP", kVddTripBits},
                                                {"CBSLed85BTRIP", kBat85Bits},
                                                {"CBSLed75BTRIP", kBat75Bits}}};

namespace PowerCodec {

std::span<const char* const> VddTripItems()
{
    return kVddTrip;
}
std::span<const char* const> Battery85Items()
{
    return kBattery85;
}
std::span<const char* const> Battery75Items()
{
    return kBattery75;
}
std::span<const char* const> TrickleItems()
{
    return kTrickle;
}

std::optional<PowerRegisters> RegistersOf(PartType type)
{
    switch (type) {
    case TypeD:
        return PowerRegisters{0x09, 0x0A, 0x16, 0x1B, std::nullopt, 0x0A};
    case TypeF:
        return PowerRegisters{0x11, 0x12, 0x29, 0x2E, 0x10, std::nullopt};
    default:
        return std::nullopt;
    }
}

VddShown DecodeVdd(PartType type, uint8_t vdd)
{
    VddShown shown;
    shown.Trip = vdd & kTrip;
    shown.LowPower = (vdd & 0x80) != 0;
    if (type == TypeF) {
        shown.I2cBat = (vdd & kI2cBat) != 0;
        shown.Lvenb = (vdd & kLvenb) != 0;
    }
    return shown;
}

uint8_t EncodeVdd(PartType type, uint8_t before, const VddChoice& choice)
{
    const uint8_t owned = type == TypeF ? (kI2cBat | kLvenb | kTrip) : kTrip;
    uint8_t vdd = static_cast<uint8_t>(before & ~owned);
    vdd |= static_cast<uint8_t>(choice.Trip & kTrip);
    if (type == TypeF) {
        if (choice.I2cBat) vdd |= kI2cBat;
        if (choice.Lvenb) vdd |= kLvenb;
    }
    return vdd;
}

uint8_t EncodeSwitchMode(uint8_t before, bool lowPower)
{
    return static_cast<uint8_t>((before & 0x7F) | (lowPower ? 0x80 : 0x00));
}

BatteryShown DecodeBattery(uint8_t battery)
{
    return {(battery >> 3) & 0x07, battery & 0x07, (battery & 0x40) != 0};
}

uint8_t EncodeBattery(uint8_t before, int level85, int level75, bool bit6)
{
    uint8_t battery = static_cast<uint8_t>(before & 0x80);
    battery |= static_cast<uint8_t>((level85 & 0x07) << 3);
    battery |= static_cast<uint8_t>(level75 & 0x07);
    if (bit6) battery |= 0x40;
    return battery;
}

TrickleShown DecodeTrickle(uint8_t trickle)
{
    return {trickle & 0x03, (trickle & kTrken) != 0};
}

uint8_t EncodeTrickle(int resistor, bool enabled)
{
    return static_cast<uint8_t>((resistor & 0x03) | (enabled ? kTrken : 0));
}

StampTime DecodeStamp(const std::array<uint8_t, 5>& b)
{
    StampTime t;
    t.Second = BcdToBin(b[0]);
    t.Minute = BcdToBin(b[1]);
    const uint8_t h = b[2];
    if (h & 0x80) {
        t.Hour = BcdToBin(h & 0x3F);
    } else {
        t.Hour = BcdToBin(h & 0x1F);
        if (t.Hour == 12) t.Hour = 0;
        if (h & 0x20) t.Hour += 12;
    }
    t.Day = BcdToBin(b[3]);
    t.Month = b[4] == 0 ? 0 : BcdToBin(b[4]) - 1;
    return t;
}

std::string StampText(const StampTime& t, bool hour24, StampPanel panel)
{
    std::string text;
    twoDigits(text, t.Month + 1);
    text += '/';
    twoDigits(text, t.Day);
    text += hour24 && panel == StampPanel::First ? " - " : "  - ";
    if (hour24) {
        twoDigits(text, t.Hour);
    } else {
        const int twelve = t.Hour % 12 == 0 ? 12 : t.Hour % 12;
        twoDigits(text, twelve);
    }
    text += ':';
    twoDigits(text, t.Minute);
    text += ':';
    twoDigits(text, t.Second);
    if (!hour24) text += t.Hour >= 12 ? " PM" : " AM";
    return text;
}

std::optional<int> WritableEntry(int index, std::span<const char* const> items)
{
    if (index < 0 || index >= static_cast<int>(items.size())) return std::nullopt;
    return index;
}

} // namespace PowerCodec
