// The PLAYBACKINFO word list and its alignment with a corrected text: the input is the list, a NUL,
// then the corrected text. Every answer must stay inside the text.
#include "dictation/playback/TPlayback.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > 4000)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString list = QString::fromUtf8(bytes.left(split < 0 ? bytes.size() : split));
    const QString text = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));
    TPlayback player;
    player.SetRecognisedText(list);
    player.SetCurrentText(text);
    for (const TPlayback::AlignedEntry &e : player.Aligned())
        if (e.Start < 0 || e.End < 0 || e.Start > text.size() || e.End > text.size())
            __builtin_trap();
    for (int t = -1; t < 3000; t += 97)
        (void)player.WordAtTime(t);
    for (int p = -1; p <= text.size() + 2; ++p)
        (void)player.TimeOfTextPos(p);
    return 0;
}
