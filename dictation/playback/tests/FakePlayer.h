// A player for tests: no sound device. It keeps a log of what it was asked to do, plays and records
// by moving its position, writes the empty recording template, and gives text positions the audio
// times the test sets.
#pragma once

#include "dictation/playback/PlaybackControl.h"
#include "dictation/playback/WaveDevice.h"

#include <QFileInfo>
#include <QStringList>

class FakePlayer : public PlaybackControl {
public:
    struct Log {
        QStringList calls;
        int length = 10000;
        bool failPlay = false;
        int recordedTo = 10000; // where a recording stands when it stops
        int msPerTextChar = 0;  // audio time of a text position (0: the text has no times)
    };
    explicit FakePlayer(Log &log) : m_log(log) {}

    bool OpenFile(const QString &name, QString * = nullptr) override {
        m_file = name;
        if (!name.isEmpty())
            m_log.calls << "OpenFile " + QFileInfo(name).fileName();
        return true;
    }
    QString FileName() const override { return m_file; }
    int Mode() const override { return m_mode; }
    int Length() const override { return m_file.isEmpty() ? 0 : m_log.length; }
    int Position() const override { return m_position; }
    bool Play(int from, int, QString *error = nullptr) override {
        if (m_file.isEmpty() || m_log.failPlay) {
            if (error)
                *error = QStringLiteral("no audio file is open");
            return false;
        }
        m_log.calls << QStringLiteral("Play %1").arg(from);
        m_position = from;
        m_mode = Playing;
        return true;
    }
    bool PlayFromTextPos(int position, int, QString * = nullptr) override {
        m_log.calls << QStringLiteral("PlayFromTextPos %1").arg(position);
        return true;
    }
    bool Pause(QString * = nullptr) override {
        m_log.calls << "Pause";
        m_mode = Paused;
        return true;
    }
    bool Stop(QString * = nullptr) override {
        m_log.calls << "Stop";
        m_mode = Stopped;
        m_position = 0;
        return true;
    }
    bool Record(int from, int, QString * = nullptr) override {
        m_log.calls << QStringLiteral("Record %1").arg(from);
        m_mode = Recording;
        m_position = m_log.recordedTo;
        return true;
    }
    bool DeleteRange(int from, int, QString * = nullptr) override {
        m_log.calls << QStringLiteral("DeleteRange %1").arg(from);
        return true;
    }
    bool SaveRecording(QString * = nullptr) override {
        m_log.calls << "SaveRecording";
        return true;
    }
    bool CreateRecordingFile(const QString &name, QString *error = nullptr) override {
        m_log.calls << "CreateRecordingFile " + QFileInfo(name).fileName();
        if (!WriteEmptyGsmWave(name, error))
            return false;
        m_file = name;
        return true;
    }
    void SetPositionCallback(PositionCallback) override {}
    void SetRecognisedText(const QString &) override {}
    void SetCurrentText(const QString &) override {}
    int TimeOfTextPos(int position) const override {
        return m_log.msPerTextChar > 0 ? position * m_log.msPerTextChar : -1;
    }
    int WordCount() const override { return 0; }

private:
    Log &m_log;
    QString m_file;
    int m_mode = Stopped;
    int m_position = 0;
};
