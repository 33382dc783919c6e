// The printed report's text page, laid out without any drawing: which text
// goes on which line of which page and in which column. The painter turns
// lines into printer pixels (top T + line x H) and columns into x positions.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "catalogue/PartTable.h"

namespace ReportLogic {

// Where a text starts. Left is the left margin L (= register column c0);
// Value the features' value column V; Section, Name and Byte the register
// columns c1, c2 and c3.
enum class Column { Left, Value, Section, Name, Byte };

struct TextItem {
    int line; // line n of its page, drawn at y = T + n x H
    Column column;
    std::string text;
};

struct Report {
    std::string title;                        // on the first page only, at its own position
    std::vector<std::vector<TextItem>> pages; // always at least one page
};

// strftime format of the title's time: "%D - %T" with the 24-hour PC time
// format, "%D - %r" with the 12-hour one.
const char* TimeFormat(bool time24);
std::string FormatTime(const std::tm& local, bool time24);
std::string TitleText(const std::string& time);

// First line of the register lines on the first page, and of the register
// lines on a continuation page (whose line 0 repeats the column headers).
constexpr int kFirstRegisterLine = 14;
constexpr int kContinuedRegisterLine = 2;

// The report for a part and its register image (256 bytes, offset =
// address). linesPerPage is how many lines fit below the top T on the
// printable area; register lines beyond it continue on further pages.
Report Build(const PartInfo& part, const uint8_t* regs, const std::string& time, int linesPerPage);

// The graph page, in the page's own units: the chart, a picture of
// chartWidth x chartHeight, is scaled to the page keeping its proportions,
// centred, at the top. With a rate line the chart leaves room below it for
// half a line's gap, the line (one lineHeight, starting at the chart's left
// edge) and half a line to spare; without one it fills the page as before.
struct Box {
    double x = 0, y = 0, width = 0, height = 0;
};
struct GraphPage {
    Box chart;
    bool hasRate = false;
    double rateX = 0, rateTop = 0; // the rate line's left edge and top
};
GraphPage LayoutGraphPage(double pageWidth, double pageHeight, double chartWidth,
                          double chartHeight, double lineHeight, bool rateLine);

} // namespace ReportLogic
