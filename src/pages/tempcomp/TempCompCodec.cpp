#include "pages/tempcomp/TempCompCodec.h"

#include <array>
#include <charconv>

namespace {

// ---- Lists ----

constexpr char kHexDigit[] = "0123456789ABCDEF";

// "00" to "FF" as text, and the pointers the lists are made of.
constexpr auto kHexText = [] {
    std::array<std::array<char, 3>, 256> text{};
    for (int i = 0; i < 256; ++i)
        text[i] = {kHexDigit[i >> 4], kHexDigit[i & 0x0F], '\0'};
    return text;
}();
constexpr auto kHexItems = [] {
    std::array<const char*, 256> items{};
    for (int i = 0; i < 256; ++i)
        items[i] = kHexText[i].data();
    return items;
}();
constexpr std::span<const char* const> kHex256(kHexItems);
constexpr std::span<const char* const> kHex32 = kHex256.first(32);

// IATR: field 0 is +32, field 32 is +00, field 63 is -31.
constexpr auto kIatrText = [] {
    std::array<std::array<char, 4>, 64> text{};
    for (int field = 0; field < 64; ++field) {
        const int value = 32 - field;
        const int size = value < 0 ? -value : value;
        text[field] = {value < 0 ? '-' : '+', static_cast<char>('0' + size / 10),
                       static_cast<char>('0' + size % 10), '\0'};
    }
    return text;
}();
constexpr auto kIatrItems = [] {
    std::array<const char*, 64> items{};
    for (int i = 0; i < 64; ++i)
        items[i] = kIatrText[i].data();
    return items;
}();

constexpr const char* kIdtrItems[] = {"Default / Disabled", "+32 ppm", "0 ppm", "-32 ppm"};

// The final digital trim texts by FDTR4..0, spelt as the part's documentation
// spells them.
constexpr const char* kFdtrTexts[32] = {
    // Bit 4 clear: 0 to 10 steps of 30.5 ppm up, then five undefined codes.
    "0 ppm", "30.5 ppm", "61 ppm", "91.5 ppm", "122 ppm", "152.5 ppm", "183 ppm", "213.5 ppm",
    "244 ppm", "274.5 ppm", "305 ppm", "TBD(0B)ppm", "TBD(0C)ppm", "TBD(0D)ppm", "TBD(0E)ppm",
    "TBD(0F)ppm",
    // Bit 4 set: the same steps down.
    "0 ppm", "-30.5 ppm", "-61 ppm", "-91.5 ppm", "-122 ppm", "-152.5 ppm", "-183 ppm",
    "-213.5 ppm", "-244 ppm", "-274.5 ppm", "-305)ppm", "TBD (1B) ppm", "TBD (1C) ppm",
    "TBD (1D) ppm", "TBD (1E) ppm", "TBD (1F) ppm"};

// ---- Part choice ----

constexpr const char* kInitialCaption = "Digital        Initial Trim  OBh (Read Only)     Analog";
constexpr const char* kCoefficientsCaption = "Temp Coefficient  && Gain  (Read Only)";

constexpr ControlSetting kBase[] = {
    SetCaption("GroupBox41", kCoefficientsCaption),
    SetCaption("GroupBox40", kInitialCaption),
    Hide("lblALPHAHOT"),
    Hide("cboALPHAHOT"),
    Hide("lblXTO"),
    Hide("cboXTO"),
    Hide("lblNPPM"),
    Hide("pnlNPPM"),
    // The VK350's warning belongs to its TSE box; the page's own step shows it
    // again for a VK350 that senses.
    Hide("Label95"),
};

constexpr ControlSetting kTypeD[] = {
    Show("tsTCOMP"),
    Show("lblALPHAHOT"),
    Show("cboALPHAHOT"),
    Show("lblXTO"),
    Show("cboXTO"),
    Show("lblNPPM"),
    Show("pnlNPPM"),
    SetItems("cboIDTR", kIdtrItems),
    SelectItem("cboIDTR", 0),
    SelectItem("cboIATR", 0),
    SetItems("cboALPHA", kHex256),
    SetItems("cboALPHAHOT", kHex256),
    SetItems("cboBETA", kHex32),
    SetItems("cboXTO", kHex32),
    SelectItem("cboALPHA", 0),
    SelectItem("cboALPHAHOT", 0),
    SelectItem("cboBETA", 0),
    SelectItem("cboXTO", 0),
};

// The page is hidden for TypeF; its lists still start over.
constexpr ControlSetting kTypeF[] = {
    SetItems("cboIDTR", kIdtrItems),
    // Item 0 in four lists.
    SelectItem("cboIDTR", 0),
    SelectItem("cboIATR", 0),
    SelectItem("cboALPHA", 0),
    SelectItem("cboBETA", 0),
};

constexpr SettingList kNone;

} // namespace

// In TypeBlock order: NoneAB, E, C, D, F, G, H, J, VK390.
const PageSettingsTable kTempCompPageSettings = {
    kBase,
    {kNone, kNone, kNone, kTypeD, kTypeF, kNone, kNone, kNone, kNone},
};

namespace TempCompCodec {

SenseMode DecodeSenseMode(uint8_t beta)
{
    return {(beta & kTse) != 0, (beta & kBtse) != 0, (beta & kBtsr) != 0};
}

uint8_t EncodeSenseMode(uint8_t beta, const SenseMode& mode)
{
    uint8_t value = beta & kBetaMask;
    if (mode.Tse) value |= kTse;
    if (mode.Btse) value |= kBtse;
    if (mode.Btsr) value |= kBtsr;
    return value;
}

const char* BatterySenseText(const SenseMode& mode)
{
    if (!mode.Tse || !mode.Btse) return "Off";
    return mode.Btsr ? "1 Minute" : "10 Minute";
}

void DecodeComp(uint8_t itr, uint8_t alpha, uint8_t beta, CompSetup& setup)
{
    setup.Idtr = itr >> 6;
    setup.Iatr = itr & 0x3F;
    setup.Alpha = alpha;
    setup.Beta = beta & kBetaMask;
}

void DecodeUpper(uint8_t xto, uint8_t alphaHot, CompSetup& setup)
{
    setup.Xto = xto & 0x1F;
    setup.AlphaHot = alphaHot;
}

CompBytes EncodeComp(const CompSetup& setup, const SenseMode& mode)
{
    CompBytes bytes;
    bytes.Itr = static_cast<uint8_t>(((setup.Idtr & 0x03) << 6) | (setup.Iatr & 0x3F));
    bytes.Alpha = static_cast<uint8_t>(setup.Alpha);
    bytes.Beta = EncodeSenseMode(static_cast<uint8_t>(setup.Beta), mode);
    bytes.Xto = static_cast<uint8_t>(setup.Xto & 0x1F);
    bytes.AlphaHot = static_cast<uint8_t>(setup.AlphaHot);
    return bytes;
}

std::string HexWord(uint16_t value)
{
    return HexByte(static_cast<uint8_t>(value >> 8)) + HexByte(static_cast<uint8_t>(value));
}

std::string FinalDigitalTrimText(uint8_t fdtr)
{
    return kFdtrTexts[fdtr & 0x1F];
}

double KelvinCelsius(uint8_t low, uint8_t high)
{
    return (high * 256 + low) * 0.5 - 273.0;
}

std::string KelvinCelsiusText(uint8_t low, uint8_t high)
{
    // The C locale's "%.2f" whatever the process's locale: "23.50", never "23,50".
    char text[24];
    const auto r = std::to_chars(text, text + sizeof text, KelvinCelsius(low, high),
                                 std::chars_format::fixed, 2);
    return std::string(text, r.ptr) + "*C ";
}

std::span<const char* const> IatrItems()
{
    return kIatrItems;
}

std::span<const char* const> IdtrItems()
{
    return kIdtrItems;
}

std::span<const char* const> HexItems256()
{
    return kHex256;
}

std::span<const char* const> HexItems32()
{
    return kHex32;
}

std::optional<GroupCaptions> GroupCaptionsOfPart(std::string_view partName)
{
    if (partName == "VK350")
        return GroupCaptions{"Digital                Initial Trim  OBh              Analog  ",
                             "Temp Coefficient  && Gain"};
    return std::nullopt;
}

bool TseLocksCompWrite(std::string_view partName)
{
    return partName == "VK350";
}

} // namespace TempCompCodec
