// The settings tables against the window's controls: every name a part choice
// uses finds exactly one control, each property lands as the control shows
// it, and a setting that cannot be applied is reported, never skipped quietly.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <memory>
#include <set>
#include <string>

#include "PartSelection.h"
#include "app/PageTable.h"
#include "app/PartChoice.h"
#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

class PartChoiceApplier : public WindowFixture {};

// Every name the pages' tables use, whichever part is chosen.
std::set<std::string> namesUsed()
{
    std::set<std::string> names;
    auto collect = [&names](SettingList list) {
        for (const ControlSetting& setting : list)
            names.insert(setting.Control);
    };
    for (const PageSettingsTable* table : PartChoice::pageTables(Pages())) {
        collect(table->Base);
        for (SettingList block : table->Blocks)
            collect(block);
    }
    return names;
}

TEST_F(PartChoiceApplier, EveryNameOfEveryPartFindsExactlyOneControl)
{
    auto w = makeWindow();
    for (const std::string& name : namesUsed()) {
        const QString control = QString::fromStdString(name);
        if (w->pageIndex(control) >= 0) continue;
        EXPECT_EQ(w->findChildren<QWidget*>(control).size(), 1) << name;
    }
    w->clearControlFailures();
    QComboBox* list = w->setupPage()->DeviceSel;
    for (int row = 0; row < kPartCount; ++row) {
        list->setCurrentIndex(row);
        emit list->activated(row);
        EXPECT_EQ(w->controlFailures(), QStringList()) << PartTable[row].PartName;
    }
    // Back to the start, so a table that only works from the design state shows up.
    list->setCurrentIndex(0);
    emit list->activated(0);
    EXPECT_EQ(w->controlFailures(), QStringList());
}

TEST_F(PartChoiceApplier, PropertiesLandAsTheControlShowsThem)
{
    auto w = makeWindow();
    static constexpr const char* kItems[] = {"first", "second", "third"};
    auto* sections = w->findChild<QComboBox*>("SectionSel");
    ASSERT_NE(sections, nullptr);
    QSignalSpy userChoices(sections, &QComboBox::activated);
    auto* led = w->findChild<QWidget*>("LedAlarm2");
    ASSERT_NE(led, nullptr);
    const int ledLeft = led->x();

    const ControlSetting settings[] = {
        SetCaption("Label53", "Temp && Gain"),
        SetCaption("GroupBox38", "ID && more"),
        SetCaption("BtnUnlock", "Un&&lock"),
        SetCaption("tsReg", "Regs && Rows"),
        SetHint("ChkAutoUnlock", "a hint"),
        SetItems("SectionSel", kItems),
        Hide("tsReg"),
        Enable("VccSw", false),
        Light("CBSLed2"),
        SetTop("LedAlarm2", 40),
        Hide("Label54"),
    };
    w->clearControlFailures();
    w->partChoice().apply(settings);
    EXPECT_EQ(w->controlFailures(), QStringList());

    EXPECT_EQ(w->findChild<QLabel*>("Label53")->text(), "Temp & Gain");
    EXPECT_EQ(w->findChild<QGroupBox*>("GroupBox38")->title(), "ID && more");
    EXPECT_EQ(w->findChild<QAbstractButton*>("BtnUnlock")->text(), "Un&&lock");
    EXPECT_EQ(w->TabFunctions->tabText(w->pageIndex("tsReg")), "Regs && Rows");
    auto* check = w->findChild<QWidget*>("ChkAutoUnlock");
    EXPECT_EQ(check->toolTip(), "a hint");
    EXPECT_EQ(check->statusTip(), "a hint");
    EXPECT_EQ(sections->count(), 3);
    EXPECT_EQ(sections->itemText(2), "third");
    EXPECT_EQ(sections->currentIndex(), -1);
    EXPECT_FALSE(w->isPageVisible("tsReg"));
    EXPECT_FALSE(w->VccSw->isEnabled());
    EXPECT_TRUE(w->findChild<QWidget*>("CBSLed2")->property("lit").toBool());
    EXPECT_EQ(led->y(), 40);
    EXPECT_EQ(led->x(), ledLeft);
    EXPECT_TRUE(w->findChild<QWidget*>("Label54")->isHidden());

    const ControlSetting more[] = {SelectItem("SectionSel", 1), Show("tsReg"), Darken("CBSLed2")};
    w->partChoice().apply(more);
    EXPECT_EQ(sections->currentIndex(), 1);
    EXPECT_EQ(userChoices.count(), 0); // a list's change handler runs on user choices only
    EXPECT_TRUE(w->isPageVisible("tsReg"));
    EXPECT_FALSE(w->findChild<QWidget*>("CBSLed2")->property("lit").toBool());
    EXPECT_EQ(w->controlFailures(), QStringList());
}

TEST_F(PartChoiceApplier, SettingsThatCannotApplyAreReportedAndTheRestStillApply)
{
    auto w = makeWindow();
    static constexpr const char* kItems[] = {"x"};
    const ControlSetting settings[] = {
        SetCaption("NoSuchControl", "x"),
        SetItems("Label53", kItems), // a label has no list
        Light("Label54"),            // nor a lamp
        SetTop("tsReg", 5),          // a tab has no position
        SetCaption("LabelRTCF", "still set"),
    };
    w->clearControlFailures();
    w->partChoice().apply(settings);
    const QStringList failures = w->controlFailures();
    ASSERT_EQ(failures.size(), 4) << failures.join(u'\n').toStdString();
    EXPECT_TRUE(failures[0].startsWith("NoSuchControl Caption")) << failures[0].toStdString();
    EXPECT_TRUE(failures[1].startsWith("Label53 Items")) << failures[1].toStdString();
    EXPECT_TRUE(failures[2].startsWith("Label54 Lit")) << failures[2].toStdString();
    EXPECT_TRUE(failures[3].startsWith("tsReg Top")) << failures[3].toStdString();
    EXPECT_EQ(w->findChild<QLabel*>("LabelRTCF")->text(), "still set");
    EXPECT_EQ(w->findChild<QLabel*>("Label53")->text(), "Oscillator Failure (OSCF)");
}

} // namespace
