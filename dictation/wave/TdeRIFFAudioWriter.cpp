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
[[noreturn]] void writeFailed(QIODevice *stream) {
    throw EACMAudioStreamError(QStringLiteral("The audio file could not be written.\r\n") +
                               stream->errorString());
}
} // namespace

TdeRIFFAudioWriter::TdeRIFFAudioWriter(QIODevice *stream) : m_stream(stream), m_headerStart(stream->pos()) {}

TdeRIFFAudioWriter::~TdeRIFFAudioWriter() {
    try {
        Finish();
    } catch (const EAudioError &) {
        // Nothing to report to from here; Finish() is the checked path.
    }
}

void TdeRIFFAudioWriter::put(const QByteArray &bytes) {
    if (m_stream->write(bytes) != bytes.size())
        writeFailed(m_stream);
}

void TdeRIFFAudioWriter::writeHeader() {
    if (m_format.FormatTag() == 0)
        throw EACMAudioStreamError(AudioText::InvalidFileFormat);
    const QByteArray format = m_format.FormatTag() == 1 ? m_format.Bytes().left(16) : m_format.Bytes();
    put("RIFF" + le32(0) + "WAVE" + "fmt " + le32(quint32(format.size())) + format);
    m_dataChunk = m_stream->pos();
    put("data" + le32(0));
}

void TdeRIFFAudioWriter::Write(const char *data, qint64 count) {
    if (count <= 0)
        return;
    if (!m_started) {
        m_started = true;
        writeHeader();
    }
    if (m_stream->write(data, count) != count)
        writeFailed(m_stream);
    m_dataBytes += count;
}

void TdeRIFFAudioWriter::patch(qint64 at, qint64 value) {
    if (!m_stream->seek(at))
        writeFailed(m_stream);
    put(le32(quint32(std::clamp<qint64>(value, 0, 0xFFFFFFFF))));
}

void TdeRIFFAudioWriter::Finish() {
    if (m_finished || !m_started)
        return;
    m_finished = true;
    const qint64 end = m_stream->pos();
    patch(m_headerStart + 4, end - m_headerStart - 8);
    patch(m_dataChunk + 4, end - m_dataChunk - 8);
    if (!m_stream->seek(end))
        writeFailed(m_stream);
}
