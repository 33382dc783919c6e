#include "reports/ReportLogic.h"

#include <algorithm>
#include <cstdio>

namespace ReportLogic {
namespace {

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, " 0x%02X", value & 0xFFu);
    return text;
}

const char* yesNo(uint8_t flag)
{
    return flag ? "Yes" : "No";
}

void columnHeaders(std::vector<TextItem>& page, int line)
{
    page.push_back({line, Column::Left, "Address"});
    page.push_back({line, Column::Section, "Section"});
    page.push_back({line, Column::Name, "Reg Name"});
    page.push_back({line, Column::Byte, "Value"});
}

} // namespace

const char* TimeFormat(bool time24)
{
    return time24 ? "%D - %T" : "%D - %r";
}

std::string FormatTime(const std::tm& local, bool time24)
{
    char text[64];
    const size_t n = std::strftime(text, sizeof text, TimeFormat(time24), &local);
    return std::string(text, n);
}

std::string TitleText(const std::string& time)
{
    return "Kavrolux RTC Evaluation Report ( " + time + " )";
}

Report Build(const PartInfo& part, const uint8_t* regs, const std::string& time, int linesPerPage)
{
    Report report;
    report.title = TitleText(time);
    report.pages.emplace_back();
    if (!part.RegisterMap) return report;

    std::vector<TextItem>& first = report.pages.back();
    const struct {
        const char* caption;
        std::string value;
    } features[] = {
        {"Part Nunber:", part.PartName},
        {"Alarm:", std::to_string(part.AlarmCount)},
        {"Time Stamp:", yesNo(part.HasTimeStamp)},
        {"Watch Dog:", yesNo(part.HasWatchdog)},
        {"ShipGuard:", yesNo(part.HasShipGuard)},
        {"Battery Backup:", yesNo(part.HasBatteryBackup)},
        {"Event Detect:", yesNo(part.HasEventDetect)},
        {"IRQ Output:", yesNo(part.HasIrqOutput)},
        {"Frequency Out:", yesNo(part.HasFreqOut)},
        {"EEPROM:", std::to_string(part.EepromBytes) + " Byte(s)"},
        {"SRAM:", std::to_string(part.SramBytes) + " Byte(s)"},
    };
    int line = 0;
    for (const auto& f : features) {
        first.push_back({line, Column::Left, f.caption});
        first.push_back({line, Column::Value, f.value});
        ++line;
    }
    columnHeaders(first, 12);

    // A page holds at least its headers and one register, however small.
    const int lastLine = linesPerPage - 1;
    line = kFirstRegisterLine;
    const char* section = "";
    bool firstOfSection = false;
    for (const RegMapEntry* e = part.RegisterMap;; ++e) {
        if (e->Kind == RegKind::SectionHeader) {
            section = e->ShortName;
            firstOfSection = true;
            continue;
        }
        if (e->Kind != RegKind::RegisterRow) break;
        if (line > lastLine && line > kContinuedRegisterLine) {
            report.pages.emplace_back();
            columnHeaders(report.pages.back(), 0);
            line = kContinuedRegisterLine;
        }
        std::vector<TextItem>& page = report.pages.back();
        page.push_back({line, Column::Left, hexByte(e->Address)});
        page.push_back({line, Column::Section, firstOfSection ? section : ""});
        page.push_back({line, Column::Name, e->ShortName});
        page.push_back({line, Column::Byte, hexByte(regs[e->Address])});
        firstOfSection = false;
        ++line;
    }
    return report;
}

GraphPage LayoutGraphPage(double pageWidth, double pageHeight, double chartWidth,
                          double chartHeight, double lineHeight, bool rateLine)
{
    GraphPage page;
    page.hasRate = rateLine;
    const double room = std::max(0.0, pageHeight - (rateLine ? 2 * lineHeight : 0.0));
    double scale = 0;
    if (chartWidth > 0 && chartHeight > 0)
        scale = std::max(0.0, std::min(pageWidth / chartWidth, room / chartHeight));
    page.chart.width = chartWidth * scale;
    page.chart.height = chartHeight * scale;
    page.chart.x = (pageWidth - page.chart.width) / 2;
    page.chart.y = 0;
    if (rateLine) {
        page.rateX = page.chart.x;
        page.rateTop = page.chart.height + lineHeight / 2;
    }
    return page;
}

} // namespace ReportLogic
