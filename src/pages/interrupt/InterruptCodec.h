// What the Interrupt page needs that is no widget: its part of the part
// choice, where each family keeps its frequency-output choice and how the list
// index maps onto that register, and the VK390 user timer's register fields,
// texts and checks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PartSelection.h"
#include "StatusLayout.h"

// Base state: the frequency group's captions, the A1E box and its note, the
// timer group and the TSE refresh group hidden, the timer lists loaded. Each
// family block loads the frequency list (TypeNone, TypeA and TypeB get theirs
// from the page's own step, because VK331 names its first entry differently)
// and shows or hides the FOBATB box; TypeH shows the A1E box, VK390 the timer
// group, TypeD the TSE refresh group with its list at "Off".
extern const PageSettingsTable kInterruptPageSettings;

// The user timer's flag lamp CBSLed11 (VK390's TMR); a failed status read
// leaves it as it was.
extern const std::array<StatusLamp, 1> kInterruptLamps;

namespace InterruptCodec {

// ---- Frequency output ----

// The frequency list as the page is built, before any part choice.
std::span<const char* const> DesignFreqItems();

// The frequency list of the TypeNone, TypeA and TypeB parts: VK331 has "0Hz"
// as its first entry where the others have "0Hz (EN IRQ#)". The group and
// list captions of VK331 differ too; empty for the parts that keep the base
// captions.
std::span<const char* const> FreqItemsOfPart(std::string_view partName);
struct FreqCaptions {
    const char* Group = nullptr; // GroupBox10
    const char* Label = nullptr; // Label25
};
FreqCaptions FreqCaptionsOfPart(std::string_view partName);

// The register that holds a family's frequency choice; nullopt for the
// families without one (TypeNone, TypeC, TypeJ).
std::optional<uint8_t> FreqRegister(PartType type);

// The entry of the TypeH list that routes alarm 1 to the pin (IRQE set); the
// A1E box is usable only with it.
constexpr int kAlarm1Index = 4;
constexpr bool A1eUsable(int index)
{
    return index == kAlarm1Index;
}

// What the page's controls say.
struct FreqChoice {
    int Index = 0;       // FreqOutSel
    bool Fobatb = false; // cbFOBATB: no frequency output on battery
    bool A1e = false;    // ChkBA1E (TypeH)
};

// The register byte a Write sends: before is what the chip held; the bits the
// page does not own keep their value.
uint8_t EncodeFreq(PartType type, uint8_t before, const FreqChoice& choice);

// What a Read shows.
struct FreqShown {
    int Index = 0;
    std::optional<bool> Fobatb;      // families with the FOBATB bit
    std::optional<bool> A1e;         // TypeH: ChkBA1E's check
    std::optional<bool> A1eUsable;   // TypeH: ChkBA1E enabled
    std::optional<uint8_t> NewImage; // TypeE keeps only the frequency bits in the image
};
FreqShown DecodeFreq(PartType type, uint8_t reg);

// ---- VK390 user timer ----

constexpr uint8_t kStatusRegister = 0x07;
constexpr uint8_t kTmrFlag = 0x08;      // TMR, bit 3 of the status register
constexpr uint8_t kStatusFlags = 0x0F;  // RTCF, BATT, ALM, TMR
constexpr uint8_t kIntRegister = 0x08;  // IRQ2E, IRQ1E beside the frequency bits
constexpr uint8_t kTmrcRegister = 0x09; // timer control
constexpr uint8_t kTdatRegister = 0x12; // initial value
constexpr uint8_t kTvalRegister = 0x13; // counter, read only
constexpr uint8_t kTsubRegister = 0x14; // sub-count, write only

// The status byte that clears TMR alone: the other flags are written as 1,
// which leaves them as the chip has them, even one set since the read.
constexpr uint8_t StatusClearingTmr(uint8_t status)
{
    return static_cast<uint8_t>((status | kStatusFlags) & ~kTmrFlag);
}

struct TimerSetup {
    bool Irq1e = false;    // chkIRQ1E: alarm instead of FOUT on IRQ1
    bool Irq2e = false;    // chkIRQ2E: timer instead of alarm on IRQ2
    bool Enable = false;   // cbTimerEnable (TMRE)
    bool Periodic = false; // chkbTimerTIM (TIM)
    int Clock = 0;         // cboTimerFreq, TCLK1..0
    int Mode = 0;          // cboTmrMode, TMOD1..0
};

TimerSetup DecodeTimer(uint8_t intReg, uint8_t tmrc);

struct TimerBytes {
    uint8_t Int = 0;
    uint8_t Tmrc = 0;
};
// INT keeps all but IRQ2E and IRQ1E; TMRC keeps only its bits 3..2.
TimerBytes EncodeTimer(uint8_t intBefore, uint8_t tmrcBefore, const TimerSetup& setup);

// A timer register box is a byte box (ParseHexByte). A byte as the boxes
// show it: two upper-case hexadecimal digits.
std::string TimerHex(uint8_t value);

// The texts that follow the check boxes.
const char* Irq1eText(bool checked);
const char* Irq2eText(bool checked);
enum class SetBy { Click, Read };
const char* TimText(bool periodic, SetBy by);

// The clock-source check: the 100Hz/4kHz clock does not serve the watchdog
// and power-fail modes. Empty when the pair is fine. The check after a change
// of the mode list spells "Watchdog", the others "WatchDog".
enum class CheckAfter { ClockOrRead, ModeChange };
std::string ClockSourceMessage(int clock, int mode, CheckAfter after);

// ---- TSE refresh (TypeD) ----

// The refresh list: "Off", then "1" to "10" seconds; an entry's index is its period.
std::span<const char* const> TseRefreshItems();

// One second of the refresh: counts towards the period (0 = off) and tells
// whether TSE is written now, when the count reaches the period (or stands
// past it) and starts over.
bool TseRefreshDue(int period, int& count);

} // namespace InterruptCodec
