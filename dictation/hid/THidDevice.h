// A kind of HID input device (the foot pedal, the dictation microphone): it owns a device
// controller, takes every present device for itself whenever the device set changes, and reads
// the ones its match test accepts. Reports reach DeviceData on the user-interface thread.
#pragma once

#include "dictation/hid/TUsbHidDeviceController.h"

#include <QList>
#include <QObject>
#include <QSet>

class THidDevice : public QObject {
    Q_OBJECT
public:
    // With no backend, the machine's own. The controller's posted start-up check follows once
    // the event loop runs.
    explicit THidDevice(QObject *owner = nullptr, std::unique_ptr<HidBackend> backend = {});
    ~THidDevice() override;

    TUsbHidDeviceController *Controller() const { return m_controller; }
    // Every device held, matched or not.
    const QList<TUsbHidDevice *> &Devices() const { return m_devices; }
    int MatchedCount() const;

    // Takes every device back, then lends all again and reads the matching ones.
    void DeviceChanged(TUsbHidDeviceController *controller);

signals:
    // A matching device that this user may not read (said once per device node), usually for
    // want of the udev rule that gives the person at the desk access.
    void DeviceAccessDenied(const QString &devicePath);

protected:
    // The device check that setting the controller's device-change event runs, for the end of a
    // derived constructor.
    void FirstDeviceCheck();

    virtual bool Match(TUsbHidDevice *device);
    virtual void DeviceData(TUsbHidDevice *device, quint8 reportId, const QByteArray &data);
    // The device is about to be taken back: forget what its reports left (held pedals, buttons).
    virtual void DeviceReleased(TUsbHidDevice *device);

private:
    void accessDenied(TUsbHidDevice *device, int error);

    TUsbHidDeviceController *m_controller;
    QList<TUsbHidDevice *> m_devices;
    QSet<QString> m_matched;
    QSet<QString> m_deniedNoted;
};
