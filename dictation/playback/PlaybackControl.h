// What the dictation window asks of its player. The window holds the player through this
// interface, so that its tests can give it a stand-in that needs no sound server.
#pragma once

#include <QString>

#include <functional>

class PlaybackControl {
public:
    // As a media player reports them.
    enum Mode : int {
        NotReady = 0,
        Stopped = 1,
        Playing = 2,
        Recording = 3,
        Seeking = 4,
        Paused = 5,
        Open = 6
    };
    // The text range of the word being heard (length 0: none), on every 100 ms tick while audio
    // plays or records and after every change of state.
    using PositionCallback = std::function<void(PlaybackControl *sender, int textStart, int textLength)>;

    virtual ~PlaybackControl() = default;

    // A call that fails (the sound device or the file) answers false and puts the message the user
    // is shown in `error`, when given.
    // Closes the open file and opens `name` (none when empty); the same name does nothing.
    virtual bool OpenFile(const QString &name, QString *error = nullptr) = 0;
    virtual QString FileName() const = 0;
    virtual int Mode() const = 0;
    virtual int Length() const = 0;   // ms
    virtual int Position() const = 0; // ms
    // From `from` (0 when it equals the length) to `to` (-1: the end).
    virtual bool Play(int from, int to, QString *error = nullptr) = 0;
    // From the audio time of the word at a text position; -1 for `textEnd` plays to the end.
    virtual bool PlayFromTextPos(int textPosition, int textEnd, QString *error = nullptr) = 0;
    // Stops where it is.
    virtual bool Pause(QString *error = nullptr) = 0;
    // Stops and goes back to 0.
    virtual bool Stop(QString *error = nullptr) = 0;
    // Records over the audio from `from` on, extending it past its end.
    virtual bool Record(int from, int to, QString *error = nullptr) = 0;
    // Removes the audio from `from` to `to` (-1: the end).
    virtual bool DeleteRange(int from, int to, QString *error = nullptr) = 0;
    // Writes the audio to the open file.
    virtual bool SaveRecording(QString *error = nullptr) = 0;
    // Writes the empty GSM 6.10 recording file and opens it.
    virtual bool CreateRecordingFile(const QString &name, QString *error = nullptr) = 0;
    virtual void SetPositionCallback(PositionCallback callback) = 0;
    // PLAYBACKINFO as the host sends it (the window only passes lists that hold "]").
    virtual void SetRecognisedText(const QString &list) = 0;
    // The text of the correction box, before every play.
    virtual void SetCurrentText(const QString &text) = 0;
    // Audio time (ms) of the word that holds the text position; -1 when none.
    virtual int TimeOfTextPos(int position) const = 0;
    // Words in the timing list (0: no list).
    virtual int WordCount() const = 0;
};
