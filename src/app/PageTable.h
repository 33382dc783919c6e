// The tab pages, one row each, in tab order: how each is built and what the
// shell needs to know of it. A new page is a folder of its own plus one row.
#pragma once

#include <span>
#include <string_view>

#include "PartSelection.h"

class PageContext;
class QWidget;

struct PageRow {
    const char* Name;    // the tab page's objectName
    const char* Caption; // tab caption until a part choice sets another
    // Builds the page; null leaves an empty page of that name.
    QWidget* (*Make)(PageContext& context);
    // The page's part of the part choice (base state and family blocks);
    // null for none.
    const PageSettingsTable* PartSettings;
    // Controls that work only while a board is open.
    std::span<const char* const> BoardControls;
    // Status lamps on the page that the polling cycle lights from the chip's
    // flags and switches off with the board.
    std::span<const char* const> Lamps;
    // The page's own step of start-up, run by the window at its place in the
    // order; null for none.
    void (*StartUp)(QWidget* page) = nullptr;
};

std::span<const PageRow> Pages();

// The row of a page name, or null.
const PageRow* FindPage(std::string_view name);

// The row whose page holds a lamp of that name, or null.
const PageRow* PageOfLamp(std::string_view lamp);
