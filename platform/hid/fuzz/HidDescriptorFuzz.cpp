// Feeds device-supplied report descriptors to the descriptor walk. Besides crashes it checks the
// length stays within the cap on counted bits and that a device with inputs always has at least
// one data byte after the ID byte.
#include "platform/hid/HidReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    const QByteArray descriptor(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const HidReportLayout layout = ParseReportDescriptor(descriptor);
    if (layout.InputReportByteLength < 0 || layout.InputReportByteLength > (1 << 21) + 1)
        std::abort();
    if (layout.InputReportByteLength == 1)
        std::abort();
    return 0;
}
