// MPEG frame headers and the search for the first frame on arbitrary bytes.
#include "dictation/wave/AudioUtils.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size >= 4) {
        const MpegFrameHeader h = ParseMpegFrameHeader(data);
        if (h.Valid && MpegFrameLength(h.Layer, h.SampleRate, h.BitRate, h.Padding) <= 0)
            __builtin_trap();
    }
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const qint64 start = FindMpegStart(buffer);
    if (start >= qint64(size) || start < -1)
        __builtin_trap();
    return 0;
}
