#include "reports/DumpCommands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "bus/RtcBus.h"
#include "pages/PageLinks.h"
#include "reports/DumpCodec.h"
#include "reports/DumpFolder.h"
#include "reports/ReportContext.h"

namespace {

const QString kFilter = QStringLiteral("Test Files (*.txt *.csv)");
constexpr qint64 kChunk = 64 * 1024;

} // namespace

DumpCommands::DumpCommands(ReportContext& context, QObject* parent)
    : QObject(parent), context_(context)
{
    setObjectName(QStringLiteral("DumpCommands"));
}

QString DumpCommands::folder() const
{
    const std::string& last = context_.bus().data.LastFile;
    if (!last.empty()) return DirectoryPart(QString::fromStdString(last));
    return context_.fileDialogFolder();
}

QFileDialog* DumpCommands::makeDialog(bool save)
{
    auto* dialog = new QFileDialog(context_.dialogParent());
    dialog->setObjectName(save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog->setWindowTitle(save ? QStringLiteral("Save RTC Data")
                                : QStringLiteral("Open RTC Data"));
    dialog->setNameFilter(kFilter);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::ReadOnly, false);
        dialog->setSizeGripEnabled(true);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    // A script must never meet a dialog it cannot see or close.
    if (context_.scriptMode()) dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    return dialog;
}

void DumpCommands::ask(QFileDialog* dialog, std::function<void(const QString&)> then)
{
    dialog->setDirectory(folder());
    dialog->disconnect(this);
    connect(dialog, &QFileDialog::accepted, this, [dialog, then] {
        const QStringList files = dialog->selectedFiles();
        if (!files.isEmpty()) then(files.first());
    });
    if (context_.scriptMode())
        dialog->open();
    else
        dialog->exec();
}

void DumpCommands::FileOpen1Execute()
{
    if (!openDialog_) openDialog_ = makeDialog(false);
    ask(openDialog_, [this](const QString& path) { Open(path); });
}

bool DumpCommands::Open(const QString& path)
{
    // A file that could not be read does not become the one Save writes to:
    // a Ctrl+S after a failed Open must not replace it.
    if (!Read(path)) return false;
    context_.bus().data.LastFile = path.toStdString();
    return true;
}

void DumpCommands::FileSave1Execute()
{
    if (!saveDialog_) saveDialog_ = makeDialog(true);
    ask(saveDialog_, [this](const QString& path) {
        context_.bus().data.LastFile = path.toStdString();
        Write(path);
    });
}

void DumpCommands::SaveBtnClick()
{
    const std::string& last = context_.bus().data.LastFile;
    if (last.empty()) {
        FileSave1Execute();
        return;
    }
    Write(QString::fromStdString(last));
}

void DumpCommands::fail(const QString& what, const QString& path, const QString& reason)
{
    const QString text =
        QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), reason);
    context_.bus().sink().errorBox(text.toStdString());
}

bool DumpCommands::Write(const QString& path)
{
    const GraphSamples* graph = context_.links().graph;
    std::vector<double> dx, dy, tx, ty;
    for (int s = 0; graph != nullptr && s < GraphSamples::kSeriesCount; ++s) {
        auto& xs = s == GraphSamples::Deviation ? dx : tx;
        auto& ys = s == GraphSamples::Deviation ? dy : ty;
        for (const QPointF& p : graph->points(s)) {
            xs.push_back(p.x());
            ys.push_back(p.y());
        }
    }
    const RtcBus& bus = context_.bus();
    std::string text =
        WriteDumpText(bus.part(), bus.data.Regs, DumpSeries{dx.data(), dy.data(), dx.size()},
                      DumpSeries{tx.data(), ty.data(), tx.size()});
    // The drift run after the graph lines (nothing while it has no samples).
    if (const DriftAnalysis* drift = context_.links().drift) {
        const QList<DriftLogic::DriftPoint>& offsets = drift->offsets();
        text += WriteDriftBlock(drift->figures(),
                                std::span<const DriftLogic::DriftPoint>(
                                    offsets.constData(), static_cast<size_t>(offsets.size())));
    }

    // The new file replaces the old one whole, so only a regular file (or a
    // new name) is written: a FIFO or a device would be replaced by a file.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        fail(QStringLiteral("Cannot write"), path,
             info.isDir() ? QStringLiteral("It is a folder")
                          : QStringLiteral("Not a regular file"));
        return false;
    }
    // The old file stays as it was until the new one is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("Cannot write"), path, file.errorString());
        return false;
    }
    const bool written = file.write(text.data(), static_cast<qint64>(text.size())) ==
                         static_cast<qint64>(text.size());
    const int writeErrno = errno;
    if (!written || !file.commit()) {
        // The system's reason; Qt may only know that a write fell short.
        QString reason = file.errorString();
        if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
            reason = QString::fromLocal8Bit(std::strerror(written ? errno : writeErrno));
        file.cancelWriting();
        fail(QStringLiteral("Cannot write"), path, reason);
        return false;
    }
    return true;
}

bool DumpCommands::Read(const QString& path)
{
    // Only a regular file is read: a device such as /dev/zero never ends and a
    // FIFO blocks the window until someone writes to it. The name is looked at
    // first, for a clear message; the file is then opened without waiting and
    // looked at again, in case the name came to mean something else between.
    const QFileInfo info(path);
    if (info.isDir()) {
        fail(QStringLiteral("Cannot read"), path, QStringLiteral("It is a folder"));
        return false;
    }
    if (info.exists() && !info.isFile()) {
        fail(QStringLiteral("Cannot read"), path, QStringLiteral("Not a regular file"));
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        fail(QStringLiteral("Cannot read"), path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("Cannot read"), path, QStringLiteral("Not a regular file"));
        return false;
    }
    // A regular file never waits; reads block as usual from here on.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(QStringLiteral("Cannot read"), path, file.errorString());
        return false;
    }
    return Read(file, path);
}

bool DumpCommands::Read(QIODevice& input, const QString& path)
{
    // The whole file is read before any of it is applied: a read that fails
    // part-way leaves the part, the image, the graph and polling as they were.
    std::vector<DumpLine> choices; // part and register lines, in file order
    QList<QPointF> deviation, temperature;
    QList<DriftLogic::DriftPoint> drift; // the drift block's samples
    std::optional<double> minCelsius, maxCelsius;
    DumpLineReader reader(
        [&](const DumpLine& line) {
            if (line.kind == DumpLine::Point) {
                deviation.append(QPointF(line.point.Hours, line.point.Deviation));
                temperature.append(QPointF(line.point.Hours, line.point.Temperature));
            } else if (line.kind != DumpLine::Ignored) {
                choices.push_back(line);
            }
        },
        [&](std::string_view text) {
            const DriftLine line = ParseDriftLine(text);
            if (line.kind == DriftLine::Sample) {
                drift.append(line.point);
            } else if (line.kind == DriftLine::Figures) {
                minCelsius = line.MinCelsius;
                maxCelsius = line.MaxCelsius;
            }
        });
    std::vector<char> chunk(kChunk);
    for (;;) {
        const qint64 n = input.read(chunk.data(), kChunk);
        if (n < 0) {
            QString reason = input.errorString();
            if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
                reason = QStringLiteral("The read failed part-way");
            fail(QStringLiteral("Cannot read"), path, reason);
            return false;
        }
        if (n == 0) break;
        reader.feed(chunk.data(), static_cast<size_t>(n));
    }
    reader.finish();

    // Reading stops the polling cycle and starts the graph afresh.
    context_.stopPolling();
    GraphSamples* graph = context_.links().graph;
    if (graph != nullptr) graph->clear();
    RtcBus& bus = context_.bus();
    for (const DumpLine& line : choices) {
        if (line.kind == DumpLine::Part) {
            // As if the user had chosen the part, before its registers are stored.
            context_.choosePart(line.partRow);
        } else {
            bus.data.Regs[line.address] = line.value;
        }
    }
    // The chart is drawn once for the whole file.
    if (graph != nullptr) {
        graph->assign(GraphSamples::Deviation, std::move(deviation));
        graph->assign(GraphSamples::Temperature, std::move(temperature));
    }
    // The file's drift run replaces the current one, as its graph does; a file
    // without the block leaves an empty run.
    if (DriftAnalysis* meter = context_.links().drift)
        meter->assign(std::move(drift), minCelsius, maxCelsius);
    if (RegisterRows* rows = context_.links().registerRows) rows->showChosenSection();
    return true;
}
