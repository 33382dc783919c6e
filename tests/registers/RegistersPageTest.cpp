// The rows the port page binds into the register page's RowTable. The page's
// own behaviour is tested by the scenarios in tests/scenarios/registers_*.rtcs.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>

#include "app/AppOptions.h"
#include "app/TMainApp.h"
#include "registers/RegistersPage.h"
#include "support/AppTestSupport.h"
#include "widgets/BitPanel.h"

namespace {

RegistersPage::RowControls portRow(QWidget* parent)
{
    RegistersPage::RowControls row;
    row.Panel = new QFrame(parent);
    row.Name = new QLabel(QStringLiteral("IO"), parent);
    row.Hex = new QLineEdit(QStringLiteral("00"), parent);
    row.Hex->setMaxLength(2);
    for (BitPanel*& bit : row.Bits)
        bit = new BitPanel(QString(), parent);
    row.Write = new QPushButton(QStringLiteral("Write"), parent);
    row.Read = new QPushButton(QStringLiteral("Read"), parent);
    return row;
}

TEST(RegistersPageRows, ThePortRowsBindAsRowsEightAndNineAndShareTheHexKeyFilter)
{
    ensureApp();
    ScratchStore store;
    AppOptions options;
    options.settingsFile = store.path();
    auto window = std::make_unique<TMainApp>(options, true);
    auto* page = qobject_cast<RegistersPage*>(window->page(QStringLiteral("tsReg")));
    ASSERT_NE(page, nullptr);
    QWidget* port = window->page(QStringLiteral("tsPort"));
    ASSERT_NE(port, nullptr);

    // Rows 0 to 7 are the page's own.
    EXPECT_EQ(page->row(0).Hex, page->Hex[0]);
    EXPECT_EQ(page->row(7).Bits[7], page->Bit[7][7]);
    EXPECT_EQ(page->row(7).Read, page->RdBtn[7]);

    RegistersPage::RowControls pins = portRow(port);
    EXPECT_FALSE(page->BindRow(3, pins));
    EXPECT_FALSE(page->BindRow(10, pins));
    EXPECT_EQ(page->row(3).Hex, page->Hex[3]);
    RegistersPage::RowControls incomplete = pins;
    incomplete.Bits[5] = nullptr;
    // Start-up bound row 8 to the port page's own row; a failed bind keeps it.
    QLineEdit* portHex = port->findChild<QLineEdit*>(QStringLiteral("HexP0"));
    ASSERT_NE(portHex, nullptr);
    EXPECT_EQ(page->row(8).Hex, portHex);
    EXPECT_FALSE(page->BindRow(8, incomplete));
    EXPECT_EQ(page->row(8).Hex, portHex);

    ASSERT_TRUE(page->BindRow(8, pins));
    EXPECT_EQ(page->row(8).Hex, pins.Hex);
    EXPECT_EQ(page->row(8).Bits[0], pins.Bits[0]);

    // The bound box takes hex digits in upper case and drops the rest; its key
    // release is the port page's business, not the register image's.
    uint8_t image[256];
    std::copy(std::begin(window->bus().data.Regs), std::end(window->bus().data.Regs), image);
    pins.Hex->clear();
    QTest::keyClicks(pins.Hex, QStringLiteral("za5"));
    EXPECT_EQ(pins.Hex->text(), QStringLiteral("A5"));
    QTest::keyClicks(pins.Hex, QStringLiteral("b"));
    EXPECT_EQ(pins.Hex->text(), QStringLiteral("A5")); // two characters at most
    EXPECT_TRUE(
        std::equal(std::begin(image), std::end(image), std::begin(window->bus().data.Regs)));
}

} // namespace
