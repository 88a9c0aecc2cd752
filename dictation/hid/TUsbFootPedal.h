// The three-pedal USB foot pedal: bits 0 to 2 of the first data byte are the pedals. A press and
// a release are events of their own; pedals 0 and 2 repeat while held.
#pragma once

#include "dictation/hid/THidDevice.h"

#include <QHash>
#include <QTimer>

#include <algorithm>

class TUsbFootPedal : public THidDevice {
    Q_OBJECT
public:
    static constexpr const char *kProductString = "VEC USB Footpedal";
    // Until the user of the class sets its own; a timer's own default of 0 would repeat flat out.
    static constexpr int kDefaultRepeatMs = 500;

    explicit TUsbFootPedal(QObject *owner = nullptr, std::unique_ptr<HidBackend> backend = {});

    static bool MatchesProduct(const QString &productString);

    int Pedal0RepeatInterval() const { return m_repeat0.interval(); }
    void SetPedal0RepeatInterval(int ms) { m_repeat0.setInterval(std::max(1, ms)); }
    int Pedal2RepeatInterval() const { return m_repeat2.interval(); }
    void SetPedal2RepeatInterval(int ms) { m_repeat2.setInterval(std::max(1, ms)); }
    // The repeat of pedal 0 or 2 runs (the pedal is held).
    bool IsRepeating(int pedal) const;

    // Decodes one report as delivered: data[0] holds the pedal bits. Pedals held on two pedal
    // devices at once count once: a pedal is down while any device holds it.
    void DeviceData(TUsbHidDevice *device, quint8 reportId, const QByteArray &data) override;

signals:
    void OnPedal0Press();
    void OnPedal0Release();
    void OnPedal0Repeat();
    void OnPedal1Press();
    void OnPedal1Release();
    void OnPedal2Press();
    void OnPedal2Release();
    void OnPedal2Repeat();

protected:
    bool Match(TUsbHidDevice *device) override;
    void DeviceReleased(TUsbHidDevice *device) override;

private:
    quint8 heldBits() const;
    void apply();
    void announce(int pedal, bool down);

    QHash<QString, quint8> m_deviceBits; // pedal bits of each device's last report
    quint8 m_previous = 0;               // bits the events have announced
    QTimer m_repeat0;
    QTimer m_repeat2;
};
