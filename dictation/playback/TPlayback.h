// The dictation player: plays, records over, cuts and saves one GSM 6.10 wave file, reports the
// word being heard every 100 ms, and keeps the recognised words' audio times aligned with the text
// the user corrects, so that a click on a word plays from it.
#pragma once

#include "dictation/playback/PlaybackControl.h"
#include "dictation/playback/TDiff.h"
#include "dictation/playback/WaveDevice.h"
#include "dictation/playback/WordTimings.h"

#include <QObject>
#include <QTimer>

#include <vector>

class TPlayback : public QObject, public PlaybackControl {
    Q_OBJECT
public:
    // `devices` must outlive the player; null uses the system's sound devices.
    explicit TPlayback(QObject *owner = nullptr, orva::audio::AudioDevices *devices = nullptr);
    ~TPlayback() override;

    bool OpenFile(const QString &name, QString *error = nullptr) override;
    QString FileName() const override { return m_device.path(); }
    int Mode() const override;
    int Length() const override { return m_device.lengthMs(); }
    int Position() const override { return m_device.positionMs(); }
    bool Play(int from, int to, QString *error = nullptr) override;
    bool PlayFromTextPos(int textPosition, int textEnd, QString *error = nullptr) override;
    bool Pause(QString *error = nullptr) override;
    bool Stop(QString *error = nullptr) override;
    bool Record(int from, int to, QString *error = nullptr) override;
    bool DeleteRange(int from, int to, QString *error = nullptr) override;
    bool SaveRecording(QString *error = nullptr) override;
    bool CreateRecordingFile(const QString &name, QString *error = nullptr) override;
    void SetPositionCallback(PositionCallback callback) override { m_callback = std::move(callback); }
    void SetRecognisedText(const QString &list) override;
    void SetCurrentText(const QString &text) override;
    int TimeOfTextPos(int position) const override;
    int WordCount() const override { return int(m_words.size()); }

    // The 100 ms tick: the word at the playing position, or, once stopped, the last report again
    // (after seeking to 0 when playing reached the end).
    void TimerTick();
    void NotifyPosition(int start, int length);
    void ReportWordAtTime(int time);
    // The aligned entry playing at `time`; -1 when none.
    int WordAtTime(int time) const;

    struct AlignedEntry {
        int Time = 0;
        int Start = 0;
        int End = 0;
    };
    const std::vector<AlignedEntry> &Aligned() const { return m_aligned; }
    const std::vector<TWordTiming> &Words() const { return m_words; }
    const QString &RecognisedText() const { return m_recognised; }
    WaveDevice &Device() { return m_device; }
    bool TimerActive() const { return m_timer.isActive(); }

private:
    void RebuildWords();
    void AlignWords();

    WaveDevice m_device;
    QTimer m_timer;
    TDiff m_diff;
    QString m_list;
    std::vector<TWordTiming> m_words;
    QString m_recognised;
    QString m_current;
    std::vector<AlignedEntry> m_aligned;
    int m_lastStart = 0;
    int m_lastLength = 0;
    int m_lastAction = Stopped;
    PositionCallback m_callback;
};
