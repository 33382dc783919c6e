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
#include "kvrx_usb.h"

using ScriptControls::Failure;
using ScriptControls::Outcome;

namespace {

constexpr int kTimerMs = 110;          // the polling timer's interval
constexpr double kLongestWait = 86400; // one day of real time
// A month of simulated time, the graph's longest time base: a few minutes of
// real time, so an advance always ends.
constexpr double kLongestAdvance = 31 * 86400.0;

// Reads a step's arguments one by one; the first mismatch is kept as the error.
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
    if ((code & 0x7F) == 0) return std::nullopt;
    return Failure{what, adapterText(api, code)};
}

QString hex2(qint64 v)
{
    return QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(2, u'0');
}

ScriptControls::Lookup control(ScriptSession& s, const QString& name)
{
    return ScriptControls::find(s.window(), name);
}

// ---- the language: one row per form of a command ----

struct Form {
    const char* verb;
    const char* sub;   // second word that picks this form; nullptr: any other
    const char* usage; // as shown in messages
    bool expectation;  // counts as passed when it succeeds
    bool pinsClock;
    // Checks the arguments after the verb (and sub word); with run set, also does the step.
    Outcome (*step)(Args& a, ScriptSession* run, const QString& line);
};

Outcome argsError(Args& a)
{
    return a.error;
}

Outcome doSelect(Args& a, ScriptSession* s, const QString&)
{
    QString name, text;
    int index = -1;
    if (!a.name(&name, "NAME") || !a.entry(&text, &index) || !a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return index >= 0 ? ScriptControls::selectIndex(c.object, index, s->window())
                      : ScriptControls::select(c.object, text, s->window());
}

Outcome doCheck(Args& a, ScriptSession* s, const QString&)
{
    QString name, state;
    if (!a.name(&name, "NAME") || !a.choice({"on", "off"}, &state, "on or off") || !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::check(c.object, state == QLatin1String("on"), s->window());
}

Outcome doClick(Args& a, ScriptSession* s, const QString&)
{
    QString name;
    if (!a.name(&name, "NAME") || !a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::click(c.object, s->window());
}

Outcome doType(Args& a, ScriptSession* s, const QString&)
{
    QString name, text;
    if (!a.name(&name, "NAME") || !a.text(&text, "\"TEXT\"") || !a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::type(c.object, text, s->window());
}

Outcome doKey(Args& a, ScriptSession* s, const QString&)
{
    QString name, key;
    if (!a.name(&name, "NAME") || !a.choice(ScriptControls::keyNames(), &key, "a key name") ||
        !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::key(c.object, key, s->window());
}

Outcome doCell(Args& a, ScriptSession* s, bool twice)
{
    QString name;
    qint64 row = 0, column = 0;
    if (!a.name(&name, "NAME") || !a.integer(&row, "ROW", 0, 1000000) ||
        !a.integer(&column, "COL", 0, 1000000) || !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::clickCell(c.object, static_cast<int>(row), static_cast<int>(column),
                                     twice, s->window());
}

Outcome doClickCell(Args& a, ScriptSession* s, const QString&)
{
    return doCell(a, s, false);
}

Outcome doDoubleClickCell(Args& a, ScriptSession* s, const QString&)
{
    return doCell(a, s, true);
}

Outcome doArrow(Args& a, ScriptSession* s, const QString&)
{
    QString name, direction;
    if (!a.name(&name, "NAME") ||
        !a.choice(ScriptControls::arrowNames(), &direction, "Up, Down, Left or Right") ||
        !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::arrow(c.object, direction, s->window());
}

Outcome doSpin(Args& a, ScriptSession* s, const QString&)
{
    QString name, way;
    if (!a.name(&name, "NAME") || !a.choice({"up", "down"}, &way, "up or down") || !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::spin(c.object, way == QLatin1String("up"), s->window());
}

Outcome doFocus(Args& a, ScriptSession* s, const QString&)
{
    QString name;
    if (!a.name(&name, "NAME") || !a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::focus(c.object, s->window());
}

Outcome doLeave(Args& a, ScriptSession* s, const QString&)
{
    QString name;
    if (!a.name(&name, "NAME") || !a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::leave(c.object, s->window());
}

Outcome doDate(Args& a, ScriptSession* s, const QString&)
{
    QString name, text;
    if (!a.name(&name, "NAME") || !a.text(&text, "\"YYYY-MM-DD\"")) return argsError(a);
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return Failure{QStringLiteral("date NAME \"YYYY-MM-DD\""),
                       QStringLiteral("%1, not a date").arg(ScriptParser::quoted(text))};
    if (!a.end() || !s) return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    return ScriptControls::pickDate(c.object, date, s->window());
}

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

Outcome doExpectPcTime(Args& a, ScriptSession* s, const QString&)
{
    QString text;
    if (!a.text(&text, "\"YYYY-MM-DD HH:MM:SS\"")) return argsError(a);
    if (!QDateTime::fromString(text, kDateTimeFormat).isValid())
        return Failure{
            QStringLiteral("expect pctime \"YYYY-MM-DD HH:MM:SS\""),
            QStringLiteral("%1, not a local date and time").arg(ScriptParser::quoted(text))};
    if (!a.end() || !s) return argsError(a);
    const auto now = s->host().pinnedTime();
    if (!now)
        return Failure{QStringLiteral("a pinned PC clock (pctime before expect pctime)"),
                       QStringLiteral("the PC's own clock")};
    const QString shown = now->toString(kDateTimeFormat);
    if (shown == text) return std::nullopt;
    return Failure{QStringLiteral("pctime %1").arg(ScriptParser::quoted(text)),
                   ScriptParser::quoted(shown)};
}

Outcome doExpectProperty(Args& a, ScriptSession* s, const QString&)
{
    QString name, property, value;
    qint64 row = -1, column = -1;
    if (!a.name(&name, "NAME") ||
        !a.choice(ScriptControls::propertyNames() << QStringLiteral("cell"), &property,
                  "a property"))
        return argsError(a);
    const bool cell = property == QLatin1String("cell");
    if ((cell && (!a.integer(&row, "ROW", 0, 1000000) || !a.integer(&column, "COL", 0, 1000000))) ||
        !a.text(&value, "\"VALUE\"") || !a.end() || !s)
        return argsError(a);
    auto c = control(*s, name);
    if (c.failure) return c.failure;
    const auto reading =
        cell ? ScriptControls::readCell(c.object, static_cast<int>(row), static_cast<int>(column))
             : ScriptControls::read(c.object, property, s->window());
    if (reading.failure) return reading.failure;
    const QString want = cell ? value : ScriptControls::normalised(property, value);
    if (reading.value == want) return std::nullopt;
    const QString what = cell ? QStringLiteral("cell %1 %2").arg(row).arg(column) : property;
    return Failure{QStringLiteral("%1 %2 %3").arg(name, what, ScriptParser::quoted(want)),
                   ScriptParser::quoted(reading.value)};
}

Outcome doExpectTitle(Args& a, ScriptSession* s, const QString&)
{
    QString word, value;
    if (!a.choice({"title"}, &word, "title") || !a.text(&value, "\"TEXT\"") || !a.end() || !s)
        return argsError(a);
    const QString title = s->window()->windowTitle();
    if (title == value) return std::nullopt;
    return Failure{QStringLiteral("window title %1").arg(ScriptParser::quoted(value)),
                   ScriptParser::quoted(title)};
}

Outcome doExpectStatus(Args& a, ScriptSession* s, const QString&)
{
    qint64 panel = 0;
    QString value;
    if (!a.integer(&panel, "a panel number 0 to 3", 0, 3) || !a.text(&value, "\"TEXT\"") ||
        !a.end() || !s)
        return argsError(a);
    const QString text = s->host().statusPanelText(static_cast<int>(panel));
    if (text == value) return std::nullopt;
    return Failure{QStringLiteral("status %1 %2").arg(panel).arg(ScriptParser::quoted(value)),
                   ScriptParser::quoted(text)};
}

Outcome doExpectBox(Args& a, ScriptSession* s, const QString&)
{
    QString value;
    if (!a.text(&value, "\"TEXT\"") || !a.end() || !s) return argsError(a);
    const auto box = s->takeBox();
    const QString want = QStringLiteral("box %1").arg(ScriptParser::quoted(value));
    if (!box) return Failure{want, QStringLiteral("no box")};
    if (*box != value)
        return Failure{want, QStringLiteral("box %1").arg(ScriptParser::quoted(*box))};
    return std::nullopt;
}

Outcome doExpectNoBox(Args& a, ScriptSession* s, const QString&)
{
    if (!a.end() || !s) return argsError(a);
    const auto box = s->takeBox();
    s->dropBoxes(); // reported here once, not again by a later check
    if (box)
        return Failure{QStringLiteral("no box"),
                       QStringLiteral("box %1").arg(ScriptParser::quoted(*box))};
    return std::nullopt;
}

Outcome doPcTime(Args& a, ScriptSession* s, const QString&)
{
    QString text;
    if (!a.text(&text, "\"YYYY-MM-DD HH:MM:SS\"")) return argsError(a);
    const QDateTime at = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!at.isValid())
        return Failure{
            QStringLiteral("pctime \"YYYY-MM-DD HH:MM:SS\""),
            QStringLiteral("%1, not a local date and time").arg(ScriptParser::quoted(text))};
    if (!a.end() || !s) return argsError(a);
    s->host().pinClock(at);
    s->host().holdTimer();
    return std::nullopt;
}

Outcome doAdvance(Args& a, ScriptSession* s, const QString& line)
{
    double seconds = 0;
    if (!a.number(&seconds, "SECONDS (0 to 2678400)", 0, kLongestAdvance) || !a.end() || !s)
        return argsError(a);
    ScriptHost& host = s->host();
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
    } paintLater{s->window()};
    paintLater.window->setUpdatesEnabled(false);
    // In the timer's own steps, so each tick sees the time it would see.
    qint64 remaining = std::llround(seconds * 1000.0);
    int& phase = s->tickPhaseMs();
    while (remaining > 0) {
        const qint64 step = std::min<qint64>(kTimerMs - phase, remaining);
        host.advanceClock(step);
        if (auto f = adapterCall(api, api.SimAdvance(static_cast<double>(step) / 1000.0),
                                 QStringLiteral("the simulated clock to advance")))
            return f;
        remaining -= step;
        phase += static_cast<int>(step);
        if (phase == kTimerMs) {
            phase = 0;
            host.tick();
            s->afterTick();
        }
    }
    return std::nullopt;
}

Outcome doTick(Args& a, ScriptSession* s, const QString&)
{
    if (!a.end() || !s) return argsError(a);
    s->host().tick();
    s->afterTick();
    s->tickPhaseMs() = 0; // a tick re-arms the timer: the next one is a whole interval later
    return std::nullopt;
}

Outcome doWait(Args& a, ScriptSession* s, const QString&)
{
    double seconds = 0;
    if (!a.number(&seconds, "SECONDS (0 to 86400)", 0, kLongestWait) || !a.end() || !s)
        return argsError(a);
    s->waitRealTime(std::llround(seconds * 1000.0));
    return std::nullopt;
}

Outcome doSimPart(Args& a, ScriptSession* s, const QString& line)
{
    QString part;
    if (!a.text(&part, "\"PART\"") || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimSetPart) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, api.SimSetPart(s->simBoard(), part.toUtf8().constData()), line);
}

Outcome doSimTemp(Args& a, ScriptSession* s, const QString& line)
{
    double celsius = 0;
    if (!a.number(&celsius, "DEGREES", -273, 1000) || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimSetTemperature) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, api.SimSetTemperature(s->simBoard(), celsius), line);
}

Outcome doSimPpm(Args& a, ScriptSession* s, const QString& line)
{
    double ppm = 0;
    if (!a.number(&ppm, "PPM", -1e6, 1e6) || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimSetPpm) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, api.SimSetPpm(s->simBoard(), ppm), line);
}

// The board's supply or battery level.
Outcome simVoltage(Args& a, ScriptSession* s, const QString& line, int which)
{
    double volts = 0;
    if (!a.number(&volts, "VOLTS (0 to 6)", 0, 6) || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimSetVoltage) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, api.SimSetVoltage(s->simBoard(), which, volts), line);
}

Outcome doSimVdd(Args& a, ScriptSession* s, const QString& line)
{
    return simVoltage(a, s, line, KVRX_SIM_SUPPLY);
}

Outcome doSimVbat(Args& a, ScriptSession* s, const QString& line)
{
    return simVoltage(a, s, line, KVRX_SIM_BATTERY);
}

bool byteArgs(Args& a, qint64* slave, qint64* sub, qint64* value)
{
    return a.integer(slave, "SLAVE (0 to 0xFF)", 0, 0xFF) &&
           a.integer(sub, "SUB (0 to 0xFFFF)", 0, 0xFFFF) &&
           a.integer(value, "VALUE (0 to 0xFF)", 0, 0xFF) && a.end();
}

Outcome doSimPoke(Args& a, ScriptSession* s, const QString& line)
{
    qint64 slave = 0, sub = 0, value = 0;
    if (!byteArgs(a, &slave, &sub, &value) || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimPoke) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api,
                       api.SimPoke(s->simBoard(), static_cast<uint8_t>(slave),
                                   static_cast<uint32_t>(sub), static_cast<uint8_t>(value)),
                       line);
}

Outcome doSimExpect(Args& a, ScriptSession* s, const QString& line)
{
    qint64 slave = 0, sub = 0, value = 0;
    if (!byteArgs(a, &slave, &sub, &value) || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimPeek) return Failure{line, QStringLiteral("no simulated board")};
    uint8_t found = 0;
    const QString want =
        QStringLiteral("device %1 byte %2 = %3").arg(hex2(slave), hex2(sub), hex2(value));
    const int32_t code =
        api.SimPeek(s->simBoard(), static_cast<uint8_t>(slave), static_cast<uint32_t>(sub), &found);
    if ((code & 0x7F) != 0)
        return Failure{want, QStringLiteral("no byte: %1").arg(adapterText(api, code))};
    if (found != value) return Failure{want, hex2(found)};
    return std::nullopt;
}

Outcome doSimAttach(Args& a, ScriptSession* s, const QString& line)
{
    qint64 attached = 0;
    if (!a.integer(&attached, "0 or 1", 0, 1) || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimSetAttached) return Failure{line, QStringLiteral("no simulated board")};
    if (auto f =
            adapterCall(api, api.SimSetAttached(s->simBoard(), static_cast<int>(attached)), line))
        return f;
    // The plug notification the operating system would deliver.
    if (attached)
        s->host().notifyUsbArrival();
    else
        s->host().notifyUsbRemove();
    return std::nullopt;
}

Outcome doSimEvent(Args& a, ScriptSession* s, const QString& line)
{
    qint64 level = 0;
    if (!a.integer(&level, "0 or 1", 0, 1) || !a.end() || !s) return argsError(a);
    const AdapterApi& api = s->host().adapter();
    if (!api.SimEventInput) return Failure{line, QStringLiteral("no simulated board")};
    return adapterCall(api, api.SimEventInput(s->simBoard(), static_cast<int>(level)), line);
}

Outcome fileAction(bool done, const QString& line)
{
    if (!done) return Failure{line, QStringLiteral("it failed")};
    return std::nullopt;
}

Outcome doOpen(Args& a, ScriptSession* s, const QString& line)
{
    QString file;
    if (!a.text(&file, "\"FILE\"") || !a.end() || !s) return argsError(a);
    return fileAction(s->host().openDumpFile(file), line);
}

Outcome doSave(Args& a, ScriptSession* s, const QString& line)
{
    QString file;
    if (!a.text(&file, "\"FILE\"") || !a.end() || !s) return argsError(a);
    return fileAction(s->host().saveDumpFile(file), line);
}

Outcome doPrint(Args& a, ScriptSession* s, const QString& line)
{
    QString file;
    if (!a.text(&file, "\"FILE.pdf\"") || !a.end() || !s) return argsError(a);
    return fileAction(s->host().printReport(file), line);
}

Outcome doScreenshot(Args& a, ScriptSession* s, const QString& line)
{
    QString file;
    if (!a.text(&file, "\"FILE.png\"") || !a.end() || !s) return argsError(a);
    // The folders a picture goes to are made as needed: a script carries its
    // pictures' places with it, wherever it runs.
    if (!QFileInfo(file).absoluteDir().mkpath(QStringLiteral(".")))
        return Failure{line, QStringLiteral("its folder could not be made")};
    if (!s->window()->grab().save(file))
        return Failure{line, QStringLiteral("the picture could not be written")};
    return std::nullopt;
}

Outcome doQuit(Args& a, ScriptSession* s, const QString&)
{
    if (!a.end() || !s) return argsError(a);
    s->host().close();
    s->markClosed();
    return std::nullopt;
}

const Form kForms[] = {
    {"select", nullptr, "select NAME \"ENTRY\" | select NAME #INDEX", false, false, doSelect},
    {"check", nullptr, "check NAME on|off", false, false, doCheck},
    {"click", nullptr, "click NAME", false, false, doClick},
    {"type", nullptr, "type NAME \"TEXT\"", false, false, doType},
    {"key", nullptr, "key NAME KEY", false, false, doKey},
    {"spin", nullptr, "spin NAME up|down", false, false, doSpin},
    {"cell", nullptr, "cell NAME ROW COL", false, false, doClickCell},
    {"dblcell", nullptr, "dblcell NAME ROW COL", false, false, doDoubleClickCell},
    {"arrow", nullptr, "arrow NAME Up|Down|Left|Right", false, false, doArrow},
    {"focus", nullptr, "focus NAME", false, false, doFocus},
    {"leave", nullptr, "leave NAME", false, false, doLeave},
    {"date", nullptr, "date NAME \"YYYY-MM-DD\"", false, false, doDate},
    {"expect", "window", "expect window title \"TEXT\"", true, false, doExpectTitle},
    {"expect", "status", "expect status PANEL \"TEXT\"", true, false, doExpectStatus},
    {"expect", "box", "expect box \"TEXT\"", true, false, doExpectBox},
    {"expect", "nobox", "expect nobox", true, false, doExpectNoBox},
    {"expect", "pctime", "expect pctime \"YYYY-MM-DD HH:MM:SS\"", true, false, doExpectPcTime},
    {"expect", nullptr, "expect NAME PROPERTY \"VALUE\" | expect NAME cell ROW COL \"VALUE\"", true,
     false, doExpectProperty},
    {"pctime", nullptr, "pctime \"YYYY-MM-DD HH:MM:SS\"", false, true, doPcTime},
    {"advance", nullptr, "advance SECONDS", false, true, doAdvance},
    {"tick", nullptr, "tick", false, false, doTick},
    {"wait", nullptr, "wait SECONDS", false, false, doWait},
    {"sim", "part", "sim part \"PART\"", false, false, doSimPart},
    {"sim", "temp", "sim temp DEGREES", false, false, doSimTemp},
    {"sim", "ppm", "sim ppm PPM", false, false, doSimPpm},
    {"sim", "poke", "sim poke SLAVE SUB VALUE", false, false, doSimPoke},
    {"sim", "expect", "sim expect SLAVE SUB VALUE", true, false, doSimExpect},
    {"sim", "attach", "sim attach 0|1", false, false, doSimAttach},
    {"sim", "event", "sim event 0|1", false, false, doSimEvent},
    {"sim", "vdd", "sim vdd VOLTS", false, false, doSimVdd},
    {"sim", "vbat", "sim vbat VOLTS", false, false, doSimVbat},
    {"open", nullptr, "open \"FILE\"", false, false, doOpen},
    {"save", nullptr, "save \"FILE\"", false, false, doSave},
    {"print", nullptr, "print \"FILE.pdf\"", false, false, doPrint},
    {"screenshot", nullptr, "screenshot \"FILE.png\"", false, false, doScreenshot},
    {"quit", nullptr, "quit", false, false, doQuit},
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
        step.args = argumentsOf(line.tokens, f);
        Args args(step.args, QString::fromLatin1(f.usage));
        step.error = f.step(args, nullptr, lineText(line.tokens));
        if (!step.error) {
            step.form = form;
            script.pinsClock = script.pinsClock || f.pinsClock;
            // A leading pctime is in force before start-up.
            if (f.step == doPcTime && script.steps.isEmpty())
                script.startTime = QDateTime::fromString(step.args.front().text,
                                                         QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        script.steps.append(step);
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
    // A script that pins the PC clock polls only inside advance and tick.
    if (script_.pinsClock) host_.holdTimer();
    modalGuard_.start();
    QApplication::processEvents();
    for (const ScriptStep& step : script_.steps) {
        if (step.error) {
            fail(step, *step.error);
            continue;
        }
        const Form& form = kForms[step.form];
        if (closed_) {
            fail(step, {QStringLiteral("nothing after quit"), QString::fromLatin1(form.usage)});
            continue;
        }
        Outcome outcome;
        try {
            Args args(step.args, QString::fromLatin1(form.usage));
            QList<ScriptToken> whole{{ScriptToken::Word, QString::fromLatin1(form.verb)}};
            if (form.sub) whole.append({ScriptToken::Word, QString::fromLatin1(form.sub)});
            outcome = form.step(args, this, lineText(whole + step.args));
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
