// The dictation window's foot pedal and microphone and what their events do: microphone buttons
// 2 quit, 4 load, 8 transmit, 256 record, 1024 play/pause, 2048 forward, 4096 rewind, 8192 and
// 16384 stop; pedal 1 plays while held; pedals 0 and 2 step forward and back every 500 ms while
// held. Nothing happens unless the window allows it, and no failure escapes to the event loop.
#pragma once

#include "dictation/hid/TDictationDeviceActions.h"
#include "dictation/hid/TDictationMic.h"
#include "dictation/hid/TUsbFootPedal.h"

#include <QObject>

#include <functional>
#include <memory>

class TDictationDevices : public QObject {
    Q_OBJECT
public:
    static constexpr int kPedalRepeatMs = TUsbFootPedal::kDefaultRepeatMs;

    using BackendFactory = std::function<std::unique_ptr<HidBackend>()>;

    // Each device kind gets a backend of its own from the factory (the machine's when unset).
    explicit TDictationDevices(TDictationDeviceActions &actions, QObject *parent = nullptr,
                               const BackendFactory &backends = {});

    TUsbFootPedal *FootPedal() const { return m_pedal; }
    TDictationMic *DictationMic() const { return m_mic; }

    void OnDictationMicButton(int buttonWord);

signals:
    // A pedal or microphone is plugged in that this user may not read.
    void DeviceAccessDenied(const QString &devicePath);

private:
    template <typename Action> void act(Action &&action);

    TDictationDeviceActions &m_actions;
    TUsbFootPedal *m_pedal;
    TDictationMic *m_mic;
};
