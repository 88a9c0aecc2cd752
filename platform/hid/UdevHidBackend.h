// The system's HID interfaces through libudev: hidraw nodes with the USB device's ids, release
// number and product string, the report descriptor from sysfs (read without opening the node),
// and arrival and removal from udev's monitor socket once udev has applied its rules.
#pragma once

#include "platform/hid/HidBackend.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

class UdevHidBackend : public HidBackend {
    Q_OBJECT
public:
    explicit UdevHidBackend(QObject *parent = nullptr);
    ~UdevHidBackend() override;

    QList<HidInterfaceInfo> EnumerateInterfaces() override;
    int OpenForReading(const HidInterfaceInfo &device) override;

    // False when udev's monitor could not be opened (no udev daemon): devices are then found at
    // start-up and when a reader notices its device has gone, but arrivals are not noticed.
    bool HotPlugAvailable() const { return m_notifier != nullptr; }

private:
    void monitorReadable();

    struct udev *m_udev = nullptr;
    struct udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
