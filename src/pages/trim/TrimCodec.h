// What the Crystal trim page needs that is no widget: its part of the part
// choice, the three lists (analog trim, battery-mode offset, digital trim),
// how an entry maps onto its register field, and where each family keeps the
// fields and which transfers move them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "PartSelection.h"

// Base state: the digital group's caption, both analog groups shown. The
// family blocks load the digital trim list of their family and select its
// first entry; TypeE has no battery-mode offset, VK370 no analog trim at all.
extern const PageSettingsTable kTrimPageSettings;

namespace TrimCodec {

// ---- Lists ----

// ATR: 64 load capacitances, "4.50 pF" to "20.25 pF" in 0.25 pF steps.
std::span<const char* const> AtrItems();
constexpr int kAtrNominalEntry = 32; // "12.50 pF", the design choice

// BMATR: "-0.5 pF", "0.0 pF", "+0.5 pF", "+1.0 pF".
std::span<const char* const> BmatrItems();
constexpr int kBmatrNominalEntry = 1; // "0.0 pF", the design choice

// The digital trim lists; the entry index is the raw field in every one.
enum class DtrList : uint8_t {
    A, // TypeA, TypeB (and the hidden page of TypeD): sign bit 2, 20 ppm steps
    E, // TypeE: sign bit 2, bit 1 adds 10 ppm, bit 0 adds 20 ppm
    F, // VK370: sign bit 3, 10 ppm steps, 7 and 15 read as zero
    C, // TypeC, TypeK: bit 5 set adds 4.069 ppm steps, clear takes 2.035 ppm steps
};
std::span<const char* const> DtrItems(DtrList list);

// ---- Fields ----

// ATR, bits 5..0: a two's-complement count of 0.25 pF steps from 12.50 pF.
constexpr int AtrEntry(uint8_t reg)
{
    return (reg & 0x3F) ^ 0x20;
}
constexpr uint8_t AtrField(int entry)
{
    return static_cast<uint8_t>((entry & 0x3F) ^ 0x20);
}

// BMATR, bits 7..6 of the ATR register: 00 0.0 pF, 01 -0.5 pF, 10 +0.5 pF,
// 11 +1.0 pF. The mapping is its own inverse.
int BmatrEntry(uint8_t atrReg);
uint8_t BmatrBits(int entry); // already in bits 7..6

// ---- Where each family keeps the fields ----

struct TrimTransfer {
    bool Write = false;
    uint8_t Register = 0;
    uint8_t Count = 1;
};

struct TrimLayout {
    bool HasAtr = false;   // ATR in bits 5..0 of AtrRegister
    bool HasBmatr = false; // BMATR in bits 7..6 of AtrRegister
    uint8_t AtrRegister = 0;
    uint8_t DtrRegister = 0;
    uint8_t DtrMask = 0;         // the field's bits
    uint8_t DtrKept = 0;         // bits of the DTR register a write keeps as the chip has them
    bool ReadMasksImage = false; // a read leaves only the field in the image (TypeE)
    DtrList List = DtrList::A;
    std::span<const TrimTransfer> Read;  // the Read button's transfers, in order
    std::span<const TrimTransfer> Write; // the Write button's: reads first, then writes
};

// nullopt for the families the page does not serve (TypeNone, TypeD, TypeG,
// TypeH, TypeJ).
std::optional<TrimLayout> LayoutOf(PartType type);

// The three list entries.
struct TrimChoice {
    int Atr = kAtrNominalEntry;
    int Bmatr = kBmatrNominalEntry;
    int Dtr = 0;
};

// What a read shows, from the image after the layout's reads (image offset =
// register address). Atr and Bmatr are empty where the family has no such
// field.
struct TrimShown {
    std::optional<int> Atr;
    std::optional<int> Bmatr;
    int Dtr = 0;
    // TypeE: the image keeps only the field of its DTR register.
    std::optional<uint8_t> DtrImage;
};
TrimShown Decode(const TrimLayout& layout, const uint8_t* image);

// The bytes a write sends, put into the image after the layout's reads:
// the kept bits of the DTR register stay as read, the others are written 0.
void Encode(const TrimLayout& layout, const TrimChoice& choice, uint8_t* image);

// A choice every list of the layout has an entry for (an empty list has none).
bool Complete(const TrimLayout& layout, const TrimChoice& choice);

// ---- Trim advice ----

// One list's advised entry and the rate it would leave.
struct ListAdvice {
    const char* What;  // "digital trim"
    const char* Entry; // the entry's text as the list shows it
    double ResidualPpm;
};

// The advice as a page shows it, one line per list, from a measured rate:
//   Measured +17.3 ppm: digital trim "-16.276 PPM" leaves -1.0 ppm
//   the analog trim is the better lever: "16.50 pF" leaves +0.1 ppm
// `better` is the index of the list that leaves the smaller residual, said so
// where it is not the first; numbers in the C locale whatever the user's.
std::string AdviceText(double ratePpm, std::span<const ListAdvice> lists, int better);
// What the advice says without a rate to work from.
inline constexpr const char* kNoAdviceText =
    "Trim advice: no rate measured yet (the Graph page measures it)";

} // namespace TrimCodec
