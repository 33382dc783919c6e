// Shared helpers of the window and settings tests.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <ostream>

class GraphData;
class QApplication;
class TMainApp;

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The one QApplication of the test program, created on first use with the
// offscreen platform unless another is asked for.
QApplication& ensureApp();

// A settings file of its own in a fresh folder. The file is read back as
// plain text, so checks do not go through QSettings' in-process cache.
class ScratchStore {
  public:
    ScratchStore();

    QString path() const;
    bool exists() const;
    // Writes INI text (the [General] header is added).
    void write(const QString& lines) const;
    // The raw text stored for a name in [General], if present.
    std::optional<QString> raw(const QString& name) const;

  private:
    QTemporaryDir dir_;
};

// The error boxes a script-mode window recorded.
size_t recordedBoxCount(TMainApp& window);
// The oldest recorded box, removed from the record; empty when there is none.
QString takeRecordedBox(TMainApp& window);

// The graph's samples the window's Graph page keeps (null without that page).
GraphData* graphDataOf(const TMainApp& window);
