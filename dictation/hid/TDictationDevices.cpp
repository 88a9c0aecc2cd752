// Pedal and microphone events bound to the dictation window's actions.
#include "dictation/hid/TDictationDevices.h"

#include <exception>
#include <utility>

TDictationDevices::TDictationDevices(TDictationDeviceActions &actions, QObject *parent,
                                     const BackendFactory &backends)
    : QObject(parent), m_actions(actions), m_pedal(new TUsbFootPedal(this, backends ? backends() : nullptr)),
      m_mic(new TDictationMic(this, backends ? backends() : nullptr)) {
    m_pedal->SetPedal0RepeatInterval(kPedalRepeatMs);
    m_pedal->SetPedal2RepeatInterval(kPedalRepeatMs);
    connect(m_pedal, &TUsbFootPedal::OnPedal1Press, this,
            [this] { act([this] { m_actions.PlayBtn2Click(m_pedal); }); });
    connect(m_pedal, &TUsbFootPedal::OnPedal1Release, this,
            [this] { act([this] { m_actions.PlaybackPause(); }); });
    connect(m_pedal, &TUsbFootPedal::OnPedal0Repeat, this,
            [this] { act([this] { m_actions.ActionForward(); }); });
    connect(m_pedal, &TUsbFootPedal::OnPedal2Repeat, this,
            [this] { act([this] { m_actions.ActionRewind(); }); });

    connect(m_mic, &TDictationMic::OnButton, this, &TDictationDevices::OnDictationMicButton);
    // A scan only takes the scanner's keystrokes away from the focus; the text itself is unused.
    m_mic->SetCaptureGate([this] {
        try {
            return m_actions.DeviceActionsAllowed();
        } catch (...) {
            return false;
        }
    });

    connect(m_pedal, &THidDevice::DeviceAccessDenied, this, &TDictationDevices::DeviceAccessDenied);
    connect(m_mic, &THidDevice::DeviceAccessDenied, this, &TDictationDevices::DeviceAccessDenied);
}

void TDictationDevices::OnDictationMicButton(int buttonWord) {
    using Action = void (TDictationDeviceActions::*)();
    static const std::pair<int, Action> kButtons[] = {
        {2, &TDictationDeviceActions::ActionQuit},         {4, &TDictationDeviceActions::ActionLoad},
        {8, &TDictationDeviceActions::ActionTransmit},     {256, &TDictationDeviceActions::ActionRecord},
        {1024, &TDictationDeviceActions::ActionPlayPause}, {2048, &TDictationDeviceActions::ActionForward},
        {4096, &TDictationDeviceActions::ActionRewind},    {8192, &TDictationDeviceActions::ActionStop},
        {16384, &TDictationDeviceActions::ActionStop},
    };
    for (const auto &[word, action] : kButtons)
        if (word == buttonWord)
            act([this, action = action] { (m_actions.*action)(); });
}

template <typename Action> void TDictationDevices::act(Action &&action) {
    try {
        if (!m_actions.DeviceActionsAllowed())
            return;
        action();
    } catch (const std::exception &failure) {
        m_actions.DeviceActionFailed(QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        m_actions.DeviceActionFailed(tr("The dictation device's action failed."));
    }
}
