#include "reports/ReportPrinter.h"

#include <QAbstractAxis>
#include <QChart>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QValueAxis>
#include <algorithm>
#include <ctime>
#include <string>

#include "bus/RtcBus.h"
#include "clock/PcClock.h"
#include "pages/PageLinks.h"
#include "reports/ReportContext.h"
#include "reports/ReportLogic.h"

namespace {

using ReportLogic::Column;

// The report's faces are "Arial". Where it is not installed, Liberation Sans
// (a package dependency) has the same widths, so the columns fall as designed;
// it is named here because Qt takes the next family it has before asking
// fontconfig for Arial's stand-in. DejaVu Sans, wider, is the last resort.
QFont reportFont(int points, bool bold)
{
    QFont font(QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("DejaVu Sans")},
               points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The chart's left and bottom grids are dotted on screen and solid on paper.
class SolidGrids {
  public:
    explicit SolidGrids(QChart* chart)
    {
        if (!chart) return;
        for (QAbstractAxis* axis : chart->axes()) {
            auto* values = qobject_cast<QValueAxis*>(axis);
            if (values == nullptr) continue;
            if (values->alignment() == Qt::AlignLeft) axes_[0] = values;
            if (values->alignment() == Qt::AlignBottom) axes_[1] = values;
        }
        for (int i = 0; i < 2; ++i) {
            if (!axes_[i]) continue;
            saved_[i] = axes_[i]->gridLinePen();
            QPen solid = saved_[i];
            solid.setStyle(Qt::SolidLine);
            axes_[i]->setGridLinePen(solid);
        }
    }
    ~SolidGrids()
    {
        for (int i = 0; i < 2; ++i)
            if (axes_[i]) axes_[i]->setGridLinePen(saved_[i]);
    }
    SolidGrids(const SolidGrids&) = delete;
    SolidGrids& operator=(const SolidGrids&) = delete;

  private:
    QValueAxis* axes_[2] = {};
    QPen saved_[2];
};

} // namespace

ReportPrinter::ReportPrinter(ReportContext& context) : context_(context) {}

bool ReportPrinter::time24() const
{
    return context_.pcTime24();
}

bool ReportPrinter::render(QPrinter& printer, QString* why)
{
    const QDateTime now = context_.pcClock().now();
    const time_t seconds = static_cast<time_t>(now.toSecsSinceEpoch());
    std::tm local{};
    localtime_r(&seconds, &local);
    const std::string time = ReportLogic::FormatTime(local, time24());

    const QPageLayout::Orientation orientation = printer.pageLayout().orientation();
    printer.setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) {
        printer.setPageOrientation(orientation);
        *why = QStringLiteral("the printer could not start the document");
        return false;
    }

    const int r = printer.resolution();
    const int left = r / 2;
    const int top = r;
    const QFont titleFont = reportFont(12, true);
    const QFont bodyFont = reportFont(10, false);
    const QFontMetrics body(bodyFont, &printer);
    const int lineHeight = body.boundingRect(QStringLiteral("Ay")).height();
    // Indexed by ReportLogic::Column: L (= c0), V, c1, c2, c3.
    int columns[5] = {left, left + body.horizontalAdvance(QStringLiteral("Frequency Out:  ")),
                      left + body.horizontalAdvance(QStringLiteral("Address    ")), 0, 0};
    columns[3] = columns[2] + body.horizontalAdvance(QStringLiteral("Control and Status    "));
    columns[4] = columns[3] + body.horizontalAdvance(QStringLiteral("Reg Name    "));
    const int linesPerPage = qMax(1, (printer.height() - top) / qMax(1, lineHeight));

    const RtcBus& bus = context_.bus();
    const ReportLogic::Report report =
        ReportLogic::Build(bus.part(), bus.data.Regs, time, linesPerPage);

    // The value column is set by "Frequency Out:  "; where a font stands in
    // for Arial with wider letters, a longer caption would run into its value,
    // so the column moves right to keep two spaces after every caption.
    if (!report.pages.empty()) {
        const auto& first = report.pages.front();
        for (const ReportLogic::TextItem& caption : first) {
            if (caption.column != ReportLogic::Column::Left) continue;
            const bool hasValue =
                std::any_of(first.begin(), first.end(), [&](const ReportLogic::TextItem& v) {
                    return v.line == caption.line && v.column == ReportLogic::Column::Value;
                });
            if (hasValue)
                columns[1] = qMax(
                    columns[1], left + body.horizontalAdvance(QString::fromStdString(caption.text) +
                                                              QStringLiteral("  ")));
        }
    }

    // Texts are placed by their top edge, as the layout counts lines.
    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    const QFontMetrics title(titleFont, &printer);
    painter.drawText(r / 2, r / 2 + title.ascent(), QString::fromStdString(report.title));
    painter.setFont(bodyFont);
    for (size_t p = 0; p < report.pages.size(); ++p) {
        if (p > 0) printer.newPage();
        for (const ReportLogic::TextItem& item : report.pages[p]) {
            const int y = top + item.line * lineHeight + body.ascent();
            painter.drawText(columns[static_cast<int>(item.column)], y,
                             QString::fromStdString(item.text));
        }
    }

    // The graph, landscape, on a page of its own and without margins.
    QChart* chart = context_.links().graphChart;
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.newPage();
    std::string rate;
    if (const DriftAnalysis* drift = context_.links().drift) {
        const DriftLogic::DriftFigures figures = drift->figures();
        if (figures.Samples > 0) rate = DriftLogic::RateText(figures);
    }
    const ReportLogic::GraphPage graphPage = ReportLogic::LayoutGraphPage(
        printer.width(), printer.height(), 1000, 700, lineHeight, !rate.empty());
    if (chart && chart->scene()) {
        // The chart is laid out on a landscape canvas of its own (the page on
        // screen may never have been shown), drawn at three times its pixels
        // and scaled to the page, so its fonts keep their proportions on any
        // printer resolution; then it gets its screen size back.
        QChart* c = chart;
        const QRectF screen = c->geometry();
        const QMarginsF margins = c->margins();
        c->setMargins(QMargins(0, 0, 0, 0));
        c->setGeometry(QRectF(screen.topLeft(), QSizeF(1000, 700)));
        if (c->layout()) c->layout()->activate();
        constexpr int kScale = 3;
        QImage picture(QSize(1000, 700) * kScale, QImage::Format_RGB32);
        picture.setDevicePixelRatio(kScale);
        picture.fill(Qt::white);
        {
            SolidGrids solid(chart);
            QPainter onPicture(&picture);
            onPicture.setRenderHint(QPainter::Antialiasing);
            c->scene()->render(&onPicture, QRectF(0, 0, 1000, 700), c->sceneBoundingRect());
        }
        c->setMargins(margins.toMargins());
        c->setGeometry(screen);
        if (c->layout()) c->layout()->activate();
        const ReportLogic::Box at = graphPage.chart;
        painter.drawImage(QRectF(at.x, at.y, at.width, at.height), picture);
    }
    // The drift run's rate under the chart, once it has samples.
    if (graphPage.hasRate) {
        painter.setFont(bodyFont);
        painter.drawText(qRound(graphPage.rateX), qRound(graphPage.rateTop) + body.ascent(),
                         QString::fromStdString(rate));
    }
    painter.end();
    printer.setPageOrientation(orientation);
    return true;
}

bool ReportPrinter::WritePdf(const QString& file)
{
    QString why;
    {
        // The PDF writer gives no reason of its own when it cannot create the file.
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly)) why = probe.errorString();
    }
    if (why.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setFullPage(false);
        render(printer, &why);
    }
    if (!why.isEmpty()) {
        context_.bus().sink().errorBox(QStringLiteral("The report could not be written to %1: %2")
                                           .arg(file, why)
                                           .toStdString());
        return false;
    }
    context_.setStatusPanelText(
        3, QStringLiteral("Report written to %1").arg(QFileInfo(file).absoluteFilePath()));
    return true;
}

void ReportPrinter::PrintBtnClick(const QString& folder)
{
    const QPrinterInfo device = QPrinterInfo::defaultPrinter();
    if (!device.isNull()) {
        QPrinter printer(device, QPrinter::HighResolution);
        QString why;
        if (!render(printer, &why))
            context_.bus().sink().errorBox(
                QStringLiteral("The report was not printed: %1").arg(why).toStdString());
        return;
    }
    if (context_.scriptMode()) {
        context_.setStatusPanelText(3, QStringLiteral("No printer: the report was not printed"));
        return;
    }
    const QString file = QFileDialog::getSaveFileName(
        context_.dialogParent(), QStringLiteral("No printer installed - save the report as PDF"),
        QDir(folder).filePath(QStringLiteral("rtc-report.pdf")),
        QStringLiteral("PDF files (*.pdf)"));
    if (!file.isEmpty()) WritePdf(file);
}
