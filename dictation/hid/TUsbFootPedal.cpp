// Foot pedal decoding and repeats.
#include "dictation/hid/TUsbFootPedal.h"

#include <utility>

TUsbFootPedal::TUsbFootPedal(QObject *owner, std::unique_ptr<HidBackend> backend)
    : THidDevice(owner, std::move(backend)) {
    m_repeat0.setInterval(kDefaultRepeatMs);
    m_repeat2.setInterval(kDefaultRepeatMs);
    connect(&m_repeat0, &QTimer::timeout, this, &TUsbFootPedal::OnPedal0Repeat);
    connect(&m_repeat2, &QTimer::timeout, this, &TUsbFootPedal::OnPedal2Repeat);
    FirstDeviceCheck();
}

bool TUsbFootPedal::MatchesProduct(const QString &productString) {
    return productString.compare(QLatin1String(kProductString), Qt::CaseInsensitive) == 0;
}

bool TUsbFootPedal::Match(TUsbHidDevice *device) {
    return MatchesProduct(device->ProductName());
}

bool TUsbFootPedal::IsRepeating(int pedal) const {
    if (pedal == 0)
        return m_repeat0.isActive();
    if (pedal == 2)
        return m_repeat2.isActive();
    return false;
}

void TUsbFootPedal::DeviceData(TUsbHidDevice *device, quint8, const QByteArray &data) {
    if (data.isEmpty())
        return; // a short read carries no pedal byte
    m_deviceBits[device->DeviceInstance()] = quint8(data[0]) & 0x07;
    apply();
}

void TUsbFootPedal::DeviceReleased(TUsbHidDevice *device) {
    // A device taken back cannot report its release: let go of what it held.
    if (m_deviceBits.remove(device->DeviceInstance()))
        apply();
}

quint8 TUsbFootPedal::heldBits() const {
    quint8 held = 0;
    for (const quint8 bits : m_deviceBits)
        held |= bits;
    return held;
}

void TUsbFootPedal::apply() {
    // One pedal at a time, its new state stored before its event: a handler that runs the event
    // loop (and with it a newer report) then finds nothing left to announce twice, and a repeat
    // started for a press cannot outlive a release handled inside that press.
    for (int pedal = 0; pedal < 3; ++pedal) {
        const quint8 mask = quint8(1 << pedal);
        const bool down = heldBits() & mask;
        if (down == bool(m_previous & mask))
            continue;
        m_previous ^= mask;
        announce(pedal, down);
    }
}

void TUsbFootPedal::announce(int pedal, bool down) {
    switch (pedal) {
    case 0:
        if (down) {
            m_repeat0.start();
            emit OnPedal0Press();
        } else {
            m_repeat0.stop();
            emit OnPedal0Release();
        }
        break;
    case 1:
        if (down)
            emit OnPedal1Press();
        else
            emit OnPedal1Release();
        break;
    default:
        if (down) {
            m_repeat2.start();
            emit OnPedal2Press();
        } else {
            m_repeat2.stop();
            emit OnPedal2Release();
        }
        break;
    }
}
