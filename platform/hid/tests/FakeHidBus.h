// A simulated machine for tests: HID interfaces that can be plugged in and removed, each read
// through a socket pair so that the real reader thread runs. Every backend made from the bus
// sees the same devices and hears of every change.
#pragma once

#include "platform/hid/HidBackend.h"

#include <QHash>
#include <QList>
#include <QPointer>

#include <memory>

class FakeHidBus {
public:
    FakeHidBus() = default;
    ~FakeHidBus();
    FakeHidBus(const FakeHidBus &) = delete;
    FakeHidBus &operator=(const FakeHidBus &) = delete;

    std::unique_ptr<HidBackend> NewBackend();

    // Plugs an interface in (its DeviceInstance must be unique) and tells every backend.
    void Plug(const HidInterfaceInfo &device);
    // Removes it: open handles read "device gone" at once, then every backend is told.
    void Unplug(const QString &instance);
    // Removes it without telling the backends (as when udev's monitor is not running).
    void UnplugQuietly(const QString &instance);
    // Bytes as the kernel delivers one read, to every open handle of the device.
    void Send(const QString &instance, const QByteArray &bytes);
    // errno that OpenForReading returns for this device from now on (0: opens normally).
    void SetOpenError(const QString &instance, int error);

    int OpenHandles(const QString &instance) const;
    int Enumerations() const { return m_enumerations; }

    // A USB interface with an 8-bit, n-byte unnumbered input report, as test devices are built.
    static HidInterfaceInfo UsbDevice(const QString &instance, quint16 vendor, quint16 product,
                                      quint16 version, const QString &productString, int dataBytes);

private:
    class Backend;
    friend class Backend;
    struct Device {
        HidInterfaceInfo info;
        QList<int> peers; // our ends of the socket pairs handed out
        int openError = 0;
    };
    void notifyAll();
    void closePeers(Device &device);

    QList<Device> m_devices;
    QList<QPointer<HidBackend>> m_backends;
    int m_enumerations = 0;
};
