#include "app/ResultSinks.h"

#include <QMessageBox>
#include <cstdio>

#include "app/TMainApp.h"

QString WindowResultSink::boxText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

void WindowResultSink::errorBox(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), boxText(text), QMessageBox::Ok,
                    &window_);
    box.setObjectName(QStringLiteral("ErrorBox"));
    // An explicit move keeps Qt from centring the box over its parent.
    box.move(window_.pos() + QPoint(20, 20));
    box.exec();
}

void WindowResultSink::statusText(const std::string& text)
{
    window_.setStatusPanelText(3, QString::fromStdString(text));
}

void RecordingSink::errorBox(const std::string& text)
{
    record(QString::fromStdString(text));
}

void RecordingSink::record(const QString& text)
{
    boxes_.push_back(text);
    QString line = text;
    line.replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n"));
    std::printf("box: %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString RecordingSink::takeFirst()
{
    if (boxes_.empty()) return QString();
    QString first = boxes_.front();
    boxes_.pop_front();
    return first;
}
