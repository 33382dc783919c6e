// The About box: created hidden beside the main window at start-up, shown
// modally by Help > About.
#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QUrl;

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // Opens a web address with the desktop's handler; true when it did.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit TAboutBox(QWidget* parent = nullptr);

    // The opener CommentsClick uses; the desktop's unless one is set.
    void setUrlOpener(UrlOpener opener);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    QPushButton* OKButton = nullptr;

  public slots:
    // Opens the web address; the box closes only when that worked.
    void CommentsClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();

    UrlOpener opener_;
};
