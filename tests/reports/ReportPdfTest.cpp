// The report end to end on the real window: written as a PDF file and read
// back with poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QChart>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/TMainApp.h"
#include "app/setup/SetupPage.h"
#include "catalogue/PartTable.h"
#include "pages/PageLinks.h"
#include "pages/graph/DriftLogic.h"
#include "pages/graph/GraphView.h"
#include "support/AppTestSupport.h"
#include "support/WindowFixture.h"

namespace {

struct PageSize {
    double width = 0, height = 0;
};

class ReportPdfTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        for (const char* tool : {"pdfinfo", "pdftotext", "pdfimages", "pdffonts"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is missing: scripts/deps installs poppler-utils";
        ASSERT_TRUE(dir.isValid());
        open(WindowOptions().stopTimer().pcTime(QDateTime(QDate(2024, 5, 6), QTime(13, 5, 9))));
    }

    void choose(const char* part)
    {
        QComboBox* list = window().setupPage()->DeviceSel;
        const int row = list->findText(QLatin1String(part), Qt::MatchExactly);
        ASSERT_GE(row, 0) << part;
        list->setCurrentIndex(row);
        emit list->activated(row);
    }

    static QString run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(20000)) << program.toStdString();
        EXPECT_EQ(p.exitCode(), 0)
            << program.toStdString() << ": " << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // Every page's size in points, from pdfinfo.
    static std::vector<PageSize> pages(const QString& pdf)
    {
        const QString info =
            run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("100"), pdf});
        std::vector<PageSize> sizes;
        static const QRegularExpression size(
            QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
        for (auto it = size.globalMatch(info); it.hasNext();) {
            const auto m = it.next();
            sizes.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
        }
        return sizes;
    }

    static QString text(const QString& pdf, int page)
    {
        return run(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                    QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    }

    // The words of a page with their boxes in points, from pdftotext -bbox.
    struct Word {
        QString text;
        double xMin = 0, yMin = 0, xMax = 0;
    };
    static std::vector<Word> words(const QString& pdf, int page)
    {
        const QString html =
            run(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                 QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
        static const QRegularExpression word(QStringLiteral(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
        std::vector<Word> out;
        for (auto it = word.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            out.push_back({m.captured(4), m.captured(1).toDouble(), m.captured(2).toDouble(),
                           m.captured(3).toDouble()});
        }
        return out;
    }

    // The boxes of a page's pictures and texts in points, from pdftohtml's
    // XML at zoom 1, and the page's own size.
    struct Box {
        double top = 0, left = 0, width = 0, height = 0;
        QString text;
        double bottom() const { return top + height; }
        double right() const { return left + width; }
    };
    struct Layout {
        double width = 0, height = 0;
        std::vector<Box> images, texts;
    };
    Layout layout(const QString& pdf, int page)
    {
        const QString base = dir.filePath(QStringLiteral("layout%1").arg(page));
        run(QStringLiteral("pdftohtml"),
            {QStringLiteral("-xml"), QStringLiteral("-q"), QStringLiteral("-zoom"),
             QStringLiteral("1"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), pdf, base});
        QFile xml(base + QStringLiteral(".xml"));
        EXPECT_TRUE(xml.open(QIODevice::ReadOnly)) << base.toStdString();
        const QString all = QString::fromUtf8(xml.readAll());
        Layout out;
        static const QRegularExpression pageTag(
            QStringLiteral(R"re(<page [^>]*height="([\d.]+)" width="([\d.]+)")re"));
        const auto p = pageTag.match(all);
        if (p.hasMatch())
            out.height = p.captured(1).toDouble(), out.width = p.captured(2).toDouble();
        static const QRegularExpression item(QStringLiteral(
            R"re(<(image|text) top="(-?[\d.]+)" left="(-?[\d.]+)" width="([\d.]+)" height="([\d.]+)"[^>]*>(?:(.*?)</text>)?)re"));
        for (auto it = item.globalMatch(all); it.hasNext();) {
            const auto m = it.next();
            Box box{m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4).toDouble(),
                    m.captured(5).toDouble(), m.captured(6)};
            (m.captured(1) == QLatin1String("image") ? out.images : out.texts).push_back(box);
        }
        return out;
    }

    QTemporaryDir dir;
};

QString hex2(unsigned value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// A register line as pdftotext lays it out: address, (section,) name, value.
QRegularExpression registerLine(const RegMapEntry& e, uint8_t value)
{
    return QRegularExpression(QStringLiteral(R"((^|\n)\s*0x%1\s.*\s%2\s+0x%3[ \t]*(\n|$))")
                                  .arg(hex2(e.Address),
                                       QRegularExpression::escape(QLatin1String(e.ShortName)),
                                       hex2(value)));
}

TEST_F(ReportPdfTest, TextPageHoldsThePartsRegistersAndTheGraphFollowsInLandscape)
{
    choose("VK310");
    RtcBus& bus = window().bus();
    const PartInfo& part = bus.part();
    const auto sections = MapSections(part.RegisterMap);
    ASSERT_FALSE(sections.empty());
    const RegMapEntry& first = sections[0].FirstRegister[0];
    bus.data.Regs[first.Address] = 0xA7;

    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
    EXPECT_EQ(window().statusPanelText(3), QStringLiteral("Report written to ") + pdf);

    const auto sizes = pages(pdf);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_LT(sizes[0].width, sizes[0].height) << "text page in portrait";
    EXPECT_GT(sizes[1].width, sizes[1].height) << "graph page in landscape";

    const QString page1 = text(pdf, 1);
    EXPECT_TRUE(page1.contains(QStringLiteral("Kavrolux RTC Evaluation Report ( 05/06/24 - ")))
        << page1.toStdString();
    EXPECT_TRUE(page1.contains(QRegularExpression(QStringLiteral(R"(Part Nunber:\s+VK310)"))));
    EXPECT_TRUE(page1.contains(
        QRegularExpression(QStringLiteral(R"(Address\s+Section\s+Reg Name\s+Value)"))));
    for (const MapSection& section : sections)
        for (int k = 0; k < section.RegisterCount; ++k) {
            const RegMapEntry& e = section.FirstRegister[k];
            EXPECT_TRUE(page1.contains(registerLine(e, bus.data.Regs[e.Address])))
                << e.ShortName << " in\n"
                << page1.toStdString();
        }
    // The graph page carries the chart's axis titles, not the registers.
    const QString page2 = text(pdf, 2);
    EXPECT_FALSE(page2.contains(QLatin1String(first.ShortName) + QLatin1Char(' ')));
    // The chart is one picture filling the landscape page's width.
    const QString images = run(QStringLiteral("pdfimages"),
                               {QStringLiteral("-list"), QStringLiteral("-f"), QStringLiteral("2"),
                                QStringLiteral("-l"), QStringLiteral("2"), pdf});
    EXPECT_TRUE(images.contains(QRegularExpression(QStringLiteral(R"(\n\s*2\s+0\s+image\s)"))))
        << images.toStdString();
}

// The report asks for Arial; where it is missing, Liberation Sans (installed
// by scripts/deps and named by the package) takes its place with the same
// widths, never a wider face that shifts the columns.
TEST_F(ReportPdfTest, TheTextPageIsSetInArialOrLiberationSans)
{
    choose("VK350");
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    const QStringList lines =
        run(QStringLiteral("pdffonts"), {QStringLiteral("-f"), QStringLiteral("1"),
                                         QStringLiteral("-l"), QStringLiteral("1"), pdf})
            .split(u'\n', Qt::SkipEmptyParts);
    QStringList faces;
    for (const QString& line : lines.mid(2)) // below the heading and its rule
        faces.append(line.section(u' ', 0, 0, QString::SectionSkipEmpty));
    faces.sort();
    ASSERT_EQ(faces.size(), 2) << "title and body: " << faces.join(u' ').toStdString();
    const QRegularExpression arialLike(QStringLiteral(R"(^(\w+\+)?(Arial|LiberationSans)\b)"));
    for (const QString& face : faces)
        EXPECT_TRUE(arialLike.match(face).hasMatch()) << face.toStdString();
    EXPECT_TRUE(faces[0].contains(QLatin1String("Bold")) ||
                faces[1].contains(QLatin1String("Bold")))
        << "the title is bold";
}

// Each feature's value starts in one column, clear of the longest caption in
// whatever font stands in for Arial here.
TEST_F(ReportPdfTest, FeatureValuesStartInOneColumnClearOfTheirCaptions)
{
    choose("VK350");
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    const std::vector<Word> all = words(pdf, 1);
    int lines = 0;
    double valueColumn = -1;
    for (const char* caption : {"Nunber:", "Alarm:", "Stamp:", "Dog:", "ShipGuard:", "Backup:",
                                "Detect:", "Output:", "Out:", "EEPROM:", "SRAM:"}) {
        SCOPED_TRACE(caption);
        const auto end =
            std::find_if(all.begin(), all.end(), [&](const Word& w) { return w.text == caption; });
        ASSERT_NE(end, all.end());
        const auto value = std::find_if(all.begin(), all.end(), [&](const Word& w) {
            return std::abs(w.yMin - end->yMin) < 1.0 && w.xMin > end->xMax;
        });
        ASSERT_NE(value, all.end());
        // More than a space of a 10-point font (2.8 to 3.2 points) between them.
        EXPECT_GT(value->xMin - end->xMax, 3.2) << value->text.toStdString();
        if (valueColumn < 0) valueColumn = value->xMin;
        EXPECT_NEAR(value->xMin, valueColumn, 0.5) << value->text.toStdString();
        ++lines;
    }
    EXPECT_EQ(lines, 11);
}

TEST_F(ReportPdfTest, TheChartOnScreenIsLeftAsItWas)
{
    choose("VK390");
    auto* graph = window().page(QStringLiteral("tsGraph"))->findChild<GraphView*>();
    ASSERT_NE(graph, nullptr);
    auto* tabs = window().findChild<QTabWidget*>(QStringLiteral("TabFunctions"));
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentWidget(window().page(QStringLiteral("tsGraph")));
    window().show();
    QCoreApplication::processEvents();
    const QRectF before = graph->Chart->geometry();
    ASSERT_TRUE(window().printReport(dir.filePath(QStringLiteral("chart.pdf"))));
    EXPECT_EQ(graph->Chart->geometry(), before);
    EXPECT_EQ(graph->LeftAxis->gridLinePen().style(), Qt::DotLine);
    EXPECT_EQ(graph->BottomAxis->gridLinePen().style(), Qt::DotLine);
}

TEST_F(ReportPdfTest, TwelveHourTitleAndNotSelectedTitleOnly)
{
    choose("Not Selected");
    window().setupPage()->Time24hr12->setChecked(true);
    const QString pdf = dir.filePath(QStringLiteral("empty.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    const auto sizes = pages(pdf);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_GT(sizes[1].width, sizes[1].height);
    const QString page1 = text(pdf, 1).trimmed();
    EXPECT_EQ(page1, QStringLiteral("Kavrolux RTC Evaluation Report ( 05/06/24 - 01:05:09 PM )"));
}

TEST_F(ReportPdfTest, EveryRegisterOfTheLongestMapIsPrinted)
{
    // The part with the most registers.
    const PartInfo* longest = nullptr;
    int most = 0;
    for (const PartInfo& part : PartTable) {
        int count = 0;
        for (const MapSection& s : MapSections(part.RegisterMap))
            count += s.RegisterCount;
        if (count > most) most = count, longest = &part;
    }
    ASSERT_NE(longest, nullptr);
    choose(longest->PartName);
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    const auto sizes = pages(pdf);
    ASSERT_GE(sizes.size(), 2u);
    QString all;
    for (size_t p = 0; p + 1 < sizes.size(); ++p) {
        EXPECT_LT(sizes[p].width, sizes[p].height) << p;
        all += text(pdf, static_cast<int>(p + 1));
    }
    EXPECT_GT(sizes.back().width, sizes.back().height);
    for (const MapSection& section : MapSections(longest->RegisterMap))
        for (int k = 0; k < section.RegisterCount; ++k)
            EXPECT_TRUE(all.contains(registerLine(section.FirstRegister[k], 0)))
                << section.FirstRegister[k].ShortName;
}

TEST_F(ReportPdfTest, AFileThatCannotBeWrittenIsReportedInAnErrorBox)
{
    choose("VK310");
    window().setStatusPanelText(3, QString());
    const QString pdf = dir.filePath(QStringLiteral("no/such/folder/report.pdf"));
    EXPECT_FALSE(window().printReport(pdf));
    ASSERT_EQ(recordedBoxCount(window()), 1u);
    const QString box = takeRecordedBox(window());
    EXPECT_TRUE(box.startsWith(QStringLiteral("The report could not be written to ") + pdf))
        << box.toStdString();
    EXPECT_TRUE(window().statusPanelText(3).isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ReportPdfTest, PrintBtnWithoutAPrinterTellsAScriptInsteadOfOpeningADialog)
{
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
    choose("VK310");
    window().PrintBtn->click();
    EXPECT_EQ(window().statusPanelText(3),
              QStringLiteral("No printer: the report was not printed"));
    EXPECT_EQ(recordedBoxCount(window()), 0u);
}

// An hour of drift samples at +17.3 ppm with a few ms of scatter.
QList<DriftLogic::DriftPoint> hourAt17ppm()
{
    QList<DriftLogic::DriftPoint> points;
    for (int i = 0; i <= 600; ++i)
        points.append({6.0 * i, 17.3e-3 * 6.0 * i + ((i * 37) % 11 - 5), 1.5});
    return points;
}

// Once the drift run has samples, its rate stands under the chart on the
// graph page, clear of it and on the page; the chart gives up only the room
// the line needs. Without samples the page is the chart alone.
TEST_F(ReportPdfTest, TheDriftRateStandsUnderTheChart)
{
    choose("VK310");
    DriftAnalysis* drift = window().links().drift;
    ASSERT_NE(drift, nullptr);
    drift->restart();
    const QString bare = dir.filePath(QStringLiteral("bare.pdf"));
    ASSERT_TRUE(window().printReport(bare));
    const Layout alone = layout(bare, 2);
    EXPECT_TRUE(alone.texts.empty()) << alone.texts.front().text.toStdString();
    ASSERT_EQ(alone.images.size(), 1u);

    drift->assign(hourAt17ppm(), 23.1, 23.9);
    const std::string rate = DriftLogic::RateText(drift->figures());
    const QString pdf = dir.filePath(QStringLiteral("rate.pdf"));
    ASSERT_TRUE(window().printReport(pdf));
    const QString page2 = text(pdf, 2).trimmed();
    EXPECT_TRUE(page2.startsWith(QStringLiteral("Rate: +17.3 ppm \u00b1 "))) << page2.toStdString();
    EXPECT_EQ(page2, QString::fromStdString(rate));
    EXPECT_FALSE(text(pdf, 1).contains(QStringLiteral("Rate:"))) << "only on the graph page";

    const Layout page = layout(pdf, 2);
    ASSERT_EQ(page.images.size(), 1u);
    ASSERT_FALSE(page.texts.empty());
    const Box& chart = page.images[0];
    for (const Box& line : page.texts) {
        SCOPED_TRACE(line.text.toStdString());
        EXPECT_GE(line.top, chart.bottom()) << "under the chart, not over it";
        EXPECT_LE(line.bottom(), page.height);
        EXPECT_GE(line.left, chart.left - 0.5);
        EXPECT_LE(line.right(), page.width);
    }
    EXPECT_LE(chart.bottom(), page.height);
    EXPECT_LE(chart.right(), page.width + 0.5);
    // The chart keeps its proportions and loses no more than the line's room.
    EXPECT_NEAR(chart.width / chart.height, alone.images[0].width / alone.images[0].height, 0.02);
    EXPECT_LT(chart.height, alone.images[0].height);
    EXPECT_GT(chart.height, alone.images[0].height - 4 * page.texts[0].height);
}

} // namespace
