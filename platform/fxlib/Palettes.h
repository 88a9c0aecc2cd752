// Palette routines shared by the image controls and the effects dialog.
#pragma once

#include <QVector>
#include <QtGui/qrgb.h>

namespace orva::fxlib {

// A new palette with the same entries; empty (none) for none or for a palette without entries.
QVector<QRgb> CopyPalette(const QVector<QRgb> *palette);

} // namespace orva::fxlib
