// The host's image list and the stored window place take any bytes: the request text's pieces, the
// file list built from them, and the four registry values (lines 2 to 5 of the input).
#include "imaging/detached/DetachedImageLogic.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> lines = input.split('\n');
    QList<DetachedImage::TRequestListing> listings;
    for (const QByteArray &piece : DetachedImage::RequestPieces(lines.value(0))) {
        if (piece.isEmpty() || piece != piece.trimmed() ||
            (piece.contains(',') && lines.value(0).endsWith(','))) {
            __builtin_trap();
        }
        TImageList entries{{QString::fromLatin1(piece), nullptr},
                           {QStringLiteral("/s/noimage.png"), nullptr}};
        entries.append({QString(), std::make_shared<TImageListRecord>(
                                       TImageListRecord::FromFileName(QString::fromLatin1(piece)))});
        listings.append({piece, entries});
    }
    const QList<DetachedImage::TFileItem> items =
        DetachedImage::FileItems(listings, QStringLiteral("/s/noimage.png"));
    if (items.size() != 2 * listings.size()) {
        __builtin_trap();
    }
    const auto value = [&lines](int i) -> std::optional<QString> {
        if (i >= lines.size()) {
            return std::nullopt;
        }
        return QString::fromLatin1(lines.at(i));
    };
    const DetachedImage::TPlace p =
        DetachedImage::PlaceFromValues(value(1), value(2), value(3), value(4), DetachedImage::TPlace());
    if (p.Width == 0 || p.Height == 0) {
        __builtin_trap();
    }
    const QRect screen(0, 0, 1920, 1080);
    const QRect kept = DetachedImage::KeepOnScreen(p, screen);
    (void)DetachedImage::PlaceCentre(p);
    if (!screen.contains(kept)) {
        __builtin_trap();
    }
    return 0;
}
