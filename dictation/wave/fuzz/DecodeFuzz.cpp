// Host audio decoded for playing, on arbitrary file bytes: either an audio error or whole 16-bit
// samples, never more than the decoders can have made of the file.
#include "dictation/wave/AudioUtils.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("host.wav"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QByteArray pcm;
    if (ReadAudioFileAsPcm(path, 22050, pcm) && pcm.size() % 2 != 0)
        __builtin_trap();
    return 0;
}
