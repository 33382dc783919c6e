#include "support/WindowFixture.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

#include "bus/AdapterApi.h"
#include "kvrx_usb.h"
#include "support/RecordingAdapter.h"

namespace {

// Looks for a modal dialog or an open menu while any event loop runs (a
// modal exec runs its own); one that stays longer than the limit is closed
// as a user cancels it, and the test fails.
class ModalWatchdog : public QObject {
  public:
    explicit ModalWatchdog(int limitMs) : limitMs_(limitMs)
    {
        timer_.setInterval(100);
        connect(&timer_, &QTimer::timeout, this, &ModalWatchdog::look);
        timer_.start();
    }

  private:
    void look()
    {
        QWidget* open = QApplication::activePopupWidget();
        if (open == nullptr) open = QApplication::activeModalWidget();
        if (open != seen_) {
            seen_ = open;
            since_.restart();
            return;
        }
        if (open == nullptr || since_.elapsed() < limitMs_) return;
        QString what = open->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(open)) what = box->text();
        ADD_FAILURE() << open->metaObject()->className() << " \"" << what.toStdString()
                      << "\" waited for a click for " << limitMs_ / 1000
                      << " s; a window under test must not wait on a modal dialog";
        if (auto* dialog = qobject_cast<QDialog*>(open))
            dialog->done(QDialog::Rejected);
        else
            open->close();
        seen_ = nullptr;
    }

    int limitMs_;
    QTimer timer_;
    QPointer<QWidget> seen_;
    QElapsedTimer since_;
};

} // namespace

void WindowFixture::SetUp()
{
    ensureApp();
    // A window on the library starts on a new simulated board, on the manual
    // clock as ctest gives it unless the caller says otherwise, and on the
    // recording adapter's empty record, whichever tests ran before.
    setenv("KVRX_SIM_CLOCK", "manual", 0);
    KVRX_TestRestart();
    RecordingAdapter::reset();
    watchdog_ = std::make_unique<ModalWatchdog>(kModalLimitMs);
}

void WindowFixture::TearDown()
{
    window_.reset();
    TMainApp::setStartupAdapter(nullptr);
    watchdog_.reset();
}

std::unique_ptr<TMainApp> WindowFixture::makeWindow(const WindowOptions& o)
{
    AppOptions options;
    options.wideBusList = o.Wide;
    options.settingsFile = (o.Store ? *o.Store : store).path();
    // Start-up lists and opens the boards through this adapter; the window
    // keeps it after.
    TMainApp::setStartupAdapter(o.Adapter);
    auto w = std::make_unique<TMainApp>(options, o.ScriptMode);
    TMainApp::setStartupAdapter(nullptr);
    if (!o.PollTimer) w->pollTimer()->stop();
    if (o.PcTime) {
        clock.set(*o.PcTime);
        w->setPcClock(&clock);
    }
    return w;
}

TMainApp& WindowFixture::open(const WindowOptions& options)
{
    window_.reset();
    window_ = makeWindow(options);
    return *window_;
}
