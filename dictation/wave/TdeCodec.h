// The installed codecs with all their formats, built once per process from the audio layer's
// table; the wave helpers search it for the dictation format.
#pragma once

#include "dictation/wave/TdeWaveFormat.h"

#include <QList>
#include <QString>

struct TdeCodecFormat {
    QString Description;
    TdeWaveFormat Format;
};

class TdeCodec {
public:
    enum Support : std::uint32_t {
        Codec = 1,
        Converter = 2,
        Filter = 4,
        Hardware = 8,
        Async = 0x10,
        Local = 0x20,
        Disabled = 0x40
    };

    int DriverId = 0;
    QString ShortName;
    QString LongName;
    std::uint32_t SupportFlags = 0;
    int MaxFormatSize = 18;
    QList<TdeCodecFormat> Formats;
};

const QList<TdeCodec> &CodecList();
