// Detached image window rules.
#include "imaging/detached/DetachedImageLogic.h"

#include <algorithm>
#include <cstdint>

namespace DetachedImage {

QList<QByteArray> RequestPieces(const QByteArray &text) {
    if (!text.endsWith(',')) {
        const QByteArray number = text.trimmed();
        return number.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{number};
    }
    QList<QByteArray> pieces;
    for (const QByteArray &piece : text.left(text.size() - 1).split(',')) {
        const QByteArray number = piece.trimmed();
        if (!number.isEmpty()) {
            pieces.append(number);
        }
    }
    return pieces;
}

QList<TFileItem> FileItems(const QList<TRequestListing> &listings, const QString &placeholder) {
    QList<TFileItem> items;
    const bool several = listings.size() > 1;
    for (const TRequestListing &listing : listings) {
        for (const TImageListEntry &entry : listing.Entries) {
            if (entry.Record) {
                items.append({entry.Record->NamePart, entry.Record->FullName(), entry.Record});
            } else if (entry.Text == placeholder) {
                // Every request without images keeps its placeholder, so that no request of a list
                // goes missing without a word.
                const QString text =
                    several ? QString::fromLatin1(listing.Request) + QStringLiteral(": ") + entry.Text
                            : entry.Text;
                items.append({text, entry.Text, nullptr});
            }
        }
    }
    return items;
}

TFileButtons FileButtons(int count, int index) {
    if (count <= 1) {
        return {};
    }
    return {index > 0, index >= 0 && index < count - 1};
}

QStringList PanelTexts(int index, int count, const TImageListRecord *record) {
    QStringList panels{QStringLiteral("Page %1 of %2").arg(index + 1).arg(count)};
    if (!record) {
        for (int i = 1; i < 6; ++i) {
            panels.append(QString());
        }
        return panels;
    }
    panels << QStringLiteral("Doc. Type: %1").arg(record->DocType)
           << QStringLiteral("Scanner: %1").arg(record->Scanner)
           << QStringLiteral("Scanned: %1").arg(record->ScannedText())
           << QStringLiteral("File Created: %1").arg(record->Created)
           << QStringLiteral("File Name: %1").arg(record->FullName());
    return panels;
}

namespace {
int valueOr(const std::optional<QString> &value, int remembered) {
    if (!value) {
        return remembered;
    }
    bool ok = false;
    const int v = value->trimmed().toInt(&ok);
    return ok ? v : 0;
}
} // namespace

TPlace PlaceFromValues(const std::optional<QString> &left, const std::optional<QString> &top,
                       const std::optional<QString> &width, const std::optional<QString> &height,
                       const TPlace &remembered) {
    TPlace p;
    p.Left = valueOr(left, remembered.Left);
    p.Top = valueOr(top, remembered.Top);
    p.Width = valueOr(width, remembered.Width);
    p.Height = valueOr(height, remembered.Height);
    if (p.Width == 0) {
        p.Width = 640;
    }
    if (p.Height == 0) {
        p.Height = 480;
    }
    return p;
}

QRect KeepOnScreen(const TPlace &place, const QRect &available) {
    if (available.isEmpty()) {
        return {};
    }
    const int w = std::clamp(place.Width, 1, available.width());
    const int h = std::clamp(place.Height, 1, available.height());
    const int x = std::clamp(place.Left, available.left(), available.right() + 1 - w);
    const int y = std::clamp(place.Top, available.top(), available.bottom() + 1 - h);
    return {x, y, w, h};
}

QPoint PlaceCentre(const TPlace &place) {
    const auto middle = [](int start, int extent) {
        const std::int64_t m = static_cast<std::int64_t>(start) + extent / 2;
        return static_cast<int>(std::clamp<std::int64_t>(m, INT32_MIN, INT32_MAX));
    };
    return {middle(place.Left, place.Width), middle(place.Top, place.Height)};
}

QRect ResetPlace(const QRect &frame, const QRect &available) {
    return {available.topLeft(), QSize(std::min(frame.width(), available.width() - 4),
                                       std::min(frame.height(), available.height() - 4))};
}

} // namespace DetachedImage
