// USB plug and unplug notifications from udev. Any USB device counts, as the
// board list is simply read again, and so does an i2c-dev node. Without udev,
// or when the monitor cannot be opened, it stays silent and the program runs
// on without notifications.
#pragma once

#include <QObject>

class QSocketNotifier;

class UsbMonitor : public QObject {
    Q_OBJECT
  public:
    explicit UsbMonitor(QObject* parent = nullptr);
    ~UsbMonitor() override;

    // True when notifications are being received.
    bool isActive() const { return monitor_ != nullptr; }

  signals:
    void arrived();
    void removed();

  private:
    void readEvent();

    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
