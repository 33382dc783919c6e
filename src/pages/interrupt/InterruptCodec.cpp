#include "pages/interrupt/InterruptCodec.h"

#include <cstdio>

namespace {

// ---- Lists ----

constexpr const char* kF16[] = {
    "0Hz (EN IRQ#)", "32768 Hz", "4096 Hz", "1024 Hz", "64 Hz",  "32 Hz",  "16 Hz",   "8 Hz",
    "4 Hz",          "2 Hz",     "1 Hz",    "1/2 Hz",  "1/4 Hz", "1/8 Hz", "1/16 Hz", "1/32 Hz"};
// VK331 drives no interrupt at code 0.
constexpr const char* kF16NoIrq[] = {"0Hz",    "32768 Hz", "4096 Hz", "1024 Hz", "64 Hz", "32 Hz",
                                     "16 Hz",  "8 Hz",     "4 Hz",    "2 Hz",    "1 Hz",  "1/2 Hz",
                                     "1/4 Hz", "1/8 Hz",   "1/16 Hz", "1/32 Hz"};
constexpr const char* kFreqDesign[] = {
    "0 Hz", "32768 Hz", "4096 Hz", "1024 Hz", "64 Hz",  "32 Hz",  "16 Hz",   "8 Hz",
    "4 Hz", "2 Hz",     "1 Hz",    "1/2 Hz",  "1/4 Hz", "1/8 Hz", "1/16 Hz", "1/32 Hz"};
constexpr const char* kFreqE[] = {"0 Hz (EN IRQ#)", "32768 Hz", "4096 Hz", "1 Hz"};
constexpr const char* kFreqF[] = {"32768 Hz", "16372 Hz", "8192 Hz", "4096 Hz",
                                  "50/60 Hz", "1 Hz",     "Low",     "High"};
constexpr const char* kFreqG[] = {"1 Hz", "4096 Hz", "8192 Hz", "32768 Hz"};
constexpr const char* kFreqH[] = {"1 Hz", "4096 Hz", "8192 Hz", "32768 Hz", "Alarm1 (Set IRQE)"};
constexpr const char* kFreqK[] = {"32768 Hz", "4096 Hz", "512 Hz", "1 Hz"};
constexpr std::span<const char* const> kNoItems;

// Seconds between TSE refreshes, "Off" first.
constexpr const char* kTseRefreshItems[] = {"Off", "1", "2", "3", "4", "5",
                                            "6",   "7", "8", "9", "10"};

constexpr const char* kTimerClocks[] = {"100Hz/4kHz", "1Sec/100Hz", "1Min/1Sec", "1hr/1min"};
constexpr const char* kTimerModes[] = {"Basic Count Down", "Secondary Alarm", "WatchDog",
                                       "Power Fail - Count Up"};

// ---- Part choice ----

constexpr ControlSetting kBase[] = {
    SetCaption("tsInterrupt", "Interrupt"),
    SetCaption("GroupBox10", "Frequency Out (FO) or Alarm on IRQ pin"),
    SetCaption("Label25", "Frequency (FO) or Alarm1 Select"),
    SetCaption("ChkBA1E", "A1E Alarm / IRQ Enable"),
    Hide("ChkBA1E"),
    // A1E is usable with the alarm entry only, and no block selects it.
    Enable("ChkBA1E", false),
    Hide("Label99"),
    Hide("GrpBoxTimer"),
    Hide("gbTSEREFRESH"),
    SetItems("cboTimerFreq", kTimerClocks),
    SetItems("cboTmrMode", kTimerModes),
    // List F16 for the TypeA/TypeB block, whether or not the page is shown
    // ("Not Selected" hides it); the page's own step, which runs for a shown
    // page before the blocks, gives VK331 its own first entry, and every
    // other family's block loads its own list.
    SetItems("FreqOutSel", kF16),
};

constexpr ControlSetting kNoneAB[] = {
    SelectItem("FreqOutSel", 0),
    Show("cbFOBATB"),
};

constexpr ControlSetting kTypeE[] = {
    SetCaption("GroupBox10", "Frequency out (FO) or Alarm IRQ# Select"),
    SetCaption("Label25", "Frequency (FO) or Alarm Select"),
    SetItems("FreqOutSel", kFreqE),
    SelectItem("FreqOutSel", 0),
    Hide("cbFOBATB"),
};

constexpr ControlSetting kTypeC[] = {
    SetItems("FreqOutSel", kNoItems),
};

constexpr ControlSetting kTypeD[] = {
    SetItems("FreqOutSel", kF16),
    SelectItem("FreqOutSel", 0),
    Show("cbFOBATB"),
    // The TSE refresh group, at "Off".
    Show("gbTSEREFRESH"),
    SetItems("cboTSEREFRESH", kTseRefreshItems),
    SelectItem("cboTSEREFRESH", 0),
};

constexpr ControlSetting kTypeF[] = {
    SetItems("FreqOutSel", kFreqF),
    SelectItem("FreqOutSel", 0),
    Show("cbFOBATB"),
};

constexpr ControlSetting kTypeG[] = {
    SetCaption("tsInterrupt", "FOUT Freq."),
    SetItems("FreqOutSel", kFreqG),
    SelectItem("FreqOutSel", 3),
    Hide("cbFOBATB"),
};

constexpr ControlSetting kTypeH[] = {
    SetCaption("tsInterrupt", "FOUT && IRQ"),
    Show("ChkBA1E"),
    SetCaption("ChkBA1E", "Enable Alarm1 INTR Output (Set A1E)"),
    Show("Label99"),
    SetCaption("GroupBox10", "Frequency Out (FO) or Alarm on IRQ pin"),
    SetCaption("Label25", "Frequency (FO) or Alarm1 Select"),
    SetItems("FreqOutSel", kFreqH),
    SelectItem("FreqOutSel", 3),
    Hide("cbFOBATB"),
};

constexpr ControlSetting kTypeJ[] = {
    SetCaption("tsInterrupt", "FOUT Freq."),
    SetItems("FreqOutSel", kNoItems),
    Hide("cbFOBATB"),
};

constexpr ControlSetting kVK390[] = {
    SetCaption("tsInterrupt", "Interrupts && User Timer"),
    Show("GrpBoxTimer"),
    SetItems("FreqOutSel", kFreqK),
    SelectItem("FreqOutSel", 0),
    Show("cbFOBATB"),
    SetItems("cboTimerFreq", kTimerClocks),
    SetItems("cboTmrMode", kTimerModes),
};

// ---- Frequency register per family ----

constexpr uint8_t kFobatb = 0x10;

struct FreqLayout {
    uint8_t Register;
    uint8_t CodeMask; // the list index's bits in the register
    uint8_t CodeShift;
    bool HasFobatb;
};

std::optional<FreqLayout> LayoutOf(PartType type)
{
    switch (type) {
    case TypeA:
    case TypeB:
    case TypeD:
        return FreqLayout{0x08, 0x0F, 0, true};
    case TypeF:
        return FreqLayout{0x0D, 0x0F, 0, true};
    case TypeK:
        return FreqLayout{0x08, 0x03, 0, true};
    case TypeE:
        return FreqLayout{0x11, 0x18, 3, false};
    case TypeG:
        return FreqLayout{0x0E, 0x18, 3, false};
    default:
        return std::nullopt;
    }
}

// TypeH keeps its choice in its control register 0x08 beside IRQE, which
// routes alarm 1 to the pin instead of the frequency, and A1E, which enables
// that alarm's interrupt; its own rules follow.
constexpr uint8_t kTypeHRegister = 0x08;
constexpr uint8_t kIrqe = 0x04;
constexpr uint8_t kA1e = 0x01;

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kInterruptPageSettings = {
    kBase,
    {kNoneAB, kTypeE, kTypeC, kTypeD, kTypeF, kTypeG, kTypeH, kTypeJ, kVK390},
};

namespace {
constexpr LampBit kTimerBits[] = {{{TypeK}, StatusSource::Main0, 3}};
} // namespace

const std::array<StatusLamp, 1> kInterruptLamps = {
    {{"CBSLed11", kTimerBits, OffWhenPollingStops | OffWhenClosed}}};

namespace InterruptCodec {

std::span<const char* const> DesignFreqItems()
{
    return kFreqDesign;
}

std::span<const char* const> FreqItemsOfPart(std::string_view partName)
{
    if (partName == "VK331") return kF16NoIrq;
    return kF16;
}

FreqCaptions FreqCaptionsOfPart(std::string_view partName)
{
    if (partName == "VK331") return {"Frequency Out on Interrupt Pin", "Frequency Out (FO)"};
    return {};
}

std::optional<uint8_t> FreqRegister(PartType type)
{
    if (type == TypeH) return kTypeHRegister;
    const std::optional<FreqLayout> layout = LayoutOf(type);
    if (!layout) return std::nullopt;
    return layout->Register;
}

uint8_t EncodeFreq(PartType type, uint8_t before, const FreqChoice& choice)
{
    if (type == TypeH) {
        uint8_t reg = static_cast<uint8_t>(before & ~(kIrqe | kA1e));
        if (choice.Index == kAlarm1Index) {
            // The frequency bits stay as they were: the pin shows the alarm.
            reg |= kIrqe;
            if (choice.A1e) reg |= kA1e;
        } else {
            reg = static_cast<uint8_t>((reg & ~0x18) | ((choice.Index & 3) << 3));
        }
        return reg;
    }
    const std::optional<FreqLayout> layout = LayoutOf(type);
    if (!layout) return before;
    const uint8_t owned =
        static_cast<uint8_t>(layout->CodeMask | (layout->HasFobatb ? kFobatb : 0));
    uint8_t reg = static_cast<uint8_t>(before & ~owned);
    reg |= static_cast<uint8_t>((choice.Index << layout->CodeShift) & layout->CodeMask);
    if (layout->HasFobatb && choice.Fobatb) reg |= kFobatb;
    return reg;
}

FreqShown DecodeFreq(PartType type, uint8_t reg)
{
    FreqShown shown;
    if (type == TypeH) {
        const bool alarm = (reg & kIrqe) != 0;
        shown.Index = alarm ? kAlarm1Index : (reg >> 3) & 3;
        shown.A1e = (reg & kA1e) != 0;
        shown.A1eUsable = alarm;
        return shown;
    }
    const std::optional<FreqLayout> layout = LayoutOf(type);
    if (!layout) return shown;
    shown.Index = (reg & layout->CodeMask) >> layout->CodeShift;
    if (layout->HasFobatb) shown.Fobatb = (reg & kFobatb) != 0;
    if (type == TypeE) shown.NewImage = static_cast<uint8_t>(reg & layout->CodeMask);
    return shown;
}

// ---- Timer ----

TimerSetup DecodeTimer(uint8_t intReg, uint8_t tmrc)
{
    TimerSetup setup;
    setup.Irq1e = (intReg & 0x04) != 0;
    setup.Irq2e = (intReg & 0x08) != 0;
    setup.Enable = (tmrc & 0x40) != 0;
    setup.Periodic = (tmrc & 0x80) != 0;
    setup.Clock = tmrc & 0x03;
    setup.Mode = (tmrc >> 4) & 0x03;
    return setup;
}

TimerBytes EncodeTimer(uint8_t intBefore, uint8_t tmrcBefore, const TimerSetup& setup)
{
    TimerBytes bytes;
    bytes.Int = static_cast<uint8_t>(intBefore & ~0x0C);
    if (setup.Irq1e) bytes.Int |= 0x04;
    if (setup.Irq2e) bytes.Int |= 0x08;
    bytes.Tmrc = static_cast<uint8_t>(tmrcBefore & 0x0C);
    if (setup.Enable) bytes.Tmrc |= 0x40;
    if (setup.Periodic) bytes.Tmrc |= 0x80;
    bytes.Tmrc |= static_cast<uint8_t>(setup.Clock & 0x03);
    bytes.Tmrc |= static_cast<uint8_t>((setup.Mode & 0x03) << 4);
    return bytes;
}

std::string TimerHex(uint8_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

const char* Irq1eText(bool checked)
{
    return checked ? "Alarm IRQ, click to switch" : "FOUT, click to switch";
}

const char* Irq2eText(bool checked)
{
    return checked ? "Timer IRQ, click to switch" : "Alarm IRQ, click to switch";
}

const char* TimText(bool periodic, SetBy by)
{
    if (periodic) return "Periodic Event, click to switch";
    return by == SetBy::Click ? "Single Event, click to switch)" : "Single Event, click to switch";
}

std::span<const char* const> TseRefreshItems()
{
    return kTseRefreshItems;
}

bool TseRefreshDue(int period, int& count)
{
    if (period <= 0) return false;
    if (count < period) ++count;
    // A count that reached the period, or stands past it, writes now.
    if (count < period) return false;
    count = 0;
    return true;
}

std::string ClockSourceMessage(int clock, int mode, CheckAfter after)
{
    if (clock != 0) return {};
    if (mode == 3) return "Power Fail TCLK = 00 Error";
    if (mode == 2)
        return after == CheckAfter::ModeChange ? "Watchdog TCLK = 00 Error"
                                               : "WatchDog TCLK = 00 Error";
    return {};
}

} // namespace InterruptCodec
