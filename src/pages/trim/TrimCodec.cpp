#include "pages/trim/TrimCodec.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

// ---- Lists made by rule ----

// 64 short texts and the pointers the lists hand out.
constexpr int kTextLength = 16;
using TextTable = std::array<std::array<char, kTextLength>, 64>;

// Writes "<sign><whole>.<fraction digits><suffix>" into out.
constexpr void writeNumber(std::array<char, kTextLength>& out, bool negative, int whole,
                           int fraction, int fractionDigits, const char* suffix)
{
    int at = 0;
    if (negative) out[at++] = '-';
    char digits[8] = {};
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    while (count > 0)
        out[at++] = digits[--count];
    out[at++] = '.';
    for (int scale = fractionDigits == 3 ? 100 : 10; scale > 0; scale /= 10)
        out[at++] = static_cast<char>('0' + fraction / scale % 10);
    while (*suffix)
        out[at++] = *suffix++;
    out[at] = '\0';
}

// ATR entry e is 4.50 pF + 0.25 pF x e, written with two decimals.
constexpr TextTable makeAtrTexts()
{
    TextTable texts{};
    for (int e = 0; e < 64; ++e) {
        const int hundredths = 450 + 25 * e;
        writeNumber(texts[e], false, hundredths / 100, hundredths % 100, 2, " pF");
    }
    return texts;
}

// List C: entry k (0..31) takes k steps of 2.0345 ppm away, entry 32 + k adds
// k steps of 4.069 ppm, written with three decimals, halves rounded up. In
// ten-thousandths of a ppm the arithmetic is exact.
constexpr TextTable makeFineTexts()
{
    TextTable texts{};
    for (int k = 0; k < 32; ++k) {
        const int slower = (k * 20345 + 5) / 10; // thousandths
        writeNumber(texts[k], k != 0, slower / 1000, slower % 1000, 3, " PPM");
        const int faster = k * 4069;
        writeNumber(texts[32 + k], false, faster / 1000, faster % 1000, 3, " PPM");
    }
    return texts;
}

constexpr std::array<const char*, 64> pointersInto(const TextTable& texts)
{
    std::array<const char*, 64> items{};
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = texts[i].data();
    return items;
}

constexpr TextTable kAtrTexts = makeAtrTexts();
constexpr std::array<const char*, 64> kAtrItems = pointersInto(kAtrTexts);
constexpr TextTable kFineTexts = makeFineTexts();
constexpr std::array<const char*, 64> kListC = pointersInto(kFineTexts);

// ---- Lists as the datasheets word them (blanks included) ----

constexpr const char* kBmatrItems[] = {"-0.5 pF", "0.0 pF", "+0.5 pF", "+1.0 pF"};

constexpr const char* kListA[] = {"  0 PPM (default)", "+20 PPM", "+40 PPM", "+60 PPM",
                                  "  0 PPM",           "-20 PPM", "-40 PPM", "-60 PPM "};
// TypeD's trim steps are list A's, without a default entry.
constexpr const char* kListD[] = {"  0 PPM", "+20 PPM", "+40 PPM", "+60 PPM",
                                  "  0 PPM", "-20 PPM", "-40 PPM", "-60 PPM "};
constexpr const char* kListE[] = {"  0 PPM", "+20 PPM", "+10 PPM", "+30 PPM",
                                  "  0 PPM", "-20 PPM", "-10 PPM", "-30 PPM"};
constexpr const char* kListF[] = {"  0 PPM", "+10 PPM", "+20 PPM",  "+30 PPM", "+40 PPM", "+50 PPM",
                                  "+60 PPM", "  0 PPM", "  0 PPM",  "-10 PPM", "-20 PPM", "-30 PPM",
                                  "-40 PPM", "-50 PPM", "-60 PPM ", "  0 PPM"};

// ---- Part choice ----

constexpr ControlSetting kBase[] = {
    SetCaption("GroupBox18", "Digital Trim Setting (DTR<3:0>)"),
    Show("GroupBox16"),
    Show("GroupBox17"),
};

constexpr ControlSetting kNoneAB[] = {
    SetItems("ComboBoxDTR", kListA),
    SelectItem("ComboBoxDTR", 0),
    Show("GroupBox17"),
};

constexpr ControlSetting kTypeD[] = {
    SetItems("ComboBoxDTR", kListD),
    SelectItem("ComboBoxDTR", 0),
    Show("GroupBox17"),
};

constexpr ControlSetting kTypeE[] = {
    SetItems("ComboBoxDTR", kListE),
    SelectItem("ComboBoxDTR", 0),
    Hide("GroupBox17"),
};

constexpr ControlSetting kSignedTrim[] = {
    SetItems("ComboBoxDTR", kListC),
    SelectItem("ComboBoxDTR", 0),
    Show("GroupBox17"),
};

constexpr ControlSetting kTypeF[] = {
    Show("tsComp"),
    SetCaption("GroupBox18", "Digital Trim Setting (XDTR<3:0>)"),
    Hide("GroupBox16"),
    Hide("GroupBox17"),
    SetItems("ComboBoxDTR", kListF),
    SelectItem("ComboBoxDTR", 0),
};

// TypeG, TypeH and TypeJ have no trims; the page is hidden for them.
constexpr ControlSetting kNoBattery[] = {
    Hide("GroupBox17"),
};

// ---- Where the fields live ----

using TrimCodec::DtrList;
using TrimCodec::TrimLayout;
using TrimCodec::TrimTransfer;

constexpr TrimTransfer readOf(uint8_t reg, uint8_t count = 1)
{
    return {false, reg, count};
}
constexpr TrimTransfer writeOf(uint8_t reg, uint8_t count = 1)
{
    return {true, reg, count};
}

// ATR at 0x0A beside DTR at 0x0B: both in one transfer each way.
constexpr TrimTransfer kPairRead[] = {readOf(0x0A, 2)};
constexpr TrimTransfer kPairWrite[] = {writeOf(0x0A, 2)};

// TypeC: DTR at 0x07 shares its register with the OUT and FT bits of the
// output pin. A write reads it first and keeps them, so trimming the crystal
// never moves the pin.
constexpr TrimTransfer kTypeCRead[] = {readOf(0x07), readOf(0x0A)};
constexpr TrimTransfer kTypeCWrite[] = {readOf(0x07), writeOf(0x0A), writeOf(0x07)};

// TypeE: two-byte addresses, each write after the write-enable step.
constexpr TrimTransfer kTypeERead[] = {readOf(0x12, 2)};
constexpr TrimTransfer kTypeEWrite[] = {readOf(0x13), writeOf(0x13), writeOf(0x12)};

// VK370: XDTR beside ACMIN (bit 4), which a write keeps.
constexpr TrimTransfer kTypeFRead[] = {readOf(0x14)};
constexpr TrimTransfer kTypeFWrite[] = {readOf(0x14), writeOf(0x14)};

constexpr TrimLayout kLayoutAB = {true, true,  0x0A,       0x0B,      0x07,
                                  0x00, false, DtrList::A, kPairRead, kPairWrite};
constexpr TrimLayout kLayoutK = {true, true,  0x0A,       0x0B,      0x3F,
                                 0x00, false, DtrList::C, kPairRead, kPairWrite};
constexpr TrimLayout kLayoutC = {true, true,  0x0A,       0x07,       0x3F,
                                 0xC0, false, DtrList::C, kTypeCRead, kTypeCWrite};
constexpr TrimLayout kLayoutE = {true, false, 0x12,       0x13,       0x07,
                                 0xF8, true,  DtrList::E, kTypeERead, kTypeEWrite};
constexpr TrimLayout kLayoutF = {false, false, 0x00,       0x14,       0x0F,
                                 0x10,  false, DtrList::F, kTypeFRead, kTypeFWrite};

// BMATR field by entry and entry by field: the same table both ways.
constexpr uint8_t kBmatrSwap[4] = {1, 0, 2, 3};

} // namespace

const PageSettingsTable kTrimPageSettings = {
    kBase,
    {kNoneAB, kTypeE, kSignedTrim, kTypeD, kTypeF, kNoBattery, kNoBattery, kNoBattery, kSignedTrim},
};

namespace TrimCodec {

std::span<const char* const> AtrItems()
{
    return kAtrItems;
}

std::span<const char* const> BmatrItems()
{
    return kBmatrItems;
}

std::span<const char* const> DtrItems(DtrList list)
{
    switch (list) {
    case DtrList::A:
        return kListA;
    case DtrList::E:
        return kListE;
    case DtrList::F:
        return kListF;
    case DtrList::C:
        return kListC;
    }
    return {};
}

int BmatrEntry(uint8_t atrReg)
{
    return kBmatrSwap[(atrReg >> 6) & 0x03];
}

uint8_t BmatrBits(int entry)
{
    return static_cast<uint8_t>(kBmatrSwap[entry & 0x03] << 6);
}

std::optional<TrimLayout> LayoutOf(PartType type)
{
    switch (type) {
    case TypeA:
    case TypeB:
        return kLayoutAB;
    case TypeC:
        return kLayoutC;
    case TypeE:
        return kLayoutE;
    case TypeF:
        return kLayoutF;
    case TypeK:
        return kLayoutK;
    default:
        return std::nullopt;
    }
}

TrimShown Decode(const TrimLayout& layout, const uint8_t* image)
{
    TrimShown shown;
    const uint8_t atr = image[layout.AtrRegister];
    if (layout.HasAtr) shown.Atr = AtrEntry(atr);
    if (layout.HasBmatr) shown.Bmatr = BmatrEntry(atr);
    shown.Dtr = image[layout.DtrRegister] & layout.DtrMask;
    if (layout.ReadMasksImage) shown.DtrImage = static_cast<uint8_t>(shown.Dtr);
    return shown;
}

void Encode(const TrimLayout& layout, const TrimChoice& choice, uint8_t* image)
{
    if (layout.HasAtr) {
        uint8_t atr = AtrField(choice.Atr);
        if (layout.HasBmatr) atr = static_cast<uint8_t>(atr | BmatrBits(choice.Bmatr));
        image[layout.AtrRegister] = atr;
    }
    const uint8_t kept = image[layout.DtrRegister] & layout.DtrKept;
    image[layout.DtrRegister] = static_cast<uint8_t>(kept | (choice.Dtr & layout.DtrMask));
}

bool Complete(const TrimLayout& layout, const TrimChoice& choice)
{
    const auto within = [](int entry, size_t count) {
        return entry >= 0 && static_cast<size_t>(entry) < count;
    };
    if (layout.HasAtr && !within(choice.Atr, kAtrItems.size())) return false;
    if (layout.HasBmatr && !within(choice.Bmatr, std::size(kBmatrItems))) return false;
    return within(choice.Dtr, DtrItems(layout.List).size());
}

} // namespace TrimCodec

namespace TrimCodec {

namespace {

// One decimal with its sign, in the C locale; -0.0 reads +0.0.
std::string signedTenths(double value)
{
    const double tenths = std::round(value * 10.0) / 10.0;
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, tenths == 0.0 ? 0.0 : tenths,
                                   std::chars_format::fixed, 1);
    std::string text = ec == std::errc{} ? std::string(buf, end) : std::string("?");
    return text[0] == '-' ? text : "+" + text;
}

// The entry as the label quotes it: without the blanks the lists pad with.
std::string quoted(const char* entry)
{
    std::string text = entry ? entry : "";
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    return "\"" + text + "\"";
}

} // namespace

std::string AdviceText(double ratePpm, std::span<const ListAdvice> lists, int better)
{
    std::string text = "Measured " + signedTenths(ratePpm) + " ppm";
    for (size_t i = 0; i < lists.size(); ++i) {
        const ListAdvice& list = lists[i];
        const std::string leaves =
            quoted(list.Entry) + " leaves " + signedTenths(list.ResidualPpm) + " ppm";
        if (i == 0)
            text += std::string(": ") + list.What + " " + leaves;
        else if (static_cast<int>(i) == better)
            text += std::string("\nthe ") + list.What + " is the better lever: " + leaves;
        else
            text += std::string("\n") + list.What + " " + leaves;
    }
    return text;
}

} // namespace TrimCodec
