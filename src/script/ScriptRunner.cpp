#include "script/ScriptRunner.h"

#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/PcClock.h"
#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "script/ScriptSession.h"

namespace ScriptRunner {

namespace {

// The script read by Prepare, run by Run: start-up happens in between.
std::optional<Script>& prepared()
{
    static std::optional<Script> script;
    return script;
}

class MainWindowHost : public ScriptHost {
  public:
    explicit MainWindowHost(TMainApp& window) : window_(window) {}
    ~MainWindowHost() override { window_.setPcClock(nullptr); }

    QWidget* window() override { return &window_; }
    QString statusPanelText(int panel) const override { return window_.statusPanelText(panel); }

    QStringList takeBoxes() override
    {
        QStringList boxes;
        if (RecordingSink* sink = window_.recordedBoxes()) {
            while (!sink->empty())
                boxes.append(sink->takeFirst());
        }
        return boxes;
    }

    const AdapterApi& adapter() const override { return window_.bus().api(); }
    uint32_t boardNo() const override { return window_.bus().BoardNo; }

    void pinClock(const QDateTime& at) override
    {
        if (clock_) {
            clock_->set(at);
            return;
        }
        clock_ = std::make_unique<PinnedPcClock>(at);
        window_.setPcClock(clock_.get());
    }
    bool clockPinned() const override { return clock_ != nullptr; }
    void advanceClock(qint64 ms) override
    {
        if (clock_) clock_->advanceMs(ms);
    }

    void tick() override { window_.Timer1Timer(); }
    void holdTimer() override
    {
        if (QTimer* timer = window_.pollTimer()) timer->stop();
    }
    void close() override { window_.close(); }
    QStringList controlFailures() const override { return window_.controlFailures(); }

  private:
    TMainApp& window_;
    std::unique_ptr<PinnedPcClock> clock_;
};

} // namespace

bool Prepare(const QString& file, QString* error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read script \"%1\": %2").arg(file, in.errorString());
        return false;
    }
    Script script = ScriptLanguage::compile(file, QString::fromUtf8(in.readAll()));
    // The simulated board picks its clock when it is first opened, during start-up.
    if (script.pinsClock) qputenv("KVRX_SIM_CLOCK", "manual");
    prepared() = std::move(script);
    return true;
}

int Run(TMainApp& window)
{
    if (!prepared()) {
        std::puts("0 passed, 1 failed");
        return 1;
    }
    MainWindowHost host(window);
    ScriptSession session(*prepared(), host, [](const QString& line) {
        std::puts(line.toUtf8().constData());
        std::fflush(stdout);
    });
    return session.run();
}

} // namespace ScriptRunner
