// Lamps, bit panels and the part list explain themselves: each lamp's hint
// names a register and bit of the chosen part's map, each register bit panel
// its register and bit, and each entry of the part list the part's features.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QRegularExpression>
#include <QString>
#include <string>

#include "PartTable.h"
#include "app/PageTable.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "support/WindowFixture.h"
#include "widgets/BitPanel.h"

namespace {

class ExplainedLamps : public WindowFixture {};

void choose(TMainApp& w, int row)
{
    QComboBox* list = w.setupPage()->DeviceSel;
    list->setCurrentIndex(row);
    emit list->activated(row);
}

// "0x0F bit 7 OSF: ..." at the hint's end: address, bit and bit name.
const QRegularExpression kBitHint(QStringLiteral("0x([0-9A-F]{2}) bit ([0-7])(?: (\\S+))?: (.+)$"));

} // namespace

TEST_F(ExplainedLamps, EveryLampOfEveryPartNamesARegisterAndBitOfItsMap)
{
    TMainApp& w = open();
    for (int row = 1; row < kPartCount; ++row) {
        const PartInfo& part = PartTable[static_cast<size_t>(row)];
        SCOPED_TRACE(part.PartName);
        choose(w, row);
        int explained = 0;
        for (const StatusLamp& lamp : LampsOf(Pages())) {
            if (BitFor(lamp, part.TypeCode) == nullptr) continue;
            QWidget* widget = w.findChild<QWidget*>(QLatin1String(lamp.Name));
            ASSERT_NE(widget, nullptr) << lamp.Name;
            const QString hint = widget->toolTip();
            EXPECT_EQ(widget->statusTip(), hint) << lamp.Name;
            const QRegularExpressionMatch m = kBitHint.match(hint);
            ASSERT_TRUE(m.hasMatch()) << lamp.Name << ": " << hint.toStdString();
            const RegMapEntry* reg =
                FindRegister(part.RegisterMap, static_cast<uint8_t>(m.captured(1).toUInt(nullptr, 16)));
            ASSERT_NE(reg, nullptr) << lamp.Name << ": " << hint.toStdString();
            const int bit = m.captured(2).toInt();
            const std::string name = reg->BitNames[static_cast<size_t>(7 - bit)];
            EXPECT_EQ(m.captured(3).toStdString(), name) << lamp.Name << ": " << hint.toStdString();
            EXPECT_FALSE(m.captured(4).trimmed().isEmpty()) << lamp.Name;
            ++explained;
        }
        EXPECT_GT(explained, 0);
    }
}

TEST_F(ExplainedLamps, HintsFollowThePartAndKeepTheDesignedOnes)
{
    TMainApp& w = open();
    auto hint = [&w](const char* name) {
        QWidget* widget = w.findChild<QWidget*>(QLatin1String(name));
        return widget == nullptr ? std::string("(none)") : widget->toolTip().toStdString();
    };
    choose(w, FindPartRow("VK380"));
    EXPECT_EQ(hint("LedALM"), "0x0F bit 7 OSF: the oscillator stopped");
    EXPECT_EQ(hint("LedRTCF"), "0x0F bit 0 A1F: alarm 1 matched");
    choose(w, FindPartRow("VK370"));
    EXPECT_EQ(hint("CBSLed3"), "0x08 bit 7 BMODE: the chip runs on its battery");
    EXPECT_EQ(hint("CBSLed8"), "0x09 bit 4 XOSCF: the crystal oscillator failed");
    // The DST lamp's designed hint stays in front of its bit.
    EXPECT_EQ(hint("CBSLedDSTCHNG"),
              "DST Has Changed Indicator - 0x08 bit 6 DSTADJ: the clock changed for daylight saving");
    choose(w, FindPartRow("VK350"));
    EXPECT_EQ(hint("CBSLedDSTCHNG"),
              "DST Has Changed Indicator - 0x07 bit 5 DSTADJ: the clock changed for daylight saving");
    EXPECT_EQ(hint("LedRTCF"), "0x07 bit 0 RTCF: the clock lost its supply and is not set");
}

TEST_F(ExplainedLamps, RegisterBitPanelsNameTheirRegisterAndBit)
{
    TMainApp& w = open();
    choose(w, FindPartRow("VK380"));
    // Every shown row's panels, in the section the page shows after the choice.
    int named = 0;
    for (int r = 0; r < 8; ++r) {
        for (int bit = 0; bit < 8; ++bit) {
            auto* panel = w.findChild<BitPanel*>(QStringLiteral("Bit%1%2").arg(r).arg(bit));
            ASSERT_NE(panel, nullptr);
            if (panel->parentWidget()->isHidden()) continue;
            const QRegularExpressionMatch m = kBitHint.match(panel->toolTip());
            ASSERT_TRUE(m.hasMatch()) << panel->toolTip().toStdString();
            EXPECT_EQ(m.captured(2).toInt(), bit);
            // A named bit shows its name as its caption and in its hint.
            if (!panel->text().isEmpty()) {
                EXPECT_EQ(m.captured(3), panel->text());
            }
            ++named;
        }
    }
    EXPECT_GT(named, 0);
    auto* seconds = w.findChild<BitPanel*>(QStringLiteral("Bit06"));
    ASSERT_NE(seconds, nullptr);
    EXPECT_TRUE(seconds->toolTip().startsWith(QStringLiteral("0x00 bit 6 ")))
        << seconds->toolTip().toStdString();
}

TEST_F(ExplainedLamps, PartListEntriesCarryTheirFeatures)
{
    TMainApp& w = open();
    QComboBox* list = w.setupPage()->DeviceSel;
    ASSERT_EQ(list->count(), kPartCount);
    for (int row = 1; row < kPartCount; ++row) {
        const QString tip = list->itemData(row, Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.startsWith(list->itemText(row) + u':')) << tip.toStdString();
    }
    EXPECT_EQ(list->itemData(FindPartRow("VK360"), Qt::ToolTipRole).toString(),
              "VK360: 2 alarms, ShipGuard, battery backup, IRQ output, frequency out, "
              "512-byte EEPROM");
    EXPECT_EQ(list->itemData(FindPartRow("VK382"), Qt::ToolTipRole).toString(),
              "VK382: frequency out");
    EXPECT_FALSE(list->itemData(0, Qt::ToolTipRole).toString().isEmpty());
}
