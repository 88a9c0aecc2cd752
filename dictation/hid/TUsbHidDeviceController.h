// Finds the HID interfaces present, follows arrivals and removals, lends devices to their users
// and takes them back. Everything here runs on the user-interface thread; only the devices'
// readers run on threads of their own.
#pragma once

#include "dictation/hid/TUsbHidDevice.h"

#include <QObject>

#include <memory>
#include <vector>

class HidBackend;

class TUsbHidDeviceController : public QObject {
    Q_OBJECT
public:
    using TDeviceEvent = std::function<void(TUsbHidDevice *device)>;
    using TNotifyEvent = std::function<void(TUsbHidDeviceController *sender)>;

    static constexpr const char *kVersion = "1.0.34";

    // With no backend, the machine's own (hidraw and udev). A first device check is posted, so
    // that OnDeviceChange fires once the event loop runs even when no device is present.
    explicit TUsbHidDeviceController(QObject *owner = nullptr, std::unique_ptr<HidBackend> backend = {});
    ~TUsbHidDeviceController() override;

    // Enumerates again: unplugged devices leave (lent ones stay until taken back), new ones join.
    void DeviceChange();

    // Lends the first available device in list order.
    bool LendDevice(TUsbHidDevice *&device);
    bool LendDeviceByIndex(TUsbHidDevice *&device, int index);
    // Stops its reader; an unplugged device is freed. The variable is cleared.
    void TakeBack(TUsbHidDevice *&device);

    int DeviceCount() const { return int(m_devices.size()); }
    TUsbHidDevice *Device(int index) const;
    int AvailableCount() const;
    int LentCount() const;      // plugged in and lent
    int UnpluggedCount() const; // unplugged but still lent

    QString Version() const { return kVersion; }
    int DevThreadSleepTime() const { return m_devThreadSleepTime; }
    void SetDevThreadSleepTime(int ms);

    void SetOnArrival(TDeviceEvent event) { m_onArrival = std::move(event); }
    void SetOnRemoval(TDeviceEvent event) { m_onRemoval = std::move(event); }
    // Runs a device check at once, unless the owner is still being built (runCheck false).
    void SetOnDeviceChange(TNotifyEvent event, bool runCheck = true);
    void SetOnDeviceData(TUsbHidDataEvent event);
    void SetOnDeviceDataError(TUsbHidDataErrorEvent event);
    void SetOnDeviceUnplug(TUsbHidUnplugEvent event);

    HidBackend &Backend() const { return *m_backend; }

private:
    friend class TUsbHidDevice;

    void scheduleDeviceChange(bool forced);
    void runDeviceChange(bool forced);
    void checkDevices(bool forced);
    std::vector<std::unique_ptr<TUsbHidDevice>>::iterator find(const TUsbHidDevice *device);
    // A reader found its device gone: look again, so the removal is noticed without udev.
    void deviceGone() { scheduleDeviceChange(false); }

    std::unique_ptr<HidBackend> m_backend;
    std::vector<std::unique_ptr<TUsbHidDevice>> m_devices;
    int m_devThreadSleepTime = 100;
    bool m_inChange = false;
    bool m_changeAgain = false;
    bool m_forceAgain = false;
    bool m_changeQueued = false;
    bool m_forceQueued = false;

    TDeviceEvent m_onArrival;
    TDeviceEvent m_onRemoval;
    TNotifyEvent m_onDeviceChange;
    TUsbHidDataEvent m_onDeviceData;
    TUsbHidDataErrorEvent m_onDeviceDataError;
    TUsbHidUnplugEvent m_onDeviceUnplug;
};
