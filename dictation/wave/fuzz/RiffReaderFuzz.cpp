// RIFF/WAVE reader on arbitrary bytes: either "Invalid file format." or a window whose bytes can
// all be read.
#include "dictation/wave/TdeRIFFAudioReader.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TdeRIFFAudioReader reader(&buffer);
    if (!reader.Open())
        return 0;
    (void)reader.Format().Fields();
    const auto window = reader.CurrentTrackStream();
    if (window->size() > bytes.size())
        __builtin_trap();
    const QByteArray all = window->readAll();
    if (all.size() != window->size())
        __builtin_trap();
    reader.SelectTrack(0);
    char piece[64];
    while (reader.ReadTrack(piece, sizeof piece) > 0) {
    }
    return 0;
}
