// The Port page on the real window over the recording fake adapter: what each
// button shows and leaves when its adapter call fails.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <string>
#include <vector>

#include "app/TMainApp.h"
#include "kvrx_usb.h"
#include "pages/port/PortPage.h"
#include "registers/RegistersCodec.h"
#include "support/AppTestSupport.h"
#include "support/PageFixture.h"
#include "support/RecordingAdapter.h"
#include "widgets/BitPanel.h"

namespace {

class PortPageTest : public PageFixture {
  protected:
    PortPage& page() { return pageOn<PortPage>("tsPort"); }

    // The row's value as its panels show it, bit 0 first.
    static uint8_t shown(const std::array<BitPanel*, 8>& bits)
    {
        uint8_t value = 0;
        for (size_t bit = 0; bit < 8; ++bit) {
            const uint colour = bits[bit]->colour();
            EXPECT_TRUE(colour == RegistersCodec::SetColour ||
                        colour == RegistersCodec::ClearColour)
                << "bit " << bit;
            if (colour == RegistersCodec::SetColour) value |= static_cast<uint8_t>(1u << bit);
        }
        return value;
    }
};

TEST_F(PortPageTest, EachButtonWhoseCallFailsShowsTheFailureAndKeepsThePanels)
{
    openWith("VK310", WindowOptions().wide());
    const struct {
        const char* what;
        QPushButton* PortPage::*button;
        AdapterOp op;
        QString readBuf; // Read_Buf after the failure
    } cases[] = {
        {"pin levels Write", &PortPage::WrBtnP0, AdapterOp::PortOut, QStringLiteral("C0FFEE")},
        {"pin levels Read", &PortPage::RdBtnP0, AdapterOp::PortIn, QStringLiteral("C0FFEE")},
        {"drive modes Write", &PortPage::WrBtnPM0, AdapterOp::PortMode, QStringLiteral("C0FFEE")},
        // The raw transfers clear the read box first; a failure leaves it empty.
        {"Write I2C", &PortPage::Button1, AdapterOp::Write, QString()},
        {"Read I2C", &PortPage::Button2, AdapterOp::Read, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Rows as the user left them, pins that would read otherwise, and a
        // raw transfer of three bytes set up.
        page().HexP0->setText(QStringLiteral("A5"));
        page().HexP0KeyUp();
        page().HexPM0->setText(QStringLiteral("3C"));
        page().HexPM0KeyUp();
        page().RadrLen->setChecked(true);
        page().Read_Qty->setText(QStringLiteral("03"));
        page().Button3->click();
        page().Read_Buf->setText(QStringLiteral("C0FFEE"));
        page().Wrt_Buff->setText(QStringLiteral("112233"));
        window().setStatusPanelText(3, QStringLiteral("before"));
        RecordingAdapter::reset();
        RecordingAdapter::setPortIn(0x5A);
        RecordingAdapter::setRegisters(0xAE, 0x00, {0x01, 0x02, 0x03});
        RecordingAdapter::failCall(1, KVRX_ERR_DATA_NACK);

        (page().*c.button)->click();

        const std::vector<AdapterCall>& calls = RecordingAdapter::calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].op, c.op);
        EXPECT_EQ(calls[0].board, 1u);
        EXPECT_EQ(box(), failureBox(KVRX_ERR_DATA_NACK));
        EXPECT_EQ(recordedBoxCount(window()), 0u);
        EXPECT_EQ(window().statusPanelText(3), QStringLiteral("before"));
        EXPECT_EQ(page().HexP0->text(), QStringLiteral("A5"));
        EXPECT_EQ(shown(page().P0Bits), 0xA5);
        EXPECT_EQ(page().HexPM0->text(), QStringLiteral("3C"));
        EXPECT_EQ(shown(page().PM0Bits), 0x3C);
        EXPECT_EQ(page().Read_Buf->text(), c.readBuf);
        EXPECT_EQ(page().Wrt_Buff->text(), QStringLiteral("112233"));
        if (c.op == AdapterOp::PortOut) {
            EXPECT_EQ(calls[0].value, 0xA5u) << "the row's pins";
        }
        if (c.op == AdapterOp::PortMode) {
            EXPECT_EQ(calls[0].value, 0x3Cu) << "the row's modes";
        }
        if (c.op == AdapterOp::Write) {
            EXPECT_EQ(RecordingAdapter::registerAt(0xAE, 0x00), 0x01) << "nothing was stored";
        }
    }
}

} // namespace
