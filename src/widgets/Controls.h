// Small helpers for building pages whose controls are found by name.
#pragma once

#include <QString>
#include <QWidget>

// Gives a control its name and returns it, so pages build and name in one line.
template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A control's hint shows as its tool tip and in status bar panel 0.
inline void setHint(QWidget* widget, const QString& hint)
{
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

// A control as ReportResult takes its sender and control: the QObject's own
// address, so a button and the sender() of its click compare equal.
inline const void* controlId(const QObject* object)
{
    return object;
}
