// Lending every device and subscribing the matching ones.
#include "dictation/hid/THidDevice.h"

#include <cerrno>
#include <cstring>
#include <utility>

THidDevice::THidDevice(QObject *owner, std::unique_ptr<HidBackend> backend)
    : QObject(owner), m_controller(new TUsbHidDeviceController(this, std::move(backend))) {
    // Installed without the immediate check: run from here it would meet this class's match test,
    // not the derived one. The derived constructors run it (FirstDeviceCheck).
    m_controller->SetOnDeviceChange([this](TUsbHidDeviceController *sender) { DeviceChanged(sender); },
                                    false);
}

THidDevice::~THidDevice() {
    m_controller->SetOnDeviceChange(nullptr, false);
    for (TUsbHidDevice *device : std::exchange(m_devices, {}))
        m_controller->TakeBack(device);
}

void THidDevice::FirstDeviceCheck() {
    m_controller->DeviceChange();
}

int THidDevice::MatchedCount() const {
    return int(m_matched.size());
}

bool THidDevice::Match(TUsbHidDevice *) {
    return false;
}

void THidDevice::DeviceData(TUsbHidDevice *, quint8, const QByteArray &) {}

void THidDevice::DeviceReleased(TUsbHidDevice *) {}

void THidDevice::DeviceChanged(TUsbHidDeviceController *controller) {
    const QList<TUsbHidDevice *> held = std::exchange(m_devices, {});
    for (TUsbHidDevice *device : held) {
        if (m_matched.contains(device->DeviceInstance()))
            DeviceReleased(device);
        controller->TakeBack(device);
    }
    m_matched.clear();

    TUsbHidDevice *device = nullptr;
    while (controller->LendDevice(device)) {
        m_devices << device;
        device->SetNumInputBuffers(128);
        if (!Match(device))
            continue;
        m_matched.insert(device->DeviceInstance());
        if (!device->HasReadWriteAccess()) {
            accessDenied(device, EACCES);
            continue;
        }
        device->SetOnDataError([this](TUsbHidDevice *failed, int error) {
            if (error == EACCES || error == EPERM)
                accessDenied(failed, error);
            else
                qCDebug(orvaHid) << failed->DevicePath() << "read failed:" << std::strerror(error);
        });
        device->SetOnData([this](TUsbHidDevice *from, quint8 reportId, const QByteArray &data) {
            DeviceData(from, reportId, data);
        });
    }
}

void THidDevice::accessDenied(TUsbHidDevice *device, int error) {
    if (m_deniedNoted.contains(device->DevicePath()))
        return;
    m_deniedNoted.insert(device->DevicePath());
    qCWarning(orvaHid).noquote() << device->ProductName() << "at" << device->DevicePath()
                                 << "cannot be read:" << std::strerror(error)
                                 << "(is the udev rule for the dictation devices installed?)";
    emit DeviceAccessDenied(device->DevicePath());
}
