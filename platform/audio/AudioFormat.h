// Wave formats as the audio layer sees them (WAVEFORMATEX bytes), the result codes it returns in
// the audio compression manager's numbering, and its fixed table of installed formats: what the
// codecs below can read and write, named the way dictation users know them ("GSM 6.10",
// "22.050 kHz, Mono").
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace orva::audio {

enum FormatTag : int {
    kTagPcm = 0x0001,
    kTagMsAdpcm = 0x0002,
    kTagIeeeFloat = 0x0003,
    kTagALaw = 0x0006,
    kTagMuLaw = 0x0007,
    kTagImaAdpcm = 0x0011,
    kTagGsm610 = 0x0031,
    kTagMpeg = 0x0050,
    kTagMpegLayer3 = 0x0055,
    kTagExtensible = 0xFFFE,
};

// Result codes; the caller owns the texts.
enum Result : int {
    kOk = 0,
    kErrNoMemory = 7,
    kErrNotSupported = 8,
    kErrInvalidParam = 11,
    kErrNotPossible = 512,
};

// The fixed part of a WAVEFORMATEX and its extra bytes, little-endian in `toBytes`.
struct WaveFormatFields {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    QByteArray extra; // extra size = extra.size()

    // Missing bytes read as 0; the extra bytes stop at the end of `bytes`.
    static WaveFormatFields fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;
    // The tag a WAVE_FORMAT_EXTENSIBLE format stands for (its sub-format), else the tag itself.
    int effectiveTag() const;
};

WaveFormatFields GsmFormat(std::uint32_t rate);
WaveFormatFields PcmFormat(std::uint32_t rate, int channels, int bits);

struct InstalledFormat {
    QByteArray format; // WAVEFORMATEX bytes
    QString description;
};

struct InstalledDriver {
    QString shortName;
    QString longName;
    std::uint32_t support = 0; // 1 codec, 2 converter
    QList<InstalledFormat> formats;
};

const QList<InstalledDriver> &InstalledDrivers();
// "GSM 6.10", "PCM", ...; empty for a tag no codec here reads or writes.
QString FormatTagName(int tag);

// Whether the codecs here decode the format to 16-bit PCM, and encode 16-bit PCM to it.
bool CanDecode(const WaveFormatFields &format);
bool CanEncode(const WaveFormatFields &format);

} // namespace orva::audio
