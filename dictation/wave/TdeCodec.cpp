#include "dictation/wave/TdeCodec.h"

#include <algorithm>

namespace {
QList<TdeCodec> buildCodecList() {
    QList<TdeCodec> list;
    int id = 0;
    for (const orva::audio::InstalledDriver &driver : orva::audio::InstalledDrivers()) {
        TdeCodec codec;
        codec.DriverId = ++id;
        codec.ShortName = driver.shortName;
        codec.LongName = driver.longName;
        codec.SupportFlags = driver.support;
        for (const orva::audio::InstalledFormat &f : driver.formats) {
            TdeCodecFormat format;
            format.Description = f.description;
            format.Format.Assign(f.format);
            codec.MaxFormatSize = std::max<int>(codec.MaxFormatSize, int(f.format.size()));
            codec.Formats.append(format);
        }
        list.append(codec);
    }
    return list;
}
} // namespace

const QList<TdeCodec> &CodecList() {
    static const QList<TdeCodec> list = buildCodecList();
    return list;
}
