// Feeds arbitrary bytes to the RTF reader: it must not crash, hang or grow without bound.
#include "platform/richtext/TWpRtf.h"

#include "common/fuzz/OffscreenGuiApp.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ensureOffscreenGuiApp();
    if (size > 256 * 1024)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    orva::richtext::TWpDocument doc;
    orva::richtext::readRtf(bytes, doc);
    orva::richtext::scanRtfPictures(bytes);
    QTextCursor at(doc.main());
    orva::richtext::readRtf(bytes, doc, &at);
    (void)orva::richtext::writeRtf(doc);
    return 0;
}
