// Reads the format and finds the audio data of a RIFF/WAVE stream. Chunks are found in any order
// and their ids compared without regard to case; odd-sized chunks are followed by their pad byte.
#pragma once

#include "dictation/wave/TdeSubStream.h"
#include "dictation/wave/TdeWaveFormat.h"

#include <memory>

class TdeRIFFAudioReader {
public:
    // The stream stays owned by the caller and must outlive the reader.
    explicit TdeRIFFAudioReader(QIODevice *stream) : m_stream(stream) {}

    // Reads the header; before it succeeds the reader has no format and no data. False, with
    // "Invalid file format." in `error`, for anything it cannot use: no RIFF/WAVE header, a RIFF
    // size of 0, a missing "fmt " or "data" chunk, a "fmt " chunk over 512 bytes or past the end,
    // no channels, or a sample rate or byte rate of 0.
    bool Open(QString *error = nullptr);

    const TdeWaveFormat &Format() const { return m_format; }
    int TrackCount() const { return 1; }
    const TdeWaveFormat &TrackFormat(int) const { return m_format; }
    qint64 TrackSize(int) const { return m_dataSize; }
    qint64 DataStart() const { return m_dataStart; }

    // Positions the stream at the track's data.
    void SelectTrack(int index);
    // Reads on from the selected track's data, never past it.
    qint64 ReadTrack(char *buffer, qint64 count);
    // A window on the track's data (the stream stays owned by the caller and must outlive it).
    std::unique_ptr<TdeSubStream> TrackStream(int index);
    std::unique_ptr<TdeSubStream> CurrentTrackStream() { return TrackStream(m_track); }
    void Last();
    void Next();
    bool Eof() const { return m_eof; }

private:
    QIODevice *m_stream;
    TdeWaveFormat m_format;
    qint64 m_dataStart = 0;
    qint64 m_dataSize = 0;
    qint64 m_readPos = 0;
    int m_track = 0;
    bool m_eof = false;
};
