// Palette routines shared by the image controls and the effects dialog.
#include "platform/fxlib/Palettes.h"

namespace orva::fxlib {

QVector<QRgb> CopyPalette(const QVector<QRgb> *palette) {
    if (!palette || palette->isEmpty())
        return {};
    QVector<QRgb> copy(*palette);
    copy.detach();
    return copy;
}

} // namespace orva::fxlib
