// Palette routines shared by the image controls and the effects dialog: copies, gray palettes,
// palette files (".VPL", exactly 1047 bytes), the sort by decimal text and the remap of a 4- or
// 8-bit DIB onto a new palette. A palette is its list of colours; an empty list is "none".
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGui/qrgb.h>

namespace orva::fxlib {

using orva::imageio::DibBlock;
using orva::imageio::Progress;

// A new palette with the same entries; empty (none) for none or for a palette without entries.
QVector<QRgb> CopyPalette(const QVector<QRgb> *palette);

// n entries (1..256), entry i being red = green = blue = i; none for any other n.
QVector<QRgb> CreateGrayPalette(int n);

constexpr int kPaletteFileSize = 1047;
constexpr int kPaletteFileEntries = 256;

enum class PaletteFileStatus {
    Ok,
    Missing,      // no such file
    Unreadable,   // there, but it cannot be opened or read
    WrongFormat,  // wrong size or signature, or a colour count of 0 or over 256
    Refused,      // saving more entries than the palette has, or more than 256
    CannotCreate, // the file cannot be created
    WriteFailed,  // the bytes could not all be written
};

// The 1047 bytes of a palette file holding the first n entries; empty when n is out of range.
QByteArray paletteFileBytes(const QVector<QRgb> &palette, int n);
// The colours a palette file's bytes hold; empty when they are not a palette file.
QVector<QRgb> parsePaletteFile(const QByteArray &bytes);

PaletteFileStatus SavePaletteFile(const QString &file, const QVector<QRgb> &palette, int n);
// With a palette given (not empty), its first N entries (as far as it reaches) are set from the file;
// with none, it becomes a new palette of the file's N colours. Returns N, or 0 when nothing was
// read (the palette is then unchanged; status says why).
int LoadPaletteFile(const QString &file, QVector<QRgb> &palette, PaletteFileStatus *status = nullptr);

// The distinct colours ordered by the decimal text of red + 256 green + 65536 blue (compared as
// text), written from entry 0; the entries after them keep their colours.
void SortPalette(QVector<QRgb> &palette);
// The entry nearest to the colour (least squared RGB distance, lowest index on ties); -1 for none.
int NearestPaletteIndex(const QVector<QRgb> &palette, QRgb colour);

enum class RemapStatus { Ok, NotPaletted, Stopped };
// Sorts the palette, then gives every pixel of a 4- or 8-bit DIB the nearest entry to the colour its
// old index had, and copies the palette into the colour table. Works on a copy: a stop leaves the
// DIB as it was.
RemapStatus RemapDibToPalette(QVector<QRgb> palette, DibBlock &dib, const Progress &progress = {});

} // namespace orva::fxlib
