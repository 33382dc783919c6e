#include "support/PageFixture.h"

#include <cstdio>

#include "app/setup/SetupPage.h"
#include "support/AppTestSupport.h"

QString failureBox(int32_t code)
{
    return QStringLiteral("Communication error Occured\r%1")
        .arg(QString::fromStdString(RecordingAdapter::resultText(code)));
}

std::string transferTrace()
{
    std::string out;
    for (const AdapterCall& t : RecordingAdapter::transfers()) {
        char text[16];
        std::snprintf(text, sizeof text, "%c%02X", t.op == AdapterOp::Read ? 'R' : 'W', t.sub);
        if (!out.empty()) out += "; ";
        out += text;
        if (t.op == AdapterOp::Read) {
            out += "/" + std::to_string(t.count);
        } else {
            for (uint8_t byte : t.data) {
                std::snprintf(text, sizeof text, " %02X", byte);
                out += text;
            }
        }
        if (t.result != 0) out += "!";
    }
    return out;
}

TMainApp& PageFixture::openWith(const char* part, WindowOptions options)
{
    store.write(QStringLiteral("Device=%1\n").arg(QLatin1String(part)));
    if (!options.Adapter) options.adapter(&RecordingAdapter::api());
    RecordingAdapter::reset();
    TMainApp& w = open(options.stopTimer());
    RecordingAdapter::reset();
    return w;
}

void PageFixture::choose(const char* part)
{
    QComboBox* list = window().setupPage()->DeviceSel;
    const int row = list->findText(QLatin1String(part), Qt::MatchExactly);
    ASSERT_GE(row, 0) << part;
    list->setCurrentIndex(row);
    emit list->activated(row);
    RecordingAdapter::reset();
}

void PageFixture::pick(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void PageFixture::pick(QComboBox* list, const char* text)
{
    const int index = list->findText(QLatin1String(text), Qt::MatchExactly);
    ASSERT_GE(index, 0) << list->objectName().toStdString() << " has no \"" << text << "\"";
    pick(list, index);
}

QString PageFixture::box()
{
    return takeRecordedBox(window());
}

uint8_t PageFixture::rtc()
{
    return window().bus().part().RtcAddress;
}

void PageFixture::expectTransfer(const AdapterCall& t, AdapterOp op, uint32_t sub, uint32_t count,
                                 uint8_t subLen)
{
    EXPECT_EQ(t.op, op);
    EXPECT_EQ(t.board, 1u);
    EXPECT_EQ(t.slave, rtc());
    EXPECT_EQ(t.subLen, subLen);
    EXPECT_EQ(t.sub, sub);
    EXPECT_EQ(t.count, count);
}

void PageFixture::expectAddressing(uint8_t subLen)
{
    for (const AdapterCall& t : RecordingAdapter::transfers()) {
        EXPECT_EQ(t.board, 1u);
        EXPECT_EQ(t.slave, rtc());
        EXPECT_EQ(t.subLen, subLen);
    }
}
