// The File menu's register dump commands: Open, Save and Save As with their
// dialogs, and the two file operations Read and Write (formats in DumpCodec).
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QFileDialog;
class QIODevice;
class ReportContext;

class DumpCommands : public QObject {
    Q_OBJECT
  public:
    explicit DumpCommands(ReportContext& context, QObject* parent = nullptr);

    // Read (path): selects the file's part, stores its registers in the image,
    // replaces the graph's points and the drift run (links().drift; empty when
    // the file has no drift block) and shows the register section again. A
    // file that cannot be read is reported in an error box; false then.
    bool Read(const QString& path);
    // Open (path): Read, and the file becomes the one Save writes to, only
    // when it was read.
    bool Open(const QString& path);
    // Read from an open input; path names it in the error box. Nothing is
    // applied until the input has been read to its end, so a read that fails
    // part-way is reported and changes nothing.
    bool Read(QIODevice& input, const QString& path);
    // Write (path): the drift run's block follows the graph lines when there
    // is a run with samples. Replaces the file as a whole or, failing, leaves the old
    // one as it was and reports why in an error box; false then.
    bool Write(const QString& path);

    // The dialogs, built on demand (null until shown once).
    QFileDialog* openDialog() const { return openDialog_; }
    QFileDialog* saveDialog() const { return saveDialog_; }

  public slots:
    // Open dialog, then Read. Cancel does nothing.
    void FileOpen1Execute();
    // Save dialog only when no file was opened or saved yet, then Write.
    void SaveBtnClick();
    // Always the save dialog, then Write.
    void FileSave1Execute();

  private:
    // Shows the dialog and runs then() with the chosen path on OK. A script
    // gets the dialog open without waiting (and never a native one).
    void ask(QFileDialog* dialog, std::function<void(const QString&)> then);
    QFileDialog* makeDialog(bool save);
    QString folder() const;
    void fail(const QString& what, const QString& path, const QString& reason);

    ReportContext& context_;
    QFileDialog* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
};
