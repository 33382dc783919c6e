// The printed report of the tool bar's PrintBtn: one text page with the title,
// the part's features and its registers as the image holds them (more pages
// when the registers run past the printable area), then the graph on a
// landscape page of its own, with the drift run's rate under the chart once the
// run has samples. Nothing is read from the chip.
#pragma once

#include <QString>

class QPrinter;
class ReportContext;

class ReportPrinter {
  public:
    explicit ReportPrinter(ReportContext& context);

    // PrintBtn: prints on the system's default printer. Without one, offers
    // to write the same pages to a PDF file in folder (the file dialogs'
    // folder); a script is never shown a dialog.
    void PrintBtnClick(const QString& folder);

    // Writes the report as a PDF file; says where in status panel 3. A
    // failure is shown in an error box with its reason; false then.
    bool WritePdf(const QString& file);

  private:
    // Paints every page; false and why when the device refuses to start.
    bool render(QPrinter& printer, QString* why);
    bool time24() const;

    ReportContext& context_;
};
