// What the foot pedal and the dictation microphone make the dictation window do. The window
// implements it; TDictationDevices calls it.
#pragma once

#include <QString>

class QObject;

class TDictationDeviceActions {
public:
    virtual ~TDictationDeviceActions() = default;

    // The window is visible with a task open and a player: otherwise the devices are inert.
    virtual bool DeviceActionsAllowed() const = 0;

    virtual void ActionQuit() = 0;
    virtual void ActionLoad() = 0;
    virtual void ActionTransmit() = 0;
    virtual void ActionRecord() = 0;
    virtual void ActionPlayPause() = 0;
    virtual void ActionForward() = 0;
    virtual void ActionRewind() = 0;
    virtual void ActionStop() = 0;
    // Pedal 1 down: play from the track-bar position, with the pedal as the sender.
    virtual void PlayBtn2Click(QObject *sender) = 0;
    // Pedal 1 up: pause the player.
    virtual void PlaybackPause() = 0;

    // One of the above failed; the window shows the message.
    virtual void DeviceActionFailed(const QString &message) = 0;
};
