// Finding the window's controls by name and working them as a user does, for
// scenario scripts.
#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

namespace ScriptControls {

// What a step wanted and what it met instead.
struct Failure {
    QString expected;
    QString found;
};
using Outcome = std::optional<Failure>; // nullopt: done

// A property value as text, or why it cannot be read.
struct Reading {
    QString value;
    std::optional<Failure> failure;
};

// The one object named `name` under `root` (widgets, actions, tab pages, other
// objects), or else among the other top-level windows.
struct Lookup {
    QObject* object = nullptr;
    std::optional<Failure> failure;
};
Lookup find(QWidget* root, const QString& name);

// The control's own shown state as its page sets it, whatever tab is in front:
// nothing between it and `root` is hidden, and a tab page's tab is shown.
bool shown(const QObject* control, const QWidget* root);

// A caption as the control shows it: "&&" is one '&', a single '&' marks a mnemonic.
QString shownCaption(const QString& caption);

// User actions. Each checks first that a user could reach the control (shown
// and enabled) and that it is the right kind for the action.
Outcome select(QObject* control, const QString& entry, const QWidget* root);
Outcome selectIndex(QObject* control, int index, const QWidget* root);
Outcome check(QObject* control, bool on, const QWidget* root);
Outcome click(QObject* control, const QWidget* root);
Outcome type(QObject* control, const QString& text, const QWidget* root);
Outcome key(QObject* control, const QString& keyName, const QWidget* root);
// One arrow of a spin button (a widget holding an up and a down arrow button)
// or a spin box.
Outcome spin(QObject* control, bool up, const QWidget* root);
// Enters a control as a click into it does, or leaves the control that has
// the focus, so that its enter and exit handlers run.
Outcome focus(QObject* control, const QWidget* root);
Outcome leave(QObject* control, const QWidget* root);
// Picks a day on a month calendar.
Outcome pickDate(QObject* control, const QDate& date, const QWidget* root);

// Names `key` understands (Backspace, Delete, Enter, Up, Down, ...).
bool isKeyName(const QString& name);
QStringList keyNames();

// Properties `expect` reads: text, visible, enabled, checked, lit, index, count,
// items, colour, and a chart's points, last, shown and ranges. Booleans read
// "true"/"false", colours "#RRGGBB".
bool isProperty(const QString& name);
QStringList propertyNames();
Reading read(QObject* control, const QString& property, const QWidget* root);

// A grid's cell as the mouse works it: a click (selects the cell, then the
// click), or a double click (a click, then the double click).
Outcome clickCell(QObject* control, int row, int column, bool twice, const QWidget* root);
// One arrow key at a grid: Up, Down, Left or Right moves its selection.
Outcome arrow(QObject* control, const QString& direction, const QWidget* root);
QStringList arrowNames();

// The text a grid or other item view shows in one cell.
Reading readCell(QObject* control, int row, int column);

// Brings an expected value written in a script to the form `read` gives for
// that property ("on"/"off"/"1"/"0" for booleans, 0x numbers, lower-case colours).
QString normalised(const QString& property, const QString& expected);

} // namespace ScriptControls
