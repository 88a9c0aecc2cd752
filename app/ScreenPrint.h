// The screen print: the terminal's rows as text on one printed page, in the terminal's font at the
// largest size up to 10 points at which 80 columns fit the page, centred, each row clipped to the page.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QList>

class QPagedPaintDevice;
class QPaintDevice;

namespace ScreenPrint {

constexpr qreal kPointSize = 10;

// `font` at the largest size up to kPointSize (in half points) whose 80 "M" fit `pageWidth` pixels of
// `device`.
QFont FitFont(QFont font, QPaintDevice *device, int pageWidth);
// The rows (host bytes) drawn on the device's first page; false when the device cannot be painted on.
bool PrintRows(QPagedPaintDevice &device, const QFont &terminalFont, const QList<QByteArray> &rows);

} // namespace ScreenPrint
