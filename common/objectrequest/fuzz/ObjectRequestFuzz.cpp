// Any request text: parsing never crashes, and every field stays reachable through field().
#include "common/objectrequest/TObjectRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TObjectRequest r;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray result = r.Parse(text);
    if (result == "OK" && r.fieldCount() >= 2 && r.RequestType < 0) {
        __builtin_trap();
    }
    for (int i = 0; i <= r.fieldCount() + 1; ++i) {
        (void)r.field(i);
    }
    return 0;
}
