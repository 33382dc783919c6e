#include "app/setup/UsbMonitor.h"

#include <QSocketNotifier>
#include <cstring>

#ifdef RTCEVAL_HAVE_UDEV
#include <libudev.h>
#endif

UsbMonitor::UsbMonitor(QObject* parent) : QObject(parent)
{
#ifdef RTCEVAL_HAVE_UDEV
    udev_ = udev_new();
    if (!udev_) return;
    udev_monitor* monitor = udev_monitor_new_from_netlink(udev_, "udev");
    // Whole devices only: one notification per plug, not one per interface.
    // A bridge's i2c-dev node comes later than its USB device, once its driver
    // is bound and udev has set the node's group: it is heard too, so a bridge
    // plugged in is listed.
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "i2c-dev", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor) udev_monitor_unref(monitor);
        return;
    }
    const int fd = udev_monitor_get_fd(monitor);
    if (fd < 0) {
        udev_monitor_unref(monitor);
        return;
    }
    monitor_ = monitor;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UsbMonitor::readEvent);
#endif
}

UsbMonitor::~UsbMonitor()
{
#ifdef RTCEVAL_HAVE_UDEV
    delete notifier_;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
#endif
}

void UsbMonitor::readEvent()
{
#ifdef RTCEVAL_HAVE_UDEV
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const bool added = action && std::strcmp(action, "add") == 0;
    const bool gone = action && std::strcmp(action, "remove") == 0;
    udev_device_unref(device);
    if (added) emit arrived();
    if (gone) emit removed();
#endif
}
