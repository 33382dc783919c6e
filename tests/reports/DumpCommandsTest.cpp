// The register dump file on the real window: Open, Save and Save As, the
// script verbs' path, what a read changes (part, image, graph, polling) and how
// failures to read or write are reported.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "app/ResultSinks.h"
#include "app/polling/DisplayPanel.h"
#include "app/setup/SetupPage.h"
#include "pages/PageLinks.h"
#include "pages/graph/DriftLogic.h"
#include "pages/graph/GraphData.h"
#include "reports/DumpCommands.h"
#include "support/CommaLocale.h"
#include "support/WindowFixture.h"

namespace {

class DumpCommandsTest : public WindowFixture {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid() && qtSettings.isValid());
        // A file dialog keeps its history in Qt's own per-user settings when it
        // goes away: here in a folder of the test's, not the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qtSettings.path());
        WindowFixture::SetUp();
        open(WindowOptions().stopTimer().pcTime(QDateTime(QDate(2024, 5, 6), QTime(13, 5, 9))));
    }
    void TearDown() override
    {
        WindowFixture::TearDown(); // the dialogs go with the window
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }

    void choose(const char* name)
    {
        const int row = FindPartRow(name);
        ASSERT_EQ(std::string(PartTable[static_cast<size_t>(row)].PartName), name);
        window().setupPage()->DeviceSel->setCurrentIndex(row);
        window().DeviceSelChange();
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void put(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    RecordingSink& boxes() { return *window().recordedBoxes(); }
    GraphData& graph() { return *graphDataOf(window()); }
    uint8_t* regs() { return window().bus().data.Regs; }

    QTemporaryDir dir;
    QTemporaryDir qtSettings;
};

TEST_F(DumpCommandsTest, EveryPartRoundTripsWithItsRegistersAndGraph)
{
    const QList<QPointF> dev = {{0.5, -2}, {25.5, 3}, {49.25, 0}};
    const QList<QPointF> temp = {{0.5, 23.5}, {25.5, -10.1}, {49.25, 85}};
    for (int row = 1; row < kPartCount; ++row) {
        const PartInfo& info = PartTable[static_cast<size_t>(row)];
        SCOPED_TRACE(info.PartName);
        choose(info.PartName);
        for (int i = 0; i < 256; ++i)
            regs()[i] = static_cast<uint8_t>(i * 37 + row);
        uint8_t saved[256];
        std::copy(regs(), regs() + 256, saved);
        graph().assign(GraphData::Deviation, dev);
        graph().assign(GraphData::Temperature, temp);
        ASSERT_TRUE(window().saveDumpFile(path("run.csv")));

        // Somewhere else entirely, then back from the file.
        choose(row == 1 ? "VK381" : "VK310");
        std::fill(regs(), regs() + 256, 0);
        graph().clear();
        ASSERT_TRUE(window().openDumpFile(path("run.csv")));

        EXPECT_EQ(window().bus().partRow(), row);
        EXPECT_EQ(window().setupPage()->DeviceSel->currentIndex(), row);
        for (const MapSection& s : MapSections(info.RegisterMap)) {
            for (int r = 0; r < s.RegisterCount; ++r) {
                const uint8_t a = s.FirstRegister[r].Address;
                EXPECT_EQ(regs()[a], saved[a]) << "register " << int(a);
            }
        }
        EXPECT_EQ(graph().points(GraphData::Deviation), dev);
        EXPECT_EQ(graph().points(GraphData::Temperature), temp);
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DumpCommandsTest, WrittenBytesEndEveryLineWithCrLf)
{
    choose("VK310");
    regs()[0x0A] = 0x25;
    graph().assign(GraphData::Deviation, {{1.0, -2.6}});
    graph().assign(GraphData::Temperature, {{1.0, 23.46}});
    ASSERT_TRUE(window().saveDumpFile(path("crlf.csv")));
    const QByteArray bytes = contents(path("crlf.csv"));
    EXPECT_TRUE(bytes.startsWith("Part Nunber,VK310\r\nAlarm,"));
    EXPECT_TRUE(
        bytes.contains("\r\n0x0A,0x25,Control and Status,ATR (Analog Timing Register)\r\n"));
    EXPECT_TRUE(
        bytes.endsWith("\r\n\r\nElapsed Time,Deviation,Temperature\r\nDay 0 01:00:00,-3,23.5\r\n"));
    for (qsizetype i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1))
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
}

TEST_F(DumpCommandsTest, NotSelectedWithEmptyGraphWritesTheGraphHeaderOnly)
{
    choose("Not Selected");
    graph().clear();
    ASSERT_TRUE(window().saveDumpFile(path("none.csv")));
    EXPECT_EQ(contents(path("none.csv")), QByteArray("\r\nElapsed Time,Deviation,Temperature\r\n"));
}

TEST_F(DumpCommandsTest, ReadSwitchesThePartFirstStopsPollingAndDrawsTheGraphOnce)
{
    choose("VK381");
    ASSERT_TRUE(window().displayPanel()->PollingEnable->isChecked());
    graph().assign(GraphData::Deviation, {{9, 9}});
    graph().assign(GraphData::Temperature, {{9, 9}});
    // A VK350 register line whose address VK381's map does not hold as VK350's does.
    put(path("vk350.csv"), "Part Nunber,VK350\nAlarm,1\n\n0x07,0xA5,Control,SR\n0x3F,0x80,x,y\n"
                           "\nElapsed Time,Deviation,Temperature\nDay 1 01:30:00,-3,23.5\n"
                           "Day 0 00:00:06,0,25.0\n");
    QSignalSpy perPoint(&graph(), &GraphData::appended);
    QSignalSpy whole(&graph(), &GraphData::assigned);
    ASSERT_TRUE(window().openDumpFile(path("vk350.csv")));

    EXPECT_EQ(window().bus().partRow(), FindPartRow("VK350"));
    EXPECT_EQ(window().setupPage()->DeviceSel->currentText(), QStringLiteral("VK350"));
    EXPECT_EQ(regs()[0x07], 0xA5);
    EXPECT_EQ(regs()[0x3F], 0x80);
    EXPECT_FALSE(window().displayPanel()->PollingEnable->isChecked());
    EXPECT_EQ(perPoint.count(), 0) << "the chart is drawn for the whole file, not per point";
    EXPECT_EQ(graph().points(GraphData::Deviation), (QList<QPointF>{{25.5, -3}, {0.1 / 60, 0}}));
    EXPECT_EQ(graph().points(GraphData::Temperature),
              (QList<QPointF>{{25.5, 23.5}, {0.1 / 60, 25}}));
    EXPECT_EQ(window().bus().data.LastFile, path("vk350.csv").toStdString());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DumpCommandsTest, RegisterLineWithoutPartLineKeepsTheTypeEPart)
{
    choose("VK360");
    regs()[0x3F] = 0;
    put(path("typee.csv"), "0x3F,0x80,Status,Status Register\r\n");
    ASSERT_TRUE(window().openDumpFile(path("typee.csv")));
    EXPECT_EQ(window().bus().partRow(), FindPartRow("VK360"));
    EXPECT_EQ(regs()[0x3F], 0x80);
}

TEST_F(DumpCommandsTest, DamagedFilesTakeOnlyWhatTheirLinesSay)
{
    choose("VK310");
    std::fill(regs(), regs() + 256, 0);
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes.append(static_cast<char>((i * 7919 + 13) & 0xFF));
    bytes.replace('\n', 'n'); // one long binary line
    bytes +=
        "\n0x10,0x11,\n" + QByteArray(4 * 1024 * 1024, 'z') + "\n0x12,0x13,\nPart Nunber,Bogus\n";
    bytes += QByteArray("0x14,0x15") + QByteArray(300, ',') + "\n"; // over-long: skipped
    bytes += "Day 0 01:00:00,5,";                                   // truncated point
    put(path("damaged.csv"), bytes);
    ASSERT_TRUE(window().openDumpFile(path("damaged.csv")));
    EXPECT_EQ(window().bus().partRow(), 0) << "a name not in the table selects Not Selected";
    uint8_t want[256] = {};
    want[0x10] = 0x11;
    want[0x12] = 0x13;
    EXPECT_TRUE(std::equal(want, want + 256, regs()));
    EXPECT_TRUE(graph().points(GraphData::Deviation).isEmpty());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DumpCommandsTest, UnreadableFileIsReportedAndChangesNothing)
{
    choose("VK310");
    graph().assign(GraphData::Deviation, {{1, 1}});
    graph().assign(GraphData::Temperature, {{1, 20}});
    for (const QString& bad : {path("missing.csv"), dir.path()}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_FALSE(window().openDumpFile(bad));
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_TRUE(boxes().takeFirst().startsWith(QStringLiteral("Cannot read ")));
        EXPECT_EQ(window().bus().partRow(), FindPartRow("VK310"));
        EXPECT_EQ(graph().points(GraphData::Deviation).size(), 1);
        EXPECT_TRUE(window().displayPanel()->PollingEnable->isChecked());
    }
}

// Under a decimal-comma locale the window saves and opens the file it saves
// under any other: "23.5", not a "23,5" that reads back as 23.
TEST_F(DumpCommandsTest, DecimalCommaLocaleSavesAndOpensTheSameFile)
{
    KVRX_COMMA_LOCALE(comma);
    choose("VK310");
    const QList<QPointF> dev = {{0.5, -2}, {25.5, 3}};
    const QList<QPointF> temp = {{0.5, 23.5}, {25.5, -10.1}};
    graph().assign(GraphData::Deviation, dev);
    graph().assign(GraphData::Temperature, temp);
    ASSERT_TRUE(window().saveDumpFile(path("comma.csv")));
    EXPECT_TRUE(contents(path("comma.csv"))
                    .endsWith("\r\nDay 0 00:30:00,-2,23.5\r\nDay 1 01:30:00,3,-10.1\r\n"));
    graph().clear();
    ASSERT_TRUE(window().openDumpFile(path("comma.csv")));
    EXPECT_EQ(graph().points(GraphData::Deviation), dev);
    EXPECT_EQ(graph().points(GraphData::Temperature), temp);
    EXPECT_TRUE(boxes().empty());
}

// Only a regular file is read. A device that never ends and a FIFO that
// nobody writes to are refused at once, with the reason in the error box,
// and change nothing.
TEST_F(DumpCommandsTest, AnythingButARegularFileIsRefusedWithoutWaiting)
{
    const QString fifo = path("fifo.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder.csv")));
    choose("VK310");
    graph().assign(GraphData::Deviation, {{1, 1}});
    graph().assign(GraphData::Temperature, {{1, 20}});
    struct Case {
        QString path;
        QString reason;
    };
    const Case cases[] = {
        {QStringLiteral("/dev/zero"), QStringLiteral("Not a regular file")},
        {fifo, QStringLiteral("Not a regular file")},
        {path("folder.csv"), QStringLiteral("It is a folder")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        // Without the check the window would read /dev/zero for ever or wait
        // on the FIFO: end the program with a clear failure instead.
        std::atomic<bool> done{false};
        std::thread watchdog([&done, what = c.path.toStdString()] {
            for (int i = 0; i < 200 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (done) return;
            std::fprintf(stderr, "FAILED: opening %s did not return within 10 s\n", what.c_str());
            std::_Exit(1);
        });
        const bool opened = window().openDumpFile(c.path);
        done = true;
        watchdog.join();
        EXPECT_FALSE(opened);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(
            boxes().takeFirst(),
            QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(c.path), c.reason));
        EXPECT_EQ(window().bus().partRow(), FindPartRow("VK310"));
        EXPECT_EQ(graph().points(GraphData::Deviation).size(), 1);
        EXPECT_TRUE(window().displayPanel()->PollingEnable->isChecked());
        EXPECT_NE(window().bus().data.LastFile, c.path.toStdString());
    }
}

// A file that could not be opened does not become the one Save writes to.
TEST_F(DumpCommandsTest, SaveAfterAFailedOpenWritesTheFileOpenedBefore)
{
    choose("VK310");
    ASSERT_TRUE(window().saveDumpFile(path("good.csv")));
    ASSERT_TRUE(window().openDumpFile(path("good.csv")));
    EXPECT_FALSE(window().openDumpFile(path("missing.csv")));
    ASSERT_EQ(boxes().size(), 1u);
    boxes().takeFirst();
    regs()[0x12] = 0xA5;
    window().SaveBtn->click();
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(QFile::exists(path("missing.csv")));
    EXPECT_TRUE(contents(path("good.csv")).contains("\r\n0x12,0xA5,"));
}

// A file whose read fails after its first bytes, as a disk or a network
// share does when it goes away under the reader.
class FailingInput : public QIODevice {
  public:
    FailingInput(QByteArray bytes, qint64 goodBytes) : bytes_(std::move(bytes)), good_(goodBytes)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 max) override
    {
        // At most a few lines per call, so the reader has taken some of them
        // before the failure.
        if (at_ == bytes_.size() && good_ > at_) return 0; // the end, read whole
        const qint64 n = std::min({max, good_ - at_, bytes_.size() - at_, qint64(40)});
        if (n <= 0) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        std::memcpy(data, bytes_.constData() + at_, static_cast<size_t>(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray bytes_;
    qint64 good_;
    qint64 at_ = 0;
};

TEST_F(DumpCommandsTest, AReadThatFailsPartWayIsReportedAndChangesNothing)
{
    choose("VK310");
    for (int i = 0; i < 256; ++i)
        regs()[i] = static_cast<uint8_t>(i ^ 0x5A);
    uint8_t before[256];
    std::copy(regs(), regs() + 256, before);
    const QList<QPointF> dev = {{1, 1}}, temp = {{1, 20}};
    graph().assign(GraphData::Deviation, dev);
    graph().assign(GraphData::Temperature, temp);
    const QByteArray file = "Part Nunber,VK350\r\nAlarm,1\r\n\r\n0x07,0xA5,Control,SR\r\n"
                            "0x08,0x11,Control,CR\r\n\r\nElapsed Time,Deviation,Temperature\r\n"
                            "Day 0 00:00:06,4,25.0\r\nDay 0 00:00:12,5,25.1\r\n";
    // Cut after the part line, after a register line, and amid the points.
    for (const char* after : {"Alarm,", "CR\r\n", "00:00:12"}) {
        SCOPED_TRACE(after);
        const qint64 good = file.indexOf(after) + qint64(std::strlen(after));
        FailingInput input(file, good);
        EXPECT_FALSE(window().dumpCommands()->Read(input, path("cut.csv")));
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes().takeFirst(), QStringLiteral("Cannot read %1: Input/output error")
                                           .arg(QDir::toNativeSeparators(path("cut.csv"))));
        EXPECT_EQ(window().bus().partRow(), FindPartRow("VK310"));
        EXPECT_EQ(window().setupPage()->DeviceSel->currentText(), QStringLiteral("VK310"));
        EXPECT_TRUE(std::equal(before, before + 256, regs()));
        EXPECT_EQ(graph().points(GraphData::Deviation), dev);
        EXPECT_EQ(graph().points(GraphData::Temperature), temp);
        EXPECT_TRUE(window().displayPanel()->PollingEnable->isChecked());
    }

    // The same bytes read to their end are taken whole.
    FailingInput whole(file, file.size() + 1);
    ASSERT_TRUE(window().dumpCommands()->Read(whole, path("whole.csv")));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(window().bus().partRow(), FindPartRow("VK350"));
    EXPECT_EQ(regs()[0x07], 0xA5);
    EXPECT_EQ(graph().points(GraphData::Deviation).size(), 2);
}

TEST_F(DumpCommandsTest, GraphTimesSurviveOpenThenSaveToTheSecond)
{
    // Every 6-second point of 31 days, the graph's longest run.
    choose("Not Selected");
    constexpr int kPoints = 31 * 86400 / 6;
    QByteArray text("\r\nElapsed Time,Deviation,Temperature\r\n");
    text.reserve(kPoints * 32);
    char line[64];
    for (int i = 1; i <= kPoints; ++i) {
        const unsigned s = static_cast<unsigned>(i) * 6;
        std::snprintf(line, sizeof line, "Day %u %02u:%02u:%02u,%d,%d.%d\r\n", s / 86400,
                      s % 86400 / 3600, s % 3600 / 60, s % 60, i % 7 - 3, 20 + i % 9, i % 10);
        text += line;
    }
    put(path("month.csv"), text);
    ASSERT_TRUE(window().openDumpFile(path("month.csv")));
    ASSERT_EQ(graph().points(GraphData::Deviation).size(), kPoints);
    ASSERT_TRUE(window().saveDumpFile(path("again.csv")));
    const QByteArray again = contents(path("again.csv"));
    if (again != text) {
        const QList<QByteArray> want = text.split('\n'), got = again.split('\n');
        for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
            ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << "line " << i + 1;
        FAIL() << "lengths differ";
    }

    // A live run's points, X in hours of whole seconds, keep their second.
    QList<QPointF> live, temps;
    for (int i = 1; i <= kPoints; ++i) {
        live.append(QPointF(i * 6 / 3600.0, 0));
        temps.append(QPointF(i * 6 / 3600.0, 25));
    }
    graph().assign(GraphData::Deviation, live);
    graph().assign(GraphData::Temperature, temps);
    ASSERT_TRUE(window().saveDumpFile(path("live.csv")));
    const QList<QByteArray> lines = contents(path("live.csv")).split('\n');
    ASSERT_EQ(lines.size(), kPoints + 3);
    for (int i = 1; i <= kPoints; ++i) {
        const unsigned s = static_cast<unsigned>(i) * 6;
        std::snprintf(line, sizeof line, "Day %u %02u:%02u:%02u,0,25.0\r", s / 86400,
                      s % 86400 / 3600, s % 3600 / 60, s % 60);
        ASSERT_EQ(lines[i + 1].toStdString(), line) << "second " << s;
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(DumpCommandsTest, FailedSaveIsReportedAndLeavesTheOldFile)
{
    choose("VK310");
    // A folder that is a file: no one can write beneath it.
    put(path("plain"), "x");
    EXPECT_FALSE(window().saveDumpFile(path("plain") + QStringLiteral("/run.csv")));
    ASSERT_EQ(boxes().size(), 1u);
    const QString box = boxes().takeFirst();
    EXPECT_TRUE(box.startsWith(QStringLiteral("Cannot write "))) << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral(": "))) << "the system's reason follows";

    // A save cut short by the system (here: the file size limit, which holds
    // for every user) keeps the old file as it was and leaves no scratch file.
    const QString locked = path("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    put(locked + QStringLiteral("/old.csv"), "old contents\r\n");
    QList<QPointF> many;
    for (int i = 0; i < 20000; ++i)
        many.append(QPointF(i / 600.0, i % 7));
    graph().assign(GraphData::Deviation, many);
    graph().assign(GraphData::Temperature, many);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = window().saveDumpFile(locked + QStringLiteral("/old.csv"));
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_FALSE(saved);
    ASSERT_EQ(boxes().size(), 1u);
    const QString cut = boxes().takeFirst();
    EXPECT_TRUE(cut.startsWith(QStringLiteral("Cannot write "))) << cut.toStdString();
    EXPECT_FALSE(cut.endsWith(QStringLiteral("Unknown error"))) << cut.toStdString();
    EXPECT_EQ(contents(locked + QStringLiteral("/old.csv")), QByteArray("old contents\r\n"));
    EXPECT_EQ(QDir(locked).entryList(QDir::Files), QStringList{QStringLiteral("old.csv")});
}

// Save replaces a file whole: a FIFO or a folder of that name is refused, not
// replaced by a file.
TEST_F(DumpCommandsTest, SaveRefusesAnythingButARegularFile)
{
    const QString fifo = path("fifo.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(path("folder.csv")));
    choose("VK310");
    for (const auto& [target, reason] :
         {std::pair{fifo, QStringLiteral("Not a regular file")},
          std::pair{path("folder.csv"), QStringLiteral("It is a folder")}}) {
        SCOPED_TRACE(target.toStdString());
        EXPECT_FALSE(window().saveDumpFile(target));
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(
            boxes().takeFirst(),
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(target), reason));
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO is still there";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
              QStringList{QStringLiteral("fifo.csv")});
}

TEST_F(DumpCommandsTest, SaveReplacesTheWholeFileAndLeavesNoScratchBehind)
{
    choose("Not Selected");
    graph().clear();
    put(path("old.csv"), QByteArray(100000, 'o'));
    ASSERT_TRUE(window().saveDumpFile(path("old.csv")));
    EXPECT_EQ(contents(path("old.csv")), QByteArray("\r\nElapsed Time,Deviation,Temperature\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.csv")});
}

TEST_F(DumpCommandsTest, SaveAfterOpenWritesWithoutDialogSaveAsAlwaysAsks)
{
    choose("VK310");
    regs()[0x12] = 0x5A;
    ASSERT_TRUE(window().saveDumpFile(path("first.csv")));
    ASSERT_TRUE(window().openDumpFile(path("first.csv")));
    regs()[0x12] = 0xC3;
    window().SaveBtn->click();
    DumpCommands* dump = window().dumpCommands();
    EXPECT_TRUE(dump->saveDialog() == nullptr || !dump->saveDialog()->isVisible());
    EXPECT_TRUE(contents(path("first.csv")).contains("\r\n0x12,0xC3,"));
    window().FileSave->trigger();
    EXPECT_TRUE(dump->saveDialog() == nullptr || !dump->saveDialog()->isVisible());

    for (QAction* saveAs : {window().FileSaveAs, window().FileSaveAs1, window().FileSave1}) {
        SCOPED_TRACE(saveAs->objectName().toStdString());
        saveAs->trigger();
        QFileDialog* box = dump->saveDialog();
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isVisible());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Save RTC Data"));
        EXPECT_EQ(box->defaultSuffix(), QStringLiteral("csv"));
        EXPECT_TRUE(box->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(box->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(QDir(box->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        box->reject();
    }
    EXPECT_FALSE(QFile::exists(path("first.csv.csv")));

    // Save As to a new name: that file becomes the one Save writes to.
    window().FileSaveAs->trigger();
    dump->saveDialog()->selectFile(path("second"));
    static_cast<QDialog*>(dump->saveDialog())->accept();
    EXPECT_TRUE(QFile::exists(path("second.csv")));
    EXPECT_EQ(window().bus().data.LastFile, path("second.csv").toStdString());
}

TEST_F(DumpCommandsTest, OpenDialogReadsTheChosenFile)
{
    choose("VK310");
    put(path("pick.csv"), "Part Nunber,VK350\r\n");
    window().FileOpen1->trigger();
    QFileDialog* box = window().dumpCommands()->openDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Open RTC Data"));
    EXPECT_EQ(box->fileMode(), QFileDialog::ExistingFile);
    box->reject();
    EXPECT_EQ(window().bus().partRow(), FindPartRow("VK310")) << "Cancel does nothing";

    window().OpenBtn->click();
    ASSERT_TRUE(box->isVisible());
    box->selectFile(path("pick.csv"));
    static_cast<QDialog*>(box)->accept();
    EXPECT_EQ(window().bus().partRow(), FindPartRow("VK350"));
    EXPECT_EQ(window().bus().data.LastFile, path("pick.csv").toStdString());
}

// ---- The drift run in the file ----

using DriftLogic::DriftFigures;
using DriftLogic::DriftPoint;

// A drift run that serves what it was given, fitted by the rate fit, and
// records every run a file assigns to it.
class FakeDrift : public DriftAnalysis {
  public:
    struct Assigned {
        QList<DriftPoint> offsets;
        std::optional<double> minCelsius, maxCelsius;
    };

    void set(QList<DriftPoint> offsets, std::optional<double> minCelsius,
             std::optional<double> maxCelsius)
    {
        fit_.Restart();
        for (const DriftPoint& p : offsets)
            fit_.Add(p.Seconds, p.OffsetMs);
        points_ = std::move(offsets);
        min_ = minCelsius;
        max_ = maxCelsius;
    }
    DriftFigures figures() const override { return DriftLogic::FiguresOf(fit_, min_, max_); }
    const QList<DriftPoint>& offsets() const override { return points_; }
    void restart() override { set({}, std::nullopt, std::nullopt); }
    void assign(QList<DriftPoint> offsets, std::optional<double> minCelsius,
                std::optional<double> maxCelsius) override
    {
        assigned.push_back({offsets, minCelsius, maxCelsius});
        set(std::move(offsets), minCelsius, maxCelsius);
    }

    std::vector<Assigned> assigned;

  private:
    DriftLogic::RateFit fit_;
    QList<DriftPoint> points_;
    std::optional<double> min_, max_;
};

// An hour of samples every 6 s of a chip ppm fast, with a few ms of scatter.
QList<DriftPoint> hourAt(double ppm)
{
    QList<DriftPoint> points;
    for (int i = 0; i <= 600; ++i) {
        const double seconds = 6.0 * i + 0.001 * (i % 7);
        const double scatter = 0.37 * ((i * 37) % 11 - 5);
        points.append({seconds, 250.0 + ppm * 1e-3 * seconds + scatter, 1.0 + 0.25 * (i % 3)});
    }
    return points;
}

void expectRelative(std::optional<double> got, std::optional<double> want, const char* what)
{
    ASSERT_TRUE(got.has_value() && want.has_value()) << what;
    EXPECT_NEAR(*got, *want, 1e-9 * std::fabs(*want)) << what;
}

// The window's drift link replaced by a fake for the test, and put back.
class DumpDriftTest : public DumpCommandsTest {
  protected:
    void SetUp() override
    {
        DumpCommandsTest::SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        meter = window().links().drift;
        ASSERT_NE(meter, nullptr) << "the Graph page offers its drift meter";
        window().links().drift = &fake;
    }
    void TearDown() override
    {
        if (window_) window_->links().drift = meter;
        DumpCommandsTest::TearDown();
    }

    FakeDrift fake;
    DriftAnalysis* meter = nullptr;
};

// A saved run comes back on Open with the estimate it had: through the fake,
// which records what it was given, and through the Graph page's own meter.
TEST_F(DumpDriftTest, ASavedRunOpensWithTheSameEstimate)
{
    choose("VK310");
    const QList<QPointF> dev = {{0.5, -2}, {1.0, -3}};
    const QList<QPointF> temp = {{0.5, 23.5}, {1.0, 23.9}};
    const QList<DriftPoint> run = hourAt(17.3);
    for (DriftAnalysis* drift : {static_cast<DriftAnalysis*>(&fake), meter}) {
        SCOPED_TRACE(drift == meter ? "the Graph page's meter" : "fake");
        window().links().drift = drift;
        graph().assign(GraphData::Deviation, dev);
        graph().assign(GraphData::Temperature, temp);
        drift->assign(run, 23.1, 23.9);
        const DriftFigures saved = drift->figures();
        ASSERT_EQ(saved.Samples, run.size());
        ASSERT_TRUE(saved.RatePpm && saved.IntervalPpm);
        EXPECT_NEAR(*saved.RatePpm, 17.3, 0.1);
        fake.assigned.clear();
        ASSERT_TRUE(window().saveDumpFile(path("drift.csv")));

        // Another run in the meantime, then the file's.
        drift->assign(hourAt(-43), 30.0, 31.0);
        ASSERT_TRUE(window().openDumpFile(path("drift.csv")));

        const DriftFigures opened = drift->figures();
        EXPECT_EQ(opened.Samples, saved.Samples);
        expectRelative(opened.RatePpm, saved.RatePpm, "rate");
        expectRelative(opened.IntervalPpm, saved.IntervalPpm, "interval");
        EXPECT_NEAR(opened.SpanSeconds, saved.SpanSeconds, 1e-9 * saved.SpanSeconds);
        EXPECT_EQ(opened.MinCelsius, std::optional<double>(23.1));
        EXPECT_EQ(opened.MaxCelsius, std::optional<double>(23.9));
        ASSERT_EQ(drift->offsets().size(), run.size());
        for (qsizetype i = 0; i < run.size(); ++i) {
            EXPECT_EQ(drift->offsets()[i].Seconds, run[i].Seconds) << i;
            EXPECT_EQ(drift->offsets()[i].OffsetMs, run[i].OffsetMs) << i;
            EXPECT_EQ(drift->offsets()[i].UncertaintyMs, run[i].UncertaintyMs) << i;
        }
        // The graph lines are read as before.
        EXPECT_EQ(graph().points(GraphData::Deviation), dev);
        EXPECT_EQ(graph().points(GraphData::Temperature), temp);
        if (drift == &fake) {
            EXPECT_EQ(fake.assigned.size(), 2u) << "once by the test, once by Open";
        }
    }
    EXPECT_TRUE(boxes().empty());
}

// The file's run replaces the current one, as its graph replaces the graph: a
// file without the block leaves an empty run, and a damaged block gives what
// its good lines say. A file that cannot be read leaves the run alone.
TEST_F(DumpDriftTest, OpenReplacesTheRunWithTheFilesOwn)
{
    choose("VK310");
    struct Case {
        const char* name;
        QByteArray bytes;
        QList<DriftPoint> offsets;
        std::optional<double> minCelsius, maxCelsius;
    };
    const QByteArray graphLines =
        "\r\nElapsed Time,Deviation,Temperature\r\nDay 0 01:00:00,-3,23.5\r\n";
    const Case cases[] = {
        {"no block", "Part Nunber,VK310\r\n" + graphLines, {}, std::nullopt, std::nullopt},
        {"damaged block",
         graphLines +
             "\r\nDrift Run,Min Temperature,Max Temperature,Rate (ppm),Interval (ppm)\r\n"
             "Drift Figures,22.5,24,99,1\r\n"
             "Drift Time (s),Offset (ms),Uncertainty (ms)\r\n"
             "Drift,6,12.5,1.5\r\n"
             "Drift,12,nan,1.5\r\n"
             "Drift,18,13,2,5\r\n" +
             "Drift,24,1" + QByteArray(300, '0') + ",1\r\n" +
             "Drift,30,14.5,1\n"
             "Drift,36,15",
         {{6, 12.5, 1.5}, {30, 14.5, 1}},
         22.5,
         24.0},
        {"samples without figures",
         "Drift,6,1,1\r\nDrift,12,2,1\r\n",
         {{6, 1, 1}, {12, 2, 1}},
         std::nullopt,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.set(hourAt(17.3), 23.0, 24.0);
        fake.assigned.clear();
        put(path("in.csv"), c.bytes);
        ASSERT_TRUE(window().openDumpFile(path("in.csv")));
        ASSERT_EQ(fake.assigned.size(), 1u);
        const FakeDrift::Assigned& got = fake.assigned[0];
        const QList<DriftPoint>& want = c.offsets;
        ASSERT_EQ(got.offsets.size(), want.size());
        for (qsizetype i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got.offsets[i].Seconds, want[i].Seconds);
            EXPECT_EQ(got.offsets[i].OffsetMs, want[i].OffsetMs);
            EXPECT_EQ(got.offsets[i].UncertaintyMs, want[i].UncertaintyMs);
        }
        EXPECT_EQ(got.minCelsius, c.minCelsius);
        EXPECT_EQ(got.maxCelsius, c.maxCelsius);
        EXPECT_EQ(fake.figures().Samples, want.size());
    }

    fake.set(hourAt(17.3), 23.0, 24.0);
    fake.assigned.clear();
    EXPECT_FALSE(window().openDumpFile(path("missing.csv")));
    ASSERT_EQ(boxes().size(), 1u);
    boxes().takeFirst();
    EXPECT_TRUE(fake.assigned.empty()) << "a file that was not read changes no run";
    EXPECT_EQ(fake.offsets().size(), 601);
}

// Without a drift run, or with one that has no samples yet, Save writes the
// file as it always has; without a drift link a file with a block still opens.
TEST_F(DumpDriftTest, NoRunNoBlockAndNoLinkNoHarm)
{
    choose("VK310");
    graph().assign(GraphData::Deviation, {{1.0, -2.6}});
    graph().assign(GraphData::Temperature, {{1.0, 23.46}});
    fake.set({}, 23.0, 24.0);
    ASSERT_TRUE(window().saveDumpFile(path("empty-run.csv")));
    window().links().drift = nullptr;
    ASSERT_TRUE(window().saveDumpFile(path("no-link.csv")));
    const QByteArray plain = contents(path("no-link.csv"));
    EXPECT_TRUE(
        plain.endsWith("\r\nElapsed Time,Deviation,Temperature\r\nDay 0 01:00:00,-3,23.5\r\n"));
    EXPECT_FALSE(plain.contains("Drift"));
    EXPECT_EQ(contents(path("empty-run.csv")), plain);

    window().links().drift = &fake;
    fake.set(hourAt(5), std::nullopt, std::nullopt);
    ASSERT_TRUE(window().saveDumpFile(path("with-run.csv")));
    const QByteArray withRun = contents(path("with-run.csv"));
    EXPECT_TRUE(withRun.startsWith(plain));
    EXPECT_TRUE(withRun.contains("\r\nDrift Figures,,,"));

    window().links().drift = nullptr;
    graph().clear();
    fake.assigned.clear();
    ASSERT_TRUE(window().openDumpFile(path("with-run.csv")));
    EXPECT_EQ(graph().points(GraphData::Deviation), (QList<QPointF>{{1.0, -3}}));
    EXPECT_TRUE(fake.assigned.empty());
    EXPECT_TRUE(boxes().empty());
}

} // namespace
