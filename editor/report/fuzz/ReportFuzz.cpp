// Arbitrary report message bodies through the record parser and the markup reader, and the result
// written back as markup: no crash, no hang, bounded memory.
#include "editor/report/HostMarkup.h"
#include "editor/report/TReportRecord.h"

#include "common/fuzz/OffscreenGuiApp.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ensureOffscreenGuiApp();
    if (size > 64 * 1024)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TReportRecord record;
    LoadReportKeys(record);
    record.DynamicRangeRoots = {QStringLiteral("/tmp/images")};
    record.Parse(bytes);
    record.ClearValues();
    record.Parse(bytes);

    orva::richtext::TWpDocument doc;
    QTextCursor c(doc.main());
    ImportHostMarkup(doc, c, record.ResultText.isEmpty() ? bytes : record.ResultText,
                     record.GetValue("TEXTFONT"), record.GetValue("TEXTSIZE"));
    (void)ExportHostMarkup(doc);
    (void)WrapText(bytes, int(size % 90));
    return 0;
}
