#include "platform/audio/AudioFormat.h"

#include "platform/audio/GsmCodec.h"

#include <QtEndian>

namespace orva::audio {

namespace {

std::uint16_t u16(const QByteArray &b, int at) {
    return at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.constData() + at) : 0;
}
std::uint32_t u32(const QByteArray &b, int at) {
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

// The GUID tail shared by the KSDATAFORMAT_SUBTYPE_* of wave tags.
const char kSubFormatTail[14] = {0x00, 0x00, 0x00,       0x00, 0x10, 0x00,       (char)0x80,
                                 0x00, 0x00, (char)0xAA, 0x00, 0x38, (char)0x9B, 0x71};

QString kiloHertz(std::uint32_t rate) {
    // ACM wording: "22.050 kHz", "8.000 kHz".
    return QStringLiteral("%1.%2 kHz").arg(rate / 1000).arg(rate % 1000, 3, 10, QLatin1Char('0'));
}

QString channelName(int channels) {
    return channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo");
}

QList<InstalledDriver> buildDrivers() {
    InstalledDriver gsm{
        QStringLiteral("MS-GSM 6.10"), QStringLiteral("Microsoft GSM 6.10 Audio CODEC"), 1, {}};
    for (std::uint32_t rate : {8000u, 11025u, 22050u, 44100u})
        gsm.formats.append({GsmFormat(rate).toBytes(), kiloHertz(rate) + QStringLiteral(", Mono")});
    InstalledDriver pcm{QStringLiteral("MS-PCM"), QStringLiteral("Microsoft PCM Converter"), 2, {}};
    for (std::uint32_t rate : {8000u, 11025u, 22050u, 44100u, 48000u})
        for (int bits : {8, 16})
            for (int channels : {1, 2})
                pcm.formats.append(
                    {PcmFormat(rate, channels, bits).toBytes(),
                     kiloHertz(rate) + QStringLiteral(", %1 Bit, ").arg(bits) + channelName(channels)});
    return {gsm, pcm};
}

} // namespace

WaveFormatFields WaveFormatFields::fromBytes(const QByteArray &bytes) {
    WaveFormatFields f;
    f.tag = u16(bytes, 0);
    f.channels = u16(bytes, 2);
    f.rate = u32(bytes, 4);
    f.bytesPerSecond = u32(bytes, 8);
    f.blockAlign = u16(bytes, 12);
    f.bits = u16(bytes, 14);
    const int extra = u16(bytes, 16);
    if (bytes.size() > 18)
        f.extra = bytes.mid(18, extra);
    return f;
}

QByteArray WaveFormatFields::toBytes() const {
    QByteArray b(18, '\0');
    char *p = b.data();
    qToLittleEndian<quint16>(tag, p);
    qToLittleEndian<quint16>(channels, p + 2);
    qToLittleEndian<quint32>(rate, p + 4);
    qToLittleEndian<quint32>(bytesPerSecond, p + 8);
    qToLittleEndian<quint16>(blockAlign, p + 12);
    qToLittleEndian<quint16>(bits, p + 14);
    qToLittleEndian<quint16>(quint16(extra.size()), p + 16);
    return b + extra;
}

int WaveFormatFields::effectiveTag() const {
    if (tag != kTagExtensible)
        return tag;
    // valid bits 2, channel mask 4, then the sub-format GUID whose first two bytes are the tag.
    if (extra.size() < 22 || extra.mid(8, 14) != QByteArray(kSubFormatTail, 14))
        return 0;
    return u16(extra, 6);
}

WaveFormatFields GsmFormat(std::uint32_t rate) {
    WaveFormatFields f;
    f.tag = kTagGsm610;
    f.channels = 1;
    f.rate = rate;
    f.bytesPerSecond = std::uint32_t(std::uint64_t(rate) * kGsmBlockBytes / kGsmBlockSamples);
    f.blockAlign = kGsmBlockBytes;
    f.bits = 0;
    f.extra = QByteArray("\x40\x01", 2); // 320 samples per block
    return f;
}

WaveFormatFields PcmFormat(std::uint32_t rate, int channels, int bits) {
    WaveFormatFields f;
    f.tag = kTagPcm;
    f.channels = std::uint16_t(channels);
    f.rate = rate;
    f.blockAlign = std::uint16_t(channels * bits / 8);
    f.bytesPerSecond = rate * f.blockAlign;
    f.bits = std::uint16_t(bits);
    return f;
}

const QList<InstalledDriver> &InstalledDrivers() {
    static const QList<InstalledDriver> drivers = buildDrivers();
    return drivers;
}

QString FormatTagName(int tag) {
    switch (tag) {
    case kTagPcm:
        return QStringLiteral("PCM");
    case kTagMsAdpcm:
        return QStringLiteral("Microsoft ADPCM");
    case kTagIeeeFloat:
        return QStringLiteral("IEEE Float");
    case kTagALaw:
        return QStringLiteral("CCITT A-Law");
    case kTagMuLaw:
        return QStringLiteral("CCITT u-Law");
    case kTagImaAdpcm:
        return QStringLiteral("IMA ADPCM");
    case kTagGsm610:
        return QStringLiteral("GSM 6.10");
    case kTagMpeg:
        return QStringLiteral("MPEG");
    case kTagMpegLayer3:
        return QStringLiteral("MPEG Layer-3");
    default:
        return {};
    }
}

bool CanDecode(const WaveFormatFields &f) {
    if (f.channels < 1 || f.channels > 8 || f.rate < 1000 || f.rate > 384000)
        return false;
    switch (f.effectiveTag()) {
    case kTagPcm:
        return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    case kTagIeeeFloat:
        return f.bits == 32 || f.bits == 64;
    case kTagALaw:
    case kTagMuLaw:
    case kTagMsAdpcm:
    case kTagImaAdpcm:
    case kTagMpeg:
    case kTagMpegLayer3:
        return true;
    case kTagGsm610:
        return f.channels == 1 && f.blockAlign == kGsmBlockBytes;
    default:
        return false;
    }
}

bool CanEncode(const WaveFormatFields &f) {
    if (f.rate < 1000 || f.rate > 384000)
        return false;
    if (f.tag == kTagPcm)
        return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16);
    if (f.tag == kTagGsm610)
        return f.channels == 1 && f.blockAlign == kGsmBlockBytes && f.extra.size() >= 2 &&
               qFromLittleEndian<quint16>(f.extra.constData()) == kGsmBlockSamples;
    return false;
}

} // namespace orva::audio
