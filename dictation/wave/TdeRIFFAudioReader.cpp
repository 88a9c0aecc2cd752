#include "dictation/wave/TdeRIFFAudioReader.h"

#include "dictation/wave/AudioErrors.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {
bool invalid(QString *error) {
    if (error)
        *error = AudioText::InvalidFileFormat;
    return false;
}

bool readExact(QIODevice *stream, char *into, qint64 count) {
    return stream->read(into, count) == count;
}
} // namespace

bool TdeRIFFAudioReader::Open(QString *error) {
    QIODevice *stream = m_stream;
    if (!stream || !stream->isReadable())
        return invalid(error);
    char head[12];
    if (!readExact(stream, head, 12) || std::memcmp(head, "RIFF", 4) != 0 ||
        qFromLittleEndian<quint32>(head + 4) == 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return invalid(error);

    const qint64 end = stream->size();
    bool haveFormat = false;
    bool haveData = false;
    qint64 pos = stream->pos();
    while (!(haveFormat && haveData) && pos + 8 <= end) {
        char chunk[8];
        if (!stream->seek(pos) || !readExact(stream, chunk, 8))
            return invalid(error);
        for (int i = 0; i < 4; ++i)
            chunk[i] = (chunk[i] >= 'a' && chunk[i] <= 'z') ? char(chunk[i] - 32) : chunk[i];
        const qint64 size = qFromLittleEndian<quint32>(chunk + 4);
        const qint64 body = pos + 8;
        if (std::memcmp(chunk, "FMT ", 4) == 0) {
            if (size > TdeWaveFormat::kBufferSize || body + size > end)
                return invalid(error);
            m_format.SetDefaults();
            if (!readExact(stream, reinterpret_cast<char *>(m_format.Buffer()), size))
                return invalid(error);
            haveFormat = true;
        } else if (std::memcmp(chunk, "DATA", 4) == 0) {
            m_dataStart = body;
            m_dataSize = std::min(size, end - body);
            haveData = true;
        }
        pos = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        return invalid(error);
    if (m_format.Channels() == 0 || m_format.SamplesPerSec() == 0 || m_format.AvgBytesPerSec() == 0)
        return invalid(error);
    return true;
}

void TdeRIFFAudioReader::SelectTrack(int index) {
    m_track = index;
    m_readPos = 0;
    m_stream->seek(m_dataStart);
}

qint64 TdeRIFFAudioReader::ReadTrack(char *buffer, qint64 count) {
    count = std::min(count, m_dataSize - m_readPos);
    if (count <= 0)
        return 0;
    if (!m_stream->seek(m_dataStart + m_readPos))
        return -1;
    const qint64 got = m_stream->read(buffer, count);
    if (got > 0)
        m_readPos += got;
    return got;
}

std::unique_ptr<TdeSubStream> TdeRIFFAudioReader::TrackStream(int index) {
    SelectTrack(index);
    return std::make_unique<TdeSubStream>(m_stream, m_dataSize, m_dataStart);
}

void TdeRIFFAudioReader::Last() {
    SelectTrack(TrackCount() - 1);
    m_eof = true;
}

void TdeRIFFAudioReader::Next() {
    if (m_track + 1 < TrackCount())
        SelectTrack(m_track + 1);
    else
        m_eof = true;
}
