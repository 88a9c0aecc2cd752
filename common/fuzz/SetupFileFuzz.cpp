// Fuzz target: setup file text and host masks through their parsers.
#include "common/SetupFile.h"
#include "common/d3FormatUnit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    SetupFile::Parse(text, QStringLiteral("/nonexistent/"));
    const qsizetype split = text.indexOf('\n');
    if (split >= 0) {
        d3FormatUnit::FormatD3Mask(text.left(split), text.mid(split + 1));
    }
    SetupFile::SplitHostPort(text, 23);
    return 0;
}
