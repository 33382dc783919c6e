// What the System management page needs that is no widget: its part of the
// part choice, the reset threshold (VTS) and watchdog fields of the TypeE
// supervisors, and the VK370 AC mains input with its status and counter.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "PartSelection.h"
#include "StatusLayout.h"

// Base state: the VTS and watchdog groups shown, the AC group hidden. TypeE
// loads the VTS and watchdog lists with nothing selected; TypeF swaps the
// groups and shows its three AC lamps dark.
extern const PageSettingsTable kSysMgmtPageSettings;

// The AC group's lamps: XOSCF, ACFAIL and ACRDY of TypeF's second status
// byte; only a failed status read switches them off.
extern const std::array<StatusLamp, 3> kSysMgmtLamps;

namespace SysMgmtCodec {

// ---- TypeE: reset threshold and watchdog (two-byte sub-addresses) ----

constexpr uint8_t kPwrRegister = 0x14; // SBIB BSW - - - VTS2 VTS1 VTS0
constexpr uint8_t kBlRegister = 0x10;  // BP2 BP1 BP0 WD1 WD0 - - -

std::span<const char* const> VtsItems();
std::span<const char* const> WatchdogItems();

// A Read keeps only the field's bits in the register image and selects the
// entry they name.
constexpr int VtsIndex(uint8_t pwr)
{
    return pwr & 0x07;
}
constexpr uint8_t VtsImage(uint8_t pwr)
{
    return pwr & 0x07;
}
// The PWR byte a Write sends: before is what the chip held; SBIB and BSW stay.
uint8_t EncodeVts(uint8_t before, int index);

// WD1..0 count down as the list counts up: 11 "Disabled", 10 "250mSec",
// 01 "750mSec", 00 "1.75 Sec".
int WatchdogIndex(uint8_t bl);
constexpr uint8_t WatchdogImage(uint8_t bl)
{
    return bl & 0x18;
}
// The block protection BP2..BP0 stays as the chip holds it.
uint8_t EncodeWatchdog(uint8_t before, int index);

// A list entry a Write may send: one of the list's own; nullopt for none
// chosen (the list still says "Click Read") or anything else.
std::optional<int> WritableEntry(int index, std::span<const char* const> items);

// ---- TypeF (VK370): the AC mains input ----

constexpr uint8_t kAcInRegister = 0x13; // AC_IN, then FTR at 0x14
constexpr uint8_t kSracRegister = 0x09; // SRAC, then ACCNT at 0x0A

// What the AC group shows and writes. Each radio group is its field's value
// (0 to 3, or 0 and 1 for the minimum), -1 for a group with none selected.
struct AcSetup {
    bool Hz50 = false;       // AC5060: rb50HZ, else rb60HZ
    bool AcDisabled = false; // ACENB: chkDisableAC
    int RecoveryPeriod = -1; // ACRP: rbTime2 .. rbTime16
    int FailureCycles = -1;  // ACFP: rbACF0 .. rbACF3
    int FailCriterion = -1;  // ACFC: rbACFC0 .. rbACFC3
    int AcMinimum = -1;      // ACMIN in FTR: rbACMIN0, rbACMIN1
};

AcSetup DecodeAc(uint8_t acIn, uint8_t ftr);

struct AcBytes {
    uint8_t AcIn = 0;
    uint8_t Ftr = 0;
};
// AC_IN is built from the page alone (a group with none selected gives 0);
// FTR keeps its digital trim bits as read and takes ACMIN from the page.
AcBytes EncodeAc(uint8_t ftrBefore, const AcSetup& setup);

// The status lamps and the failure counter.
struct AcStatus {
    bool Xoscf = false;   // CBSLed5
    bool AcFail = false;  // CBSLed6
    bool AcReady = false; // CBSLed7
    int Counter = 0;      // txtACCNT, decimal
};
AcStatus DecodeAcStatus(uint8_t srac, uint8_t accnt);

} // namespace SysMgmtCodec
