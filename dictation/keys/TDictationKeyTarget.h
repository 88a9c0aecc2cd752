// What the key map makes the dictation window do: its fast-forward, rewind, play or pause, stop,
// record, quit, load and save actions, only while the window exists and is showing. The main window
// passes the keys on to the dictation window; TNoDictationWindow stands in for a window not made.
#pragma once

enum class TDictationKey { Forward, Rewind, PlayPause, Stop, Record, Quit, Load, Transmit };

class TDictationKeyTarget {
public:
    virtual ~TDictationKeyTarget() = default;
    virtual bool DictationWindowShowing() const = 0;
    // ActionForward, ActionRewind, ActionPlayPause, ActionStop, ActionRecord, ActionQuit, ActionLoad,
    // ActionTransmit.
    virtual void DictationKey(TDictationKey key) = 0;
};

// No dictation window: nothing is showing, and a key meant for it is traced.
class TNoDictationWindow : public TDictationKeyTarget {
public:
    bool DictationWindowShowing() const override { return false; }
    void DictationKey(TDictationKey key) override;
};

// Runs one key on the window while it is showing; otherwise the key is traced and nothing happens.
// True when the window got the key.
bool RunDictationKey(TDictationKeyTarget &target, TDictationKey key);
