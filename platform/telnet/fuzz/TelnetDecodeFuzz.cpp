// Feeds host bytes to the telnet codec. Besides crashes it checks that the decoded data and the
// replies do not depend on where the stream is cut, and that data never outgrows the input.
#include "platform/telnet/TTelnetCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size < 1)
        return 0;
    const auto *input = reinterpret_cast<const char *>(bytes + 1);
    const auto length = static_cast<qsizetype>(size - 1);

    TTelnetCodec whole;
    whole.decode(input, length);
    const QByteArray data = whole.takeData();
    const QByteArray wire = whole.takeWire();
    // Decompression is never switched on, so it can never fail.
    for (const auto &error : whole.takeErrors())
        if (error.description.contains("inflate") || error.description.contains("compress"))
            std::abort();
    if (data.size() > length)
        std::abort();

    // The first byte picks the piece size for the second pass.
    const qsizetype piece = bytes[0] % 7 + 1;
    TTelnetCodec split;
    split.setWindowSize(80, 24);
    for (qsizetype at = 0; at < length; at += piece)
        split.decode(input + at, std::min(piece, length - at));
    if (split.takeData() != data || split.takeWire() != wire)
        std::abort();

    // What we send comes back unchanged through a peer's decoder.
    TTelnetCodec sender;
    sender.encode(input, length);
    TTelnetCodec receiver;
    receiver.decode(sender.takeWire());
    if (receiver.takeData() != QByteArray(input, length))
        std::abort();
    return 0;
}
