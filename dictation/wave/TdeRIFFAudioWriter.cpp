#include "dictation/wave/TdeRIFFAudioWriter.h"

#include "dictation/wave/AudioErrors.h"

#include <QtEndian>

#include <algorithm>

namespace {
QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
bool writeFailed(QIODevice *stream, QString *error) {
    return AudioFailed(error,
                       QStringLiteral("The audio file could not be written.\r\n") + stream->errorString());
}
} // namespace

TdeRIFFAudioWriter::TdeRIFFAudioWriter(QIODevice *stream) : m_stream(stream), m_headerStart(stream->pos()) {}

TdeRIFFAudioWriter::~TdeRIFFAudioWriter() {
    // Nothing to report to from here; Finish() is the checked path.
    Finish();
}

bool TdeRIFFAudioWriter::put(const QByteArray &bytes, QString *error) {
    return m_stream->write(bytes) == bytes.size() || writeFailed(m_stream, error);
}

bool TdeRIFFAudioWriter::writeHeader(QString *error) {
    if (m_format.FormatTag() == 0)
        return AudioFailed(error, AudioText::InvalidFileFormat);
    const QByteArray format = m_format.FormatTag() == 1 ? m_format.Bytes().left(16) : m_format.Bytes();
    if (!put("RIFF" + le32(0) + "WAVE" + "fmt " + le32(quint32(format.size())) + format, error))
        return false;
    m_dataChunk = m_stream->pos();
    return put("data" + le32(0), error);
}

bool TdeRIFFAudioWriter::Write(const char *data, qint64 count, QString *error) {
    if (count <= 0)
        return true;
    if (!m_started) {
        m_started = true;
        if (!writeHeader(error))
            return false;
    }
    if (m_stream->write(data, count) != count)
        return writeFailed(m_stream, error);
    m_dataBytes += count;
    return true;
}

bool TdeRIFFAudioWriter::patch(qint64 at, qint64 value, QString *error) {
    if (!m_stream->seek(at))
        return writeFailed(m_stream, error);
    return put(le32(quint32(std::clamp<qint64>(value, 0, 0xFFFFFFFF))), error);
}

bool TdeRIFFAudioWriter::Finish(QString *error) {
    if (m_finished || !m_started)
        return true;
    m_finished = true;
    const qint64 end = m_stream->pos();
    if (!patch(m_headerStart + 4, end - m_headerStart - 8, error) ||
        !patch(m_dataChunk + 4, end - m_dataChunk - 8, error))
        return false;
    return m_stream->seek(end) || writeFailed(m_stream, error);
}
