// Writes a RIFF/WAVE stream: the header goes out with the first audio bytes ("fmt " of 16 bytes for
// PCM, else 18 + the extra size; no "fact" chunk, no pad byte), and Finish() patches the RIFF and
// data sizes. A writer that never got data leaves the stream untouched.
#pragma once

#include "dictation/wave/TdeWaveFormat.h"

#include <QIODevice>
#include <QString>

class TdeRIFFAudioWriter {
public:
    explicit TdeRIFFAudioWriter(QIODevice *stream);
    // Finishes when Finish() was not called; a failure is lost there, so callers call Finish().
    ~TdeRIFFAudioWriter();
    TdeRIFFAudioWriter(const TdeRIFFAudioWriter &) = delete;
    TdeRIFFAudioWriter &operator=(const TdeRIFFAudioWriter &) = delete;

    void SetFormat(const TdeWaveFormat &format) { m_format = format; }
    const TdeWaveFormat &Format() const { return m_format; }
    // Fails when the stream takes fewer bytes than given, with the reason in `error`.
    bool Write(const char *data, qint64 count, QString *error = nullptr);
    // Patches the sizes and returns to the end; fails on a failed write.
    bool Finish(QString *error = nullptr);
    qint64 DataBytes() const { return m_dataBytes; }

private:
    bool writeHeader(QString *error);
    bool put(const QByteArray &bytes, QString *error);
    bool patch(qint64 at, qint64 value, QString *error);

    QIODevice *m_stream;
    TdeWaveFormat m_format;
    qint64 m_headerStart;
    qint64 m_dataChunk = 0;
    qint64 m_dataBytes = 0;
    bool m_started = false;
    bool m_finished = false;
};
