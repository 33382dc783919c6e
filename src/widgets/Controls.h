// Small helpers for building pages whose controls are found by name.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <span>

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

// The index of object in a list of controls; -1 when it is none of them.
template <class List> int indexOf(const List& list, const QObject* object)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (static_cast<const QObject*>(list[i]) == object) return static_cast<int>(i);
    }
    return -1;
}

// A list's entries from the texts of a constant table.
inline QStringList itemList(std::span<const char* const> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

// Keeps a group's room while the part choice hides it: the window is sized
// once, for the largest page.
inline void keepRoom(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

// A control as ReportResult takes its sender and control: the QObject's own
// address, so a button and the sender() of its click compare equal.
inline const void* controlId(const QObject* object)
{
    return object;
}
