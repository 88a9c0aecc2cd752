// Request numbers and screens from the host: the checks, the comma list, the capture sets and the
// file-name split must take any bytes.
#include "imaging/imagelist/ImageList.h"
#include "imaging/imagelist/RequestImages.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &r : ImageList::SplitRequestNumbers(input)) {
        if (!ImageList::IsValidRequestNumber(r)) {
            __builtin_trap();
        }
        (void)ImageList::RequestFolder(QStringLiteral("/s/"), r, "****....");
    }
    const QList<QByteArray> rows = input.split('\n');
    RequestImages::TScreenRows screen{static_cast<int>(rows.size()),
                                      [&rows](int row) { return rows.value(row - 1); }};
    const int c = size > 0 ? data[0] % 100 - 10 : 1;
    (void)RequestImages::CaptureRequestNumber({{2, c, c * 3, "REQUEST:"}, {1, 1, 80, input.left(3)}}, screen);
    const TImageListRecord rec = TImageListRecord::FromFileName(QString::fromLatin1(input));
    (void)ImageList::BelongsToRequest(rec.FileName, input.left(8));
    return 0;
}
