#include "script/ScriptRunner.h"

#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/ResultSinks.h"
#include "app/TMainApp.h"
#include "clock/PcClock.h"
#include "script/ScriptSession.h"

namespace ScriptRunner {

namespace {

// The script read by Prepare, run by Run: start-up happens in between.
std::optional<Script>& prepared()
{
    static std::optional<Script> script;
    return script;
}

// The pinned PC clock: from Prepare when the script starts with pctime, so
// that start-up reads it, or from the first pctime step.
std::unique_ptr<PinnedPcClock>& pinned()
{
    static std::unique_ptr<PinnedPcClock> clock;
    return clock;
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
        if (pinned()) {
            pinned()->set(at);
        } else {
            pinned() = std::make_unique<PinnedPcClock>(at);
        }
        window_.setPcClock(pinned().get());
    }
    bool clockPinned() const override { return pinned() != nullptr; }
    void advanceClock(qint64 ms) override
    {
        if (pinned()) pinned()->advanceMs(ms);
    }
    std::optional<QDateTime> pinnedTime() const override
    {
        if (!pinned()) return std::nullopt;
        return pinned()->now();
    }

    void tick() override { window_.Timer1Timer(); }
    qint64 counterMs() const override { return window_.pcClock().counterMs(); }
    std::optional<qint64> nextDueMs() const override { return window_.schedule().nextDueMs(); }
    void runDue() override { window_.schedule().runDue(); }
    void holdTimer() override
    {
        if (QTimer* timer = window_.pollTimer()) timer->stop();
    }
    void close() override { window_.close(); }
    bool openDumpFile(const QString& file) override { return window_.openDumpFile(file); }
    bool saveDumpFile(const QString& file) override { return window_.saveDumpFile(file); }
    bool printReport(const QString& file) override { return window_.printReport(file); }
    void notifyUsbArrival() override { window_.NotifyUSBArrival(); }
    void notifyUsbRemove() override { window_.NotifyUSBRemove(); }
    QStringList controlFailures() const override { return window_.controlFailures(); }
    std::optional<DriftLogic::DriftFigures> driftFigures() const override
    {
        const DriftAnalysis* drift = window_.links().drift;
        if (!drift) return std::nullopt;
        return drift->figures();
    }

  private:
    TMainApp& window_;
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
    // Start-up reads the PC clock (the Set Clock page's pickers): a leading
    // pctime is already in force then.
    if (script.startTime) {
        pinned() = std::make_unique<PinnedPcClock>(*script.startTime);
        TMainApp::setStartupPcClock(pinned().get());
    }
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
