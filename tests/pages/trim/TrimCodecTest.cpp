// The crystal trim codes against the datasheets' figures: the lists' texts
// (each entry's value checked against the bit rule of its field, with the
// published texts of the edge entries), the ATR and BMATR fields both ways,
// and every family's bytes after a read and before a write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "pages/trim/TrimCodec.h"

using namespace TrimCodec;

namespace {

// The number a list entry names ("  0 PPM (default)", "-2.035 PPM", "4.50 pF").
double valueOf(const char* text)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    EXPECT_NE(end, text) << text;
    return value;
}

// The fraction digits of a text's number.
int decimalsOf(const std::string& text)
{
    const size_t point = text.find('.');
    if (point == std::string::npos) return 0;
    const size_t end = text.find(' ', point);
    return static_cast<int>(end - point - 1);
}

// ---- lists ----

TEST(TrimLists, AtrNamesTheLoadCapacitanceInQuarterPicofarads)
{
    const auto items = AtrItems();
    ASSERT_EQ(items.size(), 64u);
    EXPECT_STREQ(items[0], "4.50 pF");
    EXPECT_STREQ(items[1], "4.75 pF");
    EXPECT_STREQ(items[31], "12.25 pF");
    EXPECT_STREQ(items[kAtrNominalEntry], "12.50 pF");
    EXPECT_STREQ(items[63], "20.25 pF");
    for (size_t e = 1; e < items.size(); ++e) {
        SCOPED_TRACE(items[e]);
        EXPECT_NEAR(valueOf(items[e]) - valueOf(items[e - 1]), 0.25, 1e-9);
        EXPECT_EQ(decimalsOf(items[e]), 2);
        EXPECT_EQ(std::string(items[e]).substr(std::string(items[e]).size() - 3), " pF");
    }
}

TEST(TrimLists, BmatrNamesItsFourOffsets)
{
    const auto items = BmatrItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_STREQ(items[0], "-0.5 pF");
    EXPECT_STREQ(items[kBmatrNominalEntry], "0.0 pF");
    EXPECT_STREQ(items[2], "+0.5 pF");
    EXPECT_STREQ(items[3], "+1.0 pF");
}

// The ppm each field value stands for, by the datasheets' bit rules.
double ruleA(int f)
{
    const double ppm = (f & 3) * 20.0;
    return (f & 4) ? -ppm : ppm;
}
double ruleE(int f)
{
    const double ppm = ((f & 2) ? 10.0 : 0.0) + ((f & 1) ? 20.0 : 0.0);
    return (f & 4) ? -ppm : ppm;
}
double ruleF(int f)
{
    const double ppm = (f & 7) == 7 ? 0.0 : (f & 7) * 10.0;
    return (f & 8) ? -ppm : ppm;
}
// 491520 and 245760 clock periods make the steps of the fine trim.
double ruleC(int f)
{
    return (f & 0x20) ? (f & 0x1F) * 1e6 / 245760.0 : -(f & 0x1F) * 1e6 / 491520.0;
}

TEST(TrimLists, EachDigitalEntryNamesWhatItsFieldDoes)
{
    const struct {
        DtrList list;
        size_t entries;
        double (*rule)(int);
        double tolerance; // the texts' rounding
    } cases[] = {
        {DtrList::A, 8, ruleA, 0.0},
        {DtrList::E, 8, ruleE, 0.0},
        {DtrList::F, 16, ruleF, 0.0},
        {DtrList::C, 64, ruleC, 0.0005},
    };
    for (const auto& c : cases) {
        const auto items = DtrItems(c.list);
        ASSERT_EQ(items.size(), c.entries);
        for (size_t f = 0; f < items.size(); ++f) {
            SCOPED_TRACE(std::string("list ") + "AEFC"[int(c.list)] + " entry " +
                         std::to_string(f) + " \"" + items[f] + "\"");
            EXPECT_NEAR(valueOf(items[f]), c.rule(static_cast<int>(f)), c.tolerance + 1e-12);
            EXPECT_NE(std::string(items[f]).find(" PPM"), std::string::npos);
        }
    }
}

TEST(TrimLists, TextsKeepTheirBlanks)
{
    EXPECT_STREQ(DtrItems(DtrList::A)[0], "  0 PPM (default)");
    EXPECT_STREQ(DtrItems(DtrList::A)[4], "  0 PPM");
    EXPECT_STREQ(DtrItems(DtrList::A)[7], "-60 PPM ");
    EXPECT_STREQ(DtrItems(DtrList::E)[0], "  0 PPM");
    EXPECT_STREQ(DtrItems(DtrList::E)[2], "+10 PPM");
    EXPECT_STREQ(DtrItems(DtrList::F)[7], "  0 PPM");
    EXPECT_STREQ(DtrItems(DtrList::F)[14], "-60 PPM ");
    EXPECT_STREQ(DtrItems(DtrList::F)[15], "  0 PPM");
}

TEST(TrimLists, FineTrimTextsHaveThreeDecimalsHalvesRoundedUp)
{
    const auto items = DtrItems(DtrList::C);
    const struct {
        int entry;
        const char* text;
    } cases[] = {
        {0, "0.000 PPM"},   {1, "-2.035 PPM"},   {2, "-4.069 PPM"},   {3, "-6.104 PPM"},
        {5, "-10.173 PPM"}, {30, "-61.035 PPM"}, {31, "-63.070 PPM"}, {32, "0.000 PPM"},
        {33, "4.069 PPM"},  {34, "8.138 PPM"},   {62, "122.070 PPM"}, {63, "126.139 PPM"},
        {42, "40.690 PPM"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(items[c.entry], c.text) << "entry " << c.entry;
    for (const char* item : items)
        EXPECT_EQ(decimalsOf(item), 3) << item;
}

// ---- fields ----

TEST(TrimFields, AtrIsATwosComplementCountFromTheNominalLoad)
{
    const struct {
        uint8_t reg;
        int entry;
    } cases[] = {
        {0x00, 32}, {0x1F, 63}, {0x20, 0},
        {0x3F, 31}, {0x01, 33}, {0xC0, 32}, // BMATR bits are no part of the field
        {0x60, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AtrEntry(c.reg), c.entry) << int(c.reg);
        EXPECT_STREQ(AtrItems()[AtrEntry(c.reg)], AtrItems()[c.entry]);
    }
    for (int field = 0; field < 64; ++field)
        EXPECT_EQ(AtrField(AtrEntry(static_cast<uint8_t>(field))), field);
    EXPECT_EQ(AtrField(0), 0x20);
    EXPECT_EQ(AtrField(63), 0x1F);
}

TEST(TrimFields, BmatrBitsMapOntoTheirEntriesBothWays)
{
    const struct {
        uint8_t bits;
        const char* text;
    } cases[] = {{0x00, "0.0 pF"}, {0x40, "-0.5 pF"}, {0x80, "+0.5 pF"}, {0xC0, "+1.0 pF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const int entry = BmatrEntry(static_cast<uint8_t>(c.bits | 0x15)); // ATR bits ignored
        EXPECT_STREQ(BmatrItems()[entry], c.text);
        EXPECT_EQ(BmatrBits(entry), c.bits);
    }
}

// ---- per family ----

TrimLayout layout(PartType type)
{
    const std::optional<TrimLayout> found = LayoutOf(type);
    EXPECT_TRUE(found.has_value()) << int(type);
    return found.value_or(TrimLayout{});
}

TEST(TrimFamilies, OnlyTheFamiliesWithTrimsHaveALayout)
{
    for (PartType t : {TypeNone, TypeD, TypeG, TypeH, TypeJ})
        EXPECT_FALSE(LayoutOf(t).has_value()) << int(t);
    const struct {
        PartType type;
        DtrList list;
        bool atr;
        bool bmatr;
    } cases[] = {
        {TypeA, DtrList::A, true, true},   {TypeB, DtrList::A, true, true},
        {TypeC, DtrList::C, true, true},   {TypeE, DtrList::E, true, false},
        {TypeF, DtrList::F, false, false}, {TypeK, DtrList::C, true, true},
    };
    for (const auto& c : cases) {
        const TrimLayout l = layout(c.type);
        EXPECT_EQ(l.List, c.list) << int(c.type);
        EXPECT_EQ(l.HasAtr, c.atr) << int(c.type);
        EXPECT_EQ(l.HasBmatr, c.bmatr) << int(c.type);
    }
}

struct Bytes {
    uint8_t reg;
    uint8_t value;
};

struct EncodeCase {
    const char* name;
    PartType type;
    std::vector<Bytes> chip; // what the reads of the write left in the image
    TrimChoice choice;
    std::vector<Bytes> sent;
};

const EncodeCase kEncodes[] = {
    // "4.50 pF", "-0.5 pF": 0x60; bits 7..3 of DTR written 0.
    {"TypeA", TypeA, {{0x0B, 0xF8}}, {0, 0, 5}, {{0x0A, 0x60}, {0x0B, 0x05}}},
    {"TypeBNominal", TypeB, {}, {32, 1, 0}, {{0x0A, 0x00}, {0x0B, 0x00}}},
    {"TypeKFineFastest", TypeK, {{0x0B, 0xC0}}, {63, 3, 63}, {{0x0A, 0xDF}, {0x0B, 0x3F}}},
    // OUT and FT share the DTR register and keep their state.
    {"TypeCKeepsOutAndFt", TypeC, {{0x07, 0xC0}}, {31, 2, 37}, {{0x0A, 0xBF}, {0x07, 0xE5}}},
    {"TypeCOutLow", TypeC, {{0x07, 0x1F}}, {33, 1, 1}, {{0x0A, 0x01}, {0x07, 0x01}}},
    // No BMATR: bits 7..6 of 0x12 written 0; bits 7..3 of 0x13 kept.
    {"TypeE", TypeE, {{0x13, 0xA8}}, {40, 3, 3}, {{0x12, 0x08}, {0x13, 0xAB}}},
    // ACMIN (bit 4) kept, bits 7..5 written 0.
    {"TypeFKeepsAcmin", TypeF, {{0x14, 0x1F}}, {0, 0, 9}, {{0x14, 0x19}}},
    {"TypeFClearsTheTopBits", TypeF, {{0x14, 0xE0}}, {0, 0, 14}, {{0x14, 0x0E}}},
};

TEST(TrimFamilies, WriteBytesPerFamily)
{
    for (const EncodeCase& c : kEncodes) {
        SCOPED_TRACE(c.name);
        // Stale bytes elsewhere in the image do not reach the chip.
        uint8_t image[256];
        std::fill(std::begin(image), std::end(image), 0x5A);
        for (const Bytes& b : c.chip)
            image[b.reg] = b.value;
        const TrimLayout l = layout(c.type);
        ASSERT_TRUE(Complete(l, c.choice));
        Encode(l, c.choice, image);
        for (const Bytes& b : c.sent)
            EXPECT_EQ(image[b.reg], b.value) << "register " << int(b.reg);
        // Whatever the write sends is one of these registers.
        for (const TrimTransfer& t : l.Write) {
            if (!t.Write) continue;
            for (uint8_t r = t.Register; r < t.Register + t.Count; ++r) {
                bool named = false;
                for (const Bytes& b : c.sent)
                    named = named || b.reg == r;
                EXPECT_TRUE(named) << "writes register " << int(r);
            }
        }
    }
}

struct DecodeCase {
    const char* name;
    PartType type;
    std::vector<Bytes> chip;
    std::optional<int> atr;
    std::optional<int> bmatr;
    int dtr;
    std::optional<uint8_t> dtrImage;
};

const DecodeCase kDecodes[] = {
    {"TypeAZero", TypeA, {{0x0A, 0x00}, {0x0B, 0x00}}, 32, 1, 0, {}},
    {"TypeASmallestLoad", TypeA, {{0x0A, 0x60}, {0x0B, 0xFD}}, 0, 0, 5, {}},
    {"TypeCZeroFast", TypeC, {{0x0A, 0xDF}, {0x07, 0x20}}, 63, 3, 32, {}},
    {"TypeCSlowest", TypeC, {{0x0A, 0x80}, {0x07, 0xDF}}, 32, 2, 31, {}},
    {"TypeCFastest", TypeC, {{0x07, 0x3F}}, 32, 1, 63, {}},
    {"TypeKFine", TypeK, {{0x0A, 0x3F}, {0x0B, 0xE5}}, 31, 1, 37, {}},
    // The image keeps only the field of 0x13.
    {"TypeE", TypeE, {{0x12, 0xDF}, {0x13, 0xFB}}, 63, {}, 3, 0x03},
    {"TypeF", TypeF, {{0x14, 0x1F}}, {}, {}, 15, {}},
};

TEST(TrimFamilies, ReadEntriesPerFamily)
{
    for (const DecodeCase& c : kDecodes) {
        SCOPED_TRACE(c.name);
        uint8_t image[256] = {};
        for (const Bytes& b : c.chip)
            image[b.reg] = b.value;
        const TrimShown shown = Decode(layout(c.type), image);
        EXPECT_EQ(shown.Atr, c.atr);
        EXPECT_EQ(shown.Bmatr, c.bmatr);
        EXPECT_EQ(shown.Dtr, c.dtr);
        EXPECT_EQ(shown.DtrImage, c.dtrImage);
    }
}

TEST(TrimFamilies, EveryChoiceReadsBackAsWritten)
{
    for (PartType type : {TypeA, TypeB, TypeC, TypeE, TypeF, TypeK}) {
        const TrimLayout l = layout(type);
        const int dtrEntries = static_cast<int>(DtrItems(l.List).size());
        for (int atr = 0; atr < 64; atr += l.HasAtr ? 7 : 64) {
            for (int bmatr = 0; bmatr < 4; ++bmatr) {
                for (int dtr = 0; dtr < dtrEntries; ++dtr) {
                    uint8_t image[256];
                    std::fill(std::begin(image), std::end(image), 0xFF);
                    const TrimChoice choice{atr, bmatr, dtr};
                    Encode(l, choice, image);
                    const TrimShown shown = Decode(l, image);
                    SCOPED_TRACE(::testing::Message()
                                 << int(type) << " " << atr << " " << bmatr << " " << dtr);
                    if (l.HasAtr) {
                        EXPECT_EQ(shown.Atr, atr);
                    }
                    if (l.HasBmatr) {
                        EXPECT_EQ(shown.Bmatr, bmatr);
                    }
                    EXPECT_EQ(shown.Dtr, dtr);
                }
            }
        }
    }
}

TEST(TrimFamilies, AChoiceWithoutAnEntryIsIncomplete)
{
    const TrimLayout a = layout(TypeA);
    EXPECT_TRUE(Complete(a, {0, 0, 7}));
    EXPECT_FALSE(Complete(a, {-1, 1, 0}));
    EXPECT_FALSE(Complete(a, {32, -1, 0}));
    EXPECT_FALSE(Complete(a, {32, 1, -1}));
    EXPECT_FALSE(Complete(a, {32, 1, 8})); // beyond list A
    EXPECT_FALSE(Complete(a, {64, 1, 0}));
    // The lists a family has no field for do not count.
    EXPECT_TRUE(Complete(layout(TypeF), {-1, -1, 15}));
    EXPECT_FALSE(Complete(layout(TypeF), {-1, -1, 16}));
    EXPECT_TRUE(Complete(layout(TypeE), {63, -1, 7}));
    EXPECT_TRUE(Complete(layout(TypeC), {0, 0, 63}));
}

} // namespace
