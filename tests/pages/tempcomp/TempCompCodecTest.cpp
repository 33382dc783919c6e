// The temperature compensation page's encodings: the registers as the VK350
// map names them, the sensing bits and their battery-mode text, the
// compensation registers both ways, the final digital trim texts, the
// Celsius text of the Kelvin registers, the lists and the part choice.
#include <gtest/gtest.h>

#include <bit>
#include <optional>
#include <string>
#include <vector>

#include "PartTable.h"
#include "pages/tempcomp/TempCompCodec.h"

using namespace TempCompCodec;

namespace {

// ---- the registers the page moves, as the part's map names them ----

TEST(TempCompRegisters, AddressesAndBitsAreTheOnesTheMapNames)
{
    const struct {
        uint8_t address;
        const char* name;
    } registers[] = {
        {kItrRegister, "ITR"},       {kAlphaRegister, "ALPHA"},    {kBetaRegister, "BETA"},
        {kFatrRegister, "FATR"},     {kFdtrRegister, "FDTR"},      {kKelvinRegister, "TK-LSB"},
        {kKelvinRegister + 1, "TK"}, {kNppmRegister, "NPPML"},     {kNppmRegister + 1, "NPPMH"},
        {kXtoRegister, "XTO"},       {kAlphaHotRegister, "ALPHAH"}};
    for (const char* part : {"VK350", "VK352", "VK354"}) {
        const RegisterMapRef map = PartTable[FindPartRow(part)].RegisterMap;
        for (const auto& r : registers) {
            const RegMapEntry* row = FindRegister(map, r.address);
            ASSERT_NE(row, nullptr) << part << " " << r.name;
            EXPECT_STREQ(row->ShortName, r.name) << part;
        }
        const RegMapEntry* beta = FindRegister(map, kBetaRegister);
        ASSERT_NE(beta, nullptr);
        // Bit names run from bit 7.
        const struct {
            uint8_t mask;
            const char* name;
        } bits[] = {{kTse, "TSE"}, {kBtse, "BTSE"}, {kBtsr, "BTSR"}};
        for (const auto& b : bits)
            EXPECT_STREQ(beta->BitNames[std::countl_zero(b.mask)], b.name) << part;
        for (int bit = 0; bit < 8; ++bit) {
            const bool inBeta = ((kBetaMask >> bit) & 1) != 0;
            EXPECT_EQ(std::string(beta->BitNames[7 - bit]).rfind("BETA", 0) == 0, inBeta) << bit;
        }
    }
    // The runs the buttons move end where the map's blocks end.
    EXPECT_EQ(kItrRegister + kCompCount - 1, kFdtrRegister);
    EXPECT_EQ(kNppmRegister + kUpperCount - 1, kAlphaHotRegister);
    EXPECT_EQ(kXtoRegister + kXtoCount - 1, kAlphaHotRegister);
}

// ---- sensing bits ----

TEST(TempCompSense, BatteryModeTextNeedsTseAndBtse)
{
    const struct {
        bool tse, btse, btsr;
        const char* text;
    } cases[] = {
        {true, true, true, "1 Minute"}, {true, true, false, "10 Minute"},
        {true, false, true, "Off"},     {true, false, false, "Off"},
        {false, true, true, "Off"},     {false, true, false, "Off"},
        {false, false, true, "Off"},    {false, false, false, "Off"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(BatterySenseText({c.tse, c.btse, c.btsr}), c.text)
            << c.tse << c.btse << c.btsr;
    }
}

TEST(TempCompSense, ModeBitsBesideTheChipsBeta)
{
    const struct {
        uint8_t before;
        SenseMode mode;
        uint8_t written;
    } cases[] = {
        {0x07, {true, true, false}, 0xC7}, // the page's worked example
        {0xFF, {false, false, false}, 0x1F}, {0x00, {true, true, true}, 0xE0},
        {0xBF, {false, true, false}, 0x5F},  {0x2A, {false, false, true}, 0x2A},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeSenseMode(c.before, c.mode), c.written) << int(c.before);
        const SenseMode back = DecodeSenseMode(c.written);
        EXPECT_EQ(back.Tse, c.mode.Tse);
        EXPECT_EQ(back.Btse, c.mode.Btse);
        EXPECT_EQ(back.Btsr, c.mode.Btsr);
    }
}

// ---- compensation registers ----

TEST(TempCompRegs, WriteBytesFromTheLists)
{
    CompSetup setup;
    setup.Idtr = 3;  // "-32 ppm"
    setup.Iatr = 32; // "+00"
    setup.Alpha = 0x46;
    setup.Beta = 0x10;
    setup.Xto = 0x15;
    setup.AlphaHot = 0xFF;
    CompBytes bytes = EncodeComp(setup, {true, false, true});
    EXPECT_EQ(bytes.Itr, 0xE0);
    EXPECT_EQ(bytes.Alpha, 0x46);
    EXPECT_EQ(bytes.Beta, 0xB0);
    EXPECT_EQ(bytes.Xto, 0x15);
    EXPECT_EQ(bytes.AlphaHot, 0xFF);

    setup.Idtr = 1;
    setup.Iatr = 63;
    setup.Beta = 0x1F;
    bytes = EncodeComp(setup, {false, true, false});
    EXPECT_EQ(bytes.Itr, 0x7F);
    EXPECT_EQ(bytes.Beta, 0x5F);
}

TEST(TempCompRegs, ReadEntriesFromTheRegisters)
{
    CompSetup setup;
    DecodeComp(0xE0, 0x46, 0xA7, setup);
    EXPECT_EQ(setup.Idtr, 3);
    EXPECT_EQ(setup.Iatr, 32);
    EXPECT_EQ(setup.Alpha, 0x46);
    EXPECT_EQ(setup.Beta, 0x07) << "the sensing bits are no part of BETA";
    DecodeUpper(0xF5, 0x3C, setup);
    EXPECT_EQ(setup.Xto, 0x15) << "XTO4..0 only";
    EXPECT_EQ(setup.AlphaHot, 0x3C);
}

TEST(TempCompRegs, EveryInitialTrimReadsBackAsWritten)
{
    for (int idtr = 0; idtr < 4; ++idtr) {
        for (int iatr = 0; iatr < 64; ++iatr) {
            CompSetup setup;
            setup.Idtr = idtr;
            setup.Iatr = iatr;
            const CompBytes bytes = EncodeComp(setup, {});
            CompSetup back;
            DecodeComp(bytes.Itr, bytes.Alpha, bytes.Beta, back);
            EXPECT_EQ(back.Idtr, idtr);
            EXPECT_EQ(back.Iatr, iatr);
        }
    }
}

// ---- texts ----

TEST(TempCompTexts, FinalDigitalTrim)
{
    const struct {
        uint8_t fdtr;
        const char* text;
    } cases[] = {
        {0x00, "0 ppm"},        {0x10, "0 ppm"},      {0x01, "30.5 ppm"},   {0x11, "-30.5 ppm"},
        {0x02, "61 ppm"},       {0x03, "91.5 ppm"},   {0x0A, "305 ppm"},    {0x19, "-274.5 ppm"},
        {0x1A, "-305)ppm"},     {0x0B, "TBD(0B)ppm"}, {0x0F, "TBD(0F)ppm"}, {0x1B, "TBD (1B) ppm"},
        {0x1F, "TBD (1F) ppm"}, {0xFA, "-305)ppm"},   {0xE3, "91.5 ppm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FinalDigitalTrimText(c.fdtr), c.text) << int(c.fdtr);
    // Bit 4 is the sign of the same step count.
    for (uint8_t steps = 1; steps <= 9; ++steps)
        EXPECT_EQ(FinalDigitalTrimText(0x10 | steps), "-" + FinalDigitalTrimText(steps));
}

TEST(TempCompTexts, KelvinRegistersInCelsius)
{
    const struct {
        uint8_t low, high;
        const char* text;
    } cases[] = {
        {0x52, 0x02, "24.00*C "}, // 594 half kelvin
        {0x53, 0x02, "24.50*C "},  {0x00, 0x00, "-273.00*C "}, {0x24, 0x02, "1.00*C "},
        {0x23, 0x02, "0.50*C "},   {0x22, 0x02, "0.00*C "},    {0x21, 0x02, "-0.50*C "},
        {0xD2, 0x01, "-40.00*C "}, {0xFF, 0x03, "238.50*C "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KelvinCelsiusText(c.low, c.high), c.text) << int(c.high) << " " << int(c.low);
    EXPECT_DOUBLE_EQ(KelvinCelsius(0x52, 0x02), 24.0);
}

TEST(TempCompTexts, HexInUpperCase)
{
    EXPECT_EQ(HexWord(0x0252), "0252");
    EXPECT_EQ(HexWord(0x03F9), "03F9");
    EXPECT_EQ(HexWord(0xABCD), "ABCD");
}

// ---- lists ----

TEST(TempCompLists, InitialAnalogTrimFromPlus32ToMinus31)
{
    const std::span<const char* const> items = IatrItems();
    ASSERT_EQ(items.size(), 64u);
    EXPECT_STREQ(items[0], "+32");
    EXPECT_STREQ(items[1], "+31");
    EXPECT_STREQ(items[31], "+01");
    EXPECT_STREQ(items[32], "+00");
    EXPECT_STREQ(items[33], "-01");
    EXPECT_STREQ(items[63], "-31");
}

TEST(TempCompLists, HexListsAndTheDigitalTrimList)
{
    const std::span<const char* const> all = HexItems256();
    ASSERT_EQ(all.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(all[i], HexByte(static_cast<uint8_t>(i))) << i;
    const std::span<const char* const> low = HexItems32();
    ASSERT_EQ(low.size(), 32u);
    EXPECT_STREQ(low.front(), "00");
    EXPECT_STREQ(low.back(), "1F");
    ASSERT_EQ(IdtrItems().size(), 4u);
    EXPECT_STREQ(IdtrItems()[0], "Default / Disabled");
    EXPECT_STREQ(IdtrItems()[3], "-32 ppm");
}

// ---- part choice ----

// What the table leaves a control's property at for a family: base state,
// then the family's block.
std::optional<ControlSetting> finalSetting(TypeBlock block, const char* control, Prop property)
{
    std::vector<ControlSetting> list(kTempCompPageSettings.Base.begin(),
                                     kTempCompPageSettings.Base.end());
    const SettingList family = kTempCompPageSettings.Blocks[static_cast<size_t>(block)];
    list.insert(list.end(), family.begin(), family.end());
    const ControlSetting* found = FinalSetting(list, control, property);
    if (found == nullptr) return std::nullopt;
    return *found;
}

TEST(TempCompPartChoice, TypeDShowsAndFillsWhatTheBaseHides)
{
    for (int b = 0; b < kTypeBlockCount; ++b) {
        const auto block = static_cast<TypeBlock>(b);
        const bool typeD = block == TypeBlock::D;
        for (const char* control :
             {"lblALPHAHOT", "cboALPHAHOT", "lblXTO", "cboXTO", "lblNPPM", "pnlNPPM"}) {
            const std::optional<ControlSetting> shown = finalSetting(block, control, Prop::Visible);
            ASSERT_TRUE(shown) << control;
            EXPECT_EQ(shown->Number, typeD ? 1 : 0) << control << " block " << b;
        }
        const std::optional<ControlSetting> warning = finalSetting(block, "Label95", Prop::Visible);
        ASSERT_TRUE(warning);
        EXPECT_EQ(warning->Number, 0) << "the page's own step shows it";
    }
    const struct {
        const char* list;
        size_t items;
    } lists[] = {
        {"cboIDTR", 4}, {"cboALPHA", 256}, {"cboALPHAHOT", 256}, {"cboBETA", 32}, {"cboXTO", 32}};
    for (const auto& l : lists) {
        const std::optional<ControlSetting> items = finalSetting(TypeBlock::D, l.list, Prop::Items);
        ASSERT_TRUE(items) << l.list;
        EXPECT_EQ(items->Items.size(), l.items) << l.list;
        const std::optional<ControlSetting> index =
            finalSetting(TypeBlock::D, l.list, Prop::ItemIndex);
        ASSERT_TRUE(index) << l.list;
        EXPECT_EQ(index->Number, 0) << l.list;
    }
    const std::optional<ControlSetting> iatr =
        finalSetting(TypeBlock::D, "cboIATR", Prop::ItemIndex);
    ASSERT_TRUE(iatr);
    EXPECT_EQ(iatr->Number, 0);
    EXPECT_FALSE(finalSetting(TypeBlock::D, "cboIATR", Prop::Items)) << "a fixed list";
}

TEST(TempCompPartChoice, Vk350AloneDropsReadOnlyFromTheCaptions)
{
    for (const PartInfo& part : PartTable) {
        const std::optional<GroupCaptions> captions = GroupCaptionsOfPart(part.PartName);
        const bool vk350 = std::string(part.PartName) == "VK350";
        EXPECT_EQ(captions.has_value(), vk350) << part.PartName;
        EXPECT_EQ(TseLocksCompWrite(part.PartName), vk350) << part.PartName;
        if (!captions) continue;
        EXPECT_EQ(std::string(captions->Initial).find("Read Only"), std::string::npos);
        EXPECT_STREQ(captions->Coefficients, "Temp Coefficient  && Gain");
    }
    const std::optional<ControlSetting> base =
        finalSetting(TypeBlock::D, "GroupBox41", Prop::Caption);
    ASSERT_TRUE(base);
    EXPECT_STREQ(base->Text, "Temp Coefficient  && Gain  (Read Only)");
}

} // namespace
