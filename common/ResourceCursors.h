// The program's own mouse cursors, by the names the windows load them under: "MAGGLASS" (the image
// area's cursor), "PRINTER" (while an image prints), "SPEAKER" (while a dictation task opens) and
// "GRABHAND" (while a picture is dragged). They are small bitmaps drawn here; another name gives
// the arrow.
#pragma once

#include <QCursor>

namespace ResourceCursors {

QCursor Load(const char *name);

} // namespace ResourceCursors
