// Report descriptor walk: only the global items that size input reports and the Input main item
// matter here; local items, collections, outputs and features are skipped.
#include "platform/hid/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

enum ItemType { Main = 0, Global = 1, Local = 2 };
enum MainTag { Input = 0x8 };
enum GlobalTag { ReportSize = 0x7, ReportId = 0x8, ReportCount = 0x9, Push = 0xA, Pop = 0xB };

constexpr quint8 kLongItem = 0xFE;
// Far beyond any real device (the kernel's own limit is 16 KiB per report); keeps the sums small.
constexpr quint64 kMaxReportBits = quint64(1) << 24;
// The kernel refuses deeper Push nesting than this; a descriptor that goes deeper is not real.
constexpr std::size_t kMaxPushDepth = 16;

struct Globals {
    quint64 reportSize = 0;
    quint64 reportCount = 0;
    quint8 reportId = 0;
};

quint32 itemData(const unsigned char *data, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint32(data[i]) << (8 * i);
    return value;
}

} // namespace

HidReportLayout ParseReportDescriptor(const QByteArray &descriptor) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(descriptor.constData());
    const qsizetype end = descriptor.size();

    std::array<quint64, 256> inputBits{};
    std::vector<Globals> stack;
    Globals globals;
    bool numbered = false;

    qsizetype at = 0;
    while (at < end) {
        const quint8 prefix = bytes[at];
        if (prefix == kLongItem) {
            if (at + 2 >= end)
                break;
            at += 3 + bytes[at + 1];
            continue;
        }
        static constexpr int kSizes[4] = {0, 1, 2, 4};
        const int size = kSizes[prefix & 0x3];
        if (at + 1 + size > end)
            break;
        const quint32 value = itemData(bytes + at + 1, size);
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        at += 1 + size;

        if (type == Global) {
            switch (tag) {
            case ReportSize:
                globals.reportSize = value;
                break;
            case ReportCount:
                globals.reportCount = value;
                break;
            case ReportId:
                globals.reportId = quint8(value);
                numbered = true;
                break;
            case Push:
                if (stack.size() < kMaxPushDepth)
                    stack.push_back(globals);
                break;
            case Pop:
                if (!stack.empty()) {
                    globals = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        } else if (type == Main && tag == Input) {
            const quint64 bits = std::min(globals.reportSize * globals.reportCount, kMaxReportBits);
            quint64 &total = inputBits[globals.reportId];
            total = std::min(total + bits, kMaxReportBits);
        }
    }

    quint64 longestBits = 0;
    for (const quint64 bits : inputBits)
        longestBits = std::max(longestBits, bits);

    HidReportLayout layout;
    layout.NumberedReports = numbered;
    if (longestBits > 0)
        layout.InputReportByteLength = int((longestBits + 7) / 8) + 1;
    return layout;
}
