#include "BitHints.h"

#include <array>
#include <cstdio>
#include <vector>

namespace {

struct Meaning {
    const char* Name;
    const char* Text;
};

// Status, flag and control bits whose names alone say little.
constexpr std::array<Meaning, 33> kMeanings{{
    {"RTCF", "the clock lost its supply and is not set"},
    {"PF", "the supply failed, the clock may be wrong"},
    {"BAT", "the chip ran on its battery"},
    {"BATT", "the chip ran on its battery"},
    {"BMODE", "the chip runs on its battery"},
    {"ALM", "the alarm matched"},
    {"ALM0", "alarm 0 matched"},
    {"ALM1", "alarm 1 matched"},
    {"AL0", "alarm 0 matched"},
    {"AL1", "alarm 1 matched"},
    {"A1F", "alarm 1 matched"},
    {"A2F", "alarm 2 matched"},
    {"EVT", "an event was detected"},
    {"TMR", "the user timer ran out"},
    {"OSF", "the oscillator stopped"},
    {"OF", "the oscillator failed"},
    {"OSCF", "the oscillator failed"},
    {"XOSCF", "the crystal oscillator failed"},
    {"XSTOP", "the crystal oscillator stops on battery"},
    {"ARST", "flags clear themselves when the status is read"},
    {"DSTADJ", "the clock changed for daylight saving"},
    {"LVDD", "VDD fell below its trip level"},
    {"LBAT85", "the battery fell below its 85% trip level"},
    {"LBAT75", "the battery fell below its 75% trip level"},
    {"BUSY", "the chip is busy measuring its temperature"},
    {"ACFAIL", "the AC mains input failed"},
    {"ACRDY", "the AC mains input is ready"},
    {"WRTC", "writes to the clock registers are enabled"},
    {"WEL", "the write enable latch is set"},
    {"RWEL", "register writes are enabled"},
    {"RESEAL", "the battery is sealed off until VDD returns"},
    {"MIL", "the clock counts 24 hours"},
    {"OUT", "the output pin's level"},
}};

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

} // namespace

std::string_view BitMeaning(std::string_view bitName)
{
    for (const Meaning& meaning : kMeanings) {
        if (bitName == meaning.Name) return meaning.Text;
    }
    return {};
}

std::string BitHint(const RegMapEntry& row, int bit)
{
    std::string hint = Hex2(row.Address) + " bit " + std::to_string(bit);
    const char* name = (bit >= 0 && bit < 8) ? row.BitNames[static_cast<size_t>(7 - bit)] : "";
    if (name == nullptr || name[0] == '\0') return hint + ": not used";
    std::string_view meaning = BitMeaning(name);
    if (meaning.empty()) meaning = row.Caption;
    return hint + " " + name + ": " + std::string(meaning);
}

uint16_t StatusSourceAddress(PartType type, StatusSource source)
{
    const StatusReads& reads = StatusReadsFor(type);
    switch (source) {
    case StatusSource::Main1:
        return static_cast<uint16_t>(reads.Main.Address + 1);
    case StatusSource::Second:
        return reads.Second.Address;
    case StatusSource::Main0:
        break;
    }
    return reads.Main.Address;
}

std::string LampHint(const PartInfo& part, const StatusLamp& lamp)
{
    const LampBit* bit = BitFor(lamp, part.TypeCode);
    if (bit == nullptr || part.RegisterMap == nullptr) return {};
    const uint16_t address = StatusSourceAddress(part.TypeCode, bit->Source);
    const RegMapEntry* row = FindRegister(part.RegisterMap, static_cast<uint8_t>(address));
    if (row == nullptr) return Hex2(address) + " bit " + std::to_string(bit->Bit);
    return BitHint(*row, bit->Bit);
}

std::string PartFeatureHint(const PartInfo& part)
{
    if (part.TypeCode == TypeNone) return "Choose the part in the board's socket";
    std::vector<std::string> features;
    if (part.AlarmCount == 1) features.emplace_back("1 alarm");
    if (part.AlarmCount > 1) features.push_back(std::to_string(part.AlarmCount) + " alarms");
    if (part.HasTimeStamp) features.emplace_back("time stamp");
    if (part.HasWatchdog) features.emplace_back("watchdog");
    if (part.HasShipGuard) features.emplace_back("ShipGuard");
    if (part.HasBatteryBackup) features.emplace_back("battery backup");
    if (part.HasEventDetect) features.emplace_back("event detect");
    if (part.HasIrqOutput) features.emplace_back("IRQ output");
    if (part.HasFreqOut) features.emplace_back("frequency out");
    if (part.EepromBytes != 0) features.push_back(std::to_string(part.EepromBytes) + "-byte EEPROM");
    if (part.SramBytes != 0) features.push_back(std::to_string(part.SramBytes) + "-byte SRAM");
    std::string line = std::string(part.PartName) + ":";
    for (size_t i = 0; i < features.size(); ++i)
        line += (i == 0 ? " " : ", ") + features[i];
    if (features.empty()) line += " clock only";
    return line;
}
