// The display panel rtc as the window carries it: names, hints, captions, the
// polling switch, and room for the longest texts the polling cycle shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>
#include <memory>

#include "app/TMainApp.h"
#include "app/polling/DisplayPanel.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

class DisplayPanel : public WindowFixture {};

struct FieldCase {
    const char* name;
    const char* hint;
};

TEST_F(DisplayPanel, FieldsCarryTheirNamesAndHints)
{
    auto w = makeWindow();
    ::DisplayPanel* panel = w->displayPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(w->rtc, panel);
    EXPECT_EQ(panel->objectName().toStdString(), "rtc");
    EXPECT_EQ(w->Label4, panel->Label4);
    EXPECT_EQ(w->PollingTime, panel->PollingTime);

    const FieldCase fields[] = {
        {"PCtime", "Current PC Time"},   {"PCdate", "Current PC Date"},
        {"RTCtime", "Current RTC Time"}, {"RTCdate", "Current RTC Date"},
        {"RTCdev", "RTC Deviation"},     {"RTCtemp", "Current RTC Temperature"},
    };
    for (const FieldCase& f : fields) {
        auto* field = w->findChild<QLabel*>(f.name);
        ASSERT_NE(field, nullptr) << f.name;
        EXPECT_EQ(field->parentWidget(), panel) << f.name;
        EXPECT_EQ(field->toolTip().toStdString(), f.hint) << f.name;
        // Hints also go to status panel 0.
        EXPECT_EQ(field->statusTip().toStdString(), f.hint) << f.name;
        EXPECT_TRUE(field->text().isEmpty()) << f.name;
    }
    auto* label42 = w->findChild<QLabel*>("Label42");
    ASSERT_NE(label42, nullptr);
    EXPECT_EQ(label42->text().toStdString(), "RTC Deviation");
    EXPECT_EQ(panel->Label4->text().toStdString(), "LM75 Temperature");
}

TEST_F(DisplayPanel, PollingSwitchStartsOn)
{
    auto w = makeWindow();
    auto* box = w->findChild<QCheckBox*>("PollingEnable");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(w->displayPanel()->pollingEnabled());
    EXPECT_EQ(box->text().toStdString(), "Enable Polling");
}

TEST_F(DisplayPanel, BlankingEmptiesOnlyTheChipFields)
{
    auto w = makeWindow();
    ::DisplayPanel* p = w->displayPanel();
    for (QLabel* field : {p->PCtime, p->PCdate, p->RTCtime, p->RTCdate, p->RTCdev, p->RTCtemp})
        field->setText("x");
    p->blankChipFields();
    for (QLabel* field : {p->RTCtime, p->RTCdate, p->RTCdev, p->RTCtemp})
        EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
    EXPECT_EQ(p->PCtime->text().toStdString(), "x");
    EXPECT_EQ(p->PCdate->text().toStdString(), "x");
}

TEST_F(DisplayPanel, LongestTextsFitTheirFields)
{
    auto w = makeWindow(WindowOptions().wide());
    w->show();
    QApplication::processEvents();
    ::DisplayPanel* p = w->displayPanel();
    const struct {
        QLabel* field;
        const char* text;
    } cases[] = {
        {p->PCtime, "12:59:59 PM"},       {p->PCdate, "12/31/99"},
        {p->RTCtime, "Clock Not Set"},    {p->RTCdate, "Clock Not Set"},
        {p->RTCdev, "-23:59:59"},         {p->RTCtemp, "-128.0000*C (-198.40*F)"},
        {p->PollingTime, " 1000.000 mS"}, {p->Label4, "LM76 Temperature"},
    };
    for (const auto& c : cases) {
        c.field->setText(c.text);
        const int needed = c.field->fontMetrics().horizontalAdvance(c.text);
        EXPECT_LE(needed, c.field->contentsRect().width()) << c.text;
        EXPECT_GE(c.field->contentsRect().height(), c.field->fontMetrics().height()) << c.text;
        EXPECT_TRUE(c.field->isVisibleTo(w.get())) << c.text;
    }
    // The panel is not cut off by the status bar.
    const QRect inWindow(p->mapTo(w.get(), QPoint(0, 0)), p->size());
    EXPECT_LE(inWindow.bottom(), w->statusBar()->mapTo(w.get(), QPoint(0, 0)).y());
    w->close();
}

} // namespace
