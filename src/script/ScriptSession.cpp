#include "script/ScriptSession.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>

#include "bus/AdapterApi.h"
#include "bus/Result.h"
#include "kvrx_usb.h"

using ScriptControls::Failure;
using ScriptControls::Outcome;

namespace {

constexpr int kTimerMs = 110;          // the polling timer's interval
constexpr double kLongestWait = 86400; // one day of real time
// A month of simulated time, the graph's longest time base: a few minutes of
// real time, so an advance always ends.
constexpr double kLongestAdvance = 31 * 86400.0;

// Reads a step's arguments one by one; the first mismatch is kept as the
// error, and once there is one, later reads do nothing: a check reads its
// arguments in a row and looks at the error once.
class Args {
  public:
    Args(const QList<ScriptToken>& tokens, QString usage)
        : tokens_(tokens), usage_(std::move(usage))
    {
    }

    std::optional<Failure> error;

    bool name(QString* out, const char* what)
    {
        const ScriptToken* t = next(what);
        if (!t) return false;
        if (t->kind != ScriptToken::Word) return mismatch(*t, what);
        *out = t->text;
        return true;
    }

    // Quoted text, or a single word or number written without quotes.
    bool text(QString* out, const char* what)
    {
        const ScriptToken* t = next(what);
        if (!t) return false;
        if (t->kind == ScriptToken::Index) return mismatch(*t, what);
        *out = t->text;
        return true;
    }

    bool integer(qint64* out, const char* what, qint64 lowest, qint64 highest)
    {
        const ScriptToken* t = next(what);
        if (!t) return false;
        const auto v =
            t->kind == ScriptToken::Word ? ScriptParser::toInteger(t->text) : std::nullopt;
        if (!v || *v < lowest || *v > highest) return mismatch(*t, what);
        *out = *v;
        return true;
    }

    bool number(double* out, const char* what, double lowest, double highest)
    {
        const ScriptToken* t = next(what);
        if (!t) return false;
        const auto v =
            t->kind == ScriptToken::Word ? ScriptParser::toNumber(t->text) : std::nullopt;
        if (!v || *v < lowest || *v > highest) return mismatch(*t, what);
        *out = *v;
        return true;
    }

    bool choice(const QStringList& words, QString* out, const char* what)
    {
        const ScriptToken* t = next(what);
        if (!t) return false;
        if (t->kind != ScriptToken::Word || !words.contains(t->text)) return mismatch(*t, what);
        *out = t->text;
        return true;
    }

    // "entry text" or #index
    bool entry(QString* text, int* index)
    {
        const ScriptToken* t = next("\"ENTRY\" or #INDEX");
        if (!t) return false;
        if (t->kind == ScriptToken::Index) {
            const auto v = ScriptParser::toInteger(t->text);
            if (!v || *v < 0 || *v > 100000) return mismatch(*t, "#INDEX");
            *index = static_cast<int>(*v);
            return true;
        }
        *index = -1;
        *text = t->text;
        return true;
    }

    bool end()
    {
        if (error) return false;
        if (pos_ < tokens_.size()) {
            error =
                Failure{usage_, QStringLiteral("more after it: %1").arg(describe(tokens_[pos_]))};
            return false;
        }
        return true;
    }

  private:
    const ScriptToken* next(const char* what)
    {
        if (error) return nullptr;
        if (pos_ >= tokens_.size()) {
            error = Failure{usage_, QStringLiteral("the line ends before %1").arg(what)};
            return nullptr;
        }
        return &tokens_[pos_++];
    }

    bool mismatch(const ScriptToken& t, const char* what)
    {
        error = Failure{usage_, QStringLiteral("%1 where %2 belongs").arg(describe(t), what)};
        return false;
    }

    static QString describe(const ScriptToken& t)
    {
        switch (t.kind) {
        case ScriptToken::Text:
            return ScriptParser::quoted(t.text);
        case ScriptToken::Index:
            return QStringLiteral("#") + t.text;
        case ScriptToken::Word:
            break;
        }
        return QStringLiteral("\"%1\"").arg(t.text);
    }

    const QList<ScriptToken>& tokens_;
    qsizetype pos_ = 0;
    QString usage_;
};

// ---- helpers the steps share ----

QString adapterText(const AdapterApi& api, int32_t code)
{
    const char* text = api.ResultStr ? api.ResultStr(code) : nullptr;
    return QStringLiteral("%1 (code %2)")
        .arg(ScriptParser::quoted(QString::fromUtf8(text ? text : "?")))
        .arg(code);
}

Outcome adapterCall(const AdapterApi& api, int32_t code, const QString& what)
{
    if (Succeeded(code)) return std::nullopt;
    return Failure{what, adapterText(api, code)};
}

QString hex2(qint64 v)
{
    return QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(2, u'0');
}

// The control a step names, worked by `act` as the user would.
template <class Act> Outcome onControl(ScriptSession& s, const QString& name, Act act)
{
    const ScriptControls::Lookup c = ScriptControls::find(s.window(), name);
    if (c.failure) return c.failure;
    return act(c.object, s.window());
}

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// ---- checks: what a line holds, read before any step runs ----
//
// A check sees only the line's words and fills the step's arguments; it
// reaches neither the window nor the board, so a script is read whole
// without anything happening. The first mismatch is the line's failure.

Outcome done(Args& a)
{
    a.end();
    return a.error;
}

Outcome checkNothing(Args& a, ScriptArgs&)
{
    return done(a);
}

Outcome checkName(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    return done(a);
}

Outcome checkSelect(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.entry(&v.text, &v.index);
    return done(a);
}

Outcome checkCheck(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.choice({"on", "off"}, &v.word, "on or off");
    return done(a);
}

Outcome checkType(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.text(&v.text, "\"TEXT\"");
    return done(a);
}

Outcome checkKey(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.choice(ScriptControls::keyNames(), &v.word, "a key name");
    return done(a);
}

Outcome checkSpin(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.choice({"up", "down"}, &v.word, "up or down");
    return done(a);
}

Outcome checkCell(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.integer(&v.integers[0], "ROW", 0, 1000000);
    a.integer(&v.integers[1], "COL", 0, 1000000);
    return done(a);
}

Outcome checkArrow(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.choice(ScriptControls::arrowNames(), &v.word, "Up, Down, Left or Right");
    return done(a);
}

Outcome checkDate(Args& a, ScriptArgs& v)
{
    if (!a.name(&v.name, "NAME") || !a.text(&v.text, "\"YYYY-MM-DD\"")) return a.error;
    v.date = QDate::fromString(v.text, QStringLiteral("yyyy-MM-dd"));
    if (!v.date.isValid())
        return Failure{QStringLiteral("date NAME \"YYYY-MM-DD\""),
                       QStringLiteral("%1, not a date").arg(ScriptParser::quoted(v.text))};
    return done(a);
}

Outcome checkExpectTitle(Args& a, ScriptArgs& v)
{
    a.choice({"title"}, &v.word, "title");
    a.text(&v.text, "\"TEXT\"");
    return done(a);
}

Outcome checkExpectStatus(Args& a, ScriptArgs& v)
{
    a.integer(&v.integers[0], "a panel number 0 to 3", 0, 3);
    a.text(&v.text, "\"TEXT\"");
    return done(a);
}

Outcome checkText(Args& a, ScriptArgs& v)
{
    a.text(&v.text, "\"TEXT\"");
    return done(a);
}

// "YYYY-MM-DD HH:MM:SS" as a local date and time; `usage` names the form for the failure.
Outcome checkDateTime(Args& a, ScriptArgs& v, const char* usage)
{
    if (!a.text(&v.text, "\"YYYY-MM-DD HH:MM:SS\"")) return a.error;
    v.at = QDateTime::fromString(v.text, kDateTimeFormat);
    if (!v.at.isValid())
        return Failure{
            QString::fromLatin1(usage),
            QStringLiteral("%1, not a local date and time").arg(ScriptParser::quoted(v.text))};
    return done(a);
}

Outcome checkExpectPcTime(Args& a, ScriptArgs& v)
{
    return checkDateTime(a, v, "expect pctime \"YYYY-MM-DD HH:MM:SS\"");
}

Outcome checkPcTime(Args& a, ScriptArgs& v)
{
    return checkDateTime(a, v, "pctime \"YYYY-MM-DD HH:MM:SS\"");
}

Outcome checkExpectProperty(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.choice(ScriptControls::propertyNames() << QStringLiteral("cell"), &v.word, "a property");
    if (v.word == QLatin1String("cell")) {
        a.integer(&v.integers[0], "ROW", 0, 1000000);
        a.integer(&v.integers[1], "COL", 0, 1000000);
    }
    a.text(&v.text, "\"VALUE\"");
    return done(a);
}

Outcome checkExpectRate(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "VALUE (ppm)", -1e6, 1e6);
    a.number(&v.tolerance, "TOLERANCE (ppm, 0 or more)", 0, 1e6);
    return done(a);
}

Outcome checkExpectAdvice(Args& a, ScriptArgs& v)
{
    a.name(&v.name, "NAME");
    a.text(&v.text, "\"ENTRY\"");
    return done(a);
}

Outcome checkAdvance(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "SECONDS (0 to 2678400)", 0, kLongestAdvance);
    return done(a);
}

Outcome checkWait(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "SECONDS (0 to 86400)", 0, kLongestWait);
    return done(a);
}

Outcome checkPart(Args& a, ScriptArgs& v)
{
    a.text(&v.text, "\"PART\"");
    return done(a);
}

Outcome checkDegrees(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "DEGREES", -273, 1000);
    return done(a);
}

Outcome checkPpm(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "PPM", -1e6, 1e6);
    return done(a);
}

Outcome checkVolts(Args& a, ScriptArgs& v)
{
    a.number(&v.number, "VOLTS (0 to 6)", 0, 6);
    return done(a);
}

Outcome checkByte(Args& a, ScriptArgs& v)
{
    a.integer(&v.integers[0], "SLAVE (0 to 0xFF)", 0, 0xFF);
    a.integer(&v.integers[1], "SUB (0 to 0xFFFF)", 0, 0xFFFF);
    a.integer(&v.integers[2], "VALUE (0 to 0xFF)", 0, 0xFF);
    return done(a);
}

Outcome checkLevel(Args& a, ScriptArgs& v)
{
    a.integer(&v.integers[0], "0 or 1", 0, 1);
    return done(a);
}

Outcome checkFile(Args& a, ScriptArgs& v)
{
    a.text(&v.text, "\"FILE\"");
    return done(a);
}

Outcome checkPdf(Args& a, ScriptArgs& v)
{
    a.text(&v.text, "\"FILE.pdf\"");
    return done(a);
}

Outcome checkPng(Args& a, ScriptArgs& v)
{
    a.text(&v.text, "\"FILE.png\"");
    return done(a);
}

// ---- runs: what a checked step does ----
//
// `line` is the step's command as written, for the failure of an action.

Outcome runSelect(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return v.index >= 0 ? ScriptControls::selectIndex(c, v.index, root)
                            : ScriptControls::select(c, v.text, root);
    });
}

Outcome runCheck(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::check(c, v.word == QLatin1String("on"), root);
    });
}

Outcome runClick(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, ScriptControls::click);
}

Outcome runType(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::type(c, v.text, root);
    });
}

Outcome runKey(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::key(c, v.word, root);
    });
}

Outcome runCell(ScriptSession& s, const ScriptArgs& v, bool twice)
{
    return onControl(s, v.name, [&v, twice](QObject* c, QWidget* root) {
        return ScriptControls::clickCell(c, static_cast<int>(v.integers[0]),
                                         static_cast<int>(v.integers[1]), twice, root);
    });
}

Outcome runClickCell(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return runCell(s, v, false);
}

Outcome runDoubleClickCell(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return runCell(s, v, true);
}

Outcome runArrow(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::arrow(c, v.word, root);
    });
}

Outcome runSpin(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::spin(c, v.word == QLatin1String("up"), root);
    });
}

Outcome runFocus(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, ScriptControls::focus);
}

Outcome runLeave(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, ScriptControls::leave);
}

Outcome runDate(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget* root) {
        return ScriptControls::pickDate(c, v.date, root);
    });
}

Outcome runExpectPcTime(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const auto now = s.host().pinnedTime();
    if (!now)
        return Failure{QStringLiteral("a pinned PC clock (pctime before expect pctime)"),
                       QStringLiteral("the PC's own clock")};
    const QString shown = now->toString(kDateTimeFormat);
    if (shown == v.text) return std::nullopt;
    return Failure{QStringLiteral("pctime %1").arg(ScriptParser::quoted(v.text)),
                   ScriptParser::quoted(shown)};
}

Outcome runExpectProperty(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const bool cell = v.word == QLatin1String("cell");
    const qint64 row = v.integers[0], column = v.integers[1];
    return onControl(s, v.name, [&](QObject* c, QWidget* root) -> Outcome {
        const auto reading =
            cell ? ScriptControls::readCell(c, static_cast<int>(row), static_cast<int>(column))
                 : ScriptControls::read(c, v.word, root);
        if (reading.failure) return reading.failure;
        const QString want = cell ? v.text : ScriptControls::normalised(v.word, v.text);
        if (reading.value == want) return std::nullopt;
        const QString what = cell ? QStringLiteral("cell %1 %2").arg(row).arg(column) : v.word;
        return Failure{QStringLiteral("%1 %2 %3").arg(v.name, what, ScriptParser::quoted(want)),
                       ScriptParser::quoted(reading.value)};
    });
}

// A trim list's advised entry, which the page keeps in the list's "advised"
// property while it has an estimate to work from.
Outcome runExpectAdvice(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    return onControl(s, v.name, [&v](QObject* c, QWidget*) -> Outcome {
        const QVariant advised = c->property("advised");
        const QString want =
            QStringLiteral("advice %1 %2").arg(v.name, ScriptParser::quoted(v.text));
        if (!advised.isValid()) return Failure{want, QStringLiteral("no advice")};
        if (advised.toString() == v.text) return std::nullopt;
        return Failure{want, ScriptParser::quoted(advised.toString())};
    });
}

Outcome runExpectTitle(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const QString title = s.window()->windowTitle();
    if (title == v.text) return std::nullopt;
    return Failure{QStringLiteral("window title %1").arg(ScriptParser::quoted(v.text)),
                   ScriptParser::quoted(title)};
}

Outcome runExpectStatus(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const qint64 panel = v.integers[0];
    const QString text = s.host().statusPanelText(static_cast<int>(panel));
    if (text == v.text) return std::nullopt;
    return Failure{QStringLiteral("status %1 %2").arg(panel).arg(ScriptParser::quoted(v.text)),
                   ScriptParser::quoted(text)};
}

// The drift meter's rate within TOLERANCE ppm of VALUE.
Outcome runExpectRate(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const QString want = QStringLiteral("rate %1 ppm within %2")
                             .arg(QString::number(v.number), QString::number(v.tolerance));
    const std::optional<DriftLogic::DriftFigures> f = s.host().driftFigures();
    if (!f) return Failure{want, QStringLiteral("no drift meter")};
    if (!f->RatePpm || !f->IntervalPpm)
        return Failure{want, QStringLiteral("no estimate yet (%1 samples)").arg(f->Samples)};
    if (std::fabs(*f->RatePpm - v.number) <= v.tolerance) return std::nullopt;
    return Failure{want, QStringLiteral("%1 ppm \u00b1 %2")
                             .arg(QString::number(*f->RatePpm, 'f', 3),
                                  QString::number(*f->IntervalPpm, 'f', 3))};
}

Outcome runExpectBox(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    const auto box = s.takeBox();
    const QString want = QStringLiteral("box %1").arg(ScriptParser::quoted(v.text));
    if (!box) return Failure{want, QStringLiteral("no box")};
    if (*box != v.text)
        return Failure{want, QStringLiteral("box %1").arg(ScriptParser::quoted(*box))};
    return std::nullopt;
}

Outcome runExpectNoBox(ScriptSession& s, const ScriptArgs&, const QString&)
{
    const auto box = s.takeBox();
    s.dropBoxes(); // reported here once, not again by a later check
    if (box)
        return Failure{QStringLiteral("no box"),
                       QStringLiteral("box %1").arg(ScriptParser::quoted(*box))};
    return std::nullopt;
}

Outcome runPcTime(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    s.host().pinClock(v.at);
    s.host().holdTimer();
    return std::nullopt;
}

Outcome runAdvance(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    ScriptHost& host = s.host();
    if (!host.clockPinned())
        return Failure{QStringLiteral("a pinned PC clock (pctime before advance)"),
                       QStringLiteral("the PC's own clock")};
    const AdapterApi& api = host.adapter();
    if (!api.SimAdvance) return Failure{line, QStringLiteral("no simulated clock")};
    // Nobody watches the window between the ticks of one advance: painting
    // each second would take most of the time. What the controls hold is
    // unchanged, and the window repaints once at the end.
    struct PaintLater {
        QWidget* window;
        bool was = window->updatesEnabled();
        ~PaintLater() { window->setUpdatesEnabled(was); }
    } paintLater{s.window()};
    paintLater.window->setUpdatesEnabled(false);
    // In the timer's own steps, so each tick sees the time it would see.
    qint64 remaining = std::llround(v.number * 1000.0);
    int& phase = s.tickPhaseMs();
    // Steps the window waits to run at a moment of the clock run at that
    // moment, between the ticks.
    host.runDue();
    while (remaining > 0) {
        qint64 step = std::min<qint64>(kTimerMs - phase, remaining);
        if (const std::optional<qint64> due = host.nextDueMs())
            step = std::clamp<qint64>(*due - host.counterMs(), 1, step);
        host.advanceClock(step);
        if (auto f = adapterCall(api, api.SimAdvance(static_cast<double>(step) / 1000.0),
                                 QStringLiteral("the simulated clock to advance")))
            return f;
        remaining -= step;
        phase += static_cast<int>(step);
        host.runDue();
        if (phase == kTimerMs) {
            phase = 0;
            host.tick();
            s.afterTick();
        }
    }
    return std::nullopt;
}

Outcome runTick(ScriptSession& s, const ScriptArgs&, const QString&)
{
    s.host().tick();
    s.afterTick();
    s.tickPhaseMs() = 0; // a tick re-arms the timer: the next one is a whole interval later
    return std::nullopt;
}

Outcome runWait(ScriptSession& s, const ScriptArgs& v, const QString&)
{
    s.waitRealTime(std::llround(v.number * 1000.0));
    return std::nullopt;
}

// The simulated board's call `fn` of the open board, or a failure when the
// adapter is no simulated board.
template <class Fn, class... Rest>
Outcome simCall(ScriptSession& s, Fn AdapterApi::*fn, const QString& line, Rest... rest)
{
    const AdapterApi& api = s.host().adapter();
    if (!(api.*fn)) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, (api.*fn)(s.simBoard(), rest...), line);
}

Outcome runSimPart(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    const QByteArray part = v.text.toUtf8();
    return simCall(s, &AdapterApi::SimSetPart, line, part.constData());
}

Outcome runSimTemp(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimSetTemperature, line, v.number);
}

Outcome runSimPpm(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimSetPpm, line, v.number);
}

Outcome runSimVdd(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimSetVoltage, line, int{KVRX_SIM_SUPPLY}, v.number);
}

Outcome runSimVbat(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimSetVoltage, line, int{KVRX_SIM_BATTERY}, v.number);
}

Outcome runSimPoke(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimPoke, line, static_cast<uint8_t>(v.integers[0]),
                   static_cast<uint32_t>(v.integers[1]), static_cast<uint8_t>(v.integers[2]));
}

Outcome runSimExpect(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    const qint64 slave = v.integers[0], sub = v.integers[1], value = v.integers[2];
    const AdapterApi& api = s.host().adapter();
    if (!api.SimPeek) return Failure{line, QStringLiteral("no simulated board")};
    uint8_t found = 0;
    const QString want =
        QStringLiteral("device %1 byte %2 = %3").arg(hex2(slave), hex2(sub), hex2(value));
    const int32_t code =
        api.SimPeek(s.simBoard(), static_cast<uint8_t>(slave), static_cast<uint32_t>(sub), &found);
    if (!Succeeded(code))
        return Failure{want, QStringLiteral("no byte: %1").arg(adapterText(api, code))};
    if (found != value) return Failure{want, hex2(found)};
    return std::nullopt;
}

Outcome runSimAttach(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    const int attached = static_cast<int>(v.integers[0]);
    if (auto f = simCall(s, &AdapterApi::SimSetAttached, line, attached)) return f;
    // The plug notification the operating system would deliver.
    if (attached)
        s.host().notifyUsbArrival();
    else
        s.host().notifyUsbRemove();
    return std::nullopt;
}

Outcome runSimEvent(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return simCall(s, &AdapterApi::SimEventInput, line, static_cast<int>(v.integers[0]));
}

Outcome fileAction(bool done, const QString& line)
{
    if (!done) return Failure{line, QStringLiteral("it failed")};
    return std::nullopt;
}

Outcome runOpen(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return fileAction(s.host().openDumpFile(v.text), line);
}

Outcome runSave(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return fileAction(s.host().saveDumpFile(v.text), line);
}

Outcome runPrint(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    return fileAction(s.host().printReport(v.text), line);
}

Outcome runScreenshot(ScriptSession& s, const ScriptArgs& v, const QString& line)
{
    // The folders a picture goes to are made as needed: a script carries its
    // pictures' places with it, wherever it runs.
    if (!QFileInfo(v.text).absoluteDir().mkpath(QStringLiteral(".")))
        return Failure{line, QStringLiteral("its folder could not be made")};
    if (!s.window()->grab().save(v.text))
        return Failure{line, QStringLiteral("the picture could not be written")};
    return std::nullopt;
}

Outcome runQuit(ScriptSession& s, const ScriptArgs&, const QString&)
{
    s.host().close();
    s.markClosed();
    return std::nullopt;
}

// ---- the language: one row per form of a command ----

struct Form {
    const char* verb;
    const char* sub;   // second word that picks this form; nullptr: any other
    const char* usage; // as shown in messages
    bool expectation;  // counts as passed when it succeeds
    bool pinsClock;
    // Reads the arguments after the verb (and sub word) when the script is read.
    Outcome (*check)(Args& a, ScriptArgs& v);
    // Does the step with the arguments its check read.
    Outcome (*run)(ScriptSession& s, const ScriptArgs& v, const QString& line);
};

const Form kForms[] = {
    {"select", nullptr, "select NAME \"ENTRY\" | select NAME #INDEX", false, false, checkSelect,
     runSelect},
    {"check", nullptr, "check NAME on|off", false, false, checkCheck, runCheck},
    {"click", nullptr, "click NAME", false, false, checkName, runClick},
    {"type", nullptr, "type NAME \"TEXT\"", false, false, checkType, runType},
    {"key", nullptr, "key NAME KEY", false, false, checkKey, runKey},
    {"spin", nullptr, "spin NAME up|down", false, false, checkSpin, runSpin},
    {"cell", nullptr, "cell NAME ROW COL", false, false, checkCell, runClickCell},
    {"dblcell", nullptr, "dblcell NAME ROW COL", false, false, checkCell, runDoubleClickCell},
    {"arrow", nullptr, "arrow NAME Up|Down|Left|Right", false, false, checkArrow, runArrow},
    {"focus", nullptr, "focus NAME", false, false, checkName, runFocus},
    {"leave", nullptr, "leave NAME", false, false, checkName, runLeave},
    {"date", nullptr, "date NAME \"YYYY-MM-DD\"", false, false, checkDate, runDate},
    {"expect", "window", "expect window title \"TEXT\"", true, false, checkExpectTitle,
     runExpectTitle},
    {"expect", "status", "expect status PANEL \"TEXT\"", true, false, checkExpectStatus,
     runExpectStatus},
    {"expect", "box", "expect box \"TEXT\"", true, false, checkText, runExpectBox},
    {"expect", "nobox", "expect nobox", true, false, checkNothing, runExpectNoBox},
    {"expect", "rate", "expect rate VALUE TOLERANCE", true, false, checkExpectRate,
     runExpectRate},
    {"expect", "pctime", "expect pctime \"YYYY-MM-DD HH:MM:SS\"", true, false, checkExpectPcTime,
     runExpectPcTime},
    {"expect", "advice", "expect advice NAME \"ENTRY\"", true, false, checkExpectAdvice,
     runExpectAdvice},
    {"expect", nullptr, "expect NAME PROPERTY \"VALUE\" | expect NAME cell ROW COL \"VALUE\"", true,
     false, checkExpectProperty, runExpectProperty},
    {"pctime", nullptr, "pctime \"YYYY-MM-DD HH:MM:SS\"", false, true, checkPcTime, runPcTime},
    {"advance", nullptr, "advance SECONDS", false, true, checkAdvance, runAdvance},
    {"tick", nullptr, "tick", false, false, checkNothing, runTick},
    {"wait", nullptr, "wait SECONDS", false, false, checkWait, runWait},
    {"sim", "part", "sim part \"PART\"", false, false, checkPart, runSimPart},
    {"sim", "temp", "sim temp DEGREES", false, false, checkDegrees, runSimTemp},
    {"sim", "ppm", "sim ppm PPM", false, false, checkPpm, runSimPpm},
    {"sim", "poke", "sim poke SLAVE SUB VALUE", false, false, checkByte, runSimPoke},
    {"sim", "expect", "sim expect SLAVE SUB VALUE", true, false, checkByte, runSimExpect},
    {"sim", "attach", "sim attach 0|1", false, false, checkLevel, runSimAttach},
    {"sim", "event", "sim event 0|1", false, false, checkLevel, runSimEvent},
    {"sim", "vdd", "sim vdd VOLTS", false, false, checkVolts, runSimVdd},
    {"sim", "vbat", "sim vbat VOLTS", false, false, checkVolts, runSimVbat},
    {"open", nullptr, "open \"FILE\"", false, false, checkFile, runOpen},
    {"save", nullptr, "save \"FILE\"", false, false, checkFile, runSave},
    {"print", nullptr, "print \"FILE.pdf\"", false, false, checkPdf, runPrint},
    {"screenshot", nullptr, "screenshot \"FILE.png\"", false, false, checkPng, runScreenshot},
    {"quit", nullptr, "quit", false, false, checkNothing, runQuit},
};

constexpr int kFormCount = static_cast<int>(std::size(kForms));

// The row of the language table for a line, or -1 and why none fits.
std::pair<int, ScriptControls::Failure> formFor(const QList<ScriptToken>& tokens)
{
    const ScriptToken& verb = tokens.front();
    QStringList subs;
    bool known = false;
    for (int i = 0; i < kFormCount; ++i) {
        const Form& f = kForms[i];
        if (verb.kind != ScriptToken::Word || verb.text != QLatin1String(f.verb)) continue;
        known = true;
        if (!f.sub) return {i, {}};
        subs.append(QString::fromLatin1(f.sub));
        if (tokens.size() > 1 && tokens[1].kind == ScriptToken::Word &&
            tokens[1].text == QLatin1String(f.sub))
            return {i, {}};
    }
    if (known)
        return {-1,
                {QStringLiteral("%1 followed by one of %2").arg(verb.text, subs.join(u' ')),
                 tokens.size() > 1 ? ScriptParser::quoted(tokens[1].text)
                                   : QStringLiteral("the end of the line")}};
    return {-1,
            {QStringLiteral("a command: %1").arg(ScriptLanguage::verbs().join(u' ')),
             ScriptParser::quoted(verb.text)}};
}

QList<ScriptToken> argumentsOf(const QList<ScriptToken>& tokens, const Form& f)
{
    return tokens.mid(f.sub ? 2 : 1);
}

QString lineText(const QList<ScriptToken>& tokens)
{
    QStringList words;
    for (const ScriptToken& t : tokens) {
        switch (t.kind) {
        case ScriptToken::Text:
            words.append(ScriptParser::quoted(t.text));
            break;
        case ScriptToken::Index:
            words.append(QStringLiteral("#") + t.text);
            break;
        case ScriptToken::Word:
            words.append(t.text);
            break;
        }
    }
    return words.join(u' ');
}

} // namespace

namespace ScriptLanguage {

QStringList verbs()
{
    QStringList names;
    for (const Form& f : kForms) {
        const QString v = QString::fromLatin1(f.verb);
        if (!names.contains(v)) names.append(v);
    }
    return names;
}

Script compile(const QString& file, const QString& source)
{
    Script script;
    script.file = file;
    // An editor's byte-order mark is not part of the first command.
    const QString text = source.startsWith(QChar(0xFEFF)) ? source.mid(1) : source;
    for (const ScriptLine& line : ScriptParser::splitScript(text)) {
        ScriptStep step;
        step.line = line.number;
        if (!line.error.isEmpty()) {
            step.error = Failure{QStringLiteral("words and \"quoted texts\""), line.error};
            script.steps.append(step);
            continue;
        }
        auto [form, failure] = formFor(line.tokens);
        if (form < 0) {
            step.error = failure;
            script.steps.append(step);
            continue;
        }
        const Form& f = kForms[form];
        const QList<ScriptToken> tokens = argumentsOf(line.tokens, f);
        Args args(tokens, QString::fromLatin1(f.usage));
        step.error = f.check(args, step.args);
        if (!step.error) {
            step.form = form;
            step.text = lineText(line.tokens);
            script.pinsClock = script.pinsClock || f.pinsClock;
            // A leading pctime is in force before start-up.
            if (f.run == runPcTime && script.steps.isEmpty()) script.startTime = step.args.at;
        }
        script.steps.append(step);
    }
    // A script with a line that fails its check is not run: it sets nothing up either.
    if (!script.runnable()) {
        script.pinsClock = false;
        script.startTime.reset();
    }
    return script;
}

} // namespace ScriptLanguage

ScriptSession::ScriptSession(const Script& script, ScriptHost& host, Output out)
    : script_(script), host_(host), out_(std::move(out))
{
    modalGuard_.setInterval(20);
    QObject::connect(&modalGuard_, &QTimer::timeout, [this] { dismissModal(); });
}

uint32_t ScriptSession::simBoard()
{
    // The open board; once it is gone (unplugged), the one last used.
    if (const uint32_t board = host_.boardNo()) lastBoard_ = board;
    return lastBoard_;
}

std::optional<QString> ScriptSession::takeBox()
{
    collectBoxes();
    if (boxes_.empty()) return std::nullopt;
    QString first = boxes_.front();
    boxes_.pop_front();
    return first;
}

void ScriptSession::afterTick()
{
    if (host_.clockPinned())
        host_.holdTimer(); // the tick re-arms the timer; a pinned clock moves only in steps
    QApplication::processEvents();
}

void ScriptSession::waitRealTime(qint64 ms)
{
    // Real time with the event loop running, as it passes for a user.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    ++ownLoops_;
    loop.exec();
    --ownLoops_;
}

void ScriptSession::collectBoxes()
{
    for (const QString& box : host_.takeBoxes())
        boxes_.push_back(box);
}

// A modal dialog or menu that runs its own event loop would wait for a click
// that never comes. Message boxes join the recorded error boxes; any other
// dialog is closed as a user cancels it. A dialog that does not hold up the
// script (opened without waiting, like the About box) stays for the script
// to work.
void ScriptSession::dismissModal()
{
    if (QThread::currentThread()->loopLevel() <= ownLoops_) return;
    if (QWidget* popup = QApplication::activePopupWidget()) {
        out_(QStringLiteral("menu closed: ") + ScriptParser::quoted(popup->objectName()));
        popup->close();
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        boxes_.push_back(box->text());
        QString line = box->text();
        line.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
        out_(QStringLiteral("box: ") + line);
    } else {
        out_(QStringLiteral("dialog closed: ") + ScriptParser::quoted(dialog->windowTitle()));
    }
    dialog->done(QDialog::Rejected);
}

void ScriptSession::fail(const ScriptStep& step, const Failure& f)
{
    ++failed_;
    out_(QStringLiteral("FAIL %1:%2: %3 / %4")
             .arg(script_.file)
             .arg(step.line)
             .arg(f.expected, f.found));
}

int ScriptSession::run()
{
    // The whole script is checked before any step runs: a line that failed
    // its check fails the script, and nothing of it acts on the window or
    // the board.
    for (const ScriptStep& step : script_.steps) {
        if (step.error) fail(step, *step.error);
    }
    if (script_.runnable()) runSteps();
    // A table naming a control the window does not have is a fault of the
    // window whatever the script checked; line 0 stands for the whole run.
    for (const QString& failure : host_.controlFailures()) {
        ++failed_;
        out_(QStringLiteral("FAIL %1:0: every control the window names / %2")
                 .arg(script_.file, ScriptParser::quoted(failure)));
    }
    out_(QStringLiteral("%1 passed, %2 failed").arg(passed_).arg(failed_));
    return failed_ == 0 ? 0 : 1;
}

void ScriptSession::runSteps()
{
    // A script that pins the PC clock polls only inside advance and tick.
    if (script_.pinsClock) host_.holdTimer();
    modalGuard_.start();
    QApplication::processEvents();
    for (const ScriptStep& step : script_.steps) {
        const Form& form = kForms[step.form];
        if (closed_) {
            fail(step, {QStringLiteral("nothing after quit"), QString::fromLatin1(form.usage)});
            continue;
        }
        Outcome outcome;
        try {
            outcome = form.run(*this, step.args, step.text);
        } catch (const std::exception& e) {
            outcome = Failure{QString::fromLatin1(form.usage),
                              QStringLiteral("an exception: %1").arg(QString::fromUtf8(e.what()))};
        } catch (...) {
            outcome = Failure{QString::fromLatin1(form.usage), QStringLiteral("an exception")};
        }
        if (!closed_) {
            if (script_.pinsClock) host_.holdTimer();
            modalGuard_.start();
            QApplication::processEvents();
        }
        collectBoxes();
        if (outcome)
            fail(step, *outcome);
        else if (form.expectation)
            ++passed_;
    }
    modalGuard_.stop();
}
