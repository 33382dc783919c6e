#include "support/AppTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "pages/graph/GraphData.h"

QApplication& ensureApp()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

ScratchStore::ScratchStore() = default;

QString ScratchStore::path() const
{
    return dir_.filePath(QStringLiteral("settings.ini"));
}

bool ScratchStore::exists() const
{
    return QFile::exists(path());
}

void ScratchStore::write(const QString& lines) const
{
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(path()));
    QTextStream(&file) << "[General]\n" << lines;
}

std::optional<QString> ScratchStore::raw(const QString& name) const
{
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    bool general = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            general = line == QLatin1String("[General]");
            continue;
        }
        const int eq = line.indexOf(u'=');
        if (general && eq > 0 && line.left(eq).trimmed() == name) return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

size_t recordedBoxCount(TMainApp& window)
{
    RecordingSink* boxes = window.recordedBoxes();
    return boxes ? boxes->size() : 0;
}

QString takeRecordedBox(TMainApp& window)
{
    RecordingSink* boxes = window.recordedBoxes();
    return boxes ? boxes->takeFirst() : QString();
}

GraphData* graphDataOf(const TMainApp& window)
{
    return window.findChild<GraphData*>(QStringLiteral("GraphData"));
}
