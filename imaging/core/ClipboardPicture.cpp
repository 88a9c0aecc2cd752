// The clipboard's picture.
#include "imaging/core/ClipboardPicture.h"

#include "platform/imageio/DibConvert.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace orva::imaging {

using orva::imageio::DibBlock;

DibBlock ClipboardDib() {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data) {
        return {};
    }
    const QByteArray bmp = data->data(QStringLiteral("image/bmp"));
    if (bmp.size() > 14 && bmp.startsWith("BM")) {
        const auto *block = reinterpret_cast<const std::uint8_t *>(bmp.constData()) + 14;
        return DibBlock::fromPacked(block, static_cast<std::size_t>(bmp.size() - 14));
    }
    if (!data->hasImage()) {
        return {};
    }
    const QImage image = qvariant_cast<QImage>(data->imageData());
    return image.isNull() ? DibBlock() : orva::imageio::qimageToDib(image);
}

bool ClipboardHasPicture() {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasImage() || data->hasFormat(QStringLiteral("image/bmp")));
}

} // namespace orva::imaging
