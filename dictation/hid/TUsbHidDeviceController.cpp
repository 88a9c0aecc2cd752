// Device list bookkeeping: enumeration, arrival and removal, lending and taking back.
#include "dictation/hid/TUsbHidDeviceController.h"

#include "platform/hid/HidBackend.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

TUsbHidDeviceController::TUsbHidDeviceController(QObject *owner, std::unique_ptr<HidBackend> backend)
    : QObject(owner), m_backend(backend ? std::move(backend) : CreateSystemHidBackend()) {
    connect(m_backend.get(), &HidBackend::DeviceSetChanged, this, [this] { scheduleDeviceChange(false); });
    scheduleDeviceChange(true);
}

TUsbHidDeviceController::~TUsbHidDeviceController() {
    m_onArrival = nullptr;
    m_onRemoval = nullptr;
    m_onDeviceChange = nullptr;
    m_onDeviceData = nullptr;
    m_onDeviceDataError = nullptr;
    m_onDeviceUnplug = nullptr;
    // Each device stops its reader as it goes.
    m_devices.clear();
}

TUsbHidDevice *TUsbHidDeviceController::Device(int index) const {
    return index >= 0 && index < DeviceCount() ? m_devices[size_t(index)].get() : nullptr;
}

int TUsbHidDeviceController::AvailableCount() const {
    return int(std::count_if(m_devices.begin(), m_devices.end(),
                             [](const auto &device) { return device->m_pluggedIn && !device->m_lent; }));
}

int TUsbHidDeviceController::LentCount() const {
    return int(std::count_if(m_devices.begin(), m_devices.end(),
                             [](const auto &device) { return device->m_pluggedIn && device->m_lent; }));
}

int TUsbHidDeviceController::UnpluggedCount() const {
    return int(std::count_if(m_devices.begin(), m_devices.end(),
                             [](const auto &device) { return !device->m_pluggedIn && device->m_lent; }));
}

void TUsbHidDeviceController::SetDevThreadSleepTime(int ms) {
    const int previous = m_devThreadSleepTime;
    m_devThreadSleepTime = ms;
    for (const auto &device : m_devices)
        if (device->ThreadSleepTime() == previous)
            device->SetThreadSleepTime(ms);
}

void TUsbHidDeviceController::SetOnDeviceChange(TNotifyEvent event, bool runCheck) {
    m_onDeviceChange = std::move(event);
    if (runCheck)
        DeviceChange();
}

void TUsbHidDeviceController::SetOnDeviceData(TUsbHidDataEvent event) {
    m_onDeviceData = std::move(event);
    for (const auto &device : m_devices) {
        if (!device->m_dataFromController)
            continue;
        device->SetOnData(m_onDeviceData);
        device->m_dataFromController = true;
    }
}

void TUsbHidDeviceController::SetOnDeviceDataError(TUsbHidDataErrorEvent event) {
    m_onDeviceDataError = std::move(event);
    for (const auto &device : m_devices)
        if (device->m_dataErrorFromController)
            device->m_onDataError = m_onDeviceDataError;
}

void TUsbHidDeviceController::SetOnDeviceUnplug(TUsbHidUnplugEvent event) {
    m_onDeviceUnplug = std::move(event);
    for (const auto &device : m_devices)
        if (device->m_unplugFromController)
            device->m_onUnplug = m_onDeviceUnplug;
}

bool TUsbHidDeviceController::LendDevice(TUsbHidDevice *&device) {
    for (int index = 0; index < DeviceCount(); ++index)
        if (LendDeviceByIndex(device, index))
            return true;
    device = nullptr;
    return false;
}

bool TUsbHidDeviceController::LendDeviceByIndex(TUsbHidDevice *&device, int index) {
    TUsbHidDevice *candidate = Device(index);
    if (!candidate || !candidate->m_pluggedIn || candidate->m_lent) {
        device = nullptr;
        return false;
    }
    candidate->m_lent = true;
    device = candidate;
    candidate->startThread();
    return true;
}

void TUsbHidDeviceController::TakeBack(TUsbHidDevice *&device) {
    const auto it = find(device);
    device = nullptr;
    if (it == m_devices.end())
        return;
    TUsbHidDevice *taken = it->get();
    taken->stopThread();
    taken->m_lent = false;
    if (!taken->m_pluggedIn)
        m_devices.erase(it);
}

void TUsbHidDeviceController::DeviceChange() {
    runDeviceChange(false);
}

void TUsbHidDeviceController::scheduleDeviceChange(bool forced) {
    m_forceQueued = m_forceQueued || forced;
    if (m_changeQueued)
        return;
    m_changeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changeQueued = false;
            const bool force = std::exchange(m_forceQueued, false);
            try {
                runDeviceChange(force);
            } catch (const std::exception &failure) {
                qCWarning(orvaHid) << "HID device check failed:" << failure.what();
            } catch (...) {
                qCWarning(orvaHid) << "HID device check failed";
            }
        },
        Qt::QueuedConnection);
}

void TUsbHidDeviceController::runDeviceChange(bool forced) {
    // A change noticed while one is handled (a handler that runs the event loop) is not lost:
    // it runs once more when the current one is done.
    if (m_inChange) {
        m_changeAgain = true;
        m_forceAgain = m_forceAgain || forced;
        return;
    }
    struct Guard {
        bool &flag;
        ~Guard() { flag = false; }
    } guard{m_inChange};
    m_inChange = true;
    bool force = forced;
    do {
        m_changeAgain = false;
        checkDevices(force);
        force = std::exchange(m_forceAgain, false);
    } while (m_changeAgain);
}

std::vector<std::unique_ptr<TUsbHidDevice>>::iterator
TUsbHidDeviceController::find(const TUsbHidDevice *device) {
    return std::find_if(m_devices.begin(), m_devices.end(),
                        [device](const auto &known) { return known.get() == device; });
}

void TUsbHidDeviceController::checkDevices(bool forced) {
    std::vector<std::unique_ptr<TUsbHidDevice>> present;
    for (const HidInterfaceInfo &info : m_backend->EnumerateInterfaces()) {
        QString why;
        if (std::unique_ptr<TUsbHidDevice> device = TUsbHidDevice::Create(info, this, &why))
            present.push_back(std::move(device));
        else
            qCDebug(orvaHid) << info.DeviceInstance << "left out:" << qUtf8Printable(why);
    }
    const auto isPresent = [&present](const QString &instance) {
        return std::any_of(present.begin(), present.end(),
                           [&instance](const auto &device) { return device->DeviceInstance() == instance; });
    };

    bool changed = false;
    std::vector<TUsbHidDevice *> removed;
    for (auto it = m_devices.rbegin(); it != m_devices.rend(); ++it)
        if ((*it)->m_pluggedIn && !isPresent((*it)->DeviceInstance()))
            removed.push_back(it->get());
    for (TUsbHidDevice *device : removed) {
        if (find(device) == m_devices.end())
            continue; // a handler already took it back
        changed = true;
        device->unplug();
        if (m_onRemoval)
            m_onRemoval(device);
        const auto it = find(device);
        if (it != m_devices.end() && !(*it)->m_lent)
            m_devices.erase(it);
    }

    for (auto &entry : present) {
        const bool known = std::any_of(m_devices.begin(), m_devices.end(), [&entry](const auto &device) {
            return device->m_pluggedIn && device->DeviceInstance() == entry->DeviceInstance();
        });
        if (known)
            continue;
        TUsbHidDevice *arrived = entry.get();
        m_devices.push_back(std::move(entry));
        changed = true;
        if (m_onArrival)
            m_onArrival(arrived);
    }

    if ((changed || forced) && m_onDeviceChange)
        m_onDeviceChange(this);
}
