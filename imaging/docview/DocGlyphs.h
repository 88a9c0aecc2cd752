// The pictures of the document viewer's tool buttons and mouse cursors, drawn here at any size: a
// glyph by its resource name ("OPEN", "PRINT", "ZOOMIN", "FIRST", ...), and the cursors "GRABHAND",
// "RUBBAND", "ANNO", "ZOOMIN" and "ZOOMOUT".
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace orva::imaging {

// The glyph on a transparent square; an unknown name gives a null pixmap.
QPixmap DocGlyph(const QString &name, int size = 16);
// The glyph as an icon with its own disabled picture (grayed, lighter).
QIcon DocGlyphIcon(const QString &name, int size = 16);
// A drawn cursor by its resource name; the arrow for an unknown name.
QCursor DocCursor(const QString &name);

} // namespace orva::imaging
