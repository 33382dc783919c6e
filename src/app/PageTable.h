// The tab pages, one row each, in tab order: a page's row is its whole
// registration. The row says how the page is built, when its tab shows, what
// the part choice sets on it, which controls need an open board, which status
// lamps it holds (with their bits per family) and its step of start-up. A new
// page is a folder of its own plus one row; the shell reads the rows and
// names no page.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "PartSelection.h"
#include "StatusLayout.h"

class PageContext;
class QWidget;

// Who shows or hides the page's tab.
enum class TabRule : uint8_t {
    Always,        // always shown; the part choice leaves it alone (Setup)
    WithSwitch,    // shown only with the "-r" switch, decided at start-up (Port)
    ByPart,        // the part choice shows it when ShownFor says so; the
                   // page's family block may show it too
    ByFamilyBlock, // hidden first in every part choice, before the tabs the
                   // part's row decides; only the page's family block shows it
};

// Where a page's start-up step runs among the window's own steps.
enum class StartUpPhase : uint8_t {
    AfterSwitch,     // once the "-r" switch has shaped the bus-speed list and
                     // shown or hidden the tabs it decides (the port rows)
    AfterPartChoice, // once the saved part is chosen and the temperature
                     // offset shown, before the boards are listed (the Set
                     // Clock pickers)
    BeforePolling,   // once the supply follows its check box, just before the
                     // polling timer starts (the graph's restart)
};

// What status panel 3 says once a clicked control's transfers succeeded.
struct ControlConfirmation {
    const char* Control; // the control's objectName on the page
    const char* Text;    // " Alarm 1 written"
};

// Written with designated initializers; what a row leaves out is none.
struct PageRow {
    const char* Name;    // the tab page's objectName
    const char* Caption; // tab caption until a part choice sets another
    // Builds the page; null leaves an empty page of that name.
    QWidget* (*Make)(PageContext& context) = nullptr;
    // The page's part of the part choice (base state and family blocks); null
    // for none. A table may caption and show the page's own tab.
    const PageSettingsTable* PartSettings = nullptr;
    // Controls that work only while a board is open.
    std::span<const char* const> BoardControls = {};
    // Status lamps on the page that the polling cycle lights from the chip's
    // flags, with their bits per family and when they are switched off.
    std::span<const StatusLamp> Lamps = {};
    TabRule Tab = TabRule::ByPart;
    // For TabRule::ByPart: whether the part's row shows the tab.
    bool (*ShownFor)(const PartInfo& part) = nullptr;
    // The page's own step of start-up, run by the window with the built page
    // at its phase, in row order; null for none.
    void (*StartUp)(QWidget* page) = nullptr;
    StartUpPhase Phase = StartUpPhase::AfterPartChoice;
    // The page's reads that write nothing to the chip, run by the window with
    // the built page when the page is shown, or the part or board changes
    // while it is shown, with a board open and a part chosen ("Read pages
    // when shown"). They run as a step does, not as a click: a failure goes
    // to the status bar, never to an error box. Null for none.
    void (*ReadOnShow)(QWidget* page) = nullptr;
    // Per control: what the status bar says after its click succeeded. A
    // control whose handler gives the status bar a text of its own has none.
    std::span<const ControlConfirmation> Confirmations = {};
};

// The application's rows.
std::span<const PageRow> Pages();

// The row of a page name in rows, or null.
const PageRow* FindPage(std::span<const PageRow> rows, std::string_view name);
inline const PageRow* FindPage(std::string_view name)
{
    return FindPage(Pages(), name);
}

// The row whose page holds a lamp of that name, or null.
const PageRow* PageOfLamp(std::span<const PageRow> rows, std::string_view lamp);
inline const PageRow* PageOfLamp(std::string_view lamp)
{
    return PageOfLamp(Pages(), lamp);
}

// Every status lamp of the rows, in row order.
std::vector<StatusLamp> LampsOf(std::span<const PageRow> rows);

// Whether a part choice of partRow leaves the tab of a ByPart or ByFamilyBlock
// row shown: the part's row, then the page's own base state and family block.
bool TabShownFor(const PageRow& row, int partRow);

// The captions the tab can show after a part choice of partRow: the one that
// choice gives it or, where the choice leaves the caption alone, every one an
// earlier choice may have left there.
std::vector<std::string> TabCaptionsFor(const PageRow& row, int partRow);
