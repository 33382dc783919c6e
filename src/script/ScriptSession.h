// The scenario-script language and one run of a script against a window.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "pages/graph/DriftLogic.h"
#include "script/ScriptControls.h"
#include "script/ScriptParser.h"

struct AdapterApi;
class QWidget;

// What a script reaches of the window besides its named controls.
class ScriptHost {
  public:
    virtual ~ScriptHost() = default;
    virtual QWidget* window() = 0;
    virtual QString statusPanelText(int panel) const = 0;
    // Error boxes recorded since the last call, oldest first.
    virtual QStringList takeBoxes() = 0;
    virtual const AdapterApi& adapter() const = 0;
    virtual uint32_t boardNo() const = 0;
    // The first call puts a pinned PC clock in place; later calls move it.
    virtual void pinClock(const QDateTime& at) = 0;
    virtual bool clockPinned() const = 0;
    virtual void advanceClock(qint64 ms) = 0; // the pinned clock only
    // What the pinned clock reads; nothing while the PC's own clock runs.
    virtual std::optional<QDateTime> pinnedTime() const { return std::nullopt; }
    virtual void tick() = 0;      // one polling tick, as the timer runs it
    // The PC clock's counter and the earliest step the window waits to run at
    // a moment of it (nothing: none waits); runDue runs what is due now.
    virtual qint64 counterMs() const { return 0; }
    virtual std::optional<qint64> nextDueMs() const { return std::nullopt; }
    virtual void runDue() {}
    virtual void holdTimer() = 0; // keep the polling timer from firing by itself
    virtual void close() = 0;     // as the user closes the window
    // The window's file actions without a dialog: the register dump file read
    // or written, the printed report written as a PDF file; false when the
    // action failed.
    virtual bool openDumpFile(const QString& file) = 0;
    virtual bool saveDumpFile(const QString& file) = 0;
    virtual bool printReport(const QString& file) = 0;
    // The plug notifications the operating system delivers to the window.
    virtual void notifyUsbArrival() = 0;
    virtual void notifyUsbRemove() = 0;
    // Names the window's tables gave that matched no control, since start-up.
    virtual QStringList controlFailures() const { return {}; }
    // The drift meter's estimate now; nothing where the window has no meter.
    virtual std::optional<DriftLogic::DriftFigures> driftFigures() const { return std::nullopt; }
};

// The arguments of one step, as its check read them from the line.
struct ScriptArgs {
    QString name;            // NAME: the control
    QString word;            // a word from the command's own list: on, up, a key, a property
    QString text;            // "TEXT": an entry, typed text, expected value, file or part
    int index = -1;          // select's #INDEX; -1 when the entry is named by its text
    qint64 integers[3] = {}; // ROW COL, PANEL, SLAVE SUB VALUE or 0|1
    double number = 0;       // SECONDS, DEGREES, PPM or VOLTS
    double tolerance = 0;    // expect rate's TOLERANCE (ppm)
    QDate date;              // date's day
    QDateTime at;            // pctime's local time
};

// One line of a script, checked when the script is read.
struct ScriptStep {
    int line = 0;
    int form = -1; // row of the language table; -1 when the line failed its check
    QString text;  // the command as written, for the failures of its run
    ScriptArgs args;
    std::optional<ScriptControls::Failure> error; // why the line failed its check
};

struct Script {
    QString file; // as named on the command line, for FAIL lines
    QList<ScriptStep> steps;
    bool pinsClock = false; // uses pctime or advance: needs the simulated board's manual clock
    // A pctime before any other step: the PC clock start-up already reads.
    std::optional<QDateTime> startTime;

    // Every line passed its check; only such a script runs.
    bool runnable() const
    {
        return std::none_of(steps.begin(), steps.end(),
                            [](const ScriptStep& step) { return step.error.has_value(); });
    }
};

namespace ScriptLanguage {

Script compile(const QString& file, const QString& source);

// The commands, for messages and documentation.
QStringList verbs();

} // namespace ScriptLanguage

class ScriptSession {
  public:
    using Output = std::function<void(const QString& line)>;

    ScriptSession(const Script& script, ScriptHost& host, Output out);

    // Reads the checked script first: when a line failed its check, prints
    // a FAIL line for each such line and runs nothing. Otherwise runs every
    // step and prints a FAIL line per failure. Then the closing
    // "N passed, N failed"; returns 0 only when nothing failed.
    int run();

    int passed() const { return passed_; }
    int failed() const { return failed_; }

    // For the language table's steps.
    ScriptHost& host() { return host_; }
    QWidget* window() { return host_.window(); }
    uint32_t simBoard();
    std::optional<QString> takeBox();
    void dropBoxes() { boxes_.clear(); }
    int& tickPhaseMs() { return tickPhaseMs_; }
    void afterTick();
    void markClosed() { closed_ = true; }
    // Lets real time pass with the event loop running.
    void waitRealTime(qint64 ms);

  private:
    void runSteps();
    void collectBoxes();
    void dismissModal();
    void fail(const ScriptStep& step, const ScriptControls::Failure& f);

    const Script& script_;
    ScriptHost& host_;
    Output out_;
    std::deque<QString> boxes_;
    int passed_ = 0;
    int failed_ = 0;
    int tickPhaseMs_ = 0; // time since the polling timer last fired, in a pinned run
    uint32_t lastBoard_ = 1;
    bool closed_ = false;
    int ownLoops_ = 0;  // event loops the script itself runs (wait)
    QTimer modalGuard_; // fires only while a step runs an event loop
};
