// Wave file helpers of the dictation import: the format of a chosen file (a RIFF/WAVE file, or an
// MPEG audio file described by a RIFF header built in memory), the installed format named by the
// user's words, and the conversion of a file into a wave file of a given format.
#pragma once

#include "dictation/wave/TdeWaveFormat.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

struct MpegFrameHeader {
    bool Valid = false;
    int Version = 0; // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int Layer = 0;   // 1..3
    int SampleRate = 0;
    int Padding = 0;
    int Channels = 0;
    int BitRate = 0; // kbit/s
};

MpegFrameHeader ParseMpegFrameHeader(const unsigned char *bytes);
// Bytes of one frame: layer I (12000 x BR / SR + padding) x 4; layer II and MPEG-1 layer III
// 144000 x BR / SR + padding; MPEG-2 and 2.5 layer III 72000 x BR / SR + padding (truncated).
int MpegFrameLength(int layer, int sampleRate, int bitRate, int padding);

// The first frame of MPEG audio: looked for in the 64 KiB after any ID3v2 tag, and taken when the
// next frame (and the one after, where the file has room for it) starts with a valid header too.
// -1 when there is none.
qint64 FindMpegStart(QIODevice &file);
qint64 FindMpegStart(const QString &file);
bool GetMpegInfo(const QString &file, int &sampleRate, int &bitRate, int &channels);
bool IsMpegFile(const QString &file);
// The 58-byte RIFF header (tag 0x55) describing the whole file as its data; empty when the file is
// not MPEG audio.
QByteArray BuildMpegWaveHeader(const QString &file);
QString FormatTagName(int tag);
// The first installed format whose tag name and description match, blanks removed and compared
// without regard to case. False (and tag 0 in `format`) when none does.
bool FindAcmFormat(const QString &tagName, const QString &description, TdeWaveFormat &format);

bool ReadWaveFileFormat(const QString &file, TdeWaveFormat &format, bool &isMpeg);
bool CanReadWaveFormat(const QString &file);

// The whole audio of `file` (any readable wave or MPEG file) as 16-bit mono PCM at `rate`, for
// playing what the dictation format does not hold. False, with the reason in `error`, when it cannot.
bool ReadAudioFileAsPcm(const QString &file, int rate, QByteArray &pcm, QString *error = nullptr);

// stage 0 start, 1 progress, 2 end; returning false cancels the conversion.
using WaveConversionProgress = std::function<bool(int stage, int percent)>;

// Converts `source` (any readable wave or MPEG file) into `target` in `targetFormat`. The target is
// written through a temporary file and only replaced when the whole conversion succeeded; a failure
// or a cancel answers false with the reason in `error`.
bool ConvertAudioFile(const QString &source, const QString &target, const TdeWaveFormat &targetFormat,
                      const WaveConversionProgress &progress, QString *error = nullptr);
