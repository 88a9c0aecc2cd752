// A player for tests: no sound device. It keeps a log of what it was asked to do, plays and records
// by moving its position, writes the empty recording template, and gives text positions the audio
// times the test sets.
#pragma once

#include "dictation/playback/PlaybackControl.h"
#include "dictation/playback/WaveDevice.h"

#include <QFileInfo>
#include <QStringList>

#include <stdexcept>

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

    void OpenFile(const QString &name) override {
        m_file = name;
        if (!name.isEmpty())
            m_log.calls << "OpenFile " + QFileInfo(name).fileName();
    }
    QString FileName() const override { return m_file; }
    int Mode() const override { return m_mode; }
    int Length() const override { return m_file.isEmpty() ? 0 : m_log.length; }
    int Position() const override { return m_position; }
    void Play(int from, int) override {
        if (m_file.isEmpty() || m_log.failPlay)
            throw std::runtime_error("no audio file is open");
        m_log.calls << QStringLiteral("Play %1").arg(from);
        m_position = from;
        m_mode = Playing;
    }
    void PlayFromTextPos(int position, int) override {
        m_log.calls << QStringLiteral("PlayFromTextPos %1").arg(position);
    }
    void Pause() override {
        m_log.calls << "Pause";
        m_mode = Paused;
    }
    void Stop() override {
        m_log.calls << "Stop";
        m_mode = Stopped;
        m_position = 0;
    }
    void Record(int from, int) override {
        m_log.calls << QStringLiteral("Record %1").arg(from);
        m_mode = Recording;
        m_position = m_log.recordedTo;
    }
    void DeleteRange(int from, int) override { m_log.calls << QStringLiteral("DeleteRange %1").arg(from); }
    void SaveRecording() override { m_log.calls << "SaveRecording"; }
    void CreateRecordingFile(const QString &name) override {
        m_log.calls << "CreateRecordingFile " + QFileInfo(name).fileName();
        WriteEmptyGsmWave(name);
        m_file = name;
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
