#include "pages/sysmgmt/SysMgmtCodec.h"

namespace {

constexpr const char* kVtsItems[] = {
    "4.64V VTS2-0", "4.38V VTS2-0",         "3.09V VTS2-0",         "2.92V VTS2-0",
    "2.63V VTS2-0", "UnDefined VTS2-0 0x5", "UnDefined VTS2-0 0x6", "UnDefined VTS2-0 0x7"};
constexpr const char* kWatchdogItems[] = {"Disabled", "250mSec", "750mSec", "1.75 Sec"};

// ---- Part choice ----

constexpr ControlSetting kBase[] = {
    Show("GroupBox36"),
    Show("GroupBox37"),
    Hide("GroupACMGMT"),
};

constexpr ControlSetting kTypeE[] = {
    // Loading leaves no entry selected: the lists say "Click Read".
    SetItems("cboVTS", kVtsItems),
    SetItems("cboWatchDog", kWatchdogItems),
};

constexpr ControlSetting kTypeF[] = {
    Show("tsSysMgmt"), Hide("GroupBox36"), Hide("GroupBox37"), Show("GroupACMGMT"),
    Show("CBSLed5"),   Show("CBSLed6"),    Show("CBSLed7"),    Darken("CBSLed5"),
    Darken("CBSLed6"), Darken("CBSLed7"),
};

constexpr SettingList kNothing;

// AC_IN bits.
constexpr uint8_t kAc5060 = 0x80;
constexpr uint8_t kAcenb = 0x40;
// FTR: ACMIN beside the digital trim bits 3..0.
constexpr uint8_t kAcmin = 0x10;
// SRAC bits.
constexpr uint8_t kXoscf = 0x10;
constexpr uint8_t kAcfail = 0x02;
constexpr uint8_t kAcrdy = 0x01;

uint8_t field(int value)
{
    return static_cast<uint8_t>(value < 0 ? 0 : value & 0x03);
}

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kSysMgmtPageSettings = {
    kBase,
    {kNothing, kTypeE, kNothing, kNothing, kTypeF, kNothing, kNothing, kNothing, kNothing},
};

namespace {
constexpr LampBit kXoscfBits[] = {{{TypeF}, StatusSource::Main1, 4}};
constexpr LampBit kAcFailBits[] = {{{TypeF}, StatusSource::Main1, 1}};
constexpr LampBit kAcReadyBits[] = {{{TypeF}, StatusSource::Main1, 0}};
} // namespace

const std::array<StatusLamp, 3> kSysMgmtLamps = {{{"CBSLed5", kXoscfBits, OffWhenReadFails},
                                                  {"CBSLed6", kAcFailBits, OffWhenReadFails},
                                                  {"CBSLed7", kAcReadyBits, OffWhenReadFails}}};

namespace SysMgmtCodec {

std::span<const char* const> VtsItems()
{
    return kVtsItems;
}

std::span<const char* const> WatchdogItems()
{
    return kWatchdogItems;
}

uint8_t EncodeVts(uint8_t before, int index)
{
    return static_cast<uint8_t>((before & ~0x07) | (index & 0x07));
}

int WatchdogIndex(uint8_t bl)
{
    return 3 - ((bl >> 3) & 0x03);
}

uint8_t EncodeWatchdog(uint8_t before, int index)
{
    const int bits = 3 - (index & 0x03);
    return static_cast<uint8_t>((before & ~0x18) | (bits << 3));
}

std::optional<int> WritableEntry(int index, std::span<const char* const> items)
{
    if (index < 0 || index >= static_cast<int>(items.size())) return std::nullopt;
    return index;
}

AcSetup DecodeAc(uint8_t acIn, uint8_t ftr)
{
    AcSetup setup;
    setup.Hz50 = (acIn & kAc5060) != 0;
    setup.AcDisabled = (acIn & kAcenb) != 0;
    setup.RecoveryPeriod = (acIn >> 4) & 0x03;
    setup.FailureCycles = (acIn >> 2) & 0x03;
    setup.FailCriterion = acIn & 0x03;
    setup.AcMinimum = (ftr & kAcmin) ? 1 : 0;
    return setup;
}

AcBytes EncodeAc(uint8_t ftrBefore, const AcSetup& setup)
{
    AcBytes bytes;
    if (setup.Hz50) bytes.AcIn |= kAc5060;
    if (setup.AcDisabled) bytes.AcIn |= kAcenb;
    bytes.AcIn |= static_cast<uint8_t>(field(setup.RecoveryPeriod) << 4);
    bytes.AcIn |= static_cast<uint8_t>(field(setup.FailureCycles) << 2);
    bytes.AcIn |= field(setup.FailCriterion);
    bytes.Ftr = static_cast<uint8_t>(ftrBefore & ~kAcmin);
    if (setup.AcMinimum == 1) bytes.Ftr |= kAcmin;
    return bytes;
}

AcStatus DecodeAcStatus(uint8_t srac, uint8_t accnt)
{
    AcStatus status;
    status.Xoscf = (srac & kXoscf) != 0;
    status.AcFail = (srac & kAcfail) != 0;
    status.AcReady = (srac & kAcrdy) != 0;
    status.Counter = accnt;
    return status;
}

} // namespace SysMgmtCodec
