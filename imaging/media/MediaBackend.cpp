// Which player extensions the media backend opens, and the playback percent.
#include "imaging/media/MediaBackend.h"

#include <QDir>
#include <QMediaFormat>

#include <cmath>

namespace orva::imaging {

const QStringList &MediaExtensions() {
    static const QStringList list{QStringLiteral("MPG"), QStringLiteral("MPEG"), QStringLiteral("MID"),
                                  QStringLiteral("RMI"), QStringLiteral("AVI"),  QStringLiteral("MOV"),
                                  QStringLiteral("WAV")};
    return list;
}

bool IsMediaExtension(const QString &ext) {
    return MediaExtensions().contains(ext.toUpper());
}

namespace {

// MIDI has no decoder in Qt Multimedia itself; GStreamer plays it only through its synthesiser plugin.
bool midiDecoderInstalled() {
    const QStringList roots{QStringLiteral("/usr/lib/x86_64-linux-gnu/gstreamer-1.0"),
                            QStringLiteral("/usr/lib/aarch64-linux-gnu/gstreamer-1.0"),
                            QStringLiteral("/usr/lib/gstreamer-1.0")};
    for (const QString &root : roots) {
        if (QDir(root).exists(QStringLiteral("libgstfluidsynthmidi.so")))
            return true;
    }
    return false;
}

} // namespace

QStringList PlayableMciExtensions(const QStringList &configured) {
    const QList<QMediaFormat::FileFormat> formats = QMediaFormat().supportedFileFormats(QMediaFormat::Decode);
    if (formats.isEmpty())
        return {};
    const bool midi = midiDecoderInstalled();
    QStringList out;
    for (const QString &raw : configured) {
        const QString ext = raw.toUpper();
        if ((ext == QLatin1String("MID") || ext == QLatin1String("RMI")) && !midi)
            continue;
        if (ext == QLatin1String("WAV") && !formats.contains(QMediaFormat::Wave))
            continue;
        if (ext == QLatin1String("AVI") && !formats.contains(QMediaFormat::AVI))
            continue;
        if (ext == QLatin1String("MOV") && !formats.contains(QMediaFormat::QuickTime))
            continue;
        if (!out.contains(ext))
            out.append(ext);
    }
    return out;
}

std::optional<int> PlaybackPercent(qint64 position, qint64 length) {
    if (length <= 0 || position < 0)
        return std::nullopt;
    return static_cast<int>(
        std::nearbyint(static_cast<double>(position) * 100.0 / static_cast<double>(length)));
}

} // namespace orva::imaging
