// The fixture of the page tests: a window on the recording fake adapter with
// board 1 open and the polling timer stopped, driven as a user drives a page
// (the part chosen, an entry picked), with the checks the pages share on the
// transfers they send and the error boxes they show.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "app/TMainApp.h"
#include "support/RecordingAdapter.h"
#include "support/WindowFixture.h"

// The error box a transfer that failed with this result code shows.
QString failureBox(int32_t code);

// The transfers recorded since the last reset as "R08/1" (a read of one byte
// at 0x08) and "W0C 80 00" (a write of two bytes at 0x0C), a failed one marked
// "!", separated by "; ".
std::string transferTrace();

class PageFixture : public WindowFixture {
  protected:
    // A window with the part chosen at start-up; start-up's calls are forgotten.
    // The options' adapter stands in for the recording one (which it should
    // record through); the polling timer is always stopped.
    TMainApp& openWith(const char* part, WindowOptions options = {});
    // As a user picks the part in the list; the calls of the choice are forgotten.
    void choose(const char* part);

    // The page on this tab, built as its class.
    template <class Page> Page& pageOn(const char* tab)
    {
        auto* built = qobject_cast<Page*>(window().page(QLatin1String(tab)));
        if (!built) throw std::runtime_error(std::string("no page on tab ") + tab);
        return *built;
    }

    // As a user picks an entry: the change handler runs.
    static void pick(QComboBox* list, int index);
    static void pick(QComboBox* list, const char* text);

    // The oldest error box the window recorded, taken from the record.
    QString box();
    // The chosen part's slave address.
    uint8_t rtc();

    // A transfer to the chosen part on board 1.
    void expectTransfer(const AdapterCall& t, AdapterOp op, uint32_t sub, uint32_t count,
                        uint8_t subLen = 1);
    // Every recorded transfer went to the chosen part on board 1 with this
    // sub-address length.
    void expectAddressing(uint8_t subLen = 1);
};
