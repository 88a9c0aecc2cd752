// Feeds arbitrary bytes to the RTF reader: it must not crash, hang or grow without bound.
#include "platform/richtext/TWpRtf.h"

#include <QGuiApplication>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
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
